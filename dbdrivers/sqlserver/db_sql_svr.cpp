#include "dbdrivers/sqlserver/db_sql_svr.h"

#include <strings.h>

#include <clocale>
#include <cstdlib>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <mutex>

#include <unistd.h>

#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "foundation/locale_switch.h"
#include "foundation/registry.h"
#include "platform/connection_string.h"
#include "platform/message_box.h"
#include "platform/string_table.h"
#include "standins/tresk.h"
#include "tableio/db/sql_statements.h"

namespace {

constexpr std::uint32_t kIdsNoSqlServerConnection = 181;

const plat::StringTableRegistrar kSqlServerStrings(
    plat::StringTable::Shared,
    {{kIdsNoSqlServerConnection,
      "The model has no SQL Server output connection (setting DatabaseOutputConnection): its results cannot be "
      "written to SQL Server."}});

// Serialises the once-per-process start of the SQL Server output.
std::mutex g_setupMutex;

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r\n\v\f";
  std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string Format(const char* format, const std::string& a, long b, long c) {
  char buffer[1024];
  std::snprintf(buffer, sizeof buffer, format, a.c_str(), b, c);
  return buffer;
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

bool HasRerunPhrase(const std::string& text, std::size_t from) {
  for (const char* phrase : {"Rerun the transaction", "schema change"}) {
    std::size_t at = text.find(phrase);
    if (at != std::string::npos && at >= from) return true;
  }
  return false;
}

}  // namespace

DbSqlSvr::DbSqlSvr(ILogging* logging) : m_strNoOps("NO_OPS"), m_pLogging(logging) {
  if (m_pLogging) m_pLogging->SetFileName(MakeCaseFileName("DbExport", -1, ".log"));
  Write("mtd: DbSqlSvr\n");
}

DbSqlSvr::~DbSqlSvr() {
  m_pOrvid.reset();
  Write("mtd: ~DbSqlSvr\n");
  m_pConnection.reset();
}

// Every text is masked: a driver's or the writer's message may echo the connection string.
void DbSqlSvr::Write(const std::string& text) {
  if (m_pLogging) m_pLogging->Write(plat::MaskConnectionSecrets(text, plat::FindConnectionSecrets(m_strConnectionString)));
}

void DbSqlSvr::ReportError(const char* text) {
  plat::ShowMessageBox(plat::MaskConnectionSecrets(text ? text : "", plat::FindConnectionSecrets(m_strConnectionString)),
                       "", plat::BoxButtons::Ok);
}

void DbSqlSvr::SetConnectionString(const std::string& connectionString) {
  m_pConnection.reset();
  m_strConnectionString = connectionString;
  m_nOpen = 0;
  m_pOrvid.reset();
}

bool DbSqlSvr::Init() {
  if (m_strConnectionString.empty()) return false;
  m_nOpen = 1;
  return true;
}

void DbSqlSvr::StartSQLServer(const std::string& modelDirectory, const std::string& connectionString) {
  if (m_pLogging) m_pLogging->SetDirectory(modelDirectory);
  if (connectionString.empty()) {
    plat::ShowMessageBox(LoadTreskString(kIdsNoSqlServerConnection), "", plat::BoxButtons::Ok);
    return;
  }
  try {
    SetConnectionString(connectionString);
    m_strModelDirectory = modelDirectory;
    if (m_pLogging) m_pLogging->SetDirectory(modelDirectory);
    Write(" - StartSQLServer ( " + GetConnectionStringValue("Initial Catalog") + " ) - - - - - - - - - - - \n");
    Init();
  } catch (...) {
    Write("Fatal error: Unknown exception thrown. SQL Server failed to start.\n");
    if (m_nOpen == 1) CloseSession();
  }
}

std::string DbSqlSvr::GetConnectionStringValue(const std::string& key) const {
  std::size_t start = 0;
  const std::string& text = m_strConnectionString;
  while (start <= text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    std::string element = Trim(text.substr(start, end - start));
    start = end + 1;
    if (element.empty() || element.find(key) == std::string::npos || element.find('=') == std::string::npos) continue;
    // The pieces between "=" signs, empty ones skipped; the second is the value.
    std::vector<std::string> pieces;
    std::size_t from = 0;
    while (from <= element.size()) {
      std::size_t eq = element.find('=', from);
      if (eq == std::string::npos) eq = element.size();
      if (eq > from) pieces.push_back(element.substr(from, eq - from));
      from = eq + 1;
    }
    if (pieces.size() >= 2 && !pieces[1].empty()) {
      std::string value = Trim(pieces[1]);
      if (!value.empty()) return value;
    }
  }
  return std::string();
}

void DbSqlSvr::OpenConnection() {
  std::string user = GetConnectionStringValue("UserId");
  std::erase(user, '"');
  if (user.empty() || user == "UserId") user = GetConnectionStringValue("User ID");
  std::string password = GetConnectionStringValue("Password");
  if (m_pConnection && m_pConnection->GetState() != plat::adStateClosed) return;
  try {
    m_pConnection = std::make_shared<plat::AdoConnection>();
    m_pConnection->Open(m_strConnectionString, user, password, 0);
    m_nOpen = 1;
  } catch (const plat::ComError& e) {
    char buffer[1024];
    std::snprintf(buffer, sizeof buffer, "Exception occurred while opening ADO database connection. Error: (0x%08x) %s \n",
                  static_cast<unsigned>(e.Error()), e.ErrorMessage().c_str());
    Write(buffer);
    m_pConnection.reset();
  } catch (...) {
    Write("Exception occurred: Unknown exception occurred while trying to open ADO database connection.\n");
    m_pConnection.reset();
  }
}

plat::AdoConnectionPtr DbSqlSvr::GetConnection() {
  if (!m_pConnection) OpenConnection();
  return m_pConnection;
}

std::vector<std::int32_t> DbSqlSvr::QueryIntegers(const std::string& sql, const std::vector<std::int32_t>& parameters) {
  std::vector<std::int32_t> values;
  const plat::AdoConnectionPtr connection = GetConnection();
  if (!connection || !connection->Native()) return values;
  const std::unique_ptr<plat::odbc::Statement> query = connection->Native()->NewStatement();
  query->Prepare(sql);
  for (std::size_t i = 0; i < parameters.size(); ++i) query->BindLong(static_cast<int>(i) + 1, parameters[i]);
  query->Execute();
  while (query->Fetch()) {
    // Some drivers hand integers of some column types over as text.
    const plat::odbc::FieldValue value = query->GetValue(0);
    if (value.kind == plat::odbc::FieldValue::Kind::Text)
      values.push_back(std::atoi(value.text.c_str()));
    else if (!value.IsNull())
      values.push_back(static_cast<std::int32_t>(value.integer));
  }
  return values;
}

void DbSqlSvr::CloseConnection() {
  // The run's claim or its held row is a transaction of this connection that the case's end commits:
  // closing it would roll that back under the case.
  if (!m_pConnection || m_bRunClaimOpen) return;
  m_pConnection->Close();
  m_pConnection.reset();
}

// ---- Bulk writes

bool DbSqlSvr::Writer(const std::string&, int lgFlag) const { return lgFlag != 0 && IsOpen(); }

int DbSqlSvr::BulkWriteDirect(const std::string& table, int lgFlag) {
  if (!Writer(table, lgFlag)) return 0;
  if (!m_pOrvid) {
    m_pOrvid.reset(IOrvid::CreateInstance());
    m_pOrvid->Initialize("SQLServer", "Vorn");
    m_pOrvid->Connect(m_strConnectionString);
  }
  std::int32_t columns = -1, count = -1, time = -1;
  bool ok = m_pOrvid->StartTable(table.c_str(), &columns, &count, &time);
  bool written = time == -1 || ok;
  if (time != -1) {
    const char* kWritten = "%s, BulkWriteDirect, RecordCount: %ld, Time: %ld\n";
    Write(Format(kWritten, m_strPrevTable, count, time));
    std::string error = Trim(m_pOrvid->GetLastError());
    if (!error.empty()) {
      error = OneLine(error);
      Write(error + "\n");
      if (HasRerunPhrase(error, 1)) {
        const char* kQuitting = "Quitting rerunning of insert for %s as attempts (%ld) exceeded max attempts (%ld).\n";
        int attempt = 1;
        while (true) {
          if (attempt > kMaxRerunAttempts) {
            Write(Format(kQuitting, m_strPrevTable, attempt, kMaxRerunAttempts));
            break;
          }
          Write(Format("Rerunning stmt for %s, attempt %ld\n", m_strPrevTable, attempt, 0));
          written = m_pOrvid->StartTable(table.c_str(), &columns, &count, &time);
          Write(Format(kWritten, m_strPrevTable, count, time));
          std::string again = m_pOrvid->GetLastError();
          std::string line;
          if (!again.empty()) {
            line = "*** " + OneLine(again) + " ***\n";
            Write(line);
          }
          ++attempt;
          if (HasRerunPhrase(line, 0)) continue;
          if (attempt > kMaxRerunAttempts) Write(Format(kQuitting, m_strPrevTable, attempt, kMaxRerunAttempts));
          break;
        }
      }
    }
  }
  if (!written && m_strWriteFailure.empty()) {
    const std::string error = Trim(m_pOrvid->GetLastError());
    m_strWriteFailure = "bulk write of " + m_strPrevTable + " failed" + (error.empty() ? "" : ": " + OneLine(error));
  }
  m_strPrevTable = table;
  return ok ? 1 : 0;
}

std::string DbSqlSvr::TakeWriteFailure() {
  std::string failure;
  failure.swap(m_strWriteFailure);
  return failure;
}

void DbSqlSvr::HoldCommits(bool hold) {
  m_bHoldCommits = hold;
  m_bFlushHeld = false;
}

void DbSqlSvr::DiscardUnwritten() {
  if (m_pOrvid) Write("The rows not yet committed are dropped.\n");
  m_pOrvid.reset();
  m_strPrevTable.clear();
}

bool DbSqlSvr::ClaimRun(const std::string& runKey, bool& definesRun) {
  definesRun = false;
  plat::AdoConnectionPtr connection = GetConnection();
  if (!connection) {
    m_strWriteFailure = "cannot connect to the results database to record the run";
    return false;
  }
  char hostName[256] = {};
  if (gethostname(hostName, sizeof hostName - 1) != 0) hostName[0] = '\0';
  // The key holds the run identifier of the export configuration: both texts are literals of the server's dialect.
  std::string key;
  std::string host;
  try {
    const SqlStringDialect dialect = StringDialectOf(connection->GetDbmsName());
    if (!EscapeLiteral("'", runKey.substr(0, 400), "'", key, dialect) ||
        !EscapeLiteral("'", std::string(hostName).substr(0, 200), "'", host, dialect)) {
      m_strWriteFailure = "the run key cannot be written to the run table OstrelRuns";
      return false;
    }
  } catch (const plat::ComError& e) {
    m_strWriteFailure = "the run cannot be recorded in the run table OstrelRuns: " + std::string(e.what());
    return false;
  }
  try {
    // Made by the first process of the first run; a failure here means it is there already.
    connection->Execute("CREATE TABLE \"OstrelRuns\" (\"RunKey\" VARCHAR(400) PRIMARY KEY, \"Host\" VARCHAR(255))");
  } catch (const plat::ComError&) {
  }
  try {
    connection->BeginTrans();
    try {
      connection->Execute("INSERT INTO \"OstrelRuns\" (\"RunKey\", \"Host\") VALUES (" + key + ", " + host + ")");
      m_bRunClaimOpen = true;
      definesRun = true;
      return true;
    } catch (const plat::ComError&) {
      connection->RollbackTrans();
    }
    // Not added: another process has the run, or the server refused the statement.
    std::unique_ptr<plat::AdoRecordset> found =
        connection->Execute("SELECT 1 FROM \"OstrelRuns\" WHERE \"RunKey\" = " + key);
    if (found && !found->IsEOF()) return true;
    m_strWriteFailure = "the run cannot be recorded in the run table OstrelRuns";
  } catch (const plat::ComError& e) {
    m_strWriteFailure = "the run cannot be recorded in the run table OstrelRuns: " + std::string(e.what());
  }
  return false;
}

bool DbSqlSvr::OpenRunTransaction() {
  plat::AdoConnectionPtr connection = GetConnection();
  if (!connection || !connection->Native()) {
    m_strWriteFailure = "cannot connect to the results database";
    return false;
  }
  if (m_bRunClaimOpen) return true;
  try {
    connection->BeginTrans();
    m_bRunClaimOpen = true;
    return true;
  } catch (const plat::ComError& e) {
    m_strWriteFailure = "cannot begin a transaction on the results database: " + std::string(e.what());
  }
  return false;
}

bool DbSqlSvr::HoldRunRow(const std::string& runKey) {
  if (!OpenRunTransaction()) return false;
  try {
    // An update of the row locks it on every server until the transaction ends.
    const std::unique_ptr<plat::odbc::Statement> hold = m_pConnection->Native()->NewStatement();
    hold->Prepare("UPDATE \"OstrelRuns\" SET \"Host\" = \"Host\" WHERE \"RunKey\" = ?");
    hold->BindText(1, runKey.substr(0, 400));
    hold->Execute();
    if (hold->RowCount() > 0) return true;
    m_strWriteFailure = "the run has no row in the run table OstrelRuns";
  } catch (const plat::odbc::Error& e) {
    m_strWriteFailure = "the run's row in OstrelRuns cannot be held: " + std::string(e.what());
  }
  return false;
}

bool DbSqlSvr::EndRunClaim(bool commit) {
  if (!m_bRunClaimOpen) return true;
  m_bRunClaimOpen = false;
  if (!m_pConnection) return !commit;
  try {
    if (commit) {
      m_pConnection->CommitTrans();
      return true;
    }
    m_pConnection->RollbackTrans();
  } catch (const plat::ComError& e) {
    if (commit && m_strWriteFailure.empty()) m_strWriteFailure = "the run's row could not be committed: " + std::string(e.what());
    return false;
  }
  return true;
}

int DbSqlSvr::SetDateTimeValue(const std::string& table, int lgFlag, const char* field, int, double date) {
  if (!Writer(table, lgFlag) || !m_pOrvid) return 0;
  CLocaleSwitch numeric(LC_NUMERIC, "C");
  return m_pOrvid->SetDateTimeValue(field, date) ? 1 : 0;
}

int DbSqlSvr::SetDoubleValue(const std::string& table, int lgFlag, const char* field, int, double value) {
  if (!Writer(table, lgFlag) || !m_pOrvid) return 0;
  CLocaleSwitch numeric(LC_NUMERIC, "C");
  return m_pOrvid->SetDoubleValue(field, value) ? 1 : 0;
}

int DbSqlSvr::SetLongIntegerValue(const std::string& table, int lgFlag, const char* field, int, std::int32_t value) {
  if (!Writer(table, lgFlag) || !m_pOrvid) return 0;
  return m_pOrvid->SetLongValue(field, value) ? 1 : 0;
}

int DbSqlSvr::SetShortIntegerValue(const std::string& table, int lgFlag, const char* field, int, std::int16_t value) {
  if (!Writer(table, lgFlag) || !m_pOrvid) return 0;
  return m_pOrvid->SetShortValue(field, value) ? 1 : 0;
}

int DbSqlSvr::SetTextValue(const std::string& table, int lgFlag, const char* field, int, const char* text, int) {
  if (!Writer(table, lgFlag) || !m_pOrvid) return 0;
  return m_pOrvid->SetTextValue(field, text) ? 1 : 0;
}

int DbSqlSvr::SetMemoValue(const std::string& table, int lgFlag, const char* field, int fieldWidth, const char* text,
                           int textWidth) {
  return SetTextValue(table, lgFlag, field, fieldWidth, text, textWidth);
}

std::string DbSqlSvr::UpdateRecord(const std::string&, const std::vector<std::string>*) { return m_strNoOps; }

int DbSqlSvr::EndRecord(const std::string& table, int lgFlag) {
  if (!Writer(table, lgFlag) || !m_pOrvid) return 0;
  return m_pOrvid->EndRow() ? 1 : 0;
}

std::string DbSqlSvr::GetFailureFilePath() const {
  const std::string& directory = m_strModelDirectory.empty() ? m_strRunDirectory : m_strModelDirectory;
  if (directory.empty()) return "SqlUpdateError.txt";
  return directory + "/SqlUpdateError.txt";
}

void DbSqlSvr::UpdateTableDataToDatabase(const char* table) {
  if (table != nullptr && *table == '\0') return;
  if (table == nullptr && m_bHoldCommits) {
    m_bFlushHeld = true;
    return;
  }
  const std::string tableText = table ? table : "";
  const std::string shownName = table ? tableText : "NoTableName";
  // The writer has no count of the rows a failed write held: -1 says so.
  constexpr long kRecordsUnknown = -1;
  try {
    Write("updateTable: " + tableText + "\n");
    BulkWriteDirect(tableText, 1);
  } catch (const plat::ComError& e) {
    ReportError(("UpdateTableDataToDatabase failed for table " + shownName + ": exception=" + e.ErrorMessage()).c_str());
  } catch (const std::exception& e) {
    std::string message = std::string(e.what()).substr(0, 255);
    std::string target = GetConnectionStringValue("Initial Catalog") + "." + shownName;
    char buffer[1024];
    std::snprintf(buffer, sizeof buffer,
                  "UpdateTableDataToDatabase failed; table: %s; records not written: %ld; hr: %d; EXCEPTION: %s\n",
                  target.c_str(), kRecordsUnknown, 0, message.c_str());
    Write(buffer);
  } catch (...) {
    std::string target = GetConnectionStringValue("Initial Catalog") + "." + shownName;
    char when[128] = "";
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(when, sizeof when, "%c", &local);
    char line[1024];
    std::snprintf(line, sizeof line,
                  "%s   UpdateTableDataToDatabase failed for table %s with number of records = %ld; hr=%d; "
                  "EXCEPTION: %s\n",
                  when, target.c_str(), kRecordsUnknown, 0, " COM Error");
    {
      std::ofstream file(GetFailureFilePath(), std::ios::app);
      file << line;
    }
    std::snprintf(line, sizeof line, "UpdateTableDataToDatabase failed; table: %s; records: %ld; hr: %d; EXCEPTION: %s\n",
                  target.c_str(), kRecordsUnknown, 1, " COM Error");
    Write(line);
  }
}

bool InitializeSqlServerConnection(CVornDbExportData& exportData, const std::string& modelDirectory,
                                   const std::string& connectionString, int caseNumber) {
  DbSqlSvr* driver = exportData.m_pSqlServer;
  ILogging* logging = exportData.GetLogging();
  // A connection that names a driver library by a path or a file for the driver manager fails the case before
  // any driver sees it. The model or a case of the export configuration may have set it.
  if (const std::string refused = plat::FindRefusedConnectionItem(connectionString); !refused.empty()) {
    const CVornModelFile* model = exportData.m_pModel.get();
    const bool fromCase = model && model->m_baseSettings.m_DatabaseOutputConnection.GetValue() != connectionString;
    const std::string cause = std::string("the setting DatabaseOutputConnection") +
                              (fromCase ? " (a case setting of the export configuration)" : "") +
                              " is refused: " + refused;
    exportData.m_bDatabaseError = 1;
    if (exportData.m_strDatabaseFailure.empty()) exportData.m_strDatabaseFailure = cause;
    if (logging) logging->Write(cause + "\n");
    return false;
  }
  if (driver != nullptr && !driver->IsOpen()) {
    std::lock_guard<std::mutex> lock(g_setupMutex);
    if (!driver->IsOpen()) {
      std::string loggingSwitch = "true";
      if (exportData.m_nExportKind != 2) ReadAppRegistryString(loggingSwitch, "VornWin", "Adapter", "Logging", "False");
      if (logging) {
        logging->SetEnabled(strcasecmp(loggingSwitch.c_str(), "False") != 0);
        logging->SetDirectory(modelDirectory);
      }
      // A connection that read as empty because no key deciphered it says so before the driver starts.
      if (logging && exportData.m_pModel) {
        for (const std::string& name : exportData.m_pModel->m_settings.m_undecipheredSettings)
          logging->Write("The setting " + name +
                         " of the model file cannot be deciphered with the site key (registry value ModelCipherKey) "
                         "or the built-in key: it reads as empty.\n");
      }
      driver->SetRunDirectory(exportData.m_strConfigDirectory);
      driver->StartSQLServer(modelDirectory, connectionString);
    }
  }
  if (logging) logging->SetFileName(MakeCaseFileName("DbExport", caseNumber, ".log"));
  return true;
}
