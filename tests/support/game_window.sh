# Shell helpers for the scripts that run the real game in a window under an
# X server (window tests and benchmarks); source this file.

# voskar_work_folder <run folder> <name>: makes a fresh folder under /tmp that
# sees the run folder's BMP/ and Data/ (the game's log.txt is then its own)
# and prints its path.
voskar_work_folder() {
  local work
  work=$(mktemp -d "/tmp/voskar-$2-XXXXXX") || return 1
  ln -s "$1/BMP" "$work/BMP" && ln -s "$1/Data" "$work/Data" && echo "$work"
}

# voskar_game_window: the X id of the game's window once it is mapped,
# waiting up to 20 s; prints nothing and fails when none came.
voskar_game_window() {
  local id i
  for i in $(seq 200); do
    id=$(xdotool search --name '^Voskar -Night Harrow Typing Game\.-$' 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
