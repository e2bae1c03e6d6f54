#!/usr/bin/env bash
# Provides what the Windows cross build needs beyond Debian's packages: the
# SQLite amalgamation (sqlite3.c, sqlite3.h), taken from an npm package that
# ships it and checked against the SHA-256 recorded here. Prints the folder
# holding the two files. Usage: fetch-windows-deps.sh CACHE_DIR
set -euo pipefail

# better-sqlite3 12.4.1 ships SQLite 3.50.4 under deps/sqlite3/.
PACKAGE=better-sqlite3
VERSION=12.4.1
SHA256=14398acbf00d1e8fe0a2753df7d4f15c13138e4b874f4e6e96791f65b4536d0d

cache=${1:?usage: fetch-windows-deps.sh CACHE_DIR}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
tarball="$cache/$PACKAGE-$VERSION.tgz"
folder="$cache/sqlite-amalgamation-$VERSION"

if [ ! -f "$folder/sqlite3.c" ]; then
  if [ ! -f "$tarball" ]; then
    command -v npm >/dev/null || { echo "fetch-windows-deps: npm is needed to fetch $PACKAGE" >&2; exit 1; }
    (cd "$cache" && npm pack "$PACKAGE@$VERSION" --silent >/dev/null)
  fi
  if ! echo "$SHA256  $tarball" | sha256sum --check --status; then
    echo "fetch-windows-deps: $tarball does not have the recorded SHA-256; removed" >&2
    rm -f "$tarball"
    exit 1
  fi
  rm -rf "$folder.part" && mkdir -p "$folder.part"
  tar -xzf "$tarball" -C "$folder.part" --strip-components=3 \
    package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
  rm -rf "$folder" && mv "$folder.part" "$folder"
fi
echo "$folder"
