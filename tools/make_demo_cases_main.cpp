// Writes a demo case set into a run directory: a case list of cases over a
// few solver files, the stand-in solver's outcomes for them (solve times, a
// LOADSOL fall-back or two) and prepared solver output files per case.
//
//   make_demo_cases RUNDIR [CASES]      (CASES defaults to 20)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "standins/file_name_manager.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_demo_cases RUNDIR [CASES]\n");
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path dir = argv[1];
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
  }
  std::printf("%d cases written to %s\n", cases, dir.c_str());
  return 0;
}
