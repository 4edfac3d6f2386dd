// Evaluation rate of a compiled 30-token property formula, alone and side by
// side with muParser on the same formula (goal: a speed ratio of at least 1).

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "bench/side_by_side.h"
#include "modelfile/property_calculation.h"

#ifdef OSTREL_HAVE_MUPARSER
#include <muParser.h>
#endif

namespace {

// 30 tokens and the end token.
constexpr char kFormula[] = "a*b+c/d-(e+f)*g^2+sqrt(h)*i-j+k*l";
constexpr int kEvaluationsPerRound = 1000000;

bool CompileFormula(CPropertyCalculation& formula, benchmark::State& state) {
  formula.SetExpression(kFormula);
  int position = 0;
  if (!formula.CompileAndListVariables(&position) || formula.GetTokenCount() != 31) {
    state.SkipWithError("the formula did not compile to 30 tokens");
    return false;
  }
  for (int i = 0; i < formula.GetVariableCount(); ++i) formula.GetVariable(i)->value = 1.5 + i;
  return true;
}

void BM_EvaluateCompiledFormula(benchmark::State& state) {
  CPropertyCalculation formula;
  if (!CompileFormula(formula, state)) return;
  CExpEval::Variable* a = formula.GetVariable(0);
  double value = 0;
  for (auto _ : state) {
    a->value += 1e-9;
    if (formula.Evaluate(&value) != 0) state.SkipWithError("evaluation failed");
    benchmark::DoNotOptimize(value);
  }
  state.counters["evaluations_per_second"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EvaluateCompiledFormula)->Iterations(1000000);

#ifdef OSTREL_HAVE_MUPARSER
// Rounds of one million evaluations each, alternating between this
// evaluator and muParser; both see the first variable change every time.
void BM_EvaluateSideBySideMuParser(benchmark::State& state) {
  CPropertyCalculation formula;
  if (!CompileFormula(formula, state)) return;
  CExpEval::Variable* a = formula.GetVariable(0);

  double vars[12];
  mu::Parser parser;
  try {
    for (int i = 0; i < 12; ++i) {
      vars[i] = 1.5 + i;
      parser.DefineVar(std::string(1, static_cast<char>('a' + i)), &vars[i]);
    }
    parser.SetExpr(kFormula);
    parser.Eval();
  } catch (const mu::Parser::exception_type& e) {
    state.SkipWithError(("muParser refused the formula: " + e.GetMsg()).c_str());
    return;
  }
  {
    double ours = 0;
    if (formula.Evaluate(&ours) != 0 || std::fabs(ours - parser.Eval()) > 1e-9 * std::fabs(ours)) {
      state.SkipWithError("the two evaluators disagree");
      return;
    }
  }

  bench::SideBySideTimes times;
  for (auto _ : state) {
    times = bench::RunSideBySide(
        15,
        [&] {
          bool ok = true;
          const double seconds = bench::TimeOnce([&] {
            double value = 0;
            for (int i = 0; i < kEvaluationsPerRound; ++i) {
              a->value += 1e-9;
              ok &= formula.Evaluate(&value) == 0;
              benchmark::DoNotOptimize(value);
            }
          });
          return ok ? seconds : -1.0;
        },
        [&] {
          return bench::TimeOnce([&] {
            for (int i = 0; i < kEvaluationsPerRound; ++i) {
              vars[0] += 1e-9;
              double value = parser.Eval();
              benchmark::DoNotOptimize(value);
            }
          });
        });
    state.SetIterationTime(bench::Min(times.ours) + bench::Min(times.anchor));
  }
  bench::ReportSideBySide(state, times, "30-token formula vs muParser", kEvaluationsPerRound, "evaluations");
}
BENCHMARK(BM_EvaluateSideBySideMuParser)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
#endif

}  // namespace
