#include "caseset/modeltables/table_files.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <fstream>
#include <limits>
#include <unordered_set>

#include "foundation/string_utils.h"
#include "platform/path_resolver.h"
#include "platform/text_encoding.h"

namespace {

static_assert(std::endian::native == std::endian::little, "the table files are little-endian");

std::string TrimTrailingBlanks(std::string text) {
  const std::size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

std::string Damaged(const std::string& what) { return "damaged table file: " + what; }

// Bytes from the current position to the end of the file; -1 when unknown.
std::int64_t RemainingBytes(std::istream& file) {
  const auto start = file.tellg();
  if (start == std::istream::pos_type(-1) || !file.seekg(0, std::ios::end)) return -1;
  const auto end = file.tellg();
  if (end == std::istream::pos_type(-1) || !file.seekg(start)) return -1;
  return static_cast<std::int64_t>(end) - static_cast<std::int64_t>(start);
}

// The first name with a byte that is no printable ASCII character, or null: the solver side writes its
// table, row and column names in ASCII, so another byte means a damaged file.
const std::string* FirstUnprintable(const std::vector<std::string>& names) {
  for (const std::string& name : names)
    if (!IsPrintableAscii(name)) return &name;
  return nullptr;
}

// Reads the four arrays of n values that follow the names of an index section.
bool ReadEntryArrays(CTableFileCursor& cursor, std::int64_t n, std::vector<std::int32_t> (&arrays)[4]) {
  if (n < 0 || cursor.Remaining() / 16 < n) return false;
  for (auto& array : arrays) {
    array.resize(static_cast<std::size_t>(n));
    if (n > 0 && !cursor.ReadBytes(array.data(), 4 * n)) return false;
  }
  return true;
}

}  // namespace

float NarrowToFloat(double value) {
  if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
  if (value < std::numeric_limits<float>::lowest()) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

bool CTableFileCursor::SetPosition(std::int64_t position) {
  if (position < 0 || position > m_nSize) return false;
  m_nPosition = position;
  return true;
}

bool CTableFileCursor::ReadBytes(void* destination, std::int64_t count) {
  if (count < 0 || count > Remaining()) return false;
  if (count > 0) std::memcpy(destination, m_pData + m_nPosition, static_cast<std::size_t>(count));
  m_nPosition += count;
  return true;
}

bool CTableFileCursor::Skip(std::int64_t count) {
  if (count < 0 || count > Remaining()) return false;
  m_nPosition += count;
  return true;
}

bool CTableFileCursor::ReadInt16(std::int16_t& value) { return ReadBytes(&value, 2); }
bool CTableFileCursor::ReadInt32(std::int32_t& value) { return ReadBytes(&value, 4); }
bool CTableFileCursor::ReadFloat(float& value) { return ReadBytes(&value, 4); }
bool CTableFileCursor::ReadDouble(double& value) { return ReadBytes(&value, 8); }

bool CTableFileCursor::ReadFixedText(std::int64_t width, std::string& text) {
  if (width < 0 || width > Remaining()) return false;
  const char* field = m_pData + m_nPosition;
  const void* zero = std::memchr(field, 0, static_cast<std::size_t>(width));
  text.assign(field, zero ? static_cast<const char*>(zero) : field + width);
  m_nPosition += width;
  return true;
}

bool CTableFileCursor::ReadTextBlock(std::int64_t size, std::int64_t count, std::vector<std::string>& texts) {
  if (size < 0 || size > Remaining() || count < 0 || count > size) return false;
  const char* next = m_pData + m_nPosition;
  const char* end = next + size;
  std::vector<std::string> read;
  read.reserve(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i) {
    const void* zero = std::memchr(next, 0, static_cast<std::size_t>(end - next));
    if (!zero) return false;
    read.emplace_back(next, static_cast<const char*>(zero));
    next = static_cast<const char*>(zero) + 1;
  }
  texts.insert(texts.end(), std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()));
  m_nPosition += size;
  return true;
}

bool ReadFileIntoStream(const std::string& path, std::string& stream, std::ios::openmode mode) {
  std::ifstream file(plat::ResolvePath(path), mode | std::ios::in);
  if (!file) return false;
  const std::int64_t size = RemainingBytes(file);
  if (size < 0) return false;
  const std::size_t start = stream.size();
  stream.resize(start + static_cast<std::size_t>(size));
  if (size > 0 && !file.read(stream.data() + start, size)) {
    stream.resize(start);
    return false;
  }
  return true;
}

bool ReadKeyedRecordFile(const std::string& path, std::string& stream, std::int32_t key, std::string& error) {
  error.clear();
  std::ifstream file(plat::ResolvePath(path), std::ios::in | std::ios::binary);
  if (!file) return false;
  std::int64_t remaining = RemainingBytes(file);
  while (remaining > 0) {
    std::int32_t header[2];
    if (remaining < 8 || !file.read(reinterpret_cast<char*>(header), 8)) {
      error = Damaged("record header cut short in " + path);
      return false;
    }
    remaining -= 8;
    const std::int32_t length = header[1];
    if (length < 0 || length > remaining) {
      error = Damaged("record length " + std::to_string(length) + " in " + path);
      return false;
    }
    if (header[0] == key) {
      const std::size_t start = stream.size();
      stream.resize(start + static_cast<std::size_t>(length));
      if (length > 0 && !file.read(stream.data() + start, length)) {
        stream.resize(start);
        error = Damaged("record cut short in " + path);
        return false;
      }
      return true;
    }
    if (!file.seekg(length, std::ios::cur)) {
      error = Damaged("record cut short in " + path);
      return false;
    }
    remaining -= length;
  }
  return false;
}

bool ReadClassicTableIndex(CTableFileCursor& cursor, std::int32_t slots, CTableIndex& index, std::string& error) {
  std::int32_t n = 0;
  if (slots <= 0) {
    error = "the model's table count (ModelTables) is " + std::to_string(slots);
    return false;
  }
  if (!cursor.ReadInt32(n) || cursor.Remaining() < 8 + 24 * static_cast<std::int64_t>(slots)) {
    error = Damaged("the table index is shorter than its " + std::to_string(slots) + " slots");
    return false;
  }
  if (n < 0 || n > slots) {
    error = Damaged("the table index lists " + std::to_string(n) + " tables in " + std::to_string(slots) + " slots");
    return false;
  }
  std::vector<std::string> names(static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < slots; ++i) {
    std::string name;
    cursor.ReadFixedText(8, name);
    if (i < n) names[static_cast<std::size_t>(i)] = TrimTrailingBlanks(std::move(name));
  }
  if (const std::string* bad = FirstUnprintable(names)) {
    error = Damaged("the table index names a table \"" + EscapeNonPrintable(*bad) + "\"");
    return false;
  }
  cursor.Skip(8);
  std::vector<std::int32_t> arrays[4];
  ReadEntryArrays(cursor, slots, arrays);
  for (std::int32_t i = 0; i < n; ++i) {
    const std::int64_t offset = 4 * static_cast<std::int64_t>(arrays[0][static_cast<std::size_t>(i)]);
    if (offset < 0 || offset > INT32_MAX) {
      error = Damaged("table " + names[static_cast<std::size_t>(i)] + " lies at word " +
                      std::to_string(arrays[0][static_cast<std::size_t>(i)]));
      return false;
    }
    auto entry = std::make_unique<CTableMap>(std::move(names[static_cast<std::size_t>(i)]));
    entry->m_nOffset = static_cast<std::int32_t>(offset);
    entry->m_nRows = arrays[1][static_cast<std::size_t>(i)];
    entry->m_nColumns = arrays[2][static_cast<std::size_t>(i)];
    entry->m_bHasText = arrays[3][static_cast<std::size_t>(i)] > 0;
    index.Add(std::move(entry));
  }
  return true;
}

bool ReadCompactTableIndex(CTableFileCursor& cursor, CTableIndex& index, bool fromStream, std::string& error) {
  std::int32_t n = 0;
  std::int32_t size = 0;
  std::vector<std::string> names;
  if (!cursor.ReadInt32(n) || !cursor.ReadInt32(size) || n < 0 || !cursor.ReadTextBlock(size, n, names)) {
    error = Damaged("the names of the table index do not fit the file");
    return false;
  }
  if (const std::string* bad = FirstUnprintable(names)) {
    error = Damaged("the table index names a table \"" + EscapeNonPrintable(*bad) + "\"");
    return false;
  }
  std::vector<std::int32_t> arrays[4];
  if (!ReadEntryArrays(cursor, n, arrays)) {
    error = Damaged("the table index lists " + std::to_string(n) + " tables but ends early");
    return false;
  }
  std::unordered_set<std::string> present;
  for (const CTableMap* entry : index) present.insert(entry->m_strName);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (present.count(names[i])) continue;
    auto entry = std::make_unique<CTableMap>(std::move(names[i]));
    entry->m_nOffset = arrays[0][i];
    entry->m_nRows = arrays[1][i];
    entry->m_nColumns = arrays[2][i];
    entry->m_bHasText = arrays[3][i] > 0;
    entry->m_bFromStream = fromStream;
    index.Add(std::move(entry));
  }
  return true;
}

