#include "platform/float_control.h"

#include <cfenv>

namespace plat {

void ResetFloatingPointControl() {
#if defined(__GLIBC__)
  fedisableexcept(FE_ALL_EXCEPT);
#endif
  std::fesetround(FE_TONEAREST);
}

}  // namespace plat
