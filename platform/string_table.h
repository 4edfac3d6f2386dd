#pragma once
// Message texts by numeric id. The program's own table holds the runner's,
// the table I/O library's, the Trancol export's and the model-table input's
// texts (their id ranges do not overlap); the shared-resource table has a
// numbering of its own. Each folder registers its texts with a
// StringTableRegistrar placed in the same source file as the functions that
// report those messages, so the texts are linked wherever they are used.
// A language file may override texts of either table.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace plat {

enum class StringTable { Program, Shared };

struct StringEntry {
  std::uint32_t id;
  const char* text;
};

// Adds texts to a table; an id registered twice keeps its first text.
void RegisterStrings(StringTable table, std::initializer_list<StringEntry> entries);

struct StringTableRegistrar {
  StringTableRegistrar(StringTable table, std::initializer_list<StringEntry> entries) {
    RegisterStrings(table, entries);
  }
};

// Looks the id up, first among the language overrides when useLanguage is
// set, then in the compiled-in texts. Returns false (and leaves out empty)
// when neither has it.
bool LoadString(StringTable table, std::uint32_t id, std::string& out, bool useLanguage = true);

// The text of an id, or an empty text.
std::string GetString(StringTable table, std::uint32_t id, bool useLanguage = true);

// Replaces the language overrides of a table (the language loader's job).
void SetLanguageString(StringTable table, std::uint32_t id, std::string_view text);
void ClearLanguageStrings();

}  // namespace plat
