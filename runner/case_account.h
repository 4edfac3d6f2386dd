#pragma once
// Rank zero's account of the listed cases: where each one stands and, at the
// end of the run, the lines that say what became of every case and the exit
// status of the job.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// The job's exit status.
inline constexpr int kExitAllSolved = 0;       // every listed case was solved (and written with the export)
inline constexpr int kExitCasesNotSolved = 1;  // the run ended, but not every case was solved
inline constexpr int kExitNotStarted = 2;      // the run could not start

enum class ECaseState : std::uint8_t {
  Waiting,  // in its group
  Running,  // sent to a worker, no answer yet
  Solved,   // answered as done
  Failed,   // answered as failed, or by a worker that could not start
  Stopped,  // held by a worker that answered the user's stop: its output was not made
};

class CCaseAccount {
 public:
  // The listed cases, in list order, all waiting; case numbers are unique.
  void SetCases(const std::vector<int>& cases);
  // Numbers that are not listed are ignored.
  void SetState(int caseNumber, ECaseState state);
  ECaseState GetState(int caseNumber) const;

  struct Totals {
    int listed = 0;
    int solved = 0;
    int failed = 0;        // failed, or answered by no one
    int undispatched = 0;  // never sent to a worker in a run that was not stopped
    int notRun = 0;        // not run after a stop
  };
  // Where the cases stand at the end; stopped says the user stopped the run.
  Totals Count(bool stopped) const;

  // kExitAllSolved when every listed case was solved and the case list held
  // nothing that was refused or left unread; kExitNotStarted when workers
  // reported that they could not start and no case was solved;
  // kExitCasesNotSolved otherwise.
  int ExitStatus(bool stopped, int refusedLines, int unreadLines, int startFailures) const;

  // The closing lines of rank zero's log: the totals, the numbers of every
  // case not solved by state, the case list lines that were not cases, and
  // the exit status with its meaning.
  std::vector<std::string> Summary(bool stopped, bool written, int refusedLines, int unreadLines,
                                   int exitStatus) const;

  // How many case numbers a line lists before "and N more".
  static constexpr std::size_t kNumbersPerLine = 50;

 private:
  std::vector<int> m_aCases;
  std::vector<ECaseState> m_aStates;
  std::unordered_map<int, std::size_t> m_index;
};

// "3, 7, 12", cut after limit numbers with " and N more".
std::string CaseNumberList(const std::vector<int>& cases, std::size_t limit);
