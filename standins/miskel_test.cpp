#include "standins/miskel.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const std::string kKey = "A1C0E9F27B4D6E8051F3B2A9C7D4E6F10B8A2C4D6E9F1A3B5C7D9E0F2A4B6C8D";

std::string Encipher(const std::string& text, const std::string& key = kKey) {
  IMiskel::MiskelPtr miskel = IMiskel::CreateInstance();
  EXPECT_TRUE(miskel->Initialize());
  return miskel->Encipher(text, key);
}

bool Decipher(const std::string& text, std::string& plain, const std::string& key = kKey) {
  IMiskel::MiskelPtr miskel = IMiskel::CreateInstance();
  EXPECT_TRUE(miskel->Initialize());
  return miskel->Decipher(text, key, plain);
}

TEST(MiskelTest, RoundTripsAnyText) {
  std::string big(1 << 20, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31 + 7);
  const std::string texts[] = {
      "",
      "x",
      "line one\r\nline two\r\n",
      "caf\xE9 \x80 \xFF",  // Windows-1252 bytes
      "<Setting a=\"1\" b='2'>&amp; & \"quoted\"</Setting>",
      "DRIVER={SQL Server};SERVER=.;UID=sa;PWD=secret",
      big,
  };
  for (const std::string& text : texts) {
    const std::string sealed = Encipher(text);
    ASSERT_TRUE(IMiskel::IsEnciphered(sealed));
    EXPECT_NE(sealed.front(), '<');
    for (char c : sealed) {
      ASSERT_TRUE(c >= 0x21 && c <= 0x7E && c != '<' && c != '>' && c != '&' && c != '"' && c != '\'')
          << "character " << static_cast<int>(c);
    }
    if (text.size() > 8) {
      EXPECT_EQ(sealed.find(text), std::string::npos);
    }
    std::string plain;
    ASSERT_TRUE(Decipher(sealed, plain));
    EXPECT_EQ(plain, text);
  }
  // Stateless and randomised: the same text enciphers differently each time, both decipher.
  const std::string first = Encipher("same");
  const std::string second = Encipher("same");
  EXPECT_NE(first, second);
  IMiskel::MiskelPtr miskel = IMiskel::CreateInstance();
  ASSERT_TRUE(miskel->Initialize());
  EXPECT_EQ(miskel->Decipher(second, kKey), "same");
  EXPECT_EQ(miskel->Decipher(first, kKey), "same");
}

TEST(MiskelTest, UnmarkedTextDeciphersToItself) {
  std::string plain;
  ASSERT_TRUE(Decipher("<VornModel/>", plain));
  EXPECT_EQ(plain, "<VornModel/>");
  ASSERT_TRUE(Decipher("", plain));
  EXPECT_EQ(plain, "");
}

TEST(MiskelTest, WrongKeyOrDamagedTextNeverGivesThePlainText) {
  const std::string text = "Provider=SQLOLEDB;Password=secret";
  const std::string sealed = Encipher(text);
  std::string plain = "untouched";
  EXPECT_FALSE(Decipher(sealed, plain, "B1C0E9F27B4D6E8051F3B2A9C7D4E6F10B8A2C4D6E9F1A3B5C7D9E0F2A4B6C8D"));
  EXPECT_EQ(plain, "");
  EXPECT_FALSE(Decipher(sealed, plain, "another key"));

  const std::size_t marker = std::strlen(IMiskel::kCipherMarker);
  for (std::size_t at : {marker, marker + 5, sealed.size() / 2, sealed.size() - 3}) {
    std::string damaged = sealed;
    damaged[at] = damaged[at] == 'A' ? 'B' : 'A';
    EXPECT_FALSE(Decipher(damaged, plain)) << "flipped at " << at;
    EXPECT_EQ(plain, "");
  }
  for (const std::string& broken : {sealed.substr(0, sealed.size() - 1), sealed + "=", std::string("{MSK1}"),
                                    std::string("{MSK1}AAAA"), std::string("{MSK1}!!!!"), sealed + "\n"}) {
    EXPECT_FALSE(Decipher(broken, plain)) << broken.substr(0, 40);
    EXPECT_EQ(plain, "");
  }
  // A non-hexadecimal key text works as a key of its own.
  std::string back;
  ASSERT_TRUE(Decipher(Encipher(text, "another key"), back, "another key"));
  EXPECT_EQ(back, text);
}

TEST(MiskelTest, EncipherNeedsInitialize) {
  IMiskel::MiskelPtr miskel = IMiskel::CreateInstance();
  EXPECT_THROW(miskel->Encipher("x", kKey), std::logic_error);
}

}  // namespace
