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
inline constexpr int kExitSignalBase = 128;    // + the signal that stopped the run

enum class ECaseState : std::uint8_t {
  Waiting,  // in its group
  Running,  // sent to a worker, no answer yet
  Solved,   // answered as done
  Failed,   // answered as failed, or by a worker that could not start
  Stopped,  // held by a worker that answered the user's stop: its output was not made
};

// The word of a solution status, as the results database names it
// ("Optimal" for 1, "Infeasible" for 5); "status N" outside the known ones.
std::string SolveStatusWord(int solveStatus);

// How the run ended, beside the states of the cases.
struct CRunEnding {
  bool written = false;     // the export is on: solved cases are written
  bool userStop = false;    // the user stopped the run
  int signal = 0;           // the signal that stopped the run, 0 for none
  bool notStarted = false;  // the case list could not be read, or no process could run its cases
  int refusedLines = 0;     // case list lines refused
  int repeatedLines = 0;    // lines repeating a listed case number with other words, not run
  int unreadLines = 0;      // lines after the end of the list
  int startFailures = 0;    // answers from workers that could not start
  std::vector<std::string> workers{};  // why workers stopped taking cases, one line each
  std::string database{};   // the results database, when a worker named it
};

class CCaseAccount {
 public:
  // The listed cases, in list order, all waiting; case numbers are unique.
  void SetCases(const std::vector<int>& cases);
  // Numbers that are not listed are ignored.
  void SetState(int caseNumber, ECaseState state);
  ECaseState GetState(int caseNumber) const;
  // The first cause of a failed case.
  void SetCause(int caseNumber, const std::string& cause);
  // Of a solved case: its solution status word (negative: none was read) and
  // whether its output replaced earlier results of the case.
  void SetSolved(int caseNumber, int solveStatus, bool replacedEarlierRows);

  struct Totals {
    int listed = 0;
    int solved = 0;
    int failed = 0;   // answered as failed
    int running = 0;  // sent to a worker and not answered: failed when the run has ended
    int notRun = 0;   // stopped, or never sent to a worker
  };
  Totals Count() const;

  // kExitNotStarted when the run could not start, or workers reported that
  // they could not start and no case was solved; kExitSignalBase + the
  // signal after one; kExitAllSolved when every listed case was solved and
  // the case list held nothing that was refused, repeated with other words
  // or left unread; kExitCasesNotSolved otherwise.
  int ExitStatus(const CRunEnding& end) const;

  // The account: the totals, the case list lines that were not run, the
  // failed cases grouped by cause, the cases not run and why, why workers
  // stopped, the cases that replaced earlier results, the solutions that are
  // not optimal by status word, the results database and the exit status
  // with its meaning. Three lines or fewer for a clean run.
  std::vector<std::string> Summary(const CRunEnding& end) const;

  // How many case numbers a line lists before "and N more".
  static constexpr std::size_t kNumbersPerLine = 50;
  // How many causes of failed cases the account lists.
  static constexpr std::size_t kCauseLines = 10;

 private:
  std::vector<int> m_aCases;
  std::vector<ECaseState> m_aStates;
  std::vector<std::string> m_aCauses;
  std::vector<int> m_aSolveStatus;
  std::vector<bool> m_aReplaced;
  std::unordered_map<int, std::size_t> m_index;
};

// "3, 7, 12", cut after limit numbers with " and N more".
std::string CaseNumberList(const std::vector<int>& cases, std::size_t limit);

// The name of a signal ("SIGINT"), or "signal N".
std::string SignalName(int signal);
