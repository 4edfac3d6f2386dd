#include "platform/statement_kill_hook.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>

namespace plat {
namespace {

struct KillHook {
  bool armed = false;
  int caseNumber = 0;
  long killAt = 0;
  std::string countFile;
  bool counting = false;
  long count = 0;
  const void* lastRows = nullptr;

  KillHook() {
    const char* killCase = std::getenv("OSTREL_KILL_CASE");
    if (killCase == nullptr || *killCase == '\0') return;
    const char* rank = std::getenv("OSTREL_KILL_RANK");
    const char* own = std::getenv("PMI_RANK");
    if (rank != nullptr && *rank != '\0' && (own == nullptr || std::atoi(own) != std::atoi(rank))) return;
    armed = true;
    caseNumber = std::atoi(killCase);
    if (const char* at = std::getenv("OSTREL_KILL_AT")) killAt = std::atol(at);
    if (const char* file = std::getenv("OSTREL_KILL_COUNT_FILE")) countFile = file;
  }

  void Point() {
    if (!counting) return;
    if (++count == killAt) std::raise(SIGKILL);
  }
};

KillHook& Hook() {
  static KillHook hook;
  return hook;
}

}  // namespace

void BeginStatementCount(int caseNumber) {
  KillHook& hook = Hook();
  if (!hook.armed || hook.counting || caseNumber != hook.caseNumber) return;
  hook.counting = true;
  hook.count = 0;
  hook.lastRows = nullptr;
}

void CountStatement(const void* rows) {
  KillHook& hook = Hook();
  if (!hook.counting) return;
  if (rows != nullptr && rows == hook.lastRows) return;
  hook.lastRows = rows;
  hook.Point();
}

void EndStatementCount() {
  KillHook& hook = Hook();
  if (!hook.counting) return;
  hook.lastRows = nullptr;
  hook.Point();
  hook.counting = false;
  if (!hook.countFile.empty()) std::ofstream(hook.countFile, std::ios::trunc) << hook.count << "\n";
}

}  // namespace plat
