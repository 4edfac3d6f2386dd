// Unit operations (per period, of units and unit groups), process limits and
// the quality rows of units.

#include <cmath>

#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_definition.h"
#include "results/objects/db_value_records.h"
#include "writers/result_row.h"

namespace {

// Activities of a mixed group row below this are noise of the summation.
constexpr double kMixedFeedThreshold = 1e-7;

// The table of a kind for unit rows (group flag 0) or group rows (1); no table: null.
const char* UnitOpTableName(std::int32_t kind, bool group) {
  static const char* const kUnitTables[] = {nullptr, "PrUnitOperationMaterial", "PrUnitOperationCapacity",
                                            "PrUnitOperationUtility", "PrUnitProcessLimit"};
  static const char* const kGroupTables[] = {nullptr, "PrGroupUnitMaterial", "PrGroupUnitCapacity",
                                             "PrGroupUnitUtility", nullptr};
  if (kind < 0 || kind > CDbUnitOp::kProcessLimit) return nullptr;
  return group ? kGroupTables[kind] : kUnitTables[kind];
}

const char* ItemColumn(std::int32_t kind) {
  static const char* const kColumns[] = {nullptr, "StreamID", "CapacityID", "UtilityID", "ProcessCapacityID"};
  return kColumns[kind];
}

}  // namespace

bool CDbUnitOp::WritePrUnitOperationRows(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId,
                                         std::int32_t groupFlag) {
  if (m_pDbData == nullptr || !m_pDbData->m_pModel) return false;
  const bool group = groupFlag == 1;
  const double filter = m_pDbData->m_pModel->m_settings.m_SubmodelReportValueFilter.GetValue();

  double activity = 0.0;
  if (m_bLossRow != 0) {
    activity = -m_dActivity;
    m_nFeedFlag = 0;
  } else if (std::fabs(m_dActivity) > filter) {
    activity = std::fabs(m_dActivity);
    if (m_dActivity > 0.0) m_nFeedFlag = 1;
    if (m_dActivity < 0.0) m_nFeedFlag = 0;
  }
  if (group && m_nKind == kMaterial && m_bMixedFeed != 0) {
    if (std::fabs(m_dActivity) < kMixedFeedThreshold) return true;
    if (m_bLossRow == 0) m_nFeedFlag = m_dActivity >= 0.0 ? 1 : 0;
  }
  if (m_nKind == kNone) return true;
  // A kind without a table (a group process limit, an unknown kind) writes nothing and fails.
  const char* table = UnitOpTableName(m_nKind, group);
  if (table == nullptr) return false;

  ResultRow record(m_pDbData, table);
  if (!record.Add().IsOk()) return false;
  record.Long("SolutionID", solutionId).Long("CaseID", caseId);
  if (m_nKind != kProcessLimit) record.Long("PeriodID", periodId);
  record.Long("ModelID", m_nNodeID).Long(group ? "GroupUnitID" : "UnitID", m_nID).Long(ItemColumn(m_nKind), m_nItemID);
  if (m_nKind != kProcessLimit) {
    record.Double("Activity", activity).Short("FeedFlag", m_nFeedFlag);
    if (m_nKind == kMaterial) record.Double("MarginalValue", m_dMarginalValue);
  }
  return record.Short("ReportOrder", m_nReportOrder).Update();
}

bool CDbUnitQuality::WritePrUnitQuality(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId,
                                        std::int32_t unitId) {
  return ResultRow(m_pDbData, "PrUnitQuality")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("ModelID", modelId)
      .Long("UnitID", unitId)
      .Long("QualityID", m_nID)
      .Short("QualityFlag", m_bQualityFlag)
      .Double("MultiplierValue", m_dMultiplierValue)
      .Short("ReportOrder", m_nReportOrder)
      .Update();
}
