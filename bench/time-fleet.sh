#!/usr/bin/env bash
# Times lognex-report --fleet over a folder of generated prober logs (200 logs
# of 16,384 entries by default, each in a folder named after its prober), run
# by run, with the tool's peak memory.
#
#   bench/time-fleet.sh [BUILD_DIR] [LOGS] [ENTRIES] [RUNS]
#
# BUILD_DIR (default build-bench) is configured as a Release build when it
# has no lognex-report yet. Ten distinct logs (300 distinct errors over a
# year, a bad spot every 5,000 entries) are generated once and copied round
# the probers' folders. The last line gives the medians against the goals:
# 20 s and 200 MB peak.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-bench}
logs=${2:-200}
entries=${3:-16384}
runs=${4:-3}
if [ ! -x "$build/bin/lognex-report" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DLOGNEX_BUILD_TESTS=OFF -DLOGNEX_BUILD_APP=OFF -DLOGNEX_BUILD_BENCH=ON >/dev/null
fi
cmake --build "$build" -j2 --target lognex-report >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for seed in $(seq 0 9); do
  /usr/bin/python3 scripts/make-sample-log.py "$work/seed$seed.rpt" --entries "$entries" --distinct 300 --years 1 \
    --bad-every 5000 --seed "$seed"
done
for i in $(seq 1 "$logs"); do
  prober=$(printf 'P%03d' "$i")
  mkdir -p "$work/fleet/$prober"
  cp "$work/seed$((i % 10)).rpt" "$work/fleet/$prober/err_log.rpt"
done
echo "fleet: $logs logs of $entries entries, $(du -sm "$work/fleet" | cut -f1) MB"

now_us() { echo $(($(date +%s%N) / 1000)); }
ms_all=() cpu_all=() kb_all=()
for i in $(seq 1 "$runs"); do
  start=$(now_us)
  LC_ALL=C /usr/bin/time -v -o "$work/time" "$build/bin/lognex-report" --fleet "$work/fleet.csv" "$work/fleet"
  ms=$((($(now_us) - start) / 1000))
  kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time")
  cpu=$(awk -F': ' '/User time/ { u = $2 } /System time/ { s = $2 } END { printf "%d", (u + s) * 1000 }' "$work/time")
  echo "run $i: ${ms} ms wall, ${cpu} ms CPU, $((kb / 1024)) MB peak"
  ms_all+=("$ms") cpu_all+=("$cpu") kb_all+=("$kb")
done
echo "table: $(($(wc -l <"$work/fleet.csv") - 1)) errors," \
  "$((($(head -1 "$work/fleet.csv" | tr ',' '\n' | wc -l) - 4) / 2)) logs of count and rate columns"

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "median: ${logs} logs in $(median "${ms_all[@]}") ms wall, $(median "${cpu_all[@]}") ms CPU," \
  "peak $(($(median "${kb_all[@]}") / 1024)) MB; goal 20000 ms, 200 MB"
