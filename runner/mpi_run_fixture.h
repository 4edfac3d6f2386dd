#pragma once
// The fixture of the tests that run the job under mpiexec: a run directory
// per test, the job under a hard timeout, and readers of its logs.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <sqlite3.h>

#include "platform/testing/dead_port.h"
#include "runner/case_data.h"

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Occurrences of text in haystack.
inline int CountOf(const std::string& haystack, const std::string& text) {
  int n = 0;
  for (size_t at = haystack.find(text); at != std::string::npos; at = haystack.find(text, at + 1)) ++n;
  return n;
}

// Rank zero's account: the lines of its log from the last one that begins "Cases in the list:" to the end.
inline std::string AccountOf(const std::string& log) {
  const size_t at = log.rfind("Cases in the list:");
  if (at == std::string::npos) return "(no account in the log)\n";
  return log.substr(at);
}

// Lines of text that begin with prefix.
inline int CountLinesStartingWith(const std::string& text, const std::string& prefix) {
  int n = text.rfind(prefix, 0) == 0 ? 1 : 0;
  return n + CountOf(text, "\n" + prefix);
}

// Rows of a query, one line each, columns joined by "|".
inline std::string Query(const fs::path& database, const std::string& sql) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return "cannot open " + database.string();
  }
  std::string text;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    text = std::string("error: ") + sqlite3_errmsg(db);
  } else {
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
        const unsigned char* value = sqlite3_column_text(stmt, c);
        text += (c ? "|" : "") + std::string(value ? reinterpret_cast<const char*>(value) : "NULL");
      }
      text += "\n";
    }
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return text;
}

inline const std::string kMpiexec = "/usr/bin/mpiexec.mpich";

// The test console in the background, writing what it receives to a file. Its own timeout only bounds a
// hang: it is longer than any job's, so a slow run is heard to its end.
class ConsoleProcess {
 public:
  ConsoleProcess(const fs::path& dir, const std::vector<std::string>& flags) : dir_(dir) {
    const std::string bin = std::string(OSTREL_BINARY_DIR) + "/tools/test_console";
    std::vector<std::string> args = {bin, "--port-file", (dir / "port").string(), "--out",
                                     (dir / "console.txt").string(), "--timeout", "600"};
    args.insert(args.end(), flags.begin(), flags.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid_, bin.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    // Until it listens (it writes the port file then) or ends; at most two minutes, a bound on a hang.
    for (int i = 0; i < 12000 && pid_ > 0 && !fs::exists(dir / "port"); ++i) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) pid_ = -1;
      else ::usleep(10000);
    }
    std::ifstream(dir / "port") >> port_;
  }
  ~ConsoleProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      Wait();
    }
  }
  int Port() const { return port_; }
  // Waits for the console to end; its exit status.
  int Wait() {
    if (pid_ <= 0) return -1;
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Output() const { return ReadFile(dir_ / "console.txt"); }

 private:
  fs::path dir_;
  pid_t pid_ = -1;
  int port_ = 0;
};


class MpiRun : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / ("ostrel_mpi_" + std::to_string(::getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    if (!HasFailure()) fs::remove_all(dir_);
  }

  void CaseList(const std::string& text) { std::ofstream(dir_ / "cases.txt", std::ios::binary) << text; }
  void Outcomes(const std::string& text) { std::ofstream(dir_ / "SolverOutcomes.txt", std::ios::binary) << text; }
  // Log level 2 and the link to port (the fixture's dead port when none is given).
  std::string Link(int port = 0) const { return "2 0 127.0.0.1 " + std::to_string(port ? port : DeadPortNumber()); }
  // A port nobody listens on for the whole test: the link of a job that must reach no main application.
  int DeadPortNumber() const {
    EXPECT_GT(deadPort_.Port(), 0) << "no loopback port could be bound";
    return deadPort_.Port();
  }

  // Runs the job in the fixture's directory, its output to "out.txt" there; returns its exit status (124 when the
  // timeout struck).
  int Run(const std::string& program, int processes, const std::string& env = "", const std::string& args = "2",
          int timeoutSeconds = 60) {
    return RunJob(program, dir_, dir_ / "out.txt", processes, env, args, timeoutSeconds);
  }
  // Runs a job of program in runDir on the case list "cases.txt" there, under mpiexec with a hard timeout, its
  // output to outFile; returns its exit status (124 when the timeout struck).
  static int RunJob(const std::string& program, const fs::path& runDir, const fs::path& outFile, int processes,
                    const std::string& env, const std::string& args, int timeoutSeconds) {
    const std::string bin = std::string(OSTREL_BINARY_DIR) + "/runner/" + program;
    const std::string cmd = env + " timeout -k 5 " + std::to_string(timeoutSeconds) + " " + kMpiexec + " -n " +
                            std::to_string(processes) + " " + bin + " x " + runDir.string() + " cases.txt " + args +
                            " > " + outFile.string() + " 2>&1";
    const int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : 128 + WTERMSIG(rc);
  }

  std::string Log(int rank) const {
    return ReadFile(dir_ / (rank == 0 ? std::string("OstrelRankZero.log")
                                      : "OstrelRank" + std::to_string(rank) + ".log"));
  }

  // Case number -> how often a worker received it; stop tags per worker.
  struct Received {
    std::map<int, int> cases;
    std::vector<int> stopTags;
    std::map<int, int> nameLengths;
  };
  Received ReadReceived(int workers) const {
    Received r;
    for (int w = 1; w <= workers; ++w) {
      std::istringstream in(ReadFile(dir_ / ("received" + std::to_string(w) + ".txt")));
      int tag, c, ls, v4, v6;
      size_t len;
      std::string line;
      while (std::getline(in, line)) {
        std::istringstream fields(line);
        fields >> tag >> c >> ls >> v4 >> v6 >> len;
        if (c == kStopCase) r.stopTags.push_back(tag);
        else {
          ++r.cases[c];
          r.nameLengths[c] = static_cast<int>(len);
        }
      }
    }
    return r;
  }

  fs::path dir_;

 private:
  plat::testing::DeadPort deadPort_;
};

