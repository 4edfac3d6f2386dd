// Writing a generated run directory: the models of a kind, the case set, the
// case list and outcomes, and the per-case solver files.

#include "tools/model_generator/model_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <system_error>

#include "caseset/config/export_config_fixture.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "modelfile/vorn_model_file_table.h"
#include "results/testing/trancol_file_writer.h"
#include "standins/file_name_manager.h"
#include "tools/model_generator/generated_model.h"
#include "tools/model_generator/model_rules.h"

namespace model_gen {
namespace {

namespace fs = std::filesystem;
namespace r = model_rules;

bool Fail(std::string& error, const std::string& text) {
  error = text;
  return false;
}

bool SaveFile(const fs::path& path, const std::string& bytes, std::string& error) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return file ? true : Fail(error, "cannot write " + path.string());
}

// The settings every generated model shares, then the model's own.
void ApplySettings(const ModelContent& content, int modelType, bool nimbo, CVornModelFile& model) {
  CSettingItemList& list = model.m_settings.m_list;
  int position = 0;
  const auto set = [&](const std::string& name, const std::string& value) { list.SetValueText(name, value, position); };
  set("ModelType", std::to_string(modelType));
  set("TITLE1", "Generated planning model " + content.name);
  set("TranColReportOn", "1");
  set("OutputMpsDatabaseTables", "1");
  set("UseOldOutputDatabaseFormatOn", "1");
  set("PeriodLength", "1");
  set("DatabaseDirectory", "2");  // the results database lies in the home directory
  // Fixed dates, so that two runs of the same case set write the same rows.
  for (const char* date : {"StartDate", "CommonStartDate", "SkedDate"}) set(date, "2024-01-01 00:00:00");
  if (nimbo) {
    set("UseNimboOn", "1");
    set("WriteDatabase", "1");  // with it the parametric overrides are read
  }
  for (const auto& [name, value] : content.settings) set(name, value);
}

bool WriteModel(const fs::path& home, const ModelContent& content, int modelType, bool nimbo, std::string& error) {
  const fs::path dir = home / content.name;
  std::error_code ec;
  fs::create_directories(dir, ec);
  const auto files = table_fixtures::MakeClassicFiles(content.tables, 500, modelType,
                                                      table_fixtures::ClassicDirectory(content.directory));
  if (content.tables.size() > 500) return Fail(error, "more than 500 tables in " + content.name);
  if (!SaveFile(dir / "tables.map", files.index, error) || !SaveFile(dir / "tables.fil", files.cache, error))
    return false;
  for (const auto& [name, bytes] : content.files)
    if (!SaveFile(dir / name, bytes, error)) return false;

  CVornModelFile model;
  model.LoadFromDirectory(content.name, dir.string());
  model.m_bEncryptOnSave = false;
  ApplySettings(content, modelType, nimbo, model);
  for (const Sheet& sheet : content.sheets) {
    wks_test::WriteSheet(2, sheet.grid, (dir / sheet.file).string());
    if (sheet.table.empty()) continue;
    auto table = std::make_unique<CVornModelFileTable>(sheet.table, 0);
    table->AddFile(sheet.file, true, plat::OleDateTime());
    model.m_tables.Add(std::move(table));
  }
  model.m_tables.Sort(&CVornModelFileTable::CompareElements);
  if (!model.Save("18.0.0", "", false)) return Fail(error, "cannot write the model file of " + content.name);
  return true;
}

// The per-period and per-case tables of the single plant's own model.
void AddPeriodTables(const GeneratorOptions& options, ModelContent& model) {
  const int periods = PeriodCount(options);
  if (periods > 1) {
    if (options.kind == ModelKind::kGlobal) return;  // the global model lists its periods itself
    CTableBuilder table("PERIODS", {"LEN", "PVF", "RECURSE"});
    for (int p = 0; p < periods; ++p)
      table.Row(std::string(1, r::PeriodCode(p)), {{"LEN", r::PeriodDays(p)}, {"PVF", 1.0}, {"RECURSE", 1}},
                r::PeriodTitle(p));
    model.AddTable(table.Build());
    return;
  }
  // A single period takes its name and length from the case's PERCASE row.
  model.sheets.push_back({"PERCASE", "percase.xls",
                          {{"ROWNAMES", "TEXT", "CASE", "LEN"},
                           {"JAN", r::PeriodTitle(0), "#1", "#" + std::to_string(r::DaysInMonth(r::kFirstYear, 1))},
                           {"FEB", r::PeriodTitle(1), "#2", "#" + std::to_string(r::DaysInMonth(r::kFirstYear, 2))},
                           {"MAR", r::PeriodTitle(2), "#3", "#" + std::to_string(r::DaysInMonth(r::kFirstYear, 3))}}});
}

// The penalty rows of the specifications' slacks and of the reformate target. The sulfur slack's factor is
// negative: the fill turns the factor of a row of its kind into a penalty of the opposite sign.
std::string PenaltyFile(const PlantScope& scope) {
  char line[64];
  std::string text;
  for (int p = 0; p < scope.periods; ++p) {
    std::snprintf(line, sizeof line, "Epenrow1 %s %.1f\n", scope.Name("URONPRM", p).c_str(), r::kOctanePenalty);
    text += line;
    std::snprintf(line, sizeof line, "Epenrow2 %s %.1f\n", scope.Name("MSULDSL", p).c_str(), -r::kSulfurPenalty);
    text += line;
    std::snprintf(line, sizeof line, "Epentrg1 %s %.1f\n", scope.Name("DPRMTGT", p).c_str(), r::kTargetPenalty);
    text += line;
  }
  return text;
}

// The flow file of a case: the stream links of the case's LP, in the fixed columns the legacy link table reads.
std::string FlowFile(const std::vector<LpRecord>& columns, int periods) {
  std::string text = "* stream links of the case\n";
  char line[80];
  for (int p = 0; p < periods; ++p) {
    text += periods > 1 ? std::string("LINKS ") + r::PeriodCode(p) + "\n" : std::string("LINKS\n");
    for (const LpRecord& column : columns) {
      const std::string& name = column.name;
      if (name.size() < 7 || column.activity == 0.0 || (periods > 1 && (name.size() < 8 || name[7] != r::PeriodCode(p))))
        continue;
      const bool bought = name.compare(0, 4, "PURC") == 0, sold = name.compare(0, 4, "SELL") == 0;
      if (!bought && !sold) continue;
      std::snprintf(line, sizeof line, "%-4.4s  %-4.4s    %-3.3s    %11.4f    %11.4f\n", bought ? "BUY" : "SCDU",
                    bought ? "SCDU" : "SELL", name.substr(4, 3).c_str(), column.activity, column.activity);
      text += line;
    }
    text += periods > 1 ? std::string("UTLINKS ") + r::PeriodCode(p) + "\n" : std::string("UTLINKS\n");
    for (const char* utility : {"FUL", "POW", "STM"}) {
      const std::string name = std::string("PURC") + utility + (periods > 1 ? std::string(1, r::PeriodCode(p)) : "");
      for (const LpRecord& column : columns)
        if (column.name == name) {
          std::snprintf(line, sizeof line, "%-4.4s  %-4.4s    %-3.3s    %11.4f    %11.4f\n", "BUY", "SCDU", utility,
                        column.activity, column.activity);
          text += line;
        }
    }
  }
  return text;
}

// "ParametricOverrides.dat": the premium's minimum octane, for every plant and period.
std::string ParametricOverrides(const RunLayout& layout, int periods) {
  std::string text;
  char line[64];
  const std::vector<std::string> models = layout.plantCodes.empty() ? std::vector<std::string>{"*"} : layout.plantCodes;
  for (const std::string& model : models)
    for (int p = 0; p < periods; ++p) {
      const std::string period = periods > 1 ? std::string(1, r::PeriodCode(p)) : "*";
      std::snprintf(line, sizeof line, "NRONPRM %.1f %s %s MIN\n", r::kOverriddenMinRon, period.c_str(), model.c_str());
      text += line;
    }
  return text + "*END\n";
}

// The extended matrix file of the nonlinear mode: the crude unit's coefficients, the right-hand sides and the
// bounds of the purchase columns.
std::string MatrixFile(const std::vector<LpRecord>& columns) {
  std::string text = "XLINEAR\n";
  char line[96];
  for (const LpRecord& column : columns)
    if (column.name.compare(0, 4, "SCDU") == 0) {
      std::snprintf(line, sizeof line, " EVBAL%s 1 %s\n", column.name.substr(4, 3).c_str(), column.name.c_str());
      text += line;
      std::snprintf(line, sizeof line, " LCCAPCDU 1 %s\n", column.name.c_str());
      text += line;
    }
  std::snprintf(line, sizeof line, "RHS\n RHS CCAPCDU %g\nRANGES\n RNG CCAPCDU %g\nBOUNDS\n", r::CduCapacity(0),
                0.2 * r::CduCapacity(0));
  text += line;
  for (const LpRecord& column : columns)
    if (column.name.compare(0, 4, "PURC") == 0 && column.hi < 1e29) {
      std::snprintf(line, sizeof line, " UP BND %s %g\n", column.name.c_str(), column.hi);
      text += line;
    }
  return text;
}

std::string TrancolFile(const std::vector<LpRecord>& columns) {
  std::vector<TrancolBytes::Name> basis, nonBasis;
  std::vector<double> costs, reduced;
  for (const LpRecord& column : columns) {
    if (column.activity != 0.0 && basis.size() < 4) basis.emplace_back(column.name);
    if (column.activity == 0.0 && nonBasis.size() < 3) nonBasis.emplace_back(column.name);
  }
  for (std::size_t i = 1; i < basis.size(); ++i) costs.push_back(-1.0 * static_cast<double>(i));
  for (std::size_t i = 0; i < nonBasis.size(); ++i) reduced.push_back(0.5 * static_cast<double>(i));
  std::vector<double> matrix;
  for (std::size_t i = 0; i < basis.size() * nonBasis.size(); ++i) matrix.push_back(0.01 * static_cast<double>(i));
  return TrancolBytes().Int(0).Names(basis).Names(nonBasis).Doubles(costs).Doubles(reduced).Doubles(matrix).m_bytes;
}

ExportConfigFixture::Case CaseOf(int c, int cases, int crudes) {
  ExportConfigFixture::Case exportCase;
  exportCase.number = c;
  exportCase.title = r::CaseOf(c, crudes).title;
  if (c == 1) {
    exportCase.setNodeType = "Base";
  } else if (c == 2 || c == 3) {
    exportCase.setNodeType = "Case";
    exportCase.setParent = 1;
    exportCase.selExp = c == 2 ? "Parent:PURC:ANS:Activity > 10" : "Parent:PURC:ANS:Activity > 100";
    exportCase.selValue = 0;
  } else if (c >= r::kParametricSteps[0] && c <= r::kParametricSteps[2]) {
    exportCase.setNodeType = "ParametricNode";
    exportCase.setParent = 1;
    exportCase.selExp = "Base:OBJFN > 0";
    exportCase.selValue = 0;
    for (int step : r::kParametricSteps)
      if (step <= cases) exportCase.siblings.push_back(step);
    char limit[32];
    std::snprintf(limit, sizeof limit, "%g", r::ChainReformerCapacity(c - r::kParametricSteps[0]));
    exportCase.tables.push_back({"CAPS", {std::string("CCAPRFM\tMAX\t") + limit}});
  }
  return exportCase;
}

// One case's models and linear program, built with the case's data.
struct CaseModel {
  ModelContent main;
  std::vector<ModelContent> plants;  // the plants of a global model
  std::vector<PlantScope> scopes;    // each plant's names, in the order of the model directories that hold them
  CLpModel lp;
  std::string penalties;
};

void BuildCase(const GeneratorOptions& options, const RunLayout& layout, int caseNumber, CaseModel& model) {
  const int periods = PeriodCount(options);
  const r::CaseData data = r::CaseOf(caseNumber, options.crudes);
  model.main.name = layout.mainModel;
  const auto plant = [&](ModelContent& content, int index, const std::string& code) {
    PlantScope scope;
    scope.plant = index;
    scope.code = code;
    scope.periods = periods;
    scope.periodNames = periods > 1;
    // A plant of a global model counts a day's amounts, a plant on its own the period's.
    if (periods > 1)
      scope.basis.kind = code.empty() ? PeriodBasis::Kind::kTotals : PeriodBasis::Kind::kRates;
    BuildPlant(options, data, scope, content, model.lp);
    if (periods > 1) content.Set("XDR_InventorySpecBlendsInRecursedPools", "2");
    model.penalties += PenaltyFile(scope);
    model.scopes.push_back(scope);
  };
  if (options.kind == ModelKind::kGlobal) {
    BuildGlobal(options, data, periods, model.main, model.lp);
    for (std::size_t i = 0; i < layout.localModels.size(); ++i) {
      model.plants.emplace_back();
      model.plants.back().name = layout.localModels[i];
      plant(model.plants.back(), static_cast<int>(i), layout.plantCodes[i]);
    }
  } else {
    plant(model.main, 0, std::string());
  }
}

// Cleans a solver's value of its rounding noise.
double Clean(double value) { return std::fabs(value) < 1e-9 ? 0.0 : value; }

// Whether a row's activity lies outside its bounds by more than the solver's tolerance.
bool Breaks(double activity, double lo, double hi) {
  const auto beyond = [activity](double bound) { return 1e-6 * std::max(1.0, std::fabs(bound)); };
  return (lo > -kLpInfinity && activity < lo - beyond(lo)) || (hi < kLpInfinity && activity > hi + beyond(hi));
}

// The solution file's records of a solved case: every row and column of the LP with its activity, its slack
// (the row's activity less the bound it holds) or cost, its bounds and its marginal value; then the objective.
// In an infeasible case the rows the reported plan breaks are marked infeasible.
void SolutionRecords(const CLpModel& lp, const LpSolution& solution, std::vector<LpRecord>& rows,
                     std::vector<LpRecord>& columns) {
  constexpr std::int32_t kFree = 1, kBasic = 2, kEqual = 3, kUpper = 4, kLower = 5, kInfeasible = 6;
  const auto bound = [](double value) { return value >= kLpInfinity ? 1e30 : value <= -kLpInfinity ? -1e30 : value; };
  const auto status = [&](bool basic, double activity, double lo, double hi) {
    if (lo == hi) return kEqual;
    if (basic) return kBasic;
    const double tolerance = 1e-7 * std::max(1.0, std::fabs(activity));
    if (hi < kLpInfinity && std::fabs(activity - hi) <= tolerance) return kUpper;
    if (lo > -kLpInfinity && std::fabs(activity - lo) <= tolerance) return kLower;
    return lo <= -kLpInfinity && hi >= kLpInfinity ? kFree : kBasic;
  };
  for (std::size_t i = 0; i < lp.Rows().size(); ++i) {
    const CLpModel::RowData& row = lp.Rows()[i];
    LpRecord record;
    record.name = row.name;
    record.activity = Clean(solution.rowActivity[i]);
    const double held = row.lo == row.hi || row.hi >= kLpInfinity ? row.lo : row.hi;
    record.slack = Clean(held <= -kLpInfinity ? record.activity : record.activity - held);
    record.lo = bound(row.lo);
    record.hi = bound(row.hi);
    record.marginal = Clean(solution.rowMarginal[i]);
    record.status = status(solution.rowBasic[i], record.activity, row.lo, row.hi);
    if (solution.status == LpSolution::Status::kInfeasible && Breaks(record.activity, row.lo, row.hi))
      record.status = kInfeasible;
    rows.push_back(record);
  }
  LpRecord objective;
  objective.name = "OBJFN";
  objective.status = kFree;
  objective.activity = solution.objective;
  objective.lo = -1e30;
  rows.push_back(objective);
  for (std::size_t i = 0; i < lp.Columns().size(); ++i) {
    const CLpModel::ColumnData& column = lp.Columns()[i];
    LpRecord record;
    record.name = column.name;
    record.activity = Clean(solution.columnActivity[i]);
    record.slack = column.cost;
    record.lo = bound(column.lo);
    record.hi = bound(column.hi);
    record.marginal = Clean(solution.reducedCost[i]);
    record.status = status(solution.columnBasic[i], record.activity, column.lo, column.hi);
    columns.push_back(record);
  }
}

// The stand-in solver's solve status of an LP's answer (the case status of the same number).
int SolveStatusOf(LpSolution::Status status) {
  switch (status) {
    case LpSolution::Status::kOptimal: return 1;     // Converged
    case LpSolution::Status::kInfeasible: return 5;  // Infeasible
    case LpSolution::Status::kUnbounded: return 4;   // UNBOUNDED
    case LpSolution::Status::kStopped: return 3;     // MaxIPass Exceeded
  }
  return 0;
}

struct SolvedCase {
  CaseModel model;
  LpSolution solution;
  std::vector<LpRecord> rows, columns;
};

void SolveCase(const GeneratorOptions& options, const RunLayout& layout, int caseNumber, SolvedCase& solved) {
  BuildCase(options, layout, caseNumber, solved.model);
  solved.solution = solved.model.lp.Solve();
  SolutionRecords(solved.model.lp, solved.solution, solved.rows, solved.columns);
}

// The model directory that holds the plant of scope i.
ModelContent& PlantContent(CaseModel& model, std::size_t i) { return model.plants.empty() ? model.main : model.plants[i]; }

// The solution file of a solved case; the nonlinear mode's has double-precision values and long names.
std::string SolutionFile(const GeneratorOptions& options, const SolvedCase& solved) {
  solution_file_testing::Writer solution(options.nimbo, options.nimbo ? 61 : 9);
  solution.rows = solved.rows;
  solution.columns = solved.columns;
  solution.objective = solved.solution.objective;
  return solution.Bytes();
}

}  // namespace

