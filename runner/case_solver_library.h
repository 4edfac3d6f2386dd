#pragma once
// The case-solver library, loaded by name: $OSTREL_CASE_SOLVER, else
// libpalvane.so beside the executable. A library that is missing or lacks an
// entry point is an error text, never a crash.

#include <string>

#include "standins/case_solver_api.h"

class CCaseSolverLibrary {
 public:
  CCaseSolverLibrary() = default;
  ~CCaseSolverLibrary();
  CCaseSolverLibrary(const CCaseSolverLibrary&) = delete;
  CCaseSolverLibrary& operator=(const CCaseSolverLibrary&) = delete;

  // Loads the library; false with GetError() set on failure.
  bool Load(const std::string& path);
  const std::string& GetError() const { return m_strError; }

  // Where the library is looked for.
  static std::string DefaultPath();

  PFN_CreatePalvane CreatePalvane = nullptr;
  PFN_SolveCase SolveCase = nullptr;
  PFN_GetReportByteArray GetReportByteArray = nullptr;
  PFN_DestroyPalvane DestroyPalvane = nullptr;

 private:
  void* m_hModule = nullptr;
  std::string m_strError;
};
