#pragma once
// What the scenario logics read of the solution of the case being exported.
// The result objects live on a floor above this one, so the export hands the
// logics this view of its solution object.

#include <cstdint>
#include <string>

// The values of one LP row or column in one period; 1e30 when not set.
struct CPrimalValues {
  double m_dActivity = 1e30;
  double m_dSecond = 1e30;    // the slack of a row, the cost of a column
  double m_dLower = 1e30;     // lower right-hand side or bound
  double m_dUpper = 1e30;     // upper right-hand side or bound
  double m_dMarginal = 1e30;  // dual price of a row, reduced cost of a column
};

class ISolvedCaseView {
 public:
  virtual ~ISolvedCaseView() = default;
  // True when the solution holds a result of that case.
  virtual bool HasCase(std::int32_t caseNumber) const = 0;
  // Status code and objective of the case's first solution state; false
  // when the case (or its state) is missing.
  virtual bool GetFirstState(std::int32_t caseNumber, std::int32_t& status, double& objective) const = 0;
  // The name of the case's first period result; false when it has none.
  virtual bool GetFirstPeriodName(std::int32_t caseNumber, std::string& period) const = 0;
  // The out-of-balance indicator and penalty total of a period result; false when there is none.
  virtual bool GetPeriodResult(std::int32_t caseNumber, const std::string& period, std::int32_t& outOfBalance,
                               double& penalties) const = 0;
  // A row (row set) or column of the primal node with the empty name in a
  // period; false when the node, period or record is missing.
  virtual bool GetPrimal(const std::string& period, const std::string& name, bool row, CPrimalValues& values) const = 0;
};
