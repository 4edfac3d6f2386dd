// Loading a model file with 2,000 tables and every setting (goal: under 100 ms).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "modelfile/setting_item.h"
#include "modelfile/vorn_model_file.h"

namespace {

std::string BuildModelDirectory() {
  const std::filesystem::path parent = std::filesystem::temp_directory_path() / "ostrel_model_load_bench";
  std::filesystem::create_directories(parent / "M");
  plat::XmlDocument doc;
  doc.AppendProcessingInstruction("xml", "version = \"1.0\" encoding = \"UTF-8\"");
  plat::XmlNode root = doc.AppendElement("VornConfiguration");
  root.AppendTextElement("Version", "17.9.0");
  plat::XmlNode tables = root.AppendElement("Tables");
  for (int i = 0; i < 2000; ++i) {
    plat::XmlNode table = tables.AppendElement("Table");
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

void BM_LoadModelFile(benchmark::State& state) {
  const std::string parent = BuildModelDirectory();
  for (auto _ : state) {
    CVornModelFile model;
    if (!model.Load("M", parent, "", 0, true, false)) state.SkipWithError("the model file did not load");
    benchmark::DoNotOptimize(model.m_tables.GetSize());
  }
  std::filesystem::remove_all(parent);
}
BENCHMARK(BM_LoadModelFile)->Unit(benchmark::kMillisecond);

}  // namespace
