#pragma once
// Access result databases as SQLite files: a database, its table definitions,
// recordsets and saved queries, with the calls and error codes of the DAO
// object model the result writers use. A database is one SQLite file in WAL
// mode with a busy timeout, so several worker processes can write it.
// Declared types: dbDate DATETIME (ISO-8601 text), dbDouble DOUBLE, dbLong
// INTEGER, dbInteger SMALLINT, dbText VARCHAR(n) COLLATE NOCASE, dbMemo TEXT.
// Identifiers are always double-quoted. Rows added through recordsets are
// gathered in one transaction and committed in batches (every kBatchRows rows,
// after kBatchMillis, before any schema change or statement, on CommitPending
// and on Close); a failed row keeps the rows before it: the batch is committed.
// Between BeginCase and CommitCase/RollbackCase the database is in one
// transaction instead: rows, statements and schema changes of one case land
// together or not at all, and no batch is committed in between. A case keeps
// its rows in memory, in their native types, until it needs the write lock (a
// statement or schema change, a read of rows, its commit, or a large case), so
// it holds the lock only while its rows go in. Processes
// that write cases into one file can take their turns through a queue file
// beside it (the file's name + "-writers", locked with flock), so a writer
// waits as long as the writers before it need, never starved by polling; such
// a process also writes its rows outside a case in its turn.
// The write-ahead log is checkpointed by the writer that has just committed
// once it holds kCheckpointFrames pages: after its turn, so the next writer
// does not wait for the copy, or still in its turn once the log holds
// kTurnCheckpointFrames pages, so the next writer starts it again from the
// beginning (cut back to kWalSizeLimit bytes) even when writers follow each
// other without a pause; a closing database empties it when no other process
// writes.
// Create makes a new file whole under a private name and links it to its
// name: processes creating one file at once each make it or find it made.
// Every failure is thrown as CDaoException. Text is Windows-1252 inside and
// UTF-8 in the file.

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado.h"
#include "platform/exceptions.h"

struct sqlite3;
struct sqlite3_stmt;

// Field type codes.
enum : std::int16_t { dbInteger = 3, dbLong = 4, dbDouble = 7, dbDate = 8, dbText = 10, dbMemo = 12 };
// Recordset types and options, Execute and Create options.
enum : int { dbOpenTable = 1, dbOpenDynaset = 2, dbAppendOnly = 8, dbFailOnError = 128, dbVersion30 = 32 };
// The general collating order (compare text ignoring case).
inline constexpr const char* dbLangGeneral = ";LANGID=0x0409;CP=1252;COUNTRY=0";

// The error codes raised here.
enum : std::int32_t {
  kDaoErrObjectNotFound = 3011,   // no table or query of that name
  kDaoErrFileNotFound = 3024,
  kDaoErrDatabaseExists = 3204,
  kDaoErrTableInUse = 3261,       // locked by another process beyond the busy timeout
  kDaoErrTableLocked = 3262,
  kDaoErrItemNotFound = 3265,     // no field or index of that name
  kDaoErrNotOpen = 3420,          // the object is not open or no longer valid
  kDaoErrReadOnly = 3027,
  kDaoErrFormat = 3343,           // not an SQLite file
  kDaoErrEngine = 3146,           // any other engine failure; the description is the engine's
};

struct CDaoErrorInfo {
  std::int32_t m_lErrorCode = 0;
  std::string m_strSource;
  std::string m_strDescription;
};

class CDaoException : public CException {
 public:
  CDaoException(std::int32_t code, std::string description);
  int GetErrorCount() const { return static_cast<int>(m_errors.size()); }
  const CDaoErrorInfo& GetErrorInfo(int index) const { return m_errors.at(static_cast<std::size_t>(index)); }
  std::int32_t GetErrorCode() const { return m_errors.front().m_lErrorCode; }

  std::vector<CDaoErrorInfo> m_errors;  // never empty
};

struct CDaoFieldInfo {
  std::string m_strName;
  std::int16_t m_nType = 0;
  std::int32_t m_lSize = 0;
  std::int32_t m_lAttributes = 0;
};

struct CDaoIndexFieldInfo {
  std::string m_strName;
  bool m_bDescending = false;
};

struct CDaoIndexInfo {
  std::string m_strName;
  std::vector<CDaoIndexFieldInfo> m_fields;
  bool m_bPrimary = false;
  bool m_bUnique = false;
  bool m_bClustered = false;
  bool m_bIgnoreNulls = false;
  bool m_bRequired = false;
  bool m_bForeign = false;
};

