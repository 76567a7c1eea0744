#!/usr/bin/env bash
# Unpacks the Debian package in <package folder> into a scratch root, starts the
# installed program there under Xvfb with a scratch home, exits it through its
# menu and checks that the settings land in the scratch ~/.config/Pelmora/.
#   installed-run.sh <package folder> <scratch folder>
set -euo pipefail
DEBS=("$1"/pelmora_*.deb)
SCRATCH=$2
ROOT=$SCRATCH/root
HOME_DIR=$SCRATCH/home

fail() {
  echo "FAIL: $*" >&2
  cat "$SCRATCH/program.log" >&2 2>/dev/null || true
  exit 1
}
pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done' EXIT

wait_until() {  # runs "$@" until it succeeds, for at most 30 s
  for _ in $(seq 300); do "$@" && return 0; sleep 0.1; done
  return 1
}

[ ${#DEBS[@]} -eq 1 ] && [ -f "${DEBS[0]}" ] || fail "expected one package in $1"
rm -rf "$SCRATCH"
mkdir -p "$ROOT" "$HOME_DIR" "$SCRATCH/runtime"
chmod 700 "$SCRATCH/runtime"
dpkg-deb -x "${DEBS[0]}" "$ROOT"
[ "$(readlink "$ROOT/usr/bin/pelmora")" = ../lib/pelmora/Pelmora ] || fail "launcher is no relative link"
for f in applications/org.pelmora.Pelmora.desktop metainfo/org.pelmora.Pelmora.metainfo.xml \
         icons/hicolor/scalable/apps/pelmora.svg icons/hicolor/48x48/apps/pelmora.png; do
  [ -f "$ROOT/usr/share/$f" ] || fail "$f missing from the package"
done

exec 3>"$SCRATCH/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=("$!")
exec 3>&-
wait_until test -s "$SCRATCH/display" || fail "Xvfb did not start"
export DISPLAY=":$(cat "$SCRATCH/display")"
blackbox >/dev/null 2>&1 &
pids+=("$!")

# A clean environment: nothing of the caller's home or Qt settings leaks in.
env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" LANG=C.UTF-8 HOME="$HOME_DIR" XDG_RUNTIME_DIR="$SCRATCH/runtime" \
  "$ROOT/usr/bin/pelmora" >"$SCRATCH/program.log" 2>&1 &
program=$!
pids+=("$program")

shown() {  # count [title]: the program shows that many windows (with exactly that title)
  local found=0 id
  for id in $(xdotool search --onlyvisible --pid "$program" 2>/dev/null); do
    [ -z "${2:-}" ] || [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$2" ] && found=$((found + 1))
  done
  [ "$found" -eq "$1" ]
}
exited() { ! kill -0 "$program" 2>/dev/null; }

wait_until shown 1 Pelmora || fail "the window did not appear"
xdotool mousemove --window "$(xdotool search --onlyvisible --pid "$program")" 20 20 click 3
wait_until shown 2 || fail "the context menu did not open"
xdotool key x  # 終了(&X)
wait_until shown 2 Pelmora || fail "no exit question captioned Pelmora"
xdotool key Return  # Yes is the default answer
wait_until exited || fail "the program did not end after Yes"
wait "$program" || fail "the program ended with status $?"

INI=$HOME_DIR/.config/Pelmora/Pelmora.ini
grep -qxF "Font=$ROOT/usr/share/pelmora/font/font.bmp" "$INI" || fail "$INI missing or without the shipped font"
[ ! -e "$ROOT/usr/lib/pelmora/Pelmora.ini" ] || fail "settings were written beside the installed program"
echo "installed program started, exited through its menu and saved $INI"
