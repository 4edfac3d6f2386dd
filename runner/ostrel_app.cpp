#include "runner/ostrel_app.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <exception>
#include <locale>

#include "foundation/string_utils.h"
#include "platform/out_file_stream.h"
#include "runner/case_data.h"
#include "runner/runner_messages.h"

COstrelApp::~COstrelApp() { CloseLog(); }

void COstrelApp::Init(const std::string& arg1, const std::string& runDir, const std::string& logName) {
  std::lock_guard<std::mutex> lock(m_logMutex);
  m_bLogOpened = false;
  m_strArg1 = arg1;
  m_strRunDir = runDir;
  m_szLogFile = runDir + "/" + logName;
}

void COstrelApp::CloseLog() {
  std::lock_guard<std::mutex> lock(m_logMutex);
  if (m_log.is_open()) m_log.close();
}

void COstrelApp::OpenLogFile() {
  // The log is held under a lock while this process writes it, so a second job started in the same run
  // directory cannot wipe it: a process that finds its log held writes a log of its own, named with its
  // process id, and says so on standard output and in that log. A symbolic link planted at the log's name
  // is not followed: nothing else is truncated or written through it.
  std::string notice;
  int fd = plat::OpenRegularFileForWriting(m_szLogFile, O_RDWR);
  if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    ::close(fd);
    const std::size_t dot = m_szLogFile.rfind('.');
    const std::string held = m_szLogFile;
    const std::string pid = "-" + std::to_string(::getpid());
    m_szLogFile = dot == std::string::npos ? held + pid : held.substr(0, dot) + pid + held.substr(dot);
    notice = held + " is written by another job in this run directory; this process logs to " + m_szLogFile;
    std::printf("%s\n", notice.c_str());
    std::fflush(stdout);
    fd = plat::OpenRegularFileForWriting(m_szLogFile, O_RDWR);
    if (fd >= 0) ::flock(fd, LOCK_EX | LOCK_NB);
  }
  // Emptied only once this process holds it.
  if (fd >= 0 && ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    fd = -1;
  }
  m_log.attach(fd);
  m_log.imbue(std::locale::classic());
  if (m_log && !notice.empty()) m_log << notice << '\n';
}

void COstrelApp::SetLogLevel(int level) { m_nLogLevel = (level >= 0 && level <= 3) ? level : 0; }

const char* LogLevelName(int level) {
  switch (level) {
    case 1: return "LOW";
    case 2: return "MEDIUM";
    case 3: return "HIGH";
    default: return "NONE";
  }
}

const char* COstrelApp::GetLogLevelName() const { return LogLevelName(m_nLogLevel); }

void COstrelApp::Log(int level, std::string_view text) {
  if (!WouldLog(level)) return;
  std::lock_guard<std::mutex> lock(m_logMutex);
  try {
    if (!m_bLogOpened) {
      if (!m_log.is_open()) OpenLogFile();
      m_bLogOpened = true;
    }
    if (!m_log) return;  // a log that could not be created stays silent
    // Lines quote input: what prints nothing is escaped, the line ends kept.
    std::string line;
    for (std::size_t start = 0; start <= text.size();) {
      const std::size_t end = std::min(text.find('\n', start), text.size());
      line += EscapeNonPrintable(text.substr(start, end - start));
      if (end < text.size()) line += '\n';
      start = end + 1;
    }
    m_log.write(line.data(), static_cast<std::streamsize>(line.size()));
    m_log.put('\n');
    m_log.flush();
  } catch (const std::exception& e) {
    std::printf("%s %s\n%s %s szMessage: %.*s\n", RunnerText(178).c_str(), e.what(), RunnerText(179).c_str(),
                m_szLogFile.c_str(), static_cast<int>(text.size()), text.data());
  } catch (...) {
    std::printf("%s Unknown exception\n%s %s szMessage: %.*s\n", RunnerText(178).c_str(), RunnerText(179).c_str(),
                m_szLogFile.c_str(), static_cast<int>(text.size()), text.data());
  }
}

void COstrelApp::LogF(int level, const char* format, ...) {
  if (!WouldLog(level)) return;
  va_list args;
  va_start(args, format);
  const std::string line = FormatTextV(format, args);
  va_end(args);
  Log(level, line);
}

void COstrelApp::LogMsg(int level, unsigned int id, ...) {
  if (!WouldLog(level)) return;
  va_list args;
  va_start(args, id);
  const std::string line = FormatRunnerTextV(id, args);
  va_end(args);
  Log(level, line);
}

bool COstrelApp::CreateMpiMessageType() {
  m_caseType = CreateCaseDataType();
  return true;
}
