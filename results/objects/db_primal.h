#pragma once
// The primal values of a case read from the solver's solution file: per
// node (CDbPrimalNode) and period (CDbPrimalPeriod) the LP rows
// ("PrPrimalRow") and columns ("PrPrimalColumn") as CDbPrimal.

#include <cstdint>
#include <string>

#include "results/objects/db_object.h"

class CDbCase;

// One LP row or column of a period, ordered by its name.
class CDbPrimal : public CObject {
 public:
  explicit CDbPrimal(const std::string& name) : m_strName(name) {}
  static int CompareElements(const void* slotA, const void* slotB);

  std::string m_strName;       // as given; the order key
  std::string m_strAliasName;  // "RowName" / "ColumnName" (cut to 128)
  std::string m_strShortName;  // the name as stored in the solution file
  std::int32_t m_nSequenceID = -1;  // "SequenceID"
  std::string m_strStatus;     // "Status": the two-letter basis status
  double m_dActivity = kDbNotSet;       // "Activity"
  double m_dSlack = kDbNotSet;          // "Slack" of rows, "Cost" of columns
  double m_dLoRHS = kDbNotSet;          // "LoRHS" / "LoBound"
  double m_dHiRHS = kDbNotSet;          // "HiRHS" / "HiBound"
  double m_dMarginalValue = kDbNotSet;  // "MarginalValue"
  double m_dWorkValue = 0.0;            // working value of the fill
  std::int16_t m_nVWBasisConverted = 0;  // "VWBasisConverted" of rows: 1 when this is 1, else 0
  double m_dSalePrice = 0.0;  // a sale column's price given by the local sale builder; 0 when none
};

using CDbPrimalArray = CAutoDestructArray<CPtrArray, CDbPrimal*>;

// The primal values of one period; m_paActiveCostColumns is a view of
// m_paColumns (the columns of non-zero cost and activity above 1e-6).
class CDbPrimalPeriod : public CObject {
 public:
  explicit CDbPrimalPeriod(const std::string& name) : m_strName(name) { m_paActiveCostColumns.m_bOwnsElements = 0; }
  static int CompareElements(const void* slotA, const void* slotB);

  std::int32_t m_nID = -999;  // "PeriodID" once set
  std::string m_strName;      // the period tag
  CDbPrimalArray m_paRows;     // "PrPrimalRow"
  CDbPrimalArray m_paColumns;  // "PrPrimalColumn"
  CDbPrimalArray m_paActiveCostColumns;
};

// The primal values of one node, ordered by the node's name.
class CDbPrimalNode : public CObject {
 public:
  explicit CDbPrimalNode(const std::string& name, CVornDbExportData* owner = nullptr)
      : m_strName(name), m_pDbData(owner) {}
  // By name, case-sensitive.
  static int ComparePrimalNodeName(const void* slotA, const void* slotB);
  static int CompareElements(const void* slotA, const void* slotB) { return ComparePrimalNodeName(slotA, slotB); }

  // The KPIs whose tags begin "MARGVAL", "DJ" and "PI"; -1 when there is none.
  std::int32_t m_nMargValKpiID = -1;
  std::int32_t m_nDJKpiID = -1;
  std::int32_t m_nPIKpiID = -1;
  std::string m_strName;
  CAutoDestructArray<CPtrArray, CDbPrimalPeriod*> m_paPeriods;
  CVornDbExportData* m_pDbData;

  // ---- The result-table writers (writers/): the primal rows and columns of the
  // node, with their report rows and the node's marginal-value KPI values.
  bool WritePrPrimal(std::int32_t solutionId, CDbCase* dbCase);
};
