#include "foundation/logging.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class LoggingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("logging_test_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  std::string Read(const std::string& name) const {
    std::ifstream in(m_dir / name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::uintmax_t SizeOf(const std::string& name) const {
    return fs::exists(m_dir / name) ? fs::file_size(m_dir / name) : 0;
  }

  fs::path m_dir;
};

TEST_F(LoggingTest, DirectoryEndsWithOneSeparator) {
  Logging log;
  for (const char* dir : {"/tmp/logs", "/tmp/logs/", "\\tmp\\logs\\"}) {
    log.SetDirectory(dir);
    EXPECT_EQ(log.GetDirectory(), "/tmp/logs/") << dir;
  }
}

TEST_F(LoggingTest, OpensOnlyWhenEnabledAndNamed) {
  Logging log;
  log.SetDirectory(m_dir.string());
  log.SetFileName("a.log");
  log.Write("disabled\n");
  EXPECT_EQ(log.GetOpenState(), Logging::kNotOpened);
  EXPECT_FALSE(fs::exists(m_dir / "a.log"));

  Logging named;
  named.SetEnabled(true);
  named.SetDirectory(m_dir.string());
  named.Write("no name yet\n");
  EXPECT_EQ(named.GetOpenState(), Logging::kNotOpened);
  named.SetFileName("b.log");
  named.Write("first line\n");
  EXPECT_EQ(named.GetOpenState(), Logging::kOpened);
  named.Close();
  const std::string text = Read("b.log");
  EXPECT_NE(text.find("   first line\n"), std::string::npos);
  EXPECT_GT(text.find("   first line\n"), 0u);  // preceded by the time
  EXPECT_EQ(text.find("no name yet"), std::string::npos);
}

TEST_F(LoggingTest, FlushesAfterMoreThanTheThreshold) {
  Logging log;
  log.SetEnabled(true);
  log.SetDirectory(m_dir.string());
  log.SetFileName("big.log");
  const std::string chunk(6000, 'x');
  log.Write(chunk);
  EXPECT_EQ(log.GetCharsSinceFlush(), 6000);
  log.Write(chunk);
  EXPECT_EQ(log.GetCharsSinceFlush(), 0);
  EXPECT_GE(SizeOf("big.log"), 12000u);
}

TEST_F(LoggingTest, CloseThenNewNameAppendsToTheNewFileOnly) {
  {
    std::ofstream existing(m_dir / "case1.log");
    existing << "kept\n";
  }
  Logging log;
  log.SetEnabled(true);
  log.SetDirectory(m_dir.string());
  log.SetFileName("case1.log");
  log.Write("one\n");
  log.Close();
  EXPECT_EQ(log.GetOpenState(), Logging::kNotOpened);
  const std::string first = Read("case1.log");
  EXPECT_EQ(first.rfind("kept\n", 0), 0u);  // appended, not truncated

  log.SetFileName("case2.log");
  log.Write("two\n");
  log.Close();
  EXPECT_EQ(Read("case1.log"), first);
  EXPECT_NE(Read("case2.log").find("   two\n"), std::string::npos);
}

TEST_F(LoggingTest, UnopenableFileLosesLinesSilently) {
  Logging log;
  log.SetEnabled(true);
  log.SetDirectory((m_dir / "missing").string());
  log.SetFileName("x.log");
  log.Write("lost\n");
  log.Write("lost too\n");
  EXPECT_EQ(log.GetOpenState(), Logging::kOpened);
  log.Close();
  EXPECT_FALSE(fs::exists(m_dir / "missing"));
}

// An export log's name that holds a symbolic link: the lines are lost, the file it points to is not grown.
TEST_F(LoggingTest, PlantedLinkIsNotFollowed) {
  std::ofstream(m_dir / "victim.txt") << "keep\n";
  fs::create_symlink(m_dir / "victim.txt", m_dir / "DbExport000001.log");
  Logging log;
  log.SetEnabled(true);
  log.SetDirectory(m_dir.string());
  log.SetFileName("DbExport000001.log");
  log.Write("not through the link\n");
  log.Close();
  EXPECT_EQ(Read("victim.txt"), "keep\n");
}

}  // namespace
