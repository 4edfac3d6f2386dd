#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ado.h"
#include "platform/connection_string.h"
#include "platform/odbc_database.h"
#include "platform/odbc_handles.h"
#include "platform/testing/load_marker.h"
#include "platform/testing/odbc_test_env.h"
#include "platform/testing/pg_test_server.h"

namespace {

using plat::testing::ScopedOdbcIni;
using plat::testing::TempDir;

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

TEST(ConnectionStringTest, ParsesBracesAndQuotesValuesThatNeedThem) {
  auto items = plat::ParseConnectionString("Driver={SQL Server};PWD={a;b}}c};UID= sa ;Flag");
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].second, "SQL Server");
  EXPECT_EQ(items[1].second, "a;b}c");
  EXPECT_EQ(items[2].second, "sa");
  EXPECT_EQ(items[3].first, "Flag");
  EXPECT_EQ(plat::ConnectionPair("PWD", "a;b}c"), "PWD={a;b}}c}");
  EXPECT_EQ(plat::ConnectionPair("PWD", "plain"), "PWD=plain");
  // What ConnectionPair writes parses back to the same value.
  for (std::string value : {"x;y", "}{", "a=b", " lead", "}}"}) {
    auto back = plat::ParseConnectionString(plat::ConnectionPair("K", value));
    ASSERT_EQ(back.size(), 1u) << value;
    EXPECT_EQ(back[0].second, value);
  }
}

TEST(ConnectionStringTest, TranslatesProvidersAndDrivers) {
  TempDir dir;
  const std::string sqlite = dir.File("Model.mdb");
  const std::string jet = dir.File("Old.mdb");
  const std::string other = dir.File("Notes.mdb");
  WriteBytes(sqlite, std::string("SQLite format 3\0", 16) + std::string(84, '\0'));
  WriteBytes(jet, std::string("\0\1\0\0Standard Jet DB\0", 20) + std::string(80, '\0'));
  WriteBytes(other, "just text, no database");
  const std::string folder = dir.File("Folder.mdb");
  std::filesystem::create_directory(folder);
  unsetenv("OSTREL_SQLSERVER_ODBC_DRIVER");

  struct Case {
    std::string in, user, password;
    bool ok;
    std::string expected;  // the ODBC string, or a part of the refusal
  };
  const Case cases[] = {
      {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + sqlite, "", "", true,
       "Driver=SQLite3;Database=" + sqlite + ";Timeout=30000"},
      {"Provider=Microsoft.ACE.OLEDB.16.0;Data Source=" + jet, "", "", true, "Driver=MDBTools;DBQ=" + jet},
      {"ODBC; Driver={Microsoft Access Driver (*.mdb)};DBQ=" + sqlite, "", "", true,
       "Driver=SQLite3;Database=" + sqlite + ";Timeout=30000"},
      {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + other, "", "", false, "neither an SQLite"},
      {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir.File("missing.mdb"), "", "", false, "Could not find file"},
      {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + folder, "", "", false, "'" + folder + "' is a folder"},
      {"Provider=SQLNCLI11;Data Source=db.example,1444;Initial Catalog=Res;UID=u;PWD=p", "u", "p;x", true,
       "Driver=FreeTDS;Server=db.example;Port=1444;Database=Res;UID=u;PWD={p;x}"},
      {"Driver={SQL Server};Server=srv;Database=Res;UID=sa;PWD=pw", "", "", true,
       "Driver=FreeTDS;Server=srv;Database=Res;UID=sa;PWD=pw"},
      {"Provider=SQLOLEDB;Integrated Security=SSPI;Data Source=srv;Initial Catalog=Res", "", "", false,
       "Integrated Windows security"},
      {"Provider=OraOLEDB.Oracle.1; Data Source=orcl", "scott", "tiger", false, "Oracle"},
      {"Provider=Some.Other.Provider;Data Source=x", "", "", false, "not available"},
      {"DSN=Results;UID=a", "", "", true, "DSN=Results;UID=a"},
      {"DSN=Results;UID=a", "b", "c", true, "DSN=Results;UID=b;PWD=c"},
      {"Provider=MSDASQL;DSN=Results", "", "", true, "DSN=Results"},
  };
  for (const Case& c : cases) {
    plat::TranslatedConnection t = plat::TranslateConnectionString(c.in, c.user, c.password);
    EXPECT_EQ(t.ok, c.ok) << c.in << " -> " << t.odbc << t.message;
    if (c.ok)
      EXPECT_EQ(t.odbc, c.expected) << c.in;
    else
      EXPECT_NE(t.message.find(c.expected), std::string::npos) << c.in << " -> " << t.message;
  }
  EXPECT_TRUE(plat::TranslateConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + jet).readOnly);
}

