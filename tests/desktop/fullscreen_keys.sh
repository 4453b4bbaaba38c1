#!/usr/bin/env bash
# The built game in a real window (run under xvfb-run, 1280 x 1024), in the
# middle of the easy stage: F11 and Alt+Enter switch the window to the whole
# screen and back, each key both ways. The window belongs to the platform:
# the game's display is not rebuilt, the stage goes on drawing, and no key
# reaches the game (Enter would otherwise arrive as a typed character 13).
# The window also carries the program's icon.
# Usage: fullscreen_keys.sh <run folder> <output folder>
set -uo pipefail
source "$(dirname "$0")/../support/game_window.sh"
supp="$(cd "$(dirname "$0")/../support" && pwd)/lsan-system-libraries.supp"
export LSAN_OPTIONS="suppressions=$supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
run=$(cd "$1" && pwd)
out=$2
mkdir -p "$out"
rm -f "$out"/*.png "$out"/log.txt
for tool in xdotool xprop openbox import; do
  command -v "$tool" >/dev/null || { echo "fullscreen_keys: $tool is missing" >&2; exit 1; }
done
[ -x "$run/voskar" ] || { echo "fullscreen_keys: no $run/voskar (build voskar_run)" >&2; exit 1; }

work=$(voskar_work_folder "$run" fullscreen) || exit 1
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# A window mapped while the window manager is still starting may never be
# shown, and SDL waits for that: the game starts once openbox is in charge.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
cd "$work" || exit 1
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy VOSKAR_BACKEND=sdl "$run/voskar" &
pid=$!
finish() {
  kill "$pid" 2>/dev/null
  kill "$wm" 2>/dev/null
  cp "$work/log.txt" "$out/log.txt" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT

failed=0
fail() {
  echo "fullscreen_keys: $*" >&2
  failed=1
}
log=$work/log.txt
count() { grep -c -F -- "$1" "$log" 2>/dev/null || true; }
wait_log() {
  for _ in $(seq $(($2 * 5))); do
    [ "$(count "$1")" -gt 0 ] && return 0
    sleep 0.2
  done
  fail "no $1 in log.txt within $2 s"
  exit 1
}

window=$(voskar_game_window) || { fail "no game window"; exit 1; }
timeout 5 xdotool windowactivate --sync "$window" >/dev/null 2>&1
wait_log "CSceneTitle::Draw:end" 30

# The icon: the largest picture of voskar.ico, 64 x 64.
icon=$(xprop -id "$window" _NET_WM_ICON | head -2)
case $icon in
  *"Icon (64 x 64)"*) ;;
  *) fail "the window has no 64 x 64 icon: ${icon:-nothing}" ;;
esac

xdotool key space
wait_log "CSceneSelect::Draw:end" 20
xdotool key e
wait_log "CSceneGame::Draw():end" 30

size() { xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p'; }
# press <keys> <expected size> <name>
press() {
  local drawn
  drawn=$(count "CSceneGame::Draw():end")
  xdotool key --clearmodifiers "$1"
  for _ in $(seq 50); do
    [ "$(size)" = "$2" ] && break
    sleep 0.1
  done
  [ "$(size)" = "$2" ] || fail "after $1 the window is $(size), not $2"
  sleep 1
  import -window root "$out/$3.png" 2>/dev/null
  [ "$(count "CSceneGame::Draw():end")" -gt "$drawn" ] || fail "the stage stopped drawing after $1"
}
press F11 1280x1024 f11-full
press alt+Return 640x480 alt-enter-window
press alt+Return 1280x1024 alt-enter-full
press F11 640x480 f11-window

builds=$(count "CApplication::InitDeviceObjects:end")
keys=$(count "CSceneGame::CatchKey():end")
titles=$(grep -n -F "CSceneTitle::Draw:end" "$log" | tail -1 | cut -d: -f1)
game=$(grep -n -m1 -F "CSceneGame::Draw():end" "$log" | cut -d: -f1)
echo "fullscreen_keys: display built $builds time(s), $keys key(s) reached the stage"
[ "$builds" -eq 1 ] || fail "the display was rebuilt"
[ "$keys" -eq 0 ] || fail "the switching keys reached the stage"
[ "$titles" -lt "$game" ] || fail "the game went back to the title"

# The switch keys leave the game its typing: a letter still reaches the stage.
xdotool key a
for _ in $(seq 25); do
  [ "$(count "CSceneGame::CatchKey():end")" -gt 0 ] && break
  sleep 0.2
done
[ "$(count "CSceneGame::CatchKey():end")" -gt 0 ] || fail "a typed letter did not reach the stage"

kill -TERM "$pid"
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "the game exited with status $status"
exit $failed
