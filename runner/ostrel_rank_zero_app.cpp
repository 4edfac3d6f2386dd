#include "runner/ostrel_rank_zero_app.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "foundation/string_utils.h"
#include "runner/runner_messages.h"
#include "runner/stop_signal.h"

COstrelRankZeroApp::COstrelRankZeroApp(int logLevel, int processCount) : m_nProcessCount(processCount) {
  m_nRank = 0;
  SetLogLevel(logLevel);
  // Tests shorten the time between progress lines.
  if (const char* seconds = std::getenv("OSTREL_PROGRESS_SECONDS")) {
    const double value = std::atof(seconds);
    if (value > 0) m_dProgressSeconds = value;
  }
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
    StopWorker(w, EWorkerStop::SendFailed, FormatText("a case could not be sent to it (MPI error %d)", rc));
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
  m_anFailedInARow.assign(workers, 0);
  m_aWorkerStop.assign(workers, EWorkerStop::Running);
  m_aWorkerStopText.assign(workers, std::string());
  m_runStart = std::chrono::steady_clock::now();
  m_nextProgress = m_runStart + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                    std::chrono::duration<double>(m_dProgressSeconds));
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

int COstrelRankZeroApp::WaitAnyReply(MPI_Status& status, bool honourSignal, bool progress) {
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
    if (honourSignal && StopSignal() != 0) return kStopSignalled;
    if (progress) SayProgress();
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(1)) pause *= 2;
  }
}

void COstrelRankZeroApp::Say(const std::string& line) {
  Log(-1, line);
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

void COstrelRankZeroApp::SayProgress() {
  const auto now = std::chrono::steady_clock::now();
  if (now < m_nextProgress) return;
  m_nextProgress = now + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                             std::chrono::duration<double>(m_dProgressSeconds));
  const CCaseAccount::Totals t = m_account.Count();
  const int done = t.solved + t.failed;
  const double seconds = std::chrono::duration<double>(now - m_runStart).count();
  std::string pace = "time left not known yet";
  if (done > 0 && seconds > 0) {
    const double rate = done / seconds;
    const long left = std::lround((t.listed - done) / rate);
    pace = FormatText("%.2f cases/s, about %s left", rate,
                      left < 120 ? FormatText("%ld s", left).c_str() : FormatText("%ld min", (left + 30) / 60).c_str());
  }
  const std::string line = FormatText("Progress: %d of %d cases done, %s: %d, failed: %d; %s.", done, t.listed,
                                      m_bWritten ? "written" : "solved", t.solved, t.failed, pace.c_str());
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  Log(2, line);
}

void COstrelRankZeroApp::StopWorker(int w, EWorkerStop why, const std::string& text) {
  if (m_aWorkerStop[w - 1] == EWorkerStop::Running) {
    m_aWorkerStop[w - 1] = why;
    m_aWorkerStopText[w - 1] = text;
  }
  m_schedule.DetachWorker(w);
}

COstrelRankZeroApp::EReply COstrelRankZeroApp::TakeReply(int w, int& g) {
  CCaseData& reply = m_ppRecvData[w - 1];
  TerminateStrevFileName(reply);
  CCaseOutcome outcome;
  ReceiveOutcome(w, outcome);
  if (m_strDatabase.empty()) m_strDatabase = outcome.m_szDatabase;
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
  if (reply.m_nStatus == kWorkerNotStarted) {
    ++m_nStartFailures;
    LogF(-1, "Processor %d could not start: %s", w, outcome.m_szCause);
    // Workers that fail alike say it once on the terminal.
    if (m_startFailures.insert(outcome.m_szCause).second)
      std::fprintf(stderr, "%s\n", EscapeNonPrintable(outcome.m_szCause).c_str());
    StopWorker(w, EWorkerStop::NotStarted, outcome.m_szCause);
  }
  const bool failed = reply.m_nStatus < 0 || g < 0 || reply.m_nCaseNumber != held;
  if (!failed) {
    m_account.SetState(held, ECaseState::Solved);
    m_account.SetSolved(held, outcome.m_nSolveStatus, outcome.m_bReplacedEarlierRows != 0);
    return EReply::Solved;
  }
  std::string cause = outcome.m_szCause;
  if (cause.empty() && g < 0) cause = FormatText("its solver file \"%s\" is not in the case list", reply.m_szStrevFileName);
  if (cause.empty() && reply.m_nCaseNumber != held) cause = FormatText("its worker answered case %d", reply.m_nCaseNumber);
  m_account.SetState(held, ECaseState::Failed);
  m_account.SetCause(held, cause);
  LogMsg(-1, 135, reply.m_nCaseNumber, w, g);
  LogF(-1, "Case %d failed on Processor %d: %s", held, w, cause.empty() ? "no cause was given" : cause.c_str());
  return EReply::Failed;
}

