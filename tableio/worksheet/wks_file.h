#pragma once
// One open worksheet file: its format is detected, the matching reader is
// created and every cell read and write goes through it. Saving writes a
// new file beside it first and renames it over the target, so a failed save
// never damages the file. One multi-sheet workbook can stay open in a
// process-wide cache, so that tables read from several of its sheets open it
// once (one thread only).

#include <cstdint>
#include <istream>
#include <memory>
#include <string>

#include "platform/ole_date_time.h"
#include "tableio/worksheet/wks_io_innards.h"

// Format codes.
enum : int {
  kWksUnknown = 0,
  kWksBiff2 = 1,
  kWksBiff3 = 2,
  kWksBiff4 = 3,
  kWksBiff5 = 4,
  kWksNewerWorkbook = 5,
  kWksAutomation = 6,
};

// How newer workbooks are opened: 0 not at all, 1 always through the
// newer-workbook reader, 2 when the content asks for it.
enum : int { kWksNoAutomation = 0, kWksForceAutomation = 1, kWksAutomationWhenNeeded = 2 };

class CWksFile {
 public:
  // Opens the file (a name from a stored file is resolved first) and the
  // named sheet; IsFailed() tells the outcome.
  CWksFile(const std::string& path, const std::string& sheetName, int automationMode);
  ~CWksFile() = default;
  CWksFile(const CWksFile&) = delete;
  CWksFile& operator=(const CWksFile&) = delete;

  // Opens the file again after a save.
  void Reopen(const std::string& path, const std::string& sheetName);
  void CloseReader() { m_pReader.reset(); }
  // Switches a workbook to another sheet; a missing sheet marks the file failed.
  void SelectSheet(const std::string& sheetName);

  // Cell reads return the reader's cell flags (0 when the file failed).
  int ReadText(int row, int column, std::string& text, int mode);
  int ReadText(int row, int column, char* buffer, int length, int mode);
  int ReadNumber(int row, int column, double* value);
  // A number gives a valid date; a text or other value an invalid date
  // (value 0); an empty cell a null date.
  int ReadDate(int row, int column, plat::OleDateTime* value);
  void WriteText(int row, int column, const std::string& text, int alignment);
  void WriteNumber(int row, int column, double value, int format);
  void WriteDate(int row, int column, const plat::OleDateTime& value) { WriteNumber(row, column, value.GetValue(), -4); }
  void WriteTime(int row, int column, const plat::OleDateTime& value) { WriteNumber(row, column, value.GetValue(), -5); }
  int GetColumnWidth(int column);
  int HasFormula(int row, int column);
  std::string GetFormulaText(int row, int column);
  int GetRowCount() const;
  int GetColumnCount() const;
  bool HasFormulas() const;
  bool HasChanges() const;
  bool IsWritable() const;

  bool IsFailed() const { return m_bFailed; }
  // Why a file that is there cannot be read whole (not a workbook, cut
  // short, damaged records); empty for a readable file, for a missing one and
  // for a sheet the workbook lacks. A file cut short may still have opened.
  const std::string& GetDamage() const { return m_strDamage; }
  int GetFormatCode() const { return m_nFormatCode; }
  // "Excel2".."Excel5" for BIFF2 to BIFF5, "Excel8Actual" for a newer
  // workbook, "Excel" for one forced through the newer-workbook reader.
  const char* GetFormatName() const;
  const std::string& GetPath() const { return m_strPath; }
  int IsReadOnly() const { return m_bReadOnly; }
  int IsAvailable() const { return m_bAvailable; }

  // Writes the reader's contents to a new file beside the target with a
  // unique name and the target's mode (plat::WriteReplacementFile) and
  // renames it over the target (the new path, else the file's own). With a backup extension the old
  // target is kept under that extension. Returns 1 when saved; on any failure
  // 0 with the target as it was. Read-only targets and readers that cannot
  // write are refused.
  int Save(bool reopen, const char* backupExtension, const char* newPath);

  // The format of a file: 1-3 by the first record id (9, 0x0209, 0x0409), 4
  // for a compound file with a "Book" stream, 5 for one with a "Workbook"
  // stream and for every file that is not a compound file, else 0.
  static int DetectFormat(const std::string& path);
  // The same from an open stream of the file, which is left at its start;
  // 0 for anything but BIFF2 to BIFF5.
  static int DetectFormatFromStream(std::istream& stream, const std::string& path);

 private:
  void OpenReader(const std::string& sheetName, int automationMode);
  void OpenNewerWorkbook(const std::string& sheetName);
  void Fail();
  // Fails, and names the damage when the file is there and the reader did
  // not merely miss the sheet.
  void FailOnContent();

  std::unique_ptr<TWksIOInnards> m_pReader;
  bool m_bFailed = false;
  std::string m_strDamage;
  int m_nFormatCode = kWksUnknown;
  std::string m_strPath;
  int m_bReadOnly = 0;
  int m_bAvailable = 1;
};

// path with everything after the last "." of its file name replaced by
// extension, or "." and extension appended when it has none.
std::string ReplaceExtension(const std::string& path, const std::string& extension);

// The cached workbook of path when sheetName is not empty; otherwise, or for
// another path, the cache is emptied and null returned.
CWksFile* FindCachedWorkbook(const std::string& path, const std::string& sheetName);
// Takes file into the cache when sheetName is not empty and it is an undamaged BIFF5 or
// newer workbook (file is then empty and the returned pointer is the cached
// one); otherwise empties the cache, leaves file with the caller and returns null.
CWksFile* OfferToCache(std::unique_ptr<CWksFile>& file, const std::string& path,
                       const std::string& sheetName);
bool HasCachedWorkbook();
bool IsCachedWorkbook(const CWksFile* file);
// Closes and frees the cached workbook and empties the cache. The cache owns
// its workbook, so it is freed whatever deleteFile says.
void CloseCachedWorkbook(bool deleteFile = true);

// Replaces the rename step of saves (tests fail it); null restores rename(2).
using WksRenameFunction = int (*)(const char* from, const char* to);
WksRenameFunction SetWksRenameFunction(WksRenameFunction rename);
