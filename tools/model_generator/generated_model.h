#pragma once
// The generator's in-memory model before it is written: per model directory
// its tables, matrix directory, worksheets, settings and side files, and the
// linear program of one case.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "caseset/modeltables/table_file_fixtures.h"
#include "solutionfill/core/testing/solution_file_writer.h"
#include "tableio/worksheet/testing/sheet_fixture.h"
#include "tools/model_generator/lp_model.h"
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

// How a model's LP counts amounts and money in a period (model_rules.h): a single period in its own units; a
// multi-period model per day with costs per period (kRates), or, for a plant run on its own, the period's
// totals with its balance and capacity rows per day (kTotals).
struct PeriodBasis {
  enum class Kind { kSingle, kTotals, kRates };
  Kind kind = Kind::kSingle;
  double Days(int period) const { return kind == Kind::kSingle ? 1.0 : model_rules::PeriodDays(period); }
  // The factor of a price per unit in a column's objective coefficient.
  double Cost(int period) const { return kind == Kind::kRates ? Days(period) : 1.0; }
  // The factor of an amount a day in a column's bound.
  double Bound(int period) const { return kind == Kind::kTotals ? Days(period) : 1.0; }
  // The factor of a flow's coefficient in a balance or capacity row.
  double Row(int period) const { return kind == Kind::kTotals ? 1.0 / Days(period) : 1.0; }
};

// One plant's LP names: the base name, then the period code when the model
// has periods, then the plant code of a plant of a global model.
struct PlantScope {
  int plant = 0;         // the rules' plant index
  std::string code;      // the node name in a global case, else empty
  int periods = 1;
  bool periodNames = false;
  PeriodBasis basis;
  bool inGlobal() const { return !code.empty(); }
  // A negative period: a name of no particular period (the period "." of a plant).
  std::string Name(const std::string& base, int period) const {
    std::string name = base;
    if (periodNames && period >= 0) name += model_rules::PeriodCode(period);
    if (periodNames && period < 0 && !code.empty()) name += '.';
    return name + code;
  }
};

// Adds one plant's tables, directory and side files, and its part of the case's LP.
void BuildPlant(const GeneratorOptions& options, const model_rules::CaseData& data, const PlantScope& scope,
                ModelContent& model, CLpModel& lp);
// Adds the global model's tables and directory, and its own and its depot's part of the case's LP.
void BuildGlobal(const GeneratorOptions& options, const model_rules::CaseData& data, int periods,
                 ModelContent& model, CLpModel& lp);
// The recursion file of a plant: the distillate pool's sulfur of each period of the case's solution.
std::string RecursionFileOf(const GeneratorOptions& options, const PlantScope& scope, const CLpModel& lp,
                            const LpSolution& solution);

}  // namespace model_gen
