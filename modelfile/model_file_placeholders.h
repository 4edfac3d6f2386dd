#pragma once
// Stand-in definitions of the model definition's member types whose own
// headers have not landed yet. Each block is replaced by its owner with the
// include named in its comment; nothing here is meant to stay.

#include <cstdint>
#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"

#include "modelfile/model_settings.h"

// Placeholder until tableio/db/db_connect_info.h lands (its owner replaces this block by the include).
class CDbConnectInfo {
 public:
  void SetType(int type) { m_nType = type; }
  void SetConnectionString(const std::string& text) { m_strName = text; }
  int m_nType = 0;
  std::string m_strUser;
  std::string m_strPassword;
  std::string m_strName;
  std::string m_strDatabase;
  bool m_bIntegratedSecurity = false;
};

// Placeholder until modelfile/model_setting_convert.h lands (its owner replaces this block by the include).
class ModelSettingConvert : public CObject {};

// Placeholder until modelfile/nimbo_vars.h lands (its owner replaces this block by the include).
class CNimbo_Vars : public CObject {};

// Placeholder until modelfile/nimbo_vars.h lands (its owner replaces this block by the include).
class CSiOutputValue : public CObject {
 public:
  std::string m_strText1;
  std::string m_strText2;
};
inline int CompareSiOutputValues(const void* a, const void* b) {
  const CSiOutputValue* left = SlotElement<CSiOutputValue>(a);
  const CSiOutputValue* right = SlotElement<CSiOutputValue>(b);
  const int c = CompareKeys(left->m_strText1, right->m_strText1);
  return c != 0 ? c : CompareKeys(left->m_strText2, right->m_strText2);
}

// Placeholder until modelfile/property_calculation.h lands (its owner replaces this block by the include).
class CPropertyCalculation : public CObject {
 public:
  std::string m_strName;
};
inline int ComparePropertyCalculations(const void* a, const void* b) {
  return CompareKeys(SlotElement<CPropertyCalculation>(a)->m_strName, SlotElement<CPropertyCalculation>(b)->m_strName);
}

// Placeholder until the user-equation classes land (their owner replaces this block by the include).
class IUserEquationGroup {
 public:
  virtual ~IUserEquationGroup() = default;
  virtual std::string GetName() const = 0;
  virtual bool IsGroup() const = 0;
};
inline int CompareUserEquationGroups(const void* a, const void* b) {
  return CompareKeys(SlotElement<IUserEquationGroup>(a)->GetName(), SlotElement<IUserEquationGroup>(b)->GetName());
}

// Placeholder until the user-equation classes land (their owner replaces this block by the include).
class CUserDefinedEquationVariable : public CObject {
 public:
  std::string m_strName;
  static int CompareElements(const void* a, const void* b) {
    return CompareKeys(SlotElement<CUserDefinedEquationVariable>(a)->m_strName,
                       SlotElement<CUserDefinedEquationVariable>(b)->m_strName);
  }
};
