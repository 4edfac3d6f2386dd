// The period-level writers: "PrPeriod" and every per-period table of a case,
// in their fixed order. Rows of the inline tables that fail are skipped; the
// results of the writers called are not passed on.

#include <cstdlib>
#include <string>

#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_period.h"
#include "writers/blend_rows.h"
#include "writers/result_row.h"

namespace {

// Case 7 and period 3 give "007-03"; a negative period gives its absolute
// value without its first digit.
std::string RwCasePeriod(std::int32_t caseId, std::int32_t periodId) {
  const std::string casePart = std::to_string(std::int64_t{caseId} + 1000).substr(1);
  const std::int64_t period = periodId >= 0 ? std::int64_t{periodId} + 100 : std::llabs(std::int64_t{periodId});
  return casePart + "-" + std::to_string(period).substr(1);
}

// "PrGroupPurchase" and its kin: the group columns with the bounds each table tests.
void WriteGroupRow(CVornDbExportData& data, const char* table, const CDbGroupTransaction& record,
                   std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId, bool minOnlyWhenSet,
                   bool withTarget) {
  ResultRow row(data, table);
  row.AddPeriodRow(solutionId, caseId, periodId).Long("NodeID", record.m_nNodeID).Long("GroupID", record.m_nID);
  if (minOnlyWhenSet)
    row.DoubleIfSet("MinValue", record.m_dMinValue);
  else
    row.Double("MinValue", record.m_dMinValue);
  row.DoubleIfSet("MaxValue", record.m_dMaxValue).Double("MarginalValue", record.m_dMarginalValue);
  if (withTarget && IsInfiniteValue(record.m_dTarget) != 1) row.Double("Target", record.m_dTarget);
  row.Update();
}

// "PrCapacityLimit" and its kin: activity always, the bounds and marginal value only when set.
void WriteLimitRow(CVornDbExportData& data, const char* table, const char* idField, const CDbCapacityLimit& limit,
                   std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId, bool blender) {
  ResultRow row(data, table);
  row.AddPeriodRow(solutionId, caseId, periodId)
      .Long("ModelID", limit.m_nNodeID)
      .Long(idField, limit.m_nID)
      .Double("Activity", limit.m_dActivity)
      .DoubleIfSet("MinValue", limit.m_dMinValue)
      .DoubleIfSet("MaxValue", limit.m_dMaxValue)
      .DoubleIfSet("MarginalValue", limit.m_dMarginalValue);
  if (blender) row.Short("UOMTypeID", 1);
  row.Update();
}

}  // namespace

