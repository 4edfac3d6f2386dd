#pragma once
// The generator's in-memory model before it is written: per model directory
// its tables, matrix directory, worksheets, settings and side files, and the
// LP records of the case's solution file.

#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "caseset/modeltables/table_file_fixtures.h"
#include "solutionfill/core/testing/solution_file_writer.h"
#include "tableio/worksheet/testing/sheet_fixture.h"
#include "tools/model_generator/model_generator.h"
#include "tools/model_generator/model_rules.h"

namespace model_gen {

using table_fixtures::Table;
using LpRecord = solution_file_testing::Record;
inline constexpr double kBlank = 1e30;

struct Sheet {
  std::string table;  // empty: a worksheet file of the model that no table lists
  std::string file;
  wks_test::Grid grid;
};

// One model directory.
struct ModelContent {
  std::string name;
  std::vector<Table> tables;
  table_fixtures::MatrixDirectory directory;
  std::vector<Sheet> sheets;
  std::vector<std::pair<std::string, std::string>> settings;  // setting name, value text
  std::map<std::string, std::string> files;                   // side file name, bytes

  Table& AddTable(Table table) {
    tables.push_back(std::move(table));
    return tables.back();
  }
  void Set(const std::string& setting, const std::string& value) { settings.emplace_back(setting, value); }
};

// The LP records of a solution file, rows and columns each in the order first named.
class CLpBuilder {
 public:
  LpRecord& Row(const std::string& name) { return Entry(m_rows, m_rowIndex, name); }
  LpRecord& Column(const std::string& name) { return Entry(m_columns, m_columnIndex, name); }
  // A column with activity and cost (a purchase's cost is minus its price).
  LpRecord& Column(const std::string& name, double activity, double cost) {
    LpRecord& c = Column(name);
    c.activity = activity;
    c.slack = cost;
    return c;
  }
  // A balance row: in balance, its marginal value given.
  LpRecord& Balance(const std::string& name, double marginal) {
    LpRecord& r = Row(name);
    r.status = 3;
    r.activity = 0.0;
    r.slack = 0.0;
    r.lo = 0.0;
    r.hi = 0.0;
    r.marginal = marginal;
    return r;
  }
  const std::vector<LpRecord>& Rows() const { return m_rows; }
  const std::vector<LpRecord>& Columns() const { return m_columns; }
  // The objective: every column's activity times its cost.
  double Objective() const {
    double sum = 0.0;
    for (const LpRecord& c : m_columns) sum += c.activity * c.slack;
    return sum;
  }

 private:
  static LpRecord& Entry(std::vector<LpRecord>& list, std::unordered_map<std::string, std::size_t>& index,
                         const std::string& name) {
    const auto [it, added] = index.emplace(name, list.size());
    if (added) {
      LpRecord record;
      record.name = name;
      record.status = 2;
      list.push_back(record);
    }
    return list[it->second];
  }
  std::vector<LpRecord> m_rows, m_columns;
  std::unordered_map<std::string, std::size_t> m_rowIndex, m_columnIndex;
};

// Builds a model table row by row; cells are given by column name, the rest blank.
class CTableBuilder {
 public:
  CTableBuilder(std::string name, std::vector<std::string> columns, bool texts = true) : m_bTexts(texts) {
    m_table.name = std::move(name);
    m_table.columns = std::move(columns);
  }
  CTableBuilder& Row(const std::string& name, const std::vector<std::pair<std::string, double>>& cells,
                     const std::string& text = std::string()) {
    m_table.rows.push_back(name);
    const std::size_t at = m_table.cells.size();
    m_table.cells.resize(at + m_table.columns.size(), kBlank);
    for (const auto& [column, value] : cells)
      for (std::size_t c = 0; c < m_table.columns.size(); ++c)
        if (m_table.columns[c] == column) m_table.cells[at + c] = value;
    if (m_bTexts) m_table.texts.push_back(text.empty() ? name : text);
    return *this;
  }
  bool Empty() const { return m_table.rows.empty(); }
  Table Build() const { return m_table; }

 private:
  Table m_table;
  bool m_bTexts;
};

// One plant's LP names: the base name, then the period code when the model
// has periods, then the plant code of a plant of a global model.
struct PlantScope {
  int plant = 0;         // the rules' plant index
  std::string code;      // the node name in a global case, else empty
  int periods = 1;
  bool periodNames = false;
  bool inGlobal() const { return !code.empty(); }
  // A negative period: a name of no particular period (the period "." of a plant).
  std::string Name(const std::string& base, int period) const {
    std::string name = base;
    if (periodNames && period >= 0) name += model_rules::PeriodCode(period);
    if (periodNames && period < 0 && !code.empty()) name += '.';
    return name + code;
  }
};

// Adds one plant's tables, directory, side files and LP records.
void BuildPlant(const GeneratorOptions& options, const PlantScope& scope, ModelContent& model, CLpBuilder& lp);
// Adds the global model's tables and directory and its own and its depot's LP records.
void BuildGlobal(const GeneratorOptions& options, int periods, ModelContent& model, CLpBuilder& lp);

}  // namespace model_gen