void COstrelRankZeroApp::DrainReplies() {
  for (;;) {
    MPI_Status status;
    const int index = WaitAnyReply(status, false, false);
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
    const int index = WaitAnyReply(status, true, true);
    if (index == kStopSignalled) {
      m_nStopSignal = StopSignal();
      LogF(-1, "The run was stopped by %s: no further case is sent.", SignalName(m_nStopSignal).c_str());
      break;
    }
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
      if (m_aWorkerStop[w - 1] != EWorkerStop::Running) {
        m_schedule.DetachWorker(w);
        continue;
      }
      // One failed case costs only itself; a run of them says the worker or its database is broken.
      if (++m_anFailedInARow[w - 1] >= kFailuresInARow) {
        LogF(-1, "Processor %d takes no more cases: its last %d cases failed.", w, kFailuresInARow);
        StopWorker(w, EWorkerStop::FailedInARow, "");
        continue;
      }
    } else {
      m_anFailedInARow[w - 1] = 0;
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

CRunEnding COstrelRankZeroApp::RunEnding() const {
  CRunEnding end;
  end.written = m_bWritten;
  end.userStop = m_bUserStop || IsStopped() || m_nStopSignal != 0;
  end.signal = m_nStopSignal != 0 ? m_nStopSignal : StopSignal();
  end.notStarted = m_bCaseListFailed || m_bNoWorkers;
  end.refusedLines = m_schedule.m_nRefusedLines;
  end.repeatedLines = m_schedule.m_nRepeatedLines;
  end.unreadLines = m_schedule.m_nUnreadLines;
  end.startFailures = m_nStartFailures;
  end.database = m_strDatabase;
  // Why workers stopped taking cases, one line per reason.
  std::vector<std::pair<std::string, std::vector<int>>> reasons;
  for (std::size_t i = 0; i < m_aWorkerStop.size(); ++i) {
    std::string reason;
    switch (m_aWorkerStop[i]) {
      case EWorkerStop::Running: continue;
      case EWorkerStop::NotStarted: reason = "could not start: " + m_aWorkerStopText[i]; break;
      case EWorkerStop::FailedInARow:
        reason = FormatText("took no more cases after %d failed cases in a row", kFailuresInARow);
        break;
      case EWorkerStop::SendFailed: reason = "took no more cases: " + m_aWorkerStopText[i]; break;
    }
    auto at = std::find_if(reasons.begin(), reasons.end(), [&](const auto& r) { return r.first == reason; });
    if (at == reasons.end()) at = reasons.insert(reasons.end(), {reason, {}});
    at->second.push_back(static_cast<int>(i) + 1);
  }
  for (const auto& [reason, workers] : reasons)
    end.workers.push_back((workers.size() == 1 ? "Processor " : "Processors ") +
                          CaseNumberList(workers, CCaseAccount::kNumbersPerLine) + " " + reason + ".");
  return end;
}

int COstrelRankZeroApp::GetExitStatus() const { return m_account.ExitStatus(RunEnding()); }

void COstrelRankZeroApp::LogRunSummary() {
  if (m_bCaseListFailed) {
    Say(FormatText("Exit status %d: the run could not start.", GetExitStatus()));
    return;
  }
  for (const std::string& line : m_account.Summary(RunEnding())) Say(line);
}
