#include "modelfile/user_equation_section.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "modelfile/user_defined_parameter.h"
#include "modelfile/vorn_model_file.h"
#include "platform/xml_dom.h"

namespace {

std::string Variable(const std::string& name, const std::string& extra = "") {
  return "<UserEquationVariable><Name>" + name + "</Name>" + extra + "</UserEquationVariable>";
}
std::string Group(const std::string& name, const std::string& parent = "") {
  return "<EquationGroup><Name>" + name + "</Name><Description>about " + name +
         "</Description><IsSuppressed>false</IsSuppressed><ParentGroup>" + parent + "</ParentGroup></EquationGroup>";
}
std::string Equation(const std::string& row, const std::string& parent, const std::string& text,
                     const std::vector<std::string>& variables = {}, const std::string& extra = "") {
  std::string xml = "<UserEquation><Row>" + row + "</Row><ParentGroup>" + parent + "</ParentGroup><Equation>" + text +
                    "</Equation>" + extra;
  for (const auto& v : variables) xml += "<EquationVariable>" + v + "</EquationVariable>";
  return xml + "</UserEquation>";
}

// The model's two lists: neither owns its objects.
struct Lists {
  Lists() {
    elements.m_bOwnsElements = 0;
    variables.m_bOwnsElements = 0;
  }
  ~Lists() { DeleteUserEquations(elements, variables); }
  void Read(const plat::XmlNode& section, bool silent = false) {
    ReadUserEquationSectionXml(elements, variables, section, silent);
  }
  std::string Write() const {
    plat::XmlDocument out;
    plat::XmlNode root = out.AppendElement("R");
    WriteUserEquationSectionXml(elements, variables, root);
    return out.DocumentElement().Child("UserEquationSection").Xml();
  }
  IUserEquationGroupArray elements;
  CUserDefinedEquationVariableArray variables;
};

class UserEquationSectionTest : public ::testing::Test {
 protected:
  void Read(const std::string& sectionBody) {
    plat::XmlDocument doc;
    ASSERT_TRUE(doc.LoadXml("<UserEquationSection>" + sectionBody + "</UserEquationSection>")) << doc.ParseError();
    m_model.Read(doc.DocumentElement());
  }
  IUserEquationGroup* Element(const std::string& name) const {
    for (IUserEquationGroup* element : m_model.elements)
      if (element->GetName() == name) return element;
    return nullptr;
  }
  CUserDefinedEquation* Eq(const std::string& name) const { return dynamic_cast<CUserDefinedEquation*>(Element(name)); }
  static std::vector<std::string> Linked(const CUserDefinedEquation* equation) {
    std::vector<std::string> names;
    for (const CUserDefinedEquationVariable* v : equation->m_linkedVariables) names.push_back(v->m_strName);
    return names;
  }
  std::string Write() const { return m_model.Write(); }

  Lists m_model;
};

TEST_F(UserEquationSectionTest, SuppressionThroughATwoLevelTree) {
  Read("<UserEquations>" + Equation("E1", "Inner", "x+y") + Group("Outer") + Group("Inner", "Outer") +
       Equation("E2", "Outer", "x") + "</UserEquations>");
  auto* outer = dynamic_cast<CUserEquationGroup*>(Element("Outer"));
  auto* inner = dynamic_cast<CUserEquationGroup*>(Element("Inner"));
  ASSERT_TRUE(outer && inner);
  EXPECT_EQ(Eq("E1")->GetParent(), inner);
  EXPECT_EQ(inner->GetParent(), outer);
  ASSERT_EQ(outer->m_members.GetSize(), 2);
  EXPECT_EQ(outer->m_members[0]->GetName(), "E2");  // members sorted by name
  EXPECT_TRUE(outer->m_bSorted);

  outer->SetSuppressed(true, false);
  EXPECT_FALSE(inner->IsSuppressed(false));
  EXPECT_FALSE(Eq("E1")->IsSuppressed(false));
  EXPECT_TRUE(Eq("E1")->IsSuppressed(true));
  outer->SetSuppressed(false, false);
  EXPECT_FALSE(Eq("E1")->IsSuppressed(true));
  outer->SetSuppressed(true, true);
  EXPECT_TRUE(inner->IsSuppressed(false));
  EXPECT_TRUE(Eq("E1")->IsSuppressed(false));
  EXPECT_TRUE(Eq("E2")->IsSuppressed(false));
}

TEST_F(UserEquationSectionTest, BadParentsLeaveTheElementAtTheTop) {
  Read("<UserEquations>" + Group("Self", "Self") + Group("A", "B") + Group("B", "A") + Equation("Row", "", "x") +
       Equation("Child", "Row", "x") + Equation("Lost", "Nowhere", "x") + "</UserEquations>");
  EXPECT_EQ(Element("Self")->GetParent(), nullptr);
  // One link of the cycle is made, the one that would close it is not.
  EXPECT_TRUE((Element("A")->GetParent() == nullptr) != (Element("B")->GetParent() == nullptr));
  EXPECT_EQ(Element("Child")->GetParent(), nullptr);  // an equation is no group
  EXPECT_EQ(Element("Lost")->GetParent(), nullptr);
  Element("A")->SetSuppressed(true, true);
  EXPECT_TRUE(Element("B")->IsSuppressed(true) || Element("B")->GetParent() == nullptr);
  EXPECT_FALSE(Element("Self")->IsSuppressed(true));
}

TEST_F(UserEquationSectionTest, FitsLengthAtTheLimit) {
  const std::string row(10, 'R');
  CUserDefinedEquation equation;
  equation.m_strRow = row;
  equation.SetExpression(std::string(481, 'x').c_str());
  EXPECT_TRUE(equation.FitsLength());
  equation.SetExpression(std::string(482, 'x').c_str());
  EXPECT_FALSE(equation.FitsLength());

  testing::internal::CaptureStderr();
  Read("<UserEquations>" + Equation("ROWFITS", "", std::string(481, 'x')) + Equation(row, "", std::string(482, 'x')) +
       "</UserEquations>");
  const std::string shown = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(Eq("ROWFITS")->IsSuppressed(false));
  EXPECT_TRUE(Eq(row)->IsSuppressed(false));
  EXPECT_NE(shown.find("user-defined equation " + row + " has too many characters"), std::string::npos) << shown;

  Lists silent;
  plat::XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml("<UserEquations>" + Equation(row, "", std::string(482, 'x')) + "</UserEquations>"));
  testing::internal::CaptureStderr();
  ReadUserEquationsXml(silent.elements, silent.variables, doc.DocumentElement(), true);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(silent.elements[0]->IsSuppressed(false));
}

