// The groups of cases that the cuts of parametric chains connect, and the
// replay of the cuts of one group in ascending case number.

#include "caseset/scenario/parametric_chains.h"

#include <algorithm>
#include <string>
#include <utility>

#include "caseset/config/assembled_case.h"
#include "caseset/scenario/solved_case_view.h"
#include "modelfile/vorn_model_file.h"

namespace {

constexpr const char* kParametricNode = "ParametricNode";
constexpr std::int32_t kInfeasible = 5;

CAssembledCase* FindCase(const CAssembledCaseArray& cases, std::int32_t number, const CVornModelFile& model) {
  const CAssembledCase probe(number, model.m_strModelName);
  return cases.Find(&probe);
}

// The solution of one case found infeasible, as the parametric check reads it.
class CInfeasibleCase : public ISolvedCaseView {
 public:
  explicit CInfeasibleCase(std::int32_t caseNumber) : m_nCase(caseNumber) {}
  bool HasCase(std::int32_t caseNumber) const override { return caseNumber == m_nCase; }
  bool GetFirstState(std::int32_t caseNumber, std::int32_t& status, double& objective) const override {
    status = kInfeasible;
    objective = 0;
    return caseNumber == m_nCase;
  }
  bool GetFirstPeriodName(std::int32_t, std::string&) const override { return false; }
  bool GetPeriodResult(std::int32_t, const std::string&, std::int32_t&, double&) const override { return false; }
  bool GetPrimal(const std::string&, const std::string&, bool, CPrimalValues&) const override { return false; }

 private:
  std::int32_t m_nCase;
};

// The SelValues of assembled cases, put back when it goes.
class CKeptSelValues {
 public:
  CKeptSelValues() = default;
  CKeptSelValues(const CKeptSelValues&) = delete;
  CKeptSelValues& operator=(const CKeptSelValues&) = delete;
  ~CKeptSelValues() {
    for (const auto& [assembled, value] : m_kept) assembled->m_nSelValue = value;
  }
  void Keep(CAssembledCase& assembled) { m_kept.emplace_back(&assembled, assembled.m_nSelValue); }

 private:
  std::vector<std::pair<CAssembledCase*, std::int32_t>> m_kept;
};

// Disjoint sets of case numbers.
class CCaseSets {
 public:
  std::int32_t Root(std::int32_t c) {
    auto [at, added] = m_parent.try_emplace(c, c);
    if (added || at->second == c) return c;
    const std::int32_t root = Root(at->second);
    m_parent[c] = root;
    return root;
  }
  void Join(std::int32_t a, std::int32_t b) {
    const std::int32_t ra = Root(a), rb = Root(b);
    if (ra != rb) m_parent[std::max(ra, rb)] = std::min(ra, rb);
  }
  const std::map<std::int32_t, std::int32_t>& Members() const { return m_parent; }

 private:
  std::map<std::int32_t, std::int32_t> m_parent;
};

}  // namespace

