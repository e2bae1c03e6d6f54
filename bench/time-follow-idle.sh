#!/usr/bin/env bash
# The CPU lognex-report --follow costs while the log grows slowly: a log of
# ENTRIES entries is followed while another process appends 10 entries a
# second for SECONDS seconds; the tool's
# CPU time over those seconds (user + system, from /proc) is printed against
# the goal of under 1 % of one core, with the summary alone and with the
# summary, tree and timeline rewritten after each batch; a second figure for
# each gives the same with no appends at all (the tool idle between polls).
#
#   bench/time-follow-idle.sh [BUILD_DIR] [SECONDS] [ENTRIES]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-bench}
seconds=${2:-30}
entries=${3:-100000}
if [ ! -x "$build/bin/lognex-report" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DLOGNEX_BUILD_TESTS=OFF -DLOGNEX_BUILD_APP=OFF -DLOGNEX_BUILD_BENCH=ON >/dev/null
fi
cmake --build "$build" -j2 --target lognex-report lognex_table_files >/dev/null

work=$(mktemp -d)
trap 'kill -TERM $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
/usr/bin/python3 scripts/make-sample-log.py "$work/log.rpt" --entries "$entries" --distinct 300 >/dev/null
tail -c 4096 "$work/log.rpt" | tail -n 20 >"$work/more.rpt"  # ten entries to append

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

follow() {  # label, then the tool's output options
  local label=$1 tool
  shift
  cp "$work/log.rpt" "$work/followed.rpt"
  rm -f "$work/ready"
  "$build/bin/lognex-report" --db "$build/bin" --follow --summary "$work/ready" "$@" "$work/followed.rpt" \
    >"$work/follow.out" 2>"$work/follow.err" &
  tool=$!
  until [ -s "$work/ready" ]; do sleep 0.2; done  # the first count is done
  measure "$label, 10 entries a second" "$tool" 1
  measure "$label, no appends" "$tool" 0
  kill -TERM "$tool"
  wait "$tool" || { echo "lognex-report --follow ended with status $?" >&2; exit 1; }
  echo "$label: printed $(wc -l <"$work/follow.out") lines for $((seconds * 10)) appended entries"
}

measure() {  # label, process, appends a second (0 or 1)
  local before after
  before=$(cpu_ticks "$2")
  for ((i = 0; i < seconds; i++)); do
    [ "$3" = 1 ] && cat "$work/more.rpt" >>"$work/followed.rpt"
    sleep 1
  done
  after=$(cpu_ticks "$2")
  awk -v t=$((after - before)) -v hz="$ticks" -v s="$seconds" -v l="$1" \
    'BEGIN { printf "%s: %.2f s CPU in %d s = %.2f %% of one core (goal: under 1 %%)\n", l, t / hz, s, 100 * t / hz / s }'
}

follow "summary only"
follow "summary, tree and timeline" --tree "$work/tree.txt" --timeline "$work/timeline.csv"
