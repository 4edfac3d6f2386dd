#include "modelfile/user_defined_equation_variable.h"

#include "modelfile/xml_text.h"

CUserDefinedEquationVariable::~CUserDefinedEquationVariable() = default;

int CUserDefinedEquationVariable::CompareElements(const void* slotA, const void* slotB) {
  return CompareKeys(SlotElement<CUserDefinedEquationVariable>(slotA)->m_strName,
                     SlotElement<CUserDefinedEquationVariable>(slotB)->m_strName);
}

void CUserDefinedEquationVariable::WriteXml(plat::XmlNode& parent) const {
  using xml_text::Bool;
  using xml_text::Double;
  plat::XmlNode v = parent.AppendElement("UserEquationVariable");
  v.AppendTextElement("IsNew", Bool(m_bIsNew));
  v.AppendTextElement("IsPeriodic", Bool(m_bIsPeriodic));
  v.AppendTextElement("VariableType", m_strVariableType);
  v.AppendTextElement("Name", m_strName);
  v.AppendTextElement("VornName", m_strVornName);
  v.AppendTextElement("Description", m_strDescription);
  v.AppendTextElement("Min", Double(m_dMin));
  v.AppendTextElement("Max", Double(m_dMax));
  v.AppendTextElement("MinProcess", Double(m_dMinProcess));
  v.AppendTextElement("MaxProcess", Double(m_dMaxProcess));
  v.AppendTextElement("ObjFn", Double(m_dObjFn));
  v.AppendTextElement("Initial", Double(m_dInitial));
  v.AppendTextElement("IsIndependent", Bool(m_bIsIndependent));
  v.AppendTextElement("Expanded", Bool(m_bExpanded));
  v.AppendTextElement("Value", Double(m_dValue));
  v.AppendTextElement("BlockControlVar", Bool(m_bBlockControlVar));
  v.AppendTextElement("DisplayFlag", Bool(m_bDisplayFlag));
  for (double value : m_periodicMin) v.AppendTextElement("PeriodicMin", Double(value));
  for (double value : m_periodicMax) v.AppendTextElement("PeriodicMax", Double(value));
  for (double value : m_periodicObjFn) v.AppendTextElement("PeriodicObjFn", Double(value));
  for (double value : m_periodicInitial) v.AppendTextElement("PeriodicInitial", Double(value));
}

void CUserDefinedEquationVariable::ReadXml(const plat::XmlNode& element) {
  using xml_text::ParseBool;
  using xml_text::ParseDouble;
  for (const plat::XmlNode& child : element.ChildElements()) {
    const std::string name = child.Name();
    const std::string text = child.Text();
    if (name == "IsNew") m_bIsNew = ParseBool(text);
    else if (name == "IsPeriodic") m_bIsPeriodic = ParseBool(text);
    else if (name == "VariableType") m_strVariableType = text;
    else if (name == "Name") m_strName = text;
    else if (name == "VornName") m_strVornName = text.empty() ? m_strName : text;
    else if (name == "Description") m_strDescription = text;
    else if (name == "Min") m_dMin = ParseDouble(text);
    else if (name == "Max") m_dMax = ParseDouble(text);
    else if (name == "MinProcess") m_dMinProcess = ParseDouble(text);
    else if (name == "MaxProcess") m_dMaxProcess = ParseDouble(text);
    else if (name == "ObjFn") m_dObjFn = ParseDouble(text);
    else if (name == "Initial") m_dInitial = ParseDouble(text);
    else if (name == "IsIndependent") m_bIsIndependent = ParseBool(text);
    else if (name == "Expanded") m_bExpanded = ParseBool(text);
    else if (name == "Value") m_dValue = ParseDouble(text);
    else if (name == "BlockControlVar") m_bBlockControlVar = ParseBool(text);
    else if (name == "DisplayFlag") m_bDisplayFlag = ParseBool(text);
    else if (name == "PeriodicMin") m_periodicMin.push_back(ParseDouble(text));
    else if (name == "PeriodicMax") m_periodicMax.push_back(ParseDouble(text));
    else if (name == "PeriodicObjFn") m_periodicObjFn.push_back(ParseDouble(text));
    else if (name == "PeriodicInitial") m_periodicInitial.push_back(ParseDouble(text));
  }
}