// A table with every kind of value the readers meet, created through the layer itself.
const char* kCreate =
    "CREATE TABLE t (id INTEGER, s SMALLINT, d DOUBLE PRECISION, r REAL, n NUMERIC(10,2), "
    "txt VARCHAR(700), ts TIMESTAMP)";

void FillTable(CDatabase& db) {
  db.ExecuteSQL(kCreate);
  const std::string longText(600, 'x');
  db.ExecuteSQL("INSERT INTO t VALUES (1, 7, 2.5, 1.5, 12.34, 'it''s \xE9t\xE9  ', '2021-03-15 07:05:09')");
  db.ExecuteSQL("INSERT INTO t VALUES (2, NULL, NULL, NULL, NULL, '" + longText + "', NULL)");
}

void CheckThroughDatabase(CDatabase& db) {
  CRecordset rs(&db);
  rs.Open(CRecordset::snapshot, "SELECT id, s, d, r, n, txt, ts FROM t ORDER BY id");
  ASSERT_EQ(rs.GetODBCFieldCount(), 7);
  CODBCFieldInfo info;
  rs.GetODBCFieldInfo(6, info);
  EXPECT_EQ(info.m_nSQLType, SQL_TIMESTAMP);  // ODBC 2 code, as the readers expect
  ASSERT_FALSE(rs.IsEOF());
  CDBVariant v;
  rs.GetFieldValue(static_cast<std::int16_t>(0), v);
  EXPECT_EQ(v.m_dwType, DBVT_LONG);
  EXPECT_EQ(v.m_lVal, 1);
  rs.GetFieldValue("D", v);  // by name, any case
  EXPECT_EQ(v.m_dwType, DBVT_DOUBLE);
  EXPECT_DOUBLE_EQ(v.m_dblVal, 2.5);
  rs.GetFieldValue("n", v);  // SQLite reports a double, PostgreSQL a decimal as text
  EXPECT_DOUBLE_EQ(v.m_dwType == DBVT_STRING ? std::stod(v.m_strVal) : v.m_dblVal, 12.34);
  rs.GetFieldValue("txt", v);
  EXPECT_EQ(v.m_strVal, "it's \xE9t\xE9  ");  // Windows-1252 in, Windows-1252 out, blanks kept
  rs.GetFieldValue("ts", v);
  ASSERT_EQ(v.m_dwType, DBVT_DATE);
  EXPECT_EQ(v.m_date.year, 2021);
  EXPECT_EQ(v.m_date.second, 9);
  rs.Move(0);  // re-reading the record keeps its values
  rs.GetFieldValue(static_cast<std::int16_t>(0), v);
  EXPECT_EQ(v.m_lVal, 1);
  rs.MoveNext();
  ASSERT_FALSE(rs.IsEOF());
  for (const char* name : {"s", "d", "r", "n", "ts"}) {
    rs.GetFieldValue(name, v);
    EXPECT_EQ(v.m_dwType, DBVT_NULL) << name;
  }
  rs.GetFieldValue("txt", v);
  EXPECT_EQ(v.m_strVal.size(), 600u);
  rs.MoveNext();
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_THROW(rs.GetFieldValue(static_cast<std::int16_t>(0), v), CDBException);
  EXPECT_THROW(rs.MoveNext(), CDBException);
}

void CheckThroughAdo(plat::AdoConnection& cn) {
  auto rs = cn.Execute("SELECT id, s, d, r, n, txt, ts FROM t ORDER BY id");
  ASSERT_NE(rs, nullptr);
  ASSERT_EQ(rs->GetFieldCount(), 7);
  EXPECT_EQ(rs->GetItem(0L).GetType(), plat::adInteger);
  const bool decimal = rs->GetItem("n").GetType() == plat::adDecimal;
  EXPECT_EQ(rs->GetItem("ts").GetType(), plat::adDBTimeStamp);
  ASSERT_FALSE(rs->IsEOF());
  EXPECT_EQ(rs->GetItem("id").GetValue().vt, plat::VT_I4);
  plat::Variant n = rs->GetItem("n").GetValue();
  EXPECT_EQ(n.vt, decimal ? plat::VT_DECIMAL : plat::VT_R8);
  EXPECT_DOUBLE_EQ(n.dblVal, 12.34);
  plat::Variant ts = rs->GetItem("ts").GetValue();
  EXPECT_EQ(ts.vt, plat::VT_DATE);
  EXPECT_NEAR(ts.dblVal, 44270.0 + (7 * 3600 + 5 * 60 + 9) / 86400.0, 1e-9);  // 2021-03-15 07:05:09
  EXPECT_EQ(rs->GetItem("txt").GetValue().bstrVal, "it's \xE9t\xE9  ");
  rs->MoveNext();
  EXPECT_EQ(rs->GetItem("d").GetValue().vt, plat::VT_NULL);
  rs->MoveNext();
  EXPECT_TRUE(rs->IsEOF());
  EXPECT_THROW(rs->GetItem("id").GetValue(), plat::ComError);
  EXPECT_THROW(rs->GetItem("nothing"), plat::ComError);
  rs->Close();
  EXPECT_THROW(rs->MoveNext(), plat::ComError);
}

