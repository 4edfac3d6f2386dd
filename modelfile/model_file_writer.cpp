#include "modelfile/model_file_writer.h"

#include <clocale>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "foundation/locale_switch.h"
#include "foundation/path_utils.h"
#include "foundation/timing_scope.h"
#include "modelfile/external_models_section.h"
#include "modelfile/model_settings_xml.h"
#include "modelfile/model_text_cipher.h"
#include "modelfile/server.h"
#include "modelfile/vorn_model_file.h"
#include "modelfile/vorn_setting_xml_writer.h"
#include "modelfile/user_equation_section.h"
#include "platform/file_replace.h"

namespace {

constexpr const char* kDefaultComment = "This file is maintained by VORN.  Do not modify this file!";

class CRealModelFileSystem : public IModelFileSystem {
 public:
  bool Write(const std::string& path, const std::string& bytes) override {
    return plat::ReplaceFileContents(path, bytes);
  }
  bool WriteBeside(const std::string& target, const std::string& bytes, std::string& temporary,
                   bool holdsSecret) override {
    constexpr int kOwnerOnly = 0600;
    const int mode = holdsSecret && plat::FileMode(target) < 0 ? kOwnerOnly : plat::kKeepFileMode;
    return plat::WriteReplacementFile(target, bytes, temporary, mode);
  }
  bool Copy(const std::string& from, const std::string& to) override {
    std::ifstream in(from, std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return !in.bad() && plat::ReplaceFileContents(to, bytes, plat::FileMode(from));
  }
  bool Rename(const std::string& from, const std::string& to) override {
    return plat::CommitReplacementFile(from, to);
  }
  bool Remove(const std::string& path) override {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    return !ec;
  }
  bool Exists(const std::string& path) override {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
  }
  bool Size(const std::string& path, std::uint64_t& size) override {
    std::error_code ec;
    size = std::filesystem::file_size(path, ec);
    return !ec;
  }
};

CRealModelFileSystem g_realFileSystem;
IModelFileSystem* g_fileSystem = &g_realFileSystem;
ReportGeneratorFactory g_reportGeneratorFactory = nullptr;

std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// Whether the saved file holds a secret: a password or a connection string among the settings, or a
// server's password.
bool HoldsSecret(const CVornModelFile& model) {
  for (const CSettingItem* item : model.m_settings.m_list)
    if (item && IsEncipheredSetting(item->GetName()) && !item->GetValueText().empty()) return true;
  for (const CServer* server : model.m_servers)
    if (server && !server->m_strPassword.empty()) return true;
  return false;
}

// The model file's document in the section order of the file.
void BuildDocument(CVornModelFile& model, const std::string& version, const std::string& comment, plat::XmlDocument& doc) {
  doc.AppendProcessingInstruction("xml", "version = \"1.0\" encoding = \"UTF-8\"");
  doc.AppendComment(comment.empty() ? kDefaultComment : comment);
  plat::XmlNode root = doc.AppendElement("VornConfiguration");
  root.AppendTextElement("Version", version);
  model.WriteTablesXml(root);
  CVornSettingXmlWriter settingWriter(root.AppendElement("Settings"));
  model.m_settings.m_list.ForEach(settingWriter);
  model.WriteServersXml(root);
  if (!model.m_formulas.IsEmpty()) {
    plat::XmlNode formulas = root.AppendElement("Formulas");
    for (const CPropertyCalculation* formula : model.m_formulas) formula->WriteXml(formulas);
  }
  WriteUserEquationSectionXml(model, root);
  if (!WriteExternalModelsData(model, root, version)) throw std::runtime_error("the external model data was not saved");
  model.WriteWenuTablesXml(root);
  plat::XmlDocument report;
  if (model.m_strReportConfiguration.empty()) {
    if (BuildDefaultReportConfiguration(model, report)) root.AppendCopy(report.DocumentElement());
  } else if (report.LoadXml(model.m_strReportConfiguration)) {
    root.AppendCopy(report.DocumentElement());
  }
  model.WriteKeptSectionsXml(root);
}

}  // namespace

IModelFileSystem& GetModelFileSystem() { return *g_fileSystem; }

IModelFileSystem* SetModelFileSystem(IModelFileSystem* fileSystem) {
  IModelFileSystem* previous = g_fileSystem;
  g_fileSystem = fileSystem ? fileSystem : &g_realFileSystem;
  return previous;
}

int WriteTextFile(const std::string& path, const std::string& text) {
  return GetModelFileSystem().Write(path, WithCrLf(text)) ? 1 : 0;
}

std::string MakeModelBackupName(const std::string& modelFilePath) { return ChangeFileExtension(modelFilePath, "Bak"); }

std::string MakeModelTimeStampedName(const std::string& modelFilePath, const plat::OleDateTime& time) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d.%02d.%02d.%02d.%02d.%02d.", time.GetYear(), time.GetMonth(), time.GetDay(),
                time.GetHour(), time.GetMinute(), time.GetSecond());
  // An empty extension leaves the name ending in a full stop.
  return ChangeFileExtension(modelFilePath, "") + stamp + "Bak";
}

