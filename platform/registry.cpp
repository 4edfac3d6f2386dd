#include "platform/registry.h"

#include <cctype>
#include <cstdlib>
#include <fstream>

#include "platform/name_compare.h"

namespace plat {
namespace {

const char* RootName(RegRoot root) {
  switch (root) {
    case RegRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case RegRoot::CurrentUser: return "HKEY_CURRENT_USER";
    case RegRoot::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case RegRoot::Users: return "HKEY_USERS";
  }
  return "HKEY_CURRENT_USER";
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// Lower case, "/" read as "\", and no leading, trailing or doubled separators.
std::string NormaliseKey(std::string_view key) {
  std::string out;
  out.reserve(key.size());
  for (char c : key) {
    if (c == '/') c = '\\';
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  if (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

// Short root names are accepted in the file too.
std::string ExpandRoot(std::string section) {
  static const std::pair<const char*, const char*> kShort[] = {
      {"hkcr", "hkey_classes_root"}, {"hkcu", "hkey_current_user"},
      {"hklm", "hkey_local_machine"}, {"hku", "hkey_users"}};
  for (const auto& [shortName, longName] : kShort) {
    std::string_view s(section);
    std::string_view prefix(shortName);
    if (s.substr(0, prefix.size()) == prefix && (s.size() == prefix.size() || s[prefix.size()] == '\\'))
      return std::string(longName) + section.substr(prefix.size());
  }
  return section;
}

RegValue ParseValue(std::string_view text) {
  RegValue value;
  text = Trim(text);
  if (text.size() >= 6 && EqualNoCase(text.substr(0, 6), "dword:")) {
    std::string digits(Trim(text.substr(6)));
    if (!digits.empty()) {
      char* end = nullptr;
      const unsigned long long n = std::strtoull(digits.c_str(), &end, 0);
      if (end && *end == '\0' && n <= 0xFFFFFFFFull) {
        value.type = RegType::Dword;
        value.dword = static_cast<std::uint32_t>(n);
        return value;
      }
    }
  }
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
  value.type = RegType::String;
  value.text = std::string(text);
  return value;
}

// Scans the file for the key; calls onValue(name, rawText) for each of its
// lines until it returns true. Returns whether the key was found.
template <typename F>
bool ScanKey(RegRoot root, std::string_view key, F&& onValue) {
  std::ifstream in(RegistryFilePath(), std::ios::binary);
  if (!in) return false;
  const std::string wanted = NormaliseKey(RegSectionName(root, key));
  bool found = false;
  bool inKey = false;
  std::string line;
  while (std::getline(in, line)) {
    std::string_view l = Trim(line);
    if (l.empty() || l.front() == ';' || l.front() == '#') continue;
    if (l.front() == '[') {
      const size_t close = l.rfind(']');
      std::string_view name = l.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
      inKey = ExpandRoot(NormaliseKey(Trim(name))) == wanted;
      found = found || inKey;
      continue;
    }
    if (!inKey) continue;
    const size_t eq = l.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view name = Trim(l.substr(0, eq));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    if (onValue(name, l.substr(eq + 1))) return true;
  }
  return found;
}

}  // namespace

std::string RegistryFilePath() {
  const char* env = std::getenv("OSTREL_REGISTRY");
  if (env && *env) return env;
  return "/etc/ostrel/registry.ini";
}

std::string RegSectionName(RegRoot root, std::string_view key) {
  std::string section = RootName(root);
  if (!key.empty()) {
    section.push_back('\\');
    section.append(key);
  }
  return section;
}

bool RegKeyExists(RegRoot root, std::string_view key) {
  return ScanKey(root, key, [](std::string_view, std::string_view) { return false; });
}

std::optional<RegValue> RegQueryValue(RegRoot root, std::string_view key, std::string_view name, bool* keyFound) {
  std::optional<RegValue> result;
  // A value listed twice keeps its last line, as a later import would.
  const bool found = ScanKey(root, key, [&](std::string_view valueName, std::string_view text) {
    if (EqualNoCase(valueName, name)) result = ParseValue(text);
    return false;
  });
  if (keyFound) *keyFound = found;
  return result;
}

}  // namespace plat
