#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "caseset/modeltables/model_table_reader.h"
#include "caseset/modeltables/table_file_fixtures.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_services.h"
#include "solutionfill/core/solver_side_files.h"
#include "standins/tresk.h"
#include "solutionfill/core/testing/fill_case_fixture.h"
#include "solutionfill/core/testing/recording_log.h"

namespace {

namespace fs = std::filesystem;
using table_fixtures::ByteWriter;
using table_fixtures::Table;
constexpr double kBlankCell = 1e30;

// A classic matrix directory with the given streams (code, VTW, balance
// basis), utilities and submodels, basis 1.
std::string Directory(const std::vector<std::string>& streams, const std::vector<float>& vtws,
                      const std::vector<std::int16_t>& basis, const std::vector<std::string>& utilities,
                      const std::vector<std::string>& submodels) {
  ByteWriter w;
  w.Int32(0).Int32(static_cast<std::int32_t>(streams.size())).Int32(static_cast<std::int32_t>(utilities.size()));
  for (const std::string& s : streams) w.Fixed(s, 4);
  for (const std::string& u : utilities) w.Fixed(u, 4);
  for (std::size_t i = 0; i < streams.size(); ++i) w.Int16(static_cast<std::int16_t>(10 + i));  // property bits
  w.Pad(32000);
  w.Int32(0).Int32(0).Int32(0).Int32(0);
  for (float v : vtws) w.Float(v);
  std::string attribute2(8000, '\0');
  for (std::size_t i = 0; i < basis.size(); ++i) std::memcpy(&attribute2[2 * i], &basis[i], 2);
  w.m_bytes += attribute2;
  w.Int32(1).Int32(0).Int32(static_cast<std::int32_t>(submodels.size()));
  for (const std::string& s : submodels) w.Fixed(s, 8);
  for (std::size_t i = 0; i < submodels.size(); ++i) w.Int16(0);
  return w.m_bytes;
}

class FillDriverTest : public testing::Test {
 protected:
  FillDriverTest() : m_export(&m_log) {
    m_home = fs::temp_directory_path() /
             ("fill_driver_" + std::to_string(::getpid()) + "_" +
              testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(m_home / "M");
    m_export.m_strHomeDirectory = m_home.string();
    m_export.m_strModelDirectory = (m_home / "M").string();
    m_export.m_pModel = std::make_unique<CVornModelFile>();
    Model().m_strModelName = "M";
    Model().m_strModelDir = (m_home / "M").string();
    m_solution = std::make_unique<CDbSolution>(&m_export);
    auto* dbCase = new CDbCase(5, &m_export);
    auto* period = new CDbPeriod(0, &m_export);
    period->m_strName = ".";
    dbCase->m_paPeriods.Add(period);
    dbCase->m_pFirstPeriod = period;
    auto* dummyNode = new CDbNode(0, &m_export);
    dummyNode->m_strName = ".";
    dbCase->m_paNodes.Add(dummyNode);
    auto* state = new CDbSolutionState(0, &m_export);
    state->m_paOutofTols.Add(new CDbOutofTol(0, 0, &m_export));
    dbCase->m_paSolutionStates.Add(state);
    m_solution->m_paCases.Add(dbCase);
    auto* primal = new CDbPrimalNode("", &m_export);
    primal->m_paPeriods.Add(new CDbPrimalPeriod("."));
    m_solution->m_paPrimalNodes.Add(primal);
    m_solution->m_paPrimalNodes.Sort(&CDbPrimalNode::ComparePrimalNodeName);
  }
  ~FillDriverTest() override { fs::remove_all(m_home); }

  CVornModelFile& Model() { return *m_export.m_pModel; }
  CDbCase& Case() { return *m_solution->m_paCases[0]; }
  void WriteTables(const std::vector<Table>& tables, const std::string& directory) {
    const auto files = table_fixtures::MakeClassicFiles(tables, 500, 0, directory);
    std::ofstream(m_home / "M" / "tables.map", std::ios::binary) << files.index;
    std::ofstream(m_home / "M" / "tables.fil", std::ios::binary) << files.cache;
  }
  bool Fill() {
    testing::internal::CaptureStderr();
    const bool result = m_solution->FillSolution(&Model(), false, false, "", "");
    testing::internal::GetCapturedStderr();
    return result;
  }
  CDbModel* FilledModel() {
    for (CDbNode* node : Case().m_paNodes)
      if (node->m_strName.empty() && !node->m_paModels.IsEmpty()) return node->m_paModels[0];
    return nullptr;
  }

  solution_file_testing::RecordingLog m_log;
  CVornDbExportData m_export;
  std::unique_ptr<CDbSolution> m_solution;
  fs::path m_home;
};

TEST_F(FillDriverTest, MakesNodeModelUnitsStreamsUtilitiesAndUnitsOfAStandardModel) {
  const Table wspecs{"WSPECS", {"SUL", "RVP"}, {"X"}, {}, {1, 1}};
  const Table units{"UNITS", {"AB", "CDE", "ZZ"}, {"STDCONV"}, {"KG", "", "LB"}, {2.5, 1e30, 3}};
  WriteTables({wspecs, units}, Directory({"AB", "CDE "}, {1.0e30f, 0.0f}, {1, 0}, {"STM", "KWH"},
                                         {"CRUDEATM", "REFORM"}));
  Model().m_settings.m_VTW.SetValue(0.0);
  Model().m_settings.m_TITLE1.SetValue("Title one");
  ASSERT_TRUE(Fill());

  EXPECT_EQ(m_solution->m_nCurrentNodeId, 1);
  ASSERT_EQ(Case().m_paNodes.GetSize(), 2);
  EXPECT_EQ(Case().m_paNodes[0]->m_strName, "");  // sorted by name
  const CDbNode* node = Case().m_paNodes[0];
  EXPECT_EQ(node->m_nID, 1);
  EXPECT_EQ(node->m_nVWBasisID, 1);
  CDbModel* model = FilledModel();
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(model->m_nID, 1);
  EXPECT_EQ(model->m_strModelName, "M");
  EXPECT_EQ(model->m_strTitle1, "Title one");

  // Units of measure: the three base types, then "KG" from UNITS (the row
  // without text and the row without a stream make none).
  ASSERT_EQ(model->m_paUOMs.GetSize(), 4);
  EXPECT_EQ(model->m_paUOMs[0]->m_strName, "MTONS");
  EXPECT_EQ(model->m_paUOMs[2]->m_strName, "KSCF");
  EXPECT_EQ(model->m_paUOMs[3]->m_strName, "KG");
  EXPECT_EQ(model->m_paUOMs[3]->m_nID, 3);
  EXPECT_EQ(model->m_paUOMs[3]->m_dSTDCONV, 2.5);

  // Streams: the dummy first, then one per stream code.
  ASSERT_EQ(model->m_paStreams.GetSize(), 3);
  const CDbStream* dummy = model->m_paStreams[0];
  EXPECT_EQ(dummy->m_strName, "...");
  EXPECT_EQ(dummy->m_nReportOrder, 0);
  const CDbStream* ab = nullptr;
  const CDbStream* cde = nullptr;
  for (const CDbStream* s : model->m_paStreams) {
    if (s->m_strName == "AB") ab = s;
    if (s->m_strName == "CDE") cde = s;
  }
  ASSERT_TRUE(ab && cde);
  EXPECT_EQ(ab->m_nID, 1);
  EXPECT_EQ(ab->m_nStreamFlags, 10);
  EXPECT_EQ(ab->m_nVWBasis, 1);
  EXPECT_EQ(ab->m_nUOMTypeID1, 3);  // balanced by volume: its UNITS type
  EXPECT_EQ(cde->m_nUOMTypeID1, 1);
  // VTWs go to the single period: a blank one takes the VTW setting, and 0 becomes 1.
  const CDbPeriod* period = Case().m_pFirstPeriod;
  ASSERT_EQ(period->m_paVTWs.GetSize(), 2);
  for (const CDbVTW* vtw : period->m_paVTWs) {
    EXPECT_EQ(vtw->m_nNodeID, 1);
    EXPECT_EQ(vtw->m_dValue, 1.0);
  }

  ASSERT_EQ(model->m_paUtilities.GetSize(), 2);
  EXPECT_EQ(model->m_paUtilities[0]->m_strName, "KWH");  // sorted by name
  EXPECT_EQ(model->m_paUtilities[0]->m_nID, 2);
  ASSERT_EQ(model->m_paUnits.GetSize(), 2);
  EXPECT_EQ(model->m_paUnits[0]->m_strName, "CRUDEATM");
  EXPECT_EQ(model->m_paUnits[0]->m_nReportOrder, 9999);
  EXPECT_EQ(m_solution->m_lstWorkStrings, (std::vector<std::string>{"SUL", "RVP"}));

  ASSERT_FALSE(m_log.lines.empty());
  EXPECT_EQ(m_log.lines.front(), "...CDbSolution::FillSolution start\n");
  EXPECT_EQ(m_log.lines.back(), "...CDbSolution::FillSolution end\n");
  EXPECT_NE(std::find(m_log.lines.begin(), m_log.lines.end(), "...create stream objects\n"), m_log.lines.end());
}

TEST_F(FillDriverTest, UniversalIdsPackTheTagAndDefaultWeightSpecs) {
  WriteTables({}, Directory({"ABC", "ABCD"}, {2.0f, 2.0f}, {0, 0}, {}, {}));
  Model().m_settings.m_UniversalIdsOn.SetValue(1);
  Model().m_settings.m_SortStreamsAlphabeticallyOn.SetValue(1);
  ASSERT_TRUE(Fill());
  CDbModel* model = FilledModel();
  ASSERT_NE(model, nullptr);
  std::vector<std::int32_t> ids;
  for (const CDbStream* s : model->m_paStreams) ids.push_back(s->m_nID);
  EXPECT_NE(std::find(ids.begin(), ids.end(), 4407873), ids.end());  // 65 + 66*256 + 67*65536
  EXPECT_NE(std::find(ids.begin(), ids.end(), -1), ids.end());       // four characters
  EXPECT_EQ(model->m_paStreams[0]->m_nReportOrder, 0);                // the dummy stays first
  EXPECT_EQ(m_solution->m_lstWorkStrings, (std::vector<std::string>{"SUL", "BTU"}));
}

TEST_F(FillDriverTest, MissingTableMapOrPrimalNodeEndsTheFill) {
  EXPECT_FALSE(Fill());  // no tables.map
  EXPECT_EQ(Case().m_paNodes.GetSize(), 2);  // what was made stays
  WriteTables({}, Directory({"AB"}, {1.0f}, {0}, {}, {}));
  m_solution->m_paPrimalNodes.RemoveAll();
  EXPECT_FALSE(Fill());
  EXPECT_EQ(m_log.lines.back(), "...create stream objects\n");
}

TEST_F(FillDriverTest, StatusTextsGoToTheOwnerWindow) {
  static std::vector<std::pair<std::uintptr_t, std::string>> sent;
  sent.clear();
  SetStatusSender([](void*, std::uint32_t message, std::uintptr_t wParam, const std::string& text) {
    if (message == 1230) sent.emplace_back(wParam, text);
  });
  int window = 0;
  m_export.m_pOwnerWnd = &window;
  WriteTables({}, Directory({"AB"}, {1.0f}, {0}, {}, {}));
  ASSERT_TRUE(Fill());
  SetStatusSender(nullptr);
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(sent.front(), (std::pair<std::uintptr_t, std::string>{1446, " "}));  // the main call
  EXPECT_EQ(sent[sent.size() - 3].second, LoadTreskString(2530));
  EXPECT_EQ(sent[sent.size() - 2], (std::pair<std::uintptr_t, std::string>{257, "PrKpi"}));
  EXPECT_EQ(sent.back().second, LoadTreskString(2531));
  EXPECT_EQ(FilledModel()->m_strTag, "");
}

// Every step line stands for a step that ran; a step that does not run on this call says why instead.
TEST_F(FillDriverTest, AStepThatDoesNotRunLogsThatItWasSkipped) {
  WriteTables({}, Directory({"AB"}, {1.0f}, {0}, {}, {}));
  ASSERT_TRUE(Fill());
  const auto logged = [this](const std::string& line) {
    return std::find(m_log.lines.begin(), m_log.lines.end(), line) != m_log.lines.end();
  };
  EXPECT_FALSE(logged("...ProcessGlobalPROCLIM\n"));
  EXPECT_TRUE(logged("...ProcessGlobalPROCLIM skipped: not the main run of a global model\n"));
  EXPECT_TRUE(logged("...read tables.map and fil\n"));
  EXPECT_TRUE(logged("...SetProcLimMinMax\n"));
  EXPECT_TRUE(logged("...BuildEcoSum\n"));
}

TEST_F(FillDriverTest, ModelTypeAndWhereTheStreamVtwsGo) {
  WriteTables({}, Directory({"AB"}, {2.0f}, {0}, {}, {}));
  Model().m_settings.m_ModelType.SetValue(7);
  ASSERT_TRUE(Fill());
  EXPECT_EQ(FilledModel()->m_nModelTypeID, 0);
  EXPECT_TRUE(FilledModel()->m_paVTWs.IsEmpty());
  EXPECT_EQ(Case().m_pFirstPeriod->m_paVTWs.GetSize(), 1);
}

// The primal record of the main call's node in its one period.
CDbPrimal& AddPrimal(CDbSolution& solution, bool row, const std::string& name, double activity, double slack,
                     const std::string& status = "BS", double marginal = 0.0) {
  CDbPrimalPeriod& period = *solution.m_paPrimalNodes[0]->m_paPeriods[0];
  CDbPrimal& primal = fill_testing::AddPrimal(row ? period.m_paRows : period.m_paColumns, name);
  primal.m_dActivity = activity;
  primal.m_dSlack = slack;
  primal.m_strStatus = status;
  primal.m_dMarginalValue = marginal;
  primal.m_dLoRHS = 0;
  primal.m_dHiRHS = 100;
  return primal;
}

// One standard model through the driver in the nonlinear mode with the database output on: the
// parametric overrides replace a blend specification, a group specification and a sale price; the
// specification rows found at their bounds make the blend and group qualities spec-active; the
// penalty columns of both are priced by the qualities' penalty prices; the second power supplier is an
// alternate utility: no balance of its own and no out-of-balance finding, even from a row of its name.
TEST_F(FillDriverTest, PenaltiesSpecBoundsOverridesAndAlternateUtilities) {
  table_fixtures::MatrixDirectory directory;
  directory.streams = {{"GAS", 1.0f, 0, 1}, {"NAP", 1.0f, 0, 1}};
  directory.utilities = {"POW", "PWX"};
  directory.alternateUtilities = {{"PWX", "POW"}};
  directory.volumeBasis = 1;
  WriteTables({Table{"BLENDS", {"GAS"}, {"SPEC"}, {"Gasoline"}, {1}},
               Table{"BLNMIX", {"NAP"}, {"GAS"}, {}, {1}},
               Table{"BLNXXX", {"NAP"}, {"RON", "SUL"}, {}, {92, 5}},
               Table{"SCALE", {"RON", "SUL"}, {"SCALE", "PENALTY"}, {}, {1, 2, 1, 3}},
               Table{"BLNSPEC", {"NRON"}, {"GAS"}, {}, {90}},
               Table{"GROUPS", {"GSL"}, {"GAS"}, {"Gasolines"}, {1}},
               Table{"BLNSPEX", {"XSUL"}, {"GSL"}, {}, {10}},
               Table{"SELL", {"GAS"}, {"VOL", "VPRICE"}, {"Gasoline"}, {1, 100}},
               Table{"UTILBUY", {"POW", "PWX"}, {"GROUP"}, {"Power", "Power, second supplier"}, {kBlankCell, kBlankCell}}},
              table_fixtures::ClassicDirectory(directory));
  Model().m_settings.m_UseNimboOn.SetValue(1);
  Model().m_settings.m_WriteDatabase.SetValue(1);
  std::ofstream(m_home / "M" / "ParametricOverrides.dat")
      << "NRONGAS 88.0 * * MIN\nXSULGSL 9.0 * * MIN\nSZZZGAS 120.0 * * MIN\n*END\n";
  CDbSolution& solution = *m_solution;
  AddPrimal(solution, false, "BNAPGAS", 10, 0);
  AddPrimal(solution, true, "NRONGAS", 880, 0, "UL", -0.8);
  AddPrimal(solution, false, "nRONGAS", 0.5, 0);
  AddPrimal(solution, true, "XSULGSL", 50, 0, "LL");
  AddPrimal(solution, false, "xSULGSL", 0.25, 0);
  AddPrimal(solution, false, "SELLGAS", 10, 0);
  AddPrimal(solution, false, "SZZZGAS", 0, 0);
  AddPrimal(solution, true, "UBALPOW", 0, 0, "EQ", -0.07);
  AddPrimal(solution, true, "UBALPWX", 0, 1.0);  // a stray row: the alternate gets no balance from it
  AddPrimal(solution, false, "PURCPOW", 20, -0.07);
  AddPrimal(solution, false, "PURCPWX", 5, 0);
  ASSERT_TRUE(Fill());
  CDbModel* model = FilledModel();
  ASSERT_NE(model, nullptr);
  const CDbPeriod& period = *Case().m_pFirstPeriod;
  const auto findQuality = [&](const std::string& tag) -> std::int32_t {
    for (const CDbQuality* q : model->m_paQualities)
      if (q->m_strName == tag) return q->m_nID;
    return -1;
  };

  const CDbBlendQuality* octane = nullptr;
  for (const CDbBlendQuality* each : period.m_paBlendQualities)
    if (each->m_nQualityID == findQuality("RON")) octane = each;
  ASSERT_NE(octane, nullptr);
  EXPECT_EQ(octane->m_dMinValue, 88.0);  // overridden
  EXPECT_EQ(octane->m_bWorkFlag, 1);  // spec-active
  const CDbGroupQuality* sulfur = nullptr;
  for (const CDbGroupQuality* each : period.m_paGroupQualities)
    if (each->m_nQualityID == findQuality("SUL")) sulfur = each;
  ASSERT_NE(sulfur, nullptr);
  EXPECT_EQ(sulfur->m_dMaxValue, 9.0);  // overridden
  EXPECT_EQ(sulfur->m_bWorkFlag, 1);  // spec-active

  // Penalties of the specification columns at the qualities' penalty prices.
  std::vector<std::tuple<std::string, std::string, double>> penalties;
  for (const CDbPenalty* each : period.m_paPenalties)
    if (each->m_nID == 4) penalties.emplace_back(each->m_strTag1, each->m_strTag2, each->m_dActivity);
  EXPECT_EQ(penalties, (std::vector<std::tuple<std::string, std::string, double>>{{"GAS", "RON", 1.0}, {"GSL", "SUL", 0.75}}));

  ASSERT_EQ(period.m_paSales.GetSize(), 1);
  EXPECT_EQ(period.m_paSales[0]->m_dPrice, 120.0);  // overridden

  ASSERT_EQ(model->m_paAlternateUtilities.GetSize(), 1);
  EXPECT_EQ(model->m_paAlternateUtilities[0]->m_strName, "PWX");
  EXPECT_EQ(model->m_paAlternateUtilities[0]->m_strAlternateTag, "POW");
  std::vector<std::string> balanced;
  for (const CDbMaterialBalance* each : period.m_paUtilityBalances)
    for (const CDbDefinition* utility : model->m_paUtilities)
      if (utility->m_nID == each->m_nID) balanced.push_back(utility->m_strName);
  EXPECT_EQ(balanced, (std::vector<std::string>{"POW"}));
  EXPECT_EQ(period.m_nUobCount, 0);  // the stray row's slack is no finding either
  EXPECT_EQ(period.m_paUtilityPurchases.GetSize(), 2);
}

// A multi-period model of the engine mode through the driver: its tables come from the managed index,
// REPORT among them (a row without values makes a report-writer unit per period), and an override
// bounds the inventory of its period.
TEST_F(FillDriverTest, EngineModeMultiPeriodReportUnitsAndAnOverriddenInventory) {
  Model().m_settings.m_ModelType.SetValue(1);
  Model().m_settings.m_UseZelunMGOn.SetValue(1);
  Model().m_settings.m_UseNimboOn.SetValue(1);
  Model().m_settings.m_WriteDatabase.SetValue(1);
  table_fixtures::ByteWriter directory;  // one stream, GAS, balanced by volume; no utilities, groups or pairs
  directory.Int32(1).Int32(1).Byte(0).Fixed("GAS", 4, '\0').Int16(0).Double(1.0).Int16(1);
  directory.Int32(0).Int32(0).Int32(0).Int32(0);
  const auto files = table_fixtures::MakeCompactFiles(
      {Table{"REPORT", {"CCAP***", "FIXLAB"}, {"VAL"}, {"Capacity rows", "Labour"}, {kBlankCell, 120}},
       Table{"PINV", {"GAS"}, {"MIN", "MAX", "VOL"}, {"Gasoline"}, {1, 50, 1}}},
      directory.m_bytes);
  std::ofstream(m_home / "M" / GetTableIndexName(0), std::ios::binary) << files.index;
  std::ofstream(m_home / "M" / GetTableCacheName(0), std::ios::binary) << files.cache;
  std::ofstream(m_home / "M" / "ParametricOverrides.dat") << "INVTGAS 7.0 1 * MIN\nINVTGAS 30.0 1 * MAX\n*END\n";
  // The engine mode leaves the index to be read before the fill: the directory is this case's.
  ASSERT_TRUE(ReadTablesMap(m_export, &Model(), true, true));

  CDbCase& dbCase = Case();
  dbCase.m_paPeriods.RemoveAll();
  dbCase.m_bModelPeriods = 1;
  for (const auto& [name, id] : {std::pair<const char*, int>{".", -999}, {"1", 1}}) {
    auto period = std::make_unique<CDbPeriod>(id, &m_export);
    period->m_strName = name;
    period->m_dDays = 10;
    dbCase.m_paPeriods.Add(std::move(period));
  }
  dbCase.m_paPeriods.Sort(&CDbObject::CompareDbObjectName);
  dbCase.m_pFirstPeriod = dbCase.m_paPeriods[1];
  m_solution->m_paPrimalNodes[0]->m_paPeriods.Add(std::make_unique<CDbPrimalPeriod>("1"));
  CDbPrimalPeriod& one = *m_solution->m_paPrimalNodes[0]->m_paPeriods[1];
  for (const auto& [name, activity] : {std::pair<const char*, double>{"IDEFGAS", 0}, {"IEXCGAS", 0}, {"INVTGAS", 12}}) {
    auto column = std::make_unique<CDbPrimal>(name);
    column->m_dActivity = activity;
    one.m_paColumns.Add(std::move(column));
  }
  one.m_paColumns.Sort(&CDbPrimal::CompareElements);
  one.m_paRows.Add(std::make_unique<CDbPrimal>("VBALGAS"));
  ASSERT_TRUE(Fill());

  const CDbPeriod& period = *dbCase.m_pFirstPeriod;
  ASSERT_EQ(period.m_paRwUnits.GetSize(), 1);
  EXPECT_EQ(period.m_paRwUnits[0]->m_strName, "CCAP***1");  // seven characters: the period's name follows
  EXPECT_EQ(period.m_paRwUnits[0]->m_strDescription, "Capacity rows");
  ASSERT_EQ(period.m_paInventories.GetSize(), 1);
  const CDbInventory& inventory = *period.m_paInventories[0];
  EXPECT_EQ(inventory.m_dClosing, 12.0);
  EXPECT_EQ(inventory.m_dMinValue, 7.0);
  EXPECT_EQ(inventory.m_dMaxValue, 30.0);
}

TEST(BuildSolutionState, MergesThePassesOfAModel) {
  CDbCase dbCase(1);
  auto* final = new CDbSolutionState(0);
  final->m_paOutofTols.Add(new CDbOutofTol(0, 0));
  dbCase.m_paSolutionStates.Add(final);
  CRecursionRecord recursion;
  recursion.m_anHeader[7] = 2;
  recursion.m_afPassObjectives = {10.0f, 20.0f};
  recursion.m_astrPassStatusCodes = {"O", "F"};
  recursion.m_anPassLPIterations = {100, 200};
  recursion.m_anPassPropOutofTolerance = {1, 2};
  recursion.m_anPassDistrOutofTolerance = {3, 4};
  const std::int32_t modelId = 7;
  dbCase.BuildSolutionState(&modelId, recursion);
  dbCase.BuildSolutionState(&modelId, recursion);  // a second model adds to the same passes

  ASSERT_EQ(dbCase.m_paSolutionStates.GetSize(), 3);
  const CDbSolutionState* second = dbCase.m_paSolutionStates[2];
  EXPECT_EQ(second->m_nID, 2);
  EXPECT_EQ(second->m_nPasses, 200);
  EXPECT_EQ(second->m_dObjectiveFunction, 20.0);
  EXPECT_EQ(second->m_nSolutionStatus, 5);
  EXPECT_EQ(dbCase.m_paSolutionStates[1]->m_nSolutionStatus, 1);
  EXPECT_EQ(second->m_nRecursionTypeID, 1);
  ASSERT_EQ(second->m_paOutofTols.GetSize(), 3);  // the totals, then one per model call
  EXPECT_EQ(second->m_paOutofTols[0]->m_nPropOutofTolerance, 4);
  EXPECT_EQ(second->m_paOutofTols[1]->m_nNodeID, 7);
  EXPECT_EQ(second->m_paOutofTols[1]->m_nDistrOutofTolerance, 4);
  // The final state takes the last pass's counts of each call.
  EXPECT_EQ(final->m_paOutofTols[0]->m_nPropOutofTolerance, 4);
  EXPECT_EQ(final->m_paOutofTols[0]->m_nDistrOutofTolerance, 8);

  dbCase.BuildSolutionState(&modelId, CRecursionRecord());
  EXPECT_EQ(final->m_paOutofTols[0]->m_nPropOutofTolerance, 0);
}

}  // namespace
