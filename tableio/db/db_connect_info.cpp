#include "tableio/db/db_connect_info.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "foundation/messages.h"
#include "platform/connection_string.h"
#include "platform/exceptions.h"
#include "platform/odbc_handles.h"
#include "platform/string_table.h"
#include "standins/tresk.h"
#include "tableio/db/oledb_provider.h"

const char* const g_pszDatabaseOutputFormatAccess = "Access";
const char* const g_pszDatabaseOutputFormatSqlServer = "SQL Server";
const char* const g_pszDefaultAccessVersion = "Access 2000/2003 (9.0/11.0)";

namespace {

constexpr std::uint32_t kIdsComError = 1100;
constexpr std::uint32_t kIdsAdoError = 1102;
constexpr std::uint32_t kIdsConnectionStringFailed = 2646;

const plat::StringTableRegistrar kSharedTexts(
    plat::StringTable::Shared,
    {
        {kIdsConnectionStringFailed, "The database connection could not be opened with the connection string."},
    });

const char* const kDefaultComErrorText = "Error\nCode = %08lx\nCode meaning = %s\nSource = %s\nDescription = %s";
const char* const kDefaultAdoErrorText = "\t Error number: %x\t%s";

// One argument of a printf-style message text.
struct Arg {
  bool isText;
  long long number;
  std::string text;
};

// Fills the conversions of a message text (which may come from a language
// file) in order with the given arguments, without handing the text to printf.
std::string FormatMessageText(const std::string& format, const std::vector<Arg>& args) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out.push_back(format[i]);
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out.push_back('%');
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    std::string spec = "%";
    while (j < format.size() && std::string_view("-+ #0").find(format[j]) != std::string_view::npos) spec += format[j++];
    int digits = 0;
    while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j])) && digits < 3)
      spec += format[j++], ++digits;
    while (j < format.size() && (format[j] == 'l' || format[j] == 'h')) ++j;
    if (j >= format.size()) {
      out += format.substr(i);
      break;
    }
    const char conversion = format[j];
    if (std::string_view("sdixXuc").find(conversion) == std::string_view::npos) {
      out += format.substr(i, j - i + 1);
      i = j;
      continue;
    }
    const Arg arg = next < args.size() ? args[next] : Arg{true, 0, ""};
    ++next;
    if (arg.isText) {
      out += arg.text;
    } else if (conversion == 's') {
      out += std::to_string(arg.number);
    } else {
      char buffer[64];
      spec += "ll";
      spec += conversion == 'c' ? 'd' : conversion;
      std::snprintf(buffer, sizeof buffer, spec.c_str(), arg.number);
      out += buffer;
    }
    i = j;
  }
  return out;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool EqualNoCase(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

}  // namespace

bool IsAccessDatabase(const std::string& databaseOutputFormat) {
  return databaseOutputFormat == g_pszDatabaseOutputFormatAccess;
}

bool IsSqlServerDatabase(const std::string& databaseOutputFormat, int& cachedAnswer) {
  if (cachedAnswer == -1) cachedAnswer = databaseOutputFormat == g_pszDatabaseOutputFormatSqlServer ? 1 : 0;
  return cachedAnswer == 1;
}

bool IsAccess95Database(const std::string& accessVersion) {
  return accessVersion == "Access 95 (7.0)" || accessVersion == "Access 7.0";
}

bool IsAccess97Database(const std::string& accessVersion) {
  return accessVersion == "Access 97 (8.0)" || accessVersion == "Access 8.0";
}

const std::vector<std::pair<std::string, int>>& GetConnectionTypeNames() {
  static const std::vector<std::pair<std::string, int>> names = {
      {"NOT", kDbConnNone},          {"Access", kDbConnAccess},       {"UserDSN", kDbConnUserDsn},
      {"SystemDSN", kDbConnSystemDsn}, {"FileDSN", kDbConnFileDsn},    {"SQLServer", kDbConnSqlServer},
      {"Oracle", kDbConnOracle},     {"VornEE", kDbConnVornEE},
  };
  return names;
}

int ConnectionTypeFromName(const std::string& name) {
  for (const auto& [text, code] : GetConnectionTypeNames())
    if (text == name) return code;
  return -1;
}

// ---------------------------------------------------------------------------
// CDbConnectInfo