namespace {

// The byte size of a classic record; -1 for impossible sizes.
std::int64_t ClassicRecordSize(const CTableMap& entry, int width) {
  const std::int64_t r = entry.m_nRows;
  const std::int64_t c = entry.m_nColumns;
  if (r < 0 || c < 0 || (c > 0 && r > INT64_MAX / 8 / c)) return -1;
  const std::int64_t rowPad = (width == 9 && r % 4 != 0) ? 4 - r % 4 : 0;
  const std::int64_t columnPad = (width == 9 && c % 4 != 0) ? 4 - c % 4 : 0;
  return width * r + rowPad + width * c + (entry.m_bHasText ? 24 * r : 0) + columnPad + 4 * r * c;
}

// Row and column names are ASCII as the solver side writes them; the row texts may hold any character.
bool CheckNames(const CTableMap& entry, const CTableFilTable& table, std::string& error) {
  const std::string* bad = FirstUnprintable(table.m_aRowNames);
  if (bad == nullptr) bad = FirstUnprintable(table.m_aColumnNames);
  if (bad == nullptr) return true;
  error = Damaged("table " + entry.m_strName + " holds the name \"" + EscapeNonPrintable(*bad) + "\"");
  return false;
}

bool CheckShape(const CTableMap& entry, std::string& error) {
  if (entry.m_nRows >= 0 && entry.m_nColumns >= 0) return true;
  error = Damaged("table " + entry.m_strName + " has " + std::to_string(entry.m_nRows) + " rows and " +
                  std::to_string(entry.m_nColumns) + " columns");
  return false;
}

bool ReadFixedNames(CTableFileCursor& cursor, std::int64_t count, int width, std::vector<std::string>& names) {
  if (count * width > cursor.Remaining()) return false;
  names.reserve(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i) {
    std::string name;
    cursor.ReadFixedText(width, name);
    names.push_back(TrimTrailingBlanks(std::move(name)));
  }
  return true;
}

}  // namespace

