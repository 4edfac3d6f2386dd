#include "modelfile/exp_eval.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/string_table.h"
#include "standins/tresk.h"

namespace {

const plat::StringTableRegistrar kExpEvalStrings(
    plat::StringTable::Shared,
    {
        {1926, "The expression is empty."},
        {1927, "Syntax error in the expression."},
        {1928, "Illegal character in the expression."},
        {1929, "A digit or a name is missing."},
        {1930, "A number with the exponent 0 needs a mantissa greater than 0."},
        {1931, "Unrecognised logical operator."},
        {1932, "Unrecognised relational operator."},
        {1933, "An operator or operand is out of place."},
        {1934, "A function name must be followed by \"(\"."},
        {1935, "The expression ends with an operator, a function name or \"(\"."},
        {1936, "A negative number cannot be raised to a non-integer power."},
        {1937, "Division by zero."},
        {1943, "The result is not a number."},
    });

constexpr char kBadFunctionInput[] = "Error: Bad input value to function.";
constexpr char kNameSymbols[] = "~`@#$%&_[]\\{}|:;'\",<>?";

// Fraction digits beyond this many cannot change a double; ignoring them
// keeps the accumulated value and scale finite.
constexpr int kMaxFractionDigits = 300;

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsHighByte(char c) { return static_cast<unsigned char>(c) > 127; }

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool NamesEqual(const std::string& a, const char* b, bool caseSensitive) {
  if (caseSensitive) return a == b;
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return i == a.size() && b[i] == '\0';
}

const char* SkipSpace(const char* p) {
  while (IsSpace(*p)) ++p;
  return p;
}

enum Action : signed char { P = 1, R = -1, D = 0, A = 99, E = 9 };

// Row: the incoming token's class; column: the class of the token on top of the stack.
constexpr signed char kActions[16][16] = {
    /* 0 + */ {R, R, R, R, R, R, R, R, P, E, P, P, P, P, P, R},
    /* 1 - */ {R, R, R, R, R, R, R, R, P, E, P, P, P, P, P, R},
    /* 2 * */ {P, P, R, R, R, R, R, R, P, E, P, P, P, P, P, R},
    /* 3 / */ {P, P, R, R, R, R, R, R, P, E, P, P, P, P, P, R},
    /* 4 ^ */ {P, P, P, P, P, R, R, R, P, E, P, P, P, P, P, P},
    /* 5 unary - */ {P, P, P, P, P, P, E, E, P, E, P, P, P, P, P, P},
    /* 6 function */ {P, P, P, P, P, P, E, E, P, E, P, P, P, P, P, P},
    /* 7 operand */ {P, P, P, P, P, P, E, E, P, E, P, P, P, P, P, P},
    /* 8 ( */ {P, P, P, P, P, P, P, E, P, E, P, P, P, P, P, P},
    /* 9 ) */ {R, R, R, R, R, R, R, R, D, E, E, R, R, R, R, R},
    /* 10 end */ {R, R, R, R, R, R, R, R, E, E, A, R, R, R, R, R},
    /* 11 && */ {R, R, R, R, R, R, R, R, P, E, P, R, P, R, R, R},
    /* 12 || */ {R, R, R, R, R, R, R, R, P, E, P, R, R, R, R, R},
    /* 13 < > */ {R, R, R, R, R, R, R, R, P, E, P, P, P, R, P, R},
    /* 14 == != */ {R, R, R, R, R, R, R, R, P, E, P, P, P, R, R, R},
    /* 15 ! */ {P, P, P, P, P, P, R, R, P, E, P, P, P, P, P, R},
};

constexpr const char* kLogicalOperators[] = {"&&", "||"};
constexpr const char* kRelationalOperators[] = {"<=", ">=", "<", ">", "==", "!="};

}  // namespace

CExpEval::CExpEval() = default;
CExpEval::~CExpEval() = default;

std::string CExpEval::Message(std::uint32_t id) { return LoadTreskString(id); }

void CExpEval::Fail(ErrorCode code, std::uint32_t messageId, int position) {
  m_nErrorPosition = position;
  m_strError = Message(messageId);
  throw code;
}

void CExpEval::SetExpression(const char* text) {
  m_strExpression = text != nullptr ? text : "";
  ClearTokens();
  ClearVariables();
  m_bCompiled = false;
}

void CExpEval::ClearTokens() {
  m_program.clear();
  m_rpn.clear();
  m_tokens.clear();
}

