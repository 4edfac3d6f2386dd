#pragma once
// A linear program by names: columns with an objective coefficient and
// bounds, rows with bounds and coefficients, maximised by the LP solver.
// The generated model's builders state each case's LP in it, and each case's
// solution files carry its optimum.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace model_gen {

// No bound.
inline constexpr double kLpInfinity = 1e30;

// The solver's answer: values by the model's row and column positions.
struct LpSolution {
  enum class Status { kOptimal, kInfeasible, kUnbounded, kStopped };
  Status status = Status::kStopped;
  double objective = 0.0;  // the objective function, its constant included
  int iterations = 0;
  std::vector<double> columnActivity, reducedCost;  // reduced cost: the objective's change per unit of the column
  std::vector<double> rowActivity, rowMarginal;     // marginal value: the objective's change per unit of the bound
  std::vector<bool> columnBasic, rowBasic;
};

class CLpModel {
 public:
  // The position of the column or row of that name, added when missing (a column at cost 0 in [0, no
  // bound], a row without bounds).
  std::size_t Column(const std::string& name);
  std::size_t Row(const std::string& name);

  CLpModel& Cost(const std::string& column, double cost);
  // A cost that falls into several periods: its shares by period.
  CLpModel& CostShares(const std::string& column, const std::map<int, double>& shares);
  CLpModel& Bounds(const std::string& column, double lo, double hi);
  CLpModel& RowBounds(const std::string& row, double lo, double hi);
  // Adds value to the coefficient of the column in the row.
  CLpModel& Coefficient(const std::string& row, const std::string& column, double value);
  // A constant of the objective function, in the money of a period.
  void AddObjectiveConstant(double value, int period) {
    m_dConstant += value;
    m_periodConstants[period] += value;
  }

  struct ColumnData {
    std::string name;
    double cost = 0.0, lo = 0.0, hi = kLpInfinity;
    std::map<int, double> costShares;  // empty: the cost is the money of the period the column belongs to
  };
  struct RowData {
    std::string name;
    double lo = -kLpInfinity, hi = kLpInfinity;
  };
  const std::vector<ColumnData>& Columns() const { return m_aColumns; }
  const std::vector<RowData>& Rows() const { return m_aRows; }
  // Positions of a name; -1 when there is none.
  std::ptrdiff_t FindColumn(const std::string& name) const;
  std::ptrdiff_t FindRow(const std::string& name) const;
  double Constant() const { return m_dConstant; }
  double Constant(int period) const {
    const auto it = m_periodConstants.find(period);
    return it == m_periodConstants.end() ? 0.0 : it->second;
  }

  // Maximises the objective function. When no plan meets every row, the answer is infeasible and holds the best
  // of the plans that break the rows least (by the total amount outside their bounds); the columns keep theirs.
  LpSolution Solve() const;

 private:
  struct Entry {
    std::size_t row;
    double value;
  };
  std::vector<ColumnData> m_aColumns;
  std::vector<std::vector<Entry>> m_aEntries;  // per column
  std::vector<RowData> m_aRows;
  std::unordered_map<std::string, std::size_t> m_columnIndex, m_rowIndex;
  double m_dConstant = 0.0;
  std::map<int, double> m_periodConstants;
};

}  // namespace model_gen
