#pragma once
// Test support, header-only: a loopback TCP port that nobody can listen on
// while the object lives. A socket is bound to it and never listens, so a
// connection to it is refused (ECONNREFUSED); and it is bound without
// SO_REUSEADDR, so no other socket can bind the port meanwhile, not even a
// listener that sets that option. A port taken from the system and released
// at once could be listened on by another test running at the same time.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace plat::testing {

class DeadPort {
 public:
  DeadPort() {
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&addr), &length) == 0)
      m_port = ntohs(addr.sin_port);
  }
  ~DeadPort() {
    if (m_fd >= 0) ::close(m_fd);
  }
  DeadPort(const DeadPort&) = delete;
  DeadPort& operator=(const DeadPort&) = delete;
  // 0 when no port could be bound.
  int Port() const { return m_port; }

 private:
  int m_fd = -1;
  int m_port = 0;
};

}  // namespace plat::testing
