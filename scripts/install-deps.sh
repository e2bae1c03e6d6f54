#!/usr/bin/env bash
# Installs every Debian package Lognex needs to build, test and run.
# Idempotent and non-interactive; run as root (or through sudo).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libsqlite3-dev sqlite3
  libre2-dev
  libjpeg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  python3 python3-xlrd libxml2-utils
  locales
  qt6-base-private-dev
  xvfb xauth x11-apps xdotool bc imagemagick fonts-dejavu-core fonts-liberation openbox
  desktop-file-utils dpkg-dev file strace lintian
  g++-mingw-w64-x86-64-posix wine wine64
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
