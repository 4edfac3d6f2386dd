#pragma once
// The scenario logics' view of the result objects of the case being
// exported: the case results, their first solution state and period
// results, and the primal rows and columns of the node with the empty name.

#include "caseset/scenario/solved_case_view.h"

class CDbCase;
class CDbSolution;

class CDbSolutionCaseView : public ISolvedCaseView {
 public:
  explicit CDbSolutionCaseView(const CDbSolution& solution) : m_solution(solution) {}

  bool HasCase(std::int32_t caseNumber) const override { return FindCase(caseNumber) != nullptr; }
  bool GetFirstState(std::int32_t caseNumber, std::int32_t& status, double& objective) const override;
  bool GetFirstPeriodName(std::int32_t caseNumber, std::string& period) const override;
  // The out-of-balance indicator is the period's count of streams out of balance.
  bool GetPeriodResult(std::int32_t caseNumber, const std::string& period, std::int32_t& outOfBalance,
                       double& penalties) const override;
  bool GetPrimal(const std::string& period, const std::string& name, bool row, CPrimalValues& values) const override;

 private:
  const CDbCase* FindCase(std::int32_t caseNumber) const;

  const CDbSolution& m_solution;
};
