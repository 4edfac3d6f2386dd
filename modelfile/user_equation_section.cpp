#include "modelfile/user_equation_section.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "foundation/messages.h"
#include "modelfile/vorn_model_file.h"
#include "platform/string_table.h"

namespace {

const plat::StringTableRegistrar kUserEquationStrings(
    plat::StringTable::Program,
    {
        {15618, "The expression for user-defined equation %1 has too many characters and will be suppressed."},
    });

bool NameLess(const IUserEquationGroup* a, const IUserEquationGroup* b) { return a->GetName() < b->GetName(); }

// True when candidate is element or one of element's descendants (element is among its ancestors).
bool IsSelfOrDescendant(const IUserEquationGroup* candidate, const IUserEquationGroup* element) {
  for (const IUserEquationGroup* at = candidate; at != nullptr; at = at->GetParent())
    if (at == element) return true;
  return false;
}

// The group of that name in the sorted list, or null (an equation of that name is no parent).
CUserEquationGroup* FindGroup(IUserEquationGroupArray& elements, const std::string& name) {
  const auto range = std::equal_range(elements.begin(), elements.end(), name,
                                      [](const auto& a, const auto& b) {
                                        if constexpr (std::is_same_v<std::decay_t<decltype(a)>, std::string>)
                                          return a < b->GetName();
                                        else
                                          return a->GetName() < b;
                                      });
  for (auto it = range.first; it != range.second; ++it)
    if ((*it)->IsGroup()) return static_cast<CUserEquationGroup*>(*it);
  return nullptr;
}

}  // namespace

void LinkUserEquations(IUserEquationGroupArray& elements, const CUserDefinedEquationVariableArray& variables) {
  std::stable_sort(elements.begin(), elements.end(), NameLess);
  for (IUserEquationGroup* element : elements) {
    element->SetParent(nullptr);
    if (element->IsGroup()) static_cast<CUserEquationGroup*>(element)->m_members.RemoveAll();
  }
  for (IUserEquationGroup* element : elements) {
    if (element->GetParentName().empty()) continue;
    CUserEquationGroup* group = FindGroup(elements, element->GetParentName());
    // A self-parent or a cycle would make the suppression walks endless: such an element stays at the top.
    if (group == nullptr || IsSelfOrDescendant(group, element)) continue;
    element->SetParent(group);
    group->AddEquation(element);
  }
  for (IUserEquationGroup* element : elements) {
    if (element->IsGroup()) static_cast<CUserEquationGroup*>(element)->SortMembers();
    element->ResolveVariables(variables);
  }
}

void ReadUserEquationVariablesXml(CUserDefinedEquationVariableArray& variables, const plat::XmlNode& element) {
  for (const plat::XmlNode& child : element.ChildElements()) {
    if (child.Name() != "UserEquationVariable") continue;
    auto variable = std::make_unique<CUserDefinedEquationVariable>();
    variable->ReadXml(child);
    // Kept sorted by Name: insert at its place; a name already there keeps the first variable.
    const auto at = std::lower_bound(variables.begin(), variables.end(), variable->m_strName,
                                     [](const CUserDefinedEquationVariable* v, const std::string& name) {
                                       return v->m_strName < name;
                                     });
    if (at != variables.end() && (*at)->m_strName == variable->m_strName) continue;
    variables.InsertAt(static_cast<int>(at - variables.begin()), variable.release());
  }
  variables.m_pfnCompare = &CUserDefinedEquationVariable::CompareElements;
}

void ReadUserEquationsXml(IUserEquationGroupArray& elements, const CUserDefinedEquationVariableArray& variables,
                          const plat::XmlNode& element, bool silent) {
  for (const plat::XmlNode& child : element.ChildElements()) {
    const std::string name = child.Name();
    std::unique_ptr<CUserDefinedEquation> equation;
    std::unique_ptr<CUserEquationGroup> group;
    IUserEquationGroup* item = nullptr;
    if (name == "UserEquation") {
      equation = std::make_unique<CUserDefinedEquation>();
      item = equation.get();
    } else if (name == "EquationGroup") {
      group = std::make_unique<CUserEquationGroup>();
      item = group.get();
    } else {
      continue;
    }
    item->ReadXml(child);
    if (!item->IsSuppressed(false) && !item->FitsLength()) {
      item->SetSuppressed(true, false);
      if (!silent) ShowInfoMessage(FormatString1(LoadResString(15618), item->GetName()));
    }
    elements.Add(item);
    equation.release();
    group.release();
  }
  LinkUserEquations(elements, variables);
}

void ReadUserEquationSectionXml(IUserEquationGroupArray& elements, CUserDefinedEquationVariableArray& variables,
                                const plat::XmlNode& section, bool silent) {
  bool equationsRead = false;
  bool variablesAfterEquations = false;
  for (const plat::XmlNode& child : section.ChildElements()) {
    const std::string name = child.Name();
    if (name == "UserEquationVariables") {
      ReadUserEquationVariablesXml(variables, child);
      variablesAfterEquations = equationsRead;
    } else if (name == "UserEquations") {
      ReadUserEquationsXml(elements, variables, child, silent);
      equationsRead = true;
    }
  }
  // Variables listed after the equations are linked too.
  if (variablesAfterEquations) LinkUserEquations(elements, variables);
}

void ReadUserEquationSectionXml(CVornModelFile& model, const plat::XmlNode& section) {
  ReadUserEquationSectionXml(model.m_userEquationGroups, model.m_userEquationVariables, section, model.m_bSilent);
}

void WriteUserEquationSectionXml(const IUserEquationGroupArray& elements,
                                 const CUserDefinedEquationVariableArray& variables, plat::XmlNode& root) {
  plat::XmlNode section = root.AppendElement("UserEquationSection");
  if (!variables.IsEmpty()) {
    plat::XmlNode list = section.AppendElement("UserEquationVariables");
    for (const CUserDefinedEquationVariable* variable : variables) variable->WriteXml(list);
  }
  if (!elements.IsEmpty()) {
    plat::XmlNode list = section.AppendElement("UserEquations");
    for (const IUserEquationGroup* element : elements) element->WriteXml(list);
  }
}

void WriteUserEquationSectionXml(const CVornModelFile& model, plat::XmlNode& root) {
  WriteUserEquationSectionXml(model.m_userEquationGroups, model.m_userEquationVariables, root);
}

void DeleteUserEquations(IUserEquationGroupArray& elements, CUserDefinedEquationVariableArray& variables) {
  for (IUserEquationGroup* element : elements) {
    if (element->IsGroup())
      delete static_cast<CUserEquationGroup*>(element);
    else
      delete static_cast<CUserDefinedEquation*>(element);
  }
  elements.m_bOwnsElements = 0;
  elements.RemoveAll();
  for (CUserDefinedEquationVariable* variable : variables) delete variable;
  variables.m_bOwnsElements = 0;
  variables.RemoveAll();
}

void ApplyLstReportSetting(CVornModelFile& model) {
  const char* value = std::getenv("LST_REPORT");
  // One character only, as the switch was always read.
  const bool on = value != nullptr && std::strlen(value) == 1 && std::atoi(value) != 0;
  model.m_settings.m_UseLstReportsOn.SetValue(on ? 1 : 0);
}
