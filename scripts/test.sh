#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs every test, fuzzes each fuzz target for
# about 20 s, and builds the benchmarks and the Debian package in Release.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLOGNEX_SANITIZE=ON
cmake --build build-test
# Anyone trying the build opens a log in the window from its program folder,
# which fills the table files there and leaves settings, aliases and a log
# copy: the tests must not depend on any of them.
./scripts/open-sample-once.sh build-test
(cd build-test && ctest --output-on-failure -j 2)

./scripts/fuzz.sh 20

# The Windows build of the core and the batch tool, under wine, against the Linux build's outputs.
./scripts/test-windows.sh build-test/bin/lognex-report

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DLOGNEX_BUILD_TESTS=OFF -DLOGNEX_BUILD_BENCH=ON
cmake --build build-bench

# The Debian package, from the Release build; its control data lists the dependencies.
(cd build-bench && rm -f lognex_*.deb && cpack -G DEB >/dev/null && dpkg-deb --info lognex_*.deb)