bool CDbPeriod::WritePrPeriod(std::int32_t solutionId, std::int32_t caseId) {
  if (m_pDbData == nullptr || !m_pDbData->m_pModel) return false;
  CVornDbExportData& data = *m_pDbData;
  const CModelSettings& settings = data.m_pModel->m_settings;
  const std::int32_t periodId = m_nID;
  if (!ResultRow(data, "PrPeriod")
           .AddPeriodRow(solutionId, caseId, periodId)
           .Text("Tag", m_strTag)
           .Text("Description", m_strDescription, 20)
           .Double("Days", m_dDays)
           .Date("StartDateTime", m_dtStartDateTime.GetValue())
           .Date("StopDateTime", m_dtStopDateTime.GetValue())
           .Double("PresentValueFactor", m_dPresentValueFactor)
           .Short("RecurseFlag", m_bRecurseFlag)
           .Short("MIPFlag", m_bMIPFlag)
           .Short("ReportFlag", m_bReportFlag)
           .Text("RWCasePeriod", RwCasePeriod(caseId, periodId))
           .Update())
    return false;

  for (CDbTransaction* purchase : m_paPurchases)
    if (purchase != nullptr) purchase->WritePrPurchase(solutionId, caseId, periodId);
  for (const CDbGroupTransaction* group : m_paGroupPurchases)
    if (group != nullptr) WriteGroupRow(data, "PrGroupPurchase", *group, solutionId, caseId, periodId, false, false);
  for (const CDbGroupTransaction* group : m_paGroupUtilityPurchases)
    if (group != nullptr)
      WriteGroupRow(data, "PrGroupUtilityPurchase", *group, solutionId, caseId, periodId, false, false);

  for (CDbSale* sale : m_paSales)
    if (sale != nullptr) sale->WritePrSale(solutionId, caseId, periodId);
  for (const CDbGroupTransaction* group : m_paGroupSales)
    if (group != nullptr) WriteGroupRow(data, "PrGroupSale", *group, solutionId, caseId, periodId, true, false);
  for (const CDbGroupTransaction* group : m_paGroupUtilitySales)
    if (group != nullptr) WriteGroupRow(data, "PrGroupUtilitySale", *group, solutionId, caseId, periodId, false, false);

  for (CDbTransfer* transfer : m_paTransfers)
    if (transfer != nullptr) transfer->WritePrTransfer(solutionId, caseId, periodId);
  for (CDbLocalCostPrice* record : m_paLocalCostPrices)
    if (record != nullptr) record->WritePrLocalCostPrice(solutionId, caseId, periodId);
  for (CDbMaterialBalance* balance : m_paMaterialBalances)
    if (balance != nullptr) balance->WritePrBalance(solutionId, caseId, periodId, true);

  for (CDbInventory* inventory : m_paInventories)
    if (inventory != nullptr) inventory->WritePrInventory(solutionId, caseId, periodId);
  for (const CDbGroupTransaction* group : m_paGroupInventories)
    if (group != nullptr) WriteGroupRow(data, "PrGroupInventory", *group, solutionId, caseId, periodId, false, true);
  for (CDbGroupInventoryQuantity* quantity : m_paGroupInventoryQuantities)
    if (quantity != nullptr) quantity->WritePrGroupInventoryQuantity(solutionId, caseId, periodId);

  for (const CDbGroupPeriod* group : m_paGroupPeriods) {
    if (group == nullptr) continue;
    for (CDbGroupMember* member : group->m_paMembers)
      if (member != nullptr) member->WritePrGroupMember(solutionId, caseId, periodId, group->m_nNodeID, group->m_nID);
  }

  for (CDbUtilityTransaction* purchase : m_paUtilityPurchases)
    if (purchase != nullptr) purchase->WritePrUtilityTransaction(solutionId, caseId, periodId, 0);
  for (CDbUtilityTransaction* sale : m_paUtilitySales)
    if (sale != nullptr) sale->WritePrUtilityTransaction(solutionId, caseId, periodId, 1);

  for (const CDbCapacityLimit* limit : m_paProcessCapacityLimits)
    if (limit != nullptr)
      WriteLimitRow(data, "PrProcessCapacityLimit", "ProcessCapacityID", *limit, solutionId, caseId, periodId, false);
  for (const CDbCapacityLimit* limit : m_paCapacityLimits)
    if (limit != nullptr)
      WriteLimitRow(data, "PrCapacityLimit", "CapacityID", *limit, solutionId, caseId, periodId, false);
  for (const CDbCapacityLimit* limit : m_paBlenderCapacityLimits)
    if (limit != nullptr)
      WriteLimitRow(data, "PrBlenderCapacityLimit", "BlenderCapacityID", *limit, solutionId, caseId, periodId, true);
  for (const CDbCapacityLimit* limit : m_paBlenderCapacityLimits) {
    if (limit == nullptr) continue;
    for (CDbBlenderBlendQuantity* quantity : limit->m_paBlenderBlendQuantities)
      if (quantity != nullptr) quantity->WritePrBlenderBlendQuantity(solutionId, caseId, periodId, limit->m_nID);
  }
  for (const CDbCapacityLimit* limit : m_paPumpCapacityLimits)
    if (limit != nullptr)
      WriteLimitRow(data, "PrPumpCapacityLimit", "StreamID", *limit, solutionId, caseId, periodId, false);

  const bool universalIds = settings.m_UniversalIdsOn.GetValue() != 0;
  for (CDbBlendQuality* quality : m_paBlendQualities)
    if (quality != nullptr) quality->WritePrBlendQuality(solutionId, caseId, periodId);
  for (const CDbBlendQuality* quality : m_paBlendQualities) {
    if (quality == nullptr) continue;
    const std::int32_t blendId = quality->m_nID > 10000 && !universalIds ? quality->m_nID - 10000 : quality->m_nID;
    for (CDbBonusInteraction* bonus : quality->m_paBonusInteractions)
      if (bonus != nullptr)
        bonus->WritePrBonusInteraction(solutionId, caseId, periodId, quality->m_nNodeID, blendId,
                                       quality->m_nQualityID);
  }
  for (CDbStreamQuality* quality : m_paStreamQualities)
    if (quality != nullptr) quality->WritePrStreamQuality(solutionId, caseId, periodId);
  for (CDbGroupQuality* quality : m_paGroupQualities)
    if (quality != nullptr) quality->WritePrGroupQuality(solutionId, caseId, periodId);

  for (CDbBlendQuantity* quantity : m_paBlendQuantities)
    if (quantity != nullptr) quantity->WritePrBlendQuantity(solutionId, caseId, periodId);
  for (const CDbBlendQuantity* quantity : m_paBlendQuantities) {
    if (quantity == nullptr) continue;
    for (CDbBlendRecipe* recipe : quantity->m_paRecipes)
      if (recipe != nullptr) recipe->WritePrBlendRecipe(solutionId, caseId, periodId, quantity->m_nID);
  }

  for (auto* list : {&m_paUnitOperationMaterials, &m_paUnitOperationUtilities, &m_paUnitOperationCapacities})
    for (CDbUnitOp* row : *list)
      if (row != nullptr) row->WritePrUnitOperationRows(solutionId, caseId, periodId, 0);
  for (CDbUnitOp* row : m_paGroupUnitOperations)
    if (row != nullptr) row->WritePrUnitOperationRows(solutionId, caseId, periodId, 1);

  for (CDbSusceptibility* record : m_paSusceptibilities)
    if (record != nullptr) record->WritePrSusceptibility(solutionId, caseId, periodId);
  for (CDbGeneralRecursion* record : m_paGeneralRecursions)
    if (record != nullptr) record->WritePrGeneralRecursion(solutionId, caseId, periodId);
  for (CDbPRow* record : m_paPRows)
    if (record != nullptr) record->WritePrPRow(solutionId, caseId, periodId);
  for (CDbVTW* record : m_paVTWs)
    if (record != nullptr) record->WritePrVTW(solutionId, caseId, periodId, 0);
  for (CDbEcoSum* record : m_paEcoSums)
    if (record != nullptr) record->WritePrEconomicSummary(solutionId, caseId, periodId);
  for (CDbPenalty* record : m_paPenalties)
    if (record != nullptr) record->WritePrPenalty(solutionId, caseId, periodId);
  for (CDbBound* record : m_paBounds)
    if (record != nullptr) record->WritePrBound(solutionId, caseId, periodId);
  for (CDbUnitOp* record : m_paRwUnitOps)
    if (record != nullptr) record->WritePrRWUnitRows(solutionId, caseId, periodId);
  for (CDbBlendQuantity* record : m_paRwBlendQuantities)
    if (record != nullptr) record->WritePrRWBlendQuantity(solutionId, caseId, periodId);
  for (CDbVTW* record : m_paRwVTWs)
    if (record != nullptr) record->WritePrVTW(solutionId, caseId, periodId, 1);
  for (CDbStreamQuality* record : m_paUpdatedPGuesses)
    if (record != nullptr) record->WritePrUpdatedPGuess(solutionId, caseId, periodId);
  for (CDbTransfer* record : m_paUpdatedPDists)
    if (record != nullptr) record->WritePrUpdatedPDist(solutionId, caseId, periodId);
  for (CDbStreamQuality* record : m_paUpdatedQualities)
    if (record != nullptr) record->WritePrUpdatedQuality(solutionId, caseId, periodId);

  const std::int32_t modelType = settings.m_ModelType.GetValue();
  const std::string periodText = modelType == 1 || modelType == 3 ? m_strName : std::string("0");
  for (CDbLinkData* link : m_paLinkData) {
    if (link == nullptr) continue;
    link->WritePrLink(solutionId, caseId, periodId, true);
    link->WriteLGLINKS(solutionId, caseId, periodText);
  }
  for (CDbLinkData* link : m_paUtilityLinkData)
    if (link != nullptr) link->WritePrLink(solutionId, caseId, periodId, false);

  for (CDbKpiValue* value : m_paKpiValues)
    if (value != nullptr) value->WritePrKpiValue(solutionId, caseId, periodId);
  for (CDbMaterialBalance* balance : m_paUtilityBalances)
    if (balance != nullptr) balance->WritePrBalance(solutionId, caseId, periodId, false);
  return true;
}

