// Loading a model file with 2,000 and 20,000 tables and every setting (goals:
// 2,000 tables in under 30 ms; 20,000 tables in at most 10 times that), side
// by side with a bare parse and walk of the same file by pugixml.

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/side_by_side.h"
#include "modelfile/setting_item.h"
#include "modelfile/vorn_model_file.h"

namespace {

// A model directory parent/M whose model file lists tables TABLE0.. each with
// one source file (not present on disk) and every setting.
std::string BuildModelDirectory(int tables) {
  const std::filesystem::path parent =
      std::filesystem::temp_directory_path() / ("ostrel_model_load_bench_" + std::to_string(tables));
  std::filesystem::create_directories(parent / "M");
  plat::XmlDocument doc;
  doc.AppendProcessingInstruction("xml", "version = \"1.0\" encoding = \"UTF-8\"");
  plat::XmlNode root = doc.AppendElement("VornConfiguration");
  root.AppendTextElement("Version", "17.9.0");
  plat::XmlNode tablesNode = root.AppendElement("Tables");
  for (int i = 0; i < tables; ++i) {
    plat::XmlNode table = tablesNode.AppendElement("Table");
    table.AppendTextElement("Name", "TABLE" + std::to_string(i));
    table.AppendTextElement("File", "data\\t" + std::to_string(i) + ".xls[Sheet1]");
    table.AppendTextElement("Enabled", "1");
    table.AppendTextElement("TableType", "5");
  }
  plat::XmlNode settings = root.AppendElement("Settings");
  for (const CSettingItem* item : g_DefaultModelSettings.m_list) {
    plat::XmlNode setting = settings.AppendElement("Setting");
    setting.AppendTextElement("Name", item->GetName());
    setting.AppendTextElement("Value", item->GetValueText());
  }
  doc.Save((parent / "M" / "VornModel.vrnx").string());
  return parent.string();
}

bool LoadModel(const std::string& parent) {
  CVornModelFile model;
  const bool ok = model.Load("M", parent, "", 0, true, false);
  benchmark::DoNotOptimize(model.m_tables.GetSize());
  return ok;
}

// The anchor: parse the file and visit every element, reading its name and text.
std::size_t ParseAndWalk(const std::string& path) {
  pugi::xml_document doc;
  if (!doc.load_file(path.c_str())) return 0;
  std::size_t characters = 0;
  struct Walker : pugi::xml_tree_walker {
    std::size_t* count;
    bool for_each(pugi::xml_node& node) override {
      if (node.type() == pugi::node_element) *count += std::string(node.name()).size() + std::string(node.child_value()).size();
      return true;
    }
  } walker;
  walker.count = &characters;
  doc.traverse(walker);
  return characters;
}

void BM_LoadModelFile(benchmark::State& state) {
  const std::string parent = BuildModelDirectory(static_cast<int>(state.range(0)));
  for (auto _ : state)
    if (!LoadModel(parent)) state.SkipWithError("the model file did not load");
  std::filesystem::remove_all(parent);
}
BENCHMARK(BM_LoadModelFile)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// The load and the bare parse and walk in alternating rounds.
void BM_LoadSideBySidePugixml(benchmark::State& state) {
  const int tables = static_cast<int>(state.range(0));
  const std::string parent = BuildModelDirectory(tables);
  const std::string path = parent + "/M/VornModel.vrnx";
  bench::SideBySideTimes times;
  for (auto _ : state) {
    times = bench::RunSideBySide(
        tables > 5000 ? 5 : 15,
        [&] {
          bool ok = true;
          const double seconds = bench::TimeOnce([&] { ok = LoadModel(parent); });
          return ok ? seconds : -1.0;
        },
        [&] {
          std::size_t characters = 0;
          const double seconds = bench::TimeOnce([&] { characters = ParseAndWalk(path); });
          return characters > 0 ? seconds : -1.0;
        });
    state.SetIterationTime(bench::Min(times.ours) + bench::Min(times.anchor));
  }
  bench::ReportSideBySide(state, times, "model file load, " + std::to_string(tables) + " tables, vs pugixml parse and walk");
  std::filesystem::remove_all(parent);
}
BENCHMARK(BM_LoadSideBySidePugixml)->Arg(2000)->Arg(20000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Growth from 2,000 to 20,000 tables: the median load time's ratio (goal: at most 10).
void BM_LoadGrowth(benchmark::State& state) {
  const std::string small = BuildModelDirectory(2000);
  const std::string large = BuildModelDirectory(20000);
  bench::SideBySideTimes times;
  for (auto _ : state) {
    times = bench::RunSideBySide(
        5, [&] { return bench::TimeOnce([&] { LoadModel(large); }); },
        [&] { return bench::TimeOnce([&] { LoadModel(small); }); });
    state.SetIterationTime(bench::Min(times.ours) + bench::Min(times.anchor));
  }
  const double growth = bench::Median(times.ours) / bench::Median(times.anchor);
  state.counters["ms_2000"] = bench::Median(times.anchor) * 1e3;
  state.counters["ms_20000"] = bench::Median(times.ours) * 1e3;
  state.counters["growth_20000_over_2000"] = growth;
  std::printf("model file load growth: 2,000 tables %.2f ms, 20,000 tables %.2f ms (medians), 10x the tables -> %.2fx the time\n",
              bench::Median(times.anchor) * 1e3, bench::Median(times.ours) * 1e3, growth);
  std::filesystem::remove_all(small);
  std::filesystem::remove_all(large);
}
BENCHMARK(BM_LoadGrowth)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
