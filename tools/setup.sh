#!/usr/bin/env bash
# setup.sh: installs what building, testing and the demo need on Debian 12. Only Debian packages;
# safe to run again (installs only what is missing).
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  wine wine64 wine32:i386 fonts-wine fonts-liberation
  xvfb xauth x11-apps imagemagick socat
  nsis zip
  nut-client nut-server
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup.sh: everything is installed"
  exit 0
fi

sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "setup.sh: installing ${missing[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "setup.sh: done"
