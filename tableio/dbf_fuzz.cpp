// libFuzzer target: the dBASE back end, opening and reading the bytes as a file.
#include "tableio/testing/dbf_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  dbf_fuzz::Dbf(data, size);
  return 0;
}
