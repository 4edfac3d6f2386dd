#pragma once
// Stand-in definitions of the model definition's member types whose own
// headers have not landed yet. Each block gives way to its owner's header as
// soon as that header exists; the owner then deletes the block. Each element
// type's static CompareElements is the compare function its arrays use.

#include <cstdint>
#include <string>

#include "foundation/ptr_array.h"
#include "modelfile/model_settings.h"
#include "platform/object.h"
#include "tableio/db/db_connect_info.h"

#include "modelfile/model_setting_convert.h"

#if __has_include("modelfile/nimbo_vars.h")
#include "modelfile/nimbo_vars.h"
#else
// Placeholder until modelfile/nimbo_vars.h lands.
class CNimbo_Vars : public CObject {};
// Placeholder until modelfile/nimbo_vars.h lands; ordered by first text, then second.
class CSiOutputValue : public CObject {
 public:
  std::string m_strText1;
  std::string m_strText2;
  static int CompareElements(const void* a, const void* b) {
    const CSiOutputValue* left = SlotElement<CSiOutputValue>(a);
    const CSiOutputValue* right = SlotElement<CSiOutputValue>(b);
    const int c = CompareKeys(left->m_strText1, right->m_strText1);
    return c != 0 ? c : CompareKeys(left->m_strText2, right->m_strText2);
  }
};
#endif

#if __has_include("modelfile/property_calculation.h")
#include "modelfile/property_calculation.h"
#else
// Placeholder until modelfile/property_calculation.h lands; ordered by name.
class CPropertyCalculation : public CObject {
 public:
  std::string m_strName;
  static int CompareElements(const void* a, const void* b) {
    return CompareKeys(SlotElement<CPropertyCalculation>(a)->m_strName,
                       SlotElement<CPropertyCalculation>(b)->m_strName);
  }
};
#endif

#if __has_include("modelfile/user_equation_group.h")
#include "modelfile/user_equation_group.h"
#else
// Placeholder until the user-equation classes land; ordered by the name the first operation gives.
class IUserEquationGroup {
 public:
  virtual ~IUserEquationGroup() = default;
  virtual std::string GetName() const = 0;
  virtual bool IsGroup() const = 0;
  static int CompareElements(const void* a, const void* b) {
    return CompareKeys(SlotElement<IUserEquationGroup>(a)->GetName(), SlotElement<IUserEquationGroup>(b)->GetName());
  }
};
#endif

#if __has_include("modelfile/user_defined_equation_variable.h")
#include "modelfile/user_defined_equation_variable.h"
#else
// Placeholder until the user-equation classes land; ordered by name.
class CUserDefinedEquationVariable : public CObject {
 public:
  std::string m_strName;
  static int CompareElements(const void* a, const void* b) {
    return CompareKeys(SlotElement<CUserDefinedEquationVariable>(a)->m_strName,
                       SlotElement<CUserDefinedEquationVariable>(b)->m_strName);
  }
};
#endif
