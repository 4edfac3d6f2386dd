#include "dbdrivers/access/access_result_database.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dbdrivers/access/testing/access_fixture.h"
#include "modelfile/output_table.h"
#include "platform/text_encoding.h"

namespace {

using dbdrivers_testing::AccessFixture;

class AccessResultDatabaseTest : public ::testing::Test, public AccessFixture {
 protected:
  bool Open() {
    CVornModelFile& m = Model();
    if (!m.m_daoDatabase) m.m_daoDatabase = std::make_shared<CDaoDatabase>();
    return OpenOrCreateResultDatabase(exportData, nullptr, false, home.Path(), *m.m_daoDatabase, m.m_outputTables);
  }
  COutputTable* Table(const std::string& name, std::int32_t* existing = nullptr) {
    std::int32_t found = -1;
    CVornModelFile& m = Model();
    COutputTable* handle =
        FindOrCreateOutputTable(exportData, &m, name, exportData.m_bDeleteTables, *m.m_daoDatabase, m.m_outputTables,
                                exportData.m_paSelectedCases.get(), found, exportData.m_bDatabaseError);
    if (existing) *existing = found;
    return handle;
  }
  // A table made directly in the file, with rows.
  void MakeRows(const std::string& table, const std::string& columns, const std::string& rows) {
    CDaoDatabase& db = *Model().m_daoDatabase;
    db.Execute("CREATE TABLE \"" + table + "\" (" + columns + ")");
    db.Execute("INSERT INTO \"" + table + "\" VALUES " + rows);
  }
  void Reopen() {
    std::int32_t flag = 0;
    CloseDatabase(*Model().m_daoDatabase, Model().m_outputTables, flag);
    ASSERT_EQ(flag, 0);
    ASSERT_TRUE(Open());
  }
};

TEST_F(AccessResultDatabaseTest, DatabasePathsFollowTheDirectorySetting) {
  std::string shared = home.File("shared");
  std::filesystem::create_directories(shared);
  struct Case {
    int directory;
    std::string sharedDir;
    std::string expected;
  } cases[] = {
      {0, "", home.Path() + "/M1/Results.Mdb"},
      {1, "", home.Path() + "/M1/Results.Mdb"},
      {2, "", home.Path() + "/Results.Mdb"},
      {3, shared, shared + "/Results.Mdb"},
      {3, home.File("none"), home.Path() + "/M1/Results.Mdb"},
      {7, "", "/Results.Mdb"},
  };
  for (const Case& c : cases) {
    Settings().m_DatabaseDirectory.SetValue(c.directory);
    Settings().m_DatabaseSharedDir.SetValue(c.sharedDir);
    EXPECT_EQ(GetModelResultDatabasePath(Model(), home.Path()), c.expected) << c.directory;
  }
  EXPECT_EQ(GetDefaultResultDatabasePath(exportData), home.Path() + "/LGLOG11.Mdb");
  exportData.m_strDatabaseLogDir = shared;
  EXPECT_EQ(GetDefaultResultDatabasePath(exportData), shared + "/LGLOG11.Mdb");
}

// DatabaseOutputFile names the file; the directory settings choose its folder. A name with a folder in it,
// relative or absolute, places no database anywhere and fails the case naming the setting.
TEST_F(AccessResultDatabaseTest, ADatabaseFileNameWithAFolderIsRefused) {
  const std::string outside = home.File("escaped");
  for (const std::string& name :
       {std::string("../escaped/Results.Mdb"), outside + "/Results.Mdb", std::string("sub/R.Mdb"),
        std::string("..\\escaped\\R.Mdb"), std::string(".."), std::string("")}) {
    SCOPED_TRACE(name);
    exportData.m_bDatabaseError = 0;
    exportData.m_strDatabaseFailure.clear();
    Model().m_daoDatabase.reset();
    Model().m_outputTables.RemoveAll();
    Settings().m_DatabaseOutputFile.SetValue(name);
    EXPECT_EQ(GetModelResultDatabasePath(Model(), home.Path()), "");
    bool defines = false;
    EXPECT_FALSE(BeginCaseOutput(exportData, "run", defines));
    EXPECT_EQ(exportData.m_strDatabaseFailure,
              "the setting DatabaseOutputFile (\"" + plat::EscapeNonPrintable(name) +
                  "\") is not a plain file name: the setting DatabaseDirectory chooses the folder of the results "
                  "database");
    EXPECT_FALSE(Open());
    CDatabase odbc;
    EXPECT_FALSE(OpenResultDatabaseConnection(exportData, nullptr, home.Path(), odbc, false));
    EXPECT_EQ(exportData.m_bDatabaseError, 1);
  }
  EXPECT_FALSE(std::filesystem::exists(outside));
  EXPECT_FALSE(std::filesystem::exists(home.File("M1/sub")));
  Settings().m_DatabaseOutputFile.SetValue("Other.Mdb");
  EXPECT_EQ(GetModelResultDatabasePath(Model(), home.Path()), home.Path() + "/M1/Other.Mdb");
}

TEST_F(AccessResultDatabaseTest, AMissingDatabaseIsCreatedInTheFormatOfItsAccessVersion) {
  for (const char* version : {"Access 97 (8.0)", "Access 2000/2003 (9.0/11.0)"}) {
    std::filesystem::remove(DatabasePath());
    Model().m_daoDatabase.reset();
    Settings().m_AccessVersion.SetValue(version);
    ASSERT_TRUE(Open());
    EXPECT_TRUE(std::filesystem::exists(DatabasePath()));
    EXPECT_EQ(Model().m_daoDatabase->GetVersion(), std::string(version).find("97") != std::string::npos ? "3.0" : "4.0");
  }
  // Not Access: no file, and nothing fails.
  std::filesystem::remove(DatabasePath());
  Model().m_daoDatabase.reset();
  Settings().m_DatabaseOutputFormat.SetValue("Text");
  EXPECT_TRUE(Open());
  EXPECT_FALSE(std::filesystem::exists(DatabasePath()));
  EXPECT_EQ(exportData.m_bDatabaseError, 0);
}

TEST_F(AccessResultDatabaseTest, AnUnusableFileFailsTheOpen) {
  { std::ofstream(DatabasePath()) << "not a database, only some text that is long enough to be read"; }
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Open());
  std::string shown = testing::internal::GetCapturedStderr();
  EXPECT_NE(shown.find("Cannot open or create the result database ; Error message = "), std::string::npos) << shown;
  EXPECT_EQ(exportData.m_bDatabaseError, 1);
}