bool CDbBlendQuality::WritePrBlendQuality(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  if (m_pDbData == nullptr || !m_pDbData->m_pModel) return false;
  // Blends above 10000 are the global model's; they have rows only under universal identifiers.
  if (m_nID > 10000 && m_pDbData->m_pModel->m_settings.m_UniversalIdsOn.GetValue() == 0) return true;
  return ResultRow(*m_pDbData, "PrBlendQuality")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("NodeID", m_nNodeID)
      .Long("BlendID", m_nID)
      .Long("QualityID", m_nQualityID)
      .DoubleIfSet("BlendValue", m_dBlendValue)
      .DoubleIfSet("Value", m_dValue)
      .DoubleIfSet("InitialValue", m_dInitialValue)
      .DoubleIfSet("MinValue", m_dMinValue)
      .DoubleIfSet("MaxValue", m_dMaxValue)
      .DoubleIfSet("MarginalValue", m_dMarginalValue)
      .Short("OriginID", m_nOriginID)
      .Short("ReportOrder", m_nReportOrder)
      .Update();
}

bool CDbBonusInteraction::WritePrBonusInteraction(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId,
                                                  std::int32_t nodeId, std::int32_t blendId, std::int32_t qualityId) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, "PrBonusInteraction")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("NodeID", nodeId)
      .Long("BlendID", blendId)
      .Long("QualityID", qualityId)
      .Long("StreamID", m_nID)
      .Double("Activity", m_dActivity)
      .Short("InteractionTypeID", m_nInteractionTypeID)
      .Update();
}

