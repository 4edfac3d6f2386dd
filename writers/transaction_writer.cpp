// Purchases, sales, transfers (also as updated distributions) and utility
// purchases and sales of a period.

#include "results/objects/db_transaction.h"
#include "writers/result_row.h"

namespace {
constexpr std::size_t kDescriptionLength = 20;
}  // namespace

bool CDbTransaction::WritePrPurchase(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  return ResultRow(m_pDbData, "PrPurchase")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("NodeID", m_nNodeID)
      .Long("StreamID", m_nID)
      .Double("Activity", m_dActivity)
      .Short("VWBasisID", m_nVWBasisID)
      .Double("Cost", m_dCost)
      .Double("MinValue", m_dMinValue)
      .DoubleIfSet("MaxValue", m_dMaxValue)
      .Double("MarginalValue", m_dMarginalValue)
      .Short("ReportGroup", m_nReportGroup)
      .Short("ReportOrder", m_nReportOrder)
      .Text("Description", m_strDescription, kDescriptionLength)
      .Update();
}

bool CDbSale::WritePrSale(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  return ResultRow(m_pDbData, "PrSale")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("NodeID", m_nNodeID)
      .Long("StreamID", m_nID)
      .Double("Activity", m_dActivity)
      .Short("VWBasisID", m_nVWBasisID)
      .Double("Price", m_dPrice)
      .Double("MinValue", m_dMinValue)
      .DoubleIfSet("MaxValue", m_dMaxValue)
      .Double("MarginalValue", m_dMarginalValue)
      .Short("ReportGroup", m_nReportGroup)
      .Long("MarketID", m_nMarketID)
      .DoubleIfSet("VPRICE", m_dVPRICE)
      .Short("ReportOrder", m_nReportOrder)
      .Text("Description", m_strSaleDescription, kDescriptionLength)
      .Update();
}

bool CDbTransfer::WritePrTransfer(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  return ResultRow(m_pDbData, "PrTransfer")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("ModelID", m_nNodeID)
      .Long("StreamID", m_nID)
      .Long("NodeFrom", m_nNodeFrom)
      .Long("FromStreamID", m_nFromStreamID)
      .Long("NodeTo", m_nNodeTo)
      .Long("ToStreamID", m_nToStreamID)
      .Long("ModeID", m_nModeID)
      .Double("Activity", m_dActivity)
      .Short("VWBasisID", m_nVWBasisID)
      .Double("Cost", m_dCost)
      .Double("MinValue", m_dMinValue)
      .Double("MaxValue", m_dMaxValue)
      .Double("MarginalValue", m_dMarginalValue)
      .Update();
}

bool CDbTransfer::WritePrUpdatedPDist(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  return ResultRow(m_pDbData, "PrUpdatedPDist")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("NodeID", m_nNodeID)
      .Long("FromStreamID", m_nFromStreamID)
      .Long("ToStreamID", m_nToStreamID)
      .Double("Value", m_dActivity)
      .Update();
}

bool CDbUtilityTransaction::WritePrUtilityTransaction(std::int32_t solutionId, std::int32_t caseId,
                                                      std::int32_t periodId, std::int32_t saleFlag) {
  const bool sale = saleFlag == 1;
  ResultRow record(m_pDbData, sale ? "PrUtilitySale" : "PrUtilityPurchase");
  if (!record.AddPeriodRow(solutionId, caseId, periodId).IsOk()) return false;
  record.Long("NodeID", m_nNodeID).Long("UtilityID", m_nID).Double("Activity", m_dActivity);
  if (sale)
    record.Double("Price", m_dPrice);
  else
    record.Double("Cost", m_dPrice).Double("ShadowPrice", m_dShadowPrice);
  return record.DoubleIfSet("MinValue", m_dMinValue)
      .DoubleIfSet("MaxValue", m_dMaxValue)
      .Double("MarginalValue", m_dMarginalValue)
      .Short("ReportGroup", m_nReportGroup)
      .Short("ReportOrder", m_nReportOrder)
      .Update();
}
