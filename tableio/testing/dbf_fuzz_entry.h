#pragma once
// What the corpus replay (and a fuzzer) feeds the dBASE back end: the bytes
// as a file, opened and read whole with every column extracted. None of it
// may crash or hang, whatever the bytes.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include <unistd.h>

#include "tableio/dbf_tbl.h"

namespace dbf_fuzz {

// Returns whether the file opened.
inline bool Dbf(const std::uint8_t* data, std::size_t size) {
  const std::string path = "/tmp/ostrel_dbf_fuzz_" + std::to_string(::getpid()) + ".dbf";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  CIOOptions options;
  SetLoaderOptions(options);
  CDbfTbl table(nullptr, &options);
  CIoTableDescription description;
  description.m_strSource = path;
  const bool opened = table.Open(description) != 0;
  if (opened && table.GetColumnCount() > 0) {
    std::string extract;
    for (int i = 0; i < table.GetColumnCount(); ++i) extract += (i ? "," : "") + table.m_columns.GetAt(i)->m_strName;
    CIoRowArray rows;
    CColumnArray keyColumns;
    CColumnArray dataColumns;
    table.ReadAll(rows, keyColumns, dataColumns, table.m_columns.GetAt(0)->m_strName, "*", extract);
    for (int r = 0; r < rows.GetSize(); ++r)
      for (int c = 0; c < rows.GetAt(r)->m_dataCells.GetSize(); ++c) rows.GetCellText(r, c);
    table.Close(1);
  }
  std::remove(path.c_str());
  return opened;
}

}  // namespace dbf_fuzz
