// libFuzzer target: the .xlsx reader, through the newer-workbook worksheet.
#include "tableio/worksheet/testing/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  wks_fuzz::Xlsx(data, size);
  return 0;
}
