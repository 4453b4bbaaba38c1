#!/usr/bin/env bash
# Plays the Windows program under Wine on a virtual X display, driven by
# xdotool: title -> level select -> the easy stage, where a typist shoots at
# least one target down -> score -> title; then Alt+Enter switches to full
# screen and back. A copy of the run folder is played, with a short camera
# path so that the stage lasts 25 seconds.
#
# Passes when the program's log.txt shows each scene drawn, in that order, a
# target shot down, the score scene reached, the display rebuilt by each
# Alt+Enter, and when no Wine error line names the program.
#
# Usage: scripts/windows-check.sh [--shots DIR] [--linux] [RUN_FOLDER]
#   RUN_FOLDER   default build/windows/run (cmake --build --preset windows)
#   --shots DIR  keep screenshots of the title, level select, an early stage
#                frame and the score, the logs and the stage's drawing order
#   --linux      play the Linux program (default build/run) the same way,
#                without the Wine steps: scripts/side-by-side.sh compares the two
# Environment: VOSKAR_CHECK_TIMEOUT, seconds for the whole run (default 360).
# Needs wine and wine32:i386, xvfb, xauth, xdotool, x11-utils, openbox and
# imagemagick (.ci/run installs them).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
title_name='^Voskar -Night Harrow Typing Game\.-$'

shots=
linux=0
run=
while [ $# -gt 0 ]; do
  case $1 in
    --shots) shots=$2; shift 2 ;;
    --linux) linux=1; shift ;;
    -h | --help) sed -n '2,21p' "$0"; exit 0 ;;
    *) run=$1; shift ;;
  esac
done
if [ -z "$run" ]; then
  if [ $linux = 1 ]; then run=$root/build/run; else run=$root/build/windows/run; fi
fi
program=voskar.exe
[ $linux = 1 ] && program=voskar
say() { echo "windows-check: $*"; }
doing() { step=$*; }
die() {
  echo "windows-check: FAILED: $*" >&2
  exit 1
}
[ -f "$run/$program" ] || die "no $run/$program (build it: cmake --preset windows &&" \
  "cmake --build --preset windows, or for --linux: cmake --build --preset release --target voskar_run)"
run=$(cd "$run" && pwd)
if [ -n "$shots" ]; then
  mkdir -p "$shots" || die "cannot make $shots"
  shots=$(cd "$shots" && pwd)
fi
tools=(xvfb-run xdotool xprop openbox import)
[ $linux = 0 ] && tools+=(wine wineboot wineserver)
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null ||
    die "$tool is missing (Debian: apt-get install wine wine32:i386 xvfb xauth xdotool x11-utils openbox imagemagick)"
done

# The rest runs on an X server of its own, within the time limit.
if [ -z "${VOSKAR_CHECK_INNER:-}" ]; then
  limit=${VOSKAR_CHECK_TIMEOUT:-360}
  args=()
  [ -n "$shots" ] && args+=(--shots "$shots")
  [ $linux = 1 ] && args+=(--linux)
  VOSKAR_CHECK_INNER=1 timeout -k 10 "$limit" \
    xvfb-run -a -s "-noreset -screen 0 1024x768x24" "$0" "${args[@]}" "$run"
  status=$?
  [ $status -eq 124 ] && echo "windows-check: FAILED: not done within $limit s" >&2
  exit $status
fi

began=$(date +%s)
elapsed() { echo "$(($(date +%s) - began)) s"; }
work=$(mktemp -d /tmp/voskar-windows-check-XXXXXX)
pid=
wm=
finish() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    sleep 1
  fi
  [ $linux = 0 ] && wineserver -k 2>/dev/null
  [ -n "$wm" ] && kill "$wm" 2>/dev/null
  if [ -n "$shots" ]; then
    cp "$work/run/log.txt" "$shots/log.txt" 2>/dev/null
    cp "$work/program.log" "$shots/program.log" 2>/dev/null
  fi
  rm -rf "$work"
}
trap finish EXIT
step="starting"
trap 'echo "windows-check: FAILED: stopped by the time limit while $step" >&2; exit 124' TERM INT