TEST_F(UserEquationSectionTest, DefaultsDuplicatesAndDanglingNames) {
  Read("<UserEquationVariables>" + Variable("b") + Variable("a", "<VornName></VornName><Min>5</Min>") +
       Variable("a", "<Min>7</Min>") + "</UserEquationVariables><UserEquations>" +
       Equation("E", "", "a+b", {"b", "ghost", "a"}) + "</UserEquations>");
  ASSERT_EQ(m_model.variables.GetSize(), 2);
  const CUserDefinedEquationVariable* a = m_model.variables[0];
  EXPECT_EQ(a->m_strName, "a");
  EXPECT_EQ(a->m_dMin, 5);  // the first of the duplicates stays
  EXPECT_EQ(a->m_strVornName, "a");
  EXPECT_EQ(m_model.variables[1]->m_strVornName, "");  // no VornName element
  EXPECT_EQ(m_model.variables[1]->m_dMax, 1e30);

  const CUserDefinedEquation* e = Eq("E");
  EXPECT_EQ(e->m_strEquationType, "Free");
  EXPECT_TRUE(e->m_bIsNew);
  EXPECT_EQ(Linked(e), (std::vector<std::string>{"a", "b"}));
  const std::string written = Write();
  EXPECT_EQ(written.find("ghost"), std::string::npos);
  EXPECT_NE(written.find("<EquationVariable>a</EquationVariable><EquationVariable>b</EquationVariable>"),
            std::string::npos);
}

