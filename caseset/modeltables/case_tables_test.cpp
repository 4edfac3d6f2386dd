#include "caseset/modeltables/case_tables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "caseset/config/assembled_case.h"
#include "caseset/config/case_table.h"
#include "caseset/config/per_case.h"
#include "caseset/config/vorn_period.h"
#include "caseset/modeltables/model_table_reader.h"
#include "caseset/modeltables/table_file_fixtures.h"
#include "modelfile/vorn_model_file.h"
#include "tableio/worksheet/excel8_wks_io.h"
#include "tableio/worksheet/testing/sheet_fixture.h"
#include "tableio/worksheet/wks_file.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using table_fixtures::Table;

constexpr double kBlank = 1e30;

struct Row {
  std::string period;
  std::string desc;
  int caseNumber;
  double length;
  bool operator==(const Row&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Row& r) {
  return out << "{" << r.period << "," << r.desc << "," << r.caseNumber << "," << r.length << "}";
}

class CaseTables : public ::testing::Test {
 protected:
  void SetUp() override {
    m_home = fs::temp_directory_path() / ("case_tables_" + std::to_string(::getpid()) + "_" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(m_home / "M");
    m_export.m_strHomeDirectory = m_home.string();
    m_export.m_pModel = std::make_unique<CVornModelFile>();
    model().m_strModelName = "M";
    model().m_strModelDir = (m_home / "M").string();
    m_export.m_paPerCases = std::make_unique<CPerCaseArray>();
  }
  void TearDown() override {
    CloseCachedWorkbook(true);
    fs::remove_all(m_home);
  }

  CVornModelFile& model() { return *m_export.m_pModel; }
  void Sheet(const std::string& table, const std::string& file, const wks_test::Grid& grid) {
    wks_test::WriteSheet(2, grid, (m_home / "M" / file).string());
    auto entry = std::make_unique<CVornModelFileTable>(table, 0);
    entry->AddFile(file, true, plat::OleDateTime());
    model().m_tables.Add(std::move(entry));
    model().m_tables.Sort(&CVornModelFileTable::CompareElements);
  }
  void Classic(const std::vector<Table>& tables) {
    const auto files = table_fixtures::MakeClassicFiles(tables);
    std::ofstream(m_home / "M" / "tables.map", std::ios::binary) << files.index;
    std::ofstream(m_home / "M" / "tables.fil", std::ios::binary) << files.cache;
  }
  // A generating case 5 whose matrix files hold the tables.
  void Generated(const std::vector<Table>& tables) {
    model().m_settings.m_UseZelunMGOn.SetValue(1);
    model().m_settings.m_GenerateOn.SetValue(1);
    SetCurrentCase(5)->m_bGenerate = true;
    m_export.m_nOutputCaseNumber = 5;
    const auto files = table_fixtures::MakeCompactFiles(tables);
    std::ofstream(m_home / "M" / GetTableIndexName(5), std::ios::binary) << files.index;
    std::ofstream(m_home / "M" / GetTableCacheName(5), std::ios::binary) << files.cache;
  }
  CAssembledCase* SetCurrentCase(int number) {
    m_export.m_paAssembledCases = std::make_unique<CAssembledCaseArray>();
    m_export.m_paAssembledCases->Add(std::make_unique<CAssembledCase>(number, "M"));
    m_export.m_paAssembledCases->Sort(&CAssembledCase::CompareElements);
    m_export.m_pCurrentCase = m_export.m_paAssembledCases->GetAt(0);
    return m_export.m_pCurrentCase;
  }
  // The current case's PERCASE case table with values (row, column, value) and texts (row, text).
  void CaseTable(const std::vector<std::tuple<std::string, std::string, double>>& values,
                 const std::vector<std::pair<std::string, std::string>>& texts) {
    auto table = std::make_unique<CCaseTable>("PERCASE", m_export.m_pCurrentCase->m_nNumber);
    for (const auto& [row, column, value] : values) {
      auto v = std::make_unique<CCaseValue>();
      v->m_strRow = row;
      v->m_strColumn = column;
      v->m_dValue = value;
      table->m_aValues.Add(std::move(v));
    }
    for (const auto& [row, text] : texts) {
      auto t = std::make_unique<CCaseText>();
      t->m_strRow = row;
      t->m_strText = text;
      table->m_aTexts.Add(std::move(t));
    }
    m_export.m_pCurrentCase->m_aCaseTables.Add(std::move(table));
    m_export.m_pCurrentCase->m_aCaseTables.Sort(&CCaseTable::CompareElements);
  }
  std::vector<Row> Rows() const {
    std::vector<Row> rows;
    for (const CPerCase* p : *m_export.m_paPerCases) rows.push_back({p->m_strPeriod, p->m_strDesc, p->m_nCase, p->m_dLength});
    return rows;
  }

  fs::path m_home;
  CVornDbExportData m_export{nullptr};
};

TEST_F(CaseTables, PerCaseRowsFromTheWorksheetsThenTheCaseTable) {
  model().m_settings.m_PERIODTIME.SetValue(2.5);
  Sheet("PERCASE", "percase.xls",
        {{"ROWNAMES", "TEXT", "CASE", "LEN"},
         {"P1  ", "first  ", "#3", "#7"},
         {"   ", "blank name", "#1", "#1"},
         {" P2", "", "", ""},
         {"P3", "third", "#4", "#0"},
         {"P4", "fourth", "#4", "#-2"}});
  SetCurrentCase(3);
  CaseTable({{"P1", "LEN", 0}, {"P5", "CASE", 9.9}, {"P3", "OTHER", 5}}, {{" P2", "from the case"}});
  EXPECT_TRUE(ReadCaseTables(m_export));  // no matrix generation: through the worksheets
  EXPECT_EQ(Rows(), (std::vector<Row>{{"P1", "first", 3, 0.0},
                                      {" P2", "from the case", -1, 2.5},
                                      {"P3", "third", 4, 1.0},
                                      {"P4", "fourth", 4, 1.0},
                                      {"P5", "", 9, 2.5}}));

  // Without a current case nothing is applied.
  ASSERT_TRUE(ReadPerCaseTable(model(), nullptr, *m_export.m_paPerCases));
  EXPECT_EQ(Rows().size(), 4u);
  EXPECT_EQ(Rows()[0].length, 7.0);
}

TEST_F(CaseTables, PerCaseTableProblemsAreReported) {
  // A model that lists no PERCASE table: nothing to do.
  EXPECT_TRUE(ReadPerCaseTable(model(), nullptr, *m_export.m_paPerCases));
  EXPECT_TRUE(Rows().empty());

  Sheet("PERCASE", "percase.xls", {{"ROWNAMES", "TEXT", "LEN"}, {"P1", "x", "#1"}});
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadPerCaseTable(model(), nullptr, *m_export.m_paPerCases));
  const std::string box = testing::internal::GetCapturedStderr();
  EXPECT_THAT(box, HasSubstr("Required column missing [CASE]"));
  EXPECT_THAT(box, HasSubstr("percase.xls"));
  EXPECT_TRUE(Rows().empty());

