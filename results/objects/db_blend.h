#pragma once
// Blends of a model with their targets ("PrBlend", "PrBlendTarget"), blender
// capacities ("PrBlenderCapacity" and its members), crude-blend components
// ("PrCrdBlend"), reformulated-fuel blends ("PrRFGBlend") and report-writer
// blends ("PrRWBlend").

#include <cstdint>
#include <string>

#include "results/objects/db_definition.h"

// A target of a blend: m_nID is the target stream ("StreamID").
class CDbBlendTarget : public CDbObject {
 public:
  explicit CDbBlendTarget(std::int32_t id = -1) : CDbObject(id) {}

  float m_fTargetValue = kDbNotSetF;  // "Value"
};

class CDbBlend : public CDbObject {
 public:
  explicit CDbBlend(const std::string& name) : CDbObject(name) {}
  CDbBlend(std::int32_t id, CVornDbExportData* owner) : CDbObject(id), m_pDbData(owner) {}
  static int CompareElements(const void* a, const void* b) { return CompareDbObjectName(a, b); }

  std::int32_t m_nBlendTypeID = 0;                 // "BlendTypeID"
  std::int32_t m_nReportOrder = kDbNoReportOrder;  // "ReportOrder"
  CAutoDestructArray<CPtrArray, CDbBlendTarget*> m_paTargets;  // "PrBlendTarget"
  CVornDbExportData* m_pDbData = nullptr;

  // ---- Result-table writers (writers/).
  // One "PrBlendTarget" record per target.
  bool WritePrBlendTarget(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId);
};

// A blender capacity (m_nID "BlenderCapacityID"); its blends are a view of
// the model's m_paBlends and never owned.
class CDbBlenderCapacity : public CDbDefinition {
 public:
  explicit CDbBlenderCapacity(std::int32_t id, CVornDbExportData* owner = nullptr) : CDbDefinition(id, owner) {
    m_paBlends.m_bOwnsElements = 0;
  }

  std::int32_t m_nBlenderWorkValue = 0;  // working value of the fill
  CAutoDestructArray<CPtrArray, CDbBlend*> m_paBlends;  // one "PrBlenderCapacityMember" row each

  // ---- Result-table writers (writers/).
  // One "PrBlenderCapacityMember" record per blend.
  bool WritePrBlenderCapacityMember(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId);

  // ---- The result-table writers (writers/).
  bool WritePrBlenderCapacity(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId);
};

// One component of a crude blend: m_nID is "BlendID".
class CDbCrdBlend : public CDbObject {
 public:
  explicit CDbCrdBlend(std::int32_t id = -1, CVornDbExportData* owner = nullptr) : CDbObject(id), m_pDbData(owner) {}

  std::int32_t m_nStreamID = -1;  // "StreamID"
  double m_dValue = kDbNotSet;    // "Value"
  CVornDbExportData* m_pDbData;
};

// A reformulated-fuel blend: m_nID is "BlendID"; the identifiers are written as short integers.
class CDbRFGBlend : public CDbObject {
 public:
  explicit CDbRFGBlend(std::int32_t id = -1, CVornDbExportData* owner = nullptr) : CDbObject(id), m_pDbData(owner) {}
  static int CompareElements(const void* a, const void* b) { return CompareDbObjectName(a, b); }

  std::int32_t m_nRFGBlendTypeID = 0;  // "RFGBlendTypeID", set by the fill
  std::int32_t m_nRFGAreaID = 0;       // "RFGAreaID"
  std::int32_t m_nRFGPhaseID = 0;      // "RFGPhaseID"
  std::int32_t m_nRFGSeasonID = 0;     // "RFGSeasonID"
  std::int32_t m_nRFGEquationID = 0;   // "RFGEquationID"
  std::int32_t m_nPeriodID = 0;        // "PeriodID"
  CVornDbExportData* m_pDbData;

  // ---- Result-table writers (writers/).
  bool WritePrRFGBlend(std::int32_t solutionId, std::int32_t caseId, std::int32_t nodeId);
};

// A report-writer blend; look-ups use a probe made from a name the same way.
class CDbRwBlend : public CDbObject {
 public:
  explicit CDbRwBlend(const std::string& name) : CDbObject(name) {}
  static int CompareElements(const void* a, const void* b) { return CompareDbObjectName(a, b); }

  // 1 on a blend collapsed into a report-writer blend group and on that group's own blend.
  std::uint8_t m_bGrouped = 0;
  CVornDbExportData* m_pDbData = nullptr;
};