bool ParseModelKind(const std::string& text, ModelKind& kind) {
  for (ModelKind k : {ModelKind::kStandard, ModelKind::kMultiPeriod, ModelKind::kGlobal, ModelKind::kLocal})
    if (text == ModelKindName(k)) {
      kind = k;
      return true;
    }
  return false;
}

const char* ModelKindName(ModelKind kind) {
  switch (kind) {
    case ModelKind::kStandard: return "standard";
    case ModelKind::kMultiPeriod: return "multiperiod";
    case ModelKind::kGlobal: return "global";
    case ModelKind::kLocal: return "local";
  }
  return "";
}

bool ApplySize(const std::string& size, GeneratorOptions& options) {
  // Besides its copy of the settings, a case of the Standard model with no extra unit writes about 640 result
  // rows, and each extra unit adds about 55 (case_export_bench reports the count).
  if (size == "1k") {
    options.crudes = 2;
    options.extraUnits = 7;
  } else if (size == "10k") {
    options.crudes = 2;
    options.extraUnits = 170;
  } else {
    return false;
  }
  return true;
}

int PeriodCount(const GeneratorOptions& options) {
  if (options.periods > 0) return options.kind == ModelKind::kStandard ? 1 : options.periods;
  return options.kind == ModelKind::kStandard ? 1 : 3;
}