bool ReadClassicTableRecord(CTableFileCursor& cursor, const CTableMap& entry, int width, CTableFilTable& table,
                            std::string& error) {
  if (!CheckShape(entry, error)) return false;
  const std::int64_t size = ClassicRecordSize(entry, width);
  if (size < 0 || !cursor.SetPosition(entry.m_nOffset) || cursor.Remaining() < size) {
    error = Damaged("table " + entry.m_strName + " runs past the end of the cache");
    return false;
  }
  const std::int64_t r = entry.m_nRows;
  const std::int64_t c = entry.m_nColumns;
  ReadFixedNames(cursor, r, width, table.m_aRowNames);
  if (width == 9 && r % 4 != 0) cursor.Skip(4 - r % 4);
  ReadFixedNames(cursor, c, width, table.m_aColumnNames);
  if (entry.m_bHasText) ReadFixedNames(cursor, r, 24, table.m_aRowTexts);
  if (width == 9 && c % 4 != 0) cursor.Skip(4 - c % 4);
  table.m_aCells.resize(static_cast<std::size_t>(r * c));
  cursor.ReadBytes(table.m_aCells.data(), 4 * r * c);
  return CheckNames(entry, table, error);
}

bool ReadClassicTableRecordFile(const std::string& path, const CTableMap& entry, int width, CTableFilTable& table,
                                std::string& error) {
  std::ifstream file(plat::ResolvePath(path), std::ios::in | std::ios::binary);
  if (!file) return false;
  if (!CheckShape(entry, error)) return false;
  const std::int64_t size = ClassicRecordSize(entry, width);
  if (size < 0 || !file.seekg(entry.m_nOffset) || RemainingBytes(file) < size) {
    error = Damaged("table " + entry.m_strName + " runs past the end of " + path);
    return false;
  }
  std::string record(static_cast<std::size_t>(size), '\0');
  if (size > 0 && !file.read(record.data(), size)) {
    error = Damaged("table " + entry.m_strName + " cannot be read from " + path);
    return false;
  }
  CTableMap atStart(entry.m_strName);
  atStart.m_nRows = entry.m_nRows;
  atStart.m_nColumns = entry.m_nColumns;
  atStart.m_bHasText = entry.m_bHasText;
  CTableFileCursor cursor(record);
  return ReadClassicTableRecord(cursor, atStart, width, table, error);
}

