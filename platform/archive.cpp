#include "platform/archive.h"

#include <cstring>

#include "platform/text_encoding.h"

namespace plat {
namespace {

template <class T>
void PutLittleEndian(std::ostream& out, T value) {
  unsigned char bytes[sizeof(T)];
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof(T));
  for (std::size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
  out.write(reinterpret_cast<const char*>(bytes), sizeof(T));
}

// Strings and byte runs are read in pieces, so a corrupt length cannot make
// us allocate far more than the data holds.
constexpr std::size_t kChunk = 1 << 16;

}  // namespace

std::ostream& Archive::Out() {
  if (!m_out) throw CArchiveException(CArchiveException::readOnly, "Archive is loading, not storing.");
  return *m_out;
}

std::istream& Archive::In() {
  if (!m_in) throw CArchiveException(CArchiveException::writeOnly, "Archive is storing, not loading.");
  return *m_in;
}

void Archive::WriteBytes(const void* data, std::size_t size) {
  std::ostream& out = Out();
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) throw CArchiveException(CArchiveException::genericException, "Archive write failed.");
}

void Archive::ReadBytes(void* data, std::size_t size) {
  std::istream& in = In();
  in.read(static_cast<char*>(data), static_cast<std::streamsize>(size));
  if (static_cast<std::size_t>(in.gcount()) != size)
    throw CArchiveException(CArchiveException::endOfFile, "Unexpected end of archive.");
}

#define OSTREL_ARCHIVE_NUMBER(Name, T)                       \
  void Archive::Write##Name(T value) {                       \
    PutLittleEndian(Out(), value);                           \
    if (!*m_out)                                             \
      throw CArchiveException(CArchiveException::genericException, "Archive write failed."); \
  }                                                          \
  T Archive::Read##Name() {                                  \
    unsigned char bytes[sizeof(T)];                          \
    ReadBytes(bytes, sizeof(T));                             \
    std::uint64_t bits = 0;                                  \
    for (std::size_t i = 0; i < sizeof(T); ++i) bits |= std::uint64_t{bytes[i]} << (8 * i); \
    T value;                                                 \
    std::memcpy(&value, &bits, sizeof(T));                   \
    return value;                                            \
  }

OSTREL_ARCHIVE_NUMBER(UInt8, std::uint8_t)
OSTREL_ARCHIVE_NUMBER(Int16, std::int16_t)
OSTREL_ARCHIVE_NUMBER(UInt16, std::uint16_t)
OSTREL_ARCHIVE_NUMBER(Int32, std::int32_t)
OSTREL_ARCHIVE_NUMBER(UInt32, std::uint32_t)
OSTREL_ARCHIVE_NUMBER(Int64, std::int64_t)
OSTREL_ARCHIVE_NUMBER(Float, float)
OSTREL_ARCHIVE_NUMBER(Double, double)

#undef OSTREL_ARCHIVE_NUMBER

void Archive::WriteString(const std::string& text) {
  const std::uint64_t length = text.size();
  if (length < 0xFF) {
    WriteUInt8(static_cast<std::uint8_t>(length));
  } else if (length < 0xFFFE) {
    WriteUInt8(0xFF);
    WriteUInt16(static_cast<std::uint16_t>(length));
  } else if (length < 0xFFFFFFFFull) {
    WriteUInt8(0xFF);
    WriteUInt16(0xFFFF);
    WriteUInt32(static_cast<std::uint32_t>(length));
  } else {
    WriteUInt8(0xFF);
    WriteUInt16(0xFFFF);
    WriteUInt32(0xFFFFFFFF);
    WriteInt64(static_cast<std::int64_t>(length));
  }
  WriteBytes(text.data(), text.size());
}

std::string Archive::ReadString() {
  bool wide = false;
  std::uint64_t length = ReadUInt8();
  if (length == 0xFF) {
    std::uint16_t word = ReadUInt16();
    if (word == 0xFFFE) {  // wide-character marker, then the length again
      wide = true;
      length = ReadUInt8();
      if (length == 0xFF) word = ReadUInt16();
    }
    if (length == 0xFF) {
      length = word;
      if (word == 0xFFFE) throw CArchiveException(CArchiveException::genericException, "Malformed string length.");
      if (word == 0xFFFF) {
        length = ReadUInt32();
        if (length == 0xFFFFFFFF) {
          const std::int64_t big = ReadInt64();
          if (big < 0) throw CArchiveException(CArchiveException::genericException, "Malformed string length.");
          length = static_cast<std::uint64_t>(big);
        }
      }
    }
  }
  if (wide && length > UINT64_MAX / 2)
    throw CArchiveException(CArchiveException::genericException, "Malformed string length.");
  std::uint64_t remaining = wide ? length * 2 : length;
  std::string bytes;
  while (remaining > 0) {
    const std::size_t piece = remaining < kChunk ? static_cast<std::size_t>(remaining) : kChunk;
    const std::size_t at = bytes.size();
    bytes.resize(at + piece);
    ReadBytes(bytes.data() + at, piece);
    remaining -= piece;
  }
  if (!wide) return bytes;

  // UTF-16LE to Windows-1252, surrogate pairs joined.
  std::string out;
  out.reserve(static_cast<std::size_t>(length));
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t unit = static_cast<unsigned char>(bytes[i]) |
                         (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
      const std::uint32_t low = static_cast<unsigned char>(bytes[i + 2]) |
                                (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 3])) << 8);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    out += CodePointToCp1252(unit);
  }
  return out;
}

void Archive::WriteCount(std::uint64_t count) {
  if (count < 0xFFFF) {
    WriteUInt16(static_cast<std::uint16_t>(count));
    return;
  }
  WriteUInt16(0xFFFF);
  if (count < 0xFFFFFFFFull) {
    WriteUInt32(static_cast<std::uint32_t>(count));
    return;
  }
  WriteUInt32(0xFFFFFFFF);
  WriteInt64(static_cast<std::int64_t>(count));
}

std::uint64_t Archive::ReadCount() {
  const std::uint16_t word = ReadUInt16();
  if (word != 0xFFFF) return word;
  const std::uint32_t dword = ReadUInt32();
  if (dword != 0xFFFFFFFF) return dword;
  const std::int64_t big = ReadInt64();
  if (big < 0) throw CArchiveException(CArchiveException::genericException, "Malformed count.");
  return static_cast<std::uint64_t>(big);
}

void Archive::WriteDateTime(const OleDateTime& value) {
  std::int32_t status = 0;
  switch (value.GetStatus()) {
    case OleDateTime::Status::valid: status = 0; break;
    case OleDateTime::Status::invalid: status = 1; break;
    case OleDateTime::Status::null: status = 2; break;
  }
  WriteInt32(status);
  WriteDouble(value.GetValue());
}

OleDateTime Archive::ReadDateTime() {
  const std::int32_t status = ReadInt32();
  const double days = ReadDouble();
  OleDateTime value;
  value.SetValue(days);
  if (status == 1) value.SetStatus(OleDateTime::Status::invalid);
  else if (status == 2) value.SetStatus(OleDateTime::Status::null);
  else if (status != 0) throw CArchiveException(CArchiveException::genericException, "Malformed date status.");
  return value;
}

void Archive::Flush() {
  if (m_out) {
    m_out->flush();
    if (!*m_out) throw CArchiveException(CArchiveException::genericException, "Archive write failed.");
  }
}

}  // namespace plat
