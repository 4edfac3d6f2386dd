#pragma once
// The smaller model-level items: alternates of streams and utilities
// ("PrAlternateStream", "PrAlternateUtility"), alternate crudes, fixed costs
// ("PrFixedCost"), KPI definitions ("PrKpi", "PrKpiAnchor"), report-writer
// units ("PrRWUnit"), the pools and qualities of property calculation, and
// the boxed integer lists of the builders.

#include <cstdint>
#include <string>
#include <vector>

#include "results/objects/db_object.h"
#include "results/objects/db_stream.h"

// m_nID is "StreamID" / "UtilityID", m_strName the item's tag.
class CDbAlternate : public CDbObject {
 public:
  explicit CDbAlternate(const std::string& name) : CDbObject(name) {}
  static int CompareElements(const void* a, const void* b) { return CompareDbObjectName(a, b); }

  std::int32_t m_nAlternateNodeID = -1;    // "AlternateNodeID" (streams only)
  std::int32_t m_nAlternateStreamID = -1;  // "AlternateStreamID" / "AlternateUtilityID"
  std::string m_strAlternateTag;           // not written
  CVornDbExportData* m_pDbData = nullptr;

  // ---- The result-table writers (writers/).
  // "PrAlternateStream" with the stream flag set, else "PrAlternateUtility".
  bool WritePrAlternate(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId, bool stream);
};

// An alternate crude with its streams.
class CDbAltCrude : public CDbObject {
 public:
  explicit CDbAltCrude(const std::string& name) : CDbObject(name) {}
  static int CompareElements(const void* a, const void* b) { return CompareDbObjectName(a, b); }

  CDbStreamArray m_paStreams;
  CVornDbExportData* m_pDbData = nullptr;
};

// A fixed cost: m_nID is "SequenceID".
class CDbFixedCost : public CDbObject {
 public:
  explicit CDbFixedCost(std::int32_t id = -1, CVornDbExportData* owner = nullptr) : CDbObject(id), m_pDbData(owner) {}

  double m_dValue = kDbNotSet;   // "Value"
  std::string m_strDescription;  // "Description" (cut to 20 by the writer)
  CVornDbExportData* m_pDbData;

  // ---- The result-table writers (writers/).
  bool WritePrFixedCost(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId);
};

// A KPI definition, ordered by its tag.
class CDbKpi : public CObject {
 public:
  explicit CDbKpi(const std::string& tag, CVornDbExportData* owner = nullptr) : m_strTag(tag), m_pDbData(owner) {}
  static int CompareElements(const void* slotA, const void* slotB);

  std::string m_strTag;                            // "Tag"
  std::string m_strReportTag;                      // "ReportTag"
  std::string m_strDescription;                    // "Description" (cut to 20 by the writer)
  std::int32_t m_nKpiID = -1;                      // "KpiID"
  std::int32_t m_nReportOrder = kDbNoReportOrder;  // "ReportOrder"
  double m_dYellowValue = kDbNotSet;               // "YellowValue"
  double m_dRedValue = kDbNotSet;                  // "RedValue"
  std::uint8_t m_bFlag1 = 0;                       // flags of the KPI builder
  std::uint8_t m_bFlag2 = 0;
  CVornDbExportData* m_pDbData;

  // ---- Result-table writers (writers/).
  bool WritePrKpiAnchor(std::int32_t solutionId, std::int32_t caseId, std::int32_t nodeId);

  // ---- The result-table writers (writers/).
  bool WritePrKpi(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId);
};

// A report-writer unit: m_nID is "UnitID", m_strName its report mask.
class CDbRwUnit : public CDbObject {
 public:
  explicit CDbRwUnit(const std::string& name) : CDbObject(name) {}
  static int CompareElements(const void* a, const void* b) { return CompareDbObjectName(a, b); }

  std::uint8_t m_bWildcard = 0;                    // the mask holds "*"
  std::string m_strTag;                            // "Tag"
  std::string m_strDescription;                    // "Description" (cut to 20 by the writer)
  std::int32_t m_nReportOrder = kDbNoReportOrder;  // "ReportOrder" (short), set by the fill
  std::vector<std::int32_t> m_aMembers;
  CVornDbExportData* m_pDbData = nullptr;

  // ---- Result-table writers (writers/).
  bool WritePrRWUnit(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId);
};

// One non-blank "PCALC" cell under a computed quality.
class CnPCALCedPool : public CObject {
 public:
  explicit CnPCALCedPool(const std::string& tag) : m_strTag(tag) {}
  static int CompareElements(const void* slotA, const void* slotB);

  std::string m_strTag;          // the other three characters of the row name
  double m_dValue = kDbNotSet;   // the cell's value
  double m_dWorkValue = 0.0;     // working value of the fill
};

// A quality computed by property calculation (a "PCALC" column).
class CPCALCingQuality : public CObject {
 public:
  explicit CPCALCingQuality(const std::string& tag) : m_strTag(tag) {}
  static int CompareElements(const void* slotA, const void* slotB);

  std::string m_strTag;
  CAutoDestructArray<CPtrArray, CnPCALCedPool*> m_paPools;
};

// A pool whose qualities are computed by property calculation.
class CPCALCingPool : public CObject {
 public:
  explicit CPCALCingPool(const std::string& tag) : m_strTag(tag) {}
  static int CompareElements(const void* slotA, const void* slotB);

  std::string m_strTag;  // three characters of a "PCALC" row name
  CAutoDestructArray<CPtrArray, CPCALCingQuality*> m_paQualities;
};

// An integer key with the identifiers the builders collect under it.
class CDbInt : public CObject {
 public:
  explicit CDbInt(std::int32_t id = -1) : m_nID(id) {}
  static int CompareElements(const void* slotA, const void* slotB);

  std::int32_t m_nID;
  std::vector<std::int32_t> m_lstValues;
};
