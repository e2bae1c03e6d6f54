#!/usr/bin/env bash
# Times lognex-report --summary --tree on the largest log a run can take
# whole (32,768 lines, 16,384 entries, a few hundred distinct errors) beside
# a plain awk | sort count of the same log's distinct errors, run by run.
#
#   bench/time-report.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR (default build-bench) is configured as a Release build when it
# has no lognex-report yet. Every run prints the tool's wall and CPU time,
# its peak memory, the awk count's wall time and the ratio of the two wall
# times; the last lines give the medians against the goals (at most 60 ms of
# CPU time and at most 4 times the awk count, both medians) and the smallest
# peak memory against 64 MB.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-bench}
runs=${2:-9}
if [ ! -x "$build/bin/lognex-report" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DLOGNEX_BUILD_TESTS=OFF -DLOGNEX_BUILD_APP=OFF -DLOGNEX_BUILD_BENCH=ON >/dev/null
fi
cmake --build "$build" -j2 --target lognex-report lognex_table_files >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 scripts/make-sample-log.py "$work/big.rpt" --lines 32768 --distinct 300
report=("$build/bin/lognex-report" --db "$build/bin" --summary "$work/sum.txt" --tree "$work/tree.txt" "$work/big.rpt")
# The same count without tables: text and location of every entry, counted
# and sorted by count.
count_awk() {
  awk 'NR % 2 { n = index($0, "FILE:"); loc = n ? substr($0, n) : ""; next } { print $0 "\t" loc }' "$work/big.rpt" |
    sort | uniq -c | sort -rn >"$work/awk.txt"
}

"${report[@]}"  # warm the page cache and check that the run completes
count_awk
echo "log: $(wc -l <"$work/big.rpt") lines, $(($(wc -l <"$work/tree.txt") - $(grep -vc '^  ' "$work/tree.txt"))) entries," \
  "$(grep -vc '^  ' "$work/tree.txt") distinct errors (awk counts $(wc -l <"$work/awk.txt"))"

now_us() { echo $(($(date +%s%N) / 1000)); }
ms_since() { awk -v a="$1" -v b="$(now_us)" 'BEGIN { printf "%.1f", (b - a) / 1000 }'; }
tool_all=() awk_all=() ratio_all=() cpu_all=()
best_ms=999999 best_kb=999999999
for i in $(seq 1 "$runs"); do
  start=$(now_us)
  LC_ALL=C /usr/bin/time -f '%M %U %S' -o "$work/time" "${report[@]}"
  ms=$(ms_since "$start")
  read -r kb user sys <"$work/time"
  cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%d", (u + s) * 1000 }')
  start=$(now_us)
  count_awk
  awk_ms=$(ms_since "$start")
  ratio=$(awk -v a="$ms" -v b="$awk_ms" 'BEGIN { printf "%.1f", a / b }')
  # CPU time next to wall time: on a shared machine the wall time also counts waiting.
  echo "run $i: lognex-report ${ms} ms wall, ${cpu} ms CPU, $((kb / 1024)) MB peak; awk count ${awk_ms} ms wall; ratio ${ratio}"
  tool_all+=("$ms") awk_all+=("$awk_ms") ratio_all+=("$ratio") cpu_all+=("$cpu")
  best_ms=$(awk -v a="$ms" -v b="$best_ms" 'BEGIN { print (a < b ? a : b) }')
  [ "$kb" -lt "$best_kb" ] && best_kb=$kb
done

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
tool_median=$(median "${tool_all[@]}")
awk_median=$(median "${awk_all[@]}")
ratio_median=$(median "${ratio_all[@]}")
cpu_median=$(median "${cpu_all[@]}")
echo "median: lognex-report ${tool_median} ms wall, ${cpu_median} ms CPU; awk count ${awk_median} ms; ratio ${ratio_median}"
verdict="within"
if awk -v c="$cpu_median" 'BEGIN { exit !(c > 60) }' || [ "$best_kb" -gt $((64 * 1024)) ] ||
  awk -v r="$ratio_median" 'BEGIN { exit !(r > 4) }'; then verdict="OVER"; fi
echo "best: ${best_ms} ms wall, $((best_kb / 1024)) MB peak"
echo "goal: median CPU at most 60 ms, median ratio at most 4, peak at most 64 MB: $verdict"
