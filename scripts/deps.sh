#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Safe to run again.
# The MinGW compiler, GoogleTest's sources and Wine are for the Windows build of the core;
# dpkg-dev (the package's dependencies, and unpacking Debian's source package of gumbo for the
# Windows build), librsvg2-bin (the icon's pictures), desktop-file-utils and appstream are for
# the Debian package and its checks; CPack's DEB generator also needs file (it tells the
# programs among the files) and binutils (readelf, objcopy and strip on them, objdump for
# dpkg-shlibdeps), which a minimal Debian lacks. gumbo (libgumbo-dev) is the site check's HTML parser;
# curl fetches gumbo's sources for Windows where no Debian source package can be had.
set -euo pipefail
packages=(g++ cmake make pkg-config libgtest-dev libgumbo-dev qt6-base-dev libgl1-mesa-dev xvfb
  xauth g++-mingw-w64-x86-64-posix googletest wine wine64 curl ca-certificates
  dpkg-dev file binutils librsvg2-bin desktop-file-utils appstream)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
