#pragma once
// The per-period value records of a solved case: qualities of streams,
// blends and groups, blend quantities and recipes, unit operations, P-rows,
// volume-to-weight factors, economic-summary entries, penalties, local costs
// and prices, balances, links, KPI values and group memberships. Each is keyed
// by item (m_nID) and node (m_nNodeID) and written as one row of its table,
// which adds "SolutionID", "CaseID" and "PeriodID". Values not listed with a
// default start not set (1e30). Purchases, sales, inventories and the other
// bounded quantities are in results/objects/db_transaction.h.

#include <cstdint>
#include <memory>
#include <string>

#include "results/objects/db_object.h"

// The shape the value records share: the item and node keys of
// CDbDataObject and the export context their writers write through.
class CDbValueRecord : public CDbDataObject {
 public:
  CDbValueRecord(std::int32_t id, std::int32_t nodeId, CVornDbExportData* owner = nullptr)
      : CDbDataObject(id, nodeId), m_pDbData(owner) {}

  CVornDbExportData* m_pDbData;
};

// Order of the quality records: node, item, then quality.
template <class T>
int CompareNodeIdQuality(const void* slotA, const void* slotB) {
  return CompareSlots<T>(slotA, slotB, [](const T& a, const T& b) {
    if (const int c = CompareKeys(a.m_nNodeID, b.m_nNodeID)) return c;
    if (const int c = CompareKeys(a.m_nID, b.m_nID)) return c;
    return CompareKeys(a.m_nQualityID, b.m_nQualityID);
  });
}

// "PrStreamQuality" ("StreamID", "NodeID"); also the rows of "PrUpdatedPGuess"
// and "PrUpdatedQuality".
class CDbStreamQuality : public CDbValueRecord {
 public:
  CDbStreamQuality(std::int32_t id, std::int32_t nodeId, std::int32_t qualityId, CVornDbExportData* owner = nullptr)
      : CDbValueRecord(id, nodeId, owner), m_nQualityID(qualityId) {}
  static int CompareElements(const void* a, const void* b) { return CompareNodeIdQuality<CDbStreamQuality>(a, b); }

  std::int32_t m_nQualityID;               // "QualityID"
  double m_dValue = kDbNotSet;             // "Value"
  double m_dInitialValue = kDbNotSet;      // "InitialValue"
  std::int32_t m_nOriginID = 0;            // "OriginID" (short)
  std::int32_t m_nUpdatedQualityID = -1;   // "UpdatedQualityID" of "PrUpdatedPGuess"
  std::string m_strWorkText;               // working text of the fill
  std::string m_strColumnName;             // "ColumnName" of "PrUpdatedQuality"
  std::string m_strWorkText2;              // working text of the fill