void CExpEval::ClearVariables() { m_variables.clear(); }

bool CExpEval::IsArithmeticChar(char c) { return c != '\0' && std::strchr("+-*/^", c) != nullptr; }
bool CExpEval::IsParenthesisChar(char c) { return c == '(' || c == ')'; }
bool CExpEval::IsLogicalChar(char c) { return c == '&' || c == '|'; }
bool CExpEval::IsRelationalChar(char c) { return c != '\0' && std::strchr("=!<>", c) != nullptr; }
bool CExpEval::IsNameSymbolChar(char c) { return c != '\0' && std::strchr(kNameSymbols, c) != nullptr; }

bool CExpEval::Compile(int* out) {
  ClearTokens();
  ClearVariables();
  if (out != nullptr) *out = 0;
  m_strError.clear();
  m_bCompiled = false;
  // Blank text is refused here, not at the first evaluation.
  if (*SkipSpace(m_strExpression.c_str()) == '\0') {
    m_strError = Message(1926);
    return false;
  }
  try {
    Tokenize(m_strExpression.c_str());
    Parse();
    return true;
  } catch (ErrorCode) {
  } catch (...) {
    // A derived step may fail in its own way; the caller still learns that the text was refused.
    if (m_strError.empty()) {
      m_nErrorPosition = -1;
      m_strError = Message(1927);
    }
  }
  m_bCompiled = false;
  return false;
}

void CExpEval::StartTokenizing(const char* text) {
  m_bCompiled = false;
  m_pszTokenText = text;
}

void CExpEval::Tokenize(const char* text) {
  StartTokenizing(text);
  const char* p = SkipSpace(text);
  while (*p != '\0') {
    const char c = *p;
    if (IsLetter(c) || IsNameSymbolChar(c) || IsHighByte(c))
      ReadIdentifier(&p);
    else if (c == '!')
      ReadMarkedVariable(&p);
    else if (IsDigit(c))
      ReadNumberOrIdentifier(&p);
    else if (c == '.')
      ReadNumber(&p);
    else if (IsParenthesisChar(c))
      ReadParenthesis(&p);
    else if (IsArithmeticChar(c))
      ReadArithmeticOperator(&p);
    else
      Fail(kIllegalCharacter, 1928, Offset(p));
    p = SkipSpace(p);
  }
  MarkUnaryOperators();
  AddEndToken();
}

int CExpEval::AddToken(const CToken& token) {
  if (m_tokens.size() >= static_cast<std::size_t>(kMaxTokens)) Fail(kSyntax, 1927, token.position);
  m_tokens.push_back(std::make_unique<CToken>(token));
  return static_cast<int>(m_tokens.size()) - 1;
}

void CExpEval::AddEndToken() {
  CToken end;
  end.kind = kEnd;
  end.tokenClass = kClassEnd;
  end.position = Offset(m_pszTokenText + std::strlen(m_pszTokenText));
  AddToken(end);
}

CExpEval::Variable* CExpEval::FindOrAddVariable(const std::string& name, int position) {
  for (const auto& variable : m_variables)
    if (NamesEqual(variable->name, name.c_str(), m_bVariableNamesCaseSensitive)) return variable.get();
  if (m_variables.size() >= static_cast<std::size_t>(kMaxVariables)) Fail(kSyntax, 1927, position);
  m_variables.push_back(std::make_unique<Variable>(Variable{name, 0.0}));
  return m_variables.back().get();
}

const CExpEval::FunctionEntry* CExpEval::FindFunction(const std::string& name) {
  if (!m_bFunctionTableFetched) {
    m_bFunctionTableFetched = true;
    GetFunctionTable(&m_pFunctionTable, &m_nFunctionCount);
    if (m_pFunctionTable == nullptr) m_nFunctionCount = 0;
  }
  for (int i = 0; i < m_nFunctionCount; ++i)
    if (NamesEqual(name, m_pFunctionTable[i].name, m_bFunctionNamesCaseSensitive)) return &m_pFunctionTable[i];
  return nullptr;
}