CParametricChains::CParametricChains(const CVornModelFile& mainModel, const CAssembledCaseArray& cases,
                                     const CScenarioLogicArray& logics) {
  // The cases that read each case (the logics whose Case it is), as the propagation of a mark finds them.
  std::map<std::int32_t, std::vector<std::int32_t>> dependants;
  for (const CScenarioExecutionLogic* logic : logics) {
    if (logic == nullptr) continue;
    if (logic->m_nCase != logic->m_nAssembledCase && FindCase(cases, logic->m_nAssembledCase, mainModel))
      dependants[logic->m_nCase].push_back(logic->m_nAssembledCase);
    if (!m_cutters.count(logic->m_nAssembledCase) &&
        CScenarioExecutionLogic::TightensNextStep(logic->m_nAssembledCase, mainModel, cases))
      m_cutters.insert(logic->m_nAssembledCase);
  }
  // A mark passes on from a case with a logic of its own to the cases that read it.
  const auto passesOn = [&](std::int32_t c) {
    const CAssembledCase* marked = FindCase(cases, c, mainModel);
    if (marked == nullptr) return false;
    const CScenarioExecutionLogic probe(marked->m_strSelExp.c_str(), c);
    return logics.Find(&probe) != nullptr;
  };
  CCaseSets sets;
  std::set<std::int32_t> reached;
  std::vector<std::int32_t> pending;
  for (std::int32_t cutter : m_cutters) {
    sets.Join(cutter, cutter);
    const CAssembledCase* step = FindCase(cases, cutter, mainModel);
    for (std::int32_t sibling : step->m_aSetSiblings) {
      const CAssembledCase* later = FindCase(cases, sibling, mainModel);
      if (cutter >= sibling || later == nullptr || later->m_strSetNodeType != kParametricNode) continue;
      sets.Join(cutter, sibling);
      if (reached.insert(sibling).second) pending.push_back(sibling);
    }
  }
  while (!pending.empty()) {
    const std::int32_t marked = pending.back();
    pending.pop_back();
    if (!passesOn(marked)) continue;
    const auto found = dependants.find(marked);
    if (found == dependants.end()) continue;
    for (std::int32_t dependant : found->second) {
      sets.Join(marked, dependant);
      if (reached.insert(dependant).second) pending.push_back(dependant);
    }
  }
  std::map<std::int32_t, std::size_t> groupOfRoot;
  for (const auto& [member, parent] : sets.Members()) {
    const std::int32_t root = sets.Root(member);
    auto [at, added] = groupOfRoot.try_emplace(root, m_groups.size());
    if (added) m_groups.emplace_back();
    m_groups[at->second].push_back(member);  // the map gives the members in ascending number
    m_groupIndex[member] = at->second;
    if (const CAssembledCase* assembled = FindCase(cases, member, mainModel))
      m_configured[member] = assembled->m_nSelValue;
  }
}

const std::vector<std::int32_t>& CParametricChains::GroupOf(std::int32_t caseNumber) const {
  static const std::vector<std::int32_t> kNone;
  const auto found = m_groupIndex.find(caseNumber);
  return found == m_groupIndex.end() ? kNone : m_groups[found->second];
}

std::map<std::int32_t, std::int32_t> CParametricChains::Replay(const std::vector<std::int32_t>& group,
                                                               const std::set<std::int32_t>& infeasible,
                                                               const CVornModelFile& mainModel,
                                                               CAssembledCaseArray& cases,
                                                               const CScenarioLogicArray& logics) const {
  // The cuts of the group reach no case outside it: only its cases need their values kept, and they get
  // them back however the replay ends.
  CKeptSelValues kept;
  for (std::int32_t member : group)
    if (CAssembledCase* assembled = FindCase(cases, member, mainModel)) {
      kept.Keep(*assembled);
      const auto configured = m_configured.find(member);
      if (configured != m_configured.end()) assembled->m_nSelValue = configured->second;
    }
  std::map<std::int32_t, std::int32_t> truncated;
  for (std::int32_t member : group) {
    const CAssembledCase* assembled = FindCase(cases, member, mainModel);
    if (assembled == nullptr) continue;
    // The case's row takes its value before its own logics run.
    truncated[member] = assembled->m_nSelValue;
    if (!infeasible.count(member) || !CanCut(member)) continue;
    // The logics of the exported case, in list order, as the export walks them.
    const CInfeasibleCase solution(member);
    for (const CScenarioExecutionLogic* logic : logics) {
      if (logic == nullptr || logic->m_nAssembledCase != member) continue;
      if (assembled->m_nSelValue != -1 && assembled->m_nSelValue != 0) continue;
      if (logic->CheckParametricTruncation(solution, mainModel, cases))
        logic->TruncateParametricSiblings(mainModel, cases, logics);
    }
  }
  return truncated;
}
