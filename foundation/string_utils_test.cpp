#include "foundation/string_utils.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/file_image.h"
#include "foundation/locale_switch.h"

namespace {

TEST(StringUtils, WildcardMatch) {
  struct Case {
    const char* text;
    const char* pattern;
    bool match;
  } cases[] = {
      {"abc", "a?c", true},   {"abc", "a*", true},     {"abc", "*c", true},
      {"abc", "a*b*c*", true}, {"abc", "*", true},     {"abc", "A*", false},
      {"abc", "ab", false},   {"abc", "a**", true},    {"a", "a**", false},
      {"abc", "**", true},    {"", "**", false},       {"", "*", true},
      {"", "", true},         {"a", "", false},        {"abcbd", "a*bd", true},
      {"abcbc", "*b?", true}, {"abc", "a*d", false},   {"ab", "a?b", false},
      {"xa", "*a**", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WildcardMatch(c.text, c.pattern), c.match) << c.text << " ~ " << c.pattern;
  }
}

TEST(StringUtils, EscapeNonPrintableMarksWhatPrintsNothing) {
  EXPECT_EQ(EscapeNonPrintable("1 model.xml\t3"), "1 model.xml\t3");
  EXPECT_EQ(EscapeNonPrintable(std::string("a\0b\r\x1b\x7f", 6)), "a\\x00b\\x0D\\x1B\\x7F");
  // Windows-1252 letters print; its five undefined bytes do not.
  EXPECT_EQ(EscapeNonPrintable("Cr\xFC" "de \x80\x81\x9D"), "Cr\xFC" "de \x80\\x81\\x9D");
  EXPECT_EQ(EscapeNonPrintable("C:\\run"), "C:\\run");
}

TEST(StringUtils, IsPrintableAscii) {
  EXPECT_TRUE(IsPrintableAscii("ABC 12~"));
  EXPECT_TRUE(IsPrintableAscii(""));
  EXPECT_FALSE(IsPrintableAscii("AB\tC"));
  EXPECT_FALSE(IsPrintableAscii("Cr\xFC" "de"));
  EXPECT_FALSE(IsPrintableAscii("A\x7F"));
}

TEST(StringUtils, Edits) {
  std::string text = "abc \t  ";
  EXPECT_EQ(TrimTrailingBlanks(text), "abc \t");
  std::string blanks = "   ";
  EXPECT_EQ(TrimTrailingBlanks(blanks), "");
  char buffer[] = "xy  ";
  EXPECT_STREQ(TrimTrailingBlanks(buffer), "xy");

  char leading[] = "abcdef";
  RemoveLeadingChars(leading, 2);
  EXPECT_STREQ(leading, "cdef");
  RemoveLeadingChars(leading, 4);
  EXPECT_STREQ(leading, "");
  std::string lead = "abc";
  RemoveLeadingChars(lead, 9);
  EXPECT_EQ(lead, "");

  std::string s = "table";
  EXPECT_EQ(InsertString(s, "my"), "mytable");
  EXPECT_EQ(ReplaceChar(s, 'a', '_'), "myt_ble");
}

TEST(StringUtils, ReplaceSubstring) {
  struct Case {
    const char* text;
    const char* search;
    const char* replacement;
    const char* expected;
  } cases[] = {
      {"a...b...", "...", "*", "a*b*"},
      {"aaa", "a", "aa", "aaaaaa"},  // goes on after the inserted text
      {"abc", "", "x", "abc"},       // an empty search changes nothing
      {"abc", "z", "x", "abc"},
      {"abab", "ab", "", ""},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(ReplaceSubstring(text, c.search, c.replacement), c.expected) << c.text;
  }
}

TEST(StringUtils, BoundedCopiesAndFields) {
  EXPECT_EQ(CopyStringBounded("abcdef", 4), "abc");
  EXPECT_EQ(CopyStringBounded("ab", 4), "ab");
  EXPECT_EQ(CopyStringBounded("abc", 0), "");
  char small[3];
  std::memset(small, '#', sizeof small);
  CopyStringBounded(small, sizeof small, "abcdef", 5);  // the buffer is the tighter limit
  EXPECT_STREQ(small, "ab");
  char wide[10];
  CopyStringBounded(wide, sizeof wide, "abcdef", 4);
  EXPECT_STREQ(wide, "abc");

  std::string out = "old";
  const char field[6] = {'C', 'R', 'U', ' ', '\t', 'Z'};
  CStringFromField(field, 5, out);
  EXPECT_EQ(out, "CRU");
  CStringFromField("AB\0CD", 5, out);
  EXPECT_EQ(out, "AB");
  CStringFromField(nullptr, 5, out);
  EXPECT_EQ(out, "");

  std::optional<std::string> slot;
  ReplaceOwnedString(slot, "x");
  EXPECT_EQ(slot, "x");
  ReplaceOwnedString(slot, nullptr);
  EXPECT_FALSE(slot.has_value());

  std::ostringstream stream;
  WriteCStringToStream(WriteCStringToStream(stream, "a"), "") << "b";
  EXPECT_EQ(stream.str(), "ab");

  std::vector<std::int32_t> values{4, 5};
  GrowIntArray(values, 2);
  EXPECT_EQ(values, (std::vector<std::int32_t>{4, 5, 0, 0}));
}

TEST(FileImage, LoadsWholeStreamsAndRefusesShortOrMissingInput) {
  CFileImage image;
  EXPECT_FALSE(image.IsLoaded());
  EXPECT_THROW(image.GetView(), std::runtime_error);
  EXPECT_FALSE(image.LoadFile("/nonexistent/ostrel/file.bin"));

  std::istringstream stream(std::string("abc\0def", 7));
  ASSERT_TRUE(image.LoadStream(stream));
  EXPECT_TRUE(image.IsLoaded());
  CMemoryBuffer view = image.GetView();
  EXPECT_EQ(view.m_nSize, 7);
  char out[5] = {};
  EXPECT_EQ(view.Read(out, 4), 4);
  EXPECT_EQ(std::string(out, 4), std::string("abc\0", 4));
  EXPECT_EQ(view.Read(out, 10), 3);
  EXPECT_EQ(view.Read(out, 10), 0);  // at the end nothing is copied
  view.SetPosition(100);
  EXPECT_EQ(view.Read(out, 1), 0);

  image.Release();
  EXPECT_FALSE(image.IsLoaded());
  EXPECT_THROW(image.GetView(), std::runtime_error);

  // A stream that reports more bytes than it delivers is a short read.
  struct ShortBuf : std::stringbuf {
    ShortBuf() : std::stringbuf("0123456789") {}
    std::streamsize xsgetn(char* s, std::streamsize n) override {
      return std::stringbuf::xsgetn(s, n > 4 ? 4 : n);
    }
  } shortBuf;
  std::istream shortStream(&shortBuf);
  EXPECT_FALSE(image.LoadStream(shortStream));
  EXPECT_FALSE(image.IsLoaded());
}

TEST(FileImage, LoadsAFileByItsWindowsName) {
  const std::string dir = ::testing::TempDir() + "ostrel_image_" + std::to_string(::getpid());
  std::filesystem::create_directories(dir + "/Tables");
  { std::ofstream(dir + "/Tables/Tables.Map", std::ios::binary) << "hello"; }
  CFileImage image;
  ASSERT_TRUE(image.LoadFile(dir + "\\tables\\TABLES.MAP"));
  EXPECT_EQ(std::string(image.GetData(), static_cast<std::size_t>(image.GetSize())), "hello");
  std::filesystem::remove_all(dir);
}

TEST(LocaleSwitch, RestoresThePreviousLocale) {
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  {
    CLocaleSwitch outer(LC_NUMERIC, "C");
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    {
      CLocaleSwitch inner(LC_NUMERIC, "POSIX");
    }
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  }
  EXPECT_EQ(std::setlocale(LC_NUMERIC, nullptr), before);
  // A long locale name (several categories) is kept whole.
  const std::string all = std::setlocale(LC_ALL, nullptr);
  {
    CLocaleSwitch sw(LC_ALL, "C");
  }
  EXPECT_EQ(std::setlocale(LC_ALL, nullptr), all);
}

}  // namespace
