#include "platform/archive.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace plat {
namespace {

std::string Stored(const std::function<void(Archive&)>& store) {
  std::ostringstream out;
  Archive archive(out);
  store(archive);
  archive.Flush();
  return out.str();
}

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

TEST(Archive, StringLengthPrefixes) {
  struct Case {
    std::size_t length;
    std::string prefix;
  } cases[] = {
      {0, Bytes({0x00})},
      {254, Bytes({0xFE})},
      {255, Bytes({0xFF, 0xFF, 0x00})},
      {0xFFFD, Bytes({0xFF, 0xFD, 0xFF})},
      {0xFFFE, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
      {70000, Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
  };
  for (const Case& c : cases) {
    const std::string text(c.length, 'x');
    const std::string stored = Stored([&](Archive& a) { a << text; });
    EXPECT_EQ(stored.substr(0, c.prefix.size()), c.prefix) << c.length;
    EXPECT_EQ(stored.size(), c.prefix.size() + c.length);
    std::istringstream in(stored);
    Archive load(in);
    EXPECT_EQ(load.ReadString(), text);
  }
}

TEST(Archive, NumbersCountsAndDatesRoundTrip) {
  OleDateTime invalid(1.5);
  invalid.SetStatus(OleDateTime::Status::invalid);
  const std::string stored = Stored([&](Archive& a) {
    a << std::int32_t{-2} << std::int16_t{0x1234} << std::uint8_t{7} << 2.5 << 1.25f;
    a.WriteCount(3);
    a.WriteCount(0x12345);
    a << OleDateTime(2021, 3, 15, 7, 5, 9) << invalid << std::string("\xE9t\xE9");
  });
  EXPECT_EQ(stored.substr(0, 7), Bytes({0xFE, 0xFF, 0xFF, 0xFF, 0x34, 0x12, 7}));
  std::istringstream in(stored);
  Archive a(in);
  EXPECT_EQ(a.ReadInt32(), -2);
  EXPECT_EQ(a.ReadInt16(), 0x1234);
  EXPECT_EQ(a.ReadUInt8(), 7);
  EXPECT_EQ(a.ReadDouble(), 2.5);
  EXPECT_EQ(a.ReadFloat(), 1.25f);
  EXPECT_EQ(a.ReadCount(), 3u);
  EXPECT_EQ(a.ReadCount(), 0x12345u);
  EXPECT_EQ(a.ReadDateTime(), OleDateTime(2021, 3, 15, 7, 5, 9));
  const OleDateTime back = a.ReadDateTime();
  EXPECT_EQ(back.GetStatus(), OleDateTime::Status::invalid);
  EXPECT_EQ(back.GetValue(), 1.5);
  EXPECT_EQ(a.ReadString(), "\xE9t\xE9");
  EXPECT_THROW(a.ReadUInt8(), CArchiveException);
}

TEST(Archive, ReadsWideStrings) {
  // Marker 0xFF 0xFFFE, then the length in characters and UTF-16LE.
  std::istringstream in(Bytes({0xFF, 0xFE, 0xFF, 3, 'a', 0, 0xE9, 0, 0x2D, 0x4E}));
  Archive a(in);
  EXPECT_EQ(a.ReadString(), "a\xE9?");
}

TEST(Archive, RejectsTruncatedAndMalformedData) {
  const std::string cases[] = {
      Bytes({0x05, 'a', 'b'}),                           // fewer characters than the length
      Bytes({0xFF, 0x10}),                               // cut inside the length
      Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), // a 2 GB length with no data
      Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,   // a negative 64-bit length
             0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),
  };
  for (const std::string& data : cases) {
    std::istringstream in(data);
    Archive a(in);
    EXPECT_THROW(a.ReadString(), CArchiveException);
  }
}

TEST(Archive, WrongDirectionThrows) {
  std::ostringstream out;
  Archive store(out);
  EXPECT_THROW(store.ReadInt32(), CArchiveException);
  std::istringstream in("abcd");
  Archive load(in);
  EXPECT_THROW(load.WriteInt32(1), CArchiveException);
  EXPECT_TRUE(store.IsStoring());
  EXPECT_TRUE(load.IsLoading());
}

}  // namespace
}  // namespace plat
