// A model table spread over two worksheets: merged by row key, and appended
// as an event table; rows per second as the sheets grow.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "caseset/modeltables/vorn_io_table.h"
#include "modelfile/vorn_model_file.h"
#include "tableio/worksheet/testing/sheet_fixture.h"

namespace {

namespace fs = std::filesystem;

// Two sheets of rows each: the second restates half of the first's rows and adds as many new ones.
void WriteSheets(const fs::path& dir, int rows, const char* key) {
  wks_test::Grid first{{key, "TEXT", "A", "B", "C", "D"}};
  wks_test::Grid second{{key, "TEXT", "E", "B", "A", "F"}};
  for (int r = 0; r < rows; ++r) {
    first.push_back({"R" + std::to_string(r), "row", "#1", "#2", "#3", "#4"});
    second.push_back({"R" + std::to_string(r + rows / 2), "again", "#5", "#2", "#1", "#6"});
  }
  wks_test::WriteSheet(2, first, (dir / "a.xls").string());
  wks_test::WriteSheet(2, second, (dir / "b.xls").string());
}

void Run(benchmark::State& state, const char* tableName, const char* key) {
  const int rows = static_cast<int>(state.range(0));
  const fs::path dir = fs::temp_directory_path() / ("ostrel_merge_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  WriteSheets(dir, rows, key);
  CVornModelFile model;
  model.m_strModelDir = dir.string();
  auto table = std::make_unique<CVornModelFileTable>(tableName, 0);
  table->AddFile("a.xls", true, plat::OleDateTime());
  table->AddFile("b.xls", true, plat::OleDateTime());
  model.m_tables.Add(std::move(table));
  for (auto _ : state) {
    CVornIoTable merged(tableName, "*", "*", model, 0, key, 0);
    if (merged.GetStatus() != 0) state.SkipWithError("merge failed");
    benchmark::DoNotOptimize(merged.GetRowCount());
  }
  state.SetItemsProcessed(state.iterations() * rows * 2);
  fs::remove_all(dir);
}

void BM_MergeByRowKey(benchmark::State& state) { Run(state, "CAPS", "ROWNAMES"); }
void BM_AppendEventTable(benchmark::State& state) { Run(state, "SHIP", "Code"); }
BENCHMARK(BM_MergeByRowKey)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendEventTable)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);

}  // namespace