bool ReadClassicTableRecordImage(CTableFileCursor cursor, const std::string& path, const CTableMap& entry, int width,
                                 CTableFilTable& table, std::string& error) {
  if (!CheckShape(entry, error)) return false;
  const std::int64_t size = ClassicRecordSize(entry, width);
  if (size < 0 || !cursor.SetPosition(entry.m_nOffset) || cursor.Remaining() < size) {
    error = Damaged("table " + entry.m_strName + " runs past the end of " + path);
    return false;
  }
  return ReadClassicTableRecord(cursor, entry, width, table, error);
}

bool ReadCompactTableRecord(CTableFileCursor& cursor, const CTableMap& entry, CTableFilTable& table,
                            std::string& error) {
  if (!CheckShape(entry, error)) return false;
  const std::int64_t r = entry.m_nRows;
  const std::int64_t c = entry.m_nColumns;
  std::int32_t size = 0;
  const auto fail = [&](const char* what) {
    error = Damaged("table " + entry.m_strName + ": " + what);
    return false;
  };
  if (!cursor.SetPosition(entry.m_nOffset)) return fail("its position lies outside the cache");
  if (!cursor.ReadInt32(size) || !cursor.ReadTextBlock(size, r, table.m_aRowNames))
    return fail("the row names do not fit the cache");
  if (!cursor.ReadInt32(size) || !cursor.ReadTextBlock(size, c, table.m_aColumnNames))
    return fail("the column names do not fit the cache");
  if (entry.m_bHasText) {
    std::vector<std::string> texts;
    if (!cursor.ReadInt32(size) || !cursor.ReadTextBlock(size, r, texts))
      return fail("the row texts do not fit the cache");
    for (std::string& text : texts) table.m_aRowTexts.push_back(OemToAnsi(text));
  }
  if (cursor.Remaining() / 8 < r * c) return fail("the cells run past the end of the cache");
  if (!CheckNames(entry, table, error)) return false;
  table.m_aCells.resize(static_cast<std::size_t>(r * c));
  for (float& cell : table.m_aCells) {
    double value = 0;
    cursor.ReadDouble(value);
    cell = NarrowToFloat(value);
  }
  return true;
}

std::string OemToAnsi(const std::string& text) {
  if (std::none_of(text.begin(), text.end(), [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; }))
    return text;
  iconv_t converter = iconv_open("UTF-8", "CP850");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(text.size(), '?');
  std::string utf8(text.size() * 4, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* out = utf8.data();
  std::size_t outLeft = utf8.size();
  const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1)) return std::string(text.size(), '?');
  utf8.resize(utf8.size() - outLeft);
  return plat::Utf8ToCp1252(utf8);
}
