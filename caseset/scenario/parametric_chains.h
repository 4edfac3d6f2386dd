#pragma once
// The parametric chains of a case set as a whole. An infeasible step of a
// chain cuts it: the later steps and the cases that depend on them are
// marked truncated, and a case's "Truncated" is its SelValue when it is
// exported, so it depends on the cuts of the cases exported before it. A
// process that exports the cases one after another in ascending number
// gives each case the marks of the cuts of the cases below it; Replay gives
// those values from nothing but the configuration and which cases were
// found infeasible, so processes that export the cases of a chain in any
// order, each seeing the cases already written, arrive at the same values.
// The cases a cut can reach form groups (from the configuration alone): a
// cut never reaches from one group into another.

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "caseset/scenario/scenario_execution_logic.h"

class CParametricChains {
 public:
  // Reads the configuration as it stands; build it before any case is
  // exported, while every SelValue is the configured one.
  CParametricChains(const CVornModelFile& mainModel, const CAssembledCaseArray& cases,
                    const CScenarioLogicArray& logics);

  // The group of the case in ascending number: the cases whose marks its
  // export can change or depend on. Empty when no cut starts from the case
  // or reaches it.
  const std::vector<std::int32_t>& GroupOf(std::int32_t caseNumber) const;
  // Whether an infeasible export of the case cuts its chain: a parametric
  // step with a logic whose next step tightens a limit further.
  bool CanCut(std::int32_t caseNumber) const { return m_cutters.count(caseNumber) != 0; }

  // The "Truncated" of each case of group when the cases of the group are
  // exported one after another in ascending number and those in infeasible
  // are found infeasible: the configured SelValue with the marks of the cuts
  // before the case. The cuts run on the assembled cases, which get their
  // values back afterwards.
  std::map<std::int32_t, std::int32_t> Replay(const std::vector<std::int32_t>& group,
                                              const std::set<std::int32_t>& infeasible,
                                              const CVornModelFile& mainModel, CAssembledCaseArray& cases,
                                              const CScenarioLogicArray& logics) const;

 private:
  std::set<std::int32_t> m_cutters;
  std::map<std::int32_t, std::size_t> m_groupIndex;  // case number -> its group
  std::vector<std::vector<std::int32_t>> m_groups;
  std::map<std::int32_t, std::int32_t> m_configured;  // the configured SelValue of every case of a group
};
