#pragma once
// The utility library's interpolation in a table of value pairs (the x
// values strictly ascending or strictly descending): linear between the two
// neighbouring points, and along the first or last segment outside the table.

namespace IMiskel {

// y and slope at x. 0 on success; 1 (y and slope untouched) for null
// pointers, fewer than two points, x values that are not strictly monotonic,
// or a value that is not finite.
int Interpolate(const double* xs, const double* ys, int count, double x, double* y, double* slope);

}  // namespace IMiskel
