// Reading every table of a model's table files by name, as the solution fill
// does once per case: 2,000 tables of 20 x 12 cells, from the compact cache
// (one image per case) and from the classic cache (one file read per table).
// Goal: the whole set in well under 100 ms either way.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "caseset/modeltables/model_table_reader.h"
#include "caseset/modeltables/table_file_fixtures.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"

namespace {

constexpr int kTables = 2000;

std::vector<table_fixtures::Table> MakeTables() {
  std::vector<table_fixtures::Table> tables;
  for (int t = 0; t < kTables; ++t) {
    table_fixtures::Table table{"T" + std::to_string(t), {}, {}, {}, {}};
    for (int r = 0; r < 20; ++r) table.rows.push_back("R" + std::to_string(r));
    for (int c = 0; c < 12; ++c) table.columns.push_back("C" + std::to_string(c));
    table.cells.assign(240, 1.5);
    tables.push_back(std::move(table));
  }
  return tables;
}

void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

void ReadAll(benchmark::State& state, bool managed) {
  const std::filesystem::path home = std::filesystem::temp_directory_path() / "ostrel_model_table_bench";
  std::filesystem::create_directories(home / "M");
  const auto tables = MakeTables();
  CVornDbExportData exportData(nullptr);
  exportData.m_strHomeDirectory = home.string();
  exportData.m_pModel = std::make_unique<CVornModelFile>();
  CVornModelFile& model = *exportData.m_pModel;
  model.m_strModelName = "M";
  model.m_strModelDir = (home / "M").string();
  model.m_settings.m_ModelTables.SetValue(kTables);
  if (managed) {
    model.m_settings.m_UseZelunMGOn.SetValue(1);
    const auto files = table_fixtures::MakeCompactFiles(tables);
    Write(home / "M" / GetTableIndexName(0), files.index);
    Write(home / "M" / GetTableCacheName(0), files.cache);
  } else {
    const auto files = table_fixtures::MakeClassicFiles(tables, kTables);
    Write(home / "M" / "tables.map", files.index);
    Write(home / "M" / "tables.fil", files.cache);
  }
  CTableFilTable table;
  for (auto _ : state) {
    if (!ReadTablesMap(exportData, &model, false, true)) state.SkipWithError("index not read");
    for (int t = 0; t < kTables; ++t)
      if (!ReadFilTable(exportData, ("T" + std::to_string(t)).c_str(), &model, &table, true))
        state.SkipWithError("table not read");
    benchmark::DoNotOptimize(table.m_aCells.data());
  }
  state.SetItemsProcessed(state.iterations() * kTables);
  std::filesystem::remove_all(home);
}

void BM_ReadCompactTables(benchmark::State& state) { ReadAll(state, true); }
void BM_ReadClassicTables(benchmark::State& state) { ReadAll(state, false); }

}  // namespace

BENCHMARK(BM_ReadCompactTables)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadClassicTables)->Unit(benchmark::kMillisecond);
