#pragma once
// User equation groups: a tree of groups and equations that share one
// interface, so both live in one list of the model and a group holds both.
// No list owns these objects; the model destroys each through its own class.

#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"
#include "platform/xml_dom.h"

class CUserDefinedEquationVariable;
using CUserDefinedEquationVariableArray = CAutoDestructArray<CPtrArray, CUserDefinedEquationVariable*>;

class IUserEquationGroup {
 public:
  // Virtual so that a (non-owning) array of the interface is sound to instantiate.
  virtual ~IUserEquationGroup() = default;

  virtual const std::string& GetName() const = 0;
  virtual void SetName(const std::string& name) = 0;
  virtual const std::string& GetDescription() const = 0;
  virtual void SetDescription(const std::string& description) = 0;
  // With withParents: suppressed when this element or any ancestor group is.
  virtual bool IsSuppressed(bool withParents) const = 0;
  // A group with recurse also sets every member, down the tree.
  virtual void SetSuppressed(bool value, bool recurse) = 0;
  virtual IUserEquationGroup* GetParent() const = 0;
  virtual void SetParent(IUserEquationGroup* parent) = 0;
  // The ParentGroup text as read.
  virtual const std::string& GetParentName() const = 0;
  // Appends this element's UserEquation or EquationGroup element to parent.
  virtual void WriteXml(plat::XmlNode& parent) const = 0;
  virtual void ReadXml(const plat::XmlNode& element) = 0;
  // False for an equation whose row name and text together are too long for a row.
  virtual bool FitsLength() const = 0;
  // Links an equation's variable names to the variables of the list (sorted by Name).
  virtual void ResolveVariables(const CUserDefinedEquationVariableArray& sortedVariables) = 0;
  virtual bool IsGroup() const = 0;

  // Orders elements by GetName.
  static int CompareElements(const void* slotA, const void* slotB);
};

using IUserEquationGroupArray = CAutoDestructArray<CPtrArray, IUserEquationGroup*>;

class CUserEquationGroup : public CObject, public IUserEquationGroup {
 public:
  explicit CUserEquationGroup(const std::string& name = std::string());
  ~CUserEquationGroup() override;

  const std::string& GetName() const override { return m_strName; }
  void SetName(const std::string& name) override { m_strName = name; }
  const std::string& GetDescription() const override { return m_strDescription; }
  void SetDescription(const std::string& description) override { m_strDescription = description; }
  bool IsSuppressed(bool withParents) const override;
  void SetSuppressed(bool value, bool recurse) override;
  IUserEquationGroup* GetParent() const override { return m_pParent; }
  void SetParent(IUserEquationGroup* parent) override { m_pParent = parent; }
  const std::string& GetParentName() const override { return m_strParentGroup; }
  void WriteXml(plat::XmlNode& parent) const override;
  void ReadXml(const plat::XmlNode& element) override;
  bool FitsLength() const override { return true; }
  void ResolveVariables(const CUserDefinedEquationVariableArray&) override {}
  bool IsGroup() const override { return true; }

  virtual void SetParentName(const std::string& name) { m_strParentGroup = name; }
  void AddEquation(IUserEquationGroup* element);
  void SortMembers();

  std::string m_strName;
  std::string m_strDescription;
  bool m_bIsSuppressed = false;
  std::string m_strParentGroup;
  IUserEquationGroup* m_pParent = nullptr;
  IUserEquationGroupArray m_members;  // never owns
  bool m_bSorted = false;
};
