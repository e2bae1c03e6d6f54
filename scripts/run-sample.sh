#!/usr/bin/env bash
# Installs what is missing, builds Lognex into build/bin and opens the bundled
# sample log: in the window when there is a display, else with the batch tool.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLOGNEX_BUILD_TESTS=OFF
cmake --build build

sample="$PWD/samples/err_log.rpt"
if [ -x build/bin/lognex ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/lognex "$sample"
elif [ -x build/bin/lognex-report ]; then
  exec build/bin/lognex-report "$sample"
else
  echo "run-sample: no program was built" >&2
  exit 1
fi
