// Fuzz entry of the Trancol file reader. Built as every fuzz entry is (cmake/OstrelFuzz.cmake).

#include <cstddef>
#include <cstdint>

#include "results/trancol_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CTrancolData parsed;
  ParseTrancolData(std::span<const std::uint8_t>(data, size), parsed);
  return 0;
}
