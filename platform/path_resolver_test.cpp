#include "platform/path_resolver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace plat {
namespace {

class PathResolver : public ::testing::Test {
 protected:
  void SetUp() override {
    m_root = fs::temp_directory_path() / ("ostrel_resolve_" + std::to_string(::getpid()));
    fs::create_directories(m_root / "Model" / "data");
    std::ofstream(m_root / "Model" / "data" / "crude.xls") << "x";
    std::ofstream(m_root / "Model" / "Caf\xC3\xA9.txt") << "x";  // stored as UTF-8
  }
  void TearDown() override { fs::remove_all(m_root); }
  std::string Root() const { return m_root.string(); }
  fs::path m_root;
};

TEST_F(PathResolver, MatchesComponentsIgnoringCaseWhenTheExactNameIsMissing) {
  struct Case {
    std::string path;
    bool found;
    std::string expected;
  } cases[] = {
      {Root() + "/Model/data/crude.xls", true, Root() + "/Model/data/crude.xls"},
      {Root() + "\\MODEL\\Data\\Crude.XLS", true, Root() + "/Model/data/crude.xls"},
      {Root() + "/model/run/..\\Data/CRUDE.xls", false, Root() + "/model/run/../Data/CRUDE.xls"},
      {Root() + "/model/data/../DATA/crude.xls", true, Root() + "/Model/data/../data/crude.xls"},
      {Root() + "/model/caf\xE9.TXT", true, Root() + "/Model/Caf\xC3\xA9.txt"},
      {Root() + "/model/missing.xls", false, Root() + "/model/missing.xls"},
      {"", false, ""},
  };
  for (const Case& c : cases) {
    std::string resolved;
    EXPECT_EQ(ResolveExistingPath(c.path, resolved), c.found) << c.path;
    EXPECT_EQ(resolved, c.expected) << c.path;
    EXPECT_EQ(ResolvePath(c.path), c.expected);
  }
}

TEST_F(PathResolver, RelativeNamesResolveFromTheCurrentDirectory) {
  const fs::path previous = fs::current_path();
  fs::current_path(m_root);
  std::string resolved;
  const bool found = ResolveExistingPath("model\\DATA\\crude.XLS", resolved);
  fs::current_path(previous);
  EXPECT_TRUE(found);
  EXPECT_EQ(resolved, "Model/data/crude.xls");
}

TEST(PathNames, SeparatorsAndDrives) {
  EXPECT_EQ(ToPosixPath("..\\Data\\a.xls"), "../Data/a.xls");
  EXPECT_TRUE(HasDriveLetter("c:\\x"));
  EXPECT_FALSE(HasDriveLetter("1:"));
  EXPECT_FALSE(HasDriveLetter("/c:"));
  EXPECT_EQ(ResolvePath("C:\\Data\\a.xls"), "C:\\Data\\a.xls");
}

}  // namespace
}  // namespace plat
