#pragma once
// One period of a case ("PrPeriod"; m_nID "PeriodID", m_strName its short
// tag) and the owner of every per-period value record, one array per result
// kind. m_paStreamQualityView is a view of m_paStreamQualities.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/ole_date_time.h"
#include "results/objects/db_model_items.h"
#include "results/objects/db_transaction.h"
#include "results/objects/db_value_records.h"

class CDbPrimal;

class CDbPeriod : public CDbObject {
 public:
  // The identifier of a case's dummy period (and of a primal period not yet matched).
  static constexpr std::int32_t kDummyPeriodID = -999;

  explicit CDbPeriod(const std::string& name) : CDbObject(name) { m_paStreamQualityView.m_bOwnsElements = 0; }
  CDbPeriod(std::int32_t id, CVornDbExportData* owner) : CDbObject(id), m_pDbData(owner) {
    m_paStreamQualityView.m_bOwnsElements = 0;
  }
  static int CompareElements(const void* a, const void* b) { return CompareDbObjectName(a, b); }

  // Stores the factor; one above 1 or below 0 is stored as 1.
  void SetPresentValueFactor(double factor) { m_dPresentValueFactor = (factor > 1.0 || factor < 0.0) ? 1.0 : factor; }

  template <class T>
  using Array = CAutoDestructArray<CPtrArray, T*>;

  std::int32_t m_nWorkValue1 = 0;  // working fields of the fill
  std::int32_t m_nWorkValue2 = 0;
  double m_dWorkValue = 0.0;
  std::string m_strTag;                      // "Tag"
  std::string m_strDescription;              // "Description" (cut to 20 by the writer)
  double m_dDays = kDbNotSet;                // "Days"
  double m_dObjectiveValue = kDbNotSet;      // the case's objective value, for a default period
  double m_dPresentValueFactor = kDbNotSet;  // "PresentValueFactor"
  plat::OleDateTime m_dtStartDateTime;       // "StartDateTime"
  plat::OleDateTime m_dtStopDateTime;        // "StopDateTime"
  std::uint8_t m_bRecurseFlag = 0;           // "RecurseFlag"
  std::uint8_t m_bMIPFlag = 0;               // "MIPFlag"
  std::uint8_t m_bReportFlag = 0;            // "ReportFlag"
  std::int32_t m_nWorkValue3 = 0;            // working field of the fill

