#!/usr/bin/env bash
# Times lognex-report on hostile logs: a 4 GB file of NULs without a line
# break (sparse, so it takes no disk), a 40 MB one, 2 M empty lines and
# /dev/zero, next to a log of 16,383 entries and a 200 MB one (about 2 M
# entries), which are counted whole. Each hostile one must end quickly with
# its message (a file past the memory budget refused by its size, a line
# longer than 16 MB, a device refused by name) and a small peak memory.
#
#   bench/time-hostile-logs.sh [BUILD_DIR]
#
# BUILD_DIR (default build-bench) is configured as a Release build when it
# has no lognex-report yet.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-bench}
if [ ! -x "$build/bin/lognex-report" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DLOGNEX_BUILD_TESTS=OFF -DLOGNEX_BUILD_APP=OFF -DLOGNEX_BUILD_BENCH=ON >/dev/null
fi
cmake --build "$build" -j2 --target lognex-report lognex_table_files >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
pair = (b"Tue Apr 17 21:40:58 2007 FILE: CVT.c at LINE: 3580\r\n"
        b"Wafer loading error - wafer not sensed on chuck pins\r\n")
with open(work + "/200mb.rpt", "wb") as f:
    f.write(pair * (200 * 1024 * 1024 // len(pair)))
with open(work + "/largest.rpt", "wb") as f:
    f.write(pair * 16383)
with open(work + "/nuls.rpt", "wb") as f:
    f.write(b"\0" * (40 * 1024 * 1024))
with open(work + "/4gb-line.rpt", "wb") as f:
    f.truncate(4 * 1024 * 1024 * 1024)
with open(work + "/breaks.rpt", "wb") as f:
    f.write(b"\n" * (2 * 1024 * 1024))
PY

for log in "$work/largest.rpt" "$work/200mb.rpt" "$work/4gb-line.rpt" "$work/nuls.rpt" "$work/breaks.rpt" /dev/zero; do
  status=0
  LC_ALL=C /usr/bin/time -f '%e %M' -o "$work/time" \
    "$build/bin/lognex-report" --db "$build/bin" "$log" >/dev/null 2>"$work/err" || status=$?
  read -r seconds kb < <(tail -n 1 "$work/time")
  printf '%-12s exit %d, %5d ms wall, %4d MB peak: %s\n' "$(basename "$log")" "$status" \
    "$(awk -v s="$seconds" 'BEGIN { printf "%d", s * 1000 }')" "$((kb / 1024))" "$(head -n 1 "$work/err" | cut -c 1-100)"
done
