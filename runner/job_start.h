#pragma once
// The start of a job, before any case and before any line is written: the
// host names of the ranks go to rank zero, which takes the run directory's
// job lock and gives the job its identity; every process hears both in one
// broadcast. A job refused by the lock ends in every process at once.

#include <string>
#include <vector>

// The run directory's lock: the file "OstrelJob.lock" there, locked for the
// life of the object (the kernel drops the lock of a process that dies, so a
// killed job never blocks the next). The file holds one line: the holder's
// host, process id, start time and job identity.
class CJobLock {
 public:
  static constexpr const char* kFileName = "OstrelJob.lock";

  CJobLock() = default;
  ~CJobLock();
  CJobLock(const CJobLock&) = delete;
  CJobLock& operator=(const CJobLock&) = delete;

  // Takes the lock and writes line into the file. False when another process
  // holds it: holder then names that job ("host H, process P, started T").
  // A run directory where no lock file can be made is not locked (true).
  bool Take(const std::string& runDir, const std::string& line, std::string& holder);

 private:
  int m_fd = -1;
};

struct JobStart {
  bool refused = false;            // another job holds the run directory
  std::string jobId;               // unique across reruns and hosts
  std::vector<std::string> hosts;  // the distinct host names of the ranks, in rank order
};

// The host name of this process: gethostname, or for tests the rank's entry
// of $OSTREL_TEST_HOST_NAMES (comma-separated, the last entry for the ranks
// beyond the list), so a test can make the ranks of one machine look like
// several machines.
std::string RankHostName(int rank);

// A new job identity: host, process id, start time and random bytes.
std::string MakeJobId(const std::string& host);

// Collective: every process of the job calls it once after MPI_Init. Rank
// zero takes lock (refused: it says so in one line on standard error naming
// the running job) and makes the identity.
JobStart StartJob(int rank, int size, const std::string& runDir, CJobLock& lock);
