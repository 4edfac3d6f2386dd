#include "runner/case_account.h"

#include "runner/runner_messages.h"

void CCaseAccount::SetCases(const std::vector<int>& cases) {
  m_aCases = cases;
  m_aStates.assign(cases.size(), ECaseState::Waiting);
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

CCaseAccount::Totals CCaseAccount::Count(bool stopped) const {
  Totals t;
  t.listed = static_cast<int>(m_aCases.size());
  for (const ECaseState state : m_aStates) {
    switch (state) {
      case ECaseState::Solved: ++t.solved; break;
      case ECaseState::Waiting: ++(stopped ? t.notRun : t.undispatched); break;
      case ECaseState::Stopped: ++t.notRun; break;
      case ECaseState::Running:
      case ECaseState::Failed: ++t.failed; break;
    }
  }
  return t;
}

int CCaseAccount::ExitStatus(bool stopped, int refusedLines, int unreadLines, int startFailures) const {
  const Totals t = Count(stopped);
  if (t.solved == t.listed && refusedLines == 0 && unreadLines == 0) return kExitAllSolved;
  if (startFailures > 0 && t.solved == 0) return kExitNotStarted;
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

std::vector<std::string> CCaseAccount::Summary(bool stopped, bool written, int refusedLines, int unreadLines,
                                               int exitStatus) const {
  const char* done = written ? "written" : "solved";
  const Totals t = Count(stopped);
  std::vector<std::string> lines;
  lines.push_back(FormatText("Cases in the list: %d; %s: %d; failed: %d; never dispatched: %d; not run after the "
                             "stop: %d.",
                             t.listed, done, t.solved, t.failed, t.undispatched, t.notRun));

  std::vector<int> failed;
  std::vector<int> undispatched;
  std::vector<int> notRun;
  for (std::size_t i = 0; i < m_aCases.size(); ++i) {
    switch (m_aStates[i]) {
      case ECaseState::Solved: break;
      case ECaseState::Waiting: (stopped ? notRun : undispatched).push_back(m_aCases[i]); break;
      case ECaseState::Stopped: notRun.push_back(m_aCases[i]); break;
      case ECaseState::Running:
      case ECaseState::Failed: failed.push_back(m_aCases[i]); break;
    }
  }
  if (!failed.empty()) lines.push_back("Failed cases: " + CaseNumberList(failed, kNumbersPerLine) + ".");
  if (!undispatched.empty())
    lines.push_back("Cases never dispatched: " + CaseNumberList(undispatched, kNumbersPerLine) + ".");
  if (!notRun.empty()) lines.push_back("Cases not run after the stop: " + CaseNumberList(notRun, kNumbersPerLine) + ".");
  if (refusedLines > 0 || unreadLines > 0)
    lines.push_back(FormatText("Case list lines refused: %d; lines after the end of the list not read: %d.",
                               refusedLines, unreadLines));

  switch (exitStatus) {
    case kExitAllSolved: lines.push_back(FormatText("Exit status 0: every case in the list was %s.", done)); break;
    case kExitCasesNotSolved:
      lines.push_back(FormatText("Exit status 1: not every case in the list was %s.", done));
      break;
    default: lines.push_back(FormatText("Exit status %d: the run could not start.", exitStatus)); break;
  }
  return lines;
}
