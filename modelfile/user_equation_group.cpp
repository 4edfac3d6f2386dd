#include "modelfile/user_equation_group.h"

#include "modelfile/xml_text.h"

int IUserEquationGroup::CompareElements(const void* slotA, const void* slotB) {
  return CompareKeys(SlotElement<IUserEquationGroup>(slotA)->GetName(), SlotElement<IUserEquationGroup>(slotB)->GetName());
}

CUserEquationGroup::CUserEquationGroup(const std::string& name) : m_strName(name) { m_members.m_bOwnsElements = 0; }

CUserEquationGroup::~CUserEquationGroup() = default;

bool CUserEquationGroup::IsSuppressed(bool withParents) const {
  if (m_bIsSuppressed) return true;
  return withParents && m_pParent != nullptr && m_pParent->IsSuppressed(true);
}

void CUserEquationGroup::SetSuppressed(bool value, bool recurse) {
  m_bIsSuppressed = value;
  if (!recurse) return;
  for (IUserEquationGroup* member : m_members) member->SetSuppressed(value, true);
}

void CUserEquationGroup::AddEquation(IUserEquationGroup* element) {
  m_members.Add(element);
  m_bSorted = false;
}

void CUserEquationGroup::SortMembers() {
  m_members.Sort(m_members.m_pfnCompare);
  m_bSorted = true;
}

void CUserEquationGroup::WriteXml(plat::XmlNode& parent) const {
  plat::XmlNode group = parent.AppendElement("EquationGroup");
  group.AppendTextElement("Name", m_strName);
  group.AppendTextElement("Description", m_strDescription);
  group.AppendTextElement("IsSuppressed", xml_text::Bool(m_bIsSuppressed));
  group.AppendTextElement("ParentGroup", m_pParent != nullptr ? m_pParent->GetName() : std::string());
}

void CUserEquationGroup::ReadXml(const plat::XmlNode& element) {
  for (const plat::XmlNode& child : element.ChildElements()) {
    const std::string name = child.Name();
    if (name == "Name")
      m_strName = child.Text();
    else if (name == "Description")
      m_strDescription = child.Text();
    else if (name == "IsSuppressed")
      m_bIsSuppressed = xml_text::ParseBool(child.Text());
    else if (name == "ParentGroup")
      SetParentName(child.Text());
  }
}