void CExpEval::ReadIdentifier(const char** cursor) {
  const char* start = *cursor;
  const char* p = start + 1;
  while (IsLetter(*p) || IsDigit(*p) || IsNameSymbolChar(*p) || IsHighByte(*p)) ++p;
  if (p - start > kMaxNameLength) Fail(kSyntax, 1927, Offset(start));
  const std::string name(start, p);
  CToken token;
  token.position = Offset(start);
  if (const FunctionEntry* function = FindFunction(name)) {
    token.kind = kFunction;
    token.tokenClass = kClassFunction;
    token.function = function;
  } else {
    token.kind = kVariable;
    token.tokenClass = kClassOperand;
    token.variable = FindOrAddVariable(name, token.position);
  }
  AddToken(token);
  *cursor = p;
}

void CExpEval::ReadMarkedVariable(const char** cursor) {
  const char* start = *cursor + 1;
  const char* p = start;
  while (IsLetter(*p) || IsDigit(*p) || IsNameSymbolChar(*p)) ++p;
  if (p == start) Fail(kMissingDigitOrName, 1929, Offset(start));
  if (p - start > kMaxNameLength) Fail(kSyntax, 1927, Offset(start));
  CToken token;
  token.position = Offset(start);
  token.kind = kVariable;
  token.tokenClass = kClassOperand;
  token.variable = FindOrAddVariable(std::string(start, p), token.position);
  AddToken(token);
  *cursor = p;
}

bool CExpEval::ScanInteger(const char*& p, std::int32_t& value, bool& overflow) {
  if (!IsDigit(*p)) {
    m_nErrorPosition = Offset(p);
    m_strError = Message(1929);
    return false;
  }
  const char* start = p;
  std::int64_t n = 0;
  while (IsDigit(*p)) {
    n = n * 10 + (*p - '0');
    if (n > std::numeric_limits<std::int32_t>::max()) {
      overflow = true;
      m_nErrorPosition = Offset(start);
      m_strError = Message(1929);
      return false;
    }
    ++p;
  }
  value = static_cast<std::int32_t>(n);
  return true;
}

bool CExpEval::ScanNumber(const char*& p, double& value, bool& overflow) {
  const char* q = p;
  std::int32_t integerPart = 0;
  if (!ScanInteger(q, integerPart, overflow)) return false;
  double mantissa = integerPart;
  if (*q == '.') {
    ++q;
    if (!IsDigit(*q)) {
      m_nErrorPosition = Offset(q);
      m_strError = Message(1929);
      return false;
    }
    double fraction = 0.0;
    double scale = 1.0;
    for (int digits = 0; IsDigit(*q); ++q, ++digits) {
      if (digits >= kMaxFractionDigits) continue;
      fraction = fraction * 10 + (*q - '0');
      scale *= 0.1;
    }
    mantissa += fraction * scale;
  }
  if (*q == 'e' || *q == 'E') {
    ++q;
    bool negative = false;
    if (*q == '-') {
      negative = true;
      ++q;
    } else if (*q == '+') {
      ++q;
    }
    std::int32_t exponent = 0;
    if (!ScanInteger(q, exponent, overflow)) return false;
    // One multiplication at a time; nothing changes once the value is 0 or infinite.
    const double factor = negative ? 0.1 : 10.0;
    for (std::int32_t i = 0; i < exponent && mantissa != 0.0 && std::isfinite(mantissa); ++i) mantissa *= factor;
  }
  value = mantissa;
  p = q;
  return true;
}

void CExpEval::ReadNumber(const char** cursor) {
  const char* p = *cursor;
  double value = 0.0;
  bool overflow = false;
  if (!ScanNumber(p, value, overflow)) throw kMissingDigitOrName;
  CToken token;
  token.position = Offset(*cursor);
  token.kind = kNumber;
  token.tokenClass = kClassOperand;
  token.value = value;
  AddToken(token);
  *cursor = p;
}

void CExpEval::ReadNumberOrIdentifier(const char** cursor) {
  const char* p = *cursor;
  double value = 0.0;
  bool overflow = false;
  if (ScanNumber(p, value, overflow)) {
    CToken token;
    token.position = Offset(*cursor);
    token.kind = kNumber;
    token.tokenClass = kClassOperand;
    token.value = value;
    AddToken(token);
    *cursor = p;
    return;
  }
  // A literal too large for its integer is refused, not read as a name.
  if (overflow) throw kMissingDigitOrName;
  m_strError.clear();
  ReadIdentifier(cursor);
}

void CExpEval::ReadParenthesis(const char** cursor) {
  CToken token;
  token.position = Offset(*cursor);
  token.kind = kParenthesis;
  token.tokenClass = **cursor == '(' ? kClassOpen : kClassClose;
  token.character = **cursor;
  AddToken(token);
  ++*cursor;
}

