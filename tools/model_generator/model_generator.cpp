// Writing a generated run directory: the models of a kind, the case set, the
// case list and outcomes, and the per-case solver files.

#include "tools/model_generator/model_generator.h"

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
  // The legacy report-writer tables copy the engine's own legacy tables, which no local-model output writes here.
  for (const char* table : {"CreateRWSTRMID", "CreateRWUNITID", "CreateRWSDSUM", "CreateRWRECIPE", "CreateRWUNITOP"})
    set(table, "0");
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
                "Month " + std::to_string(p + 1));
    model.AddTable(table.Build());
    return;
  }
  // A single period takes its name and length from the case's PERCASE row.
  model.sheets.push_back({"PERCASE", "percase.xls",
                          {{"ROWNAMES", "TEXT", "CASE", "LEN"},
                           {"JAN", "January", "#1", "#31"},
                           {"FEB", "February", "#2", "#28"},
                           {"MAR", "March", "#3", "#31"}}});
}

std::string PenaltyFile(const PlantScope& scope) {
  std::string text;
  for (int p = 0; p < scope.periods; ++p) {
    text += "Epenrow1 " + scope.Name("URONPRM", p) + " 2.0\n";
    text += "Epenrow2 " + scope.Name("MSULDSL", p) + " 1.5\n";
    text += "Epentrg1 " + scope.Name("DPRMTGT", p) + " 1.0\n";
  }
  return text;
}