// One value of a new row in the type it is bound with; a text is UTF-8 bytes
// in the row's text buffer (offset, length).
struct CDaoCell {
  enum Kind : std::uint8_t { kNull, kInteger, kDouble, kText, kRow };
  Kind kind = kNull;
  std::uint32_t length = 0;
  union {
    std::int64_t integer = 0;
    double number;
    std::uint64_t offset;
  };
};

// The prepared insert of a table recordset, shared with the rows a case keeps.
struct CDaoInsert;

// Where the case writers of this process spent their time on results files,
// in seconds summed since the process began (a worker logs each case's part).
struct CDaoCaseTimes {
  double m_dQueueWait = 0;  // waiting for the turn among the file's writers
  double m_dLockWait = 0;   // waiting for the engine's write lock
  double m_dLockHeld = 0;   // from taking the write lock to the end of the case's commit or rollback
  double m_dCommit = 0;     // the commits, with the log's checkpoint after them
  double m_dCheckpoint = 0;      // the checkpoints after the commits, in the writers' turns
  double m_dLateCheckpoint = 0;  // those after the turns
  std::int64_t m_nLocks = 0;       // cases that took the write lock
  std::int64_t m_nEarlyLocks = 0;  // of those, taken before the commit (a statement, a read, a schema change)
};

// How a statement waits for a lock that another connection holds (a writer
// of another process, or another program): process-wide, for every open
// database. Without stopRequested a wait ends after
// CDaoDatabase::kBusyTimeoutMillis; with it a wait lasts until the lock is
// free or stopRequested answers true (the statement then fails as busy).
struct CDaoLockWait {
  bool (*stopRequested)() = nullptr;
  // Told once per wait, when it has lasted noticeSeconds: the file waited for and the seconds so far.
  void (*longWait)(const std::string& path, int seconds) = nullptr;
  int noticeSeconds = 10;
};

struct CDaoTableDefInfo {
  std::string m_strName;
  std::int32_t m_lAttributes = 0;
};

class CDaoDatabase {
 public:
  static constexpr int kBatchRows = 20000;
  static constexpr int kBatchMillis = 500;
  static constexpr int kBusyTimeoutMillis = 60000;
  // Values a case keeps in memory before it takes the write lock and writes them.
  static constexpr std::size_t kKeptCellLimit = 4u << 20;
  static constexpr int kCheckpointFrames = 1000;
  static constexpr int kTurnCheckpointFrames = 4 * kCheckpointFrames;
  static constexpr std::int64_t kWalSizeLimit = 4 << 20;
  static constexpr int kCloseCheckpointMillis = 200;
  // The queue file of the case writers, beside the database file.
  static constexpr const char* kQueueSuffix = "-writers";

  CDaoDatabase() = default;
  ~CDaoDatabase();
  CDaoDatabase(const CDaoDatabase&) = delete;
  CDaoDatabase& operator=(const CDaoDatabase&) = delete;

  // Makes a new file and leaves it open; fails when the file exists.
  // dbVersion30 in options makes the older format ("3.0"), else "4.0".
  void Create(const std::string& path, const char* locale = dbLangGeneral, int options = 0);
  // Opens an existing file (shared); the connect text is not used.
  void Open(const std::string& path, bool exclusive = false, bool readOnly = false, const std::string& connect = "");
  // Commits what is pending and closes; a failed commit still closes, then throws.
  void Close();
  bool IsOpen() const { return m_core->m_db != nullptr; }
  const std::string& GetName() const { return m_path; }
  std::string GetVersion() const;
  bool IsReadOnly() const { return m_bReadOnly; }

  // Runs a statement. "DELETE * FROM" is taken as "DELETE FROM".
  void Execute(const std::string& sql, int options = dbFailOnError);
  // Runs one statement whose "?" take the integers of parameters in order;
  // inside a case it takes the write lock and runs in the case's
  // transaction. The first column of each row it returns goes to rows (when
  // given). Returns the number of rows it changed.
  int ExecuteWithIntegers(const std::string& sql, const std::vector<std::int64_t>& parameters,
                          std::vector<std::int64_t>* rows = nullptr);
  // Throws kDaoErrItemNotFound when there is no such table (names ignore case).
  void GetTableDefInfo(const std::string& name, CDaoTableDefInfo& info);
  // Looked up in the connection's copy of the schema, brought up to date with the file first.
  bool TableExists(const std::string& name);
  // Whether a view of that name is in the file (names ignore case); its statement into sql when given.
  // Inside a write transaction the view names are read once and kept up to date with its own view changes.
  bool FindView(const std::string& name, std::string* sql = nullptr);
  void DeleteTableDef(const std::string& name);
  void DeleteQueryDef(const std::string& name);

