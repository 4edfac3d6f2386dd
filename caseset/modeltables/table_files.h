#pragma once
// The model's table files as the solver side leaves them: the table index
// ("tables.map" in the classic layout, a compact index under managed names),
// the table cache records (classic and compact) and the keyed record files
// that carry a modifying case's own tables. Every count, size and position
// comes from a file and is checked against the data before use: a damaged
// file is a failure with a text in error, never a read outside the data.

#include <cstdint>
#include <ios>
#include <string>

#include "caseset/modeltables/table_fil_table.h"
#include "foundation/file_image.h"
#include "foundation/ptr_array.h"
#include "modelfile/table_map.h"

using CTableIndex = CAutoDestructArray<CPtrArray, CTableMap*>;

// A read cursor over bytes it does not own; a read either delivers every byte
// asked for or fails without moving.
class CTableFileCursor {
 public:
  CTableFileCursor(const char* data, std::int64_t size) : m_pData(data), m_nSize(size < 0 ? 0 : size) {}
  explicit CTableFileCursor(const CMemoryBuffer& buffer)
      : CTableFileCursor(buffer.m_pData, buffer.m_nSize) {}
  explicit CTableFileCursor(const std::string& bytes)
      : CTableFileCursor(bytes.data(), static_cast<std::int64_t>(bytes.size())) {}

  std::int64_t GetPosition() const { return m_nPosition; }
  std::int64_t GetSize() const { return m_nSize; }
  std::int64_t Remaining() const { return m_nSize - m_nPosition; }
  bool AtEnd() const { return m_nPosition >= m_nSize; }
  // False for a position outside the data (the end itself is inside).
  bool SetPosition(std::int64_t position);

  bool ReadBytes(void* destination, std::int64_t count);
  bool Skip(std::int64_t count);
  bool ReadInt8(std::uint8_t& value) { return ReadBytes(&value, 1); }
  bool ReadInt16(std::int16_t& value);
  bool ReadInt32(std::int32_t& value);
  bool ReadFloat(float& value);
  bool ReadDouble(double& value);
  // width bytes, taken up to the first zero byte; nothing trimmed.
  bool ReadFixedText(std::int64_t width, std::string& text);
  // A block of size bytes holding at least count texts, each ended by a zero
  // byte; the first count texts are appended to texts.
  bool ReadTextBlock(std::int64_t size, std::int64_t count, std::vector<std::string>& texts);

 private:
  const char* m_pData;
  std::int64_t m_nSize;
  std::int64_t m_nPosition = 0;
};

// Appends the whole file to stream; false when it cannot be opened or read.
bool ReadFileIntoStream(const std::string& path, std::string& stream,
                        std::ios::openmode mode = std::ios::in | std::ios::binary);

// Scans a keyed record file (key, length, payload, ...) and appends the
// payload of the first record with that key to stream. False when the file
// cannot be opened, holds no such record, or is damaged (error then says why).
bool ReadKeyedRecordFile(const std::string& path, std::string& stream, std::int32_t key, std::string& error);

// The table section of the classic index with slots slots per array; appends
// one entry per table (unsorted) and leaves the cursor behind the text flags.
bool ReadClassicTableIndex(CTableFileCursor& cursor, std::int32_t slots, CTableIndex& index, std::string& error);

// The table section of a compact index, merged: a name already in the index
// before the call is skipped with its values; others are appended with
// fromStream. Leaves the cursor behind the section.
bool ReadCompactTableIndex(CTableFileCursor& cursor, CTableIndex& index, bool fromStream, std::string& error);

// One record of the classic cache at the entry's offset, names width bytes
// wide (9 for the "ROWS" table of a model of type 3, else 8).
bool ReadClassicTableRecord(CTableFileCursor& cursor, const CTableMap& entry, int width, CTableFilTable& table,
                            std::string& error);
// The same straight from the cache file, reading only the record's bytes.
bool ReadClassicTableRecordFile(const std::string& path, const CTableMap& entry, int width, CTableFilTable& table,
                                std::string& error);
// The same from an image of the whole cache file read from path (the cursor
// over all of it): a record that does not fit names path, as the file read does.
bool ReadClassicTableRecordImage(CTableFileCursor cursor, const std::string& path, const CTableMap& entry, int width,
                                 CTableFilTable& table, std::string& error);

// One record of a compact cache image at the entry's offset; texts arrive in
// the OEM code page and are converted.
bool ReadCompactTableRecord(CTableFileCursor& cursor, const CTableMap& entry, CTableFilTable& table,
                            std::string& error);

// A stored double as a cell; values beyond the float range become
// infinities, as the hardware narrows them.
float NarrowToFloat(double value);

// An OEM (code page 850) text in this system's code page; characters it
// cannot hold become "?".
std::string OemToAnsi(const std::string& text);
