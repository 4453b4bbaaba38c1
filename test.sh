#!/usr/bin/env bash
# Builds everything and runs the whole suite, then runs it again under
# AddressSanitizer and UndefinedBehaviorSanitizer. Exit status 0 only if every
# step passed.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
voskar_install_packages "${voskar_runtime_packages[@]}" "${voskar_test_packages[@]}"

jobs=$(nproc)
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
echo "All tests passed in both presets."
