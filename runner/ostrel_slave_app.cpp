#include "runner/ostrel_slave_app.h"

#include <unistd.h>

#include <strings.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <thread>

#include "caseset/config/assembled_case.h"
#include "dbdrivers/access/access_result_database.h"
#include "foundation/registry.h"
#include "modelfile/model_text_cipher.h"
#include "modelfile/vorn_model_file.h"
#include "platform/connection_string.h"
#include "platform/dao.h"
#include "platform/out_file_stream.h"
#include "runner/runner_messages.h"
#include "standins/file_name_manager.h"
#include "standins/nimbo_parallel_solve_data.h"
#include "tableio/db/db_connect_info.h"
#include "writers/schema/table_definition.h"

namespace {

// The worker the solver's log callback forwards to.
std::atomic<COstrelSlaveApp*> g_pLogWorker{nullptr};

using Clock = std::chrono::steady_clock;

// The status of a post that only carries progress texts.
constexpr int kProgressStatus = -999;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

bool EqualsNoCase(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

}  // namespace

extern "C" void LogCallback(int level, const char* text) {
  if (COstrelSlaveApp* worker = g_pLogWorker.load()) worker->Log(level, text ? text : "");
}

extern "C" int IsUserStopRequested() { return g_bUserStop.load() ? 1 : 0; }

namespace {

// A wait for the results database that has lasted a while: said in the worker's log and on the terminal.
void SayLongLockWait(const std::string& path, int seconds) {
  COstrelSlaveApp* worker = g_pLogWorker.load();
  const std::string line =
      FormatText("Case %d on Processor %d waits for the results database %s: another program holds it locked (%d s "
                 "so far). The case goes on when it is released; a stop of the run ends the wait.",
                 worker ? worker->m_nCaseInHand : -1, worker ? worker->m_nRank : -1, path.c_str(), seconds);
  if (worker) worker->Log(-1, line);
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

// How long a wait for the results database lasts before it is said: 10 s; tests shorten it.
int LockNoticeSeconds() {
  const char* seconds = std::getenv("OSTREL_LOCK_NOTICE_SECONDS");
  const int value = seconds ? std::atoi(seconds) : 0;
  return value > 0 ? value : 10;
}

}  // namespace

COstrelSlaveApp::COstrelSlaveApp(int rank, const OstrelArgs& args) {
  // The export log switch, then the export object (it keeps our logger).
  std::string logging;
  ReadAppRegistryString(logging, "VornWin", "Adapter", "Logging", "False");
  m_logging.SetEnabled(!EqualsNoCase(logging, "False"));
  m_pDbData = std::make_unique<CVornDbExport>(&m_logging);
  std::uint32_t sendTimeout = 0;
  ReadRegistryDword(sendTimeout, BuildAppKey("VornWin", "Adapter"), "SendTimeout", 0);
  if (sendTimeout > 0) m_nSendTimeoutMs = static_cast<int>(std::min<std::uint32_t>(sendTimeout, 86400) * 1000);

  m_nRank = rank;
  SetLogLevel(args.logLevel);
  m_nArg5 = args.arg5;
  m_szHost = args.host;
  m_nPort = args.port;
  m_nArg9 = args.arg9;
  m_nArg8 = args.arg8;
  m_bHostUsable = args.hostUsable;
  m_bLogOpened = false;
  m_bFirstCase = true;
}

COstrelSlaveApp::~COstrelSlaveApp() {
  m_pDbData.reset();
  m_pCaseData.reset();
  m_pSolveResult.reset();
  m_pReportBytes.reset();
  if (m_hSolver && m_solverLibrary.DestroyPalvane) m_solverLibrary.DestroyPalvane(&m_hSolver);
  CloseLog();
  COstrelSlaveApp* self = this;
  g_pLogWorker.compare_exchange_strong(self, nullptr);
  m_logging.Close();
  m_aOutQueue.m_bOwnsElements = 1;
  m_aOutQueue.RemoveAll();
}

void COstrelSlaveApp::ReturnRecord(CCaseData& record) { SendReply(record, m_outcome, m_caseType); }

void COstrelSlaveApp::AnswerUntilStop(CCaseData* caseInHand, const std::string& startFailure) {
  const auto answer = [&](CCaseData& record) {
    m_outcome = CCaseOutcome();
    if (startFailure.empty()) {
      record.m_nStatus = kCaseFailed;
      SetOutcomeText(m_outcome.m_szCause, "its worker had left its loop");
    } else {
      record.m_nStatus = kWorkerNotStarted;
      SetOutcomeText(m_outcome.m_szCause, startFailure);
    }
    ReturnRecord(record);
  };
  if (caseInHand) answer(*caseInHand);
  CCaseData record;
  InitCaseData(record);
  for (;;) {
    MPI_Status status;
    if (MPI_Recv(&record, 1, m_caseType, 0, MPI_ANY_TAG, MPI_COMM_WORLD, &status) != MPI_SUCCESS) return;
    TerminateStrevFileName(record);
    if (record.m_nCaseNumber == kStopCase) {
      LogMsg(2, 144, m_nRank);
      return;
    }
    answer(record);
  }
}

void COstrelSlaveApp::FailStart(const std::string& cause) {
  Log(-1, cause);
  AnswerUntilStop(nullptr, cause);
}

bool COstrelSlaveApp::PostStatus(int caseNumber, const std::vector<std::string>& texts, int status, double value) {
  CNimboParallelSolveData data;
  data.SetCaseNumber(caseNumber);
  data.SetStatusCode(status);
  data.SetValue(value);
  data.SetLogging(m_nLogLevel, &m_log);
  data.SetMessages(texts);
  std::unique_ptr<std::uint8_t[]> bytes;
  const int size = data.GetObjectAsBYTEArray(bytes);
  if (size < 0) {
    LogMsg(-1, 150, caseNumber, m_nRank);
    return false;
  }
  QueueMessage(std::make_unique<CStrevDataBuffer>(bytes.get(), size));
  return true;
}

void COstrelSlaveApp::QueueMessage(std::unique_ptr<CStrevDataBuffer> buffer) {
  std::lock_guard<std::mutex> lock(m_csOutQueue);
  if (m_bLinkEnded.load()) {
    ++m_nUnsentMessages;
    return;
  }
  m_aOutQueue.Add(std::move(buffer));
}

bool COstrelSlaveApp::WriteCaseResults(int rank, const std::uint8_t* reportBytes, const CSolveResultBlock& result,
                                       const std::string& exportConfigPath) {
  const int caseNumber = m_pCaseData ? m_pCaseData->m_nCaseNumber : 0;
  if (result.m_nReportSize < 0 || !reportBytes) {
    LogMsg(-1, 150, caseNumber, rank);
    return FailCase("the case solver gave no report of it");
  }
  if (!m_bExportConfig) {
    if (g_bUserStop && m_pCaseData) {
      // The link drops what is queued on a stop: the report would never reach the main application.
      m_pCaseData->m_nStatus = kUserStop;
      m_pCaseData->m_nCaseNumber = kUserStop;
      return false;
    }
    // The report goes to the main application as it is; its status word is only for the account.
    CNimboParallelSolveData status;
    if (status.SetObjectFromBYTEArray(reportBytes, result.m_nReportSize))
      m_outcome.m_nSolveStatus = status.GetSolveStatus();
    QueueMessage(std::make_unique<CStrevDataBuffer>(reportBytes, result.m_nReportSize));
    return true;
  }
  return WriteDatabaseResults(caseNumber, reportBytes, result, exportConfigPath);
}

bool COstrelSlaveApp::WriteDatabaseResults(int caseNumber, const std::uint8_t* reportBytes,
                                           const CSolveResultBlock& result, const std::string& exportConfigPath) {
  Log(3, "SQL Server: VornDbExport XML file found");
  (void)exportConfigPath;
  CNimboParallelSolveData status;
  if (!status.SetObjectFromBYTEArray(reportBytes, result.m_nReportSize)) {
    // Without it the case has no solution status, objective or passes to write.
    FailCase(FormatText("its report (%d bytes) holds no status object", result.m_nReportSize));
    FinishFailedOutput(caseNumber, result, 0);
    return false;
  }
  m_outcome.m_nSolveStatus = status.GetSolveStatus();
  PostStatus(caseNumber, {}, status.GetSolveStatus(), status.GetObjectiveValue());

  if (g_bUserStop) {
    // The loop sends the record back with these words and leaves.
    m_pCaseData->m_nStatus = kUserStop;
    m_pCaseData->m_nCaseNumber = kUserStop;
    return false;
  }

  CVornModelFile* model = m_pDbData->m_pModel.get();
  if (model)
    LogF(3, "SQL Server: m_pDbData->m_pModel name=%s", model->m_strModelName.c_str());
  else
    Log(3, "SQL Server: m_pDbData->m_pModel is NULL");
  const int periods = m_pDbData->m_paPeriods ? m_pDbData->m_paPeriods->GetSize() : 1;
  if (model) model->m_nimboVars.SetPeriodCount(periods);
  LogF(3, "SQL Server: Number of periods = %d", periods);

  m_pDbData->m_pCurrentCase = nullptr;
  if (m_pDbData->m_paAssembledCases && model) {
    const CAssembledCase probe(caseNumber, model->m_strModelName);
    m_pDbData->m_pCurrentCase = m_pDbData->m_paAssembledCases->Find(&probe);
  }
  if (m_pDbData->m_pCurrentCase && model) ApplyCaseSettings(model->m_settings, *m_pDbData->m_pCurrentCase, &m_logging);
  else if (m_pDbData->m_paAssembledCases && model)
    LogF(1, "Case %d is not in the case set of the export configuration: its results are written as case 0.",
         caseNumber);

  PrepareDataForDbResult(caseNumber, status);
  Log(3, "SQL Server: PrepareDataForDatabaseOutput completed");
  LogF(3, "SQL Server: Current case info: pCaseData->m_nCaseNumber=%d; m_paAssembledCases num =%d", caseNumber,
       m_pDbData->m_paAssembledCases ? m_pDbData->m_paAssembledCases->GetSize() : 0);

  const int currentCase = m_pDbData->m_pCurrentCase ? m_pDbData->m_pCurrentCase->m_nNumber : 0;
  const bool skip = status.GetSolveStatus() == 2 && m_nArg9 != 0;
  const bool keep = skip && m_bFirstCase;
  LogF(3, "SQL Server: Is this case number %d the first case? %s", caseNumber, m_bFirstCase ? "true" : "false");
  const bool written = m_pDbData->WriteDatabaseOutput(m_bFirstCase, false, 1, "", currentCase, skip, false);
  m_outcome.m_bReplacedEarlierRows = m_pDbData->HasReplacedEarlierRows() ? 1 : 0;
  if (!written) {
    // None of the case's rows stayed: the case goes back as failed, or as not run when the user stopped its wait.
    if (g_bUserStop) {
      LogF(-1, "Case %d is not run: the user stopped the run while its results were written (%s).", caseNumber,
           m_pDbData->GetDatabaseFailure().c_str());
      m_pCaseData->m_nStatus = kUserStop;
      m_pCaseData->m_nCaseNumber = kUserStop;
    } else {
      FailCase("its results were not written to the results database: " + m_pDbData->GetDatabaseFailure());
    }
    FinishFailedOutput(caseNumber, result, status.GetObjectiveValue());
    return false;
  }
  if (m_bFirstCase && !keep) m_bFirstCase = false;
  if (m_pDbData->HasReplacedEarlierRows())
    LogF(1, "Case %d replaced its earlier results in the results database.", caseNumber);

  if (model) {
    // The Trancol tables are written with the case's rows; a Trancol file the output left (a case it did
    // not write) is only removed.
    const CModelSettings& settings = model->m_settings;
    if (settings.m_TranColReportOn.GetValue() != 0 || settings.m_TRNCLXLS.GetValue() != 0 ||
        settings.m_CreateStrevTCFile.GetValue() != 0)
      m_pDbData->ExportTrancol(currentCase, 0, 1);
    model->m_settings.m_list.CopyFrom(&model->m_baseSettings.m_list, -1);
  }
  Log(3, "SQL Server: ExecuteModelDatabaseOutput completed");

  DeleteTempSolutionFiles(caseNumber);
  Log(3, "SQL Server: Cleanup completed");

  const std::string statusFile = result.m_szStatusFile;
  if (!statusFile.empty() && statusFile != "Empty")
    WriteCaseStatusXml(statusFile, result.m_szSolutionId, caseNumber, status.GetObjectiveValue(),
                       m_pCaseData ? m_pCaseData->m_nStatus : 0);
  return true;
}

void COstrelSlaveApp::FinishFailedOutput(int caseNumber, const CSolveResultBlock& result, double objective) {
  if (CVornModelFile* model = m_pDbData->m_pModel.get()) {
    const CModelSettings& settings = model->m_settings;
    if (settings.m_TranColReportOn.GetValue() != 0 || settings.m_TRNCLXLS.GetValue() != 0 ||
        settings.m_CreateStrevTCFile.GetValue() != 0)
      m_pDbData->ExportTrancol(m_pDbData->m_pCurrentCase ? m_pDbData->m_pCurrentCase->m_nNumber : 0, 0, 1);
    model->m_settings.m_list.CopyFrom(&model->m_baseSettings.m_list, -1);
  }
  DeleteTempSolutionFiles(caseNumber);
  Log(3, "SQL Server: Cleanup completed");
  const std::string statusFile = result.m_szStatusFile;
  if (!statusFile.empty() && statusFile != "Empty")
    WriteCaseStatusXml(statusFile, result.m_szSolutionId, caseNumber, objective, kCaseFailed);
}

bool COstrelSlaveApp::FailCase(const std::string& cause) {
  LogF(-1, "Case %d failed: %s", m_nCaseInHand, cause.c_str());
  if (m_outcome.m_szCause[0] == '\0') SetOutcomeText(m_outcome.m_szCause, cause);
  return false;
}

std::string COstrelSlaveApp::DescribeResultsDatabase() const {
  const CVornModelFile* model = m_pDbData ? m_pDbData->m_pModel.get() : nullptr;
  if (!m_bExportConfig || model == nullptr) return std::string();
  const CModelSettings& settings = model->m_settings;
  std::string server;
  int kind = -1;
  if (IsSqlServerDatabase(settings.m_DatabaseOutputFormat.GetValue(), kind)) {
    // Only the names: the connection may hold a password.
    const auto items = plat::ParseConnectionString(settings.m_DatabaseOutputConnection.GetValue());
    auto database = plat::FindConnectionValue(items, "Initial Catalog");
    if (!database) database = plat::FindConnectionValue(items, "Database");
    auto host = plat::FindConnectionValue(items, "Data Source");
    if (!host) host = plat::FindConnectionValue(items, "Server");
    server = "the SQL Server database " + database.value_or("(not named)") + " on " + host.value_or("(no host named)");
    if (settings.m_CreateAccessDbAlso.GetValue() == 0) return server;
    server += " and ";
  }
  return server + GetModelResultDatabasePath(*model, m_pDbData->m_strHomeDirectory);
}

const char* SolutionStatusText(int solveStatus) {
  // The case fill reads a text by its first characters: 'C' 1, "MaxP" 2, "MaxI" 3, "UN" 4, 'I' 5,
  // 'N' 6, "Us" 7, 'S' 8, "Max T" 9, 'A' 10, anything else 0.
  static const char* const kTexts[] = {"",           "Converged",         "MaxPass Exceeded",   "MaxIPass Exceeded",
                                       "UNBOUNDED",  "Infeasible",        "Non Recursed Model", "User Exit",
                                       "System Error", "Max Time Exceeded", "Active Penalties"};
  constexpr int kCount = static_cast<int>(sizeof kTexts / sizeof kTexts[0]);
  return solveStatus >= 0 && solveStatus < kCount ? kTexts[solveStatus] : kTexts[0];
}

void StatusPostCallback(void* owner, int caseNumber, double value, const std::vector<std::string>& messages,
                        int status) {
  if (owner != nullptr) static_cast<COstrelSlaveApp*>(owner)->PostStatus(caseNumber, messages, status, value);
}

void COstrelSlaveApp::PrepareDataForDbResult(int caseNumber, const CNimboParallelSolveData& status) {
  char text[128];
  std::snprintf(text, sizeof text, "Preparing the database output of case %d", caseNumber);
  StatusPostCallback(this, caseNumber, 1e30, {text}, kProgressStatus);
  m_pDbData->m_nOutputCaseNumber = caseNumber;
  m_pDbData->m_strSolutionStatus = SolutionStatusText(status.GetSolveStatus());
  m_pDbData->m_dObjectiveValue = status.GetObjectiveValue();
  m_pDbData->m_nPasses = status.GetPasses();
  // The legacy case table keeps the iterations in 16 bits: a larger count is stored as the largest.
  m_pDbData->m_nIterations = static_cast<std::int16_t>(std::clamp(status.GetIterations(), 0, 32767));
}

void COstrelSlaveApp::DeleteTempSolutionFiles(int caseNumber) {
  const std::unique_ptr<IFileNameManager> names = CreateFileNameManager();
  if (!names) return;
  const std::string files[] = {names->GetPenaltyFileName(caseNumber), names->GetPvtwFileName(caseNumber),
                               names->GetRecursionFileName(caseNumber), names->GetSolutionFileName(caseNumber)};
  std::error_code ec;
  for (const std::string& file : files) std::filesystem::remove(m_pDbData->GetModelFilePath(file), ec);
  if (m_pDbData->m_plstLocalModelNames)
    for (const std::string& local : *m_pDbData->m_plstLocalModelNames)
      for (const std::string& file : files) std::filesystem::remove(m_pDbData->BuildFilePath(local, file), ec);
}

void COstrelSlaveApp::WriteCaseStatusXml(const std::string& pattern, const std::string& solutionId, int caseNumber,
                                         double objective, int status) {
  // The pattern is data: only its first "%d" is replaced, nothing else in it is a format.
  std::string fileName = pattern;
  const std::size_t at = fileName.find("%d");
  if (at != std::string::npos) fileName.replace(at, 2, std::to_string(caseNumber));
  if (!fileName.empty() && fileName[0] != '/') fileName = m_strRunDir + "/" + fileName;

  long long id = std::strtoll(solutionId.c_str(), nullptr, 10);
  id = std::clamp<long long>(id, INT32_MIN, INT32_MAX);
  char text[512];
  std::snprintf(text, sizeof text,
                "<case id = \"%d\"><solutionID> %d </solutionID><objectiveFunction> %f </objectiveFunction>"
                "<solutionStatus> %d </solutionStatus><percentComplete> %d </percentComplete></case>",
                caseNumber, static_cast<int>(id), objective, status, 100);
  // Not through a symbolic link planted at its name.
  plat::OutFileStream out;
  if (out.open(fileName, std::ios::trunc)) out << text;
}

bool COstrelSlaveApp::RunCase(CCaseData& record, int rank, const std::string& exportConfigPath) {
  const int caseNumber = record.m_nCaseNumber;
  const Clock::time_point caseStart = Clock::now();
  m_pSolveResult = std::make_unique<CSolveResultBlock>();
  const std::string solving = FormatRunnerText(146, caseNumber, rank);
  Log(1, "\n" + solving);
  PostStatus(caseNumber, {solving}, -999, 1e30);

  m_pDbData->m_dtSolveStart = plat::OleDateTime::GetCurrentTime();
  const int solved = m_solverLibrary.SolveCase(m_hSolver, m_pSolveResult.get(), &record, 0, -1e30, 0);
  m_pDbData->m_dtSolveEnd = plat::OleDateTime::GetCurrentTime();
  if (!solved) return FailCase("the case solver could not solve it");

  if (record.m_nLoadSolCaseUsed != record.m_nLoadSolCase) {
    const std::unique_ptr<IFileNameManager> names = CreateFileNameManager();
    const std::string asked = names->GetLoadSolFileName(record.m_nLoadSolCase);
    const std::string text =
        record.m_nLoadSolCaseUsed != 0
            ? FormatRunnerText(186, asked.c_str(), names->GetLoadSolFileName(record.m_nLoadSolCaseUsed).c_str())
            : FormatRunnerText(187, asked.c_str());
    PostStatus(caseNumber, {text}, -999, 1e30);
  }

  m_pReportBytes.reset();
  if (m_pSolveResult->m_nReportSize >= 0) {
    m_pReportBytes = std::make_unique<std::uint8_t[]>(static_cast<size_t>(m_pSolveResult->m_nReportSize) + 1);
    if (!m_solverLibrary.GetReportByteArray(m_hSolver, m_pReportBytes.get(), m_pSolveResult->m_nReportSize, 1)) {
      m_pReportBytes.reset();
      m_pSolveResult->m_nReportSize = -1;
    }
  }
  LogMsg(2, 151, caseNumber, rank);
  LogMsg(2, 152, caseNumber, SecondsSince(caseStart));

  const Clock::time_point outputStart = Clock::now();
  const CDaoCaseTimes before = CDaoDatabase::CaseTimes();
  if (!WriteCaseResults(rank, m_pReportBytes.get(), *m_pSolveResult, exportConfigPath)) return false;
  const double outputSeconds = SecondsSince(outputStart);
  LogF(1, "Results database output time for case %d is %g seconds.", caseNumber, outputSeconds);
  const CDaoCaseTimes& after = CDaoDatabase::CaseTimes();
  const double queue = after.m_dQueueWait - before.m_dQueueWait;
  const double lockWait = after.m_dLockWait - before.m_dLockWait;
  const double held = after.m_dLockHeld - before.m_dLockHeld;
  const double lateCheckpoint = after.m_dLateCheckpoint - before.m_dLateCheckpoint;
  LogF(2, "Case %d waited %g s for the writers' queue and %g s for the write lock, held the lock %g s (%g s of it "
       "committing, %g s checkpointing, taken %s), checkpointed %g s after its turn and worked %g s outside it.",
       caseNumber, queue, lockWait, held, after.m_dCommit - before.m_dCommit, after.m_dCheckpoint - before.m_dCheckpoint,
       after.m_nEarlyLocks > before.m_nEarlyLocks ? "before the commit" : "for the commit", lateCheckpoint,
       outputSeconds - queue - lockWait - held - lateCheckpoint);
  return true;
}

bool COstrelSlaveApp::RunCaseGuarded(CCaseData& record, int rank, const std::string& exportConfigPath) {
  const CCaseData received = record;
  m_outcome = CCaseOutcome();
  SetOutcomeText(m_outcome.m_szDatabase, m_strResultsDatabase);
  m_nCaseInHand = record.m_nCaseNumber;
  bool ok = false;
  try {
    ok = RunCase(record, rank, exportConfigPath);
  } catch (const std::exception& e) {
    FailCaseAtException(e.what());
  } catch (...) {
    FailCaseAtException("an exception of unknown type");
  }
  m_nCaseInHand = -1;
  if (ok || (record.m_nStatus == kUserStop && record.m_nCaseNumber == kUserStop)) return ok;
  // Rank zero finds the case by the record it sent, whatever the solver or the step left in it.
  record = received;
  if (g_bUserStop) {
    // The case ended short because the user stopped the run: it is not run, not failed.
    LogF(-1, "Case %d is not run: the user stopped the run while it ran.", received.m_nCaseNumber);
    record.m_nStatus = kUserStop;
    record.m_nCaseNumber = kUserStop;
    return false;
  }
  record.m_nStatus = kCaseFailed;
  return false;
}

void COstrelSlaveApp::FailCaseAtException(const char* cause) noexcept {
  try {
    FailCase(std::string("an exception ended its solve or output: ") + cause);
    // The next case would start from the settings as loaded.
    if (CVornModelFile* model = m_pDbData ? m_pDbData->m_pModel.get() : nullptr)
      model->m_settings.m_list.CopyFrom(&model->m_baseSettings.m_list, -1);
  } catch (...) {
  }
  m_pSolveResult.reset();
  m_pReportBytes.reset();
}

std::string COstrelSlaveApp::SeveralHostsRefusal() const {
  const CVornModelFile* model = m_pDbData->m_pModel.get();
  if (m_aJobHosts.size() < 2 || model == nullptr || !IsAccessDatabaseWritten(*model)) return std::string();
  std::string hosts;
  for (std::size_t i = 0; i < m_aJobHosts.size() && i < 4; ++i) hosts += (i ? ", " : "") + m_aJobHosts[i];
  if (m_aJobHosts.size() > 4) hosts += " and " + std::to_string(m_aJobHosts.size() - 4) + " more";
  const std::string setting =
      model->m_settings.m_CreateAccessDbAlso.GetValue() != 0 ? "set CreateAccessDbAlso to 0"
                                                             : "set DatabaseOutputFormat to \"SQL Server\" with its "
                                                               "DatabaseOutputConnection";
  return "The ranks of this job run on several machines (" + hosts +
         "): runs over several machines write their results to a database server, not to a results file; " +
         setting + " in the model " + model->m_strModelName;
}

void COstrelSlaveApp::RunSlave(const std::string& arg1, const std::string& runDir, int rank) {
  const Clock::time_point start = Clock::now();
  {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char clock[16];
    std::strftime(clock, sizeof clock, "%H:%M:%S", &local);
    LogMsg(2, 140, clock);
    char host[256] = {};
    LogF(1, "Rank %d on host %s", rank, gethostname(host, sizeof host - 1) == 0 ? host : "no hostname");
  }

  g_pLogWorker = this;
  if (!m_solverLibrary.Load(CCaseSolverLibrary::DefaultPath())) {
    FailStart(m_solverLibrary.GetError());
    return;
  }
  m_solverLibrary.CreatePalvane(&m_hSolver, arg1.c_str(), runDir.c_str(), rank, m_nLogLevel, m_nArg5, m_nArg8,
                                LogCallback, IsUserStopRequested, 0);
  if (!m_hSolver) {
    LogF(-1, "The case solver could not be created on rank %d.", rank);
    FailStart("The case solver of " + CCaseSolverLibrary::DefaultPath() + " could not be created (CreatePalvane failed).");
    return;
  }

  std::atomic<bool> stop{false};
  SlaveThreadParams params;
  params.m_nRank = rank;
  params.m_nLogLevel = m_nLogLevel;
  std::snprintf(params.m_szLogPath, sizeof params.m_szLogPath, "%s/%s%d.log", runDir.c_str(), "RankThread", rank);
  std::snprintf(params.m_szHost, sizeof params.m_szHost, "%s", m_szHost.c_str());
  params.m_nPort = static_cast<std::uint16_t>(m_nPort & 0xFFFF);
  params.m_pbStop = &stop;
  params.m_pcsQueue = &m_csOutQueue;
  params.m_paQueue = &m_aOutQueue;
  params.m_pbLinkEnded = &m_bLinkEnded;
  params.m_nSendTimeoutMs = m_nSendTimeoutMs;
  // One worker says on the terminal that nobody answers at the host and port; the others only log it.
  params.m_bSayConnectFailure = rank == 1 && m_bHostUsable;

  // The export logs of the cases go into the run directory.
  m_logging.SetDirectory(m_strRunDir);
  const std::string exportConfigPath = m_strRunDir + "/" + "VornDbExportData.xml";
  std::error_code ec;
  m_bExportConfig = std::filesystem::exists(exportConfigPath, ec);
  if (m_bExportConfig) {
    // A refused site key is said before the model loads: what it enciphered cannot be read.
    if (const std::string refused = ModelCipherKeyRefusal(); !refused.empty()) Log(-1, refused);
    if (!m_pDbData->ReadDataFromXmlFile(exportConfigPath, false)) {
      Log(-1, "m_pDbData->ReadDataFromXmlFile failed");
      m_solverLibrary.DestroyPalvane(&m_hSolver);
      const std::string& file = m_pDbData->m_strReadErrorFile;
      if (file.empty() || file == exportConfigPath)
        FailStart("The export configuration " + exportConfigPath + " cannot be read: " + m_pDbData->m_strReadError);
      else
        FailStart("The model file " + file + " cannot be loaded: " + m_pDbData->m_strReadError);
      return;
    }
    // A model file that every case reads and that is damaged would fail each of them: it fails the start.
    if (const std::string damage = m_pDbData->FindDamagedModelInput(); !damage.empty()) {
      m_solverLibrary.DestroyPalvane(&m_hSolver);
      FailStart("The model's input cannot be read: " + damage);
      return;
    }
    // Every case starts from the settings as loaded.
    if (CVornModelFile* model = m_pDbData->m_pModel.get())
      model->m_baseSettings.m_list.CopyFrom(&model->m_settings.m_list, -1);
    // The job's identity names the run in the results database: a rerun is a run of its own.
    if (!m_strJobId.empty()) m_pDbData->SetJobIdentity(m_strJobId);
    const std::string refusal = SeveralHostsRefusal();
    if (!refusal.empty()) {
      m_solverLibrary.DestroyPalvane(&m_hSolver);
      FailStart(refusal);
      return;
    }
    m_strResultsDatabase = DescribeResultsDatabase();
    // Another program that holds the results file is waited out, until the user stops the run.
    CDaoLockWait wait;
    wait.stopRequested = [] { return g_bUserStop.load(); };
    wait.longWait = SayLongLockWait;
    wait.noticeSeconds = LockNoticeSeconds();
    CDaoDatabase::SetLockWait(wait);
  }

  std::thread socketThread;
  try {
    socketThread = std::thread(SlaveThreadProc, &params);
  } catch (const std::system_error& e) {
    LogMsg(-1, 142);
    m_solverLibrary.DestroyPalvane(&m_hSolver);
    FailStart(RunnerText(142) + ": " + e.what());
    return;
  }

  m_pCaseData = std::make_unique<CCaseData>();
  InitCaseData(*m_pCaseData);
  LogF(2, "Waiting for case execution requests. Initialization time %g seconds.", SecondsSince(start));

  // Whether rank zero may still send records this worker has to answer.
  bool answerLeft = false;
  Clock::time_point idleSince = Clock::now();
  while (!stop) {
    CCaseData& record = *m_pCaseData;
    MPI_Status status;
    const int rc = MPI_Recv(&record, 1, m_caseType, 0, MPI_ANY_TAG, MPI_COMM_WORLD, &status);
    if (rc != MPI_SUCCESS) {
      char text[MPI_MAX_ERROR_STRING] = {};
      int length = 0;
      MPI_Error_string(rc, text, &length);
      LogMsg(-1, 143, status.MPI_ERROR, text);
      stop = true;
      break;
    }
    TerminateStrevFileName(record);
    if (record.m_nCaseNumber == kStopCase) {
      LogMsg(2, 144, rank);
      stop = true;
      break;
    }
    if (g_bUserStop) {
      // The user stopped the run after this worker's last output: this case is not run.
      m_outcome = CCaseOutcome();
      record.m_nStatus = kUserStop;
      record.m_nCaseNumber = kUserStop;
      ReturnRecord(record);
      answerLeft = true;
      stop = true;
      break;
    }
    const int caseNumber = record.m_nCaseNumber;
    if (ILogging* exportLog = m_pDbData->GetLogging()) {
      // Each case's export lines go to that case's file.
      exportLog->Close();
      exportLog->SetFileName(MakeCaseFileName("DbExport", caseNumber, ".log"));
    }

    const Clock::time_point caseStart = Clock::now();
    LogF(2, "Starting execution of case %d. Idle time %g seconds.", caseNumber,
         std::chrono::duration<double>(caseStart - idleSince).count());
    RunCaseGuarded(record, rank, exportConfigPath);
    if (record.m_nStatus == kUserStop && record.m_nCaseNumber == kUserStop) {
      ReturnRecord(record);
      answerLeft = true;
      stop = true;
      break;
    }
    // A failed case costs only itself: its record goes back with its cause, and the worker takes the next
    // one. A case whose output is made goes back as done even when the user has stopped meanwhile; the stop
    // answers the next record.
    ReturnRecord(record);
    m_pSolveResult.reset();
    m_pReportBytes.reset();
    idleSince = Clock::now();
  }

  // Exit steps: the thread reads params from this frame, so wait for it first.
  stop = true;
  if (socketThread.joinable()) socketThread.join();
  m_pDbData->ReleaseModelData();
  LogMsg(2, 153, rank);
  m_solverLibrary.DestroyPalvane(&m_hSolver);
  {
    std::lock_guard<std::mutex> lock(m_csOutQueue);
    m_nUnsentMessages += m_aOutQueue.GetSize();
    m_aOutQueue.m_bOwnsElements = 1;
    m_aOutQueue.RemoveAll();
  }
  if (m_nUnsentMessages > 0)
    LogF(-1, "Processor %d: %d messages for VORN were not sent: the link to it had ended.", rank, m_nUnsentMessages);
  m_pCaseData.reset();
  m_pSolveResult.reset();
  m_pReportBytes.reset();
  LogMsg(2, 158);
  if (answerLeft) AnswerUntilStop(nullptr);
}
