#pragma once
// Where the results go and how the model's own input database is reached:
// the tests on the output database settings, the connection descriptor
// CDbConnectInfo with its connection types and derived database kinds, and
// the opening of an ADO connection from it.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/ado.h"

// Output database texts (compared exactly).
extern const char* const g_pszDatabaseOutputFormatAccess;  // "Access", the format's default
extern const char* const g_pszDatabaseOutputFormatSqlServer;  // "SQL Server"
extern const char* const g_pszDefaultAccessVersion;  // "Access 2000/2003 (9.0/11.0)"

// The tests on the settings "DatabaseOutputFormat" and "AccessVersion"; the
// model's settings pass their texts in.
bool IsAccessDatabase(const std::string& databaseOutputFormat);
// The answer is kept in cachedAnswer (-1 untested, 1 yes, 0 no), which the
// settings object owns: once tested, the kept answer is returned.
bool IsSqlServerDatabase(const std::string& databaseOutputFormat, int& cachedAnswer);
bool IsAccess95Database(const std::string& accessVersion);
bool IsAccess97Database(const std::string& accessVersion);

// Connection types.
enum DbConnectionType : int {
  kDbConnNone = 0,
  kDbConnAccess = 1,
  kDbConnUserDsn = 2,
  kDbConnSystemDsn = 3,
  kDbConnFileDsn = 4,
  kDbConnSqlServer = 5,
  kDbConnOracle = 6,
  kDbConnVornEE = 7,
  kDbConnSqlServerOledb = 8,
  kDbConnOracleOledb = 9,
};

// Database kinds.
enum DbKind : int { kDbKindNone = 1, kDbKindAccess = 2, kDbKindSqlServer = 3, kDbKindOracle = 4, kDbKindUnknown = 5 };

// The names of the connection types 0 to 7, as {name, code} pairs.
const std::vector<std::pair<std::string, int>>& GetConnectionTypeNames();
// The code of a name (exact), or -1.
int ConnectionTypeFromName(const std::string& name);

class CDbConnectInfo {
 public:
  // Stores the type and derives the kind from it.
  void SetType(int type);
  // Stores the name; for the DSN types and 7 the kind is derived again.
  void SetConnectionString(const std::string& text);
  // For a user or system DSN of unknown kind: the kind of its ODBC driver.
  void DeriveKindFromDsn();
  // From the "Provider=" of a complete connection string.
  void DeriveKindFromConnectionString();
  // The connection string stored behind the "@" marker of the name.
  std::string GetStringAfterMarker() const;

  int m_nType = kDbConnNone;
  int m_nKind = 0;
  std::string m_strUser;
  std::string m_strPassword;
  std::string m_strName;  // file, data source, file data source, server or connection string
  std::string m_strDatabase;
  bool m_bIntegratedSecurity = false;
  bool m_bEnabled = true;  // cleared when opening by connection string fails
  plat::AdoConnectionPtr m_pConnection;  // the open connection, when one was opened
};

// Opens the ADO connection for the info's type (not 0 and 7). Throws
// CUserException after reporting the failure in error boxes unless quiet.
// An empty provider for type 1 is chosen by ChooseAccessProvider.
void OpenAdoConnection(plat::AdoConnectionPtr& connection, CDbConnectInfo& info, bool quiet,
                       const std::string& provider);

// Opens a complete connection string. Fails at once when enabled is false;
// a failed open clears enabled, shows message 2646 and throws CUserException.
void OpenAdoConnectionString(plat::AdoConnectionPtr& connection, const std::string& connectionString, bool& enabled);

// The connection string OpenAdoConnection gives Open for the info (the
// password in it is the info's own).
std::string BuildAdoConnectionString(const CDbConnectInfo& info, const std::string& provider);

// Error boxes of a failed ADO call: one per entry of the connection's Errors
// (message 1102) and one for the COM error (message 1100).
void ReportAdoErrors(const plat::AdoConnection& connection);
void ReportComError(const plat::ComError& error);
