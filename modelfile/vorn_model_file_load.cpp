// Loading a model: the model file's text (plain or enciphered), its sections
// and the post-load set-up.

#include <clocale>
#include <exception>
#include <fstream>
#include <iterator>

#include "foundation/locale_switch.h"
#include "foundation/path_utils.h"
#include "foundation/timing_scope.h"
#include "modelfile/model_text_cipher.h"
#include "modelfile/vorn_model_file.h"
#include "platform/path_resolver.h"

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty() || directory.back() == '/' || directory.back() == '\\') return directory + name;
  return directory + "/" + name;
}

}  // namespace

bool ReadModelFileText(const std::string& path, std::string& text) {
  text.clear();
  std::ifstream in(plat::ResolvePath(path), std::ios::binary);
  if (!in) return false;
  // One read of the whole file when its size is known; else character by character.
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size > 0 && in) {
    text.resize(static_cast<std::size_t>(size));
    in.read(text.data(), size);
    text.resize(static_cast<std::size_t>(in.gcount()));
    // A file that grew meanwhile is read to its end.
    if (in) text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } else {
    in.clear();
    in.seekg(0, std::ios::beg);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return !text.empty();
}

int ReadModelText(const std::string& path, std::string& text, bool& deciphered) {
  deciphered = false;
  text.clear();
  if (!FileExists(path, true)) return 1;
  const int result = ReadModelFileText(path, text) ? 1 : 0;
  // A byte-order mark is no sign of an enciphered file.
  if (text.compare(0, kUtf8ByteOrderMark.size(), kUtf8ByteOrderMark) == 0) text.erase(0, kUtf8ByteOrderMark.size());
  // A UTF-16 file (with or without its mark) is plain XML too: an enciphered text is ASCII.
  const bool utf16 = text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0 ||
                     (text.size() >= 2 && text[0] == '\0' && text[1] == '<');
  if ((!text.empty() && text[0] == '<') || utf16) return result;
  std::string plain;
  DecipherModelText(text, plain);
  text = std::move(plain);
  deciphered = true;
  return result;
}

void CVornModelFile::ResetForLoad(const std::string& modelName, const std::string& modelDir) {
  m_bCommonStartDateSet = false;
  m_settings.m_list.CopyFrom(&g_DefaultModelSettings.m_list, -1);
  m_servers.RemoveAll();
  m_formulas.RemoveAll();
  m_wenuTables.RemoveAll();
  m_tables.RemoveAll();
  m_nAssayLibFileCount = 0;
  m_nSubmodsFileCount = 0;
  m_nModelsFileCount = 0;
  m_strModelName = modelName;
  m_strModelDir = modelDir;
  m_strModelFilePath = JoinPath(m_strModelDir, kModelFileName);
}

bool CVornModelFile::Load(const std::string& modelName, const std::string& parentDir, const std::string& /*text*/,
                          int /*unused*/, bool skipAssayAndSubmodelTables, bool skipExternalModels) {
  CTimingScope timing("Load Model File");
  m_strReportConfiguration.clear();
  CLocaleSwitch locale(LC_NUMERIC, "C");
  m_strLoadError.clear();
  ResetForLoad(modelName, JoinPath(parentDir, modelName));
  if (FileExists(m_strModelFilePath, true)) {
    ReleaseUserEquations();
    if (!LoadXml(m_strModelFilePath, skipExternalModels)) return false;
    PostLoadSetup(skipAssayAndSubmodelTables);
  } else {
    PostLoadSetup(false);
  }
  ApplyLstSwitch();
  return true;
}

bool CVornModelFile::LoadFromDirectory(const std::string& modelName, const std::string& modelDir) {
  CLocaleSwitch locale(LC_NUMERIC, "C");
  m_strLoadError.clear();
  ResetForLoad(modelName, modelDir);
  if (!FileExists(m_strModelFilePath, true)) {
    m_strLoadError = "there is no model file";
    return false;
  }
  ReleaseUserEquations();
  if (!LoadXml(m_strModelFilePath, false)) return false;
  PostLoadSetup(true);
  return true;
}

bool CVornModelFile::LoadXml(const std::string& path, bool skipExternalModels) {
  m_bExternalModelsSkipped = skipExternalModels;
  BeforeLoadXml();
  CTimingScope timing("Load XML Model File");
  m_strReportConfiguration.clear();
  m_strVersion.clear();

  m_strLoadError.clear();
  std::string text;
  bool deciphered = false;
  const bool readable = ReadModelText(path, text, deciphered) != 0;
  if (!m_bEncryptOnSave && !m_bPlainXmlOnSave) {
    m_strLoadError = "the model is set to be saved neither enciphered nor as plain XML";
    return false;
  }

  bool result = false;
  try {
    plat::XmlDocument doc;
    // A plain file is decoded as its declaration says; a deciphered text is in the internal code page.
    const bool parsed = deciphered ? doc.LoadXml(text) : doc.LoadBytes(text);
    if (parsed) {
      m_keptSections.clear();
      BeginSections();
      for (const plat::XmlNode& node : doc.DocumentElement().ChildNodes()) {
        const std::string name = node.Name();
        if (name.empty()) break;
        if (name == "Version") m_strVersion = node.Text();
        else if (name == "Tables") ReadTablesXml(node);
        else if (name == "Servers") ReadServersXml(node);
        else if (name == "WenuTables") ReadWenuTablesXml(node);
        else if (name == "ReportConfiguration") ReadReportConfigurationXml(node);
        else if (!ReadOtherSection(node)) m_keptSections.push_back(node.Xml());
      }
      EndSections();
      result = true;
    } else if (!readable) {
      m_strLoadError = "the file is empty or cannot be read";
    } else {
      m_strLoadError = (deciphered ? "neither XML nor an enciphered model file (" : "not well-formed XML (") +
                       doc.ParseError() + ")";
      if (deciphered && !ModelCipherKeyRefusal().empty()) m_strLoadError += "; " + ModelCipherKeyRefusal();
    }
  } catch (const std::exception& e) {
    m_strLoadError = e.what();
    result = false;
  }
  AfterLoadXml();
  return result;
}