void CExpEval::ReadArithmeticOperator(const char** cursor) {
  CToken token;
  token.position = Offset(*cursor);
  token.kind = kBinaryOperator;
  token.character = **cursor;
  switch (**cursor) {
    case '+': token.tokenClass = kClassPlus; break;
    case '-': token.tokenClass = kClassMinus; break;
    case '*': token.tokenClass = kClassTimes; break;
    case '/': token.tokenClass = kClassDivide; break;
    default: token.tokenClass = kClassPower; break;
  }
  AddToken(token);
  ++*cursor;
}

void CExpEval::ReadNot(const char** cursor) {
  CToken token;
  token.position = Offset(*cursor);
  token.kind = kNot;
  token.tokenClass = kClassNot;
  token.character = '!';
  AddToken(token);
  ++*cursor;
}

void CExpEval::ReadLogical(const char** cursor) {
  const char* p = *cursor;
  const int length = p[0] != '\0' && p[1] != '\0' ? 2 : 1;
  for (int i = 0; i < 2; ++i) {
    if (length == 2 && std::strncmp(p, kLogicalOperators[i], 2) == 0) {
      CToken token;
      token.position = Offset(p);
      token.kind = kLogical;
      token.tokenClass = i == 0 ? kClassAnd : kClassOr;
      token.text = kLogicalOperators[i];
      AddToken(token);
      *cursor = p + 2;
      return;
    }
  }
  Fail(kOutOfPlace, 1931, Offset(p));
}

void CExpEval::ReadRelational(const char** cursor) {
  const char* p = *cursor;
  const std::size_t length = p[0] != '\0' && p[1] == '=' ? 2 : 1;
  for (int i = 0; i < 6; ++i) {
    const char* op = kRelationalOperators[i];
    if (std::strlen(op) == length && std::strncmp(p, op, length) == 0) {
      CToken token;
      token.position = Offset(p);
      token.kind = kRelational;
      token.tokenClass = i < 4 ? kClassCompare : kClassEquality;
      token.text = op;
      AddToken(token);
      *cursor = p + length;
      return;
    }
  }
  Fail(kOutOfPlace, 1932, Offset(p));
}

void CExpEval::MarkUnaryOperators() {
  std::size_t i = 0;
  while (i < m_tokens.size()) {
    CToken& token = *m_tokens[i];
    const bool sign = token.kind == kBinaryOperator && (token.character == '+' || token.character == '-');
    if (sign) {
      const CToken* previous = i > 0 ? m_tokens[i - 1].get() : nullptr;
      const bool unary = previous == nullptr ||
                         (previous->kind == kParenthesis && previous->character == '(') ||
                         (previous->kind == kBinaryOperator && previous->character == '^');
      if (unary && token.character == '-') {
        token.kind = kUnaryMinus;
        token.tokenClass = kClassUnaryMinus;
        i += 3;  // the two tokens after a unary minus are not examined
        continue;
      }
      if (unary) {
        m_tokens.erase(m_tokens.begin() + static_cast<std::ptrdiff_t>(i));
        continue;  // the scan goes on, so a later sign after "(" or "^" is still seen
      }
    }
    ++i;
  }
}

void CExpEval::CheckOperandOrder() {
  bool operandExpected = true;
  for (const auto& token : m_tokens) {
    switch (token->kind) {
      case kBinaryOperator:
      case kLogical:
      case kRelational:
        if (operandExpected) Fail(kOperandExpected, 1933, token->position);
        operandExpected = true;
        break;
      case kVariable:
      case kNumber:
        if (!operandExpected) Fail(kOutOfPlace, 1933, token->position);
        operandExpected = false;
        break;
      case kNot:
        if (!operandExpected) Fail(kOutOfPlace, 1933, token->position);
        operandExpected = true;
        break;
      default:
        break;
    }
  }
}

void CExpEval::CheckFunctionCalls() {
  for (std::size_t i = 0; i < m_tokens.size(); ++i) {
    if (m_tokens[i]->kind != kFunction) continue;
    const CToken* next = i + 1 < m_tokens.size() ? m_tokens[i + 1].get() : nullptr;
    if (next == nullptr || next->kind != kParenthesis || next->character != '(')
      Fail(kFunctionWithoutParenthesis, 1934, next != nullptr ? next->position : m_tokens[i]->position);
  }
}

