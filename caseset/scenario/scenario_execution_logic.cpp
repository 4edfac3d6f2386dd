#include "caseset/scenario/scenario_execution_logic.h"

#include <strings.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "caseset/config/assembled_case.h"
#include "caseset/config/export_config_text.h"
#include "caseset/vorn_db_export_data.h"
#include "foundation/messages.h"
#include "modelfile/vorn_model_file.h"
#include "platform/string_table.h"
#include "platform/xml_dom.h"
#include "standins/tresk.h"

namespace {

const plat::StringTableRegistrar kScenarioStrings(
    plat::StringTable::Shared,
    {
        {2573, "Error: Invalid identifier %1"},
        {2574, "Error: An identifier cannot end with ':'"},
        {2575, "Error: BASE or PARENT must come first in an identifier"},
        {2576, "Error: A status keyword is not allowed here"},
        {2577, "Error: A class keyword is not allowed here"},
        {2578, "Error: The attribute does not belong to the class keyword"},
        {2579, "Error: OBJFN is not allowed here"},
        {2580, "Error: A class or status keyword must come before a tag or period"},
        {2581, "Error: An attribute is expected"},
        {2583, "Error: No period is allowed here"},
        {2584, "Error: The identifier is incomplete"},
        {2587, "Error: The selection formula is empty"},
        {2588, "Error: A sub-expression holds more than one comparison"},
        {2589, "Error: The selection formula cannot start with ':'"},
    });

constexpr std::array<const char*, 2> kQualifierKeywords = {"Base", "Parent"};
constexpr std::array<const char*, 4> kStatusKeywords = {"Infeasible", "MaterialOutOfBalance", "Penalties",
                                                        "Nonconverged"};
constexpr std::array<const char*, 1> kObjectiveKeywords = {"OBJFN"};
constexpr std::array<const char*, 3> kClassKeywords = {"PURC", "SELL", "CCAP"};
constexpr std::array<const char*, 5> kRowAttributes = {"Activity", "PI", "SLACK", "LoRHS", "HiRHS"};
constexpr std::array<const char*, 6> kColumnAttributes = {"Activity", "DJ", "SLACK", "Cost", "LoBound", "HiBound"};
constexpr std::array<const char*, 6> kRelationalOperators = {"<=", ">=", "<", ">", "==", "!="};

template <std::size_t N>
bool InTable(const std::array<const char*, N>& table, const std::string& word) {
  return std::any_of(table.begin(), table.end(), [&](const char* entry) { return strcasecmp(entry, word.c_str()) == 0; });
}

bool Same(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

bool IsIdentifierStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}
bool IsIdentifierChar(char c) {
  return IsIdentifierStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == ':' || c == '%';
}
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

std::string ReplaceAllOf(std::string text, const std::string& what, const std::string& with) {
  if (what.empty()) return text;
  std::string out;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(what, from)) != std::string::npos; from = at + what.size())
    out.append(text, from, at - from).append(with);
  out.append(text, from, std::string::npos);
  return out;
}

}  // namespace

CScenarioExecutionLogic::CScenarioExecutionLogic(const char* formula, std::int32_t caseNumber)
    : m_nAssembledCase(caseNumber) {
  SetExpression(formula);
}

int CScenarioExecutionLogic::CompareScenarioLogic(const void* slotA, const void* slotB) {
  const auto* a = SlotElement<CScenarioExecutionLogic>(slotA);
  const auto* b = SlotElement<CScenarioExecutionLogic>(slotB);
  if (const int c = CompareKeys(a->m_nAssembledCase, b->m_nAssembledCase)) return c;
  if (strcasecmp(a->GetExpression().c_str(), b->GetExpression().c_str()) == 0) return 0;
  return a->GetExpression().compare(b->GetExpression()) < 0 ? -1 : 1;
}

bool CScenarioExecutionLogic::IsQualifierKeyword(const std::string& word) { return InTable(kQualifierKeywords, word); }
bool CScenarioExecutionLogic::IsStatusKeyword(const std::string& word) { return InTable(kStatusKeywords, word); }
bool CScenarioExecutionLogic::IsObjectiveKeyword(const std::string& word) { return InTable(kObjectiveKeywords, word); }
bool CScenarioExecutionLogic::IsClassKeyword(const std::string& word) { return InTable(kClassKeywords, word); }
bool CScenarioExecutionLogic::IsRowAttribute(const std::string& word) { return InTable(kRowAttributes, word); }
bool CScenarioExecutionLogic::IsColumnAttribute(const std::string& word) { return InTable(kColumnAttributes, word); }