bool CDbBlendQuantity::WritePrBlendQuantity(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  return WriteBlendQuantityRow(*this, "PrBlendQuantity", solutionId, caseId, periodId);
}

bool CDbBlendRecipe::WritePrBlendRecipe(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId,
                                        std::int32_t blendId) {
  return WriteBlendRecipeRow(*this, "PrBlendRecipe", solutionId, caseId, periodId, blendId);
}

bool CDbBlenderBlendQuantity::WritePrBlenderBlendQuantity(std::int32_t solutionId, std::int32_t caseId,
                                                          std::int32_t periodId, std::int32_t blenderCapacityId) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, "PrBlenderBlendQuantity")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("ModelID", m_nNodeID)
      .Long("BlenderCapacityID", blenderCapacityId)
      .Long("BlendID", m_nID)
      .Double("Activity", m_dActivity)
      .Update();
}

bool CDbBound::WritePrBound(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  if (m_pDbData == nullptr) return false;
  if (m_strLPColumnName.size() > 128) m_strLPColumnName.resize(128);
  return ResultRow(*m_pDbData, "PrBound")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("ModelID", m_nNodeID)
      .Long("SequenceID", m_nID)
      .Text("LPColumnName", m_strLPColumnName)
      .Double("Activity", m_dActivity)
      .Double("MinValue", m_dMinValue)
      .Double("MaxValue", m_dMaxValue)
      .Double("MarginalValue", m_dMarginalValue)
      .Text("Description", m_strDescription, 20)
      .Update();
}

