#!/usr/bin/env bash
# The built game in a real window (run under xvfb-run), played with real key
# events from xdotool: title -> any key -> level select -> "e" -> the easy
# stage with the on-screen keyboard -> a few typed letters -> (the rest of the
# stage, in real time) -> the score screen -> a key -> the title again. Each screenshot is told apart by
# which of the full-screen pictures it is closest to, and "log.txt" must show
# the scopes of each scene in that order. The title and the level select
# must also match the headless replay's reference pictures, and Escape is no
# choice on the level select.
#
# The program runs from a private working folder that sees the run folder's
# BMP/ and Data/, so that its "log.txt" is its own even when other window
# tests run at the same time.
# Usage: play_e2e.sh <run folder> <reference folder> <output folder>
set -uo pipefail
source "$(dirname "$0")/../support/game_window.sh"
# Under the sanitizers, leaks of the desktop's own libraries are not ours.
supp="$(cd "$(dirname "$0")/../support" && pwd)/lsan-system-libraries.supp"
export LSAN_OPTIONS="suppressions=$supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
run=$(cd "$1" && pwd)
reference=$(cd "$2" && pwd)
out=$3
mkdir -p "$out"
rm -f "$out"/*.png "$out"/log.txt
magick=/usr/bin/convert  # ImageMagick itself
for tool in xdotool import compare "$magick"; do
  command -v "$tool" >/dev/null || { echo "play_e2e: $tool is missing" >&2; exit 1; }
done
[ -x "$run/voskar" ] || { echo "play_e2e: no $run/voskar (build voskar_run)" >&2; exit 1; }

work=$(voskar_work_folder "$run" e2e) || exit 1

# The pictures a screen may show, without the statistics line at the top.
for picture in Title2 LevelSelect Score; do
  "$magick" "$run/BMP/$picture.bmp" -resize 640x480! -crop 640x464+0+16 +repage \
    "$out/ref-$picture.png" || exit 1
done
# The keyboard over the lower half, on black, to compare with the lower half
# of a stage screenshot.
"$magick" "$run/BMP/Keyboard.tga" -resize 640x240! -background black -flatten \
  "$out/ref-keyboard.png" || exit 1

cd "$work" || exit 1
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy VOSKAR_BACKEND=sdl "$run/voskar" &
pid=$!
finish() {
  kill "$pid" 2>/dev/null
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null
  cp "$work/log.txt" "$out/log.txt" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT

window=$(voskar_game_window) || { echo "play_e2e: no game window" >&2; exit 1; }

failed=0
fail() {
  echo "play_e2e: $*" >&2
  failed=1
}

# rmse <a> <b>: the normalised root mean square difference, 0 to 1.
rmse() {
  compare -metric RMSE "$1" "$2" null: 2>&1 | sed -n 's/.*(\([0-9.e-]*\)).*/\1/p'
}

# shows <name>: takes a screenshot and prints which full-screen picture it
# is closest to (Title2, LevelSelect, Score), or "other" when none is close.
shows() {
  local shot="$out/$1.png" best=other bestValue=0.12 picture value
  import -window "$window" -crop 640x464+0+16 +repage "$shot" 2>/dev/null || {
    echo none
    return
  }
  for picture in Title2 LevelSelect Score; do
    value=$(rmse "$shot" "$out/ref-$picture.png")
    [ -n "$value" ] || continue
    if awk -v v="$value" -v b="$bestValue" 'BEGIN { exit !(v < b) }'; then
      best=$picture
      bestValue=$value
    fi
  done
  echo "$best"
}

# wait_for <picture> <seconds> <name>: screenshots until the picture shows.
wait_for() {
  local seen
  for _ in $(seq $(($2 * 2))); do
    seen=$(shows "$3")
    [ "$seen" = "$1" ] && { echo "play_e2e: $3 shows $1"; return 0; }
    sleep 0.5
  done
  fail "$3 shows $seen, not $1"
  return 1
}

# like_reference <shot> <reference>: all but the statistics line at the top
# matches the headless replay's picture; at most 60 pixels differ by more
# than 6 %.
like_reference() {
  "$magick" "$reference/$2.png" -crop 640x464+0+16 +repage "$out/ref-replay-$2.png"
  local differing
  differing=$(compare -metric AE -fuzz 6% "$out/$1.png" "$out/ref-replay-$2.png" null: 2>&1)
  echo "play_e2e: $1: $differing pixels differ from the replay's $2.png"
  [[ "$differing" =~ ^[0-9]+$ ]] && [ "$differing" -le 60 ] || fail "$1 is not the replay's $2"
}

