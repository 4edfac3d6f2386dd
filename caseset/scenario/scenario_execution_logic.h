#pragma once
// The selection formula of one assembled case: a boolean expression over
// results of solved cases, compiled by the expression evaluator with its own
// tokenizer (relational and logical operators, colon-separated identifiers
// such as Parent:PURC:ABC:Activity:1) after every comparison was widened by
// the case's tolerance.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/ptr_array.h"
#include "modelfile/exp_eval.h"

class CAssembledCase;
class CScenarioExecutionLogic;
class CVornDbExportData;
class CVornModelFile;
class ISolvedCaseView;

using CScenarioLogicArray = CAutoDestructArray<CPtrArray, CScenarioExecutionLogic*>;
using CAssembledCaseArray = CAutoDestructArray<CPtrArray, CAssembledCase*>;

// One resolved variable of a formula: which value of which solved case it reads.
class CScenarioIdentifier {
 public:
  static constexpr std::int32_t kValueNotKnown = 14;

  std::int32_t m_nValueKind = kValueNotKnown;
  std::uint8_t m_bResolved = 0;
  std::int32_t m_nCase = -1;
  CExpEval::Variable* m_pVariable = nullptr;  // not owned
  std::string m_strClassTag;                  // class keyword and tag, e.g. PURCABC
  std::string m_strPeriod;
};

class CScenarioExecutionLogic : public CExpEval {
 public:
  static constexpr int kMaxIdentifiers = 500;

  // A search key, or a logic of that formula and case.
  CScenarioExecutionLogic(const char* formula, std::int32_t caseNumber);
  explicit CScenarioExecutionLogic(std::int32_t caseNumber) : CScenarioExecutionLogic("", caseNumber) {}
  ~CScenarioExecutionLogic() override = default;

  // Ascending case number, then formula text in byte order; equal when the
  // numbers are equal and the texts equal ignoring case.
  static int CompareScenarioLogic(const void* slotA, const void* slotB);
  static int CompareElements(const void* slotA, const void* slotB) { return CompareScenarioLogic(slotA, slotB); }

  void SetCase(std::int32_t value) { m_nCase = value; }
  void SetParentCase(std::int32_t value) { m_nParentCase = value; }
  void SetBaseCase(std::int32_t value) { m_nBaseCase = value; }
  void SetSelFormulaTolerance(const std::string& value) { m_strSelFormulaTolerance = value; }
  void SetModifiedExpression(const std::string& value) { m_strModifiedExpression = value; }

  // Rewrites the formula with the tolerance, tokenizes, checks the
  // identifiers and parses. False with the error text set and the position
  // stored through errorPosition (may be null).
  bool Compile(int* errorPosition) override;
  void Tokenize(const char* text) override;
  // No functions: every name is a variable.
  void GetFunctionTable(const FunctionEntry** table, int* count) override;

  // The identifier grammar; failures set the error and throw ErrorCode 5.
  void ValidateIdentifiers();
  void ValidateIdentifier(Variable* variable);
  void ClearIdentifierRecords() { m_aIdentifiers.clear(); }

  // The formula with every relational comparison widened by the tolerance.
  std::string BuildModifiedExpression(const std::string& formula);
  // One comparison of a sub-expression widened, or the sub-expression unchanged.
  std::string ApplyTolerance(const std::string& subExpression, const std::string& op) const;
  // The text with its unmatched parentheses cut off.
  static std::string BalanceParentheses(const std::string& text);

  // ---- Values of the solved cases
  // Resolves each variable and reads the values the exported case provides;
  // the first failure ends the pass, unreported.
  void CollectCaseValues(const ISolvedCaseView& solution, std::int32_t caseNumber, const CScenarioLogicArray* logics);
  // Gives the variable its resolved identifier record (case, kind, row or
  // column, period); throws ErrorCode 5 for a malformed identifier.
  void ResolveIdentifier(Variable* variable, const CScenarioLogicArray* logics);
  // Stores the value when the variable is unset and its identifier names the exported case.
  void ReadIdentifierValue(const ISolvedCaseView& solution, Variable* variable, std::int32_t caseNumber);
  CScenarioIdentifier* FindIdentifier(const std::string& variableName) const;

  // ---- Parametric chains
  // True when this logic's case is an infeasible parametric step and its
  // next step tightens a MIN or MAX limit further.
  bool CheckParametricTruncation(const ISolvedCaseView& solution, const CVornModelFile& mainModel,
                                 const CAssembledCaseArray& cases) const;
  // True when case n is a parametric step and its next step tightens a MIN or MAX limit further.
  static bool TightensNextStep(std::int32_t n, const CVornModelFile& mainModel, const CAssembledCaseArray& cases);
  static std::int32_t FindNextParametricSibling(std::int32_t caseNumber, const CVornModelFile& mainModel,
                                                const CAssembledCaseArray& cases);
  // Marks the later parametric steps of this logic's case, and their dependants, as truncated.
  void TruncateParametricSiblings(const CVornModelFile& mainModel, CAssembledCaseArray& cases,
                                  const CScenarioLogicArray& logics) const;
  static void PropagateTruncation(CAssembledCase& assembledCase, const CVornModelFile& mainModel,
                                  CAssembledCaseArray& cases, const CScenarioLogicArray& logics);

  // ---- The steps the export runs for each logic after a case's results are built
  // Whether the chain of this logic's case is cut after the exported case.
  bool ApplyParametricNode(const ISolvedCaseView& solution, const CVornModelFile& mainModel,
                           const CAssembledCaseArray& cases) const {
    return CheckParametricTruncation(solution, mainModel, cases);
  }
  // Cuts it: the later steps and their dependants are marked truncated.
  void BuildParametricCases(const CVornModelFile& mainModel, CAssembledCaseArray& cases,
                            const CScenarioLogicArray& logics) const {
    TruncateParametricSiblings(mainModel, cases, logics);
  }
  // Takes the values the exported case gives the compiled formula.
  void EvaluateForCase(const ISolvedCaseView& solution, std::int32_t currentCase, const CVornModelFile&,
                       const CScenarioLogicArray* logics) {
    CollectCaseValues(solution, currentCase, logics);
  }

  static bool IsQualifierKeyword(const std::string& word);
  static bool IsStatusKeyword(const std::string& word);
  static bool IsObjectiveKeyword(const std::string& word);
  static bool IsClassKeyword(const std::string& word);
  static bool IsRowAttribute(const std::string& word);
  static bool IsColumnAttribute(const std::string& word);
  static bool IsAttribute(const std::string& word) { return IsRowAttribute(word) || IsColumnAttribute(word); }

  std::int32_t m_nAssembledCase;
  std::int32_t m_nCase = -1;
  std::int32_t m_nParentCase = -1;
  std::int32_t m_nBaseCase = -1;
  std::string m_strSelFormulaTolerance;
  std::vector<std::unique_ptr<CScenarioIdentifier>> m_aIdentifiers;
  std::string m_strModifiedExpression;

 private:
  // Sets the error (text, and the offset of part's first occurrence in the formula) and throws code.
  [[noreturn]] void FailAt(ErrorCode code, const std::string& text, const std::string& part, int extra = 0);
};

// Gives every logic of the export without a formula the selection formula of
// its assembled case (its number, the main model's name) and sorts the list.
void AttachSelectionFormulas(CVornDbExportData& exportData);
