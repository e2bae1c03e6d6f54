#!/usr/bin/env bash
# Cross-builds the core, lognex-report.exe, lognex-mktables.exe and the core
# tests for Windows (MinGW-w64), runs the tests under wine, and runs the batch
# tool end to end under wine beside the Linux build's, comparing what both
# write: on the bundled sample and on a log in a folder with a non-ASCII name.
#
# Usage: scripts/test-windows.sh [LINUX_LOGNEX_REPORT]
#   (default build-test/bin/lognex-report, as scripts/test.sh builds it)
# Wine runs headless in a fresh prefix under a temporary folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux_tool=$(realpath "${1:-build-test/bin/lognex-report}")
build=build-windows
started=$(date +%s)

wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
work=$(mktemp -d "${TMPDIR:-/tmp}/lognex-windows-XXXXXX")
cleanup() {
  WINEPREFIX="$work/prefix" "$wineserver" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko installer is asked for; no window system is needed by console programs.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

"$wine" wineboot --init >/dev/null 2>&1 || true
echo "test-windows: wine prefix ready after $(($(date +%s) - started)) s"

sqlite=$(./scripts/fetch-windows-deps.sh "$root/$build-deps")
# RE2 for MinGW, when the window's libraries are built (scripts/build-windows-qt.sh):
# the find bar's search and its tests are then built and run too.
re2=${LOGNEX_QT_MINGW:-${XDG_CACHE_HOME:-$HOME/.cache}/lognex/qt6-mingw-6.4.2}/lib/cmake/re2
re2_option=()
[ -f "$re2/re2Config.cmake" ] && re2_option=(-Dre2_DIR="$re2")
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DLOGNEX_BUILD_APP=OFF -DLOGNEX_SQLITE_AMALGAMATION="$sqlite" "${re2_option[@]}" \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$build"
echo "test-windows: built after $(($(date +%s) - started)) s"

(cd "$build" && ctest --output-on-failure)

# End to end: the same runs with both builds, each into its own folder.
win_tool="$root/$build/bin/lognex-report.exe"
sample="$root/samples/err_log.rpt"
failed=0
# The Linux tool on tables of its own: a window may have used its program
# folder. The Windows tool's program folder is its build's, where no window runs.
"$(dirname "$linux_tool")/lognex-mktables" "$work/linux-tables"

# run SIDE CASE LOG [OPTIONS...]: runs the side's tool in $work/SIDE/CASE,
# keeping its standard output and error and its exit status.
run() {
  local side=$1 case=$2 log=$3
  shift 3
  local out="$work/$side/$case"
  mkdir -p "$out"
  local status=0
  if [ "$side" = linux ]; then
    (cd "$out" && LC_ALL=C "$linux_tool" --db "$work/linux-tables" "$@" "$log" >stdout.txt 2>stderr.txt) || status=$?
  else
    (cd "$out" && "$wine" "$win_tool" "$@" "$log" >stdout.txt 2>stderr.txt) || status=$?
  fi
  echo "$status" >"$out/rc.txt"
}

all_outputs=(--summary summary.txt --tree tree.txt --excel workbook.xls --timeline timeline.csv --errors errors.csv)
odd="$work/Prüfung Ölé"
mkdir -p "$odd"
cp "$sample" "$odd/err_log.rpt"
for side in linux windows; do
  run "$side" sample "$sample" "${all_outputs[@]}"
  run "$side" odd-folder "$odd/err_log.rpt" "${all_outputs[@]}" --source
  run "$side" to-stdout "$odd/err_log.rpt"
  run "$side" missing-log "$odd/missing.rpt" --summary summary.txt
  run "$side" range "$sample" "${all_outputs[@]}" --from 2007-04-18T06:00 --to 2007-04-18
done
# A second run replaces every output file it wrote before.
run windows odd-folder "$odd/err_log.rpt" "${all_outputs[@]}" --source
for case in sample odd-folder to-stdout missing-log range; do
  /usr/bin/python3 scripts/compare-report-outputs.py "$work/linux/$case" "$work/windows/$case" "$work" || failed=1
done
grep -q . "$work/windows/sample/tree.txt" || { echo "test-windows: empty tree" >&2; failed=1; }

# Windows file names ignore case: OUT.txt and out.txt are one file, refused up front.
run windows same-file "$sample" --summary OUT.txt --tree out.txt
if [ "$(cat "$work/windows/same-file/rc.txt")" != 2 ] || [ -e "$work/windows/same-file/OUT.txt" ]; then
  echo "test-windows: --summary OUT.txt --tree out.txt was not refused:" >&2
  cat "$work/windows/same-file/stderr.txt" >&2
  failed=1
fi

# The window's sources compile for Windows: no POSIX call outside the platform
# files. Syntax only, against this machine's Qt 6 headers (there is no Qt for
# MinGW here); jpeg_image.cpp needs libjpeg for MinGW and is left out.
qt=$(qmake6 -query QT_INSTALL_HEADERS 2>/dev/null || echo /usr/include/x86_64-linux-gnu/qt6)
linux_build=$(dirname "$(dirname "$linux_tool")")
for source in src/app/*.cpp src/app/shell/*.cpp; do
  case "$source" in */quit_on_signal.cpp | */jpeg_image.cpp) continue ;; esac
  if ! x86_64-w64-mingw32-g++-posix -std=c++20 -fsyntax-only -DNOMINMAX -DWIN32_LEAN_AND_MEAN -Isrc \
      -I"$linux_build/src/app/lognex_window_autogen/include" -I"$linux_build/src/app/shell/lognex_shell_autogen/include" \
      -isystem "$qt" -isystem "$qt/QtCore" -isystem "$qt/QtGui" -isystem "$qt/QtWidgets" -isystem "$qt/QtNetwork" \
      "$source"; then
    echo "test-windows: $source does not compile for Windows" >&2
    failed=1
  fi
done

elapsed=$(($(date +%s) - started))
if [ "$failed" -ne 0 ]; then
  echo "test-windows: FAILED after $elapsed s" >&2
  exit 1
fi
echo "test-windows: the Windows build agrees with the Linux build ($elapsed s)"
