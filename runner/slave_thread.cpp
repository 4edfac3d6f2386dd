#include "runner/slave_thread.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <locale>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/string_table.h"
#include "platform/text_encoding.h"

std::atomic<bool> g_bUserStop{false};

namespace {

const plat::StringTableRegistrar kSlaveThreadStrings(
    plat::StringTable::Program,
    {
        {159, "Could not open Windows connection. Error: %d."},
        {160, "Could not create socket. Error: %d."},
        {161, "ioctlsocket() failed with error %d"},
        {162, "Failed to connect to VORN socket. Error: %d."},
        {163, "Receive failed with error %d"},
        {164, "Error while sending data in SendAndReceiveData. Error: %d NoOfBytes: %d"},
        {165, "Processor %d: Sent %d bytes to VORN."},
    });

constexpr int kReceiveBufferSize = 524288;
constexpr int kLogLineSize = 500;
constexpr int kMaxSendFailures = 5;
constexpr auto kIdleWait = std::chrono::milliseconds(10);
constexpr int kSendRetryMs = 20;

// Fills the "%d" insertions of a message text in order; the text may come
// from a language file, so it is never used as a printf format.
std::string FormatMessage(std::uint32_t id, std::initializer_list<long long> values) {
  const std::string text = plat::GetString(plat::StringTable::Program, id);
  std::string out;
  auto next = values.begin();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size()) {
      if (text[i + 1] == 'd' && next != values.end()) {
        out += std::to_string(*next++);
        ++i;
        continue;
      }
      if (text[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out.size() < kLogLineSize ? out : out.substr(0, kLogLineSize - 1);
}

bool SetNonBlocking(int socket) {
  const int flags = fcntl(socket, F_GETFL, 0);
  return flags != -1 && fcntl(socket, F_SETFL, flags | O_NONBLOCK) != -1;
}

// Waits up to the retry interval for room in the send buffer; true when the
// peer has sent something (or closed) meanwhile.
bool WaitWritable(int socket) {
  pollfd pfd{socket, POLLOUT | POLLIN, 0};
  return poll(&pfd, 1, kSendRetryMs) > 0 && (pfd.revents & (POLLIN | POLLHUP)) != 0;
}

// Waits for a non-blocking connect to finish, at most timeoutMs; its error,
// 0 when connected, ETIMEDOUT (and boundPassed set) when the bound passed first.
int WaitConnected(int socket, int timeoutMs, bool& boundPassed) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    pollfd pfd{socket, POLLOUT, 0};
    const int ready = left > 0 ? poll(&pfd, 1, static_cast<int>(left)) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return errno;
    if (ready == 0) {
      boundPassed = true;
      return ETIMEDOUT;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
    return error;
  }
}

template <std::size_t N>
void CopyText(char (&dest)[N], const char* source) {
  const std::size_t length = strnlen(source, N - 1);
  std::memcpy(dest, source, length);
  dest[length] = '\0';
}

}  // namespace

CSlaveThread::CSlaveThread(const SlaveThreadParams& params)
    : m_nRank(params.m_nRank),
      m_nLogLevel(params.m_nLogLevel),
      m_nPort(params.m_nPort),
      m_nSendTimeoutMs(params.m_nSendTimeoutMs > 0 ? params.m_nSendTimeoutMs : kDefaultSendTimeoutMs) {
  CopyText(m_szHost, params.m_szHost);
  CopyText(m_szLogPath, params.m_szLogPath);
  m_serverAddr.sin_family = AF_INET;
  m_serverAddr.sin_port = htons(m_nPort);
}

CSlaveThread::~CSlaveThread() { Close(); }

void CSlaveThread::Close() {
  if (m_socket != -1) {
    ::close(m_socket);
    m_socket = -1;
  }
  m_bConnected = false;
  if (m_log.is_open()) m_log.close();
}

void CSlaveThread::ThreadLog(int level, const char* text) {
  if (level != -1 && level > m_nLogLevel) return;
  try {
    if (!m_bLogOpened) {
      m_bLogOpened = true;
      if (!m_log.is_open()) {
        m_log.open(m_szLogPath, std::ios::trunc);
        m_log.imbue(std::locale::classic());
      }
    }
    if (m_log) {
      m_log << text << '\n';
      m_log.flush();
    }
  } catch (const std::exception& e) {
    std::cout << plat::GetString(plat::StringTable::Program, 178) << ' ' << e.what() << '\n'
              << plat::GetString(plat::StringTable::Program, 179) << ' ' << m_szLogPath
              << " szMessage: " << text << std::endl;
  } catch (...) {
    std::cout << plat::GetString(plat::StringTable::Program, 178) << " Unknown exception\n"
              << plat::GetString(plat::StringTable::Program, 179) << ' ' << m_szLogPath
              << " szMessage: " << text << std::endl;
  }
}

bool CSlaveThread::OpenSocket() {
  m_socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (m_socket == -1) {
    ThreadLog(-1, FormatMessage(160, {errno}).c_str());
    return false;
  }
  // Non-blocking before the connect: a main application that never accepts
  // holds the connect no longer than the send bound, not for the system's
  // minutes of retries.
  if (!SetNonBlocking(m_socket)) {
    ThreadLog(-1, FormatMessage(161, {errno}).c_str());
    return false;
  }
  if (::connect(m_socket, reinterpret_cast<const sockaddr*>(&m_serverAddr), sizeof m_serverAddr) != 0) {
    bool boundPassed = false;
    const int error = errno == EINPROGRESS ? WaitConnected(m_socket, m_nSendTimeoutMs, boundPassed) : errno;
    if (error != 0) {
      m_nConnectError = error;
      ThreadLog(-1, FormatMessage(162, {error}).c_str());
      if (boundPassed)
        ThreadLog(-1, ("VORN did not accept the connection within " + std::to_string(m_nSendTimeoutMs) + " ms.").c_str());
      return false;
    }
  }
  m_bConnected = true;
  return true;
}

bool CSlaveThread::Connect() {
  // A dotted IPv4 address only: the host is never looked up by name.
  if (inet_aton(m_szHost, &m_serverAddr.sin_addr) == 0) {
    m_nConnectError = EINVAL;
    ThreadLog(-1, FormatMessage(162, {EINVAL}).c_str());
    return false;
  }
  return OpenSocket();
}

// A reset socket cannot be connected again on POSIX: a fresh one is opened.
bool CSlaveThread::Reconnect() {
  if (m_socket != -1) ::close(m_socket);
  m_socket = -1;
  m_bConnected = false;
  return OpenSocket();
}

int CSlaveThread::ReceiveStop() {
  static thread_local std::vector<char> received(kReceiveBufferSize);
  const ssize_t count = ::recv(m_socket, received.data(), received.size(), 0);
  if (count > 0) {
    // The peer's bytes are shown escaped: raw, they could forge log lines or drive a terminal.
    std::string line = "Received: ";
    line += plat::EscapeNonPrintable(
        std::string_view(received.data(), std::min<std::size_t>(static_cast<std::size_t>(count), kLogLineSize)));
    if (line.size() >= kLogLineSize) line.resize(kLogLineSize - 1);
    ThreadLog(2, line.c_str());
    g_bUserStop.store(true);
    return 1;
  }
  if (count == 0) {
    g_bUserStop.store(true);
    return 0;
  }
  return -1;
}

bool CSlaveThread::SendAndReceiveData(int size, const std::uint8_t* data) {
  const int stop = ReceiveStop();
  if (stop >= 0) return stop == 1;
  if (errno == ECONNRESET) {
    ThreadLog(-1, "Retrying connection...");
    if (!Reconnect()) return false;
  } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
    ThreadLog(-1, FormatMessage(163, {errno}).c_str());
    return false;
  }

