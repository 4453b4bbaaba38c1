#!/usr/bin/env bash
# Our rasteriser against Mesa's llvmpipe on the same two workloads, as a
# ratio measured in one run: the sky quad (llvmpipe workload A against
# BM_SkyQuad) and the representative stage frame (workload B against
# BM_GameFrame), one after the other, alternating, several rounds, with
# the same number of drawing threads on both sides. Prints each side's
# median frame time and the ratio of the medians (llvmpipe / ours).
#
# Build the reference first (see ../shared/anchors/llvmpipe/README.md):
#   gcc -O2 -o build/llvmpipe-bench ../shared/anchors/llvmpipe/bench.c -lEGL -lOpenGL -lm
# Usage: bench/ratios.sh <voskar-bench> <llvmpipe-bench> [threads] [rounds]
set -euo pipefail
ours=${1:?voskar-bench binary}
theirs=${2:?llvmpipe-bench binary}
threads=${3:-1}
rounds=${4:-7}

work=$(mktemp -d /tmp/voskar-ratios-XXXXXX)
trap 'rm -rf "$work"' EXIT

# llvmpipe <workload>: its median frame time in ms.
llvmpipe() {
  LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe EGL_PLATFORM=surfaceless \
    LP_NUM_THREADS="$threads" "$theirs" "$1" 20 150 - 2>/dev/null |
    sed -n 's/.* median \([0-9.]*\) ms.*/\1/p'
}
# voskar <benchmark>: its mean frame time in ms over half a second of
# frames (the benchmark sets its drawing threads itself).
voskar() {
  "$ours" --benchmark_filter="^$1/$threads/real_time\$" \
    --benchmark_min_time=0.5 --benchmark_format=csv 2>/dev/null |
    awk -F, -v name="\"$1/$threads/real_time\"" \
    '$1 == name { print $3 * ($5 == "ns" ? 1e-6 : $5 == "us" ? 1e-3 : $5 == "s" ? 1e3 : 1) }'
}

for ((r = 0; r < rounds; ++r)); do
  llvmpipe A >>"$work/sky-llvmpipe"
  voskar BM_SkyQuad >>"$work/sky-ours"
  llvmpipe B >>"$work/frame-llvmpipe"
  voskar BM_GameFrame >>"$work/frame-ours"
done

median() { sort -g "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
for pair in sky:BM_SkyQuad frame:BM_GameFrame; do
  what=${pair%%:*}
  name=${pair#*:}
  a=$(median "$work/$what-llvmpipe")
  b=$(median "$work/$what-ours")
  awk -v n="$name" -v t="$threads" -v r="$rounds" -v a="$a" -v b="$b" \
    'BEGIN { printf "%-13s %d thread(s), %d rounds: llvmpipe %.3f ms, ours %.3f ms, ratio %.2fx\n", n, t, r, a, b, a / b }'
done
