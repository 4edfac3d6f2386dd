#pragma once
// The expression evaluator: one infix expression over named variables is
// split into tokens, checked, compiled to reverse Polish order and evaluated
// to a double any number of times. Derived classes supply the one-argument
// functions an expression may call and may replace the tokenizer and the
// compile step; the token readers below are their building blocks.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/object.h"

class CExpEval : public CObject {
 public:
  // Thrown inside a compile with the failure code; Compile catches it.
  enum ErrorCode : int {
    kIllegalCharacter = 1,
    kMissingDigitOrName = 2,
    kZeroExponent = 3,
    kSyntax = 5,
    kOperandExpected = 8,
    kOutOfPlace = 9,
    kFunctionWithoutParenthesis = 10,
  };

  // Results of Evaluate.
  enum EvaluateResult : int { kOk = 0, kArithmetic = 3, kStructural = 5, kNotCompiled = 7 };

  enum TokenKind : int {
    kVariable = 0,
    kNumber = 1,
    kBinaryOperator = 2,
    kUnaryMinus = 3,
    kParenthesis = 4,
    kFunction = 5,
    kValue = 6,
    kNot = 7,
    kLogical = 8,
    kRelational = 9,
    kEnd = 10,
  };

  // Token classes: the rows and columns of the parser's action table.
  enum TokenClass : int {
    kClassPlus = 0, kClassMinus = 1, kClassTimes = 2, kClassDivide = 3, kClassPower = 4,
    kClassUnaryMinus = 5, kClassFunction = 6, kClassOperand = 7, kClassOpen = 8, kClassClose = 9,
    kClassEnd = 10, kClassAnd = 11, kClassOr = 12, kClassCompare = 13, kClassEquality = 14,
    kClassNot = 15,
  };

  static constexpr int kMaxTokens = 500;  // including the end token
  static constexpr int kMaxVariables = 500;
  static constexpr int kMaxNameLength = 259;

  struct FunctionEntry {
    const char* name;
    double (*function)(double);
  };

  struct Variable {
    std::string name;
    double value = 0.0;
  };

  struct CToken {
    int position = 0;  // byte offset of its first character in the tokenized text
    int kind = kEnd;
    int tokenClass = kClassEnd;
    union {
      double value;                    // number
      Variable* variable;              // variable
      const FunctionEntry* function;   // function
      const char* text;                // logical or relational operator ("&&", "<=", ...)
      char character;                  // arithmetic operator, parenthesis, not
    };
    CToken() : value(0.0) {}
  };

  CExpEval();
  ~CExpEval() override;
  CExpEval(const CExpEval&) = delete;
  CExpEval& operator=(const CExpEval&) = delete;

  // Replaces the expression, drops tokens and variables; does not compile.
  void SetExpression(const char* text);
  const std::string& GetExpression() const { return m_strExpression; }

  // Compiles the current expression. On failure: false, the error text and
  // position tell why, and the evaluator stays uncompiled. *out is set to 0.
  virtual bool Compile(int* out);
  // Evaluates the compiled expression with the current variable values;
  // returns an EvaluateResult.
  virtual int Evaluate(double* result);
  // The derived class's table of one-argument functions.
  virtual void GetFunctionTable(const FunctionEntry** table, int* count) = 0;
  // Splits text into the token table (the end token last).
  virtual void Tokenize(const char* text);

  // Compiles first when needed; sets the first variable of that name (a
  // leading "!" is skipped) and returns it, or null when there is none.
  Variable* SetVariableValue(const char* name, double value);

  int GetVariableCount() const { return static_cast<int>(m_variables.size()); }
  Variable* GetVariable(int index) const { return m_variables[index].get(); }
  int GetTokenCount() const { return static_cast<int>(m_tokens.size()); }
  const CToken& GetToken(int index) const { return *m_tokens[index]; }
  bool IsCompiled() const { return m_bCompiled; }

