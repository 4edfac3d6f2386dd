#include "platform/float_control.h"

#include <gtest/gtest.h>

#include <cfenv>

namespace {

// Whatever an engine left set, the default comes back: all exceptions masked, rounding to nearest.
TEST(FloatControl, ResetRestoresTheDefaultAndLeavesTheDefaultAlone) {
  for (int round : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO, FE_TONEAREST}) {
    std::fesetround(round);
#if defined(__GLIBC__)
    feenableexcept(FE_DIVBYZERO | FE_OVERFLOW);
#endif
    plat::ResetFloatingPointControl();
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
#if defined(__GLIBC__)
    EXPECT_EQ(fegetexcept(), 0);
#endif
    plat::ResetFloatingPointControl();
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
  }
}

}  // namespace
