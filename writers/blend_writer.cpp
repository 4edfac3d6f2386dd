// Reformulated-fuel blends, susceptibilities, blend targets and the blends
// of blender capacities.

#include "results/objects/db_blend.h"
#include "results/objects/db_value_records.h"
#include "writers/result_row.h"

bool CDbRFGBlend::WritePrRFGBlend(std::int32_t solutionId, std::int32_t caseId, std::int32_t nodeId) {
  return ResultRow(m_pDbData, "PrRFGBlend")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("NodeID", nodeId)
      .Long("BlendID", m_nID)
      .Short("RFGBlendTypeID", m_nRFGBlendTypeID)
      .Short("RFGAreaID", m_nRFGAreaID)
      .Short("RFGPhaseID", m_nRFGPhaseID)
      .Short("RFGSeasonID", m_nRFGSeasonID)
      .Short("RFGEquationID", m_nRFGEquationID)
      .Short("PeriodID", m_nPeriodID)
      .Update();
}

bool CDbSusceptibility::WritePrSusceptibility(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  return ResultRow(m_pDbData, "PrSusceptibility")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("NodeID", m_nNodeID)
      .Long("BlendID", m_nID)
      .Long("QualityID", m_nQualityID)
      .Long("UtilityID", m_nUtilityID)
      .Double("Value", m_dValue)
      .DoubleIfSet("InitialValue", m_dInitialValue)
      .Update();
}

bool CDbBlend::WritePrBlendTarget(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId) {
  ResultRow record(m_pDbData, "PrBlendTarget");
  if (!record.IsOpen()) return false;
  for (const CDbBlendTarget* target : m_paTargets) {
    if (target == nullptr) continue;
    if (!record.Add()
             .Long("SolutionID", solutionId)
             .Long("CaseID", caseId)
             .Long("ModelID", modelId)
             .Long("BlendID", m_nID)
             .Long("StreamID", target->m_nID)
             .Double("Value", target->m_fTargetValue)
             .Update())
      return false;
  }
  return true;
}

bool CDbBlenderCapacity::WritePrBlenderCapacityMember(std::int32_t solutionId, std::int32_t caseId,
                                                      std::int32_t modelId) {
  ResultRow record(m_pDbData, "PrBlenderCapacityMember");
  if (!record.IsOpen()) return false;
  for (const CDbBlend* blend : m_paBlends) {
    if (blend == nullptr) continue;
    if (!record.Add()
             .Long("SolutionID", solutionId)
             .Long("CaseID", caseId)
             .Long("ModelID", modelId)
             .Long("BlenderCapacityID", m_nID)
             .Long("BlendID", blend->m_nID)
             .Update())
      return false;
  }
  return true;
}
