#pragma once
// A user-defined equation: a row added to the planning model, with its
// equation text (compiled by the expression evaluator) over user-equation
// variables, a right-hand side and descriptive flags.

#include <string>
#include <vector>

#include "modelfile/exp_eval.h"
#include "modelfile/user_defined_equation_variable.h"
#include "modelfile/user_equation_group.h"

class CUserDefinedEquation : public CExpEval, public IUserEquationGroup {
 public:
  // A row name and equation text together need fewer characters than this, less 8.
  static constexpr std::size_t kMaxRowLength = 500;

  CUserDefinedEquation();
  ~CUserDefinedEquation() override;

  // Compiles first when the equation is not compiled.
  int Evaluate(double* result) override;
  void GetFunctionTable(const FunctionEntry** table, int* count) override;

  const std::string& GetName() const override { return m_strRow; }
  void SetName(const std::string& name) override { m_strRow = name; }
  const std::string& GetDescription() const override { return m_strRowDescription; }
  void SetDescription(const std::string& description) override { m_strRowDescription = description; }
  bool IsSuppressed(bool withParents) const override;
  void SetSuppressed(bool value, bool recurse) override;
  IUserEquationGroup* GetParent() const override { return m_pParent; }
  void SetParent(IUserEquationGroup* parent) override { m_pParent = parent; }
  const std::string& GetParentName() const override { return m_strParentGroup; }
  void WriteXml(plat::XmlNode& parent) const override;
  void ReadXml(const plat::XmlNode& element) override;
  bool FitsLength() const override;
  void ResolveVariables(const CUserDefinedEquationVariableArray& sortedVariables) override;
  bool IsGroup() const override { return false; }

  CUserDefinedEquationVariableArray m_linkedVariables;  // never owns; sorted by Name
  std::string m_strRow;
  std::string m_strParentGroup;
  IUserEquationGroup* m_pParent = nullptr;
  int m_nIndex = 0;
  bool m_bIsPeriodic = false;
  bool m_bIsSuppressed = false;
  std::string m_strEquationType = "Free";
  std::string m_strRowDescription;
  bool m_bIsNew = true;
  double m_dRHS = 0.0;
  std::vector<double> m_periodicRHS;
  std::vector<std::string> m_variableNames;  // the EquationVariable entries as read
};
