#!/usr/bin/env bash
# Times lognex-report --summary --tree on a large generated log (1 M entries
# by default, about 100 MB; 10 M is about 1 GB) beside a plain awk | sort
# count of the same log's distinct errors, run by run, with the tool's peak
# memory against the log's size.
#
#   bench/time-large-report.sh [BUILD_DIR] [ENTRIES] [RUNS]
#
# BUILD_DIR (default build-bench) is configured as a Release build when it
# has no lognex-report yet. The log (500 distinct errors over a year, a bad
# spot every 10,000 entries) is generated once into a temporary folder, or
# taken from LOGNEX_LARGE_LOG when that names a file (generating 10 M entries
# takes minutes; the file is kept for the next time when it does not exist
# yet). The last lines give the medians against the goals: 3 s, 5 times the
# awk count, peak memory 1.5 times the log; CPU time beside the wall time,
# which on a shared machine includes waiting for a processor.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-bench}
entries=${2:-1000000}
runs=${3:-3}
if [ ! -x "$build/bin/lognex-report" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DLOGNEX_BUILD_TESTS=OFF -DLOGNEX_BUILD_APP=OFF -DLOGNEX_BUILD_BENCH=ON >/dev/null
fi
cmake --build "$build" -j2 --target lognex-report lognex_table_files >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log=${LOGNEX_LARGE_LOG:-$work/big.rpt}
if [ ! -f "$log" ]; then
  /usr/bin/python3 scripts/make-sample-log.py "$log" --entries "$entries" --distinct 500 --years 1 --bad-every 10000
fi
log_bytes=$(stat -c %s "$log")
report=("$build/bin/lognex-report" --db "$build/bin" --summary "$work/sum.txt" --tree "$work/tree.txt" "$log")
count_awk() {
  awk 'NR % 2 { n = index($0, "FILE:"); loc = n ? substr($0, n) : ""; next } { print $0 "\t" loc }' "$log" |
    sort | uniq -c | sort -rn >"$work/awk.txt"
}

echo "log: $(wc -l <"$log") lines, $((log_bytes / 1048576)) MB"
now_us() { echo $(($(date +%s%N) / 1000)); }
ms_since() { awk -v a="$1" -v b="$(now_us)" 'BEGIN { printf "%.0f", (b - a) / 1000 }'; }
tool_all=() cpu_all=() awk_all=() ratio_all=() kb_all=()
for i in $(seq 1 "$runs"); do
  start=$(now_us)
  LC_ALL=C /usr/bin/time -v -o "$work/time" "${report[@]}"
  ms=$(ms_since "$start")
  kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time")
  cpu=$(awk -F': ' '/User time/ { u = $2 } /System time/ { s = $2 } END { printf "%d", (u + s) * 1000 }' "$work/time")
  start=$(now_us)
  count_awk
  awk_ms=$(ms_since "$start")
  ratio=$(awk -v a="$ms" -v b="$awk_ms" 'BEGIN { printf "%.1f", a / b }')
  echo "run $i: lognex-report ${ms} ms wall, ${cpu} ms CPU, $((kb / 1024)) MB peak; awk count ${awk_ms} ms wall; ratio ${ratio}"
  tool_all+=("$ms") cpu_all+=("$cpu") awk_all+=("$awk_ms") ratio_all+=("$ratio") kb_all+=("$kb")
done
echo "entries counted: $(($(wc -l <"$work/tree.txt") - $(grep -vc '^  ' "$work/tree.txt"))), distinct errors:" \
  "$(grep -vc '^  ' "$work/tree.txt") (awk counts $(wc -l <"$work/awk.txt"))"

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
tool_median=$(median "${tool_all[@]}")
kb_median=$(median "${kb_all[@]}")
memory_ratio=$(awk -v k="$kb_median" -v b="$log_bytes" 'BEGIN { printf "%.2f", k * 1024 / b }')
echo "median: lognex-report ${tool_median} ms ($(median "${cpu_all[@]}") ms CPU), awk count $(median "${awk_all[@]}") ms, ratio $(median "${ratio_all[@]}")," \
  "peak $((kb_median / 1024)) MB = ${memory_ratio} x the log; goal 3000 ms, ratio 5, 1.5 x the log"
