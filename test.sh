#!/usr/bin/env bash
# Cross-builds the 32-bit Windows program, builds everything and runs the
# whole suite, then runs it again under AddressSanitizer and
# UndefinedBehaviorSanitizer. Exit status 0 only if every step passed.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
voskar_install_packages "${voskar_runtime_packages[@]}" "${voskar_test_packages[@]}"

jobs=$(nproc)
# First the game as the 32-bit Windows program, against the real platform
# headers and libraries: a source that only works with our stand-in stops here.
echo "== windows: cross-build the Windows program"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
for preset in release asan; do
  echo "== $preset: configure and build"
  extra=()
  [ "$preset" = release ] && extra=(-DVOSKAR_BUILD_BENCH=ON)
  cmake --preset "$preset" -DVOSKAR_BUILD_TESTS=ON "${extra[@]}" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset: test"
  ctest --preset "$preset" -j "$jobs"
done
scripts/fuzz.sh
echo "All tests passed in both presets; the Windows program is built."