  // ---- Result-table writers (writers/).
  bool WritePrStreamQuality(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
  bool WritePrUpdatedPGuess(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
  bool WritePrUpdatedQuality(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// A bonus or interaction of a blend quality ("PrBonusInteraction"); m_nID is "StreamID".
class CDbBonusInteraction : public CDbObject {
 public:
  explicit CDbBonusInteraction(std::int32_t id, CVornDbExportData* owner = nullptr) : CDbObject(id), m_pDbData(owner) {}

  double m_dActivity = kDbNotSet;          // "Activity"
  std::int32_t m_nInteractionTypeID = 0;   // "InteractionTypeID" (short)
  CVornDbExportData* m_pDbData;

  // ---- The result-table writers (writers/).
  bool WritePrBonusInteraction(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId, std::int32_t nodeId, std::int32_t blendId, std::int32_t qualityId);
};

// "PrBlendQuality" ("BlendID", "NodeID").
class CDbBlendQuality : public CDbValueRecord {
 public:
  CDbBlendQuality(std::int32_t id, std::int32_t nodeId, std::int32_t qualityId, CVornDbExportData* owner = nullptr)
      : CDbValueRecord(id, nodeId, owner), m_nQualityID(qualityId) {}
  static int CompareElements(const void* a, const void* b) { return CompareNodeIdQuality<CDbBlendQuality>(a, b); }

  std::int32_t m_nQualityID;                        // "QualityID"
  double m_dBlendValue = kDbNotSet;                 // "BlendValue"
  double m_dValue = kDbNotSet;                      // "Value"
  double m_dInitialValue = kDbNotSet;               // "InitialValue"
  double m_dMinValue = kDbNotSet;                   // "MinValue"
  double m_dMaxValue = kDbNotSet;                   // "MaxValue"
  double m_dMarginalValue = 0.0;                    // "MarginalValue"
  std::int32_t m_nOriginID = 7;                     // "OriginID" (short)
  std::uint8_t m_bWorkFlag = 0;                     // working flag of the fill
  std::int32_t m_nReportOrder = kDbNoReportOrder;   // "ReportOrder" (short), set by the fill
  CAutoDestructArray<CPtrArray, CDbBonusInteraction*> m_paBonusInteractions;

  // ---- The result-table writers (writers/).
  bool WritePrBlendQuality(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// "PrGroupQuality" ("GroupID", "NodeID").
class CDbGroupQuality : public CDbValueRecord {
 public:
  CDbGroupQuality(std::int32_t id, std::int32_t nodeId, std::int32_t qualityId, CVornDbExportData* owner = nullptr)
      : CDbValueRecord(id, nodeId, owner), m_nQualityID(qualityId) {}
  static int CompareElements(const void* a, const void* b) { return CompareNodeIdQuality<CDbGroupQuality>(a, b); }

  std::int32_t m_nQualityID;          // "QualityID"
  double m_dValue = kDbNotSet;        // "Value"
  double m_dMinValue = kDbNotSet;     // "MinValue"
  double m_dMaxValue = kDbNotSet;     // "MaxValue"
  double m_dMarginalValue = 0.0;      // "MarginalValue"
  std::uint8_t m_bWorkFlag = 0;       // working flag of the fill

  // ---- The result-table writers (writers/).
  bool WritePrGroupQuality(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// "PrOpenInventoryQuality" ("StreamID", "NodeID"), held by its inventory.
class CDbOpenInventoryQuality : public CDbValueRecord {
 public:
  CDbOpenInventoryQuality(std::int32_t id, std::int32_t nodeId, std::int32_t qualityId,
                          CVornDbExportData* owner = nullptr)
      : CDbValueRecord(id, nodeId, owner), m_nQualityID(qualityId) {}
  static int CompareElements(const void* a, const void* b) {
    return CompareNodeIdQuality<CDbOpenInventoryQuality>(a, b);
  }

  std::int32_t m_nQualityID;    // "QualityID"
  double m_dValue = kDbNotSet;  // "Value"
};

// "PrSusceptibility" ("BlendID", "NodeID").
class CDbSusceptibility : public CDbValueRecord {
 public:
  using CDbValueRecord::CDbValueRecord;

  std::int32_t m_nQualityID = -1;      // "QualityID"
  std::int32_t m_nUtilityID = -1;      // "UtilityID"
  double m_dValue = kDbNotSet;         // "Value"
  double m_dInitialValue = kDbNotSet;  // "InitialValue"

  // ---- Result-table writers (writers/).
  bool WritePrSusceptibility(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// "PrBlendRecipe" ("StreamID", "NodeID"), held by its blend quantity.
class CDbBlendRecipe : public CDbValueRecord {
 public:
  using CDbValueRecord::CDbValueRecord;

  double m_dVolActivity = 0.0;       // "VolActivity"
  double m_dWgtActivity = 0.0;       // "WgtActivity"
  double m_dVolMarginalValue = 0.0;  // "VolMarginalValue"

  // ---- Result-table writers (writers/).
  bool WritePrRWBlendRecipe(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId, std::int32_t blendId);

  // ---- The result-table writers (writers/).
  bool WritePrBlendRecipe(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId, std::int32_t blendId);
};

// "PrBlendQuantity" ("BlendID", "NodeID") with its recipes.
class CDbBlendQuantity : public CDbValueRecord {
 public:
  using CDbValueRecord::CDbValueRecord;

  // Takes the recipe over and adds its activities to the quantity's; no sorting.
  void AddRecipe(std::unique_ptr<CDbBlendRecipe> recipe);

  double m_dVolActivity = 0.0;  // "VolActivity"
  double m_dWgtActivity = 0.0;  // "WgtActivity"
  CAutoDestructArray<CPtrArray, CDbBlendRecipe*> m_paRecipes;  // "PrBlendRecipe"

  // ---- Result-table writers (writers/).
  // The quantity, then every recipe; a failed recipe does not fail the quantity.
  bool WritePrRWBlendQuantity(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);

  // ---- The result-table writers (writers/).
  bool WritePrBlendQuantity(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// "PrBlenderBlendQuantity" ("BlendID", "ModelID"), held by its blender-capacity limit.
class CDbBlenderBlendQuantity : public CDbValueRecord {
 public:
  using CDbValueRecord::CDbValueRecord;

  double m_dActivity = kDbNotSet;  // "Activity"

  // ---- The result-table writers (writers/).
  bool WritePrBlenderBlendQuantity(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId, std::int32_t blenderCapacityId);
};

// "PrGroupInventoryQuantity" ("GroupID", "NodeID").
class CDbGroupInventoryQuantity : public CDbValueRecord {
 public:
  using CDbValueRecord::CDbValueRecord;

  double m_dVolActivity = kDbNotSet;  // "VolActivity"
  double m_dWgtActivity = kDbNotSet;  // "WgtActivity"

  // ---- The result-table writers (writers/).
  bool WritePrGroupInventoryQuantity(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// A member of a group in a period: one "PrGroupMember" row ("MemberID", "MemberNodeID").
class CDbGroupMember : public CDbValueRecord {
 public:
  using CDbValueRecord::CDbValueRecord;

  std::int32_t m_nMarketID = 0;        // "MarketID"
  std::int32_t m_nMemberPeriodID = 0;  // "MemberPeriodID"

  // ---- The result-table writers (writers/).
  bool WritePrGroupMember(std::int32_t solutionId, std::int32_t caseId, std::int32_t groupPeriodId, std::int32_t groupNodeId, std::int32_t groupId);
};

// A group of a node in a period with its members; the rows take its node,
// group and period as "GroupNodeID", "GroupID", "GroupPeriodID".
class CDbGroupPeriod : public CDbDataObject {
 public:
  CDbGroupPeriod(std::int32_t id, std::int32_t nodeId) : CDbDataObject(id, nodeId) {}

  CAutoDestructArray<CPtrArray, CDbGroupMember*> m_paMembers;
};

// "PrVTW" / "PrRWVTW" ("StreamID", "NodeID").
class CDbVTW : public CDbValueRecord {
 public:
  using CDbValueRecord::CDbValueRecord;

  double m_dValue = kDbNotSet;  // "Value"

  // ---- Result-table writers (writers/).
  // "PrVTW" for rwFlag 0, "PrRWVTW" for 1.
  bool WritePrVTW(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId, std::int32_t rwFlag);
};

// "PrKpiValue" ("KpiID", "NodeID").
class CDbKpiValue : public CDbValueRecord {
 public:
  using CDbValueRecord::CDbValueRecord;

  double m_dValue = kDbNotSet;      // "Value"
  double m_dWorkValue = kDbNotSet;  // working value of the fill

  // ---- The result-table writers (writers/).
  bool WritePrKpiValue(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// "PrEconomicSummary" ("EconomicSummaryTypeID" short, "ModelID").
class CDbEcoSum : public CDbValueRecord {
 public:
  using CDbValueRecord::CDbValueRecord;

  double m_dActivity = 0.0;  // "Activity"

  // ---- The result-table writers (writers/).
  bool WritePrEconomicSummary(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// "PrLocalCostPrice" ("StreamID", "ModelID").
class CDbLocalCostPrice : public CDbValueRecord {
 public:
  using CDbValueRecord::CDbValueRecord;

  double m_dLocalCost = 0.0;   // "LocalCost"
  double m_dLocalPrice = 0.0;  // "LocalPrice"

  // ---- The result-table writers (writers/).
  bool WritePrLocalCostPrice(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// "PrMaterialBalance" ("StreamID", "ModelID") or "PrUtilityBalance" ("UtilityID", "ModelID").
class CDbMaterialBalance : public CDbValueRecord {
 public:
  using CDbValueRecord::CDbValueRecord;

  double m_dActivity = kDbNotSet;          // "Activity"
  double m_dSlack = kDbNotSet;             // "Slack"
  double m_dMarginalValue = kDbNotSet;     // "MarginalValue"
  std::int32_t m_nVWBasisID = 0;           // "VWBasisID" (short)
  std::int32_t m_nOutofBalanceFlag = 0;    // "OutofBalanceFlag" (short)
  std::uint8_t m_bVWBasisConverted = 0;    // "VWBasisConverted": 1 when this is 1, else 0

  // ---- The result-table writers (writers/).
  bool WritePrBalance(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId, bool stream);
};

// "PrGeneralRecursion" ("SequenceID", "ModelID").
class CDbGeneralRecursion : public CDbValueRecord {
 public:
  using CDbValueRecord::CDbValueRecord;

  std::string m_strIndependentVar;         // "IndependentVar" (cut to 128 by the writer)
  std::string m_strDependentVar;           // "DependentVar" (cut to 128 by the writer)
  double m_dCoefficientValue = kDbNotSet;  // "CoefficientValue"
  double m_dInitialValue = kDbNotSet;      // "InitialValue"

  // ---- The result-table writers (writers/).
  bool WritePrGeneralRecursion(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// "PrPenalty" ("PenaltyTypeID" short, "ModelID").
class CDbPenalty : public CDbValueRecord {
 public:
  using CDbValueRecord::CDbValueRecord;

  double m_dActivity = 0.0;  // "Activity"
  std::string m_strTag1;     // "Tag1" (cut to 128 by the writer)
  std::string m_strTag2;     // "Tag2" (cut to 128 by the writer)

  // ---- The result-table writers (writers/).
  bool WritePrPenalty(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// "PrPRow" ("PRowID", "ModelID"), ordered by node, unit, then P-row.
class CDbPRow : public CDbValueRecord {
 public:
  CDbPRow(std::int32_t id, std::int32_t nodeId, std::int32_t unitId, CVornDbExportData* owner = nullptr)
      : CDbValueRecord(id, nodeId, owner), m_nUnitID(unitId) {}
  static int CompareElements(const void* slotA, const void* slotB);

  std::int32_t m_nUnitID;               // "UnitID"
  std::int32_t m_nPRowTypeID = -1;      // "PRowTypeID" (short)
  std::int32_t m_nNumberofDecimals = -1;  // "NumberofDecimals" (short)
  double m_dActivity = kDbNotSet;       // "Activity"
  std::string m_strPRowText;            // "PRowText"
  std::string m_strTag;                 // "Tag"

  // ---- The result-table writers (writers/).
  bool WritePrPRow(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// "PrLink" / "PrUtilityLink" ("StreamID" or "UtilityID", "ModelID") and the
// legacy "LGLINKS". Ordered by node, then item; two records are equal only
// when their source and destination (with types) agree as well.
class CDbLinkData : public CDbValueRecord {
 public:
  using CDbValueRecord::CDbValueRecord;
  static int CompareElements(const void* slotA, const void* slotB);

  std::int32_t m_nSourceID = 0;               // "SourceID"
  std::int32_t m_nSourceUnitTypeID = 0;       // "SourceUnitTypeID"
  std::int32_t m_nDestinationID = 0;          // "DestinationID"
  std::int32_t m_nDestinationUnitTypeID = 0;  // "DestinationUnitTypeID"
  double m_dFromValue = kDbNotSet;            // "FromValue"
  double m_dToValue = kDbNotSet;              // "ToValue"
  std::string m_strNodeFrom;                  // "NodeFrom" of "LGLINKS"
  std::string m_strNodeTo;                    // "NodeTo" of "LGLINKS"
  std::string m_strSTRMID;                    // "STRMID" of "LGLINKS"

  // ---- Result-table writers (writers/).
  // "LGLINKS"; the solution identifier is not used.
  bool WriteLGLINKS(std::int32_t solutionId, std::int32_t caseId, const std::string& periodText);

  // ---- The result-table writers (writers/).
  bool WritePrLink(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId, bool stream);
};

// A link record of the fill: m_nID the link kind (0 to 4), m_nNodeID the linked item.
class CDbLink : public CDbDataObject {
 public:
  CDbLink(std::int32_t id, std::int32_t nodeId) : CDbDataObject(id, nodeId) {}
  // One end of a link: m_nID the stream, m_nNodeID the unit, m_dValue the
  // quantity. The periods hold source ends in m_paLinks1, destination ends
  // in m_paLinks2, utility source and destination ends in m_paLinks3 and 4.
  std::int32_t m_nUnitTypeID = 0;  // 0 BUY, 1 Submod, 2 Blend, 3 SELL, 4 Tank

  std::int32_t m_nWorkValue = 0;  // working value of the fill
  double m_dValue = kDbNotSet;
};

// A unit operation row ("UnitID" or "GroupUnitID", "ModelID"); its kind
// chooses the table. Ordered by node, unit, item, then kind.
class CDbUnitOp : public CDbValueRecord {
 public:
  enum Kind : std::int32_t { kNone = 0, kMaterial = 1, kCapacity = 2, kUtility = 3, kProcessLimit = 4 };

  using CDbValueRecord::CDbValueRecord;
  static int CompareElements(const void* slotA, const void* slotB);

  // The material stream, capacity, utility or process capacity, by kind.
  std::int32_t m_nItemID = -1;
  std::int32_t m_nFeedFlag = 0;         // "FeedFlag" (short)
  double m_dActivity = 0.0;             // "Activity"
  double m_dMarginalValue = 0.0;        // "MarginalValue"
  std::int32_t m_nKind = kNone;
  std::int32_t m_bLossRow = 0;          // a row of kind "LOS"
  std::int32_t m_bMixedFeed = 0;        // a group row whose unit rows disagree in FeedFlag
  std::int32_t m_nWorkFlag = 1;         // working flag of the fill
  std::int32_t m_nReportOrder = kDbNoReportOrder;  // "ReportOrder" (short)

  // ---- Builders of the solution fill (solutionfill/economics/). m_nWorkFlag
  // is 1 while the feed sense may still be decided by a later coefficient.
  // The link quantity: -activity of a loss row (feed flag 0); |activity| when
  // above the main model's report filter (feed flag from its sign); else 0.
  double GetActivityMagnitude();

  // ---- Result-table writers (writers/).
  // The table by kind and groupFlag; a process limit gets the model's
  // identifier as periodId, which it does not write.
  bool WritePrUnitOperationRows(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId, std::int32_t groupFlag);
  // The report-writer tables by kind.
  bool WritePrRWUnitRows(std::int32_t solutionId, std::int32_t caseId, std::int32_t periodId);
};

// A P-row a stream feeds: its unit, its table (the unit's submodel) and row there.
class CPRowInfo : public CObject {
 public:
  CPRowInfo() = default;
  // By unit, ascending.
  static int CompareElements(const void* slotA, const void* slotB);

  std::int32_t m_nUnitID = -1;
  std::int32_t m_nPRowID = -1;
  std::string m_strSubmodelName;
  std::int32_t m_nRowIndex = -1;
};

// The P-rows a stream of a model feeds (m_nID the stream, m_nNodeID the
// model); no table is written from it.
class CStreamToPRowCrossReference : public CDbDataObject {
 public:
  CStreamToPRowCrossReference(std::int32_t streamId, std::int32_t modelId) : CDbDataObject(streamId, modelId) {}

  CAutoDestructArray<CPtrArray, CPRowInfo*> m_paPRowInfos;
};
