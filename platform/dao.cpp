#include "platform/dao.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <stdio.h>
#include <strings.h>
#include <sys/file.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

#include "platform/name_compare.h"
#include "platform/ole_date_time.h"
#include "platform/statement_kill_hook.h"
#include "platform/text_encoding.h"

namespace {

std::string& TestVfs() {
  static std::string vfs;
  return vfs;
}

std::string Upper(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Switching a new file to WAL, or stamping its version, while another worker opens the same new file can be
// refused with SQLITE_BUSY without the busy handler (SQLite's deadlock avoidance): try again for a while.
int ExecSetup(sqlite3* db, const char* sql, int timeoutMillis) {
  constexpr int kStepMillis = 5;
  int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  for (int waited = 0; (rc & 0xFF) == SQLITE_BUSY && waited < timeoutMillis; waited += kStepMillis) {
    sqlite3_sleep(kStepMillis);
    rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  }
  return rc;
}

using plat::EqualNoCase;

// Whether sql is one statement that neither makes nor drops a view (rows, tables, indexes).
bool LeavesViews(std::string_view sql) {
  while (!sql.empty() && (std::isspace(static_cast<unsigned char>(sql.back())) || sql.back() == ';'))
    sql.remove_suffix(1);
  if (sql.find(';') != std::string_view::npos) return false;
  while (!sql.empty() && std::isspace(static_cast<unsigned char>(sql.front()))) sql.remove_prefix(1);
  for (const char* head : {"INSERT ", "UPDATE ", "DELETE ", "SELECT ", "CREATE TABLE ", "CREATE INDEX ",
                           "CREATE UNIQUE INDEX ", "ALTER TABLE "})
    if (plat::StartsWithNoCase(sql, head)) return true;
  return false;
}

CDaoCaseTimes g_caseTimes;

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// "DELETE * FROM" is Access dialect; SQLite wants "DELETE FROM".
std::string ToSqliteDialect(const std::string& sql) {
  std::size_t pos = 0;
  while (pos < sql.size() && std::isspace(static_cast<unsigned char>(sql[pos]))) ++pos;
  if (!plat::StartsWithNoCase(std::string_view(sql).substr(pos), "DELETE")) return sql;
  std::size_t star = pos + 6;
  while (star < sql.size() && std::isspace(static_cast<unsigned char>(sql[star]))) ++star;
  if (star >= sql.size() || sql[star] != '*') return sql;
  return sql.substr(0, pos + 6) + sql.substr(star + 1);
}

std::string DeclaredType(std::int16_t type, std::int32_t size) {
  switch (type) {
    case dbDate: return "DATETIME";
    case dbDouble: return "DOUBLE";
    case dbLong: return "INTEGER";
    case dbInteger: return "SMALLINT";
    case dbText: return "VARCHAR(" + std::to_string(size > 0 ? size : 255) + ") COLLATE NOCASE";
    case dbMemo: return "TEXT";
    default: throw CDaoException(kDaoErrEngine, "Unsupported field type " + std::to_string(type) + ".");
  }
}

CDaoFieldInfo FieldFromDeclaration(const std::string& name, const std::string& declared) {
  CDaoFieldInfo info;
  info.m_strName = name;
  std::string up = Upper(declared);
  if (up.rfind("DATETIME", 0) == 0 || up.rfind("DATE", 0) == 0) {
    info.m_nType = dbDate;
    info.m_lSize = 8;
  } else if (up.rfind("DOUBLE", 0) == 0 || up.rfind("REAL", 0) == 0 || up.rfind("FLOAT", 0) == 0) {
    info.m_nType = dbDouble;
    info.m_lSize = 8;
  } else if (up.rfind("SMALLINT", 0) == 0) {
    info.m_nType = dbInteger;
    info.m_lSize = 2;
  } else if (up.rfind("INT", 0) == 0 || up.rfind("BIGINT", 0) == 0) {
    info.m_nType = dbLong;
    info.m_lSize = 4;
  } else if (up.rfind("VARCHAR", 0) == 0 || up.rfind("CHAR", 0) == 0) {
    info.m_nType = dbText;
    std::size_t open = up.find('(');
    info.m_lSize = open == std::string::npos ? 255 : std::atoi(up.c_str() + open + 1);
  } else {
    info.m_nType = dbMemo;
  }
  return info;
}

struct StmtCloser {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using StmtPtr = std::unique_ptr<sqlite3_stmt, StmtCloser>;

// The integer a pragma answers (-1 when it cannot be read).
std::int64_t PragmaInteger(sqlite3* db, const char* pragma) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, pragma, -1, &raw, nullptr) != SQLITE_OK) return -1;
  const StmtPtr stmt(raw);
  return sqlite3_step(raw) == SQLITE_ROW ? sqlite3_column_int64(raw, 0) : -1;
}

// The schema's version as this connection's transaction sees it: every change of a table, index or view
// moves it.
std::int64_t SchemaVersion(sqlite3* db) { return PragmaInteger(db, "PRAGMA schema_version;"); }

// Binds one row's values to the parameters of insert from first on (texts from text).
void BindRow(sqlite3_stmt* insert, int first, const CDaoCell* cells, std::size_t count, const char* text) {
  for (std::size_t i = 0; i < count; ++i) {
    const CDaoCell& cell = cells[i];
    const int index = first + static_cast<int>(i);
    switch (cell.kind) {
      case CDaoCell::kInteger: sqlite3_bind_int64(insert, index, cell.integer); break;
      case CDaoCell::kDouble: sqlite3_bind_double(insert, index, cell.number); break;
      case CDaoCell::kText:
        sqlite3_bind_text(insert, index, text + cell.offset, static_cast<int>(cell.length), SQLITE_STATIC);
        break;
      default: sqlite3_bind_null(insert, index); break;
    }
  }
}

// Binds one row's values to insert and runs it; the engine's result.
int StepRow(sqlite3_stmt* insert, const CDaoCell* cells, std::size_t count, const char* text) {
  BindRow(insert, 1, cells, count, text);
  const int rc = sqlite3_step(insert);
  sqlite3_reset(insert);
  return rc;
}

std::string ColumnText(sqlite3_stmt* stmt, int column) {
  const unsigned char* text = sqlite3_column_text(stmt, column);
  return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

}  // namespace

struct CDaoInsert {
  sqlite3_stmt* stmt = nullptr;
  std::string table;
  std::string head;  // "INSERT INTO <table> (<columns>)", for the statement of several rows
  std::size_t columns = 0;
  // [k] inserts 2^k rows at once (k from 1), made at its first use; a statement that cannot be made is marked
  // failed and its rows go in by smaller ones.
  std::array<sqlite3_stmt*, 6> rows{};
  std::array<bool, 6> rowsFailed{};
  ~CDaoInsert() {
    for (sqlite3_stmt* statement : rows) sqlite3_finalize(statement);
    sqlite3_finalize(stmt);
  }
};

