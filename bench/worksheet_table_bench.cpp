// Reading a BIFF2 model table through CIoTable: rows per second as the sheet grows.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tableio/io_table.h"
#include "tableio/worksheet/testing/sheet_fixture.h"

namespace {

std::string MakeSheet(int rows) {
  wks_test::Grid grid{{"ROWNAMES", "TEXT", "A", "B", "C", "D"}};
  for (int r = 0; r < rows; ++r) {
    grid.push_back({"R" + std::to_string(r), "row " + std::to_string(r), "#" + std::to_string(r * 0.5),
                    "#1", "#2", "#3"});
  }
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("ostrel_wks_bench_" + std::to_string(::getpid()) + "_" + std::to_string(rows) + ".xls"))
                               .string();
  wks_test::WriteSheet(2, grid, path);
  return path;
}

void BM_ReadWorksheetTable(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const std::string path = MakeSheet(rows);
  for (auto _ : state) {
    CIoTable table(path, "", "ROWNAMES", "*", "*", kTableWorksheet);
    if (table.GetStatus() != 0 || table.GetRowCount() != rows) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(table.GetCellDouble(rows - 1, 2));
  }
  state.SetItemsProcessed(state.iterations() * rows);
  std::filesystem::remove(path);
}
BENCHMARK(BM_ReadWorksheetTable)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);

}  // namespace
