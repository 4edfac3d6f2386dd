#pragma once
// The file-name manager of the utility library: the names of a case's solver
// output files. Workers run cases of one model directory at the same time, so
// every per-case name carries the case number: the base name, "_", the case
// number in decimal, then the extension ("Solution_12.Fil"). A case's LOADSOL
// file is its solution file.

#include <memory>
#include <string>

class IFileNameManager {
 public:
  virtual ~IFileNameManager() = default;
  virtual std::string GetSolutionFileName(int caseNumber) const = 0;
  virtual std::string GetRecursionFileName(int caseNumber) const = 0;
  virtual std::string GetPvtwFileName(int caseNumber) const = 0;
  virtual std::string GetPenaltyFileName(int caseNumber) const = 0;
  virtual std::string GetLoadSolFileName(int caseNumber) const = 0;
  virtual std::string GetTrancolFileName(int caseNumber) const = 0;
  virtual std::string GetMatrixFileName(int caseNumber) const = 0;
  // The nonlinear solution file that refines a matrix, by solution index ("NlpSolution_3.sol").
  virtual std::string GetNonlinearSolutionFileName(int solutionIndex) const = 0;
  // Any other per-case file: fileName with "_<case>" inserted before its extension.
  virtual std::string GetCaseFileName(const std::string& fileName, int caseNumber) const = 0;
};

// IMiskel::CreateFileNameManager; destroying the returned object is IMiskel::Destroy.
std::unique_ptr<IFileNameManager> CreateFileNameManager();

namespace IMiskel {
// The utility library's own entry: one manager for one use.
inline std::unique_ptr<IFileNameManager> CreateFileNameManager() { return ::CreateFileNameManager(); }
}  // namespace IMiskel
