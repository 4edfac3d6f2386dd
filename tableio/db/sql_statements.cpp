#include "tableio/db/sql_statements.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "foundation/string_utils.h"
#include "platform/exceptions.h"
#include "platform/string_table.h"

namespace {

const plat::StringTableRegistrar kTexts(
    plat::StringTable::Program,
    {
        {kIdsStatementWithoutKey,
         "A statement without a key condition would change every row of table %1; it was not run."},
        {kIdsInvalidLiteral, "The value [%1] is not a valid literal for the type of its column."},
        {kIdsUnquotableName, "The name [%1] cannot be written safely in a statement of this database; it was not used."},
    });

enum class Equality { FormatLiteral, Delimited, Unquoted };

const std::string& KeyValueAt(const CBaseTbl& t, int i) {
  if (i < 0 || static_cast<std::size_t>(i) >= t.m_keyValues.size()) throw CInvalidArgException("Key value index out of range.");
  return t.m_keyValues[static_cast<std::size_t>(i)];
}

int ColumnType(const CBaseTbl& t, int index) { return t.m_columns[index]->m_nSqlType; }

bool IsPattern(const std::string& value) {
  return value.find_first_of("*?") != std::string::npos || value.find("...") != std::string::npos;
}

bool IsNumber(const std::string& value) {
  std::string_view v(value);
  while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  if (v.empty()) return false;
  for (char c : v)
    if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '+' && c != 'e' && c != 'E')
      return false;
  const std::string text(v);
  char* end = nullptr;
  std::strtod(text.c_str(), &end);
  return end != nullptr && *end == '\0';
}

bool IsDateText(const std::string& value) {
  if (value.empty()) return false;
  for (char c : value)
    if (!std::isdigit(static_cast<unsigned char>(c)) && std::string_view(" -:./").find(c) == std::string_view::npos)
      return false;
  return true;
}

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

