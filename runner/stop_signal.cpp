#include "runner/stop_signal.h"

#include <atomic>
#include <csignal>

#include "runner/slave_thread.h"

namespace {

std::atomic<int> g_nStopSignal{0};
std::atomic<bool> g_bStopIsUserStop{false};

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the signal handler may only touch lock-free atomics");

extern "C" void OnStopSignal(int signal) {
  int none = 0;
  g_nStopSignal.compare_exchange_strong(none, signal);
  if (g_bStopIsUserStop.load()) g_bUserStop.store(true);
}

}  // namespace

void InstallStopSignalHandlers(bool worker) {
  g_bStopIsUserStop.store(worker);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaction(signal, &action, nullptr);
}

int StopSignal() { return g_nStopSignal.load(); }
