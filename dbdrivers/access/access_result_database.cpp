#include "dbdrivers/access/access_result_database.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <clocale>
#include <cstdio>
#include <fstream>
#include <locale>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "dbdrivers/sqlserver/db_sql_svr.h"
#include "foundation/messages.h"
#include "foundation/path_utils.h"
#include "modelfile/vorn_model_file.h"
#include "platform/connection_string.h"
#include "platform/float_control.h"
#include "platform/string_table.h"
#include "platform/text_encoding.h"
#include "standins/tresk.h"
#include "tableio/db/db_connect_info.h"

namespace {

const plat::StringTableRegistrar kAccessStrings(
    plat::StringTable::Shared,
    {{kIdsDbOperationFailed, "Result database error: %1 %2"},
     {kIdsCannotOpenResultDb, "Cannot open or create the result database"},
     {kIdsCannotCreateTable, "Cannot create the result table"},
     {kIdsCloseOtherProgram, "Close the program that holds it and run the case again."},
     {kIdsCannotOpenDbFile, "Cannot open the result database file"},
     {kIdsDbFileInUse, "Another program holds the result database file"}});

bool EqualsNoCase(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

bool IsLockError(const CDaoException& e) {
  std::int32_t code = e.GetErrorCode();
  return code == kDaoErrTableInUse || code == kDaoErrTableLocked;
}

CVornModelFile* OrMainModel(CVornDbExportData& exportData, CVornModelFile* model) {
  return model ? model : exportData.m_pModel.get();
}

bool WantsAccess(const CVornModelFile& model) {
  return IsAccessDatabase(model.m_settings.m_DatabaseOutputFormat.GetValue()) ||
         model.m_settings.m_CreateAccessDbAlso.GetValue() != 0;
}

bool WantsSqlServer(CVornModelFile& model) {
  return IsSqlServerDatabase(model.m_settings.m_DatabaseOutputFormat.GetValue(),
                             model.m_settings.m_nDatabaseKindCache);
}

// Starts the SQL Server output for the openers; false when it is not open afterwards.
bool StartSqlServer(CVornDbExportData& exportData, CVornModelFile& model) {
  if (!InitializeSqlServerConnection(exportData, model.m_strModelDir,
                                     model.m_settings.m_DatabaseOutputConnection.GetValue(), -1) ||
      exportData.m_pSqlServer == nullptr || !exportData.m_pSqlServer->IsOpen()) {
    exportData.m_bDatabaseError = 1;
    return false;
  }
  return true;
}

// Whether the clean-ups of a table's first opening run for this model.
bool CleanUpWanted(CVornDbExportData& exportData, CVornModelFile& model) {
  CVornModelFile* main = exportData.m_pModel.get();
  if (main == nullptr || !WantsAccess(*main)) return false;
  const CModelSettings& s = model.m_settings;
  return (s.m_GenerateOn.GetValue() != 0 || s.m_SolveOn.GetValue() != 0) &&
         s.m_OnlyUniqueCasesInTablesOn.GetValue() != 0 && s.m_DatabasePurgeOn.GetValue() == 0;
}

std::string CaseList(const std::vector<std::int32_t>* selectedCases, const char* none) {
  std::string list = "(";
  if (selectedCases == nullptr || selectedCases->empty()) return list + none + ")";
  for (std::size_t i = 0; i < selectedCases->size(); ++i) {
    if (i > 0) list += ",";
    list += std::to_string((*selectedCases)[i]);
  }
  return list + ")";
}

std::string DaoText(const CDaoException& e) {
  std::string text;
  for (int i = 0; i < e.GetErrorCount(); ++i) {
    if (i > 0) text += "; ";
    text += std::to_string(e.GetErrorInfo(i).m_lErrorCode) + "-" + e.GetErrorInfo(i).m_strDescription;
  }
  return text;
}

std::string SqlLiteral(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

// When the process pid started (clock ticks after boot, from /proc): with the host and pid it names
// one process for as long as it runs; empty when there is no such process, or it has ended and waits to
// be reaped (a job just killed).
std::string ProcessStart(long pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat;
  std::getline(in, stat);
  // The fields after the command name (in parentheses, which may hold blanks): the state first, the start
  // time the 20th.
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return std::string();
  std::istringstream fields(stat.substr(close + 1));
  std::string field;
  if (!(fields >> field) || field == "Z" || field == "X" || field == "x") return std::string();
  for (int i = 1; i < 20 && fields >> field; ++i) {
  }
  return fields ? field : std::string();
}

std::string HostName() {
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  return host;
}

// Inside the case's transaction: true (after adding the row) when the run has no row yet. A run that
// would remove rows at its start (removesRows) is refused, with conflict saying why, while the process
// that defined another run recorded here still runs on this host: that run's rows would go.
bool ClaimRun(CDaoDatabase& database, const std::string& runKey, bool removesRows, std::string& conflict) {
  const std::string table = DaoQuoteIdentifier(kRunTable);
  database.Execute("CREATE TABLE IF NOT EXISTS " + table +
                   " (\"RunKey\" VARCHAR(255) PRIMARY KEY, \"DefinedAt\" DATETIME, \"Host\" VARCHAR(255), "
                   "\"Process\" INTEGER, \"ProcessStart\" VARCHAR(32))");
  {
    CDaoRecordset found(&database);
    found.Open(dbOpenDynaset, "SELECT 1 FROM " + table + " WHERE \"RunKey\" = " + SqlLiteral(runKey));
    if (!found.IsEOF()) return false;
  }
  const std::string host = HostName();
  if (removesRows) {
    CDaoRecordset others(&database);
    others.Open(dbOpenDynaset,
                "SELECT CAST(\"Process\" AS TEXT), CAST(\"ProcessStart\" AS TEXT), CAST(\"DefinedAt\" AS TEXT) FROM " +
                    table + " WHERE \"Host\" = " + SqlLiteral(host));
    for (; !others.IsEOF(); others.MoveNext()) {
      const long pid = std::atol(others.GetFieldValue(0).bstrVal.c_str());
      const std::string start = others.GetFieldValue(1).bstrVal;
      if (pid <= 0 || start.empty() || ProcessStart(pid) != start) continue;
      conflict = "another run writes the results database " + database.GetName() + " (its process " +
                 std::to_string(pid) + " on " + host + ", since " + others.GetFieldValue(2).bstrVal +
                 "); this run would remove its rows (DeleteTables or OnlyUniqueCasesInTablesOn), so it is refused";
      return false;
    }
  }
  const long pid = static_cast<long>(::getpid());
  database.Execute("INSERT INTO " + table +
                   " (\"RunKey\", \"DefinedAt\", \"Host\", \"Process\", \"ProcessStart\") VALUES (" +
                   SqlLiteral(runKey) + ", datetime('now', 'localtime'), " + SqlLiteral(host) + ", " +
                   std::to_string(pid) + ", " + SqlLiteral(ProcessStart(pid)) + ")");
  return true;
}

// Whether the run's row is committed in the file (a plain read: a row once committed stays). A case of a
// run defined already needs no write lock before its rows are ready.
bool RunRecorded(CDaoDatabase& database, const std::string& runKey) {
  try {
    CDaoRecordset found(&database);
    found.Open(dbOpenDynaset,
               "SELECT 1 FROM " + DaoQuoteIdentifier(kRunTable) + " WHERE \"RunKey\" = " + SqlLiteral(runKey));
    return !found.IsEOF();
  } catch (const CDaoException&) {
    return false;  // no run table yet
  }
}

// The columns that key the rows of a table, as the table spells them (with or without the "LG_" prefix);
// empty where it has none.
bool IsKey(const std::string& column, const char* key) {
  return EqualsNoCase(column, key) || (strncasecmp(column.c_str(), "LG_", 3) == 0 && EqualsNoCase(column.substr(3), key));
}

struct RowKeys {
  std::string solution, caseId, runId, legacyCase;

  // Takes column as the key it names, if it names one.
  void Note(const std::string& column) {
    if (IsKey(column, "SolutionID")) solution = column;
    else if (IsKey(column, "CaseID")) caseId = column;
    else if (IsKey(column, "RUNID")) runId = column;
    else if (IsKey(column, "CASE")) legacyCase = column;
  }
};

// Every table of the file with its key columns.
std::vector<std::pair<std::string, RowKeys>> KeyedTables(CDaoDatabase& database) {
  std::vector<std::pair<std::string, RowKeys>> tables;
  CDaoRecordset columns(&database);
  columns.Open(dbOpenDynaset,
               "SELECT m.name, p.name FROM sqlite_master m JOIN pragma_table_info(m.name) p WHERE m.type = 'table' "
               "ORDER BY m.name");
  for (; !columns.IsEOF(); columns.MoveNext()) {
    const std::string table = columns.GetFieldValue(0).bstrVal;
    const std::string column = columns.GetFieldValue(1).bstrVal;
    if (tables.empty() || tables.back().first != table) tables.push_back({table, RowKeys{}});
    tables.back().second.Note(column);
  }
  return tables;
}

// The key columns of one table.
RowKeys KeysOf(CDaoDatabase& database, const std::string& table) {
  RowKeys keys;
  for (const CDaoFieldInfo& field : database.ReadFields(table)) {
    keys.Note(field.m_strName);
  }
  return keys;
}

// The run identifier as the legacy tables hold it: an empty one is not written (null).
std::string RunIdValue(const CVornDbExportData& exportData) {
  return exportData.m_strRunID.empty() ? std::string("NULL") : SqlLiteral(exportData.m_strRunID);
}

// Deletes the rows of table whose key columns hold the values; a table without an index gets one over them
// first, so the deletions of a rerun do not read whole tables.
void DeleteKeyedRows(CDaoDatabase& database, const std::string& table, const std::vector<std::string>& columns,
                     const std::vector<std::string>& values) {
  std::vector<std::int64_t> indexes;
  database.ExecuteWithIntegers("SELECT count(*) FROM pragma_index_list(" + SqlLiteral(table) + ")", {}, &indexes);
  std::string where;
  std::string indexed;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    where += (i ? " AND " : "") + DaoQuoteIdentifier(columns[i]) + " IS " + values[i];
    indexed += (i ? ", " : "") + DaoQuoteIdentifier(columns[i]);
  }
  if (!indexes.empty() && indexes.front() == 0)
    database.Execute("CREATE INDEX IF NOT EXISTS " + DaoQuoteIdentifier(table + "_Case") + " ON " +
                     DaoQuoteIdentifier(table) + " (" + indexed + ")");
  database.Execute("DELETE FROM " + DaoQuoteIdentifier(table) + " WHERE " + where);
}

// Under the case's write lock of database: whether the case's rows are in the results database (decided by
// the main model's file, under its lock, for every file of the case), and if so its rows go from every table
// of database keyed by SolutionID and CaseID or by RUNID and CASE.
void ReplaceEarlierCaseRows(CVornDbExportData& exportData, CDaoDatabase& database) {
  if (exportData.m_nUnitCaseID < 0) return;
  CVornModelFile* main = exportData.m_pModel.get();
  CDaoDatabase* mainDatabase = main != nullptr && main->m_daoDatabase ? main->m_daoDatabase.get() : nullptr;
  if (exportData.m_nUnitEarlierRows < 0 && mainDatabase != nullptr && mainDatabase != &database &&
      mainDatabase->IsOpen() && mainDatabase->InCase())
    mainDatabase->HoldWriteLock();  // the main file decides, under its lock, before this one
  if (exportData.m_nUnitEarlierRows < 0) {
    // One look at the case table (its key index), so that a case written for the first time pays no more.
    exportData.m_nUnitEarlierRows = 0;
    if (database.TableExists("PrCase")) {
      // The run's field names ("LG_" in front with AlternateDatabaseCols) are those of the file's tables.
      const std::string prefix =
          main != nullptr && main->m_settings.m_AlternateDatabaseCols.GetValue() != 0 ? "LG_" : "";
      std::vector<std::int64_t> found;
      database.ExecuteWithIntegers("SELECT count(*) FROM \"PrCase\" WHERE \"" + prefix + "SolutionID\" = ? AND \"" +
                                       prefix + "CaseID\" = ?",
                                   {exportData.m_nSolutionID, exportData.m_nUnitCaseID}, &found);
      exportData.m_nUnitEarlierRows = !found.empty() && found.front() > 0 ? 1 : 0;
    }
  }
  if (exportData.m_nUnitEarlierRows == 0) return;
  const std::vector<std::pair<std::string, RowKeys>> tables = KeyedTables(database);
  const std::string solution = std::to_string(exportData.m_nSolutionID);
  const std::string caseId = std::to_string(exportData.m_nUnitCaseID);
  const std::string legacyCase = std::to_string(exportData.m_nUnitLegacyCase);
  for (const auto& [table, keys] : tables) {
    if (!keys.solution.empty() && !keys.caseId.empty())
      DeleteKeyedRows(database, table, {keys.solution, keys.caseId}, {solution, caseId});
    else if (!keys.runId.empty() && !keys.legacyCase.empty())
      DeleteKeyedRows(database, table, {keys.runId, keys.legacyCase}, {RunIdValue(exportData), legacyCase});
  }
  exportData.m_bUnitReplacedRows = true;
}

// The defining case opens a table that holds rows of the run: those of its solution (or legacy run) written
// before go, so a rerun's rows do not come twice; a table of neither (the setting defaults) holds the rows
// of the last run that defined one.
void ReplaceEarlierRunRows(CVornDbExportData& exportData, CDaoDatabase& database, const std::string& table) {
  if (EqualsNoCase(table, "PrLog") || EqualsNoCase(table, "LGLOG11")) return;
  const RowKeys keys = KeysOf(database, table);
  if (!keys.caseId.empty() || !keys.legacyCase.empty()) return;
  if (!keys.solution.empty())
    DeleteKeyedRows(database, table, {keys.solution}, {std::to_string(exportData.m_nSolutionID)});
  else if (!keys.runId.empty())
    DeleteKeyedRows(database, table, {keys.runId}, {RunIdValue(exportData)});
  else
    database.Execute("DELETE FROM " + DaoQuoteIdentifier(table));
}

std::vector<CVornModelFile*> RunModels(CVornDbExportData& exportData) {
  std::vector<CVornModelFile*> models;
  if (exportData.m_pModel) models.push_back(exportData.m_pModel.get());
  if (exportData.m_paLocalModelFiles)
    for (CVornModelFile* model : *exportData.m_paLocalModelFiles)
      if (model != nullptr && model != exportData.m_pModel.get()) models.push_back(model);
  return models;
}

// Why a model's DatabaseOutputFile is refused, or "": it names a file, and the directory settings choose
// the folder, so a name with a folder in it (relative or absolute) could put the database anywhere.
std::string RefusedResultFileName(const CVornModelFile& model) {
  const std::string& name = model.m_settings.m_DatabaseOutputFile.GetValue();
  if (name.find_first_of("/\\") == std::string::npos && name != "." && name != ".." && !name.empty()) return {};
  return "the setting DatabaseOutputFile (\"" + plat::EscapeNonPrintable(name) +
         "\") is not a plain file name: the setting DatabaseDirectory chooses the folder of the results database";
}

// Notes the failure of a model whose DatabaseOutputFile is refused; true when it is.
bool RefuseResultFileName(CVornDbExportData& exportData, const CVornModelFile& model) {
  const std::string refused = RefusedResultFileName(model);
  if (refused.empty()) return false;
  NoteDatabaseFailure(exportData, "", refused);
  return true;
}

// Drops the handle of a table whose opening failed, so the next opening tries again.
void ForgetHandle(COutputTableArray& tables, const COutputTable* handle) {
  for (int i = tables.GetSize() - 1; i >= 0; --i)
    if (tables[i] == handle) {
      tables.RemoveAt(i);
      return;
    }
}

}  // namespace

void NoteDatabaseFailure(CVornDbExportData& exportData, const std::string& table, const std::string& cause) {
  exportData.m_bDatabaseError = 1;
  if (!exportData.m_strDatabaseFailure.empty()) return;
  exportData.m_strDatabaseFailure = table.empty() ? cause : "table " + table + ": " + cause;
}

void NoteDatabaseFailure(CVornDbExportData& exportData, const std::string& table, const CDaoException& exception) {
  NoteDatabaseFailure(exportData, table, DaoText(exception));
}

bool BeginCaseOutput(CVornDbExportData& exportData, const std::string& runKey, bool& definesRun) {
  definesRun = false;
  exportData.m_bCaseOutput = true;
  exportData.m_bDefiningRun = false;
  CVornModelFile* main = exportData.m_pModel.get();
  if (main == nullptr || !WantsAccess(*main)) return true;
  if (RefuseResultFileName(exportData, *main)) return false;
  if (!main->m_daoDatabase) main->m_daoDatabase = std::make_shared<CDaoDatabase>();
  CDaoDatabase& database = *main->m_daoDatabase;
  if (!OpenOrCreateResultDatabase(exportData, main, false, exportData.m_strHomeDirectory, database,
                                  main->m_outputTables) ||
      !database.IsOpen()) {
    NoteDatabaseFailure(exportData, "", "cannot open the results database " +
                                            GetModelResultDatabasePath(*main, exportData.m_strHomeDirectory));
    std::int32_t ignored = 0;
    CloseDatabase(database, main->m_outputTables, ignored);
    exportData.m_bResultTablesDefined = false;
    return false;
  }
  // What the defining case removes at the run's start: tables dropped, or the selected cases' rows.
  const bool removesRows = (exportData.m_bDeleteTables && main->m_settings.m_DatabasePurgeOn.GetValue() != 0) ||
                           CleanUpWanted(exportData, *main);
  std::string conflict;
  try {
    // The case writers of the file take their turns in a queue: none waits without end behind the others.
    database.BeginCase(true);
    // Under the write lock, before the case's rows go in: the case's earlier rows go.
    database.SetCaseLockHook([&exportData, &database] { ReplaceEarlierCaseRows(exportData, database); });
    // The first cases of the workers start together and all find the run missing; the one whose turn comes
    // first defines it. The others find, once their turn comes, that it committed meanwhile: they give the
    // turn back and look again outside it (reading the schema it made is then no writer's wait).
    const std::int64_t version = database.DataVersion();
    bool recorded = RunRecorded(database, runKey);
    if (!recorded && !database.TakeTurnUnlessChanged(version)) recorded = RunRecorded(database, runKey);
    if (!recorded) {
      // Whether this case defines the run is decided under the write lock, in the case's transaction.
      database.HoldWriteLock();
      definesRun = ClaimRun(database, runKey, removesRows, conflict);
      // Another case defined the run meanwhile: this one needs the lock only for its commit, and the others
      // need not wait for its whole output.
      if (!definesRun && conflict.empty()) database.DeferWriteLock();
    }
  } catch (const CDaoException& e) {
    NoteDatabaseFailure(exportData, kRunTable, e);
    database.RollbackCase();
    return false;
  }
  if (!conflict.empty()) {
    NoteDatabaseFailure(exportData, "", conflict);
    database.RollbackCase();
    return false;
  }
  exportData.m_bRunJoined = true;
  exportData.m_bDefiningRun = definesRun;
  return true;
}

void JoinCaseOutput(CVornDbExportData& exportData, CDaoDatabase& database) {
  if (!exportData.m_bCaseOutput || !database.IsOpen() || database.InCase()) return;
  database.BeginCase();
  database.SetCaseLockHook([&exportData, &database] { ReplaceEarlierCaseRows(exportData, database); });
}

bool EndCaseOutput(CVornDbExportData& exportData, bool commit) {
  exportData.m_bCaseOutput = false;
  exportData.m_bDefiningRun = false;
  bool ok = true;
  for (CVornModelFile* model : RunModels(exportData)) {
    if (!model->m_daoDatabase || !model->m_daoDatabase->InCase()) continue;
    CDaoDatabase& database = *model->m_daoDatabase;
    if (!commit || !ok) {
      database.RollbackCase();
      continue;
    }
    try {
      database.CommitCase();
    } catch (const CDaoException& e) {
      NoteDatabaseFailure(exportData, "", "committing the case into " + database.GetName() + " failed: " + DaoText(e));
      ok = false;
    }
  }
  return ok;
}

bool ShowSharedError(std::uint32_t id, const std::string& a, const std::string& b) {
  const std::string insertions[] = {a, b};
  return ShowErrorMessage(FormatInsertionsInOrder(LoadTreskString(id), insertions, 2));
}

bool ShowSharedError(std::uint32_t id, const std::string& a, const std::string& b, const std::string& c) {
  const std::string insertions[] = {a, b, c};
  return ShowErrorMessage(FormatInsertionsInOrder(LoadTreskString(id), insertions, 3));
}

void ReportDaoErrors(const CDaoException& exception) {
  for (int i = exception.GetErrorCount() - 1; i >= 0; --i) {
    const CDaoErrorInfo& info = exception.GetErrorInfo(i);
    ShowErrorMessage(std::to_string(info.m_lErrorCode) + "-" + info.m_strDescription);
  }
}

std::string GetModelResultDatabasePath(const CVornModelFile& model, const std::string& homeDirectory) {
  const CModelSettings& s = model.m_settings;
  std::string directory;
  switch (s.m_DatabaseDirectory.GetValue()) {
    case 0:
    case 1: directory = MakeFilePath(homeDirectory, model.m_strModelName); break;
    case 2: directory = homeDirectory; break;
    case 3:
      directory = IsDirectory(s.m_DatabaseSharedDir.GetValue()) ? s.m_DatabaseSharedDir.GetValue()
                                                                 : MakeFilePath(homeDirectory, model.m_strModelName);
      break;
    default: break;
  }
  if (!directory.empty() && (directory.back() == '/' || directory.back() == '\\')) directory.pop_back();
  // A name that is not a file name leads nowhere: no database is made outside the chosen folder.
  if (!RefusedResultFileName(model).empty()) return {};
  return directory + "/" + s.m_DatabaseOutputFile.GetValue();
}

std::string GetDefaultResultDatabasePath(const CVornDbExportData& exportData) {
  const std::string& logDir = exportData.m_strDatabaseLogDir;
  std::string directory = !logDir.empty() && FileExists(logDir, false) ? logDir : exportData.m_strHomeDirectory;
  if (!directory.empty() && (directory.back() == '/' || directory.back() == '\\')) directory.pop_back();
  return directory + "/LGLOG11.Mdb";
}

bool IsDatabaseFileInUse(const std::string& path, const CVornModelFile* model) {
  if (model && model->m_daoDatabase && model->m_daoDatabase->IsOpen()) return false;
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return false;
  }
  if (errno == ENOENT) return false;
  if (errno == EBUSY || errno == ETXTBSY) {
    ShowErrorMessage(LoadTreskString(kIdsDbFileInUse) + " " + path + ".\n" + LoadTreskString(kIdsCloseOtherProgram));
    return true;
  }
  ShowErrorMessage(LoadTreskString(kIdsCannotOpenDbFile) + " " + path + ".\n" + LoadTreskString(kIdsCloseOtherProgram));
  return false;
}

