#include "dbdrivers/sqlserver/db_sql_svr.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "platform/testing/odbc_test_env.h"
#include "platform/testing/pg_test_server.h"

namespace {

class MemoryLog : public ILogging {
 public:
  void SetEnabled(bool enabled) override { m_enabled = enabled; }
  void SetFileName(const std::string& fileName) override { m_fileName = fileName; }
  void SetDirectory(const std::string& directory) override { m_directory = directory; }
  void Write(const std::string& text) override { m_text += text; }
  void Close() override {}
  int Count(const std::string& piece) const {
    int n = 0;
    for (std::size_t at = m_text.find(piece); at != std::string::npos; at = m_text.find(piece, at + 1)) ++n;
    return n;
  }
  bool m_enabled = false;
  std::string m_fileName, m_directory, m_text;
};

// The bulk writer's side of the conversation: every call is recorded, and
// each StartTable takes the next scripted outcome (time, error, or a throw).
struct Script {
  std::int32_t time = -1;
  std::string error;
  int throwKind = 0;  // 1 ComError, 2 std::exception, 3 anything else
};

struct FakeState {
  std::vector<std::string> calls;
  std::deque<Script> script;
  std::string lastError;
  int created = 0;
};
FakeState g_fake;

class FakeOrvid : public IOrvid {
 public:
  void Initialize(const std::string& kind, const std::string& product) override {
    g_fake.calls.push_back("Initialize " + kind + " " + product);
  }
  std::string GetLastError() override { return g_fake.lastError; }
  void Connect(const std::string& connection) override { g_fake.calls.push_back("Connect " + connection); }
  bool StartTable(const char* table, std::int32_t* columns, std::int32_t* count, std::int32_t* time) override {
    g_fake.calls.push_back(std::string("StartTable ") + table + " " + std::to_string(*columns) + " " +
                           std::to_string(*count) + " " + std::to_string(*time));
    Script s;
    if (!g_fake.script.empty()) {
      s = g_fake.script.front();
      g_fake.script.pop_front();
    }
    if (s.throwKind == 1) throw plat::ComError(static_cast<plat::HRESULT>(0x80004005), "src", "broken");
    if (s.throwKind == 2) throw std::runtime_error("bad things");
    if (s.throwKind == 3) throw 42;
    if (s.time != -1) {
      *count = 7;
      *time = s.time;
    }
    g_fake.lastError = s.error;
    return true;
  }
  bool EndRow() override { return Record("EndRow"); }
  bool SetTextValue(const char* f, const char* t) override { return Record(std::string("Text ") + f + "=" + t); }
  bool SetShortValue(const char* f, std::int16_t v) override { return Record("Short " + Val(f, v)); }
  bool SetLongValue(const char* f, std::int32_t v) override { return Record("Long " + Val(f, v)); }
  bool SetDoubleValue(const char* f, double v) override { return Record("Double " + Val(f, v)); }
  bool SetDateTimeValue(const char* f, double v) override { return Record("Date " + Val(f, v)); }
  bool Execute(const std::string& sql, const std::vector<Parameter>&, std::vector<std::string>*,
               std::int64_t*) override {
    return Record("Execute " + sql);
  }
  std::string GetDbmsName() override { return "fake"; }

 private:
  template <class T>
  static std::string Val(const char* f, T v) {
    std::ostringstream out;
    out << f << "=" << v;
    return out.str();
  }
  static bool Record(const std::string& call) {
    g_fake.calls.push_back(call);
    return true;
  }
};

class DbSqlSvrTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_fake = FakeState{};
    IOrvid::SetFactoryForTesting([]() -> IOrvid* {
      ++g_fake.created;
      return new FakeOrvid();
    });
  }
  void TearDown() override { IOrvid::SetFactoryForTesting(nullptr); }

  MemoryLog m_log;
};