std::string DaoQuoteIdentifier(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

CDaoException::CDaoException(std::int32_t code, std::string description) : CException(description) {
  CDaoErrorInfo info;
  info.m_lErrorCode = code;
  info.m_strSource = "DAO.Database";
  info.m_strDescription = std::move(description);
  m_errors.push_back(std::move(info));
}

// ---- CDaoDatabase

CDaoDatabase::~CDaoDatabase() {
  try {
    Close();
  } catch (const CDaoException&) {
    // a destructor cannot report; Close has rolled back what it could not commit
  }
}

std::shared_ptr<CDaoDatabase::Core> CDaoDatabase::SharedCore(const std::string& path,
                                                             const std::shared_ptr<Core>& add) {
  static std::mutex mutex;
  static std::map<std::string, std::weak_ptr<Core>> cores;
  std::error_code ec;
  const std::string key = std::filesystem::weakly_canonical(plat::Cp1252ToUtf8(path), ec).string();
  std::lock_guard<std::mutex> lock(mutex);
  if (add) {
    cores[key] = add;
    return add;
  }
  auto it = cores.find(key);
  if (it == cores.end()) return nullptr;
  std::shared_ptr<Core> core = it->second.lock();
  if (!core || core->m_db == nullptr) {
    cores.erase(it);
    return nullptr;
  }
  return core;
}

void CDaoDatabase::SetVfsForTesting(const std::string& vfsName) { TestVfs() = vfsName; }

namespace {

CDaoLockWait& LockWait() {
  static CDaoLockWait wait;
  return wait;
}

}  // namespace

void CDaoDatabase::SetLockWait(const CDaoLockWait& wait) { LockWait() = wait; }

int CDaoDatabase::BusyWait(void* core, int count) {
  Core& c = *static_cast<Core*>(core);
  const CDaoLockWait& wait = LockWait();
  const auto now = std::chrono::steady_clock::now();
  if (count == 0) {
    c.m_waitStart = now;
    c.m_bWaitTold = false;
  }
  if (wait.stopRequested ? wait.stopRequested() : now - c.m_waitStart >= std::chrono::milliseconds(kBusyTimeoutMillis))
    return 0;
  const auto waited = std::chrono::duration_cast<std::chrono::seconds>(now - c.m_waitStart);
  if (!c.m_bWaitTold && wait.longWait && waited.count() >= wait.noticeSeconds) {
    c.m_bWaitTold = true;
    wait.longWait(c.m_strWaitPath, static_cast<int>(waited.count()));
  }
  // The engine does not say when a lock is released: look again after a pause that grows to a tenth of a second.
  static constexpr int kPauses[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50};
  sqlite3_sleep(count < static_cast<int>(std::size(kPauses)) ? kPauses[count] : 100);
  return 1;
}

sqlite3* CDaoDatabase::Handle() const {
  if (m_core->m_db == nullptr) throw CDaoException(kDaoErrNotOpen, "The database is not open.");
  return m_core->m_db;
}

void CDaoDatabase::ThrowEngineError(const std::string& context, int rc) const {
  const char* message = m_core->m_db ? sqlite3_errmsg(m_core->m_db) : sqlite3_errstr(rc);
  int primary = rc & 0xFF;
  std::int32_t code = kDaoErrEngine;
  if (primary == SQLITE_BUSY) code = kDaoErrTableInUse;
  else if (primary == SQLITE_LOCKED) code = kDaoErrTableLocked;
  else if (primary == SQLITE_READONLY) code = kDaoErrReadOnly;
  else if (primary == SQLITE_NOTADB) code = kDaoErrFormat;
  throw CDaoException(code, context + ": " + plat::Utf8ToCp1252(message ? message : "unknown error"));
}

void CDaoDatabase::OpenFile(const std::string& path, int flags) {
  const std::string& vfs = TestVfs();
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(plat::Cp1252ToUtf8(path).c_str(), &db, flags | SQLITE_OPEN_NOMUTEX,
                           vfs.empty() ? nullptr : vfs.c_str());
  if (rc != SQLITE_OK) {
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    throw CDaoException((rc & 0xFF) == SQLITE_CANTOPEN ? kDaoErrFileNotFound : kDaoErrEngine,
                        "Cannot open '" + path + "': " + plat::Utf8ToCp1252(message));
  }
  m_core->m_db = db;
  m_path = path;
  m_bReadOnly = (flags & SQLITE_OPEN_READONLY) != 0;
  m_core->m_strWaitPath = path;
  sqlite3_busy_handler(m_core->m_db, &CDaoDatabase::BusyWait, m_core.get());
  sqlite3_extended_result_codes(m_core->m_db, 1);
  // A double-quoted name is always an identifier: an unknown column is an error, not a string literal.
  sqlite3_db_config(m_core->m_db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  sqlite3_db_config(m_core->m_db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  // Reading the schema proves the file is a database; WAL lets several workers write it.
  const std::string setup = m_bReadOnly ? std::string("PRAGMA schema_version;")
                                        : "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; "
                                          "PRAGMA journal_size_limit=" + std::to_string(kWalSizeLimit) + ";";
  rc = ExecSetup(m_core->m_db, setup.c_str(), kBusyTimeoutMillis);
  if (rc == SQLITE_OK && !m_bReadOnly) sqlite3_wal_hook(m_core->m_db, CheckpointAfterCommit, m_core.get());
  if (rc != SQLITE_OK) {
    std::string message = sqlite3_errmsg(m_core->m_db);
    sqlite3_close(m_core->m_db);
    m_core->m_db = nullptr;
    throw CDaoException((rc & 0xFF) == SQLITE_NOTADB ? kDaoErrFormat : kDaoErrEngine,
                        "Cannot open '" + path + "': " + plat::Utf8ToCp1252(message));
  }
}

void CDaoDatabase::Create(const std::string& path, const char* /*locale*/, int options) {
  if (IsOpen()) throw CDaoException(kDaoErrEngine, "The database object is already open.");
  const std::string file = plat::Cp1252ToUtf8(path);
  std::error_code ec;
  if (std::filesystem::exists(file, ec))
    throw CDaoException(kDaoErrDatabaseExists, "Database '" + path + "' already exists.");
  // The file is made whole under a name of this process and then linked to its own name, which
  // fails when that name exists: workers that create one results file at once never see it half
  // made, and none replaces the file another one made and opened.
  static std::atomic<unsigned> serial{0};
  const std::string scratch = file + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
  auto removeScratch = [&scratch] {
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) std::filesystem::remove(scratch + suffix, ignored);
  };
  {
    sqlite3* db = nullptr;
    const std::string& vfs = TestVfs();
    int rc = sqlite3_open_v2(scratch.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                             vfs.empty() ? nullptr : vfs.c_str());
    const std::string setup =
        "PRAGMA user_version=" + std::string((options & dbVersion30) ? "30" : "40") + "; PRAGMA journal_mode=WAL;";
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, setup.c_str(), nullptr, nullptr, nullptr);
    const std::string message = rc == SQLITE_OK ? std::string() : db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    if (sqlite3_close(db) != SQLITE_OK && rc == SQLITE_OK) rc = SQLITE_ERROR;
    if (rc != SQLITE_OK) {
      removeScratch();
      throw CDaoException((rc & 0xFF) == SQLITE_CANTOPEN ? kDaoErrFileNotFound : kDaoErrEngine,
                          "Cannot create '" + path + "': " + plat::Utf8ToCp1252(message));
    }
  }
  int err = ::link(scratch.c_str(), file.c_str()) == 0 ? 0 : errno;
  if (err != 0 && err != EEXIST)
    // No hard links on this file system: a rename that refuses to replace does the same.
    err = ::renameat2(AT_FDCWD, scratch.c_str(), AT_FDCWD, file.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
  removeScratch();
  if (err == EEXIST) throw CDaoException(kDaoErrDatabaseExists, "Database '" + path + "' already exists.");
  if (err != 0)
    throw CDaoException(kDaoErrEngine, "Cannot create '" + path + "': " + std::string(std::strerror(err)));
  OpenFile(path, SQLITE_OPEN_READWRITE);
  SharedCore(path, m_core);
}

void CDaoDatabase::Open(const std::string& path, bool /*exclusive*/, bool readOnly, const std::string& /*connect*/) {
  if (IsOpen()) throw CDaoException(kDaoErrEngine, "The database object is already open.");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(plat::Cp1252ToUtf8(path), ec))
    throw CDaoException(kDaoErrFileNotFound, "Could not find file '" + path + "'.");
  if (!readOnly) {
    if (std::shared_ptr<Core> core = SharedCore(path, nullptr)) {
      m_core = std::move(core);
      m_path = path;
      m_bReadOnly = false;
      return;
    }
  }
  OpenFile(path, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
  if (!readOnly) SharedCore(path, m_core);
}

void CDaoDatabase::Close() {
  if (m_core->m_db == nullptr) return;
  if (m_core.use_count() > 1) {
    // Another database of this process goes on with the connection and with a case's transaction.
    try {
      CommitPending();
    } catch (const CDaoException&) {
      m_core = std::make_shared<Core>();
      throw;
    }
    m_core = std::make_shared<Core>();
    return;
  }
  std::string failure;
  if (m_core->m_bCaseLost) failure = "The rows of the case were rolled back by the database engine.";
  // A database closed inside a case commits what the case wrote into it.
  if (m_core->m_bInCase && m_core->m_bDeferred && failure.empty() && !m_core->m_keptCells.empty()) {
    try {
      HoldWriteLock();
    } catch (const CDaoException& e) {
      failure = e.what();
    }
  }
  DropKeptRows();
  m_core->m_bDeferred = false;
  m_core->m_bInCase = false;
  m_core->m_bCaseLost = false;
  if (m_core->m_bInTransaction && failure.empty()) {
    try {
      CommitPending();
    } catch (const CDaoException& e) {
      failure = e.what();
    }
  }
  if (failure.empty()) CheckpointAtClose();
  sqlite3_finalize(m_core->m_schemaCheck);
  m_core->m_schemaCheck = nullptr;
  m_core->m_nViewNamesOf = 0;
  sqlite3_close_v2(m_core->m_db);
  m_core->m_db = nullptr;
  m_core->m_bInTransaction = false;
  m_core->m_nPendingRows = 0;
  LeaveQueue();
  if (m_core->m_nQueueFd >= 0) ::close(m_core->m_nQueueFd);
  m_core->m_nQueueFd = -1;
  if (!failure.empty()) throw CDaoException(kDaoErrEngine, failure);
}

std::string CDaoDatabase::GetVersion() const {
  StmtPtr stmt;
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(Handle(), "PRAGMA user_version;", -1, &raw, nullptr) != SQLITE_OK) return "4.0";
  stmt.reset(raw);
  int version = sqlite3_step(raw) == SQLITE_ROW ? sqlite3_column_int(raw, 0) : 40;
  return version == 30 ? "3.0" : "4.0";
}

void CDaoDatabase::KeepCaseTransaction() {
  if (!m_core->m_bInCase || m_core->m_db == nullptr || sqlite3_get_autocommit(m_core->m_db) == 0) return;
  // The engine undid the case after a failed write: what follows must not land on its own.
  m_core->m_bCaseLost = true;
  m_core->m_bInTransaction = false;
}

void CDaoDatabase::BeginRows() {
  KeepCaseTransaction();
  if (m_core->m_bInTransaction) return;
  // A process that queues its cases on the file takes its turn for its other rows as well: they would
  // otherwise poll for the write lock between the cases of the queue, and make a case wait for them.
  if (!m_core->m_bInCase && m_core->m_nQueueFd >= 0 && !m_core->m_bQueued) {
    TakeTurn();
    m_core->m_bBatchTurn = m_core->m_bQueued;
  }
  plat::CountStatement();
  int rc = sqlite3_exec(Handle(), "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    EndBatchTurn();
    ThrowEngineError("Cannot begin writing", rc);
  }
  ++m_core->m_nTransactions;
  m_core->m_bInTransaction = true;
  m_core->m_nPendingRows = 0;
  m_core->m_batchStart = std::chrono::steady_clock::now();
}

void CDaoDatabase::RowWritten() {
  ++m_core->m_nPendingRows;
  if (m_core->m_bInCase) return;
  if (m_core->m_nPendingRows >= kBatchRows ||
      std::chrono::steady_clock::now() - m_core->m_batchStart >= std::chrono::milliseconds(kBatchMillis))
    CommitPending();
}

void CDaoDatabase::BeginCase(bool queue) {
  if (m_core->m_bInCase) return;
  CommitPending();
  Handle();
  DropKeptRows();
  m_core->m_bInCase = true;
  m_core->m_bDeferred = true;
  m_core->m_lockHook = nullptr;
  m_core->m_spentLockHook = nullptr;
  m_core->m_bQueueWanted = queue;
  m_core->m_bCaseLost = false;
  m_core->m_nPendingRows = 0;
}

void CDaoDatabase::HoldWriteLock() {
  Core& core = *m_core;
  if (!core.m_bInCase || !core.m_bDeferred) return;
  // The order of the kept rows and their statements are made before the turn: the other writers do not wait
  // for that.
  PlanKeptRows();
  core.m_bDeferred = false;
  if (core.m_bQueueWanted) TakeTurn();
  const auto waitStart = std::chrono::steady_clock::now();
  plat::CountStatement();
  const int rc = sqlite3_exec(Handle(), "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr);
  g_caseTimes.m_dLockWait += SecondsSince(waitStart);
  if (rc != SQLITE_OK) {
    // The kept rows cannot land: the case is lost, and its commit says so.
    DropKeptRows();
    core.m_bCaseLost = true;
    LeaveQueue();
    ThrowEngineError("Cannot begin writing the case", rc);
  }
  ++core.m_nTransactions;
  core.m_bInTransaction = true;
  core.m_lockTaken = std::chrono::steady_clock::now();
  core.m_nChangesAtLock = sqlite3_total_changes64(core.m_db);
  core.m_nSchemaAtLock = SchemaVersion(core.m_db);
  ++g_caseTimes.m_nLocks;
  if (!core.m_bCommitting) ++g_caseTimes.m_nEarlyLocks;
  if (core.m_lockHook) {
    // Kept for the case's next lock when this one is given back (DeferWriteLock).
    core.m_spentLockHook = std::move(core.m_lockHook);
    core.m_lockHook = nullptr;
    try {
      core.m_spentLockHook();
    } catch (...) {
      DropKeptRows();
      core.m_bCaseLost = true;
      throw;
    }
  }
  WriteKeptRows();
}

std::int64_t CDaoDatabase::DataVersion() { return PragmaInteger(Handle(), "PRAGMA data_version;"); }

bool CDaoDatabase::TakeTurnUnlessChanged(std::int64_t version) {
  Core& core = *m_core;
  if (!core.m_bInCase || !core.m_bDeferred || !core.m_bQueueWanted) return true;
  TakeTurn();
  // Without the queue file the engine's lock is the only wait, and nothing is to be given back.
  if (!core.m_bQueued || (version >= 0 && DataVersion() == version)) return true;
  LeaveQueue();
  return false;
}

bool CDaoDatabase::DeferWriteLock() {
  Core& core = *m_core;
  if (!core.m_bInCase || core.m_bDeferred || core.m_bCaseLost || core.m_db == nullptr || core.m_nPendingRows != 0)
    return false;
  if (sqlite3_total_changes64(core.m_db) != core.m_nChangesAtLock || core.m_nSchemaAtLock < 0 ||
      SchemaVersion(core.m_db) != core.m_nSchemaAtLock)
    return false;
  if (sqlite3_get_autocommit(core.m_db) == 0) sqlite3_exec(core.m_db, "ROLLBACK;", nullptr, nullptr, nullptr);
  core.m_bInTransaction = false;
  EndLockHeld();
  LeaveQueue();
  core.m_bDeferred = true;
  core.m_lockHook = std::move(core.m_spentLockHook);
  core.m_spentLockHook = nullptr;
  return true;
}

const CDaoCaseTimes& CDaoDatabase::CaseTimes() { return g_caseTimes; }

int CDaoDatabase::CheckpointAfterCommit(void* context, sqlite3* db, const char* name, int frames) {
  if (frames < kCheckpointFrames) return SQLITE_OK;
  Core& core = *static_cast<Core*>(context);
  // A case in its turn copies the log after the turn, unless the log has grown long while writers followed
  // each other: then the next writer is to start it again from the beginning.
  if (core.m_bQueued && frames < kTurnCheckpointFrames) {
    core.m_bCheckpointWanted = true;
    return SQLITE_OK;
  }
  const auto start = std::chrono::steady_clock::now();
  sqlite3_wal_checkpoint_v2(db, name, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
  g_caseTimes.m_dCheckpoint += SecondsSince(start);
  core.m_bCheckpointWanted = false;
  return SQLITE_OK;
}

void CDaoDatabase::EndBatchTurn() {
  if (!m_core->m_bBatchTurn) return;
  m_core->m_bBatchTurn = false;
  LeaveQueue();
  CheckpointAfterTurn();
}

void CDaoDatabase::CheckpointAfterTurn() {
  Core& core = *m_core;
  if (!core.m_bCheckpointWanted || core.m_db == nullptr) return;
  core.m_bCheckpointWanted = false;
  // Other writers go on meanwhile; what they add is copied by a later checkpoint.
  const auto start = std::chrono::steady_clock::now();
  sqlite3_wal_checkpoint_v2(core.m_db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
  g_caseTimes.m_dLateCheckpoint += SecondsSince(start);
}

void CDaoDatabase::EndLockHeld() {
  Core& core = *m_core;
  core.m_bCommitting = false;
  if (core.m_lockTaken == std::chrono::steady_clock::time_point{}) return;
  g_caseTimes.m_dLockHeld += SecondsSince(core.m_lockTaken);
  core.m_lockTaken = {};
}

void CDaoDatabase::SetCaseLockHook(std::function<void()> hook) {
  if (m_core->m_bInCase && m_core->m_bDeferred) m_core->m_lockHook = std::move(hook);
}

namespace {

// The most rows one statement inserts when a case's kept rows go in (2^5), and the most values (SQLite's
// smallest limit on parameters).
constexpr std::size_t kRowsPerInsertLog2 = 5;
constexpr std::size_t kValuesPerInsert = 999;

// The statement of insert that takes 2^k rows at once, made at its first use; null when it cannot be made
// (then for good, unless the engine was only busy).
sqlite3_stmt* RowsStatement(sqlite3* db, CDaoInsert& insert, std::size_t k) {
  if (insert.rows[k] || insert.rowsFailed[k]) return insert.rows[k];
  std::string one = "(";
  for (std::size_t c = 0; c < insert.columns; ++c) one += c ? ", ?" : "?";
  one += ")";
  std::string sql = insert.head + " VALUES ";
  for (std::size_t r = 0; r < (std::size_t{1} << k); ++r) sql += (r ? ", " : "") + one;
  const int rc = sqlite3_prepare_v3(db, (sql + ";").c_str(), -1, SQLITE_PREPARE_PERSISTENT, &insert.rows[k], nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(insert.rows[k]);
    insert.rows[k] = nullptr;
    insert.rowsFailed[k] = (rc & 0xFF) != SQLITE_BUSY && (rc & 0xFF) != SQLITE_LOCKED;
  }
  return insert.rows[k];
}

// Walks the kept rows (cells, their inserts) in order as they go in, one statement at a time: rows that
// follow each other into one table go by the largest statement of a power of two rows (up to
// 2^kRowsPerInsertLog2 rows and kValuesPerInsert values) that the rows left fill. step(insert, statement,
// next, count) gets the statement of count rows from order[next] on, or null for one row by the insert's
// own statement, and returns false to stop.
template <typename Step>
void ForEachKeptStatement(sqlite3* db, const std::vector<CDaoCell>& cells,
                          const std::vector<std::shared_ptr<CDaoInsert>>& inserts,
                          const std::vector<std::size_t>& order, Step step) {
  for (std::size_t next = 0; next < order.size();) {
    const CDaoCell& row = cells[order[next]];
    CDaoInsert& insert = *inserts[static_cast<std::size_t>(row.integer)];
    std::size_t run = 1;
    if (!insert.head.empty() && row.length == insert.columns)
      while (next + run < order.size() && cells[order[next + run]].integer == row.integer &&
             cells[order[next + run]].length == insert.columns && run < (std::size_t{1} << kRowsPerInsertLog2))
        ++run;
    std::size_t k = 0;
    while (k < kRowsPerInsertLog2 && (std::size_t{2} << k) <= run &&
           (std::size_t{2} << k) * insert.columns <= kValuesPerInsert)
      ++k;
    sqlite3_stmt* statement = nullptr;
    while (k > 0 && (statement = RowsStatement(db, insert, k)) == nullptr) --k;
    const std::size_t count = statement != nullptr ? std::size_t{1} << k : 1;
    if (!step(insert, statement, next, count)) return;
    next += count;
  }
}

}  // namespace

void CDaoDatabase::PlanKeptRows() {
  Core& core = *m_core;
  if (!core.m_keptOrder.empty() || core.m_keptCells.empty()) return;
  const std::vector<CDaoCell>& cells = core.m_keptCells;
  // The rows go in table by table, each table's rows in the order written (so each gets the row id it would
  // have got in that order): a table's rows then fill its pages one after the other.
  const std::size_t slots = core.m_keptInserts.size();
  std::vector<std::size_t> tableOf(slots);
  {
    std::vector<std::size_t> firstSlot;  // of each table, in the order of the slots
    for (std::size_t slot = 0; slot < slots; ++slot) {
      std::size_t table = 0;
      while (table < firstSlot.size() &&
             !plat::EqualNoCase(core.m_keptInserts[firstSlot[table]]->table, core.m_keptInserts[slot]->table))
        ++table;
      if (table == firstSlot.size()) firstSlot.push_back(slot);
      tableOf[slot] = table;
    }
  }
  std::vector<std::size_t> rowsBefore(slots + 1, 0);  // per table, then its start in the order
  std::size_t rows = 0;
  for (std::size_t at = 0; at < cells.size(); at += 1 + cells[at].length, ++rows)
    ++rowsBefore[tableOf[static_cast<std::size_t>(cells[at].integer)] + 1];
  for (std::size_t table = 1; table <= slots; ++table) rowsBefore[table] += rowsBefore[table - 1];
  std::vector<std::size_t>& order = core.m_keptOrder;
  order.resize(rows);
  for (std::size_t at = 0; at < cells.size(); at += 1 + cells[at].length)
    order[rowsBefore[tableOf[static_cast<std::size_t>(cells[at].integer)]]++] = at;
  // The statements of several rows are made now, the first time a table needs them.
  ForEachKeptStatement(core.m_db, cells, core.m_keptInserts, order,
                       [](CDaoInsert&, sqlite3_stmt*, std::size_t, std::size_t) { return true; });
}

void CDaoDatabase::WriteKeptRows() {
  Core& core = *m_core;
  PlanKeptRows();
  const std::vector<CDaoCell>& cells = core.m_keptCells;
  const std::vector<std::size_t>& order = core.m_keptOrder;
  const char* text = core.m_keptText.data();
  int rc = SQLITE_DONE;
  std::string failure;
  ForEachKeptStatement(core.m_db, cells, core.m_keptInserts, order,
                       [&](CDaoInsert& insert, sqlite3_stmt* statement, std::size_t next, std::size_t count) {
                         plat::CountStatement(&insert);
                         if (statement != nullptr) {
                           for (std::size_t r = 0; r < count; ++r)
                             BindRow(statement, static_cast<int>(r * insert.columns) + 1, &cells[order[next + r] + 1],
                                     insert.columns, text);
                           rc = sqlite3_step(statement);
                           sqlite3_reset(statement);
                         } else {
                           const CDaoCell& row = cells[order[next]];
                           rc = StepRow(insert.stmt, &cells[order[next] + 1], row.length, text);
                         }
                         if (rc == SQLITE_DONE) return true;
                         failure = "Cannot add a row to '" + insert.table +
                                   "': " + plat::Utf8ToCp1252(sqlite3_errmsg(core.m_db)) + ".";
                         return false;
                       });
  DropKeptRows();
  if (rc != SQLITE_DONE) {
    EndRowsAfterFailure();
    core.m_bCaseLost = true;
    throw CDaoException((rc & 0xFF) == SQLITE_BUSY ? kDaoErrTableInUse : kDaoErrEngine, failure);
  }
}

void CDaoDatabase::DropKeptRows() {
  Core& core = *m_core;
  core.m_keptCells.clear();
  core.m_keptText.clear();
  core.m_keptInserts.clear();
  core.m_keptOrder.clear();
}

void CDaoDatabase::KeepRow(const std::shared_ptr<CDaoInsert>& insert, const CDaoCell* cells, std::size_t count,
                           const std::string& text) {
  Core& core = *m_core;
  // One statement slot per recordset: its rows follow each other, so the last slot is nearly always it.
  std::size_t slot = core.m_keptInserts.size();
  for (std::size_t i = core.m_keptInserts.size(); i-- > 0;)
    if (core.m_keptInserts[i] == insert) {
      slot = i;
      break;
    }
  if (slot == core.m_keptInserts.size()) core.m_keptInserts.push_back(insert);
  core.m_keptOrder.clear();
  CDaoCell row;
  row.kind = CDaoCell::kRow;
  row.length = static_cast<std::uint32_t>(count);
  row.integer = static_cast<std::int64_t>(slot);
  core.m_keptCells.push_back(row);
  const std::uint64_t base = core.m_keptText.size();
  core.m_keptText += text;
  for (std::size_t i = 0; i < count; ++i) {
    core.m_keptCells.push_back(cells[i]);
    if (cells[i].kind == CDaoCell::kText) core.m_keptCells.back().offset += base;
  }
  ++core.m_nPendingRows;
  // A very large case writes on under the lock rather than hold all its rows.
  if (core.m_keptCells.size() >= kKeptCellLimit) HoldWriteLock();
}

void CDaoDatabase::BeforeRead() {
  if (KeepsRows() && !m_core->m_keptCells.empty()) HoldWriteLock();
}

void CDaoDatabase::CheckpointAtClose() {
  Core& core = *m_core;
  if (core.m_db == nullptr || m_bReadOnly) return;
  // The last process to close a file removes its log; processes closing together may each leave it to
  // the other. Whoever finds no writer copies the log into the file and empties it, waiting briefly.
  sqlite3_busy_timeout(core.m_db, kCloseCheckpointMillis);
  sqlite3_wal_checkpoint_v2(core.m_db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
}

void CDaoDatabase::TakeTurn() {
  if (m_core->m_bQueued) return;
  if (m_core->m_nQueueFd < 0) {
    const std::string lockFile = plat::Cp1252ToUtf8(m_path) + kQueueSuffix;
    m_core->m_nQueueFd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    // Without the queue file (a read-only directory) the engine's busy timeout is the only wait.
    if (m_core->m_nQueueFd < 0) return;
  }
  // The kernel holds the waiting writers and wakes them when the writer before them is done, so a
  // waiter is never starved by others that poll the lock, and waits as long as the queue is.
  const auto waitStart = std::chrono::steady_clock::now();
  while (::flock(m_core->m_nQueueFd, LOCK_EX) != 0)
    if (errno != EINTR) return;
  g_caseTimes.m_dQueueWait += SecondsSince(waitStart);
  m_core->m_bQueued = true;
}

void CDaoDatabase::LeaveQueue() {
  if (!m_core->m_bQueued) return;
  ::flock(m_core->m_nQueueFd, LOCK_UN);
  m_core->m_bQueued = false;
}

void CDaoDatabase::CommitCase() {
  if (!m_core->m_bInCase) return;
  if (m_core->m_bDeferred) {
    if (m_core->m_keptCells.empty()) {
      // Nothing written: no turn, no lock.
      m_core->m_bDeferred = false;
      m_core->m_bInCase = false;
      m_core->m_lockHook = nullptr;
      return;
    }
    m_core->m_bCommitting = true;
    try {
      HoldWriteLock();
    } catch (const CDaoException&) {
      RollbackCase();
      throw;
    }
  }
  m_core->m_bInCase = false;
  if (m_core->m_bCaseLost) {
    m_core->m_bCaseLost = false;
    RollbackCase();
    throw CDaoException(kDaoErrEngine, "The rows of the case were rolled back by the database engine.");
  }
  const auto commitStart = std::chrono::steady_clock::now();
  try {
    CommitPending();
  } catch (const CDaoException&) {
    g_caseTimes.m_dCommit += SecondsSince(commitStart);
    EndLockHeld();
    LeaveQueue();
    throw;
  }
  g_caseTimes.m_dCommit += SecondsSince(commitStart);
  EndLockHeld();
  LeaveQueue();
  CheckpointAfterTurn();
}

void CDaoDatabase::RollbackCase() {
  DropKeptRows();
  m_core->m_lockHook = nullptr;
  m_core->m_bDeferred = false;
  m_core->m_bInCase = false;
  m_core->m_bCaseLost = false;
  if (m_core->m_db != nullptr && sqlite3_get_autocommit(m_core->m_db) == 0) sqlite3_exec(m_core->m_db, "ROLLBACK;", nullptr, nullptr, nullptr);
  m_core->m_bInTransaction = false;
  m_core->m_nPendingRows = 0;
  EndLockHeld();
  LeaveQueue();
}

void CDaoDatabase::CommitPending() {
  if (m_core->m_bInCase) return;
  if (!m_core->m_bInTransaction || m_core->m_db == nullptr) return;
  plat::CountStatement();
  int rc = sqlite3_exec(m_core->m_db, "COMMIT;", nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK) {
    m_core->m_bInTransaction = false;
    m_core->m_nPendingRows = 0;
    EndBatchTurn();
    return;
  }
  std::string message = plat::Utf8ToCp1252(sqlite3_errmsg(m_core->m_db));
  int lost = m_core->m_nPendingRows;
  if (sqlite3_get_autocommit(m_core->m_db) == 0) sqlite3_exec(m_core->m_db, "ROLLBACK;", nullptr, nullptr, nullptr);
  m_core->m_bInTransaction = false;
  m_core->m_nPendingRows = 0;
  EndBatchTurn();
  throw CDaoException((rc & 0xFF) == SQLITE_BUSY ? kDaoErrTableInUse : kDaoErrEngine,
                      "Cannot commit " + std::to_string(lost) + " rows: " + message);
}

std::string CDaoDatabase::EndRowsAfterFailure() {
  if (!m_core->m_bInTransaction || m_core->m_db == nullptr) return std::string();
  if (m_core->m_bInCase) {
    // The case fails as a whole; only note whether the engine has already undone it.
    if (sqlite3_get_autocommit(m_core->m_db) != 0) {
      m_core->m_bCaseLost = true;
      m_core->m_bInTransaction = false;
      return " The case's earlier rows were rolled back.";
    }
    return std::string();
  }
  if (sqlite3_get_autocommit(m_core->m_db) != 0) {
    // The engine rolled the whole transaction back.
    int lost = m_core->m_nPendingRows;
    m_core->m_bInTransaction = false;
    m_core->m_nPendingRows = 0;
    EndBatchTurn();
    return lost > 0 ? " " + std::to_string(lost) + " earlier rows were not kept." : std::string();
  }
  try {
    CommitPending();
  } catch (const CDaoException& e) {
    return std::string(" ") + e.what();
  }
  return std::string();
}

void CDaoDatabase::ExecSchema(const std::string& sql) {
  CommitPending();
  if (m_core->m_bInCase) {
    HoldWriteLock();
    BeginRows();
  }
  if (!LeavesViews(sql)) m_core->m_nViewNamesOf = 0;
  char* error = nullptr;
  plat::CountStatement();
  int rc = sqlite3_exec(Handle(), sql.c_str(), nullptr, nullptr, &error);
  if (rc != SQLITE_OK) {
    std::string message = error ? error : sqlite3_errstr(rc);
    sqlite3_free(error);
    int primary = rc & 0xFF;
    std::int32_t code = primary == SQLITE_BUSY ? kDaoErrTableInUse
                        : primary == SQLITE_LOCKED ? kDaoErrTableLocked
                        : primary == SQLITE_READONLY ? kDaoErrReadOnly
                                                     : kDaoErrEngine;
    throw CDaoException(code, plat::Utf8ToCp1252(message) + " (" + plat::Utf8ToCp1252(sql) + ")");
  }
}

void CDaoDatabase::Execute(const std::string& sql, int /*options*/) {
  ExecSchema(plat::Cp1252ToUtf8(ToSqliteDialect(sql)));
}

int CDaoDatabase::ExecuteWithIntegers(const std::string& sql, const std::vector<std::int64_t>& parameters,
                                      std::vector<std::int64_t>* rows) {
  CommitPending();
  if (m_core->m_bInCase) {
    HoldWriteLock();
    BeginRows();
  }
  sqlite3_stmt* raw = nullptr;
  const std::string utf8 = plat::Cp1252ToUtf8(sql);
  int rc = sqlite3_prepare_v2(Handle(), utf8.c_str(), -1, &raw, nullptr);
  StmtPtr stmt(raw);
  if (rc != SQLITE_OK || raw == nullptr) ThrowEngineError("Cannot prepare " + sql, rc);
  for (std::size_t i = 0; i < parameters.size(); ++i) sqlite3_bind_int64(raw, static_cast<int>(i) + 1, parameters[i]);
  if (sqlite3_stmt_readonly(raw) == 0) plat::CountStatement();
  while ((rc = sqlite3_step(raw)) == SQLITE_ROW)
    if (rows != nullptr) rows->push_back(sqlite3_column_int64(raw, 0));
  if (rc != SQLITE_DONE) ThrowEngineError("Cannot run " + sql, rc);
  return sqlite3_changes(Handle());
}

void CDaoDatabase::RefreshSchema() {
  Core& core = *m_core;
  sqlite3* db = Handle();
  // While this connection writes, no other one can change the schema.
  if (core.m_bInTransaction && sqlite3_get_autocommit(db) == 0) return;
  int rc = SQLITE_OK;
  if (core.m_schemaCheck == nullptr)
    rc = sqlite3_prepare_v3(db, "SELECT 1 FROM sqlite_master LIMIT 1;", -1, SQLITE_PREPARE_PERSISTENT,
                            &core.m_schemaCheck, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_step(core.m_schemaCheck);
    sqlite3_reset(core.m_schemaCheck);
  }
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) ThrowEngineError("Cannot read the table list", rc);
}

bool CDaoDatabase::TableExists(const std::string& name) {
  RefreshSchema();
  const std::string utf8 = plat::Cp1252ToUtf8(name);
  // The schema's own table of names (which ignores case): no scan of the schema table.
  return sqlite3_table_column_metadata(Handle(), "main", utf8.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr) == SQLITE_OK;
}

bool CDaoDatabase::FindView(const std::string& name, std::string* sql) {
  Core& core = *m_core;
  sqlite3* db = Handle();
  const bool writing = core.m_bInTransaction && sqlite3_get_autocommit(db) == 0;
  const std::string utf8 = plat::Cp1252ToUtf8(name);
  if (!writing || core.m_nViewNamesOf != core.m_nTransactions) {
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='view';", -1, &raw, nullptr);
    StmtPtr stmt(raw);
    if (rc != SQLITE_OK) ThrowEngineError("Cannot read the query list", rc);
    core.m_viewNames.clear();
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) core.m_viewNames.insert(Upper(ColumnText(raw, 0)));
    if (rc != SQLITE_DONE) ThrowEngineError("Cannot read the query list", rc);
    core.m_nViewNamesOf = writing ? core.m_nTransactions : 0;
  }
  if (core.m_viewNames.count(Upper(utf8)) == 0) return false;
  if (sql == nullptr) return true;
  sqlite3_stmt* raw = nullptr;
  int rc = sqlite3_prepare_v2(db, "SELECT sql FROM sqlite_master WHERE type='view' AND name=?1 COLLATE NOCASE;", -1,
                              &raw, nullptr);
  StmtPtr stmt(raw);
  if (rc != SQLITE_OK) ThrowEngineError("Cannot read the query list", rc);
  sqlite3_bind_text(raw, 1, utf8.c_str(), -1, SQLITE_TRANSIENT);
  rc = sqlite3_step(raw);
  if (rc == SQLITE_ROW) {
    *sql = plat::Utf8ToCp1252(ColumnText(raw, 0));
    return true;
  }
  if (rc != SQLITE_DONE) ThrowEngineError("Cannot read the query list", rc);
  return false;
}

void CDaoDatabase::ExecViewSchema(const std::string& sql, const std::string& view, bool created) {
  Core& core = *m_core;
  const std::uint64_t transaction = core.m_nTransactions;
  const bool known = core.m_nViewNamesOf != 0 && core.m_nViewNamesOf == transaction;
  ExecSchema(sql);
  if (!known || core.m_nTransactions != transaction) return;
  const std::string upper = Upper(plat::Cp1252ToUtf8(view));
  if (created)
    core.m_viewNames.insert(upper);
  else
    core.m_viewNames.erase(upper);
  core.m_nViewNamesOf = core.m_nTransactions;
}

int CDaoDatabase::IndexCount(const std::string& table) {
  RefreshSchema();
  sqlite3_stmt* raw = nullptr;
  int rc = sqlite3_prepare_v2(Handle(), "SELECT count(*) FROM pragma_index_list(?1);", -1, &raw, nullptr);
  StmtPtr stmt(raw);
  if (rc != SQLITE_OK) ThrowEngineError("Cannot read the indexes of " + table, rc);
  const std::string utf8 = plat::Cp1252ToUtf8(table);
  sqlite3_bind_text(raw, 1, utf8.c_str(), -1, SQLITE_TRANSIENT);
  rc = sqlite3_step(raw);
  if (rc != SQLITE_ROW) ThrowEngineError("Cannot read the indexes of " + table, rc);
  return sqlite3_column_int(raw, 0);
}

void CDaoDatabase::GetTableDefInfo(const std::string& name, CDaoTableDefInfo& info) {
  if (!TableExists(name)) throw CDaoException(kDaoErrItemNotFound, "Item '" + name + "' not found in this collection.");
  info.m_strName = name;
  info.m_lAttributes = 0;
}

void CDaoDatabase::DeleteTableDef(const std::string& name) {
  if (!TableExists(name)) throw CDaoException(kDaoErrItemNotFound, "Item '" + name + "' not found in this collection.");
  ExecSchema("DROP TABLE " + DaoQuoteIdentifier(plat::Cp1252ToUtf8(name)) + ";");
}

void CDaoDatabase::DeleteQueryDef(const std::string& name) {
  std::string utf8 = plat::Cp1252ToUtf8(name);
  if (FindView(name)) {
    ExecViewSchema("DROP VIEW " + DaoQuoteIdentifier(utf8) + ";", name, false);
  } else {
    CDaoQueryDef query(this);
    query.Open(name);  // throws when there is none
    ExecSchema("DELETE FROM " + DaoQuoteIdentifier(kSavedStatementsTable) + " WHERE \"Name\"=" + "'" +
               [&] {
                 std::string quoted;
                 for (char c : utf8) {
                   if (c == '\'') quoted += '\'';
                   quoted += c;
                 }
                 return quoted;
               }() +
               "' COLLATE NOCASE;");
  }
}

std::vector<CDaoFieldInfo> CDaoDatabase::ReadFields(const std::string& table) {
  std::string sql = "PRAGMA table_info(" + DaoQuoteIdentifier(plat::Cp1252ToUtf8(table)) + ");";
  sqlite3_stmt* raw = nullptr;
  int rc = sqlite3_prepare_v2(Handle(), sql.c_str(), -1, &raw, nullptr);
  StmtPtr stmt(raw);
  if (rc != SQLITE_OK) ThrowEngineError("Cannot read the fields of " + table, rc);
  std::vector<CDaoFieldInfo> fields;
  while ((rc = sqlite3_step(raw)) == SQLITE_ROW)
    fields.push_back(FieldFromDeclaration(plat::Utf8ToCp1252(ColumnText(raw, 1)), ColumnText(raw, 2)));
  if (rc != SQLITE_DONE) ThrowEngineError("Cannot read the fields of " + table, rc);
  return fields;
}

// ---- CDaoTableDef

void CDaoTableDef::CheckOpen() const {
  if (!m_bOpen) throw CDaoException(kDaoErrNotOpen, "The table definition is not open.");
}

void CDaoTableDef::Create(const std::string& name, std::int32_t, const std::string&, const std::string&) {
  m_pDatabase->Handle();
  m_strName = name;
  m_bOpen = true;
  m_bNew = true;
  m_newFields.clear();
  m_bFieldCacheValid = false;
}

void CDaoTableDef::Open(const std::string& name) {
  if (!m_pDatabase->TableExists(name))
    throw CDaoException(kDaoErrObjectNotFound, "Could not find table '" + name + "'.");
  m_strName = name;
  m_bOpen = true;
  m_bNew = false;
  m_nIndexCount = 0;
  m_bFieldCacheValid = false;
}

void CDaoTableDef::Append() {
  CheckOpen();
  if (!m_bNew) throw CDaoException(kDaoErrEngine, "Table '" + m_strName + "' is already in the database.");
  if (m_newFields.empty()) throw CDaoException(kDaoErrEngine, "Table '" + m_strName + "' has no fields.");
  // Workers sharing a results file may both find a table missing and both create it from
  // the same definition: the second creation finds the table made and goes on with it.
  std::string sql = "CREATE TABLE IF NOT EXISTS " + DaoQuoteIdentifier(plat::Cp1252ToUtf8(m_strName)) + " (";
  for (std::size_t i = 0; i < m_newFields.size(); ++i) {
    if (i > 0) sql += ", ";
    sql += DaoQuoteIdentifier(plat::Cp1252ToUtf8(m_newFields[i].m_strName)) + " " +
           DeclaredType(m_newFields[i].m_nType, m_newFields[i].m_lSize);
  }
  sql += ");";
  m_pDatabase->ExecSchema(sql);
  m_bNew = false;
  m_bFieldCacheValid = false;
}

void CDaoTableDef::Close() {
  m_bOpen = false;
  m_bNew = false;
  m_nIndexCount = 0;
  m_newFields.clear();
  m_bFieldCacheValid = false;
}

void CDaoTableDef::CreateField(const std::string& name, std::int16_t type, std::int32_t size, std::int32_t attributes) {
  CheckOpen();
  CDaoFieldInfo field;
  field.m_strName = name;
  field.m_nType = type;
  field.m_lSize = type == dbText ? (size > 0 ? size : 255) : size;
  field.m_lAttributes = attributes;
  std::string declared = DeclaredType(type, field.m_lSize);  // refuses unknown types in both cases
  if (m_bNew) {
    for (const CDaoFieldInfo& f : m_newFields) {
      if (EqualNoCase(f.m_strName, name)) throw CDaoException(kDaoErrEngine, "Field '" + name + "' already exists in table '" + m_strName + "'.");
    }
    m_newFields.push_back(field);
    return;
  }
  m_pDatabase->ExecSchema("ALTER TABLE " + DaoQuoteIdentifier(plat::Cp1252ToUtf8(m_strName)) + " ADD COLUMN " +
                          DaoQuoteIdentifier(plat::Cp1252ToUtf8(name)) + " " + declared + ";");
  m_bFieldCacheValid = false;
}

const std::vector<CDaoFieldInfo>& CDaoTableDef::Fields() {
  if (m_bNew) return m_newFields;
  if (!m_bFieldCacheValid) {
    m_fieldCache = m_pDatabase->ReadFields(m_strName);
    m_bFieldCacheValid = true;
  }
  return m_fieldCache;
}

void CDaoTableDef::GetFieldInfo(const std::string& name, CDaoFieldInfo& info) {
  CheckOpen();
  for (const CDaoFieldInfo& field : Fields()) {
    if (EqualNoCase(field.m_strName, name)) {
      info = field;
      return;
    }
  }
  throw CDaoException(kDaoErrItemNotFound, "Item '" + name + "' not found in this collection.");
}

int CDaoTableDef::GetFieldCount() {
  CheckOpen();
  return static_cast<int>(Fields().size());
}

int CDaoTableDef::GetIndexCount() {
  CheckOpen();
  if (m_bNew) return 0;
  if (m_nIndexCount > 0) return m_nIndexCount;
  m_nIndexCount = m_pDatabase->IndexCount(m_strName);
  return m_nIndexCount;
}

void CDaoTableDef::CreateIndex(const CDaoIndexInfo& info) {
  CheckOpen();
  if (m_bNew) throw CDaoException(kDaoErrEngine, "Append table '" + m_strName + "' before its indexes.");
  if (info.m_fields.empty()) throw CDaoException(kDaoErrEngine, "Index '" + info.m_strName + "' has no fields.");
  std::string name = EqualNoCase(info.m_strName, m_strName) ? info.m_strName + "_Key" : info.m_strName;
  std::string sql = std::string("CREATE ") + (info.m_bUnique || info.m_bPrimary ? "UNIQUE " : "") + "INDEX IF NOT EXISTS " +
                    DaoQuoteIdentifier(plat::Cp1252ToUtf8(name)) + " ON " +
                    DaoQuoteIdentifier(plat::Cp1252ToUtf8(m_strName)) + " (";
  for (std::size_t i = 0; i < info.m_fields.size(); ++i) {
    if (i > 0) sql += ", ";
    sql += DaoQuoteIdentifier(plat::Cp1252ToUtf8(info.m_fields[i].m_strName)) +
           (info.m_fields[i].m_bDescending ? " DESC" : " ASC");
  }
  m_pDatabase->ExecSchema(sql + ");");
}

// ---- CDaoRecordset

bool CDaoRecordset::NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  return strcasecmp(a.c_str(), b.c_str()) < 0;
}

void CDaoRecordset::StmtDeleter::operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }

CDaoRecordset::~CDaoRecordset() { Close(); }

void CDaoRecordset::CheckOpen() const {
  if (!m_bOpen) throw CDaoException(kDaoErrNotOpen, "The recordset is not open.");
}

void CDaoRecordset::Open(CDaoTableDef* tableDef, int type, int /*options*/) {
  if (tableDef == nullptr || !tableDef->IsOpen()) throw CDaoException(kDaoErrNotOpen, "The table definition is not open.");
  if (type != dbOpenTable) throw CDaoException(kDaoErrEngine, "A table definition opens only as a table recordset.");
  Close();
  m_strTable = tableDef->GetName();
  m_fields = m_pDatabase->ReadFields(m_strTable);
  if (m_fields.empty()) throw CDaoException(kDaoErrObjectNotFound, "Could not find table '" + m_strTable + "'.");
  m_fieldIndex.clear();
  std::string sql = "INSERT INTO " + DaoQuoteIdentifier(plat::Cp1252ToUtf8(m_strTable)) + " (";
  std::string values;
  for (std::size_t i = 0; i < m_fields.size(); ++i) {
    m_fieldIndex[m_fields[i].m_strName] = static_cast<int>(i);
    if (i > 0) {
      sql += ", ";
      values += ", ";
    }
    sql += DaoQuoteIdentifier(plat::Cp1252ToUtf8(m_fields[i].m_strName));
    values += "?" + std::to_string(i + 1);
  }
  sql += ") VALUES (" + values + ");";
  auto insert = std::make_shared<CDaoInsert>();
  insert->table = m_strTable;
  insert->head = sql.substr(0, sql.size() - (") VALUES (" + values + ");").size()) + ")";
  insert->columns = m_fields.size();
  int rc = sqlite3_prepare_v3(m_pDatabase->Handle(), sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &insert->stmt, nullptr);
  if (rc != SQLITE_OK)
    throw CDaoException(kDaoErrEngine, "Cannot open table '" + m_strTable + "': " +
                                           plat::Utf8ToCp1252(sqlite3_errmsg(m_pDatabase->Handle())));
  m_insert = std::move(insert);
  m_bOpen = true;
  m_bTable = true;
  m_bEof = true;
  m_bEditing = false;
}

void CDaoRecordset::Open(int /*type*/, const std::string& sql, int /*options*/) {
  Close();
  m_pDatabase->CommitPending();
  m_pDatabase->BeforeRead();
  sqlite3_stmt* raw = nullptr;
  std::string utf8 = plat::Cp1252ToUtf8(sql);
  int rc = sqlite3_prepare_v2(m_pDatabase->Handle(), utf8.c_str(), -1, &raw, nullptr);
  m_stmt.reset(raw);
  if (rc != SQLITE_OK || raw == nullptr)
    throw CDaoException(kDaoErrEngine, plat::Utf8ToCp1252(sqlite3_errmsg(m_pDatabase->Handle())) + " (" + sql + ")");
  m_bOpen = true;
  m_bTable = false;
  Step();
}

void CDaoRecordset::Step() {
  int rc = sqlite3_step(m_stmt.get());
  if (rc == SQLITE_ROW) {
    m_bEof = false;
    return;
  }
  m_bEof = true;
  if (rc != SQLITE_DONE)
    throw CDaoException(kDaoErrEngine, plat::Utf8ToCp1252(sqlite3_errmsg(m_pDatabase->Handle())));
}

void CDaoRecordset::Close() {
  if (m_bOpen && m_bTable && m_pDatabase->IsOpen()) {
    try {
      m_pDatabase->CommitPending();
    } catch (const CDaoException&) {
      // reported to the writer of the next row or at the database's close
    }
  }
  m_stmt.reset();
  m_insert.reset();  // rows a case still keeps hold their own share of it
  m_bOpen = false;
  m_bEditing = false;
  m_bEof = true;
  m_row.clear();
  m_rowText.clear();
}

bool CDaoRecordset::CanAppend() const { return m_bOpen && m_bTable && !m_pDatabase->IsReadOnly(); }
bool CDaoRecordset::CanUpdate() const { return CanAppend(); }

void CDaoRecordset::AddNew() {
  CheckOpen();
  if (!m_bTable || m_pDatabase->IsReadOnly())
    throw CDaoException(kDaoErrReadOnly, "Cannot add rows to '" + m_strTable + "': it is read-only.");
  m_row.assign(m_fields.size(), CDaoCell{});
  m_rowText.clear();
  m_bEditing = true;
}

int CDaoRecordset::FieldIndex(const std::string& field) const {
  auto it = m_fieldIndex.find(field);
  return it == m_fieldIndex.end() ? -1 : it->second;
}

CDaoCell& CDaoRecordset::Cell(int index) {
  CheckOpen();
  if (!m_bEditing) throw CDaoException(kDaoErrEngine, "Update without AddNew.");
  if (index < 0 || static_cast<std::size_t>(index) >= m_row.size())
    throw CDaoException(kDaoErrItemNotFound, "Item " + std::to_string(index) + " not found in this collection.");
  return m_row[static_cast<std::size_t>(index)];
}

void CDaoRecordset::SetFieldInteger(int index, std::int64_t value) {
  CDaoCell& cell = Cell(index);
  cell.kind = CDaoCell::kInteger;
  cell.integer = value;
}

void CDaoRecordset::SetFieldDouble(int index, double value) {
  CDaoCell& cell = Cell(index);
  cell.kind = CDaoCell::kDouble;
  cell.number = value;
}

void CDaoRecordset::SetFieldNull(int index) { Cell(index).kind = CDaoCell::kNull; }

void CDaoRecordset::SetFieldDate(int index, double date) {
  CDaoCell& cell = Cell(index);
  if (m_lastDateText.empty() || date != m_lastDate) {
    std::string iso = plat::OleDateTime(date).FormatIso();
    if (iso.empty()) {
      cell.kind = CDaoCell::kNull;
      return;
    }
    m_lastDate = date;
    m_lastDateText = std::move(iso);
  }
  cell.kind = CDaoCell::kText;
  cell.offset = m_rowText.size();
  cell.length = static_cast<std::uint32_t>(m_lastDateText.size());
  m_rowText += m_lastDateText;
}

void CDaoRecordset::SetFieldText(int index, std::string_view text) {
  CDaoCell& cell = Cell(index);
  cell.kind = CDaoCell::kText;
  cell.offset = m_rowText.size();
  plat::AppendCp1252AsUtf8(m_rowText, text);
  cell.length = static_cast<std::uint32_t>(m_rowText.size() - cell.offset);
}

void CDaoRecordset::SetFieldValue(const std::string& field, const plat::Variant& value) {
  CheckOpen();
  if (!m_bEditing) throw CDaoException(kDaoErrEngine, "Update without AddNew.");
  const int index = FieldIndex(field);
  if (index < 0) throw CDaoException(kDaoErrItemNotFound, "Item '" + field + "' not found in this collection.");
  switch (value.vt) {
    case plat::VT_EMPTY:
    case plat::VT_NULL: SetFieldNull(index); break;
    case plat::VT_I2:
    case plat::VT_I4:
    case plat::VT_I8:
    case plat::VT_UI1:
    case plat::VT_BOOL: SetFieldInteger(index, value.llVal); break;
    case plat::VT_DATE: SetFieldDate(index, value.dblVal); break;
    case plat::VT_BSTR: SetFieldText(index, value.bstrVal); break;
    default: SetFieldDouble(index, value.dblVal); break;
  }
}

void CDaoRecordset::SetFieldValueNull(const std::string& field) { SetFieldValue(field, plat::Variant::Null()); }

void CDaoRecordset::Update() {
  CheckOpen();
  if (!m_bEditing) throw CDaoException(kDaoErrEngine, "Update without AddNew.");
  m_bEditing = false;
  if (m_pDatabase->KeepsRows()) {
    // The case writes its rows when it takes the write lock.
    m_pDatabase->KeepRow(m_insert, m_row.data(), m_row.size(), m_rowText);
    return;
  }
  m_pDatabase->BeginRows();
  plat::CountStatement(m_insert.get());
  const int rc = StepRow(m_insert->stmt, m_row.data(), m_row.size(), m_rowText.data());
  if (rc != SQLITE_DONE) {
    std::string message = plat::Utf8ToCp1252(sqlite3_errmsg(m_pDatabase->Handle()));
    int primary = rc & 0xFF;
    std::string kept = m_pDatabase->EndRowsAfterFailure();
    throw CDaoException(primary == SQLITE_BUSY ? kDaoErrTableInUse : kDaoErrEngine,
                        "Cannot add a row to '" + m_strTable + "': " + message + "." + kept);
  }
  m_pDatabase->RowWritten();
}

void CDaoRecordset::MoveNext() {
  CheckOpen();
  if (m_bTable || m_bEof) throw CDaoException(kDaoErrEngine, "No current record.");
  Step();
}

int CDaoRecordset::GetFieldCount() const {
  CheckOpen();
  return m_bTable ? static_cast<int>(m_fields.size()) : sqlite3_column_count(m_stmt.get());
}

plat::Variant CDaoRecordset::GetFieldValue(int index) const {
  CheckOpen();
  if (m_bTable || m_bEof) throw CDaoException(kDaoErrEngine, "No current record.");
  if (index < 0 || index >= sqlite3_column_count(m_stmt.get()))
    throw CDaoException(kDaoErrItemNotFound, "Item " + std::to_string(index) + " not found in this collection.");
  plat::Variant v;
  sqlite3_stmt* stmt = m_stmt.get();
  switch (sqlite3_column_type(stmt, index)) {
    case SQLITE_NULL: v.vt = plat::VT_NULL; break;
    case SQLITE_INTEGER: {
      sqlite3_int64 value = sqlite3_column_int64(stmt, index);
      v.vt = (value >= INT32_MIN && value <= INT32_MAX) ? plat::VT_I4 : plat::VT_I8;
      v.llVal = value;
      break;
    }
    case SQLITE_FLOAT:
      v.vt = plat::VT_R8;
      v.dblVal = sqlite3_column_double(stmt, index);
      break;
    default:
      v.vt = plat::VT_BSTR;
      v.bstrVal = plat::Utf8ToCp1252(ColumnText(stmt, index));
      break;
  }
  return v;
}

// ---- CDaoQueryDef

void CDaoQueryDef::Create(const std::string& name, const std::string& sql) {
  m_pDatabase->Handle();
  m_strName = name;
  m_strSql = sql;
  m_bOpen = true;
}

void CDaoQueryDef::Open(const std::string& name) {
  std::string utf8 = plat::Cp1252ToUtf8(name);
  sqlite3* db = m_pDatabase->Handle();
  std::string view;
  if (m_pDatabase->FindView(name, &view)) {
    m_strName = name;
    m_strSql = view;
    m_bOpen = true;
    return;
  }
  if (m_pDatabase->TableExists(kSavedStatementsTable)) {
    std::string sql = std::string("SELECT \"Statement\" FROM ") + DaoQuoteIdentifier(kSavedStatementsTable) +
                      " WHERE \"Name\"=?1 COLLATE NOCASE;";
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr);
    StmtPtr stmt(raw);
    if (rc != SQLITE_OK) throw CDaoException(kDaoErrEngine, "Cannot read the saved statements.");
    sqlite3_bind_text(raw, 1, utf8.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(raw) == SQLITE_ROW) {
      m_strName = name;
      m_strSql = plat::Utf8ToCp1252(ColumnText(raw, 0));
      m_bOpen = true;
      return;
    }
  }
  throw CDaoException(kDaoErrItemNotFound, "Item '" + name + "' not found in this collection.");
}