bool CDbEcoSum::WritePrEconomicSummary(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, "PrEconomicSummary")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("ModelID", m_nNodeID)
      .Short("EconomicSummaryTypeID", m_nID)
      .Double("Activity", m_dActivity)
      .Update();
}

bool CDbGeneralRecursion::WritePrGeneralRecursion(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  if (m_pDbData == nullptr) return false;
  if (m_strIndependentVar.size() > 128) m_strIndependentVar.resize(128);
  if (m_strDependentVar.size() > 128) m_strDependentVar.resize(128);
  return ResultRow(*m_pDbData, "PrGeneralRecursion")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("ModelID", m_nNodeID)
      .Long("SequenceID", m_nID)
      .Text("IndependentVar", m_strIndependentVar)
      .Text("DependentVar", m_strDependentVar)
      .Double("CoefficientValue", m_dCoefficientValue)
      .DoubleIfSet("InitialValue", m_dInitialValue)
      .Update();
}

bool CDbGroupInventoryQuantity::WritePrGroupInventoryQuantity(std::int32_t solutionId, std::int32_t caseId,
                                                              std::int32_t periodId) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, "PrGroupInventoryQuantity")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("NodeID", m_nNodeID)
      .Long("GroupID", m_nID)
      .Double("VolActivity", m_dVolActivity)
      .Double("WgtActivity", m_dWgtActivity)
      .Update();
}

bool CDbGroupMember::WritePrGroupMember(std::int32_t solutionId, std::int32_t caseId, std::int32_t groupPeriodId,
                                        std::int32_t groupNodeId, std::int32_t groupId) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, "PrGroupMember")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("GroupNodeID", groupNodeId)
      .Long("GroupID", groupId)
      .Long("GroupPeriodID", groupPeriodId)
      .Long("MemberNodeID", m_nNodeID)
      .Long("MemberID", m_nID)
      .Long("MemberPeriodID", m_nMemberPeriodID)
      .Long("MarketID", m_nMarketID)
      .Update();
}

bool CDbGroupQuality::WritePrGroupQuality(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, "PrGroupQuality")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("NodeID", m_nNodeID)
      .Long("GroupID", m_nID)
      .Long("QualityID", m_nQualityID)
      .Double("Value", m_dValue)
      .DoubleIfSet("MinValue", m_dMinValue)
      .DoubleIfSet("MaxValue", m_dMaxValue)
      .DoubleIfSet("MarginalValue", m_dMarginalValue)
      .Update();
}

bool CDbInventory::WritePrInventory(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  if (m_pDbData == nullptr) return false;
  CVornDbExportData& data = *m_pDbData;
  ResultRow row(data, "PrInventory");
  if (!row.AddPeriodRow(solutionId, caseId, periodId)
           .Long("NodeID", m_nNodeID)
           .Long("StreamID", m_nID)
           .Double("Opening", m_dOpening)
           .Double("Closing", m_dClosing)
           .Double("Target", m_dTarget)
           .Short("VWBasisID", m_nVWBasisID)
           .Double("MinValue", m_dMinValue)
           .DoubleIfSet("MaxValue", m_dMaxValue)
           .Double("MarginalValue", m_dMarginalValue)
           .Short("ReportOrder", m_nReportOrder)
           .Double("ActualOpeningCost", m_dActualOpeningCost)
           .Double("OpeningCost", m_dOpeningCost)
           .Double("ActualClosingPrice", m_dActualClosingPrice)
           .Double("ClosingPrice", m_dClosingPrice)
           .Double("HoldingCost", m_dHoldingCost)
           .Double("PenaltyCost", m_dPenaltyCost)
           .Update())
    return false;
  for (const CDbOpenInventoryQuality* quality : m_paOpenInventoryQualities)
    if (quality != nullptr)
      ResultRow(data, "PrOpenInventoryQuality")
          .Add()
          .Long("SolutionID", solutionId)
          .Long("CaseID", caseId)
          .Long("NodeID", quality->m_nNodeID)
          .Long("StreamID", quality->m_nID)
          .Long("QualityID", quality->m_nQualityID)
          .Double("Value", quality->m_dValue)
          .Update();
  return true;
}

