#!/usr/bin/env bash
# Compiles every game source (everything under src/ outside the platform and
# the test picture) as a 32-bit Windows program against the real windows.h,
# ddraw.h and d3d.h of the mingw-w64 cross compiler. Syntax only: nothing is
# linked. Any error, or a missing cross compiler, fails the check.
set -uo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
compiler=i686-w64-mingw32-g++
if ! command -v "$compiler" >/dev/null; then
  echo "wincheck: $compiler not installed (package g++-mingw-w64-i686)" >&2
  exit 1
fi
cd "$root" || exit 1
mapfile -t sources < <(find src -name '*.cpp' -not -path 'src/platform/*' \
  -not -path 'src/testpattern/*' | sort)
if [ ${#sources[@]} -eq 0 ]; then
  echo "wincheck: no game sources found" >&2
  exit 1
fi

flags=(-std=c++17 -Wall -Wextra -Werror=format -fmax-errors=5 -Isrc -Isrc/platform/include)
# The platform headers the game includes are parsed once, as a precompiled
# header, so that each source costs only its own text.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '#include "d3d7.h"\n#include "port.h"\n' > "$work/platform.h"
if ! "$compiler" "${flags[@]}" -x c++-header "$work/platform.h" -o "$work/platform.h.gch"; then
  echo "wincheck: FAILED the platform headers" >&2
  exit 1
fi

check() {
  "$compiler" "${flags[@]}" -fsyntax-only -Winvalid-pch -include "$work/platform.h" "$1" ||
    { echo "wincheck: FAILED $1" >&2; return 1; }
}
export -f check
export compiler work
export flags_string="${flags[*]}"
failed=0
printf '%s\n' "${sources[@]}" |
  xargs -P "$(nproc)" -I{} bash -c 'flags=($flags_string); check "$1"' _ {} || failed=1
echo "wincheck: ${#sources[@]} sources checked"
exit $failed
