#!/usr/bin/env bash
# End-to-end run of the frame demo in a real X window (run under xvfb-run):
# both textures and the yellow statistics line appear, F switches to
# full-screen and back without ending the program, Escape ends it cleanly.
set -u
demo=$1
folder=$(mktemp -d /tmp/voskar-framedemo-XXXXXX)
cd "$folder" || exit 1
export SDL_VIDEODRIVER=x11 VOSKAR_BACKEND=sdl SDL_AUDIODRIVER=dummy
# X and GL libraries keep allocations to the end; leaks are checked by the unit tests.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
# Full-screen windows need a window manager to take the whole screen.
openbox > wm.log 2>&1 &
wm=$!
sleep 1
"$demo" > demo.log 2>&1 &
pid=$!
trap 'kill "$wm" 2>/dev/null' EXIT

fail() {
  echo "framedemo e2e: $*" >&2
  cat demo.log >&2
  kill "$pid" 2>/dev/null
  exit 1
}

# The window's size as "WIDTHxHEIGHT".
size_of() {
  xdotool getwindowgeometry "$1" | awk '/Geometry:/ { print $2 }'
}

# Counts pixels of one exact colour (e.g. "#FFFF00") in a screenshot.
count_colour() {
  convert "$1" -format %c histogram:info:- | awk -v c="$2" '$3 == c { sub(":", "", $1); n += $1 } END { print n + 0 }'
}

# Counts yellowish pixels (red and green high, blue low) in the top 30 rows
# of the screen: the statistics line after scaling and 16-bit rounding.
count_yellow_top() {
  convert "$1" -crop 1024x30+0+0 +repage -format %c histogram:info:- | awk '{
    split($2, c, /[(),]/); if (c[2] >= 200 && c[3] >= 200 && c[4] <= 90) { sub(":", "", $1); n += $1 }
  } END { print n + 0 }'
}

shot() {
  xwd -root -silent | convert xwd:- "$1"
}

window=$(timeout 20 xdotool search --sync --name "Voskar frame demo" | head -1)
[ -n "$window" ] || fail "no window"
sleep 3
shot window.png
yellow=$(count_colour window.png "#FFFF00")
stripes=$(count_colour window.png "#E63C5A")
[ "$yellow" -ge 20 ] || fail "statistics line missing ($yellow yellow pixels)"
[ "$stripes" -ge 200 ] || fail "bitmap texture missing ($stripes stripe pixels)"
[ -f BMP/Checker.tga ] && [ -f BMP/Stripes.bmp ] || fail "pictures not written"

xdotool key --window "$window" f
sleep 2
kill -0 "$pid" 2>/dev/null || fail "ended after switching to full-screen"
[ "$(size_of "$window")" = 1024x768 ] || fail "full-screen window is $(size_of "$window")"
shot fullscreen.png
yellow=$(count_yellow_top fullscreen.png)
[ "$yellow" -ge 20 ] || fail "statistics line missing in full-screen ($yellow)"
xdotool key --window "$window" f
sleep 2
kill -0 "$pid" 2>/dev/null || fail "ended after switching back to a window"
[ "$(size_of "$window")" != 1024x768 ] || fail "still full-screen after switching back"
shot window-again.png
yellow=$(count_colour window-again.png "#FFFF00")
[ "$yellow" -ge 20 ] || fail "statistics line missing after the switch back ($yellow)"

xdotool key --window "$window" Escape
for _ in $(seq 1 40); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.25
done
kill -0 "$pid" 2>/dev/null && fail "still running after Escape"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
echo "framedemo e2e: passed (screenshots in $folder)"