void CExpEval::CheckLastToken() {
  const int length = m_tokens.back()->position;
  // Nothing but the end token (a lone sign): an operator at the end.
  if (m_tokens.size() < 2) Fail(kSyntax, 1935, length);
  const CToken& last = *m_tokens[m_tokens.size() - 2];
  if (last.kind == kBinaryOperator || last.kind == kUnaryMinus || last.kind == kFunction ||
      (last.kind == kParenthesis && last.character == '('))
    Fail(kSyntax, 1935, length);
}

void CExpEval::Parse() {
  m_rpn.clear();
  if (m_tokens.empty() || m_tokens.back()->kind != kEnd) Fail(kSyntax, 1927, -1);
  CheckOperandOrder();
  CheckFunctionCalls();
  CheckLastToken();

  std::vector<const CToken*> stack;
  stack.reserve(m_tokens.size() + 1);
  stack.push_back(m_tokens.back().get());
  std::size_t i = 0;
  while (i < m_tokens.size()) {
    const CToken* incoming = m_tokens[i].get();
    const CToken* top = stack.back();
    const int row = incoming->tokenClass;
    const int column = top->tokenClass;
    if (row < 0 || row > 15 || column < 0 || column > 15) Fail(kSyntax, 1927, incoming->position);
    switch (kActions[row][column]) {
      case P:
        stack.push_back(incoming);
        ++i;
        break;
      case R:
        m_rpn.push_back(top);
        stack.pop_back();
        break;
      case D:
        stack.pop_back();
        ++i;
        break;
      case A:
        BuildProgram();
        m_bCompiled = true;
        return;
      default:
        Fail(kSyntax, 1927, incoming->position);
    }
  }
  Fail(kSyntax, 1927, m_tokens.back()->position);
}

// Instruction set of the compiled program. Each binary arithmetic operator
// comes in six forms, in the order add, subtract, multiply, divide, power:
// both operands on the stack; the right one a variable or a number (a push
// fused into the operator); both pushes fused (variable and variable,
// variable and number, number and variable).
enum class CExpEval::Op : std::uint8_t {
  kVariable, kNumber,
  kAdd, kSubtract, kMultiply, kDivide, kPower,
  kAddV, kSubtractV, kMultiplyV, kDivideV, kPowerV,
  kAddN, kSubtractN, kMultiplyN, kDivideN, kPowerN,
  kVAddV, kVSubtractV, kVMultiplyV, kVDivideV, kVPowerV,
  kVAddN, kVSubtractN, kVMultiplyN, kVDivideN, kVPowerN,
  kNAddV, kNSubtractV, kNMultiplyV, kNDivideV, kNPowerV,
  kNegate, kFunction, kFunctionOfVariable, kNot, kAnd, kOr,
  kLess, kGreater, kLessEqual, kGreaterEqual, kEqual, kNotEqual,
  kReturn,
};

namespace {

bool NegativeBaseFails(double left, double right) { return !(left >= 0.0) && std::fmod(right, 1.0) != 0.0; }

}  // namespace

