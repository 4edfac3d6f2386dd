// Fuzz entry of "penalty.dat": any bytes, as the file of a case shaped like
// the generated model's, make penalties only for the case's own periods and
// model, and the penalty total of each period is the sum of its penalties.
// Built as every fuzz entry is (cmake/OstrelFuzz.cmake).

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/testing/fuzz_support.h"
#include "solutionfill/economics/testing/economics_fuzz_case.h"
#include "tools/model_generator/testing/generated_seeds.h"

// The first byte: bit 0 a multi-period case, bit 1 a global and bit 2 a
// local-model run; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  fuzz::WriteBytes(econ_fuzz::CEconomicsFuzzCase::ModelFile("penalty.dat"), data + 1, size - 1);
  const bool multiPeriod = (data[0] & 1) != 0;
  econ_fuzz::CEconomicsFuzzCase fuzzCase(multiPeriod);
  fuzzCase.m_solution->BuildPenalty(fuzzCase.m_export.m_pModel.get(), fuzzCase.m_case, fuzzCase.m_model,
                                    (data[0] & 2) != 0, (data[0] & 4) != 0, multiPeriod);
  for (const CDbPeriod* period : fuzzCase.m_case->m_paPeriods) {
    double sum = 0.0;
    for (const CDbPenalty* penalty : period->m_paPenalties) {
      if (penalty->m_nNodeID != fuzzCase.m_model->m_nID) __builtin_trap();
      sum += penalty->m_dActivity;
    }
    // Summed in the same order as the builder adds them, so equal to the bit.
    if (sum != period->m_dPenaltyTotal && !(std::isnan(sum) && std::isnan(period->m_dPenaltyTotal))) __builtin_trap();
  }
  return 0;
}

// The penalty files of the generated runs, each read as the kind of run it belongs to.
extern "C" bool OstrelFuzzWriteSeeds(const char* directory) {
  return model_gen_testing::ForEachGeneratedRun([&](const model_gen_testing::GeneratedRun& run) {
    const bool multiPeriod = model_gen::PeriodCount(run.options) > 1;
    const bool global = run.options.kind == model_gen::ModelKind::kGlobal;
    const char flags = static_cast<char>((multiPeriod ? 1 : 0) | (global ? 4 : 0));
    return model_gen_testing::CopySeed(run.ModelFile("penalty.dat"), directory, run.label + ".dat",
                                       std::string(1, flags));
  });
}
