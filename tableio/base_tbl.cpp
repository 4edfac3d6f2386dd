#include "tableio/base_tbl.h"

#include <algorithm>
#include <cstring>

#include "foundation/messages.h"
#include "foundation/string_utils.h"
#include "platform/connection_string.h"
#include "tableio/io_strings.h"
#include "tableio/io_table.h"

namespace {

bool HasWildcards(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

// The Excel file format numbers of the names of ids 10227-10251 and 10259, in id order.
struct ExcelFormat {
  std::uint32_t id;
  int number;
};
constexpr ExcelFormat kExcelFormats[] = {
    {10227, 39}, {10228, 33}, {10229, 35}, {10230, 29},    {10231, 16}, {10232, 38}, {10233, 15},
    {10234, 5},  {10235, 34}, {10236, 14}, {10237, 27},    {10238, 28}, {10239, 6},  {10240, 22},
    {10241, 24}, {10242, 23}, {10243, 7},  {10244, 8},     {10245, 11}, {10246, 9},  {10247, 2},
    {10248, -4158}, {10249, 19}, {10250, 21}, {10251, 20}, {10259, 36}};
constexpr int kExcelFormatWks = 4;
constexpr int kExcelFormatDefault = 39;

// A table specification as a report may show it: the first argument (a data
// source name, perhaps a whole connection string) masked, the second (the
// user) kept, every further one (the password) hidden.
std::string MaskTableSpec(const std::string& spec) {
  const std::size_t open = spec.find('(');
  if (open == std::string::npos) return plat::MaskConnectionSecrets(spec);
  std::size_t close = spec.rfind(')');
  if (close == std::string::npos || close < open) close = spec.size();
  std::string out = spec.substr(0, open + 1);
  std::size_t from = open + 1;
  for (int i = 0; from <= close; ++i) {
    const std::size_t comma = std::min(spec.find(',', from), close);
    const std::string part = spec.substr(from, comma - from);
    if (i > 0) out += ",";
    out += i == 0 ? plat::MaskConnectionSecrets(part) : i == 1 ? part : std::string("********");
    from = comma + 1;
  }
  return out + plat::MaskConnectionSecrets(spec.substr(std::min(close, spec.size())));
}

}  // namespace

CBaseTbl::CBaseTbl(std::ostream* log, CIOOptions* options) : m_pLog(log), m_pOptions(options) {
  EnsureTableIoStrings();
}

// ---- Base bodies of the operations only some back ends have.

int CBaseTbl::OpenFromSpec(const std::string&, const std::string&, const std::string&) { return 0; }
int CBaseTbl::RecreateTable(CIoRowArray&, CColumnArray&, CColumnArray&) { return 0; }
int CBaseTbl::GetCellText(int, int, char*, std::size_t) { return 0; }
int CBaseTbl::TransferRows(CIoRowArray&, int, const std::vector<std::string>&, CColumnArray&,
                           const std::string&, const std::string&, const std::string&,
                           const std::string&, int&) {
  return 0;
}
int CBaseTbl::UpdateRow(CIoRowArray&, CColumnArray&, CColumnArray&) { return 0; }
int CBaseTbl::UpdateRowsByKeys(const std::string&, const std::string&, const std::string&, CIoCell&,
                               int&) {
  return 0;
}
int CBaseTbl::DeleteRow(CIoRowArray&, const std::string&) { return 0; }
int CBaseTbl::DeleteRowsByKeys(const std::string&, const std::string&, const std::string&) {
  return 0;
}
// No store to add to: a failure, not index 0.
int CBaseTbl::AddColumn(std::unique_ptr<CColumn>) { return -1; }
std::string CBaseTbl::FormatLiteral(const std::string&, int) { return std::string(); }
std::string CBaseTbl::GetTypeName(int) { return std::string(); }
std::string CBaseTbl::GetLiteralPrefix(int) { return std::string(); }
std::string CBaseTbl::GetLiteralSuffix(int) { return std::string(); }
std::string CBaseTbl::GetCreateParams(int) { return std::string(); }

// ---- Columns.

int CBaseTbl::GetColumnName(int i, std::string& out) {
  if (i > GetColumnCount()) return 0;
  out = m_columns.GetAt(i)->m_strName;
  return 1;
}

int CBaseTbl::GetColumnName(int i, char* buffer, std::size_t size) {
  std::string name;
  if (!GetColumnName(i, name)) return 0;
  CopyStringBounded(buffer, size, name.c_str(), name.size() + 1);
  return 1;
}

int CBaseTbl::FindColumnIn(const CColumnArray& array, const std::string& name) const {
  for (int i = 0; i < array.GetSize(); ++i) {
    const CColumn* column = array.GetAt(i);
    if (column && column->m_strName == name) return i;
  }
  return -1;
}

int CBaseTbl::CopyColumns(const CIoKeyCellArray& fields, CColumnArray& out) const {
  int count = 0;
  for (const CIoKeyCell* field : fields) {
    const int index = field ? field->GetIndex() : -1;
    const CColumn* source = (index >= 0 && index < m_columns.GetSize()) ? m_columns.GetAt(index) : nullptr;
    if (!source) {
      auto empty = std::make_unique<CColumn>(std::string(), 0, 0, 0, 0, 0);
      empty->Deselect();
      out.Add(std::move(empty));
    } else {
      CColumnDesc desc;
      desc.m_strName = source->m_strName;
      desc.m_nSqlType = source->m_nSqlType;
      desc.m_nSize = source->m_nSize;
      desc.m_nDecimals = source->m_nDecimals;
      desc.m_nNullable = source->m_nNullable;
      desc.m_nSource = source->GetLastSourceIndex();
      desc.m_nPosition = source->m_nPosition;
      desc.m_nFlags = source->m_nFlags;
      auto copy = std::make_unique<CColumn>(std::move(desc));
      copy->m_strAlias = source->m_strAlias;
      out.Add(std::move(copy));
    }
    ++count;
  }
  return count;
}

int CBaseTbl::CopyKeyColumns(CColumnArray& out) const { return CopyColumns(m_keyFields, out); }
int CBaseTbl::CopyExtractColumns(CColumnArray& out) const { return CopyColumns(m_extractFields, out); }

// ---- Field lists.

void CBaseTbl::AddMatchingFields(CIoKeyCellArray& fields, const std::vector<std::string>& items,
                                 bool skipBang) {
  for (int i = 0; i < m_columns.GetSize(); ++i) {
    const CColumn* column = m_columns.GetAt(i);
    if (!column) continue;
    if (skipBang && !column->m_strName.empty() && column->m_strName[0] == '!') continue;
    for (const std::string& item : items) {
      if (WildcardMatch(column->m_strName, item))
        fields.Add(std::make_unique<CIoKeyCell>(column->m_strName, i));
    }
  }
}

int CBaseTbl::SetKeyFields(const std::string& list) {
  m_keyFields.RemoveAll();
  std::vector<std::string> items;
  if (!SplitCommaList(items, list)) return ReportError(kIdsNoKeyField);
  if (HasWildcards(list)) {
    AddMatchingFields(m_keyFields, items, false);
    if (m_keyFields.IsEmpty()) return ReportErrorArg(kIdsKeyFieldNotFound, list);
    return 1;
  }
  for (const std::string& item : items) {
    if (item.empty()) {
      m_keyFields.Add(std::make_unique<CIoKeyCell>(item, -1));
      continue;
    }
    const int index = FindColumn(item);
    if (index < 0) return ReportErrorArg(kIdsKeyFieldNotFound, item);
    m_keyFields.Add(std::make_unique<CIoKeyCell>(item, index));
  }
  return 1;
}

int CBaseTbl::SetKeyValues(const std::string& list) {
  m_keyValues.clear();
  if (!SplitCommaList(m_keyValues, list)) return ReportError(kIdsNoKeyValues);
  return 1;
}

int CBaseTbl::SetExtractColumns(const std::string& list) {
  m_extractFields.RemoveAll();
  std::vector<std::string> items;
  if (!SplitCommaList(items, list)) return ReportError(kIdsNoExtractColumns);
  if (HasWildcards(list)) {
    AddMatchingFields(m_extractFields, items, true);
    return 1;
  }
  for (const std::string& item : items) {
    const int index = FindColumn(item);
    if (index < 0) return ReportErrorArg(kIdsExtractColumnNotFound, item);
    m_extractFields.Add(std::make_unique<CIoKeyCell>(item, index));
  }
  return 1;
}

int CBaseTbl::SetResultFields(const std::string& list) {
  m_resultFields.RemoveAll();
  std::vector<std::string> items;
  if (!SplitCommaList(items, list)) return ReportError(kIdsNoResultFields);
  if (HasWildcards(list)) {
    AddMatchingFields(m_resultFields, items, true);
    return 1;
  }
  const CIOOptions& options = Options();
  for (const std::string& item : items) {
    const int index = FindColumn(item);
    if (index < 0 && !options.AllowColumnAdditions) {
      ReportErrorArg(kIdsResultColumnNotFound, item);
      LogNoteId(kIdsColumnAdditionsOff);
      return 0;
    }
    m_resultFields.Add(std::make_unique<CIoKeyCell>(item, index));
  }
  return 1;
}

bool CBaseTbl::MatchContainedPart(const std::string& text, const std::string& value) {
  const std::size_t first = value.find("...");
  std::string part = first == std::string::npos ? value : value.substr(first + 3);
  const std::size_t next = part.find("...");
  if (next != std::string::npos && next != 0) part.erase(next);
  return text.find(part) != std::string::npos;
}

bool CBaseTbl::MatchKeyPattern(const std::string& text, const std::string& value) {
  if (value.find("...") != std::string::npos) return MatchContainedPart(text, value);
  if (value == "*") return true;
  return WildcardMatch(text, value);
}

// ---- Cursor.

int CBaseTbl::NextRow() {
  const int last = IsLastRow();
  ++m_nCurrentRow;
  if (last) m_bEndOfRows = 1;
  return last;
}

int CBaseTbl::NextColumn() {
  const int last = IsLastColumn();
  ++m_nCurrentColumn;
  if (last) m_bEndOfColumns = 1;
  return last;
}

int CBaseTbl::PrevRow() {
  const int left = m_nCurrentRow;
  --m_nCurrentRow;
  m_bEndOfRows = 0;
  if (m_nFirstDataRow >= left) m_bBeginOfRows = 1;
  return m_bBeginOfRows;
}

int CBaseTbl::RewindToFirstDataRow() {
  m_nCurrentRow = m_nFirstDataRow;
  m_bBeginOfRows = 0;
  const int rows = GetRowCount();
  // A rewind after a full pass must read again: the flag follows the new row.
  m_bEndOfRows = m_nCurrentRow < rows ? 0 : 1;
  return rows;
}

std::string CBaseTbl::GetRowNumberText() const { return std::to_string(m_nCurrentRow + 1); }
std::string CBaseTbl::GetColumnNumberText() const { return std::to_string(m_nCurrentColumn + 1); }

// ---- Table specifications.

int CBaseTbl::ParseTableSpec(const std::string& spec) {
  m_strDataSourceName.clear();
  m_strUser.clear();
  m_strPassword.clear();
  std::vector<std::string> arguments;
  int kind = 6;
  if (!::ParseTableSpec(arguments, spec, kind))
    return ReportErrorText("[" + MaskTableSpec(spec) + "] " + LoadResString(kIdsInvalidTableType));
  if (kind == 0 || kind == 7) return 1;
  if (kind == 4 || kind == 9) return SetExcelFileFormat(arguments.size() > 1 ? arguments[1] : std::string());
  m_strDataSourceName = arguments.size() > 0 ? arguments[0] : std::string();
  m_strUser = arguments.size() > 1 ? arguments[1] : std::string();
  m_strPassword = arguments.size() > 2 ? arguments[2] : std::string();
  return 1;
}

int CBaseTbl::SetExcelFileFormat(const std::string& name) {
  m_nExcelFileFormat = -1;
  if (name.empty()) {
    m_nExcelFileFormat = kExcelFormatDefault;
    return 1;
  }
  for (const ExcelFormat& format : kExcelFormats) {
    if (name == LoadResString(format.id)) {
      m_nExcelFileFormat = format.number;
      return 1;
    }
  }
  if (name == "WKS") {
    m_nExcelFileFormat = kExcelFormatWks;
    return 1;
  }
  return ReportErrorArg(kIdsInvalidExcelFormat, name);
}

// ---- Reports.

std::string CBaseTbl::MaskSecrets(const std::string& text) const {
  // A data source name holding "=" is a whole connection string, perhaps with a password of its own.
  std::vector<std::string> secrets = plat::FindConnectionSecrets(m_strDataSourceName);
  if (!m_strPassword.empty()) secrets.push_back(m_strPassword);
  return plat::MaskConnectionSecrets(text, secrets);
}

int CBaseTbl::ReportErrorText(const std::string& text) {
  const CIOOptions& options = Options();
  if (!options.ShowErrorBoxes && !(options.LogEnabled && m_pLog)) return 0;
  const std::string masked = MaskSecrets(text);
  if (options.ShowErrorBoxes) ShowErrorMessage(masked);
  if (options.LogEnabled && m_pLog) *m_pLog << LoadResString(kIdsError) << '\n' << masked << "\n\n";
  return 0;
}

void CBaseTbl::ReportWarningText(const std::string& text) {
  const CIOOptions& options = Options();
  if (!options.ShowWarningBoxes && !(options.LogEnabled && m_pLog)) return;
  const std::string masked = MaskSecrets(text);
  if (options.ShowWarningBoxes) ShowInfoMessage(masked);
  if (options.LogEnabled && m_pLog) *m_pLog << LoadResString(kIdsWarning) << '\n' << masked << "\n\n";
}

void CBaseTbl::LogNote(const std::string& text) {
  const CIOOptions& options = Options();
  if (options.LogEnabled && m_pLog) *m_pLog << MaskSecrets(text) << "\n\n";
}

int CBaseTbl::ReportError(std::uint32_t id) { return ReportErrorText(LoadResString(id)); }

int CBaseTbl::ReportErrorArg(std::uint32_t id, const std::string& a) {
  return ReportErrorText(FormatString1(LoadResString(id), a));
}

int CBaseTbl::ReportErrorWithName(std::uint32_t id, const std::string& name) {
  return ReportErrorText(LoadResString(id) + " [" + name + "]");
}

void CBaseTbl::ReportWarning(std::uint32_t id) { ReportWarningText(LoadResString(id)); }

void CBaseTbl::ReportWarningArg(std::uint32_t id, const std::string& a) {
  ReportWarningText(FormatString1(LoadResString(id), a));
}

void CBaseTbl::ReportWarningArgs(std::uint32_t id, const std::string& a, const std::string& b) {
  ReportWarningText(FormatString2(LoadResString(id), a, b));
}

void CBaseTbl::LogNoteId(std::uint32_t id) { LogNote(LoadResString(id)); }

void CBaseTbl::LogNoteArg(std::uint32_t id, const std::string& a) {
  LogNote(FormatString1(LoadResString(id), a));
}

int CBaseTbl::ReportException(const std::exception& error, std::uint32_t id, const std::string& a,
                              const std::string& detail) {
  std::string text = FormatString1(LoadResString(id), a);
  text += "\n\n";
  text += error.what();
  if (!detail.empty()) {
    text += "\n\n";
    text += detail;
  }
  return ReportErrorText(text);
}

void SetLoaderOptions(CIOOptions& options) {
  options.BackupExtension = "BAK";
  options.BackupOnSave = 0;
  options.ShowErrorBoxes = 0;
}

int RunLoadProtocol(CBaseTbl& backEnd, const CIoTableDescription& description,
                    const std::string& keyFields, const std::string& keyValues,
                    const std::string& extractFields, CColumnArray& keyColumns,
                    CColumnArray& dataColumns, CIoRowArray& rows, int& readOnly, int& formatCode,
                    int& available) {
  rows.RemoveAll();
  keyColumns.RemoveAll();
  dataColumns.RemoveAll();
  if (!backEnd.Open(description)) return 1;
  readOnly = backEnd.m_bReadOnly;
  formatCode = backEnd.m_nFormatCode;
  available = backEnd.m_bAvailable;
  if (!backEnd.ReadAll(rows, keyColumns, dataColumns, keyFields, keyValues, extractFields)) {
    backEnd.Close(1);
    return 2;
  }
  if (!backEnd.Close(1)) return 4;
  return backEnd.m_bWarning ? 21 : 0;
}

const CIOOptions& CBaseTbl::Options() const {
  static const CIOOptions defaults;
  return m_pOptions ? *m_pOptions : defaults;
}
