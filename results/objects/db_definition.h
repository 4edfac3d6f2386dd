#pragma once
// A reportable item of a model: the common part of streams, blender
// capacities and report-writer streams, and the plain definition held in a
// model's utility, unit, capacity and process-capacity lists.

#include <cstdint>
#include <string>
#include <vector>

#include "results/objects/db_object.h"

// A quality row of a unit ("PrUnitQuality", with the unit's identifier as
// "UnitID"); m_nID is "QualityID".
class CDbUnitQuality : public CDbObject {
 public:
  explicit CDbUnitQuality(std::int32_t id = -1, CVornDbExportData* owner = nullptr) : CDbObject(id), m_pDbData(owner) {}

  std::string m_strTag;                        // the quality's tag, for the fill
  double m_dMultiplierValue = 0.0;             // "MultiplierValue"
  std::uint8_t m_bQualityFlag = 1;             // "QualityFlag"
  std::int32_t m_nReportOrder = kDbNoReportOrder;  // "ReportOrder"
  CVornDbExportData* m_pDbData;

  // ---- Result-table writers (writers/).
  bool WritePrUnitQuality(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId, std::int32_t unitId);
};

using CDbUnitQualityArray = CAutoDestructArray<CPtrArray, CDbUnitQuality*>;

class CDbDefinition : public CDbObject {
 public:
  explicit CDbDefinition(const std::string& name) : CDbObject(name) {}
  // The packed tag as identifier; the second argument is not used.
  CDbDefinition(const std::string& tag, std::int32_t unused) : CDbObject(tag, unused) {}
  explicit CDbDefinition(std::int32_t id, CVornDbExportData* owner = nullptr) : CDbObject(id), m_pDbData(owner) {}
  ~CDbDefinition() override = default;

  static int CompareElements(const void* slotA, const void* slotB) { return CompareDbObjectName(slotA, slotB); }

  std::string m_strReportTag;    // "ReportTag" of streams; "Tag" of utilities, units, capacities...
  std::string m_strDescription;  // "Description" (cut to 20 by the writers)
  std::int32_t m_nReportOrder = kDbNoReportOrder;  // "ReportOrder"
  // "ReportFlag" of units, capacities and process capacities (a process
  // capacity's 2 is written as 1).
  std::int32_t m_nReportFlag = 1;
  std::uint8_t m_bMarginalFlag = 0;     // "MarginalFlag" of units
  std::uint8_t m_bSpecialUnitFlag = 0;  // "SpecialUnitFlag" of units
  std::uint8_t m_bCrudeUnitFlag = 0;    // "CrudeUnitFlag" of units
  std::uint8_t m_bBoughtFlag = 0;       // a utility with a "UTILBUY" row
  std::uint8_t m_bSoldFlag = 0;         // a utility with a "UTILSEL" row
  float m_fPenaltyPrice = 0.0f;         // price of a unit of slack of a capacity or process limit
  std::int32_t m_nWorkValue = 0;        // working value of the fill
  // The unit's quality rows; a process capacity with exactly one writes its
  // m_nID as "QualityID".
  CDbUnitQualityArray m_paUnitQualities;
  CVornDbExportData* m_pDbData = nullptr;
  std::vector<std::int32_t> m_aIntList1;  // working lists of the fill
  std::vector<std::int32_t> m_aIntList2;

  // ---- The result-table writers (writers/).
  // Kind 1 "PrUtility", 2 "PrCapacity", 3 "PrUnit", 4 "PrProcessCapacity"; kind 0 writes nothing.
  bool WritePrDefinition(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId, std::int32_t kind);
};

using CDbDefinitionArray = CAutoDestructArray<CPtrArray, CDbDefinition*>;
