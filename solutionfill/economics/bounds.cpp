// The bounds report: activity, bounds and marginal value of every LP column
// named in the model table BOUNDS, per period.

#include <memory>
#include <string>

#include "caseset/modeltables/table_fil_table.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/economics/economics_fill.h"
#include "solutionfill/economics/group_fill.h"

void CDbSolution::BuildBound(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model, bool isGlobal) {
  if (!dbCase || !model) return;
  const CDbPrimalNode* ownPrimal = econ::FindPrimalNode(*this, model->m_strName);
  if (!ownPrimal) return;
  CTableFilTable table;
  if (!fill::ReadModelTable(m_pDbData, "BOUNDS", modelFile, table, false)) return;
  const int freeColumn = table.FindColumn("FREE");
  std::string plantCode;
  const CDbNode* plantNode = nullptr;
  const CDbPrimalNode* plantPrimal = nullptr;
  for (int row = 0; row < table.GetRowCount(); ++row) {
    const std::string& name = table.m_aRowNames[row];
    if (table.GetRowCount() == 1 && name.rfind("ZZZ", 0) == 0) return;  // the model has no bounds
    float cell = 0.0f;
    if (fill::GetCell(table, row, freeColumn, cell)) continue;
    const std::string columnName = econ::Left(name, 7);
    const CDbPrimalNode* primal = ownPrimal;
    std::int32_t modelId = model->m_nID;
    if (isGlobal && name.size() == 8) {
      const std::string code = name.substr(7);
      if (code != plantCode || !plantNode) {
        plantCode = code;
        plantNode = fill::FindCaseNode(*dbCase, code);
        plantPrimal = econ::FindPrimalNode(*this, code);
      }
      if (!plantNode || !plantPrimal) continue;
      primal = plantPrimal;
      modelId = plantNode->m_nID;
    }
    const std::string description = fill::RowDescription(table, row);
    for (const CDbPrimalPeriod* primalPeriod : primal->m_paPeriods) {
      CDbPeriod* period = primalPeriod ? econ::FindCasePeriod(*dbCase, primalPeriod->m_strName) : nullptr;
      const CDbPrimal* column = period ? econ::FindColumn(*primalPeriod, columnName) : nullptr;
      if (!column) continue;
      auto bound = std::make_unique<CDbBound>(period->m_paBounds.GetSize(), modelId, m_pDbData);
      bound->m_dActivity = column->m_dActivity;
      bound->m_dMarginalValue = econ::PerDay(column->m_dMarginalValue, econ::PeriodDivisor(*dbCase, *period));
      bound->m_dMaxValue = column->m_dHiRHS;
      bound->m_dMinValue = column->m_dLoRHS;
      bound->m_strLPColumnName = column->m_strAliasName;
      bound->m_strDescription = description;
      period->m_paBounds.Add(std::move(bound));
    }
  }
}