bool OpenOrCreateResultDatabase(CVornDbExportData& exportData, CVornModelFile* model, bool useDefault,
                                const std::string& homeDirectory, CDaoDatabase& database, COutputTableArray& tables) {
  if (tables.GetSize() > 0) return true;
  model = OrMainModel(exportData, model);
  if (model == nullptr) {
    exportData.m_bDatabaseError = 1;
    return false;
  }
  std::string path;
  if (useDefault) path = GetDefaultResultDatabasePath(exportData);
  else if (WantsAccess(*model) && RefuseResultFileName(exportData, *model)) return false;
  else if (WantsAccess(*model)) path = GetModelResultDatabasePath(*model, homeDirectory);
  if (!path.empty()) {
    try {
      bool exists = FileExists(path, false);
      if (IsDatabaseFileInUse(path, model)) exportData.m_bDatabaseError = 1;
      if (!database.IsOpen()) {
        if (!exists) {
          const std::string& version = model->m_settings.m_AccessVersion.GetValue();
          int options = IsAccess95Database(version) || IsAccess97Database(version) ? dbVersion30 : 0;
          try {
            database.Create(path, dbLangGeneral, options);
          } catch (const CDaoException& e) {
            // Another worker of the run created it since we looked: open theirs.
            if (e.GetErrorCode() != kDaoErrDatabaseExists) throw;
          }
          if (database.IsOpen()) database.Close();
        }
        database.Open(path, false, false, "");
      }
    } catch (const CDaoException& e) {
      std::string detail = e.GetErrorCount() > 0 ? "; Error message = " + e.GetErrorInfo(0).m_strDescription : "";
      ShowSharedError(kIdsDbOperationFailed, LoadTreskString(kIdsCannotOpenResultDb), detail);
      ReportDaoErrors(e);
      NoteDatabaseFailure(exportData, "", "cannot open the results database " + path + ": " + DaoText(e));
      return false;
    }
  }
  if (WantsSqlServer(*model) && !StartSqlServer(exportData, *model)) {
    NoteDatabaseFailure(exportData, "", "the SQL Server output is not open");
    return false;
  }
  plat::ResetFloatingPointControl();
  return true;
}

