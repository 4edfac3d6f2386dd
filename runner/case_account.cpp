#include "runner/case_account.h"

#include <csignal>
#include <map>
#include <utility>

#include "runner/runner_messages.h"

std::string SolveStatusWord(int solveStatus) {
  static const char* const kWords[] = {"Unknown",    "Optimal",           "MaxPass Exceeded",   "MaxIPass Exceeded",
                                       "Unbounded",  "Infeasible",        "Non Recursed Model", "User Exit",
                                       "System Error", "Max Time Exceeded", "Active Penalties"};
  constexpr int kCount = static_cast<int>(sizeof kWords / sizeof kWords[0]);
  if (solveStatus >= 0 && solveStatus < kCount) return kWords[solveStatus];
  return "status " + std::to_string(solveStatus);
}

std::string SignalName(int signal) {
  switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    case SIGQUIT: return "SIGQUIT";
    default: return "signal " + std::to_string(signal);
  }
}

void CCaseAccount::SetCases(const std::vector<int>& cases) {
  m_aCases = cases;
  m_aStates.assign(cases.size(), ECaseState::Waiting);
  m_aCauses.assign(cases.size(), std::string());
  m_aSolveStatus.assign(cases.size(), -1);
  m_aReplaced.assign(cases.size(), false);
  m_index.clear();
  m_index.reserve(cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) m_index.emplace(cases[i], i);
}

void CCaseAccount::SetState(int caseNumber, ECaseState state) {
  const auto it = m_index.find(caseNumber);
  if (it != m_index.end()) m_aStates[it->second] = state;
}

ECaseState CCaseAccount::GetState(int caseNumber) const {
  const auto it = m_index.find(caseNumber);
  return it != m_index.end() ? m_aStates[it->second] : ECaseState::Waiting;
}

void CCaseAccount::SetCause(int caseNumber, const std::string& cause) {
  const auto it = m_index.find(caseNumber);
  if (it != m_index.end() && m_aCauses[it->second].empty()) m_aCauses[it->second] = cause;
}

void CCaseAccount::SetSolved(int caseNumber, int solveStatus, bool replacedEarlierRows) {
  const auto it = m_index.find(caseNumber);
  if (it == m_index.end()) return;
  m_aSolveStatus[it->second] = solveStatus;
  m_aReplaced[it->second] = replacedEarlierRows;
}

CCaseAccount::Totals CCaseAccount::Count() const {
  Totals t;
  t.listed = static_cast<int>(m_aCases.size());
  for (const ECaseState state : m_aStates) {
    switch (state) {
      case ECaseState::Solved: ++t.solved; break;
      case ECaseState::Waiting:
      case ECaseState::Stopped: ++t.notRun; break;
      case ECaseState::Running: ++t.running; break;
      case ECaseState::Failed: ++t.failed; break;
    }
  }
  return t;
}

int CCaseAccount::ExitStatus(const CRunEnding& end) const {
  if (end.notStarted) return kExitNotStarted;
  if (end.signal > 0) return kExitSignalBase + end.signal;
  const Totals t = Count();
  if (t.solved == t.listed && end.refusedLines == 0 && end.repeatedLines == 0 && end.unreadLines == 0)
    return kExitAllSolved;
  if (end.startFailures > 0 && t.solved == 0) return kExitNotStarted;
  return kExitCasesNotSolved;
}

std::string CaseNumberList(const std::vector<int>& cases, std::size_t limit) {
  std::string out;
  for (std::size_t i = 0; i < cases.size() && i < limit; ++i) {
    if (i) out += ", ";
    out += std::to_string(cases[i]);
  }
  if (cases.size() > limit) out += " and " + std::to_string(cases.size() - limit) + " more";
  return out;
}

