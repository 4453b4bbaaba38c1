#!/usr/bin/env bash
# Builds the release version, prepares build/run/ and starts the game there.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
voskar_install_packages "${voskar_runtime_packages[@]}"

cmake --preset release >/dev/null
cmake --build --preset release --target voskar_run

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "play.sh: no display found (DISPLAY is not set); start the game from a desktop session." >&2
  exit 1
fi
cd build/run
exec ./voskar "$@"
