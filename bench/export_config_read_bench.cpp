// Reading an export configuration of many cases, each with case tables and
// setting rows, and the per-case look-up, apply and restore of a worker.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "caseset/config/assembled_case.h"
#include "caseset/config/export_config_fixture.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"

namespace {

namespace fs = std::filesystem;

// A run with cases cases of four setting rows each; returns the configuration's path.
std::string WriteRun(int cases) {
  const fs::path dir = fs::temp_directory_path() / ("export_config_bench_" + std::to_string(::getpid())) / "M";
  fs::create_directories(dir);
  ExportConfigFixture config;
  config.homeDirectory = dir.parent_path().string();
  config.modelDirectory = dir.string();
  config.databaseDirectory = dir.string();
  config.databaseDescription = "Bench";
  for (int c = cases; c >= 1; --c)
    config.cases.push_back(
        {c, "Case " + std::to_string(c), {{"LimitPenalty", c}, {"SolveOn", 1}, {"PERIODTIME", 2.0}, {"RECURSE", 1}}});
  const std::string path = (dir / kExportConfigFileName).string();
  if (!config.WriteModel() || !config.WriteConfig(path)) return std::string();
  return path;
}

void BM_ReadExportConfig(benchmark::State& state) {
  const std::string path = WriteRun(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    CVornDbExportData data(nullptr);
    if (!data.ReadDataFromXmlFile(path, false)) state.SkipWithError("configuration not readable");
    benchmark::DoNotOptimize(data.m_paAssembledCases.get());
    data.ReleaseModelData();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  fs::remove_all(fs::path(path).parent_path().parent_path());
}
BENCHMARK(BM_ReadExportConfig)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Per case: find the assembled case, apply its rows, restore from the base copy.
void BM_ApplyAndRestoreCaseSettings(benchmark::State& state) {
  const int cases = 10000;
  const std::string path = WriteRun(cases);
  CVornDbExportData data(nullptr);
  if (!data.ReadDataFromXmlFile(path, false) || !data.m_pModel) {
    state.SkipWithError("configuration not readable");
    return;
  }
  CVornModelFile& model = *data.m_pModel;
  model.m_baseSettings.m_list.CopyFrom(&model.m_settings.m_list, -1);
  int number = 0;
  for (auto _ : state) {
    const CAssembledCase probe(number++ % cases + 1, model.m_strModelName);
    const CAssembledCase* found = data.m_paAssembledCases->Find(&probe);
    if (found) ApplyCaseSettings(model.m_settings, *found, nullptr);
    model.m_settings.m_list.CopyFrom(&model.m_baseSettings.m_list, -1);
  }
  data.ReleaseModelData();
  fs::remove_all(fs::path(path).parent_path().parent_path());
}
BENCHMARK(BM_ApplyAndRestoreCaseSettings)->Unit(benchmark::kMicrosecond);

}  // namespace
