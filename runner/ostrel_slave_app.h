#pragma once
// A worker's role: receives case records from rank zero, solves each case
// through the case-solver library, sends the case's report to the main
// application through the socket thread's queue and returns the record.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/logging.h"
#include "results/vorn_db_export.h"
#include "runner/case_data.h"
#include "runner/case_solver_library.h"
#include "runner/ostrel_app.h"
#include "runner/ostrel_startup.h"
#include "runner/slave_thread.h"
#include "standins/nimbo_parallel_solve_data.h"

class COstrelSlaveApp : public COstrelApp {
 public:
  COstrelSlaveApp(int rank, const OstrelArgs& args);
  ~COstrelSlaveApp() override;

  // The worker's whole life after construction; returns when its loop ends.
  // Every record rank zero sends is answered, also when the worker cannot
  // solve (see AnswerUntilStop).
  void RunSlave(const std::string& arg1, const std::string& runDir, int rank);

  // Answers every record that still comes from rank zero with status -1 until
  // the stop record, so rank zero never waits for a worker that left its loop.
  // A record in hand (caseInHand) is answered first. With a start failure the
  // status is kWorkerNotStarted and each answer's outcome carries the cause.
  void AnswerUntilStop(CCaseData* caseInHand, const std::string& startFailure = std::string());

  // Sends the record to rank zero with the outcome of its case.
  void ReturnRecord(CCaseData& record);

  // One case: its solve, its report and its output; false when the case
  // failed (the cause is kept, see FailCase) or the user stopped (the record
  // then holds the user-stop words).
  bool RunCase(CCaseData& record, int rank, const std::string& exportConfigPath);
  // RunCase with the case's exception boundary: whatever is thrown in the
  // case's solve or output fails that case alone, logged with its number and
  // cause. A failed case's record goes back as rank zero sent it, with a
  // failed status.
  bool RunCaseGuarded(CCaseData& record, int rank, const std::string& exportConfigPath);
  // The output of one solved case; false when it failed or the user stopped.
  bool WriteCaseResults(int rank, const std::uint8_t* reportBytes, const CSolveResultBlock& result,
                        const std::string& exportConfigPath);
  // The database output of one solved case (the export configuration is present).
  bool WriteDatabaseResults(int caseNumber, const std::uint8_t* reportBytes, const CSolveResultBlock& result,
                            const std::string& exportConfigPath);
  // The one place a case's failure is noted: logs "Case N failed: cause" at
  // level -1 and keeps the case's first cause, which goes to rank zero with
  // the record. Returns false.
  bool FailCase(const std::string& cause);
  // Where the results go, as the account names it: the results file, or the
  // server database and its host (never the connection's secrets); empty
  // without the export configuration.
  std::string DescribeResultsDatabase() const;
  // What the case-database-export library hands the export before a case's
  // output: the case's number, solution status text, objective value, passes
  // and iterations from the case's status object; its progress goes to the
  // main application through StatusPostCallback.
  void PrepareDataForDbResult(int caseNumber, const CNimboParallelSolveData& status);
  // Removes the case's solution, recursion, PVTW and penalty files from the
  // model's directory and each local model's.
  void DeleteTempSolutionFiles(int caseNumber);
  // The one-line status file of a case; pattern's "%d" takes the case number
  // and a relative name lies in the run directory.
  void WriteCaseStatusXml(const std::string& pattern, const std::string& solutionId, int caseNumber, double objective,
                          int status);
  // Queues one status object for the main application; false when it cannot be serialised.
  bool PostStatus(int caseNumber, const std::vector<std::string>& texts, int status, double value);
  // Appends a message to the outgoing queue; once the link has ended it is dropped and counted.
  void QueueMessage(std::unique_ptr<CStrevDataBuffer> buffer);

  CStrevDataBufferArray m_aOutQueue;
  Logging m_logging;
  std::unique_ptr<CVornDbExport> m_pDbData;
  std::string m_szHost;
  int m_nPort = 11150;
  std::mutex m_csOutQueue;
  void* m_hSolver = nullptr;
  std::unique_ptr<CCaseData> m_pCaseData;
  std::unique_ptr<CSolveResultBlock> m_pSolveResult;
  std::unique_ptr<std::uint8_t[]> m_pReportBytes;
  int m_nArg8 = 0;
  int m_nArg9 = 0;
  bool m_bFirstCase = true;
  bool m_bHostUsable = true;  // the main application's host is a dotted address or was resolved to one
  int m_nSendTimeoutMs = kDefaultSendTimeoutMs;
  std::atomic<bool> m_bLinkEnded{false};  // set by the socket thread when it ends
  int m_nUnsentMessages = 0;              // messages dropped because the link had ended
  CCaseOutcome m_outcome;                 // of the case in hand, sent with its record
  int m_nCaseInHand = -1;                 // the case being run, -1 between cases

 private:
  // Logs the case failed at an exception and drops what the case held.
  void FailCaseAtException(const char* cause) noexcept;
  // The worker cannot run cases: logs the cause and answers until the stop record.
  void FailStart(const std::string& cause);
  // Why the job may not write its results (its ranks on several machines, its results into a file); empty when it may.
  std::string SeveralHostsRefusal() const;
  // After a case's failed database output: the Trancol file removed (nothing
  // more goes into the failed database), the settings restored, the solver's
  // files removed and the status file written with the failed status.
  void FinishFailedOutput(int caseNumber, const CSolveResultBlock& result, double objective);

  CCaseSolverLibrary m_solverLibrary;
  bool m_bExportConfig = false;
  std::string m_strResultsDatabase;  // DescribeResultsDatabase, once the export configuration is read
};

// The solution status text of a solve status, as the export's case fill reads
// it: each status gives the "PrSolutionStatus" identifier of the same name
// (0 Unknown, 1 Optimal, ..., 10 Active Penalties); any other status gives
// the text of 0.
const char* SolutionStatusText(int solveStatus);

// The status posts of the case-result preparation: PostStatus(caseNumber,
// messages, status, value) on the worker given as owner.
void StatusPostCallback(void* owner, int caseNumber, double value, const std::vector<std::string>& messages,
                        int status);

// The case solver's log callback: forwards to the current worker's Log.
extern "C" void LogCallback(int level, const char* text);
// The case solver's stop callback: the process's user-stop byte.
extern "C" int IsUserStopRequested();
