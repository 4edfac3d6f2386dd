#include "tableio/worksheet/wks_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/file_replace.h"
#include "platform/path_resolver.h"
#include "tableio/worksheet/compound_file.h"
#include "tableio/worksheet/excel2_wks_io.h"
#include "tableio/worksheet/excel3_wks_io.h"
#include "tableio/worksheet/excel4_wks_io.h"
#include "tableio/worksheet/excel5_wks_io.h"
#include "tableio/worksheet/excel8_wks_io.h"

namespace {

constexpr std::uint16_t kBiff5Bof = 0x0809;

struct WorkbookCache {
  std::unique_ptr<CWksFile> file;
  std::string name;  // the resolved path
};

WorkbookCache& Cache() {
  static WorkbookCache cache;
  return cache;
}

WksRenameFunction& RenameStep() {
  static WksRenameFunction rename = &std::rename;
  return rename;
}

bool PathExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// The first record id of a BIFF2 to BIFF4 file, from its first bytes.
int FormatOfFirstRecord(const unsigned char* bytes, std::streamsize count) {
  if (count < 2) return kWksUnknown;
  switch (bytes[0] | (bytes[1] << 8)) {
    case 0x0009: return kWksBiff2;
    case 0x0209: return kWksBiff3;
    case 0x0409: return kWksBiff4;
    default: return kWksUnknown;
  }
}

// True when the stream exists, is not empty and starts with a BIFF5/8 BOF id.
CompoundResult StreamStartsWithBof(const std::string& path, const char* streamName) {
  std::vector<std::uint8_t> stream;
  const CompoundResult result = ReadCompoundStreamFromPath(path, streamName, stream);
  if (result != CompoundResult::kOk) return result;
  if (stream.size() < 2 || (stream[0] | (stream[1] << 8)) != kBiff5Bof) return CompoundResult::kNoStream;
  return CompoundResult::kOk;
}

// 4 for a BIFF5 workbook, 5 for a newer one, 5 for anything that is not a
// compound file, 0 for a compound file with neither stream.
int CompoundFormat(const std::string& path, bool newerAllowed) {
  const CompoundResult book = StreamStartsWithBof(path, "Book");
  if (book == CompoundResult::kOk) return kWksBiff5;
  if (book == CompoundResult::kNotCompound) return newerAllowed ? kWksNewerWorkbook : kWksUnknown;
  if (!newerAllowed) return kWksUnknown;
  return StreamStartsWithBof(path, "Workbook") == CompoundResult::kOk ? kWksNewerWorkbook : kWksUnknown;
}

std::unique_ptr<std::istream> OpenBinary(const std::string& path) {
  auto stream = std::make_unique<std::ifstream>(path, std::ios::binary);
  if (!*stream) return nullptr;
  return stream;
}

}  // namespace

int CWksFile::DetectFormat(const std::string& path) {
  const std::string resolved = plat::ResolvePath(path);
  std::ifstream file(resolved, std::ios::binary);
  if (!file) return kWksUnknown;
  unsigned char bytes[6] = {};
  file.read(reinterpret_cast<char*>(bytes), sizeof bytes);
  const std::streamsize count = file.gcount();
  file.close();
  if (const int format = FormatOfFirstRecord(bytes, count); format != kWksUnknown) return format;
  return CompoundFormat(resolved, true);
}

int CWksFile::DetectFormatFromStream(std::istream& stream, const std::string& path) {
  unsigned char bytes[6] = {};
  stream.read(reinterpret_cast<char*>(bytes), sizeof bytes);
  const std::streamsize count = stream.gcount();
  stream.clear();
  stream.seekg(0);
  if (const int format = FormatOfFirstRecord(bytes, count); format != kWksUnknown) return format;
  return CompoundFormat(plat::ResolvePath(path), false);
}

CWksFile::CWksFile(const std::string& path, const std::string& sheetName, int automationMode)
    : m_strPath(plat::ResolvePath(path)) {
  m_nFormatCode = automationMode == kWksForceAutomation ? kWksAutomation : DetectFormat(m_strPath);
  m_bReadOnly = IsReadOnlyFile(m_strPath) ? 1 : 0;
  OpenReader(sheetName, automationMode);
}

void CWksFile::Fail() {
  m_pReader.reset();
  m_bFailed = true;
}

