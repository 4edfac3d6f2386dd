// Fuzz entry of the flow file reader: any bytes, as the case's flow file,
// write the stream and utility links into a fresh results database without a
// failure, at most one row per line of the file. Built as every fuzz entry
// is (cmake/OstrelFuzz.cmake).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "dbdrivers/access/output_table_api.h"
#include "dbdrivers/access/testing/access_fixture.h"
#include "platform/testing/fuzz_support.h"
#include "tools/model_generator/testing/generated_seeds.h"
#include "writers/legacy/legacy_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  dbdrivers_testing::AccessFixture fixture;
  fixture.exportData.m_strRunID = "FUZZ";
  fixture.Settings().m_DatabaseOutputFormat.SetValue("Access");
  fuzz::WriteBytes(fixture.Model().m_strModelDir + "/" + GetFlowFileName(fixture.exportData), data, size);
  if (!WriteLGLINKS(fixture.exportData, fixture.Model(), true) ||
      !WriteLGLINKS(fixture.exportData, fixture.Model(), false))
    __builtin_trap();
  FlushOutputTables(fixture.exportData);
  const std::string rows =
      fixture.Query("SELECT (SELECT count(*) FROM LGLINKS) + (SELECT count(*) FROM LGULINKS)");
  const auto lines = static_cast<std::size_t>(std::count(data, data + size, '\n')) + 1;
  if (rows.empty() || rows.compare(0, 6, "error:") == 0 || std::stoull(rows) > lines) __builtin_trap();
  fixture.Model().m_outputTables.RemoveAll();
  return 0;
}

// The flow files of the generated runs' first case.
extern "C" bool OstrelFuzzWriteSeeds(const char* directory) {
  return model_gen_testing::ForEachGeneratedRun([&](const model_gen_testing::GeneratedRun& run) {
    return model_gen_testing::CopySeed(run.ModelFile("Resul001.flo"), directory, run.label + ".flo");
  });
}
