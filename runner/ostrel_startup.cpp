#include "runner/ostrel_startup.h"

#include <arpa/inet.h>
#include <mpi.h>
#include <netdb.h>
#include <netinet/in.h>

#include <cctype>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <locale>
#include <system_error>

#include "foundation/language_resources.h"
#include "runner/case_account.h"
#include "runner/case_schedule.h"
#include "runner/job_start.h"
#include "runner/ostrel_rank_zero_app.h"
#include "runner/ostrel_slave_app.h"
#include "runner/runner_messages.h"
#include "runner/stop_signal.h"

namespace {

class CSlaveWorker : public IOstrelWorker {
 public:
  std::unique_ptr<COstrelApp> CreateRole(int rank, const OstrelArgs& args) override {
    return std::make_unique<COstrelSlaveApp>(rank, args);
  }
  void Run(COstrelApp& role, const OstrelArgs& args) override {
    static_cast<COstrelSlaveApp&>(role).RunSlave(args.arg1, args.runDir, role.m_nRank);
  }
};

// The user's locale; a locale named in the environment that is not installed falls back to "C".
void SetUserLocale() {
  if (!std::setlocale(LC_ALL, "")) std::setlocale(LC_ALL, "C");
  try {
    std::locale::global(std::locale(""));
  } catch (const std::exception&) {
    std::locale::global(std::locale::classic());
  }
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count() /
         1000.0;
}

}  // namespace

std::optional<OstrelArgs> ParseArguments(int argc, const char* const* argv) {
  if (argc < 4) return std::nullopt;
  OstrelArgs args;
  args.arg1 = argv[1];
  args.runDir = argv[2];
  args.caseList = argv[3];
  if (argc > 4) {
    const int level = ReadLeadingInt(argv[4]);
    const bool number = std::isdigit(static_cast<unsigned char>(argv[4][argv[4][0] == '+' || argv[4][0] == '-']));
    args.logLevel = (level >= 0 && level <= 3) ? level : 0;
    if (!number || level != args.logLevel)
      args.warnings.push_back(FormatText("The log level \"%s\" is not 0, 1, 2 or 3: the logs are written at level 0 "
                                         "(only what is always written).",
                                         argv[4]));
  }
  if (argc > 5) args.arg5 = std::max(0, ReadLeadingInt(argv[5]));
  if (argc > 6) {
    const std::string host = argv[6];
    if (host.size() < 100)
      args.host = host;
    else
      args.warnings.push_back("The host of the desktop application has 100 characters or more: 127.0.0.1 is used.");
  }
  if (argc > 7) args.port = ReadLeadingInt(argv[7]);
  if (argc > 8) args.arg8 = ReadLeadingInt(argv[8]);
  if (argc > 9) args.arg9 = ReadLeadingInt(argv[9]);
  return args;
}

void ResolveHost(OstrelArgs& args) {
  in_addr dotted{};
  if (inet_aton(args.host.c_str(), &dotted) != 0) return;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int rc = getaddrinfo(args.host.c_str(), nullptr, &hints, &found);
  if (rc != 0 || found == nullptr) {
    args.hostUsable = false;
    args.warnings.push_back(FormatText("The host of the desktop application \"%s\" is not a dotted address and cannot "
                                       "be found (%s): the run goes on without sending it progress.",
                                       args.host.c_str(), gai_strerror(rc)));
    return;
  }
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr, text, sizeof text);
  freeaddrinfo(found);
  args.host = text;
}

std::string UsageText(const char* program) {
  return std::string("usage: mpiexec -n N ") + (program ? program : "ostrel") +
         " ARG1 RUNDIR CASELIST [LOGLEVEL [ARG5 [HOST [PORT [ARG8 [ARG9]]]]]]\n"
         "  ARG1      a text passed on to the case solver and the export\n"
         "  RUNDIR    the run directory; the logs are written here\n"
         "  CASELIST  the case list file, relative to RUNDIR: one case a line (case, solver file, three numbers)\n"
         "  LOGLEVEL  0 only what is always written (the default), 1 low, 2 medium, 3 high\n"
         "  ARG5      a number for the case solver (default 0; a negative one gives 0)\n"
         "  HOST      the desktop application's address or host name (default 127.0.0.1)\n"
         "  PORT      its TCP port (default 11150)\n"
         "  ARG8      a number for the case solver (default 0)\n"
         "  ARG9      when not 0, a case of solve status 2 is not written (default 0)\n"
         "Rank 0 schedules the cases, every other process is a worker: start at least 2.\n"
         "Exit status: 0 every case written (solved without an export configuration), 1 not every case,\n"
         "2 the run could not start, 128 + N stopped by signal N (130 after Ctrl-C).\n";
}

