#include "runner/case_solver_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>

#include "foundation/language_resources.h"

CCaseSolverLibrary::~CCaseSolverLibrary() {
  if (m_hModule) dlclose(m_hModule);
}

std::string CCaseSolverLibrary::DefaultPath() {
  const char* env = std::getenv("OSTREL_CASE_SOLVER");
  if (env && *env) return env;
  return (std::filesystem::path(GetExecutablePath()).parent_path() / "libpalvane.so").string();
}

bool CCaseSolverLibrary::Load(const std::string& path) {
  m_hModule = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!m_hModule) {
    const char* error = dlerror();
    m_strError = "Cannot load the case-solver library " + path + ": " + (error ? error : "unknown error");
    return false;
  }
  struct Entry {
    const char* name;
    void** slot;
  } entries[] = {{"CreatePalvane", reinterpret_cast<void**>(&CreatePalvane)},
                 {"SolveCase", reinterpret_cast<void**>(&SolveCase)},
                 {"GetReportByteArray", reinterpret_cast<void**>(&GetReportByteArray)},
                 {"DestroyPalvane", reinterpret_cast<void**>(&DestroyPalvane)}};
  for (const Entry& e : entries) {
    *e.slot = dlsym(m_hModule, e.name);
    if (!*e.slot) {
      m_strError = "The case-solver library " + path + " has no entry point " + e.name;
      CreatePalvane = nullptr;
      SolveCase = nullptr;
      GetReportByteArray = nullptr;
      DestroyPalvane = nullptr;
      dlclose(m_hModule);
      m_hModule = nullptr;
      return false;
    }
  }
  return true;
}
