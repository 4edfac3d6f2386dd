#pragma once
// One table of a model's catalogue (CVornModelFileTable) and one source of a
// table (CTableFile): a file, or a file and a sheet or database table.

#include <cstdint>
#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"
#include "platform/ole_date_time.h"

class CTableFile : public CObject {
 public:
  // The name is kept in lower case: "file" or "file[sheet]".
  CTableFile(const std::string& name, bool enabled, const plat::OleDateTime& fileDate);

  // The part before "[".
  std::string GetFilePart() const;
  // The part between the square brackets; empty when there are none.
  std::string GetSheetName() const;
  // The file part made absolute against directory (one level up per "..\").
  std::string GetFullPath(const std::string& directory) const;

  std::string m_strName;
  bool m_bEnabled = true;
  plat::OleDateTime m_fileDate;  // null when the file was not found

  // CompareTableFiles: by name, ignoring case.
  static int CompareElements(const void* a, const void* b);
};

int CompareTableFiles(const void* a, const void* b);

class CVornModelFileTable : public CObject {
 public:
  CVornModelFileTable(const std::string& name, std::int32_t category);
  // Also adds one source when fileName is not empty.
  CVornModelFileTable(const std::string& name, const std::string& fileName, bool enabled, std::int32_t category,
                      const plat::OleDateTime& fileDate);

  // Appends a source unless one of the same name (ignoring case) is listed;
  // returns its index, or -1 when it was not added.
  int AddFile(const std::string& fileName, bool enabled, const plat::OleDateTime& fileDate);

  // For a table with sources an index outside them throws CInvalidArgException.
  std::string GetFileName(int i) const;    // empty without sources
  bool IsFileEnabled(int i) const;         // false without sources
  // False without sources and for a cut table (category 14) unless cut
  // tables are allowed; otherwise the source's enabled flag.
  bool IsFileUsable(int i, bool cutTablesAllowed) const;

  CAutoDestructArray<CPtrArray, CTableFile*> m_files;
  std::string m_strName;
  std::int32_t m_nCategory = 0;
  plat::OleDateTime m_fileDate;

  // CompareModelTables: by name, case-sensitive.
  static int CompareElements(const void* a, const void* b);
};

int CompareModelTables(const void* a, const void* b);

// The category of the cut tables, whose sources count only with the
// shortcut distillation of the nonlinear solver.
constexpr std::int32_t kCutTableCategory = 14;
