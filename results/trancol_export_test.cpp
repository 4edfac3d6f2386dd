#include "results/trancol_export.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "caseset/config/assembled_case.h"
#include "caseset/tags/extended_tag_processor.h"
#include "dbdrivers/access/output_table_api.h"
#include "foundation/testing/memory_log.h"
#include "modelfile/vorn_model_file.h"
#include "platform/testing/odbc_test_env.h"
#include "results/testing/trancol_file_writer.h"
#include "results/trancol_file.h"
#include "results/vorn_db_export.h"

namespace {

using Name = std::optional<std::string>;

using foundation_testing::MemoryLog;

std::vector<std::string> g_messages;

int CaptureMessage(const char* text, int length, int) {
  g_messages.emplace_back(text, strnlen(text, static_cast<std::size_t>(length)));
  return 0;
}

class TrancolExportTest : public ::testing::Test {
 protected:
  TrancolExportTest() {
    g_messages.clear();
    exportData.m_strHomeDirectory = home.Path();
    auto model = std::make_unique<CVornModelFile>();
    model->m_strModelName = "M1";
    model->m_strModelDir = home.Path() + "/M1";
    std::filesystem::create_directories(model->m_strModelDir);
    model->m_settings.m_TranColReportOn.SetValue(1);
    exportData.m_pModel = std::move(model);
    exportData.m_pfnHostCallbacks[0] = &CaptureMessage;
    exportData.m_nSolutionID = 2;
    log.m_names.clear();  // the export's own naming at construction
  }
  ~TrancolExportTest() override { exportData.m_pModel->m_outputTables.RemoveAll(); }

  std::string FilePath() const { return home.Path() + "/M1/Trancol_3.txt"; }
  void WriteFile(const TrancolBytes& bytes) { std::ofstream(FilePath(), std::ios::binary) << bytes.m_bytes; }
  bool Export(bool deleteOnly = false) { return ExportTrancolFile(exportData, 3, nullptr, deleteOnly); }

