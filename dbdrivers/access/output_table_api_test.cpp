#include "dbdrivers/access/output_table_api.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/access/testing/access_fixture.h"
#include "dbdrivers/sqlserver/db_sql_svr.h"
#include "modelfile/output_table.h"
#include "platform/testing/sqlite_fault_vfs.h"
#include "standins/testing/recording_orvid.h"

namespace {

using dbdrivers_testing::AccessFixture;

int Len(const char* text) { return static_cast<int>(std::strlen(text)); }

class OutputTableApiTest : public ::testing::Test, public AccessFixture {
 protected:
  COutputTable* Open(const char* table, std::int32_t* existing = nullptr) {
    return COpenTable(exportData, table, Len(table), "m1", 2, 0, existing);
  }
  // The stream table of the writers: open, define, end.
  COutputTable* DefineStreams() {
    COutputTable* t = Open("PrStream");
    if (t == nullptr) return nullptr;
    bool ok = CDefineLongIntegerField(exportData, t, "CaseID", 6, true) &&
              CDefineTextField(exportData, t, "Stream  ", 8, 254, true) &&
              CDefineDoubleField(exportData, t, "Value", 5, true) &&
              CDefineDateField(exportData, t, "Day", 3, true) &&
              CDefineShortIntegerField(exportData, t, "Period", 6, true) &&
              CDefineMemoField(exportData, t, "Note", 4, true) && CEndDefineFields(exportData, t, true);
    return ok ? t : nullptr;
  }
  int WriteRow(COutputTable* t, int id) {
    std::string name = "s" + std::to_string(id);
    return CAddNewRecord(exportData, t) && CSetIntegerValue(exportData, t, "CaseID", 6, id) &&
           CSetTextValue(exportData, t, "Stream", 6, name.c_str(), Len(name.c_str())) &&
           CSetDoubleValue(exportData, t, "Value", 5, id * 0.5) && CUpdateRecord(exportData, t, nullptr);
  }
};

TEST_F(OutputTableApiTest, WritesTypedValuesIntoANewAccessTable) {
  COutputTable* t = DefineStreams();
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(t->m_bNewTable);
  const std::string longText(300, 'x');
  ASSERT_EQ(CAddNewRecord(exportData, t), 1);
  EXPECT_EQ(CSetIntegerValue(exportData, t, "CaseID", 6, 7), 1);
  EXPECT_EQ(CSetTextValue(exportData, t, "Stream", 6, longText.c_str(), 300), 1);
  EXPECT_EQ(CSetDoubleValue(exportData, t, "Value", 5, 1e30), 1);
  EXPECT_EQ(CSetDateTimeValue(exportData, t, "Day", 3, 45000.25), 1);
  EXPECT_EQ(CSetShortIntegerValue(exportData, t, "Period", 6, 70000), 1);  // 16 bits of it
  EXPECT_EQ(CSetMemoValue(exportData, t, "Note", 4, longText.c_str(), 300), 1);
  EXPECT_EQ(CUpdateRecord(exportData, t, nullptr), 1);
  ASSERT_EQ(CAddNewRecord(exportData, t), 1);
  EXPECT_EQ(CSetDateTimeValue(exportData, t, "Day", 3, 0.0), 1);
  EXPECT_EQ(CSetTextValue(exportData, t, "Stream", 6, "    ", 4), 1);  // blanks only: nothing
  EXPECT_EQ(CUpdateRecord(exportData, t, nullptr), 1);
  ASSERT_EQ(FlushOutputTables(exportData), 1);
  EXPECT_EQ(Query("SELECT CaseID, length(Stream), Value, Day, Period, length(Note) FROM PrStream"),
            "7|254|1.0e+30|2023-03-15 06:00:00|4464|300\nNULL|NULL|NULL|NULL|NULL|NULL\n");
  EXPECT_EQ(exportData.m_bDatabaseError, 0);

  // A null handle: definitions succeed, setters and records fail.
  EXPECT_EQ(CDefineDoubleField(exportData, nullptr, "X", 1, true), 1);
  EXPECT_EQ(CEndDefineFields(exportData, nullptr, true), 1);
  EXPECT_EQ(CAddNewRecord(exportData, nullptr), 0);
  EXPECT_EQ(CSetDoubleValue(exportData, nullptr, "X", 1, 1.0), 0);
  EXPECT_EQ(CUpdateRecord(exportData, nullptr, nullptr), 0);
}

TEST_F(OutputTableApiTest, ALaterCaseFindsTheTableAndOnlyChecksItsFields) {
  ASSERT_NE(DefineStreams(), nullptr);
  std::int32_t existing = 0;
  COutputTable* again = Open("PrStream", &existing);
  EXPECT_EQ(existing, 1);
  EXPECT_FALSE(again->m_bNewTable);
  EXPECT_EQ(CDefineLongIntegerField(exportData, again, "CaseID", 6, true), 1);
  EXPECT_EQ(CDefineTextField(exportData, again, "Stream", 6, 254, true), 1);
  EXPECT_EQ(CEndDefineFields(exportData, again, true), 1);
  EXPECT_EQ(WriteRow(again, 1), 1);
  FlushOutputTables(exportData);
  EXPECT_EQ(Query("SELECT count(*) FROM PrStream"), "1\n");
  EXPECT_EQ(Query("SELECT count(*) FROM pragma_table_info('PrStream')"), "6\n");
}

TEST_F(OutputTableApiTest, MissingFieldsOfAnExistingTable) {
  ASSERT_NE(DefineStreams(), nullptr);
  std::int32_t flag = 0;
  ASSERT_TRUE(CloseDatabase(*Model().m_daoDatabase, Model().m_outputTables, flag));
  COutputTable* t = Open("PrStream");
  ASSERT_NE(t, nullptr);
  EXPECT_FALSE(t->m_bNewTable);
  EXPECT_EQ(CDefineDoubleField(exportData, t, "ShadowPrice", 11, true), 1);  // added
  EXPECT_EQ(CDefineDoubleField(exportData, t, "Other", 5, false), 0);        // silent
  EXPECT_EQ(CDefineLongIntegerField(exportData, t, "Other", 5, false), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(CDefineTextField(exportData, t, "Other", 5, 20, false), 0);  // reports whatever report says
  std::string shown = testing::internal::GetCapturedStderr();
  EXPECT_NE(shown.find("The field Other is missing in " + DatabasePath() + "[PrStream]."), std::string::npos) << shown;
  EXPECT_EQ(exportData.m_bDatabaseError, 0);  // a missing field does not set the flag
  EXPECT_EQ(CEndDefineFields(exportData, t, true), 1);
  ASSERT_EQ(CAddNewRecord(exportData, t), 1);
  EXPECT_EQ(CSetDoubleValue(exportData, t, "ShadowPrice", 11, 2.5), 1);
  EXPECT_EQ(CUpdateRecord(exportData, t, nullptr), 1);
  FlushOutputTables(exportData);
  EXPECT_EQ(Query("SELECT ShadowPrice FROM PrStream"), "2.5\n");
}

TEST_F(OutputTableApiTest, FailedDefinitionsOfANewTableSetTheFlagWhenTheyReport) {
  struct Case {
    int (*define)(CVornDbExportData&, COutputTable*, const char*, int, bool);
    bool report;
    int flag;
  } cases[] = {
      {&CDefineDoubleField, false, 0},
      {&CDefineLongIntegerField, false, 0},
      {&CDefineDateField, false, 1},
      {&CDefineDoubleField, true, 1},
  };
  for (const Case& c : cases) {
    exportData.m_bDatabaseError = 0;
    std::string table = "T" + std::to_string(&c - cases);
    COutputTable* t = Open(table.c_str());
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(CDefineDoubleField(exportData, t, "A", 1, true), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.define(exportData, t, "a", 1, c.report), 0);  // the same field again
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(exportData.m_bDatabaseError, c.flag) << table;
  }
  exportData.m_bDatabaseError = 0;
  COutputTable* t = Open("TText");
  CDefineTextField(exportData, t, "A", 1, 10, true);
  testing::internal::CaptureStderr();
  EXPECT_EQ(CDefineTextField(exportData, t, "A", 1, 10, false), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("CDefineTextField failed for field A of table TText."),
            std::string::npos);
  EXPECT_EQ(exportData.m_bDatabaseError, 1);
}

TEST_F(OutputTableApiTest, OpeningFailures) {
  EXPECT_EQ(COpenTable(exportData, "PrStream", 8, "M1", 2, 1, nullptr), nullptr);
  EXPECT_EQ(COpenTable(exportData, "PrCase", 6, "Nobody", 6, 0, nullptr), nullptr);
  EXPECT_EQ(log.m_text, "Failed to open table: PrStream\nFailed to open table: PrCase\n");
  EXPECT_FALSE(std::filesystem::exists(DatabasePath()));
}

// With SQL Server besides Access, each call reaches both; the driver gets the
// writer's field names without the Access prefix.
std::vector<std::string>& g_calls = orvid_testing::g_orvidCalls;

TEST_F(OutputTableApiTest, SqlServerAndAccessTogetherWithPrefixedAccessFields) {
  dbdrivers_testing::RecordingSqlServer server(*this);
  DbSqlSvr& driver = server.Driver();
  Settings().m_CreateAccessDbAlso.SetValue(1);
  Settings().m_AlternateDatabaseCols.SetValue(1);

  COutputTable* t = Open("PrCase");
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(driver.IsOpen());
  ASSERT_EQ(CDefineLongIntegerField(exportData, t, "CaseID", 6, true), 1);
  ASSERT_EQ(CDefineTextField(exportData, t, "Title", 5, 10, true), 1);
  ASSERT_EQ(CEndDefineFields(exportData, t, true), 1);
  ASSERT_EQ(CAddNewRecord(exportData, t), 1);
  EXPECT_EQ(CSetIntegerValue(exportData, t, "CaseID", 6, 4), 1);
  EXPECT_EQ(CSetTextValue(exportData, t, "Title", 5, "a long title", 12), 1);
  EXPECT_EQ(CSetTextValue(exportData, t, "Title", 5, "  ", 2), 1);
  EXPECT_EQ(CUpdateRecord(exportData, t, nullptr), 1);
  driver.UpdateTableDataToDatabase(nullptr);
  FlushOutputTables(exportData);
  EXPECT_EQ(Query("SELECT LG_CaseID, LG_Title FROM PrCase"), "4|a long tit\n");
  EXPECT_EQ(g_calls, (std::vector<std::string>{"start PrCase", "CaseID=4", "Title=a long tit", "end", "start "}));
  EXPECT_EQ(t->m_nLgFlag, 1);
}

// A writer's field is found by its name as passed, once: rows that set their
// fields in another order, skip one, or pass a name with trailing blanks or a
// longer length still fill the right columns; an unknown field still fails.
TEST_F(OutputTableApiTest, FieldsAreFoundByNameWhateverTheOrderOfTheCalls) {
  COutputTable* t = DefineStreams();
  ASSERT_NE(t, nullptr);
  for (int id = 1; id <= 4; ++id) {
    ASSERT_EQ(CAddNewRecord(exportData, t), 1);
    if (id % 2 == 0) {
      EXPECT_EQ(CSetDoubleValue(exportData, t, "Value\0junk", 10, id * 0.5), 1);
      EXPECT_EQ(CSetTextValue(exportData, t, "Stream  ", 8, "s", 1), 1);
      EXPECT_EQ(CSetIntegerValue(exportData, t, "CaseID", 6, id), 1);
    } else {
      EXPECT_EQ(CSetIntegerValue(exportData, t, "CASEID", 6, id), 1);
      EXPECT_EQ(CSetTextValue(exportData, t, "Stream", 6, "   ", 3), 1);  // blank: nothing set
      EXPECT_EQ(CSetShortIntegerValue(exportData, t, "Period", 6, id), 1);
      EXPECT_EQ(CSetDateTimeValue(exportData, t, "Day", 3, 0.0), 1);  // Null
    }
    EXPECT_EQ(CUpdateRecord(exportData, t, nullptr), 1);
  }
  testing::internal::CaptureStderr();
  ASSERT_EQ(CAddNewRecord(exportData, t), 1);
  EXPECT_EQ(CSetIntegerValue(exportData, t, "Missing", 7, 1), 0);
  testing::internal::GetCapturedStderr();
  EXPECT_NE(exportData.m_strDatabaseFailure.find("Missing"), std::string::npos) << exportData.m_strDatabaseFailure;
  ASSERT_TRUE(FlushOutputTables(exportData));
  EXPECT_EQ(Query("SELECT CaseID, Stream, Value, Period, Day FROM PrStream ORDER BY rowid"),
            "1|NULL|NULL|1|NULL\n2|s|1.0|NULL|NULL\n3|NULL|NULL|3|NULL\n4|s|2.0|NULL|NULL\n");
}

// Fails every write step of three cases' output in turn: every row the API
// accepted and whose case was flushed is in the file, and whenever rows are
// missing the API said so (a 0 result or the error flag).
TEST_F(OutputTableApiTest, FaultLoopLosesNothingSilently) {
  ASSERT_NE(DefineStreams(), nullptr);
  std::int32_t flag = 0;
  ASSERT_TRUE(CloseDatabase(*Model().m_daoDatabase, Model().m_outputTables, flag));
  Model().m_daoDatabase.reset();
  const std::string base = home.File("base.mdb");
  std::filesystem::copy_file(DatabasePath(), base);

  auto& vfs = plat::testing::SqliteFaultVfs::Get();
  CDaoDatabase::SetVfsForTesting(plat::testing::SqliteFaultVfs::kName);
  constexpr int kCases = 3, kRows = 40;
  int faults = 0;
  for (int n = 1; n < 1000; ++n) {
    Model().m_outputTables.RemoveAll();
    Model().m_daoDatabase.reset();
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(DatabasePath() + suffix);
    std::filesystem::copy_file(base, DatabasePath());
    exportData.m_bDatabaseError = 0;
    testing::internal::CaptureStderr();
    vfs.FailAt(n);
    int flushedRows = 0;
    bool reported = false;
    for (int c = 0; c < kCases && !reported; ++c) {
      COutputTable* t = Open("PrStream");
      if (t == nullptr || !CEndDefineFields(exportData, t, true)) {
        reported = true;
        break;
      }
      for (int r = 0; r < kRows && !reported; ++r)
        if (!WriteRow(t, c * kRows + r)) reported = true;
      if (!reported && FlushOutputTables(exportData)) flushedRows = (c + 1) * kRows;
      else reported = true;
    }
    Model().m_outputTables.RemoveAll();
    Model().m_daoDatabase.reset();
    bool hit = vfs.Failed();
    vfs.FailAt(0);
    testing::internal::GetCapturedStderr();
    reported = reported || exportData.m_bDatabaseError != 0;
    EXPECT_EQ(Query("PRAGMA integrity_check"), "ok\n") << "fault at write " << n;
    int rows = std::stoi(Query("SELECT count(*) FROM PrStream"));
    EXPECT_GE(rows, flushedRows) << "fault at write " << n;
    EXPECT_EQ(Query("SELECT count(*) FROM PrStream WHERE Stream = 's' || CaseID AND Value = CaseID * 0.5"),
              std::to_string(rows) + "\n")
        << "fault at write " << n;
    if (!reported) {
      EXPECT_EQ(rows, kCases * kRows) << "fault at write " << n << " lost rows silently";
    }
    if (!hit) break;
    ++faults;
  }
  CDaoDatabase::SetVfsForTesting("");
  EXPECT_GT(faults, 3);
}

}  // namespace
