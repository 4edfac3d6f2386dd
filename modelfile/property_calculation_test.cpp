#include "modelfile/property_calculation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "platform/ado.h"
#include "platform/exceptions.h"
#include "platform/xml_dom.h"

namespace {

std::unique_ptr<CPropertyCalculation> Formula(const char* text) {
  auto formula = std::make_unique<CPropertyCalculation>();
  formula->SetExpression(text);
  int position = 0;
  EXPECT_TRUE(formula->CompileAndListVariables(&position)) << text;
  return formula;
}

TEST(PropertyCalculationTest, EvaluateValuesAndNamedValues) {
  auto product = Formula("a*b");
  double result = 0;
  const double both[] = {2, 3};
  EXPECT_EQ(product->EvaluateValues(both, 2, &result), 0);
  EXPECT_EQ(result, 6);

  struct Case {
    const char* what;
    const double* inputs;
    int count;
    int expected;
  };
  const double unset[] = {2, 1e30};
  const Case cases[] = {
      {"an input not set", unset, 2, 16},
      {"fewer inputs than variables", both, 1, 16},
      {"no inputs", nullptr, 0, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    result = 0;
    EXPECT_EQ(product->EvaluateValues(c.inputs, c.count, &result), c.expected);
    EXPECT_EQ(result, 1e30);
  }

  auto constant = Formula("2+3");
  EXPECT_EQ(constant->EvaluateValues(both, 2, &result), 13);
  EXPECT_EQ(result, 1e30);

  auto root = Formula("sqrt(x)");
  const double minusOne = -1;
  EXPECT_EQ(root->EvaluateValues(&minusOne, 1, &result), 6);
  EXPECT_EQ(result, 1e30);

  CPropertyValueArray values;
  values.Add(std::make_unique<CPropertyValue>("b", 4));
  EXPECT_EQ(product->EvaluateNamedValues(values, &result), 14);
  values.Add(std::make_unique<CPropertyValue>("a", 0.5));
  EXPECT_EQ(product->EvaluateNamedValues(values, &result), 0);  // by name, in any order
  EXPECT_EQ(result, 2);
  values.Add(std::make_unique<CPropertyValue>("c", 1));
  values.RemoveAt(0);
  EXPECT_EQ(product->EvaluateNamedValues(values, &result), 15);

  CPropertyValueArray none;
  auto empty = Formula("()");
  EXPECT_EQ(empty->EvaluateNamedValues(none, &result), 5);
  CPropertyCalculation blank;
  EXPECT_EQ(blank.EvaluateNamedValues(none, &result), 11);
}

TEST(PropertyCalculationTest, DerivativeAndInversion) {
  auto square = Formula("x*x");
  EXPECT_NEAR(square->Derivative(3), 6, 1e-8);
  EXPECT_NEAR(square->Invert(0, 10, 49), 7, 1e-9);
  EXPECT_EQ(square->Invert(7, 10, 49), 7);               // f(low) is the target
  EXPECT_EQ(square->Invert(2, 2 + 1e-13, 49), 2);        // no room to search
  const double walked = square->Invert(0, 10, 400);      // target beyond the interval
  EXPECT_LT(walked, 10);
  EXPECT_GT(walked, 10 - 1e-9);

  auto log = Formula("ln(x)");
  EXPECT_EQ(log->Invert(-1, 10, 1), 1e30);               // evaluation fails at low
  EXPECT_NEAR(log->Invert(1, 10, 1), std::exp(1.0), 1e-9);
  EXPECT_LT(log->Derivative(0), -1e30);                  // f(-h) failed, counted as 1e30
  auto twoInputs = Formula("a+b");
  EXPECT_EQ(twoInputs->Invert(0, 1, 0.5), 1e30);         // the second input is missing
}

class FormulasXmlTest : public ::testing::Test {
 protected:
  void SetUp() override { g_bModelRewritten = false; }
  void TearDown() override { g_bModelRewritten = false; }

  plat::XmlNode Load(const std::string& formulas) {
    EXPECT_TRUE(m_doc.LoadXml("<Formulas>" + formulas + "</Formulas>")) << m_doc.ParseError();
    return m_doc.DocumentElement();
  }
  static std::string FormulaXml(const std::string& name, const std::string& expression, const std::string& start,
                                const std::string& end, const std::string& suppressed = "false") {
    return "<Formula><PropertyName>" + name + "</PropertyName><Expression>" + expression +
           "</Expression><PropertyInversion>true</PropertyInversion><Comment>c " + name +
           "</Comment><Description>d " + name + "</Description><Ranges><StartingRanges><StartingRange>" + start +
           "</StartingRange></StartingRanges><EndingRanges><EndingRange>" + end +
           "</EndingRange></EndingRanges></Ranges><Suppressed>" + suppressed + "</Suppressed></Formula>";
  }

  plat::XmlDocument m_doc;
};

TEST_F(FormulasXmlTest, ReadWriteReadKeepsEveryField) {
  CPropertyCalculationArray formulas;
  ReadFormulasXml(formulas, Load(FormulaXml("SUL", "2*x+1", "0.5", "1e+30", "true") +
                                 FormulaXml("VIS", "-x", "1e+30", "1e+30") + "<Other/>"));
  ASSERT_EQ(formulas.GetSize(), 2);
  const CPropertyCalculation& sul = *formulas[0];
  EXPECT_EQ(sul.m_strPropertyName, "SUL");
  EXPECT_EQ(sul.GetExpression(), "2*x+1");
  EXPECT_EQ(sul.m_strComment, "c SUL");
  EXPECT_EQ(sul.m_strDescription, "d SUL");
  EXPECT_TRUE(sul.m_bSuppressed);
  EXPECT_FALSE(sul.m_bInverted);  // PropertyInversion is not read but recomputed
  EXPECT_EQ(sul.m_dStartValue, 2);
  EXPECT_EQ(sul.m_dEndValue, 1e30);
  EXPECT_TRUE(formulas[1]->m_bInverted);  // f(1) > f(100)
  EXPECT_FALSE(g_bModelRewritten);

  plat::XmlDocument out;
  plat::XmlNode root = out.AppendElement("Formulas");
  for (const CPropertyCalculation* formula : formulas) formula->WriteXml(root);
  const std::string written = out.Xml();
  EXPECT_NE(written.find("<StartingRange>0.5</StartingRange>"), std::string::npos);
  EXPECT_NE(written.find("<EndingRange>1e+30</EndingRange>"), std::string::npos);
  EXPECT_NE(written.find("<PropertyInversion>true</PropertyInversion>"), std::string::npos);

  CPropertyCalculationArray again;
  ASSERT_TRUE(m_doc.LoadXml(written));
  ReadFormulasXml(again, m_doc.DocumentElement());
  ASSERT_EQ(again.GetSize(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(again[i]->m_strPropertyName, formulas[i]->m_strPropertyName);
    EXPECT_EQ(again[i]->GetExpression(), formulas[i]->GetExpression());
    EXPECT_EQ(again[i]->m_strComment, formulas[i]->m_strComment);
    EXPECT_EQ(again[i]->m_strDescription, formulas[i]->m_strDescription);
    EXPECT_EQ(again[i]->m_bSuppressed, formulas[i]->m_bSuppressed);
    EXPECT_EQ(again[i]->m_bInverted, formulas[i]->m_bInverted);
    EXPECT_EQ(again[i]->m_startingRanges, formulas[i]->m_startingRanges);
    EXPECT_EQ(again[i]->m_endingRanges, formulas[i]->m_endingRanges);
  }
}

TEST_F(FormulasXmlTest, SuppressedIsTrueOnlyForTheExactText) {
  for (const char* text : {"True", "1", "TRUE", ""}) {
    CPropertyCalculationArray formulas;
    ReadFormulasXml(formulas, Load(FormulaXml("P", "x", "1", "2", text)));
    EXPECT_FALSE(formulas[0]->m_bSuppressed) << text;
  }
}

TEST_F(FormulasXmlTest, InvalidRangeIsResetAndTheModelMarkedRewritten) {
  CPropertyCalculationArray formulas;
  ReadFormulasXml(formulas, Load(FormulaXml("SUL", "ln(x)", "-1", "50")));
  const CPropertyCalculation& f = *formulas[0];
  EXPECT_EQ(f.m_startingRanges[0], 1e30);
  EXPECT_EQ(f.m_endingRanges[0], 1e30);
  EXPECT_EQ(f.m_dStartValue, 1e30);
  EXPECT_EQ(f.m_dEndValue, 1e30);
  EXPECT_TRUE(g_bModelRewritten);

  g_bModelRewritten = false;
  CPropertyCalculationArray endOnly;
  ReadFormulasXml(endOnly, Load(FormulaXml("SUL", "sqrt(x)", "4", "-9")));
  EXPECT_EQ(endOnly[0]->m_startingRanges[0], 1e30);
  EXPECT_EQ(endOnly[0]->m_dStartValue, 2);  // computed before the end was found invalid
  EXPECT_TRUE(g_bModelRewritten);

  // Two variables: nothing is reset, the ranges simply do not evaluate.
  g_bModelRewritten = false;
  CPropertyCalculationArray twoInputs;
  ReadFormulasXml(twoInputs, Load(FormulaXml("SUL", "a+b", "1", "2")));
  EXPECT_EQ(twoInputs[0]->m_startingRanges[0], 1);
  EXPECT_FALSE(g_bModelRewritten);
}

TEST_F(FormulasXmlTest, MissingRangesAreErrors) {
  CPropertyCalculationArray formulas;
  EXPECT_THROW(ReadFormulasXml(formulas, Load("<Formula><PropertyName>P</PropertyName></Formula>")),
               plat::ComError);
  EXPECT_EQ(formulas.GetSize(), 1);  // owned by the array even though reading failed
  EXPECT_THROW(ReadFormulasXml(formulas, Load("<Formula><Expression>x</Expression><Ranges><StartingRanges>"
                                              "<StartingRange>1</StartingRange></StartingRanges></Ranges></Formula>")),
               CInvalidArgException);
}

}  // namespace
