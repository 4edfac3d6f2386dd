#include "platform/out_file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/testing/odbc_test_env.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(OutFileStream, WritesTruncatesAndAppends) {
  plat::testing::TempDir dir;
  const std::string path = dir.File("log.txt");
  std::ofstream(path) << "old contents\n";
  {
    plat::OutFileStream out;
    ASSERT_TRUE(out.open(path, std::ios::trunc));
    EXPECT_TRUE(out.is_open());
    out << "first " << 42 << '\n' << std::string(20000, 'z') << '\n';
    EXPECT_TRUE(out.good());
  }
  EXPECT_EQ(ReadAll(path), "first 42\n" + std::string(20000, 'z') + "\n");
  plat::OutFileStream out;
  ASSERT_TRUE(out.open(path, std::ios::app));
  out << "more\n";
  out.close();
  EXPECT_FALSE(out.is_open());
  EXPECT_EQ(ReadAll(path), "first 42\n" + std::string(20000, 'z') + "\nmore\n");
  out << "after the close";
  EXPECT_FALSE(out.good());
}

// A symbolic link, a FIFO or a directory at the name is refused at once (a FIFO without a reader is not
// waited on), and what a link points to is not touched; a missing directory fails as it would.
TEST(OutFileStream, RefusesWhatIsNotARegularFile) {
  plat::testing::TempDir dir;
  const std::string victim = dir.File("victim.txt");
  std::ofstream(victim) << "keep me\n";
  fs::create_symlink(victim, dir.File("link.txt"));
  fs::create_symlink(dir.File("nowhere.txt"), dir.File("dangling.txt"));
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  fs::create_directory(dir.File("sub"));
  struct Case {
    const char* name;
    int error;
  } cases[] = {{"link.txt", ELOOP}, {"dangling.txt", ELOOP}, {"fifo", ENXIO}, {"sub", EISDIR},
               {"missing/x.txt", ENOENT}};
  for (const Case& c : cases) {
    for (const std::ios::openmode mode : {std::ios::trunc, std::ios::app}) {
      errno = 0;
      EXPECT_EQ(plat::OpenRegularFileForWriting(dir.File(c.name), O_WRONLY | O_TRUNC), -1) << c.name;
      EXPECT_EQ(errno, c.error) << c.name;
      plat::OutFileStream out;
      EXPECT_FALSE(out.open(dir.File(c.name), mode)) << c.name;
      EXPECT_FALSE(out.is_open());
      out << "nothing";
      EXPECT_FALSE(out.good());
    }
  }
  EXPECT_EQ(ReadAll(victim), "keep me\n");
  EXPECT_FALSE(fs::exists(dir.File("nowhere.txt")));
}

}  // namespace