wait_for Title2 30 title || exit 1
like_reference title title
xdotool key --window "$window" x
wait_for LevelSelect 20 level-select || exit 1
like_reference level-select level-select
xdotool key --window "$window" Escape
sleep 1
wait_for LevelSelect 5 level-select-after-escape || exit 1
xdotool key --window "$window" e
start=$(date +%s)

# The stage: the city, with the keyboard over the lower half.
sleep 5
seen=$(shows stage)
[ "$seen" = other ] || fail "the stage shows $seen"
import -window "$window" "$out/stage-full.png" 2>/dev/null
"$magick" "$out/stage-full.png" -crop 640x240+0+240 +repage "$out/stage-lower.png"
"$magick" "$out/stage-full.png" -crop 640x240+0+0 +repage "$out/stage-upper.png"
lower=$(rmse "$out/stage-lower.png" "$out/ref-keyboard.png")
upper=$(rmse "$out/stage-upper.png" "$out/ref-keyboard.png")
echo "play_e2e: keyboard difference lower half $lower, upper half $upper"
# The keys stand opaque over a see-through board, so the city behind still
# adds some difference; without the keyboard the lower half is as far from
# the picture as the upper half.
awk -v l="$lower" -v u="$upper" 'BEGIN { exit !(l != "" && u != "" && l < 0.27 && l * 1.25 < u) }' ||
  fail "no keyboard in the lower half"

# Typed letters reach the stage: the first that begins a word on screen
# locks that target, and the rest are shots at it (two enemies are out by
# the ninth second).
sleep 4
xdotool type --window "$window" --delay 100 "abcdefghijklmnopqrstuvwxyz"

# The whole stage in real time: the camera path takes under three minutes.
wait_for Score 240 score || exit 1
echo "play_e2e: the score screen came $(($(date +%s) - start)) s after the stage began"
bytes=$(stat -c %s "$work/log.txt")
# The rounds fired are shown: the row's cells are no longer the empty boxes
# of the picture.
"$magick" "$out/score.png" -crop 192x32+320+176 +repage "$out/score-rounds.png"
"$magick" "$out/ref-Score.png" -crop 192x32+320+176 +repage "$out/ref-rounds.png"
rounds=$(rmse "$out/score-rounds.png" "$out/ref-rounds.png")
echo "play_e2e: rounds fired row differs from the empty row by $rounds"
awk -v r="$rounds" 'BEGIN { exit !(r != "" && r > 0.05) }' || fail "no rounds fired are shown"
xdotool key --window "$window" space
wait_for Title2 20 title-again

# The trace log: each scene's drawing scope, in the order of the journey.
log="$work/log.txt"
first() { grep -n -m1 -F -- "$1" "$log" | cut -d: -f1; }
last() { grep -n -F -- "$1" "$log" | tail -1 | cut -d: -f1; }
title=$(first "CSceneTitle::Draw:end")
select=$(first "CSceneSelect::Draw:end")
game=$(first "CSceneGame::Draw():end")
keyboard=$(first "CSceneGame::CImpl::DrawKeyboard():end")
score=$(first "CSceneScore::Draw:end")
titleAgain=$(last "CSceneTitle::Draw:end")
lastGame=$(last "CSceneGame::Draw():end")
lastScore=$(last "CSceneScore::Draw:end")
echo "play_e2e: log lines title $title, select $select, game $game, keyboard $keyboard," \
  "score $score, title again $titleAgain"
if [ -z "$title" ] || [ -z "$select" ] || [ -z "$game" ] || [ -z "$keyboard" ] ||
  [ -z "$score" ] || [ -z "$titleAgain" ]; then
  fail "a scene's scope is missing from log.txt"
elif ! [ "$title" -lt "$select" ] || ! [ "$select" -lt "$game" ] ||
  ! [ "$lastGame" -lt "$score" ] || ! [ "$lastScore" -lt "$titleAgain" ]; then
  fail "the scenes' scopes are out of order in log.txt"
fi
grep -q -F "CSceneGame::~CSceneGame" "$log" || fail "the stage was never deleted"
grep -q -F "CSceneGame::CatchKey():end" "$log" || fail "no typed key reached the stage"
echo "play_e2e: log.txt had $bytes bytes when the score screen came"

# Closing: the signal becomes a close request to the window, and the game
# shuts down cleanly (under the sanitizers a leak or error would show here).
kill -TERM "$pid"
for _ in $(seq 200); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  fail "the game did not close"
else
  wait "$pid"
  status=$?
  [ "$status" -eq 0 ] || fail "the game exited with status $status"
fi
exit $failed