  // A sheet that is not a workbook cannot be read.
  std::ofstream((m_home / "M" / "percase.xls").string(), std::ios::trunc) << "not a workbook";
  testing::internal::CaptureStderr();
  const bool read = ReadPerCaseTable(model(), nullptr, *m_export.m_paPerCases);
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(read);  // a first source that does not open counts as no table
  EXPECT_TRUE(Rows().empty());
}

TEST_F(CaseTables, PerCaseRowsFromTheCacheOfAGeneratingCase) {
  Generated({{"PERCASE", {"P1", "P2", "  "}, {"LEN"}, {"one", "two", "none"}, {kBlank, 2, 1}},
             {"OTHER", {"X"}, {"A"}, {}, {1}}});
  EXPECT_TRUE(ReadCaseTables(m_export));  // no CASE column in the cache is fine
  EXPECT_EQ(Rows(), (std::vector<Row>{{"P1", "one", -1, 1.0}, {"P2", "two", -1, 2.0}}));

  Generated({{"PERCASE", {"P1", "P2"}, {"CASE", "LEN", "CASE"}, {}, {1, -3, 3.9, kBlank, 0, kBlank}}});
  model().m_tableMaps.RemoveAll();
  model().m_tableFilImage.Release();
  model().m_tableMapImage.Release();
  CaseTable({{"P2", "CASE", -7.6}, {"P3", "CASE", 1e12}}, {});
  EXPECT_TRUE(ReadCaseTables(m_export));
  // The later of two CASE columns counts; a LEN not above 0 becomes 1; a
  // case number beyond 32 bits is no case.
  EXPECT_EQ(Rows(), (std::vector<Row>{{"P1", "", 3, 1.0}, {"P2", "", -7, 1.0}, {"P3", "", -1, 1.0}}));
}

TEST_F(CaseTables, PeriodsFromTheCache) {
  model().m_settings.m_ModelType.SetValue(1);
  model().m_settings.m_RECURSE.SetValue(0);
  const double start = 45292.0;
  Classic({{"PERIODS",
            {"W1", "W2", "W3", "W1"},
            {"LEN", "PVF", "RECURSE", "StartDat"},
            {"twelve chars", "w2", "w3", "again"},
            {7, 0.9, 1, start, kBlank, kBlank, 0, start, 3, kBlank, 1, kBlank, 5, kBlank, kBlank, kBlank}}});
  m_export.m_paPeriods = std::make_unique<CVornPeriodArray>();
  ASSERT_TRUE(ReadPeriods(m_export));
  const CVornPeriodArray& periods = *m_export.m_paPeriods;
  ASSERT_EQ(periods.GetSize(), 3);
  EXPECT_EQ(model().m_nimboVars.GetPeriodCount(), 3);
  const CVornPeriod& w1 = *periods.GetAt(0);
  EXPECT_EQ(w1.m_strCode, "W1");
  EXPECT_EQ(w1.m_strText, "again");  // the later row of a repeated code
  EXPECT_EQ(w1.m_dLength, 5);
  EXPECT_FLOAT_EQ(static_cast<float>(w1.m_dPVF), 0.9f);
  EXPECT_FALSE(w1.m_bRecurse);       // blank in the later row
  EXPECT_TRUE(w1.m_bMIP);            // no MIP column
  EXPECT_FALSE(w1.m_dtStartDate.IsValid());
  EXPECT_EQ(periods.GetAt(1)->m_dLength, 1.0);
  EXPECT_FALSE(periods.GetAt(1)->m_bRecurse);  // 0
  EXPECT_TRUE(periods.GetAt(1)->m_dtStartDate.IsValid());
  EXPECT_DOUBLE_EQ(periods.GetAt(1)->m_dtStartDate.GetValue(), start);
  EXPECT_TRUE(periods.GetAt(2)->m_bRecurse);

  // A MIP column and no RECURSE column; texts are cut to eight characters.
  fs::remove(m_home / "M" / "tables.map");
  model().m_tableMaps.RemoveAll();
  model().m_tableFilImage.Release();
  model().m_settings.m_RECURSE.SetValue(1);
  Classic({{"PERIODS", {"A"}, {"MIP"}, {"twelve chars"}, {kBlank}}});
  ASSERT_TRUE(ReadPeriods(m_export));
  ASSERT_EQ(periods.GetSize(), 1);
  EXPECT_EQ(periods.GetAt(0)->m_strText, "twelve c");
  EXPECT_FALSE(periods.GetAt(0)->m_bMIP);
  EXPECT_TRUE(periods.GetAt(0)->m_bRecurse);
}

TEST_F(CaseTables, PeriodsOfOtherModels) {
  // A single-period model keeps its list.
  m_export.m_paPeriods = std::make_unique<CVornPeriodArray>();
  m_export.m_paPeriods->Add(std::make_unique<CVornPeriod>("KEEP"));
  ASSERT_TRUE(ReadPeriods(m_export));
  EXPECT_EQ(m_export.m_paPeriods->GetSize(), 1);

  // A multi-period model without a cached PERIODS table: no periods.
  model().m_settings.m_ModelType.SetValue(3);
  Classic({{"OTHER", {"X"}, {"A"}, {}, {1}}});
  ASSERT_TRUE(ReadPeriods(m_export));
  EXPECT_EQ(m_export.m_paPeriods->GetSize(), 0);
  EXPECT_EQ(model().m_nimboVars.GetPeriodCount(), 0);
}

}  // namespace

