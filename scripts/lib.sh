# Shared by scripts/run and scripts/test: install what is missing on a Debian 12 machine.

PW_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev libqt6sql6-sqlite libqt6sql6-psql libqt6svg6
  libgl-dev libxcb1-dev libxcb-xtest0-dev libxcb-keysyms1-dev libwayland-dev libxkbcommon-dev libsqlite3-dev librsvg2-bin gzip ccache)
PW_RUN_PACKAGES=(fonts-dejavu-core librsvg2-bin qt6-wayland)
# scripts/package: CPack's DEB generator asks dpkg-shlibdeps for the dependencies.
PW_PACKAGE_PACKAGES=(dpkg-dev file)
PW_TEST_PACKAGES=(libbenchmark-dev rofi suckless-tools xvfb xauth openbox trayer xdotool xterm stterm xclip x11-utils wmctrl sqlite3
  clang clang-format libclang-rt-14-dev tk lintian desktop-file-utils appstream dpkg-dev file postgresql
  sway wtype xdg-desktop-portal dbus-daemon python3-dbus python3-gi
  # The terminals Quick Paste is checked against (about 260 MB installed).
  rxvt-unicode gnome-terminal konsole xfce4-terminal terminator tilix alacritty kitty sakura lxterminal
  qterminal guake tilda)

pw_install_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The release build of scripts/run and scripts/package.
pw_build_release() {
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build/release -j"$(pw_jobs)"
}

pw_jobs() {
  nproc 2>/dev/null || echo 2
}