void CExpEval::BuildProgram() {
  m_program.clear();
  // The operator's offset within its group of five, or -1 for a character that is not one.
  auto arithmeticIndex = [](const CToken* token) {
    if (token == nullptr || token->kind != kBinaryOperator) return -1;
    switch (token->character) {
      case '+': return 0;
      case '-': return 1;
      case '*': return 2;
      case '/': return 3;
      case '^': return 4;
      default: return -1;
    }
  };
  auto form = [](Op first, int index) { return static_cast<Op>(static_cast<int>(first) + index); };
  auto isPush = [](const CToken* token) { return token != nullptr && (token->kind == kVariable || token->kind == kNumber); };
  auto operand = [](const CToken* token) {
    Operand o;
    if (token->kind == kVariable)
      o.variable = &token->variable->value;
    else
      o.number = token->value;
    return o;
  };
  auto instruction = [](Op op, int position) {
    Instruction in;
    in.x.number = 0.0;
    in.y.number = 0.0;
    in.position = position;
    in.op = op;
    return in;
  };

  std::vector<Instruction> program;
  program.reserve(m_rpn.size() + 1);
  int depth = 0;  // values on the stack, the top included
  int maxDepth = 0;
  const std::size_t count = m_rpn.size();
  auto at = [&](std::size_t i) { return i < count ? m_rpn[i] : nullptr; };
  for (std::size_t i = 0; i < count; ++i) {
    const CToken* token = m_rpn[i];
    switch (token->kind) {
      case kVariable:
      case kNumber: {
        const CToken* next = at(i + 1);
        const bool variable = token->kind == kVariable;
        // Two pushes that an arithmetic operator consumes at once (not two numbers).
        if (const int index = arithmeticIndex(at(i + 2)); isPush(next) && index >= 0 &&
                                                          (variable || next->kind == kVariable)) {
          const Op first = !variable ? Op::kNAddV : next->kind == kVariable ? Op::kVAddV : Op::kVAddN;
          Instruction in = instruction(form(first, index), at(i + 2)->position);
          in.x = operand(token);
          in.y = operand(next);
          program.push_back(in);
          maxDepth = std::max(maxDepth, ++depth);
          i += 2;
          break;
        }
        // A push that an arithmetic operator consumes at once is its right operand.
        if (const int index = arithmeticIndex(next); index >= 0 && depth >= 1) {
          Instruction in = instruction(form(variable ? Op::kAddV : Op::kAddN, index), next->position);
          in.y = operand(token);
          program.push_back(in);
          ++i;
          break;
        }
        // A variable that a function takes at once.
        if (variable && next != nullptr && next->kind == kFunction) {
          Instruction in = instruction(Op::kFunctionOfVariable, next->position);
          in.x = operand(token);
          in.y.function = next->function->function;
          program.push_back(in);
          maxDepth = std::max(maxDepth, ++depth);
          ++i;
          break;
        }
        Instruction in = instruction(variable ? Op::kVariable : Op::kNumber, token->position);
        in.x = operand(token);
        program.push_back(in);
        maxDepth = std::max(maxDepth, ++depth);
        break;
      }
      case kBinaryOperator: {
        const int index = arithmeticIndex(token);
        if (depth < 2 || index < 0) return;
        program.push_back(instruction(form(Op::kAdd, index), token->position));
        --depth;
        break;
      }
      case kUnaryMinus:
        if (depth < 1) return;
        program.push_back(instruction(Op::kNegate, token->position));
        break;
      case kFunction: {
        if (depth < 1) return;
        Instruction in = instruction(Op::kFunction, token->position);
        in.y.function = token->function->function;
        program.push_back(in);
        break;
      }
      case kNot:
        if (depth < 1) return;
        program.push_back(instruction(Op::kNot, token->position));
        break;
      case kLogical: {
        if (depth < 2) return;
        Op op;
        if (std::strcmp(token->text, "&&") == 0) op = Op::kAnd;
        else if (std::strcmp(token->text, "||") == 0) op = Op::kOr;
        else return;
        program.push_back(instruction(op, token->position));
        --depth;
        break;
      }
      case kRelational: {
        if (depth < 2) return;
        const char* text = token->text;
        Op op;
        if (std::strcmp(text, "<") == 0) op = Op::kLess;
        else if (std::strcmp(text, ">") == 0) op = Op::kGreater;
        else if (std::strcmp(text, "<=") == 0) op = Op::kLessEqual;
        else if (std::strcmp(text, ">=") == 0) op = Op::kGreaterEqual;
        else if (std::strcmp(text, "==") == 0) op = Op::kEqual;
        else if (std::strcmp(text, "!=") == 0) op = Op::kNotEqual;
        else return;
        program.push_back(instruction(op, token->position));
        --depth;
        break;
      }
      case kEnd:
        if (i + 1 < count) return;
        break;
      default:
        return;
    }
  }
  // Anything but exactly one value at the end is a structural failure, left to the token walk.
  if (depth != 1) return;
  program.push_back(instruction(Op::kReturn, 0));
  // The top lives in a register; a push stores the previous top, so depth slots suffice.
  if (m_stack.size() < static_cast<std::size_t>(maxDepth) + 1) m_stack.resize(static_cast<std::size_t>(maxDepth) + 1);
  m_program = std::move(program);
}

int CExpEval::ArithmeticFailure(std::int32_t position, std::uint32_t messageId) {
  m_nErrorPosition = position;
  m_strError = Message(messageId);
  return kArithmetic;
}

int CExpEval::BadFunctionInput(std::int32_t position) {
  m_nErrorPosition = position;
  m_strError = kBadFunctionInput;
  return kArithmetic;
}

int CExpEval::NotANumberResult() {
  m_strError = Message(1943);
  return kArithmetic;
}

int CExpEval::Evaluate(double* result) {
  if (!m_bCompiled) return kNotCompiled;
  return m_program.empty() ? EvaluateTokens(result) : RunProgram(result);
}

