#pragma once
// The bounded per-period quantities built on CDbGroupTransaction: purchases,
// sales, transfers, inventories, utility purchases and sales, capacity limits
// and column bounds. They use the owner pointer of the base.

#include <cstdint>
#include <string>

#include "results/objects/db_group_transaction.h"
#include "results/objects/db_value_records.h"

// A purchase ("PrPurchase": "StreamID", "NodeID").
class CDbTransaction : public CDbGroupTransaction {
 public:
  CDbTransaction(std::int32_t id, std::int32_t nodeId, CVornDbExportData* owner = nullptr)
      : CDbGroupTransaction(id, nodeId, owner) {}

  double m_dActivity = kDbNotSet;                  // "Activity"
  std::int32_t m_nVWBasisID = 0;                   // "VWBasisID" (short)
  double m_dCost = kDbNotSet;                      // "Cost"
  std::int32_t m_nReportGroup = kDbNoReportOrder;  // "ReportGroup" (short)
  std::string m_strDescription;                    // "Description" (cut to 20 by the writer)

  // ---- Result-table writers (writers/).
  bool WritePrPurchase(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// A sale ("PrSale"), ordered by node, stream, then market.
class CDbSale : public CDbTransaction {
 public:
  CDbSale(std::int32_t id, std::int32_t nodeId, std::int32_t marketId, CVornDbExportData* owner = nullptr)
      : CDbTransaction(id, nodeId, owner), m_nMarketID(marketId) {}
  static int CompareElements(const void* slotA, const void* slotB);

  double m_dPrice = kDbNotSet;       // "Price"
  double m_dVPRICE = kDbNotSet;      // "VPRICE"
  std::int32_t m_nMarketID;          // "MarketID"
  std::string m_strSaleDescription;  // "Description" of "PrSale" (cut to 20 by the writer)

  // ---- Result-table writers (writers/).
  bool WritePrSale(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// A transfer between nodes ("PrTransfer": "StreamID", "ModelID"; also
// "PrUpdatedPDist"), ordered by source node, then source stream.
class CDbTransfer : public CDbTransaction {
 public:
  CDbTransfer(std::int32_t id, std::int32_t nodeId, CVornDbExportData* owner = nullptr)
      : CDbTransaction(id, nodeId, owner) {}
  static int CompareElements(const void* slotA, const void* slotB);

  std::int32_t m_nNodeFrom = -1;      // "NodeFrom"
  std::int32_t m_nFromStreamID = -1;  // "FromStreamID"
  std::int32_t m_nNodeTo = -1;        // "NodeTo"
  std::int32_t m_nToStreamID = -1;    // "ToStreamID"
  std::int32_t m_nModeID = -1;        // "ModeID"
  std::string m_strFromText;          // working texts of the fill
  std::string m_strToText;

  // ---- Result-table writers (writers/).
  bool WritePrTransfer(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
  // The record as a distribution: "Value" is m_dActivity.
  bool WritePrUpdatedPDist(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// An inventory ("PrInventory": "StreamID", "NodeID") with its opening qualities.
// Its "Target" is the base's m_dTarget.
class CDbInventory : public CDbGroupTransaction {
 public:
  CDbInventory(std::int32_t id, std::int32_t nodeId, CVornDbExportData* owner = nullptr)
      : CDbGroupTransaction(id, nodeId, owner) {}

  std::int32_t m_nWorkValue = 0;              // working value of the fill
  double m_dOpening = kDbNotSet;              // "Opening"
  double m_dClosing = kDbNotSet;              // "Closing"
  double m_dActualOpeningCost = kDbNotSet;    // "ActualOpeningCost"
  double m_dOpeningCost = kDbNotSet;          // "OpeningCost"
  double m_dActualClosingPrice = kDbNotSet;   // "ActualClosingPrice"
  double m_dClosingPrice = kDbNotSet;         // "ClosingPrice"
  double m_dHoldingCost = kDbNotSet;          // "HoldingCost"
  double m_dPenaltyCost = kDbNotSet;          // "PenaltyCost"
  std::int32_t m_nVWBasisID = 0;              // "VWBasisID" (short)
  CAutoDestructArray<CPtrArray, CDbOpenInventoryQuality*> m_paOpenInventoryQualities;

  // ---- The result-table writers (writers/).
  bool WritePrInventory(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// A utility purchase or sale ("PrUtilityPurchase", "PrUtilitySale": "UtilityID", "NodeID").
class CDbUtilityTransaction : public CDbGroupTransaction {
 public:
  CDbUtilityTransaction(std::int32_t id, std::int32_t nodeId, CVornDbExportData* owner = nullptr)
      : CDbGroupTransaction(id, nodeId, owner) {}

  double m_dActivity = kDbNotSet;                  // "Activity"
  double m_dPrice = kDbNotSet;                     // "Cost" of a purchase, "Price" of a sale
  double m_dShadowPrice = kDbNotSet;               // "ShadowPrice" of a purchase
  std::int32_t m_nReportGroup = kDbNoReportOrder;  // "ReportGroup" (short)

  // ---- Result-table writers (writers/).
  // "PrUtilityPurchase" for saleFlag 0, "PrUtilitySale" for 1.
  bool WritePrUtilityTransaction(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId, std::int32_t saleFlag);
};

// A capacity limit ("PrCapacityLimit", "PrBlenderCapacityLimit",
// "PrPumpCapacityLimit", "PrProcessCapacityLimit"): the capacity, blender
// capacity, stream or process capacity, and "ModelID".
class CDbCapacityLimit : public CDbGroupTransaction {
 public:
  CDbCapacityLimit(std::int32_t id, std::int32_t nodeId, CVornDbExportData* owner = nullptr)
      : CDbGroupTransaction(id, nodeId, owner) {}

  std::int32_t m_nWorkValue = 0;    // working value of the fill
  double m_dActivity = kDbNotSet;   // "Activity"
  // "PrBlenderBlendQuantity", with the limit's m_nID as "BlenderCapacityID".
  CAutoDestructArray<CPtrArray, CDbBlenderBlendQuantity*> m_paBlenderBlendQuantities;
};

// A column bound ("PrBound": "SequenceID", "ModelID"); "Activity", "MinValue",
// "MaxValue" and "MarginalValue" are the inherited members.
class CDbBound : public CDbCapacityLimit {
 public:
  CDbBound(std::int32_t id, std::int32_t nodeId, CVornDbExportData* owner = nullptr)
      : CDbCapacityLimit(id, nodeId, owner) {}

  std::string m_strLPColumnName;  // "LPColumnName" (the writer cuts it to 128)
  std::string m_strDescription;   // "Description" (cut to 20 by the writer)

  // ---- The result-table writers (writers/).
  bool WritePrBound(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};
