// A worker for tests of the scheduler: answers the case records itself as
// told by $OSTREL_RESPONDER, a comma-separated list of
//   fail=N       answer case N with status -1
//   userstop=N   answer case N with -999/-999 (the user's stop) and leave
//   delay=MS     take MS milliseconds per case
//   failrank=R   rank R answers every case -1; the other ranks answer their
//                first case only after R has answered three
// With $OSTREL_CPU_FILE set, rank zero writes its CPU seconds there at the end.
// Every received record is appended to RUNDIR/received<rank>.txt as
// "tag case loadsol value4 value6 namelength name".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include <sys/resource.h>

#include "runner/case_data.h"
#include "runner/case_schedule.h"
#include "runner/ostrel_app.h"
#include "runner/ostrel_slave_app.h"
#include "runner/ostrel_startup.h"

namespace {

struct Behaviour {
  std::set<int> fail;
  std::set<int> userStop;
  int delayMs = 0;
  int failRank = 0;
};

Behaviour ReadBehaviour() {
  Behaviour b;
  const char* env = std::getenv("OSTREL_RESPONDER");
  std::stringstream in(env ? env : "");
  std::string item;
  while (std::getline(in, item, ',')) {
    const size_t eq = item.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = item.substr(0, eq);
    const int value = ReadLeadingInt(item.substr(eq + 1));
    if (key == "fail") b.fail.insert(value);
    else if (key == "userstop") b.userStop.insert(value);
    else if (key == "delay") b.delayMs = value;
    else if (key == "failrank") b.failRank = value;
  }
  return b;
}

class CResponder : public IOstrelWorker {
 public:
  std::unique_ptr<COstrelApp> CreateRole(int rank, const OstrelArgs& args) override {
    return std::make_unique<COstrelSlaveApp>(rank, args);
  }

  void Run(COstrelApp& role, const OstrelArgs& args) override {
    auto& slave = static_cast<COstrelSlaveApp&>(role);
    const Behaviour b = ReadBehaviour();
    std::ofstream received(args.runDir + "/received" + std::to_string(role.m_nRank) + ".txt");
    // Written by the failing rank once it has answered three cases.
    const std::string gate = args.runDir + "/failrank.done";
    int answered = 0;
    CCaseData record;
    InitCaseData(record);
    for (;;) {
      MPI_Status status;
      MPI_Recv(&record, 1, role.m_caseType, 0, MPI_ANY_TAG, MPI_COMM_WORLD, &status);
      const size_t nameLength = strnlen(record.m_szStrevFileName, sizeof record.m_szStrevFileName);
      received << status.MPI_TAG << ' ' << record.m_nCaseNumber << ' ' << record.m_nLoadSolCase << ' '
               << record.m_nListValue4 << ' ' << record.m_nListValue6 << ' ' << nameLength << ' '
               << record.m_szStrevFileName << '\n'
               << std::flush;
      if (record.m_nCaseNumber == kStopCase) return;
      if (b.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(b.delayMs));
      if (b.failRank > 0 && role.m_nRank != b.failRank && answered == 0)
        for (int i = 0; i < 6000 && !std::ifstream(gate); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      slave.m_outcome = CCaseOutcome();
      if (b.userStop.count(record.m_nCaseNumber)) {
        record.m_nStatus = kUserStop;
        record.m_nCaseNumber = kUserStop;
        slave.ReturnRecord(record);
        return;
      }
      if (b.fail.count(record.m_nCaseNumber) || role.m_nRank == b.failRank) {
        record.m_nStatus = -1;
        SetOutcomeText(slave.m_outcome.m_szCause, "the responder was told to fail it");
      } else {
        slave.m_outcome.m_nSolveStatus = 1;
      }
      slave.ReturnRecord(record);
      if (++answered == 3 && role.m_nRank == b.failRank) std::ofstream(gate) << "3\n";
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  CResponder responder;
  const int rc = OstrelMain(argc, argv, &responder);
  const char* cpuFile = std::getenv("OSTREL_CPU_FILE");
  const char* rank = std::getenv("PMI_RANK");
  if (cpuFile && rank && std::string(rank) == "0") {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double seconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::ofstream(cpuFile) << seconds << '\n';
  }
  return rc;
}
