#!/usr/bin/env bash
# How much of a core the real game uses in a window: on the title picture
# and in the easy stage, each over a stretch of seconds, read from
# /proc/PID/stat (user + system time of all its threads). Run it under a
# display, for instance:
#   xvfb-run -a -s '-noreset -screen 0 1024x768x24' bench/idle_cpu.sh build/run 30
# Usage: idle_cpu.sh <run folder> [seconds per stretch]
set -uo pipefail
source "$(dirname "$0")/../tests/support/game_window.sh"
run=$(cd "${1:?run folder}" && pwd)
seconds=${2:-30}
[ -x "$run/voskar" ] || { echo "idle_cpu: no $run/voskar" >&2; exit 1; }
command -v xdotool >/dev/null || { echo "idle_cpu: xdotool is missing" >&2; exit 1; }

work=$(voskar_work_folder "$run" idle) || exit 1
cd "$work" || exit 1
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy VOSKAR_BACKEND=sdl "$run/voskar" --mute &
pid=$!
finish() {
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT

window=$(voskar_game_window) || { echo "idle_cpu: no game window" >&2; exit 1; }

ticks=$(getconf CLK_TCK)
# cpu_ticks: user + system clock ticks of the game so far.
cpu_ticks() {
  # Fields after the parenthesised name: utime is the 14th, stime the 15th.
  sed 's/^.*) //' "/proc/$pid/stat" | awk '{ print $12 + $13 }'
}
# measure <what>: the share of one core over the stretch, in percent.
measure() {
  local before after start end
  before=$(cpu_ticks)
  start=$(date +%s.%N)
  sleep "$seconds"
  after=$(cpu_ticks)
  end=$(date +%s.%N)
  awk -v what="$1" -v t="$((after - before))" -v hz="$ticks" -v s="$start" -v e="$end" \
    'BEGIN { printf "%-6s %5.1f %% of a core over %.1f s\n", what, 100 * t / hz / (e - s), e - s }'
}

sleep 2  # start-up and the first frames
measure title
xdotool key --window "$window" x
sleep 1
xdotool key --window "$window" e
sleep 2
measure stage
