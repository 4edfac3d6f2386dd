#pragma once
// The solver's binary solution file ("Solution.Fil", "solutionfil.fil" or a
// per-case name): a header and one record per LP row, then per LP column,
// read into the primal tree of the case (CDbSolution::m_paPrimalNodes: node,
// period, rows and columns by base name).
//
// Layout, little-endian, no padding: the header (104 bytes in single
// precision, 120 in double) holds the row count, the row-plus-column total,
// a header code, an unused word, the objective value and a two-character
// header text; each record holds a sequence id, a name of 9 (or 61) bytes, a
// status code and six reals. The model's settings choose the layout; the file
// does not say which it is, so the reader checks that the file is as long as
// its counts promise before it reads a record.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CDbCase;
class CDbSolution;
class CExtendedTagProcessor;
class CVornDbExportData;
class CVornModelFile;

// Message ids of the reader (program texts): bad counts, and a file that
// cannot be opened.
inline constexpr std::uint32_t kIdsBadSolutionFile = 282;      // %1: the path
inline constexpr std::uint32_t kIdsCannotOpenSolverFile = 2510;  // %1: the path

struct CSolutionFileLayout {
  bool m_bDoublePrecision = false;
  std::size_t m_nNameWidth = 9;  // 61 with UseNimboOn

  std::size_t HeaderSize() const { return m_bDoublePrecision ? 120 : 104; }
  std::size_t ValueSize() const { return m_bDoublePrecision ? 8 : 4; }
  std::size_t RecordSize() const { return 4 + m_nNameWidth + 4 + 6 * ValueSize(); }
};

// Double precision with UseNimboOn or UseZelunMGOn of the main model; long
// names with UseNimboOn of the model passed.
CSolutionFileLayout GetSolutionFileLayout(const CVornModelFile& mainModel, const CVornModelFile& model);

// One record as read: the values after the near-zero clamp, widened to double.
struct CSolutionFileRecord {
  std::int32_t m_nSequenceID = 0;
  std::string m_strName;
  std::int32_t m_nStatus = 0;
  double m_aValues[6] = {};
  bool m_bActivityAboveTolerance = false;  // |activity| > 1e-6 (in float for single precision)
};

struct CSolutionFileContents {
  std::int32_t m_nRowCount = 0;
  std::int32_t m_nColumnCount = 0;
  std::int32_t m_nHeaderCode = 0;
  double m_dObjectiveValue = 0.0;
  std::string m_strHeaderText;
  std::vector<CSolutionFileRecord> m_aRows;
  std::vector<CSolutionFileRecord> m_aColumns;
};

// Parses the bytes of a whole file. False, with the reason in error, when the
// row count is below 1, the total is below the row count, or the file is
// shorter than the header and the records its counts announce.
bool ParseSolutionFile(const std::string& bytes, const CSolutionFileLayout& layout, CSolutionFileContents& contents,
                       std::string& error);

// What the tree builder needs besides the records.
struct CPrimalTreeContext {
  std::int32_t m_nModelType = 0;
  CDbCase* m_pCase = nullptr;  // its periods sorted by name; m_pFirstPeriod names a single period
  std::vector<std::string> m_astrLocalModelNames;
  CExtendedTagProcessor* m_pTags = nullptr;  // null: a processor without aliases splits the names
  bool m_bUseExtendedTags = false;           // display names through the tag processor
  bool m_bUseZelunMG = false;
  std::vector<std::string> m_astrTransferColumns;  // "T" + the first six characters of each TRANSFER row
  bool m_bGlobalOptimizationBounding = false;
  std::vector<std::string> m_astrBoundingColumns;
  CVornDbExportData* m_pDbData = nullptr;  // owner of the nodes; receives the warnings
};

// Appends the records to the solution's primal tree and sorts it; stores the
// header into the solution.
void BuildPrimalTree(CDbSolution& solution, const CSolutionFileContents& contents, const CPrimalTreeContext& context);

// The status text of a record's code ("FR" "BS" "EQ" "UL" "LL", code 6 "??"
// when the comparison text equals shared text 2511 else "**", 7 two blanks,
// 8 "++", any other "").
std::string GetPrimalStatusText(const std::string& comparisonText, std::int32_t code);

// The path of the case's solution file; sends the chosen plain name to the
// owner window.
std::string GetSolutionFilePath(CVornDbExportData& exportData, const CVornModelFile& model, std::int32_t caseNumber);

// Reads the case's solution file into the solution's primal tree (what the
// result manager's ReadSolutionFile does). False after a reported failure:
// the file cannot be opened (2510) or its counts are impossible or not
// backed by its length (282).
bool ReadSolutionFile(CDbSolution& solution, CVornModelFile* model, CDbCase* dbCase,
                      const std::vector<std::string>& localModelNames);
