#include "caseset/modeltables/model_table_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "caseset/config/assembled_case.h"
#include "caseset/modeltables/matrix_directory.h"
#include "caseset/modeltables/table_file_fixtures.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"

namespace {

namespace fs = std::filesystem;
using table_fixtures::Table;
using ::testing::HasSubstr;

std::vector<std::string> g_texts;
void Collect(const std::string& text) { g_texts.push_back(text); }

const Table kUnits{"UNITS", {"ATM", "VAC"}, {"CAP"}, {"Atmospheric", "Vacuum"}, {100, 1e30}};
const Table kBuy{"BUY", {"CRD"}, {"MIN", "MAX"}, {}, {1, 2}};
const Table kOwnBuy{"BUY", {"CRD", "NAP"}, {"MIN"}, {}, {7, 8}};

class ModelTableReader : public ::testing::Test {
 protected:
  void SetUp() override {
    m_home = fs::temp_directory_path() /
             ("model_tables_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(m_home / "M");
    m_export.m_strHomeDirectory = m_home.string();
    m_export.m_pfnTableProgress = &Collect;
    m_export.m_pModel = std::make_unique<CVornModelFile>();
    model().m_strModelName = "M";
    model().m_strModelDir = (m_home / "M").string();
    g_texts.clear();
  }
  void TearDown() override { fs::remove_all(m_home); }

  CVornModelFile& model() { return *m_export.m_pModel; }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(m_home / "M" / name, std::ios::binary) << bytes;
  }
  void WriteClassic(const std::vector<Table>& tables, const std::string& directory = std::string()) {
    const auto files = table_fixtures::MakeClassicFiles(tables, 500, 0, directory);
    Write("tables.map", files.index);
    Write("tables.fil", files.cache);
  }
  void AddCase(int number, bool generate, int modifies) {
    if (!m_export.m_paAssembledCases) m_export.m_paAssembledCases = std::make_unique<CAssembledCaseArray>();
    auto record = std::make_unique<CAssembledCase>(number, "M");
    record->m_bGenerate = generate;
    record->m_nModifies = modifies;
    m_export.m_paAssembledCases->Add(std::move(record));
    m_export.m_paAssembledCases->Sort(&CAssembledCase::CompareElements);
  }

  fs::path m_home;
  CVornDbExportData m_export{nullptr};
};

TEST_F(ModelTableReader, ClassicTablesLoadTheIndexOnFirstUse) {
  WriteClassic({kUnits, kBuy});
  CTableFilTable table;
  ASSERT_TRUE(ReadFilTable(m_export, "BUY", &model(), &table, true));
  EXPECT_EQ(table.m_strName, "BUY");
  EXPECT_EQ(table.m_aColumnNames, kBuy.columns);
  EXPECT_EQ(table.m_aCells, (std::vector<float>{1, 2}));
  EXPECT_EQ(g_texts, (std::vector<std::string>{"Reading Fil Table for BUY", "Reading tables Map"}));
  ASSERT_TRUE(ReadFilTable(m_export, "UNITS", &model(), &table, true));
  EXPECT_EQ(table.m_aRowTexts, kUnits.texts);
  EXPECT_EQ(model().m_tableMaps.GetSize(), 2);

  // "tables.tmp" when the run validates data.
  Write("tables.tmp", table_fixtures::MakeClassicFiles({kUnits, kOwnBuy}).cache);
  m_export.m_bDataValidation = true;
  ASSERT_TRUE(ReadFilTable(m_export, "UNITS", &model(), &table, true));
  EXPECT_EQ(table.m_aRowNames, kUnits.rows);
}

TEST_F(ModelTableReader, ClassicCacheIsReadOnceForEachIndex) {
  WriteClassic({kUnits, kBuy});
  CTableFilTable table;
  ASSERT_TRUE(ReadFilTable(m_export, "BUY", &model(), &table, true));
  // The cache of this index is in memory: its tables are read without the file.
  fs::remove(m_home / "M" / "tables.fil");
  ASSERT_TRUE(ReadFilTable(m_export, "UNITS", &model(), &table, true));
  EXPECT_EQ(table.m_aRowNames, kUnits.rows);
  EXPECT_EQ(table.m_aCells, (std::vector<float>{100, 1e30f}));

  // A new index reads the cache written with it.
  WriteClassic({kOwnBuy});
  ASSERT_TRUE(ReadTablesMap(m_export, &model(), false, true));
  ASSERT_TRUE(ReadFilTable(m_export, "BUY", &model(), &table, true));
  EXPECT_EQ(table.m_aRowNames, kOwnBuy.rows);
  EXPECT_EQ(table.m_aCells, (std::vector<float>{7, 8}));

  // Without its cache file the index's tables fail with the file named.
  fs::remove(m_home / "M" / "tables.fil");
  model().m_tableMaps.RemoveAll();
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadFilTable(m_export, "BUY", &model(), &table, false));
  EXPECT_THAT(::testing::internal::GetCapturedStderr(),
              HasSubstr("Unable to open the file: " + (m_home / "M" / "tables.fil").string()));
  EXPECT_EQ(table.GetCellCount(), 0);
}

