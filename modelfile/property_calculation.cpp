#include "modelfile/property_calculation.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "foundation/locale_switch.h"
#include "foundation/messages.h"
#include "platform/ado.h"
#include "platform/exceptions.h"
#include "platform/string_table.h"

bool g_bModelRewritten = false;

namespace {

const plat::StringTableRegistrar kPropertyCalculationStrings(
    plat::StringTable::Program,
    {
        {15600, "The starting range %1 is invalid for dependent property %2 in property calculator %3.  "
                "Setting both range values to EMPTY."},
        {15601, "The ending range %1 is invalid for dependent property %2 in property calculator %3.  "
                "Setting both range values to EMPTY."},
    });

constexpr plat::HRESULT kEPointer = static_cast<plat::HRESULT>(0x80004003u);

double Lg(double x) { return std::log10(x); }
double Ln(double x) { return std::log(x); }
double Sqrt(double x) { return std::sqrt(x); }
double Abs(double x) { return std::fabs(x); }
double Exp(double x) { return std::exp(x); }

const CExpEval::FunctionEntry kFunctions[] = {
    {"sqrt", &Sqrt}, {"abs", &Abs}, {"ln", &Ln}, {"lg", &Lg}, {"exp", &Exp},
};

// "%g" whatever the process locale is.
std::string FormatG(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
  return std::string(buffer, result.ptr);
}

const char* BoolText(bool value) { return value ? "true" : "false"; }

// The formula's value at the ranges, stored in *value (1e30 when it fails); true when it did not fail.
bool EvaluateAtRanges(CPropertyCalculation& formula, const std::vector<double>& ranges, double* value) {
  return formula.EvaluateValues(ranges.data(), static_cast<int>(ranges.size()), value) == 0;
}

// Resets the first starting and ending range when the formula (of one
// variable) cannot be evaluated at the given ranges.
void ResetInvalidRange(CPropertyCalculation& formula, std::vector<double>& ranges, double* value,
                       std::uint32_t messageId) {
  if (ranges.empty()) return;
  const bool ok = EvaluateAtRanges(formula, ranges, value);
  if (!ok && formula.m_variableNames.size() == 1 && ranges[0] != CPropertyCalculation::kNotSet) {
    const std::string text = FormatG(ranges[0]);
    if (!formula.m_startingRanges.empty()) formula.m_startingRanges[0] = CPropertyCalculation::kNotSet;
    if (!formula.m_endingRanges.empty()) formula.m_endingRanges[0] = CPropertyCalculation::kNotSet;
    ShowInfoMessage(FormatResString3(messageId, text, formula.m_variableNames[0], formula.m_strPropertyName));
    g_bModelRewritten = true;
  }
  if (!ok) EvaluateAtRanges(formula, ranges, value);
}

}  // namespace

int CPropertyValue::CompareElements(const void* slotA, const void* slotB) {
  return CompareKeys(SlotElement<CPropertyValue>(slotA)->m_strName, SlotElement<CPropertyValue>(slotB)->m_strName);
}

CPropertyCalculation::CPropertyCalculation() = default;
CPropertyCalculation::~CPropertyCalculation() = default;

int CPropertyCalculation::CompareElements(const void* slotA, const void* slotB) {
  return CompareKeys(SlotElement<CPropertyCalculation>(slotA)->m_strPropertyName,
                     SlotElement<CPropertyCalculation>(slotB)->m_strPropertyName);
}

void CPropertyCalculation::GetFunctionTable(const FunctionEntry** table, int* count) {
  *table = kFunctions;
  *count = static_cast<int>(std::size(kFunctions));
}

bool CPropertyCalculation::CompileAndListVariables(int* errorPosition) {
  m_variableNames.clear();
  int out = 0;
  if (!Compile(&out)) {
    if (errorPosition != nullptr) *errorPosition = m_nErrorPosition;
    return false;
  }
  for (const auto& variable : m_variables) m_variableNames.push_back(variable->name);
  return true;
}

int CPropertyCalculation::EvaluateNamedValues(const CPropertyValueArray& values, double* result) {
  *result = kNotSet;
  if (GetExpression().empty()) return kEvalNoExpression;
  if (static_cast<std::size_t>(values.GetSize()) != m_variableNames.size()) return kEvalCountMismatch;
  for (const CPropertyValue* value : values) {
    if (value->m_dValue == kNotSet) return kEvalValueNotSet;
    if (SetVariableValue(value->m_strName.c_str(), value->m_dValue) == nullptr) return kEvalUnknownVariable;
  }
  double value = kNotSet;
  const int rc = Evaluate(&value);
  if (rc == kOk) {
    *result = value;
    return kEvalOk;
  }
  return rc == kStructural ? kEvalStructural : kEvalFailed;
}

int CPropertyCalculation::EvaluateValues(const double* inputs, int count, double* result) {
  *result = kNotSet;
  if (m_variableNames.empty()) return kEvalNoVariables;
  CPropertyValueArray values;
  for (std::size_t i = 0; i < m_variableNames.size(); ++i) {
    const double input = inputs != nullptr && static_cast<int>(i) < count ? inputs[i] : kNotSet;
    if (input == kNotSet) return kEvalValueNotSet;
    values.Add(std::make_unique<CPropertyValue>(m_variableNames[i], input));
  }
  return EvaluateNamedValues(values, result);
}

double CPropertyCalculation::ValueAt(double x) {
  double value = kNotSet;
  EvaluateValues(&x, 1, &value);
  return value;
}

