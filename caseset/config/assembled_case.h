#pragma once
// One case of the case set (CAssembledCase): its number and model, its flags
// for solution and matrix files, keyword switches, case tables and case
// settings, as the main application prepared it.

#include <cstdint>
#include <string>
#include <vector>

#include "caseset/config/case_setting.h"
#include "caseset/config/case_table.h"
#include "foundation/ptr_array.h"
#include "platform/object.h"

class CModelSettings;
class ILogging;

class CAssembledCase : public CObject {
 public:
  CAssembledCase(std::int32_t number, const std::string& modelName);

  // m_nModifies as "%d".
  std::string GetModifiesText() const;

  std::int32_t m_nSetParent = 0;
  std::int32_t m_nWeight = 0;
  std::int32_t m_nModifies = 0;
  std::int32_t m_nNumber;
  std::int32_t m_nOriginalNumber = 0;
  std::int32_t m_nLoadSol = 0;
  std::int32_t m_nLoadStrev = 0;
  std::int32_t m_nSaveSol = 0;
  std::int32_t m_nSaveStrev = 0;
  bool m_bGenerate = false;
  bool m_bAssembled = false;
  bool m_bLocalRawCase = false;
  bool m_bIgnoreKeyword = false;
  bool m_bExpertKeyword = false;
  bool m_bGenerateKeyword = false;
  bool m_bFBRKeyword = false;
  char m_cPeriod = '\0';
  std::string m_strTitle;
  std::string m_strModelName;
  std::string m_strSetNodeType;
  std::vector<std::int32_t> m_aModifies;
  std::vector<std::int32_t> m_aSetSiblings;
  std::vector<std::string> m_aErrors;
  std::vector<std::string> m_aGenerateReasons;
  CAutoDestructArray<CPtrArray, CCaseTable*> m_aCaseTables;      // sorted by name
  CAutoDestructArray<CPtrArray, CCaseSetting*> m_aCaseSettings;  // sorted by row
  std::string m_strSelFormulaTolerance;
  std::string m_strSelExp;
  std::string m_strSelModifiedExp;
  std::int32_t m_nSelValue = -1;

  // By number, then model name in byte order.
  static int CompareElements(const void* a, const void* b);
};

// Applies the case's setting rows to settings, in row order; rows for unknown
// settings change nothing. Each row is logged to log when given.
void ApplyCaseSettings(CModelSettings& settings, const CAssembledCase& assembledCase, ILogging* log);
