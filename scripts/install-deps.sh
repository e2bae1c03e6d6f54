#!/usr/bin/env bash
# Installs the Debian packages a command needs, and no more:
#   scripts/install-deps.sh run           build Lognex and open a log (run-sample.sh)
#   scripts/install-deps.sh test          build and run every test, fuzz, the Windows
#                                         build under wine, the package and its lintian
#                                         check (test.sh)
#   scripts/install-deps.sh screenshots   the window under Xvfb and openbox
#                                         (screenshots.sh, bench/time-startup.sh)
# Several may be named at once. Idempotent and non-interactive; run as root
# (or through sudo).
set -euo pipefail

usage() {
  echo "usage: install-deps.sh run|test|screenshots..." >&2
  exit 2
}
[ $# -gt 0 ] || usage

# What every build needs: the compilers, Qt, SQLite, RE2, libjpeg and libxlsxwriter.
packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libsqlite3-dev libre2-dev libjpeg-dev libxlsxwriter-dev
)
for purpose in "$@"; do
  case $purpose in
    run) ;;
    test)
      packages+=(
        # unit and window tests (the message box test reads Qt's private platform window)
        libgtest-dev libgmock-dev qt6-base-private-dev fonts-dejavu-core fonts-liberation
        # workbook reader, SVG check, compiled locales, installed-copy checks
        python3 python3-xlrd libxml2-utils locales desktop-file-utils strace
        # fuzzing with clang's libFuzzer
        clang libclang-rt-14-dev
        # the Windows build under wine; npm fetches its SQLite amalgamation
        g++-mingw-w64-x86-64-posix wine wine64 npm
        # benchmarks, the Debian package and its lintian check
        libbenchmark-dev dpkg-dev file lintian
        # the Windows window under wine on a display, and its zip
        xvfb openbox xdotool imagemagick zip unzip
        # the .xlsx workbook's reader
        python3-openpyxl
      )
      ;;
    screenshots)
      packages+=(xvfb openbox xdotool imagemagick fonts-dejavu-core fonts-liberation python3)
      ;;
    *) usage ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  # Node.js from NodeSource brings its own npm and conflicts with Debian's.
  [ "$p" = npm ] && command -v npm >/dev/null && continue
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
