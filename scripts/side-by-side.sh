#!/usr/bin/env bash
# Plays the same journey in the Linux program and in the Windows program
# under Wine (scripts/windows-check.sh, each on an X server of its own) and
# puts the moments it keeps side by side in one picture, Linux on the left:
# the title, the level select, the easy stage 8 seconds in and the score.
# Also prints the stage's drawing order from both programs.
#
# Usage: scripts/side-by-side.sh [OUTPUT_PNG]   (default docs/windows-side-by-side.png)
# Needs build/run (cmake --build --preset release --target voskar_run) and
# build/windows/run (cmake --build --preset windows). The differences seen
# are explained in docs/windows.md.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
output=${1:-$root/docs/windows-side-by-side.png}
work=$(mktemp -d /tmp/voskar-side-by-side-XXXXXX)
trap 'rm -rf "$work"' EXIT

"$root/scripts/windows-check.sh" --linux --shots "$work/linux" || {
  echo "side-by-side: the Linux program's run failed" >&2
  exit 1
}
"$root/scripts/windows-check.sh" --shots "$work/wine" || {
  echo "side-by-side: the Windows program's run failed" >&2
  exit 1
}

args=()
for moment in title level-select stage score; do
  for side in linux wine; do
    picture=$work/$side/$moment.png
    [ -f "$picture" ] || {
      echo "side-by-side: no $moment picture from $side" >&2
      exit 1
    }
    size=$(identify -format '%wx%h' "$picture")
    case $side in
      linux) label="Linux (SDL): $moment, client $size" ;;
      wine) label="Windows program under Wine: $moment, client $size" ;;
    esac
    args+=(-label "$label" "$picture")
  done
done
montage "${args[@]}" -tile 2x4 -geometry +8+8 -background '#202024' -fill '#e0e0e0' \
  -font DejaVu-Sans -pointsize 15 -depth 8 "$output" || exit 1
echo "side-by-side: wrote $output"

linux=$(cat "$work/linux/drawing-order.txt")
wine=$(cat "$work/wine/drawing-order.txt")
echo "side-by-side: Linux: $linux"
echo "side-by-side: Wine:  $wine"
if [ "$linux" = "$wine" ]; then
  echo "side-by-side: the stage's drawing order is the same"
else
  echo "side-by-side: the stage's drawing order differs" >&2
  exit 1
fi