void CWksFile::FailOnContent() {
  const bool sheetMissing = m_pReader && m_pReader->IsSheetMissing();
  Fail();
  if (sheetMissing || !PathExists(m_strPath)) return;
  m_strDamage = m_strPath + " cannot be read as a workbook: it is cut short, damaged or of another format";
}

void CWksFile::OpenReader(const std::string& sheetName, int automationMode) {
  m_bFailed = false;
  m_strDamage.clear();
  m_pReader.reset();
  switch (m_nFormatCode) {
    case kWksBiff2:
    case kWksBiff3:
    case kWksBiff4:
    case kWksBiff5: {
      auto stream = OpenBinary(m_strPath);
      if (!stream) return FailOnContent();
      if (m_nFormatCode == kWksBiff2) m_pReader = std::make_unique<excel2WksIO>(std::move(stream), m_strPath);
      else if (m_nFormatCode == kWksBiff3) m_pReader = std::make_unique<excel3WksIO>(std::move(stream), m_strPath);
      else if (m_nFormatCode == kWksBiff4) m_pReader = std::make_unique<excel4WksIO>(std::move(stream), m_strPath, sheetName);
      else m_pReader = std::make_unique<excel5WksIO>(std::move(stream), m_strPath, sheetName);
      if (!m_pReader->HasError()) m_pReader->RunOpeningSequence();
      if (m_pReader->HasError()) return FailOnContent();
      if (m_pReader->IsCutShort())
        m_strDamage = m_strPath + " is cut short: its records end before the end of the sheet";
      return;
    }
    case kWksNewerWorkbook:
    case kWksAutomation:
      if (automationMode == kWksNoAutomation) return Fail();
      return OpenNewerWorkbook(sheetName);
    default:
      return FailOnContent();
  }
}

void CWksFile::OpenNewerWorkbook(const std::string& sheetName) {
  if (!GetExcelApplication() && !StartExcelApplication()) return Fail();
  m_pReader = std::make_unique<excel8WksIO>(m_strPath, sheetName);
  if (m_pReader->HasError()) FailOnContent();
}

void CWksFile::Reopen(const std::string& path, const std::string& sheetName) {
  m_strPath = plat::ResolvePath(path);
  m_pReader.reset();
  m_bFailed = false;
  m_strDamage.clear();
  if (GetExcelApplication() && m_nFormatCode >= kWksNewerWorkbook) {
    m_nFormatCode = kWksAutomation;
    return OpenNewerWorkbook(sheetName);
  }
  std::ifstream stream(m_strPath, std::ios::binary);
  if (!stream) return Fail();
  m_nFormatCode = DetectFormatFromStream(stream, m_strPath);
  stream.close();
  OpenReader(sheetName, kWksNoAutomation);
}

void CWksFile::SelectSheet(const std::string& sheetName) {
  if (!m_pReader) return;
  m_pReader->SelectSheet(sheetName);
  if (m_pReader->HasError()) m_bFailed = true;
}

int CWksFile::ReadText(int row, int column, std::string& text, int mode) {
  text.clear();
  return m_pReader ? m_pReader->ReadText(row, column, text, mode) : 0;
}

int CWksFile::ReadText(int row, int column, char* buffer, int length, int mode) {
  if (!m_pReader) {
    if (buffer && length > 0) buffer[0] = '\0';
    return 0;
  }
  return m_pReader->ReadText(row, column, buffer, length, mode);
}

int CWksFile::ReadNumber(int row, int column, double* value) {
  if (!m_pReader) {
    *value = TWksIOInnards::kNoNumber;
    return 0;
  }
  return m_pReader->ReadNumber(row, column, value);
}

int CWksFile::ReadDate(int row, int column, plat::OleDateTime* value) {
  double number = 0.0;
  const int flags = ReadNumber(row, column, &number);
  if (flags & kWksNumber) {
    value->SetValue(number);
  } else if (flags & (kWksNumber | kWksText)) {
    value->SetValue(0.0);
    value->SetStatus(plat::OleDateTime::Status::invalid);
  } else {
    *value = plat::OleDateTime::Null();
  }
  return flags;
}

void CWksFile::WriteText(int row, int column, const std::string& text, int alignment) {
  if (m_pReader) m_pReader->WriteText(row, column, text, alignment);
}

