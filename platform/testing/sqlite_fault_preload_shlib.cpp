// Test support: a library preloaded into the processes of a job
// (LD_PRELOAD) that makes the fault VFS of sqlite_fault_vfs.h the default
// SQLite VFS of each process, failing the write step given by the
// environment variable OSTREL_SQLITE_FAIL_AT (1 = the first; unset or 0: never),
// only in the MPI process whose rank (PMI_RANK) is OSTREL_SQLITE_FAIL_RANK when that is set.
#include <cstdlib>

#include "platform/testing/sqlite_fault_vfs.h"

namespace {

__attribute__((constructor)) void InstallFaultVfs() {
  const char* at = std::getenv("OSTREL_SQLITE_FAIL_AT");
  const char* rank = std::getenv("OSTREL_SQLITE_FAIL_RANK");
  const char* own = std::getenv("PMI_RANK");
  if (rank != nullptr && (own == nullptr || std::atoi(own) != std::atoi(rank))) at = nullptr;
  plat::testing::SqliteFaultVfs& vfs = plat::testing::SqliteFaultVfs::Get();
  sqlite3_vfs_register(sqlite3_vfs_find(plat::testing::SqliteFaultVfs::kName), 1);
  vfs.FailAt(at != nullptr ? std::atoi(at) : 0);
}

}  // namespace