  // Commits the rows gathered so far; rolls back and throws when the commit fails.
  // Inside a case it does nothing: the case commits its rows as one.
  void CommitPending();
  int GetPendingRows() const { return m_core->m_nPendingRows; }

  // Begins one case; what was gathered before is committed first. The case's
  // rows are kept until it takes the write lock (HoldWriteLock, waiting on the
  // busy timeout). With queue, the case first waits its turn among the writers
  // of the file that queue (an exclusive lock on the file's name +
  // kQueueSuffix), without a time limit, and leaves the queue when the case
  // commits or rolls back.
  void BeginCase(bool queue = false);
  bool InCase() const { return m_core->m_bInCase; }
  // Takes the case's turn and the write lock now and writes the rows it kept;
  // from then on the case writes straight into its transaction. Throws when
  // the lock or a row fails (the case must then roll back).
  void HoldWriteLock();
  // A number that changes whenever another connection has committed into the file (-1 when it cannot be read).
  std::int64_t DataVersion();
  // Takes the case's turn among the file's writers before its write lock, as HoldWriteLock would: true with
  // the turn held when no other connection has committed since version was read (DataVersion), else false
  // with the turn given back, so that the case can look at what was committed without making the writers
  // after it wait. True without a turn outside a queued case that keeps its rows.
  bool TakeTurnUnlessChanged(std::int64_t version);
  // Gives the write lock (and the turn) back when the case has changed nothing under it, as after a read
  // that had to be made under the lock, and keeps the case's rows until its commit again. False, with the
  // lock still held, when the case wrote under it.
  bool DeferWriteLock();
  // Commits the case; throws (after rolling back) when the commit fails or the
  // engine had already rolled the case back after a failed write. A case that
  // wrote nothing takes no lock.
  void CommitCase();
  // Rolls the case back; never throws.
  void RollbackCase();
  // The time the case writers of this process spent waiting for and holding the write lock.
  static const CDaoCaseTimes& CaseTimes();
  // Runs hook once when the case takes the write lock, before the rows it
  // kept go in; its statements run in the case's transaction. A hook that
  // throws loses the case. The case's end forgets it.
  void SetCaseLockHook(std::function<void()> hook);

  // For the table definitions, recordsets and queries of this database.
  sqlite3* Handle() const;
  void BeginRows();
  void RowWritten();
  // Inside a case that has not taken the write lock: rows are kept, not written.
  bool KeepsRows() const { return m_core->m_bInCase && m_core->m_bDeferred; }
  // Keeps one row of insert (count values, their texts in text) for the case's lock.
  void KeepRow(const std::shared_ptr<CDaoInsert>& insert, const CDaoCell* cells, std::size_t count,
               const std::string& text);
  // Before a read of rows: a case's kept rows are written first, so the read sees them.
  void BeforeRead();
  // After a failed row: commits the rows before it when the engine kept the
  // transaction, else counts them as lost. Never throws.
  std::string EndRowsAfterFailure();
  void ExecSchema(const std::string& sql);
  // A statement that creates (created true) or drops the view of that name and changes nothing else.
  void ExecViewSchema(const std::string& sql, const std::string& view, bool created);
  // The number of indexes of the table (none when there is no such table).
  int IndexCount(const std::string& table);
  std::vector<CDaoFieldInfo> ReadFields(const std::string& table);

  // Tests open files through this SQLite VFS (fault injection); empty: the default.
  static void SetVfsForTesting(const std::string& vfsName);
  // How the databases wait for another connection's lock from now on.
  static void SetLockWait(const CDaoLockWait& wait);

 private:
  void OpenFile(const std::string& path, int flags);
  void KeepCaseTransaction();
  void RefreshSchema();
  // The order the kept rows go in, with the statements they need made; kept until a row is added.
  void PlanKeptRows();
  void WriteKeptRows();
  void DropKeptRows();
  void CheckpointAtClose();
  void TakeTurn();
  void LeaveQueue();
  void EndLockHeld();
  void CheckpointAfterTurn();
  void EndBatchTurn();
  void ThrowEngineError(const std::string& context, int rc) const;
  // The engine's busy handler (CDaoLockWait); core is the connection's Core.
  static int BusyWait(void* core, int count);

