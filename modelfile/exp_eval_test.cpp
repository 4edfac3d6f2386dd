#include "modelfile/exp_eval.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "modelfile/property_calculation.h"
#include "standins/tresk.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// The property formula's evaluator, with the compile failure code made visible.
class TestEval : public CPropertyCalculation {
 public:
  void Tokenize(const char* text) override {
    try {
      CPropertyCalculation::Tokenize(text);
      Parse();
    } catch (ErrorCode code) {
      m_nCode = code;
      throw;
    }
  }
  int m_nCode = 0;
};

struct Row {
  std::string text;
  std::vector<std::pair<const char*, double>> variables;
  int compileCode;  // 0 compiles; -1 refused without a code
  int result;       // of Evaluate, when it compiles
  double value;
  int messageId;    // 0: none; -2: the function-input text
  int position;
};

TEST(ExpEvalTest, FormulaTable) {
  const double kNan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<Row> rows = {
      // literals
      {"5e0", {}, 0, 0, 5, 0, 0},
      {"0e0", {}, 0, 0, 0, 0, 0},
      {"2.5e-3", {}, 0, 0, 2.5 * 0.1 * 0.1 * 0.1, 0, 0},
      {"1.5e1", {}, 0, 0, 15, 0, 0},
      {"1e+2", {}, 0, 0, 100, 0, 0},
      {"0.125", {}, 0, 0, 0.125, 0, 0},
      {"2147483647", {}, 0, 0, 2147483647.0, 0, 0},
      {"1e2147483647", {}, 0, 0, kInf, 0, 0},
      {"1e-2147483647", {}, 0, 0, 0, 0, 0},
      {"1e", {{"1e", 7}}, 0, 0, 7, 0, 0},
      {"2e+x", {{"2e", 3}, {"x", 1}}, 0, 0, 4, 0, 0},
      {".5", {}, 2, 0, 0, 1929, 0},
      {"5.", {}, 2, 0, 0, 1929, 1},
      {"2147483648", {}, 2, 0, 0, 1929, 0},
      {"1e2147483648", {}, 2, 0, 0, 1929, 2},
      // characters of the base language
      {"a<b", {{"a<b", 3}}, 0, 0, 3, 0, 0},
      {"x=1", {}, 1, 0, 0, 1928, 1},
      {"!exp+exp(1)", {{"exp", 1}}, 0, 0, 1 + std::exp(1.0), 0, 0},
      {"!", {}, 2, 0, 0, 1929, 1},
      // precedence and signs
      {"-2^2", {}, 0, 0, 4, 0, 0},
      {"2^3^2", {}, 0, 0, 512, 0, 0},
      {"2^-3", {}, 0, 0, 0.125, 0, 0},
      {"a-b-c", {{"a", 10}, {"b", 3}, {"c", 2}}, 0, 0, 5, 0, 0},
      {"8/4/2", {}, 0, 0, 1, 0, 0},
      {"1+2*3^2", {}, 0, 0, 19, 0, 0},
      {"+a", {{"a", 2}}, 0, 0, 2, 0, 0},
      {"+a*(-b)", {{"a", 2}, {"b", 3}}, 0, 0, -6, 0, 0},
      {"2*-3", {}, 8, 0, 0, 1933, 2},
      {"-(-x)", {}, 8, 0, 0, 1933, 2},
      {"a b", {}, 9, 0, 0, 1933, 2},
      {"(a)(b)", {}, 9, 0, 0, 1933, 4},
      // structure
      {"sqrt", {}, 10, 0, 0, 1934, 4},
      {"sqrt 2", {}, 10, 0, 0, 1934, 5},
      {"(a", {}, 5, 0, 0, 1927, 2},
      {"a)", {}, 5, 0, 0, 1927, 1},
      {"a+", {}, 5, 0, 0, 1935, 2},
      {"+", {}, 5, 0, 0, 1935, 1},
      {"()", {}, 0, 5, 0, 1927, -1},
      {"", {}, -1, 0, 0, 1926, 0},
      {" \t ", {}, -1, 0, 0, 1926, 0},
      // arithmetic
      {"1/0", {}, 0, 3, 0, 1937, 1},
      {"(-8)^(1/3)", {}, 0, 3, 0, 1936, 4},
      {"(-8)^3", {}, 0, 0, -512, 0, 0},
      {"x^0.5", {{"x", -4}}, 0, 3, 0, 1936, 1},
      {"sqrt(-1)", {}, 0, 3, 0, -2, 0},
      {"2+sqrt(x)", {{"x", -1}}, 0, 3, 0, -2, 2},
      {"ln(0)", {}, 0, 0, -kInf, 0, 0},
      {"0^-1", {}, 0, 0, kInf, 0, 0},
      {"x", {{"x", kNan}}, 0, 3, kNan, 1943, 0},
      {"lg(1000)+abs(-2)", {}, 0, 0, 5, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("expression: " + row.text);
    TestEval eval;
    eval.SetExpression(row.text.c_str());
    int out = -1;
    const bool compiled = eval.Compile(&out);
    EXPECT_EQ(out, 0);
    if (row.compileCode != 0) {
      EXPECT_FALSE(compiled);
      EXPECT_FALSE(eval.IsCompiled());
      if (row.compileCode > 0) {
        EXPECT_EQ(eval.m_nCode, row.compileCode);
        EXPECT_EQ(eval.m_nErrorPosition, row.position);
      }
      EXPECT_EQ(eval.m_strError, LoadTreskString(row.messageId));
      double ignored;
      EXPECT_EQ(eval.Evaluate(&ignored), CExpEval::kNotCompiled);
      continue;
    }
    ASSERT_TRUE(compiled) << eval.m_strError << " at " << eval.m_nErrorPosition;
    EXPECT_EQ(eval.GetVariableCount(), static_cast<int>(row.variables.size()));
    for (const auto& [name, value] : row.variables) EXPECT_NE(eval.SetVariableValue(name, value), nullptr) << name;
    double value = 0;
    EXPECT_EQ(eval.Evaluate(&value), row.result);
    if (row.result == 0) {
      if (std::isfinite(row.value))
        EXPECT_DOUBLE_EQ(value, row.value);
      else
        EXPECT_EQ(value, row.value);
    } else {
      const std::string text = row.messageId == -2 ? "Error: Bad input value to function." : LoadTreskString(row.messageId);
      EXPECT_EQ(eval.m_strError, text);
      if (row.messageId != 1943) {
        EXPECT_EQ(eval.m_nErrorPosition, row.position);
      }
    }
  }
}

TEST(ExpEvalTest, LimitsOfTokensVariablesAndNames) {
  auto compileCode = [](const std::string& text, int* position) {
    TestEval eval;
    eval.SetExpression(text.c_str());
    int out;
    const bool ok = eval.Compile(&out);
    *position = eval.m_nErrorPosition;
    if (!ok) {
      EXPECT_EQ(eval.m_strError, LoadTreskString(1927));
    }
    return ok ? 0 : eval.m_nCode;
  };
  auto sum = [](int terms, bool distinct) {
    std::string text;
    for (int i = 0; i < terms; ++i) text += (i ? "+" : "") + (distinct ? "v" + std::to_string(i) : std::string("1"));
    return text;
  };
  int position = 0;
  EXPECT_EQ(compileCode(sum(250, false), &position), 0);  // 499 tokens and the end
  const std::string tooLong = sum(251, false);             // 501 tokens and the end
  EXPECT_EQ(compileCode(tooLong, &position), 5);
  EXPECT_EQ(position, static_cast<int>(tooLong.size()) - 1);

  EXPECT_EQ(compileCode(sum(250, true), &position), 0);
  // Parenthesised pairs keep the token count in bounds while the variables pass 500.
  std::string pairs;
  for (int i = 0; i < 501; ++i) pairs += (i ? "+" : "") + std::string("v") + std::to_string(i);
  EXPECT_EQ(compileCode(pairs, &position), 5);

  const std::string name259(259, 'n');
  EXPECT_EQ(compileCode(name259 + "+1", &position), 0);
  EXPECT_EQ(compileCode("1+" + name259 + "n", &position), 5);
  EXPECT_EQ(position, 2);
  EXPECT_EQ(compileCode("1+!" + name259 + "n", &position), 5);
}

TEST(ExpEvalTest, VariableNamesAndValues) {
  TestEval eval;
  eval.SetExpression("A+a");
  const CExpEval::Variable* first = eval.SetVariableValue("A", 1);  // compiles on demand
  ASSERT_EQ(eval.GetVariableCount(), 2);
  EXPECT_EQ(first, eval.GetVariable(0));
  eval.m_bVariableNamesCaseSensitive = false;
  int out;
  ASSERT_TRUE(eval.Compile(&out));
  EXPECT_EQ(eval.GetVariableCount(), 1);
  ASSERT_NE(eval.SetVariableValue("!a", 4), nullptr);
  double value;
  EXPECT_EQ(eval.Evaluate(&value), 0);
  EXPECT_EQ(value, 8);

  EXPECT_EQ(eval.SetVariableValue("unused", 1), nullptr);
  EXPECT_EQ(eval.SetVariableValue("!", 1), nullptr);
  eval.SetExpression("x+");
  EXPECT_EQ(eval.SetVariableValue("x", 1), nullptr);  // the compile on demand failed

  // Function names follow their own flag.
  eval.SetExpression("SQRT(4)");
  EXPECT_FALSE(eval.Compile(&out));
  eval.m_bFunctionNamesCaseSensitive = false;
  ASSERT_TRUE(eval.Compile(&out));
  EXPECT_EQ(eval.Evaluate(&value), 0);
  EXPECT_EQ(value, 2);
}

// The tokens only a derived tokenizer produces, evaluated by the base.
class LogicEval : public TestEval {
 public:
  void Tokenize(const char* text) override {
    StartTokenizing(text);
    const char* p = text;
    while (*p != '\0') {
      if (*p == ' ') {
        ++p;
      } else if (*p == '!' && p[1] != '=') {
        ReadNot(&p);
      } else if (IsLogicalChar(*p)) {
        ReadLogical(&p);
      } else if (IsRelationalChar(*p)) {
        ReadRelational(&p);
      } else if (*p >= '0' && *p <= '9') {
        ReadNumber(&p);
      } else if (IsParenthesisChar(*p)) {
        ReadParenthesis(&p);
      } else if (IsArithmeticChar(*p)) {
        ReadArithmeticOperator(&p);
      } else {
        ReadIdentifier(&p);
      }
    }
    MarkUnaryOperators();
    AddEndToken();
  }
};

TEST(ExpEvalTest, LogicalAndRelationalOperators) {
  const std::vector<std::pair<std::string, double>> rows = {
      {"1<2 && 2<=2", 1}, {"1>2 || 3>=4", 0},   {"1==1 && 2!=2", 0}, {"!0", 1},
      {"!2*3", 0},        {"!0*3", 3},          {"1+1==2", 1},       {"0 || 0 && 1", 0},
      {"1 || 0 && 0", 1}, {"2<3==1", 1},
  };
  for (const auto& [text, expected] : rows) {
    SCOPED_TRACE(text);
    LogicEval eval;
    eval.SetExpression(text.c_str());
    int out;
    ASSERT_TRUE(eval.Compile(&out)) << eval.m_strError << " at " << eval.m_nErrorPosition;
    double value;
    ASSERT_EQ(eval.Evaluate(&value), 0);
    EXPECT_EQ(value, expected);
  }
  LogicEval eval;
  int out;
  double value;
  // A not meeting a not is output before its operand: the list has no value for it.
  eval.SetExpression("!!0");
  ASSERT_TRUE(eval.Compile(&out));
  EXPECT_EQ(eval.Evaluate(&value), CExpEval::kStructural);
  eval.SetExpression("1 &| 2");
  EXPECT_FALSE(eval.Compile(&out));
  EXPECT_EQ(eval.m_strError, LoadTreskString(1931));
  EXPECT_EQ(eval.m_nErrorPosition, 2);
  eval.SetExpression("1 =< 2");
  EXPECT_FALSE(eval.Compile(&out));
  EXPECT_EQ(eval.m_strError, LoadTreskString(1932));
  eval.SetExpression("1 &");
  EXPECT_FALSE(eval.Compile(&out));
  EXPECT_EQ(eval.m_strError, LoadTreskString(1931));
}

}  // namespace