// The section survives read, write, read whichever list comes first.
TEST_F(UserEquationSectionTest, SectionRoundTripInBothOrders) {
  const std::string variables = "<UserEquationVariables>" +
                                Variable("x", "<VornName>X1</VornName><IsPeriodic>true</IsPeriodic><PeriodicMin>1</PeriodicMin>"
                                              "<PeriodicMin>2.5</PeriodicMin><Value>3</Value>") +
                                Variable("y", "<VornName>Y1</VornName><Description>why</Description><DisplayFlag>true</DisplayFlag>") +
                                "</UserEquationVariables>";
  const std::string equations =
      "<UserEquations>" + Group("G") +
      Equation("E2", "G", "2*x+sqrt(y)", {"y", "x"},
               "<Index>4</Index><IsNew>false</IsNew><EquationType>Fixed</EquationType><RHS>12.5</RHS>"
               "<PeriodicRHS>1</PeriodicRHS><PeriodicRHS>2</PeriodicRHS>") +
      Equation("E1", "", "x", {"x"}) + "</UserEquations>";
  for (const bool variablesFirst : {true, false}) {
    SCOPED_TRACE(variablesFirst ? "variables first" : "equations first");
    Lists model;
    plat::XmlDocument doc;
    ASSERT_TRUE(doc.LoadXml("<UserEquationSection>" + (variablesFirst ? variables + equations : equations + variables) +
                            "</UserEquationSection>"));
    model.Read(doc.DocumentElement());
    const std::string first = model.Write();
    EXPECT_LT(first.find("<Row>E1</Row>"), first.find("<Row>E2</Row>"));  // written in name order

    Lists again;
    ASSERT_TRUE(doc.LoadXml(first));
    again.Read(doc.DocumentElement());
    EXPECT_EQ(again.Write(), first);

    auto* e2 = dynamic_cast<CUserDefinedEquation*>(again.elements[1]);
    ASSERT_NE(e2, nullptr);
    EXPECT_EQ(e2->GetName(), "E2");
    EXPECT_EQ(Linked(e2), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(e2->GetParent(), again.elements[2]);
    EXPECT_EQ(e2->m_nIndex, 4);
    EXPECT_FALSE(e2->m_bIsNew);
    EXPECT_EQ(e2->m_strEquationType, "Fixed");
    EXPECT_EQ(e2->m_dRHS, 12.5);
    EXPECT_EQ(e2->m_periodicRHS, (std::vector<double>{1, 2}));
    EXPECT_EQ(again.variables[0]->m_periodicMin, (std::vector<double>{1, 2.5}));
    EXPECT_TRUE(again.variables[1]->m_bDisplayFlag);
    ASSERT_TRUE(e2->SetVariableValue("x", 2));
    ASSERT_TRUE(e2->SetVariableValue("y", 9));
    double value = 0;
    EXPECT_EQ(e2->Evaluate(&value), 0);
    EXPECT_EQ(value, 7);
  }
}

TEST(UserDefinedParameterTest, ValueTextsAndXml) {
  struct Case {
    const char* xml;
    int type;
    const char* text;
  };
  const Case cases[] = {
      {"<ParameterType>bool</ParameterType><ParameterValue>true</ParameterValue>", 0, "true"},
      {"<ParameterType>integer</ParameterType><ParameterValue>42</ParameterValue>", 1, "42"},
      {"<ParameterType>double</ParameterType><ParameterValue>0.123456</ParameterValue>", 2, "0.1235"},
      {"<ParameterType>string</ParameterType><ParameterValue>abc</ParameterValue>", 3, "abc"},
      {"<ParameterType>stringlist</ParameterType><ParameterListValue>a</ParameterListValue>"
       "<ParameterListValue>b</ParameterListValue><ParameterListValue>c</ParameterListValue>",
       4, "a,b,c"},
      {"<ParameterValue>7</ParameterValue><ParameterType>integer</ParameterType>", 1, "0"},
      {"<ParameterType>Integer</ParameterType><ParameterValue>7</ParameterValue>", 5, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    plat::XmlDocument doc;
    ASSERT_TRUE(doc.LoadXml(std::string("<UserDefinedParameter><Name>P</Name>") + c.xml + "</UserDefinedParameter>"));
    CUserDefinedParameter parameter;
    parameter.ReadXml(doc.DocumentElement());
    EXPECT_EQ(parameter.m_strName, "P");
    EXPECT_EQ(parameter.m_nType, c.type);
    EXPECT_EQ(parameter.GetValueText(), c.text);

    plat::XmlDocument out;
    plat::XmlNode root = out.AppendElement("R");
    parameter.WriteXml(root);
    CUserDefinedParameter again;
    again.ReadXml(out.DocumentElement().Child("UserDefinedParameter"));
    EXPECT_EQ(again.m_nType, c.type);
    EXPECT_EQ(again.GetValueText(), c.text);
    EXPECT_EQ(again.m_strName, "");  // the variable's children are not written
  }

  CUserDefinedParameter target("T");
  EXPECT_TRUE(target.m_bDisplayFlag);
  target.m_nType = CUserDefinedParameter::kDouble;
  CUserDefinedParameter source;
  source.m_dParameterValue = 2.5;
  target.CopyValue(source);
  EXPECT_EQ(target.m_dParameterValue, 2.5);
  target.m_bFixed = true;
  source.m_dParameterValue = 9;
  EXPECT_TRUE(target.CopyValue(source));
  EXPECT_EQ(target.m_dParameterValue, 2.5);
}

TEST(LstReportTest, SwitchFollowsTheEnvironment) {
  const struct {
    const char* value;
    int expected;
  } cases[] = {{nullptr, 0}, {"", 0}, {"0", 0}, {"1", 1}, {"9", 1}, {"x", 0}, {"12", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(absent)");
    if (c.value)
      setenv("LST_REPORT", c.value, 1);
    else
      unsetenv("LST_REPORT");
    CVornModelFile model;
    model.m_settings.m_UseLstReportsOn.SetValue(1 - c.expected);
    ApplyLstReportSetting(model);
    EXPECT_EQ(model.m_settings.m_UseLstReportsOn.GetValue(), c.expected);
  }
  unsetenv("LST_REPORT");
}

}  // namespace