TEST_F(ModelTableReader, MissingTablesAndFilesAreReportedByTheRules) {
  WriteClassic({kUnits});
  CTableFilTable table;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadFilTable(m_export, "units", &model(), &table, false));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(table.m_strName, "units");

  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadFilTable(m_export, "NONE", &model(), &table, true));
  EXPECT_THAT(::testing::internal::GetCapturedStderr(), HasSubstr("Entry for table NONE missing in table map"));

  // A classic index that cannot be opened is shown whatever report says.
  fs::remove(m_home / "M" / "tables.map");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadTablesMap(m_export, &model(), false, false));
  EXPECT_THAT(::testing::internal::GetCapturedStderr(), HasSubstr("Unable to open the file: "));

  m_export.m_nExportKind = 2;
  g_texts.clear();
  model().m_tableMaps.RemoveAll();
  EXPECT_FALSE(ReadFilTable(m_export, "UNITS", &model(), &table, true));
  ASSERT_EQ(g_texts.size(), 3u);
  EXPECT_EQ(g_texts[2], "Unable to open the file: " + (m_home / "M" / GetTableIndexName(0)).string());
}

TEST_F(ModelTableReader, DamagedCacheIsReportedAndLeavesTheTableEmpty) {
  auto files = table_fixtures::MakeClassicFiles({kUnits});
  Write("tables.map", files.index);
  Write("tables.fil", files.cache.substr(0, 20));
  CTableFilTable table;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadFilTable(m_export, "UNITS", &model(), &table, false));
  EXPECT_THAT(::testing::internal::GetCapturedStderr(),
              HasSubstr("damaged table file: table UNITS runs past the end of " + (m_home / "M" / "tables.fil").string()));
  EXPECT_EQ(table.m_strName, "UNITS");
  EXPECT_EQ(table.GetRowCount(), 0);
  EXPECT_EQ(table.GetCellCount(), 0);
}

TEST_F(ModelTableReader, ClassicIndexWithMatrixDirectory) {
  table_fixtures::ByteWriter directory;
  directory.Int32(0).Int32(1).Int32(0).Fixed("S001", 4).Int16(3).Pad(32000);
  directory.Int32(0).Int32(0).Int32(0).Int32(0).Float(2.0f).Pad(8000);
  directory.Int32(1).Int32(2).Int32(0);
  WriteClassic({kUnits}, directory.m_bytes);
  ASSERT_TRUE(ReadTablesMap(m_export, &model(), true, true));
  EXPECT_EQ(GetMatrixDirectory(model()).m_aStreamCodes, std::vector<std::string>{"S001"});
  EXPECT_EQ(GetMatrixDirectory(model()).m_aStreamVtw, std::vector<float>{2.0f});

  WriteClassic({kUnits}, directory.m_bytes.substr(0, 100));
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadTablesMap(m_export, &model(), true, true));
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(GetMatrixDirectory(model()).m_nStreams, 0);
  EXPECT_EQ(model().m_tableMaps.GetSize(), 1);  // the table index stays
}

