// The generated planning model of every kind run end to end: the job under
// mpiexec (with a hard timeout) on a generated case set, then its results
// database read back. Every result table and report view the model's
// features fill must have rows; the tables nothing fills for a kind are
// listed, and a listed table that gets rows fails the test, so the lists stay
// true. Every optimal case must read as the LP optimum it is: its objective,
// blend qualities within their specifications, closed material balances,
// crude marginal values from the LP's duals, and an objective that the result
// tables add up to; a handful of values are compared with the LP's solution.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

#include "runner/mpi_run_fixture.h"
// After the MPI headers: the ODBC headers' BOOL would break their C++ bindings.
#include "tools/model_generator/model_generator.h"
#include "tools/model_generator/model_rules.h"
#include "tools/model_generator/testing/sqlite_rows.h"

#include <sqlite3.h>

namespace {

namespace r = model_rules;
using model_gen::ModelKind;

// Tables nothing in the system fills, whatever the model.
const std::map<std::string, std::string> kNeverFilled = {
    {"PrVornMsg", "no component writes messages into it"},
    {"PrRangeCost", "the range export defines it and writes no rows"},
    {"PrRangeRHS", "the range export defines it and writes no rows"},
    {"LGVTWSRT", "the legacy pass creates it empty, for a saved query to fill"},
};
// Tables only a global model fills.
const std::map<std::string, std::string> kGlobalOnly = {
    {"PrDepot", "depots belong to global models"},
    {"PrGlobalStreamLookup", "global streams belong to global models"},
    {"PrGroupDemandMarket", "demand-market groups belong to global models"},
    {"PrGroupDemandPlant", "demand-plant groups belong to global models"},
    {"PrGroupPlantSpanning", "plant-spanning groups belong to global models"},
    {"PrGroupPlantPeriodSpanning", "plant-spanning groups belong to global models"},
    {"PrLocalCostPrice", "local costs belong to the plants of a global model"},
    {"PrTransfer", "transfers belong to global models"},
    {"RW_Depots", "depots belong to global models"},
    {"RW_Transfers", "transfers belong to global models"},
    {"RW_TransfersV", "transfers belong to global models"},
    {"RW_TransfersW", "transfers belong to global models"},
    {"LGDEPOTS", "depots belong to global models"},
    {"LGMODELS", "the local models belong to global models"},
};
// Tables a global model leaves empty.
const std::map<std::string, std::string> kNotGlobal = {
    {"LGLINKS", "the flow file's links are written for models that are not global"},
    {"LGULINKS", "the flow file's links are written for models that are not global"},
    {"PrRWStream", "report-writer groups belong to models that are not global"},
    {"PrRWBlend", "report-writer groups belong to models that are not global"},
    {"PrRWUnit", "report-writer groups belong to models that are not global"},
    {"PrRWVTW", "report-writer groups belong to models that are not global"},
    {"PrRWBlendQuantity", "report-writer groups belong to models that are not global"},
    {"PrRWBlendRecipe", "report-writer groups belong to models that are not global"},
    {"PrRWUnitMaterial", "report-writer groups belong to models that are not global"},
    {"PrRWUnitCapacity", "report-writer groups belong to models that are not global"},
    {"PrRWUnitUtility", "report-writer groups belong to models that are not global"},
    {"RW_BlendActivity", "report-writer groups belong to models that are not global"},
    {"RW_BlendComponentActivity", "report-writer groups belong to models that are not global"},
    {"RW_Blends", "report-writer groups belong to models that are not global"},
    {"RW_UnitCapacities", "report-writer groups belong to models that are not global"},
    {"RW_UnitMaterials", "report-writer groups belong to models that are not global"},
    {"RW_UnitMaterialsUOM", "report-writer groups belong to models that are not global"},
    {"RW_UnitUtilities", "report-writer groups belong to models that are not global"},
    {"RW_VTWFactors", "report-writer groups belong to models that are not global"},
};
// Tables only a multi-period model fills.
const std::map<std::string, std::string> kMultiPeriodOnly = {
    {"PrInventory", "inventories belong to multi-period models"},
    {"PrOpenInventoryQuality", "inventories belong to multi-period models"},
    {"PrGroupInventory", "inventories belong to multi-period models"},
    {"PrGroupInventoryQuantity", "inventories belong to multi-period models"},
    {"PrGroupPeriodSpanning", "period-spanning groups belong to multi-period models"},
    {"RW_Inventory", "inventories belong to multi-period models"},
    {"RW_InventoryV", "inventories belong to multi-period models"},
    {"RW_InventoryW", "inventories belong to multi-period models"},
    {"RW_GroupedStreamsInventory", "inventories belong to multi-period models"},
};
// Known gaps: tables the model's features should fill, with the issue that builds what fills them.
const std::map<std::string, int> kKnownGaps = {};

// A value the results database must hold; gapIssue > 0: it waits for that issue and must still differ.
struct Expected {
  std::string what;
  std::string sql;  // one number
  double value;
  int gapIssue = 0;
};

class MpiModelKinds : public MpiRun {
 protected:
  void TearDown() override {
    if (m_db) sqlite3_close(m_db);
    MpiRun::TearDown();
  }