  void ClearTokens();
  void ClearVariables();

  // Character classes of the base language.
  static bool IsArithmeticChar(char c);
  static bool IsParenthesisChar(char c);
  static bool IsLogicalChar(char c);
  static bool IsRelationalChar(char c);
  static bool IsNameSymbolChar(char c);

  // Read directly by derived classes and their users.
  int m_nErrorPosition = 0;  // -1 for failures without a place
  std::string m_strError;
  bool m_bFunctionNamesCaseSensitive = true;
  bool m_bVariableNamesCaseSensitive = true;

 protected:
  // Appends a token (refused with code 5 beyond the token limit); its index.
  int AddToken(const CToken& token);
  // The variable of that name; a new one (value 0) is appended when absent,
  // refused with code 5 beyond the variable limit. position locates a failure.
  Variable* FindOrAddVariable(const std::string& name, int position);
  const FunctionEntry* FindFunction(const std::string& name);

  // A tokenizer's first step: clears the compiled flag and makes text the base
  // of the token positions.
  void StartTokenizing(const char* text);
  // Token readers: each reads at *cursor, adds its token and moves the cursor past it.
  void ReadIdentifier(const char** cursor);
  void ReadMarkedVariable(const char** cursor);
  void ReadNumberOrIdentifier(const char** cursor);
  void ReadNumber(const char** cursor);
  void ReadParenthesis(const char** cursor);
  void ReadArithmeticOperator(const char** cursor);
  void ReadNot(const char** cursor);
  void ReadLogical(const char** cursor);
  void ReadRelational(const char** cursor);
  void MarkUnaryOperators();
  void AddEndToken();

  // The checks and the operator-precedence parse; sets the compiled flag.
  void Parse();
  void CheckOperandOrder();
  void CheckFunctionCalls();
  void CheckLastToken();

  // Sets the error position and text and throws the code.
  [[noreturn]] void Fail(ErrorCode code, std::uint32_t messageId, int position);
  int Offset(const char* at) const { return static_cast<int>(at - m_pszTokenText); }
  static std::string Message(std::uint32_t id);

  std::string m_strExpression;
  bool m_bCompiled = false;
  const char* m_pszTokenText = nullptr;  // start of the text being tokenized
  std::vector<std::unique_ptr<Variable>> m_variables;
  std::vector<std::unique_ptr<CToken>> m_tokens;
  std::vector<const CToken*> m_rpn;

 private:
  // Reads a literal without adding a token; false with the error set when it is malformed.
  bool ScanNumber(const char*& p, double& value, bool& overflow);
  bool ScanInteger(const char*& p, std::int32_t& value, bool& overflow);

  // The compiled program: the reverse Polish list as a flat array of
  // instructions with their operands inline, evaluated with the top of the
  // value stack in a register. Pushes that a binary arithmetic operator or a
  // function consumes at once are fused into it. Built after a successful
  // parse when the list is sound (no operator short of operands, one value at
  // the end); any other list is walked token by token so that it fails as it
  // always did. Evaluating allocates nothing.
  enum class Op : std::uint8_t;
  union Operand {
    double number;
    const double* variable;
    double (*function)(double);
  };
  struct Instruction {
    Operand x;              // the pushed or left operand
    Operand y;              // the right operand or the function
    std::int32_t position;  // of the operator's or function's token
    Op op;
  };
  void BuildProgram();
  int RunProgram(double* result);
  int EvaluateTokens(double* result);
  int ArithmeticFailure(std::int32_t position, std::uint32_t messageId);
  int BadFunctionInput(std::int32_t position);
  int NotANumberResult();

  const FunctionEntry* m_pFunctionTable = nullptr;
  int m_nFunctionCount = 0;
  bool m_bFunctionTableFetched = false;
  std::vector<double> m_stack;  // the evaluation's value stack, kept between evaluations
  std::vector<Instruction> m_program;  // empty when the list is evaluated token by token
};
