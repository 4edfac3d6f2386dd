#pragma once
// Stand-in definitions of the model definition's member types whose own
// headers have not landed yet. Each block is replaced by its owner with the
// include named in its comment; nothing here is meant to stay.

#include <cstdint>
#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"

#include "modelfile/model_settings.h"

#include "tableio/db/db_connect_info.h"

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

#include "modelfile/property_calculation.h"
inline int ComparePropertyCalculations(const void* a, const void* b) { return CPropertyCalculation::CompareElements(a, b); }

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
