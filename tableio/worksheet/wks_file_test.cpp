#include "tableio/worksheet/wks_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/input_failure.h"
#include "tableio/worksheet/testing/biff_writer.h"
#include "tableio/worksheet/testing/compound_writer.h"
#include "tableio/worksheet/testing/sheet_fixture.h"
#include "tableio/worksheet/wks_tbl.h"

namespace fs = std::filesystem;

namespace {

const std::string kTestData = OSTREL_SOURCE_DIR "/tableio/worksheet/testdata/";

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

class WksFile : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("ostrel_wksfile_" + std::to_string(::getpid()));
    fs::create_directories(m_dir);
  }
  void TearDown() override {
    SetWksRenameFunction(nullptr);
    CloseCachedWorkbook(true);
    fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(m_dir);
  }
  std::string Path(const std::string& name) const { return (m_dir / name).string(); }
  void WriteBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                      static_cast<std::streamsize>(bytes.size()));
  }
  fs::path m_dir;
};

TEST_F(WksFile, DetectsTheFormatByContent) {
  wks_test::WriteSheet(2, {{"A"}}, Path("b2.dat"));
  wks_test::WriteSheet(3, {{"A"}}, Path("b3.xls"));
  wks_test::WriteSheet(4, {{"A"}}, Path("b4.xls"));
  WriteBytes("other.xls", biff_test::MakeCompoundFile({{"Other", {1, 2, 3}}}));
  WriteBytes("badbook.xls", biff_test::MakeCompoundFile({{"Book", {9, 0, 0, 0}}}));
  { std::ofstream(Path("t.csv")) << "ROWNAMES,V\nr1,1\n"; }
  WriteBytes("garbage.bin", {0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x11, 0x22});
  WriteBytes("one.bin", {0x09});
  WriteBytes("empty.xls", {});
  struct Case {
    std::string path;
    int format;
  } cases[] = {
      {Path("b2.dat"), kWksBiff2},  // by content, whatever the extension
      {Path("b3.xls"), kWksBiff3},
      {Path("b4.xls"), kWksBiff4},
      {kTestData + "book_biff5.xls", kWksBiff5},
      {kTestData + "newer/lo_types.xls", kWksNewerWorkbook},
      {kTestData + "newer/lo_types.xlsx", kWksNewerWorkbook},
      {Path("t.csv"), kWksNewerWorkbook},
      {Path("garbage.bin"), kWksNewerWorkbook},
      {Path("one.bin"), kWksNewerWorkbook},
      {Path("empty.xls"), kWksNewerWorkbook},
      {Path("other.xls"), kWksUnknown},
      {Path("badbook.xls"), kWksUnknown},
      {Path("missing.xls"), kWksUnknown},
  };
  for (const Case& c : cases) EXPECT_EQ(CWksFile::DetectFormat(c.path), c.format) << c.path;
}

TEST_F(WksFile, OpensReadersByFormatAndMode) {
  { std::ofstream(Path("t.csv")) << "a,b\n"; }
  WriteBytes("other.xls", biff_test::MakeCompoundFile({{"Other", {1, 2, 3}}}));
  wks_test::WriteSheet(2, {{"A", "#2"}}, Path("b2.xls"));
  struct Case {
    std::string path;
    std::string sheet;
    int mode;
    bool failed;
    const char* format;
  } cases[] = {
      {Path("t.csv"), "", kWksNoAutomation, true, "Excel8Actual"},
      {Path("t.csv"), "", kWksAutomationWhenNeeded, true, "Excel8Actual"},
      {Path("other.xls"), "", kWksAutomationWhenNeeded, true, "Unknown"},
      {Path("b2.xls"), "", kWksNoAutomation, false, "Excel2"},
      {Path("B2.XLS"), "", kWksNoAutomation, false, "Excel2"},
      {kTestData + "book_biff5.xls", "Second Sheet", kWksNoAutomation, false, "Excel5"},
      {kTestData + "book_biff5.xls", "Nope", kWksNoAutomation, true, "Excel5"},
      {kTestData + "newer/lo_types.xlsx", "", kWksNoAutomation, true, "Excel8Actual"},
      {kTestData + "newer/lo_types.xlsx", "", kWksAutomationWhenNeeded, false, "Excel8Actual"},
      {kTestData + "newer/lo_types.xls", "", kWksForceAutomation, false, "Excel"},
  };
  for (const Case& c : cases) {
    CWksFile file(c.path, c.sheet, c.mode);
    EXPECT_EQ(file.IsFailed(), c.failed) << c.path << " " << c.mode;
    EXPECT_STREQ(file.GetFormatName(), c.format) << c.path;
  }
  CWksFile file(Path("b2.xls"), "", kWksNoAutomation);
  double value = 0;
  EXPECT_EQ(file.ReadNumber(0, 1, &value) & kWksNumber, kWksNumber);
  EXPECT_EQ(value, 2.0);
  plat::OleDateTime date;
  file.ReadDate(0, 1, &date);
  EXPECT_TRUE(date.IsValid());
  file.ReadDate(0, 0, &date);
  EXPECT_EQ(date.GetStatus(), plat::OleDateTime::Status::invalid);
  file.ReadDate(5, 5, &date);
  EXPECT_EQ(date.GetStatus(), plat::OleDateTime::Status::null);
}