# The run folder's copy, with a camera path of 25 seconds: the first two
# enemies of the easy stage come out at 5 and 8 seconds.
cp -r "$run" "$work/run" || die "cannot copy $run"
rm -f "$work/run/log.txt"
path=$(find "$work/run/Data" -maxdepth 1 -iname path10.txt | head -1)
[ -n "$path" ] || die "no Data/path10.txt in $run"
cat >"$path" <<'EOF'
{
  { time 0 position 0 2.5 -20 lookat 0 -0.4 10 worldup 0 1 0 }
  { time 1500 position 0 2.5 -20 lookat 0 -0.4 10 worldup 0 1 0 }
  { time 19577 position 0 2.5 27 lookat 0 -0.4 10 worldup 0 1 0 }
  { time 25000 position 0 2.5 41.1 lookat 0 -0.4 10 worldup 0 1 0 }
}
EOF

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# A window mapped while the window manager is still starting may never be
# shown (and SDL waits for it to be): the game starts once openbox is in charge.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
cd "$work/run" || die "cannot enter $work/run"
if [ $linux = 0 ]; then
  # A fresh Wine prefix of its own, without the installers of Mono and Gecko
  # that a new prefix would otherwise offer.
  export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEDEBUG=-all,err+all
  doing "making the Wine prefix"
  wineboot -i >"$work/wineboot.log" 2>&1 || {
    cat "$work/wineboot.log" >&2
    die "wineboot could not make a Wine prefix"
  }
  timeout 60 wineserver -w
  say "Wine prefix ready after $(elapsed)"
  # Errors, and the program's debugger output (the stage's drawing order).
  WINEDEBUG=-all,err+all,warn+debugstr wine "$work/run/voskar.exe" >"$work/program.log" 2>&1 &
  pid=$!
else
  SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy VOSKAR_BACKEND=sdl VOSKAR_DEBUG_ECHO=1 \
    "$work/run/voskar" >"$work/program.log" 2>&1 &
  pid=$!
fi

doing "waiting for the game's window"
window=
for _ in $(seq 120); do
  window=$(xdotool search --name "$title_name" 2>/dev/null | head -1)
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.5
done
[ -n "$window" ] || {
  cat "$work/program.log" >&2
  die "the game's window did not appear"
}
say "window $window after $(elapsed)"

log=$work/run/log.txt
failed=0
fail() {
  echo "windows-check: FAILED: $*" >&2
  failed=1
}
# The number of the last log line holding the text (0 when none).
last_line() {
  local n
  n=$(grep -n -F -- "$1" "$log" 2>/dev/null | tail -1 | cut -d: -f1)
  echo "${n:-0}"
}
count() { grep -c -F -- "$1" "$log" 2>/dev/null || true; }
# wait_log <text> <seconds> [<after line>]: until the log holds the text
# after the given line.
wait_log() {
  local deadline=$(($(date +%s) + $2))
  while [ "$(date +%s)" -lt "$deadline" ]; do
    [ "$(last_line "$1")" -gt "${3:-0}" ] && return 0
    kill -0 "$pid" 2>/dev/null || {
      fail "the game ended while waiting for $1"
      return 1
    }
    sleep 0.5
  done
  fail "no $1 in log.txt within $2 s"
  return 1
}
# Every X request that could wait for an answer gets a few seconds.
focus() {
  timeout 5 xdotool windowactivate --sync "$window" >/dev/null 2>&1 ||
    timeout 5 xdotool windowfocus "$window" >/dev/null 2>&1
}
key() {
  focus
  xdotool key --clearmodifiers "$@"
}
shot() {
  [ -n "$shots" ] && timeout 20 import -window "$window" "$shots/$1.png" 2>/dev/null
  return 0
}
geometry() { timeout 5 xdotool getwindowgeometry "$window" 2>/dev/null | sed -n 's/.*Geometry: //p'; }

doing "waiting for the title"
focus
wait_log "CSceneTitle::Draw:end" 90 || exit 1
sleep 1
shot title
say "title after $(elapsed)"
doing "going to the level select"
key space
wait_log "CSceneSelect::Draw:end" 30 || exit 1
sleep 1
shot level-select
say "level select after $(elapsed)"
doing "starting the stage"
key e
wait_log "CSceneGame::Draw():end" 60 || exit 1
stage=$(date +%s)
say "stage after $(elapsed)"

# Two enemies with their words are out 8 seconds in.
doing "playing the stage"
sleep 8
shot stage
# The typist: the alphabet over and over. With nothing locked a letter locks
# the enemy (or bullet) whose word begins with it; while one is locked every
# round of the alphabet hits its next letter at least, so each word is shot
# down within as many rounds as it has letters. Typing stops well before the
# stage ends, so that no key reaches the score scene.
while [ "$(count "CSceneGame::Die():end")" -lt 2 ] && [ $(($(date +%s) - stage)) -lt 20 ]; do
  focus
  xdotool type --delay 40 abcdefghijklmnopqrstuvwxyz
