// The report writer's own copies of streams, units, unit operations and blend
// quantities, restricted to what its groups select.

#include <cmath>

#include "results/objects/db_model_items.h"
#include "results/objects/db_stream.h"
#include "results/objects/db_value_records.h"
#include "writers/blend_rows.h"
#include "writers/result_row.h"

namespace {
constexpr double kMixedFeedThreshold = 1e-7;
}  // namespace

bool CDbRwStream::WritePrRWStream(std::int32_t solutionId, std::int32_t caseId, std::int32_t nodeId) {
  return ResultRow(m_pDbData, "PrRWStream")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("NodeID", nodeId)
      .Long("StreamID", m_nID)
      .Text("Tag", m_strName)
      .Text("Description", m_strDescription, 20)
      .Short("ReportOrder", m_nReportOrder)
      .Text("ReportTag", m_strReportTag)
      .Text("DomainTag", m_strDomainTag)
      .Short("DummyFlag", m_bDummyFlag)
      .Update();
}

bool CDbRwUnit::WritePrRWUnit(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId) {
  return ResultRow(m_pDbData, "PrRWUnit")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("ModelID", modelId)
      .Long("UnitID", m_nID)
      .Text("Tag", m_strTag)
      .Text("Description", m_strDescription, 20)
      .Short("ReportOrder", m_nReportOrder)
      .Update();
}

bool CDbUnitOp::WritePrRWUnitRows(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  static const char* const kTables[] = {nullptr, "PrRWUnitMaterial", "PrRWUnitCapacity", "PrRWUnitUtility"};
  static const char* const kItemColumns[] = {nullptr, "StreamID", "CapacityID", "UtilityID"};
  if (m_nKind == kNone) return true;
  // A kind without a report-writer table writes nothing and fails.
  if (m_nKind < kMaterial || m_nKind > kUtility) return false;
  if (m_nKind == kMaterial && m_bMixedFeed != 0) {
    if (std::fabs(m_dActivity) < kMixedFeedThreshold) return true;
    m_nFeedFlag = m_dActivity >= 0.0 ? 1 : 0;
  }
  ResultRow record(m_pDbData, kTables[m_nKind]);
  if (!record.Add().IsOk()) return false;
  // A loss row keeps the sign of its activity and its feed flag.
  record.Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("PeriodID", periodId)
      .Long("ModelID", m_nNodeID)
      .Long("UnitID", m_nID)
      .Long(kItemColumns[m_nKind], m_nItemID)
      .Double("Activity", m_bLossRow != 0 ? m_dActivity : std::fabs(m_dActivity));
  if (m_bLossRow == 0) {
    if (m_dActivity > 0.0) m_nFeedFlag = 1;
    if (m_dActivity < 0.0) m_nFeedFlag = 0;
  }
  return record.Short("FeedFlag", m_nFeedFlag).Update();
}

bool CDbBlendQuantity::WritePrRWBlendQuantity(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  if (!WriteBlendQuantityRow(*this, "PrRWBlendQuantity", solutionId, caseId, periodId)) return false;
  for (CDbBlendRecipe* recipe : m_paRecipes)
    if (recipe != nullptr) recipe->WritePrRWBlendRecipe(solutionId, caseId, periodId, m_nID);
  return true;
}

bool CDbBlendRecipe::WritePrRWBlendRecipe(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId,
                                          std::int32_t blendId) {
  return WriteBlendRecipeRow(*this, "PrRWBlendRecipe", solutionId, caseId, periodId, blendId);
}
