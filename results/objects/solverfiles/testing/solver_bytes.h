#pragma once
// The bytes of the solver's binary files, for the writers of the tests and the
// generated model: 32-bit integers and reals (single or double precision, as
// the file's reader is told) little-endian, and texts cut or padded to their
// field width. Header only, so it stays out of the library.

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

namespace solution_file_testing {

class Bytes {
 public:
  explicit Bytes(bool doublePrecision) : m_bDouble(doublePrecision) {}
  Bytes& Int(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) m_bytes += static_cast<char>((v >> (8 * i)) & 0xff);
    return *this;
  }
  Bytes& Ints(std::initializer_list<std::int32_t> values) {
    for (std::int32_t value : values) Int(value);
    return *this;
  }
  Bytes& Real(double value) {
    if (m_bDouble) {
      std::uint64_t bits;
      std::memcpy(&bits, &value, 8);
      for (int i = 0; i < 8; ++i) m_bytes += static_cast<char>((bits >> (8 * i)) & 0xff);
    } else {
      Float(static_cast<float>(value));
    }
    return *this;
  }
  Bytes& Float(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, 4);
    for (int i = 0; i < 4; ++i) m_bytes += static_cast<char>((bits >> (8 * i)) & 0xff);
    return *this;
  }
  // text cut or padded with pad to width
  Bytes& Field(const std::string& text, std::size_t width, char pad = '\0') {
    std::string field = text.substr(0, width);
    field.resize(width, pad);
    m_bytes += field;
    return *this;
  }
  std::string m_bytes;

 private:
  bool m_bDouble;
};

}  // namespace solution_file_testing
