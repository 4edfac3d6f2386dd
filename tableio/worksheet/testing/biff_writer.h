#pragma once
// A small writer of BIFF2 to BIFF4 worksheets (and of raw BIFF5 record
// streams) for tests: each call appends one record.

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace biff_test {

class Bytes {
 public:
  Bytes& U8(int value) {
    m_data.push_back(static_cast<std::uint8_t>(value & 0xFF));
    return *this;
  }
  Bytes& U16(int value) { return U8(value).U8(value >> 8); }
  Bytes& U32(std::uint32_t value) { return U16(static_cast<int>(value & 0xFFFF)).U16(static_cast<int>(value >> 16)); }
  Bytes& F64(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) U8(static_cast<int>((bits >> (8 * i)) & 0xFF));
    return *this;
  }
  Bytes& Text(const std::string& text) {
    m_data.insert(m_data.end(), text.begin(), text.end());
    return *this;
  }
  Bytes& Raw(const std::vector<std::uint8_t>& bytes) {
    m_data.insert(m_data.end(), bytes.begin(), bytes.end());
    return *this;
  }
  const std::vector<std::uint8_t>& Data() const { return m_data; }

 private:
  std::vector<std::uint8_t> m_data;
};

// BIFF2 attribute bytes of a cell: locked bit in byte 0, format index in
// byte 1, alignment in byte 2.
struct Attr2 {
  int alignment = 0;
  int format = 0;
  bool locked = false;
};

class BiffWriter {
 public:
  // version 2, 3 or 4; 5 writes the ids of a BIFF5 stream
  explicit BiffWriter(int version) : m_version(version) {}

  BiffWriter& Record(int id, const std::vector<std::uint8_t>& data) {
    Bytes header;
    header.U16(id).U16(static_cast<int>(data.size())).Raw(data);
    m_out.insert(m_out.end(), header.Data().begin(), header.Data().end());
    return *this;
  }
  BiffWriter& Record(int id, const Bytes& data) { return Record(id, data.Data()); }

  BiffWriter& Bof(int type = 0x0010) {
    static const int ids[] = {0, 0, 0x0009, 0x0209, 0x0409, 0x0809};
    Bytes data;
    data.U16(m_version == 5 ? 0x0500 : 0).U16(type);
    if (m_version >= 3) data.U16(0);
    return Record(ids[m_version], data);
  }
  BiffWriter& Eof() { return Record(0x000A, Bytes()); }
  BiffWriter& Protect(bool on) { return Record(0x0012, Bytes().U16(on ? 1 : 0)); }
  BiffWriter& DefColWidth(int width) { return Record(0x0055, Bytes().U16(width)); }
  BiffWriter& Selection(int row, int column) {
    return Record(0x001D, Bytes().U8(3).U16(row).U16(column).U16(0).U16(1).U16(row).U16(row).U8(column).U8(column));
  }
  // Rows and columns as counts (one more than the highest index).
  BiffWriter& Dimensions(int rows, int columns) {
    return Record(m_version == 2 ? 0x0000 : 0x0200, Bytes().U16(0).U16(rows).U16(0).U16(columns).U16(0));
  }
  BiffWriter& Format(const std::string& text) {
    if (m_version <= 3) return Record(0x001E, Bytes().U8(static_cast<int>(text.size())).Text(text));
    return Record(0x041E, Bytes().U16(m_formatCount++).U8(static_cast<int>(text.size())).Text(text));
  }
  // An XF record of BIFF3/4 (format index, locked, alignment) or BIFF5.
  BiffWriter& Xf(int format, bool locked, int alignment) {
    if (m_version == 5)
      return Record(0x00E0, Bytes().U16(0).U16(format).U16(locked ? 1 : 0).U16(alignment).U16(0).U16(0).U32(0));
    return Record(m_version == 3 ? 0x0243 : 0x0443,
                  Bytes().U8(0).U8(format).U8(locked ? 1 : 0).U8(0).U16(alignment).U16(0).U16(0).U16(0));
  }

