#include "modelfile/external_models_section.h"

#include <strings.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/messages.h"
#include "foundation/path_utils.h"
#include "foundation/timing_scope.h"
#include "modelfile/model_file_writer.h"
#include "modelfile/tulo_block.h"
#include "modelfile/tulo_instance.h"
#include "modelfile/vorn_model_file.h"
#include "platform/path_resolver.h"

namespace {

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty() || directory.back() == '/' || directory.back() == '\\') return directory + name;
  return directory + "/" + name;
}

// Makes a directory the current one for a scope and goes back afterwards.
class CurrentDirectoryScope {
 public:
  explicit CurrentDirectoryScope(const std::string& directory) {
    std::error_code ec;
    m_previous = std::filesystem::current_path(ec);
    if (ec) m_previous.clear();
    std::filesystem::current_path(plat::ResolvePath(directory), ec);
  }
  ~CurrentDirectoryScope() {
    std::error_code ec;
    if (!m_previous.empty()) std::filesystem::current_path(m_previous, ec);
  }
  CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
  CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

 private:
  std::filesystem::path m_previous;
};

// Stores the engine's blocks of a model and puts them in place of the data
// file when the archive was written whole.
bool StoreDataFile(CTULOInstance& engine, const CVornModelFile& model, const std::string& path,
                   const std::string& version) {
  std::ostringstream out(std::ios::binary);
  try {
    plat::Archive ar(out);
    engine.Archive(model.m_strModelName, model.m_strModelDir, model.m_bSilent, ar, version);
    ar.Flush();
    if (!out) throw CArchiveException(CArchiveException::genericException, "the data file could not be written");
  } catch (const CException& e) {
    if (!model.m_bSilent) ShowErrorMessage(std::string("Unable to save external model data: ") + e.what());
    return false;
  }
  if (!GetModelFileSystem().Write(path, out.str())) {
    const int error = errno;
    if (!model.m_bSilent) ShowErrorMessage("Unable to save external model data: " + std::to_string(error));
    return false;
  }
  return true;
}

}  // namespace

void ReadExternalModelsXml(CTULOInstance& engine, const plat::XmlNode& section, const std::string& modelName,
                           const std::string& modelDir) {
  CTimingScope timing("Processing Tulo Instance XML");
  for (const plat::XmlNode& child : section.ChildElements()) {
    const std::string name = child.Name();
    if (name == "Expanded") {
      engine.m_bExpanded = child.Text() == "true";
    } else if (name == "InputOutputMap") {
      engine.m_nInputOutputMap = child.Text() == "true" ? 1 : 0;
    } else if (name == "PerturbationSize") {
      engine.m_strPerturbationSize = child.Text();
    } else if (name == "ExternalModel") {
      std::string blockName;
      std::string path;
      std::string typeText;
      child.ChildText("Name", blockName);
      child.ChildText("Path", path);
      child.ChildText("ModelType", typeText);
      const int type = TuloModelTypeFromText(typeText);
      const std::string fullPath = MakeAbsolutePath(modelDir, path);
      const std::string relativePath = MakeRelativePath(modelDir, fullPath);
      if (engine.AddBlock(blockName, modelName, relativePath, fullPath, type < 0 ? 0 : type) != kTuloBlockAdded)
        continue;
      CTimingScope blockTiming("Processing Tulo Block XML");
      if (CTULOBlock* block = engine.FindBlock(blockName, modelName)) block->ReadXml(child);
    }
  }
}

bool ReadExternalModelsSection(CVornModelFile& model, const plat::XmlNode& section) {
  CTULOInstance* engine = GetTuloInstance();
  if (engine == nullptr) return false;
  const CModelSettings& s = model.m_settings;
  const int result = engine->Initialize(s.m_Nimbo_TraceLevel.GetValue(), s.m_Zelun_EM_AOSSolver.GetValue(),
                                        s.m_Zelun_EM_InputOutputMapOn.GetValue() != 0,
                                        s.m_Zelun_EM_PerturbationSize.GetValue(), model.m_strModelDir);
  if (result != kTuloOk) {
    if (!model.m_bSilent)
      ShowErrorMessage(result == kTuloNoHostLibrary ? "Failed to Initialize TULO - cannot load TULOHOST.DLL"
                                                    : "Failed to Initialize TULO.");
    return false;
  }
  if (GetTuloSimulationHandle() < 0) return false;

  // External models name their files relative to the model directory while they are read.
  CurrentDirectoryScope directory(model.m_strModelDir);
  try {
    if (section.Child("DataType").IsNull()) {
      ReadExternalModelsXml(*engine, section, model.m_strModelName, model.m_strModelDir);
    } else {
      std::string path = JoinPath(model.m_strModelDir, kExternalModelDataFile);
      if (!FileExists(path, true)) path = JoinPath(model.m_strModelDir, kExternalModelDataFile175);
      std::ifstream in(plat::ResolvePath(path), std::ios::binary);
      if (!in) {
        const int error = errno;
        if (!model.m_bSilent) ShowErrorMessage("Unable to load external model data: " + std::to_string(error));
        return false;
      }
      plat::Archive ar(in);
      engine->Archive(model.m_strModelName, model.m_strModelDir, model.m_bSilent, ar, model.m_strVersion);
    }
    engine->BuildInputOutputLists(engine->m_nInputOutputMap);
  } catch (const std::exception&) {
    // The blocks read so far stay.
  }
  // A section that gave no block is kept as text, so a save does not drop it.
  return engine->CountModelBlocks(model.m_strModelName) > 0;
}

bool WriteExternalModelsData(const CVornModelFile& model, plat::XmlNode& root, const std::string& version) {
  if (!IsTuloInitialized()) return true;
  CTULOInstance* engine = GetTuloInstance();
  if (engine == nullptr || engine->CountModelBlocks(model.m_strModelName) < 1) return true;
  if (!StoreDataFile(*engine, model, JoinPath(model.m_strModelDir, kExternalModelDataFile), version)) return false;
  if (!StoreDataFile(*engine, model, JoinPath(model.m_strModelDir, kExternalModelDataFile175),
                     kExternalModelDataVersion175))
    return false;
  plat::XmlNode section = root.AppendElement("ExternalModels");
  section.AppendTextElement("Expanded", engine->m_bExpanded ? "true" : "false");
  section.AppendTextElement("InputOutputMap", engine->m_nInputOutputMap != 0 ? "true" : "false");
  section.AppendTextElement("PerturbationSize", engine->m_strPerturbationSize);
  section.AppendTextElement("DataType", "Binary");
  return true;
}