  Array<CDbTransaction> m_paPurchases;                 // "PrPurchase"
  Array<CDbSale> m_paSales;                            // "PrSale"
  Array<CDbInventory> m_paInventories;                 // "PrInventory", "PrOpenInventoryQuality"
  Array<CDbGroupTransaction> m_paGroupPurchases;       // "PrGroupPurchase"
  Array<CDbGroupTransaction> m_paGroupSales;           // "PrGroupSale"
  Array<CDbGroupTransaction> m_paGroupInventories;     // "PrGroupInventory"
  Array<CDbGroupPeriod> m_paGroupPeriods;              // "PrGroupMember"
  Array<CDbUtilityTransaction> m_paUtilityPurchases;   // "PrUtilityPurchase"
  Array<CDbUtilityTransaction> m_paUtilitySales;       // "PrUtilitySale"
  Array<CDbCapacityLimit> m_paCapacityLimits;          // "PrCapacityLimit"
  Array<CDbBlendQuality> m_paBlendQualities;           // "PrBlendQuality", "PrBonusInteraction"
  Array<CDbStreamQuality> m_paStreamQualities;         // "PrStreamQuality"
  Array<CDbGroupQuality> m_paGroupQualities;           // "PrGroupQuality"
  Array<CDbBlendQuantity> m_paBlendQuantities;         // "PrBlendQuantity", "PrBlendRecipe"
  Array<CDbUnitOp> m_paUnitOperationMaterials;         // "PrUnitOperationMaterial" (kind 1)
  Array<CDbUnitOp> m_paUnitOperationCapacities;        // "PrUnitOperationCapacity" (kind 2)
  Array<CDbUnitOp> m_paUnitOperationUtilities;         // "PrUnitOperationUtility" (kind 3)
  Array<CDbUnitOp> m_paGroupUnitOperations;            // "PrGroupUnitMaterial", ...Capacity, ...Utility by kind
  Array<CDbSusceptibility> m_paSusceptibilities;       // "PrSusceptibility"
  Array<CDbGeneralRecursion> m_paGeneralRecursions;    // "PrGeneralRecursion"
  Array<CDbCapacityLimit> m_paBlenderCapacityLimits;   // "PrBlenderCapacityLimit", "PrBlenderBlendQuantity"
  Array<CDbCapacityLimit> m_paPumpCapacityLimits;      // "PrPumpCapacityLimit"
  Array<CDbPRow> m_paPRows;                            // "PrPRow"
  Array<CDbVTW> m_paVTWs;                              // "PrVTW"
  Array<CDbEcoSum> m_paEcoSums;                        // "PrEconomicSummary"
  Array<CDbPenalty> m_paPenalties;                     // "PrPenalty"
  Array<CDbBound> m_paBounds;                          // "PrBound"
  Array<CDbTransfer> m_paTransfers;                    // "PrTransfer"
  Array<CDbMaterialBalance> m_paMaterialBalances;      // "PrMaterialBalance"
  Array<CDbMaterialBalance> m_paUtilityBalances;       // "PrUtilityBalance"
  Array<CDbLocalCostPrice> m_paLocalCostPrices;        // "PrLocalCostPrice"
  Array<CDbUnitOp> m_paRwUnitOps;                      // "PrRWUnitMaterial", ...Utility, ...Capacity by kind
  Array<CDbBlendQuantity> m_paRwBlendQuantities;       // "PrRWBlendQuantity"
  Array<CDbVTW> m_paRwVTWs;                            // "PrRWVTW"
  Array<CDbRwUnit> m_paRwUnits;                        // report-writer units of the period
  Array<CDbStreamQuality> m_paUpdatedPGuesses;         // "PrUpdatedPGuess"
  Array<CDbTransfer> m_paUpdatedPDists;                // "PrUpdatedPDist"
  Array<CDbStreamQuality> m_paUpdatedQualities;        // "PrUpdatedQuality"
  Array<CDbLinkData> m_paLinkData;                     // "PrLink", "LGLINKS"
  Array<CDbLinkData> m_paUtilityLinkData;              // "PrUtilityLink"
  Array<CDbLink> m_paLinks1;                           // link records of the fill
  Array<CDbLink> m_paLinks2;
  Array<CDbLink> m_paLinks3;
  Array<CDbLink> m_paLinks4;
  Array<CDbCapacityLimit> m_paProcessCapacityLimits;   // "PrProcessCapacityLimit"
  Array<CDbStreamQuality> m_paStreamQualityView;       // view of m_paStreamQualities
  Array<CDbKpiValue> m_paKpiValues;                    // "PrKpiValue"
  Array<CDbGroupTransaction> m_paGroupUtilityPurchases;  // "PrGroupUtilityPurchase"
  Array<CDbGroupTransaction> m_paGroupUtilitySales;    // "PrGroupUtilitySale"
  Array<CStreamToPRowCrossReference> m_paStreamToPRowRefs;  // cross references of the fill
  Array<CDbGroupInventoryQuantity> m_paGroupInventoryQuantities;  // "PrGroupInventoryQuantity"

  std::vector<double> m_adWorkValues1;  // working lists of the fill
  std::vector<double> m_adWorkValues2;
  CVornDbExportData* m_pDbData = nullptr;

  // ---- Economics of the solution fill (solutionfill/economics/).
  double m_dPenaltyTotal = 0.0;     // the period's penalty amounts, added up by their builders
  double m_dPeriodObjective = 0.0;  // the activity of the period's "OBJFN" column
  std::int32_t m_nSobCount = 0;     // streams out of balance (material balance of the last model filled)
  std::int32_t m_nUobCount = 0;     // utilities out of balance
  // Minimum and maximum of every process-limit unit of the models filled so
  // far in this period, one slot per unit.
  std::vector<double> m_adProcLimMin;
  std::vector<double> m_adProcLimMax;
  // The first slot of each model's units in those arrays, by ModelID; unit
  // id i of the model has the slot first + i - 1.
  std::map<std::int32_t, std::size_t> m_mapProcLimFirstSlot;

  // ---- The result-table writers (writers/).
  // "PrPeriod", then every per-period table of the case.
  bool WritePrPeriod(std::int32_t solutionId, std::int32_t caseId);
  // A "PrReportRow" record for every report-row mask the row's name matches.
  bool WritePrReportRow(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId, const CDbPrimal& row);
};
