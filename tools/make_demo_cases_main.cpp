// Writes a demo case set into a run directory: a case list of cases over a
// few solver files, the stand-in solver's outcomes for them (solve times, a
// LOADSOL fall-back or two), prepared solver output files per case, and the
// export configuration with the model file and its solution file, so the
// workers write each case through the database output. The run directory is
// also the model's directory.
//
//   make_demo_cases RUNDIR [CASES]      (CASES defaults to 20)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "caseset/config/export_config_fixture.h"
#include "solutionfill/core/testing/solution_file_writer.h"
#include "standins/file_name_manager.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_demo_cases RUNDIR [CASES]\n");
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path dir = fs::absolute(argv[1]).lexically_normal();
  const int cases = argc > 2 ? std::atoi(argv[2]) : 20;
  if (cases < 0) {
    std::fprintf(stderr, "make_demo_cases: the number of cases must not be negative\n");
    return 2;
  }
  std::error_code ec;
  fs::create_directories(dir, ec);
  std::ofstream list(dir / "cases.txt");
  std::ofstream outcomes(dir / "SolverOutcomes.txt");
  if (!list || !outcomes) {
    std::fprintf(stderr, "make_demo_cases: cannot write into %s\n", dir.c_str());
    return 1;
  }
  static const char* const kFiles[] = {"Refinery.str", "Blending.str", "Logistics.str"};
  ExportConfigFixture config;
  config.homeDirectory = dir.parent_path().string();
  config.modelDirectory = dir.string();
  config.databaseDirectory = dir.string();
  config.databaseDescription = "Demo results";
  const auto names = CreateFileNameManager();
  outcomes << "# the stand-in solver's outcome per case (see standins/README.md)\n* time=0.2\n";
  for (int c = 1; c <= cases; ++c) {
    // Each case starts from the solution of the case before it in its group.
    const int group = c % 3;
    const int loadSol = c > 3 ? c - 3 : 0;
    list << c << ' ' << kFiles[group] << ' ' << loadSol << " 0 x 0\n";
    outcomes << c << " status=1 objective=" << 1000 + 17 * c << (c % 7 == 0 ? " loadsol=0" : "") << '\n';
    const fs::path out = dir / "SolverOutput" / std::to_string(c);
    fs::create_directories(out, ec);
    std::ofstream(out / names->GetSolutionFileName(c)) << "solution of case " << c << '\n';
    // Every fourth case changes a setting of the model for itself only.
    ExportConfigFixture::Case exportCase{c, "Demo case " + std::to_string(c), {}};
    if (c % 4 == 0) exportCase.settings.push_back({"LimitPenalty", 500.0 * c});
    config.cases.push_back(std::move(exportCase));
  }
  // The model's solution file, which each case's database output reads into its primal rows and columns.
  solution_file_testing::Writer solution(false, 9);
  solution.rows = {{"OBJFN", 2, 1000.0}};
  solution.columns = {{"BUYCRD", 2, 100.0, 10.0}};
  solution.Save((dir / "Solution.Fil").string());
  if (!config.WriteModel() || !config.WriteConfig((dir / kExportConfigFileName).string())) {
    std::fprintf(stderr, "make_demo_cases: cannot write the model file or the export configuration into %s\n",
                 dir.c_str());
    return 1;
  }
  std::printf("%d cases written to %s\n", cases, dir.c_str());
  return 0;
}
