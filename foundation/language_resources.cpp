#include "foundation/language_resources.h"

#include <cctype>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>

#include <unistd.h>

#include "foundation/registry.h"
#include "platform/message_box.h"

namespace {

const char kLangKey[] = "SOFTWARE\\QuorvaneTech\\LangPref\\Settings";

std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char next = text[i + 1];
      if (next == 'n' || next == 't' || next == '\\') {
        out.push_back(next == 'n' ? '\n' : next == 't' ? '\t' : '\\');
        ++i;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// Libraries stay loaded for the process's life, as loaded modules do.
struct LoadedLibraries {
  std::mutex mutex;
  std::deque<CLanguageLibrary> libraries;
};

LoadedLibraries& Loaded() {
  static LoadedLibraries loaded;
  return loaded;
}

}  // namespace

bool CLanguageLibrary::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::map<std::uint32_t, std::string> texts[2];
  int table = 0;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line[0] == '[') {
      if (EqualsNoCase(line, "[Program]")) table = 0;
      else if (EqualsNoCase(line, "[Shared]")) table = 1;
      else return false;
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == 0 || eq == std::string::npos) return false;
    std::uint32_t id = 0;
    for (size_t i = 0; i < eq; ++i) {
      if (!std::isdigit(static_cast<unsigned char>(line[i])) || id > 100000000u) return false;
      id = id * 10 + static_cast<std::uint32_t>(line[i] - '0');
    }
    texts[table][id] = Unescape(std::string_view(line).substr(eq + 1));
  }
  if (in.bad()) return false;
  m_strPath = path;
  m_program = std::move(texts[0]);
  m_shared = std::move(texts[1]);
  return true;
}

bool IsBareLanguageCode(std::string_view code) {
  if (code.empty() || code.size() > 16) return false;
  for (char c : code)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') return false;
  return true;
}

CResourceModule& GetProcessResourceModule() {
  static CResourceModule module;
  return module;
}

std::string GetExecutablePath() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.string();
}

HRESOURCELIB LoadLanguageResourceDll(std::string_view name, CResourceModule* module) {
  std::string language;
  // The default is not used for loading: only a stored value selects a library.
  if (!ReadRegistryString(language, kLangKey, "Language", "ENU")) return nullptr;
  if (EqualsNoCase(language, "ENU")) return nullptr;
  std::uint32_t level = 1;
  ReadRegistryDword(level, kLangKey, "ReportingLevel", 1);
  // The code names a file beside the executable: a path or ".." would leave that folder.
  if (!IsBareLanguageCode(language)) {
    if (static_cast<std::int32_t>(level) <= 1)
      plat::ShowMessageBox("The language code \"" + language + "\" is not a bare code; the built-in texts stay.", "",
                           plat::BoxButtons::Ok);
    return nullptr;
  }
  const std::string fileName = language + "_" + std::string(name) + ".dll";
  return LoadResourceDll(fileName, static_cast<std::int32_t>(level), module);
}

HRESOURCELIB LoadResourceDll(std::string_view fileName, std::int32_t reportingLevel, CResourceModule* module) {
  CResourceModule& target = module ? *module : GetProcessResourceModule();
  const std::string moduleFile = target.m_strModuleFile.empty() ? GetExecutablePath() : target.m_strModuleFile;
  const std::filesystem::path path = std::filesystem::path(moduleFile).parent_path() / std::string(fileName);

  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    if (reportingLevel <= 0)
      plat::ShowMessageBox("Can't find DLL \"" + std::string(fileName) + "\"", "", plat::BoxButtons::Ok);
    return nullptr;
  }

  CLanguageLibrary library;
  if (std::filesystem::is_directory(path, ec) || !library.Load(path.string())) {
    if (reportingLevel <= 1)
      plat::ShowMessageBox("LoadLibrary failure for DLL \"" + std::string(fileName) + "\"", "", plat::BoxButtons::Ok);
    return nullptr;
  }

  LoadedLibraries& loaded = Loaded();
  HRESOURCELIB handle = nullptr;
  {
    std::lock_guard<std::mutex> lock(loaded.mutex);
    loaded.libraries.push_back(std::move(library));
    handle = &loaded.libraries.back();
  }
  target.m_hResource = handle;
  for (plat::StringTable table : {plat::StringTable::Program, plat::StringTable::Shared})
    for (const auto& [id, text] : handle->GetTexts(table)) plat::SetLanguageString(table, id, text);
  return handle;
}