  // Generates the kind's case set, runs it on one worker and opens its results database.
  void RunKind(const model_gen::GeneratorOptions& options) {
    m_options = options;
    std::string error;
    ASSERT_TRUE(model_gen::GenerateRunDirectory(dir_, options, error)) << error;
    // The generated outcomes carry each case's LP objective and status.
    ASSERT_EQ(Run("ostrel", 2, "", Link(), 240), 0) << ReadFile(dir_ / "out.txt");
    const std::string out = ReadFile(dir_ / "out.txt");
    EXPECT_EQ(out.find("Error"), std::string::npos) << out;
    ASSERT_EQ(sqlite3_open_v2((dir_ / "Results.Mdb").c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    EXPECT_EQ(Number("SELECT count(DISTINCT CaseID) FROM PrCase"), options.cases);
  }

  // The query's number; nothing when it gives none or cannot be prepared (then error says why).
  std::optional<double> Number(const std::string& sql, std::string* error = nullptr) const {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
      if (error) *error = sqlite3_errmsg(m_db);
      else ADD_FAILURE() << sqlite3_errmsg(m_db) << "\n" << sql;
      return std::nullopt;
    }
    std::optional<double> value;
    if (sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_type(statement, 0) != SQLITE_NULL)
      value = sqlite3_column_double(statement, 0);
    sqlite3_finalize(statement);
    return value;
  }

  // Every table and view has rows unless it is listed as empty for the kind or as a known gap. A saved
  // query over the engine's own legacy tables (the LG* tables of its local-model output and the RW*
  // tables made from them), which nothing here writes, cannot run.
  void CheckTables(const std::vector<const std::map<std::string, std::string>*>& emptyLists) const {
    std::vector<std::pair<std::string, bool>> tables;  // name, is a view
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(m_db, "SELECT name, type = 'view' FROM sqlite_master WHERE type IN ('table', 'view') ORDER BY name",
                                 -1, &statement, nullptr),
              SQLITE_OK);
    while (sqlite3_step(statement) == SQLITE_ROW)
      tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)),
                          sqlite3_column_int(statement, 1) != 0);
    sqlite3_finalize(statement);
    ASSERT_GT(tables.size(), 100u);
    for (const auto& [table, view] : tables) {
      std::string error;
      const std::optional<double> counted = Number("SELECT count(*) FROM \"" + table + "\"", &error);
      if (!counted) {
        const bool engineTable = error.starts_with("no such table: main.LG") || error.starts_with("no such table: main.RW");
        EXPECT_TRUE(view && engineTable) << table << ": " << error;
        continue;
      }
      const double rows = *counted;
      const auto gap = kKnownGaps.find(table);
      if (gap != kKnownGaps.end()) {
        EXPECT_EQ(rows, 0) << table << " has rows now: take it off the known gaps (issue " << gap->second << ")";
        continue;
      }
      const std::map<std::string, std::string>* listed = nullptr;
      for (const auto* list : emptyLists)
        if (list->count(table)) listed = list;
      if (listed)
        EXPECT_EQ(rows, 0) << table << " was expected empty: " << listed->at(table);
      else
        EXPECT_GT(rows, 0) << table << " has no rows";
    }
  }

  void CheckValues(const std::vector<Expected>& values) const {
    for (const Expected& e : values) {
      const std::optional<double> stored = Number(e.sql);
      const bool matches = stored && std::fabs(*stored - e.value) <= 1e-4 * std::max(1.0, std::fabs(e.value));
      if (e.gapIssue == 0)
        EXPECT_TRUE(matches) << e.what << ": stored " << (stored ? std::to_string(*stored) : "nothing")
                             << ", the rules give " << e.value;
      else
        EXPECT_FALSE(matches) << e.what << " matches now: take it off the known gaps (issue " << e.gapIssue << ")";
    }
  }

  // SQL fragments naming the ids of case 1 by tag.
  static std::string Model(const std::string& node) { return "(SELECT ModelID FROM PrModel WHERE Tag = '" + node + "')"; }
  static std::string Stream(const std::string& model, const std::string& tag) {
    return "(SELECT StreamID FROM PrStream WHERE CaseID = 1 AND NodeID = " + model + " AND Tag = '" + tag + "')";
  }
  static std::string Quality(const std::string& model, const std::string& tag) {
    return "(SELECT QualityID FROM PrQuality WHERE CaseID = 1 AND ModelID = " + model + " AND Tag = '" + tag + "')";
  }
  static std::string Utility(const std::string& model, const std::string& tag) {
    return "(SELECT UtilityID FROM PrUtility WHERE CaseID = 1 AND ModelID = " + model + " AND Tag = '" + tag + "')";
  }
  static std::string Unit(const std::string& model, const std::string& tag) {
    return "(SELECT UnitID FROM PrUnit WHERE CaseID = 1 AND ModelID = " + model + " AND Tag = '" + tag + "')";
  }
  static std::string Limit(const std::string& model, const std::string& tag) {
    return "(SELECT ProcessCapacityID FROM PrProcessCapacity WHERE CaseID = 1 AND ModelID = " + model +
           " AND Tag = '" + tag + "')";
  }
  // A KPI's id is the same in every case; the definitions of any case give it.
  static std::string Kpi(const std::string& model, const std::string& tag) {
    return "(SELECT KpiID FROM PrKpi WHERE NodeID = " + model + " AND Tag = '" + tag + "' LIMIT 1)";
  }
  int Periods() const { return model_gen::PeriodCount(m_options); }
  // The period id of period index p (0 for a single-period model).
  std::string Period(int p) const {
    if (Periods() == 1) return "0";
    return "(SELECT PeriodID FROM PrPeriod WHERE CaseID = 1 AND Tag = '" + std::string(1, r::PeriodCode(p)) + "')";
  }
  // The days by which the fill divides values of period p: none in a single-period model.
  double Days(int p) const { return Periods() == 1 ? 1.0 : r::PeriodDays(p); }
  // The LP's name of a plant's row or column (plant code empty for a model of its own).
  std::string LpName(const std::string& base, int p, const std::string& plant = "") const {
    return base + (Periods() > 1 ? std::string(1, r::PeriodCode(p)) : std::string()) + plant;
  }
  static double Activity(const model_gen::GeneratedCase& lp, const std::string& column) {
    const auto it = lp.columns.find(column);
    EXPECT_NE(it, lp.columns.end()) << column;
    return it == lp.columns.end() ? 0.0 : it->second.activity;
  }
  static double Slack(const model_gen::GeneratedCase& lp, const std::string& row) {
    const auto it = lp.rows.find(row);
    EXPECT_NE(it, lp.rows.end()) << row;
    return it == lp.rows.end() ? 0.0 : it->second.slack;
  }
  // The distillate pool's sulfur of a plant's crude slate in period p.
  double PoolSulfur(const model_gen::GeneratedCase& lp, int p, const std::string& plant) const {
    double distillate = 0.0, sulfur = 0.0;
    for (int k = 0; k < m_options.crudes; ++k) {
      const double run = Activity(lp, LpName("SCDU" + r::CrudeTag(k), p, plant)) * r::CutYield(2, k);
      distillate += run;
      sulfur += run * r::DstSulfurOfCrude(k);
    }
    return sulfur / distillate;
  }

  // The values of plant `plant` (node `node`, LP names with plant code `code`) in period p of case 1.
  std::vector<Expected> PlantValues(const std::string& node, int plant, int p, const std::string& code = "") const {
    const model_gen::GeneratedCase lp = model_gen::SolveGeneratedCase(m_options, 1);
    const std::string m = Model(node), at = " AND PeriodID = " + Period(p) + " AND CaseID = 1";
    const bool global = m_options.kind == ModelKind::kGlobal;
    const double crudeCost = r::CrudePrice(0, p) + (global ? r::CrudeFreight(plant) : 0.0);
    const double premium = Activity(lp, LpName("BRFTPRM", p, code)) + Activity(lp, LpName("BNAPPRM", p, code)) +
                           Activity(lp, LpName("BBUTPRM", p, code));
    const double dieselWeight = (1 - r::FameFraction()) * r::Vtw("DHT") + r::FameFraction() * r::Vtw("FAM");
    const double dieselSulfur = ((1 - r::FameFraction()) * r::Vtw("DHT") * r::Sulfur("DHT") +
                                 r::FameFraction() * r::Vtw("FAM") * r::Sulfur("FAM")) /
                                dieselWeight;
    return {
        {"crude ANS bought", "SELECT Activity FROM PrPurchase WHERE NodeID = " + m + " AND StreamID = " + Stream(m, "ANS") + at,
         Activity(lp, LpName("PURCANS", p, code))},
        {"cost of crude ANS", "SELECT Cost FROM PrPurchase WHERE NodeID = " + m + " AND StreamID = " + Stream(m, "ANS") + at,
         crudeCost},
        {"octane of the premium blend, at its minimum plus the slack of its specification row",
         "SELECT Value FROM PrBlendQuality WHERE NodeID = " + m + " AND BlendID = " + Stream(m, "PRM") +
             " AND QualityID = " + Quality(m, "RON") + at,
         r::PremiumMinRon(m_options.nimbo) + Slack(lp, LpName("NRONPRM", p, code)) / premium},
        {"sulfur of the diesel blend",
         "SELECT Value FROM PrBlendQuality WHERE NodeID = " + m + " AND BlendID = " + Stream(m, "DSL") +
             " AND QualityID = " + Quality(m, "SUL") + at,
         dieselSulfur},
        {"recursed sulfur of the distillate pool",
         "SELECT Value FROM PrStreamQuality WHERE NodeID = " + m + " AND StreamID = " + Stream(m, "DST") +
             " AND QualityID = " + Quality(m, "SUL") + at,
         PoolSulfur(lp, p, code)},
        {"recursed P-row of the hydrotreater feed",
         "SELECT Activity FROM PrPRow WHERE ModelID = " + m + " AND UnitID = " + Unit(m, "SHDT") + " AND Tag = 'PSULAVG'" + at,
         PoolSulfur(lp, p, code)},
        {"hydrotreated distillate made, at the yield the solver recursed to",
         "SELECT Activity FROM PrUnitOperationMaterial WHERE ModelID = " + m + " AND UnitID = " + Unit(m, "SHDT") +
             " AND StreamID = " + Stream(m, "DHT") + at,
         Activity(lp, LpName("SHDTDST", p, code)) * r::kHydrotreaterYield},
        {"utilisation of the feed sulfur limit",
         "SELECT Activity FROM PrProcessCapacityLimit WHERE ModelID = " + m + " AND ProcessCapacityID = " +
             Limit(m, "HDT") + at,
         PoolSulfur(lp, p, code)},
        {"utilisation of the severity limit raised in proclim.dat",
         "SELECT Activity FROM PrProcessCapacityLimit WHERE ModelID = " + m + " AND ProcessCapacityID = " +
             Limit(m, "SEV") + at,
         r::Severity(plant, p)},
        {"the second power supplier stands in for power",
         "SELECT count(*) FROM PrAlternateUtility WHERE CaseID = 1 AND ModelID = " + m + " AND UtilityID = " +
             Utility(m, "PWX") + " AND AlternateUtilityID = " + Utility(m, "POW"),
         1.0},
        {"the second supplier's power, found through power's balance row (its cost undivided: per period in the "
         "global model of several periods)",
         "SELECT Cost FROM PrUtilityPurchase WHERE NodeID = " + m + " AND UtilityID = " + Utility(m, "PWX") + at,
         r::UtilityPrice("PWX") * (global ? Days(p) : 1.0)},
        {"no balance row of the second power supplier",
         "SELECT count(*) FROM PrUtilityBalance WHERE ModelID = " + m + " AND UtilityID = " + Utility(m, "PWX") + at,
         0.0},
        {"the report row of the premium balance",
         "SELECT count(*) FROM PrReportRow WHERE ModelID = " + m + " AND Description = 'Premium balance'" + at, 1.0},
        {"KPI of crude ANS bought", "SELECT Value FROM PrKpiValue WHERE NodeID = " + m + " AND KpiID = " + Kpi(m, "PURCANS") + at,
         Activity(lp, LpName("PURCANS", p, code))},
        {"KPI definition kept for case 1", "SELECT count(*) FROM PrKpi WHERE CaseID = 1 AND NodeID = " + m + " AND Tag = 'PURCANS'",
         1.0},
        {"KPI anchor MARGVAL: the largest marginal of the period's rows and columns",
         "SELECT Value FROM PrKpiValue WHERE NodeID = " + m + " AND KpiID = " + Kpi(m, "MARGVAL") + at,
         std::max(LargestMarginal("PrPrimalRow", m, p), LargestMarginal("PrPrimalColumn", m, p))},
        {"KPI anchor PI: the largest marginal of the period's rows",
         "SELECT Value FROM PrKpiValue WHERE NodeID = " + m + " AND KpiID = " + Kpi(m, "PI") + at,
         LargestMarginal("PrPrimalRow", m, p)},
    };
  }
  // The largest magnitude of a marginal value among the primal rows or columns of model m in period p of case 1.
  double LargestMarginal(const std::string& table, const std::string& m, int p) const {
    return Number("SELECT max(abs(MarginalValue)) FROM " + table + " WHERE CaseID = 1 AND NodeID = " + m +
                  " AND PeriodID = " + Period(p))
        .value_or(-1.0);
  }
  // The built-in KPIs of the model of the run (node "."): STATUS is the case's final status, and no
  // recursion pass of case 1 was infeasible.
  std::vector<Expected> BuiltInKpis(int p) const {
    const std::string m = Model("."), at = " AND PeriodID = " + Period(p) + " AND CaseID = 1";
    auto value = [&](const char* tag) {
      return "SELECT Value FROM PrKpiValue WHERE NodeID = " + m + " AND KpiID = " + Kpi(m, tag) + at;
    };
    return {{"KPI STATUS of case 1", value("STATUS"),
             Number("SELECT SolutionStatus FROM PrCase WHERE CaseID = 1").value_or(-1.0)},
            {"KPI FPI of case 1", value("FPI"), 0.0},
            {"KPI OPI of case 1", value("OPI"), 0.0},
            {"built-in KPIs of the model", "SELECT count(*) FROM PrKpi WHERE CaseID = 1 AND NodeID = " + m +
                                               " AND Tag IN ('FPI', 'STATUS', 'PENALTIES', 'SOB', 'UOB', 'OPI')",
             6.0}};
  }

  // The sum of a query's values; 0 when it gives none.
  double Sum(const std::string& sql) const { return Number("SELECT total(v) FROM (" + sql + ")").value_or(0.0); }

  // Every optimal case of the run read as the LP optimum it is.
  void CheckOptimalCases() const {
    const bool global = m_options.kind == ModelKind::kGlobal;
    // The plants' LP codes and result-table nodes.
    const std::vector<std::pair<std::string, std::string>> plants =
        global ? std::vector<std::pair<std::string, std::string>>{{"A", Model("A")}, {"B", Model("B")}}
               : std::vector<std::pair<std::string, std::string>>{{"", Model(".")}};
    int optimal = 0;
    for (int c = 1; c <= m_options.cases; ++c) {
      const model_gen::GeneratedCase lp = model_gen::SolveGeneratedCase(m_options, c);
      SCOPED_TRACE("case " + std::to_string(c) + " (" + lp.title + ")");
      const std::string ofCase = " CaseID = " + std::to_string(c);
      EXPECT_EQ(Number("SELECT SolutionStatus FROM PrCase WHERE" + ofCase), lp.solveStatus);
      if (lp.solveStatus != 1) continue;
      ++optimal;
      const double objective = Number("SELECT ObjectiveFunction FROM PrCase WHERE" + ofCase).value_or(-1.0);
      EXPECT_NEAR(objective, lp.objective, 1e-9 * std::fabs(lp.objective)) << "the objective is the LP's";

      // Every blend quality the fill valued lies within its specification.
      EXPECT_EQ(Number("SELECT count(*) FROM PrBlendQuality WHERE" + ofCase +
                       " AND Value IS NOT NULL AND ((MinValue IS NOT NULL AND Value < MinValue - 1e-6 * abs(MinValue)) OR"
                       " (MaxValue IS NOT NULL AND Value > MaxValue + 1e-6 * abs(MaxValue)))"),
                0.0);
      EXPECT_GT(Number("SELECT count(*) FROM PrBlendQuality WHERE" + ofCase + " AND MinValue IS NOT NULL"), 0.0);
      // Every material balance closes; only the loss is not balanced.
      for (const char* table : {"PrMaterialBalance", "PrUtilityBalance"})
        EXPECT_EQ(Number(std::string("SELECT count(*) FROM ") + table + " WHERE" + ofCase +
                         " AND (OutofBalanceFlag <> 0 OR (abs(Slack) > 1e-4 AND " +
                         (table == std::string("PrUtilityBalance")
                              ? "1"
                              : "StreamID NOT IN (SELECT StreamID FROM PrStream WHERE CaseID = " + std::to_string(c) +
                                    " AND Tag = 'LOS')") +
                         "))"),
                  0.0)
            << table;

      // A crude's balance row: its marginal value is the LP's dual, per day in a multi-period model.
      for (int p = 0; p < Periods(); ++p)
        for (const auto& [code, node] : plants)
          for (int k = 0; k < m_options.crudes; ++k) {
            const std::string tag = r::CrudeTag(k);
            const double dual = lp.rows.at(LpName("VBAL" + tag, p, code)).marginal / Days(p);
            const double stored =
                Number("SELECT MarginalValue FROM PrMaterialBalance WHERE" + ofCase + " AND ModelID = " + node +
                       " AND PeriodID = " + Period(p) + " AND StreamID = (SELECT StreamID FROM PrStream WHERE" + ofCase +
                       " AND NodeID = " + node + " AND Tag = '" + tag + "')")
                    .value_or(1e30);
            EXPECT_NEAR(stored, dual, 1e-6 * std::max(1.0, std::fabs(dual))) << tag << code << " period " << p;
          }

      CheckObjectiveAddsUp(c, lp);
    }
    EXPECT_GT(optimal, 0);

    // A dearer crude: the base case buys more of it or earns more than case 2, where ANS costs more.
    const auto bought = [&](int c) {
      return Sum("SELECT P.Activity AS v FROM PrPurchase P JOIN PrStream S ON S.CaseID = P.CaseID AND "
                 "S.NodeID = P.NodeID AND S.StreamID = P.StreamID WHERE P.CaseID = " + std::to_string(c) +
                 " AND S.Tag = 'ANS' AND P.NodeID <> " + (global ? Model(".") : std::string("-1")));
    };
    const auto earned = [&](int c) {
      return Number("SELECT ObjectiveFunction FROM PrCase WHERE CaseID = " + std::to_string(c)).value_or(0.0);
    };
    ASSERT_GE(m_options.cases, 2);
    EXPECT_TRUE(bought(2) < bought(1) - 1e-6 || earned(2) < earned(1)) << "ANS bought " << bought(1) << " and "
                                                                          << bought(2) << ", objectives " << earned(1)
                                                                          << " and " << earned(2);
  }

  // The objective is what the result tables add up to, period by period, to 1e-6 of the money the tables count:
  // the single-precision solution file rounds every value to 1e-7 of itself.
  void CheckObjectiveAddsUp(int c, const model_gen::GeneratedCase& lp) const {
    double total = 0.0, tables = 0.0, counted = 0.0;
    for (int p = 0; p < Periods(); ++p) {
      const double period = lp.periodObjectives.at(static_cast<std::size_t>(p));
      const TableMoney money = TableObjective(c, p);
      EXPECT_NEAR(money.objective, period, 1e-6 * money.gross) << "period " << p;
      total += period;
      tables += money.objective;
      counted += money.gross;
    }
    EXPECT_NEAR(total, lp.objective, 1e-9 * std::fabs(lp.objective)) << "the periods' objectives add up";
    EXPECT_NEAR(tables, lp.objective, 1e-6 * counted);
  }

  // The objective's money of period p of case c from the result tables. Activities count a period's amounts, a
  // day's in the global model of several periods, where the flows' money is per day; utility costs, operating
  // costs (economic summary category 14) and holding costs are per period; the penalties of the blender, the
  // reformate target and the tanks are per day in a multi-period model, the others per period.
  struct TableMoney {
    double objective = 0.0;
    double gross = 0.0;  // the sum of the terms' magnitudes
  };
  TableMoney TableObjective(int c, int p) const {
    const bool global = m_options.kind == ModelKind::kGlobal;
    const std::string at = " CaseID = " + std::to_string(c) + " AND PeriodID = " + Period(p);
    const auto eco = [&](const std::string& models, int category) {
      return Sum("SELECT Activity AS v FROM PrEconomicSummary WHERE" + at + " AND EconomicSummaryTypeID = " +
                 std::to_string(category) + " AND ModelID IN (" + models + ")");
    };
    const std::string plants = global ? Model("A") + ", " + Model("B") : Model(".");
    // The flows' money as positive terms and negative ones.
    std::vector<double> flows;
    if (global) {
      // The network's sales, purchases and transfers, and the plants' freight, in the economic summary.
      const std::string depot = "(SELECT DepotID FROM PrDepot)";
      flows = {eco(plants + ", " + depot, 1), eco(Model("."), 2), eco(plants, 3), eco(Model("."), 5)};
    } else {
      flows = {Sum("SELECT Activity * Price AS v FROM PrSale WHERE" + at),
               -Sum("SELECT Activity * Cost AS v FROM PrPurchase WHERE" + at)};
    }
    const double perDay = Periods() > 1 ? Days(p) : 1.0;
    std::vector<double> terms;
    for (const double flow : flows) terms.push_back((global ? perDay : 1.0) * flow);
    terms.push_back(-perDay * Sum("SELECT Activity AS v FROM PrPenalty WHERE" + at + " AND PenaltyTypeID IN (8, 11, 12)"));
    terms.push_back(-Sum("SELECT Activity AS v FROM PrPenalty WHERE" + at + " AND PenaltyTypeID NOT IN (1, 8, 11, 12)"));
    terms.push_back(-Sum("SELECT Activity * Cost AS v FROM PrUtilityPurchase WHERE" + at));
    terms.push_back(eco(plants, 14));
    terms.push_back(-Sum("SELECT (Opening + Closing) * 0.5 * HoldingCost AS v FROM PrInventory WHERE" + at));
    TableMoney money;
    for (const double term : terms) {
      money.objective += term;
      money.gross += std::fabs(term);
    }
    return money;
  }

  model_gen::GeneratorOptions m_options;
  sqlite3* m_db = nullptr;
};

