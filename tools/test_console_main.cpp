// The test console: plays the main application of a run. Listens on
// 127.0.0.1, accepts the workers' connections, splits each stream into
// status objects and prints one line per message; it can send the stop
// (one byte to every worker) after the first message or when a line is typed.
// A message prints as "worker W case C status S value V text T": S is the
// solution status in words ("Optimal", "Infeasible"), or "progress" for a
// message that carries no solve result; V is "none" when not set.
//
//   test_console [--port N] [--port-file F] [--out F] [--stop-after-first]
//                [--workers N] [--timeout S]
//
// --port 0 (the default) takes a free port; --port-file writes it there.
// --workers N ends the console once N workers have closed their connection;
// --timeout S ends it after S seconds in any case.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/text_encoding.h"
#include "runner/case_account.h"
#include "standins/nimbo_parallel_solve_data.h"

namespace {

constexpr int kProgressStatus = -999;
constexpr double kNotSetValue = 1e30;

struct Options {
  int port = 0;
  std::string portFile;
  std::string outFile;
  bool stopAfterFirst = false;
  int workers = 0;
  double timeout = 0;
};

struct Connection {
  int fd = -1;
  int index = 0;
  std::vector<std::uint8_t> pending;
  bool open = true;
};

class CConsole {
 public:
  explicit CConsole(const Options& options) : m_options(options) {
    if (!options.outFile.empty()) m_out.open(options.outFile, std::ios::binary | std::ios::trunc);
  }
  ~CConsole() {
    for (auto& c : m_connections)
      if (c->fd >= 0) ::close(c->fd);
    if (m_listener >= 0) ::close(m_listener);
  }