TEST_F(AccessResultDatabaseTest, TablesAreFoundOnceAndDroppedWhenTheModelAsks) {
  ASSERT_TRUE(Open());
  MakeRows("PrStream", "\"CaseID\" INTEGER", "(1),(2)");
  std::int32_t existing = -1;
  COutputTable* stream = Table("PrStream", &existing);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(existing, 0);
  EXPECT_FALSE(stream->m_bNewTable);
  EXPECT_TRUE(stream->m_pTableDef);
  EXPECT_EQ(Table("PrStream", &existing), stream);
  EXPECT_EQ(existing, 1);
  COutputTable* other = Table("PRSTREAM");
  EXPECT_NE(other, stream);  // the list compares names exactly
  COutputTable* missing = Table("PrCase");
  EXPECT_TRUE(missing->m_bNewTable);
  EXPECT_EQ(Model().m_outputTables.GetSize(), 3);

  // DeleteTables drops the table at its first opening only while DatabasePurgeOn is set.
  exportData.m_bDeleteTables = true;
  Settings().m_DatabasePurgeOn.SetValue(0);
  Reopen();
  EXPECT_FALSE(Table("PrStream")->m_bNewTable);
  EXPECT_EQ(Query("SELECT count(*) FROM PrStream"), "2\n");
  Settings().m_DatabasePurgeOn.SetValue(1);
  Reopen();
  EXPECT_TRUE(Table("PrStream")->m_bNewTable);
  EXPECT_EQ(Query("SELECT count(*) FROM sqlite_master WHERE name = 'PrStream'"), "0\n");
}

