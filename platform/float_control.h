#pragma once
// The floating-point environment that database engines may leave changed:
// every exception masked, rounding to nearest.

namespace plat {

// Sets the floating-point control back to the run-time default.
void ResetFloatingPointControl();

}  // namespace plat
