// Fuzz entry of "ParametricOverrides.dat": any bytes, as the model's file,
// load into five lists of one length, each entry within its columns, and
// every row name read is looked up without a fault; the table counts as
// loaded exactly when no line failed the case. Built as every fuzz
// entry is (cmake/OstrelFuzz.cmake).

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/input_failure.h"
#include "platform/testing/fuzz_support.h"
#include "solutionfill/economics/parametric_overrides.h"
#include "solutionfill/economics/testing/economics_fuzz_case.h"
#include "tools/model_generator/testing/generated_seeds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::WriteBytes(econ_fuzz::CEconomicsFuzzCase::ModelFile(kParametricOverridesFileName), data, size);
  econ_fuzz::CEconomicsFuzzCase fuzzCase(false);
  CDbSolution& solution = *fuzzCase.m_solution;
  {
    const CInputFailureScope scope;
    solution.ReadParametricOverrides();
    if (scope.HasFailure() == (solution.m_bParametricOverrides != 0)) __builtin_trap();
  }
  const std::size_t count = solution.m_astrWorkList1.size();
  if (solution.m_astrWorkList2.size() != count || solution.m_astrWorkList3.size() != count ||
      solution.m_astrWorkList4.size() != count || solution.m_astrWorkList5.size() != count)
    __builtin_trap();
  for (std::size_t i = 0; i < count; ++i) {
    if (solution.m_astrWorkList1[i].size() > 7 || solution.m_astrWorkList2[i].size() > 15 ||
        solution.m_astrWorkList3[i].size() > 1 || solution.m_astrWorkList4[i].size() > 1 ||
        solution.m_astrWorkList5[i].size() > 3)
      __builtin_trap();
    double value = 0.0;
    solution.GetParametricOverride(solution.m_astrWorkList1[i], solution.m_astrWorkList3[i],
                                   solution.m_astrWorkList4[i], &value, solution.m_astrWorkList5[i]);
  }
  return 0;
}

// The override files of the generated runs in the nonlinear mode.
extern "C" bool OstrelFuzzWriteSeeds(const char* directory) {
  return model_gen_testing::ForEachGeneratedRun([&](const model_gen_testing::GeneratedRun& run) {
    return model_gen_testing::CopySeed(run.ModelFile(kParametricOverridesFileName), directory, run.label + ".dat");
  });
}
