// One solution state of a case in the recursion log.

#include "caseset/vorn_db_export_data.h"
#include "results/objects/db_case.h"
#include "writers/result_row.h"

bool CDbSolutionState::WritePrRecursionLog(std::int32_t solutionId, std::int32_t caseId) {
  if (m_pDbData == nullptr) return false;
  // The final state (identifier 0) follows the passes of the recursion log.
  const bool final = m_nID == 0;
  ResultRow record(m_pDbData, "PrRecursionLog");
  if (!record.Add().IsOk()) return false;
  record.Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("SequenceID", final ? m_pDbData->m_nPasses + 1 : m_nID)
      .Double("ObjectiveFunction", m_dObjectiveFunction)
      .Short("SolutionStatus", m_nSolutionStatus)
      .Short("RecursionTypeID", final ? 1 : m_nRecursionTypeID)
      .Short("LPIterations", final ? 0 : m_nPasses);
  // A state without out-of-tolerance counts leaves both columns unset.
  const CDbOutofTol* counts = m_paOutofTols.GetSize() > 0 ? m_paOutofTols.GetAt(0) : nullptr;
  if (counts != nullptr)
    record.Long("PropOutofTolerance", counts->m_nPropOutofTolerance)
        .Long("DistrOutofTolerance", counts->m_nDistrOutofTolerance);
  return record.Update();
}
