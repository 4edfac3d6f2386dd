#include "tableio/io_table.h"

#include <map>
#include <mutex>

#include "tableio/io_strings.h"

namespace {

struct LoaderOverrides {
  std::mutex mutex;
  std::map<int, TableLoader> loaders;
};

LoaderOverrides& Overrides() {
  static LoaderOverrides overrides;
  return overrides;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string TrimBothEnds(const std::string& text) {
  std::size_t end = text.size();
  while (end > 0 && IsSpace(text[end - 1])) --end;
  std::size_t begin = 0;
  while (begin < end && IsSpace(text[begin])) ++begin;
  return text.substr(begin, end - begin);
}

bool EqualsIgnoringCase(const std::string& a, const char* b) {
  const std::size_t n = std::char_traits<char>::length(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

CIoTable::CIoTable(const std::string& source, const std::string& table, const std::string& keyFields,
                   const std::string& keyValues, const std::string& extractFields, int tableType,
                   const std::string& dataSourceName, const std::string& user,
                   const std::string& password, const std::string& extra) {
  m_description.m_strSource = source;
  m_description.m_strTable = table;
  m_description.m_strDataSourceName = dataSourceName;
  m_description.m_strUser = user;
  m_description.m_strPassword = password;
  m_description.m_strExtra[0] = extra;
  Describe(tableType);
  Load(keyFields, keyValues, extractFields);
}

CIoTable::CIoTable(CDatabase* database, const std::string& table, const std::string& keyFields,
                   const std::string& keyValues, const std::string& extractFields, int tableType) {
  m_description.m_pDatabase = database;
  m_description.m_strTable = table;
  Describe(tableType);
  Load(keyFields, keyValues, extractFields);
}

CIoTable::CIoTable(const std::shared_ptr<plat::AdoConnection>& connection, const std::string& table,
                   const std::string& keyFields, const std::string& keyValues,
                   const std::string& extractFields, int tableType, const std::string& source) {
  m_description.m_pConnection = connection;
  m_description.m_strTable = table;
  m_description.m_strSource = source;
  Describe(tableType);
  Load(keyFields, keyValues, extractFields);
}

CIoTable::CIoTable() { EnsureTableIoStrings(); }

void CIoTable::Describe(int tableType) {
  EnsureTableIoStrings();
  m_description.m_nOptions[0] = 1;
  m_description.m_nTableType = tableType;
  m_bMerged = 0;
}

int CIoTable::Load(const std::string& keyFields, const std::string& keyValues,
                   const std::string& extractFields) {
  m_strSource = m_description.m_strSource;
  m_strTable = m_description.m_strTable;
  TableLoader loader;
  {
    LoaderOverrides& overrides = Overrides();
    std::lock_guard<std::mutex> lock(overrides.mutex);
    if (auto it = overrides.loaders.find(m_description.m_nTableType); it != overrides.loaders.end())
      loader = it->second;
  }
  m_nStatus = loader ? loader(*this, keyFields, keyValues, extractFields)
                     : RunBuiltInTableLoader(*this, keyFields, keyValues, extractFields);
  return m_nStatus;
}

TableLoader SetTableLoader(int tableType, TableLoader loader) {
  LoaderOverrides& overrides = Overrides();
  std::lock_guard<std::mutex> lock(overrides.mutex);
  TableLoader previous;
  if (auto it = overrides.loaders.find(tableType); it != overrides.loaders.end()) {
    previous = std::move(it->second);
    overrides.loaders.erase(it);
  }
  if (loader) overrides.loaders.emplace(tableType, std::move(loader));
  return previous;
}

int CIoTable::FindColumn(const std::string& name) const {
  for (int j = 0; j < m_dataColumns.GetSize(); ++j) {
    const CColumn* column = m_dataColumns.GetAt(j);
    if (column && column->m_strName == name) return j;
  }
  return -1;
}

const char* CIoTable::GetColumnName(int j) const {
  const CColumn* column = m_dataColumns.GetAt(j);
  if (!column) throw CInvalidArgException("Null column.");
  return column->m_strName.c_str();
}

std::int16_t CIoTable::GetColumnType(int j) const {
  const CColumn* column = m_dataColumns.GetAt(j);
  if (!column) throw CInvalidArgException("Null column.");
  return column->m_nSqlType;
}

int CIoTable::FindRowByKey(const std::string& text, int k) const {
  for (int i = 0; i < m_rows.GetSize(); ++i) {
    if (text == m_rows.GetKeyString(i, k)) return i;
  }
  return -1;
}

int CIoTable::FindExtraRowByKey(const std::string& text, int k) const {
  for (int i = 0; i < m_extraRows.GetSize(); ++i) {
    if (text == m_extraRows.GetKeyString(i, k)) return i;
  }
  return -1;
}

std::string CIoTable::GetDisplayName() const {
  if (m_strTable.empty()) return m_strSource;
  return m_strSource + "[" + m_strTable + "]";
}

bool SplitCommaList(std::vector<std::string>& array, const std::string& text) {
  array.clear();
  if (text.empty()) return false;
  std::size_t from = 0;
  while (true) {
    const std::size_t comma = text.find(',', from);
    array.push_back(TrimBothEnds(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from)));
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  return true;
}

bool ParseTableSpec(std::vector<std::string>& array, const std::string& text, int& kind) {
  kind = 6;
  const std::size_t open = text.find('(');
  const std::string word = text.substr(0, open);
  if (word == "WKS") {
    kind = 0;
    return true;
  }
  if (word == "DBF") {
    kind = 7;
    return true;
  }
  if (word == "PI") kind = 1;
  else if (word == "ODBC") kind = 2;
  else if (word == "OLE2") kind = 3;
  else if (word == "DAO") kind = 8;
  else return false;

  if (open == std::string::npos) return false;
  const std::size_t close = text.find(')', open + 1);
  if (close == std::string::npos) return false;
  if (!SplitCommaList(array, text.substr(open + 1, close - open - 1))) return false;
  if (kind == 3) {
    if (array.size() != 2) return false;
    if (EqualsIgnoringCase(array[0], "Excel5")) {
      kind = 4;
      return true;
    }
    if (EqualsIgnoringCase(array[0], "Excel8") || EqualsIgnoringCase(array[0], "Excel")) {
      kind = 9;
      return true;
    }
    return false;
  }
  return array.size() == 3;
}

std::string& PadRightWithSpaces(std::string& text, std::size_t n) {
  if (text.size() < n) text.append(n - text.size(), ' ');
  return text;
}
