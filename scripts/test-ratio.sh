#!/usr/bin/env bash
# Counts the lines of C++ code (blank and comment lines left out) of the
# product (src/ and tools/) and of the tests (tests/ and the fuzz harness),
# as committed, and prints their ratio. The suite is kept at or under a third
# of the product; the exit status is 1 when it is over. Needs cloc (Debian
# package cloc).
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
  cloc --vcs=git --include-lang='C++,C/C++ Header' --quiet --csv "$@" | awk -F, '$2 == "SUM" { print $5 }'
}
product=$(count src tools)
tests=$(count tests fuzz)
echo "product (src/ tools/): $product lines"
echo "tests (tests/ fuzz/):  $tests lines"
awk -v t="$tests" -v p="$product" 'BEGIN { printf "ratio: %.4f (at most 1/3: %s)\n", t / p, 3 * t <= p ? "within" : "over" }'
[ $((3 * tests)) -le "$product" ]