TEST_F(DbSqlSvrTest, StartsOnlyWithAConnectionStringAndLogsItsCatalogue) {
  {
    DbSqlSvr driver(&m_log);
    EXPECT_EQ(m_log.m_fileName, "DbExport.log");
    driver.StartSQLServer("/models/m1", "");
    EXPECT_FALSE(driver.IsOpen());
    driver.StartSQLServer("/models/m1", "Provider=SQLOLEDB;Data Source=srv");
    EXPECT_TRUE(driver.IsOpen());
    driver.StartSQLServer("/models/m1", "Provider=SQLOLEDB;Initial Catalog= Results ;Data Source=srv");
    EXPECT_EQ(m_log.m_directory, "/models/m1");
    EXPECT_EQ(driver.GetFailureFilePath(), "/models/m1/SqlUpdateError.txt");
  }
  EXPECT_EQ(m_log.m_text,
            "mtd: DbSqlSvr\n"
            " - StartSQLServer (  ) - - - - - - - - - - - \n"
            " - StartSQLServer ( Results ) - - - - - - - - - - - \n"
            "mtd: ~DbSqlSvr\n");
  // Without a model directory the failure file goes to the run directory, never to a Windows drive name.
  DbSqlSvr fresh(&m_log);
  EXPECT_EQ(fresh.GetFailureFilePath(), "SqlUpdateError.txt");
  fresh.SetRunDirectory("/runs/r1");
  fresh.StartSQLServer("", "Data Source=srv");
  EXPECT_EQ(fresh.GetFailureFilePath(), "/runs/r1/SqlUpdateError.txt");
}