  std::string Query(const std::string& sql) {
    FlushOutputTables(exportData);
    sqlite3* db = nullptr;
    std::string out;
    if (sqlite3_open_v2((home.Path() + "/M1/Results.Mdb").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      sqlite3_close(db);
      return "no database";
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) out = "no table";
    while (stmt != nullptr && sqlite3_step(stmt) == SQLITE_ROW) {
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const unsigned char* t = sqlite3_column_text(stmt, i);
        out += (i ? "|" : "") + std::string(t ? reinterpret_cast<const char*>(t) : "NULL");
      }
      out += "\n";
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
  }

  plat::testing::TempDir home;
  MemoryLog log;
  CVornDbExport exportData{&log};
};

TEST_F(TrancolExportTest, OneBasisNameGivesOnlyTheReducedCostRow) {
  WriteFile(TrancolBytes().Int(0).Names({"B0"}).Names({"N1", "N2"}).Doubles({4.0, -6.0}).Doubles({9, 9}));
  EXPECT_TRUE(Export());
  EXPECT_FALSE(std::filesystem::exists(FilePath()));
  // Without a current case the start names the base case.
  EXPECT_EQ(g_messages, (std::vector<std::string>{"Creating TRANCOL Report...\n",
                                                  "Writing Trancol reports for case: Base Case.", ""}));
  EXPECT_EQ(log.m_names, "DbExport000003.log DbExport.log ");
  EXPECT_EQ(Query("SELECT SolutionID, CaseID, SequenceID, BasisName, Cost FROM PrTrancolBasis"), "2|0|0|DJ|NULL\n");
  EXPECT_EQ(Query("SELECT SequenceID, ColumnID, NonBasisName, Value FROM PrTrancolNonBasis"),
            "0|1|N1|4.0\n0|2|N2|-6.0\n");
}

// The start names the current case with its number; a new table gets its key index although no
// result manager was ever built: the export context installs the key columns when it is made.
TEST_F(TrancolExportTest, CurrentCaseAndKeyIndexWithoutAResultManager) {
  SetTableKeyColumnsLookup(nullptr);
  MemoryLog otherLog;
  const CVornDbExport other(&otherLog);
  CAssembledCase current(3, "M1");
  exportData.m_pCurrentCase = &current;
  WriteFile(TrancolBytes().Int(0).Names({"B0"}).Names({"N1"}).Doubles({4.0}).Doubles({9}));
  EXPECT_TRUE(Export());
  exportData.m_pCurrentCase = nullptr;
  ASSERT_EQ(g_messages.size(), 3u);
  EXPECT_EQ(g_messages[1], "Writing Trancol reports for case: Case 3.");
  EXPECT_EQ(Query("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = 'PrTrancolNonBasis'"),
            "PrTrancolNonBasis_Key\n");
}

// The rows are committed: a worker that goes on to its next case holds no lock on the results file.
TEST_F(TrancolExportTest, LeavesTheResultsFileUnlocked) {
  WriteFile(TrancolBytes().Int(0).Names({"B0"}).Names({"N1"}).Doubles({4.0}).Doubles({9}));
  ASSERT_TRUE(Export());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((home.Path() + "/M1/Results.Mdb").c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE; ROLLBACK;", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

TEST_F(TrancolExportTest, BasisRowsTakeCostsAndNegatedSensitivities) {
  // Status 11 is reported and the data used. B = 4, N = 2: costs[0] and the last basis name are not used.
  WriteFile(TrancolBytes()
                .Int(kTrancolNumericallySingular)
                .Names({"B0", "B1", "B2", "B3"})
                .Names({"N1", "N2"})
                .Doubles({7, 8, 1e30})
                .Doubles({1, 2})
                .Doubles({10, 11, -1e30, 13, 20, 21, 22, 23}));
  EXPECT_TRUE(Export());
  ASSERT_EQ(g_messages.size(), 4u);
  EXPECT_EQ(g_messages[3],
            "Error in TRANCOL calculation for case: Case 3. The sensitivity matrix is numerically singular.");
  EXPECT_EQ(Query("SELECT SequenceID, BasisName, Cost FROM PrTrancolBasis"),
            "0|DJ|NULL\n1|B0|NULL\n2|B1|8.0\n3|B2|NULL\n");
  // Column by column; a value of 1e30 is written.
  EXPECT_EQ(Query("SELECT SequenceID, ColumnID, NonBasisName, Value FROM PrTrancolNonBasis"),
            "0|1|N1|1.0\n1|1|N1|-10.0\n2|1|N1|-11.0\n3|1|N1|1.0e+30\n"
            "0|2|N2|2.0\n1|2|N2|-20.0\n2|2|N2|-21.0\n3|2|N2|-22.0\n");
}

TEST_F(TrancolExportTest, NamelessSlotsGiveNoRowAndNoColumn) {
  WriteFile(TrancolBytes()
                .Int(0)
                .Names({std::nullopt, "B1", "B2"})
                .Names({std::nullopt, "N2"})
                .Doubles({0, 5})
                .Doubles({1, 2})
                .Doubles({10, 11, 12, 20, 21, 22}));
  EXPECT_TRUE(Export());
  EXPECT_EQ(Query("SELECT SequenceID, BasisName, Cost FROM PrTrancolBasis"), "0|DJ|NULL\n1|B1|5.0\n");
  EXPECT_EQ(Query("SELECT SequenceID, ColumnID, NonBasisName, Value FROM PrTrancolNonBasis"),
            "0|1|N2|2.0\n1|1|N2|-21.0\n");
}

TEST_F(TrancolExportTest, FailedCalculationsAreReportedAndWriteNothing) {
  const struct {
    std::int32_t status;
    const char* message;
  } cases[] = {
      {9, "Error in TRANCOL configuration for case: Case 3."},
      {10, "The sensitivity matrix is structurally singular."},
      {111, "The sensitivity matrix is numerically singular."},
      {5, "unexpected evaluation error"},
  };
  for (const auto& c : cases) {
    g_messages.clear();
    WriteFile(TrancolBytes().Int(c.status).Names({"B0", "B1"}).Names({"N1"}).Doubles({1, 2, 3, 4}));
    EXPECT_FALSE(Export()) << c.status;
    EXPECT_FALSE(std::filesystem::exists(FilePath()));
    ASSERT_EQ(g_messages.size(), 4u) << c.status;
    EXPECT_NE(g_messages[3].find(c.message), std::string::npos) << g_messages[3];
  }
  EXPECT_EQ(Query("SELECT 1"), "no database");
  EXPECT_EQ(log.m_names, "");
}

TEST_F(TrancolExportTest, NothingToExport) {
  // No basis or no non-basis entry (a negative count is none): removed, nothing written.
  for (const TrancolBytes& bytes : {TrancolBytes().Int(0).Int(0).Names({"N1"}),
                                    TrancolBytes().Int(0).Names({"B0", "B1"}).Int(0),
                                    TrancolBytes().Int(0).Int(-5).Int(-1)}) {
    g_messages.clear();
    WriteFile(bytes);
    EXPECT_FALSE(Export());
    EXPECT_FALSE(std::filesystem::exists(FilePath()));
    EXPECT_EQ(g_messages.size(), 3u);
  }
  // No file: the two texts of the start only. Delete-only: removed without a message.
  g_messages.clear();
  EXPECT_FALSE(Export());
  EXPECT_EQ(g_messages.size(), 3u);
  g_messages.clear();
  WriteFile(TrancolBytes().Int(0).Names({"B0"}).Names({"N1"}).Doubles({1, 2}));
  EXPECT_FALSE(Export(true));
  EXPECT_FALSE(std::filesystem::exists(FilePath()));
  EXPECT_TRUE(g_messages.empty());
  EXPECT_EQ(Query("SELECT 1"), "no database");
}

TEST_F(TrancolExportTest, DamagedFilesAreReportedAndRemoved) {
  const std::vector<std::pair<const char*, TrancolBytes>> cases = {
      {"empty", TrancolBytes()},
      {"short status", TrancolBytes().Raw("\1\0")},
      {"count beyond the file", TrancolBytes().Int(0).Int(0x7fffffff).Int(1)},
      {"name too long", TrancolBytes().Int(0).Int(1).Int(100).Raw(std::string(100, 'x'))},
      {"name cut short", TrancolBytes().Int(0).Int(1).Int(8).Raw("abc")},
      {"matrix cut short", TrancolBytes().Int(0).Names({"B0", "B1"}).Names({"N1"}).Doubles({1, 2, 3})},
      {"huge counts", TrancolBytes().Int(0).Names(std::vector<Name>(300, std::nullopt)).Names(
                          std::vector<Name>(300, std::nullopt))},
  };
  for (const auto& [what, bytes] : cases) {
    g_messages.clear();
    WriteFile(bytes);
    EXPECT_FALSE(Export()) << what;
    EXPECT_FALSE(std::filesystem::exists(FilePath())) << what;
    ASSERT_EQ(g_messages.size(), 4u) << what;
    EXPECT_EQ(g_messages[3], "Error in TRANCOL report for case: Case 3. The TRANCOL file is damaged.") << what;
  }
  EXPECT_EQ(Query("SELECT 1"), "no database");
}

TEST_F(TrancolExportTest, WriterDoesNothingWhenTheReportIsOff) {
  CTranColRowArray rows;
  rows.Add(std::make_unique<CTranColRow>("DJ"));
  exportData.m_pModel->m_settings.m_TranColReportOn.SetValue(0);
  EXPECT_TRUE(WriteTrancolTables(exportData, rows, {"Cost", "N1"}, nullptr));
  EXPECT_EQ(Query("SELECT 1"), "no database");
  EXPECT_EQ(TrancolCaseLabel(0), "Base Case");
  EXPECT_EQ(TrancolCaseLabel(-2), "Base Case");
}

TEST_F(TrancolExportTest, ExtendedTagsRewriteNames) {
  auto tags = std::make_unique<CExtendedTagProcessor>();
  tags->m_aShortTagSorted3CharTags.Add(std::make_unique<CTagAlias>("X01", "LIGHTCRUDE"));
  const std::string rowName = tags->ParseRowName(0, "ESELX01", true);
  exportData.m_pTagProcessor = MakeErasedOwner(std::move(tags));
  exportData.m_pModel->m_settings.m_UseExtendedTagsOn.SetValue(1);
  CTranColRowArray rows;
  for (const char* name : {"DJ", "PURCX01"}) {
    rows.Add(std::make_unique<CTranColRow>(name));
    rows[rows.GetUpperBound()]->m_values = {1, 2, 3};
  }
  CLPColArray lpColumns;
  lpColumns.Add(std::make_unique<CLPCol>("PURCX01"));
  lpColumns.Sort(&CLPCol::CompareElements);
  // A non-basis name in the LP columns is a column name, any other a row name.
  ASSERT_TRUE(WriteTrancolTables(exportData, rows, {"Cost", "PURCX01", "ESELX01"}, &lpColumns));
  EXPECT_EQ(Query("SELECT BasisName FROM PrTrancolBasis"), "DJ\nPURC:LIGHTCRUDE\n");
  EXPECT_EQ(Query("SELECT DISTINCT NonBasisName FROM PrTrancolNonBasis"), "PURC:LIGHTCRUDE\n" + rowName + "\n");
  // Without LP columns the non-basis names stay as read.
  ASSERT_TRUE(WriteTrancolTables(exportData, rows, {"Cost", "PURCX01"}, nullptr));
  EXPECT_EQ(Query("SELECT NonBasisName FROM PrTrancolNonBasis WHERE ColumnID = 1"),
            "PURC:LIGHTCRUDE\nPURC:LIGHTCRUDE\nPURCX01\nPURCX01\n");
}

}  // namespace
