#!/bin/sh
# Runs the real-window tests on the X server that xvfb-run started, under a
# window manager when one is installed (full-screen and minimising need one).
wm=
if command -v openbox >/dev/null 2>&1; then
  openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  export VOSKAR_WINDOW_MANAGER=openbox
  sleep 1
fi
"$@"
status=$?
[ -n "$wm" ] && kill "$wm"
exit $status