// A file that is there but cannot be read whole is damaged; a missing file or a sheet the workbook lacks is
// absent. The table loader makes the damage the failure of the work that reads it.
TEST_F(WksFile, TellsADamagedFileFromAMissingFileOrSheet) {
  wks_test::Grid grid = {{"ROWNAMES", "V"}};
  for (int i = 0; i < 20; ++i) grid.push_back({"r" + std::to_string(i), "#" + std::to_string(i)});
  wks_test::WriteSheet(2, grid, Path("b2.xls"));
  const std::string b2 = ReadAll(Path("b2.xls"));
  const std::string biff5 = ReadAll(kTestData + "book_biff5.xls");
  const std::string xlsx = ReadAll(kTestData + "newer/lo_types.xlsx");
  const auto write = [this](const std::string& name, const std::string& bytes) {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  };
  struct Case {
    const char* what;
    std::string path;
    std::string sheet;
    bool damaged;
  } cases[] = {
      {"a whole sheet", Path("b2.xls"), "", false},
      {"a sheet cut short", write("b2_cut.xls", b2.substr(0, b2.size() / 2)), "", true},
      {"a sheet without its last byte", write("b2_end.xls", b2.substr(0, b2.size() - 1)), "", true},
      {"a workbook cut short", write("b5_cut.xls", biff5.substr(0, biff5.size() / 2)), "Second Sheet", true},
      {"a newer workbook cut short", write("new_cut.xlsx", xlsx.substr(0, xlsx.size() / 2)), "", true},
      {"bytes of no workbook", write("random.xls", std::string("\xDE\xAD\xBE\xEF\x00\x11\x22\x33", 8)), "", true},
      {"an empty file", write("empty.xls", ""), "", true},
      {"a missing file", Path("missing.xls"), "", false},
      {"a sheet the workbook lacks", kTestData + "book_biff5.xls", "Nope", false},
      {"a sheet the newer workbook lacks", kTestData + "newer/lo_types.xlsx", "Nope", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CWksFile file(c.path, c.sheet, kWksAutomationWhenNeeded);
    EXPECT_EQ(!file.GetDamage().empty(), c.damaged) << file.GetDamage();
    if (c.damaged) {
      EXPECT_NE(file.GetDamage().find(c.path), std::string::npos) << file.GetDamage();
    }
    CloseCachedWorkbook(true);

    CIoTableDescription description;
    description.m_strSource = c.path;
    description.m_strTable = c.sheet;
    std::string format;
    CColumnArray keys, data;
    CIoRowArray rows, extra, comments;
    int readOnly = 0, formulas = 0, available = 0;
    const CInputFailureScope scope;
    LoadWorksheetTable(description, 0, "ROWNAMES", "*", "*", format, keys, data, rows, extra, comments, readOnly,
                       formulas, available, 0);
    EXPECT_EQ(scope.HasFailure(), c.damaged) << scope.GetFirstCause();
    CloseCachedWorkbook(true);
  }
}

TEST(WksFileNames, ReplaceExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"/d/data.xls", "/d/data.$$$"},
      {"/d/data", "/d/data.$$$"},
      {"/d.x/data", "/d.x/data.$$$"},
      {"C:\\d.x\\data", "C:\\d.x\\data.$$$"},
      {"/d/a.b.xls", "/d/a.b.$$$"},
      {"/d/data.", "/d/data.$$$"},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(ReplaceExtension(path, "$$$"), expected) << path;
}

TEST_F(WksFile, CachesOnlyWorkbooksWithASheetName) {
  const std::string book = Path("Book.xls");
  fs::copy_file(kTestData + "book_biff5.xls", book);
  auto file = std::make_unique<CWksFile>(book, "Data", kWksNoAutomation);
  CWksFile* cached = OfferToCache(file, book, "Data");
  ASSERT_NE(cached, nullptr);
  EXPECT_EQ(file, nullptr);
  EXPECT_EQ(FindCachedWorkbook(Path("BOOK.xls"), "Second Sheet"), cached);
  EXPECT_EQ(FindCachedWorkbook(book, ""), nullptr);  // no sheet: the cache is closed
  EXPECT_FALSE(HasCachedWorkbook());

  wks_test::WriteSheet(2, {{"A"}}, Path("b2.xls"));
  auto single = std::make_unique<CWksFile>(Path("b2.xls"), "Sheet", kWksNoAutomation);
  EXPECT_EQ(OfferToCache(single, Path("b2.xls"), "Sheet"), nullptr);
  EXPECT_NE(single, nullptr);
  EXPECT_FALSE(HasCachedWorkbook());

  auto again = std::make_unique<CWksFile>(book, "Data", kWksNoAutomation);
  ASSERT_NE(OfferToCache(again, book, "Data"), nullptr);
  EXPECT_EQ(FindCachedWorkbook(Path("other.xls"), "Data"), nullptr);  // another file displaces it
  EXPECT_FALSE(HasCachedWorkbook());
}

