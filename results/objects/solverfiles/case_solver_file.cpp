#include "results/objects/solverfiles/case_solver_file.h"

#include "foundation/path_utils.h"

std::string ChooseCaseSolverFile(std::int32_t caseNumber, const std::string& casePath, const std::string& plainPath) {
  return caseNumber > 0 && FileExists(casePath, true) ? casePath : plainPath;
}