  // The connection and its transaction. Databases of one process opened on
  // the same file share it, so one never waits for the other's write lock
  // and a case's rows in both land in one transaction.
  struct Core {
    sqlite3* m_db = nullptr;
    bool m_bInTransaction = false;
    bool m_bInCase = false;
    bool m_bCaseLost = false;  // the engine rolled the case's transaction back
    int m_nPendingRows = 0;
    std::chrono::steady_clock::time_point m_batchStart;
    int m_nQueueFd = -1;     // the writers' queue file, opened at the first queued case
    bool m_bQueued = false;  // this connection's case holds the queue
    bool m_bDeferred = false;     // the case keeps its rows and has not taken the write lock
    bool m_bQueueWanted = false;  // the case takes its turn in the queue when it takes the lock
    bool m_bCommitting = false;   // the case takes the lock for its commit
    bool m_bCheckpointWanted = false;  // the log is to be checkpointed once the case has left the queue
    bool m_bBatchTurn = false;         // rows outside a case hold the queue until they are committed
    std::chrono::steady_clock::time_point m_lockTaken;  // when the case's write lock was taken
    std::int64_t m_nChangesAtLock = 0;  // the connection's changed rows when the case's write lock was taken
    std::int64_t m_nSchemaAtLock = 0;   // and its schema's version
    // The rows the case keeps, in the order written: a kRow cell (values, insert) and its values.
    std::vector<CDaoCell> m_keptCells;
    std::string m_keptText;
    std::vector<std::shared_ptr<CDaoInsert>> m_keptInserts;
    std::vector<std::size_t> m_keptOrder;  // the kept rows (their kRow cells) in the order they go in, once planned
    sqlite3_stmt* m_schemaCheck = nullptr;  // a read of the schema table: it reloads a schema another process changed
    std::uint64_t m_nTransactions = 0;      // write transactions begun
    std::uint64_t m_nViewNamesOf = 0;       // the write transaction whose view names m_viewNames holds (0: none)
    std::set<std::string> m_viewNames;      // upper case
    std::function<void()> m_lockHook;       // run when the case takes the write lock
    std::function<void()> m_spentLockHook;  // the hook run at the lock the case holds
    // The wait for another connection's lock: the file, when the wait began, whether it was told.
    std::string m_strWaitPath;
    std::chrono::steady_clock::time_point m_waitStart;
    bool m_bWaitTold = false;
  };
  // The live connection of another database of this process on that file, or null; with add, it becomes that.
  static std::shared_ptr<Core> SharedCore(const std::string& path, const std::shared_ptr<Core>& add);
  // The engine's hook after each commit of the connection of the Core in context.
  static int CheckpointAfterCommit(void* context, sqlite3* db, const char* name, int frames);

  std::shared_ptr<Core> m_core = std::make_shared<Core>();
  std::string m_path;
  bool m_bReadOnly = false;
};

class CDaoTableDef {
 public:
  explicit CDaoTableDef(CDaoDatabase* database) : m_pDatabase(database) {}
  ~CDaoTableDef() = default;
  CDaoTableDef(const CDaoTableDef&) = delete;
  CDaoTableDef& operator=(const CDaoTableDef&) = delete;

  // A new definition, made in the file by Append.
  void Create(const std::string& name, std::int32_t attributes = 0, const std::string& sourceTable = "",
              const std::string& connect = "");
  // An existing table; throws kDaoErrObjectNotFound when it does not exist.
  void Open(const std::string& name);
  void Append();
  void Close();
  bool IsOpen() const { return m_bOpen; }
  const std::string& GetName() const { return m_strName; }

  // In a new definition the field joins the definition; in an appended one it is added to the table.
  void CreateField(const std::string& name, std::int16_t type, std::int32_t size, std::int32_t attributes = 0);
  // Throws kDaoErrItemNotFound when the table has no such field (names ignore case).
  void GetFieldInfo(const std::string& name, CDaoFieldInfo& info);
  int GetFieldCount();
  // Once a table has an index it keeps one (indexes go only with their table), so a count above 0 is kept.
  int GetIndexCount();
  // Index names take the table's name followed by "_Key" when they equal it.
  void CreateIndex(const CDaoIndexInfo& info);

