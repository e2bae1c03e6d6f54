#!/usr/bin/env bash
# Builds what the window needs for 64-bit Windows beyond Debian's MinGW-w64
# packages, static and release, from Debian's own source packages: Qt 6
# (Core, Gui, Widgets, Network; the same version as the Linux build, whose
# host tools - moc, rcc, uic - it uses; its bundled libjpeg serves the
# window's JPEG reader too) and RE2 (the find bar's regular expressions).
# Installs them into one cache folder outside the clone, where later clones
# and CI runs on this machine find them. Does nothing when the cache already
# holds these versions.
#
# Usage: scripts/build-windows-qt.sh [JOBS]    (default 2; runs at nice 19)
#   LOGNEX_QT_MINGW=DIR overrides the cache folder
#   (default ${XDG_CACHE_HOME:-~/.cache}/lognex/qt6-mingw-6.4.2).
# Prints the cache folder on its last line.
#
# Needs g++-mingw-w64-x86-64-posix, qt6-base-dev-tools, dpkg-dev, cmake, ninja,
# perl, python3; about 3 GB free while it builds; an hour or more on two cores.
set -euo pipefail
cd "$(dirname "$0")/.."

QT_VERSION=6.4.2
DEBIAN_VERSION=6.4.2+dfsg-10
# The Debian source this script was written against: its .dsc lists the
# SHA-256 of both tarballs, which dpkg-source checks when it unpacks them.
DSC_SHA256=1b4b5c8610a553d4211fa81e268b1a3b0a6339ae5444fdb7e60d7616da651970
RE2_VERSION=20220601+dfsg-1
RE2_DSC_SHA256=e0d2eab89a0312e9a0ba4e9a6fb18b081764d6776a28496d389aa3831d970940
# Debian's RE2 source leaves out its generated Unicode tables; they are made
# again from the Unicode data files of this package, as Debian's build does.
UNICODE_DATA_VERSION=15.0.0-1
UNICODE_DATA_SHA256=5efef23bbb1c6a133ecbdd63a2cfa07159ccacf5466a49e2426101c5ecd691fc
jobs=${1:-2}
prefix=${LOGNEX_QT_MINGW:-${XDG_CACHE_HOME:-$HOME/.cache}/lognex/qt6-mingw-$QT_VERSION}
cache=$(dirname "$prefix")
stamp="$prefix/lognex-qt-build.txt"
started=$(date +%s)

say() { echo "build-windows-qt: $*" >&2; }

holds() { [ -f "$stamp" ] && grep -qx "$1" "$stamp"; }
if holds "qt6-base $DEBIAN_VERSION" && holds "re2 $RE2_VERSION"; then
  say "$prefix already holds Qt $QT_VERSION and RE2 for MinGW"
  echo "$prefix"
  exit 0
fi
for tool in x86_64-w64-mingw32-g++-posix dpkg-source dpkg-deb cmake ninja perl python3; do
  command -v "$tool" >/dev/null || { say "$tool is needed (see the README, Windows)"; exit 1; }
done
[ -f /usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo/Qt6HostInfoConfig.cmake ] ||
  { say "Debian's Qt host tools are needed: apt-get install qt6-base-dev-tools qt6-base-dev"; exit 1; }

mkdir -p "$cache"
work="$cache/qt6-mingw-$QT_VERSION.work"
downloads="$cache/downloads"
mkdir -p "$work" "$downloads"

