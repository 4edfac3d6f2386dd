#include "tools/model_generator/lp_model.h"

#include <Clp_C_Interface.h>

#include <algorithm>
#include <cfloat>
#include <memory>

namespace model_gen {
namespace {

// The solver's own infinity for a bound the model does not have.
double SolverBound(double value) {
  if (value >= kLpInfinity) return DBL_MAX;
  if (value <= -kLpInfinity) return -DBL_MAX;
  return value;
}

struct ClpDeleter {
  void operator()(Clp_Simplex* model) const { Clp_deleteModel(model); }
};

// A linear program as the solver takes it: columns one after another with their entries, then the rows' bounds.
class CSolverProblem {
 public:
  void AddColumn(double lo, double hi, double cost) {
    m_starts.push_back(static_cast<CoinBigIndex>(m_index.size()));
    m_columnLo.push_back(SolverBound(lo));
    m_columnHi.push_back(SolverBound(hi));
    m_costs.push_back(cost);
  }
  // An entry of the column added last.
  void Add(int row, double value) {
    m_index.push_back(row);
    m_values.push_back(value);
  }
  void AddRow(double lo, double hi) {
    m_rowLo.push_back(SolverBound(lo));
    m_rowHi.push_back(SolverBound(hi));
  }
  int Columns() const { return static_cast<int>(m_columnLo.size()); }
  int Rows() const { return static_cast<int>(m_rowLo.size()); }
  bool Bounded(int row) const {
    const auto r = static_cast<std::size_t>(row);
    return m_rowLo[r] > -DBL_MAX || m_rowHi[r] < DBL_MAX;
  }
  std::vector<double>& Costs() { return m_costs; }
  std::vector<double>& RowHi() { return m_rowHi; }

  void Load(Clp_Simplex* model) const {
    std::vector<CoinBigIndex> starts = m_starts;
    starts.push_back(static_cast<CoinBigIndex>(m_index.size()));
    Clp_loadProblem(model, Columns(), Rows(), starts.data(), m_index.data(), m_values.data(), m_columnLo.data(),
                    m_columnHi.data(), m_costs.data(), m_rowLo.data(), m_rowHi.data());
  }