COutputTable* FindOrCreateOutputTable(CVornDbExportData& exportData, CVornModelFile* model, const std::string& table,
                                      bool deleteTables, CDaoDatabase& database, COutputTableArray& tables,
                                      const std::vector<std::int32_t>* selectedCases, std::int32_t& existing,
                                      std::int32_t& errorFlag) {
  const bool open = database.IsOpen();
  // Writers open the table of every row they write, mostly the one of the row before: the handle found last is
  // tried first. A name has one handle in its list (one is made only when none is found), so the hint finds
  // what the search would.
  struct Hint {
    const COutputTableArray* tables = nullptr;
    int index = -1;
  };
  thread_local Hint hint;
  if (hint.tables == &tables && hint.index >= 0 && hint.index < tables.GetSize()) {
    COutputTable* handle = tables.GetAt(hint.index);
    if (handle != nullptr && handle->m_strName == table) {
      handle->m_bNewTable = false;
      existing = 1;
      return handle;
    }
  }
  for (int i = 0; i < tables.GetSize(); ++i) {
    COutputTable* handle = tables.GetAt(i);
    if (handle != nullptr && handle->m_strName == table) {
      hint = {&tables, i};
      handle->m_bNewTable = false;
      existing = 1;
      return handle;
    }
  }
  existing = 0;
  auto owned = std::make_unique<COutputTable>(table);
  COutputTable* handle = owned.get();
  handle->m_nState = 0;
  handle->m_pDatabase = &database;
  hint = {&tables, tables.Add(std::move(owned))};

  // Dropping tables and cleaning up earlier rows belong to the run, not to each worker: once a case of
  // this process has joined a run recorded in the results database, only the run's defining case does
  // them; a table first opened outside a case (the Trancol export) keeps the rows others wrote into it.
  const bool runLevel = exportData.m_bCaseOutput ? exportData.m_bDefiningRun : !exportData.m_bRunJoined;
  bool newTable = false;
  if (open) {
    try {
      CDaoTableDefInfo info;
      database.GetTableDefInfo(table, info);
      if (deleteTables && runLevel && model != nullptr && model->m_settings.m_DatabasePurgeOn.GetValue() != 0) {
        database.DeleteTableDef(table);
        newTable = true;
      } else {
        auto tableDef = std::make_shared<CDaoTableDef>(&database);
        tableDef->Open(table);
        CDaoRecordset test(&database);
        test.Open(tableDef.get(), dbOpenTable);
        if (!test.CanAppend() || !test.CanUpdate()) {
          tableDef->Close();
          tableDef.reset();
          database.DeleteTableDef(table);
          newTable = true;
        } else {
          handle->m_pTableDef = tableDef;
        }
        test.Close();
      }
    } catch (const CDaoException& e) {
      if (IsLockError(e)) {
        ReportDaoErrors(e);
        errorFlag = 1;
        NoteDatabaseFailure(exportData, table, e);
        ForgetHandle(tables, handle);
        return nullptr;
      }
      handle->m_pTableDef.reset();
      newTable = true;
    }
    if (newTable) {
      try {
        auto tableDef = std::make_shared<CDaoTableDef>(&database);
        tableDef->Create(table, 0, "", "");
        handle->m_pTableDef = tableDef;
      } catch (const CDaoException& e) {
        ShowSharedError(kIdsDbOperationFailed, LoadTreskString(kIdsCannotCreateTable), table);
        ReportDaoErrors(e);
        errorFlag = 1;
        NoteDatabaseFailure(exportData, table, e);
        ForgetHandle(tables, handle);
        return nullptr;
      }
    }
  }
  handle->m_bNewTable = newTable;
  if (open && !newTable && exportData.m_bCaseOutput && exportData.m_bDefiningRun) {
    try {
      ReplaceEarlierRunRows(exportData, database, table);
    } catch (const CDaoException& e) {
      ReportDaoErrors(e);
      errorFlag = 1;
      NoteDatabaseFailure(exportData, table, e);
      ForgetHandle(tables, handle);
      return nullptr;
    }
  }
  if (runLevel) {
    DeleteSelectedCaseRows(exportData, table, model, database, selectedCases);
    DeleteUnreferencedSolutionRows(exportData, table, model, database, selectedCases);
  }
  plat::ResetFloatingPointControl();
  return handle;
}

