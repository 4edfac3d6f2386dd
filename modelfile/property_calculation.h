#pragma once
// Property formulas: a dependent property computed from input properties by
// an expression, with the functions sqrt, abs, ln, lg and exp. The model
// keeps its formulas in an owning array and reads and writes them as the
// Formulas section of the model file.

#include <string>
#include <vector>

#include "foundation/ptr_array.h"
#include "modelfile/exp_eval.h"
#include "platform/object.h"
#include "platform/xml_dom.h"

// Set when a reader changed the model while loading it (a reset formula
// range); the model-file reader clears it before reading and saves the file
// after reading when it is set. Used from the loading thread only.
extern bool g_bModelRewritten;

// One named input value of an evaluation.
class CPropertyValue : public CObject {
 public:
  CPropertyValue() = default;
  CPropertyValue(std::string name, double value) : m_strName(std::move(name)), m_dValue(value) {}
  static int CompareElements(const void* slotA, const void* slotB);

  std::string m_strName;
  double m_dValue = 0.0;
};

using CPropertyValueArray = CAutoDestructArray<CPtrArray, CPropertyValue*>;

class CPropertyCalculation : public CExpEval {
 public:
  // "Not set" in a range or an input, and the value of a failed evaluation.
  static constexpr double kNotSet = 1e30;

  // Results of the evaluations.
  enum : int {
    kEvalOk = 0,
    kEvalStructural = 5,
    kEvalFailed = 6,
    kEvalNoExpression = 11,
    kEvalNoVariables = 13,
    kEvalCountMismatch = 14,
    kEvalUnknownVariable = 15,
    kEvalValueNotSet = 16,
  };

  CPropertyCalculation();
  ~CPropertyCalculation() override;

  void GetFunctionTable(const FunctionEntry** table, int* count) override;

  // Orders formulas by PropertyName.
  static int CompareElements(const void* slotA, const void* slotB);

  // Compiles and lists the variable names in order of first appearance; on
  // failure stores the error position and returns false.
  bool CompileAndListVariables(int* errorPosition);

  // Sets the values by name and evaluates; *result is 1e30 unless 0 is returned.
  int EvaluateNamedValues(const CPropertyValueArray& values, double* result);

  // inputs[i] belongs to the i-th variable name; a variable without an input
  // (count too small) counts as not set. *result is 1e30 unless 0 is returned.
  int EvaluateValues(const double* inputs, int count, double* result);

  // For a formula of one input: the central difference at x; a failed
  // evaluation counts as 1e30.
  double Derivative(double x);

  // For a formula of one input: the input in [low, high] at which the formula
  // equals target, by bisection; 1e30 when an evaluation fails.
  double Invert(double low, double high, double target);

  // Appends a "Formula" element with this formula's fields to parent.
  void WriteXml(plat::XmlNode& parent) const;

  bool m_bSuppressed = false;
  bool m_bInverted = false;  // written as PropertyInversion
  double m_dEndValue = kNotSet;
  double m_dStartValue = kNotSet;
  std::vector<double> m_endingRanges;
  std::vector<double> m_startingRanges;
  std::string m_strPropertyName;
  std::string m_strComment;
  std::string m_strDescription;
  std::vector<std::string> m_variableNames;

 private:
  double ValueAt(double x);
};

using CPropertyCalculationArray = CAutoDestructArray<CPtrArray, CPropertyCalculation*>;

// Reads every "Formula" child of the Formulas element into formulas (appended
// in document order). Throws plat::ComError (E_POINTER) for a formula without
// Ranges and CInvalidArgException for one without a starting or ending range;
// the model-file reader catches both.
void ReadFormulasXml(CPropertyCalculationArray& formulas, const plat::XmlNode& formulasElement);

// Reads the Ranges element into the formula and resets a first range at
// which the formula cannot be evaluated (message 15600/15601, sets g_bModelRewritten).
void ReadFormulaRangesXml(const plat::XmlNode& ranges, CPropertyCalculation& formula);

// Sets the inverted flag from the values at the first starting and ending range.
void CheckFormulaRange(CPropertyCalculation& formula);