void CWksFile::WriteNumber(int row, int column, double value, int format) {
  if (m_pReader) m_pReader->WriteNumber(row, column, value, format);
}

int CWksFile::GetColumnWidth(int column) { return m_pReader ? m_pReader->GetColumnWidth(column) : -1; }
int CWksFile::HasFormula(int row, int column) { return m_pReader ? m_pReader->HasFormula(row, column) : 0; }
std::string CWksFile::GetFormulaText(int row, int column) {
  return m_pReader ? m_pReader->GetFormulaText(row, column) : std::string();
}
int CWksFile::GetRowCount() const { return m_pReader ? m_pReader->GetRowCount() : 0; }
int CWksFile::GetColumnCount() const { return m_pReader ? m_pReader->GetColumnCount() : 0; }
bool CWksFile::HasFormulas() const { return m_pReader && m_pReader->HasFormulas(); }
bool CWksFile::HasChanges() const { return m_pReader && m_pReader->HasChanges(); }
bool CWksFile::IsWritable() const { return m_pReader && m_pReader->IsWritable(); }

const char* CWksFile::GetFormatName() const {
  static const char* const kNames[] = {"Unknown", "Excel2",       "Excel3", "Excel4",
                                       "Excel5",  "Excel8Actual", "Excel"};
  return (m_nFormatCode >= 0 && m_nFormatCode <= kWksAutomation) ? kNames[m_nFormatCode] : kNames[0];
}

int CWksFile::Save(bool reopen, const char* backupExtension, const char* newPath) {
  if (!IsWritable()) return 0;
  const std::string target = newPath ? plat::ResolvePath(newPath) : m_strPath;
  const bool targetExists = PathExists(target);
  if (targetExists && IsReadOnlyFile(target)) return 0;

  std::string bytes;
  std::string temporary;
  if (!m_pReader->SaveToBytes(bytes) || !plat::WriteReplacementFile(target, bytes, temporary)) return 0;
  // The backup is a second name of the old contents, so the target keeps them
  // until the rename below replaces it in one step.
  const std::string backup = backupExtension ? ReplaceExtension(target, backupExtension) : target;
  if (targetExists && backup != target) {
    std::remove(backup.c_str());
    std::error_code error;
    if (::link(target.c_str(), backup.c_str()) != 0 &&
        !std::filesystem::copy_file(target, backup, error)) {
      std::remove(temporary.c_str());
      return 0;
    }
  }
  if (!plat::CommitReplacementFile(temporary, target, RenameStep())) return 0;
  m_strPath = target;
  if (reopen) {
    m_pReader.reset();
    Reopen(target, std::string());
  }
  return 1;
}

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
  const std::size_t separator = path.find_last_of("/\\");
  const std::size_t dot = path.rfind('.');
  if (dot != std::string::npos && (separator == std::string::npos || dot > separator))
    return path.substr(0, dot + 1) + extension;
  return path + "." + extension;
}

CWksFile* FindCachedWorkbook(const std::string& path, const std::string& sheetName) {
  WorkbookCache& cache = Cache();
  if (!cache.file) return nullptr;
  if (!sheetName.empty() && plat::ResolvePath(path) == cache.name) return cache.file.get();
  CloseCachedWorkbook(true);
  return nullptr;
}

CWksFile* OfferToCache(std::unique_ptr<CWksFile>& file, const std::string& path,
                       const std::string& sheetName) {
  const int format = file ? file->GetFormatCode() : kWksUnknown;
  // A damaged workbook is opened afresh by every reader, so that each one learns of the damage.
  if (sheetName.empty() || format < kWksBiff5 || !file->GetDamage().empty()) {
    CloseCachedWorkbook(true);
    return nullptr;
  }
  WorkbookCache& cache = Cache();
  cache.file = std::move(file);
  cache.name = plat::ResolvePath(path);
  return cache.file.get();
}

bool HasCachedWorkbook() { return Cache().file != nullptr; }

bool IsCachedWorkbook(const CWksFile* file) { return file != nullptr && Cache().file.get() == file; }

void CloseCachedWorkbook(bool) {
  WorkbookCache& cache = Cache();
  cache.file.reset();
  cache.name.clear();
}

WksRenameFunction SetWksRenameFunction(WksRenameFunction rename) {
  WksRenameFunction previous = RenameStep();
  RenameStep() = rename ? rename : &std::rename;
  return previous;
}