model_gen::GeneratorOptions Options(ModelKind kind) {
  model_gen::GeneratorOptions options;
  options.kind = kind;
  options.cases = 3;
  options.extraUnits = 1;
  options.solveTime = 0.001;
  return options;
}

TEST_F(MpiModelKinds, Standard) {
  RunKind(Options(ModelKind::kStandard));
  CheckTables({&kNeverFilled, &kGlobalOnly, &kMultiPeriodOnly});
  CheckOptimalCases();
  std::vector<Expected> values = PlantValues(".", 0, 0);
  for (const Expected& e : BuiltInKpis(0)) values.push_back(e);
  CheckValues(values);
}

// An infeasible case reads as infeasible, not as a plan: its status and every recursion pass say so, the rows
// its plan breaks are marked in PrPrimalRow and their balances out of balance, and its objective is the money of
// the plan the tables hold (the plan that breaks the rows least), which they add up to.
TEST_F(MpiModelKinds, AnInfeasibleCaseReadsAsInfeasible) {
  model_gen::GeneratorOptions options = Options(ModelKind::kMultiPeriod);
  options.cases = r::kInfeasibleStep;
  RunKind(options);
  for (const int c : {r::kInfeasibleStep - 1, r::kInfeasibleStep}) {
    const model_gen::GeneratedCase lp = model_gen::SolveGeneratedCase(m_options, c);
    const bool infeasible = c == r::kInfeasibleStep;
    SCOPED_TRACE("case " + std::to_string(c) + " (" + lp.title + ")");
    const std::string ofCase = " CaseID = " + std::to_string(c);
    ASSERT_EQ(lp.solveStatus, infeasible ? 5 : 1);
    EXPECT_EQ(Number("SELECT SolutionStatus FROM PrCase WHERE" + ofCase), lp.solveStatus);
    EXPECT_EQ(Number("SELECT count(*) FROM PrRecursionLog WHERE" + ofCase + " AND SolutionStatus = " +
                     std::to_string(lp.solveStatus)),
              r::kRecursionPasses);
    EXPECT_NEAR(Number("SELECT ObjectiveFunction FROM PrCase WHERE" + ofCase).value_or(-1.0), lp.objective,
                1e-9 * std::fabs(lp.objective));
    CheckObjectiveAddsUp(c, lp);

    // The marked rows ("??" in an infeasible case) are those outside their bounds; the broken balance rows are
    // out of balance.
    const auto count = [&](const std::string& table, const std::string& where) {
      return Number("SELECT count(*) FROM " + table + " WHERE" + ofCase + " AND " + where).value_or(-1.0);
    };
    const std::string mark = "Status = '?\?'";
    const std::string broken = "((LoRHS IS NOT NULL AND Activity < LoRHS - 1e-5 * max(1, abs(LoRHS))) OR "
                               "(HiRHS IS NOT NULL AND Activity > HiRHS + 1e-5 * max(1, abs(HiRHS))))";
    const double marked = count("PrPrimalRow", mark);
    EXPECT_EQ(count("PrPrimalRow", broken), marked);
    EXPECT_EQ(count("PrPrimalRow", mark + " AND " + broken), marked);
    EXPECT_EQ(count("PrPrimalRow", "Status = '**'"), 0.0);
    EXPECT_EQ(count("PrPrimalColumn", "(" + mark + " OR Status = '**')"), 0.0);
    const double outOfBalance = count("PrMaterialBalance", "OutofBalanceFlag <> 0");
    if (infeasible) {
      EXPECT_GT(marked, 0.0);
      EXPECT_GT(outOfBalance, 0.0);
    } else {
      EXPECT_EQ(marked, 0.0);
      EXPECT_EQ(outOfBalance, 0.0);
    }
  }
}

