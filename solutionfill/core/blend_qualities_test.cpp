#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <tuple>

#include "modelfile/property_calculation.h"
#include "solutionfill/core/kesh_control.h"
#include "solutionfill/core/testing/fill_case_fixture.h"
#include "standins/blend_model_library.h"

namespace {

using fill_testing::kBlank;
using fill_testing::Table;

// Integer fields of 10 characters, one blank apart, as the control file holds them.
std::string Fields(const std::vector<int>& values) {
  std::string line;
  char field[16];
  for (int v : values) {
    std::snprintf(field, sizeof field, "%10d ", v);
    line += field;
  }
  return line;
}

TEST(KeshControlTest, ReadsHeaderGroupsAndNamesAndTestsGroupCodes) {
  // Header: group-code limit 5; 2 value fields, 1 first name, 3 quality names, 2 groups.
  std::istringstream in("\n" + Fields({0, 0, 5}) + "\n" + Fields({2, 1, 3, 2}) + "\n" + Fields({0}) + "\n" +
                        Fields({1, 7, 0, 0, 2, 3, 0, 0, 0, 0}) + "\n" + Fields({0, 0}) + "\n" + "  FN\n" +
                        " RVP SUL\n" + " VIS\n" + "E12345678  X\n");
  CKeshControl control;
  control.Read(in);
  // The leading empty line counts: the first header line is read as line 2.
  EXPECT_EQ(control.m_anHeader[10], 0);
  EXPECT_EQ(control.m_anHeader[11], 0);
  EXPECT_EQ(control.m_anHeader[12], 5);
  control.Clear();
  std::istringstream plain(Fields({0, 0, 5}) + "\n" + Fields({2, 1, 3, 2}) + "\n" + Fields({0}) + "\n" +
                           Fields({1, 7, 0, 0, 2, 3, 0, 0, 0, 0}) + "\n" + Fields({0, 0}) + "\n" + "  FN  GN\n" +
                           " RVP SUL\n" + " VIS\n" + "E12345678  X\n");
  control.Read(plain);
  ASSERT_EQ(control.m_aGroups.size(), 2u);
  EXPECT_EQ(control.m_aGroups[0].Code(), 1);
  EXPECT_EQ(control.m_aGroups[1].Code(), 7);
  EXPECT_EQ(control.m_aGroups[0].LastName(), 2);
  EXPECT_EQ(control.m_aGroups[1].LastName(), 3);
  EXPECT_EQ(control.m_astrFirstNames, (std::vector<std::string>{"FN", "GN"}));  // the whole line counts
  EXPECT_EQ(control.m_astrQualityNames, (std::vector<std::string>{"RVP", "SUL", "VIS"}));
  EXPECT_EQ(control.m_astrEValues, (std::vector<std::string>{"E12345678"}));

  const struct {
    const char* tag;
    bool listed;
    bool inGroupBelowLimit;
  } cases[] = {{"RVP", true, true}, {"SUL", true, true}, {"VIS", true, false}, {"ARO", false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag);
    const CDbQuality quality(c.tag);
    EXPECT_EQ(IsNameInList(quality, control, false), c.listed);
    EXPECT_EQ(IsNameInList(quality, control, true), c.inGroupBelowLimit);
  }
  EXPECT_EQ(control.FindGroup("VIS"), &control.m_aGroups[1]);  // the library is still asked for it
}

TEST(KeshControlTest, AGroupCountBeyondTheFileMakesOnlyTheGroupsRead) {
  std::istringstream in(Fields({0, 0, 5}) + "\n" + Fields({0, 0, 0, 2000000000}) + "\n" + Fields({0}) + "\n" +
                        Fields({1, 2}) + "\n");
  CKeshControl control;
  control.Read(in);
  EXPECT_EQ(control.m_aGroups.size(), 2u);
}

class FakeBlendModel : public IBlendModelLibrary {
 public:
  void MultiPlantInitialize(const std::int32_t*) override {}
  void MultiPlantAdd(const char*, std::int32_t, const char*, std::int32_t) override {}
  void MultiPlantRelease() override { ++m_nReleases; }
  void Initialize(const char*, std::int32_t, void*, void*) override {}
  void SetCalc(const std::int32_t* code, const char*, std::int32_t, const char*, std::int32_t, char* outputNames,
               std::int32_t*, std::int32_t, char* inputNames, std::int32_t, std::int32_t*, std::int32_t* handle,
               void*, std::int32_t* width) override {
    m_nCode = *code;
    std::strcpy(outputNames, "ARORVP");
    std::strcpy(inputNames, "SUL");
    *handle = 9;
    *width = 3;
  }
  void DoCalc(const std::int32_t*, std::int32_t* handle, const std::int32_t*, const char*, std::int32_t, const char*,
              std::int32_t, const double* inputs, double* outputs, void*) override {
    EXPECT_EQ(*handle, 9);
    m_dInput = inputs[0];
    outputs[0] = 1.0;
    outputs[1] = 7.5;
  }
  void Release() override { ++m_nReleases; }
  std::int32_t m_nCode = 0;
  double m_dInput = 0.0;
  int m_nReleases = 0;
};

class BlendQualities : public fill_testing::FillCaseFixture {
 protected:
  void TearDown() override {
    SetBlendModelLibrary(nullptr);
    FillCaseFixture::TearDown();
  }
  CDbQuality& AddQuality(CDbModel& model, const std::string& tag, std::int32_t id) {
    auto quality = std::make_unique<CDbQuality>(id, &m_export);
    quality->m_strName = tag;
    quality->m_strReportTag = tag;
    quality->m_nVWBasisID = 1;
    CDbQuality& made = *quality;
    model.m_paQualities.Add(std::move(quality));
    model.m_paQualities.Sort(&CDbQuality::CompareElements);
    return made;
  }
  CDbBlend& AddBlend(CDbModel& model, const std::string& name, std::int32_t id) {
    auto blend = std::make_unique<CDbBlend>(id, &m_export);
    blend->m_strName = name;
    CDbBlend& made = *blend;
    model.m_paBlends.Add(std::move(blend));
    model.m_paBlends.Sort(&CDbObject::CompareDbObjectName);
    return made;
  }
  CDbPrimalPeriod& AddPrimalPeriod(const std::string& node, const std::string& name) {
    CDbPrimalNode* primal = nullptr;
    for (CDbPrimalNode* each : m_solution->m_paPrimalNodes)
      if (each->m_strName == node) primal = each;
    if (!primal) {
      auto made = std::make_unique<CDbPrimalNode>(node, &m_export);
      primal = made.get();
      m_solution->m_paPrimalNodes.Add(std::move(made));
      m_solution->m_paPrimalNodes.Sort(&CDbPrimalNode::CompareElements);
    }
    auto period = std::make_unique<CDbPrimalPeriod>(name);
    CDbPrimalPeriod& made = *period;
    primal->m_paPeriods.Add(std::move(period));
    return made;
  }
  static void AddPrimal(CDbPrimalArray& list, const std::string& name, double activity, double slack,
                        const std::string& status, double marginal = 0.0) {
    CDbPrimal& primal = fill_testing::AddPrimal(list, name);
    primal.m_dActivity = activity;
    primal.m_dSlack = slack;
    primal.m_strStatus = status;
    primal.m_dMarginalValue = marginal;
  }
  CDbBlendQuantity& AddQuantity(CDbPeriod& period, std::int32_t blendId, double volume) {
    auto quantity = std::make_unique<CDbBlendQuantity>(blendId, 1, &m_export);
    quantity->m_dVolActivity = volume;
    CDbBlendQuantity& made = *quantity;
    period.m_paBlendQuantities.Add(std::move(quantity));
    return made;
  }
  static const CDbBlendQuality* Find(const CDbPeriod& period, std::int32_t blend, std::int32_t quality) {
    for (const CDbBlendQuality* each : period.m_paBlendQualities)
      if (each->m_nID == blend && each->m_nQualityID == quality) return each;
    return nullptr;
  }
};

TEST_F(BlendQualities, MinimumAndMaximumRowsPerPeriod) {
  WriteTables({
      Table{"BLNSPEC", {"NSUL", "NSULB", "XSUL"}, {"GAS"}, {}, {10, 20, 50}},
      Table{"ZBLNSPEC", {"XSUL"}, {"GAS"}, {}, {45}},
  });
  Main().m_settings.m_ModelType.SetValue(1);
  Main().m_settings.m_UseNimboOn.SetValue(1);
  MakePeriods({"A", "B", "C"}, true);
  Period("A").m_dDays = 2;
  CDbModel& model = AddModel("M", 1);
  AddQuality(model, "SUL", 1);
  AddBlend(model, "GAS", 5);
  AddQuantity(Period("A"), 5, 4);
  AddQuantity(Period("B"), 5, 2);
  // A placeholder with the blend's interaction entries for SUL.
  auto holder = std::make_unique<CDbBlendQuality>(10005, 1, 1, &m_export);
  auto bonus = std::make_unique<CDbBonusInteraction>(3, &m_export);
  bonus->m_dActivity = 0.25;
  bonus->m_nInteractionTypeID = 2;
  holder->m_paBonusInteractions.Add(std::move(bonus));
  Period("A").m_paBlendQualities.Add(std::move(holder));

  AddPrimalPeriod("M", ".");
  CDbPrimalPeriod& a = AddPrimalPeriod("M", "A");
  AddPrimal(a.m_paRows, "NSULGAS", 0, 2, "BS", 6);
  AddPrimal(a.m_paRows, "XSULGAS", 0, 9, "EQ");
  AddPrimal(a.m_paColumns, "XSULGAS", 3, 0, "BS");
  CDbPrimalPeriod& b = AddPrimalPeriod("M", "B");
  AddPrimal(b.m_paRows, "NSULGAS", 0, 2, "BS");
  CDbPrimalPeriod& c = AddPrimalPeriod("M", "C");
  AddPrimal(c.m_paRows, "NSULGAS", 0, 2, "BS");

  m_solution->BuildBlendQualities(&Main(), m_case, &model, nullptr);

  const CDbBlendQuality* inA = Find(Period("A"), 5, 1);
  ASSERT_NE(inA, nullptr);
  EXPECT_EQ(inA->m_dMinValue, 10);
  EXPECT_EQ(inA->m_dMaxValue, 45);  // ZBLNSPEC replaces BLNSPEC
  EXPECT_DOUBLE_EQ(inA->m_dValue, -3.0 / 4 + 45);  // "EQ": the column's positive activity counts negative
  EXPECT_DOUBLE_EQ(inA->m_dMarginalValue, 3.0);    // 6 over the period's 2 days
  ASSERT_EQ(inA->m_paBonusInteractions.GetSize(), 1);
  EXPECT_EQ(inA->m_paBonusInteractions.GetAt(0)->m_dActivity, 0.25);
  EXPECT_EQ(Find(Period("A"), 10005, 1), nullptr);

  const CDbBlendQuality* inB = Find(Period("B"), 5, 1);
  ASSERT_NE(inB, nullptr);
  EXPECT_EQ(inB->m_dMinValue, 20);  // the row of period B
  EXPECT_DOUBLE_EQ(inB->m_dValue, 2.0 / 2 + 20);
  EXPECT_EQ(inB->m_dMaxValue, kBlank);  // no maximum row in the LP

  const CDbBlendQuality* inC = Find(Period("C"), 5, 1);
  ASSERT_NE(inC, nullptr);
  EXPECT_EQ(inC->m_dMinValue, 20);  // carried from period B
  EXPECT_EQ(inC->m_dValue, kBlank);  // no blend quantity
  EXPECT_EQ(inC->m_dBlendValue, kBlank);
}

// A BLNSPEC column may name a blend by its own tag or by the network's tag for it (LOCTAGS: the
// network's tag DIE stands for the plant's DSL); a column of the plant's own tag is never translated.
TEST_F(BlendQualities, ColumnsNameTheBlendByItsOwnOrTheNetworksTag) {
  WriteTables({Table{"BLNSPEC", {"XSUL", "XRVP"}, {"DSL", "DIE"}, {}, {15, kBlank, kBlank, 9}}});
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("M", 1);
  AddQuality(model, "SUL", 1);
  AddQuality(model, "RVP", 2);
  AddBlend(model, "DSL", 5);
  auto pair = std::make_unique<CDbPrimal>("DIE");  // network tag -> the plant's own tag
  pair->m_strAliasName = "DSL";
  model.m_paPrimals.Add(std::move(pair));
  model.m_paPrimals.Sort(&CDbPrimal::CompareElements);
  model.m_mapLocalTags["DSL"] = "DIE";
  AddQuantity(Period("A"), 5, 4);
  CDbPrimalPeriod& a = AddPrimalPeriod("M", "A");
  AddPrimal(a.m_paRows, "XSULDSL", 0, -2, "BS");
  AddPrimal(a.m_paRows, "XRVPDIE", 0, -4, "BS");

  m_solution->BuildBlendQualities(&Main(), m_case, &model, nullptr);

  const CDbBlendQuality* sulfur = Find(Period("A"), 5, 1);
  ASSERT_NE(sulfur, nullptr);
  EXPECT_EQ(sulfur->m_dMaxValue, 15);
  EXPECT_DOUBLE_EQ(sulfur->m_dValue, -2.0 / 4 + 15);
  const CDbBlendQuality* vapour = Find(Period("A"), 5, 2);
  ASSERT_NE(vapour, nullptr);
  EXPECT_EQ(vapour->m_dMaxValue, 9);
  EXPECT_DOUBLE_EQ(vapour->m_dValue, -4.0 / 4 + 9);
}

TEST_F(BlendQualities, PropertyRowsFromRecipesAndTheBlendModelLibrary) {
  WriteTables({Table{"BLNSPEC", {"PRVP", "PSUL", "PARO"}, {"GAS"}, {}, {1, 1, 1}}});
  {
    std::ofstream control(m_home / "M" / "KeshControl.dat");
    control << Fields({0, 0, 5}) << "\n"
            << Fields({0, 0, 1, 1}) << "\n"
            << Fields({0}) << "\n"
            << Fields({2, 0, 1, 0, 0, 0}) << "\n"
            << " RVP\n";
  }
  FakeBlendModel library;
  SetBlendModelLibrary(&library);
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("M", 1);
  AddQuality(model, "RVP", 1);
  AddQuality(model, "SUL", 2);
  AddQuality(model, "ARO", 3);
  AddBlend(model, "GAS", 5);
  CDbPeriod& period = Period("A");
  CDbBlendQuantity& quantity = AddQuantity(period, 5, 4);
  for (const auto& [stream, volume, sulphur] : {std::tuple{1, 1.0, 1.0}, std::tuple{2, 3.0, 3.0}}) {
    auto recipe = std::make_unique<CDbBlendRecipe>(stream, 1, &m_export);
    recipe->m_dVolActivity = volume;
    quantity.m_paRecipes.Add(std::move(recipe));
    auto value = std::make_unique<CDbStreamQuality>(stream, 1, 2, &m_export);
    value->m_dValue = sulphur;
    period.m_paStreamQualities.Add(std::move(value));
  }
  auto blendSulphur = std::make_unique<CDbStreamQuality>(5, 1, 2, &m_export);
  blendSulphur->m_dValue = 4.0;
  period.m_paStreamQualities.Add(std::move(blendSulphur));

  m_solution->BuildBlendQualities(&Main(), m_case, &model, nullptr);

  const CDbBlendQuality* sulphur = Find(period, 5, 2);
  ASSERT_NE(sulphur, nullptr);
  EXPECT_DOUBLE_EQ(sulphur->m_dValue, (1.0 + 9.0) / 4);
  EXPECT_DOUBLE_EQ(sulphur->m_dBlendValue, sulphur->m_dValue);
  EXPECT_EQ(sulphur->m_nOriginID, 8);
  EXPECT_EQ(Find(period, 5, 3), nullptr);  // a property row without component values makes nothing
  const CDbBlendQuality* rvp = Find(period, 5, 1);
  ASSERT_NE(rvp, nullptr);
  EXPECT_EQ(rvp->m_dValue, 7.5);  // matched by name in the library's output
  EXPECT_EQ(library.m_nCode, 2);
  EXPECT_EQ(library.m_dInput, 4.0);  // the blend's own stream quality goes in
  EXPECT_EQ(library.m_nReleases, 3);  // multi-plant release at the start, both releases at the end
}

TEST_F(BlendQualities, RecipeWithoutPropertyRowAveragesToZero) {
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("M", 1);
  CDbQuality& sulphur = AddQuality(model, "SUL", 2);
  CDbBlend& blend = AddBlend(model, "GAS", 5);
  CDbBlendQuantity& quantity = AddQuantity(Period("A"), 5, 4);
  auto recipe = std::make_unique<CDbBlendRecipe>(1, 1, &m_export);
  recipe->m_dVolActivity = 4;
  quantity.m_paRecipes.Add(std::move(recipe));
  m_solution->CalcRecipeBlendQuality(&Main(), &Period("A"), &model, &blend, &sulphur);
  const CDbBlendQuality* made = Find(Period("A"), 5, 2);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->m_dValue, 0.0);
  EXPECT_EQ(made->m_nOriginID, 7);
}

