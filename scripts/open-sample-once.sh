#!/usr/bin/env bash
# Opens samples/err_log.rpt once in the window started from a build's program
# folder, as anyone trying the build does (offscreen, no display needed), and
# closes it as Exit does. The run fills the program folder's table files and
# leaves the settings file, the alias registry and the log copy there.
#   open-sample-once.sh [BUILD_DIR]      (default build-test)
set -euo pipefail
bin=$(realpath "${1:-$(dirname "$0")/../build-test}")/bin
sample=$(realpath "$(dirname "$0")/../samples/err_log.rpt")

work=$(mktemp -d /tmp/lognex-open-sample-XXXXXX)
window=
cleanup() {
  [ -n "$window" ] && kill -KILL "$window" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A private runtime folder: a window of this user's already running elsewhere
# would otherwise take the log over and this start end at once.
rm -f "$bin/err_log.rpt"
XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 "$bin/lognex" "$sample" \
  >"$work/window.log" 2>&1 &
window=$!
# The run copies the log first and keeps the message loop busy until it is
# done, so the SIGTERM (handled as Exit) is only acted on after the run.
for _ in $(seq 1 240); do
  cmp -s "$bin/err_log.rpt" "$sample" && break
  kill -0 "$window" 2>/dev/null || break
  sleep 0.5
done
kill -TERM "$window" 2>/dev/null || true
status=0
wait "$window" || status=$?
window=
[ "$status" = 0 ] || { echo "open-sample-once: the window exited $status" >&2; cat "$work/window.log" >&2; exit 1; }
cmp -s "$bin/err_log.rpt" "$sample" || { echo "open-sample-once: no log copy (LogCopy off in $bin/LOGNEX.INI?)" >&2; exit 1; }
"$bin/lognex-mktables" "$work/fresh"
! cmp -s "$bin/ErrorName.ff2" "$work/fresh/ErrorName.ff2" ||
  { echo "open-sample-once: the program folder's tables are still empty" >&2; exit 1; }
echo "open-sample-once: $sample processed in the window from $bin"