bool CDbKpiValue::WritePrKpiValue(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, "PrKpiValue")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("NodeID", m_nNodeID)
      .Long("KpiID", m_nID)
      .Double("Value", m_dValue)
      .Update();
}

bool CDbLinkData::WritePrLink(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId, bool stream) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, stream ? "PrLink" : "PrUtilityLink")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("ModelID", m_nNodeID)
      .Long("SourceID", m_nSourceID)
      .Long("SourceUnitTypeID", m_nSourceUnitTypeID)
      .Long("DestinationID", m_nDestinationID)
      .Long("DestinationUnitTypeID", m_nDestinationUnitTypeID)
      .Long(stream ? "StreamID" : "UtilityID", m_nID)
      .Double("FromValue", m_dFromValue * 1000.0)
      .Double("ToValue", m_dToValue * 1000.0)
      .Update();
}

bool CDbLocalCostPrice::WritePrLocalCostPrice(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, "PrLocalCostPrice")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("ModelID", m_nNodeID)
      .Long("StreamID", m_nID)
      .Double("LocalCost", m_dLocalCost)
      .Double("LocalPrice", m_dLocalPrice)
      .Update();
}

bool CDbMaterialBalance::WritePrBalance(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId,
                                        bool stream) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, stream ? "PrMaterialBalance" : "PrUtilityBalance")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("ModelID", m_nNodeID)
      .Long(stream ? "StreamID" : "UtilityID", m_nID)
      .Double("Activity", m_dActivity)
      .Double("Slack", m_dSlack)
      .Double("MarginalValue", m_dMarginalValue)
      .Short("VWBasisID", m_nVWBasisID)
      .Short("OutofBalanceFlag", m_nOutofBalanceFlag)
      .Short("VWBasisConverted", m_bVWBasisConverted == 1 ? 1 : 0)
      .Update();
}

bool CDbPRow::WritePrPRow(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  if (m_pDbData == nullptr) return false;
  ResultRow row(*m_pDbData, "PrPRow");
  row.AddPeriodRow(solutionId, caseId, periodId)
      .Long("ModelID", m_nNodeID)
      .Long("UnitID", m_nUnitID)
      .Long("PRowID", m_nID)
      .Short("PRowTypeID", m_nPRowTypeID)
      .DoubleIfSet("Activity", m_dActivity);
  if (m_nNumberofDecimals >= 0) row.Short("NumberofDecimals", m_nNumberofDecimals);
  return row.Text("PRowText", m_strPRowText).Text("Tag", m_strTag).Update();
}

bool CDbPenalty::WritePrPenalty(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId) {
  if (m_pDbData == nullptr) return false;
  if (m_strTag1.size() > 128) m_strTag1.resize(128);
  if (m_strTag2.size() > 128) m_strTag2.resize(128);
  return ResultRow(*m_pDbData, "PrPenalty")
      .AddPeriodRow(solutionId, caseId, periodId)
      .Long("ModelID", m_nNodeID)
      .Short("PenaltyTypeID", m_nID)
      .Double("Activity", m_dActivity)
      .Text("Tag1", m_strTag1)
      .Text("Tag2", m_strTag2)
      .Update();
}
