#pragma once
// The registry as an INI file. A section names a key with its root
// ("[HKEY_CURRENT_USER\Software\QuorvaneTech\VornWin\Adapter]"), each line
// below it a value: "name=text" is a string, "name=dword:N" a 32-bit number
// (decimal, or hexadecimal with 0x). Key paths and value names compare
// ignoring case; lines starting with ';' or '#' are comments. The file is
// $OSTREL_REGISTRY, else /etc/ostrel/registry.ini; no file is an empty registry.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plat {

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

enum class RegType { String, Dword };

struct RegValue {
  RegType type = RegType::String;
  std::string text;         // a string value
  std::uint32_t dword = 0;  // a DWORD value
};

// The path of the registry file in use.
std::string RegistryFilePath();

// True when the key exists (a section of that name, in any letter case).
bool RegKeyExists(RegRoot root, std::string_view key);

// The value, or nothing when the key or the value does not exist. keyFound
// tells the two apart when given.
std::optional<RegValue> RegQueryValue(RegRoot root, std::string_view key, std::string_view name,
                                      bool* keyFound = nullptr);

// The section name of a key: "HKEY_CURRENT_USER\Software\...".
std::string RegSectionName(RegRoot root, std::string_view key);

}  // namespace plat
