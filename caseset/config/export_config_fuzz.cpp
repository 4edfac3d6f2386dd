// Fuzz entry of the export configuration reader: any bytes, read as
// "VornDbExportData.xml", are read or refused with the file and the reason.
// "@MODELS@" in the input stands for a folder of this process holding the
// model files M (a single model), G (a global model) and its local models A
// and B, so that inputs can name models that load. Built as every fuzz entry
// is (cmake/OstrelFuzz.cmake).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>

#include "caseset/config/export_config_fixture.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "platform/testing/fuzz_support.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kModelsToken = "@MODELS@";

bool WriteModel(const fs::path& directory, int modelType) {
  fs::create_directories(directory);
  CVornModelFile model;
  model.LoadFromDirectory(directory.filename().string(), directory.string());
  model.m_settings.m_ModelType.SetValue(modelType);
  model.m_bEncryptOnSave = false;
  return model.Save("18.0.0", "", false);
}

const std::string& ModelsDirectory() {
  static const std::string directory = [] {
    const fs::path root = fuzz::ProcessTempPath("models");
    fs::remove_all(root);
    WriteModel(root / "M", 0);
    WriteModel(root / "G", 2);
    WriteModel(root / "A", 0);
    WriteModel(root / "B", 0);
    return root.string();
  }();
  return directory;
}

std::string WithModels(std::string text) {
  for (std::size_t at = text.find(kModelsToken); at != std::string::npos; at = text.find(kModelsToken, at))
    text.replace(at, std::char_traits<char>::length(kModelsToken), ModelsDirectory()), at += ModelsDirectory().size();
  return text;
}

}  // namespace

// The last byte chooses short plant tags for the models of a global model.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool useShortPlantTags = (data[size - 1] & 1) != 0;
  const std::string path = fuzz::ProcessTempPath(kExportConfigFileName);
  fuzz::WriteBytes(path, WithModels(std::string(reinterpret_cast<const char*>(data), size - 1)));
  CVornDbExportData exportData(nullptr);
  const bool read = exportData.ReadDataFromXmlFile(path, useShortPlantTags);
  if (!read && (exportData.m_strReadError.empty() || exportData.m_strReadErrorFile.empty())) __builtin_trap();
  exportData.ReleaseModelData();
  return 0;
}

// Configurations written by the test fixture's writer: a single model with
// case sets, case tables, scenario logics and messages; a global model with
// its local models.
extern "C" bool OstrelFuzzWriteSeeds(const char* directory) {
  const std::string models = kModelsToken;
  ExportConfigFixture single;
  single.homeDirectory = models;
  single.modelDirectory = models + "/M";
  single.databaseDirectory = models;
  single.databaseDescription = "Results";
  single.doDbSolution = true;
  single.runId = "RUN1";
  single.cases = {{1, "Base", {{"CRUDE", 100.0}}},
                  {2, "Set", {}, "SET", 0, "", -1, {3}},
                  {3, "Node", {{"CRUDE", 90.0}}, "NODE", 2, "PURCX01 > 5", 1, {}, {{"PURC", {"*,X01,5"}}}}};
  single.logics = {{3, 3, 2, 1, "0.001"}};
  single.errorMessages = {{"E1", "too low", "R1", "C1", "M"}};
  ExportConfigFixture global;
  global.homeDirectory = models;
  global.modelDirectory = models + "/G";
  global.localModels = {{"PA", models + "/A"}, {"PB", models + "/B", false}};
  global.cases = {{1, "Global", {{"CRUDE", 50.0}}}};
  const std::string singlePath = fuzz::ProcessTempPath("single.xml");
  const std::string globalPath = fuzz::ProcessTempPath("global.xml");
  if (!single.WriteConfig(singlePath) || !global.WriteConfig(globalPath)) return false;
  bool written = true;
  for (const auto& [from, name, last] : {std::tuple{singlePath, "single.xml", '\0'}, std::tuple{globalPath, "global.xml", '\1'}}) {
    std::ifstream in(from, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    written = written && !text.empty() && fuzz::WriteSeed(directory, name, text + last);
    fs::remove(from);
  }
  return written;
}
