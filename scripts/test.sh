#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs every test, fuzzes each fuzz target for
# about 20 s, and builds the benchmarks and the Debian package in Release.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh test

# Warnings stop the test command's builds (only there: users' and packagers' builds go on).
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLOGNEX_SANITIZE=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build build-test
# Anyone trying the build opens a log in the window from its program folder,
# which fills the table files there and leaves settings, aliases and a log
# copy: the tests must not depend on any of them.
./scripts/open-sample-once.sh build-test
(cd build-test && ctest --output-on-failure -j 2)

./scripts/fuzz.sh 20

# The Windows build of the core and the batch tool, under wine, against the Linux build's outputs.
./scripts/test-windows.sh build-test/bin/lognex-report
# The Windows window under wine on a display, when Qt for MinGW is in its cache
# (scripts/build-windows-qt.sh builds it only when asked: an hour or more);
# otherwise it says that it skips.
./scripts/test-windows-window.sh build-test/bin/lognex-report

# Release: the benchmarks, and the tests built once more, for the warnings only optimisation finds.
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DLOGNEX_BUILD_TESTS=ON -DLOGNEX_BUILD_BENCH=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build build-bench

# The Debian package, from the Release build; its control data lists the dependencies.
# lintian's errors and warnings fail the run.
(cd build-bench && rm -f lognex_*.deb && cpack -G DEB >/dev/null && dpkg-deb --info lognex_*.deb &&
  lintian --fail-on error,warning lognex_*.deb)