void CScenarioExecutionLogic::GetFunctionTable(const FunctionEntry** table, int* count) {
  *table = nullptr;
  *count = 0;
}

void CScenarioExecutionLogic::FailAt(ErrorCode code, const std::string& text, const std::string& part, int extra) {
  const std::size_t at = m_strExpression.find(part);
  m_nErrorPosition = (at == std::string::npos ? 0 : static_cast<int>(at)) + extra;
  m_strError = text;
  throw code;
}

void CScenarioExecutionLogic::Tokenize(const char* text) {
  StartTokenizing(text);
  if (text[0] == ':') Fail(kSyntax, 2589, 0);
  const char* p = text;
  while (IsSpace(*p)) ++p;
  while (*p != '\0') {
    const char c = *p;
    if (IsIdentifierStart(c)) {
      const char* start = p;
      while (IsIdentifierChar(*p)) ++p;
      if (p - start > kMaxNameLength) Fail(kSyntax, 1927, Offset(start));
      CToken token;
      token.position = Offset(start);
      token.kind = kVariable;
      token.tokenClass = kClassOperand;
      token.variable = FindOrAddVariable(std::string(start, p), token.position);
      AddToken(token);
    } else if (c == '!' && p[1] != '=') {
      ReadNot(&p);
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      ReadNumberOrIdentifier(&p);
    } else if (c == '.') {
      ReadNumber(&p);
    } else if (IsParenthesisChar(c)) {
      ReadParenthesis(&p);
    } else if (IsArithmeticChar(c)) {
      ReadArithmeticOperator(&p);
    } else if (IsLogicalChar(c)) {
      ReadLogical(&p);
    } else if (IsRelationalChar(c)) {
      ReadRelational(&p);
    } else {
      const std::size_t at = m_strExpression.find(p);
      m_nErrorPosition = at == std::string::npos ? Offset(p) : static_cast<int>(at);
      m_strError = "Error: Illegal character";
      throw kIllegalCharacter;
    }
    while (IsSpace(*p)) ++p;
  }
  MarkUnaryOperators();
  AddEndToken();
}

void CScenarioExecutionLogic::ValidateIdentifier(Variable* variable) {
  const std::string& name = variable->name;
  variable->value = 1e30;
  m_nErrorPosition = 0;
  m_strError.clear();
  if (!name.empty() && name.back() == ':')
    FailAt(kSyntax, LoadTreskString(2574) + " " + name, name, static_cast<int>(name.size()) + 1);

  bool qualifierAllowed = true, statusAllowed = true, objectiveAllowed = true, classAllowed = true;
  bool attributeExpected = false, tagExpected = false, periodAllowed = false;
  bool baseSeen = false, parentSeen = false;
  std::string lastClass;
  std::size_t from = 0;
  while (from < name.size()) {
    const std::size_t end = std::min(name.find(':', from), name.size());
    const std::string part = name.substr(from, end - from);
    from = end + 1;
    if (part.empty()) continue;  // a run of colons is one separator
    if (Same(part, "Base") || Same(part, "Parent")) {
      if (!qualifierAllowed) FailAt(kSyntax, LoadTreskString(2575), part);
      if (Same(part, "Base")) {
        if (baseSeen || parentSeen) FailAt(kSyntax, "Error: Invalid BASE identifier", part);
        baseSeen = true;
        qualifierAllowed = false;
      } else {
        parentSeen = true;
      }
    } else if (IsStatusKeyword(part)) {
      if (!statusAllowed) FailAt(kSyntax, LoadTreskString(2576), part);
      qualifierAllowed = statusAllowed = classAllowed = objectiveAllowed = false;
      if (Same(part, "MaterialOutOfBalance") || Same(part, "Penalties")) periodAllowed = true;
    } else if (IsAttribute(part)) {
      if (classAllowed) FailAt(kSyntax, LoadTreskString(2577), part);
      const bool fits = Same(lastClass, "CCAP") ? IsRowAttribute(part) : IsColumnAttribute(part);
      if (!fits || !attributeExpected) FailAt(kSyntax, LoadTreskString(2578), part);
      qualifierAllowed = statusAllowed = attributeExpected = classAllowed = objectiveAllowed = false;
    } else if (IsObjectiveKeyword(part)) {
      if (!objectiveAllowed) FailAt(kSyntax, LoadTreskString(2579), part);
      qualifierAllowed = statusAllowed = attributeExpected = classAllowed = objectiveAllowed = false;
    } else if (IsClassKeyword(part)) {
      lastClass = part;
      if (!classAllowed) FailAt(kSyntax, LoadTreskString(2577), part);
      qualifierAllowed = statusAllowed = classAllowed = objectiveAllowed = false;
      attributeExpected = tagExpected = true;
    } else {
      if (qualifierAllowed || statusAllowed || objectiveAllowed || classAllowed)
        FailAt(kSyntax, LoadTreskString(2580), part);
      if (!tagExpected && attributeExpected) FailAt(kSyntax, LoadTreskString(2581), part);
      if (tagExpected) {
        tagExpected = false;
        periodAllowed = true;
      } else if (periodAllowed) {
        periodAllowed = false;
      } else {
        FailAt(kSyntax, LoadTreskString(2583), part);
      }
    }
  }
  if (qualifierAllowed || statusAllowed || classAllowed || objectiveAllowed || attributeExpected || tagExpected)
    FailAt(kSyntax, LoadTreskString(2584), name);
}