TEST(OdbcLayersTest, SqliteFileThroughBothLayers) {
  ScopedOdbcIni ini(ScopedOdbcIni::StandardDrivers());
  if (plat::testing::SqliteOdbcDriverLibrary().empty()) GTEST_SKIP() << "the SQLite3 ODBC driver is not installed";
  const std::string file = ini.Dir().File("Results.mdb");
  {
    CDatabase db;
    ASSERT_TRUE(db.OpenEx("Driver=SQLite3;Database=" + file));
    EXPECT_EQ(db.GetDbmsName(), "SQLite");
    FillTable(db);
    CheckThroughDatabase(db);
    EXPECT_THROW(db.ExecuteSQL("SELEKT nothing"), CDBException);
  }
  {
    // The Access driver string finds the SQLite file.
    CDatabase db;
    ASSERT_TRUE(db.Open("", false, false, "ODBC; Driver={Microsoft Access Driver (*.mdb)};DBQ=" + file));
    CheckThroughDatabase(db);
  }
  auto cn = std::make_shared<plat::AdoConnection>();
  cn->PutMode(plat::adModeReadWrite);
  cn->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file, "", "", 0);
  EXPECT_EQ(cn->GetState(), plat::adStateOpen);
  CheckThroughAdo(*cn);
  std::int64_t affected = 0;
  EXPECT_EQ(cn->Execute("UPDATE t SET s = 8 WHERE id = 1", &affected), nullptr);
  EXPECT_EQ(affected, 1);
  // A record set outlives the close of its connection.
  auto rs = cn->Execute("SELECT s FROM t WHERE id = 1");
  cn->Close();
  EXPECT_EQ(cn->GetState(), plat::adStateClosed);
  EXPECT_EQ(rs->GetItem(0L).GetValue().llVal, 8);
  EXPECT_THROW(cn->Execute("SELECT 1"), plat::ComError);
}

TEST(OdbcLayersTest, TransactionsCommitAndRollBack) {
  ScopedOdbcIni ini(ScopedOdbcIni::StandardDrivers());
  if (plat::testing::SqliteOdbcDriverLibrary().empty()) GTEST_SKIP() << "the SQLite3 ODBC driver is not installed";
  CDatabase db;
  db.OpenEx("Driver=SQLite3;Database=" + ini.Dir().File("tx.db"));
  db.ExecuteSQL("CREATE TABLE k (v INTEGER)");
  db.BeginTrans();
  auto st = db.Connection()->NewStatement();
  st->Prepare("INSERT INTO k VALUES (?)");
  for (int i = 0; i < 3; ++i) {
    st->BindLong(1, i);
    st->Execute();
  }
  db.CommitTrans();
  db.BeginTrans();
  db.ExecuteSQL("DELETE FROM k");
  db.Rollback();
  CRecordset rs(&db);
  rs.Open(CRecordset::forwardOnly, "SELECT COUNT(*) FROM k");
  std::string count;
  rs.GetFieldValue(static_cast<std::int16_t>(0), count);
  EXPECT_EQ(count, "3");
}

TEST(OdbcLayersTest, FailuresCarryTheDriverText) {
  ScopedOdbcIni ini(ScopedOdbcIni::StandardDrivers());
  CDatabase db;
  try {
    db.OpenEx("DSN=NoSuchSource;UID=u;PWD=p");
    FAIL() << "opened a missing data source";
  } catch (const CDBException& e) {
    EXPECT_FALSE(e.m_strError.empty());
    EXPECT_EQ(e.m_strStateNativeOrigin.substr(0, 6), "State:");
  }
  EXPECT_FALSE(db.IsOpen());
  EXPECT_THROW(db.ExecuteSQL("SELECT 1"), CDBException);

  plat::AdoConnection cn;
  try {
    cn.Open("Provider=OraOLEDB.Oracle; Data Source=orcl", "scott", "tiger", 0);
    FAIL() << "opened Oracle";
  } catch (const plat::ComError& e) {
    EXPECT_EQ(e.Error(), plat::kEFail);
    EXPECT_EQ(e.ErrorMessage(), "Unspecified error");
    EXPECT_NE(e.Description().find("Oracle"), std::string::npos);
  }
  ASSERT_EQ(cn.Errors().size(), 1u);
  EXPECT_EQ(cn.GetState(), plat::adStateClosed);
  EXPECT_EQ(plat::ComError(static_cast<plat::HRESULT>(0x80040205u), "", "").ErrorMessage(), "IDispatch error #5");
  EXPECT_EQ(plat::ComError(static_cast<plat::HRESULT>(0x80070057u), "", "").ErrorMessage(), "Unknown error 0x80070057");
}

