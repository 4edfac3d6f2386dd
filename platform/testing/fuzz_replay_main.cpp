// The one replay main of every fuzz entry outside the fuzz build: each
// argument is a corpus directory (its regular files are fed in name order) or
// a single input file, handed to LLVMFuzzerTestOneInput as libFuzzer would,
// after LLVMFuzzerInitialize when the entry defines it. A fault in the entry
// ends the process as it would end the fuzzer; no input at all fails.
// "--write-seeds DIR" instead writes the entry's seed corpus into DIR, made by
// the project's own writers, when the entry defines OstrelFuzzWriteSeeds.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);
// Writes the seed inputs into the directory (which exists); false on a failure.
extern "C" __attribute__((weak)) bool OstrelFuzzWriteSeeds(const char* directory);

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& argument) {
  std::vector<std::filesystem::path> inputs;
  if (std::filesystem::is_directory(argument)) {
    for (const auto& entry : std::filesystem::directory_iterator(argument))
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
  } else if (std::filesystem::is_regular_file(argument)) {
    inputs.push_back(argument);
  } else {
    std::fprintf(stderr, "no corpus at %s\n", argument.c_str());
  }
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
  if (argc == 3 && std::string(argv[1]) == "--write-seeds") {
    if (OstrelFuzzWriteSeeds == nullptr) {
      std::fprintf(stderr, "this entry makes no seeds\n");
      return 1;
    }
    std::filesystem::create_directories(argv[2]);
    return OstrelFuzzWriteSeeds(argv[2]) ? 0 : 1;
  }
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const std::filesystem::path& input : InputsOf(argv[i])) {
      std::ifstream in(input, std::ios::binary);
      const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      // An empty input is passed as libFuzzer passes it: a valid pointer and size 0.
      static const std::uint8_t kNone = 0;
      LLVMFuzzerTestOneInput(bytes.empty() ? &kNone : reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  std::printf("replayed %d inputs\n", replayed);
  return replayed > 0 ? 0 : 1;
}