namespace {

// Every form of the compiled program (pushes fused into operators and
// functions, both operands on the stack, the logical and relational steps)
// against the same arithmetic written out, at points that pass and at points
// that fail; a failed evaluation leaves nothing behind for the next one.
TEST(ExpEvalTest, CompiledFormsMatchTheArithmetic) {
  using Values = std::vector<double>;  // x, y, z
  struct Formula {
    const char* text;
    double (*reference)(double x, double y, double z);
  };
  const std::vector<Formula> formulas = {
      {"x+y*z", [](double x, double y, double z) { return x + y * z; }},
      {"x-y/z", [](double x, double y, double z) { return x - y / z; }},
      {"x*2-3/y+z^2", [](double x, double y, double z) { return x * 2 - 3 / y + std::pow(z, 2.0); }},
      {"2-x*(3+y)", [](double x, double y, double) { return 2 - x * (3 + y); }},
      {"(x+1)*(y-2)/(z+3)", [](double x, double y, double z) { return (x + 1) * (y - 2) / (z + 3); }},
      {"-x^y+z", [](double x, double y, double z) { return std::pow(-x, y) + z; }},
      {"x^y^2", [](double x, double y, double) { return std::pow(x, std::pow(y, 2.0)); }},
      {"2^x-4/z", [](double x, double, double z) { return std::pow(2.0, x) - 4 / z; }},
      {"sqrt(x)*y+abs(z)", [](double x, double y, double z) { return std::sqrt(x) * y + std::fabs(z); }},
      {"exp(x-y)+ln(z*z)", [](double x, double y, double z) { return std::exp(x - y) + std::log(z * z); }},
      {"x", [](double x, double, double) { return x; }},
      {"3", [](double, double, double) { return 3.0; }},
      {"(x)", [](double x, double, double) { return x; }},
      {"((x*y)-(y*z))*((z+x)/(y+1))", [](double x, double y, double z) { return (x * y - y * z) * ((z + x) / (y + 1)); }},
  };
  const std::vector<Values> points = {{1.5, 2.25, -0.75}, {4, 0.5, 3}, {0.1, 7, 1e-3}, {1e10, -2, 0.3}};
  for (const Formula& formula : formulas) {
    TestEval eval;
    eval.SetExpression(formula.text);
    int out;
    ASSERT_TRUE(eval.Compile(&out)) << formula.text;
    for (const Values& v : points) {
      SCOPED_TRACE(std::string(formula.text) + " at " + std::to_string(v[0]) + ", " + std::to_string(v[1]) + ", " +
                   std::to_string(v[2]));
      eval.SetVariableValue("x", v[0]);
      eval.SetVariableValue("y", v[1]);
      eval.SetVariableValue("z", v[2]);
      const double expected = formula.reference(v[0], v[1], v[2]);
      double value = 0;
      if (std::isnan(expected)) {
        EXPECT_EQ(eval.Evaluate(&value), CExpEval::kArithmetic);
      } else {
        ASSERT_EQ(eval.Evaluate(&value), CExpEval::kOk) << eval.m_strError;
        EXPECT_DOUBLE_EQ(value, expected);
      }
    }
  }

  struct Failure {
    const char* text;
    Values values;  // x, y
    int messageId;  // -2: the function-input text
    int position;
    bool always = false;  // fails whatever the values
  };
  const std::vector<Failure> failures = {
      {"x/y", {1, 0}, 1937, 1},          {"x/0", {1, 0}, 1937, 1, true},   {"2/y", {1, 0}, 1937, 1},
      {"(x+1)/y", {1, 0}, 1937, 5},      {"(x+1)/0", {1, 0}, 1937, 5, true}, {"(x+1)/(y-y)", {1, 2}, 1937, 5, true},
      {"x^y", {-8, 0.5}, 1936, 1},       {"x^0.5", {-8, 0}, 1936, 1},       {"2+(-8)^y", {0, 0.5}, 1936, 6},
      {"(x-9)^(1/y)", {1, 3}, 1936, 5},  {"(-2)^y", {0, 1.5}, 1936, 4},     {"2*sqrt(x)", {-1, 0}, -2, 2},
      {"sqrt(x-2)", {1, 0}, -2, 0},      {"y+ln(x)", {-1, 0}, -2, 2},       {"x*y", {kInf, 0}, 1943, -1},
      {"x-x+y", {kInf, 1}, 1943, -1},
  };
  for (const Failure& failure : failures) {
    SCOPED_TRACE(failure.text);
    TestEval eval;
    eval.SetExpression(failure.text);
    int out;
    ASSERT_TRUE(eval.Compile(&out));
    eval.SetVariableValue("x", failure.values[0]);
    eval.SetVariableValue("y", failure.values[1]);
    eval.m_nErrorPosition = -1;
    double value = 0;
    EXPECT_EQ(eval.Evaluate(&value), CExpEval::kArithmetic);
    EXPECT_EQ(eval.m_strError, failure.messageId == -2 ? std::string("Error: Bad input value to function.")
                                                        : LoadTreskString(failure.messageId));
    EXPECT_EQ(eval.m_nErrorPosition, failure.position);
    if (failure.messageId == 1943) {
      EXPECT_TRUE(std::isnan(value));
    }
    // The next evaluation at good values starts afresh.
    if (!failure.always) {
      eval.SetVariableValue("x", 10);
      eval.SetVariableValue("y", 2);
      EXPECT_EQ(eval.Evaluate(&value), CExpEval::kOk);
    }
  }
}

// A right-associative chain keeps every operand on the stack until the end.
TEST(ExpEvalTest, DeepStack) {
  std::string text = "x";
  for (int i = 0; i < 240; ++i) text += "^x";
  TestEval eval;
  eval.SetExpression(text.c_str());
  int out;
  ASSERT_TRUE(eval.Compile(&out)) << eval.m_strError;
  eval.SetVariableValue("x", 1.0);
  double value = 0;
  ASSERT_EQ(eval.Evaluate(&value), CExpEval::kOk);
  EXPECT_EQ(value, 1.0);
  eval.SetVariableValue("x", -1.0);
  ASSERT_EQ(eval.Evaluate(&value), CExpEval::kOk);
  EXPECT_EQ(value, -1.0);
}

}  // namespace