TEST_F(WksFile, SaveKeepsABackupAndRereads) {
  const std::string path = Path("data.xls");
  wks_test::WriteSheet(2, {{"A", "#1"}}, path);
  const std::string before = ReadAll(path);
  CWksFile file(path, "", kWksNoAutomation);
  ASSERT_FALSE(file.IsFailed());
  file.WriteText(0, 1, "changed", -1);
  EXPECT_TRUE(file.HasChanges());
  ASSERT_EQ(file.Save(true, "BAK", nullptr), 1);
  EXPECT_EQ(ReadAll(Path("data.BAK")), before);
  EXPECT_FALSE(fs::exists(Path("data.$$$")));
  EXPECT_FALSE(file.HasChanges());
  std::string text;
  file.ReadText(0, 1, text, kWksModeTextOnly);
  EXPECT_EQ(text, "changed");
  CWksFile reread(path, "", kWksNoAutomation);
  reread.ReadText(0, 1, text, kWksModeTextOnly);
  EXPECT_EQ(text, "changed");

  // A backup name equal to the target is no backup: the file is not lost.
  const std::string bak = Path("data.BAK");
  CWksFile backupFile(bak, "", kWksNoAutomation);
  backupFile.WriteText(0, 0, "again", -1);
  ASSERT_EQ(backupFile.Save(false, "BAK", nullptr), 1);
  CWksFile backupReread(bak, "", kWksNoAutomation);
  backupReread.ReadText(0, 0, text, kWksModeTextOnly);
  EXPECT_EQ(text, "again");

  // To a new path, without backup.
  file.WriteText(0, 0, "B", -1);
  ASSERT_EQ(file.Save(false, nullptr, Path("copy").c_str()), 1);
  EXPECT_EQ(file.GetPath(), Path("copy"));
  EXPECT_FALSE(fs::exists(Path("copy.$$$")));
}

// A workbook only its owner may read stays so; a link planted at the old
// temporary name is not followed.
TEST_F(WksFile, SaveKeepsThePrivateModeAndFollowsNoPlantedLink) {
  const std::string path = Path("data.xls");
  wks_test::WriteSheet(2, {{"A", "#1"}}, path);
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  std::ofstream(Path("victim")) << "victim";
  fs::create_symlink(Path("victim"), Path("data.$$$"));
  CWksFile file(path, "", kWksNoAutomation);
  file.WriteText(0, 0, "changed", -1);
  ASSERT_EQ(file.Save(false, nullptr, nullptr), 1);
  EXPECT_EQ(ReadAll(Path("victim")), "victim");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  const auto files = std::distance(fs::directory_iterator(m_dir), fs::directory_iterator());
  EXPECT_EQ(files, 3);  // the workbook, the victim and the planted link: no temporary file is left
}

int FailingRename(const char*, const char*) {
  errno = EACCES;
  return -1;
}

TEST_F(WksFile, FailedSavesLeaveTheFileIntact) {
  const std::string path = Path("data.xls");
  wks_test::WriteSheet(2, {{"A", "#1"}}, path);
  const std::string before = ReadAll(path);

  {
    CWksFile file(path, "", kWksNoAutomation);
    file.WriteText(0, 0, "lost", -1);
    SetWksRenameFunction(&FailingRename);
    EXPECT_EQ(file.Save(true, "BAK", nullptr), 0);
    SetWksRenameFunction(nullptr);
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_FALSE(fs::exists(Path("data.$$$")));
  }
  {
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    CWksFile file(path, "", kWksNoAutomation);
    EXPECT_EQ(file.IsReadOnly(), 1);
    file.WriteText(0, 0, "lost", -1);
    EXPECT_EQ(file.Save(false, nullptr, nullptr), 0);  // a read-only target is never overwritten
    EXPECT_EQ(ReadAll(path), before);
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
  }
  if (::geteuid() != 0) {  // a read-only directory stops everyone but root
    fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec);
    CWksFile file(path, "", kWksNoAutomation);
    file.WriteText(0, 0, "lost", -1);
    EXPECT_EQ(file.Save(false, "BAK", nullptr), 0);
    fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(ReadAll(path), before);
  }
  {
    CWksFile newer(kTestData + "newer/lo_types.xlsx", "", kWksAutomationWhenNeeded);
    ASSERT_FALSE(newer.IsFailed());
    EXPECT_EQ(newer.Save(false, nullptr, Path("n.xlsx").c_str()), 0);  // never written
    EXPECT_FALSE(fs::exists(Path("n.xlsx")));
  }
}

}  // namespace
