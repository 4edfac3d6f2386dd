// Fuzz entry of the connection-string parser: any text splits into items that
// our writer joins back to the same items, a secret found in it never stands
// in the masked text, and a translation either gives a connection string
// holding the user and password passed or says why not. Built as every fuzz
// entry is (cmake/OstrelFuzz.cmake).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/connection_string.h"
#include "platform/testing/fuzz_support.h"

namespace {

std::string Join(const std::vector<plat::ConnectionItem>& items) {
  std::string text;
  for (const auto& [key, value] : items) text += (text.empty() ? "" : ";") + plat::ConnectionPair(key, value);
  return text;
}

// A secret made of the mask's stars may meet a mask; any other must be gone.
void CheckMasked(const std::string& masked, const std::vector<std::string>& secrets) {
  for (const std::string& secret : secrets)
    if (!secret.empty() && secret.find('*') == std::string::npos && masked.find(secret) != std::string::npos)
      __builtin_trap();
}

}  // namespace

// The first byte: bit 0 passes a user, bit 1 a password, as a results
// connection does; the rest is the connection string.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string user = (data[0] & 1) != 0 ? "planner" : "";
  const std::string password = (data[0] & 2) != 0 ? " p;w}d= " : "";

  const std::vector<plat::ConnectionItem> items = plat::ParseConnectionString(text);
  for (const auto& [key, value] : items)
    if (key.find_first_of("=;") != std::string::npos) __builtin_trap();
  if (plat::ParseConnectionString(Join(items)) != items) __builtin_trap();

  const std::string masked = plat::MaskConnectionSecrets(text);
  CheckMasked(masked, plat::FindConnectionSecrets(text));

  // A file named by the string is looked at; keep to names in the current folder.
  if (text.find_first_of("/\\") != std::string::npos) return 0;
  const plat::TranslatedConnection translated = plat::TranslateConnectionString(text, user, password);
  if (!translated.ok) {
    if (translated.message.empty()) __builtin_trap();
    return 0;
  }
  if (translated.odbc.empty()) __builtin_trap();
  const std::vector<plat::ConnectionItem> odbc = plat::ParseConnectionString(translated.odbc);
  if (!user.empty() && plat::FindConnectionValue(odbc, "UID") != user) __builtin_trap();
  if (!password.empty() && plat::FindConnectionValue(odbc, "PWD") != password) __builtin_trap();
  if (!password.empty()) CheckMasked(plat::MaskConnectionSecrets(translated.odbc), {password});
  return 0;
}

// Connection strings in the forms the translator takes, joined by our writer
// of connection items: Access files through the OLE DB providers and the
// ODBC driver, SQL Server through its providers and drivers, the ODBC
// provider with extended properties, native ODBC strings, and refused ones.
extern "C" bool OstrelFuzzWriteSeeds(const char* directory) {
  using Items = std::vector<plat::ConnectionItem>;
  const struct {
    const char* name;
    std::uint8_t flags;
    Items items;
  } seeds[] = {
      {"jet", 0, {{"Provider", "Microsoft.Jet.OLEDB.4.0"}, {"Data Source", "Results.Mdb"}, {"Jet OLEDB:Database Password", "jet"}}},
      {"ace", 3, {{"Provider", "Microsoft.ACE.OLEDB.12.0"}, {"Data Source", "results.accdb"}, {"Persist Security Info", "False"}}},
      {"access_driver", 1, {{"Driver", "Microsoft Access Driver (*.mdb, *.accdb)"}, {"DBQ", "Results.Mdb"}}},
      {"sqloledb", 0, {{"Provider", "SQLOLEDB"}, {"Data Source", "tcp:db.example,1433"}, {"Initial Catalog", "Results"},
                       {"User ID", "sa"}, {"Password", "p;w}d"}}},
      {"sqlncli_trusted", 2, {{"Provider", "SQLNCLI11"}, {"Server", "db"}, {"Integrated Security", "SSPI"}}},
      {"sql_driver", 3, {{"Driver", "ODBC Driver 17 for SQL Server"}, {"Server", "db"}, {"Port", "5432"},
                         {"Database", "Results"}, {"UID", "u"}, {"PWD", " spaced "}}},
      {"msdasql", 0, {{"Provider", "MSDASQL"}, {"Extended Properties", "DSN=results;UID=u;PWD=x"}}},
      {"native", 2, {{"DSN", "results"}, {"UID", "u"}, {"PWD", "{braced}"}}},
      {"postgres", 1, {{"Driver", "PostgreSQL Unicode"}, {"Server", "127.0.0.1"}, {"Database", "results"}}},
      {"oracle", 0, {{"Provider", "OraOLEDB.Oracle"}, {"Data Source", "orcl"}, {"Password", "o"}}},
      {"unknown_provider", 0, {{"Provider", "Some.Provider"}, {"Data Source", "x"}}},
  };
  for (const auto& seed : seeds) {
    const std::string text = std::string(1, static_cast<char>(seed.flags)) + Join(seed.items);
    if (!fuzz::WriteSeed(directory, std::string(seed.name) + ".txt", text)) return false;
  }
  // A driver's message that echoes a string, and the libpq form.
  return fuzz::WriteSeed(directory, "message.txt",
                         std::string(1, '\0') + "[unixODBC]connect failed for \"DSN=x;PWD='it''s'\"\nlogin it's failed") &&
         fuzz::WriteSeed(directory, "libpq.txt", std::string(1, '\0') + "host=h dbname=d password=pg user=u");
}
