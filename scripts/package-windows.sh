#!/usr/bin/env bash
# Builds the Windows programs with MinGW-w64 against the static Qt for MinGW
# (scripts/build-windows-qt.sh, run first when its cache is missing: an hour
# or more) and packs lognex-2.20-windows-x64.zip: a portable copy, one folder
# holding lognex.exe, lognex-report.exe, lognex-mktables.exe, the three empty
# table files, help/ and pictures/, as a build's program folder holds them.
#
# Usage: scripts/package-windows.sh [OUT_DIR]    (default build-windows-app)
# Prints the zip's path on its last line. The build is in build-windows-app/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build="build-windows-app"
out=$(mkdir -p "${1:-$build}" && cd "${1:-$build}" && pwd)
started=$(date +%s)

# The build runs lognex-mktables.exe under wine for the table files: in a
# prefix of its own, without a display.
mkdir -p "$build"
export WINEPREFIX="$root/$build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

qt=$(./scripts/build-windows-qt.sh | tail -n 1)
sqlite=$(./scripts/fetch-windows-deps.sh "$root/build-windows-deps")

# Qt's toolchain file puts its folder among the places searched for
# packages and loads the project's own toolchain file.
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DLOGNEX_BUILD_TESTS=OFF -DLOGNEX_SQLITE_AMALGAMATION="$sqlite" >/dev/null
grep -q '^LOGNEX_HAS_TEXT_SEARCH:INTERNAL=1' "$build/CMakeCache.txt" ||
  { echo "package-windows: no RE2 for MinGW found in $qt" >&2; exit 1; }
cmake --build "$build" -j 2
echo "package-windows: built after $(($(date +%s) - started)) s" >&2

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name="lognex-$version"
stage=$(mktemp -d "${TMPDIR:-/tmp}/lognex-package-XXXXXX")
trap 'rm -rf "$stage"' EXIT
folder="$stage/$name"
mkdir -p "$folder"
for program in lognex lognex-report lognex-mktables; do
  x86_64-w64-mingw32-strip -o "$folder/$program.exe" "$build/bin/$program.exe"
done
# Empty tables, never the program folder's, which a window started from the build has filled.
cp "$build"/src/tables/installed-tables/*.ff2 "$folder/"
cp -r "$build/bin/help" "$build/bin/pictures" "$folder/"
zip_name="$name-windows-x64.zip"
rm -f "$out/$zip_name"
(cd "$stage" && TZ=UTC find "$name" -exec touch -d "@$(git -C "$root" log -1 --format=%ct)" {} + &&
  find "$name" -print | LC_ALL=C sort | zip -q -X -@ "$out/$zip_name.part")
mv "$out/$zip_name.part" "$out/$zip_name"
echo "package-windows: $(du -h "$out/$zip_name" | cut -f1) after $(($(date +%s) - started)) s" >&2
echo "$out/$zip_name"
