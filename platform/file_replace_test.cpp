#include "platform/file_replace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "platform/testing/odbc_test_env.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> Names(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename().string());
  return names;
}

// A 0600 file stays 0600, and links planted at the temporary names a save
// once used lead nowhere: their victim is untouched.
TEST(FileReplace, KeepsTheModeAndFollowsNoPlantedLink) {
  plat::testing::TempDir dir;
  const std::string target = dir.File("VornModel.vrnx");
  const std::string victim = dir.File("victim");
  std::ofstream(victim) << "victim";
  std::ofstream(target) << "old";
  ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
  for (const char* planted : {"VornModel.tmp", "VornModel.vrnx.tmp~", "VornModel.$$$", "VornModel.vrnx.tmp"})
    fs::create_symlink(victim, dir.File(planted));

  ASSERT_TRUE(plat::ReplaceFileContents(target, "new contents"));
  EXPECT_EQ(ReadAll(target), "new contents");
  EXPECT_EQ(plat::FileMode(target), 0600);
  EXPECT_EQ(ReadAll(victim), "victim");
  EXPECT_EQ(Names(dir.Path()).size(), 6u);  // no temporary file is left

  // An explicit mode wins; a new file gets 0666 less the umask.
  ASSERT_TRUE(plat::ReplaceFileContents(target, "x", 0640));
  EXPECT_EQ(plat::FileMode(target), 0640);
  const mode_t previous = ::umask(027);
  EXPECT_TRUE(plat::ReplaceFileContents(dir.File("fresh"), "y"));
  ::umask(previous);
  EXPECT_EQ(plat::FileMode(dir.File("fresh")), 0640);
  EXPECT_EQ(plat::FileMode(dir.File("missing")), -1);
}

int FailingRename(const char*, const char*) { return -1; }

// A failed step leaves the target as it was and no temporary file.
TEST(FileReplace, AFailedStepLeavesTheTargetAlone) {
  plat::testing::TempDir dir;
  const std::string target = dir.File("book.xls");
  std::ofstream(target) << "old";
  std::string temporary;
  ASSERT_TRUE(plat::WriteReplacementFile(target, "new", temporary));
  EXPECT_NE(temporary, target);
  EXPECT_EQ(fs::path(temporary).parent_path(), fs::path(target).parent_path());
  EXPECT_FALSE(plat::CommitReplacementFile(temporary, target, &FailingRename));
  EXPECT_EQ(ReadAll(target), "old");
  EXPECT_EQ(Names(dir.Path()), std::set<std::string>{"book.xls"});
  EXPECT_FALSE(plat::ReplaceFileContents(dir.File("no/such/dir/file"), "x"));
}

}  // namespace
