// Fixed content the targets pair with the fuzzed file: a camera path that
// outlasts every simulated stage, a word list with words for every letter,
// and a small scene.
#pragma once

namespace fuzz {

// Stands still for ten minutes looking along +z from (0, 2.5, -20).
extern const char kLongPath[];
// Two or three words for every letter, mixed case.
extern const char kWords[];
// Ground, panel, two buildings and enemies whose windows overlap.
extern const char kSmallScene[];

}  // namespace fuzz
