#pragma once
// Start-up and shut-down of every process of the job: the arguments, the
// locale, MPI, the role of the process and its run.

#include <memory>
#include <optional>
#include <string>
#include <vector>

class COstrelApp;

struct OstrelArgs {
  std::string arg1;      // passed on to the case solver and the export
  std::string runDir;    // run directory; logs go here
  std::string caseList;  // case list file, relative to runDir
  int logLevel = 0;      // 0 to 3, anything else 0
  int arg5 = 0;          // negative values become 0
  std::string host = "127.0.0.1";
  int port = 11150;
  int arg8 = 0;
  int arg9 = 0;
  bool hostUsable = true;  // the host is a dotted address (ResolveHost may make it one)
  std::vector<std::string> warnings;  // what is wrong with the command line; rank zero says it
};

// The arguments after the program name; nothing when fewer than three are given.
std::optional<OstrelArgs> ParseArguments(int argc, const char* const* argv);

// A host that is not a dotted IPv4 address is looked up and replaced by its
// first IPv4 address; one that cannot be found stays, is marked unusable and
// gets a warning.
void ResolveHost(OstrelArgs& args);

// The usage, one line per argument saying what it is.
std::string UsageText(const char* program);

// The log file name of a rank: "OstrelRankZero.log" or "OstrelRank<n>.log".
std::string RoleLogName(int rank);

// A worker's role, replaceable in test programs that answer cases themselves.
class IOstrelWorker {
 public:
  virtual ~IOstrelWorker() = default;
  virtual std::unique_ptr<COstrelApp> CreateRole(int rank, const OstrelArgs& args) = 0;
  virtual void Run(COstrelApp& role, const OstrelArgs& args) = 0;
};

// The whole life of one process. Returns the exit code (case_account.h):
// rank zero's says how the run ended, a worker's is 0 (128 + the signal after
// a stop signal, so the job's status says it whichever process mpiexec
// reports), and missing arguments give kExitNotStarted everywhere.
int OstrelMain(int argc, char** argv, IOstrelWorker* worker = nullptr);
