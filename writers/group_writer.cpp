// The member units of a unit group.

#include "results/objects/db_group.h"
#include "writers/result_row.h"

bool CDbGroupUnit::WritePrGroupUnitMember(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId) {
  ResultRow record(m_pDbData, "PrGroupUnitMember");
  if (!record.IsOpen()) return false;
  for (const CDbDefinition* unit : m_paMemberUnits) {
    if (unit == nullptr) continue;
    if (!record.Add()
             .Long("SolutionID", solutionId)
             .Long("CaseID", caseId)
             .Long("ModelID", modelId)
             .Long("GroupUnitID", m_nID)
             .Long("UnitID", unit->m_nID)
             .Update())
      return false;
  }
  return true;
}
