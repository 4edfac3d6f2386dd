#pragma once
// The SQL statements of the database back ends, built from a back end's
// resolved key, extract and result fields, its key values and the cells of
// rows, with the back end's type vocabulary for literals (FormatLiteral,
// GetLiteralPrefix, GetLiteralSuffix, GetTypeName, GetCreateParams).
//
// Every builder returns true and the statement, or reports why it refused
// and returns false:
// - a value that cannot be a literal of its column's type (text where a
//   number or a date belongs) is refused (10352); quotes inside quoted
//   literals are doubled;
// - a row UPDATE or DELETE without a key condition would touch every row
//   and is refused (10351); a key-value UPDATE or DELETE whose key values
//   are all "*" is meant to touch every row and is built;
// - a key field of a key-value UPDATE or DELETE that names no column is
//   refused (10329) instead of being left out.
// A bad index into a field, value or cell array throws CInvalidArgException.
//
// Names are written q + name + q, with q doubled inside the name; table
// names are written as given. Key values with "*", "?" or "..." become LIKE
// patterns: with Jet wildcards ("*", "?") when the source is a Jet database,
// else with "%" and "_".

#include <map>
#include <string>

#include "tableio/base_tbl.h"

// Message ids of the refusals (table I/O string table).
constexpr std::uint32_t kIdsStatementWithoutKey = 10351;
constexpr std::uint32_t kIdsInvalidLiteral = 10352;
constexpr std::uint32_t kIdsKeyColumnMustExist = 10329;

// q + name + q, every q inside the name doubled (q may be empty or a blank).
std::string QuoteIdentifier(const std::string& q, const std::string& name);

// prefix + value + suffix, or false when the value cannot stand between
// them: a quote that ends the prefix is doubled inside the value; without
// delimiters the value must be a number; between date delimiters ("#",
// "{d '", "{t '", "{ts '") it must be made of digits, blanks and - : . /
bool EscapeLiteral(const std::string& prefix, const std::string& value, const std::string& suffix, std::string& out);

// The statement that reads a table's columns without its rows: "SELECT TOP 1
// * FROM t" for Access and SQL Server sources, "SELECT * FROM t WHERE 1=0"
// for every other (decided from the DBMS name the driver reports).
std::string BuildColumnProbe(const std::string& dbmsName, const std::string& table);
// True when the DBMS name is that of a Jet (Access) database.
bool IsJetDbms(const std::string& dbmsName);

// " WHERE " and the key-value conditions joined by " AND ", or "".
bool BuildKeyValueWhere(CBaseTbl& t, const std::string& q, bool jetWildcards, std::string& where);
// The same with unquoted names; textColumns maps a column name to 1 when its
// values are written in quotes (a column missing from the map is quoted).
bool BuildKeyValueWhereUnquoted(CBaseTbl& t, const std::map<std::string, int>& textColumns, bool jetWildcards,
                                std::string& where);
// " WHERE " and the resolved key fields against the row's key cells, or "".
bool BuildRowKeyWhere(CBaseTbl& t, const std::string& q, const CIoRow& row, std::string& where);

bool BuildSelect(CBaseTbl& t, const std::string& q, const std::string& table, bool jetWildcards, std::string& sql);
bool BuildSelectUnquoted(CBaseTbl& t, const std::string& table, const std::map<std::string, int>& textColumns,
                         bool jetWildcards, std::string& sql);
bool BuildSelectKeys(CBaseTbl& t, const std::string& q, const std::string& table, bool jetWildcards,
                     std::string& sql);

bool BuildCreateTable(CBaseTbl& t, const std::string& q, const std::string& table, const CColumnArray& keyColumns,
                      const CColumnArray& dataColumns, std::string& sql);
// An empty statement when the row has no cell to write.
bool BuildInsert(CBaseTbl& t, const std::string& q, const std::string& table, const CIoRow& row,
                 const CColumnArray& keyColumns, const CColumnArray& dataColumns, bool useGivenKeyColumns,
                 std::string& sql);
// An empty statement when no result field names a column.
bool BuildUpdateByKeyValues(CBaseTbl& t, const std::string& q, const std::string& table, const CIoCell& value,
                            bool jetWildcards, std::string& sql);
// An empty statement when no data cell is to be written.
bool BuildUpdateRow(CBaseTbl& t, const std::string& q, const std::string& table, const CIoRow& dataRow,
                    const CIoRow& keyRow, std::string& sql);
bool BuildDeleteByKeyValues(CBaseTbl& t, const std::string& q, const std::string& table, bool jetWildcards,
                            std::string& sql);
bool BuildDeleteRow(CBaseTbl& t, const std::string& q, const std::string& table, const CIoRow& row,
                    std::string& sql);
