#include "foundation/registry.h"

bool ReadRegistryString(std::string& out, std::string_view key, std::string_view value, std::string_view def,
                        RegistryRoot root) {
  const std::optional<plat::RegValue> v = plat::RegQueryValue(root, key, value);
  if (!v) {
    out = std::string(def);
    return false;
  }
  if (v->type != plat::RegType::String) return false;
  out = v->text;
  return true;
}

bool ReadRegistryDword(std::uint32_t& out, std::string_view key, std::string_view value, std::uint32_t def,
                       RegistryRoot root) {
  const std::optional<plat::RegValue> v = plat::RegQueryValue(root, key, value);
  if (!v) {
    out = def;
    return false;
  }
  if (v->type != plat::RegType::Dword) return false;
  out = v->dword;
  return true;
}

std::string GetCompanyKeyName() { return "QuorvaneTech"; }

void AppendKeyPart(std::string& key, std::string_view part) {
  if (part.empty()) return;
  if (!key.empty()) key.push_back('\\');
  key.append(part);
}

std::string BuildAppKey(std::string_view app, std::string_view section) {
  std::string key = "Software";
  AppendKeyPart(key, GetCompanyKeyName());
  AppendKeyPart(key, app);
  AppendKeyPart(key, section);
  return key;
}

bool ReadAppRegistryString(std::string& out, std::string_view app, std::string_view section, std::string_view value,
                           std::string_view def) {
  return ReadRegistryString(out, BuildAppKey(app, section), value, def, RegistryRoot::CurrentUser);
}
