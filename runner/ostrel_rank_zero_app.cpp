#include "runner/ostrel_rank_zero_app.h"

#include <chrono>
#include <fstream>
#include <thread>

#include "runner/runner_messages.h"

COstrelRankZeroApp::COstrelRankZeroApp(int logLevel, int processCount) : m_nProcessCount(processCount) {
  m_nRank = 0;
  SetLogLevel(logLevel);
}

COstrelRankZeroApp::~COstrelRankZeroApp() = default;

bool COstrelRankZeroApp::CreateStrevTree(const std::string& runDir, const std::string& caseListName) {
  const std::string path = runDir + "/" + caseListName;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    LogMsg(-1, 129, path.c_str());
    return false;
  }
  m_schedule.ReadCaseList(in, [this](int level, const std::string& text) { Log(level, text); });
  m_nCaseCount = m_schedule.m_nCaseCount;
  m_nTreeCount = static_cast<int>(m_schedule.m_aTrees.size());
  return true;
}

bool COstrelRankZeroApp::SendCase(int w, int caseNumber, int g, unsigned int setCaseMessage) {
  CCaseData& send = m_ppSendData[w - 1];
  m_schedule.SetCaseData(send, caseNumber, g);
  LogMsg(2, setCaseMessage, w, caseNumber, send.m_szStrevFileName);
  const int rc = MPI_Send(&send, 1, m_caseType, w, m_nSendCount, MPI_COMM_WORLD);
  if (rc != MPI_SUCCESS) {
    LogMsg(-1, 182, w, rc);
    // Nothing will come back: the worker gets no more cases and its case is free again.
    m_schedule.DetachWorker(w);
    return false;
  }
  LogMsg(2, 131, w, caseNumber);
  MPI_Irecv(&m_ppRecvData[w - 1], 1, m_caseType, w, kReplyTag, MPI_COMM_WORLD, &m_pRequests[w - 1]);
  ++m_nSendCount;
  return true;
}

bool COstrelRankZeroApp::SendFirstRequests() {
  const int workers = m_nProcessCount > 1 ? m_nProcessCount - 1 : 0;
  m_pRequests.assign(workers, MPI_REQUEST_NULL);
  m_ppSendData.resize(workers);
  m_ppRecvData.resize(workers);
  for (int i = 0; i < workers; ++i) {
    InitCaseData(m_ppSendData[i]);
    InitCaseData(m_ppRecvData[i]);
  }
  for (int w = 1; w <= workers; ++w) {
    if (IsStopped()) break;
    int g = -1;
    const int caseNumber = GetNextCase(w, g);
    if (caseNumber == -1) break;
    SendCase(w, caseNumber, g, 102);
  }
  return true;
}

int COstrelRankZeroApp::WaitAnyReply(MPI_Status& status) {
  // MPI_Waitany busy-polls; test, and sleep a little longer each idle round.
  auto pause = std::chrono::microseconds(20);
  for (;;) {
    int index = MPI_UNDEFINED;
    int flag = 0;
    MPI_Testany(static_cast<int>(m_pRequests.size()), m_pRequests.data(), &index, &flag, &status);
    if (flag) return index;
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(1)) pause *= 2;
  }
}

void COstrelRankZeroApp::DrainReplies() {
  for (;;) {
    MPI_Status status;
    if (WaitAnyReply(status) == MPI_UNDEFINED) return;
  }
}

bool COstrelRankZeroApp::RankZeroWaitLoop() {
  bool userStop = false;
  while (!IsStopped() && m_nDoneCount != m_nCaseCount) {
    MPI_Status status{};
    status.MPI_SOURCE = -1;
    const int index = WaitAnyReply(status);
    LogMsg(2, 132, status.MPI_SOURCE);
    if (index == MPI_UNDEFINED) {
      LogMsg(-1, 133, status.MPI_SOURCE);
      break;
    }
    const int w = index + 1;
    CCaseData& reply = m_ppRecvData[index];
    TerminateStrevFileName(reply);
    if (reply.m_nStatus == kUserStop && reply.m_nCaseNumber == kUserStop) {
      LogMsg(-1, 171, w);
      userStop = true;
      break;
    }
    ++m_nDoneCount;
    int g = m_schedule.RetireCase(w, reply.m_nCaseNumber, reply.m_szStrevFileName);
    if (reply.m_nStatus < 0 || g < 0) {
      LogMsg(-1, 135, reply.m_nCaseNumber, w, g);
      // A failed worker leaves its group, so the group's cases go to the others.
      m_schedule.DetachWorker(w);
      continue;
    }
    const int caseNumber = GetNextCase(w, g);
    if (caseNumber != -1) SendCase(w, caseNumber, g, 136);
  }

  if (!userStop && !IsStopped()) {
    const int left = m_schedule.CountUndispatched();
    if (left > 0) LogF(-1, "%d cases were never dispatched.", left);
  }

  for (int w = 1; w < m_nProcessCount; ++w) {
    CCaseData& send = m_ppSendData[w - 1];
    SetStopRecord(send);
    MPI_Send(&send, 1, m_caseType, w, m_nSendCount, MPI_COMM_WORLD);
    LogMsg(2, 137, w);
  }
  // The receive records may be freed only when no receive into them is posted.
  DrainReplies();
  m_pRequests.clear();
  m_ppSendData.clear();
  m_ppRecvData.clear();
  LogMsg(2, 181);
  return true;
}
