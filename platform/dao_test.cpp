#include "platform/dao.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/testing/odbc_test_env.h"
#include "platform/testing/sqlite_fault_vfs.h"

namespace {

namespace fs = std::filesystem;

std::string QueryText(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* stmt = nullptr;
  std::string out;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const unsigned char* t = sqlite3_column_text(stmt, i);
        out += (i ? "|" : "") + std::string(t ? reinterpret_cast<const char*>(t) : "NULL");
      }
      out += "\n";
    }
  } else {
    out = std::string("error: ") + sqlite3_errmsg(db);
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return out;
}

plat::Variant Var(std::uint16_t vt, double d, std::int64_t l = 0, const std::string& s = "") {
  plat::Variant v;
  v.vt = vt;
  v.dblVal = d;
  v.llVal = l;
  v.bstrVal = s;
  return v;
}

void MakeTable(CDaoDatabase& db, const std::string& name) {
  CDaoTableDef def(&db);
  def.Create(name);
  def.CreateField("CASE", dbLong, 0);
  def.CreateField("Name", dbText, 8);
  def.CreateField("Value", dbDouble, 0);
  def.CreateField("Day", dbDate, 0);
  def.CreateField("Flag", dbInteger, 0);
  def.CreateField("Note", dbMemo, 0);
  def.Append();
}

void AddRow(CDaoRecordset& rs, int n) {
  rs.AddNew();
  rs.SetFieldValue("case", Var(plat::VT_I4, 0, n));
  rs.SetFieldValue("Name", Var(plat::VT_BSTR, 0, 0, "r" + std::to_string(n)));
  rs.SetFieldValue("Value", Var(plat::VT_R8, n * 0.5));
  rs.Update();
}

// The statements of several rows at once prepared on the database's connection.
int StatementsOfSeveralRows(CDaoDatabase& db) {
  int count = 0;
  for (sqlite3_stmt* stmt = sqlite3_next_stmt(db.Handle(), nullptr); stmt != nullptr;
       stmt = sqlite3_next_stmt(db.Handle(), stmt))
    if (std::string(sqlite3_sql(stmt)).find("), (") != std::string::npos) ++count;
  return count;
}

class DaoTest : public ::testing::Test {
 protected:
  plat::testing::TempDir m_dir;
  std::string Path(const std::string& name = "Results.Mdb") { return m_dir.Path() + "/" + name; }
};

TEST_F(DaoTest, TablesKeepTheDeclaredTypesAndValuesRoundTrip) {
  CDaoDatabase db;
  db.Create(Path(), dbLangGeneral, dbVersion30);
  EXPECT_EQ(db.GetVersion(), "3.0");
  MakeTable(db, "PrCase");
  {
    CDaoTableDef def(&db);
    def.Open("prcase");
    CDaoFieldInfo info;
    def.GetFieldInfo("name", info);
    EXPECT_EQ(info.m_nType, dbText);
    EXPECT_EQ(info.m_lSize, 8);
    def.GetFieldInfo("Flag", info);
    EXPECT_EQ(info.m_nType, dbInteger);
    def.GetFieldInfo("Note", info);
    EXPECT_EQ(info.m_nType, dbMemo);
    CDaoRecordset rs(&db);
    rs.Open(&def, dbOpenTable, dbAppendOnly);
    EXPECT_TRUE(rs.CanAppend());
    rs.AddNew();
    rs.SetFieldValue("CASE", Var(plat::VT_I4, 0, 7));
    rs.SetFieldValue("Name", Var(plat::VT_BSTR, 0, 0, "Caf\xE9"));
    rs.SetFieldValue("Value", Var(plat::VT_R8, 1e30));
    rs.SetFieldValue("Day", Var(plat::VT_DATE, 45000.5));
    rs.SetFieldValue("Flag", Var(plat::VT_I2, 0, -3));
    rs.Update();
    rs.AddNew();
    rs.SetFieldValueNull("Day");
    rs.Update();
    EXPECT_THROW(rs.SetFieldValue("Missing", Var(plat::VT_I4, 0, 1)), CDaoException);
  }
  db.Close();
  std::string p = Path();
  EXPECT_NE(QueryText(p, "SELECT sql FROM sqlite_master WHERE name='PrCase'")
                .find("\"Name\" VARCHAR(8) COLLATE NOCASE, \"Value\" DOUBLE, \"Day\" DATETIME, \"Flag\" SMALLINT"),
            std::string::npos);
  EXPECT_EQ(QueryText(p, "SELECT \"CASE\", Name, Value, Day, Flag, Note FROM PrCase"),
            "7|Caf\xC3\xA9|1.0e+30|2023-03-15 12:00:00|-3|NULL\nNULL|NULL|NULL|NULL|NULL|NULL\n");
  EXPECT_EQ(QueryText(p, "PRAGMA journal_mode"), "wal\n");

  CDaoDatabase again;
  again.Open(p);
  CDaoRecordset rs(&again);
  rs.Open(dbOpenDynaset, "SELECT Name, Value FROM PrCase WHERE \"CASE\" = 7");
  ASSERT_FALSE(rs.IsEOF());
  EXPECT_EQ(rs.GetFieldValue(0).bstrVal, "Caf\xE9");
  EXPECT_EQ(rs.GetFieldValue(1).dblVal, 1e30);
  rs.MoveNext();
  EXPECT_TRUE(rs.IsEOF());
}

