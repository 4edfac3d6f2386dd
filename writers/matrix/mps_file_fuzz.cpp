// Fuzz entry of the matrix reader: the input up to its first NUL byte is the
// matrix text, the rest the nonlinear solution text. Built as every fuzz entry
// is (cmake/OstrelFuzz.cmake).

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "writers/matrix/mps_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  std::istringstream matrix(input.substr(0, split));
  std::istringstream solution(split == std::string::npos ? std::string() : input.substr(split + 1));
  CMpsFile file("fuzz");
  ReadMpsText(matrix, file, &solution);
  return 0;
}
