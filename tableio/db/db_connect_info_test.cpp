#include "tableio/db/db_connect_info.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/exceptions.h"
#include "platform/string_table.h"
#include "platform/testing/odbc_test_env.h"
#include "tableio/db/oledb_provider.h"

namespace {

using plat::testing::ScopedOdbcIni;

// A registry file of the test's own, made current for the life of the object.
class ScopedRegistry {
 public:
  explicit ScopedRegistry(const std::string& content) {
    std::ofstream(m_dir.File("registry.ini")) << content;
    if (const char* old = std::getenv("OSTREL_REGISTRY")) m_old = old;
    setenv("OSTREL_REGISTRY", m_dir.File("registry.ini").c_str(), 1);
    ResetOledbProviderProbes();
  }
  ~ScopedRegistry() {
    if (m_old.empty())
      unsetenv("OSTREL_REGISTRY");
    else
      setenv("OSTREL_REGISTRY", m_old.c_str(), 1);
    ResetOledbProviderProbes();
  }

 private:
  plat::testing::TempDir m_dir;
  std::string m_old;
};

TEST(DbConnectInfoTest, OutputDatabaseTests) {
  EXPECT_TRUE(IsAccessDatabase("Access"));
  EXPECT_FALSE(IsAccessDatabase("access"));
  EXPECT_TRUE(IsAccess95Database("Access 7.0"));
  EXPECT_TRUE(IsAccess95Database("Access 95 (7.0)"));
  EXPECT_TRUE(IsAccess97Database("Access 97 (8.0)"));
  EXPECT_FALSE(IsAccess97Database(g_pszDefaultAccessVersion));
  int kept = -1;
  EXPECT_TRUE(IsSqlServerDatabase("SQL Server", kept));
  EXPECT_TRUE(IsSqlServerDatabase("Access", kept));  // the first answer is kept
  kept = -1;
  EXPECT_FALSE(IsSqlServerDatabase("Access", kept));
  EXPECT_EQ(ConnectionTypeFromName("SystemDSN"), 3);
  EXPECT_EQ(ConnectionTypeFromName("VornEE"), 7);
  EXPECT_EQ(ConnectionTypeFromName("systemdsn"), -1);
}

TEST(DbConnectInfoTest, SetTypeDerivesTheKind) {
  ScopedOdbcIni ini({{"Microsoft Access Driver (*.mdb)", "/x.so"}, {"Oracle in OraClient", "/y.so"},
                     {"SQL Server", "/z.so"}, {"Other", "/w.so"}},
                    {{"AccRes", "Microsoft Access Driver (*.mdb)", {}},
                     {"OraRes", "Oracle in OraClient", {}},
                     {"SqlRes", "SQL Server", {}},
                     {"OtherRes", "Other", {}}},
                    {{"SysSql", "SQL Server", {}}});
  struct Case {
    int type;
    std::string name;
    int kind;
  };
  const Case cases[] = {
      {0, "", 1},
      {1, "x.mdb", 2},
      {2, "", 5},
      {2, "accres", 2},  // data source names compare ignoring case
      {2, "OraRes", 4},
      {2, "SqlRes", 3},
      {2, "OtherRes", 5},
      {2, "Missing", 5},
      {2, "SysSql", 5},  // a system source is not a user source
      {3, "SysSql", 3},
      {4, "AccRes", 5},  // a file data source keeps kind 5
      {5, "whatever", 3},
      {8, "", 3},
      {6, "", 4},
      {9, "orcl", 4},
      {7, "", 5},
      {7, "Provider=SQLNCLI11;Data Source=s", 3},
      {7, "Provider=sqloledb;Data Source=s", 5},
      {7, "Provider=SQLOLEDB", 5},  // no ";" after the provider name
      {7, "DSN=x", 5},
  };
  for (const Case& c : cases) {
    CDbConnectInfo info;
    info.m_strName = c.name;
    info.SetType(c.type);
    EXPECT_EQ(info.m_nKind, c.kind) << c.type << " " << c.name;
    EXPECT_EQ(info.m_nType, c.type);
  }
  CDbConnectInfo info;
  info.SetType(42);
  EXPECT_EQ(info.m_nType, 42);
  EXPECT_EQ(info.m_nKind, 0);
  info.SetType(2);
  info.SetConnectionString("OraRes");
  EXPECT_EQ(info.m_nKind, 4);
}

TEST(DbConnectInfoTest, StringAfterMarker) {
  CDbConnectInfo info;
  const std::pair<std::string, std::string> cases[] = {
      {"abc@@@@DSN=x", "DSN=x"}, {"xyzDSN=y", "DSN=y"}, {"ab", ""}, {"", ""}, {"a@b", ""}};
  for (const auto& [name, expected] : cases) {
    info.m_strName = name;
    EXPECT_EQ(info.GetStringAfterMarker(), expected) << name;
  }
}

TEST(DbConnectInfoTest, ConnectionStringsPerType) {
  ScopedRegistry registry("");
  ScopedOdbcIni ini(std::vector<ScopedOdbcIni::Driver>{});
  CDbConnectInfo info;
  info.m_strName = "srv";
  info.m_strDatabase = "Res";
  info.m_strUser = "sa";
  info.m_strPassword = "pw";
  struct Case {
    int type;
    bool integrated;
    std::string expected;
  };
  const Case cases[] = {
      {1, false, "Provider=P;Data Source=srv"},
      {2, false, "DSN=srv"},
      {3, false, "DSN=srv"},
      {4, false, "FileDSN=srv"},
      {5, false, "Driver={SQL Server};Server=srv;Database=Res;UID=sa;PWD=pw"},
      {5, true, "Driver={SQL Server};Server=srv;Database=Res;UID=;PWD="},
      {6, false, "Provider=OraOLEDB.Oracle.1; Data Source=srv"},
      {8, false, "Provider=SQLOLEDB;Data Source=srv;Initial Catalog=Res;UID=sa;PWD=pw"},
      {8, true, "Provider=SQLOLEDB;Integrated Security=SSPI;Data Source=srv;Initial Catalog=Res"},
      {9, false, "Provider=OraOLEDB.Oracle; Data Source=srv"},
  };
  for (const Case& c : cases) {
    info.m_nType = c.type;
    info.m_bIntegratedSecurity = c.integrated;
    EXPECT_EQ(BuildAdoConnectionString(info, "P"), c.expected) << c.type;
  }
  // Credentials that hold ";" or "}" cannot break the string.
  info.m_nType = 5;
  info.m_bIntegratedSecurity = false;
  info.m_strPassword = "a;b}c";
  EXPECT_EQ(BuildAdoConnectionString(info, ""), "Driver={SQL Server};Server=srv;Database=Res;UID=sa;PWD={a;b}}c}");
  info.m_nType = 1;
  info.m_strName = "/data/a;b.mdb";
  EXPECT_EQ(BuildAdoConnectionString(info, "P"), "Provider=P;Data Source={/data/a;b.mdb}");
}

TEST(DbConnectInfoTest, ComErrorBoxesFillTheirTextsSafely) {
  ::testing::internal::CaptureStderr();
  ReportComError(plat::ComError(plat::kEFail, "Source X", "Description Y"));
  std::string shown = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(shown.find("Code = 80004005"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Code meaning = Unspecified error"), std::string::npos);
  EXPECT_NE(shown.find("Source = Source X"), std::string::npos);
  EXPECT_NE(shown.find("Description = Description Y"), std::string::npos);

  // A language text with more conversions than arguments, or odd ones, is filled without printf.
  plat::SetLanguageString(plat::StringTable::Shared, 1100, "%s %n %s %s %s %s %d %% %q");
  ::testing::internal::CaptureStderr();
  ReportComError(plat::ComError(plat::kEFail, "S", "D"));
  shown = ::testing::internal::GetCapturedStderr();
  plat::ClearLanguageStrings();
  EXPECT_EQ(shown.substr(shown.find(": ") + 2, 11), "2147500037 ") << shown;
  EXPECT_NE(shown.find("%n"), std::string::npos);
  EXPECT_NE(shown.find("% %q"), std::string::npos);
}

TEST(OledbProviderTest, ProbesAskTheRegistryOnceAndPreferTheNewest) {
  ScopedOdbcIni ini(std::vector<ScopedOdbcIni::Driver>{});  // no stand-in drivers: only the registry answers
  {
    ScopedRegistry registry(
        "[HKEY_CLASSES_ROOT\\CLSID\\{8F4A6B68-4F36-4e3c-BE81-BC7CA4E9C45C}]\n"
        "[HKEY_CLASSES_ROOT\\CLSID\\{85ECAFCC-BDD9-4b03-97A8-FA65CBE3859B}]\n"
        "[HKEY_CLASSES_ROOT\\CLSID\\{dee35060-506b-11cf-b1aa-00aa00b8de95}]\n");
    EXPECT_EQ(GetSqlServerProvider(), "SQLNCLI10");
    EXPECT_EQ(GetSqlServerProvider(), "SQLNCLI10");
    EXPECT_FALSE(IsAceOledb16Registered());
    EXPECT_EQ(ChooseAccessProvider("a.accdb"), "Microsoft.Jet.OLEDB.3.51");
    // A provider registered after the first probe is not seen.
    std::ofstream(std::getenv("OSTREL_REGISTRY")) << "[HKEY_CLASSES_ROOT\\CLSID\\{3BE786A2-0366-4F5C-9434-25CF162E475E}]\n";
    EXPECT_FALSE(IsAceOledb16Registered());
  }
  {
    ScopedRegistry registry("");
    EXPECT_EQ(GetSqlServerProvider(), "SQLOLEDB");
    EXPECT_EQ(ChooseAccessProvider("a.mdb"), "");
  }
}

TEST(OledbProviderTest, InstalledDriversStandInForProviders) {
  ScopedRegistry registry("");
  ScopedOdbcIni ini(std::vector<ScopedOdbcIni::Driver>{{"SQLite3", "/x.so"}, {"FreeTDS", "/y.so"}});
  unsetenv("OSTREL_SQLSERVER_ODBC_DRIVER");
  EXPECT_TRUE(IsAceOledb16Registered());
  EXPECT_EQ(ChooseAccessProvider("Model.ACCDB"), "Microsoft.Ace.OLEDB.12.0");
  EXPECT_EQ(ChooseAccessProvider("Model.mdb"), "Microsoft.Jet.OLEDB.4.0");
  EXPECT_EQ(GetSqlServerProvider(), "SQLNCLI11");
  EXPECT_TRUE(IsAccdbFile("x.AccDb"));
  EXPECT_FALSE(IsAccdbFile("db"));
}

TEST(DbConnectInfoTest, OpensAnAccessFileThatIsSqliteAndRefusesAfterAFailedString) {
  if (plat::testing::SqliteOdbcDriverLibrary().empty()) GTEST_SKIP() << "the SQLite3 ODBC driver is not installed";
  ScopedRegistry registry("");
  ScopedOdbcIni ini(ScopedOdbcIni::StandardDrivers());
  const std::string file = ini.Dir().File("Input.mdb");
  std::ofstream(file).close();  // an empty file opens as a new SQLite database

  CDbConnectInfo info;
  info.m_strName = file;
  info.SetType(kDbConnAccess);
  plat::AdoConnectionPtr cn;
  OpenAdoConnection(cn, info, false, "");
  ASSERT_NE(cn, nullptr);
  EXPECT_EQ(cn->GetState(), plat::adStateOpen);
  EXPECT_EQ(cn->GetMode(), plat::adModeReadWrite);

  info.m_strName = ini.Dir().File("missing.mdb");
  plat::AdoConnectionPtr failed;
  EXPECT_THROW(OpenAdoConnection(failed, info, true, ""), CUserException);

  CDbConnectInfo oracle;
  oracle.SetType(kDbConnOracle);
  oracle.m_strName = "orcl";
  EXPECT_THROW(OpenAdoConnection(failed, oracle, true, ""), CUserException);

  bool enabled = true;
  plat::AdoConnectionPtr byString;
  EXPECT_THROW(OpenAdoConnectionString(byString, "DSN=NoSuchSource", enabled), CUserException);
  EXPECT_FALSE(enabled);
  byString.reset();
  EXPECT_THROW(OpenAdoConnectionString(byString, "Driver=SQLite3;Database=" + file, enabled), CUserException);
  EXPECT_EQ(byString, nullptr);  // refused at once, no connection made
  enabled = true;
  OpenAdoConnectionString(byString, "Driver=SQLite3;Database=" + file, enabled);
  EXPECT_EQ(byString->GetState(), plat::adStateOpen);
}

}  // namespace
