// Writes a generated planning model and its case set into a run directory
// (see tools/model_generator/model_generator.h): the models, the export
// configuration, the case list "cases.txt", the stand-in solver's outcomes
// and the prepared solver output of every case.
//
//   make_demo_cases RUNDIR [CASES] [--kind standard|multiperiod|global|local]
//                   [--size 1k|10k] [--crudes N] [--units N] [--periods N] [--nimbo] [--time S]
//                   [--server CONNECTION]
//
// CASES defaults to 20. --crudes (at least 2), --units (extra units) and
// --periods scale the model up, --size sets them for a Standard case of about
// 1,000 or 10,000 result rows; --nimbo writes the nonlinear mode's model and
// files; --time is the stand-in's solve time per case; --server points the
// model at a database server (an ODBC connection string, e.g.
// "Driver=PostgreSQL Unicode;Server=db1;Port=5432;Database=results;UID=ostrel;PWD=...")
// whose result tables result_ddl made.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/model_generator/model_generator.h"

namespace {

// The usage on standard error (standard output when asked for with --help); status 2 (0 when asked for).
int Usage(bool asked = false) {
  std::fprintf(asked ? stdout : stderr,
               "usage: make_demo_cases RUNDIR [CASES] [--kind standard|multiperiod|global|local] [--crudes N] "
               "[--size 1k|10k] [--units N] [--periods N] [--nimbo] [--time S] [--server CONNECTION]\n");
  return asked ? 0 : 2;
}

bool ReadInt(const char* text, int& value) {
  char* end = nullptr;
  const long number = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || number < -1000000 || number > 1000000) return false;
  value = static_cast<int>(number);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  // The run directory comes first: an option in its place is not a directory name.
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") return Usage(true);
  if (argv[1][0] == '-') return Usage();
  model_gen::GeneratorOptions options;
  options.kind = model_gen::ModelKind::kStandard;
  int positional = 0;
  for (int i = 2; i < argc; ++i) {
    const std::string word = argv[i];
    const bool hasValue = i + 1 < argc;
    if (word == "--kind" && hasValue) {
      if (!model_gen::ParseModelKind(argv[++i], options.kind)) return Usage();
    } else if (word == "--size" && hasValue) {
      if (!model_gen::ApplySize(argv[++i], options)) return Usage();
    } else if (word == "--crudes" && hasValue) {
      if (!ReadInt(argv[++i], options.crudes)) return Usage();
    } else if (word == "--units" && hasValue) {
      if (!ReadInt(argv[++i], options.extraUnits)) return Usage();
    } else if (word == "--periods" && hasValue) {
      if (!ReadInt(argv[++i], options.periods)) return Usage();
    } else if (word == "--nimbo") {
      options.nimbo = true;
    } else if (word == "--time" && hasValue) {
      options.solveTime = std::atof(argv[++i]);
    } else if (word == "--server" && hasValue) {
      options.serverConnection = argv[++i];
      if (options.serverConnection.empty()) return Usage();
    } else if (positional == 0 && !word.empty() && word[0] != '-') {
      if (!ReadInt(word.c_str(), options.cases)) return Usage();
      ++positional;
    } else {
      return Usage();
    }
  }
  std::string error;
  if (!model_gen::GenerateRunDirectory(argv[1], options, error)) {
    std::fprintf(stderr, "make_demo_cases: %s\n", error.c_str());
    return options.cases < 0 ? 2 : 1;
  }
  std::printf("%d cases of the %s model written to %s\n", options.cases, model_gen::ModelKindName(options.kind),
              argv[1]);
  if (!options.serverConnection.empty())
    std::printf("its results go to the database server of the connection given; make its tables first with "
                "result_ddl\n");
  return 0;
}
