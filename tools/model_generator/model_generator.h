#pragma once
// The generated planning model and case set: writes into a run directory a
// complete, consistent model (model files with settings, the model tables
// as table files and worksheets, the export configuration with its case
// set), the solver side's files of every case and the stand-in solver's
// outcomes, so that a run writes every result table the model's features
// fill. Each case is a linear program over the columns and rows of the
// model (data in model_rules.h), solved by the LP solver; its solution
// files and outcome carry that optimum.
//
// Layout: the run directory is the home directory; each model lies in a
// subdirectory named after it; the case list "cases.txt", the outcome file
// "SolverOutcomes.txt", the export configuration and the results database
// lie in the run directory; "SolverOutput/<case>/<model>/" holds the files
// of one case that the stand-in solver plays back: its solution file and
// each plant's recursion file under the case's own names, and its Trancol
// file.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace model_gen {

enum class ModelKind {
  kStandard,     // one plant, one period
  kMultiPeriod,  // one plant, several periods
  kGlobal,       // two plants with a depot, transfers, global purchases and sales
  kLocal,        // plant A of the global model run on its own
};

struct GeneratorOptions {
  ModelKind kind = ModelKind::kGlobal;
  int cases = 20;
  int crudes = 2;      // at least 2
  int extraUnits = 0;  // units beyond the crude unit, reformer and hydrotreater
  int periods = 0;     // 0: the kind's own (Standard 1, the others 3); global with 1 is a MultiPlant model
  double solveTime = 0.2;
  // The nonlinear mode (setting UseNimboOn): double-precision solver files with long names,
  // parametric overrides, the matrix file, the global model's own blend specifications.
  bool nimbo = false;
  // Not empty: the main model writes its results to a database server through this connection string
  // (settings DatabaseOutputFormat "SQL Server" and DatabaseOutputConnection) instead of the results file.
  std::string serverConnection;
};

// Reads "standard", "multiperiod", "global" or "local".
bool ParseModelKind(const std::string& text, ModelKind& kind);
const char* ModelKindName(ModelKind kind);

// Sets the scale of a named size: "1k" (a Standard case that writes about 1,000
// result rows besides its copy of the settings) or "10k" (about 10,000). False
// for another name.
bool ApplySize(const std::string& size, GeneratorOptions& options);

// The number of periods the model of these options has.
int PeriodCount(const GeneratorOptions& options);
// The model type setting: 0 Standard, 1 MultiPeriod, 2 MultiPlant, 3 MultiPeriodPlant.
int ModelTypeOf(const GeneratorOptions& options);

// Names a test needs to find its way in a generated run.
struct RunLayout {
  std::string mainModel;                 // the model directory named by the configuration
  std::vector<std::string> localModels;  // the plants of a global model, in local-model order
  std::vector<std::string> plantCodes;   // their node names ("A", "B")
  std::string depot;                     // the depot node of a global model
};
RunLayout LayoutOf(const GeneratorOptions& options);

// Writes the run directory (created when missing); false with error set when a file cannot be written.
bool GenerateRunDirectory(const std::filesystem::path& runDirectory, const GeneratorOptions& options,
                          std::string& error);

// One case of the case set as its solution file holds it.
struct GeneratedCase {
  struct Value {
    double activity = 0.0;
    double slack = 0.0;  // a row's activity less the bound it holds; a column's objective coefficient
    double lo = 0.0, hi = 0.0;
    double marginal = 0.0;  // the LP's dual value of a row, reduced cost of a column
  };
  std::string title;
  int solveStatus = 0;  // the stand-in solver's solve status: 1 converged, 5 infeasible, 4 unbounded, 3 stopped
  double objective = 0.0;
  std::vector<double> periodObjectives;        // the objective's money of each period
  std::map<std::string, Value> rows, columns;  // by LP name
};
GeneratedCase SolveGeneratedCase(const GeneratorOptions& options, int caseNumber);

}  // namespace model_gen
