#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer, UndefinedBehavior-
# Sanitizer and LeakSanitizer) and runs each one for a while over its seed
# corpus. Any crash, sanitizer report, input slower than a second or
# allocation over 256 MB is a failure; its input is kept under
# <build>/findings/. Without clang and its libFuzzer runtime nothing is done.
#
#   scripts/fuzz.sh [target ...]      default: every target
#   VOSKAR_FUZZ_SECONDS=600           time per target (default 20)
#   VOSKAR_FUZZ_BUILD=build/fuzz      build folder
#   VOSKAR_FUZZ_KEEP=1                keep the grown corpora under <build>/corpus/
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${VOSKAR_FUZZ_SECONDS:-20}
build=${VOSKAR_FUZZ_BUILD:-build/fuzz}
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(scene_file path_file word_list tga bmp wave)

cxx=$(command -v clang++-14 || command -v clang++ || true)
cc=$(command -v clang-14 || command -v clang || true)
if [ -z "$cxx" ] || [ -z "$cc" ]; then
  echo "== fuzz: clang not found, fuzzing skipped"
  exit 0
fi
if ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, long) { return 0; }' |
  "$cxx" -x c++ -fsanitize=fuzzer,address,undefined -o /dev/null - 2>/dev/null; then
  echo "== fuzz: clang has no libFuzzer runtime (libclang-rt-14-dev), fuzzing skipped"
  exit 0
fi

echo "== fuzz: configure and build ($build)"
CC=$cc CXX=$cxx cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCMAKE_C_FLAGS_DEBUG="-g -O1" \
  -DVOSKAR_FUZZ=ON -DVOSKAR_SANITIZE=ON -DVOSKAR_BUILD_TESTS=OFF -DVOSKAR_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

# The sanitizer's quarantine of freed memory is kept small so that the memory
# limit measures the program, not the sanitizer.
export ASAN_OPTIONS=quarantine_size_mb=16:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

root=$(pwd)
mkdir -p "$build/findings" "$build/logs"
failed=()
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  [ "${VOSKAR_FUZZ_KEEP:-0}" = 1 ] || rm -rf "$corpus"
  mkdir -p "$corpus"
  log="$root/$build/logs/$target.log"
  echo "== fuzz: $target for ${seconds}s"
  # A scene file of 2 KB holds some two hundred enemies, twice the shipped
  # difficult stage; every enemy keeps a 256 x 256 word surface.
  extra=()
  [ "$target" = scene_file ] && extra=(-max_len=2048)
  set +e
  "$root/$build/fuzz/fuzz_$target" "$root/$corpus" "$root/fuzz/corpus/$target" "${extra[@]}" \
    -max_total_time="$seconds" -timeout=1 -rss_limit_mb=256 -malloc_limit_mb=256 \
    -print_final_stats=1 -artifact_prefix="$root/$build/findings/$target-" >"$log" 2>&1
  status=$?
  set -e
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -1)
  echo "   ${runs:-?} inputs, ${rate:-?}/s, peak ${rss:-?} MB, exit $status"
  if [ $status -ne 0 ]; then
    # A timeout may be the machine stalling, not the input: the input is run
    # again on its own, and only a second timeout counts.
    artifact=$(sed -n 's/.*Test unit written to \(.*timeout-[0-9a-f]*\)$/\1/p' "$log" | tail -1)
    if [ -n "$artifact" ] && "$root/$build/fuzz/fuzz_$target" -timeout=1 -rss_limit_mb=256 \
      -malloc_limit_mb=256 "$artifact" >"$log.rerun" 2>&1; then
      echo "   timeout not reproduced on its own ($(grep -o 'in [0-9]* ms' "$log.rerun" | tail -1)):" \
        "the machine stalled; the run ended early"
    else
      failed+=("$target")
      grep -E 'ERROR|SUMMARY|FINDING|Test unit written' "$log" | head -8 | sed 's/^/   /'
    fi
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "== fuzz: findings in ${failed[*]} (inputs in $build/findings/, logs in $build/logs/)"
  exit 1
fi
echo "== fuzz: no findings"