TEST_F(DaoTest, FailuresCarryTheirErrorCodes) {
  auto code = [](auto&& call) {
    try {
      call();
    } catch (const CDaoException& e) {
      return e.GetErrorCode();
    }
    return 0;
  };
  CDaoDatabase db;
  EXPECT_EQ(code([&] { db.Open(Path("none.mdb")); }), kDaoErrFileNotFound);
  {
    std::ofstream(Path("text.mdb")) << "this is not a database file, it is plain text and long enough";
  }
  EXPECT_EQ(code([&] { db.Open(Path("text.mdb")); }), kDaoErrFormat);
  EXPECT_FALSE(db.IsOpen());
  db.Create(Path());
  EXPECT_EQ(db.GetVersion(), "4.0");
  CDaoDatabase other;
  EXPECT_EQ(code([&] { other.Create(Path()); }), kDaoErrDatabaseExists);
  CDaoTableDefInfo info;
  EXPECT_EQ(code([&] { db.GetTableDefInfo("PrStream", info); }), kDaoErrItemNotFound);
  CDaoTableDef def(&db);
  EXPECT_EQ(code([&] { def.Open("PrStream"); }), kDaoErrObjectNotFound);
  MakeTable(db, "PrStream");
  def.Open("PRSTREAM");
  CDaoFieldInfo field;
  EXPECT_EQ(code([&] { def.GetFieldInfo("ShadowPrice", field); }), kDaoErrItemNotFound);
  def.CreateField("ShadowPrice", dbDouble, 0);
  def.GetFieldInfo("ShadowPrice", field);
  EXPECT_EQ(field.m_nType, dbDouble);
  EXPECT_EQ(code([&] { db.DeleteTableDef("Nothing"); }), kDaoErrItemNotFound);
  EXPECT_EQ(code([&] { db.DeleteQueryDef("Nothing"); }), kDaoErrItemNotFound);
}

