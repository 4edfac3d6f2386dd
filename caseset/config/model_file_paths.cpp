// The paths of a model's files and the look-up of a model by name.

#include <strings.h>

#include "caseset/vorn_db_export_data.h"
#include "foundation/path_utils.h"
#include "modelfile/vorn_model_file.h"

std::string CombineFilePath(const std::string& directory, const std::string& name, const char* extension) {
  std::string path;
  const bool drive = name.size() > 1 && name[1] == ':';
  const bool network = name.size() > 1 && (name[0] == '\\' || name[0] == '/') && (name[1] == '\\' || name[1] == '/');
  if (drive || network)
    path = name;
  else
    path = directory + kPathSeparator + name;
  if (extension) {
    if (extension[0] != '.') path += '.';
    path += extension;
  }
  return path;
}

std::string CombinePath(const std::string& directory, const std::string& name) { return MakeFilePath(directory, name); }

std::string CVornDbExportData::BuildFilePath(const std::string& subdirectory, const std::string& name,
                                             const char* extension) const {
  return CombineFilePath(CombinePath(m_strHomeDirectory, subdirectory), name, extension);
}

std::string CVornDbExportData::GetModelFilePath(const std::string& name, const char* extension) const {
  if (m_nExportKind == 2) return CombineFilePath(m_strHomeDirectory, name, extension);
  const std::string directory = m_pModel ? CombinePath(m_strHomeDirectory, m_pModel->m_strModelName) : m_strHomeDirectory;
  return CombineFilePath(directory, name, extension);
}

std::string CVornDbExportData::GetModelTableFilePath(const CVornModelFile* model, const std::string& modelName,
                                                     const std::string& fileName) const {
  if (m_nExportKind == 2 && model) return model->m_strModelDir + kPathSeparator + fileName;
  return BuildFilePath(modelName, fileName);
}

CVornModelFile* CVornDbExportData::FindModel(const std::string& modelName) const {
  const auto same = [&](const CVornModelFile* model) {
    return model && strcasecmp(model->m_strModelName.c_str(), modelName.c_str()) == 0;
  };
  if (same(m_pModel.get())) return m_pModel.get();
  if (m_paLocalModelFiles)
    for (CVornModelFile* model : *m_paLocalModelFiles)
      if (same(model)) return model;
  return nullptr;
}

void CVornDbExportData::ResetTableSource() {
  m_nOutputCaseNumber = 0;
  m_bDataValidation = false;
}
