#pragma once
// The SQL Server back end of the database output, one per worker process.
// Every new record, value and end of record goes straight to the bulk writer
// (IOrvid), which writes a table's rows when the next table starts; the
// driver logs each bulk write and reruns one that lost a deadlock or met a
// schema change. Besides, it lends an ADO connection to the same database.
// Only the worker's main thread uses it.

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "foundation/logging.h"
#include "platform/ado.h"
#include "standins/orvid.h"

class CVornDbExportData;

class DbSqlSvr {
 public:
  // Names the logger's file "DbExport.log"; the logger stays the caller's.
  explicit DbSqlSvr(ILogging* logging);
  ~DbSqlSvr();
  DbSqlSvr(const DbSqlSvr&) = delete;
  DbSqlSvr& operator=(const DbSqlSvr&) = delete;

  // ---- Set-up and connections
  // Starts the driver: an empty connection string shows message 181 and
  // leaves it not open; otherwise it is open (nothing is connected yet).
  void StartSQLServer(const std::string& modelDirectory, const std::string& connectionString);
  bool IsOpen() const { return m_nOpen != 0; }
  // The value of the first element of the connection string that contains
  // key (case-sensitive substring) and a "=", cut at a further "="; empty when none.
  std::string GetConnectionStringValue(const std::string& key) const;
  // The ADO connection, opened at the first call; null when it cannot be opened.
  plat::AdoConnectionPtr GetConnection();
  // Runs a query whose "?" take the integers of parameters in order in the
  // bulk writer's transaction (the case's unit, when one is open: it sees
  // the unit's rows); the first column of each row it returns, nulls left
  // out. A failing statement throws plat::odbc::Error and fails the unit.
  std::vector<std::int32_t> QueryIntegers(const std::string& sql, const std::vector<std::int32_t>& parameters);
  // Closes and drops the ADO connection; a failing close throws plat::ComError.
  void CloseConnection();
  // Shows the text in a message box.
  void ReportError(const char* text);
  // Drops the ADO connection and the bulk writer, stores the string, not open.
  void SetConnectionString(const std::string& connectionString);
  bool Init();
  void CloseSession() { m_nOpen = 0; }

  // ---- Bulk writes. With the LG flag 0 or the driver not open each does
  // nothing and returns 0; otherwise 1 or 0 for the writer's answer.
  int BulkWriteDirect(const std::string& table, int lgFlag);
  int SetDateTimeValue(const std::string& table, int lgFlag, const char* field, int fieldWidth, double date);
  int SetDoubleValue(const std::string& table, int lgFlag, const char* field, int fieldWidth, double value);
  int SetLongIntegerValue(const std::string& table, int lgFlag, const char* field, int fieldWidth, std::int32_t value);
  int SetShortIntegerValue(const std::string& table, int lgFlag, const char* field, int fieldWidth,
                           std::int16_t value);
  int SetTextValue(const std::string& table, int lgFlag, const char* field, int fieldWidth, const char* text,
                   int textWidth);
  int SetMemoValue(const std::string& table, int lgFlag, const char* field, int fieldWidth, const char* text,
                   int textWidth);
  // The no-op text "NO_OPS": the row's values are already with the bulk writer.
  std::string UpdateRecord(const std::string& table, const std::vector<std::string>* keyColumns);
  int EndRecord(const std::string& table, int lgFlag);
  // Has the bulk writer write what it holds (table null; a given empty name
  // returns at once). Never throws: failures go to a message box, the log or
  // the failure file "SqlUpdateError.txt".
  void UpdateTableDataToDatabase(const char* table);

