#include "standins/tresk.h"

#include "platform/string_table.h"

std::string LoadTreskString(std::uint32_t id) {
  return plat::GetString(plat::StringTable::Shared, id);
}

std::string LoadTreskStringWithDefault(std::uint32_t id, const std::string& defaultText) {
  std::string text;
  if (!plat::LoadString(plat::StringTable::Shared, id, text) || text.empty()) return defaultText;
  return text;
}
