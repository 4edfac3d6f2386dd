#include "runner/job_start.h"

#include <fcntl.h>
#include <mpi.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <sstream>
#include <thread>

namespace {

constexpr int kHostNameSize = 256;

std::string LocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

// The holder's line of a lock file: "host pid started-date started-time job".
std::string DescribeHolder(const std::string& line) {
  std::istringstream words(line);
  std::string host, pid, date, time;
  if (!(words >> host >> pid >> date >> time)) return std::string();
  return "host " + host + ", process " + pid + ", started " + date + " " + time;
}

}  // namespace

CJobLock::~CJobLock() {
  if (m_fd >= 0) ::close(m_fd);
}

bool CJobLock::Take(const std::string& runDir, const std::string& line, std::string& holder) {
  const std::string path = runDir + "/" + kFileName;
  // Never through a symbolic link at its name: the line would overwrite whatever file it points to.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) return true;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    // The holder writes its line right after it took the lock: give it a moment.
    for (int attempt = 0; attempt < 50 && holder.empty(); ++attempt) {
      char text[1024] = {};
      const ssize_t read = ::pread(fd, text, sizeof text - 1, 0);
      if (read > 0) holder = DescribeHolder(std::string(text, static_cast<std::size_t>(read)));
      if (holder.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (holder.empty()) holder = "its lock file " + path;
    ::close(fd);
    return false;
  }
  const std::string text = line + "\n";
  if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) {
    // The lock holds without its line; a refused job then names the file.
  }
  m_fd = fd;
  return true;
}

std::string RankHostName(int rank) {
  if (const char* names = std::getenv("OSTREL_TEST_HOST_NAMES"); names != nullptr && *names != '\0') {
    std::vector<std::string> list;
    std::stringstream in(names);
    for (std::string name; std::getline(in, name, ',');) list.push_back(name);
    if (!list.empty()) return list[std::min<std::size_t>(static_cast<std::size_t>(std::max(rank, 0)), list.size() - 1)];
  }
  char host[kHostNameSize] = {};
  if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') return "localhost";
  return host;
}

std::string MakeJobId(const std::string& host) {
  std::random_device device;
  char random[24];
  std::snprintf(random, sizeof random, "%08x%08x", device(), device());
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return host.substr(0, 64) + ":" + std::to_string(::getpid()) + ":" +
         std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) + ":" + random;
}

JobStart StartJob(int rank, int size, const std::string& runDir, CJobLock& lock) {
  JobStart job;
  char own[kHostNameSize] = {};
  std::snprintf(own, sizeof own, "%s", RankHostName(rank).c_str());
  std::vector<char> all(rank == 0 ? static_cast<std::size_t>(size) * kHostNameSize : 0);
  MPI_Gather(own, kHostNameSize, MPI_CHAR, all.data(), kHostNameSize, MPI_CHAR, 0, MPI_COMM_WORLD);

  // Rank zero's word to every process: "1" refused or "0", then the identity and the hosts, a line each.
  std::string message;
  if (rank == 0) {
    std::vector<std::string> hosts;
    for (int r = 0; r < size; ++r) {
      const char* name = all.data() + static_cast<std::size_t>(r) * kHostNameSize;
      const std::string host(name, strnlen(name, kHostNameSize));
      if (std::find(hosts.begin(), hosts.end(), host) == hosts.end()) hosts.push_back(host);
    }
    const std::string jobId = MakeJobId(own);
    std::string holder;
    const bool refused =
        !lock.Take(runDir, std::string(own) + " " + std::to_string(::getpid()) + " " + LocalTime() + " " + jobId,
                   holder);
    if (refused)
      std::fprintf(stderr, "The run directory %s is in use by another job (%s): this job is not started.\n",
                   runDir.c_str(), holder.c_str());
    message = std::string(refused ? "1" : "0") + "\n" + jobId + "\n";
    for (const std::string& host : hosts) message += host + "\n";
  }
  int length = static_cast<int>(message.size());
  MPI_Bcast(&length, 1, MPI_INT, 0, MPI_COMM_WORLD);
  message.resize(static_cast<std::size_t>(length));
  MPI_Bcast(message.data(), length, MPI_CHAR, 0, MPI_COMM_WORLD);

  std::istringstream lines(message);
  std::string line;
  std::getline(lines, line);
  job.refused = line == "1";
  std::getline(lines, job.jobId);
  while (std::getline(lines, line))
    if (!line.empty()) job.hosts.push_back(line);
  return job;
}
