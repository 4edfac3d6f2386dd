#pragma once
// Connection strings written for Windows providers and drivers, translated
// to the ODBC drivers installed here:
// - an Access file (OLE DB Jet or ACE provider, or the Access ODBC driver)
//   goes to the SQLite3 driver when the file is an SQLite database, and to
//   the MDBTools driver (read-only) when it is a Jet or ACE file;
// - SQL Server (OLE DB providers SQLOLEDB, SQLNCLI*, MSOLEDBSQL, or the ODBC
//   driver "SQL Server") goes to the configured server driver:
//   $OSTREL_SQLSERVER_ODBC_DRIVER, else "FreeTDS"; "host,port" becomes
//   Server and Port; PostgreSQL is reached the same way;
// - the ODBC provider MSDASQL loses its Provider part;
// - a native ODBC string (DSN= or DRIVER=, and no Provider=) passes
//   unchanged;
// - a string that FindRefusedConnectionItem refuses (a driver named by a
//   path, FILEDSN, ...) is refused whatever its provider;
// - Oracle, integrated Windows security and unknown providers are refused
//   with a message saying why.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plat {

// One "key=value" item; keys keep their spelling, values lose ODBC braces.
using ConnectionItem = std::pair<std::string, std::string>;

// Splits a connection string at ";" (outside braces) and "=". Items without
// "=" are kept with an empty value.
std::vector<ConnectionItem> ParseConnectionString(std::string_view text);

// The value of a key (compared ignoring case and surrounding blanks).
std::optional<std::string> FindConnectionValue(const std::vector<ConnectionItem>& items, std::string_view key);

// "key=value" with the value in braces when it holds ";", "{", "}", "=" or
// leading or trailing white space (a "}" inside is doubled), so that
// ParseConnectionString gives the value back as it was.
std::string ConnectionPair(std::string_view key, std::string_view value);

// The values of the secret items of a connection text: every PWD, Password
// or Passwd item (any letter case, also as the end of a longer key such as
// "Jet OLEDB:Database Password"), in the ODBC, OLE DB and libpq forms.
std::vector<std::string> FindConnectionSecrets(std::string_view text);

// The text with the value of every secret item (see FindConnectionSecrets)
// and every other occurrence of those values or of knownSecrets replaced by
// "********". The one way a connection string, or a driver's message that
// may echo one, reaches a log, a message, an exception text or a database.
std::string MaskConnectionSecrets(std::string_view text, const std::vector<std::string>& knownSecrets = {});

// Why a connection string may not go to the driver manager, or "" when it
// may. A driver is named as the ODBC configuration lists it, never by a
// path. Refused are: a Driver or DSN value holding a slash or a backslash;
// FILEDSN and SAVEFILE (files the driver manager reads or writes); the driver
// manager's DMEnvAttr, DMConnAttr and DMStmtAttr (environment variables and
// attributes, some of which load libraries); and the drivers' own LoadExt,
// TraceFile and DumpFile (a library loaded, a file written). Readers of
// connection strings differ on blanks, letter case and braces, so every
// reading counts: an item may start at the beginning or after any ";", also
// inside braces, and a key is compared without its blanks and braces,
// ignoring case.
std::string FindRefusedConnectionItem(std::string_view text);

// The configured SQL Server ODBC driver.
std::string SqlServerOdbcDriver();

struct TranslatedConnection {
  bool ok = false;
  std::string odbc;     // the ODBC connection string
  std::string message;  // why the string was refused
  bool readOnly = false;  // a Jet file through MDBTools
};

// Translates a connection string; user and password, when not empty, are
// added as UID and PWD in place of any the string holds.
TranslatedConnection TranslateConnectionString(std::string_view text, std::string_view user = {},
                                               std::string_view password = {});

// What an Access database file is; an empty file becomes a new SQLite database.
enum class AccessFileKind { Missing, Sqlite, Jet, Other, Folder };
AccessFileKind DetectAccessFile(const std::string& path);

}  // namespace plat