// The flow file of a case: the stream links of the case's LP, in the fixed columns the legacy link table reads.
std::string FlowFile(const CLpBuilder& lp, int periods) {
  std::string text = "* stream links of the case\n";
  char line[80];
  for (int p = 0; p < periods; ++p) {
    text += periods > 1 ? std::string("LINKS ") + r::PeriodCode(p) + "\n" : std::string("LINKS\n");
    for (const LpRecord& column : lp.Columns()) {
      const std::string& name = column.name;
      if (name.size() < 7 || column.activity == 0.0 || (periods > 1 && name[7] != r::PeriodCode(p))) continue;
      const bool bought = name.compare(0, 4, "PURC") == 0, sold = name.compare(0, 4, "SELL") == 0;
      if (!bought && !sold) continue;
      std::snprintf(line, sizeof line, "%-4.4s  %-4.4s    %-3.3s    %11.4f    %11.4f\n", bought ? "BUY" : "SCDU",
                    bought ? "SCDU" : "SELL", name.substr(4, 3).c_str(), column.activity, column.activity);
      text += line;
    }
    text += periods > 1 ? std::string("UTLINKS ") + r::PeriodCode(p) + "\n" : std::string("UTLINKS\n");
    for (const char* utility : {"FUL", "POW", "STM"}) {
      const std::string name = std::string("PURC") + utility + (periods > 1 ? std::string(1, r::PeriodCode(p)) : "");
      for (const LpRecord& column : lp.Columns())
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
std::string MatrixFile(const CLpBuilder& lp) {
  std::string text = "XLINEAR\n";
  char line[96];
  for (const LpRecord& column : lp.Columns())
    if (column.name.compare(0, 4, "SCDU") == 0) {
      std::snprintf(line, sizeof line, " EVBAL%s 1 %s\n", column.name.substr(4, 3).c_str(), column.name.c_str());
      text += line;
      std::snprintf(line, sizeof line, " LCCAPCDU 1 %s\n", column.name.c_str());
      text += line;
    }
  text += "RHS\n RHS CCAPCDU 100\nRANGES\n RNG CCAPCDU 20\nBOUNDS\n";
  for (const LpRecord& column : lp.Columns())
    if (column.name.compare(0, 4, "PURC") == 0 && column.hi < 1e29) {
      std::snprintf(line, sizeof line, " UP BND %s %g\n", column.name.c_str(), column.hi);
      text += line;
    }
  return text;
}

std::string TrancolFile(const CLpBuilder& lp) {
  std::vector<TrancolBytes::Name> basis, nonBasis;
  std::vector<double> costs, reduced;
  for (const LpRecord& column : lp.Columns()) {
    if (column.activity != 0.0 && basis.size() < 4) basis.emplace_back(column.name);
    if (column.activity == 0.0 && nonBasis.size() < 3) nonBasis.emplace_back(column.name);
  }
  for (std::size_t i = 1; i < basis.size(); ++i) costs.push_back(-1.0 * static_cast<double>(i));
  for (std::size_t i = 0; i < nonBasis.size(); ++i) reduced.push_back(0.5 * static_cast<double>(i));
  std::vector<double> matrix;
  for (std::size_t i = 0; i < basis.size() * nonBasis.size(); ++i) matrix.push_back(0.01 * static_cast<double>(i));
  return TrancolBytes().Int(0).Names(basis).Names(nonBasis).Doubles(costs).Doubles(reduced).Doubles(matrix).m_bytes;
}

// The case set's scenario: case 1 is the base; cases 2 and 3 carry selection
// formulas over the base's results (true for 2, false for 3); cases 4 to 6
// are a parametric chain that tightens the reformer's capacity, whose second
// step the solver finds infeasible.
constexpr int kParametricSteps[] = {4, 5, 6};
constexpr int kInfeasibleStep = 5;

ExportConfigFixture::Case CaseOf(int c, int cases) {
  ExportConfigFixture::Case exportCase;
  exportCase.number = c;
  exportCase.title = "Generated case " + std::to_string(c);
  if (c == 1) {
    exportCase.setNodeType = "Base";
  } else if (c == 2 || c == 3) {
    exportCase.setNodeType = "Case";
    exportCase.setParent = 1;
    exportCase.selExp = c == 2 ? "Parent:PURC:ANS:Activity > 10" : "Parent:PURC:ANS:Activity > 100";
    exportCase.selValue = 0;
  } else if (c >= kParametricSteps[0] && c <= kParametricSteps[2]) {
    exportCase.setNodeType = "ParametricNode";
    exportCase.setParent = 1;
    exportCase.selExp = "Base:OBJFN > 0";
    exportCase.selValue = 0;
    for (int step : kParametricSteps)
      if (step <= cases) exportCase.siblings.push_back(step);
    const int limit = 40 - 5 * (c - kParametricSteps[0]);
    exportCase.tables.push_back({"CAPS", {"CCAPRFM\tMAX\t" + std::to_string(limit)}});
  }
  return exportCase;
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

  ModelContent main;
  main.name = layout.mainModel;
  std::vector<ModelContent> plants;
  CLpBuilder lp;
  std::string penalties;
  const auto plant = [&](ModelContent& content, int index, const std::string& code) {
    PlantScope scope;
    scope.plant = index;
    scope.code = code;
    scope.periods = periods;
    scope.periodNames = periods > 1;
    BuildPlant(options, scope, content, lp);
    if (periods > 1) content.Set("XDR_InventorySpecBlendsInRecursedPools", "2");
    penalties += PenaltyFile(scope);
  };
  if (options.kind == ModelKind::kGlobal) {
    BuildGlobal(options, periods, main, lp);
    for (std::size_t i = 0; i < layout.localModels.size(); ++i) {
      plants.emplace_back();
      plants.back().name = layout.localModels[i];
      plant(plants.back(), static_cast<int>(i), layout.plantCodes[i]);
    }
  } else {
    plant(main, 0, std::string());
  }
  AddPeriodTables(options, main);
  main.files["penalty.dat"] = penalties;
  // The hydrogen balance definition of the model directory.
  main.sheets.push_back({"", "HBALDEF.Xls", {{"TAG", "QUALITY"}, {"RFT", "SUL"}, {"LPG", ""}}});
  lp.Row("OBJFN").activity = lp.Objective();
  lp.Column("Epencol", 1.0, 10.0);
  if (options.nimbo) {
    main.files["ParametricOverrides.dat"] = ParametricOverrides(layout, periods);
    main.files["xmps.mps"] = MatrixFile(lp);
  }
  if (!options.serverConnection.empty()) {
    main.Set("DatabaseOutputFormat", "SQL Server");
    main.Set("DatabaseOutputConnection", options.serverConnection);
  }
  if (!WriteModel(dir, main, ModelTypeOf(options), options.nimbo, error)) return false;
  for (const ModelContent& content : plants)
    if (!WriteModel(dir, content, plantType, options.nimbo, error)) return false;

  // The nonlinear mode's solution file has double-precision values and long names.
  solution_file_testing::Writer solution(options.nimbo, options.nimbo ? 61 : 9);
  solution.rows = lp.Rows();
  solution.columns = lp.Columns();
  solution.objective = lp.Objective();
  solution.Save((dir / main.name / (options.nimbo ? "solutionfil.fil" : "Solution.Fil")).string());

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
  const std::string trancol = TrancolFile(lp);
  char objective[64];
  std::snprintf(objective, sizeof objective, "%.6f", lp.Objective());
  for (int c = 1; c <= options.cases; ++c) {
    // Each case starts from the solution of the case before it in its group.
    const int loadSol = c > 3 ? c - 3 : 0;
    list << c << ' ' << kFiles[c % 3] << ' ' << loadSol << " 0 x 0\n";
    outcomes << c << (c == kInfeasibleStep ? " status=5" : " status=1") << " objective=" << objective
             << (c % 7 == 0 ? " loadsol=0" : "") << '\n';
    const fs::path out = dir / "SolverOutput" / std::to_string(c) / main.name;
    fs::create_directories(out, ec);
    if (!SaveFile(out / names->GetTrancolFileName(c), trancol, error)) return false;
    // The legacy link table reads the flow file of each case, named by the case, in the model's directory.
    char flow[32];
    std::snprintf(flow, sizeof flow, "Resul%03d.flo", c);
    if (options.kind != ModelKind::kGlobal && !SaveFile(dir / main.name / flow, FlowFile(lp, periods), error))
      return false;
    config.cases.push_back(CaseOf(c, options.cases));
    // Every fourth case changes a setting of the model for itself only.
    if (c % 4 == 0) config.cases.back().settings.push_back({"LimitPenalty", 500.0 * c});
    if (c >= 2 && c <= kParametricSteps[2] && c <= options.cases) config.logics.push_back({c, 1, 1, 1, "0.001"});
  }
  if (!config.WriteConfig((dir / kExportConfigFileName).string()))
    return Fail(error, "cannot write the export configuration into " + dir.string());
  return true;
}

}  // namespace model_gen
