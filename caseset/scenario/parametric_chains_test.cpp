#include "caseset/scenario/parametric_chains.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "caseset/config/assembled_case.h"
#include "caseset/scenario/solved_case_view.h"
#include "caseset/scenario/testing/assembled_case_fixture.h"
#include "modelfile/vorn_model_file.h"

namespace {

// The solution of one case, infeasible, as the export's walk after the case reads it.
class CInfeasibleSolution : public ISolvedCaseView {
 public:
  explicit CInfeasibleSolution(std::int32_t caseNumber) : m_nCase(caseNumber) {}
  bool HasCase(std::int32_t n) const override { return n == m_nCase; }
  bool GetFirstState(std::int32_t n, std::int32_t& status, double& objective) const override {
    status = 5;
    objective = 0;
    return n == m_nCase;
  }
  bool GetFirstPeriodName(std::int32_t, std::string&) const override { return false; }
  bool GetPeriodResult(std::int32_t, const std::string&, std::int32_t&, double&) const override { return false; }
  bool GetPrimal(const std::string&, const std::string&, bool, CPrimalValues&) const override { return false; }

 private:
  std::int32_t m_nCase;
};

// A chain of parametric steps 2 to 6, where 3 and 5 tighten the reformer's capacity of the step after
// them (4 keeps 3's), 4 reads case 3 and passes its marks on to case 10, which reads it; case 11
// reads step 6, which has no logic of its own to pass a mark on; case 7 stands alone; steps 20 and
// 21 form a chain that never tightens.
class ParametricChains : public ::testing::Test {
 protected:
  void SetUp() override {
    m_model.m_strModelName = "M";
    const std::vector<std::int32_t> chain = {2, 3, 4, 5, 6};
    const double capacity[] = {100, 100, 90, 90, 80};
    for (std::size_t i = 0; i < chain.size(); ++i) AddValue(AddCase(chain[i], chain), "CAPS", "REF", "MAX", capacity[i]);
    AddCase(10, {}, "Node");
    AddCase(11, {}, "Node");
    AddCase(7, {}, "Node");
    for (std::int32_t step : {20, 21}) AddValue(AddCase(step, {20, 21}), "CAPS", "REF", "MAX", 50);
    for (const auto& [number, caseRead] : std::vector<std::pair<int, int>>{
             {2, 1}, {3, 2}, {4, 3}, {5, 4}, {10, 4}, {11, 6}, {7, 1}, {20, 1}, {21, 20}})
      AddLogic(number, caseRead);
  }
  CAssembledCase& AddCase(int number, std::vector<std::int32_t> siblings, const std::string& nodeType = "ParametricNode") {
    return scenario_testing::AddCase(m_cases, number, std::move(siblings), nodeType);
  }
  static void AddValue(CAssembledCase& c, const std::string& table, const std::string& row, const std::string& column,
                       double value) {
    auto owned = std::make_unique<CCaseTable>(table, c.m_nNumber);
    CCaseTable& caseTable = *owned;
    c.m_aCaseTables.Add(std::move(owned));
    c.m_aCaseTables.Sort(&CCaseTable::CompareElements);
    auto entry = std::make_unique<CCaseValue>();
    entry->m_strRow = row;
    entry->m_strColumn = column;
    entry->m_dValue = value;
    caseTable.m_aValues.Add(std::move(entry));
  }
  void AddLogic(int number, int caseRead) {
    auto logic = std::make_unique<CScenarioExecutionLogic>(("OBJFN > " + std::to_string(number)).c_str(), number);
    logic->SetCase(caseRead);
    m_logics.Add(std::move(logic));
    m_logics.Sort(&CScenarioExecutionLogic::CompareScenarioLogic);
  }
  CAssembledCase& Case(int number) {
    const CAssembledCase probe(number, "M");
    return *m_cases.Find(&probe);
  }
  // The "Truncated" of every case when one process exports the cases one after another in ascending
  // number: a case's row takes its SelValue, then every logic of a case not truncated gets the
  // parametric check against the case's solution.
  std::map<std::int32_t, std::int32_t> ExportInAscendingOrder(const std::set<std::int32_t>& infeasible) {
    std::map<std::int32_t, std::int32_t> truncated;
    for (CAssembledCase* exported : m_cases) {
      truncated[exported->m_nNumber] = exported->m_nSelValue;
      if (!infeasible.count(exported->m_nNumber)) continue;
      const CInfeasibleSolution solution(exported->m_nNumber);
      for (CScenarioExecutionLogic* logic : m_logics) {
        const CAssembledCase& own = Case(logic->m_nAssembledCase);
        if (own.m_nSelValue != -1 && own.m_nSelValue != 0) continue;
        if (logic->CheckParametricTruncation(solution, m_model, m_cases))
          logic->TruncateParametricSiblings(m_model, m_cases, m_logics);
      }
    }
    return truncated;
  }
  CVornModelFile m_model;
  CAssembledCaseArray m_cases;
  CScenarioLogicArray m_logics;
};

TEST_F(ParametricChains, GroupsHoldTheCasesACutReaches) {
  const CParametricChains chains(m_model, m_cases, m_logics);
  const std::vector<std::int32_t> group = {3, 4, 5, 6, 10};
  for (std::int32_t member : group) EXPECT_EQ(chains.GroupOf(member), group) << member;
  // Step 2 comes before every cut; 11 reads a step that passes no mark on; 7 and the chain that never
  // tightens are out of reach.
  for (std::int32_t outside : {2, 11, 7, 20, 21, 99}) EXPECT_TRUE(chains.GroupOf(outside).empty()) << outside;
  for (std::int32_t number : {3, 5}) EXPECT_TRUE(chains.CanCut(number)) << number;
  for (std::int32_t number : {2, 4, 6, 10, 20}) EXPECT_FALSE(chains.CanCut(number)) << number;
}

TEST_F(ParametricChains, ReplayGivesTheMarksOfTheExportInAscendingOrder) {
  const CParametricChains chains(m_model, m_cases, m_logics);
  const std::vector<std::int32_t>& group = chains.GroupOf(3);
  Case(6).m_nSelValue = 2;  // a step configured truncated already
  const CParametricChains configuredSix(m_model, m_cases, m_logics);
  const std::vector<std::set<std::int32_t>> infeasibleSets = {{}, {3}, {5}, {3, 5}, {4, 6, 10}, {2, 3, 4, 5, 6, 7, 10}};
  for (const CParametricChains* built : {&chains, &configuredSix}) {
    for (const std::set<std::int32_t>& infeasible : infeasibleSets) {
      SCOPED_TRACE("infeasible " + ::testing::PrintToString(infeasible) + (built == &chains ? "" : ", 6 configured 2"));
      for (CAssembledCase* c : m_cases) c->m_nSelValue = -1;
      if (built == &configuredSix) Case(6).m_nSelValue = 2;
      const std::map<std::int32_t, std::int32_t> expected = ExportInAscendingOrder(infeasible);
      // What a process left behind after exporting cases of its own, which the replay must neither read
      // nor change.
      std::map<std::int32_t, std::int32_t> left;
      for (CAssembledCase* c : m_cases) left[c->m_nNumber] = c->m_nSelValue = c->m_nNumber % 2 == 0 ? 1 : 0;
      const std::map<std::int32_t, std::int32_t> replayed = built->Replay(group, infeasible, m_model, m_cases, m_logics);
      std::map<std::int32_t, std::int32_t> expectedOfGroup;
      for (std::int32_t member : group) expectedOfGroup[member] = expected.at(member);
      EXPECT_EQ(replayed, expectedOfGroup);
      for (CAssembledCase* c : m_cases) EXPECT_EQ(c->m_nSelValue, left[c->m_nNumber]) << c->m_nNumber;
    }
  }
  // The marks themselves: 3 cuts 4, 5, 6 and 10 (through 4), 5 alone cuts 6.
  for (CAssembledCase* c : m_cases) c->m_nSelValue = -1;
  EXPECT_EQ(chains.Replay(group, {3}, m_model, m_cases, m_logics),
            (std::map<std::int32_t, std::int32_t>{{3, -1}, {4, 1}, {5, 1}, {6, 1}, {10, 1}}));
  EXPECT_EQ(chains.Replay(group, {5}, m_model, m_cases, m_logics),
            (std::map<std::int32_t, std::int32_t>{{3, -1}, {4, -1}, {5, -1}, {6, 1}, {10, -1}}));
}

}  // namespace