int CExpEval::RunProgram(double* result) {
  const Instruction* in = m_program.data();
  double* below = m_stack.data();  // the values under the top
  double top = 0.0;
  // The five operators on a left and a right value; a failure returns from RunProgram.
#define OSTREL_ARITHMETIC_FORMS(ADD, SUBTRACT, MULTIPLY, DIVIDE, POWER, LEFT, RIGHT, STORE)    \
  case Op::ADD: STORE((LEFT) + (RIGHT)); break;                                                 \
  case Op::SUBTRACT: STORE((LEFT) - (RIGHT)); break;                                            \
  case Op::MULTIPLY: STORE((LEFT) * (RIGHT)); break;                                            \
  case Op::DIVIDE: {                                                                            \
    const double right = (RIGHT);                                                               \
    if (right == 0.0) [[unlikely]] return ArithmeticFailure(in->position, 1937);                             \
    STORE((LEFT) / right);                                                                      \
    break;                                                                                      \
  }                                                                                             \
  case Op::POWER: {                                                                             \
    const double right = (RIGHT);                                                               \
    const double left = (LEFT);                                                                 \
    if (NegativeBaseFails(left, right)) [[unlikely]] return ArithmeticFailure(in->position, 1936);           \
    STORE(std::pow(left, right));                                                               \
    break;                                                                                      \
  }
#define OSTREL_SET_TOP(value) top = (value)
#define OSTREL_POP_AND_SET(value) \
  do {                            \
    top = (value);                \
    --below;                      \
  } while (false)
#define OSTREL_PUSH(value) \
  do {                     \
    *below++ = top;        \
    top = (value);         \
  } while (false)
  for (;; ++in) {
    switch (in->op) {
      case Op::kVariable: OSTREL_PUSH(*in->x.variable); break;
      case Op::kNumber: OSTREL_PUSH(in->x.number); break;
      OSTREL_ARITHMETIC_FORMS(kAdd, kSubtract, kMultiply, kDivide, kPower, below[-1], top, OSTREL_POP_AND_SET)
      OSTREL_ARITHMETIC_FORMS(kAddV, kSubtractV, kMultiplyV, kDivideV, kPowerV, top, *in->y.variable, OSTREL_SET_TOP)
      OSTREL_ARITHMETIC_FORMS(kAddN, kSubtractN, kMultiplyN, kDivideN, kPowerN, top, in->y.number, OSTREL_SET_TOP)
      OSTREL_ARITHMETIC_FORMS(kVAddV, kVSubtractV, kVMultiplyV, kVDivideV, kVPowerV, *in->x.variable,
                              *in->y.variable, OSTREL_PUSH)
      OSTREL_ARITHMETIC_FORMS(kVAddN, kVSubtractN, kVMultiplyN, kVDivideN, kVPowerN, *in->x.variable, in->y.number,
                              OSTREL_PUSH)
      OSTREL_ARITHMETIC_FORMS(kNAddV, kNSubtractV, kNMultiplyV, kNDivideV, kNPowerV, in->x.number, *in->y.variable,
                              OSTREL_PUSH)
      case Op::kNegate: top = -top; break;
      case Op::kFunction:
        top = in->y.function(top);
        if (std::isnan(top)) [[unlikely]] return BadFunctionInput(in->position);
        break;
      case Op::kFunctionOfVariable: {
        const double value = in->y.function(*in->x.variable);
        if (std::isnan(value)) [[unlikely]] return BadFunctionInput(in->position);
        OSTREL_PUSH(value);
        break;
      }
      case Op::kNot: top = top == 0.0 ? 1.0 : 0.0; break;
      case Op::kAnd: {
        const bool left = *--below != 0.0;
        top = left && top != 0.0 ? 1.0 : 0.0;
        break;
      }
      case Op::kOr: {
        const bool left = *--below != 0.0;
        top = left || top != 0.0 ? 1.0 : 0.0;
        break;
      }
      case Op::kLess: top = *--below < top ? 1.0 : 0.0; break;
      case Op::kGreater: top = *--below > top ? 1.0 : 0.0; break;
      case Op::kLessEqual: top = *--below <= top ? 1.0 : 0.0; break;
      case Op::kGreaterEqual: top = *--below >= top ? 1.0 : 0.0; break;
      case Op::kEqual: top = *--below == top ? 1.0 : 0.0; break;
      case Op::kNotEqual: top = *--below != top ? 1.0 : 0.0; break;
      case Op::kReturn:
        *result = top;
        return std::isnan(top) ? NotANumberResult() : kOk;
    }
  }
#undef OSTREL_PUSH
#undef OSTREL_POP_AND_SET
#undef OSTREL_SET_TOP
#undef OSTREL_ARITHMETIC_FORMS
}