std::string RoleLogName(int rank) {
  return rank == 0 ? std::string("OstrelRankZero.log") : "OstrelRank" + std::to_string(rank) + ".log";
}

int OstrelMain(int argc, char** argv, IOstrelWorker* worker) {
  LoadLanguageResourceDll("Ostrel", nullptr);
  std::optional<OstrelArgs> parsed = ParseArguments(argc, argv);
  if (!parsed) {
    // Asked for with no arguments at all; a short command line is an error.
    std::fputs(UsageText(argc > 0 ? argv[0] : nullptr).c_str(), argc <= 1 ? stdout : stderr);
    return kExitNotStarted;
  }
  ResolveHost(*parsed);
  const OstrelArgs& args = *parsed;

  SetUserLocale();
  const auto start = std::chrono::steady_clock::now();
  MPI_Init(&argc, &argv);
  int rank = 0;
  int size = 1;
  MPI_Comm_rank(MPI_COMM_WORLD, &rank);
  MPI_Comm_size(MPI_COMM_WORLD, &size);
  // Failed sends and receives come back as codes the roles log, instead of ending the job.
  MPI_Comm_set_errhandler(MPI_COMM_WORLD, MPI_ERRORS_RETURN);
  std::setlocale(LC_NUMERIC, "C");
  // One job per run directory: a job refused here has written nothing.
  CJobLock jobLock;
  const JobStart job = StartJob(rank, size, args.runDir, jobLock);
  if (job.refused) {
    MPI_Finalize();
    return kExitNotStarted;
  }
  InstallStopSignalHandlers(rank != 0);

  CSlaveWorker slaveWorker;
  IOstrelWorker& workerRole = worker ? *worker : slaveWorker;

  std::unique_ptr<COstrelApp> role;
  if (rank == 0) role = std::make_unique<COstrelRankZeroApp>(args.logLevel, size);
  else role = workerRole.CreateRole(rank, args);
  role->Init(args.arg1, args.runDir, RoleLogName(rank));
  role->m_strJobId = job.jobId;
  role->m_aJobHosts = job.hosts;
  role->CreateMpiMessageType();

  std::error_code ec;
  const bool exportOn = std::filesystem::exists(args.runDir + "/VornDbExportData.xml", ec);
  if (rank == 0) {
    auto& zero = static_cast<COstrelRankZeroApp&>(*role);
    zero.LogF(1, "Job %s", job.jobId.c_str());
    zero.m_bWritten = exportOn;
    for (const std::string& warning : args.warnings) {
      zero.Log(-1, warning);
      std::fprintf(stderr, "%s\n", warning.c_str());
    }
    if (!zero.CreateStrevTree(args.runDir, args.caseList)) {
      zero.Log(-1, RunnerText(101));
      // The workers end in order: they were only waiting for their first record.
      zero.SendStopRecords();
    } else {
      unsigned int failed = 0;
      if (!zero.SendFirstRequests()) failed = 103;
      else if (!zero.RankZeroWaitLoop()) failed = 104;
      if (failed) {
        zero.Log(-1, RunnerText(failed));
        zero.CloseLog();
        // The workers wait for records that will never come: end the whole job.
        MPI_Abort(MPI_COMM_WORLD, kExitNotStarted);
        return kExitNotStarted;
      }
    }
    zero.LogF(1, "Total parallel solution time %g seconds.", SecondsSince(start));
  } else {
    workerRole.Run(*role, args);
    role->LogF(1, "Total parallel solution time on Rank %d was %g seconds.", rank, SecondsSince(start));
  }

  role->LogF(2, "Before Calling MPI_Finalize() on Rank %d", rank);
  std::fflush(stdout);
  const auto finalizeStart = std::chrono::steady_clock::now();
  if (role->m_caseType != MPI_DATATYPE_NULL) MPI_Type_free(&role->m_caseType);
  MPI_Finalize();
  role->LogF(2, "After Calling MPI_Finalize() on Rank %d. Total MPI Finalize time %g seconds.", rank,
             SecondsSince(finalizeStart));
  std::fflush(stdout);
  // Rank zero's last lines say what became of every case; its exit status is the job's.
  int exitStatus = StopSignal() != 0 ? kExitSignalBase + StopSignal() : kExitAllSolved;
  if (rank == 0) {
    auto& zero = static_cast<COstrelRankZeroApp&>(*role);
    zero.LogRunSummary();
    exitStatus = zero.GetExitStatus();
  }
  role.reset();
  return exitStatus;
}
