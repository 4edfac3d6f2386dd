// The recursion log, KPI anchor, setting, multi-start and flow-link writers.

#include <memory>
#include <string>

#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_model_items.h"
#include "results/objects/db_value_records.h"
#include "writers/testing/result_writer_fixture.h"

namespace {

using writers_testing::ResultWriterTest;
using CaseTableWriterTest = ResultWriterTest;

// The 1-based position of a setting in the model's list, its "SettingTypeID".
int Position(const CModelSettings& settings, const CSettingItem& item) {
  int position = 0;
  for (const CSettingItem* entry : settings.m_list) {
    ++position;
    if (entry == &item) return position;
  }
  return 0;
}

TEST_F(CaseTableWriterTest, RecursionLogOfAPassAndOfTheFinalState) {
  Define({"PrRecursionLog"});
  exportData.m_nPasses = 6;
  CDbSolutionState pass(3, Data());
  pass.m_dObjectiveFunction = 1234.5;
  pass.m_nSolutionStatus = 2;
  pass.m_nRecursionTypeID = 4;
  pass.m_nPasses = 17;
  auto counts = std::make_unique<CDbOutofTol>();
  counts->m_nPropOutofTolerance = 5;
  counts->m_nDistrOutofTolerance = 1;
  pass.m_paOutofTols.Add(counts.release());
  ASSERT_TRUE(pass.WritePrRecursionLog(1, 2));

  // The final state follows the passes; without counts it leaves them unset.
  CDbSolutionState final(0, Data());
  final.m_dObjectiveFunction = 1300;
  final.m_nRecursionTypeID = 4;
  final.m_nPasses = 17;
  ASSERT_TRUE(final.WritePrRecursionLog(1, 2));
  EXPECT_EQ(Rows("SELECT * FROM PrRecursionLog ORDER BY SequenceID"),
            "1|2|3|1234.5|2|4|17|5|1\n"
            "1|2|7|1300.0|0|1|0|NULL|NULL\n");
}

TEST_F(CaseTableWriterTest, KpiAnchorsFromTheTag) {
  Define({"PrKpiAnchor"});
  const struct {
    const char* tag;
    const char* written;  // Tag|ReportTag|Anchor
  } cases[] = {
      {"PURCCRD", "CRD|CRD|Material_Purchases"},
      {"SELLGAS", "GAS|GAS|Material_Sales"},
      {"CCAPCDU", "CDU|CDU|Capacity_Utilization_Summary"},
      {"SABCDEF", "ABC|ABC|Submodel_ABC"},
      {"SAB", "NULL|NULL|NULL"},
      {"QXYZ", "NULL|NULL|NULL"},
      {"NXYZABC", "ABC|ABC|SpecBlend_ABC"},
      {"XXYZAB", "AB|AB|SpecBlend_AB"},
      {"BXY", "NULL|NULL|SpecBlend_"},
  };
  std::int32_t id = 0;
  for (const auto& c : cases) {
    CDbKpi kpi(c.tag, Data());
    kpi.m_nKpiID = ++id;
    ASSERT_TRUE(kpi.WritePrKpiAnchor(1, 2, 3)) << c.tag;
    EXPECT_EQ(Rows("SELECT Tag, ReportTag, Anchor FROM PrKpiAnchor WHERE KpiID = " + std::to_string(id)),
              std::string(c.written) + "\n")
        << c.tag;
  }
  EXPECT_EQ(Rows("SELECT SolutionID, CaseID, NodeID FROM PrKpiAnchor WHERE KpiID = 1"), "1|2|3\n");
}

TEST_F(CaseTableWriterTest, EverySettingIsARecordWithItsValueInTheColumnOfItsType) {
  Define({"PrSetting"});
  CModelSettings& settings = Settings();
  settings.m_CaseStack.SetValue("  LIST ###  ");
  settings.m_CaseRemoteXml.SetValue("DONE######");
  settings.m_ModelExt.SetValue(std::string(300, 'x'));
  settings.m_Validation.SetValue("###");
  settings.m_ModelType.SetValue(3);
  settings.m_SubmodelReportValueFilter.SetValue(0.25);
  settings.m_StartDate.SetValue(plat::OleDateTime(2026, 1, 2, 3, 4, 5));
  CDbCase dbCase(2, Data());
  ASSERT_TRUE(dbCase.WritePrSetting(&Model(), 1, 3));

  const std::string count = std::to_string(settings.m_list.GetCount());
  EXPECT_EQ(Rows("SELECT count(*), min(SettingTypeID), max(SettingTypeID) FROM PrSetting"),
            count + "|1|" + count + "\n");
  const auto value = [&](const CSettingItem& item) {
    return Rows("SELECT SolutionID, CaseID, ModelID, TextValue, IntegerValue, DoubleValue, DateValue FROM PrSetting "
                "WHERE SettingTypeID = " +
                std::to_string(Position(settings, item)));
  };
  EXPECT_EQ(value(settings.m_CaseStack), "1|2|3|LIST ######|NULL|NULL|NULL\n");
  EXPECT_EQ(value(settings.m_CaseRemoteXml), "1|2|3|DONE######|NULL|NULL|NULL\n");
  EXPECT_EQ(value(settings.m_ModelExt), "1|2|3|" + std::string(254, 'x') + "|NULL|NULL|NULL\n");
  EXPECT_EQ(value(settings.m_Validation), "1|2|3|######|NULL|NULL|NULL\n");
  EXPECT_EQ(value(settings.m_ModelType), "1|2|3|NULL|3|NULL|NULL\n");
  EXPECT_EQ(value(settings.m_SubmodelReportValueFilter), "1|2|3|NULL|NULL|0.25|NULL\n");
  EXPECT_EQ(value(settings.m_StartDate), "1|2|3|NULL|NULL|NULL|2026-01-02 03:04:05\n");
  // +1e30 is no value; -1e30 is one.
  EXPECT_EQ(value(settings.m_Zelun_MS_MinPlotValue), "1|2|3|NULL|NULL|NULL|NULL\n");
  EXPECT_EQ(value(settings.m_Zelun_GO_InitialNLPObjValue), "1|2|3|NULL|NULL|-1.0e+30|NULL\n");
  // The settings themselves are not changed.
  EXPECT_EQ(settings.m_CaseStack.GetValue(), "  LIST ###  ");

  EXPECT_FALSE(dbCase.WritePrSetting(nullptr, 1, 3));
}

// Everyone who reads results reads PrSetting: a password is masked, a connection keeps all but its secrets.
TEST_F(CaseTableWriterTest, SecretSettingsAreWrittenMasked) {
  Define({"PrSetting"});
  CModelSettings& settings = Settings();
  settings.m_DatabaseOutputConnection.SetValue("Provider=SQLOLEDB;Data Source=srv;User ID=sa;Password=hunter2");
  settings.m_DbInfoPassword.SetValue("s3cret");
  settings.m_DatabaseOutputPassword.SetValue("0ther");
  settings.m_DbInfoDataSource.SetValue("DSN=plant;PWD=pl4nt");
  settings.m_DbInfoUsername.SetValue("sa");
  CDbCase dbCase(2, Data());
  ASSERT_TRUE(dbCase.WritePrSetting(&Model(), 1, 3));
  const auto text = [&](const CSettingItem& item) {
    return Rows("SELECT TextValue FROM PrSetting WHERE SettingTypeID = " + std::to_string(Position(settings, item)));
  };
  EXPECT_EQ(text(settings.m_DatabaseOutputConnection), "Provider=SQLOLEDB;Data Source=srv;User ID=sa;Password=********\n");
  EXPECT_EQ(text(settings.m_DbInfoPassword), "********\n");
  EXPECT_EQ(text(settings.m_DatabaseOutputPassword), "********\n");
  EXPECT_EQ(text(settings.m_DbInfoDataSource), "DSN=plant;PWD=********\n");
  EXPECT_EQ(text(settings.m_DbInfoUsername), "sa\n");
  for (const char* secret : {"hunter2", "s3cret", "0ther", "pl4nt"})
    EXPECT_EQ(Rows(std::string("SELECT count(*) FROM PrSetting WHERE TextValue LIKE '%") + secret + "%'"), "0\n")
        << secret;
  // One row per setting still, and the model keeps its values.
  EXPECT_EQ(Rows("SELECT count(*) FROM PrSetting"), std::to_string(settings.m_list.GetCount()) + "\n");
  EXPECT_EQ(settings.m_DbInfoPassword.GetValue(), "s3cret");
}

TEST_F(CaseTableWriterTest, MultiStartSolutionsAreNumberedFromZero) {
  Define({"PrMSSolutions"});
  Model().m_adMultiStartObjectives = {10.5, 9.25, 11};
  CDbCase dbCase(2, Data());
  ASSERT_TRUE(dbCase.WritePrMSSolutions(&Model(), 1, 3));
  EXPECT_EQ(Rows("SELECT * FROM PrMSSolutions"), "1|2|3|0|10.5\n1|2|3|1|9.25\n1|2|3|2|11.0\n");
}

TEST_F(CaseTableWriterTest, FlowLinksAreWrittenOnlyUnderTheirSettings) {
  Define({"LGLINKS"});
  exportData.m_strRunID = "R001";
  CDbLinkData link(11, 3, Data());
  link.m_strNodeFrom = "CDU1";
  link.m_strNodeTo = "REF1";
  link.m_strSTRMID = "LSR";
  link.m_dFromValue = 0.0125;
  link.m_dToValue = 0.5;

  const struct {
    int nimbo, flowsheets, oldFormat;
    bool written;
  } cases[] = {{1, 1, 0, true}, {0, 1, 0, false}, {1, 0, 0, false}, {1, 1, 1, false}};
  for (const auto& c : cases) {
    Settings().m_UseNimboOn.SetValue(c.nimbo);
    Settings().m_CreateResultFlowsheetsOn.SetValue(c.flowsheets);
    Settings().m_UseOldOutputDatabaseFormatOn.SetValue(c.oldFormat);
    ASSERT_TRUE(link.WriteLGLINKS(1, 2, "JAN"));
  }
  // The period field keeps one character.
  EXPECT_EQ(Rows("SELECT * FROM LGLINKS"), "R001|2|J|CDU1|REF1|LSR|12.5|500.0\n");
}

}  // namespace