int ModelTypeOf(const GeneratorOptions& options) {
  const bool periods = PeriodCount(options) > 1;
  if (options.kind == ModelKind::kGlobal) return periods ? 3 : 2;
  return periods ? 1 : 0;
}

RunLayout LayoutOf(const GeneratorOptions& options) {
  RunLayout layout;
  switch (options.kind) {
    case ModelKind::kGlobal:
      layout.mainModel = "Network";
      layout.localModels = {"PlantA", "PlantB"};
      layout.plantCodes = {"A", "B"};
      layout.depot = "D";
      break;
    case ModelKind::kLocal: layout.mainModel = "PlantA"; break;
    default: layout.mainModel = "Refinery"; break;
  }
  return layout;
}

bool GenerateRunDirectory(const fs::path& runDirectory, const GeneratorOptions& options, std::string& error) {
  if (options.cases < 0) return Fail(error, "the number of cases must not be negative");
  if (options.crudes < 2 || options.crudes > 2 + 1296) return Fail(error, "the number of crudes must be 2 to 1298");
  if (options.extraUnits < 0 || options.extraUnits > 400) return Fail(error, "the number of extra units must be 0 to 400");
  if (options.periods < 0 || options.periods > 9) return Fail(error, "the number of periods must be 0 to 9");

  const fs::path dir = fs::absolute(runDirectory).lexically_normal();
  std::error_code ec;
  fs::create_directories(dir, ec);
  const RunLayout layout = LayoutOf(options);
  const int periods = PeriodCount(options);
  const int plantType = periods > 1 ? 1 : 0;

  // The model directories hold the base case's model and solver files; each case's own solution and recursion
  // files lie where the stand-in solver places them from.
  SolvedCase base;
  SolveCase(options, layout, 1, base);
  CaseModel& model = base.model;
  ModelContent& main = model.main;
  AddPeriodTables(options, main);
  main.files["penalty.dat"] = model.penalties;
  // The hydrogen balance definition of the model directory.
  main.sheets.push_back({"", "HBALDEF.Xls", {{"TAG", "QUALITY"}, {"RFT", "SUL"}, {"LPG", ""}}});
  for (std::size_t i = 0; i < model.scopes.size(); ++i)
    PlantContent(model, i).files["Recursion.fil"] = RecursionFileOf(options, model.scopes[i], model.lp, base.solution);
  if (options.nimbo) {
    main.files["ParametricOverrides.dat"] = ParametricOverrides(layout, periods);
    main.files["xmps.mps"] = MatrixFile(base.columns);
  }
  if (!options.serverConnection.empty()) {
    main.Set("DatabaseOutputFormat", "SQL Server");
    main.Set("DatabaseOutputConnection", options.serverConnection);
  }
  if (!WriteModel(dir, main, ModelTypeOf(options), options.nimbo, error)) return false;
  for (const ModelContent& content : model.plants)
    if (!WriteModel(dir, content, plantType, options.nimbo, error)) return false;
  if (!SaveFile(dir / main.name / (options.nimbo ? "solutionfil.fil" : "Solution.Fil"), SolutionFile(options, base),
                error))
    return false;

  ExportConfigFixture config;
  config.homeDirectory = dir.string();
  config.modelDirectory = (dir / main.name).string();
  config.databaseDirectory = dir.string();
  config.databaseDescription = "Generated model";
  config.doDbSolution = true;
  config.runId = "GEN1";
  for (std::size_t i = 0; i < layout.localModels.size(); ++i)
    config.localModels.push_back({layout.plantCodes[i], (dir / layout.localModels[i]).string(), true});
  config.errorMessages = {{"E101", "Generated warning of the matrix", "VBALNAP", "SRFMNAP", main.name},
                          {"E102", "Generated note of the case set", "", "", main.name}};

  std::ofstream list(dir / "cases.txt");
  std::ofstream outcomes(dir / "SolverOutcomes.txt");
  if (!list || !outcomes) return Fail(error, "cannot write into " + dir.string());
  static const char* const kFiles[] = {"Refinery.str", "Blending.str", "Logistics.str"};
  outcomes << "# the stand-in solver's outcome per case (see standins/CASE_SOLVER.md)\n* time=" << options.solveTime
           << "\n";
  const auto names = CreateFileNameManager();
  for (int c = 1; c <= options.cases; ++c) {
    SolvedCase other;
    if (c > 1) SolveCase(options, layout, c, other);
    const SolvedCase& solved = c > 1 ? other : base;
    // Each case starts from the solution of the case before it in its group.
    const int loadSol = c > 3 ? c - 3 : 0;
    list << c << ' ' << kFiles[c % 3] << ' ' << loadSol << " 0 x 0\n";
    char outcome[160];
    std::snprintf(outcome, sizeof outcome, "%d status=%d objective=%.17g passes=%d iterations=%d%s\n", c,
                  SolveStatusOf(solved.solution.status), solved.solution.objective, r::kRecursionPasses,
                  solved.solution.iterations, c % 7 == 0 ? " loadsol=0" : "");
    outcomes << outcome;
    const fs::path out = dir / "SolverOutput" / std::to_string(c);
    fs::create_directories(out / main.name, ec);
    if (!SaveFile(out / main.name / names->GetTrancolFileName(c), TrancolFile(solved.columns), error) ||
        !SaveFile(out / main.name / names->GetSolutionFileName(c), SolutionFile(options, solved), error))
      return false;
    for (std::size_t i = 0; i < solved.model.scopes.size(); ++i) {
      const fs::path plantDir = out / PlantContent(model, i).name;
      fs::create_directories(plantDir, ec);
      if (!SaveFile(plantDir / names->GetRecursionFileName(c),
                    RecursionFileOf(options, solved.model.scopes[i], solved.model.lp, solved.solution), error))
        return false;
    }
    // The legacy link table reads the flow file of each case, named by the case, in the model's directory.
    char flow[32];
    std::snprintf(flow, sizeof flow, "Resul%03d.flo", c);
    if (options.kind != ModelKind::kGlobal && !SaveFile(dir / main.name / flow, FlowFile(solved.columns, periods), error))
      return false;
    config.cases.push_back(CaseOf(c, options.cases, options.crudes));
    // Every fourth case changes a setting of the model for itself only.
    if (c % 4 == 0) config.cases.back().settings.push_back({"LimitPenalty", 500.0 * c});
    if (c >= 2 && c <= r::kParametricSteps[2] && c <= options.cases) config.logics.push_back({c, 1, 1, 1, "0.001"});
  }
  if (!config.WriteConfig((dir / kExportConfigFileName).string()))
    return Fail(error, "cannot write the export configuration into " + dir.string());
  return true;
}