TEST_F(MpiModelKinds, MultiPeriod) {
  RunKind(Options(ModelKind::kMultiPeriod));
  CheckTables({&kNeverFilled, &kGlobalOnly});
  CheckOptimalCases();
  std::vector<Expected> values = PlantValues(".", 0, 2);
  const std::string m = Model(".");
  // Premium closes period 2 at its target plus the excess less the deficit of that period.
  const model_gen::GeneratedCase lp = model_gen::SolveGeneratedCase(m_options, 1);
  values.push_back({"closing inventory of premium",
                    "SELECT Closing FROM PrInventory WHERE CaseID = 1 AND NodeID = " + m + " AND StreamID = " +
                        Stream(m, "PRM") + " AND PeriodID = " + Period(1),
                    r::kTanks[0].target + Activity(lp, "IEXCPRM2") - Activity(lp, "IDEFPRM2")});
  for (const Expected& e : BuiltInKpis(0)) values.push_back(e);
  CheckValues(values);
  // The months of 2024: February has 29 days and March starts on its first.
  EXPECT_EQ(model_gen_testing::SqliteRows(m_db, "SELECT Tag, Days, StartDateTime FROM PrPeriod WHERE CaseID = 1 AND "
                                                "PeriodID >= 0 ORDER BY PeriodID"),
            "1|31.0|2024-01-01 00:00:00 2|29.0|2024-02-01 00:00:00 3|31.0|2024-03-01 00:00:00 ");
}

