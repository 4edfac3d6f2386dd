// Fuzz target of the solution file parser: any bytes, read in any of the
// three layouts, must be parsed or refused with a reason, never read outside
// the data, and a parsed file must hold exactly the records its counts give.
// Built with libFuzzer when clang is found (target solutionfill_fuzz).

#include <cstddef>
#include <cstdint>
#include <string>

#include "solutionfill/core/solution_file_parser.h"

#ifdef OSTREL_LIBFUZZER
#include <cmath>
// The clamp the library takes from the model-table input, which the fuzz
// build does not compile.
double ZeroIfTiny(double value) { return value != 1e30 && std::fabs(value) <= 1e-7 ? 0.0 : value; }
float ZeroIfTinyF(float value) { return value != 1.0e30f && std::fabs(value) <= 1e-7f ? 0.0f : value; }
#endif

// The first byte picks the layout: bit 0 double precision, bit 1 long names.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  CSolutionFileLayout layout;
  layout.m_bDoublePrecision = (data[0] & 1) != 0 || (data[0] & 2) != 0;
  layout.m_nNameWidth = (data[0] & 2) != 0 ? 61 : 9;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  CSolutionFileContents contents;
  std::string error;
  if (!ParseSolutionFile(bytes, layout, contents, error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  if (static_cast<std::int64_t>(contents.m_aRows.size()) != contents.m_nRowCount ||
      static_cast<std::int64_t>(contents.m_aColumns.size()) != contents.m_nColumnCount)
    __builtin_trap();
  return 0;
}
