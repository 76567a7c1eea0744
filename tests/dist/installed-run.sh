#!/usr/bin/env bash
# Unpacks the Debian package in <package folder> into a scratch root, starts the
# installed program there under Xvfb with a scratch home, exits it through its
# menu and checks that the settings land in the scratch ~/.config/Pelmora/.
#   installed-run.sh <package folder> <scratch folder>
set -euo pipefail
DEBS=("$1"/pelmora_*.deb)
SCRATCH=$2
WAIT_SECONDS=30

fail() {
  echo "FAIL: $*" >&2
  [ -s "$SCRATCH/program.log" ] && sed 's/^/program: /' "$SCRATCH/program.log" >&2
  exit 1
}

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# Runs "$@" until it succeeds, for at most WAIT_SECONDS.
wait_until() {
  local tries=$((WAIT_SECONDS * 10))
  until "$@"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}

[ ${#DEBS[@]} -eq 1 ] && [ -f "${DEBS[0]}" ] || fail "expected one package in $1, found: ${DEBS[*]}"
rm -rf "$SCRATCH"
ROOT=$SCRATCH/root
HOME_DIR=$SCRATCH/home
mkdir -p "$ROOT" "$HOME_DIR" "$SCRATCH/runtime"
chmod 700 "$SCRATCH/runtime"
dpkg-deb -x "${DEBS[0]}" "$ROOT"

[ "$(readlink "$ROOT/usr/bin/pelmora")" = ../lib/pelmora/Pelmora ] || fail "launcher is no relative link"
for f in usr/lib/pelmora/Pelmora usr/share/pelmora/font/font.bmp \
         usr/share/applications/org.pelmora.Pelmora.desktop usr/share/metainfo/org.pelmora.Pelmora.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/pelmora.svg usr/share/icons/hicolor/48x48/apps/pelmora.png; do
  [ -f "$ROOT/$f" ] || fail "$f missing from the package"
done

exec 3>"$SCRATCH/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$SCRATCH/xvfb.log" 2>&1 &
pids+=("$!")
exec 3>&-
wait_until test -s "$SCRATCH/display" || fail "Xvfb did not start"
export DISPLAY=":$(cat "$SCRATCH/display")"
blackbox >/dev/null 2>&1 &
pids+=("$!")

# A clean environment: nothing of the caller's home or Qt settings leaks in.
env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" LANG=C.UTF-8 HOME="$HOME_DIR" \
  XDG_RUNTIME_DIR="$SCRATCH/runtime" XDG_DATA_HOME="$HOME_DIR/.local/share" \
  XDG_CACHE_HOME="$HOME_DIR/.cache" "$ROOT/usr/bin/pelmora" >"$SCRATCH/program.log" 2>&1 &
program=$!
pids+=("$program")

shown() {  # count [title]: the program shows that many windows (with exactly that title)
  local found=0 id
  for id in $(xdotool search --onlyvisible --pid "$program" 2>/dev/null); do
    [ -z "${2:-}" ] || [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$2" ] && found=$((found + 1))
  done
  [ "$found" -eq "$1" ]
}

wait_until shown 1 Pelmora || fail "the window did not appear"
window=$(xdotool search --onlyvisible --pid "$program")
xdotool mousemove --window "$window" 20 20 click 3
wait_until shown 2 || fail "the context menu did not open"
xdotool key x  # 終了(&X)
# The exit question is a second window with the program's caption.
wait_until shown 2 Pelmora || fail "no exit question captioned Pelmora"
xdotool key Return  # Yes is the default answer
exited() { ! kill -0 "$program" 2>/dev/null; }
wait_until exited || fail "the program did not end after Yes"
wait "$program" || fail "the program ended with status $?"

INI=$HOME_DIR/.config/Pelmora/Pelmora.ini
[ -f "$INI" ] || fail "no settings file at $INI"
grep -qxF "Font=$ROOT/usr/share/pelmora/font/font.bmp" "$INI" || fail "settings do not name the shipped font"
[ ! -e "$ROOT/usr/lib/pelmora/Pelmora.ini" ] || fail "settings were written beside the installed program"
echo "installed program started, exited through its menu and saved $INI"