double CPropertyCalculation::Derivative(double x) {
  const double h = (std::fabs(x) + 1.0) * 1e-6;
  return (ValueAt(x + h) - ValueAt(x - h)) / (2.0 * h);
}

double CPropertyCalculation::Invert(double low, double high, double target) {
  double inputTolerance = std::fmin(std::fabs(low), std::fabs(high)) * 1e-12;
  if (!(inputTolerance >= 1e-12)) inputTolerance = 1e-12;
  const double valueTolerance = std::fmax(std::fabs(target) * 1e-12, 1e-12);

  double value = kNotSet;
  if (EvaluateValues(&low, 1, &value) != kEvalOk) return kNotSet;
  double dLow = value - target;
  if (std::fabs(dLow) <= 1e-12) return low;
  if (!(std::fabs(high - low) > inputTolerance)) return low;

  double mid = low;
  for (int evaluations = 1;; ++evaluations) {
    mid = low + (high - low) * 0.5;
    if (EvaluateValues(&mid, 1, &value) != kEvalOk) return kNotSet;
    const double d = value - target;
    if (std::fabs(d) <= valueTolerance) return mid;
    if (d * dLow < 0.0) {
      high = mid;
    } else {
      low = mid;
      dLow = d;
    }
    if (evaluations >= 100 || !(std::fabs(high - low) > inputTolerance)) return mid;
  }
}

void CPropertyCalculation::WriteXml(plat::XmlNode& parent) const {
  plat::XmlNode formula = parent.AppendElement("Formula");
  formula.AppendTextElement("PropertyName", m_strPropertyName);
  formula.AppendTextElement("Expression", GetExpression());
  formula.AppendTextElement("PropertyInversion", BoolText(m_bInverted));
  formula.AppendTextElement("Comment", m_strComment);
  formula.AppendTextElement("Description", m_strDescription);
  plat::XmlNode ranges = formula.AppendElement("Ranges");
  plat::XmlNode starting = ranges.AppendElement("StartingRanges");
  for (double value : m_startingRanges) starting.AppendTextElement("StartingRange", FormatG(value));
  plat::XmlNode ending = ranges.AppendElement("EndingRanges");
  for (double value : m_endingRanges) ending.AppendTextElement("EndingRange", FormatG(value));
  formula.AppendTextElement("Suppressed", BoolText(m_bSuppressed));
}

void ReadFormulasXml(CPropertyCalculationArray& formulas, const plat::XmlNode& formulasElement) {
  for (const plat::XmlNode& element : formulasElement.ChildElements()) {
    if (element.Name() != "Formula") continue;
    auto owned = std::make_unique<CPropertyCalculation>();
    CPropertyCalculation& formula = *owned;
    formulas.Add(std::move(owned));

    std::string propertyName, expression, comment, description, suppressed;
    element.ChildText("PropertyName", propertyName);
    element.ChildText("Expression", expression);
    element.ChildText("Comment", comment);
    element.ChildText("Description", description);
    element.ChildText("Suppressed", suppressed);
    formula.m_strPropertyName = propertyName;
    formula.SetExpression(expression.c_str());
    formula.m_strComment = comment;
    formula.m_strDescription = description;
    formula.m_bSuppressed = suppressed == "true";

    ReadFormulaRangesXml(element.Child("Ranges"), formula);
    CheckFormulaRange(formula);
  }
}

void ReadFormulaRangesXml(const plat::XmlNode& ranges, CPropertyCalculation& formula) {
  if (!ranges) throw plat::ComError(kEPointer, "Formula", "A formula has no Ranges element.");
  {
    CLocaleSwitch numeric(LC_NUMERIC, "C");
    for (const plat::XmlNode& child : ranges.ChildElements()) {
      const std::string name = child.Name();
      if (name == "StartingRanges") {
        for (const plat::XmlNode& range : child.ChildElements())
          if (range.Name() == "StartingRange") formula.m_startingRanges.push_back(std::atof(range.Text().c_str()));
      } else if (name == "EndingRanges") {
        for (const plat::XmlNode& range : child.ChildElements())
          if (range.Name() == "EndingRange") formula.m_endingRanges.push_back(std::atof(range.Text().c_str()));
      }
    }
  }
  int errorPosition = 0;
  formula.CompileAndListVariables(&errorPosition);
  ResetInvalidRange(formula, formula.m_startingRanges, &formula.m_dStartValue, 15600);
  formula.CompileAndListVariables(&errorPosition);
  ResetInvalidRange(formula, formula.m_endingRanges, &formula.m_dEndValue, 15601);
}

void CheckFormulaRange(CPropertyCalculation& formula) {
  formula.m_bInverted = false;
  if (formula.m_startingRanges.empty() || formula.m_endingRanges.empty())
    throw CInvalidArgException("A formula has no starting or no ending range.");
  auto valueAt = [&formula](double x, double fallback) {
    double value = CPropertyCalculation::kNotSet;
    if (formula.EvaluateValues(&x, 1, &value) != CPropertyCalculation::kEvalOk)
      formula.EvaluateValues(&fallback, 1, &value);
    return value;
  };
  const double a = formula.m_startingRanges[0] == CPropertyCalculation::kNotSet ? 1.0 : formula.m_startingRanges[0];
  const double b = formula.m_endingRanges[0] == CPropertyCalculation::kNotSet ? 100.0 : formula.m_endingRanges[0];
  if (valueAt(a, 1.0) > valueAt(b, 100.0)) formula.m_bInverted = true;
}
