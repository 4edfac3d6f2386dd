#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "caseset/config/assembled_case.h"
#include "caseset/scenario/scenario_execution_logic.h"
#include "caseset/scenario/solved_case_view.h"
#include "caseset/scenario/testing/assembled_case_fixture.h"
#include "modelfile/vorn_model_file.h"

namespace {

struct FakeCase {
  std::int32_t status = 1;
  double objective = 0;
  bool hasState = true;
  std::vector<std::string> periods = {"1", "2"};
  std::map<std::string, std::pair<std::int32_t, double>> periodResults;
};

// One solution: its cases, and the primal records of the node with the empty name.
class FakeSolution : public ISolvedCaseView {
 public:
  bool HasCase(std::int32_t n) const override { return m_cases.count(n) != 0; }
  bool GetFirstState(std::int32_t n, std::int32_t& status, double& objective) const override {
    const auto it = m_cases.find(n);
    if (it == m_cases.end() || !it->second.hasState) return false;
    status = it->second.status;
    objective = it->second.objective;
    return true;
  }
  bool GetFirstPeriodName(std::int32_t n, std::string& period) const override {
    const auto it = m_cases.find(n);
    if (it == m_cases.end() || it->second.periods.empty()) return false;
    period = it->second.periods.front();
    return true;
  }
  bool GetPeriodResult(std::int32_t n, const std::string& period, std::int32_t& outOfBalance,
                       double& penalties) const override {
    const auto& results = m_cases.at(n).periodResults;
    const auto it = results.find(period);
    if (it == results.end()) return false;
    std::tie(outOfBalance, penalties) = it->second;
    return true;
  }
  bool GetPrimal(const std::string& period, const std::string& name, bool row, CPrimalValues& values) const override {
    const auto it = m_primals.find({period, name, row});
    if (it == m_primals.end()) return false;
    values = it->second;
    return true;
  }
  std::map<std::int32_t, FakeCase> m_cases;
  std::map<std::tuple<std::string, std::string, bool>, CPrimalValues> m_primals;
};

double Value(CScenarioExecutionLogic& logic, const std::string& name) {
  for (int i = 0; i < logic.GetVariableCount(); ++i)
    if (logic.GetVariable(i)->name == name) return logic.GetVariable(i)->value;
  ADD_FAILURE() << "no variable " << name;
  return 0;
}

TEST(ScenarioCaseValues, VariablesTakeTheValuesOfTheCasesTheyName) {
  CScenarioLogicArray logics;
  auto own = std::make_unique<CScenarioExecutionLogic>(
      "OBJFN + Base:OBJFN + Parent:OBJFN + Parent:Parent:OBJFN + PURC:ABC:Activity + PURC:ABC:Activity:2 + "
      "PURC:ABC:SLACK + PURC:ABC:Cost + CCAP:XYZ:SLACK + PURC:NON:DJ + MaterialOutOfBalance + Penalties:2 + "
      "Infeasible + Nonconverged",
      9);
  own->SetCase(5);
  own->SetBaseCase(6);
  own->SetParentCase(7);
  auto parentLogic = std::make_unique<CScenarioExecutionLogic>("OBJFN", 7);
  parentLogic->SetParentCase(8);
  CScenarioExecutionLogic* logic = own.get();
  logics.Add(std::move(own));
  logics.Add(std::move(parentLogic));
  logics.Sort(&CScenarioExecutionLogic::CompareScenarioLogic);
  int position = 0;
  ASSERT_TRUE(logic->Compile(&position)) << logic->m_strError;

  FakeSolution solution;
  FakeCase five;
  five.status = 2;
  five.objective = 123.5;
  five.periodResults = {{"1", {3, 0.0}}, {"2", {0, 4.5}}};
  solution.m_cases[5] = five;
  CPrimalValues column;
  column.m_dActivity = 10;
  column.m_dSecond = -4;
  CPrimalValues columnTwo;
  columnTwo.m_dActivity = 20;
  CPrimalValues row;
  row.m_dSecond = -7;
  solution.m_primals[{"1", "PURCABC", false}] = column;
  solution.m_primals[{"2", "PURCABC", false}] = columnTwo;
  solution.m_primals[{"1", "CCAPXYZ", true}] = row;
  logic->CollectCaseValues(solution, 5, &logics);
  EXPECT_EQ(Value(*logic, "OBJFN"), 123.5);
  EXPECT_EQ(Value(*logic, "Base:OBJFN"), 1e30);
  EXPECT_EQ(Value(*logic, "PURC:ABC:Activity"), 10);
  EXPECT_EQ(Value(*logic, "PURC:ABC:Activity:2"), 20);
  EXPECT_EQ(Value(*logic, "PURC:ABC:SLACK"), -4);
  EXPECT_EQ(Value(*logic, "PURC:ABC:Cost"), 4);
  EXPECT_EQ(Value(*logic, "CCAP:XYZ:SLACK"), -7);
  EXPECT_EQ(Value(*logic, "PURC:NON:DJ"), 1e30);
  EXPECT_EQ(Value(*logic, "MaterialOutOfBalance"), 1);
  EXPECT_EQ(Value(*logic, "Penalties:2"), 1);
  EXPECT_EQ(Value(*logic, "Infeasible"), 0);
  EXPECT_EQ(Value(*logic, "Nonconverged"), 1);
  EXPECT_EQ(logic->FindIdentifier("Parent:Parent:OBJFN")->m_nCase, 8);
  EXPECT_EQ(logic->FindIdentifier("Parent:OBJFN")->m_nCase, 7);

  // Case 6 (the base) comes later; values of case 5 stay.
  FakeSolution later;
  later.m_cases[6].objective = 42;
  later.m_cases[6].status = 5;
  logic->CollectCaseValues(later, 6, &logics);
  EXPECT_EQ(Value(*logic, "Base:OBJFN"), 42);
  EXPECT_EQ(Value(*logic, "OBJFN"), 123.5);
  double value = 0;
  EXPECT_EQ(logic->Evaluate(&value), CExpEval::kOk);
}

TEST(ScenarioCaseValues, AMissingSolutionStateEndsThePass) {
  CScenarioExecutionLogic logic("OBJFN + PURC:ABC:Activity", 1);
  logic.SetCase(5);
  int position = 0;
  ASSERT_TRUE(logic.Compile(&position));
  FakeSolution solution;
  solution.m_cases[5].hasState = false;
  solution.m_primals[{"1", "PURCABC", false}].m_dActivity = 3;
  logic.CollectCaseValues(solution, 5, nullptr);
  EXPECT_EQ(Value(logic, "PURC:ABC:Activity"), 1e30);
  EXPECT_EQ(Value(logic, "OBJFN"), 1e30);
  // The next export of the case, now with a state, reads both.
  solution.m_cases[5].hasState = true;
  solution.m_cases[5].objective = 8;
  logic.CollectCaseValues(solution, 5, nullptr);
  EXPECT_EQ(Value(logic, "OBJFN"), 8);
  EXPECT_EQ(Value(logic, "PURC:ABC:Activity"), 3);
}

class ParametricTruncation : public ::testing::Test {
 protected:
  void SetUp() override { m_model.m_strModelName = "M"; }
  CAssembledCase& AddCase(int number, std::vector<std::int32_t> siblings, const std::string& nodeType = "ParametricNode") {
    return scenario_testing::AddCase(m_cases, number, std::move(siblings), nodeType);
  }
  static void AddValue(CAssembledCase& c, const std::string& table, const std::string& row, const std::string& column,
                       double value) {
    CCaseTable* found = nullptr;
    for (CCaseTable* t : c.m_aCaseTables)
      if (t->m_strName == table) found = t;
    if (!found) {
      c.m_aCaseTables.Add(std::make_unique<CCaseTable>(table, c.m_nNumber));
      c.m_aCaseTables.Sort(&CCaseTable::CompareElements);
      return AddValue(c, table, row, column, value);
    }
    auto entry = std::make_unique<CCaseValue>();
    entry->m_strRow = row;
    entry->m_strColumn = column;
    entry->m_dValue = value;
    found->m_aValues.Add(std::move(entry));
  }
  void AddLogic(int number, int caseRead) {
    auto logic = std::make_unique<CScenarioExecutionLogic>(("OBJFN > " + std::to_string(number)).c_str(), number);
    logic->SetCase(caseRead);
    m_logics.Add(std::move(logic));
    m_logics.Sort(&CScenarioExecutionLogic::CompareScenarioLogic);
  }
  bool Check(int status, int number = 3) {
    FakeSolution solution;
    solution.m_cases[number].status = status;
    const CScenarioExecutionLogic logic("OBJFN > 3", number);
    return logic.CheckParametricTruncation(solution, m_model, m_cases);
  }
  CVornModelFile m_model;
  CAssembledCaseArray m_cases;
  CScenarioLogicArray m_logics;
};

TEST_F(ParametricTruncation, ATighterNextStepTruncatesTheChainAndItsDependants) {
  CAssembledCase& three = AddCase(3, {2, 3, 4, 5});
  CAssembledCase& two = AddCase(2, {});
  CAssembledCase& four = AddCase(4, {});
  CAssembledCase& five = AddCase(5, {});
  CAssembledCase& dependsOnFour = AddCase(10, {}, "Node");
  CAssembledCase& dependsOnTen = AddCase(11, {}, "Node");
  CAssembledCase& cycleA = AddCase(12, {}, "Node");
  AddLogic(4, 3);
  AddLogic(10, 4);
  AddLogic(11, 10);
  AddLogic(12, 11);
  AddLogic(11, 12);  // a cycle back to 11
  AddValue(three, "CAPS", "U1", "MAX", 100);
  AddValue(four, "CAPS", "U1", "MAX", 90);

  EXPECT_FALSE(Check(1));
  ASSERT_TRUE(Check(5));
  const CScenarioExecutionLogic logic("OBJFN > 3", 3);
  logic.TruncateParametricSiblings(m_model, m_cases, m_logics);
  EXPECT_EQ(two.m_nSelValue, -1);
  EXPECT_EQ(four.m_nSelValue, 1);
  EXPECT_EQ(five.m_nSelValue, 1);
  EXPECT_EQ(dependsOnFour.m_nSelValue, 1);
  EXPECT_EQ(dependsOnTen.m_nSelValue, 1);
  EXPECT_EQ(cycleA.m_nSelValue, 1);
}

TEST_F(ParametricTruncation, OnlyTighterMinAndMaxColumnsOfTheNamedTablesCount) {
  struct Case {
    const char* table;
    const char* column;
    double solved, next;
    bool truncates;
  } cases[] = {
      {"CAPS", "MAX", 100, 110, false},
      {"CAPS", "MAX", 100, 90, true},
      {"BUY", "MIN", 5, 6, true},
      {"BUY", "MIN", 5, 4, false},
      {"PROCLIM", "MAX1", 3, 2, true},
      {"BLNSPEC", "MAXIMUM", 3, 2, false},
      {"SELL", "MN", 3, 2, false},
      {"caps", "MAX", 100, 90, false},
      {"OTHER", "MAX", 100, 90, false},
  };
  for (const Case& c : cases) {
    m_cases.RemoveAll();
    CAssembledCase& three = AddCase(3, {1, 4});
    CAssembledCase& four = AddCase(4, {});
    AddCase(1, {});
    AddValue(three, c.table, "R", c.column, c.solved);
    AddValue(four, c.table, "R", c.column, c.next);
    EXPECT_EQ(Check(5), c.truncates) << c.table << " " << c.column << " " << c.next;
  }
  EXPECT_EQ(CScenarioExecutionLogic::FindNextParametricSibling(3, m_model, m_cases), 4);
  EXPECT_EQ(CScenarioExecutionLogic::FindNextParametricSibling(4, m_model, m_cases), -1);

  // A case result without a solution state is not infeasible.
  FakeSolution noState;
  noState.m_cases[3].hasState = false;
  EXPECT_FALSE(CScenarioExecutionLogic("x", 3).CheckParametricTruncation(noState, m_model, m_cases));
}

}  // namespace
