#!/usr/bin/env bash
# Installs the Debian packages Pomvex needs to build, run and test, when any
# is missing. As root it installs them itself; otherwise it prints the one
# command to run and stops, so nothing half-configured gets built.
set -eu

packages=(
  # game
  libsdl2-dev libsdl2-ttf-dev libsdl2-mixer-dev libpixman-1-dev libpng-dev libjpeg-dev
  libenet-dev
  libfontconfig-dev fonts-liberation2
  # the two tools; Debian's FLTK CMake files refuse to load without fluid
  libfltk1.3-dev fluid
  # SDL's X11 message boxes draw with the core X fonts
  xfonts-base
  # pictures: SVG sources rasterised at build time
  librsvg2-dev libcairo2-dev
  # build and tests
  cmake ninja-build g++ pkg-config libgtest-dev xvfb xdotool
  # the checks of the menu entries and the AppStream data
  desktop-file-utils appstream
)

# `install-deps.sh fuzz` adds what the fuzz targets need.
if [ "${1:-}" = fuzz ]; then
  packages+=(clang-14 libclang-rt-14-dev)
fi

# `install-deps.sh deb` adds what making and checking the Debian package
# needs: dpkg-shlibdeps and file for CPack, lintian, and xwd to look at the
# installed game's window.
if [ "${1:-}" = deb ]; then
  packages+=(dpkg-dev file lintian x11-apps)
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Pomvex needs these Debian packages. Install them with:" >&2
  echo "  sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
