#include "dbdrivers/sqlserver/db_sql_svr.h"

#include <strings.h>

#include <algorithm>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <mutex>
#include <set>

#include <unistd.h>

#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "foundation/locale_switch.h"
#include "foundation/registry.h"
#include "platform/connection_string.h"
#include "platform/dao.h"
#include "platform/message_box.h"
#include "platform/string_table.h"
#include "standins/tresk.h"

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
  std::vector<IOrvid::Parameter> values;
  for (std::int32_t parameter : parameters) values.push_back({parameter, std::string(), false});
  std::vector<std::string> rows;
  if (ExecuteInUnit(sql, values, &rows) < 0)
    throw plat::odbc::Error(SQL_ERROR, {}, m_strWriteFailure.empty() ? "the query failed" : m_strWriteFailure);
  std::vector<std::int32_t> integers;
  // Some drivers hand integers of some column types over as text; nulls come as empty texts.
  for (const std::string& row : rows)
    if (!row.empty()) integers.push_back(std::atoi(row.c_str()));
  return integers;
}

void DbSqlSvr::CloseConnection() {
  if (!m_pConnection) return;
  m_pConnection->Close();
  m_pConnection.reset();
}

// ---- Bulk writes

bool DbSqlSvr::Writer(const std::string&, int lgFlag) const { return lgFlag != 0 && IsOpen(); }

IOrvid& DbSqlSvr::BulkWriter() {
  if (!m_pOrvid) {
    m_pOrvid.reset(IOrvid::CreateInstance());
    m_pOrvid->Initialize("SQLServer", "Vorn");
    m_pOrvid->Connect(m_strConnectionString);
  }
  return *m_pOrvid;
}