TEST_F(BlendQualities, DerivedThroughFormulasAndIndexPairs) {
  MakePeriods({"A"}, false);
  CDbModel& model = AddModel("M", 1);
  CDbQuality& index = AddQuality(model, "VBI", 1);
  AddQuality(model, "VIS", 2);
  CDbQuality& flashIndex = AddQuality(model, "FLI", 3);
  AddQuality(model, "FLS", 4);
  CDbBlend& blend = AddBlend(model, "GAS", 5);
  auto formula = std::make_unique<CPropertyCalculation>();
  formula->SetExpression("2*VIS");
  int position = 0;
  ASSERT_TRUE(formula->CompileAndListVariables(&position));
  formula->m_strPropertyName = "VBI";
  formula->m_variableNames = {"VIS"};
  formula->m_startingRanges = {0};
  formula->m_endingRanges = {100};
  formula->m_dStartValue = 0;
  formula->m_dEndValue = 200;
  formula->m_bInverted = true;  // rising: the lower input is the starting range
  Main().m_formulas.Add(std::move(formula));
  model.m_tableFil.m_aRowNames = {"FLS", "FLI"};
  model.m_tableFil.m_aColumnNames = {"1", "2", "3"};
  model.m_tableFil.m_aCells = {100, 200, 300, 0, 10, 20};
  auto entry = std::make_unique<CDbObject>("FLI");
  entry->m_nID = 1;
  model.m_paObjects.Add(std::move(entry));
  model.m_paObjects.Sort(&CDbObject::CompareDbObjectName);

  CDbPeriod& period = Period("A");
  CDbBlendQuality source(5, 1, 1, &m_export);
  source.m_dValue = 100;
  source.m_dInitialValue = 100;
  source.m_dMinValue = 40;
  const CTableFilTable noSpec;
  m_solution->DeriveBlendQualities(&Main(), &period, &model, &index, &source, noSpec, &blend);
  const CDbBlendQuality* viscosity = Find(period, 5, 2);
  ASSERT_NE(viscosity, nullptr);
  EXPECT_NEAR(viscosity->m_dValue, 50, 1e-6);
  EXPECT_NEAR(viscosity->m_dInitialValue, 50, 1e-6);
  EXPECT_NEAR(viscosity->m_dMaxValue, 20, 1e-6);  // inverted: a minimum becomes a maximum
  EXPECT_EQ(viscosity->m_nOriginID, 5);

  CDbBlendQuality flash(5, 1, 3, &m_export);
  flash.m_dValue = 5;
  flash.m_dMaxValue = 15;
  m_solution->DeriveBlendQualities(&Main(), &period, &model, &flashIndex, &flash, noSpec, &blend);
  const CDbBlendQuality* flashPoint = Find(period, 5, 4);
  ASSERT_NE(flashPoint, nullptr);
  EXPECT_DOUBLE_EQ(flashPoint->m_dValue, 150);
  EXPECT_DOUBLE_EQ(flashPoint->m_dMaxValue, 250);
  EXPECT_EQ(flashPoint->m_nOriginID, 4);

  // A target with its own specification for the blend is left alone.
  CTableFilTable spec;
  spec.m_aRowNames = {"NFLS"};
  spec.m_aColumnNames = {"GAS"};
  spec.m_aCells = {50};
  CDbPeriod& other = Period("A");
  other.m_paBlendQualities.RemoveAll();
  m_solution->DeriveBlendQualities(&Main(), &other, &model, &flashIndex, &flash, spec, &blend);
  EXPECT_TRUE(other.m_paBlendQualities.IsEmpty());
}

}  // namespace