  // ---- The case's unit on the server. Its rows and every statement below
  // go through the bulk writer's one transaction, which the case's last
  // flush commits (or DiscardUnwritten rolls back): the run's row, the marks
  // and the deletion of earlier rows land with the case or not at all. No
  // statement is meant to fail: each looks before it adds.
  // Begins the unit of the case whose result rows carry solutionId and
  // caseId (and whose legacy rows runId and legacyCase): takes the server's
  // lock of the case, so two jobs writing it take turns, and when its rows
  // are there already deletes them from every table that holds rows of
  // cases (replaced). False when the server could not be asked
  // (TakeWriteFailure says why).
  bool BeginCaseUnit(std::int32_t solutionId, std::int32_t caseId, const std::string& runId, std::int32_t legacyCase,
                     bool& replaced);
  // Claims the run in the unit: the run table "OstrelRuns" gets runKey's
  // row unless it has it. definesRun is true when this unit adds it (other
  // units of the run wait for the end of this one, then find it). False
  // when the server could not be asked.
  bool ClaimRun(const std::string& runKey, bool& definesRun);
  // The unit writes the run's reference rows: the first row it writes into a
  // table of the solution's rows (or the legacy run's) deletes the earlier
  // rows of the solution (or run) there, under the server's lock of the
  // solution. False when the lock cannot be taken.
  bool SetUnitDefinesRun(bool defines);
  // Holds the run's row of "OstrelRuns" in the unit, so another unit holding
  // it waits until this one ends. False when the row cannot be held.
  bool HoldRunRow(const std::string& runKey);
  // Runs a statement in the unit ("?" take parameters in order); the rows it
  // changed, -1 when it failed (the failure is noted, the unit is lost).
  std::int64_t ExecuteInUnit(const std::string& sql, const std::vector<IOrvid::Parameter>& parameters,
                             std::vector<std::string>* rows = nullptr);
  // Forgets the unit (after its flush or discard).
  void EndCaseUnit();
  // The failure of a bulk write since the last call that the reruns did not clear; empty when none.
  std::string TakeWriteFailure();
  // While held, a flush naming no table writes nothing: the case's rows stay
  // in the bulk writer's open transaction, so the whole case is committed by
  // the one flush after the hold ends. Ending the hold does not flush.
  void HoldCommits(bool hold);
  // Whether a flush was asked for while held.
  bool FlushWasHeld() const { return m_bFlushHeld; }
  // Drops the bulk writer with the rows it holds and its open transaction,
  // which the server rolls back; the next row starts a new writer.
  void DiscardUnwritten();

  // The text that UpdateRecord returns.
  const std::string& GetNoOpText() const { return m_strNoOps; }
  // The failure file of a flush that failed in an unknown way: in the model
  // directory, else in the run directory, else in the current directory.
  std::string GetFailureFilePath() const;
  void SetRunDirectory(const std::string& directory) { m_strRunDirectory = directory; }

  static constexpr int kMaxRerunAttempts = 1000;

 private:
  struct OrvidDeleter {
    void operator()(IOrvid* p) const { IOrvid::Destroy(p); }
  };
  // The bulk writer, made and connected at its first use.
  IOrvid& BulkWriter();
  // The server's tables of result rows, by their key columns (read once from the ODBC catalog).
  struct KeyedTables {
    bool read = false;
    std::vector<std::string> perCase;      // SolutionID and CaseID
    std::vector<std::string> perSolution;  // SolutionID without CaseID
    std::vector<std::string> legacyCase;   // RUNID and CASE
    std::vector<std::string> legacyRun;    // RUNID without CASE
    bool runTable = false;                 // OstrelRuns is there
  };
  const KeyedTables& ReadKeyedTables();
  // The tables sorted by the key columns among their columns (of each table: those it has).
  void ClassifyKeyedTables(const std::vector<std::string>& tables, std::map<std::string, std::set<std::string>>& columns);
  // Takes the server's lock named by the two keys until the unit ends (servers without such locks: none).
  bool LockInUnit(std::int32_t first, std::int32_t second);
  // The rows of the run's solution (or legacy run) in table go before the unit's first row there.
  bool ReplaceRunRows(const std::string& table);
  void OpenConnection();
  void Write(const std::string& text);
  bool Writer(const std::string& table, int lgFlag) const;

  // ---- Members, in this order
  std::unique_ptr<IOrvid, OrvidDeleter> m_pOrvid;
  std::string m_strPrevTable;
  std::string m_strNoOps;
  ILogging* m_pLogging;  // not owned
  std::int32_t m_nOpen = 0;
  std::string m_strModelDirectory;
  std::string m_strRunDirectory;
  std::string m_strConnectionString;
  plat::AdoConnectionPtr m_pConnection;
  std::string m_strWriteFailure;
  KeyedTables m_keyedTables;
  std::string m_strDbmsName;
  // ---- The unit
  std::int32_t m_nUnitSolutionID = 0;
  std::string m_strUnitRunID;
  bool m_bUnitDefinesRun = false;
  std::vector<std::string> m_unitTables;  // the tables the defining unit has begun
  bool m_bHoldCommits = false;
  bool m_bFlushHeld = false;
};

// The once-per-process start of the SQL Server output of an export: the
// first call decides the export log's switch ("true" in export kind 2, else
// the registry value Logging of VornWin\Adapter, off for "False") and
// directory under a process-wide mutex and starts the driver; every call
// names the log "DbExport" + case number ("%06d", none when negative) + ".log".
// Does nothing without a driver. A connection string that
// plat::FindRefusedConnectionItem refuses is never started: the export's
// failure names the setting and the reason, and the result is false.
bool InitializeSqlServerConnection(CVornDbExportData& exportData, const std::string& modelDirectory,
                                   const std::string& connectionString, int caseNumber);
