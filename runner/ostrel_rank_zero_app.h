#pragma once
// Rank zero's role: reads the case list, hands each worker its cases and
// stops every worker at the end. It solves nothing, but accounts for every
// listed case and decides the job's exit status.

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
  COstrelRankZeroApp(int logLevel, int processCount);
  ~COstrelRankZeroApp() override;

  // Reads runDir/caseListName into the groups; false when it cannot be opened
  // (message 129, and one line on standard error).
  bool CreateStrevTree(const std::string& runDir, const std::string& caseListName);
  // Sends each worker its first case and posts the receive of its answer.
  bool SendFirstRequests();
  // Hands out the remaining cases as the answers come back, then sends every
  // worker the stop record. Returns once no receive is left posted.
  bool RankZeroWaitLoop();
  // Sends every worker the stop record (also when the case list could not be read).
  void SendStopRecords();

  // The scheduler's choice for worker w (g its current group, updated).
  int GetNextCase(int w, int& g) { return m_schedule.GetNextCase(w, g); }

  // The job's exit status after the run (see case_account.h).
  int GetExitStatus() const;
  // Writes the closing lines at level -1; written says the export is on.
  void LogRunSummary(bool written);

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

  bool m_bCaseListFailed = false;  // the case list could not be read
  bool m_bNoWorkers = false;       // cases, but no process to run them
  bool m_bUserStop = false;        // a worker answered with the user's stop
  int m_nStartFailures = 0;        // answers from workers that could not start
  std::chrono::microseconds m_pollPause{20};  // the sleep between two tests for a reply

 private:
  enum class EReply { Solved, Failed, UserStop };

  // SetCaseData, the send and the posted receive; false when the send failed
  // (the worker is then treated as failed and nothing is posted).
  bool SendCase(int w, int caseNumber, int g, unsigned int setCaseMessage);
  // Waits for any posted receive without spinning a core. Returns the worker
  // index (w - 1) or MPI_UNDEFINED when none is posted.
  int WaitAnyReply(MPI_Status& status);
  // Retires and accounts the case worker w answered; g becomes its group.
  EReply TakeReply(int w, int& g);
  // Receives the cause a worker that could not start sends after its answer,
  // logs it and says it on standard error the first time it comes.
  void TakeStartFailure(int w);
  // Completes every receive still posted (after a user stop each busy worker
  // still owes exactly one answer), accounting each answer.
  void DrainReplies();

  std::vector<int> m_anWorkerCase;       // the case each worker holds, -1 for none (w - 1)
  std::set<std::string> m_startFailures;  // causes already said on standard error
};