 private:
  std::vector<CoinBigIndex> m_starts;
  std::vector<int> m_index;
  std::vector<double> m_values, m_columnLo, m_columnHi, m_costs, m_rowLo, m_rowHi;
};

// What the solver gives back, by the problem's positions.
struct CSolverAnswer {
  LpSolution::Status status = LpSolution::Status::kStopped;
  double objective = 0.0;
  int iterations = 0;
  std::vector<double> x, d, y;
  std::vector<bool> columnBasic, rowBasic;
};

CSolverAnswer Maximise(const CSolverProblem& problem) {
  const std::unique_ptr<Clp_Simplex, ClpDeleter> model(Clp_newModel());
  Clp_setLogLevel(model.get(), 0);
  problem.Load(model.get());
  Clp_setOptimizationDirection(model.get(), -1.0);
  Clp_dual(model.get(), 0);

  CSolverAnswer answer;
  switch (Clp_status(model.get())) {
    case 0: answer.status = LpSolution::Status::kOptimal; break;
    case 1: answer.status = LpSolution::Status::kInfeasible; break;
    case 2: answer.status = LpSolution::Status::kUnbounded; break;
    default: answer.status = LpSolution::Status::kStopped; break;
  }
  answer.objective = Clp_getObjValue(model.get());
  answer.iterations = Clp_numberIterations(model.get());
  const int columns = problem.Columns(), rows = problem.Rows();
  const double* x = Clp_getColSolution(model.get());
  const double* d = Clp_getReducedCost(model.get());
  const double* y = Clp_getRowPrice(model.get());
  constexpr int kBasic = 1;
  answer.x.assign(x, x + columns);
  answer.d.assign(d, d + columns);
  answer.y.assign(y, y + rows);
  for (int c = 0; c < columns; ++c) answer.columnBasic.push_back(Clp_getColumnStatus(model.get(), c) == kBasic);
  for (int r = 0; r < rows; ++r) answer.rowBasic.push_back(Clp_getRowStatus(model.get(), r) == kBasic);
  return answer;
}

// The answer of an infeasible problem: every bounded row gets an elastic column on either side; first the least
// total of them is found, then the best objective with no more than that total. The columns keep their bounds.
// False when either solve fails.
bool LeastInfeasible(const CSolverProblem& problem, CSolverAnswer& answer, int& iterations) {
  CSolverProblem elastic = problem;
  const int rows = problem.Rows(), budget = rows;
  for (int r = 0; r < rows; ++r) {
    if (!problem.Bounded(r)) continue;
    for (const double side : {1.0, -1.0}) {
      elastic.AddColumn(0.0, kLpInfinity, 0.0);
      elastic.Add(r, side);
      elastic.Add(budget, 1.0);
    }
  }
  elastic.AddRow(-kLpInfinity, kLpInfinity);
  const std::vector<double> costs = elastic.Costs();
  std::vector<double>& working = elastic.Costs();
  for (std::size_t c = 0; c < working.size(); ++c)
    working[c] = c < static_cast<std::size_t>(problem.Columns()) ? 0.0 : -1.0;
  const CSolverAnswer least = Maximise(elastic);
  iterations += least.iterations;
  if (least.status != LpSolution::Status::kOptimal) return false;
  working = costs;
  const double total = -least.objective;
  elastic.RowHi()[static_cast<std::size_t>(budget)] = total + 1e-9 * std::max(1.0, total);
  answer = Maximise(elastic);
  iterations += answer.iterations;
  return answer.status == LpSolution::Status::kOptimal;
}

}  // namespace

std::size_t CLpModel::Column(const std::string& name) {
  const auto [it, added] = m_columnIndex.emplace(name, m_aColumns.size());
  if (added) {
    m_aColumns.push_back({name, 0.0, 0.0, kLpInfinity, {}});
    m_aEntries.emplace_back();
  }
  return it->second;
}

std::size_t CLpModel::Row(const std::string& name) {
  const auto [it, added] = m_rowIndex.emplace(name, m_aRows.size());
  if (added) m_aRows.push_back({name});
  return it->second;
}

CLpModel& CLpModel::Cost(const std::string& column, double cost) {
  m_aColumns[Column(column)].cost = cost;
  return *this;
}

CLpModel& CLpModel::CostShares(const std::string& column, const std::map<int, double>& shares) {
  ColumnData& c = m_aColumns[Column(column)];
  c.costShares = shares;
  c.cost = 0.0;
  for (const auto& [period, share] : shares) c.cost += share;
  return *this;
}

CLpModel& CLpModel::Bounds(const std::string& column, double lo, double hi) {
  ColumnData& c = m_aColumns[Column(column)];
  c.lo = lo;
  c.hi = hi;
  return *this;
}

CLpModel& CLpModel::RowBounds(const std::string& row, double lo, double hi) {
  RowData& r = m_aRows[Row(row)];
  r.lo = lo;
  r.hi = hi;
  return *this;
}

CLpModel& CLpModel::Coefficient(const std::string& row, const std::string& column, double value) {
  const std::size_t r = Row(row);
  std::vector<Entry>& entries = m_aEntries[Column(column)];
  for (Entry& e : entries)
    if (e.row == r) {
      e.value += value;
      return *this;
    }
  entries.push_back({r, value});
  return *this;
}

std::ptrdiff_t CLpModel::FindColumn(const std::string& name) const {
  const auto it = m_columnIndex.find(name);
  return it == m_columnIndex.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
}

std::ptrdiff_t CLpModel::FindRow(const std::string& name) const {
  const auto it = m_rowIndex.find(name);
  return it == m_rowIndex.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
}

LpSolution CLpModel::Solve() const {
  CSolverProblem problem;
  for (std::size_t c = 0; c < m_aColumns.size(); ++c) {
    problem.AddColumn(m_aColumns[c].lo, m_aColumns[c].hi, m_aColumns[c].cost);
    for (const Entry& e : m_aEntries[c]) problem.Add(static_cast<int>(e.row), e.value);
  }
  for (const RowData& r : m_aRows) problem.AddRow(r.lo, r.hi);
  CSolverAnswer answer = Maximise(problem);
  int iterations = answer.iterations;
  if (answer.status == LpSolution::Status::kInfeasible) {
    // No plan meets every row: report the plan that breaks them least, and of those plans the best.
    CSolverAnswer nearest;
    if (LeastInfeasible(problem, nearest, iterations)) answer = std::move(nearest);
    answer.status = LpSolution::Status::kInfeasible;
  }

  LpSolution solution;
  solution.status = answer.status;
  solution.iterations = iterations;
  solution.objective = m_dConstant;
  for (std::size_t c = 0; c < m_aColumns.size(); ++c) {
    const double x = answer.x[c];
    solution.objective += m_aColumns[c].cost * x;
    solution.columnActivity.push_back(x);
    solution.reducedCost.push_back(answer.d[c]);
    solution.columnBasic.push_back(answer.columnBasic[c]);
  }
  // A row's activity is what its columns give, without the elastic columns of an infeasible case.
  solution.rowActivity.assign(m_aRows.size(), 0.0);
  for (std::size_t c = 0; c < m_aColumns.size(); ++c)
    for (const Entry& e : m_aEntries[c]) solution.rowActivity[e.row] += e.value * answer.x[c];
  for (std::size_t r = 0; r < m_aRows.size(); ++r) {
    solution.rowMarginal.push_back(answer.y[r]);
    solution.rowBasic.push_back(answer.rowBasic[r]);
  }
  return solution;
}

}  // namespace model_gen
