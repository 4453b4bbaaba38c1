#include "Random.h"

#include <cstdlib>

int Random(int n) {
  if (n <= 0) return 0;
  return std::rand() % n;
}