  CDaoDatabase* m_pDatabase;

 private:
  void CheckOpen() const;
  const std::vector<CDaoFieldInfo>& Fields();

  std::string m_strName;
  bool m_bOpen = false;
  bool m_bNew = false;
  std::vector<CDaoFieldInfo> m_newFields;
  std::vector<CDaoFieldInfo> m_fieldCache;
  bool m_bFieldCacheValid = false;
  int m_nIndexCount = 0;
};

class CDaoRecordset {
 public:
  explicit CDaoRecordset(CDaoDatabase* database) : m_pDatabase(database) {}
  ~CDaoRecordset();
  CDaoRecordset(const CDaoRecordset&) = delete;
  CDaoRecordset& operator=(const CDaoRecordset&) = delete;

  // A table recordset (dbOpenTable); dbAppendOnly reads no rows.
  void Open(CDaoTableDef* tableDef, int type = dbOpenTable, int options = 0);
  // A read-only result of a SELECT (dbOpenDynaset), positioned on its first row.
  void Open(int type, const std::string& sql, int options = 0);
  void Close();
  bool IsOpen() const { return m_bOpen; }
  bool CanAppend() const;
  bool CanUpdate() const;

  void AddNew();
  // The field by name (ignoring case); throws kDaoErrItemNotFound for an unknown field.
  void SetFieldValue(const std::string& field, const plat::Variant& value);
  void SetFieldValueNull(const std::string& field);
  // The position of a field of a table recordset (names ignore case), -1 when it has none.
  int FieldIndex(const std::string& field) const;
  const CDaoFieldInfo& FieldInfo(int index) const { return m_fields.at(static_cast<std::size_t>(index)); }
  // Values of the new row by position, in their native types. A date is an OLE
  // date; one that has no text form is Null. A text is Windows-1252.
  void SetFieldInteger(int index, std::int64_t value);
  void SetFieldDouble(int index, double value);
  void SetFieldDate(int index, double date);
  void SetFieldText(int index, std::string_view text);
  void SetFieldNull(int index);
  // Writes the new row; throws when there is none or the write fails.
  void Update();

  bool IsEOF() const { return m_bEof; }
  void MoveNext();
  int GetFieldCount() const;
  plat::Variant GetFieldValue(int index) const;

 private:
  struct StmtDeleter {
    void operator()(sqlite3_stmt* stmt) const;
  };
  void CheckOpen() const;
  void Step();
  CDaoCell& Cell(int index);

  CDaoDatabase* m_pDatabase;
  bool m_bOpen = false;
  bool m_bTable = false;
  bool m_bEof = true;
  bool m_bEditing = false;
  std::string m_strTable;
  std::vector<CDaoFieldInfo> m_fields;
  // Field names compare ignoring case.
  struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  std::map<std::string, int, NoCaseLess> m_fieldIndex;
  // The new row: its values and the UTF-8 bytes of its texts.
  std::vector<CDaoCell> m_row;
  std::string m_rowText;
  // The last date written and its text (a table's dates repeat).
  double m_lastDate = 0;
  std::string m_lastDateText;
  std::shared_ptr<CDaoInsert> m_insert;           // table recordsets
  std::unique_ptr<sqlite3_stmt, StmtDeleter> m_stmt;  // read-only results
};

class CDaoQueryDef {
 public:
  explicit CDaoQueryDef(CDaoDatabase* database) : m_pDatabase(database) {}
  CDaoQueryDef(const CDaoQueryDef&) = delete;
  CDaoQueryDef& operator=(const CDaoQueryDef&) = delete;

  void Create(const std::string& name, const std::string& sql);
  // Throws kDaoErrItemNotFound when there is no saved query of that name.
  void Open(const std::string& name);
  // A query becomes a view; one that cannot be a view is kept as a saved statement.
  void Append();
  void Close() { m_bOpen = false; }
  bool IsOpen() const { return m_bOpen; }
  const std::string& GetSQL() const { return m_strSql; }

  CDaoDatabase* m_pDatabase;

 private:
  std::string m_strName;
  std::string m_strSql;
  bool m_bOpen = false;
};

// The saved statements that could not become views.
inline constexpr const char* kSavedStatementsTable = "OstrelSavedStatements";

// The text quoted as an SQL identifier ("a""b").
std::string DaoQuoteIdentifier(const std::string& name);