  // Cells: BIFF2 takes attributes, later versions an XF index.
  BiffWriter& Label(int row, int column, const std::string& text, Attr2 a = {}, int xf = 0) {
    if (m_version == 2)
      return Record(0x0004, Attrs(Bytes().U16(row).U16(column), a).U8(static_cast<int>(text.size())).Text(text));
    return Record(0x0204, Bytes().U16(row).U16(column).U16(xf).U16(static_cast<int>(text.size())).Text(text));
  }
  BiffWriter& Number(int row, int column, double value, Attr2 a = {}, int xf = 0) {
    if (m_version == 2) return Record(0x0003, Attrs(Bytes().U16(row).U16(column), a).F64(value));
    return Record(0x0203, Bytes().U16(row).U16(column).U16(xf).F64(value));
  }
  BiffWriter& Integer(int row, int column, int value, Attr2 a = {}) {
    return Record(0x0002, Attrs(Bytes().U16(row).U16(column), a).U16(value));
  }
  BiffWriter& Blank(int row, int column, Attr2 a = {}, int xf = 0) {
    if (m_version == 2) return Record(0x0001, Attrs(Bytes().U16(row).U16(column), a));
    return Record(0x0201, Bytes().U16(row).U16(column).U16(xf));
  }
  BiffWriter& Rk(int row, int column, std::uint32_t rk, int xf = 0) {
    return Record(0x027E, Bytes().U16(row).U16(column).U16(xf).U32(rk));
  }
  // A formula with a numeric result.
  BiffWriter& Formula(int row, int column, double result, Attr2 a = {}, int xf = 0) {
    if (m_version == 2) return Record(0x0006, Attrs(Bytes().U16(row).U16(column), a).F64(result).U8(0).U8(0));
    return Record(FormulaId(), Bytes().U16(row).U16(column).U16(xf).F64(result).U16(0).U32(0).U16(0));
  }
  // A formula whose result is a text, followed by its STRING record (none when text is null).
  BiffWriter& TextFormula(int row, int column, const std::string* text, Attr2 a = {}, int xf = 0) {
    Bytes result;
    result.U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0xFF).U8(0xFF);
    if (m_version == 2) {
      Record(0x0006, Attrs(Bytes().U16(row).U16(column), a).Raw(result.Data()).U8(0).U8(0));
      if (text != nullptr) Record(0x0007, Bytes().U8(static_cast<int>(text->size())).Text(*text));
    } else {
      Record(FormulaId(), Bytes().U16(row).U16(column).U16(xf).Raw(result.Data()).U16(0).U32(0).U16(0));
      if (text != nullptr) Record(0x0207, Bytes().U16(static_cast<int>(text->size())).Text(*text));
    }
    return *this;
  }
  // A BIFF2 ROW record with default cell attributes.
  BiffWriter& Row2(int row, Attr2 a) {
    Bytes data;
    data.U16(row).U16(0).U16(10).U16(255).U16(0).U8(1).U16(0);
    return Record(0x0008, Attrs(data, a));
  }

  const std::vector<std::uint8_t>& Data() const { return m_out; }
  std::string Str() const { return std::string(m_out.begin(), m_out.end()); }
  void WriteFile(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(m_out.data()), static_cast<std::streamsize>(m_out.size()));
  }

 private:
  static Bytes& Attrs(Bytes& bytes, const Attr2& a) {
    return bytes.U8(a.locked ? 0x40 : 0).U8(a.format & 0x3F).U8(a.alignment & 0x07);
  }
  int FormulaId() const { return m_version == 3 ? 0x0206 : m_version == 4 ? 0x0406 : 0x0006; }

  int m_version;
  int m_formatCount = 0;
  std::vector<std::uint8_t> m_out;
};

}  // namespace biff_test
