#pragma once
// Test fixture of the economics builders: the case fixture of the fill plus
// a primal tree built by hand (nodes, periods, LP columns and rows).

#include <memory>
#include <string>

#include "caseset/modeltables/model_table_reader.h"
#include "results/objects/db_primal.h"
#include "solutionfill/core/testing/fill_case_fixture.h"

namespace econ_testing {

using fill_testing::kBlank;
using fill_testing::Table;

class EconomicsFixture : public fill_testing::FillCaseFixture {
 protected:
  // With UseZelunMGOn the model-table readers take the managed names of case 0.
  void WriteZelunTables(const std::vector<Table>& tables) {
    Main().m_settings.m_UseZelunMGOn.SetValue(1);
    const auto files = table_fixtures::MakeCompactFiles(tables);
    std::ofstream(m_home / "M" / GetTableIndexName(0), std::ios::binary) << files.index;
    std::ofstream(m_home / "M" / GetTableCacheName(0), std::ios::binary) << files.cache;
  }
  CDbPrimalPeriod& PrimalPeriod(const std::string& node, const std::string& period, std::int32_t id = -999) {
    CDbPrimalNode* primal = nullptr;
    for (CDbPrimalNode* n : m_solution->m_paPrimalNodes)
      if (n->m_strName == node) primal = n;
    if (!primal) {
      primal = m_solution->m_paPrimalNodes.GetAt(m_solution->m_paPrimalNodes.Add(std::make_unique<CDbPrimalNode>(node)));
      m_solution->m_paPrimalNodes.Sort(&CDbPrimalNode::CompareElements);
    }
    return fill_testing::PrimalPeriodOf(*primal, period, id);
  }
  // A column with activity, cost and bounds; active cost columns get it too.
  CDbPrimal& Column(CDbPrimalPeriod& period, const std::string& name, double activity, double cost = 0.0,
                    double lo = 0.0, double hi = kBlank, double marginal = 0.0) {
    CDbPrimal& column = Add(period.m_paColumns, name, activity);
    column.m_dSlack = cost;
    column.m_dLoRHS = lo;
    column.m_dHiRHS = hi;
    column.m_dMarginalValue = marginal;
    if (cost != 0.0 && activity != 0.0) period.m_paActiveCostColumns.Add(&column);
    return column;
  }
  CDbPrimal& Row(CDbPrimalPeriod& period, const std::string& name, double activity, double marginal = 0.0,
                 const std::string& status = "BS") {
    CDbPrimal& row = Add(period.m_paRows, name, activity);
    row.m_dMarginalValue = marginal;
    row.m_strStatus = status;
    return row;
  }
  // Every real period's 17 economic-summary entries of a model id.
  void MakeEcoSums(std::int32_t modelId) { m_case->BuildEconomicSummary(modelId); }
  double EcoSum(const std::string& period, std::int32_t category, std::int32_t modelId) {
    for (const CDbEcoSum* e : Period(period).m_paEcoSums)
      if (e->m_nID == category && e->m_nNodeID == modelId) return e->m_dActivity;
    return -12345.0;
  }

 private:
  static CDbPrimal& Add(CDbPrimalArray& list, const std::string& name, double activity) {
    CDbPrimal& primal = fill_testing::AddPrimal(list, name);
    primal.m_strShortName = name;
    primal.m_dActivity = activity;
    return primal;
  }
};

}  // namespace econ_testing
