#include "runner/ostrel_rank_zero_app.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
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
  const auto unreadable = [&](const char* cause) {
    LogMsg(-1, 129, path.c_str());
    std::fprintf(stderr, "The case list %s cannot be read: %s\n", path.c_str(), cause);
    m_bCaseListFailed = true;
    return false;
  };
  // A directory opens like a file and then reads as an empty list.
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return unreadable(std::strerror(EISDIR));
  std::ifstream in(path, std::ios::binary);
  if (!in) return unreadable(std::strerror(errno));
  m_schedule.ReadCaseList(in, [this](int level, const std::string& text) { Log(level, text); });
  // A list cut short by a read error would pass for a shorter list.
  if (in.bad()) return unreadable("a read error ended the reading");
  m_nCaseCount = m_schedule.m_nCaseCount;
  m_nTreeCount = static_cast<int>(m_schedule.m_aTrees.size());
  m_account.SetCases(m_schedule.m_aListed);
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
  m_anWorkerCase[w - 1] = caseNumber;
  m_account.SetState(caseNumber, ECaseState::Running);
  MPI_Irecv(&m_ppRecvData[w - 1], 1, m_caseType, w, kReplyTag, MPI_COMM_WORLD, &m_pRequests[w - 1]);
  ++m_nSendCount;
  return true;
}

bool COstrelRankZeroApp::SendFirstRequests() {
  const int workers = m_nProcessCount > 1 ? m_nProcessCount - 1 : 0;
  if (workers == 0 && m_nCaseCount > 0) {
    m_bNoWorkers = true;
    const std::string text = FormatText(
        "There is no worker process to run the %d cases: start the job with at least 2 processes.", m_nCaseCount);
    Log(-1, text);
    std::fprintf(stderr, "%s\n", text.c_str());
  }
  m_pRequests.assign(workers, MPI_REQUEST_NULL);
  m_ppSendData.resize(workers);
  m_ppRecvData.resize(workers);
  m_anWorkerCase.assign(workers, -1);
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
  // MPI_Waitany busy-polls; test, and sleep a little longer each idle round. The next wait starts from half
  // the sleep this one reached, not from the shortest: while the workers are busy, every reply would
  // otherwise cost a run of short sleeps.
  auto& pause = m_pollPause;
  for (;;) {
    int index = MPI_UNDEFINED;
    int flag = 0;
    MPI_Testany(static_cast<int>(m_pRequests.size()), m_pRequests.data(), &index, &flag, &status);
    if (flag) {
      pause = std::max(pause / 2, std::chrono::microseconds(20));
      return index;
    }
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(1)) pause *= 2;
  }
}

void COstrelRankZeroApp::TakeStartFailure(int w) {
  char text[kStartFailureTextSize] = {};
  MPI_Recv(text, kStartFailureTextSize, MPI_CHAR, w, kStartFailureTag, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
  text[kStartFailureTextSize - 1] = '\0';
  ++m_nStartFailures;
  LogF(-1, "Processor %d could not start: %s", w, text);
  // Workers that fail alike say it once on the terminal.
  if (m_startFailures.insert(text).second) std::fprintf(stderr, "%s\n", text);
}

COstrelRankZeroApp::EReply COstrelRankZeroApp::TakeReply(int w, int& g) {
  CCaseData& reply = m_ppRecvData[w - 1];
  TerminateStrevFileName(reply);
  const int held = m_anWorkerCase[w - 1];
  m_anWorkerCase[w - 1] = -1;
  g = -1;
  if (reply.m_nStatus == kUserStop && reply.m_nCaseNumber == kUserStop) {
    // The worker stopped before the case's output was made.
    m_account.SetState(held, ECaseState::Stopped);
    return EReply::UserStop;
  }
  ++m_nDoneCount;
  g = m_schedule.RetireCase(w, reply.m_nCaseNumber, reply.m_szStrevFileName);
  if (reply.m_nStatus == kWorkerNotStarted) TakeStartFailure(w);
  const bool failed = reply.m_nStatus < 0 || g < 0 || reply.m_nCaseNumber != held;
  m_account.SetState(held, failed ? ECaseState::Failed : ECaseState::Solved);
  if (!failed) return EReply::Solved;
  LogMsg(-1, 135, reply.m_nCaseNumber, w, g);
  return EReply::Failed;
}

void COstrelRankZeroApp::DrainReplies() {
  for (;;) {
    MPI_Status status;
    const int index = WaitAnyReply(status);
    if (index == MPI_UNDEFINED) return;
    int g = -1;
    if (TakeReply(index + 1, g) == EReply::UserStop) LogMsg(2, 171, index + 1);
  }
}

void COstrelRankZeroApp::SendStopRecords() {
  CCaseData stop;
  InitCaseData(stop);
  for (int w = 1; w < m_nProcessCount; ++w) {
    CCaseData& send = static_cast<std::size_t>(w) <= m_ppSendData.size() ? m_ppSendData[w - 1] : stop;
    SetStopRecord(send);
    MPI_Send(&send, 1, m_caseType, w, m_nSendCount, MPI_COMM_WORLD);
    LogMsg(2, 137, w);
  }
}

bool COstrelRankZeroApp::RankZeroWaitLoop() {
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
    int g = -1;
    const EReply reply = TakeReply(w, g);
    if (reply == EReply::UserStop) {
      LogMsg(-1, 171, w);
      m_bUserStop = true;
      break;
    }
    if (reply == EReply::Failed) {
      // A failed worker leaves its group, so the group's cases go to the others.
      m_schedule.DetachWorker(w);
      continue;
    }
    const int caseNumber = GetNextCase(w, g);
    if (caseNumber != -1) SendCase(w, caseNumber, g, 136);
  }

  SendStopRecords();
  // The receive records may be freed only when no receive into them is posted.
  DrainReplies();
  m_pRequests.clear();
  m_ppSendData.clear();
  m_ppRecvData.clear();
  LogMsg(2, 181);
  return true;
}

int COstrelRankZeroApp::GetExitStatus() const {
  if (m_bCaseListFailed || m_bNoWorkers) return kExitNotStarted;
  return m_account.ExitStatus(m_bUserStop || IsStopped(), m_schedule.m_nRefusedLines, m_schedule.m_nUnreadLines,
                              m_nStartFailures);
}

void COstrelRankZeroApp::LogRunSummary(bool written) {
  const int status = GetExitStatus();
  if (m_bCaseListFailed) {
    LogF(-1, "Exit status %d: the run could not start.", status);
    return;
  }
  for (const std::string& line : m_account.Summary(m_bUserStop || IsStopped(), written, m_schedule.m_nRefusedLines,
                                                   m_schedule.m_nUnreadLines, status))
    Log(-1, line);
}
