#pragma once
// The role object of one process of the MPI job: the log file with its level
// filter, the run directory and the case record's MPI datatype. Rank zero and
// the workers derive their roles from it.

#include <mpi.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/object.h"
#include "platform/out_file_stream.h"

class COstrelApp : public CObject {
 public:
  COstrelApp() = default;
  ~COstrelApp() override;

  COstrelApp(const COstrelApp&) = delete;
  COstrelApp& operator=(const COstrelApp&) = delete;

  // Keeps argument 1 and the run directory and names the log file
  // runDir + "/" + logName; the file is created at the first logged line.
  virtual void Init(const std::string& arg1, const std::string& runDir, const std::string& logName);
  virtual void CloseLog();
  // A level outside 0 to 3 is stored as 0.
  virtual void SetLogLevel(int level);
  // Writes text and a line feed when level is -1 or at most the log level.
  // Safe from any thread (the case solver logs through a callback).
  virtual void Log(int level, std::string_view text);
  virtual void SetStop() { m_bStop = true; }
  virtual bool IsStopped() const { return m_bStop; }
  virtual const char* GetLogLevelName() const;
  virtual bool CreateMpiMessageType();

  // Log with printf formatting of a literal, or of a runner message id.
  void LogF(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void LogMsg(int level, unsigned int id, ...);
  // True when a line at this level would be written.
  bool WouldLog(int level) const { return level == -1 || level <= m_nLogLevel; }

  int m_nRank = -1;
  MPI_Datatype m_caseType = MPI_DATATYPE_NULL;
  int m_nLogLevel = 0;
  int m_nArg5 = 0;
  bool m_bLogOpened = false;
  plat::OutFileStream m_log;
  std::string m_szLogFile;
  std::string m_strArg1;
  std::string m_strRunDir;
  std::atomic<bool> m_bStop{false};
  // The job this process belongs to (job_start.h): its identity and the distinct hosts of its ranks.
  std::string m_strJobId;
  std::vector<std::string> m_aJobHosts;

 private:
  // Opens the log (see Init), never through a symbolic link at its name, and holds it under a lock for
  // this process.
  void OpenLogFile();

  std::mutex m_logMutex;
};

// "LOW", "MEDIUM", "HIGH" for 1 to 3, "NONE" otherwise.
const char* LogLevelName(int level);
