#pragma once
// The worker's status link to the main application: a socket thread that
// connects as a TCP client, sends the queued messages in queue order as one
// plain byte stream, and treats any byte received, or the peer closing the
// connection, as the user's request to stop the run.

#include <netinet/in.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <mutex>

#include "foundation/ptr_array.h"
#include "platform/object.h"
#include "platform/out_file_stream.h"
#include "runner/strev_data_buffer.h"

using CStrevDataBufferArray = CAutoDestructArray<CPtrArray, CStrevDataBuffer*>;

// The process's user-stop byte: written by the socket thread only, read by
// the worker loop, the case output and the case solver's callback.
extern std::atomic<bool> g_bUserStop;

// The bound of a send that makes no progress, unless the registry value "SendTimeout" (seconds) says otherwise.
inline constexpr int kDefaultSendTimeoutMs = 30000;

// Built by the worker in its own frame; the thread reads it for its whole life,
// so the worker joins the thread before leaving that frame.
struct SlaveThreadParams {
  int m_nRank = 0;
  int m_nLogLevel = 0;
  char m_szLogPath[500] = {};
  char m_szHost[100] = {};
  std::uint16_t m_nPort = 0;
  std::atomic<bool>* m_pbStop = nullptr;        // the worker loop's stop flag
  std::mutex* m_pcsQueue = nullptr;             // guards *m_paQueue
  CStrevDataBufferArray* m_paQueue = nullptr;   // the worker's outgoing queue
  // Set under *m_pcsQueue when the thread ends: from then on nothing queued can be sent.
  std::atomic<bool>* m_pbLinkEnded = nullptr;
  // How long a send may wait for the main application to take a byte before the link fails.
  int m_nSendTimeoutMs = kDefaultSendTimeoutMs;
  // When the link cannot be made, also say so in one line on standard output.
  bool m_bSayConnectFailure = false;
};

// The thread's entry point. Sends everything queued before it honours the
// worker's stop flag; ends at once on a user stop, when the link cannot be
// made or when it fails. Whatever is still queued when it ends is dropped
// with one log line, and the link-ended flag is set. Returns 0.
unsigned int SlaveThreadProc(SlaveThreadParams* pParams);

class CSlaveThread : public CObject {
 public:
  explicit CSlaveThread(const SlaveThreadParams& params);
  ~CSlaveThread() override;

  CSlaveThread(const CSlaveThread&) = delete;
  CSlaveThread& operator=(const CSlaveThread&) = delete;

  // True when connected to a dotted IPv4 host in non-blocking mode; a
  // connect not made within the send timeout fails (message 162).
  bool Connect();

  // One poll of the connection and, when data is not null, one whole message
  // sent. False after a receive error or a closed connection. A received byte
  // or a closed connection sets the user-stop byte and nothing is sent. A
  // send that sees no byte taken for the send timeout fails the link
  // (m_bConnected false, message 164).
  bool SendAndReceiveData(int size, const std::uint8_t* data);

  // A leveled line in the thread's own log (level -1 is always written).
  void ThreadLog(int level, const char* text);

  void Close();

  bool m_bConnected = false;
  int m_nConnectError = 0;  // why the last connect failed (an errno value)

 private:
  bool OpenSocket();
  bool Reconnect();
  // Reads what the peer sent: 1 bytes came (user stop), 0 closed (user stop),
  // -1 nothing or an error (errno tells which).
  int ReceiveStop();

  bool m_bLogOpened = false;
  int m_nRank = 0;
  plat::OutFileStream m_log;  // not opened through a symbolic link at its name
  int m_nLogLevel = 0;
  char m_szHost[100] = {};
  char m_szLogPath[500] = {};
  std::uint16_t m_nPort = 0;
  int m_nSendTimeoutMs = kDefaultSendTimeoutMs;
  int m_socket = -1;
  sockaddr_in m_serverAddr = {};
};