void CScenarioExecutionLogic::ValidateIdentifiers() {
  for (int i = 0; i < GetVariableCount(); ++i) {
    Variable* variable = GetVariable(i);
    const auto refuse = [&] {
      const std::size_t at = m_strExpression.find(variable->name);
      m_nErrorPosition = at == std::string::npos ? 0 : static_cast<int>(at);
      m_strError = FormatString1(LoadTreskString(2573), variable->name);
    };
    try {
      ValidateIdentifier(variable);
    } catch (ErrorCode code) {
      if (m_strError.empty() || m_strError == " ") refuse();
      throw code;
    } catch (...) {
      refuse();
      throw kSyntax;
    }
  }
}

bool CScenarioExecutionLogic::Compile(int* errorPosition) {
  ClearTokens();
  ClearVariables();
  ClearIdentifierRecords();
  m_nErrorPosition = 0;
  m_strError.clear();
  m_bCompiled = false;
  if (errorPosition) *errorPosition = 0;
  if (m_strExpression.empty()) {
    m_strError = LoadTreskString(2587);
    return false;
  }
  try {
    m_strModifiedExpression = BuildModifiedExpression(m_strExpression);
    Tokenize(m_strModifiedExpression.c_str());
    ValidateIdentifiers();
    Parse();
    return true;
  } catch (ErrorCode) {
  } catch (...) {
    if (m_strError.empty()) m_strError = LoadTreskString(1927);
  }
  m_bCompiled = false;
  if (errorPosition) *errorPosition = m_nErrorPosition;
  return false;
}

// ---- The tolerance rewrite

std::string CScenarioExecutionLogic::BalanceParentheses(const std::string& text) {
  const auto opens = std::count(text.begin(), text.end(), '(');
  const auto closes = std::count(text.begin(), text.end(), ')');
  if (opens == closes) return text;
  if (opens > closes) {
    std::size_t at = std::string::npos;
    for (auto k = opens - closes; k > 0; --k) at = text.find('(', at == std::string::npos ? 0 : at + 1);
    return text.substr(at + 1);
  }
  std::string out = text;
  for (auto k = closes - opens; k > 0; --k) out.erase(out.rfind(')'));
  return out;
}

std::string CScenarioExecutionLogic::ApplyTolerance(const std::string& s, const std::string& op) const {
  const std::size_t at = s.find(op);
  if (at == std::string::npos) return s;
  if ((op == "<" || op == ">") && at + 1 < s.size() && s[at + 1] == '=') return s;
  const std::string left = BalanceParentheses(s.substr(0, at));
  const std::string right = BalanceParentheses(s.substr(at + op.size()));
  if (left.empty() || right.empty()) return s;
  const std::string& t = m_strSelFormulaTolerance;
  const std::string upper = "(( " + right + ") + " + t + " ) ";
  const std::string lower = "(( " + right + ") - " + t + " ) ";
  if (op == "<=" || op == "<") return ReplaceAllOf(s, right, upper);
  if (op == ">=" || op == ">") return ReplaceAllOf(s, right, lower);
  if (op == "==") return "( " + left + " <= " + upper + " && " + left + " >= " + lower + " )";
  // Unequal means outside the band from R - t to R + t.
  return "( " + left + " >= " + upper + " || " + left + " <= " + lower + " )";
}

