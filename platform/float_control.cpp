#include "platform/float_control.h"

#include <cfenv>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace plat {

// Writing the control words stalls the pipeline and reading them does not:
// they are written only when they differ from the default.
void ResetFloatingPointControl() {
#if defined(__x86_64__) || defined(__i386__)
  // The x87 unit and SSE each keep their own exception masks and rounding.
  unsigned short x87 = 0;
  __asm__ volatile("fnstcw %0" : "=m"(x87));
  const unsigned int sse = _mm_getcsr();
  constexpr unsigned kMasks = FE_ALL_EXCEPT;
  if ((x87 & kMasks) == kMasks && (x87 & 0xC00u) == 0 && ((sse >> 7) & kMasks) == kMasks && (sse & 0x6000u) == 0)
    return;
#endif
#if defined(__GLIBC__)
  fedisableexcept(FE_ALL_EXCEPT);
#endif
  std::fesetround(FE_TONEAREST);
}

}  // namespace plat
