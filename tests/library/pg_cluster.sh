#!/bin/sh
# A throw-away PostgreSQL cluster for the library tests: `pg_cluster.sh start DIR` makes one
# in DIR listening only on a Unix socket there, with the database "pastewise_test" owned by
# the user "pastewise"; `pg_cluster.sh stop DIR` stops it and removes DIR; `pause` and `resume`
# stop and start the server alone. initdb refuses to
# run as root, so as root the cluster runs as the unprivileged user "nobody".
set -eu

action=$1
dir=$2
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -n "$bindir" ] || { echo "pg_cluster.sh: PostgreSQL is not installed (package postgresql)" >&2; exit 1; }

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u nobody -- "$@"
  else
    "$@"
  fi
}

case "$action" in
start)
  # A cluster left over from an interrupted run goes first.
  if [ -f "$dir/data/postmaster.pid" ]; then
    as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  mkdir -p "$dir"
  [ "$(id -u)" -eq 0 ] && chown nobody "$dir"
  as_owner "$bindir/initdb" -D "$dir/data" -U pastewise --auth=trust --encoding=UTF8 --locale=C \
    >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
  as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-k $dir -c listen_addresses= -F" start >/dev/null ||
    { cat "$dir/server.log" >&2; exit 1; }
  as_owner "$bindir/createdb" -h "$dir" -U pastewise pastewise_test
  ;;
pause)
  # The server stops as in a restart; the cluster stays for `resume`.
  as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
  ;;
resume)
  as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-k $dir -c listen_addresses= -F" start >/dev/null
  ;;
stop)
  if [ -f "$dir/data/postmaster.pid" ]; then
    as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
  fi
  rm -rf "$dir"
  ;;
*)
  echo "usage: pg_cluster.sh start|pause|resume|stop DIR" >&2
  exit 2
  ;;
esac
