#pragma once
// One table of a model's catalogue (CVornModelFileTable) and one source of a
// table (CTableFile): a file, or a file and a sheet or database table.

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"
#include "platform/ole_date_time.h"

// The last-modified time of a table source. Either given, or taken from the
// file system the first time it is read, so that loading a model touches no
// table file: null when the file is not there.
class CTableFileDate {
 public:
  CTableFileDate(const plat::OleDateTime& date) : m_date(date) {}  // a given date converts
  // The date of filePart (absolute, or relative to directory), looked up on first use.
  static CTableFileDate OfFile(std::shared_ptr<const std::string> directory, std::string filePart);

  const plat::OleDateTime& Get() const;
  operator const plat::OleDateTime&() const { return Get(); }
  plat::OleDateTime::Status GetStatus() const { return Get().GetStatus(); }
  bool IsValid() const { return Get().IsValid(); }
  double GetValue() const { return Get().GetValue(); }

 private:
  CTableFileDate() = default;
  mutable bool m_bPending = false;  // the file is still to be looked at
  mutable std::shared_ptr<const std::string> m_pDirectory;
  mutable std::string m_strFilePart;
  mutable plat::OleDateTime m_date;
};

class CTableFile : public CObject {
 public:
  // The name is kept in lower case: "file" or "file[sheet]".
  CTableFile(const std::string& name, bool enabled, CTableFileDate fileDate);

  // The part before "[".
  std::string GetFilePart() const;
  // The part between the square brackets; empty when there are none.
  std::string GetSheetName() const;
  // The file part made absolute against directory (one level up per "..\").
  std::string GetFullPath(const std::string& directory) const;

  std::string m_strName;
  bool m_bEnabled = true;
  CTableFileDate m_fileDate;  // null when the file is not there

  // CompareTableFiles: by name, ignoring case.
  static int CompareElements(const void* a, const void* b);
};

int CompareTableFiles(const void* a, const void* b);

class CVornModelFileTable : public CObject {
 public:
  CVornModelFileTable(const std::string& name, std::int32_t category);
  // Also adds one source when fileName is not empty.
  CVornModelFileTable(const std::string& name, const std::string& fileName, bool enabled, std::int32_t category,
                      CTableFileDate fileDate);

  // Appends a source unless one of the same name (ignoring case) is listed;
  // returns its index, or -1 when it was not added.
  int AddFile(const std::string& fileName, bool enabled, CTableFileDate fileDate);

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