TEST_F(DaoTest, IndexesQueriesAndStatements) {
  CDaoDatabase db;
  db.Create(Path());
  MakeTable(db, "LGCASE");
  CDaoTableDef def(&db);
  def.Open("LGCASE");
  EXPECT_EQ(def.GetIndexCount(), 0);
  CDaoIndexInfo index;
  index.m_strName = "LGCASE";
  index.m_fields = {{"CASE", false}, {"Name", false}};
  def.CreateIndex(index);
  EXPECT_EQ(def.GetIndexCount(), 1);
  CDaoIndexInfo missing;
  missing.m_strName = "Other";
  missing.m_fields = {{"NoSuchColumn", false}};
  EXPECT_THROW(def.CreateIndex(missing), CDaoException) << "an index over a missing column is an error";
  {
    CDaoRecordset rs(&db);
    rs.Open(&def);
    for (int i = 1; i <= 5; ++i) AddRow(rs, i);
  }
  db.Execute("DELETE * FROM \"LGCASE\" WHERE \"CASE\" in (3,5)\n", dbFailOnError);

  CDaoQueryDef view(&db);
  view.Create("Cases", "SELECT \"CASE\" FROM LGCASE;");
  view.Append();
  CDaoQueryDef crosstab(&db);
  crosstab.Create("Pivot", "TRANSFORM Sum(Value) SELECT Name FROM LGCASE GROUP BY Name PIVOT \"CASE\"");
  crosstab.Append();
  CDaoQueryDef found(&db);
  found.Open("PIVOT");
  EXPECT_NE(found.GetSQL().find("TRANSFORM"), std::string::npos);
  db.Close();
  EXPECT_EQ(QueryText(Path(), "SELECT name FROM sqlite_master WHERE type='index' AND tbl_name='LGCASE'"), "LGCASE_Key\n");
  EXPECT_EQ(QueryText(Path(), "SELECT * FROM Cases"), "1\n2\n4\n");

  db.Open(Path());
  db.DeleteQueryDef("cases");
  db.DeleteQueryDef("Pivot");
  CDaoQueryDef gone(&db);
  EXPECT_THROW(gone.Open("Cases"), CDaoException);
  EXPECT_THROW(gone.Open("Pivot"), CDaoException);
}

