#pragma once
// The Trancol export of a case: the solver's Trancol sensitivity file is read
// into rows (the reduced-cost row "DJ", then one row per basis variable with
// its cost and its sensitivities to the non-basis variables), removed, and
// written into PrTrancolBasis and PrTrancolNonBasis of the results database.

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/ptr_array.h"
#include "platform/object.h"

class CVornDbExport;
class CVornDbExportData;

// Message ids of the Trancol export (the program's string table); %s: the case label.
inline constexpr std::uint32_t kIdsTrancolWriting = 11001;
inline constexpr std::uint32_t kIdsTrancolCreating = 11002;
inline constexpr std::uint32_t kIdsTrancolNumericallySingular = 11003;
inline constexpr std::uint32_t kIdsTrancolConfiguration = 11004;
inline constexpr std::uint32_t kIdsTrancolEvaluationError = 11005;
inline constexpr std::uint32_t kIdsTrancolStructurallySingular = 11006;
inline constexpr std::uint32_t kIdsTrancolDamagedFile = 11007;

// A row of the report: entry 0 is its cost, entry k its value for the k-th non-basis variable.
class CTranColRow : public CObject {
 public:
  explicit CTranColRow(std::string name) : m_strName(std::move(name)) {}
  static int CompareElements(const void* a, const void* b);

  std::string m_strName;
  std::vector<double> m_values;
};
using CTranColRowArray = CAutoDestructArray<CPtrArray, CTranColRow*>;

// An LP column name; a sorted array of them tells column names from row names.
class CLPCol : public CObject {
 public:
  explicit CLPCol(std::string name) : m_strName(std::move(name)) {}
  static int CompareElements(const void* a, const void* b);

  std::string m_strName;
};
using CLPColArray = CAutoDestructArray<CPtrArray, CLPCol*>;

// "Base Case" below 1, else "Case <n>".
std::string TrancolCaseLabel(int caseNumber);

// Exports the Trancol file of caseNumber in the main model's directory
// (deleteOnly: only removes it). True when rows were built and the table
// writer ran; false when the file is missing, damaged, reports a failed
// calculation or holds no basis or no non-basis entry, and for deleteOnly.
// The file is removed in every case once it was looked for.
bool ExportTrancolFile(CVornDbExport& exportData, int caseNumber, const CLPColArray* lpColumns, bool deleteOnly);

// Writes the rows: columns[0] is "Cost", columns[k] names entry k of every
// row. False at the first failing table operation.
bool WriteTrancolTables(CVornDbExportData& exportData, const CTranColRowArray& rows,
                        const std::vector<std::string>& columns, const CLPColArray* lpColumns);