void CDaoQueryDef::Append() {
  if (!m_bOpen) throw CDaoException(kDaoErrNotOpen, "The query definition is not open.");
  std::string name = plat::Cp1252ToUtf8(m_strName);
  std::string body = plat::Cp1252ToUtf8(m_strSql);
  while (!body.empty() && (std::isspace(static_cast<unsigned char>(body.back())) || body.back() == ';')) body.pop_back();
  try {
    m_pDatabase->ExecViewSchema("CREATE VIEW " + DaoQuoteIdentifier(name) + " AS " + body + ";", m_strName, true);
    return;
  } catch (const CDaoException&) {
    // not a statement a view can hold (crosstab, update): keep it as a saved statement
  }
  m_pDatabase->ExecSchema(std::string("CREATE TABLE IF NOT EXISTS ") + DaoQuoteIdentifier(kSavedStatementsTable) +
                          " (\"Name\" VARCHAR(64) COLLATE NOCASE PRIMARY KEY, \"Statement\" TEXT);");
  sqlite3_stmt* raw = nullptr;
  std::string sql = std::string("INSERT INTO ") + DaoQuoteIdentifier(kSavedStatementsTable) +
                    " (\"Name\", \"Statement\") VALUES (?1, ?2);";
  int rc = sqlite3_prepare_v2(m_pDatabase->Handle(), sql.c_str(), -1, &raw, nullptr);
  StmtPtr stmt(raw);
  if (rc == SQLITE_OK) {
    sqlite3_bind_text(raw, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(raw, 2, body.c_str(), -1, SQLITE_TRANSIENT);
    rc = sqlite3_step(raw);
  }
  if (rc != SQLITE_DONE)
    throw CDaoException(kDaoErrEngine, "Cannot save query '" + m_strName + "': " +
                                           plat::Utf8ToCp1252(sqlite3_errmsg(m_pDatabase->Handle())));
}
