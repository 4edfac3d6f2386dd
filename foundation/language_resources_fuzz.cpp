// Fuzz entry of the language file reader: any bytes, as a language file, load
// or are refused whole, and every text loaded stands as a message with its
// argument put in. Built as every fuzz entry is (cmake/OstrelFuzz.cmake).

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/language_resources.h"
#include "foundation/messages.h"
#include "platform/testing/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::ProcessTempPath("DEU_Ostrel.dll");
  fuzz::WriteBytes(path, data, size);
  CLanguageLibrary library;
  if (!library.Load(path)) {
    if (!library.GetPath().empty() || !library.GetTexts(plat::StringTable::Program).empty()) __builtin_trap();
    return 0;
  }
  for (plat::StringTable table : {plat::StringTable::Program, plat::StringTable::Shared})
    for (const auto& [id, text] : library.GetTexts(table)) {
      FormatString1(text, "%s%n%1");
      FormatString2(text, "a", "%2");
    }
  return 0;
}

// Language files in the forms the reader takes: both sections, escapes,
// comments, arguments and carriage returns; and one it refuses.
extern "C" bool OstrelFuzzWriteSeeds(const char* directory) {
  const char* const texts =
      "# a translation\n"
      "10351=Eine Anweisung ohne Schluessel wuerde jede Zeile der Tabelle %1 aendern.\n"
      "; the shared table\n"
      "[Shared]\r\n"
      "181=Keine Verbindung:\\n%1 und %2\\t\\\\ende\r\n"
      "[Program]\n"
      "7=\n";
  const char* const refused = "[Program]\n10=ok\n1x=not a number\n";
  return fuzz::WriteSeed(directory, "texts.dll", texts) && fuzz::WriteSeed(directory, "refused.dll", refused);
}