TEST_F(MpiModelKinds, LocalModelOnItsOwn) {
  RunKind(Options(ModelKind::kLocal));
  CheckTables({&kNeverFilled, &kGlobalOnly});
  CheckOptimalCases();
  std::vector<Expected> values = PlantValues(".", 0, 0);
  for (const Expected& e : BuiltInKpis(0)) values.push_back(e);
  CheckValues(values);
}

TEST_F(MpiModelKinds, GlobalModelOfTwoPlants) {
  RunKind(Options(ModelKind::kGlobal));
  CheckTables({&kNeverFilled, &kNotGlobal});
  CheckOptimalCases();
  std::vector<Expected> values = PlantValues("A", 0, 0, "A");
  for (const Expected& e : PlantValues("B", 1, 1, "B")) values.push_back(e);
  const model_gen::GeneratedCase lp = model_gen::SolveGeneratedCase(m_options, 1);
  const std::string global = Model("."), a = Model("A"), b = Model("B"), at = " AND CaseID = 1 AND PeriodID = " + Period(0);
  values.push_back({"crude ANS bought for the network",
                    "SELECT Activity FROM PrPurchase WHERE NodeID = " + global + " AND StreamID = " + Stream(global, "ANS") + at,
                    Activity(lp, LpName("PURCANS", 0))});
  values.push_back({"cost of crude ANS for the network",
                    "SELECT Cost FROM PrPurchase WHERE NodeID = " + global + " AND StreamID = " + Stream(global, "ANS") + at,
                    r::CrudePrice(0, 0)});
  values.push_back({"LPG sent from plant A to plant B",
                    "SELECT Activity FROM PrTransfer WHERE StreamID = " + Stream(global, "LPG") + at,
                    Activity(lp, LpName("TLPGABR", 0))});
  values.push_back({"cost of the LPG transfer",
                    "SELECT Cost FROM PrTransfer WHERE StreamID = " + Stream(global, "LPG") + at, r::kTransferCost});
  values.push_back({"VTW of the LPG plant B receives",
                    "SELECT Value FROM PrVTW WHERE NodeID = " + b + " AND StreamID = " + Stream(b, "LPG") + at,
                    r::Vtw("LPG")});
  values.push_back({"origin of the gravity of the LPG plant B receives (transferred)",
                    "SELECT OriginID FROM PrStreamQuality WHERE NodeID = " + b + " AND StreamID = " + Stream(b, "LPG") +
                        " AND QualityID = " + Quality(b, "SPG") + at,
                    9.0});
  values.push_back({"LPG plant A sells",
                    "SELECT Activity FROM PrSale WHERE NodeID = " + a + " AND StreamID = " + Stream(a, "LPG") + at,
                    Activity(lp, LpName("SELLPGM", 0, "A"))});
  // Both plants sell their diesel to the network's main market, each under its own node.
  for (const auto& [node, code] : {std::pair{a, "A"}, {b, "B"}})
    values.push_back({std::string("diesel plant ") + code + " sells",
                      "SELECT Activity FROM PrSale WHERE NodeID = " + node + " AND StreamID = " + Stream(node, "DSL") +
                          " AND MarketID = (SELECT MarketID FROM PrMarket WHERE CaseID = 1 AND Tag = 'M')" + at,
                      Activity(lp, LpName("SELDSLM", 0, code))});
  values.push_back({"price of A's premium: the market's price less the allocation cost, a unit of volume",
                    "SELECT Price FROM PrSale WHERE NodeID = " + a + " AND StreamID = " + Stream(a, "PRM") + at,
                    r::ProductPrice("PRM", 0) - r::PremiumAllocation(0)});
  for (const Expected& e : BuiltInKpis(0)) values.push_back(e);
  CheckValues(values);
}

