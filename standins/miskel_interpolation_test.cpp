#include "standins/miskel_interpolation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(MiskelInterpolate, LinearInsideAndAlongTheEndSegmentsOutside) {
  const double xs[] = {0.0, 10.0, 20.0};
  const double ys[] = {0.0, 100.0, 50.0};
  struct Case {
    double x, y, slope;
  };
  for (const Case& c : {Case{5.0, 50.0, 10.0}, Case{10.0, 100.0, 10.0}, Case{15.0, 75.0, -5.0},
                        Case{-1.0, -10.0, 10.0}, Case{30.0, 0.0, -5.0}}) {
    double y = 1e30;
    double slope = 0.0;
    ASSERT_EQ(IMiskel::Interpolate(xs, ys, 3, c.x, &y, &slope), 0) << c.x;
    EXPECT_DOUBLE_EQ(y, c.y) << c.x;
    EXPECT_DOUBLE_EQ(slope, c.slope) << c.x;
  }
  const double down[] = {20.0, 10.0};
  const double downY[] = {2.0, 1.0};
  double y = 0.0;
  double slope = 0.0;
  ASSERT_EQ(IMiskel::Interpolate(down, downY, 2, 15.0, &y, &slope), 0);
  EXPECT_DOUBLE_EQ(y, 1.5);
}

TEST(MiskelInterpolate, RefusesTablesItCannotUse) {
  const double flat[] = {1.0, 1.0};
  const double ys[] = {1.0, 2.0};
  const double one[] = {1.0};
  double y = 1e30;
  double slope = 0.0;
  EXPECT_NE(IMiskel::Interpolate(flat, ys, 2, 1.0, &y, &slope), 0);
  EXPECT_NE(IMiskel::Interpolate(one, ys, 1, 1.0, &y, &slope), 0);
  EXPECT_NE(IMiskel::Interpolate(nullptr, ys, 2, 1.0, &y, &slope), 0);
  EXPECT_NE(IMiskel::Interpolate(ys, ys, 2, std::nan(""), &y, &slope), 0);
  EXPECT_EQ(y, 1e30);
}

}  // namespace