std::string CScenarioExecutionLogic::BuildModifiedExpression(const std::string& formula) {
  std::string result = formula;
  if (m_strSelFormulaTolerance.empty() || std::atof(m_strSelFormulaTolerance.c_str()) == 0) return result;
  std::size_t scan = 0;
  while (scan < formula.size()) {
    while (scan < formula.size() && (formula[scan] == '&' || formula[scan] == '|')) ++scan;
    if (scan >= formula.size()) break;
    const std::size_t end = std::min(formula.find_first_of("&|", scan), formula.size());
    const std::string sub = BalanceParentheses(formula.substr(scan, end - scan));
    scan = end + 1;
    bool changed = false;
    for (const char* op : kRelationalOperators) {
      const std::string rewrite = ApplyTolerance(sub, op);
      if (strcasecmp(rewrite.c_str(), sub.c_str()) == 0) continue;
      if (changed) {
        m_nErrorPosition = static_cast<int>(scan);
        m_strError = LoadTreskString(2588);
        throw kSyntax;
      }
      result = ReplaceAllOf(result, sub, rewrite);
      changed = true;
    }
    scan += 2;
  }
  return result;
}

// ---- The logic list of the export configuration

namespace {

std::unique_ptr<CScenarioExecutionLogic> ReadScenarioExecutionLogic(const plat::XmlNode& element) {
  const std::vector<plat::XmlNode> children = element.ChildElements();
  const auto assembled = std::find_if(children.begin(), children.end(),
                                      [](const plat::XmlNode& child) { return child.Name() == "AssembledCase"; });
  if (assembled == children.end()) return nullptr;
  auto logic = std::make_unique<CScenarioExecutionLogic>(ConfigAtoi(*assembled));
  for (const plat::XmlNode& child : children) {
    const std::string name = child.Name();
    if (name == "Case")
      logic->SetCase(ConfigAtoi(child));
    else if (name == "ParentCase")
      logic->SetParentCase(ConfigAtoi(child));
    else if (name == "BaseCase")
      logic->SetBaseCase(ConfigAtoi(child));
    else if (name == "SelFormulaTolerance")
      logic->SetSelFormulaTolerance(ConfigText(child));
    else if (name == "ModifiedExpression")
      logic->SetModifiedExpression(ConfigText(child));
  }
  return logic;
}

}  // namespace

void CVornDbExportData::ReadScenarioExecutionLogics(const plat::XmlNode& node) {
  if (!m_paScenarioLogics) m_paScenarioLogics = MakeErasedOwner(std::make_unique<CScenarioLogicArray>());
  for (const plat::XmlNode& child : node.ChildElements()) {
    if (child.Name() != "ScenarioExecutionLogic") continue;
    if (auto logic = ReadScenarioExecutionLogic(child)) m_paScenarioLogics->Add(std::move(logic));
  }
  // Attaching sorts the list once the whole section is in.
  AttachSelectionFormulas(*this);
}

void AttachSelectionFormulas(CVornDbExportData& exportData) {
  if (!exportData.m_paScenarioLogics) return;
  if (exportData.m_paAssembledCases && exportData.m_pModel)
    for (CScenarioExecutionLogic* logic : *exportData.m_paScenarioLogics) {
      if (!logic->GetExpression().empty()) continue;
      const CAssembledCase probe(logic->m_nAssembledCase, exportData.m_pModel->m_strModelName);
      if (const CAssembledCase* found = exportData.m_paAssembledCases->Find(&probe))
        logic->SetExpression(found->m_strSelExp.c_str());
    }
  // The list is searched by bisection, with formulas or without.
  exportData.m_paScenarioLogics->Sort(&CScenarioExecutionLogic::CompareScenarioLogic);
}