void CDbConnectInfo::SetType(int type) {
  m_nType = type;
  switch (type) {
    case kDbConnNone: m_nKind = kDbKindNone; break;
    case kDbConnAccess: m_nKind = kDbKindAccess; break;
    case kDbConnUserDsn:
    case kDbConnSystemDsn:
    case kDbConnFileDsn:
      m_nKind = kDbKindUnknown;
      if (!m_strName.empty()) DeriveKindFromDsn();
      break;
    case kDbConnSqlServer:
    case kDbConnSqlServerOledb: m_nKind = kDbKindSqlServer; break;
    case kDbConnOracle:
    case kDbConnOracleOledb: m_nKind = kDbKindOracle; break;
    case kDbConnVornEE:
      m_nKind = kDbKindUnknown;
      if (!m_strName.empty()) DeriveKindFromConnectionString();
      break;
    default: break;
  }
}

void CDbConnectInfo::SetConnectionString(const std::string& text) {
  m_strName = text;
  if (m_nType == kDbConnUserDsn || m_nType == kDbConnSystemDsn || m_nType == kDbConnFileDsn ||
      m_nType == kDbConnVornEE)
    SetType(m_nType);
}

void CDbConnectInfo::DeriveKindFromDsn() {
  if (m_nKind != kDbKindUnknown || m_strName.empty()) return;
  if (m_nType != kDbConnUserDsn && m_nType != kDbConnSystemDsn) return;
  std::string driver;
  try {
    for (const plat::odbc::DataSource& source : plat::odbc::ListDataSources(m_nType == kDbConnSystemDsn)) {
      if (EqualNoCase(source.name, m_strName)) {
        driver = Upper(source.driver);
        break;
      }
    }
  } catch (const plat::odbc::Error&) {
    return;  // no driver manager: the kind stays unknown
  }
  // The drivers that stand in here: MDBTools and SQLite3 for Access files, FreeTDS for SQL Server.
  if (driver.find("ACCESS") != std::string::npos || driver.find("MDBTOOLS") != std::string::npos ||
      driver.find("SQLITE") != std::string::npos)
    m_nKind = kDbKindAccess;
  else if (driver.find("ORACLE") != std::string::npos)
    m_nKind = kDbKindOracle;
  else if (driver.find("SQL SERVER") != std::string::npos || driver.find("FREETDS") != std::string::npos)
    m_nKind = kDbKindSqlServer;
}

void CDbConnectInfo::DeriveKindFromConnectionString() {
  m_nKind = kDbKindUnknown;
  const std::size_t at = m_strName.find("Provider=");
  if (at == std::string::npos) return;
  const std::size_t start = at + 9;
  const std::size_t end = m_strName.find(';', start);
  if (end == std::string::npos) return;  // no ";" after the name: no provider name
  const std::string provider = m_strName.substr(start, end - start);
  if (provider.find("SQLOLEDB") != std::string::npos || provider.find("SQLNCLI") != std::string::npos ||
      provider.find("SQLSRV") != std::string::npos)
    m_nKind = kDbKindSqlServer;
}

std::string CDbConnectInfo::GetStringAfterMarker() const {
  const std::size_t at = m_strName.find('@');
  const std::size_t start = at == std::string::npos ? 3 : at + 4;
  return start < m_strName.size() ? m_strName.substr(start) : std::string();
}

// ---------------------------------------------------------------------------
// Opening

void ReportAdoErrors(const plat::AdoConnection& connection) {
  const std::string format = LoadTreskStringWithDefault(kIdsAdoError, kDefaultAdoErrorText);
  for (const plat::AdoError& e : connection.Errors())
    ShowErrorMessage(FormatMessageText(format, {{false, static_cast<std::uint32_t>(e.number), ""},
                                                {true, 0, e.description}}),
                     false);
}

void ReportComError(const plat::ComError& error) {
  const std::string format = LoadTreskStringWithDefault(kIdsComError, kDefaultComErrorText);
  ShowErrorMessage(FormatMessageText(format, {{false, static_cast<std::uint32_t>(error.Error()), ""},
                                              {true, 0, error.ErrorMessage()},
                                              {true, 0, error.Source()},
                                              {true, 0, error.Description()}}),
                   false);
}

