#include "runner/slave_thread.h"

#include <arpa/inet.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/testing/dead_port.h"

namespace {

namespace fs = std::filesystem;

// A TCP listener on 127.0.0.1 at a free port, standing in for the main application.
class Listener {
 public:
  explicit Listener(int receiveBuffer = 0) {
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0) setsockopt(m_listen, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(m_listen, 4);
    socklen_t length = sizeof addr;
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &length);
    m_port = ntohs(addr.sin_port);
  }
  ~Listener() {
    CloseClient();
    CloseListener();
  }
  void Accept() { m_client = ::accept(m_listen, nullptr, nullptr); }
  void CloseClient() {
    if (m_client != -1) ::close(m_client);
    m_client = -1;
  }
  void CloseListener() {
    if (m_listen != -1) ::close(m_listen);
    m_listen = -1;
  }
  void SendByte() { Send("x"); }
  void Send(const std::string& bytes) {
    ASSERT_EQ(::send(m_client, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
  }
  // Waits until the peer's system has acknowledged everything sent, the end of the stream too after a
  // shutdown: the peer then reads it with its next recv, however late its thread runs. Bounded against a hang.
  void WaitDelivered() {
    for (int i = 0; i < 10000; ++i) {
      int unacknowledged = 0;
      ASSERT_EQ(::ioctl(m_client, SIOCOUTQ, &unacknowledged), 0);
      if (unacknowledged == 0) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    FAIL() << "the peer acknowledged nothing";
  }
  // Reads until the peer closes, optionally pausing between reads.
  std::string ReadToEof(std::chrono::microseconds pause = {}) {
    std::string all;
    char chunk[4096];
    for (;;) {
      const ssize_t n = ::recv(m_client, chunk, sizeof chunk, 0);
      if (n <= 0) break;
      all.append(chunk, static_cast<std::size_t>(n));
      if (pause.count() > 0) std::this_thread::sleep_for(pause);
    }
    return all;
  }
  std::uint16_t m_port = 0;
  int m_client = -1;

 private:
  int m_listen = -1;
};

class SlaveThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_bUserStop.store(false);
    m_dir = fs::temp_directory_path() / ("slave_thread_test_" + std::to_string(::getpid()));
    fs::create_directories(m_dir);
    m_params.m_nRank = 3;
    m_params.m_nLogLevel = 2;
    std::snprintf(m_params.m_szLogPath, sizeof m_params.m_szLogPath, "%s/RankThread3.log", m_dir.c_str());
    std::snprintf(m_params.m_szHost, sizeof m_params.m_szHost, "127.0.0.1");
    m_params.m_pbStop = &m_stop;
    m_params.m_pcsQueue = &m_lock;
    m_params.m_paQueue = &m_queue;
    m_params.m_pbLinkEnded = &m_linkEnded;
  }
  void TearDown() override {
    g_bUserStop.store(false);
    fs::remove_all(m_dir);
  }
  void Queue(const std::string& bytes) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_queue.Add(std::make_unique<CStrevDataBuffer>(bytes.data(), static_cast<int>(bytes.size())));
  }
  void Start(std::uint16_t port) {
    m_params.m_nPort = port;
    m_thread = std::thread([this] { SlaveThreadProc(&m_params); });
  }
  std::string Log() const {
    std::ifstream in(m_params.m_szLogPath);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path m_dir;
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_linkEnded{false};
  std::mutex m_lock;
  CStrevDataBufferArray m_queue;
  SlaveThreadParams m_params;
  std::thread m_thread;
};

TEST_F(SlaveThreadTest, SendsEverythingQueuedBeforeTheStopInOrder) {
  Listener listener;
  const std::string messages[] = {"first", std::string("se\0cond", 7), std::string(100000, 'z')};
  for (const auto& m : messages) Queue(m);
  m_stop.store(true);
  Start(listener.m_port);
  listener.Accept();
  const std::string received = listener.ReadToEof();
  m_thread.join();
  EXPECT_EQ(received, messages[0] + messages[1] + messages[2]);
  EXPECT_EQ(m_queue.GetSize(), 0);
  EXPECT_FALSE(g_bUserStop.load());
  EXPECT_NE(Log().find("Processor 3: Sent 100000 bytes to VORN."), std::string::npos);
}

TEST_F(SlaveThreadTest, MessageQueuedWhileIdleIsSentBeforeTheStop) {
  Listener listener;
  Start(listener.m_port);
  listener.Accept();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  Queue("late");
  m_stop.store(true);
  EXPECT_EQ(listener.ReadToEof(), "late");
  m_thread.join();
}

// The peer's stop signal, a byte or a close, is seen before the queued messages go out.
TEST_F(SlaveThreadTest, UserStopEndsTheThreadWithoutSending) {
  for (const bool closeInstead : {false, true}) {
    SCOPED_TRACE(closeInstead ? "peer closes" : "peer sends a byte");
    g_bUserStop.store(false);
    Listener listener;
    Queue("one");
    Queue("two");
    std::unique_lock<std::mutex> hold(m_lock);  // keeps the thread from its first take
    Start(listener.m_port);
    listener.Accept();
    if (closeInstead)
      ::shutdown(listener.m_client, SHUT_WR);
    else
      listener.SendByte();
    listener.WaitDelivered();
    if (closeInstead) listener.CloseClient();
    hold.unlock();
    m_thread.join();
    EXPECT_TRUE(g_bUserStop.load());
    // Nothing can be sent any more: the queue is dropped and the worker told so.
    EXPECT_EQ(m_queue.GetSize(), 0);
    EXPECT_TRUE(m_linkEnded.load());
    EXPECT_NE(Log().find("The link to VORN ended: 2 queued messages were dropped."), std::string::npos) << Log();
    if (!closeInstead) {
      EXPECT_EQ(listener.ReadToEof(), "");
    }
    m_linkEnded.store(false);
  }
}

// What the peer sends is logged escaped: it cannot forge a line or send a terminal control sequence.
TEST_F(SlaveThreadTest, BytesFromThePeerAreLoggedEscaped) {
  Listener listener;
  Start(listener.m_port);
  listener.Accept();
  listener.Send("stop\nExit status 0\r\n\x1b[2J\\x41\xff");
  m_thread.join();
  EXPECT_TRUE(g_bUserStop.load());
  const std::string log = Log();
  EXPECT_NE(log.find("Received: stop\\x0AExit status 0\\x0D\\x0A\\x1B[2J\\\\x41\\xFF\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("\nExit status 0"), std::string::npos) << log;
  EXPECT_EQ(log.find('\x1b'), std::string::npos) << log;
}

TEST_F(SlaveThreadTest, HostThatIsNotADottedAddressEndsTheLink) {
  std::snprintf(m_params.m_szHost, sizeof m_params.m_szHost, "localhost");
  Queue("kept");
  Start(1);
  m_thread.join();
  EXPECT_NE(Log().find("Failed to connect to VORN socket. Error:"), std::string::npos);
  EXPECT_EQ(m_queue.GetSize(), 0);
  EXPECT_TRUE(m_linkEnded.load());
  EXPECT_FALSE(g_bUserStop.load());
}

TEST_F(SlaveThreadTest, NoListenerEndsTheLink) {
  const plat::testing::DeadPort dead;
  ASSERT_GT(dead.Port(), 0);
  Start(static_cast<std::uint16_t>(dead.Port()));
  m_thread.join();
  EXPECT_NE(Log().find("Failed to connect to VORN socket. Error: 111."), std::string::npos);
}

// A main application that never accepts (its backlog full): the connect gives
// up after the send bound instead of the system's minutes of retries.
TEST_F(SlaveThreadTest, ListenerThatNeverAcceptsEndsTheLinkWithinTheBound) {
  const int listening = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(::listen(listening, 0), 0);
  socklen_t length = sizeof addr;
  ::getsockname(listening, reinterpret_cast<sockaddr*>(&addr), &length);
  const int filler = ::socket(AF_INET, SOCK_STREAM, 0);  // takes the one place in the backlog
  ASSERT_EQ(::connect(filler, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  Queue("never sent");
  m_params.m_nSendTimeoutMs = 300;
  Start(ntohs(addr.sin_port));
  m_thread.join();
  EXPECT_NE(Log().find("Failed to connect to VORN socket. Error: 110."), std::string::npos) << Log();
  // The bound ended the wait, not the system's own retries.
  EXPECT_NE(Log().find("VORN did not accept the connection within 300 ms."), std::string::npos) << Log();
  EXPECT_EQ(m_queue.GetSize(), 0);
  EXPECT_TRUE(m_linkEnded.load());
  ::close(filler);
  ::close(listening);
}

TEST_F(SlaveThreadTest, SlowReaderReceivesALargeMessageWhole) {
  Listener listener(4096);
  std::string big(4 * 1024 * 1024, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 131 % 251);
  Queue(big);
  Queue("tail");
  m_stop.store(true);
  Start(listener.m_port);
  listener.Accept();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // let the sender fill every buffer
  const std::string received = listener.ReadToEof(std::chrono::microseconds(50));
  m_thread.join();
  ASSERT_EQ(received.size(), big.size() + 4);
  EXPECT_TRUE(received == big + "tail");
}

TEST_F(SlaveThreadTest, PeerThatStopsReadingCanStillStopTheRun) {
  Listener listener(4096);
  Queue(std::string(16 * 1024 * 1024, 's'));
  Start(listener.m_port);
  listener.Accept();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the sender now waits for room
  listener.SendByte();
  m_thread.join();
  EXPECT_TRUE(g_bUserStop.load());
}

// A peer that accepts and never reads: the send gives up after the bound, the
// link ends as a failed one does and the queue is dropped, so the worker can exit.
TEST_F(SlaveThreadTest, PeerThatNeverReadsFailsTheLinkWithinTheBound) {
  Listener listener(4096);
  Queue(std::string(16 * 1024 * 1024, 'n'));
  Queue("never sent");
  m_stop.store(true);
  m_params.m_nSendTimeoutMs = 300;
  Start(listener.m_port);
  listener.Accept();
  m_thread.join();
  EXPECT_NE(Log().find("Error while sending data in SendAndReceiveData. Error: 110 NoOfBytes: 16777216"),
            std::string::npos)
      << Log();
  EXPECT_NE(Log().find("VORN took no data for 300 ms: the link to it ends."), std::string::npos) << Log();
  EXPECT_NE(Log().find("The link to VORN ended: 2 queued messages were dropped."), std::string::npos) << Log();
  EXPECT_EQ(m_queue.GetSize(), 0);
  EXPECT_TRUE(m_linkEnded.load());
  EXPECT_FALSE(g_bUserStop.load());
}

TEST_F(SlaveThreadTest, PeerClosingDuringASendIsAnErrorNotADeath) {
  Listener listener(4096);
  Queue(std::string(16 * 1024 * 1024, 'q'));
  m_stop.store(true);
  Start(listener.m_port);
  listener.Accept();
  char some[1024];
  ASSERT_GT(::recv(listener.m_client, some, sizeof some, 0), 0);
  listener.CloseClient();  // unread data: the sender sees a reset or a broken pipe
  listener.CloseListener();
  m_thread.join();
  EXPECT_NE(Log().find("Error while sending data in SendAndReceiveData."), std::string::npos) << Log();
}

}  // namespace
