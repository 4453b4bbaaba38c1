// The shared draw: rand() % n, and 0 when n is 0 (or negative). The standard
// library's generator is seeded once by the game core.
#pragma once

int Random(int n);
