#pragma once
// A typed parameter of an external-model block: a user-equation variable with
// a value of one of five types, stored as a UserDefinedParameter element.

#include <string>
#include <vector>

#include "modelfile/user_defined_equation_variable.h"

class CUserDefinedParameter : public CUserDefinedEquationVariable {
 public:
  enum Type : int { kBool = 0, kInteger = 1, kDouble = 2, kString = 3, kStringList = 4, kNone = 5 };

  CUserDefinedParameter() { m_bDisplayFlag = true; }
  explicit CUserDefinedParameter(const std::string& name) : CUserDefinedEquationVariable(name) {
    m_bDisplayFlag = true;
  }
  ~CUserDefinedParameter() override;

  // Appends a UserDefinedParameter element (type and value only) to parent.
  void WriteXml(plat::XmlNode& parent) const override;
  // Reads the variable's children of element, then the type and value.
  void ReadXml(const plat::XmlNode& element) override;

  // The value as text: "true"/"false", "%d", "%.4g", the string, or the list joined with ",".
  std::string GetValueText() const;
  // Unless fixed, copies other's value of this parameter's type (a list is not copied).
  bool CopyValue(const CUserDefinedParameter& other);

  std::string m_strText;
  int m_nType = kNone;
  bool m_bValue = false;
  int m_nValue = 0;
  double m_dParameterValue = 0.0;
  std::string m_strValue;
  std::vector<std::string> m_listValues;
  bool m_bFixed = false;
  std::string m_strText2;
};
