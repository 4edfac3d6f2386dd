#pragma once
// The solver's binary solution file ("Solution.Fil", "solutionfil.fil" or a
// per-case name): a header and one record per LP row, then per LP column,
// read into the primal tree of the case (CDbSolution::m_paPrimalNodes: node,
// period, rows and columns by base name).
// The model's settings choose the layout (solution_file_parser.h); the file
// does not say which it is.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "solutionfill/core/solution_file_parser.h"

class CDbCase;
class CDbSolution;
class IUnifiedTagsManager;
namespace IUnifiedTagsManagerWrapper {
class CWrapper;
}
class CExtendedTagProcessor;
class CVornDbExportData;
class CVornModelFile;

// Message ids of the solver file readers (program texts): counts a file
// cannot hold, and a file that cannot be opened.
inline constexpr std::uint32_t kIdsDamagedSolverFile = 282;      // %1: the path
inline constexpr std::uint32_t kIdsCannotOpenSolverFile = 2510;  // %1: the path

// A solver file that is there but cannot be read whole (message id above,
// then detail when given): shows the message and fails the case that reads it
// with the same text. False.
bool ShowSolverFileFailure(std::uint32_t id, const std::string& path, const std::string& detail = std::string());

// Double precision with UseNimboOn or UseZelunMGOn of the main model; long
// names with UseNimboOn of the model passed.
CSolutionFileLayout GetSolutionFileLayout(const CVornModelFile& mainModel, const CVornModelFile& model);

// What the tree builder needs besides the records.
struct CPrimalTreeContext {
  std::int32_t m_nModelType = 0;
  CDbCase* m_pCase = nullptr;  // its periods sorted by name; m_pFirstPeriod names a single period
  std::vector<std::string> m_astrLocalModelNames;
  CExtendedTagProcessor* m_pTags = nullptr;  // null: a processor without aliases splits the names
  bool m_bUseExtendedTags = false;           // display names through the tag processor
  // With extended tags, when set: display names through the unified-tags wrapper instead.
  const IUnifiedTagsManagerWrapper::CWrapper* m_pUnifiedTags = nullptr;
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
// backed by its length (282). unifiedTags is the result manager's
// unified-tags handle, null when it holds none: with one, a wrapper of the
// utility library names the rows and columns for the whole read.
bool ReadSolutionFile(CDbSolution& solution, CVornModelFile* model, CDbCase* dbCase,
                      const std::vector<std::string>& localModelNames,
                      const IUnifiedTagsManager* unifiedTags = nullptr);
