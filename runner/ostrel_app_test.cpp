#include "runner/ostrel_app.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include <unistd.h>

#include "runner/ostrel_slave_app.h"
#include "runner/ostrel_startup.h"
#include "runner/slave_thread.h"

namespace {

namespace fs = std::filesystem;

TEST(OstrelArgsTest, Arguments) {
  const std::string host99(99, 'h');
  const std::string host100(100, 'h');
  struct Case {
    std::vector<const char*> argv;
    int logLevel, arg5;
    std::string host;
    int port, arg8, arg9;
    const char* warning = nullptr;  // the start of the one warning, or none
  } cases[] = {
      {{"ostrel", "a", "d", "c"}, 0, 0, "127.0.0.1", 11150, 0, 0},
      {{"ostrel", "a", "d", "c", "2", "-3"}, 2, 0, "127.0.0.1", 11150, 0, 0},
      {{"ostrel", "a", "d", "c", "7", "4"}, 0, 4, "127.0.0.1", 11150, 0, 0, "The log level \"7\" is not 0, 1, 2 or 3"},
      {{"ostrel", "a", "d", "c", "-1", "x"}, 0, 0, "127.0.0.1", 11150, 0, 0, "The log level \"-1\" is not"},
      {{"ostrel", "a", "d", "c", "high"}, 0, 0, "127.0.0.1", 11150, 0, 0, "The log level \"high\" is not"},
      {{"ostrel", "a", "d", "c", "3", "5", host99.c_str(), "9000", "8", "1"}, 3, 5, host99, 9000, 8, 1},
      {{"ostrel", "a", "d", "c", "1", "0", host100.c_str()}, 1, 0, "127.0.0.1", 11150, 0, 0,
       "The host of the desktop application has 100 characters or more: 127.0.0.1 is used."},
      {{"ostrel", "a", "d", "c", "1x", "0", "10.0.0.2", "junk"}, 1, 0, "10.0.0.2", 0, 0, 0},
  };
  for (const Case& c : cases) {
    const auto args = ParseArguments(static_cast<int>(c.argv.size()), c.argv.data());
    ASSERT_TRUE(args.has_value());
    EXPECT_EQ(args->arg1, "a");
    EXPECT_EQ(args->runDir, "d");
    EXPECT_EQ(args->caseList, "c");
    EXPECT_EQ(args->logLevel, c.logLevel) << c.argv.size();
    EXPECT_EQ(args->arg5, c.arg5) << c.argv.size();
    EXPECT_EQ(args->host, c.host) << c.argv.size();
    EXPECT_EQ(args->port, c.port) << c.argv.size();
    EXPECT_EQ(args->arg8, c.arg8);
    EXPECT_EQ(args->arg9, c.arg9);
    ASSERT_EQ(args->warnings.size(), c.warning ? 1u : 0u) << c.argv.size();
    if (c.warning) {
      EXPECT_EQ(args->warnings[0].rfind(c.warning, 0), 0u) << args->warnings[0];
    }
  }
  const char* two[] = {"ostrel", "a", "d"};
  EXPECT_FALSE(ParseArguments(3, two).has_value());
  EXPECT_EQ(RoleLogName(0), "OstrelRankZero.log");
  EXPECT_EQ(RoleLogName(12), "OstrelRank12.log");
}

// A host name becomes its IPv4 address; a name that cannot be found is kept, unusable, with a warning.
TEST(OstrelArgsTest, HostNames) {
  OstrelArgs args;
  args.host = "localhost";
  ResolveHost(args);
  EXPECT_EQ(args.host, "127.0.0.1");
  EXPECT_TRUE(args.hostUsable);
  EXPECT_TRUE(args.warnings.empty());
  args.host = "10.1.2.3";
  ResolveHost(args);
  EXPECT_EQ(args.host, "10.1.2.3");
  args.host = "no-such-host.invalid";
  ResolveHost(args);
  EXPECT_EQ(args.host, "no-such-host.invalid");
  EXPECT_FALSE(args.hostUsable);
  ASSERT_EQ(args.warnings.size(), 1u);
  EXPECT_EQ(args.warnings[0].rfind("The host of the desktop application \"no-such-host.invalid\" is not a dotted "
                                   "address and cannot be found (",
                                   0),
            0u)
      << args.warnings[0];
}

class OstrelAppLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("ostrel_app_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Read(const std::string& name) {
    std::ifstream in(dir_ / name);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path dir_;
};

TEST_F(OstrelAppLogTest, LevelFilterAndLazyFile) {
  COstrelApp app;
  app.Init("a", dir_.string(), "OstrelRank12.log");
  EXPECT_EQ(app.m_szLogFile, dir_.string() + "/OstrelRank12.log");
  for (const auto& [level, name] : std::vector<std::pair<int, const char*>>{
           {0, "NONE"}, {1, "LOW"}, {2, "MEDIUM"}, {3, "HIGH"}, {7, "NONE"}, {-1, "NONE"}}) {
    app.SetLogLevel(level);
    EXPECT_STREQ(app.GetLogLevelName(), name) << level;
  }
  app.SetLogLevel(1);
  app.Log(2, "too detailed");
  EXPECT_FALSE(fs::exists(dir_ / "OstrelRank12.log"));
  app.Log(-1, "always");
  app.Log(1, "low");
  app.LogMsg(1, 146, 7, 12);
  app.LogF(3, "never %d", 1);
  EXPECT_EQ(Read("OstrelRank12.log"), "always\nlow\nSolving Case 7 on Processor 12\n");
}

TEST_F(OstrelAppLogTest, UnwritableLogIsSilent) {
  COstrelApp app;
  app.Init("a", (dir_ / "missing").string(), "x.log");
  app.Log(-1, "dropped");
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

// A symbolic link planted at the name of a rank log, the link log or a case status file is not followed:
// the file it points to is neither emptied nor written, and the link stays as it was.
TEST_F(OstrelAppLogTest, LogsAndStatusFilesDoNotFollowAPlantedLink) {
  const fs::path victim = dir_ / "victim.txt";
  const std::string kept = "the contents of someone else's file\n";
  const auto plant = [&](const std::string& name) {
    std::ofstream(victim, std::ios::binary) << kept;
    fs::create_symlink(victim, dir_ / name);
  };
  const auto untouched = [&](const std::string& name) {
    EXPECT_EQ(Read("victim.txt"), kept) << name;
    EXPECT_TRUE(fs::is_symlink(dir_ / name)) << name;
    fs::remove(dir_ / name);
  };

  plant("OstrelRank3.log");
  {
    COstrelApp app;
    app.Init("a", dir_.string(), "OstrelRank3.log");
    app.Log(-1, "a line of the rank log");
  }
  untouched("OstrelRank3.log");

  plant("RankThread3.log");
  {
    SlaveThreadParams params;
    std::snprintf(params.m_szLogPath, sizeof params.m_szLogPath, "%s/RankThread3.log", dir_.c_str());
    CSlaveThread link(params);
    link.ThreadLog(-1, "a line of the link log");
  }
  untouched("RankThread3.log");

  plant("Status7.xml");
  COstrelSlaveApp worker(1, OstrelArgs{});
  worker.m_strRunDir = dir_.string();
  worker.WriteCaseStatusXml("Status%d.xml", "1", 7, 1.0, 0);
  untouched("Status7.xml");

  // Where no link stands, each file is written as before.
  COstrelApp app;
  app.Init("a", dir_.string(), "OstrelRank3.log");
  app.Log(-1, "written");
  worker.WriteCaseStatusXml("Status%d.xml", "1", 7, 1.0, 0);
  EXPECT_EQ(Read("OstrelRank3.log"), "written\n");
  EXPECT_NE(Read("Status7.xml").find("<case id = \"7\">"), std::string::npos);
}

TEST_F(OstrelAppLogTest, ConcurrentLinesStayWhole) {
  COstrelApp app;
  app.Init("a", dir_.string(), "t.log");
  app.SetLogLevel(3);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&app, t] {
      for (int i = 0; i < 200; ++i) app.LogF(2, "thread %d line %d %s", t, i, std::string(100, 'x').c_str());
    });
  for (auto& th : threads) th.join();
  std::istringstream lines(Read("t.log"));
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    EXPECT_EQ(line.substr(line.size() - 100), std::string(100, 'x'));
  }
  EXPECT_EQ(count, 800);
}

}  // namespace
