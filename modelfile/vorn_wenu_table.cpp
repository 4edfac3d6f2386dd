#include "modelfile/vorn_wenu_table.h"

#include <cstdlib>

namespace {

bool ReadFlag(const plat::XmlNode& node) { return std::atoi(node.Text().c_str()) != 0; }

}  // namespace

void CVornWenuTable::ReadXml(const plat::XmlNode& wenuTable) {
  for (const plat::XmlNode& child : wenuTable.ChildNodes()) {
    const std::string name = child.Name();
    if (name == "Name") m_strName = child.Text();
    else if (name == "SpreadSheet") m_strSpreadSheet = child.Text();
    else if (name == "CaseFile") m_strCaseFile = child.Text();
    else if (name == "ProcName") m_strProcName = child.Text();
    else if (name == "HostName") m_strHostName = child.Text();
    else if (name == "Enabled") m_bEnabled = ReadFlag(child);
    else if (name == "UseDatabaseServer") m_bUseDatabaseServer = ReadFlag(child);
    else if (name == "KeepDatabaseServerAround") m_bKeepDatabaseServerAround = ReadFlag(child);
  }
}

void CVornWenuTable::WriteXml(plat::XmlNode& parent) const {
  plat::XmlNode entry = parent.AppendElement("WenuTable");
  entry.AppendTextElement("Name", m_strName);
  entry.AppendTextElement("SpreadSheet", m_strSpreadSheet);
  entry.AppendTextElement("CaseFile", m_strCaseFile);
  entry.AppendTextElement("ProcName", m_strProcName);
  entry.AppendTextElement("HostName", m_strHostName);
  entry.AppendTextElement("Enabled", m_bEnabled ? "1" : "0");
  entry.AppendTextElement("UseDatabaseServer", m_bUseDatabaseServer ? "1" : "0");
  entry.AppendTextElement("KeepDatabaseServerAround", m_bKeepDatabaseServerAround ? "1" : "0");
}

int CVornWenuTable::CompareElements(const void* a, const void* b) {
  const CVornWenuTable* left = SlotElement<CVornWenuTable>(a);
  const CVornWenuTable* right = SlotElement<CVornWenuTable>(b);
  const int c = CompareKeys(left->m_strName, right->m_strName);
  return c != 0 ? c : CompareKeys(left->m_strSpreadSheet, right->m_strSpreadSheet);
}
