// The stand-in case solver: solves nothing. For each case it plays back the
// outcome written for it in the run directory's "SolverOutcomes.txt" (format
// in this folder's README), fills the result block and a case report, and
// copies the case's prepared solver output files into the run directory.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "standins/case_solver_api.h"
#include "standins/nimbo_parallel_solve_data.h"

namespace {

struct Outcome {
  int status = 1;
  double objective = 0;
  bool hasObjective = false;
  double seconds = 0;
  bool fail = false;
  int failStatus = 0;
  bool stall = false;
  std::string after;  // not empty: the solve ends only once this file of the run directory exists
  std::string throwKind;  // empty: SolveCase does not throw
  bool hasLoadSol = false;
  int loadSol = 0;
  bool hasReportSize = false;
  int reportSize = 0;
  bool badReport = false;
  std::string statusFile = "Empty";
  std::string solutionId;
  int passes = 1;
  int iterations = 0;
};

struct Solver {
  std::string runDir;
  int rank = 0;
  PalvaneLogCallback log = nullptr;
  PalvaneStopCallback stop = nullptr;
  Outcome defaults;
  std::map<int, Outcome> outcomes;
  std::vector<std::uint8_t> report;
};

void ApplyWord(Outcome& o, const std::string& word) {
  const size_t eq = word.find('=');
  const std::string key = word.substr(0, eq);
  const std::string value = eq == std::string::npos ? "" : word.substr(eq + 1);
  if (key == "status") o.status = std::atoi(value.c_str());
  else if (key == "objective") o.objective = std::atof(value.c_str()), o.hasObjective = true;
  else if (key == "time") o.seconds = std::atof(value.c_str());
  else if (key == "fail") o.fail = true, o.failStatus = value.empty() ? 0 : std::atoi(value.c_str());
  else if (key == "stall") o.stall = true;
  else if (key == "after") o.after = value;
  else if (key == "throw") o.throwKind = value.empty() ? "error" : value;
  else if (key == "loadsol") o.hasLoadSol = true, o.loadSol = std::atoi(value.c_str());
  else if (key == "noreport") o.hasReportSize = true, o.reportSize = -1;
  else if (key == "reportsize") o.hasReportSize = true, o.reportSize = std::atoi(value.c_str());
  else if (key == "badreport") o.badReport = true;
  else if (key == "statusfile") o.statusFile = value;
  else if (key == "solutionid") o.solutionId = value;
  else if (key == "passes") o.passes = std::atoi(value.c_str());
  else if (key == "iterations") o.iterations = std::atoi(value.c_str());
}

// Reads the outcome file; returns false when this rank is told to fail creation.
bool ReadOutcomes(Solver& s) {
  std::ifstream in(s.runDir + "/SolverOutcomes.txt");
  std::string line;
  bool createFails = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string first;
    if (!(words >> first) || first[0] == '#') continue;
    std::vector<std::string> rest;
    for (std::string w; words >> w;) rest.push_back(w);
    if (first == "*") {
      for (const auto& w : rest) ApplyWord(s.defaults, w);
    } else if (first.rfind("rank=", 0) == 0) {
      if (std::atoi(first.c_str() + 5) == s.rank)
        for (const auto& w : rest) createFails = createFails || w == "createfail";
    } else {
      const int c = std::atoi(first.c_str());
      auto it = s.outcomes.find(c);
      if (it == s.outcomes.end()) it = s.outcomes.emplace(c, s.defaults).first;
      for (const auto& w : rest) ApplyWord(it->second, w);
    }
  }
  return !createFails;
}

void Log(const Solver& s, int level, const std::string& text) {
  if (s.log) s.log(level, text.c_str());
}

bool StopRequested(const Solver& s) { return s.stop && s.stop() != 0; }

void Copy(char* field, size_t size, const std::string& text) {
  std::snprintf(field, size, "%s", text.c_str());
}

