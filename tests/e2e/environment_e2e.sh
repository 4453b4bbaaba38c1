#!/usr/bin/env bash
# The real program in hostile surroundings, one case a run (under xvfb-run
# where it needs a display), from a private folder that sees the run
# folder's BMP/ and Data/. Usage: environment_e2e.sh <case> <run folder>
set -uo pipefail
supp="$(cd "$(dirname "$0")/../support" && pwd)/lsan-system-libraries.supp"
export LSAN_OPTIONS="suppressions=$supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export SDL_AUDIODRIVER=dummy VOSKAR_BACKEND=sdl
unset SDL_VIDEODRIVER
run=$(cd "$2" && pwd)
work=$(mktemp -d /tmp/voskar-environment-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/game" && ln -s "$run/BMP" "$work/game/BMP" && ln -s "$run/Data" "$work/game/Data"
cd "$work/game" || exit 1
failed=0
fail() { echo "environment_e2e: $*" >&2; failed=1; }
start() { "$run/voskar" 2>err.txt & pid=$!; }
# ends_within <tenths of a second>: the game's status in $status.
ends_within() {
  for _ in $(seq "$1"); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && { kill -9 "$pid"; fail "the game did not end"; }
  wait "$pid"
  status=$?
}
# window <pattern>: the X id of a top-level window whose line in the tree matches.
window() {
  for _ in $(seq 150); do
    id=$(xwininfo -root -tree 2>/dev/null | awk -v p="$1" '$0 ~ p { print $1; exit }')
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
}
game='"Voskar -Night Harrow Typing Game[.]-": [(]'

case $1 in
no-display)
  for display in "" ":$((90 + RANDOM % 9))9"; do
    if [ -n "$display" ]; then export DISPLAY=$display; else unset DISPLAY; fi
    start && ends_within 100
    [ "$status" -ne 0 ] || fail "status 0 without a display"
    [ "$(wc -l <err.txt)" -eq 1 ] || fail "stderr is not one line: $(cat err.txt)"
    want="cannot open a window on ${display:+display $display}"
    [ -z "$display" ] && want="DISPLAY is unset"
    grep -q "$want" err.txt || fail "stderr does not say '$want': $(cat err.txt)"
    [ ! -e log.txt ] || fail "a log was written"
  done
  ;;
error-box)
  for how in TERM INT OK; do
    start
    box=$(window '"Voskar -Night Harrow Typing Game[.]-": [(][)]')
    [ -n "$box" ] || { fail "no error box: $(cat err.txt)"; kill -9 "$pid" 2>/dev/null; continue; }
    helpers=$(pgrep -P "$pid")
    if [ $how = OK ]; then xdotool windowfocus "$box" key Return; else kill -$how "$pid"; fi
    ends_within 50
    [ "$status" -ne 0 ] || fail "status 0 after the error box ($how)"
    sleep 0.3
    # A helper killed but not yet reaped (state Z) is gone.
    for helper in $helpers; do
      ps -o stat= -p "$helper" | grep -q '^[^Z]' && fail "box helper $helper outlives the game ($how)"
    done
    xwininfo -root -tree | grep -q '"Voskar' && fail "a box is left on screen ($how)"
    grep -q "cannot draw in the window" err.txt || fail "no cause on stderr: $(cat err.txt)"
    grep -q "Generic application error" err.txt || fail "no box text on stderr ($how)"
  done
  ;;
small-screen)
  command -v openbox >/dev/null && { openbox --sm-disable >/dev/null 2>&1 & wm=$!; sleep 1; }
  start
  id=$(window "$game")
  sleep 1
  read -r cx cy cw ch < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$NF}
    /Absolute upper-left Y/ {y=$NF} /Width/ {w=$NF} /Height/ {h=$NF} END {print x, y, w, h}')
  # The frame a window manager drew around it: left, right, top, bottom.
  read -r l r t b < <(xprop -id "$id" _NET_FRAME_EXTENTS | tr -dc '0-9 ,' | tr ',' ' ')
  x=$((cx - ${l:-0})) y=$((cy - ${t:-0})) w=$((cw + ${l:-0} + ${r:-0})) h=$((ch + ${t:-0} + ${b:-0}))
  echo "environment_e2e: frame ${w}x$h at $x,$y, client ${cw}x$ch"
  [ -n "$cx" ] && [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le 320 ] && [ $((y + h)) -le 240 ] ||
    fail "the window does not fit the screen"
  [ $((cw * 3 - ch * 4)) -ge -4 ] && [ $((cw * 3 - ch * 4)) -le 4 ] || fail "not 4:3: ${cw}x$ch"
  kill "$pid"
  ends_within 50
  [ -n "${wm:-}" ] && kill "$wm"
  ;;
window-destroyed)
  start
  id=$(window "$game")
  sleep 1
  xdotool windowclose "$id"
  ends_within 50
  [ "$status" -eq 0 ] || fail "status $status after the window was destroyed: $(cat err.txt)"
  grep -q "destroyed by another program" err.txt || fail "nothing said on stderr"
  [ "$(tail -1 log.txt | cut -c1)" = - ] || fail "the log ends inside a scope: $(tail -1 log.txt)"
  ;;
elsewhere)
  export VOSKAR_BACKEND=headless
  mkdir "$work/app" "$work/other" && cp "$run/voskar" "$work/app/" &&
    ln -s "$run/BMP" "$work/app/BMP" && ln -s "$run/Data" "$work/app/Data"
  cd "$work/other" && timeout 3 "$work/app/voskar" 2>err.txt
  [ -s "$work/app/log.txt" ] && [ ! -e log.txt ] || fail "the log is not in the program's folder"
  [ ! -s err.txt ] || fail "stderr: $(cat err.txt)"
  rm "$work/app/BMP" && timeout 3 "$work/app/voskar" 2>err.txt
  [ "$(cat err.txt)" = "voskar: no BMP folder in $work/app: the pictures are missing" ] ||
    fail "stderr: $(cat err.txt)"
  ;;
log-link)
  export VOSKAR_BACKEND=headless
  echo precious >"$work/target"
  for make in "ln -s $work/target" "ln $work/target" mkfifo; do
    rm -f log.txt && $make log.txt
    [ "$make" = mkfifo ] && { cat log.txt >"$work/piped" & reader=$!; }
    timeout 3 "$run/voskar" 2>err.txt
    status=$?
    [ "$status" -eq 124 ] || fail "the game did not run on with log.txt made by $make ($status)"
  done
  kill "$reader" 2>/dev/null
  [ "$(cat "$work/target")" = precious ] || fail "the link's target was written"
  [ ! -s "$work/piped" ] || fail "the log was written into a pipe"
  ;;
*)
  fail "unknown case $1"
  ;;
esac
exit $failed