bool IsNameLetter(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

bool IsPlainName(const std::string& name) {
  if (name.empty() || !IsNameLetter(name[0])) return false;
  return std::all_of(name.begin(), name.end(),
                     [](char c) { return IsNameLetter(c) || std::isdigit(static_cast<unsigned char>(c)); });
}

// A part of a table name that may stand unquoted: a name, a number or a piece of a file path.
bool IsPlainTablePart(char c) {
  return IsNameLetter(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '/' || c == '\\' || c == ':';
}

// True when the name is made of plain parts and parts delimited by open ...
// close (the close character doubled inside), joined by ".".
bool IsDelimitedTableName(const std::string& name, const std::string& q, bool brackets) {
  if (name.empty()) return false;
  const bool quotes = q.size() == 1 && q != " ";
  bool partStart = true;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (IsControl(c)) return false;
    if ((quotes && c == q[0]) || (brackets && c == '[')) {
      if (!partStart) return false;
      const char close = c == '[' ? ']' : c;
      std::size_t j = i + 1;
      for (;; ++j) {
        if (j >= name.size()) return false;
        if (IsControl(name[j])) return false;
        if (name[j] != close) continue;
        if (j + 1 < name.size() && name[j + 1] == close) {
          ++j;
          continue;
        }
        break;
      }
      if (j == i + 1) return false;  // an empty identifier
      i = j;
      if (i + 1 < name.size() && name[i + 1] != '.') return false;
      partStart = false;
      continue;
    }
    if (c == '.') {
      if (partStart) return false;
      partStart = true;
      continue;
    }
    if (!IsPlainTablePart(c)) return false;
    partStart = false;
  }
  return !partStart;
}

bool Refuse(CBaseTbl& t, const std::string& value) {
  t.ReportErrorArg(kIdsInvalidLiteral, value);
  return false;
}

bool DelimitedLiteral(CBaseTbl& t, const std::string& value, int sqlType, std::string& out) {
  if (!EscapeLiteral(t.GetLiteralPrefix(sqlType), value, t.GetLiteralSuffix(sqlType), out, t.m_stringDialect))
    return Refuse(t, value);
  return true;
}

bool TypedLiteral(CBaseTbl& t, const std::string& value, int sqlType, std::string& out) {
  out = t.FormatLiteral(value, sqlType);
  if (out.empty()) return Refuse(t, value);
  return true;
}

std::string LikePattern(const std::string& value, bool jetWildcards) {
  std::string pattern = value;
  ReplaceSubstring(pattern, "...", "*");
  if (!jetWildcards) {
    ReplaceChar(pattern, '*', '%');
    ReplaceChar(pattern, '?', '_');
  }
  return pattern;
}

bool LikeTerm(CBaseTbl& t, const std::string& value, int sqlType, bool jetWildcards, std::string& out) {
  std::string prefix = t.GetLiteralPrefix(sqlType);
  std::string suffix = t.GetLiteralSuffix(sqlType);
  // A pattern is text: numeric and date columns compare it in plain quotes.
  if (prefix != "'" && prefix != "\"") prefix = suffix = "'";
  std::string literal;
  if (!EscapeLiteral(prefix, LikePattern(value, jetWildcards), suffix, literal, t.m_stringDialect))
    return Refuse(t, value);
  out = " LIKE " + literal;
  return true;
}

// The key-value conditions, one per key field with a value other than "*".
bool KeyValueTerms(CBaseTbl& t, const std::string& q, Equality equality, const std::map<std::string, int>* textColumns,
                   bool jetWildcards, bool keysMustExist, std::vector<std::string>& terms) {
  for (int i = 0; i < t.m_keyFields.GetSize(); ++i) {
    const CIoKeyCell* field = t.m_keyFields[i];
    const std::string& value = KeyValueAt(t, i);
    if (value == "*") continue;
    const int index = field->GetIndex();
    const bool nullTest = value == "NULL" || value == "NOT NULL";
    if (index == -1) {
      if (keysMustExist && !nullTest) {
        t.ReportErrorArg(kIdsKeyColumnMustExist, field->GetName());
        return false;
      }
      if (!keysMustExist) continue;
    }
    std::string name;
    if (!QuoteColumnName(t, equality == Equality::Unquoted ? std::string() : q, field->GetName(), name)) return false;
    const int type = index >= 0 ? ColumnType(t, index) : 0;
    std::string term = name;
    if (nullTest) {
      term += value == "NULL" ? " IS NULL" : " IS NOT NULL";
      if (equality == Equality::Unquoted) term += " ";
    } else if (IsPattern(value)) {
      std::string like;
      if (!LikeTerm(t, value, type, jetWildcards, like)) return false;
      term += like;
    } else if (equality == Equality::Unquoted) {
      auto it = textColumns->find(field->GetName());
      const bool isText = it == textColumns->end() || it->second != 0;
      std::string literal;
      if (!EscapeLiteral(isText ? "'" : "", value, isText ? "'" : "", literal, t.m_stringDialect))
        return Refuse(t, value);
      term += isText ? " = " + std::string(" ") + literal + " " : " = " + literal;
    } else {
      std::string literal;
      const bool ok = equality == Equality::FormatLiteral ? TypedLiteral(t, value, type, literal)
                                                          : DelimitedLiteral(t, value, type, literal);
      if (!ok) return false;
      term += "=" + literal;
    }
    terms.push_back(std::move(term));
  }
  return true;
}

// The names a SELECT reads: the extract fields (when asked), then the resolved key fields.
bool SelectedNames(CBaseTbl& t, const std::string& q, bool extract, std::vector<std::string>& names) {
  std::string name;
  if (extract) {
    for (const CIoKeyCell* field : t.m_extractFields) {
      if (!QuoteColumnName(t, q, field->GetName(), name)) return false;
      names.push_back(name);
    }
  }
  for (const CIoKeyCell* field : t.m_keyFields) {
    if (field->GetIndex() == -1) continue;
    if (!QuoteColumnName(t, q, field->GetName(), name)) return false;
    names.push_back(name);
  }
  return true;
}

std::string WhereClause(const std::vector<std::string>& terms) {
  if (terms.empty()) return {};
  std::string out = " WHERE ";
  for (std::size_t i = 0; i < terms.size(); ++i) {
    if (i > 0) out += " AND ";
    out += terms[i];
  }
  return out;
}

std::string JoinNames(const std::vector<std::string>& names) {
  if (names.empty()) return "*";
  std::string out;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += ",";
    out += names[i];
  }
  return out;
}

bool IsWritable(const CIoCell& cell) {
  return (cell.m_nFlags & kCellPending) != 0 && (cell.m_nFlags & kCellPlaceholder) == 0;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

SqlStringDialect StringDialectOf(const std::string& dbmsName) {
  const std::string upper = Upper(dbmsName);
  if (upper.find("MYSQL") != std::string::npos || upper.find("MARIADB") != std::string::npos)
    return SqlStringDialect::kBackslashEscapes;
  if (upper.find("POSTGRES") != std::string::npos) return SqlStringDialect::kPostgres;
  return SqlStringDialect::kStandard;
}

std::string QuoteIdentifier(const std::string& q, const std::string& name) {
  if (q.empty() || q == " ") return q + name + q;
  const std::string close = q == "[" ? "]" : q;
  std::string out = q;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name.compare(i, close.size(), close) == 0) {
      out += close + close;
      i += close.size() - 1;
    } else {
      out += name[i];
    }
  }
  return out + close;
}

