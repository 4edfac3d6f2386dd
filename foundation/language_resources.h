#pragma once
// Language resources: a translation of the program's texts. The "library" is
// a text file beside the executable, named by the language code, "_", the
// program name and ".dll" (e.g. "DEU_Ostrel.dll"), holding lines "id=text"
// under an optional "[Program]" or "[Shared]" section (Program by default);
// "\n", "\t" and "\\" in a text are escapes; lines starting with '#' or ';'
// are comments. A loaded file's texts override the compiled-in ones of its
// module's table for every later string load.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "platform/string_table.h"

// One loaded language file. Loaded files stay for the life of the process.
class CLanguageLibrary {
 public:
  // Reads the file; false (and nothing kept) when it cannot be read or a line is malformed.
  bool Load(const std::string& path);
  const std::string& GetPath() const { return m_strPath; }
  const std::map<std::uint32_t, std::string>& GetTexts(plat::StringTable table) const {
    return table == plat::StringTable::Program ? m_program : m_shared;
  }

 private:
  std::string m_strPath;
  std::map<std::uint32_t, std::string> m_program;
  std::map<std::uint32_t, std::string> m_shared;
};

using HRESOURCELIB = const CLanguageLibrary*;

// A module whose resource handle a loaded language library becomes.
struct CResourceModule {
  std::string m_strModuleFile;             // the module's file; its folder holds the library. Empty: the executable
  HRESOURCELIB m_hResource = nullptr;      // set when a library was loaded for the module
};

// The process's own module record (the executable's).
CResourceModule& GetProcessResourceModule();

// The full path of the running executable.
std::string GetExecutablePath();

// True for a code that can only name a file beside the executable: 1 to 16
// letters, digits, "_" or "-" (no separator, no dot).
bool IsBareLanguageCode(std::string_view code);

// Loads the language library of the program or component name ("Ostrel",
// "VornDbExport") as the per-user language settings ask. Returns the
// library, or null when none was loaded (no setting, "ENU", a code that is
// not bare (reported in a box at a reporting level of 1 or less), or a failure).
HRESOURCELIB LoadLanguageResourceDll(std::string_view name, CResourceModule* module);

// Loads fileName from the folder of the module's file (the executable when
// module is null) and makes it the module's resources. A file that does not
// load is reported in a box at a reporting level of 1 or less, a missing
// file at 0 or less.
HRESOURCELIB LoadResourceDll(std::string_view fileName, std::int32_t reportingLevel, CResourceModule* module);
