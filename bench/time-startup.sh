#!/usr/bin/env bash
# Times start-up to a usable window: from launching lognex under Xvfb until
# its main window is mapped, over RUNS starts, on a private program folder.
#   bench/time-startup.sh [BUILD_DIR] [RUNS]
# The window is looked for every few milliseconds (xdotool's own --sync waits
# half a second between looks, which would hide everything below that).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
runs=${2:-5}

work=$(mktemp -d)
# Xvfb picks a free display itself, so parallel runs never share one, and
# does not reset between the many short connections that look for the window.
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
until [ -s "$work/display" ]; do sleep 0.05; done
export DISPLAY=:$(cat "$work/display")
rm "$work/display"
cp -r "$build/bin/." "$work/"
rm -f "$work"/*.ini "$work"/*.INI "$work"/lognex-aliases.cfg

all=()
for run in $(seq "$runs"); do
  start=$(date +%s%N)
  "$work/lognex" &
  app=$!
  until xdotool search --onlyvisible --name '^Lognex$' >/dev/null 2>&1; do sleep 0.002; done
  end=$(date +%s%N)
  kill $app
  wait $app 2>/dev/null || true
  ms=$(((end - start) / 1000000))
  all+=("$ms")
  echo "start-up $run: $ms ms"
done
median=$(printf '%s\n' "${all[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
best=$(printf '%s\n' "${all[@]}" | sort -n | head -1)
verdict=within
[ "$median" -gt 300 ] && verdict=OVER
echo "median: $median ms, best: $best ms; goal 300 ms: $verdict"
