#include "results/db_solution_case_view.h"

#include "results/objects/db_case.h"
#include "results/objects/db_primal.h"
#include "results/objects/db_solution.h"

const CDbCase* CDbSolutionCaseView::FindCase(std::int32_t caseNumber) const {
  for (const CDbCase* dbCase : m_solution.m_paCases)
    if (dbCase != nullptr && dbCase->m_nID == caseNumber) return dbCase;
  return nullptr;
}

bool CDbSolutionCaseView::GetFirstState(std::int32_t caseNumber, std::int32_t& status, double& objective) const {
  const CDbCase* dbCase = FindCase(caseNumber);
  if (dbCase == nullptr || dbCase->m_paSolutionStates.IsEmpty() || dbCase->m_paSolutionStates[0] == nullptr)
    return false;
  const CDbSolutionState& state = *dbCase->m_paSolutionStates[0];
  status = state.m_nSolutionStatus;
  objective = state.m_dObjectiveFunction;
  return true;
}

bool CDbSolutionCaseView::GetFirstPeriodName(std::int32_t caseNumber, std::string& period) const {
  const CDbCase* dbCase = FindCase(caseNumber);
  if (dbCase == nullptr || dbCase->m_paPeriods.IsEmpty() || dbCase->m_paPeriods[0] == nullptr) return false;
  period = dbCase->m_paPeriods[0]->m_strName;
  return true;
}

bool CDbSolutionCaseView::GetPeriodResult(std::int32_t caseNumber, const std::string& period,
                                          std::int32_t& outOfBalance, double& penalties) const {
  const CDbCase* dbCase = FindCase(caseNumber);
  if (dbCase == nullptr) return false;
  for (const CDbPeriod* result : dbCase->m_paPeriods)
    if (result != nullptr && result->m_strName == period) {
      outOfBalance = result->m_nSobCount;
      penalties = result->m_dPenaltyTotal;
      return true;
    }
  return false;
}

bool CDbSolutionCaseView::GetPrimal(const std::string& period, const std::string& name, bool row,
                                    CPrimalValues& values) const {
  for (const CDbPrimalNode* node : m_solution.m_paPrimalNodes) {
    if (node == nullptr || !node->m_strName.empty()) continue;
    for (const CDbPrimalPeriod* primalPeriod : node->m_paPeriods) {
      if (primalPeriod == nullptr || primalPeriod->m_strName != period) continue;
      for (const CDbPrimal* record : row ? primalPeriod->m_paRows : primalPeriod->m_paColumns)
        if (record != nullptr && record->m_strName == name) {
          values.m_dActivity = record->m_dActivity;
          values.m_dSecond = record->m_dSlack;
          values.m_dLower = record->m_dLoRHS;
          values.m_dUpper = record->m_dHiRHS;
          values.m_dMarginal = record->m_dMarginalValue;
          return true;
        }
      return false;
    }
    return false;
  }
  return false;
}
