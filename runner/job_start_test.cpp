// The run directory's job lock, without MPI: a second holder is refused and
// told who holds it; a released lock is taken again; a symbolic link at the
// lock file's name is never written through.
#include "runner/job_start.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/testing/odbc_test_env.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(JobLock, ASecondHolderIsRefusedAndToldWhoHoldsIt) {
  plat::testing::TempDir dir;
  ASSERT_FALSE(dir.Path().empty());
  std::string holder;
  {
    CJobLock first;
    ASSERT_TRUE(first.Take(dir.Path(), "node7 4242 2026-01-02 03:04:05 node7:4242:1:ab", holder));
    EXPECT_EQ(ReadAll(dir.File(CJobLock::kFileName)), "node7 4242 2026-01-02 03:04:05 node7:4242:1:ab\n");
    CJobLock second;
    EXPECT_FALSE(second.Take(dir.Path(), "other 1 2026-01-02 03:04:06 other:1:2:cd", holder));
    EXPECT_EQ(holder, "host node7, process 4242, started 2026-01-02 03:04:05");
  }
  // The first holder is gone: its file is left, its lock is not.
  CJobLock next;
  holder.clear();
  EXPECT_TRUE(next.Take(dir.Path(), "other 1 2026-01-02 03:04:06 other:1:2:cd", holder));
  EXPECT_EQ(ReadAll(dir.File(CJobLock::kFileName)), "other 1 2026-01-02 03:04:06 other:1:2:cd\n");
}

TEST(JobLock, NeverWritesThroughASymbolicLink) {
  plat::testing::TempDir dir;
  ASSERT_FALSE(dir.Path().empty());
  const std::string victim = dir.File("victim.txt");
  std::ofstream(victim, std::ios::binary) << "keep me\n";
  fs::create_symlink(victim, dir.File(CJobLock::kFileName));
  CJobLock lock;
  std::string holder;
  lock.Take(dir.Path(), "node7 4242 2026-01-02 03:04:05 node7:4242:1:ab", holder);
  EXPECT_EQ(ReadAll(victim), "keep me\n");
}

}  // namespace
