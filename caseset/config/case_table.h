#pragma once
// One case table of an assembled case (CCaseTable): the changes a case makes
// to a model table, with its values (CCaseValue) and texts (CCaseText).

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/ptr_array.h"
#include "platform/object.h"

class CCaseValue : public CObject {
 public:
  std::string m_strRow;
  std::string m_strColumn;
  std::int32_t m_nValue1 = 0;
  double m_dValue = 1e30;
  char m_cValue = '\0';
  std::int32_t m_nValue2 = 0;

  // By row, then column, in byte order.
  static int CompareElements(const void* a, const void* b);
};

class CCaseText : public CObject {
 public:
  std::string m_strRow;
  std::string m_strText;

  // By row in byte order.
  static int CompareElements(const void* a, const void* b);
};

class CCaseTable : public CObject {
 public:
  CCaseTable(const std::string& name, std::int32_t caseNumber);

  std::int32_t m_nCaseNumber;
  std::string m_strName;
  bool m_bAssembled = false;
  bool m_bReplace = false;
  bool m_bReplaceAll = false;
  std::vector<std::string> m_aCrossTabLines;
  CAutoDestructArray<CPtrArray, CCaseValue*> m_aValues;  // sorted by row, column
  CAutoDestructArray<CPtrArray, CCaseText*> m_aTexts;    // sorted by row

  // By name in byte order.
  static int CompareElements(const void* a, const void* b);

  // Adds the value entries of the cross-tab lines: a line
  // "row<TAB>column<TAB>number" gives the entry (row, column, number); a later
  // line of the same row and column replaces an earlier one, and any other
  // line gives none.
  void ReadCrossTabValues();
};
