// libFuzzer target: the record reader and the BIFF4 reader.
#include "tableio/worksheet/testing/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  wks_fuzz::Biff4(data, size);
  return 0;
}