std::string BuildAdoConnectionString(const CDbConnectInfo& info, const std::string& provider) {
  switch (info.m_nType) {
    case kDbConnAccess: return "Provider=" + provider + ";" + plat::ConnectionPair("Data Source", info.m_strName);
    case kDbConnUserDsn:
    case kDbConnSystemDsn: return plat::ConnectionPair("DSN", info.m_strName);
    case kDbConnFileDsn: return plat::ConnectionPair("FileDSN", info.m_strName);
    case kDbConnSqlServer:
      // Values holding ";" or "}" are brace-quoted so that they cannot break the string.
      return "Driver={SQL Server};" + plat::ConnectionPair("Server", info.m_strName) + ";" +
             plat::ConnectionPair("Database", info.m_strDatabase) + ";" +
             plat::ConnectionPair("UID", info.m_bIntegratedSecurity ? "" : info.m_strUser) + ";" +
             plat::ConnectionPair("PWD", info.m_bIntegratedSecurity ? "" : info.m_strPassword);
    case kDbConnOracle: return "Provider=OraOLEDB.Oracle.1; Data Source=" + info.m_strName;
    case kDbConnSqlServerOledb:
      if (info.m_bIntegratedSecurity)
        return "Provider=" + GetSqlServerProvider() + ";Integrated Security=SSPI;" +
               plat::ConnectionPair("Data Source", info.m_strName) + ";" +
               plat::ConnectionPair("Initial Catalog", info.m_strDatabase);
      return "Provider=" + GetSqlServerProvider() + ";" + plat::ConnectionPair("Data Source", info.m_strName) + ";" +
             plat::ConnectionPair("Initial Catalog", info.m_strDatabase) + ";" +
             plat::ConnectionPair("UID", info.m_strUser) + ";" + plat::ConnectionPair("PWD", info.m_strPassword);
    case kDbConnOracleOledb: return "Provider=OraOLEDB.Oracle; Data Source=" + info.m_strName;
    default: return {};
  }
}

void OpenAdoConnection(plat::AdoConnectionPtr& connection, CDbConnectInfo& info, bool quiet,
                       const std::string& provider) {
  if (info.m_nType == kDbConnNone || info.m_nType == kDbConnVornEE) return;
  std::string chosen = provider;
  if (info.m_nType == kDbConnAccess && chosen.empty()) chosen = ChooseAccessProvider(info.m_strName);
  const std::string text = BuildAdoConnectionString(info, chosen);
  if (text.empty()) return;
  // The type-1 and integrated-security strings carry no credentials of their own.
  const bool noCredentials =
      info.m_nType == kDbConnAccess || (info.m_nType == kDbConnSqlServerOledb && info.m_bIntegratedSecurity);
  const std::string user = noCredentials ? std::string() : info.m_strUser;
  const std::string password = noCredentials ? std::string() : info.m_strPassword;

  connection = std::make_shared<plat::AdoConnection>();
  connection->PutMode(plat::adModeReadWrite);
  try {
    if (info.m_nType == kDbConnSqlServer && info.m_bIntegratedSecurity)
      throw plat::ComError(plat::kEFail, "ADO over ODBC",
                           "Integrated Windows security is not available on this system: give a user name and a "
                           "password.");
    try {
      connection->Open(text, user, password, 0);
    } catch (const plat::ComError& e) {
      if (info.m_nType != kDbConnAccess || e.Error() != plat::kEFail || IsAccdbFile(info.m_strName) ||
          !IsAceOledb12Registered())
        throw;
      connection->Open("Provider=Microsoft.Ace.OLEDB.12.0;" + plat::ConnectionPair("Data Source", info.m_strName), "",
                       "", 0);
    }
  } catch (const plat::ComError& e) {
    if (!quiet) {
      if (info.m_nType != kDbConnAccess) ReportAdoErrors(*connection);
      ReportComError(e);
    }
    throw CUserException(e.Description());
  }
}

void OpenAdoConnectionString(plat::AdoConnectionPtr& connection, const std::string& connectionString, bool& enabled) {
  if (!enabled) throw CUserException("Opening by connection string is disabled after an earlier failure.");
  connection = std::make_shared<plat::AdoConnection>();
  connection->PutMode(plat::adModeReadWrite);
  try {
    connection->Open(connectionString, "", "", 0);
  } catch (const plat::ComError& e) {
    enabled = false;
    ShowErrorMessage(LoadTreskString(kIdsConnectionStringFailed), false);
    throw CUserException(e.Description());
  }
}