bool DeleteSelectedCaseRows(CVornDbExportData& exportData, const std::string& table, CVornModelFile* model,
                            CDaoDatabase& database, const std::vector<std::int32_t>* selectedCases) {
  model = OrMainModel(exportData, model);
  if (model == nullptr || !database.IsOpen() || !CleanUpWanted(exportData, *model)) return true;
  if (EqualsNoCase(table, "PrLog") || EqualsNoCase(table, "LGLOG11")) return true;
  const char* key = strncasecmp(table.c_str(), "Pr", 2) == 0 ? "CaseID" : "CASE";
  // Identifiers are quoted: a column named CASE is a keyword of the engine.
  std::string sql = "DELETE * FROM " + DaoQuoteIdentifier(table) + " WHERE " + DaoQuoteIdentifier(key);
  if (selectedCases == nullptr || selectedCases->empty()) sql += "=0\n";
  else sql += " in " + CaseList(selectedCases, "0") + "\n";
  try {
    database.Execute(sql, dbFailOnError);
  } catch (const CDaoException&) {
    // a table without the key column or rows keeps what it has
  }
  return true;
}

bool DeleteUnreferencedSolutionRows(CVornDbExportData& exportData, const std::string& table, CVornModelFile* model,
                                    CDaoDatabase& database, const std::vector<std::int32_t>* selectedCases) {
  model = OrMainModel(exportData, model);
  if (!EqualsNoCase(table, "PrModel") && !EqualsNoCase(table, "PrNode") && !EqualsNoCase(table, "PrSolution"))
    return true;
  if (model == nullptr || !database.IsOpen() || !CleanUpWanted(exportData, *model)) return true;
  const std::string solutionId = DaoQuoteIdentifier("SolutionID");
  const std::string runSolution = std::to_string(exportData.m_nSolutionID);
  try {
    std::string query = "SELECT DISTINCT " + DaoQuoteIdentifier("PrCase") + "." + solutionId + " FROM " +
                        DaoQuoteIdentifier("PrCase") + " WHERE " + DaoQuoteIdentifier("CaseID") + " NOT IN " +
                        CaseList(selectedCases, "0 ");
    std::string kept;
    {
      CDaoRecordset rs(&database);
      rs.Open(dbOpenDynaset, query);
      for (; !rs.IsEOF(); rs.MoveNext()) {
        plat::Variant v = rs.GetFieldValue(0);
        if (v.vt == plat::VT_I4) kept += std::to_string(v.llVal) + ",";
      }
      rs.Close();
    }
    std::string sql = "DELETE * FROM " + DaoQuoteIdentifier(table) + " WHERE " + solutionId;
    if (kept.empty()) sql += " <> " + runSolution + "\n";
    else sql += " NOT IN (" + kept + runSolution + ")\n";
    database.Execute(sql, dbFailOnError);
  } catch (const CDaoException&) {
    // no PrCase yet, or a table without SolutionID: nothing to clean
  }
  return true;
}