  if (data == nullptr || size <= 0) return true;

  // The stream has no framing: a message goes out whole or the reader loses its place.
  std::size_t sent = 0;
  const auto total = static_cast<std::size_t>(size);
  int failures = 0;
  const auto bound = std::chrono::milliseconds(m_nSendTimeoutMs);
  auto lastProgress = std::chrono::steady_clock::now();
  while (sent < total) {
    const ssize_t n = ::send(m_socket, data + sent, total - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      lastProgress = std::chrono::steady_clock::now();
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      // A peer that takes nothing for the whole bound is gone as far as this run is concerned.
      if (std::chrono::steady_clock::now() - lastProgress >= bound) {
        ThreadLog(-1, FormatMessage(164, {ETIMEDOUT, size}).c_str());
        ThreadLog(-1, ("VORN took no data for " + std::to_string(m_nSendTimeoutMs) + " ms: the link to it ends.").c_str());
        ::close(m_socket);
        m_socket = -1;
        m_bConnected = false;
        return false;
      }
      // A peer that stops reading can still ask to stop; the rest of the message is then dropped.
      if (WaitWritable(m_socket)) {
        const int stop = ReceiveStop();
        if (stop >= 0) return stop == 1;
      }
      continue;
    }
    const int error = n < 0 ? errno : 0;
    ThreadLog(-1, FormatMessage(164, {error, size}).c_str());
    if (++failures >= kMaxSendFailures) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(kSendRetryMs));
  }
  ThreadLog(1, FormatMessage(165, {m_nRank, size}).c_str());
  return true;
}