// Once a case of the process has joined a run recorded in the file, tables
// are dropped and old rows cleaned up by the run's defining case only: not by
// the cases of the other workers, and not at an opening outside any case.
TEST_F(AccessResultDatabaseTest, OnlyTheRunsDefiningCaseDropsOrCleansUp) {
  ASSERT_TRUE(Open());
  MakeRows("PrStream", "\"CaseID\" INTEGER", "(1),(2)");
  MakeRows("PrTrancolBasis", "\"CaseID\" INTEGER", "(1),(2)");
  exportData.m_bDeleteTables = true;
  Settings().m_DatabasePurgeOn.SetValue(1);
  bool defines = false;
  ASSERT_TRUE(BeginCaseOutput(exportData, "run 1", defines));
  EXPECT_TRUE(defines);
  EXPECT_TRUE(Table("PrStream")->m_bNewTable);  // the defining case drops it
  ASSERT_TRUE(EndCaseOutput(exportData, true));
  Reopen();

  // Another worker of the run: its cases keep what is there.
  ASSERT_TRUE(BeginCaseOutput(exportData, "run 1", defines));
  EXPECT_FALSE(defines);
  EXPECT_FALSE(Table("PrTrancolBasis")->m_bNewTable);
  ASSERT_TRUE(EndCaseOutput(exportData, true));
  Reopen();
  EXPECT_FALSE(Table("PrTrancolBasis")->m_bNewTable);  // outside a case, after joining the run
  EXPECT_EQ(Query("SELECT count(*) FROM PrTrancolBasis"), "2\n");

  // A run whose start removes rows is refused while the process that defined another run still runs.
  ASSERT_FALSE(BeginCaseOutput(exportData, "run 2", defines));
  EXPECT_NE(exportData.m_strDatabaseFailure.find("another run writes the results database"), std::string::npos)
      << exportData.m_strDatabaseFailure;
  EXPECT_EQ(Query("SELECT count(*) FROM OstrelRuns"), "1\n");
  exportData.m_strDatabaseFailure.clear();
  exportData.m_bDatabaseError = 0;
  Settings().m_DatabasePurgeOn.SetValue(0);
  ASSERT_TRUE(BeginCaseOutput(exportData, "run 2", defines));  // one that removes nothing writes beside it
  EXPECT_TRUE(defines);
  ASSERT_TRUE(EndCaseOutput(exportData, true));
  EXPECT_EQ(Query("SELECT count(*) FROM OstrelRuns"), "2\n");
}

TEST_F(AccessResultDatabaseTest, FirstOpeningsDeleteTheRowsOfTheSelectedCases) {
  ASSERT_TRUE(Open());
  MakeRows("PrStream", "\"CaseID\" INTEGER", "(1),(3),(5),(0)");
  MakeRows("LGCASE", "\"CASE\" INTEGER", "(3),(4),(5)");
  MakeRows("PrLog", "\"CaseID\" INTEGER", "(3),(5)");
  Settings().m_OnlyUniqueCasesInTablesOn.SetValue(1);
  Settings().m_DatabasePurgeOn.SetValue(0);
  exportData.m_paSelectedCases = std::make_unique<std::vector<std::int32_t>>(std::vector<std::int32_t>{3, 5});
  Table("PrStream");
  Table("LGCASE");
  Table("PrLog");
  EXPECT_EQ(Query("SELECT CaseID FROM PrStream ORDER BY 1"), "0\n1\n");
  EXPECT_EQ(Query("SELECT \"CASE\" FROM LGCASE"), "4\n");
  EXPECT_EQ(Query("SELECT count(*) FROM PrLog"), "2\n");

  // No selected case: the rows of case 0; and only at a table's first opening.
  exportData.m_paSelectedCases->clear();
  Table("PrStream");
  EXPECT_EQ(Query("SELECT count(*) FROM PrStream"), "2\n");
  Reopen();
  Table("PrStream");
  EXPECT_EQ(Query("SELECT CaseID FROM PrStream"), "1\n");

  // Any condition missing: nothing is deleted.
  Settings().m_OnlyUniqueCasesInTablesOn.SetValue(0);
  Reopen();
  Table("LGCASE");
  EXPECT_EQ(Query("SELECT count(*) FROM LGCASE"), "1\n");
}

