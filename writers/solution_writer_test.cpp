// The solution rows and the frame of a case's writing, against a real result database file.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/access/output_table_api.h"
#include "dbdrivers/access/testing/access_fixture.h"
#include "dbdrivers/sqlserver/db_sql_svr.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_solution.h"
#include "standins/testing/recording_orvid.h"
#include "writers/testing/result_writer_fixture.h"

namespace {

class SolutionWriterTest : public writers_testing::ResultWriterTest {
 protected:
  SolutionWriterTest() {
    exportData.m_strCompanyName = "Acme";
    exportData.m_strUserDomainName = "DOM";
    exportData.m_strUserName = "user";
    exportData.m_strMachineName = "HOST";
    exportData.m_strMachineDomainName = "dom";
    exportData.m_pbDoDbSolution = true;
    exportData.m_dtDateRunStart = plat::OleDateTime(2026, 3, 4, 5, 6, 7);
  }
  bool Write(int solutionId, bool firstCase, bool multiple = false) {
    exportData.m_nSolutionID = solutionId;
    CDbSolution solution(&exportData);
    solution.m_nSolutionID = solutionId;
    solution.m_nModelID = 3;
    solution.m_strSystemVersion = "12.1";
    solution.m_strDescription = "Base run";
    const bool ok = solution.WriteToDatabase(firstCase, multiple);
    m_volumeConversion = solution.m_bVolumeConversion;
    FlushOutputTables(exportData);
    return ok;
  }
  std::uint8_t m_volumeConversion = 0;
};

TEST_F(SolutionWriterTest, TheFirstCaseWritesTheSolutionTablesOnce) {
  ASSERT_TRUE(Write(7, true));
  EXPECT_EQ(Query("SELECT * FROM PrSolutionID"), "7\n");
  EXPECT_EQ(Query("SELECT * FROM PrSolution"),
            "7|12.1|2026-03-04 05:06:07|Base run|3|Acme|DOM\\user|HOST.dom\n");
  EXPECT_FALSE(*exportData.m_pbDoDbSolution);
  EXPECT_EQ(log.m_text,
            "Write data to database start\n"
            "Write solution id to PrSolution table\n"
            "Done writing solution id to PrSolution table\n"
            "Write case data to database\n"
            "Write primal node data to database\n"
            "Write data to database end\n");
  // The pass ran: the case tables are there.
  EXPECT_EQ(Query("SELECT count(*) FROM sqlite_master WHERE name='PrOpenInventoryQuality'"), "1\n");

  // A later case of the process leaves both tables alone.
  ASSERT_TRUE(Write(8, false));
  EXPECT_EQ(Query("SELECT * FROM PrSolutionID"), "7\n");
  EXPECT_EQ(Query("SELECT count(*) FROM PrSolution"), "1\n");
}

TEST_F(SolutionWriterTest, SolutionIdTableIsMadeAnewAndTheSettingsComeBack) {
  ASSERT_TRUE(Write(7, true));
  exportData.m_pbDoDbSolution = false;
  Settings().m_DatabasePurgeOn.SetValue(0);
  std::int32_t flag = 0;
  ASSERT_TRUE(CloseDatabase(*Model().m_daoDatabase, Model().m_outputTables, flag));
  ASSERT_TRUE(Write(9, true));  // the next run's first case
  EXPECT_EQ(Query("SELECT * FROM PrSolutionID"), "9\n");
  EXPECT_FALSE(exportData.m_bDeleteTables);
  EXPECT_EQ(Settings().m_DatabasePurgeOn.GetValue(), 0);
}

TEST_F(SolutionWriterTest, MultipleExecutionsAndAMissingFlagWriteNoSolutionRows) {
  exportData.m_pbDoDbSolution.reset();
  ASSERT_TRUE(Write(7, true, true));
  EXPECT_EQ(Query("SELECT count(*) FROM sqlite_master WHERE name IN ('PrSolutionID','PrSolution')"), "0\n");
}

TEST_F(SolutionWriterTest, NamesAreCutBeforeTheDomainsAreJoined) {
  exportData.m_strMachineName = "ABCDEFGHIJKLMNOP";
  exportData.m_strMachineDomainName = "";
  exportData.m_strUserDomainName = "";
  exportData.m_strUserName = std::string(300, 'u');
  ASSERT_TRUE(Write(7, true));
  EXPECT_EQ(Query("SELECT MachineName, length(UserName), substr(UserName, 1, 2) FROM PrSolution"),
            "ABCDEFGHIJKLMNO.|255|\\u\n");
}

TEST_F(SolutionWriterTest, VolumeConversionFlag) {
  const struct {
    int volBasis, section;
    std::uint8_t flag;
  } cases[] = {{0, 1, 1}, {1, 1, 0}, {0, 0, 0}};
  for (const auto& c : cases) {
    Settings().m_VOLBASIS.SetValue(c.volBasis);
    Settings().m_VolumeConversionSectionOn.SetValue(c.section);
    ASSERT_TRUE(Write(7, false));
    EXPECT_EQ(m_volumeConversion, c.flag) << c.volBasis << " " << c.section;
  }
}

TEST_F(SolutionWriterTest, AFailedSolutionRowEndsTheCaseAndIsTriedAgain) {
  ASSERT_TRUE(Write(7, true));
  std::int32_t flag = 0;
  ASSERT_TRUE(CloseDatabase(*Model().m_daoDatabase, Model().m_outputTables, flag));
  exportData.m_pbDoDbSolution = true;
  // An existing PrSolution without "MachineName" fails its definitions.
  ASSERT_EQ(Execute("ALTER TABLE PrSolution DROP COLUMN MachineName"), "");
  // Only the case that defines the run writes the solution row; a later case leaves it alone.
  EXPECT_TRUE(Write(8, false));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Write(8, true));
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(*exportData.m_pbDoDbSolution);
  EXPECT_EQ(log.m_text.find("Write case data to database\n", log.m_text.rfind("start\n")), std::string::npos);
}

std::vector<std::string>& g_calls = orvid_testing::g_orvidCalls;

// A SQL Server results database alone: nothing is defined, no Access file is
// made, and the buffered solution row goes out at the end of the case.
TEST_F(SolutionWriterTest, SqlServerRowsAreSentAtTheEnd) {
  dbdrivers_testing::RecordingSqlServer server(*this);

  EXPECT_TRUE(Write(7, true));
  EXPECT_FALSE(std::filesystem::exists(DatabasePath()));
  auto at = std::find(g_calls.begin(), g_calls.end(), "start PrSolution");
  ASSERT_NE(at, g_calls.end());
  EXPECT_EQ(std::vector<std::string>(at + 1, at + 3), (std::vector<std::string>{"SolutionID=7", "SystemVersion=12.1"}));
  EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "start PrSolutionID"), 0);
}

}  // namespace