TEST_F(DbSqlSvrTest, ConnectionStringValues) {
  DbSqlSvr driver(&m_log);
  driver.StartSQLServer("", "Provider=SQLOLEDB; Data Source = srv ;;UserId=\"bob\";User ID=sa;Password=a=b;"
                            "Initial Catalog=;Extra=Initial Catalog");
  struct Case {
    const char* key;
    const char* value;
  } cases[] = {
      {"Data Source", "srv"},
      {"UserId", "\"bob\""},
      {"User ID", "sa"},
      {"Password", "a"},                  // cut at a further "="
      {"Initial Catalog", "Initial Catalog"},  // the empty element has no value; a value containing the key wins
      {"Source", "srv"},                  // inside a longer key
      {"Missing", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(driver.GetConnectionStringValue(c.key), c.value) << c.key;
}

TEST_F(DbSqlSvrTest, StartsOncePerProcessAndNamesTheLogPerCase) {
  plat::testing::TempDir dir;
  std::string registry = dir.File("registry.ini");
  setenv("OSTREL_REGISTRY", registry.c_str(), 1);
  struct Case {
    const char* value;  // null: no value
    int exportKind;
    bool enabled;
  } cases[] = {{nullptr, 1, false}, {"False", 1, false}, {"fALSE", 1, false}, {"0", 1, true},
               {"no", 1, true},     {"True", 1, true},   {"False", 2, true}};
  for (const Case& c : cases) {
    {
      std::ofstream out(registry);
      out << "[HKEY_CURRENT_USER\\Software\\QuorvaneTech\\VornWin\\Adapter]\n";
      if (c.value) out << "Logging=" << c.value << "\n";
    }
    MemoryLog log;
    CVornDbExportData data(&log);
    DbSqlSvr driver(&log);
    data.m_pSqlServer = &driver;
    data.m_nExportKind = c.exportKind;
    data.m_pModel = std::make_unique<CVornModelFile>();
    data.m_pModel->m_settings.m_undecipheredSettings = {"DatabaseOutputConnection"};
    InitializeSqlServerConnection(data, "/models/m1", "Initial Catalog=R", 12);
    // A connection no key deciphered is named in the log.
    EXPECT_EQ(log.Count("The setting DatabaseOutputConnection of the model file cannot be deciphered"), 1);
    EXPECT_EQ(log.m_enabled, c.enabled) << (c.value ? c.value : "none") << " kind " << c.exportKind;
    EXPECT_TRUE(driver.IsOpen());
    EXPECT_EQ(log.m_fileName, "DbExport000012.log");
    log.m_enabled = !c.enabled;
    log.m_directory.clear();
    InitializeSqlServerConnection(data, "/other", "Initial Catalog=S", -1);
    EXPECT_EQ(log.m_fileName, "DbExport.log");
    EXPECT_EQ(log.m_enabled, !c.enabled);  // decided once
    EXPECT_EQ(log.m_directory, "");
    EXPECT_EQ(driver.GetConnectionStringValue("Initial Catalog"), "R");
    data.m_pSqlServer = nullptr;
  }
  unsetenv("OSTREL_REGISTRY");
}

// A connection string that would load a library by a path never starts the driver: the export's failure
// names the setting, and whether a case of the export configuration set it.
TEST_F(DbSqlSvrTest, ARefusedConnectionFailsTheCaseNamingTheSetting) {
  for (const bool fromCase : {false, true}) {
    SCOPED_TRACE(fromCase ? "a case setting" : "the model's setting");
    MemoryLog log;
    CVornDbExportData data(&log);
    DbSqlSvr driver(&log);
    data.m_pSqlServer = &driver;
    data.m_pModel = std::make_unique<CVornModelFile>();
    const std::string refused = "Driver=/tmp/evil.so;Server=x";
    data.m_pModel->m_baseSettings.m_DatabaseOutputConnection.SetValue(fromCase ? "Initial Catalog=R" : refused);
    EXPECT_FALSE(InitializeSqlServerConnection(data, "/models/m1", refused, 4));
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_EQ(data.m_bDatabaseError, 1);
    const std::string expected =
        std::string("the setting DatabaseOutputConnection") +
        (fromCase ? " (a case setting of the export configuration)" : "") +
        " is refused: the driver \"/tmp/evil.so\" is a path, not a driver name from the ODBC configuration";
    EXPECT_EQ(data.m_strDatabaseFailure, expected);
    EXPECT_EQ(log.Count(expected), 1);
    data.m_pSqlServer = nullptr;
  }
}

TEST_F(DbSqlSvrTest, PassesEveryValueStraightToTheBulkWriter) {
  DbSqlSvr driver(&m_log);
  EXPECT_EQ(driver.BulkWriteDirect("PrStream", 1), 0);  // not open
  driver.StartSQLServer("", "Initial Catalog=R");
  EXPECT_EQ(driver.BulkWriteDirect("PrStream", 0), 0);  // not an LG table
  EXPECT_EQ(g_fake.created, 0);
  EXPECT_EQ(driver.BulkWriteDirect("PrStream", 1), 1);
  EXPECT_EQ(driver.SetLongIntegerValue("PrStream", 1, "CaseID", 3, 5), 1);
  EXPECT_EQ(driver.SetShortIntegerValue("PrStream", 1, "Period", 2, 2), 1);
  EXPECT_EQ(driver.SetDoubleValue("PrStream", 1, "Value", 2, 0.5), 1);
  EXPECT_EQ(driver.SetDateTimeValue("PrStream", 1, "Day", 2, 0.0), 1);
  EXPECT_EQ(driver.SetTextValue("PrStream", 1, "Name", 2, "abc", 1), 1);
  EXPECT_EQ(driver.SetMemoValue("PrStream", 1, "Note", 2, "long", 1), 1);
  EXPECT_EQ(driver.SetMemoValue("PrStream", 0, "Note", 2, "skipped", 1), 0);
  EXPECT_EQ(driver.UpdateRecord("PrStream", nullptr), driver.GetNoOpText());
  EXPECT_EQ(driver.EndRecord("PrStream", 1), 1);
  std::vector<std::string> expected = {"Initialize SQLServer Vorn", "Connect Initial Catalog=R",
                                       "StartTable PrStream -1 -1 -1", "Long CaseID=5", "Short Period=2",
                                       "Double Value=0.5", "Date Day=0", "Text Name=abc", "Text Note=long", "EndRow"};
  EXPECT_EQ(g_fake.calls, expected);
  EXPECT_EQ(driver.GetNoOpText(), "NO_OPS");
}

TEST_F(DbSqlSvrTest, AFlushWithoutRecordsConnectsAndStartsTheEmptyTable) {
  DbSqlSvr driver(&m_log);
  driver.UpdateTableDataToDatabase(nullptr);  // not open: only its line
  EXPECT_EQ(g_fake.created, 0);
  driver.StartSQLServer("", "Initial Catalog=R");
  driver.UpdateTableDataToDatabase("");  // a given empty name: nothing at all
  driver.UpdateTableDataToDatabase(nullptr);
  std::vector<std::string> expected = {"Initialize SQLServer Vorn", "Connect Initial Catalog=R",
                                       "StartTable  -1 -1 -1"};
  EXPECT_EQ(g_fake.calls, expected);
  EXPECT_EQ(m_log.Count("updateTable: \n"), 2);
}

TEST_F(DbSqlSvrTest, LogsEachBulkWriteAndRerunsDeadlocksAndSchemaChanges) {
  const std::string deadlock = "Transaction was deadlocked on lock resources. Rerun the transaction.";
  struct Case {
    const char* name;
    std::vector<Script> script;  // the first entry answers the write, the rest the reruns
    int reruns;
    std::vector<std::string> logged;
  } cases[] = {
      {"clean write", {{12, ""}}, 0, {"PrStream, BulkWriteDirect, RecordCount: 7, Time: 12\n"}},
      {"error without phrase", {{12, "Invalid column\r\nname"}}, 0, {"Invalid column  name\n"}},
      {"phrase at the start", {{12, "Rerun the transaction now"}}, 0, {}},
      {"blanks only", {{12, " \r\n "}}, 0, {}},
      {"deadlock cleared by the second rerun",
       {{12, deadlock}, {3, "Rerun the transaction"}, {4, ""}},
       2,
       {"Rerunning stmt for PrStream, attempt 1\n", "*** Rerun the transaction ***\n",
        "Rerunning stmt for PrStream, attempt 2\n", "PrStream, BulkWriteDirect, RecordCount: 7, Time: 4\n"}},
      {"schema change then another error",
       {{12, "Could not complete: schema change\nof table"}, {3, "  "}},
       1,
       {"***    ***\n"}},
  };
  for (const Case& c : cases) {
    SetUp();
    MemoryLog log;
    DbSqlSvr driver(&log);
    driver.StartSQLServer("", "Initial Catalog=R");
    driver.BulkWriteDirect("PrStream", 1);
    g_fake.script.assign(c.script.begin(), c.script.end());
    driver.BulkWriteDirect("PrCase", 1);
    EXPECT_EQ(log.Count("Rerunning stmt for PrStream"), c.reruns) << c.name;
    EXPECT_EQ(log.Count("Quitting"), 0) << c.name;
    for (const std::string& line : c.logged) EXPECT_EQ(log.Count(line), 1) << c.name << ": " << line;
    if (c.reruns == 0) {
      EXPECT_EQ(log.Count("***"), 0) << c.name;
    }
    if (std::string(c.name) == "blanks only") {
      EXPECT_EQ(log.Count("\n"), 3) << log.m_text;  // nothing but the write line
    }
  }
}

TEST_F(DbSqlSvrTest, RerunsStopAfterAThousandAttempts) {
  DbSqlSvr driver(&m_log);
  driver.StartSQLServer("", "Initial Catalog=R");
  driver.BulkWriteDirect("PrStream", 1);
  g_fake.script.assign(1002, Script{5, "deadlock victim: Rerun the transaction"});
  driver.BulkWriteDirect("PrCase", 1);
  EXPECT_EQ(m_log.Count("Rerunning stmt for PrStream"), 1000);
  EXPECT_EQ(m_log.Count("Quitting rerunning of insert for PrStream as attempts (1001) exceeded max attempts (1000).\n"),
            1);
  EXPECT_EQ(g_fake.script.size(), 1u);  // one write and 1000 reruns
}

// The writer's error text may echo the connection string: the export log gets it masked.
TEST_F(DbSqlSvrTest, TheLogNeverShowsThePassword) {
  DbSqlSvr driver(&m_log);
  driver.StartSQLServer("", "Initial Catalog=R;User ID=sa;Password=Top$ecret");
  driver.BulkWriteDirect("PrStream", 1);
  g_fake.script.assign(1, Script{5, "login failed for 'Initial Catalog=R;User ID=sa;Password=Top$ecret' (Top$ecret)"});
  driver.BulkWriteDirect("PrCase", 1);
  EXPECT_EQ(m_log.Count("Top$ecret"), 0) << m_log.m_text;
  EXPECT_EQ(m_log.Count("login failed for 'Initial Catalog=R;User ID=sa;Password=********"), 1) << m_log.m_text;
}

TEST_F(DbSqlSvrTest, AFailedFlushIsReportedByTheKindOfItsException) {
  plat::testing::TempDir dir;
  for (int kind = 1; kind <= 3; ++kind) {
    MemoryLog log;
    DbSqlSvr driver(&log);
    driver.StartSQLServer(dir.Path(), "Data Source=x;Initial Catalog=Res");
    g_fake.script.assign(1, Script{-1, "", kind});
    EXPECT_NO_THROW(driver.UpdateTableDataToDatabase(nullptr));
    bool logged = log.m_text.find("UpdateTableDataToDatabase failed; table: Res.NoTableName;") != std::string::npos;
    EXPECT_EQ(logged, kind != 1) << kind;
    if (kind == 2) {
      EXPECT_NE(log.m_text.find("records not written: -1; hr: 0; EXCEPTION: bad things\n"), std::string::npos);
    }
    if (kind == 3) {
      EXPECT_NE(log.m_text.find("records: -1; hr: 1; EXCEPTION:  COM Error\n"), std::string::npos);
    }
  }
  std::ifstream file(dir.File("SqlUpdateError.txt"));
  std::string line;
  std::getline(file, line);
  EXPECT_NE(line.find("   UpdateTableDataToDatabase failed for table Res.NoTableName with number of records = -1; "
                      "hr=0; EXCEPTION:  COM Error"),
            std::string::npos);
  EXPECT_FALSE(std::getline(file, line));
}

TEST_F(DbSqlSvrTest, LendsOneAdoConnectionUntilItIsClosed) {
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  if (plat::testing::SqliteOdbcDriverLibrary().empty()) GTEST_SKIP() << "no SQLite ODBC driver";
  DbSqlSvr driver(&m_log);
  driver.StartSQLServer("", "Driver=SQLite3;Database=" + ini.Dir().File("r.db") + ";Initial Catalog=R");
  plat::AdoConnectionPtr first = driver.GetConnection();
  plat::AdoConnectionPtr second = driver.GetConnection();
  ASSERT_TRUE(first);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first.use_count(), 3);
  driver.CloseConnection();
  EXPECT_EQ(first->GetState(), plat::adStateClosed);
  plat::AdoConnectionPtr third = driver.GetConnection();
  EXPECT_NE(third, first);

  DbSqlSvr broken(&m_log);
  broken.StartSQLServer("", "Driver=NoSuchDriver;Initial Catalog=R");
  EXPECT_EQ(broken.GetConnection(), nullptr);
  EXPECT_NE(m_log.m_text.find("Exception occurred while opening ADO database connection. Error: (0x"), std::string::npos);
}

// An integer query takes its parameters in order and gives the first column of each row, without nulls; a
// statement the server refuses throws.
TEST_F(DbSqlSvrTest, QueriesIntegersInTheBulkWritersTransaction) {
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  if (plat::testing::SqliteOdbcDriverLibrary().empty()) GTEST_SKIP() << "no SQLite ODBC driver";
  IOrvid::SetFactoryForTesting(nullptr);
  DbSqlSvr driver(&m_log);
  driver.StartSQLServer("", "Driver=SQLite3;Database=" + ini.Dir().File("r.db") + ";Initial Catalog=R");
  plat::AdoConnectionPtr connection = driver.GetConnection();
  ASSERT_TRUE(connection);
  connection->Execute("CREATE TABLE \"PrCase\" (\"SolutionID\" INTEGER, \"CaseID\" INTEGER, \"Passes\" INTEGER)");
  connection->Execute("INSERT INTO \"PrCase\" VALUES (1, 3, 7), (1, 4, NULL), (1, 5, 9), (2, 3, 8)");
  EXPECT_EQ(driver.QueryIntegers("SELECT \"Passes\" FROM \"PrCase\" WHERE \"SolutionID\" = ? AND \"CaseID\" >= ? "
                                 "ORDER BY \"CaseID\"",
                                 {1, 4}),
            (std::vector<std::int32_t>{9}));
  EXPECT_EQ(driver.QueryIntegers("SELECT \"CaseID\" FROM \"PrCase\" WHERE \"SolutionID\" = ? ORDER BY 1", {1}),
            (std::vector<std::int32_t>{3, 4, 5}));
  EXPECT_THROW(driver.QueryIntegers("SELECT \"ModelID\" FROM \"PrSolution\"", {}), plat::odbc::Error);
}

// The run key holds the export configuration's run identifier: quotes and a final backslash stay text, also
// on a server that reads backslashes as escapes. A second unit claiming the key finds the first one's row.
TEST_F(DbSqlSvrTest, RunKeysAreKeptAsTheyAre) {
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  IOrvid::SetFactoryForTesting(nullptr);
  std::vector<std::string> servers;
  if (!plat::testing::SqliteOdbcDriverLibrary().empty())
    servers.push_back("Driver=SQLite3;Database=" + ini.Dir().File("runs.db"));
  plat::testing::PgTestServer& pg = plat::testing::PgTestServer::Shared();
  if (pg.Ok() && pg.Psql("DROP DATABASE IF EXISTS runkeys; CREATE DATABASE runkeys") &&
      pg.Psql("ALTER DATABASE runkeys SET standard_conforming_strings = off"))
    servers.push_back(pg.OdbcConnectionString("runkeys"));
  if (servers.empty()) GTEST_SKIP() << "no SQLite or PostgreSQL ODBC driver";
  for (const std::string& server : servers) {
    SCOPED_TRACE(server);
    for (const std::string key : {"M|1|it's", "M|1|ends\\", "M|1|\\'); DROP TABLE \"OstrelRuns\"; --"}) {
      SCOPED_TRACE(key);
      for (const bool expectDefines : {true, false}) {
        DbSqlSvr driver(&m_log);
        driver.StartSQLServer("", server + ";Initial Catalog=R");
        bool replaced = true;
        bool defines = !expectDefines;
        ASSERT_TRUE(driver.BeginCaseUnit(1, 1, "R1", 1, replaced)) << driver.TakeWriteFailure();
        EXPECT_FALSE(replaced);
        ASSERT_TRUE(driver.ClaimRun(key, defines)) << driver.TakeWriteFailure();
        EXPECT_EQ(defines, expectDefines);
        driver.UpdateTableDataToDatabase(nullptr);
        EXPECT_EQ(driver.TakeWriteFailure(), "");
        driver.EndCaseUnit();
      }
    }
  }
}

}  // namespace