namespace {

TEST_F(CaseTables, AWorkbookOpenedOnlyForPerCaseIsClosedWithItsApplication) {
  const fs::path fixture = fs::path(OSTREL_SOURCE_DIR) / "tableio/worksheet/testdata/newer/openpyxl_types.xlsx";
  fs::copy_file(fixture, m_home / "M" / "percase.xlsx");
  auto entry = std::make_unique<CVornModelFileTable>("PERCASE", 0);
  entry->AddFile("percase.xlsx", true, plat::OleDateTime());
  model().m_tables.Add(std::move(entry));

  ASSERT_EQ(GetExcelApplication(), nullptr);
  testing::internal::CaptureStderr();
  ReadPerCaseTable(model(), nullptr, *m_export.m_paPerCases);
  EXPECT_EQ(GetExcelApplication(), nullptr);
  EXPECT_FALSE(HasCachedWorkbook());

  // An application that ran before stays.
  ASSERT_EQ(StartExcelApplication(), 1);
  ReadPerCaseTable(model(), nullptr, *m_export.m_paPerCases);
  testing::internal::GetCapturedStderr();
  EXPECT_NE(GetExcelApplication(), nullptr);
  EXPECT_TRUE(CloseWorkbookAndExcel());
  EXPECT_EQ(GetExcelApplication(), nullptr);
  EXPECT_TRUE(CloseWorkbookAndExcel());  // nothing running
}

}  // namespace
