// The built-in KPIs, the thresholds and KPIs of SOLNKPIS and the values of
// the other KPIs per period.

#include <gtest/gtest.h>

#include <vector>

#include "solutionfill/economics/testing/economics_fixture.h"

namespace {

using econ_testing::kBlank;
using econ_testing::Table;

class Kpis : public econ_testing::EconomicsFixture {
 protected:
  CDbModel& MultiPeriodModel() {
    MakePeriods({"1", "2"}, true);
    return AddModel("", 0);
  }
  void States(const std::vector<std::int32_t>& statuses) {
    for (std::size_t i = 0; i < statuses.size(); ++i) {
      auto state = std::make_unique<CDbSolutionState>(static_cast<std::int32_t>(i) + 1, &m_export);
      state->m_nSolutionStatus = statuses[i];
      m_case->m_paSolutionStates.Add(std::move(state));
    }
  }
  static const CDbKpi* Kpi(const CDbModel& model, const std::string& tag) {
    for (const CDbKpi* kpi : model.m_paKpis)
      if (kpi->m_strTag == tag) return kpi;
    return nullptr;
  }
  // The values of a KPI in a period, in the order they were made.
  std::vector<double> Values(const std::string& period, const CDbKpi* kpi) {
    std::vector<double> values;
    if (!kpi) return values;
    for (const CDbKpiValue* value : Period(period).m_paKpiValues)
      if (value->m_nID == kpi->m_nKpiID) values.push_back(value->m_dValue);
    return values;
  }
  void Quality(CDbModel& model, const std::string& name, std::int32_t id) {
    auto quality = std::make_unique<CDbQuality>(id, &m_export);
    quality->m_strName = name;
    model.m_paQualities.Add(std::move(quality));
    model.m_paQualities.Sort(&CDbObject::CompareDbObjectName);
  }
};

TEST_F(Kpis, BuiltInsOfAMultiPeriodCase) {
  WriteTables({});
  CDbModel& model = MultiPeriodModel();
  States({1, 5, 5});
  Period("1").m_nSobCount = 2;
  Period("2").m_nUobCount = 3;
  Period("2").m_dPenaltyTotal = -4.5;

  ASSERT_TRUE(m_solution->AddKpiValues(&Main(), &model, m_case, false, false));

  const char* order[] = {"FPI", "STATUS", "PENALTIES", "SOB", "UOB", "OPI"};
  for (int i = 0; i < 6; ++i) {
    const CDbKpi* kpi = Kpi(model, order[i]);
    ASSERT_NE(kpi, nullptr) << order[i];
    EXPECT_EQ(kpi->m_nKpiID, i + 1) << order[i];
    EXPECT_EQ(kpi->m_nReportOrder, i + 1) << order[i];
    EXPECT_EQ(kpi->m_strReportTag, order[i]);
    EXPECT_FALSE(kpi->m_strDescription.empty());
    EXPECT_TRUE(Values(".", kpi).empty()) << "no value in the dummy period: " << order[i];
  }
  EXPECT_EQ(Kpi(model, "FPI")->m_dYellowValue, 0.1);
  EXPECT_EQ(Kpi(model, "PENALTIES")->m_dRedValue, 1e-8);
  EXPECT_EQ(Values("1", Kpi(model, "FPI")), std::vector<double>{2.0});
  EXPECT_EQ(Values("1", Kpi(model, "STATUS")), std::vector<double>{1.0});
  EXPECT_EQ(Values("1", Kpi(model, "OPI")), std::vector<double>{0.0});  // second solve infeasible
  EXPECT_TRUE(Values("2", Kpi(model, "FPI")).empty());
  EXPECT_EQ(Values("1", Kpi(model, "SOB")), std::vector<double>{2.0});
  EXPECT_EQ(Values("2", Kpi(model, "UOB")), std::vector<double>{3.0});
  EXPECT_EQ(Values("2", Kpi(model, "PENALTIES")), std::vector<double>{4.5});
  EXPECT_EQ(Period("2").m_paKpiValues.GetSize(), 3);
}

TEST_F(Kpis, FeasibilityStatusAndOptimalityFromTheSolutionStates) {
  struct Case {
    std::vector<std::int32_t> states;
    double fpi;
    double status;  // -1: no value
    double opi;     // -1: no value
  };
  const Case cases[] = {
      {{1}, 0, 1, 0},          {{6}, 0, 1, 0},          {{5}, 0, 5, 2},
      {{1, 5}, 1, 1, 0},       {{1, 1, 1, 5, 5}, 0, 1, 2}, {{1, 1, 5, 5}, 0, 1, 2},
      {{1, 5, 1, 5}, 1, 1, 0}, {{1, 1, 5, 1}, 0, 1, 0}, {{}, 0, -1, -1},
  };
  for (const Case& c : cases) {
    TearDown();
    SetUp();
    WriteTables({});
    MakePeriods({"A"}, false);
    CDbModel& model = AddModel("", 0);
    States(c.states);
    m_solution->AddKpiValues(&Main(), &model, m_case, false, false);
    auto one = [&](const char* tag) {
      const std::vector<double> values = Values("A", Kpi(model, tag));
      return values.empty() ? -1.0 : values.front();
    };
    const std::string label = "states " + std::to_string(c.states.size());
    EXPECT_EQ(one("FPI"), c.fpi) << label;
    EXPECT_EQ(one("STATUS"), c.status) << label;
    EXPECT_EQ(one("OPI"), c.opi) << label;
  }
}

TEST_F(Kpis, SolnkpisOverridesBuiltInsAndAddsKpisInRowOrder) {
  WriteTables({Table{"SOLNKPIS",
                     {"FPI", "NSULGAS", "MARGVAL"},
                     {"YELLOW", "RED"},
                     {"my feasibility", "sulphur of gas", "largest marginal"},
                     {0.5, kBlank, 1, 2, kBlank, kBlank}}});
  CDbModel& model = MultiPeriodModel();
  States({1});

  ASSERT_TRUE(m_solution->AddKpiValues(&Main(), &model, m_case, false, false));

  const CDbKpi* fpi = Kpi(model, "FPI");
  EXPECT_EQ(fpi->m_nKpiID, 1);
  EXPECT_EQ(fpi->m_strReportTag, "FPI");
  EXPECT_EQ(fpi->m_dYellowValue, 0.5);
  EXPECT_EQ(fpi->m_dRedValue, 1.1);  // a blank cell keeps the built-in value
  EXPECT_EQ(fpi->m_strDescription, "my feasibility");
  EXPECT_EQ(Kpi(model, "NSULGAS")->m_nKpiID, 7);
  EXPECT_EQ(Kpi(model, "NSULGAS")->m_dRedValue, 2.0);
  EXPECT_EQ(Kpi(model, "MARGVAL")->m_nKpiID, 8);
  EXPECT_EQ(Kpi(model, "MARGVAL")->m_dYellowValue, kBlank);
}

TEST_F(Kpis, SuffixedRowsOfTheMainModelApplyToTheLocalModelTheyName) {
  WriteTables({Table{"SOLNKPIS", {"CRUDEA", "CRUDEB", "LOCALA"}, {"YELLOW", "RED"}, {}, {1, 2, 3, 4, 5, 6}}});
  CVornModelFile local;
  local.m_strModelName = "L";
  std::filesystem::create_directories(m_home / "L");
  const auto files = table_fixtures::MakeClassicFiles({Table{"SOLNKPIS", {"LOCALA"}, {"YELLOW", "RED"}, {}, {7, 8}}});
  std::ofstream(m_home / "L" / "tables.map", std::ios::binary) << files.index;
  std::ofstream(m_home / "L" / "tables.fil", std::ios::binary) << files.cache;
  MakePeriods({"A"}, false);
  CDbModel& a = AddModel("A", 1);
  CDbModel& ab = AddModel("AB", 2);

  ASSERT_TRUE(m_solution->AddKpiValues(&local, &a, m_case, false, true));
  m_solution->AddKpiValues(&local, &ab, m_case, false, true);

  ASSERT_EQ(a.m_paKpis.GetSize(), 3);  // no built-ins on a local-model run
  EXPECT_EQ(Kpi(a, "CRUDE")->m_dRedValue, 2.0);
  EXPECT_EQ(Kpi(a, "LOCAL")->m_dRedValue, 6.0);
  EXPECT_EQ(Kpi(a, "LOCALA")->m_dRedValue, 8.0);  // the local model's own row, unsuffixed
  ASSERT_EQ(ab.m_paKpis.GetSize(), 1);  // a two-character name matches no suffixed row
  EXPECT_NE(Kpi(ab, "LOCALA"), nullptr);
  EXPECT_TRUE(Period("A").m_paKpiValues.IsEmpty());
}

TEST_F(Kpis, ALocalModelWithoutSolnkpisHasNoKpis) {
  WriteTables({Table{"SOLNKPIS", {"X"}, {"YELLOW"}, {}, {1}}});  // no RED column
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("A", 1);
  EXPECT_FALSE(m_solution->AddKpiValues(&Main(), &model, m_case, false, true));
  EXPECT_TRUE(model.m_paKpis.IsEmpty());
}

TEST_F(Kpis, ValuesFallBackFromBlendToStreamQualityToTheLpColumnOrRow) {
  WriteTables({Table{"SOLNKPIS",
                     {"NSULGAS", "XSULDSL", "NRONGAS", "OBJFN", "MARGVALX", "DJX", "PIX", "ZLIMCRU", "PSULCRU"},
                     {"YELLOW", "RED"},
                     {"", "", "", "", "", "", "", "", "PSUL"},
                     std::vector<double>(18, kBlank)}});
  CDbModel& model = MultiPeriodModel();
  States({1});
  Quality(model, "SUL", 51);
  Quality(model, "RON", 52);
  AddStream(model, "GAS", 21);
  AddStream(model, "DSL", 22);
  AddStream(model, "CRU", 23);
  auto limit = std::make_unique<CDbDefinition>(4, &m_export);
  limit->m_strName = "CRU";
  model.m_paProcessCapacities.Add(std::move(limit));
  auto unit = std::make_unique<CDbDefinition>(9, &m_export);
  unit->m_strName = "SCRU";
  model.m_paUnits.Add(std::move(unit));
  CDbPeriod& one = Period("1");
  auto blend = std::make_unique<CDbBlendQuality>(21, 0, 51, &m_export);
  blend->m_dBlendValue = 0.9;
  blend->m_dMarginalValue = 3;
  one.m_paBlendQualities.Add(std::move(blend));
  auto stream = std::make_unique<CDbStreamQuality>(22, 0, 51, &m_export);
  stream->m_dValue = 0.4;
  one.m_paStreamQualities.Add(std::move(stream));
  auto entry = std::make_unique<CDbCapacityLimit>(4, 0, &m_export);
  entry->m_dActivity = 80;
  entry->m_dMarginalValue = 2;
  one.m_paProcessCapacityLimits.Add(std::move(entry));
  for (const char* tag : {"PSULA", "PSULT", "PRONA"}) {
    auto row = std::make_unique<CDbPRow>(1, 0, 9, &m_export);
    row->m_strTag = tag;
    row->m_dActivity = tag[4] == 'A' ? 1.5 : 2.5;
    one.m_paPRows.Add(std::move(row));
  }
  CDbPrimalPeriod& primal = PrimalPeriod("", "1");
  Column(primal, "NRONGAS", 88, 0, 0, kBlank, 1);
  Row(primal, "OBJFN", 1000, 0);
  PrimalPeriod("", "2");
  PrimalPeriod("", ".");

  ASSERT_TRUE(m_solution->AddKpiValues(&Main(), &model, m_case, false, false));
  CDbPrimalNode* node = m_solution->m_paPrimalNodes[0];
  model.BuildKpiValues(node, m_case);

  EXPECT_EQ(Values("1", Kpi(model, "NSULGAS")), std::vector<double>{0.9});   // blend quality
  EXPECT_EQ(Values("1", Kpi(model, "XSULDSL")), std::vector<double>{0.4});   // stream quality
  EXPECT_EQ(Values("1", Kpi(model, "NRONGAS")), std::vector<double>{88.0});  // LP column
  EXPECT_EQ(Values("1", Kpi(model, "OBJFN")), std::vector<double>{1000.0});  // LP row
  EXPECT_EQ(Values("1", Kpi(model, "ZLIMCRU")), std::vector<double>{80.0});
  EXPECT_EQ(Values("1", Kpi(model, "PSULCRU")), (std::vector<double>{1.5, 2.5}));
  EXPECT_TRUE(Values("2", Kpi(model, "NSULGAS")).empty());
  EXPECT_EQ(node->m_nMargValKpiID, Kpi(model, "MARGVALX")->m_nKpiID);
  EXPECT_EQ(node->m_nDJKpiID, Kpi(model, "DJX")->m_nKpiID);
  EXPECT_EQ(node->m_nPIKpiID, Kpi(model, "PIX")->m_nKpiID);
  EXPECT_TRUE(Values("1", Kpi(model, "MARGVALX")).empty());
}

}  // namespace
