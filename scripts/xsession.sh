# A private virtual X server with openbox, for the tests. Sourced by scripts/test.

pw_wait_for() { # seconds command...
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.1
  done
}

pw_wm_running() {
  xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'
}

pw_start_x_session() {
  local n
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then break; fi
  done
  export DISPLAY=":$n"
  PW_XVFB_LOG=$(mktemp)
  Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >"$PW_XVFB_LOG" 2>&1 &
  PW_XVFB_PID=$!
  pw_wait_for 20 xdpyinfo || { echo "Xvfb did not start on $DISPLAY" >&2; cat "$PW_XVFB_LOG" >&2; return 1; }
  PW_WM_LOG=$(mktemp)
  local attempt
  for attempt in 1 2 3; do
    openbox >"$PW_WM_LOG" 2>&1 &
    PW_WM_PID=$!
    pw_wait_for 20 pw_wm_running && break
    echo "openbox did not start (attempt $attempt):" >&2
    cat "$PW_WM_LOG" >&2
    kill "$PW_WM_PID" 2>/dev/null || true
    [ "$attempt" -eq 3 ] && return 1
  done
  echo "Virtual X server on $DISPLAY with openbox"
}

pw_stop_x_session() {
  [ -n "${PW_WM_PID:-}" ] && kill "$PW_WM_PID" 2>/dev/null || true
  [ -n "${PW_XVFB_PID:-}" ] && kill "$PW_XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
}
