#pragma once
// A variable of the user-defined equations, and its UserEquationVariable
// element of the model file.

#include <string>
#include <vector>

#include "foundation/ptr_array.h"
#include "platform/object.h"
#include "platform/xml_dom.h"

class CUserDefinedEquationVariable : public CObject {
 public:
  CUserDefinedEquationVariable() = default;
  explicit CUserDefinedEquationVariable(const std::string& name) : m_strName(name), m_strVornName(name) {}
  ~CUserDefinedEquationVariable() override;

  // Appends a UserEquationVariable element to parent.
  virtual void WriteXml(plat::XmlNode& parent) const;
  // Reads the variable's children of element (any order; VornName after Name).
  virtual void ReadXml(const plat::XmlNode& element);

  // Orders variables by Name (case-sensitive).
  static int CompareElements(const void* slotA, const void* slotB);

  bool m_bIsNew = false;
  bool m_bIsPeriodic = false;
  bool m_bIsIndependent = false;
  bool m_bExpanded = false;
  bool m_bBlockControlVar = false;
  bool m_bDisplayFlag = false;
  std::string m_strVariableType;
  std::string m_strName;
  std::string m_strDescription;
  std::string m_strVornName;
  std::string m_strBlock;  // set by the external-model engine, not stored in the model file
  double m_dMin = 0.0;
  double m_dMax = 1e30;
  double m_dMinProcess = 0.0;
  double m_dMaxProcess = 1e30;
  double m_dObjFn = 1e30;
  double m_dInitial = 1e30;
  int m_nSwitchMode = 3;  // 0 On, 1 Off, 2 Switchable, 3 other
  std::vector<double> m_periodicMin;
  std::vector<double> m_periodicMax;
  std::vector<double> m_periodicObjFn;
  std::vector<double> m_periodicInitial;
  double m_dValue = 1e30;
  double m_dValue2 = 1e30;       // the external-model engine's own
  bool m_bBlockVariable = false; // set on the variables of an external-model block
  bool m_bEngineFlag = true;     // the external-model engine's own
};

using CUserDefinedEquationVariableArray = CAutoDestructArray<CPtrArray, CUserDefinedEquationVariable*>;
