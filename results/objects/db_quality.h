#pragma once
// Qualities (properties) of a model ("PrQuality") and its units of measure ("PrUOMType").

#include <cstdint>
#include <string>

#include "results/objects/db_object.h"

class CDbQuality : public CDbObject {
 public:
  explicit CDbQuality(const std::string& name) : CDbObject(name) {}
  CDbQuality(std::int32_t id, CVornDbExportData* owner) : CDbObject(id), m_pDbData(owner) {}
  static int CompareElements(const void* a, const void* b) { return CompareDbObjectName(a, b); }

  std::string m_strReportTag;                      // "ReportTag"
  std::string m_strDescription;                    // "Description" (cut to 20 by the writer)
  double m_dLowerLimit = kDbNotSet;                // "LowerLimit"
  double m_dUpperLimit = kDbNotSet;                // "UpperLimit"
  std::int32_t m_nReportOrder = kDbNoReportOrder;  // "ReportOrder" (short)
  std::string m_strShortTag;                       // a copy of the tag
  std::string m_strDomainTag;                      // "DomainTag"
  std::int32_t m_nVWBasisID = 0;                   // "VWBasisID" (short)
  float m_fFactor = 1.0f;                          // a ratio the quality fill computes
  std::int32_t m_nWorkValue1 = 0;                  // working values of the quality fill
  std::uint8_t m_bWorkFlag = 0;
  std::int16_t m_nWorkShort = 0;
  std::string m_strQualityNote;                    // the quality fill starts it as a blank
  std::int32_t m_nWorkValue2 = 0;
  std::int32_t m_nWorkValue3 = 0;
  std::int32_t m_nWorkValue4 = 0;
  CVornDbExportData* m_pDbData = nullptr;
  // The local quality definitions use m_fFactor as the scale factor,
  // m_strQualityNote as the susceptibility utility tag and m_nWorkValue2 /
  // m_nWorkValue3 as the interaction quality and stream.
  float m_fPenaltyPrice = 0.0f;  // the "PENALTY" of the table "SCALE"
  // ---- Blend-quality builder flags (solutionfill/core/).
  std::uint8_t m_bNRowDone = 0;  // a minimum row of the quality was handled in the current blend column
  std::uint8_t m_bXRowDone = 0;  // a maximum row likewise
  std::uint8_t m_bHasPRow = 0;   // the quality has a property row in BLNSPEC

  // ---- Result-table writers (writers/).
  bool WritePrQuality(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId);
};

// A unit of measure: m_nID is "UOMTypeID" (short), m_strName "Description".
class CDbUOM : public CDbObject {
 public:
  explicit CDbUOM(const std::string& name) : CDbObject(name) {}
  static int CompareElements(const void* a, const void* b) { return CompareDbObjectName(a, b); }

  double m_dSTDCONV = 1.0;  // "STDCONV"
  CVornDbExportData* m_pDbData = nullptr;

  // ---- Result-table writers (writers/).
  bool WritePrUOMType(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId);
};

using CDbQualityArray = CAutoDestructArray<CPtrArray, CDbQuality*>;
