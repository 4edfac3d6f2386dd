// Fuzz entry of the model table file readers: any bytes, read as a classic
// or compact index with its matrix directory and as cache records at the
// positions the index gives, must be read or refused with a reason, never
// read outside the data. Built as every fuzz entry is (cmake/OstrelFuzz.cmake).

#include <cstddef>
#include <cstdint>
#include <string>

#include "caseset/modeltables/matrix_directory.h"
#include "caseset/modeltables/table_files.h"

namespace {

// Reads every table the index lists from the cache; a failure must say why.
void ReadTables(const CTableIndex& index, const std::string& cache, bool compact) {
  for (const CTableMap* entry : index) {
    CTableFilTable table;
    CTableFileCursor cursor(cache);
    std::string error;
    const bool read = compact ? ReadCompactTableRecord(cursor, *entry, table, error)
                              : ReadClassicTableRecord(cursor, *entry, entry->m_strName == "ROWS" ? 9 : 8, table, error);
    if (!read && error.empty()) __builtin_trap();
    if (read && static_cast<std::int64_t>(table.m_aCells.size()) !=
                    static_cast<std::int64_t>(entry->m_nRows) * entry->m_nColumns)
      __builtin_trap();
  }
}

}  // namespace

// The first byte picks the layout and the classic slot count; the input is
// both the index and the cache.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const bool compact = (data[0] & 0x80) != 0;
  CTableIndex index;
  CMatrixDirectoryData directory;
  std::string error;
  CTableFileCursor cursor(bytes);
  bool read = false;
  if (compact) {
    read = ReadCompactTableIndex(cursor, index, false, error);
    if (read) read = ReadCompactMatrixDirectory(cursor, directory, error);
  } else {
    read = ReadClassicTableIndex(cursor, (data[0] & 0x7f) + 1, index, error);
    if (read) read = ReadClassicMatrixDirectory(cursor, directory, error);
  }
  if (!read && error.empty()) __builtin_trap();
  ReadTables(index, bytes, compact);
  return 0;
}
