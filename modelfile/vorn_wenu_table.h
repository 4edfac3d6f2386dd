#pragma once
// One entry of a model's WenuTables section (an exchange table), read and
// written only.

#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"
#include "platform/xml_dom.h"

class CVornWenuTable : public CObject {
 public:
  std::string m_strName;
  std::string m_strSpreadSheet;
  std::string m_strCaseFile;
  std::string m_strProcName;
  std::string m_strHostName;
  bool m_bEnabled = true;
  bool m_bUseDatabaseServer = false;
  bool m_bKeepDatabaseServerAround = false;

  // Fills the entry from a "WenuTable" element; a missing child leaves the
  // constructor's value.
  void ReadXml(const plat::XmlNode& wenuTable);
  // Appends a "WenuTable" element with its eight children to parent.
  void WriteXml(plat::XmlNode& parent) const;

  // By name, then spreadsheet, case-sensitive.
  static int CompareElements(const void* a, const void* b);
};