  bool Listen() {
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_listener < 0) return Fail("socket");
    const int yes = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(m_options.port));
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return Fail("bind");
    if (::listen(m_listener, 64) != 0) return Fail("listen");
    socklen_t length = sizeof addr;
    ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &length);
    const int port = ntohs(addr.sin_port);
    Print("listening on 127.0.0.1 port " + std::to_string(port));
    if (!m_options.portFile.empty()) {
      // Written whole under a temporary name, so a reader never sees half a number.
      const std::string temp = m_options.portFile + ".tmp";
      std::ofstream(temp) << port << '\n';
      std::rename(temp.c_str(), m_options.portFile.c_str());
    }
    return true;
  }

  int Run() {
    const auto start = std::chrono::steady_clock::now();
    bool stdinOpen = true;
    for (;;) {
      if (m_options.workers > 0 && m_closed >= m_options.workers) return 0;
      if (m_options.timeout > 0 &&
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() > m_options.timeout) {
        Print("timeout");
        return 3;
      }
      std::vector<pollfd> fds;
      fds.push_back({m_listener, POLLIN, 0});
      if (stdinOpen) fds.push_back({STDIN_FILENO, POLLIN, 0});
      std::vector<Connection*> polled;
      for (auto& c : m_connections)
        if (c->open) {
          fds.push_back({c->fd, POLLIN, 0});
          polled.push_back(c.get());
        }
      if (::poll(fds.data(), fds.size(), 100) < 0 && errno != EINTR) return Fail("poll") ? 0 : 1;
      size_t at = 0;
      if (fds[at++].revents & POLLIN) Accept();
      if (stdinOpen) {
        if (fds[at].revents & (POLLIN | POLLHUP)) {
          char line[256];
          const ssize_t n = ::read(STDIN_FILENO, line, sizeof line);
          if (n <= 0) stdinOpen = false;
          else SendStop("key");
        }
        ++at;
      }
      for (Connection* c : polled) {
        if (fds[at++].revents & (POLLIN | POLLHUP | POLLERR)) Receive(*c);
      }
    }
  }

 private:
  bool Fail(const char* what) {
    std::fprintf(stderr, "test_console: %s failed: %s\n", what, std::strerror(errno));
    return false;
  }

  void Print(const std::string& line) {
    std::cout << line << std::endl;
    if (m_out.is_open()) m_out << line << '\n' << std::flush;
  }

  void Accept() {
    const int fd = ::accept(m_listener, nullptr, nullptr);
    if (fd < 0) return;
    auto c = std::make_unique<Connection>();
    c->fd = fd;
    c->index = static_cast<int>(m_connections.size()) + 1;
    Print("worker " + std::to_string(c->index) + " connected");
    m_connections.push_back(std::move(c));
    if (m_stopSent) SendByte(*m_connections.back());
  }

  void SendByte(Connection& c) {
    const char stop = 'S';
    if (::send(c.fd, &stop, 1, MSG_NOSIGNAL) != 1) Print("worker " + std::to_string(c.index) + " stop not sent");
  }

  void SendStop(const char* why) {
    if (m_stopSent) return;
    m_stopSent = true;
    Print(std::string("stop sent (") + why + ")");
    for (auto& c : m_connections)
      if (c->open) SendByte(*c);
  }

  void Receive(Connection& c) {
    std::uint8_t buffer[65536];
    const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
    if (n > 0) {
      c.pending.insert(c.pending.end(), buffer, buffer + n);
      Split(c);
      return;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (!c.pending.empty())
      Print("worker " + std::to_string(c.index) + " incomplete message of " + std::to_string(c.pending.size()) +
            " bytes");
    Print("worker " + std::to_string(c.index) + " EOF");
    c.open = false;
    ::close(c.fd);
    c.fd = -1;
    ++m_closed;
  }

  void Split(Connection& c) {
    size_t used = 0;
    while (used < c.pending.size()) {
      const std::int64_t length = CNimboParallelSolveData::MessageLength(c.pending.data() + used, c.pending.size() - used);
      if (length < 0) {
        Print("worker " + std::to_string(c.index) + " sent bytes that are not a status object; dropped " +
              std::to_string(c.pending.size() - used));
        used = c.pending.size();
        break;
      }
      if (length == 0 || static_cast<size_t>(length) > c.pending.size() - used) break;
      CNimboParallelSolveData data;
      if (!data.SetObjectFromBYTEArray(c.pending.data() + used, static_cast<int>(length))) {
        Print("worker " + std::to_string(c.index) + " sent a damaged status object");
      } else {
        std::string text;
        for (const std::string& m : data.GetMessages()) text += (text.empty() ? "" : " | ") + m;
        // Progress messages carry no solve result: status -999 and the not-set value.
        const bool progress = data.GetSolveStatus() == kProgressStatus;
        char value[64] = "none";
        if (data.GetObjectiveValue() < kNotSetValue) std::snprintf(value, sizeof value, "%g", data.GetObjectiveValue());
        const std::string status = progress ? "progress" : SolveStatusWord(data.GetSolveStatus());
        Print("worker " + std::to_string(c.index) + " case " + std::to_string(data.GetCaseNumber()) + " status " +
              status + " value " + value + " text " + plat::Cp1252ToUtf8(text));
        if (m_options.stopAfterFirst) SendStop("first message");
      }
      used += static_cast<size_t>(length);
    }
    c.pending.erase(c.pending.begin(), c.pending.begin() + static_cast<std::ptrdiff_t>(used));
  }

  Options m_options;
  std::ofstream m_out;
  int m_listener = -1;
  std::vector<std::unique_ptr<Connection>> m_connections;
  int m_closed = 0;
  bool m_stopSent = false;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "test_console: %s needs a value\n", arg.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--port") options.port = std::atoi(value().c_str());
    else if (arg == "--port-file") options.portFile = value();
    else if (arg == "--out") options.outFile = value();
    else if (arg == "--stop-after-first") options.stopAfterFirst = true;
    else if (arg == "--workers") options.workers = std::atoi(value().c_str());
    else if (arg == "--timeout") options.timeout = std::atof(value().c_str());
    else {
      std::fprintf(stderr,
                   "usage: test_console [--port N] [--port-file F] [--out F] [--stop-after-first] [--workers N] "
                   "[--timeout S]\n");
      return 2;
    }
  }
  CConsole console(options);
  if (!console.Listen()) return 1;
  return console.Run();
}
