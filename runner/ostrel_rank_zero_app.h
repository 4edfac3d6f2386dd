#pragma once
// Rank zero's role: reads the case list, hands each worker its cases and
// stops every worker at the end. It solves nothing.

#include <mpi.h>

#include <string>
#include <vector>

#include "runner/case_data.h"
#include "runner/case_schedule.h"
#include "runner/ostrel_app.h"

class COstrelRankZeroApp : public COstrelApp {
 public:
  COstrelRankZeroApp(int logLevel, int processCount);
  ~COstrelRankZeroApp() override;

  // Reads runDir/caseListName into the groups; false when it cannot be opened (message 129).
  bool CreateStrevTree(const std::string& runDir, const std::string& caseListName);
  // Sends each worker its first case and posts the receive of its answer.
  bool SendFirstRequests();
  // Hands out the remaining cases as the answers come back, then sends every
  // worker the stop record. Returns once no receive is left posted.
  bool RankZeroWaitLoop();

  // The scheduler's choice for worker w (g its current group, updated).
  int GetNextCase(int w, int& g) { return m_schedule.GetNextCase(w, g); }

  int m_nCaseCount = 0;
  int m_nTreeCount = 0;
  int m_nProcessCount = 0;
  int m_nSendCount = 0;
  int m_nDoneCount = 0;
  std::vector<MPI_Request> m_pRequests;  // one slot per worker (w - 1)
  std::vector<CCaseData> m_ppSendData;   // one record per worker (w - 1)
  std::vector<CCaseData> m_ppRecvData;
  CCaseSchedule m_schedule;              // holds the groups (m_aTrees)

 private:
  // SetCaseData, the send and the posted receive; false when the send failed
  // (the worker is then treated as failed and nothing is posted).
  bool SendCase(int w, int caseNumber, int g, unsigned int setCaseMessage);
  // Waits for any posted receive without spinning a core. Returns the worker
  // index (w - 1) or MPI_UNDEFINED when none is posted.
  int WaitAnyReply(MPI_Status& status);
  // Completes every receive still posted (after a user stop each busy worker
  // still owes exactly one answer).
  void DrainReplies();
};
