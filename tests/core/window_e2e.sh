#!/usr/bin/env bash
# The real program in a real window (run under xvfb-run): the title shows,
# any key leads to the level select, and Escape does not leave it. Each
# window picture is compared with the reference capture of the headless
# replay, leaving out the statistics line at the top.
# Usage: window_e2e.sh <run folder> <reference folder> <output folder>
set -uo pipefail
# Under the sanitizers, leaks of the desktop's own libraries are not ours.
supp="$(cd "$(dirname "$0")/../support" && pwd)/lsan-system-libraries.supp"
export LSAN_OPTIONS="suppressions=$supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
run=$1
reference=$2
out=$3
mkdir -p "$out"
cd "$run" || exit 1

SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy VOSKAR_BACKEND=sdl ./voskar &
pid=$!
stop() {
  kill "$pid" 2>/dev/null
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || return
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null
}
trap stop EXIT

window=
for _ in $(seq 100); do
  window=$(xdotool search --name '^Voskar -Night Harrow Typing Game\.-$' 2>/dev/null | head -1)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "window_e2e: no game window" >&2
  exit 1
fi

failed=0
# matches <name> <reference>: captures the window and compares all but the
# top 16 rows; at most 60 pixels may differ by more than 6 %.
matches() {
  local shot="$out/window-$1.png"
  import -window "$window" "$shot" || return 1
  local size
  size=$(identify -format '%wx%h' "$shot")
  [ "$size" = "640x480" ] || { differing="a $size picture"; return 1; }
  convert "$shot" -crop 640x464+0+16 +repage "$out/cut-shot.png"
  convert "$reference/$2.png" -crop 640x464+0+16 +repage "$out/cut-reference.png"
  differing=$(compare -metric AE -fuzz 6% "$out/cut-shot.png" "$out/cut-reference.png" null: 2>&1)
  [[ "$differing" =~ ^[0-9]+$ ]] && [ "$differing" -le 60 ]
}

# check <name> <reference>: waits up to 20 s for the window to show it (the
# program may be slow under sanitizers or a busy machine).
check() {
  differing=
  for _ in $(seq 40); do
    if matches "$1" "$2"; then
      echo "window_e2e: $1: $differing pixels differ from $2.png"
      return
    fi
    sleep 0.5
  done
  echo "window_e2e: $1: $differing pixels differ from $2.png" >&2
  failed=1
}

check title title
xdotool key --window "$window" x
check level-select level-select
xdotool key --window "$window" Escape
# Escape is no choice: the level select stays.
sleep 1
check level-select-after-escape level-select
exit $failed
