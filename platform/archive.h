#pragma once
// A binary archive in the published byte layout of the Windows class
// library's archives: little-endian numbers, strings with a length prefix of
// one byte, or 0xFF and 16 bits, or 0xFF, 0xFFFF and 32 bits (reading also
// takes the wide-character form and converts it to Windows-1252), and counts
// of 16 bits, or 0xFFFF and 32 bits. Reading past the end, a malformed length
// or using the archive in the wrong direction throws CArchiveException.

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>

#include "platform/exceptions.h"
#include "platform/ole_date_time.h"

class CArchiveException : public CException {
 public:
  enum Cause { genericException = 1, badIndex = 3, endOfFile = 8, badSchema = 6, writeOnly = 10, readOnly = 9 };
  CArchiveException(Cause cause, std::string message) : CException(std::move(message)), m_cause(cause) {}
  Cause GetCause() const { return m_cause; }

 private:
  Cause m_cause;
};

namespace plat {

class Archive {
 public:
  // An archive that stores into out.
  explicit Archive(std::ostream& out) : m_out(&out) {}
  // An archive that loads from in.
  explicit Archive(std::istream& in) : m_in(&in) {}
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  bool IsStoring() const { return m_out != nullptr; }
  bool IsLoading() const { return m_in != nullptr; }

  void WriteUInt8(std::uint8_t value);
  void WriteInt16(std::int16_t value);
  void WriteUInt16(std::uint16_t value);
  void WriteInt32(std::int32_t value);
  void WriteUInt32(std::uint32_t value);
  void WriteInt64(std::int64_t value);
  void WriteFloat(float value);
  void WriteDouble(double value);
  // Windows-1252 bytes with the length prefix.
  void WriteString(const std::string& text);
  void WriteCount(std::uint64_t count);
  // The status (32 bits: 0 valid, 1 invalid, 2 null), then the days.
  void WriteDateTime(const OleDateTime& value);
  void WriteBytes(const void* data, std::size_t size);

  std::uint8_t ReadUInt8();
  std::int16_t ReadInt16();
  std::uint16_t ReadUInt16();
  std::int32_t ReadInt32();
  std::uint32_t ReadUInt32();
  std::int64_t ReadInt64();
  float ReadFloat();
  double ReadDouble();
  std::string ReadString();
  std::uint64_t ReadCount();
  OleDateTime ReadDateTime();
  void ReadBytes(void* data, std::size_t size);

  Archive& operator<<(std::uint8_t v) { WriteUInt8(v); return *this; }
  Archive& operator<<(std::int16_t v) { WriteInt16(v); return *this; }
  Archive& operator<<(std::uint16_t v) { WriteUInt16(v); return *this; }
  Archive& operator<<(std::int32_t v) { WriteInt32(v); return *this; }
  Archive& operator<<(std::uint32_t v) { WriteUInt32(v); return *this; }
  Archive& operator<<(float v) { WriteFloat(v); return *this; }
  Archive& operator<<(double v) { WriteDouble(v); return *this; }
  Archive& operator<<(const std::string& v) { WriteString(v); return *this; }
  Archive& operator<<(const OleDateTime& v) { WriteDateTime(v); return *this; }

  Archive& operator>>(std::uint8_t& v) { v = ReadUInt8(); return *this; }
  Archive& operator>>(std::int16_t& v) { v = ReadInt16(); return *this; }
  Archive& operator>>(std::uint16_t& v) { v = ReadUInt16(); return *this; }
  Archive& operator>>(std::int32_t& v) { v = ReadInt32(); return *this; }
  Archive& operator>>(std::uint32_t& v) { v = ReadUInt32(); return *this; }
  Archive& operator>>(float& v) { v = ReadFloat(); return *this; }
  Archive& operator>>(double& v) { v = ReadDouble(); return *this; }
  Archive& operator>>(std::string& v) { v = ReadString(); return *this; }
  Archive& operator>>(OleDateTime& v) { v = ReadDateTime(); return *this; }

  // Flushes the stream when storing; throws when the stream failed.
  void Flush();

 private:
  std::ostream& Out();
  std::istream& In();

  std::ostream* m_out = nullptr;
  std::istream* m_in = nullptr;
};

}  // namespace plat
