#include "tools/model_generator/lp_model.h"

#include <Clp_C_Interface.h>

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
  const int columns = static_cast<int>(m_aColumns.size()), rows = static_cast<int>(m_aRows.size());
  std::vector<CoinBigIndex> starts;
  std::vector<int> index;
  std::vector<double> values, columnLo, columnHi, costs, rowLo, rowHi;
  for (std::size_t c = 0; c < m_aColumns.size(); ++c) {
    starts.push_back(static_cast<CoinBigIndex>(index.size()));
    for (const Entry& e : m_aEntries[c]) {
      index.push_back(static_cast<int>(e.row));
      values.push_back(e.value);
    }
    columnLo.push_back(SolverBound(m_aColumns[c].lo));
    columnHi.push_back(SolverBound(m_aColumns[c].hi));
    costs.push_back(m_aColumns[c].cost);
  }
  starts.push_back(static_cast<CoinBigIndex>(index.size()));
  for (const RowData& r : m_aRows) {
    rowLo.push_back(SolverBound(r.lo));
    rowHi.push_back(SolverBound(r.hi));
  }

  const std::unique_ptr<Clp_Simplex, ClpDeleter> model(Clp_newModel());
  Clp_setLogLevel(model.get(), 0);
  Clp_loadProblem(model.get(), columns, rows, starts.data(), index.data(), values.data(), columnLo.data(),
                  columnHi.data(), costs.data(), rowLo.data(), rowHi.data());
  Clp_setOptimizationDirection(model.get(), -1.0);
  Clp_dual(model.get(), 0);

  LpSolution solution;
  switch (Clp_status(model.get())) {
    case 0: solution.status = LpSolution::Status::kOptimal; break;
    case 1: solution.status = LpSolution::Status::kInfeasible; break;
    case 2: solution.status = LpSolution::Status::kUnbounded; break;
    default: solution.status = LpSolution::Status::kStopped; break;
  }
  solution.objective = Clp_getObjValue(model.get()) + m_dConstant;
  solution.iterations = Clp_numberIterations(model.get());
  const double* x = Clp_getColSolution(model.get());
  const double* d = Clp_getReducedCost(model.get());
  const double* a = Clp_getRowActivity(model.get());
  const double* y = Clp_getRowPrice(model.get());
  constexpr int kBasic = 1;
  for (int c = 0; c < columns; ++c) {
    solution.columnActivity.push_back(x[c]);
    solution.reducedCost.push_back(d[c]);
    solution.columnBasic.push_back(Clp_getColumnStatus(model.get(), c) == kBasic);
  }
  for (int r = 0; r < rows; ++r) {
    solution.rowActivity.push_back(a[r]);
    solution.rowMarginal.push_back(y[r]);
    solution.rowBasic.push_back(Clp_getRowStatus(model.get(), r) == kBasic);
  }
  return solution;
}

}  // namespace model_gen
