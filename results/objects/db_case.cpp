#include "results/objects/db_case.h"

#include "caseset/config/assembled_case.h"
#include "caseset/scenario/scenario_execution_logic.h"
#include "caseset/vorn_db_export_data.h"

void CDbCaseSet::Fill(const CAssembledCase* assembledCase) {
  if (!assembledCase) return;
  m_strDescription = assembledCase->m_strTitle;
  m_strSelFormula = assembledCase->m_strSelExp;
  m_strSelModifiedFormula = assembledCase->m_strSelModifiedExp;
  m_nTruncated = assembledCase->m_nSelValue;
  if (!m_pDbData || !m_pDbData->m_paScenarioLogics || m_pDbData->m_paScenarioLogics->IsEmpty()) return;
  const CScenarioExecutionLogic probe(assembledCase->m_strSelExp.c_str(), assembledCase->m_nNumber);
  if (const CScenarioExecutionLogic* logic = m_pDbData->m_paScenarioLogics->Find(&probe))
    m_nSetParentCase = logic->m_nCase;
}
