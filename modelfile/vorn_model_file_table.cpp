#include "modelfile/vorn_model_file_table.h"

#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "foundation/path_utils.h"
#include "platform/exceptions.h"
#include "platform/path_resolver.h"

namespace {

std::string ToLower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

// ------------------------------------------------------------ CTableFileDate

CTableFileDate CTableFileDate::OfFile(std::shared_ptr<const std::string> directory, std::string filePart) {
  CTableFileDate date;
  date.m_bPending = true;
  date.m_pDirectory = std::move(directory);
  date.m_strFilePart = std::move(filePart);
  return date;
}

const plat::OleDateTime& CTableFileDate::Get() const {
  if (m_bPending) {
    m_bPending = false;
    std::string resolved;
    struct stat status {};
    const std::string path = MakeAbsolutePath(m_pDirectory ? *m_pDirectory : std::string(), m_strFilePart);
    if (!plat::ResolveExistingPath(path, resolved) || ::stat(resolved.c_str(), &status) != 0)
      m_date = plat::OleDateTime::Null();
    else
      m_date = plat::OleDateTime::FromTimeT(status.st_mtime);
    m_pDirectory.reset();
    std::string().swap(m_strFilePart);
  }
  return m_date;
}

// ---------------------------------------------------------------- CTableFile

CTableFile::CTableFile(const std::string& name, bool enabled, CTableFileDate fileDate)
    : m_strName(ToLower(name)), m_bEnabled(enabled), m_fileDate(std::move(fileDate)) {}

std::string CTableFile::GetFilePart() const {
  std::string file;
  std::string sheet;
  SplitQualifiedName(m_strName, file, sheet);
  return file;
}

std::string CTableFile::GetSheetName() const {
  std::string file;
  std::string sheet;
  SplitQualifiedName(m_strName, file, sheet);
  return sheet;
}

std::string CTableFile::GetFullPath(const std::string& directory) const {
  return MakeAbsolutePath(directory, GetFilePart());
}

int CTableFile::CompareElements(const void* a, const void* b) {
  const int c = strcasecmp(SlotElement<CTableFile>(a)->m_strName.c_str(), SlotElement<CTableFile>(b)->m_strName.c_str());
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareTableFiles(const void* a, const void* b) { return CTableFile::CompareElements(a, b); }

// ------------------------------------------------------- CVornModelFileTable

CVornModelFileTable::CVornModelFileTable(const std::string& name, std::int32_t category)
    : m_strName(name), m_nCategory(category) {}

CVornModelFileTable::CVornModelFileTable(const std::string& name, const std::string& fileName, bool enabled,
                                         std::int32_t category, CTableFileDate fileDate)
    : m_strName(name), m_nCategory(category) {
  if (!fileName.empty()) AddFile(fileName, enabled, std::move(fileDate));
}

int CVornModelFileTable::AddFile(const std::string& fileName, bool enabled, CTableFileDate fileDate) {
  auto file = std::make_unique<CTableFile>(fileName, enabled, std::move(fileDate));
  if (m_files.LinearFind(file.get()) != nullptr) return -1;
  return m_files.Add(std::move(file));
}

std::string CVornModelFileTable::GetFileName(int i) const {
  if (m_files.IsEmpty()) return {};
  return m_files.GetAt(i)->m_strName;
}

bool CVornModelFileTable::IsFileEnabled(int i) const {
  if (m_files.IsEmpty()) return false;
  return m_files.GetAt(i)->m_bEnabled;
}

bool CVornModelFileTable::IsFileUsable(int i, bool cutTablesAllowed) const {
  if (m_files.IsEmpty()) return false;
  const bool enabled = m_files.GetAt(i)->m_bEnabled;
  if (m_nCategory == kCutTableCategory && !cutTablesAllowed) return false;
  return enabled;
}

int CVornModelFileTable::CompareElements(const void* a, const void* b) {
  return CompareKeys(SlotElement<CVornModelFileTable>(a)->m_strName, SlotElement<CVornModelFileTable>(b)->m_strName);
}

int CompareModelTables(const void* a, const void* b) { return CVornModelFileTable::CompareElements(a, b); }
