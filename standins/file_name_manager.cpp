#include "standins/file_name_manager.h"

namespace {

class CFileNameManager final : public IFileNameManager {
 public:
  std::string GetSolutionFileName(int c) const override { return GetCaseFileName("Solution.Fil", c); }
  std::string GetRecursionFileName(int c) const override { return GetCaseFileName("Recursion.fil", c); }
  std::string GetPvtwFileName(int c) const override { return GetCaseFileName("PVTW.DAT", c); }
  std::string GetPenaltyFileName(int c) const override { return GetCaseFileName("penalty.dat", c); }
  std::string GetLoadSolFileName(int c) const override { return GetSolutionFileName(c); }
  std::string GetTrancolFileName(int c) const override { return GetCaseFileName("Trancol.txt", c); }
  std::string GetMatrixFileName(int c) const override { return GetCaseFileName("Matrix.mps", c); }
  std::string GetNonlinearSolutionFileName(int i) const override { return GetCaseFileName("NlpSolution.sol", i); }
  std::string GetCaseFileName(const std::string& fileName, int c) const override {
    const size_t slash = fileName.find_last_of("/\\");
    const size_t dot = fileName.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string number = "_" + std::to_string(c);
    if (!hasExtension) return fileName + number;
    return fileName.substr(0, dot) + number + fileName.substr(dot);
  }
};

}  // namespace

std::unique_ptr<IFileNameManager> CreateFileNameManager() { return std::make_unique<CFileNameManager>(); }