TEST_F(ModelTableReader, GeneratingCaseFollowsTheModifiesChain) {
  m_export.m_nOutputCaseNumber = 4;
  EXPECT_EQ(GetGeneratingCase(m_export), 4);  // no case set
  AddCase(1, true, 0);
  AddCase(2, false, 1);
  AddCase(3, false, 2);
  AddCase(4, false, 0);
  AddCase(5, false, 9);
  AddCase(6, false, 7);
  AddCase(7, false, 6);
  for (const auto& [fileCase, expected] :
       {std::pair{1, 1}, {3, 1}, {4, 0}, {5, 0}, {6, 0}, {8, 0}}) {
    m_export.m_nOutputCaseNumber = fileCase;
    EXPECT_EQ(GetGeneratingCase(m_export), expected) << fileCase;
  }
}

TEST_F(ModelTableReader, ManagedNamesMergeTheCaseStreamOverItsGeneratingCase) {
  model().m_settings.m_UseZelunMGOn.SetValue(1);
  AddCase(5, true, 0);
  AddCase(7, false, 5);
  // The generating case's own files list UNITS and BUY.
  const auto own = table_fixtures::MakeCompactFiles({kUnits, kBuy});
  Write(GetTableIndexName(5), own.index);
  Write(GetTableCacheName(5), own.cache);
  // Case 7 brings its own BUY in the stream files of case 5, with its directory.
  table_fixtures::ByteWriter directory;
  directory.Int32(1).Int32(1).Byte(0).Fixed("S007", 4).Int16(0).Double(1.0).Int16(0);
  directory.Int32(0).Int32(0).Int32(0).Int32(0);
  const std::string streamCache = table_fixtures::CompactRecord(kOwnBuy);
  Write(GetTableStreamIndexName(5),
        table_fixtures::KeyedRecords({{6, "junk"}, {7, table_fixtures::CompactSection({kOwnBuy}, {0}) + directory.m_bytes}}));
  Write(GetTableStreamCacheName(5), table_fixtures::KeyedRecords({{7, streamCache}}));

  m_export.m_nOutputCaseNumber = 7;
  ASSERT_TRUE(ReadTablesMap(m_export, &model(), true, true));
  EXPECT_EQ(GetMatrixDirectory(model()).m_aStreamCodes, std::vector<std::string>{"S007"});
  CTableFilTable table;
  ASSERT_TRUE(ReadFilTable(m_export, "BUY", &model(), &table, true));
  EXPECT_EQ(table.m_aRowNames, kOwnBuy.rows);
  EXPECT_EQ(table.m_aCells, (std::vector<float>{7, 8}));
  ASSERT_TRUE(ReadFilTable(m_export, "UNITS", &model(), &table, true));
  EXPECT_EQ(table.m_aRowTexts, kUnits.texts);
  EXPECT_TRUE(model().m_tableMapImage.IsLoaded());
  EXPECT_TRUE(model().m_tableFilImage.IsLoaded());

  // The generating case reads its own index.
  m_export.m_nOutputCaseNumber = 5;
  ASSERT_TRUE(ReadTablesMap(m_export, &model(), false, true));
  EXPECT_FALSE(model().m_tableFilImage.IsLoaded());
  ASSERT_TRUE(ReadFilTable(m_export, "BUY", &model(), &table, true));
  EXPECT_EQ(table.m_aCells, (std::vector<float>{1, 2}));

  // A case without a record in the stream index fails, shown whatever report says.
  AddCase(8, false, 5);
  m_export.m_nOutputCaseNumber = 8;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadTablesMap(m_export, &model(), false, false));
  EXPECT_THAT(::testing::internal::GetCapturedStderr(), HasSubstr(GetTableStreamIndexName(5)));
}

TEST_F(ModelTableReader, ManagedIndexOfAGeneratingCaseIsSilentWithoutReport) {
  model().m_settings.m_UseZelunMGOn.SetValue(1);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadTablesMap(m_export, &model(), false, false));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
