#!/usr/bin/env bash
# Installs the build into a temporary prefix, makes the prefix read-only and
# runs lognex-report and the window (offscreen) from it as a user who may not
# write there, with private XDG folders. Checks the layout, the outputs, that
# the user's own files appear in the XDG folders and that nothing under the
# prefix changed.
#   installed_run_test.sh BUILD_DIR SOURCE_DIR VERSION
# Exits 77 (skipped) when not run as root: another user is needed.
set -euo pipefail
build=$1
source=$2
version=$3

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIPPED: running the installed programs as another user (setpriv) needs root"
  exit 77
fi
user=nobody
group=$(id -gn "$user")

work=$(mktemp -d /tmp/lognex-installed-XXXXXX)
cleanup() {
  [ -n "${app:-}" ] && kill -KILL "$app" 2>/dev/null || true
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
prefix=$work/prefix
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
check_file() { [ -f "$1" ] || fail "missing $1"; }

# ---- the installed layout ---------------------------------------------------
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/lognex bin/lognex-report \
  share/lognex/ErrorName.ff2 share/lognex/ErrorOccur.ff2 share/lognex/ForExcel.ff2 \
  share/lognex/help/index.html share/lognex/pictures/splash_logo.png \
  share/applications/lognex.desktop share/mime/packages/lognex.xml \
  share/man/man1/lognex.1.gz share/man/man1/lognex-report.1.gz; do
  check_file "$prefix/$f"
done
for size in 16 22 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/lognex.png
  check_file "$icon"
  [ "$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]))' "$icon")" = "${size}x${size}" ] ||
    fail "$icon is not ${size}x${size}"
done
# The installed tables are empty ones, whatever a window run did to the program folder's.
fresh=$work/fresh-tables
"$build/bin/lognex-mktables" "$fresh"
for t in ErrorName ErrorOccur ForExcel; do
  cmp -s "$prefix/share/lognex/$t.ff2" "$fresh/$t.ff2" || fail "the installed $t.ff2 is not a fresh one"
done
[ -z "$(ls "$prefix/bin" | grep -v '^lognex')" ] || fail "bin/ holds more than the programs: $(ls "$prefix/bin")"
desktop-file-validate "$prefix/share/applications/lognex.desktop" || fail "desktop entry does not validate"
python3 - "$prefix/share/mime/packages/lognex.xml" "$prefix/share/applications/lognex.desktop" <<'EOF' || fail "MIME type"
import sys, xml.etree.ElementTree as ET
ns = "{http://www.freedesktop.org/standards/shared-mime-info}"
types = ET.parse(sys.argv[1]).getroot().findall(ns + "mime-type")
assert [g.get("pattern") for t in types for g in t.findall(ns + "glob")] == ["*.rpt"]
desktop = open(sys.argv[2]).read()
assert "MimeType=" + types[0].get("type") + ";" in desktop, "the desktop entry names another type"
EOF

# ---- a read-only prefix and a user of its own ------------------------------
chmod -R a-w "$prefix"
snapshot() { find "$prefix" -printf '%p %s %T@ %m\n' | sort; }
before=$(snapshot)
home=$work/home
mkdir -p "$home/out" "$home/run"
cp "$source/samples/err_log.rpt" "$home/"
chown -R "$user:$group" "$home"
chmod 700 "$home/run"
config=$home/xdg-config
data=$home/xdg-data
user_env=(setpriv --reuid="$user" --regid="$group" --clear-groups --
  env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$data"
  XDG_RUNTIME_DIR="$home/run" LC_ALL=C QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0)
as_user() { "${user_env[@]}" "$@"; }

# ---- the batch tool ---------------------------------------------------------
[ "$(as_user "$prefix/bin/lognex-report" --version)" = "lognex-report $version" ] || fail "--version"
as_user "$prefix/bin/lognex-report" --help | grep -q -- '--excel FILE' || fail "--help"
expected=$(cd "$home" && LC_ALL=C ASAN_OPTIONS=detect_leaks=0 "$build/bin/lognex-report" --db "$fresh" err_log.rpt)
got=$(cd "$home/out" && as_user "$prefix/bin/lognex-report" ../err_log.rpt) || fail "lognex-report exited $?"
[ "$got" = "$expected" ] || fail "the installed tool's summary differs from the build's"
(cd "$home/out" && as_user "$prefix/bin/lognex-report" --summary summary.txt --excel "Error Log.xls" ../err_log.rpt) ||
  fail "lognex-report with files"
[ "$(tr -d '\r' <"$home/out/summary.txt")" = "$expected" ] || fail "summary.txt"
[ "$(head -c 8 "$home/out/Error Log.xls" | od -An -tx1 | tr -d ' \n')" = "d0cf11e0a1b11ae1" ] || fail "workbook"
check_file "$config/lognex/lognex-aliases.cfg"
grep -qx "EgErrors=$data/lognex" "$config/lognex/lognex-aliases.cfg" || fail "the alias does not name the user's data folder"
for t in ErrorName ErrorOccur ForExcel; do check_file "$data/lognex/$t.ff2"; done
[ "$(stat -c %a "$config/lognex")" = 700 ] || fail "config folder mode $(stat -c %a "$config/lognex")"

# ---- the window ---------------------------------------------------------------
# Started in "/", which the user cannot write, as from a desktop menu; it
# processes the log given on its command line, then a SIGTERM closes it as
# Exit would.
(cd / && exec "${user_env[@]}" "$prefix/bin/lognex" "$home/err_log.rpt" -debug >"$work/window.log" 2>&1) &
app=$!
for _ in $(seq 1 120); do
  cmp -s "$data/lognex/err_log.rpt" "$home/err_log.rpt" && break
  sleep 0.5
done
cmp -s "$data/lognex/err_log.rpt" "$home/err_log.rpt" || fail "no log copy in the user's data folder"
sleep 1
kill -TERM "$app" 2>/dev/null || true
status=0
wait "$app" || status=$?
app=
[ "$status" = 0 ] || { fail "the window exited $status"; cat "$work/window.log"; }
ini=$config/lognex/LOGNEX.INI
check_file "$ini"
grep -q "^ErrPath=$home\r\?$" "$ini" || fail "ErrPath in $ini"
grep -q "help file \"$prefix/share/lognex/help/index.html\"" "$data/lognex/HHDebug.txt" ||
  fail "the help is not read from the installation"

# ---- nothing under the prefix changed ---------------------------------------------
after=$(snapshot)
[ "$before" = "$after" ] || { fail "the prefix changed"; diff <(echo "$before") <(echo "$after") || true; }

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "installed copy: layout, batch tool, window and per-user files as expected"