int DbSqlSvr::BulkWriteDirect(const std::string& table, int lgFlag) {
  if (!Writer(table, lgFlag)) return 0;
  if (m_bUnitDefinesRun && !table.empty() &&
      std::find(m_unitTables.begin(), m_unitTables.end(), table) == m_unitTables.end()) {
    m_unitTables.push_back(table);
    if (!ReplaceRunRows(table)) return 0;
  }
  BulkWriter();
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

std::int64_t DbSqlSvr::ExecuteInUnit(const std::string& sql, const std::vector<IOrvid::Parameter>& parameters,
                                     std::vector<std::string>* rows) {
  if (!IsOpen()) {
    if (m_strWriteFailure.empty()) m_strWriteFailure = "the SQL Server output is not open";
    return -1;
  }
  std::int64_t changed = 0;
  if (BulkWriter().Execute(sql, parameters, rows, &changed)) return changed < 0 ? 0 : changed;
  const std::string error = OneLine(Trim(m_pOrvid->GetLastError()));
  Write(error + "\n");
  if (m_strWriteFailure.empty()) m_strWriteFailure = error.empty() ? "a statement of the case failed" : error;
  return -1;
}

const DbSqlSvr::KeyedTables& DbSqlSvr::ReadKeyedTables() {
  if (m_keyedTables.read) return m_keyedTables;
  if (m_strDbmsName.empty()) m_strDbmsName = BulkWriter().GetDbmsName();
  if (m_strDbmsName.find("PostgreSQL") != std::string::npos) {
    // One query on the writer's own connection: a second connection and the driver's catalog calls would
    // cost a worker's first case more than its rows.
    std::vector<std::string> rows;
    if (!BulkWriter().Execute(
            "SELECT c.relname || chr(9) || coalesce(string_agg(a.attname, chr(9)), '') FROM pg_catalog.pg_class c "
            "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace LEFT JOIN pg_catalog.pg_attribute a "
            "ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
            "AND a.attname IN ('SolutionID', 'CaseID', 'RUNID', 'CASE') WHERE c.relkind IN ('r', 'p') "
            "AND n.nspname NOT IN ('pg_catalog', 'information_schema') AND pg_catalog.pg_table_is_visible(c.oid) "
            "GROUP BY c.relname",
            {}, &rows, nullptr)) {
      Write("The tables of the results database cannot be listed: " + BulkWriter().GetLastError() + "\n");
      return m_keyedTables;
    }
    std::vector<std::string> tables;
    std::map<std::string, std::set<std::string>> columns;
    for (const std::string& row : rows) {
      std::size_t from = row.find('\t');
      const std::string table = row.substr(0, from);
      tables.push_back(table);
      std::set<std::string>& own = columns[table];
      while (from != std::string::npos) {
        const std::size_t end = row.find('\t', from + 1);
        own.insert(row.substr(from + 1, end == std::string::npos ? std::string::npos : end - from - 1));
        from = end;
      }
    }
    ClassifyKeyedTables(tables, columns);
    return m_keyedTables;
  }
  const plat::AdoConnectionPtr connection = GetConnection();
  if (!connection || !connection->Native()) return m_keyedTables;
  try {
    // The catalog, not a query of the server's own views: every driver answers it alike.
    std::vector<std::string> tables;
    {
      const std::unique_ptr<plat::odbc::Statement> list = connection->Native()->NewStatement();
      list->TablesOf("%", "TABLE");
      while (list->Fetch()) {
        list->GetValue(0);
        list->GetValue(1);
        tables.push_back(list->GetValue(2).text);
      }
    }
    std::map<std::string, std::set<std::string>> columns;
    {
      const std::unique_ptr<plat::odbc::Statement> list = connection->Native()->NewStatement();
      list->ColumnsOf("", "", "%");
      while (list->Fetch()) {
        list->GetValue(0);
        list->GetValue(1);
        const std::string table = list->GetValue(2).text;
        columns[table].insert(list->GetValue(3).text);
      }
    }
    ClassifyKeyedTables(tables, columns);
  } catch (const std::exception& e) {
    Write(std::string("The tables of the results database cannot be listed: ") + e.what() + "\n");
  }
  return m_keyedTables;
}

void DbSqlSvr::ClassifyKeyedTables(const std::vector<std::string>& tables,
                                   std::map<std::string, std::set<std::string>>& columns) {
  KeyedTables keyed;
  for (const std::string& table : tables) {
    const std::set<std::string>& own = columns[table];
    const bool solution = own.count("SolutionID") > 0, caseId = own.count("CaseID") > 0;
    const bool run = own.count("RUNID") > 0, legacyCase = own.count("CASE") > 0;
    if (solution && caseId) keyed.perCase.push_back(table);
    else if (solution) keyed.perSolution.push_back(table);
    else if (run && legacyCase) keyed.legacyCase.push_back(table);
    else if (run) keyed.legacyRun.push_back(table);
    if (table == "OstrelRuns") keyed.runTable = true;
  }
  keyed.read = true;
  m_keyedTables = std::move(keyed);
}

bool DbSqlSvr::LockInUnit(std::int32_t first, std::int32_t second) {
  if (m_strDbmsName.empty()) m_strDbmsName = BulkWriter().GetDbmsName();
  if (m_strDbmsName.find("PostgreSQL") != std::string::npos)
    return ExecuteInUnit("SELECT pg_advisory_xact_lock(CAST(? AS INTEGER), CAST(? AS INTEGER))",
                         {{first, std::string(), false}, {second, std::string(), false}}) >= 0;
  if (m_strDbmsName.find("SQL Server") != std::string::npos)
    return ExecuteInUnit("EXEC sp_getapplock @Resource = ?, @LockMode = 'Exclusive', @LockOwner = 'Transaction'",
                         {{0, "Ostrel " + std::to_string(first) + " " + std::to_string(second), true}}) >= 0;
  // Another server: the units of one case by two jobs at once are not ordered.
  return true;
}

bool DbSqlSvr::BeginCaseUnit(std::int32_t solutionId, std::int32_t caseId, const std::string& runId,
                             std::int32_t legacyCase, bool& replaced) {
  replaced = false;
  EndCaseUnit();
  m_nUnitSolutionID = solutionId;
  m_strUnitRunID = runId;
  if (!IsOpen()) return true;
  const KeyedTables& keyed = ReadKeyedTables();
  if (!LockInUnit(solutionId, caseId)) return false;
  if (std::find(keyed.perCase.begin(), keyed.perCase.end(), "PrCase") == keyed.perCase.end()) return true;
  std::vector<std::string> found;
  if (ExecuteInUnit("SELECT count(*) FROM \"PrCase\" WHERE \"SolutionID\" = ? AND \"CaseID\" = ?",
                    {{solutionId, std::string(), false}, {caseId, std::string(), false}}, &found) < 0)
    return false;
  if (found.empty() || std::atoll(found.front().c_str()) == 0) return true;
  // The case is there: its rows in every table go, then its new rows come, in this one transaction.
  for (const std::string& table : keyed.perCase)
    if (ExecuteInUnit("DELETE FROM " + DaoQuoteIdentifier(table) + " WHERE \"SolutionID\" = ? AND \"CaseID\" = ?",
                      {{solutionId, std::string(), false}, {caseId, std::string(), false}}) < 0)
      return false;
  // An empty run identifier is not written: those rows have none.
  for (const std::string& table : keyed.legacyCase)
    if (ExecuteInUnit("DELETE FROM " + DaoQuoteIdentifier(table) + " WHERE " +
                          (runId.empty() ? "\"RUNID\" IS NULL" : "\"RUNID\" = ?") + " AND \"CASE\" = ?",
                      runId.empty() ? std::vector<IOrvid::Parameter>{{legacyCase, std::string(), false}}
                                    : std::vector<IOrvid::Parameter>{{0, runId, true}, {legacyCase, std::string(), false}}) < 0)
      return false;
  replaced = true;
  return true;
}

bool DbSqlSvr::ClaimRun(const std::string& runKey, bool& definesRun) {
  definesRun = false;
  const KeyedTables& keyed = ReadKeyedTables();
  if (!keyed.read) {
    if (m_strWriteFailure.empty()) m_strWriteFailure = "cannot connect to the results database to record the run";
    return false;
  }
  if (!keyed.runTable) {
    // A results database made before the script made the run table: made once, outside any unit (a failed
    // statement would end the unit). Two processes making it at once: the second finds it made.
    try {
      GetConnection()->Execute(
          "CREATE TABLE \"OstrelRuns\" (\"RunKey\" VARCHAR(400) PRIMARY KEY, \"Host\" VARCHAR(255))");
    } catch (const plat::ComError&) {
    }
    m_keyedTables.runTable = true;
  }
  const std::string key = runKey.substr(0, 400);
  std::vector<std::string> found;
  if (ExecuteInUnit("SELECT 1 FROM \"OstrelRuns\" WHERE \"RunKey\" = ?", {{0, key, true}}, &found) < 0) return false;
  if (!found.empty()) return true;
  char hostName[256] = {};
  if (gethostname(hostName, sizeof hostName - 1) != 0) hostName[0] = '\0';
  const std::vector<IOrvid::Parameter> row = {{0, key, true}, {0, std::string(hostName).substr(0, 200), true}};
  // The row goes in unless a unit of the run added it meanwhile (which this one waits for to end).
  std::int64_t added = -1;
  if (m_strDbmsName.empty()) m_strDbmsName = BulkWriter().GetDbmsName();
  if (m_strDbmsName.find("PostgreSQL") != std::string::npos) {
    added = ExecuteInUnit("INSERT INTO \"OstrelRuns\" (\"RunKey\", \"Host\") VALUES (?, ?) ON CONFLICT DO NOTHING", row);
  } else {
    const char* hint = m_strDbmsName.find("SQL Server") != std::string::npos ? " WITH (UPDLOCK, HOLDLOCK)" : "";
    std::vector<IOrvid::Parameter> values = row;
    values.push_back({0, key, true});
    added = ExecuteInUnit(std::string("INSERT INTO \"OstrelRuns\" (\"RunKey\", \"Host\") SELECT ?, ? WHERE NOT EXISTS "
                                      "(SELECT 1 FROM \"OstrelRuns\"") +
                              hint + " WHERE \"RunKey\" = ?)",
                          values);
  }
  if (added < 0) return false;
  definesRun = added > 0;
  return !definesRun || SetUnitDefinesRun(true);
}

bool DbSqlSvr::SetUnitDefinesRun(bool defines) {
  m_bUnitDefinesRun = defines;
  if (!defines || !IsOpen()) return true;
  // Two jobs of one solution replace its rows in turn.
  return LockInUnit(m_nUnitSolutionID, INT32_MIN);
}

bool DbSqlSvr::ReplaceRunRows(const std::string& table) {
  const KeyedTables& keyed = ReadKeyedTables();
  const auto in = [&](const std::vector<std::string>& list) {
    return std::find(list.begin(), list.end(), table) != list.end();
  };
  if (in(keyed.perSolution))
    return ExecuteInUnit("DELETE FROM " + DaoQuoteIdentifier(table) + " WHERE \"SolutionID\" = ?",
                         {{m_nUnitSolutionID, std::string(), false}}) >= 0;
  if (in(keyed.legacyRun))
    return m_strUnitRunID.empty()
               ? ExecuteInUnit("DELETE FROM " + DaoQuoteIdentifier(table) + " WHERE \"RUNID\" IS NULL", {}) >= 0
               : ExecuteInUnit("DELETE FROM " + DaoQuoteIdentifier(table) + " WHERE \"RUNID\" = ?",
                               {{0, m_strUnitRunID, true}}) >= 0;
  return true;
}

bool DbSqlSvr::HoldRunRow(const std::string& runKey) {
  // An update of the row locks it on every server until the transaction ends.
  const std::int64_t held =
      ExecuteInUnit("UPDATE \"OstrelRuns\" SET \"Host\" = \"Host\" WHERE \"RunKey\" = ?", {{0, runKey.substr(0, 400), true}});
  if (held > 0) return true;
  if (held == 0 && m_strWriteFailure.empty()) m_strWriteFailure = "the run has no row in the run table OstrelRuns";
  return false;
}

void DbSqlSvr::EndCaseUnit() {
  m_bUnitDefinesRun = false;
  m_unitTables.clear();
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
