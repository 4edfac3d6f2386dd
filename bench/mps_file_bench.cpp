// Reading the solver's extended MPS matrix text: rows with five coefficients
// each, a third of them scaled by INITIAL values, plus bounds and right-hand sides.

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "writers/matrix/mps_file.h"

namespace {

std::string MakeMatrix(int rows) {
  std::string text = "NAME BENCH\nXLINEAR\n";
  char line[96];
  for (int r = 0; r < rows; ++r)
    for (int k = 0; k < 5; ++k) {
      const int column = (r * 7 + k * 13) % (rows + 11);
      std::snprintf(line, sizeof line, " ER%07d  %d.25  C%07d%s\n", r, k + 1, column, k % 3 == 0 ? "  M1" : "");
      text += line;
    }
  text += "RHS\n";
  for (int r = 0; r < rows; r += 3) text += " RHS R" + std::to_string(r) + " 4.5\n";
  text += "BOUNDS\n";
  for (int c = 0; c < rows; c += 2) text += " UP BND C" + std::to_string(c) + " 100\n";
  text += "INITIAL\n   M1 1.5\n";
  return text;
}

void BM_ReadMpsText(benchmark::State& state) {
  const std::string text = MakeMatrix(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::istringstream in(text);
    CMpsFile file("bench");
    ReadMpsText(in, file, nullptr);
    benchmark::DoNotOptimize(file.m_paCols.GetSize());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * 5);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ReadMpsText)->Arg(1000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
