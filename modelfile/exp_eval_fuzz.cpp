// Fuzz entry of the expression tokenizer, compiler and evaluator: any text
// must compile or be refused with a message, and evaluate without a crash.
// Built as every fuzz entry is (cmake/OstrelFuzz.cmake).

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

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