bool CanQuoteIdentifier(const std::string& q, const std::string& name) {
  if (name.empty() || std::any_of(name.begin(), name.end(), IsControl)) return false;
  return (!q.empty() && q != " ") || IsPlainName(name);
}

bool QuoteColumnName(CBaseTbl& t, const std::string& q, const std::string& name, std::string& out) {
  if (!CanQuoteIdentifier(q, name)) {
    t.ReportErrorArg(kIdsUnquotableName, name);
    return false;
  }
  out = QuoteIdentifier(q, name);
  return true;
}

bool QuoteTableName(const std::string& q, bool brackets, const std::string& name, std::string& out) {
  if (IsDelimitedTableName(name, q, brackets)) {
    out = name;
    return true;
  }
  const std::string quote = !q.empty() && q != " " ? q : brackets ? std::string("[") : std::string();
  if (!CanQuoteIdentifier(quote, name)) return false;
  out = QuoteIdentifier(quote, name);
  return true;
}

bool EscapeLiteral(const std::string& prefix, const std::string& value, const std::string& suffix, std::string& out,
                   SqlStringDialect dialect) {
  if (value.find('\0') != std::string::npos) return false;
  const bool dateDelimiters = prefix.find('#') != std::string::npos || prefix.find('{') != std::string::npos;
  if (dateDelimiters && !IsDateText(value)) return false;
  const char quote = prefix.empty() ? '\0' : prefix.back();
  if (quote == '\'' || quote == '"') {
    const bool escapes = dialect != SqlStringDialect::kStandard && value.find('\\') != std::string::npos;
    // An escape string reads a doubled backslash as one, whatever the server's setting.
    out = escapes && dialect == SqlStringDialect::kPostgres && prefix == "'" ? std::string("E'") : prefix;
    for (char c : value) {
      out.push_back(c);
      if (c == quote || (escapes && c == '\\')) out.push_back(c);
    }
    out += suffix;
    return true;
  }
  const bool hex = prefix.size() >= 2 && (prefix.compare(prefix.size() - 2, 2, "0x") == 0 ||
                                          prefix.compare(prefix.size() - 2, 2, "0X") == 0);
  if (hex) {
    if (!std::all_of(value.begin(), value.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
      return false;
  } else if (!dateDelimiters && !IsNumber(value)) {
    return false;
  }
  out = prefix + value + suffix;
  return true;
}

bool IsJetDbms(const std::string& dbmsName) {
  const std::string upper = Upper(dbmsName);
  return upper.find("ACCESS") != std::string::npos || upper.find("JET") != std::string::npos ||
         upper.find("MDB") != std::string::npos;
}

bool HasBracketQuotes(const std::string& dbmsName) {
  return IsJetDbms(dbmsName) || Upper(dbmsName).find("SQL SERVER") != std::string::npos;
}

std::string BuildColumnProbe(const std::string& dbmsName, const std::string& table) {
  if (HasBracketQuotes(dbmsName)) return "SELECT TOP 1 * FROM " + table;
  return "SELECT * FROM " + table + " WHERE 1=0";
}

bool BuildKeyValueWhere(CBaseTbl& t, const std::string& q, bool jetWildcards, std::string& where) {
  std::vector<std::string> terms;
  if (!KeyValueTerms(t, q, Equality::FormatLiteral, nullptr, jetWildcards, false, terms)) return false;
  where = WhereClause(terms);
  return true;
}

bool BuildKeyValueWhereUnquoted(CBaseTbl& t, const std::map<std::string, int>& textColumns, bool jetWildcards,
                                std::string& where) {
  std::vector<std::string> terms;
  if (!KeyValueTerms(t, "", Equality::Unquoted, &textColumns, jetWildcards, false, terms)) return false;
  where = WhereClause(terms);
  return true;
}

bool BuildRowKeyWhere(CBaseTbl& t, const std::string& q, const CIoRow& row, std::string& where) {
  std::vector<std::string> terms;
  for (int i = 0; i < t.m_keyFields.GetSize(); ++i) {
    const CIoKeyCell* field = t.m_keyFields[i];
    if (field->GetIndex() == -1) continue;
    const CIoCell* cell = row.m_keyCells[i];
    std::string term;
    if (!QuoteColumnName(t, q, field->GetName(), term)) return false;
    if (cell->IsNull()) {
      term += " IS NULL";
    } else {
      std::string literal;
      if (!TypedLiteral(t, cell->Format(), ColumnType(t, field->GetIndex()), literal)) return false;
      term += "=" + literal;
    }
    terms.push_back(std::move(term));
  }
  where = WhereClause(terms);
  return true;
}

bool BuildSelect(CBaseTbl& t, const std::string& q, const std::string& table, bool jetWildcards, std::string& sql) {
  std::vector<std::string> names;
  if (!SelectedNames(t, q, true, names)) return false;
  std::string where;
  if (!BuildKeyValueWhere(t, q, jetWildcards, where)) return false;
  sql = "SELECT " + JoinNames(names) + " FROM " + table + where;
  return true;
}

bool BuildSelectUnquoted(CBaseTbl& t, const std::string& table, const std::map<std::string, int>& textColumns,
                         bool jetWildcards, std::string& sql) {
  std::vector<std::string> names;
  if (!SelectedNames(t, "", true, names)) return false;
  std::string where;
  if (!BuildKeyValueWhereUnquoted(t, textColumns, jetWildcards, where)) return false;
  sql = "SELECT " + JoinNames(names) + " FROM " + table + where;
  return true;
}

bool BuildSelectKeys(CBaseTbl& t, const std::string& q, const std::string& table, bool jetWildcards,
                     std::string& sql) {
  std::vector<std::string> names;
  if (!SelectedNames(t, q, false, names)) return false;
  std::string where;
  if (!BuildKeyValueWhere(t, q, jetWildcards, where)) return false;
  sql = "SELECT " + JoinNames(names) + " FROM " + table + where;
  return true;
}

bool BuildCreateTable(CBaseTbl& t, const std::string& q, const std::string& table, const CColumnArray& keyColumns,
                      const CColumnArray& dataColumns, std::string& sql) {
  std::vector<std::string> definitions;
  for (const CColumnArray* columns : {&keyColumns, &dataColumns}) {
    for (const CColumn* column : *columns) {
      if (column == nullptr || !column->IsSelected()) continue;
      std::string definition;
      if (!QuoteColumnName(t, q, column->m_strName, definition)) return false;
      definition += " " + t.GetTypeName(column->m_nSqlType);
      // The size as declared; no source accepts a size below 1, so such a column gets 255.
      if (!t.GetCreateParams(column->m_nSqlType).empty()) {
        const int size = column->m_nSize < 1 ? 255 : column->m_nSize;
        definition += "(" + std::to_string(size) + ")";
      }
      definitions.push_back(std::move(definition));
    }
  }
  sql = "CREATE TABLE " + table + " (";
  for (std::size_t i = 0; i < definitions.size(); ++i) sql += (i > 0 ? "," : "") + definitions[i];
  sql += ")";
  return true;
}

bool BuildInsert(CBaseTbl& t, const std::string& q, const std::string& table, const CIoRow& row,
                 const CColumnArray& keyColumns, const CColumnArray& dataColumns, bool useGivenKeyColumns,
                 std::string& sql) {
  std::vector<std::string> names;
  std::vector<std::string> values;
  auto add = [&](const CColumn& column, const CIoCell& cell, int sqlType) {
    std::string literal;
    std::string name;
    if (!QuoteColumnName(t, q, column.m_strName, name) || !DelimitedLiteral(t, cell.Format(), sqlType, literal)) return false;
    names.push_back(std::move(name));
    values.push_back(std::move(literal));
    return true;
  };
  for (int i = 0; i < keyColumns.GetSize(); ++i) {
    const CColumn* column = keyColumns[i];
    if (!column->IsSelected()) continue;
    const CIoCell* cell = row.m_keyCells[i];
    if ((cell->m_nFlags & kCellPending) == 0 || cell->IsNull()) continue;
    int type = column->m_nSqlType;
    if (!useGivenKeyColumns) {
      const int index = t.m_keyFields[i]->GetIndex();
      if (index >= 0) type = ColumnType(t, index);
    }
    if (!add(*column, *cell, type)) return false;
  }
  for (int j = 0; j < dataColumns.GetSize(); ++j) {
    const CColumn* column = dataColumns[j];
    if (!column->IsSelected()) continue;
    const CIoCell* cell = row.m_dataCells[j];
    if ((cell->m_nFlags & kCellPending) == 0 || cell->IsNull()) continue;
    if (!add(*column, *cell, column->m_nSqlType)) return false;
  }
  if (names.empty()) {
    sql.clear();
    return true;
  }
  sql = "INSERT INTO " + table + " (";
  for (std::size_t i = 0; i < names.size(); ++i) sql += (i > 0 ? "," : "") + names[i];
  sql += ") VALUES (";
  for (std::size_t i = 0; i < values.size(); ++i) sql += (i > 0 ? "," : "") + values[i];
  sql += ")";
  return true;
}

bool BuildUpdateByKeyValues(CBaseTbl& t, const std::string& q, const std::string& table, const CIoCell& value,
                            bool jetWildcards, std::string& sql) {
  std::string assignments;
  for (const CIoKeyCell* field : t.m_resultFields) {
    const int index = t.FindColumn(field->GetName());
    if (index < 0) continue;
    std::string literal = "NULL";
    std::string name;
    if (!QuoteColumnName(t, q, field->GetName(), name)) return false;
    if (!value.IsNull() && !DelimitedLiteral(t, value.Format(), ColumnType(t, index), literal)) return false;
    if (!assignments.empty()) assignments += ", ";
    assignments += name + "=" + literal;
  }
  std::vector<std::string> terms;
  if (!KeyValueTerms(t, q, Equality::Delimited, nullptr, jetWildcards, true, terms)) return false;
  if (assignments.empty()) {
    sql.clear();
    return true;
  }
  sql = "UPDATE " + table + " SET " + assignments + WhereClause(terms);
  return true;
}

bool BuildUpdateRow(CBaseTbl& t, const std::string& q, const std::string& table, const CIoRow& dataRow,
                    const CIoRow& keyRow, std::string& sql) {
  std::string assignments;
  for (int j = 0; j < dataRow.m_dataCells.GetSize(); ++j) {
    const CIoCell* cell = dataRow.m_dataCells[j];
    if (!IsWritable(*cell)) continue;
    const CColumn* target = t.m_targetColumns[j];
    const int index = t.FindColumn(target->m_strName);
    const int type = index >= 0 ? ColumnType(t, index) : target->m_nSqlType;
    std::string literal = "NULL";
    std::string name;
    if (!QuoteColumnName(t, q, target->m_strName, name)) return false;
    if (!cell->IsNull() && !DelimitedLiteral(t, cell->Format(), type, literal)) return false;
    if (!assignments.empty()) assignments += ",";
    assignments += name + "=" + literal;
  }
  if (assignments.empty()) {
    sql.clear();
    return true;
  }
  std::vector<std::string> terms;
  for (int i = 0; i < keyRow.m_keyCells.GetSize(); ++i) {
    const CIoCell* cell = keyRow.m_keyCells[i];
    if (!IsWritable(*cell)) continue;
    const CIoKeyCell* field = t.m_keyFields[i];
    if (field->GetIndex() == -1) continue;
    const std::string text = cell->Format();
    std::string term;
    if (!QuoteColumnName(t, q, field->GetName(), term)) return false;
    if (cell->IsNull() || text == "NULL") {
      term += " IS NULL";
    } else if (text == "NOT NULL") {
      term += " IS NOT NULL";
    } else {
      std::string literal;
      if (!TypedLiteral(t, text, ColumnType(t, field->GetIndex()), literal)) return false;
      term += "=" + literal;
    }
    terms.push_back(std::move(term));
  }
  if (terms.empty()) {
    t.ReportErrorArg(kIdsStatementWithoutKey, table);
    return false;
  }
  sql = "UPDATE " + table + " SET " + assignments + WhereClause(terms);
  return true;
}

bool BuildDeleteByKeyValues(CBaseTbl& t, const std::string& q, const std::string& table, bool jetWildcards,
                            std::string& sql) {
  std::vector<std::string> terms;
  if (!KeyValueTerms(t, q, Equality::FormatLiteral, nullptr, jetWildcards, true, terms)) return false;
  sql = "DELETE FROM " + table + WhereClause(terms);
  return true;
}

bool BuildDeleteRow(CBaseTbl& t, const std::string& q, const std::string& table, const CIoRow& row,
                    std::string& sql) {
  std::string where;
  if (!BuildRowKeyWhere(t, q, row, where)) return false;
  if (where.empty()) {
    t.ReportErrorArg(kIdsStatementWithoutKey, table);
    return false;
  }
  sql = "DELETE FROM " + table + where;
  return true;
}
