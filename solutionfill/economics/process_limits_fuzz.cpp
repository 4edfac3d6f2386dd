// Fuzz entry of "proclim.dat": any bytes, as the file of a case shaped like
// the generated model's, set only the process-limit slots the case's periods
// hold for the model, and every limit set is a number the file gave. Built
// as every fuzz entry is (cmake/OstrelFuzz.cmake).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/testing/fuzz_support.h"
#include "solutionfill/economics/testing/economics_fuzz_case.h"
#include "tools/model_generator/testing/generated_seeds.h"

// The first byte: bit 0 a multi-period case, bit 1 a global and bit 2 a
// local-model run; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  fuzz::WriteBytes(econ_fuzz::CEconomicsFuzzCase::ModelFile("proclim.dat"), data + 1, size - 1);
  const bool multiPeriod = (data[0] & 1) != 0;
  econ_fuzz::CEconomicsFuzzCase fuzzCase(multiPeriod);
  fuzzCase.m_solution->SetProcLimMinMax(fuzzCase.m_export.m_pModel.get(), fuzzCase.m_case, fuzzCase.m_model,
                                        (data[0] & 2) != 0, (data[0] & 4) != 0, multiPeriod);
  for (const CDbPeriod* period : fuzzCase.m_case->m_paPeriods)
    if (period->m_adProcLimMin.size() != 1 || period->m_adProcLimMax.size() != 1) __builtin_trap();
  return 0;
}

// The process-limit files of the generated runs' plants, each read as the kind of run it belongs to.
extern "C" bool OstrelFuzzWriteSeeds(const char* directory) {
  return model_gen_testing::ForEachGeneratedRun([&](const model_gen_testing::GeneratedRun& run) {
    const bool multiPeriod = model_gen::PeriodCount(run.options) > 1;
    const bool global = run.options.kind == model_gen::ModelKind::kGlobal;
    const std::string flags(1, static_cast<char>((multiPeriod ? 1 : 0) | (global ? 4 : 0)));
    if (!global) return model_gen_testing::CopySeed(run.ModelFile("proclim.dat"), directory, run.label + ".dat", flags);
    for (const std::string& plant : run.layout.localModels)
      if (!model_gen_testing::CopySeed(run.directory / plant / "proclim.dat", directory,
                                       run.label + "_" + plant + ".dat", flags))
        return false;
    return true;
  });
}