bool CloseDatabase(CDaoDatabase& database, COutputTableArray& tables, std::int32_t& errorFlag) {
  std::setlocale(LC_ALL, "");
  try {
    std::locale::global(std::locale(""));
  } catch (const std::runtime_error&) {
    std::locale::global(std::locale::classic());
  }
  std::unique_ptr<CDaoException> failure;
  try {
    // Rows still gathered are committed here, where a failure can be reported.
    database.CommitPending();
  } catch (const CDaoException& e) {
    failure = std::make_unique<CDaoException>(e);
  }
  tables.RemoveAll();
  try {
    if (database.IsOpen()) database.Close();
  } catch (const CDaoException& e) {
    if (!failure) failure = std::make_unique<CDaoException>(e);
  }
  if (failure) {
    ShowSharedError(kIdsDbOperationFailed, "CloseDatabase", "");
    ReportDaoErrors(*failure);
    errorFlag = 1;
    return false;
  }
  plat::ResetFloatingPointControl();
  return true;
}

bool OpenResultDatabaseConnection(CVornDbExportData& exportData, CVornModelFile* model,
                                  const std::string& homeDirectory, CDatabase& database, bool useDefault) {
  model = OrMainModel(exportData, model);
  if (model == nullptr) {
    exportData.m_bDatabaseError = 1;
    return false;
  }
  std::string path;
  if (useDefault) path = GetDefaultResultDatabasePath(exportData);
  else if (WantsAccess(*model) && RefuseResultFileName(exportData, *model)) return false;
  else if (WantsAccess(*model)) path = GetModelResultDatabasePath(*model, homeDirectory);
  std::string connect;
  try {
    if (!path.empty()) {
      if (!FileExists(path, false)) {
        exportData.m_bDatabaseError = 1;
        return false;
      }
      if (!database.IsOpen()) {
        // The path is brace-quoted when it holds a ";" or braces.
        connect = "ODBC;DRIVER={Microsoft Access Driver (*.mdb, *.accdb)};" + plat::ConnectionPair("DBQ", path);
        if (!database.Open("", false, false, connect, true)) {
          exportData.m_bDatabaseError = 1;
          return false;
        }
      }
    }
    if (WantsSqlServer(*model) && !StartSqlServer(exportData, *model)) return false;
  } catch (const CDBException& e) {
    std::string detail = e.m_strError.empty() ? std::string() : "\n" + e.m_strError;
    detail += "\n" + connect;
    ShowSharedError(kIdsDbOperationFailed, LoadTreskString(kIdsCannotOpenResultDb), detail);
    exportData.m_bDatabaseError = 1;
    return false;
  }
  plat::ResetFloatingPointControl();
  return true;
}

