#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace plat {
namespace {

TEST(TextEncoding, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_EQ(Utf8ToCp1252(utf8), all);
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << b;
    EXPECT_EQ(static_cast<unsigned char>(CodePointToCp1252(Cp1252ToCodePoint(static_cast<unsigned char>(b)))), b);
  }
}

TEST(TextEncoding, KnownCharacters) {
  struct Case {
    std::string cp1252;
    std::string utf8;
  } cases[] = {
      {"\x80", "\xE2\x82\xAC"},        // euro sign
      {"\x81", "\xC2\x81"},            // undefined byte keeps its code point
      {"\x9D", "\xC2\x9D"},
      {"\xE9t\xE9", "\xC3\xA9t\xC3\xA9"},
      {"\x99", "\xE2\x84\xA2"},        // trade mark
      {"\xFF", "\xC3\xBF"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp1252ToUtf8(c.cp1252), c.utf8);
    EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252);
  }
}

TEST(TextEncoding, CharactersOutsideTheCodePageAndBrokenInputBecomeQuestionMarks) {
  struct Case {
    std::string utf8;
    std::string expected;
  } cases[] = {
      {"\xE4\xB8\xAD", "?"},              // CJK
      {"\xF0\x9F\x98\x80x", "?x"},        // outside the basic plane
      {"\xC2\x80", "?"},                  // U+0080 is not a code page character
      {"a\xC3", "a?"},                    // truncated at the end
      {"\xC3(", "?("},                    // bad continuation
      {"\x80", "?"},                      // stray continuation byte
      {"\xC0\x80", "?"},                  // overlong NUL
      {"\xE0\x80\xAF", "?"},              // overlong "/"
      {"\xED\xA0\x80", "?"},              // surrogate
      {"\xF4\x90\x80\x80", "?"},          // beyond U+10FFFF
      {"\xFF", "?"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToCp1252(c.utf8), c.expected);
  }
}

TEST(EscapeNonPrintable, ShowsEveryByteOutsidePrintableAscii) {
  EXPECT_EQ(EscapeNonPrintable("plain text ~!"), "plain text ~!");
  EXPECT_EQ(EscapeNonPrintable(std::string("a\0b\n\r\t\x1b[2J\x7f\x80\xe9\xff", 14)),
            "a\\x00b\\x0A\\x0D\\x09\\x1B[2J\\x7F\\x80\\xE9\\xFF");
  // A backslash is doubled, so a quoted "\x41" cannot pass for an escaped byte.
  EXPECT_EQ(EscapeNonPrintable("\\x41"), "\\\\x41");
  EXPECT_EQ(EscapeNonPrintable(""), "");
}

}  // namespace
}  // namespace plat
