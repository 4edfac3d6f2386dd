#include "standins/miskel_interpolation.h"

#include <cmath>

namespace IMiskel {

int Interpolate(const double* xs, const double* ys, int count, double x, double* y, double* slope) {
  if (!xs || !ys || !y || !slope || count < 2 || !std::isfinite(x)) return 1;
  const bool ascending = xs[1] > xs[0];
  for (int i = 0; i < count; ++i) {
    if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) return 1;
    if (i > 0 && (ascending ? !(xs[i] > xs[i - 1]) : !(xs[i] < xs[i - 1]))) return 1;
  }
  // The segment whose end lies beyond x, else the last one.
  int upper = 1;
  while (upper < count - 1 && (ascending ? x > xs[upper] : x < xs[upper])) ++upper;
  const double x0 = xs[upper - 1];
  const double x1 = xs[upper];
  const double s = (ys[upper] - ys[upper - 1]) / (x1 - x0);
  *slope = s;
  *y = ys[upper - 1] + s * (x - x0);
  return 0;
}

}  // namespace IMiskel