namespace {

// Nothing queued can be sent any more: drop it with one line and tell the worker to queue no more.
void EndLink(CSlaveThread& link, const SlaveThreadParams& params) {
  int dropped = 0;
  {
    std::lock_guard<std::mutex> lock(*params.m_pcsQueue);
    CStrevDataBufferArray& queue = *params.m_paQueue;
    dropped = queue.GetSize();
    queue.m_bOwnsElements = 1;
    queue.RemoveAll();
    if (params.m_pbLinkEnded) params.m_pbLinkEnded->store(true);
  }
  if (dropped > 0)
    link.ThreadLog(-1, ("The link to VORN ended: " + std::to_string(dropped) + " queued messages were dropped.").c_str());
  link.Close();
}

}  // namespace

unsigned int SlaveThreadProc(SlaveThreadParams* pParams) {
  auto link = std::make_unique<CSlaveThread>(*pParams);
  if (!link->Connect()) {
    if (pParams->m_bSayConnectFailure && link->m_nConnectError != 0) {
      std::printf("No desktop application answers at %s port %u (%s): the run goes on without sending it progress.\n",
                  pParams->m_szHost, static_cast<unsigned>(pParams->m_nPort), std::strerror(link->m_nConnectError));
      std::fflush(stdout);
    }
    EndLink(*link, *pParams);
    return 0;
  }

  CStrevDataBufferArray& queue = *pParams->m_paQueue;
  while (!g_bUserStop.load()) {
    const CStrevDataBuffer* buffer = nullptr;
    {
      std::lock_guard<std::mutex> lock(*pParams->m_pcsQueue);
      if (queue.GetSize() > 0) buffer = queue.GetAt(0);
    }
    if (buffer != nullptr) {
      link->SendAndReceiveData(buffer->m_nSize, buffer->m_pData.get());
    } else {
      link->SendAndReceiveData(0, nullptr);
    }
    if (g_bUserStop.load()) break;
    // A failed reconnect or send ends the link.
    if (!link->m_bConnected) break;

    // Read the stop flag before looking at the queue, so a message queued
    // just before the stop is still sent.
    const bool stop = pParams->m_pbStop->load();
    bool empty;
    std::unique_ptr<CStrevDataBuffer> done;
    {
      std::lock_guard<std::mutex> lock(*pParams->m_pcsQueue);
      // Only this thread removes from the queue, so its head is still the buffer just handled.
      if (buffer != nullptr) {
        if (queue.m_bOwnsElements) {
          done = queue.DetachAt(0);
        } else {
          done.reset(queue.GetAt(0));
          queue.RemoveAt(0);
        }
      }
      empty = queue.GetSize() == 0;
    }
    done.reset();  // freed outside the lock
    if (!empty) continue;
    if (stop) break;
    std::this_thread::sleep_for(kIdleWait);
  }
  EndLink(*link, *pParams);
  return 0;
}
