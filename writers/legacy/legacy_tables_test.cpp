// The legacy LG* writers against a real result database file.

#include "writers/legacy/legacy_tables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "caseset/config/assembled_case.h"
#include "caseset/config/local_model.h"
#include "caseset/config/per_case.h"
#include "caseset/config/vorn_period.h"
#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/access/output_table_api.h"
#include "dbdrivers/access/testing/access_fixture.h"
#include "dbdrivers/sqlserver/db_sql_svr.h"
#include "modelfile/vorn_model_file.h"
#include "modelfile/vorn_model_file_table.h"
#include "tableio/worksheet/testing/sheet_fixture.h"
#include "tableio/worksheet/wks_file.h"
#include "results/objects/solverfiles/testing/solution_file_writer.h"
#include "standins/file_name_manager.h"
#include "writers/queries/legacy_queries.h"
#include "standins/testing/recording_orvid.h"
#include "writers/testing/result_writer_fixture.h"

namespace {

using solution_file_testing::Record;

std::string g_hostMessages;
int RecordHostMessage(const char* text, int length, int kind) {
  g_hostMessages += std::to_string(kind) + ":" + std::string(text, static_cast<std::size_t>(length)) + "\n";
  return 0;
}

// A data line of a flow file: nodes in columns 1 and 7, the tag in 15, the rates in 22-32 and 37-47.
std::string Link(const std::string& from, const std::string& to, const std::string& tag, const std::string& rateFrom,
                 const std::string& rateTo) {
  std::string line(47, ' ');
  line.replace(0, from.size(), from);
  line.replace(6, to.size(), to);
  line.replace(14, tag.size(), tag);
  line.replace(21, rateFrom.size(), rateFrom);
  line.replace(36, rateTo.size(), rateTo);
  return line + "\n";
}

class LegacyTablesTest : public writers_testing::ResultWriterTest {
 protected:
  void SetUp() override {
    exportData.m_strRunID = "R1";
    Settings().m_DatabaseOutputFormat.SetValue("Access");
    g_hostMessages.clear();
    exportData.m_pfnHostCallbacks[0] = &RecordHostMessage;
  }
  void WriteFile(const std::string& name, const std::string& text) {
    std::ofstream(home.Path() + "/M1/" + name, std::ios::binary) << text;
  }
  void SaveSolution(const solution_file_testing::Writer& writer) { writer.Save(home.Path() + "/M1/Solution.Fil"); }
  void SetCurrentCase(int number) {
    m_case = std::make_unique<CAssembledCase>(number, "M1");
    exportData.m_pCurrentCase = m_case.get();
  }
  std::unique_ptr<CAssembledCase> m_case;
};

TEST_F(LegacyTablesTest, PrimalColumnsTakeTheirValuesStatusesAndPeriods) {
  Settings().m_CreateLGPRIMLR.SetValue(0);
  Settings().m_ModelType.SetValue(1);
  SetCurrentCase(4);
  solution_file_testing::Writer file(false, 9);
  file.rows = {{"OBJFN", 2, 9.0}};
  Record freeCost{"PURCABCA", 0, 5e-8, 0.0, -1e30, 1e30, 0.5, 7.0};
  Record own{"SELLXYZB", 9, 1e30, 2.0, 1.0, 3.0, 0.0, 8.0};
  Record negative{"OBJFN", -1, 1.0, 1.0, 0.0, 1e30};
  file.columns = {freeCost, own, negative};
  SaveSolution(file);
  ASSERT_TRUE(WritePrimalTables(exportData, Model()));
  EXPECT_EQ(Rows("SELECT count(*) FROM sqlite_master WHERE name='LGPRIMLR'"), "0\n");
  EXPECT_EQ(Rows("SELECT RUNID, \"CASE\", PERIOD, NAME, quote(STATUS), ACTIVITY, COST, quote(LOBND), quote(HIBND), "
                 "MARVALUE FROM LGPRIMLC ORDER BY rowid"),
            "R1|4|A|PURCABCA|NULL|0.0|7.0|NULL|NULL|0.5\n"
            "R1|4|B|SELLXYZB|NULL|1.00000001504747e+30|2.0|1.0|3.0|0.0\n"
            "R1|4|NULL|OBJFN|NULL|1.0|1.0|0.0|NULL|0.0\n");
  // The two blanks of status 7 are an empty text to the table API, which leaves it unset.
  EXPECT_EQ(GetStatusText(0), "  ");
  EXPECT_EQ(GetStatusText(9), "  ");
  EXPECT_EQ(GetStatusText(3), "EQ");
}

TEST_F(LegacyTablesTest, PrimalRowPeriodsFollowTheModelType) {
  const struct {
    int modelType;
    const char* name;
    const char* period;
  } cases[] = {
      {0, "OBJFN", "0"},          {2, "ABCDEFGH", "0"},   {1, "ABCDEFGH", "H"},      {1, "ABCDEFGHI", "NULL"},
      {3, "MINOBJ", "NULL"},      {3, "ABCDEFG", "NULL"}, {3, "XYZDEFGHJ", "J"},     {3, "EPURABCAJ", "A"},
      {3, "EPURABCQJ", "J"},
  };
  int n = 0;
  for (const auto& c : cases) {
    exportData.m_paPeriods = std::make_unique<CVornPeriodArray>();
    exportData.m_paPeriods->Add(new CVornPeriod("A"));
    Settings().m_ModelType.SetValue(c.modelType);
    solution_file_testing::Writer file(false, 9);
    file.rows = {{c.name}};
    SaveSolution(file);
    SetCurrentCase(++n);
    ASSERT_TRUE(WritePrimalTables(exportData, Model()));
    EXPECT_EQ(Rows("SELECT ifnull(PERIOD, 'NULL') FROM LGPRIMLR WHERE \"CASE\"=" + std::to_string(n)),
              std::string(c.period) + "\n")
        << c.modelType << " " << c.name;
  }
  // Once a balance row was read, later rows keep their 8th character.
  Settings().m_ModelType.SetValue(3);
  solution_file_testing::Writer file(false, 9);
  file.rows = {{"XYZDEFGHJ"}, {"ABALEFGH"}, {"XYZDEFGKJ"}};
  SaveSolution(file);
  SetCurrentCase(99);
  ASSERT_TRUE(WritePrimalTables(exportData, Model()));
  EXPECT_EQ(Rows("SELECT PERIOD FROM LGPRIMLR WHERE \"CASE\"=99 ORDER BY rowid"), "J\nH\nK\n");
}

// A case whose solver left its own solution file in the model's directory takes its rows from that one.
TEST_F(LegacyTablesTest, PrimalRowsComeFromTheCasesOwnSolutionFileWhenThereIsOne) {
  solution_file_testing::Writer plain(false, 9), own(false, 9);
  plain.rows = {{"PLAIN"}};
  own.rows = {{"OWN"}};
  SaveSolution(plain);
  own.Save(home.Path() + "/M1/" + CreateFileNameManager()->GetSolutionFileName(6));
  for (const int number : {6, 7}) {
    SetCurrentCase(number);
    ASSERT_TRUE(WritePrimalTables(exportData, Model()));
  }
  EXPECT_EQ(Rows("SELECT \"CASE\", NAME FROM LGPRIMLR ORDER BY rowid"), "6|OWN\n7|PLAIN\n");
}

TEST_F(LegacyTablesTest, AColumnsSixthValueIsTakenAsReadAndAFileWithoutRowsIsRead) {
  SetCurrentCase(1);
  solution_file_testing::Writer file(false, 9);
  file.columns = {{"PURCABC", 2, 1.0, 0.0, 0.0, 1e30, 0.0, 5e-8}, {"SELLABC", 2, 1.0, 4e-8, 0.0, 1e30, 0.0, 2.0}};
  SaveSolution(file);
  ASSERT_TRUE(WritePrimalTables(exportData, Model()));
  EXPECT_EQ(Rows("SELECT count(*) FROM LGPRIMLR"), "0\n");
  // A tiny sixth value stays what the solver wrote; a tiny cost is 0 and gives way to the sixth.
  EXPECT_EQ(Rows("SELECT NAME, COST = CAST(5e-8 AS REAL) OR abs(COST - 5e-8) < 1e-15 FROM LGPRIMLC ORDER BY rowid"),
            "PURCABC|1\nSELLABC|0\n");
  EXPECT_EQ(Rows("SELECT COST FROM LGPRIMLC WHERE NAME='SELLABC'"), "2.0\n");
}

TEST_F(LegacyTablesTest, AMissingOrDamagedSolutionFileFailsWithAMessage) {
  EXPECT_FALSE(WritePrimalTables(exportData, Model()));
  EXPECT_NE(g_hostMessages.find("2:Unable to open the solution file"), std::string::npos) << g_hostMessages;

  solution_file_testing::Writer file(false, 9);
  file.rows = {{"OBJFN"}};
  file.overrideCounts = true;
  file.rowCount = 1;
  file.total = 1000000;  // far more entries than the file holds
  SaveSolution(file);
  g_hostMessages.clear();
  EXPECT_FALSE(WritePrimalTables(exportData, Model()));
  EXPECT_NE(g_hostMessages.find("Solution.Fil"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(DatabasePath())) << "no table was opened";
}

TEST_F(LegacyTablesTest, MultiPeriodRowsFollowEachOther) {
  Settings().m_ModelType.SetValue(1);
  Settings().m_CommonStartDate.SetValue(plat::OleDateTime(2024, 3, 1));
  exportData.m_paPeriods = std::make_unique<CVornPeriodArray>();
  auto* first = new CVornPeriod("A");
  first->m_strText = "First period";
  first->m_dLength = 1.5;
  first->m_dPVF = 0.9;
  first->m_bRecurse = true;
  auto* second = new CVornPeriod("B");
  second->m_dLength = 2;
  second->m_bMIP = true;
  exportData.m_paPeriods->Add(first);
  exportData.m_paPeriods->Add(second);
  ASSERT_TRUE(WriteLGPERIOD(exportData, Model()));
  EXPECT_EQ(Rows("SELECT PERIOD, \"DESC\", DAYS, StartTime, StopTime, PVF, RECURSE, MIP, PeriodOrder FROM LGPERIOD"),
            "A|First pe|1.5|00:00:00|12:00:00|0.9|1|0|1\n"
            "B|NULL|2.0|12:00:00|12:00:00|1.0|0|1|2\n");
  EXPECT_EQ(Rows("SELECT (SELECT StopDate FROM LGPERIOD WHERE PERIOD='A') = (SELECT StartDate FROM LGPERIOD WHERE "
                 "PERIOD='B'), (SELECT julianday(StopDate) - julianday(StartDate) FROM LGPERIOD WHERE PERIOD='B')"),
            "1|2.0\n");
}

TEST_F(LegacyTablesTest, SinglePeriodRowsComeFromThePerCaseRows) {
  Settings().m_PeriodLength.SetValue(7.0);
  Settings().m_PERIODTIME.SetValue(2.0);
  ASSERT_TRUE(WriteLGPERIOD(exportData, Model()));  // no PERCASE row: period "0", the model's length
  EXPECT_EQ(Rows("SELECT PERIOD, DAYS, quote(StartDate), PeriodOrder FROM LGPERIOD"), "0|14.0|NULL|0\n");

  Settings().m_CommonStartDate.SetValue(plat::OleDateTime(2024, 3, 1));
  exportData.m_paPerCases = std::make_unique<CPerCaseArray>();
  auto* earlier = new CPerCase(5);
  earlier->m_dLength = 0.25;
  auto* own = new CPerCase(0);
  own->m_strPeriod = "QX";
  own->m_strDesc = "Quarter one";
  own->m_dLength = 0;
  auto* later = new CPerCase(6);
  later->m_dLength = 3;
  for (CPerCase* row : {earlier, own, later}) exportData.m_paPerCases->Add(row);
  ASSERT_TRUE(WriteLGPERIOD(exportData, Model()));
  EXPECT_EQ(Rows("SELECT PERIOD, \"DESC\", DAYS, StartTime, StopTime FROM LGPERIOD WHERE PERIOD='Q'"),
            "Q|Quarter|1.0|12:00:00|12:00:00\n");
}

TEST_F(LegacyTablesTest, FlowLinksTakeTheirOwnSectionsOnly) {
  WriteFile("Result.flo", "* flow file\n"
                          "LINKS A\n" +
                              Link("AB", "CD", "S1", "1.5", "2.5") +
                              "\n"
                              "* a comment keeps the section open\n" +
                              Link("EF", "GH", "S2", "", "3") + "UTLINKS B\n" + Link("AB", "CD", "U1", "7.25", "") +
                              "ENDATA\n" + Link("XX", "YY", "S9", "9", "9") + "links\n" + Link("ZZ", "YY", "S8", "9", "9") +
                              "LINKS\n" + Link("IJ", "KL", "S3", "1", "").substr(0, 25) + "\r\n");
  ASSERT_TRUE(WriteLGLINKS(exportData, Model(), false));
  ASSERT_TRUE(WriteLGLINKS(exportData, Model(), true));
  EXPECT_EQ(Rows("SELECT PERIOD, NodeFrom, NodeTo, STRMID, RateFrom, RateTo FROM LGLINKS"),
            "A|AB|CD|S1|1.5|2.5\nA|EF|GH|S2|0.0|3.0\n0|IJ|KL|S3|1.0|0.0\n");
  EXPECT_EQ(Rows("SELECT PERIOD, NodeFrom, UTILID, RateFrom, quote(RateTo) FROM LGULINKS"), "B|AB|U1|7.25|0.0\n");

  Settings().m_ModelType.SetValue(2);  // a global model has no flow links
  ASSERT_TRUE(WriteLGLINKS(exportData, Model(), false));
  EXPECT_EQ(Rows("SELECT count(*) FROM LGLINKS"), "3\n");
  EXPECT_EQ(GetFlowFileName(exportData), "Result.flo");
  SetCurrentCase(7);
  EXPECT_EQ(GetFlowFileName(exportData), "Resul007.flo");
}

TEST_F(LegacyTablesTest, SettingsAreWrittenByTheirType) {
  SetCurrentCase(3);
  Settings().m_PeriodLength.SetValue(1e30);
  Settings().m_DatabaseOutputPassword.SetValue("s3cret");
  Settings().m_DatabaseOutputConnection.SetValue("DSN=r;PWD=s3cret");
  ASSERT_TRUE(WriteLGSETTNG(exportData, Model()));
  EXPECT_EQ(Rows("SELECT count(*) FROM LGSETTNG"), std::to_string(Settings().m_list.GetCount()) + "\n");
  EXPECT_EQ(Rows("SELECT KEYWORD, \"CASE\", TYPE, quote(DOUBLE_VAL), quote(INT_VAL) FROM LGSETTNG WHERE KEYWORD IN "
                 "('PeriodLength', 'PERIODTIME', 'ModelType') ORDER BY KEYWORD"),
            "ModelType|3|2|NULL|0\nPeriodLength|3|3|NULL|NULL\nPERIODTIME|3|3|1.0|NULL\n");
  EXPECT_EQ(Rows("SELECT TYPE, DATE_VAL IS NOT NULL, TEXT_VAL FROM LGSETTNG WHERE KEYWORD IN ('CommonStartDate', "
                 "'DatabaseOutputFormat') ORDER BY KEYWORD"),
            "4|1|NULL\n1|0|Access\n");
  // Secrets are masked, as in PrSetting.
  EXPECT_EQ(Rows("SELECT TEXT_VAL FROM LGSETTNG WHERE KEYWORD IN ('DatabaseOutputConnection', "
                 "'DatabaseOutputPassword') ORDER BY KEYWORD"),
            "DSN=r;PWD=********\n********\n");
}

TEST_F(LegacyTablesTest, EconomicCategoriesCountByModelType) {
  const struct {
    int modelType;
    const char* count;
  } cases[] = {{0, "15"}, {1, "15"}, {2, "5"}, {3, "8"}};
  for (const auto& c : cases) {
    Settings().m_ModelType.SetValue(c.modelType);
    exportData.m_strRunID = "T" + std::to_string(c.modelType);
    ASSERT_TRUE(WriteLGECOID(exportData, Model()));
    EXPECT_EQ(Rows("SELECT count(*) FROM LGECOID WHERE RUNID='" + exportData.m_strRunID + "'"),
              std::string(c.count) + "\n");
  }
  EXPECT_EQ(Rows("SELECT \"DESC\" FROM LGECOID WHERE RUNID='T0' AND CATEGORY=1"), "Purchases\n");
}

TEST_F(LegacyTablesTest, CaseRowTakesTheCaseSetTitleOrTheTitleSettings) {
  Settings().m_TITLE1.SetValue("Base ");
  Settings().m_TITLE2.SetValue("run");
  Settings().m_NOTE2.SetValue("second note   ");
  exportData.m_paAssembledCases = std::make_unique<CAssembledCaseArray>();
  auto* entry = new CAssembledCase(2, "M1");
  entry->m_strTitle = "Case two  ";
  exportData.m_paAssembledCases->Add(entry);
  exportData.m_dObjectiveValue = 12.5;
  exportData.m_strSolutionStatus = "Optimal";
  for (int number : {0, 2, 5}) {
    exportData.m_nOutputCaseNumber = number;
    ASSERT_TRUE(WriteLGCASE(exportData, Model()));
  }
  EXPECT_EQ(Rows("SELECT \"CASE\", TITLE, OBJFN, STATUS, quote(NOTE01), NOTE02 FROM LGCASE ORDER BY \"CASE\""),
            "0|Base run|12.5|Optimal|NULL|second note\n"
            "2|Case two|12.5|Optimal|NULL|second note\n"
            "5|Base run|12.5|Optimal|NULL|second note\n");
}

TEST_F(LegacyTablesTest, NoLegacyTableWithoutAnAccessDatabase) {
  Settings().m_DatabaseOutputFormat.SetValue("SQL Server");
  WriteFile("Result.flo", "LINKS A\nAB    CD        S1      1.5\n");
  for (bool firstCase : {true, false}) EXPECT_TRUE(WriteLegacyTables(exportData, Model(), false, firstCase));
  EXPECT_FALSE(Model().m_daoDatabase && Model().m_daoDatabase->IsOpen());
}

TEST_F(LegacyTablesTest, LegacyQueriesAreReplacedAndReadTheLegacyTables) {
  exportData.m_strDatabaseDirectory = home.Path();
  exportData.m_strDatabaseDescription = "Test run";
  std::vector<std::string> names;
  exportData.m_pvecSavedQueryNames = &names;
  Settings().m_PERIODTIME.SetValue(2.0);
  Settings().m_PeriodLength.SetValue(3.0);
  Settings().m_TITLE1.SetValue("Base");
  exportData.m_nOutputCaseNumber = 1;
  SetCurrentCase(1);
  ASSERT_TRUE(WriteLGSETTNG(exportData, Model()));
  ASSERT_TRUE(WriteLGPERIOD(exportData, Model()));
  ASSERT_TRUE(WriteLGCASE(exportData, Model()));
  ASSERT_TRUE(CreateLegacyQueries(exportData, Model()));
  EXPECT_EQ(names.size(), 46u);
  EXPECT_EQ(Rows("SELECT count(*) FROM sqlite_master WHERE type='view'"), "43\n");
  EXPECT_EQ(Rows("SELECT \"Name\" FROM OstrelSavedStatements ORDER BY 1"),
            "PopulateLGVTWSRT\nUpdateLocalDemandData\nUpdateVTWSortData\n");
  // Period lengths are given back in periods: DAYS divided by PERIODTIME.
  EXPECT_EQ(Rows("SELECT RUNID, \"CASE\", PERIOD, DAYS FROM R_PeriodLengths"), "R1|1|0|3.0\n");
  EXPECT_EQ(Rows("SELECT VORNRPTNAME, PVORNRPTNAME FROM R_CaseInfo"), "001 Base|001-00 Base\n");
  EXPECT_EQ(Rows("SELECT VALUE FROM R_LGSETTING WHERE KEYWORD='PERIODTIME'"), "2.0\n");
  EXPECT_EQ(Rows("SELECT RUNID, VORNRWOK, RWGRPON FROM LGFILTER"), "R1|0|0\n");

  // A second call re-creates the auxiliary tables and replaces every query; a global model gets one more.
  Settings().m_ModelType.SetValue(2);
  Model().m_bReportWriterGroups = 1;
  exportData.m_strRunID = "R2";
  ASSERT_TRUE(CreateLegacyQueries(exportData, Model()));
  EXPECT_EQ(Rows("SELECT RUNID, RWGRPON FROM LGFILTER"), "R2|1\n");
  EXPECT_EQ(Rows("SELECT count(*) FROM sqlite_master WHERE type='view'"), "44\n");
  EXPECT_EQ(Rows("SELECT count(*) FROM LGVTWSRT"), "0\n");
}

TEST_F(LegacyTablesTest, TheFirstCaseWritesTheRunTablesAndEveryCaseItsOwn) {
  exportData.m_strRunID = "RUN123";
  exportData.m_strDatabaseDirectory = home.Path();
  exportData.m_strDatabaseDescription = "Pass";
  solution_file_testing::Writer file(false, 9);
  file.rows = {{"OBJFN", 2, 1.0}};
  file.columns = {{"PURCABC", 2, 2.0}};
  SaveSolution(file);
  WriteFile("Result.flo", "LINKS\n" + Link("AB", "CD", "S1", "1", "2"));
  ASSERT_TRUE(WriteLegacyTables(exportData, Model(), false, true));
  EXPECT_EQ(exportData.m_strRunID, "RUN1");
  for (const char* table : {"LGPRIMLR", "LGPRIMLC", "LGPERIOD", "LGSETTNG", "LGLINKS", "LGRUNID", "LGECOID", "LGCASE"})
    EXPECT_EQ(Rows(std::string("SELECT count(DISTINCT RUNID) FROM ") + table), "1\n") << table;
  EXPECT_EQ(Rows("SELECT count(*) FROM LGRUNID"), "1\n");

  SetCurrentCase(2);
  exportData.m_nOutputCaseNumber = 2;
  ASSERT_TRUE(WriteLegacyTables(exportData, Model(), false, false));
  EXPECT_EQ(Rows("SELECT count(*) FROM LGRUNID"), "1\n");
  EXPECT_EQ(Rows("SELECT \"CASE\" FROM LGCASE ORDER BY 1"), "0\n2\n");
  EXPECT_EQ(Rows("SELECT count(*) FROM LGPRIMLC WHERE \"CASE\"=2"), "1\n");
}

TEST_F(LegacyTablesTest, TheRunRowNamesTheModelTypeAndLeavesAPlaceholderDescriptionUnset) {
  exportData.m_dtDateRunStart = plat::OleDateTime(2024, 3, 1, 13, 4, 5);
  exportData.m_strSystem = "SYS";
  const struct {
    int modelType;
    int sked;
    const char* description;
    const char* row;
  } cases[] = {
      {0, 0, "Description of the refinery run", "VORN|Description of the ref"},
      {1, 0, "_", "PVORN|NULL"},
      {1, 1, "", "VORN-SX|NULL"},
      {2, 0, "x", "MVORN|x"},
      {3, 0, "x", "XVORN|x"},
      {7, 0, "x", "NULL|x"},
  };
  int n = 0;
  for (const auto& c : cases) {
    exportData.m_strRunID = "T" + std::to_string(++n);
    Settings().m_ModelType.SetValue(c.modelType);
    Settings().m_VornSkedOn.SetValue(c.sked);
    exportData.m_strDatabaseDescription = c.description;
    ASSERT_TRUE(WriteLGRUNID(exportData, Model()));
    EXPECT_EQ(Rows("SELECT ifnull(MODTYPE, 'NULL'), ifnull(\"DESC\", 'NULL') FROM LGRUNID WHERE RUNID='" +
                   exportData.m_strRunID + "'"),
              std::string(c.row) + "\n")
        << c.modelType << " " << c.sked;
  }
  EXPECT_EQ(Rows("SELECT DISTINCT \"DATE\", TIME, SYSTEM, MODEL FROM LGRUNID"), "2024-03-01 13:04:05|13:04:05|SYS|M1\n");
}

TEST_F(LegacyTablesTest, LocalModelsAreListedForAGlobalModelOnly) {
  exportData.m_paLocalModels = std::make_unique<CLocalModelArray>();
  for (const auto& [code, text] : {std::pair{"A", "plantA"}, {"B", "plantB"}}) {
    auto local = std::make_unique<CLocalModel>();
    local->m_strCodeString = code;
    local->m_strTextString = text;
    exportData.m_paLocalModels->Add(local.release());
  }
  const struct {
    int modelType;
    int on;
    const char* rows;
  } cases[] = {{0, 1, "0\n"}, {1, 1, "0\n"}, {2, 0, "0\n"}, {2, 1, "2\n"}, {3, 1, "2\n"}};
  Settings().m_ModelType.SetValue(2);
  ASSERT_TRUE(WriteLGMODELS(exportData, Model()));  // the table, with the rows of run "R1"
  int n = 0;
  for (const auto& c : cases) {
    exportData.m_strRunID = "T" + std::to_string(++n);
    Settings().m_ModelType.SetValue(c.modelType);
    Settings().m_CreateLGMODELS.SetValue(c.on);
    ASSERT_TRUE(WriteLGMODELS(exportData, Model()));
    EXPECT_EQ(Rows("SELECT count(*) FROM LGMODELS WHERE RUNID='" + exportData.m_strRunID + "'"), c.rows)
        << c.modelType << " " << c.on;
  }
  EXPECT_EQ(Rows("SELECT Code, Model, Directory FROM LGMODELS WHERE RUNID='T4' ORDER BY rowid"),
            "A|plantA|" + home.Path() + "/plantA\nB|plantB|" + home.Path() + "/plantB\n");
}

TEST_F(LegacyTablesTest, TableFilesAreListedWithTheirSheetAndOnlyUsableOnesEnabled) {
  const struct {
    const char* table;
    const char* file;
    bool enabled;
    int category;
  } files[] = {
      {"BUY", "buy.xls[Sheet1]", true, 0},
      {"BUY", "more.xls", false, 0},
      {"CRUDECUTS", "cuts.xls", true, 14},
  };
  for (const auto& f : files) {
    CVornModelFileTable* table = Model().FindTable(f.table);
    if (!table) {
      Model().m_tables.Add(std::make_unique<CVornModelFileTable>(f.table, f.category));
      table = Model().FindTable(f.table);
    }
    table->AddFile(f.file, f.enabled, plat::OleDateTime());
  }
  ASSERT_TRUE(WriteLGTABLES(exportData, Model()));
  const std::string dir = Model().m_strModelDir;
  EXPECT_EQ(Rows("SELECT \"TABLE\", WORKBOOK, quote(SHEET), quote(ENABLED) FROM LGTABLES ORDER BY rowid"),
            "BUY|" + dir + "/buy.xls|'sheet1'|1\nBUY|" + dir + "/more.xls|NULL|NULL\nCRUDECUT|" + dir +
                "/cuts.xls|NULL|NULL\n");

  // A cut table counts as usable with UseNimboOn and Zelun_ShortcutDistlOn; export kind 2 lists nothing.
  Settings().m_UseNimboOn.SetValue(1);
  Settings().m_Zelun_ShortcutDistlOn.SetValue(1);
  exportData.m_nSolutionID = 9;
  ASSERT_TRUE(WritePrSpreadsheetTables(exportData, Model(), 3));
  EXPECT_EQ(Rows("SELECT SolutionID, ModelID, TableName, quote(Sheet), quote(Enabled) FROM PrSpreadsheetTables ORDER "
                 "BY rowid"),
            "9|3|BUY|'sheet1'|1\n9|3|BUY|NULL|NULL\n9|3|CRUDECUT|NULL|1\n");
  exportData.m_nExportKind = 2;
  ASSERT_TRUE(WritePrSpreadsheetTables(exportData, Model(), 4));
  EXPECT_EQ(Rows("SELECT count(*) FROM PrSpreadsheetTables WHERE ModelID=4"), "0\n");
}

TEST_F(LegacyTablesTest, ASqlServerDatabaseGetsTheSpreadsheetRowsSentWithoutDefinitions) {
  dbdrivers_testing::RecordingSqlServer server(*this);
  Model().m_tables.Add(std::make_unique<CVornModelFileTable>("BUY", 0));
  Model().FindTable("BUY")->AddFile("buy.xls", true, plat::OleDateTime());
  testing::internal::CaptureStderr();
  EXPECT_TRUE(WritePrSpreadsheetTables(exportData, Model(), 1));
  EXPECT_TRUE(WriteLegacyTables(exportData, Model(), false, true));
  testing::internal::GetCapturedStderr();
  std::string calls;
  for (const std::string& call : orvid_testing::g_orvidCalls) calls += call + ";";
  EXPECT_NE(calls.find("start PrSpreadsheetTables;SolutionID=0;ModelID=1;TableName=BUY;Workbook="), std::string::npos)
      << calls;
  EXPECT_EQ(calls.find("LG"), std::string::npos) << "no legacy table without an Access database: " << calls;
  EXPECT_FALSE(std::filesystem::exists(DatabasePath()));
}

TEST_F(LegacyTablesTest, DepotsAreWrittenFromTheDepotsTableOrFailWithTheMessageOfItsStatus) {
  Settings().m_ModelType.SetValue(2);
  const wks_test::Grid depots = {{"ROWNAMES", "TEXT", "CAP"}, {"NORTH", "Northern depot of the region", "#1"},
                                 {"S", "South", "#2"}};
  const struct {
    const char* what;
    std::vector<std::string> files;  // the sources listed for DEPOTS; only depots.xls is written
    wks_test::Grid grid;
    bool ok;
    const char* shown;
    const char* rows;
  } cases[] = {
      {"codes keep their first character, texts 20", {"depots.xls"}, depots, true, "",
       "N|Northern depot of th\nS|South\n"},
      {"the last TEXT column", {"depots.xls"}, {{"ROWNAMES", "TEXT", "TEXT"}, {"E", "first", "last"}}, true, "",
       "E|last\n"},
      {"no TEXT column", {"depots.xls"}, {{"ROWNAMES", "CAP"}, {"N", "#1"}}, false,
       "Required column TEXT is missing in", ""},
      {"a source that cannot be read", {"depots.xls", "gone.xls"}, depots, false,
       "Unable to retrieve data from existing table", ""},
      {"mixed row names", {"depots.xls"}, {{"ROWNAMES", "TEXT"}, {"#1", "One"}, {"N", "North"}}, false,
       "Mixed numeric/text data cells in ROWNAMES column", ""},
      {"no DEPOTS table", {}, depots, true, "", ""},
  };
  int caseNumber = 4;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetCurrentCase(++caseNumber);
    Model().m_tables.RemoveAll();
    if (!c.files.empty()) {
      Model().m_tables.Add(std::make_unique<CVornModelFileTable>("DEPOTS", 0));
      for (const std::string& file : c.files) Model().FindTable("DEPOTS")->AddFile(file, true, plat::OleDateTime());
    }
    wks_test::WriteSheet(2, c.grid, Model().m_strModelDir + "/depots.xls");
    testing::internal::CaptureStderr();
    EXPECT_EQ(WriteLGDEPOTS(exportData, Model()), c.ok);
    const std::string shown = testing::internal::GetCapturedStderr();
    CloseCachedWorkbook(true);
    EXPECT_NE(shown.find(c.shown), std::string::npos) << shown;
    EXPECT_EQ(Rows("SELECT Code, \"DESC\" FROM LGDEPOTS WHERE \"CASE\"=" + std::to_string(caseNumber) +
                   " ORDER BY rowid"),
              c.rows);
  }
  Settings().m_ModelType.SetValue(1);  // only a global model has depots
  SetCurrentCase(99);
  Model().m_tables.Add(std::make_unique<CVornModelFileTable>("DEPOTS", 0));
  Model().FindTable("DEPOTS")->AddFile("depots.xls", true, plat::OleDateTime());
  wks_test::WriteSheet(2, depots, Model().m_strModelDir + "/depots.xls");
  EXPECT_TRUE(WriteLGDEPOTS(exportData, Model()));
  CloseCachedWorkbook(true);
  EXPECT_EQ(Rows("SELECT count(*) FROM LGDEPOTS WHERE \"CASE\"=99"), "0\n");
}

TEST_F(LegacyTablesTest, ALocalModelGetsItsOwnTablesOnlyAndItsDatabaseIsClosed) {
  exportData.m_strDatabaseDirectory = home.Path();
  exportData.m_strDatabaseDescription = "Locals";
  const struct {
    const char* what;
    int modelType;
    bool firstCase;
    int queries;
    const char* tables;
    const char* runId;
  } cases[] = {
      {"first case with queries", 0, true, 1, "LGCASE,LGECOID,LGFILTER,LGPERIOD,LGPRIMLC,LGPRIMLR,LGRUNID,LGSETTNG,"
       "LGTABLES,LGVTWSRT,", "RUN1"},
      {"first case without queries", 0, true, 0, "LGCASE,LGECOID,LGPERIOD,LGPRIMLC,LGPRIMLR,LGRUNID,LGSETTNG,LGTABLES,",
       "RUN123"},
      {"a later case", 0, false, 1, "LGCASE,LGPERIOD,LGPRIMLC,LGPRIMLR,LGSETTNG,", "RUN1"},
      {"a global local model", 2, true, 0, "LGCASE,LGECOID,LGPERIOD,LGPRIMLC,LGPRIMLR,LGRUNID,LGSETTNG,LGTABLES,",
       "RUN123"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string dir = home.Path() + "/L1";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    // The table API finds a local model among the export context's local model files.
    exportData.m_paLocalModelFiles = std::make_unique<CVornModelFileArray>();
    exportData.m_paLocalModelFiles->Add(new CVornModelFile);
    CVornModelFile& local = *exportData.m_paLocalModelFiles->GetAt(0);
    local.m_strModelName = "L1";
    local.m_strModelDir = dir;
    local.m_settings.m_DatabaseOutputFormat.SetValue("Access");
    local.m_settings.m_ModelType.SetValue(c.modelType);
    local.m_tables.Add(std::make_unique<CVornModelFileTable>("DEPOTS", 0));
    local.FindTable("DEPOTS")->AddFile("depots.xls", true, plat::OleDateTime());
    wks_test::WriteSheet(2, {{"ROWNAMES", "TEXT"}, {"N", "North"}}, dir + "/depots.xls");
    std::ofstream(dir + "/Result.flo") << "LINKS\n" << Link("AB", "CD", "S1", "1", "2");
    solution_file_testing::Writer file(false, 9);
    file.rows = {{"OBJFN", 2, 1.0}};
    file.Save(dir + "/Solution.Fil");
    Settings().m_CreateReportWriterQueriesOn.SetValue(c.queries);
    exportData.m_strRunID = "RUN123";
    ASSERT_TRUE(WriteLegacyTables(exportData, local, true, c.firstCase));
    CloseCachedWorkbook(true);
    // The local model's database stays open for the rest of the case; the export releases it afterwards.
    ASSERT_TRUE(local.m_daoDatabase && local.m_daoDatabase->IsOpen());
    std::int32_t errorFlag = 0;
    CloseDatabase(*local.m_daoDatabase, local.m_outputTables, errorFlag);
    EXPECT_EQ(Query("SELECT group_concat(name || ',', '') FROM (SELECT name FROM sqlite_master WHERE type='table' "
                    "AND name LIKE 'LG%' ORDER BY name)",
                    dir + "/Results.Mdb"),
              std::string(c.tables) + "\n");
    EXPECT_EQ(exportData.m_strRunID, c.runId) << "the report-writer tables run only with the queries";
  }
}

TEST(LegacyQueryTextsTest, StatementsThatAreNoViewsRunOnTheirTables) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db,
                         "CREATE TABLE LGDEMAND (RUNID, \"CASE\", MARKETID, PERIOD, STRMID, MODELID, PRICE, \"MIN\", "
                         "\"MAX\", MARVALUE, UPRICE);"
                         "INSERT INTO LGDEMAND VALUES ('R', 1, 'M', 'A', 'S', NULL, 2, 1, 9, 0.5, 0),"
                         "('R', 1, 'M', 'A', 'S', 'P', 3, 0, 0, 0, 0);"
                         "CREATE TABLE LGSTRMID (RUNID, STRMID, VTWSORT); CREATE TABLE LGVTWSRT (STRMID, VTWSORT);",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  for (const SavedQueryText& q : GetLegacyQueries()) {
    const std::string sql = q.sql;
    if (sql.rfind("UPDATE", 0) == 0 || sql.rfind("INSERT", 0) == 0) {
      EXPECT_EQ(sqlite3_exec(db, q.sql, nullptr, nullptr, nullptr), SQLITE_OK) << q.name << sqlite3_errmsg(db);
    }
  }
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "SELECT PRICE, \"MIN\", \"MAX\", UPRICE FROM LGDEMAND WHERE MODELID='P'", -1, &stmt, nullptr);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_double(stmt, 0), 5.0);  // the local price plus the global one
  EXPECT_EQ(sqlite3_column_double(stmt, 2), 9.0);
  EXPECT_EQ(sqlite3_column_int(stmt, 3), 1);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

}  // namespace