# --- The source, through apt, from the mirror this machine already uses -----
# A private apt configuration with one deb-src line: the machine's own lists
# and sources stay as they are.
apt_lines() {
  local uri suite component keyring
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    # deb822: the first stanza's first URI and suite, and its first component.
    uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources)
    suite=$(awk '/^Suites:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources)
    component=$(awk '/^Components:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources)
    keyring=$(awk '/^Signed-By:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources)
  else
    read -r uri suite component < <(awk '$1 == "deb" && $2 !~ /^\[/ {print $2, $3, $4; exit}' /etc/apt/sources.list)
    keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  fi
  [ -n "${uri:-}" ] && [ -n "${suite:-}" ] || { say "no Debian mirror found in /etc/apt"; exit 1; }
  local options="[signed-by=${keyring:-/usr/share/keyrings/debian-archive-keyring.gpg}]"
  echo "deb $options $uri $suite ${component:-main}"
  echo "deb-src $options $uri $suite ${component:-main}"
}

# fetch WHAT...: apt-get WHAT in the downloads folder through the private
# configuration; apt checks every file against the signed index.
apt_ready=
fetch() {
  local apt_dir="$work/apt"
  local options=(-o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o Dir::State::Lists="$apt_dir/lists" -o APT::Sandbox::User=root -qq)
  if [ -z "$apt_ready" ]; then
    mkdir -p "$apt_dir/lists/partial"
    apt_lines >"$apt_dir/sources.list"
    say "private apt sources: $(tr '\n' ' ' <"$apt_dir/sources.list")"
    apt-get "${options[@]}" update
    apt_ready=1
  fi
  (cd "$downloads" && apt-get "${options[@]}" "$@")
}

# check FILE SHA256: the file as recorded here, or removed and refused.
check() {
  if ! echo "$2  $1" | sha256sum --check --status; then
    say "$1 does not have the recorded SHA-256; removed"
    rm -f "$1"
    exit 1
  fi
}

# The toolchain both builds use (the project's own adds settings for its programs).
toolchain="$work/mingw-toolchain.cmake"
cat >"$toolchain" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} /usr/x86_64-w64-mingw32/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
EOF

build_qt() {
  orig="$downloads/qt6-base_${DEBIAN_VERSION%-*}.orig.tar.xz"
  dsc="$downloads/qt6-base_$DEBIAN_VERSION.dsc"
  if [ ! -f "$dsc" ] || [ ! -f "$orig" ]; then
    fetch source --download-only "qt6-base=$DEBIAN_VERSION"
  fi
  check "$dsc" "$DSC_SHA256"

  source_dir="$work/qtbase"
  if [ ! -f "$source_dir/.lognex-unpacked" ]; then
    rm -rf "$source_dir"
    dpkg-source -x "$dsc" "$source_dir" >/dev/null
    touch "$source_dir/.lognex-unpacked"
  fi
  for bundled in zlib pcre2 libpng libjpeg freetype harfbuzz-ng double-conversion; do
    [ -d "$source_dir/src/3rdparty/$bundled" ] || { say "the source lacks its bundled $bundled"; exit 1; }
  done

  build_dir="$work/build"
  stage="$work/stage"
  if [ ! -f "$build_dir/build.ninja" ]; then
    rm -rf "$build_dir"
    # Static release for MinGW. Off: what Lognex does not use, and two that do not build from Debian's
    # source (wintab.h is left out of it: no tablet events; without OpenGL the
    # Windows plugin only builds without dynamic GL too). Third-party libraries
    # are the bundled ones: the toolchain has none of its own but zlib.
    cmake -S "$source_dir" -B "$build_dir" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$prefix" \
      -DQT_HOST_PATH=/usr -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo \
      -DBUILD_SHARED_LIBS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
      -DFEATURE_sql=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_dbus=OFF \
      -DFEATURE_testlib=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_printsupport=OFF \
      -DFEATURE_tabletevent=OFF -DFEATURE_vulkan=OFF -DFEATURE_openssl=OFF \
      -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
      -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF \
      -DFEATURE_system_doubleconversion=OFF \
      -DFEATURE_jpeg=ON -DFEATURE_png=ON -DFEATURE_freetype=ON -DFEATURE_harfbuzz=ON \
      -DFEATURE_sessionmanager=ON -DFEATURE_localserver=ON -DFEATURE_style_windowsvista=ON \
      >"$work/configure.log" 2>&1 || { tail -40 "$work/configure.log" >&2; say "configure failed: $work/configure.log"; exit 1; }
    say "configured after $(($(date +%s) - started)) s"
  fi

  nice -n 19 cmake --build "$build_dir" -j "$jobs"
  say "built after $(($(date +%s) - started)) s"

  # --- Install whole or not at all: staged, then moved into place --------------
  rm -rf "$stage"
  DESTDIR="$stage" cmake --install "$build_dir" >/dev/null
  # libjpeg for the window's own JPEG reader: Qt installs its bundled library
  # (libQt6BundledLibjpeg.a) for static users; its headers go beside it.
  jpeg_include="$stage$prefix/include/lognex-libjpeg"
  mkdir -p "$jpeg_include"
  for header in jpeglib.h jmorecfg.h jerror.h jconfig.h; do
    cp "$source_dir/src/3rdparty/libjpeg/src/$header" "$jpeg_include/"
  done
  [ -f "$stage$prefix/lib/libQt6BundledLibjpeg.a" ] || { say "Qt did not install its bundled libjpeg"; exit 1; }
  {
    echo "qt6-base $DEBIAN_VERSION"
    echo "built $(date -u +%Y-%m-%dT%H:%M:%SZ) in $(($(date +%s) - started)) s with $jobs jobs"
  } >"$stage$prefix/lognex-qt-build.txt"
  rm -rf "$prefix"
  mv "$stage$prefix" "$prefix"
  rm -rf "$stage" "$build_dir"
  say "Qt installed into $prefix after $(($(date +%s) - started)) s"
}

# --- RE2, built with the same toolchain into the same folder ----------------
build_re2() {
  local dsc="$downloads/re2_$RE2_VERSION.dsc" deb="$downloads/unicode-data_${UNICODE_DATA_VERSION}_all.deb"
  [ -f "$dsc" ] || fetch source --download-only "re2=$RE2_VERSION"
  [ -f "$deb" ] || fetch download "unicode-data=$UNICODE_DATA_VERSION"
  check "$dsc" "$RE2_DSC_SHA256"
  check "$deb" "$UNICODE_DATA_SHA256"
  local source="$work/re2" unicode="$work/unicode-data" build="$work/re2-build" stage="$work/re2-stage"
  rm -rf "$source" "$unicode" "$build" "$stage"
  dpkg-source -x "$dsc" "$source" >/dev/null
  dpkg-deb -x "$deb" "$unicode"
  sed -i "s#^_UNICODE_DIR = .*#_UNICODE_DIR = \"$unicode/usr/share/unicode\"#" "$source/re2/unicode.py"
  (cd "$source/re2" && perl make_perl_groups.pl >perl_groups.cc &&
    python3 make_unicode_casefold.py >unicode_casefold.cc && python3 make_unicode_groups.py >unicode_groups.cc)
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DRE2_BUILD_TESTING=OFF >"$work/re2-configure.log"
  nice -n 19 cmake --build "$build" -j "$jobs" >/dev/null
  DESTDIR="$stage" cmake --install "$build" >/dev/null
  cp -a "$stage$prefix/." "$prefix/"
  echo "re2 $RE2_VERSION" >>"$stamp"
  say "RE2 installed into $prefix after $(($(date +%s) - started)) s"
}

holds "qt6-base $DEBIAN_VERSION" || build_qt
holds "re2 $RE2_VERSION" || build_re2
rm -rf "$work"
say "done after $(($(date +%s) - started)) s"
echo "$prefix"