// The nonlinear mode: double-precision solver files with long names, the parametric overrides, the
// matrix file, and the network's own specifications of the plants' blends.
TEST_F(MpiModelKinds, GlobalModelInTheNonlinearMode) {
  model_gen::GeneratorOptions options = Options(ModelKind::kGlobal);
  options.nimbo = true;
  RunKind(options);
  CheckTables({&kNeverFilled, &kNotGlobal});
  CheckOptimalCases();
  const model_gen::GeneratedCase lp = model_gen::SolveGeneratedCase(m_options, 1);
  std::vector<Expected> values = PlantValues("A", 0, 0, "A");
  const std::string a = Model("A"), b = Model("B"), at = " AND CaseID = 1 AND PeriodID = " + Period(0);
  const auto blendQuality = [&](const std::string& field, const std::string& m, const std::string& blend,
                                const std::string& quality) {
    return "SELECT " + field + " FROM PrBlendQuality WHERE NodeID = " + m + " AND BlendID = " + Stream(m, blend) +
           " AND QualityID = " + Quality(m, quality) + at;
  };
  double premium = 0.0, gravity = 0.0;
  for (const char* tag : {"RFT", "NAP", "BUT"}) {
    const double volume = Activity(lp, LpName(std::string("B") + tag + "PRM", 0, "A"));
    premium += volume;
    gravity += volume * r::Spg(tag);
  }
  values.push_back({"minimum octane of A's premium, overridden", blendQuality("MinValue", a, "PRM", "RON"),
                    r::kOverriddenMinRon});
  values.push_back({"gravity of A's premium", blendQuality("Value", a, "PRM", "SPG"), gravity / premium});
  values.push_back({"the network's maximum gravity of A's premium", blendQuality("MaxValue", a, "PRM", "SPG"),
                    r::kNetworkPremiumMaxSpg});
  values.push_back({"the network's maximum gravity of B's diesel", blendQuality("MaxValue", b, "DSL", "SPG"),
                    r::kNetworkDieselMaxSpg});
  CheckValues(values);
}

}  // namespace
