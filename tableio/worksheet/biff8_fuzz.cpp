// libFuzzer target: the BIFF8 reader, through the compound file or on the workbook stream itself.
#include "tableio/worksheet/testing/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  wks_fuzz::Biff8(data, size);
  return 0;
}