// Tables, views and indexes are looked up in the connection's copy of the schema: it must see what another
// connection (another process) made or dropped since, and, inside a write transaction, its own view changes
// and their rollback.
TEST_F(DaoTest, SchemaLookupsFollowOtherConnectionsAndTheirOwnRollback) {
  CDaoDatabase db;
  db.Create(Path());
  MakeTable(db, "Mine");
  EXPECT_TRUE(db.TableExists("MINE"));
  EXPECT_FALSE(db.TableExists("Other"));
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(Path().c_str(), &other), SQLITE_OK);
  sqlite3_busy_timeout(other, 10000);
  ASSERT_EQ(sqlite3_exec(other,
                         "CREATE TABLE Other (a INTEGER); CREATE INDEX Other_a ON Other (a); "
                         "CREATE VIEW OtherView AS SELECT a FROM Other;",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  EXPECT_TRUE(db.TableExists("other"));
  EXPECT_FALSE(db.TableExists("OtherView")) << "a view is no table";
  EXPECT_TRUE(db.FindView("otherview"));
  CDaoTableDef def(&db);
  def.Open("Other");
  EXPECT_EQ(def.GetIndexCount(), 1);
  ASSERT_EQ(sqlite3_exec(other, "DROP VIEW OtherView; DROP TABLE Other;", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_FALSE(db.TableExists("Other"));
  EXPECT_FALSE(db.FindView("OtherView"));
  sqlite3_close(other);

  for (const bool commit : {false, true}) {
    SCOPED_TRACE(commit ? "committed" : "rolled back");
    db.BeginCase();
    db.HoldWriteLock();
    EXPECT_FALSE(db.FindView("Cases"));
    CDaoQueryDef view(&db);
    view.Create("Cases", "SELECT \"CASE\" FROM Mine");
    view.Append();
    EXPECT_TRUE(db.FindView("CASES"));
    db.DeleteQueryDef("Cases");
    EXPECT_FALSE(db.FindView("Cases"));
    view.Append();
    std::string sql;
    EXPECT_TRUE(db.FindView("Cases", &sql));
    EXPECT_NE(sql.find("SELECT"), std::string::npos);
    if (commit)
      db.CommitCase();
    else
      db.RollbackCase();
    EXPECT_EQ(db.FindView("Cases"), commit);
  }
}

TEST_F(DaoTest, RowsAreCommittedInBatchesAndTwoWritersShareTheFile) {
  CDaoDatabase a;
  a.Create(Path());
  MakeTable(a, "PrStream");
  CDaoDatabase b;
  b.Open(Path());
  CDaoTableDef defA(&a), defB(&b);
  defA.Open("PrStream");
  defB.Open("PrStream");
  CDaoRecordset rsA(&a), rsB(&b);
  rsA.Open(&defA);
  rsB.Open(&defB);
  AddRow(rsA, 1);
  EXPECT_EQ(a.GetPendingRows(), 1);
  EXPECT_EQ(QueryText(Path(), "SELECT count(*) FROM PrStream"), "0\n");
  a.CommitPending();
  EXPECT_EQ(QueryText(Path(), "SELECT count(*) FROM PrStream"), "1\n");
  // b waits for a's write lock only as long as a holds it.
  AddRow(rsB, 2);
  b.CommitPending();
  AddRow(rsA, 3);
  rsA.Close();  // closing a recordset commits its rows
  AddRow(rsB, 4);
  b.Close();
  EXPECT_EQ(QueryText(Path(), "SELECT \"CASE\" FROM PrStream ORDER BY 1"), "1\n2\n3\n4\n");
}

// A case's rows, also those written through a second database of the
// process on the same file, land together at its commit or not at all.
TEST_F(DaoTest, ACaseLandsWholeOrNotAtAll) {
  CDaoDatabase a;
  a.Create(Path());
  MakeTable(a, "PrStream");
  CDaoDatabase b;
  b.Open(Path());
  CDaoTableDef defA(&a), defB(&b);
  defA.Open("PrStream");
  defB.Open("PrStream");
  auto rsA = std::make_unique<CDaoRecordset>(&a);
  auto rsB = std::make_unique<CDaoRecordset>(&b);
  rsA->Open(&defA);
  rsB->Open(&defB);
  a.BeginCase();
  EXPECT_TRUE(b.InCase());
  AddRow(*rsA, 1);
  AddRow(*rsB, 2);
  a.CommitPending();  // no batch commit inside a case
  EXPECT_EQ(QueryText(Path(), "SELECT count(*) FROM PrStream"), "0\n");
  a.RollbackCase();
  EXPECT_EQ(QueryText(Path(), "SELECT count(*) FROM PrStream"), "0\n");

  a.BeginCase();
  AddRow(*rsA, 3);
  AddRow(*rsB, 4);
  rsB.reset();
  b.Close();  // the case goes on in a
  EXPECT_EQ(QueryText(Path(), "SELECT count(*) FROM PrStream"), "0\n");
  a.CommitCase();
  EXPECT_FALSE(a.InCase());
  EXPECT_EQ(QueryText(Path(), "SELECT \"CASE\" FROM PrStream ORDER BY 1"), "3\n4\n");
}

// A case keeps its rows until it needs the write lock: while it gathers them
// another process writes the file, and the rows land at its commit in the
// order written. A case that writes nothing takes no turn; a statement takes
// the lock at once. Closed, the file keeps no write-ahead log.
TEST_F(DaoTest, ACaseHoldsTheWriteLockOnlyWhileItsRowsGoIn) {
  CDaoDatabase a;
  a.Create(Path());
  MakeTable(a, "PrStream");
  CDaoTableDef def(&a);
  def.Open("PrStream");
  CDaoRecordset rs(&a);
  rs.Open(&def);
  const auto otherWriter = [this](const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(Path().c_str(), &db);
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
  };

  a.BeginCase(true);
  // The statement of several rows that the kept rows need is made before the case takes its turn and lock.
  int madeAtLock = -1;
  a.SetCaseLockHook([&] { madeAtLock = StatementsOfSeveralRows(a); });
  EXPECT_TRUE(a.KeepsRows());
  for (int n = 1; n <= 3; ++n) AddRow(rs, n);
  rs.AddNew();  // a row begun and not written is no row
  EXPECT_EQ(a.GetPendingRows(), 3);
  EXPECT_EQ(otherWriter("INSERT INTO PrStream (\"CASE\") VALUES (100)"), SQLITE_OK);
  rs.AddNew();
  rs.SetFieldInteger(rs.FieldIndex("case"), 4);
  rs.SetFieldText(rs.FieldIndex("Name"), "r\xE9");
  rs.SetFieldDate(rs.FieldIndex("Day"), 45000.5);
  rs.SetFieldDouble(rs.FieldIndex("Value"), 1e30);
  rs.Update();
  EXPECT_EQ(rs.FieldIndex("Missing"), -1);
  EXPECT_THROW(rs.SetFieldInteger(99, 1), CDaoException);
  a.CommitCase();
  EXPECT_EQ(madeAtLock, 1);
  EXPECT_EQ(QueryText(Path(), "SELECT \"CASE\", Name, Day, Value FROM PrStream ORDER BY rowid"),
            "100|NULL|NULL|NULL\n1|r1|NULL|0.5\n2|r2|NULL|1.0\n3|r3|NULL|1.5\n4|r\xC3\xA9|2023-03-15 12:00:00|1.0e+30\n");

  a.BeginCase(true);
  a.CommitCase();  // nothing written: no lock was taken
  EXPECT_EQ(otherWriter("INSERT INTO PrStream (\"CASE\") VALUES (101)"), SQLITE_OK);

  // Rows outside a case wait for their turn in the queue like a case, and hold it until they are committed.
  const auto queueFree = [this] {
    const int fd = ::open((Path() + CDaoDatabase::kQueueSuffix).c_str(), O_RDWR | O_CLOEXEC);
    const bool free = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0) ::close(fd);
    return free;
  };
  AddRow(rs, 7);
  EXPECT_FALSE(queueFree());
  a.CommitPending();
  EXPECT_TRUE(queueFree());
  a.Execute("DELETE FROM PrStream WHERE \"CASE\" = 7");
  EXPECT_TRUE(queueFree());

  // A lock taken for a read gives way again when the case changed nothing under it, but not after a change.
  // The case's lock hook runs again at the lock it takes next.
  int hookRuns = 0;
  a.BeginCase(true);
  a.SetCaseLockHook([&hookRuns] { ++hookRuns; });
  a.HoldWriteLock();
  EXPECT_FALSE(queueFree());
  a.Execute("CREATE TABLE IF NOT EXISTS PrStream (\"CASE\" INTEGER)");
  EXPECT_TRUE(a.DeferWriteLock());
  EXPECT_TRUE(a.KeepsRows());
  EXPECT_TRUE(queueFree());
  EXPECT_EQ(otherWriter("INSERT INTO PrStream (\"CASE\") VALUES (102)"), SQLITE_OK);
  AddRow(rs, 8);
  a.CommitCase();
  EXPECT_EQ(hookRuns, 2);
  for (const std::string change : {"DELETE FROM PrStream WHERE \"CASE\" = 102", "CREATE TABLE PrOther (x INTEGER)"}) {
    a.BeginCase(true);
    a.HoldWriteLock();
    a.Execute(change);
    EXPECT_FALSE(a.DeferWriteLock()) << change;
    EXPECT_FALSE(queueFree()) << change;
    a.RollbackCase();
  }
  EXPECT_EQ(QueryText(Path(), "SELECT count(*) FROM PrStream WHERE \"CASE\" IN (8, 102)"), "2\n");
  EXPECT_EQ(QueryText(Path(), "SELECT count(*) FROM sqlite_master WHERE name = 'PrOther'"), "0\n");

  // A case that waited for its turn keeps it when nobody committed meanwhile, and gives it back otherwise.
  a.BeginCase(true);
  EXPECT_TRUE(a.TakeTurnUnlessChanged(a.DataVersion()));
  EXPECT_FALSE(queueFree());
  a.RollbackCase();
  EXPECT_TRUE(queueFree());
  a.BeginCase(true);
  const std::int64_t version = a.DataVersion();
  EXPECT_EQ(otherWriter("INSERT INTO PrStream (\"CASE\") VALUES (103)"), SQLITE_OK);
  EXPECT_FALSE(a.TakeTurnUnlessChanged(version));
  EXPECT_TRUE(queueFree());
  EXPECT_TRUE(a.KeepsRows());
  a.RollbackCase();

  a.BeginCase(true);
  AddRow(rs, 5);
  a.Execute("DELETE FROM PrStream WHERE \"CASE\" = 101");  // the kept row goes in first, under the lock
  EXPECT_FALSE(a.KeepsRows());
  EXPECT_EQ(a.GetPendingRows(), 1);
  AddRow(rs, 6);
  a.RollbackCase();
  EXPECT_EQ(QueryText(Path(), "SELECT count(*) FROM PrStream WHERE \"CASE\" IN (5, 6, 101)"), "1\n");

  rs.Close();
  def.Close();
  a.Close();
  std::error_code ec;
  const auto wal = fs::file_size(Path() + "-wal", ec);
  EXPECT_TRUE(ec || wal == 0) << wal;
}

// The lock of another program is waited for without a time limit: the wait is told once, ends when the lock
// is released, and ends at once, as a busy failure, when a stop is asked for.
std::atomic<int> g_nLockWaitsTold{0};
std::atomic<bool> g_bLockWaitStop{false};

TEST_F(DaoTest, AnotherProgramsLockIsWaitedForUntilItEndsOrAStop) {
  CDaoDatabase a;
  a.Create(Path());
  MakeTable(a, "PrStream");
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(Path().c_str(), &other), SQLITE_OK);
  CDaoLockWait wait;
  wait.stopRequested = [] { return g_bLockWaitStop.load(); };
  wait.longWait = [](const std::string&, int) { ++g_nLockWaitsTold; };
  wait.noticeSeconds = 0;
  CDaoDatabase::SetLockWait(wait);

  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);
  // The other program lets go once it hears that the write waits.
  std::thread release([other] {
    while (g_nLockWaitsTold.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    sqlite3_exec(other, "COMMIT;", nullptr, nullptr, nullptr);
  });
  a.Execute("INSERT INTO PrStream (\"CASE\") VALUES (1)");
  a.CommitPending();
  release.join();
  EXPECT_EQ(g_nLockWaitsTold.load(), 1);
  EXPECT_EQ(QueryText(Path(), "SELECT \"CASE\" FROM PrStream"), "1\n");

  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);
  g_bLockWaitStop = true;
  try {
    a.Execute("INSERT INTO PrStream (\"CASE\") VALUES (2)");
    a.CommitPending();
    ADD_FAILURE() << "the write went in under another program's lock";
  } catch (const CDaoException& e) {
    EXPECT_EQ(e.GetErrorCode(), kDaoErrTableInUse) << e.what();
  }
  sqlite3_exec(other, "COMMIT;", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  CDaoDatabase::SetLockWait(CDaoLockWait());
  g_bLockWaitStop = false;
}

// A case's kept rows go in table by table, but each table's rows keep the order they were written in,
// whichever recordset wrote them.
TEST_F(DaoTest, ACaseKeepsTheOrderOfEachTablesRows) {
  CDaoDatabase a;
  a.Create(Path());
  MakeTable(a, "PrStream");
  MakeTable(a, "PrUnit");
  CDaoTableDef streams(&a);
  streams.Open("PrStream");
  CDaoTableDef streamsAgain(&a);
  streamsAgain.Open("prstream");
  CDaoTableDef units(&a);
  units.Open("PrUnit");
  CDaoRecordset first(&a);
  first.Open(&streams);
  CDaoRecordset second(&a);
  second.Open(&streamsAgain);
  CDaoRecordset unit(&a);
  unit.Open(&units);

  a.BeginCase(true);
  AddRow(first, 1);
  AddRow(unit, 10);
  AddRow(second, 2);
  AddRow(unit, 20);
  AddRow(first, 3);
  AddRow(second, 4);
  a.CommitCase();
  EXPECT_EQ(QueryText(Path(), "SELECT rowid, \"CASE\" FROM PrStream ORDER BY rowid"), "1|1\n2|2\n3|3\n4|4\n");
  EXPECT_EQ(QueryText(Path(), "SELECT rowid, \"CASE\" FROM PrUnit ORDER BY rowid"), "1|10\n2|20\n");

  // Runs of rows longer than one statement takes (many at a time, the rest by fewer), broken by the other
  // recordset's rows, keep their order and every kind of value.
  a.BeginCase(true);
  for (int n = 5; n <= 150; ++n) {
    if (n == 100) {
      first.AddNew();
      first.SetFieldInteger(first.FieldIndex("case"), n);
      first.SetFieldText(first.FieldIndex("Name"), "r\xE9");
      first.SetFieldDate(first.FieldIndex("Day"), 45000.5);
      first.SetFieldDouble(first.FieldIndex("Value"), 1e30);
      first.SetFieldNull(first.FieldIndex("Flag"));
      first.Update();
    } else {
      AddRow(n % 41 == 0 ? second : first, n);
    }
    if (n % 50 == 0) AddRow(unit, n);
  }
  a.CommitCase();
  EXPECT_EQ(QueryText(Path(), "SELECT count(*), sum(rowid = \"CASE\"), sum(typeof(\"CASE\") = 'integer'), "
                              "sum(Name = 'r' || \"CASE\"), sum(Value = \"CASE\" * 0.5), sum(Day IS NULL) "
                              "FROM PrStream WHERE \"CASE\" <> 100"),
            "149|149|149|149|149|149\n");
  EXPECT_EQ(QueryText(Path(), "SELECT rowid, Name, Day, Value, typeof(Flag) FROM PrStream WHERE \"CASE\" = 100"),
            "100|r\xC3\xA9|2023-03-15 12:00:00|1.0e+30|null\n");
  EXPECT_EQ(QueryText(Path(), "SELECT group_concat(\"CASE\") FROM (SELECT \"CASE\" FROM PrUnit ORDER BY rowid)"),
            "10,20,50,100,150\n");
}

// Two workers that both found a table missing both create it, with its key
// index: the second creation goes on with the table the first one made.
TEST_F(DaoTest, TwoWritersCreatingOneTableBothGoOn) {
  CDaoDatabase a;
  a.Create(Path());
  CDaoDatabase b;
  b.Open(Path());
  for (CDaoDatabase* db : {&a, &b}) {
    MakeTable(*db, "PrInventory");
    CDaoTableDef def(db);
    def.Open("PrInventory");
    CDaoIndexInfo index;
    index.m_strName = "PrInventory";
    index.m_fields = {{"CASE", false}};
    def.CreateIndex(index);
    CDaoRecordset rs(db);
    rs.Open(&def);
    AddRow(rs, db == &a ? 1 : 2);
  }
  a.Close();
  b.Close();
  EXPECT_EQ(QueryText(Path(), "SELECT \"CASE\" FROM PrInventory ORDER BY 1"), "1\n2\n");
}

// Processes that reach a new file at once: each either makes it or finds it
// made and opens it, none sees it half made, and their queued cases all land.
TEST_F(DaoTest, ProcessesCreatingOneFileAtOnceAllWriteTheirCases) {
  constexpr int kProcesses = 6;
  constexpr int kCases = 20;
  for (int round = 0; round < 5; ++round) {
    const std::string path = Path("Round" + std::to_string(round) + ".Mdb");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
      const pid_t pid = ::fork();
      if (pid == 0) {
        ::close(ready[1]);
        char go;
        (void)!::read(ready[0], &go, 1);  // all start together when the pipe closes
        int rc = 0;
        try {
          CDaoDatabase db;
          try {
            db.Create(path);
          } catch (const CDaoException& e) {
            if (e.GetErrorCode() != kDaoErrDatabaseExists) throw;
            db.Open(path);
          }
          for (int c = 0; c < kCases; ++c) {
            db.BeginCase(true);
            db.Execute("CREATE TABLE IF NOT EXISTS \"PrCase\" (\"Worker\" INTEGER, \"CaseID\" INTEGER)");
            db.Execute("INSERT INTO \"PrCase\" VALUES (" + std::to_string(p) + ", " + std::to_string(c) + ")");
            db.CommitCase();
          }
          db.Close();
        } catch (const CDaoException& e) {
          std::fprintf(stderr, "worker %d: %s\n", p, e.what());
          rc = 1;
        }
        ::_exit(rc);
      }
      children.push_back(pid);
    }
    ::close(ready[0]);
    ::close(ready[1]);
    for (pid_t pid : children) {
      int status = 0;
      ::waitpid(pid, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
    }
    EXPECT_EQ(QueryText(path, "SELECT count(*), count(DISTINCT \"Worker\" * 100 + \"CaseID\") FROM PrCase"),
              std::to_string(kProcesses * kCases) + "|" + std::to_string(kProcesses * kCases) + "\n");
    EXPECT_EQ(QueryText(path, "PRAGMA journal_mode"), "wal\n");
    EXPECT_EQ(QueryText(path, "PRAGMA integrity_check"), "ok\n");
    // Only the file, its queue and the engine's own companions: no scratch copy is left.
    for (const auto& entry : fs::directory_iterator(m_dir.Path()))
      EXPECT_EQ(entry.path().filename().string().find(".new-"), std::string::npos) << entry.path();
  }
}

// Fails every write step of appending rows in turn; each time the rows whose
// commit succeeded are intact and the file passes its integrity check.
TEST_F(DaoTest, FaultLoopKeepsCommittedRows) {
  std::string base = Path("base.mdb");
  {
    CDaoDatabase db;
    db.Create(base);
    MakeTable(db, "PrStream");
    CDaoTableDef def(&db);
    def.Open("PrStream");
    CDaoRecordset rs(&db);
    rs.Open(&def);
    for (int i = 0; i < 100; ++i) AddRow(rs, i);
  }
  auto& vfs = plat::testing::SqliteFaultVfs::Get();
  CDaoDatabase::SetVfsForTesting(plat::testing::SqliteFaultVfs::kName);
  constexpr int kRows = 400, kCommitEvery = 60;
  int failures = 0;
  for (int n = 1; n < 2000; ++n) {
    std::string path = Path("run.mdb");
    fs::remove(path);
    fs::remove(path + "-wal");
    fs::remove(path + "-shm");
    fs::copy_file(base, path);
    int committed = 100;
    vfs.FailAt(n);
    try {
      CDaoDatabase db;
      db.Open(path);
      CDaoTableDef def(&db);
      def.Open("PrStream");
      CDaoRecordset rs(&db);
      rs.Open(&def);
      for (int i = 100; i < 100 + kRows; ++i) {
        AddRow(rs, i);
        if ((i + 1) % kCommitEvery == 0) {
          db.CommitPending();
          committed = i + 1;
        }
      }
      db.Close();
      committed = 100 + kRows;
    } catch (const CDaoException&) {
      ++failures;
    }
    bool hit = vfs.Failed();
    vfs.FailAt(0);
    std::string check = QueryText(path, "PRAGMA integrity_check");
    EXPECT_EQ(check, "ok\n") << "fault at write " << n;
    std::string count = QueryText(path, "SELECT count(*) FROM PrStream WHERE \"CASE\" < " + std::to_string(committed) +
                                            " AND Name = 'r' || \"CASE\" AND Value = \"CASE\" * 0.5");
    EXPECT_EQ(count, std::to_string(committed) + "\n") << "fault at write " << n;
    std::string max = QueryText(path, "SELECT count(*) FROM PrStream");
    EXPECT_LE(std::stoi(max), 100 + kRows) << "fault at write " << n;
    if (!hit) break;
  }
  CDaoDatabase::SetVfsForTesting("");
  EXPECT_GT(failures, 3);
}

}  // namespace
