#include "engine/site.h"

#include <cmath>

int hammingDist(const char* a, const char* b, int len) {
  int d = 0;
  for (int i = 0; i < len; ++i) d += a[i] != b[i];
  return d;
}

double engine::log2(double x) { return std::log(x) / std::log(2.0); }
