#include "modelfile/user_defined_equation.h"

#include <cmath>

#include "modelfile/xml_text.h"

namespace {

double Sqrt(double x) { return std::sqrt(x); }
double Abs(double x) { return std::fabs(x); }
double Ln(double x) { return std::log(x); }
double Lg(double x) { return std::log10(x); }
double Exp(double x) { return std::exp(x); }

const CExpEval::FunctionEntry kFunctions[] = {
    {"sqrt", &Sqrt}, {"abs", &Abs}, {"ln", &Ln}, {"lg", &Lg}, {"exp", &Exp},
};

}  // namespace

CUserDefinedEquation::CUserDefinedEquation() { m_linkedVariables.m_bOwnsElements = 0; }

CUserDefinedEquation::~CUserDefinedEquation() = default;

int CUserDefinedEquation::Evaluate(double* result) {
  if (!m_bCompiled) {
    int out = 0;
    Compile(&out);
  }
  return CExpEval::Evaluate(result);
}

void CUserDefinedEquation::GetFunctionTable(const FunctionEntry** table, int* count) {
  *table = kFunctions;
  *count = static_cast<int>(std::size(kFunctions));
}

bool CUserDefinedEquation::IsSuppressed(bool withParents) const {
  if (m_bIsSuppressed) return true;
  return withParents && m_pParent != nullptr && m_pParent->IsSuppressed(true);
}

void CUserDefinedEquation::SetSuppressed(bool value, bool /*recurse*/) { m_bIsSuppressed = value; }

bool CUserDefinedEquation::FitsLength() const {
  return m_strRow.size() + GetExpression().size() + 8 < kMaxRowLength;
}

void CUserDefinedEquation::ResolveVariables(const CUserDefinedEquationVariableArray& sortedVariables) {
  m_linkedVariables.RemoveAll();
  for (const std::string& name : m_variableNames) {
    CUserDefinedEquationVariable probe(name);
    if (CUserDefinedEquationVariable* found = sortedVariables.Find(&probe)) m_linkedVariables.Add(found);
  }
  m_linkedVariables.Sort(&CUserDefinedEquationVariable::CompareElements);
}

void CUserDefinedEquation::WriteXml(plat::XmlNode& parent) const {
  using xml_text::Bool;
  plat::XmlNode e = parent.AppendElement("UserEquation");
  e.AppendTextElement("Row", m_strRow);
  e.AppendTextElement("ParentGroup", m_pParent != nullptr ? m_pParent->GetName() : std::string());
  e.AppendTextElement("Index", std::to_string(m_nIndex));
  e.AppendTextElement("IsNew", Bool(m_bIsNew));
  e.AppendTextElement("IsPeriodic", Bool(m_bIsPeriodic));
  e.AppendTextElement("IsSuppressed", Bool(m_bIsSuppressed));
  e.AppendTextElement("EquationType", m_strEquationType);
  e.AppendTextElement("RowDescription", m_strRowDescription);
  e.AppendTextElement("Equation", GetExpression());
  e.AppendTextElement("RHS", xml_text::Double(m_dRHS));
  for (double value : m_periodicRHS) e.AppendTextElement("PeriodicRHS", xml_text::Double(value));
  for (const CUserDefinedEquationVariable* variable : m_linkedVariables)
    e.AppendTextElement("EquationVariable", variable->m_strName);
}

void CUserDefinedEquation::ReadXml(const plat::XmlNode& element) {
  for (const plat::XmlNode& child : element.ChildElements()) {
    const std::string name = child.Name();
    const std::string text = child.Text();
    if (name == "Row") m_strRow = text;
    else if (name == "ParentGroup") m_strParentGroup = text;
    else if (name == "Index") m_nIndex = xml_text::ParseInt(text);
    else if (name == "IsNew") m_bIsNew = xml_text::ParseBool(text);
    else if (name == "IsPeriodic") m_bIsPeriodic = xml_text::ParseBool(text);
    else if (name == "IsSuppressed") m_bIsSuppressed = xml_text::ParseBool(text);
    else if (name == "EquationType") m_strEquationType = text.empty() ? "Free" : text;
    else if (name == "RowDescription") m_strRowDescription = text;
    else if (name == "Equation") SetExpression(text.c_str());
    else if (name == "RHS") m_dRHS = xml_text::ParseDouble(text);
    else if (name == "PeriodicRHS") m_periodicRHS.push_back(xml_text::ParseDouble(text));
    else if (name == "EquationVariable") m_variableNames.push_back(text);
  }
}