TEST_F(AccessResultDatabaseTest, SolutionTablesKeepTheSolutionsOtherCasesStillUse) {
  ASSERT_TRUE(Open());
  Settings().m_OnlyUniqueCasesInTablesOn.SetValue(1);
  Settings().m_DatabasePurgeOn.SetValue(0);
  exportData.m_nSolutionID = 9;
  exportData.m_paSelectedCases = std::make_unique<std::vector<std::int32_t>>(std::vector<std::int32_t>{3});
  MakeRows("PrCase", "\"CaseID\" INTEGER, \"SolutionID\" INTEGER", "(3, 6), (4, 7)");
  MakeRows("PrSolution", "\"SolutionID\" INTEGER", "(6),(7),(8),(9)");
  MakeRows("PrNode", "\"SolutionID\" INTEGER", "(6),(7),(9)");
  Table("PrSolution");
  EXPECT_EQ(Query("SELECT SolutionID FROM PrSolution ORDER BY 1"), "7\n9\n");
  Model().m_daoDatabase->Execute("DELETE FROM \"PrCase\" WHERE \"CaseID\" = 4");
  Table("PrNode");
  EXPECT_EQ(Query("SELECT SolutionID FROM PrNode ORDER BY 1"), "9\n");
}

TEST_F(AccessResultDatabaseTest, IndexesSavedQueriesAndClosing) {
  ASSERT_TRUE(Open());
  MakeRows("PrStream", "\"CaseID\" INTEGER, \"Stream\" VARCHAR(8)", "(1, 'a')");
  COutputTable* stream = Table("PrStream");
  ASSERT_TRUE(CreateDaoTableIndex(*stream->m_pTableDef, "PrStream", {"CaseID", "Stream"}));
  ASSERT_TRUE(CreateDaoTableIndex(*stream->m_pTableDef, "PrStream", {"Stream"}));  // has one already
  EXPECT_EQ(Query("SELECT name FROM sqlite_master WHERE type = 'index'"), "PrStream_Key\n");

  CDaoDatabase& db = *Model().m_daoDatabase;
  std::vector<std::string> names;
  ASSERT_TRUE(CreateOrReplaceQueryDef(db, "qStreams", "SELECT CaseID FROM PrStream", &names));
  ASSERT_TRUE(CreateOrReplaceQueryDef(db, "qStreams", "SELECT Stream FROM PrStream", &names));
  EXPECT_EQ(names, (std::vector<std::string>{"qStreams", "qStreams"}));
  EXPECT_EQ(Query("SELECT * FROM qStreams"), "a\n");
  EXPECT_TRUE(DeleteQueryDef(db, "qStreams"));
  EXPECT_TRUE(DeleteQueryDef(db, "qStreams"));
  EXPECT_TRUE(DropDaoTable(db, "PrStream"));
  EXPECT_TRUE(DropDaoTable(db, "PrStream"));

  std::int32_t flag = 0;
  EXPECT_TRUE(CloseDatabase(db, Model().m_outputTables, flag));
  EXPECT_EQ(Model().m_outputTables.GetSize(), 0);
  EXPECT_FALSE(db.IsOpen());
  EXPECT_FALSE(CreateOrReplaceQueryDef(db, "q", "SELECT 1", nullptr));
}

TEST_F(AccessResultDatabaseTest, TheOdbcConnectionNeedsTheFile) {
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  CDatabase odbc;
  EXPECT_FALSE(OpenResultDatabaseConnection(exportData, nullptr, home.Path(), odbc, false));
  EXPECT_EQ(exportData.m_bDatabaseError, 1);
  if (plat::testing::SqliteOdbcDriverLibrary().empty()) GTEST_SKIP() << "no SQLite ODBC driver";
  exportData.m_bDatabaseError = 0;
  ASSERT_TRUE(Open());
  MakeRows("PrCase", "\"CaseID\" INTEGER", "(4)");
  Model().m_daoDatabase->Close();
  EXPECT_TRUE(OpenResultDatabaseConnection(exportData, nullptr, home.Path(), odbc, false));
  EXPECT_TRUE(odbc.IsOpen());
  EXPECT_EQ(exportData.m_bDatabaseError, 0);
}

}  // namespace
