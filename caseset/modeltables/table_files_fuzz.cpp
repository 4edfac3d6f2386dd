// Fuzz target of the model table file readers: any bytes, read as a classic
// or compact index with its matrix directory and as cache records at the
// positions the index gives, must be read or refused with a reason, never
// read outside the data. Built with libFuzzer when clang is found; otherwise
// main() replays the files of the given corpus directories.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

#ifndef OSTREL_LIBFUZZER
int main(int argc, char** argv) {
  int files = 0;
  for (int i = 1; i < argc; ++i) {
    for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<char> content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
      ++files;
    }
  }
  std::printf("replayed %d files\n", files);
  return files > 0 ? 0 : 1;
}
#endif