bool CreateDaoTableIndex(CDaoTableDef& tableDef, const std::string& table, const std::vector<std::string>& keyColumns) {
  try {
    if (tableDef.GetIndexCount() == 0) {
      CDaoIndexInfo index;
      index.m_strName = table;
      for (const std::string& column : keyColumns) index.m_fields.push_back({column, false});
      tableDef.CreateIndex(index);
    }
  } catch (const CDaoException& e) {
    ReportDaoErrors(e);
    return false;
  }
  return true;
}

bool CreateOrReplaceQueryDef(CDaoDatabase& database, const std::string& name, const std::string& sql,
                             std::vector<std::string>* names) {
  if (!database.IsOpen()) return false;
  if (!DeleteQueryDef(database, name)) return false;
  try {
    CDaoQueryDef query(&database);
    query.Create(name, sql);
    if (names) names->push_back(name);
    query.Append();
    query.Close();
  } catch (const CDaoException& e) {
    ReportDaoErrors(e);
    return false;
  }
  plat::ResetFloatingPointControl();
  return true;
}

bool DeleteQueryDef(CDaoDatabase& database, const std::string& name) {
  bool exists = false;
  try {
    CDaoQueryDef query(&database);
    query.Open(name);
    exists = true;
  } catch (const CDaoException&) {
    // no saved query of that name
  }
  if (!exists) return true;
  try {
    database.DeleteQueryDef(name);
  } catch (const CDaoException& e) {
    ReportDaoErrors(e);
    return false;
  }
  return true;
}

bool DropDaoTable(CDaoDatabase& database, const std::string& table) {
  if (!database.IsOpen()) return true;
  try {
    database.DeleteTableDef(table);
  } catch (const CDaoException&) {
    // a table that is not there is already dropped
  }
  return true;
}
