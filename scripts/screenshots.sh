#!/usr/bin/env bash
# Starts Lognex under Xvfb, framed by the openbox window manager, on the
# sample log and saves a screenshot of the first start (folder dialog beside
# the splash), each page, the About box and the splash into OUT (default
# build/screenshots).
#   scripts/screenshots.sh [BUILD_DIR] [OUT]
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh screenshots >/dev/null
repo=$PWD
# Either folder may be given relative to the repository or absolute.
build=$(cd "${1:-build}" && pwd)
out=${2:-build/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
program="$build/bin/lognex"
sample="$repo/samples/err_log.rpt"
[ -x "$program" ] || { echo "screenshots: no program at $program" >&2; exit 1; }

work=$(mktemp -d)
app=""
wm=""
xvfb=""
trap 'kill $app $wm $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT

# fail MESSAGE: ends the script, naming the step that did not come.
fail() {
  echo "screenshots: $1" >&2
  exit 1
}

# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb did not start within 10 s"
export DISPLAY=:$(cat "$work/display")
# Real frames, stacking and focus, as on a desktop. Openbox's default theme
# draws a 3-pixel resize handle under every window, which in the pictures
# reads as a strip of the program's own: the shots use that theme without it.
theme=/usr/share/themes/Clearlooks/openbox-3
if [ -d "$theme" ]; then
  mkdir -p "$work/wm/themes/Clearlooks"
  cp -r "$theme" "$work/wm/themes/Clearlooks/"
  sed -i 's/^window\.handle\.width:.*/window.handle.width: 0/' "$work/wm/themes/Clearlooks/openbox-3/themerc"
fi
XDG_DATA_HOME="$work/wm" openbox --sm-disable >/dev/null 2>&1 &
wm=$!
sleep 1

shot() { sleep "${2:-0.7}"; import -window root "$out/$1.png"; }
# window TITLE [SECONDS]: the first visible window whose title matches, waiting
# at most SECONDS (default 60; xdotool's own --sync would wait for ever).
window() {
  local id seconds=${2:-60}
  for _ in $(seq $((seconds * 5))); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.2
  done
  fail "no window \"$1\" within $seconds s"
}
# painted ID: waits at most 60 s until the window shows more than black (a
# busy machine maps a dialog long before it draws its folder tree).
painted() {
  for _ in $(seq 120); do
    [ "$(import -window "$1" png:- 2>/dev/null | convert - -format '%[fx:mean>0.1]' info: 2>/dev/null)" = 1 ] && return
    sleep 0.5
  done
  fail "window $1 drew nothing within 60 s"
}
# stop PID: ends a program, by force when it has not gone within 5 s.
stop() {
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# Its own settings file in a private program folder, so the shots do not depend on earlier runs.
cp -r "$build/bin/." "$work/"
rm -f "$work"/*.ini "$work"/*.INI "$work"/lognex-aliases.cfg
printf '[Main]\r\nLeft=40\r\nTop=30\r\nWidth=820\r\nHeight=560\r\n' > "$work/LOGNEX.INI"
# The alias names a folder that is gone, so the start asks for the database
# folder while the splash is up; the dialog opens at the current folder, which
# holds the table files.
printf 'EgErrors=%s/gone\n' "$work" > "$work/lognex-aliases.cfg"
cd "$work"
ASAN_OPTIONS=detect_leaks=0 "$work/lognex" "$sample" &
app=$!
browse=$(window "Browse for database files")
painted "$browse"
shot first-start 4                   # the dialog opens beside the splash (its folder tree fills first)
shot folder-dialog 0
xdotool windowmove "$browse" 40 40   # the splash waits behind the dialog
shot splash 0.7
xdotool windowmove "$browse" 312 154
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$browse")"
xdotool mousemove --window "$browse" $((WIDTH - 130)) $((HEIGHT - 22)) click 1   # OK
main=$(window "Lognex - ")
# Without a window manager keys reach no window, so the script clicks.
click() { xdotool mousemove --window "$main" "$1" "$2" click 1; }
shot summary 1.5
click 264 31; shot timeline       # "Timeline" tab
click 190 31; shot tree          # "Tree View" tab
xdotool mousemove --window "$main" 60 81 click --repeat 2 1   # open the first error (under the filter row)
sleep 0.5
click 110 98; shot tree-open      # choose its first occurrence
click 37 31; shot log             # "Error Log" tab: the occurrence is selected
click 264 31                      # "Timeline" again: the chosen error stands out
xdotool mousemove --window "$main" 350 470; shot timeline-chosen 1.5   # a bar's tooltip
click 207 8; sleep 0.5            # "Help" menu (after File, Edit, Configuration and the blank item)
click 223 62                      # "About"
about=$(window "About Lognex")
shot about 1.5
xdotool mousemove --window "$about" 200 430 click 1
sleep 0.5
# Find and filter. Keys reach the window once it has the input focus.
timeout 10 xdotool windowfocus --sync "$main" || fail "the main window took no focus within 10 s"
click 37 31; sleep 0.3            # "Error Log" tab
xdotool key --clearmodifiers ctrl+f; sleep 0.3
xdotool type --delay 40 chuck
xdotool key Return Return
shot find
click 190 31; sleep 0.3           # "Tree View" tab
xdotool key --clearmodifiers ctrl+f; sleep 0.3
xdotool type --delay 40 align
xdotool mousemove --window "$main" 60 197 click --repeat 2 1  # open the second error left, under the first one's occurrences
shot tree-filter
stop $app

# The timeline of a large generated log (16,384 entries), in a second start
# that finds the tables through the folder chosen above.
python3 "$repo/scripts/make-sample-log.py" "$work/large.rpt" --lines 32768 --distinct 300
ASAN_OPTIONS=detect_leaks=0 "$work/lognex" "$work/large.rpt" &
app=$!
main=$(window "Lognex - ")
sleep 3
click 264 31; shot timeline-large 1.5
stop $app

# A year of a prober's errors (1 M entries, about 100 MB): the log page drawn
# straight from the file's lines with a search on it, and the tree over the
# run's value. A sanitized build counts that many entries for minutes.
python3 "$repo/scripts/make-sample-log.py" "$work/year.rpt" --entries 1000000 --distinct 500 --years 1
ASAN_OPTIONS=detect_leaks=0 "$work/lognex" "$work/year.rpt" &
app=$!
main=$(window "Lognex - " 600)
sleep 3
click 37 31; sleep 0.5            # "Error Log" tab
xdotool key --clearmodifiers ctrl+f; sleep 0.3
xdotool type --delay 40 vacuum
sleep 2
xdotool key Return
shot log-large 1.5
click 190 31; shot tree-large 1.5 # "Tree View" tab
stop $app
echo "screenshots in $out"
