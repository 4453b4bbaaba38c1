#!/usr/bin/env bash
# Installs the Debian packages a command needs. Sourced by play.sh and test.sh.
# As root the missing ones are installed; otherwise the one apt-get line that
# would install them is printed and the caller stops.

voskar_runtime_packages=(cmake ninja-build g++ pkg-config libsdl2-dev libsdl2-ttf-dev
  fonts-dejavu-core libpng-dev espeak-ng)
voskar_test_packages=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool openbox
  g++-mingw-w64-i686 binutils-mingw-w64-i686 x11-apps x11-utils imagemagick clang-14
  libclang-rt-14-dev)
# The Windows program played under Wine (scripts/windows-check.sh, run by
# .ci/run): 32-bit Wine, and the 32-bit OpenGL driver Wine draws Direct3D with.
voskar_wine_packages=(wine wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386 xvfb
  xauth xdotool x11-utils openbox imagemagick)

voskar_missing_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  echo "${missing[@]}"
}

# The 32-bit packages need the i386 architecture, which is added first.
voskar_install_wine_packages() {
  if [ -n "$(voskar_missing_packages "${voskar_wine_packages[@]}")" ] && [ "$(id -u)" -eq 0 ] &&
    ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386 || return 1
  fi
  voskar_install_packages "${voskar_wine_packages[@]}"
}

voskar_install_packages() {
  local missing
  missing=$(voskar_missing_packages "$@")
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: $missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq || return 1
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing >/dev/null || return 1
  else
    echo "Missing packages. Run: sudo apt-get install -y $missing" >&2
    return 1
  fi
}
