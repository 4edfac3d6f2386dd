#pragma once
// Rank zero's role: reads the case list, hands each worker its cases and
// stops every worker at the end. It solves nothing, but accounts for every
// listed case, tells the terminal how the run goes and decides the job's
// exit status.

#include <mpi.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "runner/case_account.h"
#include "runner/case_data.h"
#include "runner/case_schedule.h"
#include "runner/ostrel_app.h"

class COstrelRankZeroApp : public COstrelApp {
 public:
  // A worker whose cases fail this many times in a row takes no more cases.
  static constexpr int kFailuresInARow = 3;

  COstrelRankZeroApp(int logLevel, int processCount);
  ~COstrelRankZeroApp() override;

  // Reads runDir/caseListName into the groups; false when it cannot be opened
  // (message 129, and one line on standard error).
  bool CreateStrevTree(const std::string& runDir, const std::string& caseListName);
  // Sends each worker its first case and posts the receive of its answer.
  bool SendFirstRequests();
  // Hands out the remaining cases as the answers come back, then sends every
  // worker the stop record. Returns once no receive is left posted. Says the
  // progress on standard output while the run goes on; a stop signal ends
  // the handing out.
  bool RankZeroWaitLoop();
  // Sends every worker the stop record (also when the case list could not be read).
  void SendStopRecords();

  // The scheduler's choice for worker w (g its current group, updated).
  int GetNextCase(int w, int& g) { return m_schedule.GetNextCase(w, g); }

  // The job's exit status after the run (see case_account.h).
  int GetExitStatus() const;
  // Writes the account at level -1 and on standard output.
  void LogRunSummary();

  // Writes a line at level -1 and on standard output.
  void Say(const std::string& line);

  int m_nCaseCount = 0;
  int m_nTreeCount = 0;
  int m_nProcessCount = 0;
  int m_nSendCount = 0;
  int m_nDoneCount = 0;
  std::vector<MPI_Request> m_pRequests;  // one slot per worker (w - 1)
  std::vector<CCaseData> m_ppSendData;   // one record per worker (w - 1)
  std::vector<CCaseData> m_ppRecvData;
  CCaseSchedule m_schedule;              // holds the groups (m_aTrees)
  CCaseAccount m_account;

  bool m_bWritten = false;         // the export is on: solved cases are written
  bool m_bCaseListFailed = false;  // the case list could not be read
  bool m_bNoWorkers = false;       // cases, but no process to run them
  bool m_bUserStop = false;        // a worker answered with the user's stop
  int m_nStopSignal = 0;           // the signal that ended the handing out, 0 for none
  int m_nStartFailures = 0;        // answers from workers that could not start
  std::chrono::microseconds m_pollPause{20};  // the sleep between two tests for a reply
  double m_dProgressSeconds = 5;   // between progress lines ($OSTREL_PROGRESS_SECONDS)

 private:
  enum class EReply { Solved, Failed, UserStop };
  // Why a worker took no more cases.
  enum class EWorkerStop { Running, NotStarted, FailedInARow, SendFailed };
  // WaitAnyReply's answer when a stop signal came.
  static constexpr int kStopSignalled = -2;

  // SetCaseData, the send and the posted receive; false when the send failed
  // (the worker is then treated as failed and nothing is posted).
  bool SendCase(int w, int caseNumber, int g, unsigned int setCaseMessage);
  // Waits for any posted receive without spinning a core. Returns the worker
  // index (w - 1), MPI_UNDEFINED when none is posted, or, with
  // honourSignal, kStopSignalled once a stop signal has come; says the
  // progress meanwhile when progress is set.
  int WaitAnyReply(MPI_Status& status, bool honourSignal, bool progress);
  // Retires and accounts the case worker w answered, with the outcome that
  // follows the record; g becomes its group.
  EReply TakeReply(int w, int& g);
  // Notes why worker w takes no more cases and detaches it.
  void StopWorker(int w, EWorkerStop why, const std::string& text);
  // Completes every receive still posted (after a user stop each busy worker
  // still owes exactly one answer), accounting each answer.
  void DrainReplies();
  // The progress line, when its time has come.
  void SayProgress();
  // How the run ended, for the account.
  CRunEnding RunEnding() const;

  std::vector<int> m_anWorkerCase;        // the case each worker holds, -1 for none (w - 1)
  std::vector<int> m_anFailedInARow;      // the worker's failed cases since its last good one (w - 1)
  std::vector<EWorkerStop> m_aWorkerStop;  // (w - 1)
  std::vector<std::string> m_aWorkerStopText;
  std::set<std::string> m_startFailures;  // causes already said on standard error
  std::string m_strDatabase;              // the results database, as the first written case named it
  std::chrono::steady_clock::time_point m_runStart;
  std::chrono::steady_clock::time_point m_nextProgress;
};
