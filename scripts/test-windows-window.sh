#!/usr/bin/env bash
# The Windows window under wine, as a user meets it: unpacks the portable zip
# (scripts/package-windows.sh) into a folder with a non-ASCII name, starts
# lognex.exe on an Xvfb display framed by openbox, and through the real
# dialogs (driven with xdotool) processes the bundled sample, saves the
# summary and exports the workbook; both are compared with what the Linux
# batch tool writes (dates by value). Along the way: screenshots of the four
# pages, a second start that hands its log to the first and ends, and the end
# of the session (wineboot), after which the settings file holds what the
# window last showed.
#
# Usage: scripts/test-windows-window.sh [LINUX_LOGNEX_REPORT] [SHOTS_DIR]
#   (defaults build-test/bin/lognex-report and build-windows-app/screenshots)
# Needs the Qt for MinGW cache (scripts/build-windows-qt.sh); without it the
# script says it skips and succeeds.
set -euo pipefail
cd "$(dirname "$0")/.."
linux_tool=$(realpath "${1:-build-test/bin/lognex-report}")
shots=$(mkdir -p "${2:-build-windows-app/screenshots}" && cd "${2:-build-windows-app/screenshots}" && pwd)
started=$(date +%s)

qt=${LOGNEX_QT_MINGW:-${XDG_CACHE_HOME:-$HOME/.cache}/lognex/qt6-mingw-6.4.2}
if ! grep -q '^re2 ' "$qt/lognex-qt-build.txt" 2>/dev/null; then
  echo "test-windows-window: SKIPPED: no Qt for MinGW in $qt (scripts/build-windows-qt.sh builds it: an hour or more)"
  exit 0
fi

zip=$(./scripts/package-windows.sh | tail -n 1)

wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
work=$(mktemp -d "${TMPDIR:-/tmp}/lognex-windows-window-XXXXXX")
wm=""
xvfb=""
cleanup() {
  WINEPREFIX="$work/prefix" "$wineserver" -k 2>/dev/null || true
  kill $wm $xvfb 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="

fail() {
  echo "test-windows-window: $1 (after $(($(date +%s) - started)) s)" >&2
  [ -f "$work/lognex.log" ] && sed 's/^/  lognex.exe: /' "$work/lognex.log" >&2
  import -window root "$shots/failure.png" 2>/dev/null || true
  exit 1
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb did not start within 10 s"
export DISPLAY=:$(cat "$work/display")
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
"$wine" wineboot --init >/dev/null 2>&1 || true
echo "test-windows-window: wine prefix ready after $(($(date +%s) - started)) s"

# The portable copy in a folder whose name is not ASCII: everything it keeps
# (settings, aliases, tables, log copy) goes there.
program="$work/Prüfung Ölé"
mkdir -p "$program"
unzip -q "$zip" -d "$work/unzipped"
cp -r "$work/unzipped"/lognex-*/. "$program/"
printf '[Main]\r\nLeft=40\r\nTop=30\r\nWidth=820\r\nHeight=560\r\nPrompt=TRUE\r\n' >"$program/LOGNEX.INI"
mkdir -p "$work/logs" "$work/windows" "$work/linux" "$work/run"
cp samples/err_log.rpt "$work/logs/sample.rpt"
# A second, shorter log for the second start to hand over.
head -n 20 samples/err_log.rpt >"$work/logs/second.rpt"
winpath() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# window TITLE: the first visible window whose title matches, waiting at most 90 s.
window() {
  local id
  for _ in $(seq 450); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.2
  done
  fail "no window \"$1\" within 90 s"
}
# gone ID: waits at most 60 s until the window is closed.
gone() {
  for _ in $(seq 300); do
    xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  fail "window $1 did not close within 60 s"
}
keys() { xdotool key --clearmodifiers "$@"; sleep 0.4; }
# answer DIALOG_TITLE TEXT: types TEXT into the file name field of the dialog and accepts it.
answer() {
  local dialog
  dialog=$(window "$1")
  sleep 1
  timeout 10 xdotool windowfocus --sync "$dialog" || true
  keys alt+n
  xdotool type --delay 20 "$2"
  keys Return
  gone "$dialog"
}
shot() { sleep "${2:-1}"; import -window root "$shots/$1.png"; }

# --- The sample, through the dialogs ---------------------------------------
(cd "$work/run" && "$wine" "$program/lognex.exe" >"$work/lognex.log" 2>&1) &
main=$(window "^Lognex$")
sleep 2
timeout 10 xdotool windowfocus --sync "$main" || fail "the main window took no focus"
keys alt+o                                    # "Open and Process Log"
answer "Open Prober Error Log" "$(winpath "$work/logs/sample.rpt")"
window "^Lognex - " >/dev/null
shot summary 2                                # a run ends on the Summary page
# Ctrl+Tab turns the pages while the focus is on one: a click into the
# summary puts it there, and each page's text or tree takes it over.
xdotool mousemove --window "$main" 410 280 click 1
keys ctrl+shift+Tab; shot error-log
keys ctrl+Tab ctrl+Tab; shot tree
keys ctrl+Tab; shot timeline
failed=0
[ "$(md5sum "$shots"/{summary,error-log,tree,timeline}.png | cut -d' ' -f1 | sort -u | wc -l)" = 4 ] ||
  { echo "test-windows-window: the four page screenshots are not four different pages" >&2; failed=1; }
keys alt+f s                                  # File > Save Summary
answer "Save Error Summary" "$(winpath "$work/windows/summary.txt")"
keys alt+f e                                  # File > Export to Excel, into the current folder
message=$(window "Export Complete")
timeout 10 xdotool windowfocus --sync "$message" || true
keys Return
gone "$message"
[ -f "$work/run/Error Log.xls" ] || fail "no Error Log.xls in the current folder"
cp "$work/run/Error Log.xls" "$work/windows/workbook.xls"

"$(dirname "$linux_tool")/lognex-mktables" "$work/linux-tables"
(cd "$work/linux" && LC_ALL=C "$linux_tool" --db "$work/linux-tables" --summary summary.txt --excel workbook.xls \
  "$work/logs/sample.rpt" >/dev/null)
/usr/bin/python3 scripts/compare-report-outputs.py "$work/linux" "$work/windows" "$work" || failed=1

# --- The program folder holds the portable copy's files ---------------------
for file in lognex-aliases.cfg err_log.rpt; do
  [ -f "$program/$file" ] || { echo "test-windows-window: no $file in the program folder" >&2; failed=1; }
done
[ ! -e "$work/prefix/drive_c/users/$(id -un)/AppData/Roaming/lognex" ] ||
  { echo "test-windows-window: a portable copy wrote into %APPDATA%" >&2; failed=1; }

# --- A second start hands its log to the first and ends ---------------------
second_started=$(date +%s)
(cd "$work/run" && timeout 30 "$wine" "$program/lognex.exe" "$(winpath "$work/logs/second.rpt")" \
  >"$work/second.log" 2>&1) || { echo "test-windows-window: the second start did not end by itself" >&2; failed=1; }
echo "test-windows-window: the second start ended after $(($(date +%s) - second_started)) s"
window "^Lognex - .*second" >/dev/null
[ "$(xdotool search --onlyvisible --name '^Lognex' | wc -l)" = 1 ] ||
  { echo "test-windows-window: a second main window appeared" >&2; failed=1; }

# --- The end of the session: the settings are written first ----------------
keys alt+c c                                  # Configuration > Copy Error Log: off
xdotool windowmove "$main" 64 48
sleep 1
"$wine" wineboot --end-session --kill >/dev/null 2>&1 || true
for _ in $(seq 100); do pgrep -f 'lognex\.exe' >/dev/null || break; sleep 0.2; done
grep -q 'LogCopy=FALSE' "$program/LOGNEX.INI" ||
  { echo "test-windows-window: the session ended without the settings written:" >&2; cat "$program/LOGNEX.INI" >&2; failed=1; }

elapsed=$(($(date +%s) - started))
if [ "$failed" -ne 0 ]; then
  echo "test-windows-window: FAILED after $elapsed s (screenshots in $shots)" >&2
  exit 1
fi
echo "test-windows-window: the Windows window agrees with the Linux build ($elapsed s; screenshots in $shots)"
