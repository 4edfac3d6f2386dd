#include "platform/string_table.h"

#include <mutex>
#include <unordered_map>

namespace plat {
namespace {

struct Tables {
  std::mutex mutex;
  std::unordered_map<std::uint32_t, std::string> builtIn[2];
  std::unordered_map<std::uint32_t, std::string> language[2];
};

// Function-local so that registrars running during static initialisation find it built.
Tables& GetTables() {
  static Tables tables;
  return tables;
}

int Index(StringTable table) { return table == StringTable::Program ? 0 : 1; }

}  // namespace

void RegisterStrings(StringTable table, std::initializer_list<StringEntry> entries) {
  Tables& t = GetTables();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto& map = t.builtIn[Index(table)];
  for (const StringEntry& e : entries) map.emplace(e.id, e.text);
}

bool LoadString(StringTable table, std::uint32_t id, std::string& out, bool useLanguage) {
  Tables& t = GetTables();
  std::lock_guard<std::mutex> lock(t.mutex);
  if (useLanguage) {
    const auto& lang = t.language[Index(table)];
    if (auto it = lang.find(id); it != lang.end()) {
      out = it->second;
      return true;
    }
  }
  const auto& map = t.builtIn[Index(table)];
  if (auto it = map.find(id); it != map.end()) {
    out = it->second;
    return true;
  }
  out.clear();
  return false;
}

std::string GetString(StringTable table, std::uint32_t id, bool useLanguage) {
  std::string text;
  LoadString(table, id, text, useLanguage);
  return text;
}

void SetLanguageString(StringTable table, std::uint32_t id, std::string_view text) {
  Tables& t = GetTables();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.language[Index(table)][id] = std::string(text);
}

void ClearLanguageStrings() {
  Tables& t = GetTables();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.language[0].clear();
  t.language[1].clear();
}

}  // namespace plat
