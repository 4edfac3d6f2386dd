// Fuzz entry of the flow file reader: any bytes, as the case's flow file,
// write the stream and utility links into the results database without a
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

namespace {

// The export over one results database for the whole process, its model writing the legacy tables.
dbdrivers_testing::AccessFixture& Fixture() {
  static dbdrivers_testing::AccessFixture fixture;
  if (fixture.exportData.m_strRunID.empty()) {
    fixture.exportData.m_strRunID = "FUZZ";
    fixture.Settings().m_DatabaseOutputFormat.SetValue("Access");
  }
  return fixture;
}

// The rows of both link tables so far.
std::size_t LinkRows(dbdrivers_testing::AccessFixture& fixture) {
  FlushOutputTables(fixture.exportData);
  const std::string rows = fixture.Query("SELECT (SELECT count(*) FROM LGLINKS) + (SELECT count(*) FROM LGULINKS)");
  if (rows.empty() || rows.compare(0, 6, "error:") == 0) return 0;
  return std::stoull(rows);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  dbdrivers_testing::AccessFixture& fixture = Fixture();
  const std::size_t before = LinkRows(fixture);
  fuzz::WriteBytes(fixture.Model().m_strModelDir + "/" + GetFlowFileName(fixture.exportData), data, size);
  if (!WriteLGLINKS(fixture.exportData, fixture.Model(), true) ||
      !WriteLGLINKS(fixture.exportData, fixture.Model(), false))
    __builtin_trap();
  const auto lines = static_cast<std::size_t>(std::count(data, data + size, '\n')) + 1;
  if (LinkRows(fixture) - before > lines) __builtin_trap();
  return 0;
}

// The flow files of the generated runs' first case.
extern "C" bool OstrelFuzzWriteSeeds(const char* directory) {
  return model_gen_testing::ForEachGeneratedRun([&](const model_gen_testing::GeneratedRun& run) {
    return model_gen_testing::CopySeed(run.ModelFile("Resul001.flo"), directory, run.label + ".flo");
  });
}