GeneratedCase SolveGeneratedCase(const GeneratorOptions& options, int caseNumber) {
  SolvedCase solved;
  SolveCase(options, LayoutOf(options), caseNumber, solved);
  GeneratedCase result;
  result.title = r::CaseOf(caseNumber, options.crudes).title;
  result.solveStatus = SolveStatusOf(solved.solution.status);
  result.objective = solved.solution.objective;
  for (const LpRecord& row : solved.rows) result.rows[row.name] = {row.activity, row.slack, row.lo, row.hi, row.marginal};
  for (const LpRecord& column : solved.columns)
    result.columns[column.name] = {column.activity, column.slack, column.lo, column.hi, column.marginal};
  // A column's cost is the money of its period (the code after its base name of seven characters) unless it
  // falls into several.
  const int periods = PeriodCount(options);
  for (int p = 0; p < periods; ++p) result.periodObjectives.push_back(solved.model.lp.Constant(p));
  const auto add = [&](int p, double money) {
    if (p >= 0 && p < periods) result.periodObjectives[static_cast<std::size_t>(p)] += money;
  };
  const std::vector<CLpModel::ColumnData>& columns = solved.model.lp.Columns();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const double activity = solved.solution.columnActivity[i];
    if (!columns[i].costShares.empty()) {
      for (const auto& [p, share] : columns[i].costShares) add(p, share * activity);
    } else if (columns[i].cost != 0.0) {
      const std::string& name = columns[i].name;
      add(periods > 1 && name.size() > 7 ? name[7] - r::PeriodCode(0) : 0, columns[i].cost * activity);
    }
  }
  return result;
}

}  // namespace model_gen