done
say "$(count "CSceneGame::Die():end") target(s) shot down $(($(date +%s) - stage)) s into the stage"

doing "waiting for the score"
wait_log "CSceneScore::Draw:end" 60 || exit 1
sleep 1
shot score
say "score after $(elapsed)"
score=$(last_line "CSceneScore::Draw:end")
doing "going back to the title"
key space
wait_log "CSceneTitle::Draw:end" 30 "$score" || exit 1
say "title again after $(elapsed)"

# Alt+Enter: the accelerator's command switches to full screen and back, each
# time rebuilding the display, which starts the game again at the title.
if [ $linux = 0 ]; then
  doing "switching to full screen and back"
  windowed=$(geometry)
  for switch in full-screen windowed; do
    builds=$(count "CApplication::InitDeviceObjects:end")
    key alt+Return
    for _ in $(seq 60); do
      [ "$(count "CApplication::InitDeviceObjects:end")" -gt "$builds" ] && break
      sleep 0.5
    done
    sleep 2
    now=$(geometry)
    say "$switch: window $now"
    [ "$(count "CApplication::InitDeviceObjects:end")" -gt "$builds" ] ||
      fail "Alt+Enter ($switch) did not rebuild the display"
    if [ $switch = full-screen ]; then
      [ "$now" = 1024x768 ] || fail "full screen shows a window of $now, not the screen's 1024x768"
    else
      [ "$now" = "$windowed" ] || fail "back in the window it is $now, not $windowed"
    fi
  done
fi

# Closing the window ends the program.
doing "closing the game"
if [ $linux = 0 ]; then
  timeout 20 wine taskkill /im voskar.exe >/dev/null 2>&1
else
  kill -TERM "$pid"
fi
for _ in $(seq 60); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.5
done
kill -0 "$pid" 2>/dev/null && fail "the game did not end when its window was closed"

# The trace log: each scene's drawing scope, in the order of the journey.
first() { grep -n -m1 -F -- "$1" "$log" | cut -d: -f1; }
title=$(first "CSceneTitle::Draw:end")
select=$(first "CSceneSelect::Draw:end")
game=$(first "CSceneGame::Draw():end")
lastGame=$(last_line "CSceneGame::Draw():end")
score=$(first "CSceneScore::Draw:end")
titleAgain=$(last_line "CSceneTitle::Draw:end")
if [ -z "$title" ] || [ -z "$select" ] || [ -z "$game" ] || [ -z "$score" ]; then
  fail "a scene's scope is missing from log.txt"
elif ! [ "$title" -lt "$select" ] || ! [ "$select" -lt "$game" ] ||
  ! [ "$lastGame" -lt "$score" ] || ! [ "$score" -lt "$titleAgain" ]; then
  fail "the scenes' scopes are out of order in log.txt"
fi
[ "$(count "CBuildingRenderer::RenderOpaque():end")" -gt 0 ] || fail "the city was never drawn"
[ "$(count "CSceneGame::Die():end")" -gt 0 ] || fail "no target was shot down"
[ "$(count "CSceneGame::StageClear():end")" -gt 0 ] || fail "the stage never reached its end"

order=$(grep -o 'CSceneGame: drawing order:[^"\\]*' "$work/program.log" | head -1)
say "${order:-no drawing order in the debugger output}"
[ -n "$order" ] || fail "the stage wrote no drawing order to the debugger output"
[ -n "$shots" ] && echo "$order" >"$shots/drawing-order.txt"

if [ $linux = 0 ]; then
  # Wine's own complaints (no Vulkan, and the like) are listed; an error that
  # names the program, or a crash, fails the check.
  errors=$(grep -E ':err:|^wine: |Unhandled' "$work/program.log")
  [ -n "$errors" ] && say "Wine reported:" && echo "$errors" | head -20 | sed 's/^/  /'
  echo "$errors" | grep -i -q -E 'voskar|Unhandled|page fault' &&
    fail "a Wine error names the program"
fi
say "$(wc -l <"$log") log lines; done after $(elapsed)"
[ $failed = 0 ] && say "passed"
exit $failed