// Leaves the case's prepared solver output files in the run directory, each
// subdirectory's files in the run directory's subdirectory of that name (a
// model's directory). A file appears whole: it is written under a temporary
// name and then renamed.
void PlaceOutputFiles(const Solver& s, int caseNumber) {
  namespace fs = std::filesystem;
  const fs::path from = fs::path(s.runDir) / "SolverOutput" / std::to_string(caseNumber);
  std::error_code ec;
  if (!fs::is_directory(from, ec)) return;
  for (auto it = fs::recursive_directory_iterator(from, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const fs::path target = fs::path(s.runDir) / fs::relative(it->path(), from, ec);
    fs::create_directories(target.parent_path(), ec);
    fs::path part = target;
    part += ".part";
    if (fs::copy_file(it->path(), part, fs::copy_options::overwrite_existing, ec)) fs::rename(part, target, ec);
  }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int CreatePalvane(void** solver, const char*, const char* runDir, int rank,
                                                         int, int, int, PalvaneLogCallback log,
                                                         PalvaneStopCallback stopRequested, int) {
  if (!solver) return 0;
  *solver = nullptr;
  auto s = std::make_unique<Solver>();
  s->runDir = runDir ? runDir : ".";
  s->rank = rank;
  s->log = log;
  s->stop = stopRequested;
  if (!ReadOutcomes(*s)) {
    Log(*s, -1, "Stand-in solver: told not to start on rank " + std::to_string(rank));
    return 0;
  }
  *solver = s.release();
  return 1;
}

__attribute__((visibility("default"))) int SolveCase(void* solver, CSolveResultBlock* result, CCaseData* record,
                                                     int, double, int) {
  if (!solver || !result || !record) return 0;
  Solver& s = *static_cast<Solver*>(solver);
  const int caseNumber = record->m_nCaseNumber;
  const auto it = s.outcomes.find(caseNumber);
  const Outcome& o = it != s.outcomes.end() ? it->second : s.defaults;
  Log(s, 2, "Stand-in solver: case " + std::to_string(caseNumber) + " of " + record->m_szStrevFileName);

  using Clock = std::chrono::steady_clock;
  const Clock::time_point until =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(o.seconds));
  for (Clock::time_point now = Clock::now(); now < until && !StopRequested(s); now = Clock::now())
    std::this_thread::sleep_for(std::min<Clock::duration>(std::chrono::milliseconds(50), until - now));
  if (!o.after.empty()) {
    // Another case's worker makes the file (its status file, written once that case's output is in): this case
    // ends after that one, however the machine schedules the workers.
    const std::filesystem::path file = std::filesystem::path(s.runDir) / o.after;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    std::error_code ec;
    while (!std::filesystem::exists(file, ec) && !StopRequested(s) && std::chrono::steady_clock::now() < limit)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!std::filesystem::exists(file, ec))
      Log(s, -1, "Stand-in solver: case " + std::to_string(caseNumber) + " did not see " + o.after + " appear");
  }
  if (o.stall) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!StopRequested(s) && std::chrono::steady_clock::now() < limit)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  record->m_nLoadSolCaseUsed = o.hasLoadSol ? o.loadSol : record->m_nLoadSolCase;
  if (!o.throwKind.empty()) {
    // A solver that lets an exception out, after it has scribbled on the record.
    Log(s, -1, "Stand-in solver: case " + std::to_string(caseNumber) + " throws");
    record->m_nCaseNumber = -12345;
    if (o.throwKind == "alloc") throw std::bad_alloc();
    if (o.throwKind == "other") throw caseNumber;
    throw std::runtime_error("Stand-in solver: case " + std::to_string(caseNumber) + " threw");
  }
  if (o.fail) {
    record->m_nStatus = o.failStatus;
    Log(s, -1, "Stand-in solver: case " + std::to_string(caseNumber) + " failed");
    return 0;
  }

  CNimboParallelSolveData report;
  report.SetCaseNumber(caseNumber);
  report.SetStatusCode(o.status);
  report.SetValue(o.hasObjective ? o.objective : 1000.0 + caseNumber);
  report.SetPasses(o.passes);
  report.SetIterations(o.iterations);
  report.SetMessages({"Case " + std::to_string(caseNumber) + " solved by the stand-in solver"});
  std::unique_ptr<std::uint8_t[]> bytes;
  const int size = report.GetObjectAsBYTEArray(bytes);
  s.report.assign(bytes.get(), bytes.get() + (size > 0 ? size : 0));
  // A damaged report: its bytes arrive whole, but they are no status object.
  if (o.badReport) std::fill(s.report.begin(), s.report.end(), 'x');

  result->m_nReportSize = o.hasReportSize ? o.reportSize : size;
  Copy(result->m_szSolutionId, sizeof result->m_szSolutionId,
       o.solutionId.empty() ? std::to_string(caseNumber) : o.solutionId);
  Copy(result->m_szStatusFile, sizeof result->m_szStatusFile, o.statusFile);
  PlaceOutputFiles(s, caseNumber);
  return 1;
}

__attribute__((visibility("default"))) int GetReportByteArray(void* solver, unsigned char* buffer, int size, int) {
  if (!solver || !buffer || size < 0) return 0;
  const Solver& s = *static_cast<Solver*>(solver);
  const size_t n = std::min(static_cast<size_t>(size), s.report.size());
  std::memcpy(buffer, s.report.data(), n);
  return n == s.report.size() ? 1 : 0;
}

__attribute__((visibility("default"))) void DestroyPalvane(void** solver) {
  if (!solver) return;
  delete static_cast<Solver*>(*solver);
  *solver = nullptr;
}

}  // extern "C"