// A library named by a path in a connection string is never loaded, through any layer: the driver manager
// would run its code.
TEST(OdbcLayersTest, ADriverLibraryNamedByAPathIsNeverLoaded) {
  ScopedOdbcIni ini(ScopedOdbcIni::StandardDrivers());
  const std::string library = plat::testing::LoadMarkerLibrary();
  const std::string fileDsn = ini.Dir().File("evil.dsn");
  WriteBytes(fileDsn, "[ODBC]\nDriver=" + library + "\n");
  const std::string texts[] = {
      "Driver=" + library + ";Server=x",
      "DRIVER = {" + library + "}",
      "Database={x}Driver=" + library,
      "FILEDSN=" + fileDsn,
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    plat::testing::ScopedLoadMarker marker;
    try {
      plat::odbc::Connection::Open(text);
      ADD_FAILURE() << "connected";
    } catch (const plat::odbc::Error& e) {
      ASSERT_FALSE(e.Diagnostics().empty());
      EXPECT_EQ(e.Diagnostics().front().state, "08001");
      EXPECT_NE(e.Diagnostics().front().message.find("The connection string is refused"), std::string::npos)
          << e.Diagnostics().front().message;
    }
    CDatabase db;
    EXPECT_THROW(db.OpenEx(text), CDBException);
    plat::AdoConnection cn;
    EXPECT_THROW(cn.Open(text, "", "", 0), plat::ComError);
    EXPECT_FALSE(marker.Loaded());
  }
  // The library does mark a load, so the checks above can see one.
  plat::testing::ScopedLoadMarker marker;
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  dlclose(handle);
  EXPECT_TRUE(marker.Loaded());
}

TEST(OdbcLayersTest, DataSourcesAndDriversComeFromTheIniFiles) {
  ScopedOdbcIni ini({{"SQLite3", "/nonexistent/lib.so"}, {"MyAccess", "/nonexistent/a.so"}},
                    {{"UserRes", "MyAccess", {}}}, {{"SysRes", "SQLite3", {}}});
  EXPECT_TRUE(plat::odbc::IsDriverInstalled("sqlite3"));
  EXPECT_FALSE(plat::odbc::IsDriverInstalled("FreeTDS"));
  auto user = plat::odbc::ListDataSources(false);
  ASSERT_EQ(user.size(), 1u);
  EXPECT_EQ(user[0].name, "UserRes");
  EXPECT_EQ(user[0].driver, "MyAccess");
  auto system = plat::odbc::ListDataSources(true);
  ASSERT_EQ(system.size(), 1u);
  EXPECT_EQ(system[0].name, "SysRes");
}

TEST(OdbcLayersTest, PostgresThroughBothLayers) {
  plat::testing::PgTestServer& server = plat::testing::PgTestServer::Shared();
  if (!server.Ok()) GTEST_SKIP() << server.Reason();
  ScopedOdbcIni ini(ScopedOdbcIni::StandardDrivers());
  ASSERT_TRUE(server.Psql("CREATE DATABASE layers"));
  CDatabase db;
  ASSERT_TRUE(db.OpenEx(server.OdbcConnectionString("layers")));
  EXPECT_EQ(db.GetDbmsName(), "PostgreSQL");
  EXPECT_EQ(db.GetIdentifierQuoteChar(), "\"");
  FillTable(db);
  CheckThroughDatabase(db);

  // A SQL Server provider string reaches the configured server driver.
  setenv("OSTREL_SQLSERVER_ODBC_DRIVER", "PostgreSQL", 1);
  plat::AdoConnection cn;
  cn.Open("Provider=SQLNCLI11;Data Source=127.0.0.1," + std::to_string(server.Port()) + ";Initial Catalog=layers",
          "postgres", "", 0);
  unsetenv("OSTREL_SQLSERVER_ODBC_DRIVER");
  CheckThroughAdo(cn);
}

}  // namespace
