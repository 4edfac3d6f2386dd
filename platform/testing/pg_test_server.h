#pragma once
// Test support, header-only: a private PostgreSQL server for one test run.
// It is initialised in a temporary directory (initdb, trust authentication,
// UTF-8), started with pg_ctl on a free loopback port (on another one when
// something else took that port before the server bound it) and stopped and
// removed when the object goes. Run as root, the server commands run as the
// "postgres" user. The tests' server does not sync its writes to the disk; a
// benchmark's may (durable). When the PostgreSQL programs are missing or the
// server does not start, Ok() is false and Reason() says why, so a test can skip:
//
//   static plat::testing::PgTestServer& server = plat::testing::PgTestServer::Shared();
//   if (!server.Ok()) GTEST_SKIP() << server.Reason();

#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/testing/odbc_test_env.h"

namespace plat::testing {

class PgTestServer {
 public:
  explicit PgTestServer(bool durable = false) : m_durable(durable) { Start(); }
  ~PgTestServer() { Stop(); }
  PgTestServer(const PgTestServer&) = delete;
  PgTestServer& operator=(const PgTestServer&) = delete;

  // One server for the whole test binary, stopped at exit.
  static PgTestServer& Shared() {
    static PgTestServer server;
    return server;
  }

  bool Ok() const { return m_ok; }
  const std::string& Reason() const { return m_reason; }
  int Port() const { return m_port; }
  // The server's log (one line per statement error, "ERROR:  ...").
  std::string LogPath() const { return m_root + "/server.log"; }

  // Stops the server (its connections end, their open transactions are rolled back) and starts it again on
  // the same port and data; for tests of a server that goes away during a run. True on success.
  bool Halt() const {
    return m_ok && RunAsOwner(Quote(m_bin + "/pg_ctl") + " -D " + Quote(m_root + "/data") +
                              " -m fast -w -t 60 stop >/dev/null 2>&1");
  }
  bool Resume() const { return m_ok && StartServer(); }

  // A DSN-less ODBC connection string through the driver registered under
  // driverName (ScopedOdbcIni's "PostgreSQL").
  std::string OdbcConnectionString(const std::string& database = "postgres",
                                   const std::string& driverName = "PostgreSQL") const {
    return "Driver=" + driverName + ";Server=127.0.0.1;Port=" + std::to_string(m_port) + ";Database=" + database +
           ";UID=postgres;PWD=";
  }

  // Runs SQL through psql as the server's superuser; true on success.
  bool Psql(const std::string& sql, const std::string& database = "postgres") const {
    if (!m_ok) return false;
    std::string file = m_root + "/script.sql";
    {
      std::ofstream out(file);
      out << sql;
    }
    MakeOwned(file);
    std::string cmd = Quote(m_bin + "/psql") + " -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p " + std::to_string(m_port) +
                      " -U postgres -d " + Quote(database) + " -f " + Quote(file) + " >" + Quote(m_root + "/psql.log") +
                      " 2>&1";
    return RunAsOwner(cmd);
  }