int CExpEval::EvaluateTokens(double* result) {
  const std::size_t count = m_rpn.size();
  if (m_stack.size() < count + 1) m_stack.resize(count + 1);
  double* stack = m_stack.data();
  std::size_t top = 0;  // number of values on the stack

  auto structural = [this]() {
    m_nErrorPosition = -1;
    m_strError = Message(1927);
    return static_cast<int>(kStructural);
  };
  auto arithmetic = [this](const CToken* token, const std::string& text) {
    m_nErrorPosition = token->position;
    m_strError = text;
    return static_cast<int>(kArithmetic);
  };

  for (std::size_t i = 0; i < count; ++i) {
    const CToken* token = m_rpn[i];
    switch (token->kind) {
      case kVariable:
        stack[top++] = token->variable->value;
        break;
      case kNumber:
        stack[top++] = token->value;
        break;
      case kBinaryOperator: {
        if (top < 2) return structural();
        const double right = stack[--top];
        const double left = stack[top - 1];
        double value;
        switch (token->character) {
          case '+': value = left + right; break;
          case '-': value = left - right; break;
          case '*': value = left * right; break;
          case '/':
            if (right == 0.0) return arithmetic(token, Message(1937));
            value = left / right;
            break;
          case '^':
            if (!(left >= 0.0) && std::fmod(right, 1.0) != 0.0) return arithmetic(token, Message(1936));
            value = std::pow(left, right);
            break;
          default: value = 1e30; break;
        }
        stack[top - 1] = value;
        break;
      }
      case kUnaryMinus:
        if (top < 1) return structural();
        stack[top - 1] = -stack[top - 1];
        break;
      case kFunction: {
        if (top < 1) return structural();
        const double value = token->function->function(stack[top - 1]);
        if (std::isnan(value)) return arithmetic(token, kBadFunctionInput);
        stack[top - 1] = value;
        break;
      }
      case kNot:
        if (top < 1) return structural();
        stack[top - 1] = stack[top - 1] == 0.0 ? 1.0 : 0.0;
        break;
      case kLogical: {
        if (top < 2) return structural();
        const bool right = stack[--top] != 0.0;
        const bool left = stack[top - 1] != 0.0;
        if (std::strcmp(token->text, "&&") == 0)
          stack[top - 1] = left && right ? 1.0 : 0.0;
        else if (std::strcmp(token->text, "||") == 0)
          stack[top - 1] = left || right ? 1.0 : 0.0;
        else
          return structural();
        break;
      }
      case kRelational: {
        if (top < 2) return structural();
        const double right = stack[--top];
        const double left = stack[top - 1];
        bool value;
        const char* op = token->text;
        if (std::strcmp(op, "<") == 0) value = left < right;
        else if (std::strcmp(op, ">") == 0) value = left > right;
        else if (std::strcmp(op, "<=") == 0) value = left <= right;
        else if (std::strcmp(op, ">=") == 0) value = left >= right;
        else if (std::strcmp(op, "==") == 0) value = left == right;
        else if (std::strcmp(op, "!=") == 0) value = left != right;
        else return structural();
        stack[top - 1] = value ? 1.0 : 0.0;
        break;
      }
      case kEnd:
        if (i + 1 < count) return structural();
        break;
      default:
        return structural();
    }
  }
  if (top != 1) return structural();
  *result = stack[0];
  if (std::isnan(*result)) {
    m_strError = Message(1943);
    return kArithmetic;
  }
  return kOk;
}

CExpEval::Variable* CExpEval::SetVariableValue(const char* name, double value) {
  if (!m_bCompiled) {
    int out = 0;
    Compile(&out);
    if (!m_bCompiled) return nullptr;
  }
  if (name == nullptr) return nullptr;
  if (*name == '!') ++name;
  if (*name == '\0') return nullptr;
  for (const auto& variable : m_variables) {
    if (NamesEqual(variable->name, name, m_bVariableNamesCaseSensitive)) {
      variable->value = value;
      return variable.get();
    }
  }
  return nullptr;
}
