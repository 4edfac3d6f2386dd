#include "foundation/path_utils.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "foundation/path_splitter.h"

namespace fs = std::filesystem;

namespace {

class TempDir {
 public:
  TempDir() {
    m_path = fs::temp_directory_path() /
             ("ostrel_paths_" + std::to_string(::getpid()) + "_" + std::to_string(s_next++));
    fs::create_directories(m_path);
  }
  ~TempDir() { fs::remove_all(m_path); }
  std::string Path(const std::string& rel = "") const { return (m_path / rel).string(); }
  void Write(const std::string& rel, std::size_t bytes) const {
    fs::create_directories((m_path / rel).parent_path());
    std::ofstream(m_path / rel, std::ios::binary) << std::string(bytes, 'x');
  }

 private:
  static inline int s_next = 0;
  fs::path m_path;
};

TEST(PathUtils, MakeAbsolutePath) {
  struct Case {
    const char* dir;
    const char* name;
    const char* expected;
  } cases[] = {
      {"/models/m1/run", "../../tables/a.xls", "/models/tables/a.xls"},
      {"C:\\models\\m1\\run", "..\\..\\tables\\a.xls", "C:/models/tables/a.xls"},
      {"/models/m1/run/", "../a.xls", "/models/m1/a.xls"},
      {"/m", "../../../a.xls", "/a.xls"},  // more steps than components: stops at the top
      {"/m", "sub/a.xls", "/m/sub/a.xls"},
      {"/m", "C:", "/m/C:"},  // a drive alone is relative
      {"/m", "C:\\data\\a.xls", "C:\\data\\a.xls"},  // drive names are kept as written
      {"/m", "\\share\\a.xls", "/share/a.xls"},
      {"/m", "/abs/a.xls", "/abs/a.xls"},
      {"/m", ".../a", "/m/.../a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MakeAbsolutePath(c.dir, c.name), c.expected) << c.dir << " + " << c.name;
  }
}

TEST(PathUtils, MakeRelativePath) {
  struct Case {
    const char* base;
    const char* target;
    const char* expected;
  } cases[] = {
      {"C:\\m\\base", "C:\\m\\other\\f.txt", "../other/f.txt"},
      {"/m/base/", "/m/other/f.txt", "../other/f.txt"},
      {"/m/base", "/M/BASE/sub/f.txt", "sub/f.txt"},  // parts compare ignoring case
      {"/m/a/b", "/m/f.txt", "../../f.txt"},
      {"C:\\m\\base", "D:\\m\\f.txt", "D:\\m\\f.txt"},
      {"\\\\srv1\\share", "\\\\srv2\\share\\f.txt", "\\\\srv2\\share\\f.txt"},
      {"", "/m/f.txt", "/m/f.txt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MakeRelativePath(c.base, c.target), c.expected) << c.base << " -> " << c.target;
  }
}

TEST(PathUtils, FileNamePieces) {
  EXPECT_EQ(MakeFilePath("/dir", "com1"), "com1");
  EXPECT_EQ(MakeFilePath("/dir", "PRN", "txt"), "PRN");
  EXPECT_EQ(MakeFilePath("/dir", "com12"), "/dir/com12");
  EXPECT_EQ(MakeFilePath("/dir/", "a.b", "c"), "/dir/a.b.c");
  EXPECT_EQ(MakeFilePath("C:\\dir", "a"), "C:/dir/a");
  EXPECT_TRUE(IsDeviceName("lpt9"));
  EXPECT_FALSE(IsDeviceName("lptx"));
  EXPECT_FALSE(IsDeviceName("con"));

  EXPECT_EQ(ChangeFileExtension("/d/a.b.xls", "csv"), "/d/a.b.csv");
  EXPECT_EQ(ChangeFileExtension("/d/a.xls", ".csv"), "/d/a.csv");
  EXPECT_EQ(ChangeFileExtension("/d.x/a", ""), "/d.x/a.");
  std::string dir, file;
  SplitDirAndFileName("C:\\m\\run\\case.lst", dir, file);
  EXPECT_EQ(dir, "C:/m/run/");
  EXPECT_EQ(file, "case.lst");
  EXPECT_EQ(GetDirectoryOfPath("case.lst"), "");
  EXPECT_EQ(GetDriveOfPath("c:\\x"), "c:");
  EXPECT_EQ(GetDriveOfPath("/x"), "");
  EXPECT_EQ(GetUncServer("\\\\srv\\share\\x"), "//srv");
  EXPECT_EQ(GetUncServer("/srv/share"), "");
}

TEST(PathUtils, SplitQualifiedName) {
  struct Case {
    const char* text;
    const char* name;
    const char* qualifier;
  } cases[] = {
      {"crude.xls[Sheet1]", "crude.xls", "Sheet1"},
      {"crude.xls", "crude.xls", ""},
      {"crude.xls[Sheet1", "crude.xls", ""},
      {"a[b]c]", "a", "b"},
      {"a]x[b", "a]x", ""},
  };
  for (const Case& c : cases) {
    std::string name, qualifier;
    SplitQualifiedName(c.text, name, qualifier);
    EXPECT_EQ(name, c.name) << c.text;
    EXPECT_EQ(qualifier, c.qualifier) << c.text;
  }
}

TEST(PathUtils, PathSplitterCollectsStretchesEndingAtASeparator) {
  const CPathSplitter parts("a/bb//c", '/');
  EXPECT_EQ(parts.GetSeparatorCount(), 3);
  ASSERT_EQ(parts.GetCount(), 3);
  EXPECT_EQ(parts.GetPart(1), "bb");
  EXPECT_EQ(parts.GetPart(2), "");
  EXPECT_THROW(parts.GetPart(3), std::out_of_range);
  EXPECT_EQ(CPathSplitter("", '/').GetCount(), 0);
  // No 255-character cut.
  EXPECT_EQ(CPathSplitter(std::string(300, 'p') + "/", '/').GetPart(0).size(), 300u);
}

TEST(PathUtils, FileTestsAndSizes) {
  TempDir tmp;
  tmp.Write("Data/Crude.XLS", 1234);
  tmp.Write("Data/b.txt", 7);
  EXPECT_TRUE(FileExists(tmp.Path("Data/Crude.XLS")));
  EXPECT_TRUE(FileExists(tmp.Path("data\\crude.xls")));  // written on Windows
  EXPECT_TRUE(FileExists(tmp.Path("Data")));
  EXPECT_FALSE(FileExists(tmp.Path("Data"), true));
  EXPECT_TRUE(IsDirectory(tmp.Path("data")));
  EXPECT_FALSE(IsDirectory(tmp.Path("Data/b.txt")));
  EXPECT_FALSE(FileExists(tmp.Path("nothing")));

  EXPECT_EQ(GetFileSizeByName(tmp.Path("Data/Crude.XLS")), 1234u);
  EXPECT_EQ(GetFileSizeByName(tmp.Path("Data/*.xls")), 1234u);
  EXPECT_EQ(GetFileSizeByName(tmp.Path("Data/?.txt")), 7u);
  EXPECT_EQ(GetFileSizeByName(tmp.Path("Data/*.none")), 0u);
  EXPECT_EQ(GetFileSizeByName(tmp.Path("missing/*.xls")), 0u);
  EXPECT_EQ(GetFileSizeByName(tmp.Path("Data")), 0u);
}

TEST(PathUtils, WindowsModelPathResolvesToAnExistingFile) {
  TempDir tmp;
  tmp.Write("data/crude.xls", 3);
  fs::create_directories(tmp.Path("model/run"));
  const std::string name = MakeAbsolutePath(tmp.Path("model"), "..\\Data\\Crude.XLS");
  EXPECT_EQ(name, tmp.Path("Data/Crude.XLS"));
  EXPECT_TRUE(FileExists(name, true));
  EXPECT_EQ(GetFileSizeByName(name), 3u);
}

}  // namespace