std::vector<std::string> CCaseAccount::Summary(const CRunEnding& end) const {
  const char* done = end.written ? "written" : "solved";
  const Totals t = Count();
  const int exitStatus = ExitStatus(end);
  std::vector<std::string> lines;
  lines.push_back(FormatText("Cases in the list: %d; %s: %d; failed: %d; not run: %d.", t.listed, done, t.solved,
                             t.failed + t.running, t.notRun));
  if (end.refusedLines > 0 || end.repeatedLines > 0 || end.unreadLines > 0)
    lines.push_back(FormatText("Case list lines refused: %d; repeating a case with other words: %d; after the end "
                               "of the list, not read: %d.",
                               end.refusedLines, end.repeatedLines, end.unreadLines));

  // Failed cases grouped by their cause, in list order of each cause's first case.
  std::vector<std::pair<std::string, std::vector<int>>> causes;
  std::map<std::string, std::size_t> causeIndex;
  std::vector<int> notRun;
  std::map<int, std::vector<int>> notOptimal;
  std::vector<int> replaced;
  for (std::size_t i = 0; i < m_aCases.size(); ++i) {
    switch (m_aStates[i]) {
      case ECaseState::Solved:
        if (m_aSolveStatus[i] >= 0 && m_aSolveStatus[i] != 1) notOptimal[m_aSolveStatus[i]].push_back(m_aCases[i]);
        if (m_aReplaced[i]) replaced.push_back(m_aCases[i]);
        break;
      case ECaseState::Waiting:
      case ECaseState::Stopped: notRun.push_back(m_aCases[i]); break;
      case ECaseState::Running:
      case ECaseState::Failed: {
        const std::string cause = m_aStates[i] == ECaseState::Running ? "its worker never answered"
                                  : m_aCauses[i].empty()              ? "no cause was given"
                                                                      : m_aCauses[i];
        const auto [at, added] = causeIndex.emplace(cause, causes.size());
        if (added) causes.emplace_back(cause, std::vector<int>());
        causes[at->second].second.push_back(m_aCases[i]);
        break;
      }
    }
  }
  std::vector<int> otherFailed;
  for (std::size_t g = 0; g < causes.size(); ++g) {
    if (g < kCauseLines) {
      lines.push_back("Failed: " + CaseNumberList(causes[g].second, kNumbersPerLine) + ": " + causes[g].first);
    } else {
      otherFailed.insert(otherFailed.end(), causes[g].second.begin(), causes[g].second.end());
    }
  }
  if (!otherFailed.empty())
    lines.push_back("Failed for other causes (each case's cause is in the log of rank zero): " +
                    CaseNumberList(otherFailed, kNumbersPerLine) + ".");
  if (!notRun.empty()) {
    const std::string why = end.notStarted   ? std::string("the run could not start")
                            : end.signal > 0 ? "the run was stopped by " + SignalName(end.signal)
                            : end.userStop   ? std::string("the user stopped the run")
                                             : std::string("no worker was left to run them");
    lines.push_back("Not run: " + CaseNumberList(notRun, kNumbersPerLine) + ": " + why + ".");
  }
  for (const std::string& worker : end.workers) lines.push_back(worker);
  if (!replaced.empty())
    lines.push_back(FormatText("Replaced earlier results (%d %s): ", static_cast<int>(replaced.size()),
                               replaced.size() == 1 ? "case" : "cases") +
                    CaseNumberList(replaced, kNumbersPerLine) + ".");
  if (!notOptimal.empty()) {
    std::string line = "Not optimal:";
    const char* separator = " ";
    for (const auto& [status, cases] : notOptimal) {
      line += separator + SolveStatusWord(status) + ": " + CaseNumberList(cases, kNumbersPerLine);
      separator = "; ";
    }
    lines.push_back(line + ".");
  }
  if (!end.database.empty()) lines.push_back("Results database: " + end.database);

  if (exitStatus == kExitAllSolved) {
    lines.push_back(FormatText("Exit status 0: every case in the list was %s.", done));
  } else if (exitStatus == kExitCasesNotSolved) {
    lines.push_back(FormatText("Exit status 1: %snot every case in the list was %s.",
                               end.userStop ? "the user stopped the run; " : "", done));
  } else if (exitStatus > kExitSignalBase) {
    lines.push_back(FormatText("Exit status %d: the run was stopped by %s%s.", exitStatus,
                               SignalName(end.signal).c_str(),
                               t.solved < t.listed ? (std::string("; not every case in the list was ") + done).c_str()
                                                   : ""));
  } else {
    lines.push_back(FormatText("Exit status %d: the run could not start.", exitStatus));
  }
  return lines;
}
