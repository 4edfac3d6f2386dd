#include "tableio/db/sql_statements.h"

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

bool Refuse(CBaseTbl& t, const std::string& value) {
  t.ReportErrorArg(kIdsInvalidLiteral, value);
  return false;
}

bool DelimitedLiteral(CBaseTbl& t, const std::string& value, int sqlType, std::string& out) {
  if (!EscapeLiteral(t.GetLiteralPrefix(sqlType), value, t.GetLiteralSuffix(sqlType), out)) return Refuse(t, value);
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
  if (!EscapeLiteral(prefix, LikePattern(value, jetWildcards), suffix, literal)) return Refuse(t, value);
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
    const std::string name = equality == Equality::Unquoted ? field->GetName() : QuoteIdentifier(q, field->GetName());
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
      if (!EscapeLiteral(isText ? "'" : "", value, isText ? "'" : "", literal)) return Refuse(t, value);
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

std::string QuoteIdentifier(const std::string& q, const std::string& name) {
  if (q.empty() || q == " ") return q + name + q;
  std::string out = q;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name.compare(i, q.size(), q) == 0) {
      out += q + q;
      i += q.size() - 1;
    } else {
      out += name[i];
    }
  }
  return out + q;
}

bool EscapeLiteral(const std::string& prefix, const std::string& value, const std::string& suffix, std::string& out) {
  const bool dateDelimiters = prefix.find('#') != std::string::npos || prefix.find('{') != std::string::npos;
  if (dateDelimiters && !IsDateText(value)) return false;
  if (prefix.empty() && suffix.empty()) {
    if (!IsNumber(value)) return false;
    out = value;
    return true;
  }
  const char quote = prefix.back();
  out = prefix;
  if (quote == '\'' || quote == '"') {
    for (char c : value) {
      out.push_back(c);
      if (c == quote) out.push_back(c);
    }
  } else {
    if (!suffix.empty() && value.find(suffix[0]) != std::string::npos) return false;
    out += value;
  }
  out += suffix;
  return true;
}

bool IsJetDbms(const std::string& dbmsName) {
  const std::string upper = Upper(dbmsName);
  return upper.find("ACCESS") != std::string::npos || upper.find("JET") != std::string::npos ||
         upper.find("MDB") != std::string::npos;
}

std::string BuildColumnProbe(const std::string& dbmsName, const std::string& table) {
  const std::string upper = Upper(dbmsName);
  if (IsJetDbms(dbmsName) || upper.find("SQL SERVER") != std::string::npos)
    return "SELECT TOP 1 * FROM " + table;
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
    std::string term = QuoteIdentifier(q, field->GetName());
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
  for (const CIoKeyCell* field : t.m_extractFields) names.push_back(QuoteIdentifier(q, field->GetName()));
  for (const CIoKeyCell* field : t.m_keyFields)
    if (field->GetIndex() != -1) names.push_back(QuoteIdentifier(q, field->GetName()));
  std::string where;
  if (!BuildKeyValueWhere(t, q, jetWildcards, where)) return false;
  sql = "SELECT " + JoinNames(names) + " FROM " + table + where;
  return true;
}

bool BuildSelectUnquoted(CBaseTbl& t, const std::string& table, const std::map<std::string, int>& textColumns,
                         bool jetWildcards, std::string& sql) {
  std::vector<std::string> names;
  for (const CIoKeyCell* field : t.m_extractFields) names.push_back(field->GetName());
  for (const CIoKeyCell* field : t.m_keyFields)
    if (field->GetIndex() != -1) names.push_back(field->GetName());
  std::string where;
  if (!BuildKeyValueWhereUnquoted(t, textColumns, jetWildcards, where)) return false;
  sql = "SELECT " + JoinNames(names) + " FROM " + table + where;
  return true;
}

bool BuildSelectKeys(CBaseTbl& t, const std::string& q, const std::string& table, bool jetWildcards,
                     std::string& sql) {
  std::vector<std::string> names;
  for (const CIoKeyCell* field : t.m_keyFields)
    if (field->GetIndex() != -1) names.push_back(QuoteIdentifier(q, field->GetName()));
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
      std::string definition = QuoteIdentifier(q, column->m_strName) + " " + t.GetTypeName(column->m_nSqlType);
      // A size outside 1 to 255 is refused by some sources (0 everywhere, above 255 by Jet): write 255.
      if (!t.GetCreateParams(column->m_nSqlType).empty()) {
        const int size = column->m_nSize < 1 || column->m_nSize > 255 ? 255 : column->m_nSize;
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
    if (!DelimitedLiteral(t, cell.Format(), sqlType, literal)) return false;
    names.push_back(QuoteIdentifier(q, column.m_strName));
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
    if (!value.IsNull() && !DelimitedLiteral(t, value.Format(), ColumnType(t, index), literal)) return false;
    if (!assignments.empty()) assignments += ", ";
    assignments += QuoteIdentifier(q, field->GetName()) + "=" + literal;
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
    if (!cell->IsNull() && !DelimitedLiteral(t, cell->Format(), type, literal)) return false;
    if (!assignments.empty()) assignments += ",";
    assignments += QuoteIdentifier(q, target->m_strName) + "=" + literal;
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
    std::string term = QuoteIdentifier(q, field->GetName());
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
