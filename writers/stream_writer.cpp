// Stream definitions, stream qualities, volume-to-weight factors and the
// values updated by the recursion.

#include "results/objects/db_stream.h"
#include "results/objects/db_value_records.h"
#include "writers/result_row.h"

namespace {
constexpr std::size_t kDescriptionLength = 20;
}  // namespace

bool CDbStream::WritePrStream(std::int32_t solutionId, std::int32_t caseId, std::int32_t nodeId) {
  ResultRow record(m_pDbData, "PrStream");
  if (!record.Add().IsOk()) return false;
  record.Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("NodeID", nodeId)
      .Long("StreamID", m_nID)
      .Text("Tag", m_strName)
      .Text("Description", m_strDescription, kDescriptionLength)
      .Short("ReportOrder", m_nReportOrder)
      .Text("ReportTag", m_strReportTag)
      .Text("DomainTag", m_strDomainTag)
      .Short("DummyFlag", m_bDummyFlag)
      .Double("LiquidConversion", m_fLiquidConversion)
      .Short("GlobalReportOrder", m_nGlobalReportOrder);
  if (m_nUserDefinedReportOrder > 0) record.Short("UserDefinedReportOrder", m_nUserDefinedReportOrder);
  return record.Update();
}

bool CDbStreamQuality::WritePrStreamQuality(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  return ResultRow(m_pDbData, "PrStreamQuality")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("NodeID", m_nNodeID)
      .Long("StreamID", m_nID)
      .Long("QualityID", m_nQualityID)
      .Double("Value", m_dValue)
      .DoubleIfSet("InitialValue", m_dInitialValue)
      .Short("OriginID", m_nOriginID)
      .Update();
}

bool CDbStreamQuality::WritePrUpdatedPGuess(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  return ResultRow(m_pDbData, "PrUpdatedPGuess")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("NodeID", m_nNodeID)
      .Long("StreamID", m_nID)
      .Long("QualityID", m_nQualityID)
      .Long("UpdatedQualityID", m_nUpdatedQualityID)
      .Double("Value", m_dValue)
      .Update();
}

bool CDbStreamQuality::WritePrUpdatedQuality(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  // In these records the item identifier is the quality.
  return ResultRow(m_pDbData, "PrUpdatedQuality")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("NodeID", m_nNodeID)
      .Long("QualityID", m_nID)
      .Text("ColumnName", m_strColumnName)
      .Double("Value", m_dValue)
      .Update();
}

bool CDbVTW::WritePrVTW(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId, std::int32_t rwFlag) {
  // A factor that is not set, or 0, would make every conversion useless: 1.
  const double value = (IsInfiniteValue(m_dValue) != 0 || m_dValue == 0.0) ? 1.0 : m_dValue;
  return ResultRow(m_pDbData, rwFlag == 1 ? "PrRWVTW" : "PrVTW")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("NodeID", m_nNodeID)
      .Long("StreamID", m_nID)
      .Double("Value", value)
      .Update();
}
