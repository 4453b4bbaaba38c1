#!/usr/bin/env bash
# Measures how many deliberate faults the test suite catches. Each patch in
# tests/mutants/ is a one-line fault in the product code; it is applied to a
# copy of the working tree, the copy is built (release, with the tests) and
# the whole suite is run until the first failure (quick tests first). A mutant is "caught" when
# a test fails, "survived" when every test passes and "broken" when the copy
# does not build.
#
#   scripts/mutants.sh [name ...]     default: every patch in tests/mutants/
#   VOSKAR_MUTANT_BUILD=build/mutants  scratch folder (copy and build)
#
# The table goes to stdout and to <scratch>/report.txt; each mutant's test
# output is kept in <scratch>/logs/.
set -euo pipefail
cd "$(dirname "$0")/.."
scratch=${VOSKAR_MUTANT_BUILD:-build/mutants}
mkdir -p "$scratch/logs"
scratch=$(cd "$scratch" && pwd)
tree=$scratch/tree

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for patch in tests/mutants/*.patch; do names+=("$(basename "$patch" .patch)"); done
fi

# A copy of the working tree as it is (committed or not), without build
# output; files keep their times, so a later run rebuilds only what changed.
echo "== mutants: copying the tree to $tree"
rm -rf "$tree"
mkdir -p "$tree"
git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done |
  tar --null -T - -cf - | tar -xf - -C "$tree"

cmake -S "$tree" -B "$scratch/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DVOSKAR_BUILD_TESTS=ON -DVOSKAR_BUILD_BENCH=OFF -DVOSKAR_RUN_DIR="$scratch/build/run" >/dev/null
echo "== mutants: building the unchanged tree"
cmake --build "$scratch/build" -j "$(nproc)" >"$scratch/logs/clean-build.log" 2>&1 || {
  echo "the unchanged tree does not build: see $scratch/logs/clean-build.log" >&2
  exit 1
}

export VOSKAR_BACKEND=headless SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

# The tests that play in real time or whole stages run after the others, so
# that a mutant the quick tests catch costs seconds; the verdict is the same.
slow='e2e_|environment_|framedemo|real_window|WholeGame|Playback.AStage'

report=$scratch/report.txt
printf '%-34s %-9s %s\n' mutant result "first failing test" | tee "$report"
caught=0 survived=0 broken=0
for name in "${names[@]}"; do
  patch_file=$tree/tests/mutants/$name.patch
  log=$scratch/logs/$name.log
  if ! patch -s -p1 -d "$tree" <"$patch_file" >"$log" 2>&1; then
    printf '%-34s %-9s %s\n' "$name" broken "patch does not apply" | tee -a "$report"
    broken=$((broken + 1))
    continue
  fi
  if ! cmake --build "$scratch/build" -j "$(nproc)" >>"$log" 2>&1; then
    result=broken first="does not build"
    broken=$((broken + 1))
  elif ctest --test-dir "$scratch/build" -j "$(nproc)" --stop-on-failure --timeout 600 \
    -E "$slow" >>"$log" 2>&1 &&
    ctest --test-dir "$scratch/build" -j "$(nproc)" --stop-on-failure --timeout 600 \
      -R "$slow" >>"$log" 2>&1; then
    result=survived first=""
    survived=$((survived + 1))
  else
    result=caught
    first=$(sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) .*\*\*\*.*/\1/p' "$log" | head -1)
    caught=$((caught + 1))
  fi
  printf '%-34s %-9s %s\n' "$name" "$result" "$first" | tee -a "$report"
  patch -s -R -p1 -d "$tree" <"$patch_file"
done
echo "caught $caught, survived $survived, broken $broken of ${#names[@]}" | tee -a "$report"
