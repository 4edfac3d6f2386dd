// The values a compiled selection formula reads from solved cases: each
// variable is resolved once into the case, kind and row or column it names,
// and takes its value when that case is exported.

#include <strings.h>

#include <cmath>

#include "caseset/scenario/scenario_execution_logic.h"
#include "caseset/scenario/solved_case_view.h"
#include "platform/string_table.h"
#include "standins/tresk.h"

namespace {

const plat::StringTableRegistrar kCaseValueStrings(
    plat::StringTable::Shared,
    {
        {2585, "Error: BASE cannot follow BASE or PARENT"},
        {2586, "Error: No tag or period is allowed here"},
    });

enum ValueKind : std::int32_t {
  kInfeasible = 0,
  kMaterialOutOfBalance = 1,
  kPenalties = 2,
  kNonconverged = 3,
  kObjective = 4,
  kActivity = 5,
  kDj = 6,
  kPi = 7,
  kCost = 8,
  kSlack = 9,
  kLoBound = 10,
  kHiBound = 11,
  kLoRhs = 12,
  kHiRhs = 13,
};

bool Same(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

bool NamesRow(const std::string& classTag) { return classTag.size() >= 4 && strncasecmp(classTag.c_str(), "CCAP", 4) == 0; }

std::int32_t StatusKind(const std::string& word) {
  if (Same(word, "Infeasible")) return kInfeasible;
  if (Same(word, "MaterialOutOfBalance")) return kMaterialOutOfBalance;
  if (Same(word, "Penalties")) return kPenalties;
  return kNonconverged;
}

std::int32_t AttributeKind(const std::string& word) {
  static const struct {
    const char* name;
    std::int32_t kind;
  } kKinds[] = {{"Activity", kActivity}, {"DJ", kDj},           {"PI", kPi},          {"Cost", kCost},
                {"SLACK", kSlack},       {"LoBound", kLoBound}, {"HiBound", kHiBound}, {"LoRHS", kLoRhs},
                {"HiRHS", kHiRhs}};
  for (const auto& entry : kKinds)
    if (Same(word, entry.name)) return entry.kind;
  return CScenarioIdentifier::kValueNotKnown;
}

}  // namespace

CScenarioIdentifier* CScenarioExecutionLogic::FindIdentifier(const std::string& variableName) const {
  for (const auto& record : m_aIdentifiers)
    if (record->m_pVariable && strcasecmp(record->m_pVariable->name.c_str(), variableName.c_str()) == 0)
      return record.get();
  return nullptr;
}

void CScenarioExecutionLogic::ResolveIdentifier(Variable* variable, const CScenarioLogicArray* logics) {
  CScenarioIdentifier* record = FindIdentifier(variable->name);
  if (!record) {
    if (static_cast<int>(m_aIdentifiers.size()) >= kMaxIdentifiers)
      FailAt(kSyntax, LoadTreskString(2573), variable->name);
    m_aIdentifiers.push_back(std::make_unique<CScenarioIdentifier>());
    record = m_aIdentifiers.back().get();
    record->m_pVariable = variable;
  }
  if (record->m_bResolved) return;
  m_nErrorPosition = 0;
  m_strError.clear();
  variable->value = 1e30;
  record->m_bResolved = 1;

  const std::string& name = variable->name;
  if (!name.empty() && name.back() == ':') FailAt(kSyntax, LoadTreskString(2574), name);
  bool qualifierAllowed = true, statusAllowed = true, classAllowed = true, objectiveAllowed = true;
  bool attributeExpected = false, tagExpected = false, periodAllowed = false;
  bool baseSeen = false, parentSeen = false;
  std::int32_t parentCase = -1;
  std::size_t from = 0;
  while (from < name.size()) {
    const std::size_t end = std::min(name.find(':', from), name.size());
    const std::string part = name.substr(from, end - from);
    from = end + 1;
    if (part.empty()) continue;
    if (Same(part, "Base") || Same(part, "Parent")) {
      if (!qualifierAllowed) FailAt(kSyntax, LoadTreskString(2575), part);
      if (Same(part, "Base")) {
        if (baseSeen || parentSeen) FailAt(kSyntax, LoadTreskString(2585), part);
        baseSeen = true;
        qualifierAllowed = false;
      } else if (!parentSeen) {
        parentSeen = true;
        parentCase = m_nParentCase;
      } else if (logics) {
        for (const CScenarioExecutionLogic* logic : *logics) {
          if (logic->m_nAssembledCase == parentCase) {
            parentCase = logic->m_nParentCase;
            break;
          }
        }
      }
    } else if (IsStatusKeyword(part)) {
      if (!statusAllowed) FailAt(kSyntax, LoadTreskString(2576), part);
      record->m_nValueKind = StatusKind(part);
      qualifierAllowed = statusAllowed = classAllowed = objectiveAllowed = false;
      if (record->m_nValueKind == kMaterialOutOfBalance || record->m_nValueKind == kPenalties) periodAllowed = true;
    } else if (IsAttribute(part)) {
      const bool fits = NamesRow(record->m_strClassTag) ? IsRowAttribute(part) : IsColumnAttribute(part);
      if (!fits || !attributeExpected) FailAt(kSyntax, LoadTreskString(2578), part);
      record->m_nValueKind = AttributeKind(part);
      attributeExpected = false;
      periodAllowed = true;
    } else if (IsObjectiveKeyword(part)) {
      if (!objectiveAllowed) FailAt(kSyntax, LoadTreskString(2579), part);
      record->m_nValueKind = kObjective;
      qualifierAllowed = statusAllowed = attributeExpected = classAllowed = objectiveAllowed = false;
    } else if (IsClassKeyword(part)) {
      if (!classAllowed) FailAt(kSyntax, LoadTreskString(2577), part);
      record->m_strClassTag = part;
      qualifierAllowed = statusAllowed = classAllowed = objectiveAllowed = false;
      tagExpected = true;
    } else if (tagExpected) {
      record->m_strClassTag += part;
      tagExpected = false;
      attributeExpected = true;
    } else if (periodAllowed) {
      record->m_strPeriod = part;
      periodAllowed = false;
    } else {
      FailAt(kSyntax, LoadTreskString(2586), part);
    }
  }
  if (qualifierAllowed || statusAllowed || classAllowed || objectiveAllowed || attributeExpected || tagExpected)
    FailAt(kSyntax, LoadTreskString(2584), name);
  record->m_nCase = parentSeen ? parentCase : (baseSeen ? m_nBaseCase : m_nCase);
}

void CScenarioExecutionLogic::ReadIdentifierValue(const ISolvedCaseView& solution, Variable* variable,
                                                  std::int32_t caseNumber) {
  if (variable->value != 1e30 || variable->name.empty()) return;
  const CScenarioIdentifier* record = FindIdentifier(variable->name);
  if (!record || record->m_nValueKind == CScenarioIdentifier::kValueNotKnown) return;
  if (!solution.HasCase(caseNumber) || record->m_nCase != caseNumber) return;

  const std::int32_t kind = record->m_nValueKind;
  double value = 1e30;
  if (kind == kInfeasible || kind == kNonconverged || kind == kObjective) {
    std::int32_t status = 0;
    double objective = 0;
    if (!solution.GetFirstState(caseNumber, status, objective)) throw kSyntax;
    value = kind == kObjective ? objective : (status == (kind == kInfeasible ? 5 : 2) ? 1.0 : 0.0);
  } else {
    std::string period = record->m_strPeriod;
    if (period.empty() && !solution.GetFirstPeriodName(caseNumber, period)) throw kSyntax;
    if (kind == kMaterialOutOfBalance || kind == kPenalties) {
      std::int32_t outOfBalance = 0;
      double penalties = 0;
      if (solution.GetPeriodResult(caseNumber, period, outOfBalance, penalties))
        value = kind == kMaterialOutOfBalance ? (outOfBalance > 0 ? 1.0 : 0.0) : (penalties != 0 ? 1.0 : 0.0);
    } else {
      CPrimalValues primal;
      if (solution.GetPrimal(period, record->m_strClassTag, NamesRow(record->m_strClassTag), primal)) {
        switch (kind) {
          case kActivity: value = primal.m_dActivity; break;
          case kDj:
          case kPi: value = primal.m_dMarginal; break;
          case kCost: value = std::fabs(primal.m_dSecond); break;
          case kSlack: value = primal.m_dSecond; break;
          case kLoBound:
          case kLoRhs: value = primal.m_dLower; break;
          default: value = primal.m_dUpper; break;
        }
      }
    }
  }
  variable->value = value;
}

void CScenarioExecutionLogic::CollectCaseValues(const ISolvedCaseView& solution, std::int32_t caseNumber,
                                                const CScenarioLogicArray* logics) {
  try {
    for (int i = 0; i < GetVariableCount(); ++i) {
      Variable* variable = GetVariable(i);
      ResolveIdentifier(variable, logics);
      ReadIdentifierValue(solution, variable, caseNumber);
    }
  } catch (ErrorCode) {
  }
}