 private:
  static std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
      if (c == '\'')
        out += "'\\''";
      else
        out += c;
    }
    return out + "'";
  }

  static std::string FindBinDir() {
    std::vector<std::filesystem::path> candidates;
    std::error_code ec;
    if (std::filesystem::exists("/usr/lib/postgresql", ec)) {
      for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", ec))
        candidates.push_back(entry.path() / "bin");
    }
    std::sort(candidates.rbegin(), candidates.rend());  // newest version first
    candidates.push_back("/usr/local/bin");
    candidates.push_back("/usr/bin");
    for (const auto& dir : candidates) {
      if (std::filesystem::exists(dir / "initdb", ec) && std::filesystem::exists(dir / "pg_ctl", ec) &&
          std::filesystem::exists(dir / "psql", ec))
        return std::filesystem::canonical(dir, ec).string();
      if (std::filesystem::exists(dir / "initdb", ec) && std::filesystem::exists(dir / "pg_ctl", ec) &&
          std::filesystem::exists("/usr/bin/psql", ec))
        return std::filesystem::canonical(dir, ec).string();
    }
    return {};
  }

  static int FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    int port = 0;
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
      port = ntohs(addr.sin_port);
    close(fd);
    return port;
  }

  void MakeOwned(const std::string& path) const {
    if (m_asPostgres) {
      if (chown(path.c_str(), m_uid, m_gid) != 0) return;
    }
  }

  bool RunAsOwner(const std::string& command) const {
    std::string cmd = m_asPostgres ? "runuser -u postgres -- sh -c " + Quote(command) : command;
    return std::system(cmd.c_str()) == 0;
  }

  void Start() {
    m_bin = FindBinDir();
    if (m_bin.empty()) {
      m_reason = "PostgreSQL server programs (initdb, pg_ctl, psql) are not installed";
      return;
    }
    if (PostgresOdbcDriverLibrary().empty()) {
      m_reason = "the PostgreSQL ODBC driver (psqlodbca.so) is not installed";
      return;
    }
    if (geteuid() == 0) {
      passwd* pw = getpwnam("postgres");
      if (pw == nullptr) {
        m_reason = "running as root and there is no postgres user to run the server";
        return;
      }
      m_asPostgres = true;
      m_uid = pw->pw_uid;
      m_gid = pw->pw_gid;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrel-pg-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      m_reason = "cannot create a temporary directory";
      return;
    }
    m_root = pattern;
    MakeOwned(m_root);
    const std::string data = m_root + "/data";
    const std::string log = m_root + "/server.log";
    if (!RunAsOwner(Quote(m_bin + "/initdb") + " -D " + Quote(data) +
                    " -U postgres -A trust -E UTF8 --locale=C >" + Quote(m_root + "/initdb.log") + " 2>&1")) {
      m_reason = "initdb failed (see " + m_root + "/initdb.log)";
      m_keep = true;
      return;
    }
    // The port is free when chosen but released before the server binds it, so another process (a test running
    // at the same time) may take it first: the server then cannot bind it, and starts again on another port.
    for (int attempt = 0; attempt < 10; ++attempt) {
      m_port = FreePort();
      if (m_port == 0) {
        m_reason = "no free loopback port";
        return;
      }
      std::error_code ec;
      std::filesystem::remove(log, ec);
      if (StartServer()) {
        m_started = true;
        m_ok = true;
        return;
      }
      if (!PortWasTaken(log)) break;
    }
    m_reason = "pg_ctl start failed (see " + log + ")";
    m_keep = true;
  }

  // Whether the server log says the server could not bind its port because another socket holds it.
  static bool PortWasTaken(const std::string& log) {
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    return text.str().find("Address already in use") != std::string::npos;
  }

  bool StartServer() const {
    const std::string options = "-p " + std::to_string(m_port) + " -k " + m_root +
                                " -c listen_addresses=127.0.0.1 -c max_connections=40" +
                                (m_durable ? "" : " -c fsync=off");
    return RunAsOwner(Quote(m_bin + "/pg_ctl") + " -D " + Quote(m_root + "/data") + " -o " + Quote(options) + " -l " +
                      Quote(m_root + "/server.log") + " -w -t 300 start >/dev/null 2>&1");
  }

  void Stop() {
    if (m_started)
      RunAsOwner(Quote(m_bin + "/pg_ctl") + " -D " + Quote(m_root + "/data") + " -m immediate -w -t 60 stop >/dev/null 2>&1");
    m_started = false;
    m_ok = false;
    std::error_code ec;
    if (!m_root.empty() && !m_keep) std::filesystem::remove_all(m_root, ec);
  }

  bool m_durable = false;
  bool m_ok = false;
  bool m_started = false;
  bool m_keep = false;  // keep the logs of a failed start
  bool m_asPostgres = false;
  uid_t m_uid = 0;
  gid_t m_gid = 0;
  int m_port = 0;
  std::string m_bin;
  std::string m_root;
  std::string m_reason;
};

}  // namespace plat::testing
