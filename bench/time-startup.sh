#!/usr/bin/env bash
# Times start-up to a usable window: from launching lognex under Xvfb until
# its main window is mapped, over RUNS starts, on a private program folder.
#   bench/time-startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
runs=${2:-5}

work=$(mktemp -d)
display=:$((190 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY=$display
sleep 1
cp -r "$build/bin/." "$work/"
rm -f "$work"/*.ini "$work"/*.INI "$work"/lognex-aliases.cfg

for run in $(seq "$runs"); do
  start=$(date +%s.%N)
  "$work/lognex" &
  app=$!
  xdotool search --sync --onlyvisible --name '^Lognex$' >/dev/null
  end=$(date +%s.%N)
  kill $app
  wait $app 2>/dev/null || true
  echo "start-up $run: $(echo "($end - $start) * 1000" | bc -l | cut -d. -f1) ms"
done
