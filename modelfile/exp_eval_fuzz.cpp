// Fuzz target of the expression tokenizer, compiler and evaluator: any text
// must compile or be refused with a message, and evaluate without a crash.
// Built with libFuzzer when the compiler has it; otherwise main() replays the
// files of the given corpus directories.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "modelfile/exp_eval.h"

namespace {

double Sqrt(double x) { return std::sqrt(x); }
double Ln(double x) { return std::log(x); }

class FuzzEval : public CExpEval {
 public:
  void GetFunctionTable(const FunctionEntry** table, int* count) override {
    static const FunctionEntry kFunctions[] = {{"sqrt", &Sqrt}, {"ln", &Ln}};
    *table = kFunctions;
    *count = 2;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  FuzzEval eval;
  eval.m_bVariableNamesCaseSensitive = (size & 1) != 0;
  eval.SetExpression(text.c_str());
  int out = 0;
  if (!eval.Compile(&out)) {
    if (eval.m_strError.empty()) __builtin_trap();  // a refusal always says why
    return 0;
  }
  for (int i = 0; i < eval.GetVariableCount(); ++i) eval.GetVariable(i)->value = i - 1.5;
  double value = 0;
  const int result = eval.Evaluate(&value);
  if (result != CExpEval::kOk && result != CExpEval::kArithmetic && result != CExpEval::kStructural)
    __builtin_trap();
  return 0;
}

#ifndef OSTREL_LIBFUZZER
int main(int argc, char** argv) {
  int files = 0;
  for (int i = 1; i < argc; ++i) {
    for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++files;
    }
  }
  std::printf("replayed %d inputs\n", files);
  return files > 0 ? 0 : 1;
}
#endif