ReportGeneratorFactory SetReportGeneratorFactory(ReportGeneratorFactory factory) {
  const ReportGeneratorFactory previous = g_reportGeneratorFactory;
  g_reportGeneratorFactory = factory;
  return previous;
}

bool BuildDefaultReportConfiguration(CVornModelFile& model, plat::XmlDocument& out) {
  model.m_strVersion.clear();
  out.Clear();
  const std::int32_t modelType = model.m_settings.m_ModelType.GetValue();
  const bool firstFlag = modelType == 2 || modelType == 3;
  const bool secondFlag = modelType == 1 || modelType == 3;
  std::unique_ptr<IReportGenerator> generator;
  {
    CTimingScope timing("pReportGenerator.CreateInstance2 -||");
    if (g_reportGeneratorFactory) generator = g_reportGeneratorFactory();
  }
  if (!generator) return false;
  generator->SetResultsDatabase(model.m_strModelDir + "/Results.mdb");
  std::string xml;
  if (!generator->BuildConfiguration(0, firstFlag, secondFlag, model.m_strReportArgument, xml)) return false;
  model.m_strReportConfiguration.clear();
  if (!out.LoadXml(xml) || !out.DocumentElement()) return false;
  model.m_strReportConfiguration = out.Xml();
  return true;
}

bool CVornModelFile::Save(const std::string& version, const std::string& comment, bool backup) {
  if (!m_bCanSave) return false;
  CModelSettings& s = m_settings;
  s.m_DbInfoDatabaseType.SetValue(m_dbConnectInfo.m_nType);
  s.m_DbInfoUsername.SetValue(m_dbConnectInfo.m_strUser);
  s.m_DbInfoPassword.SetValue(m_dbConnectInfo.m_strPassword);
  s.m_DbInfoDataSource.SetValue(m_dbConnectInfo.m_strName);
  s.m_DbInfoDatabase.SetValue(m_dbConnectInfo.m_strDatabase);
  s.m_DbInfoTrustedConnectionOn.SetValue(m_dbConnectInfo.m_bIntegratedSecurity ? 1 : 0);
  s.m_ModelExt.SetValue(m_strTableExt);
  return WriteModelFile(version, comment, backup);
}

bool CVornModelFile::WriteModelFile(const std::string& version, const std::string& comment, bool backup) {
  CLocaleSwitch numeric(LC_NUMERIC, "C");
  if (m_bSkipWrite) return true;
  if (m_strModelFilePath.empty() || !m_bCanSave) return false;
  const std::string& path = m_strModelFilePath;
  const plat::OleDateTime now = plat::OleDateTime::GetCurrentTime();
  const bool encipher = m_bEncryptOnSave && !m_bPlainXmlOnSave;

  // The whole new file is made before any file is touched.
  std::string bytes;
  try {
    plat::XmlDocument doc;
    BuildDocument(*this, version, comment, doc);
    if (encipher) {
      std::string sealed;
      if (!EncipherModelText(doc.IndentedXml(), sealed)) return false;
      bytes = WithCrLf(sealed);
    } else {
      bytes = doc.IndentedXmlUtf8();
    }
  } catch (const std::exception&) {
    return false;
  }

  IModelFileSystem& fs = GetModelFileSystem();
  std::string temporary;
  const auto fail = [&] {
    if (!temporary.empty()) fs.Remove(temporary);
    return false;
  };
  if (!fs.WriteBeside(path, bytes, temporary, HoldsSecret(*this))) return fail();

  std::uint64_t oldSize = 0;
  const std::string stamped = MakeModelTimeStampedName(path, now);
  if (backup && fs.Exists(path)) {
    if (!fs.Size(path, oldSize) || !fs.Copy(path, MakeModelBackupName(path)) || !fs.Copy(path, stamped)) return fail();
  }
  if (!fs.Rename(temporary, path)) return fail();

  // An enciphered file that did not shrink below the kept percentage needs no time-stamped copy.
  std::uint64_t newSize = 0;
  if (encipher && oldSize != 0 && fs.Size(path, newSize) &&
      newSize * 100 / oldSize > static_cast<std::uint64_t>(m_nBackupKeepPercent) && fs.Exists(stamped)) {
    fs.Remove(stamped);
  }
  return true;
}
