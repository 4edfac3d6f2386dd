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
// Names are written q + name + q, with q doubled inside the name, or in
// brackets with "]" doubled for Jet and SQL Server; a name that the dialect
// cannot quote (no quote character and not a plain name, or a control
// character) is refused (10353). Table names are written as given when they
// are made of plain or properly delimited parts. Key values with "*", "?" or
// "..." become LIKE patterns: with Jet wildcards ("*", "?") when the source
// is a Jet database, else with "%" and "_". String literals are escaped for
// the back end's string dialect (see SqlStringDialect).

#include <map>
#include <string>

#include "tableio/base_tbl.h"

// Message ids of the refusals (table I/O string table).
constexpr std::uint32_t kIdsStatementWithoutKey = 10351;
constexpr std::uint32_t kIdsInvalidLiteral = 10352;
constexpr std::uint32_t kIdsUnquotableName = 10353;
constexpr std::uint32_t kIdsKeyColumnMustExist = 10329;

// The string dialect of a DBMS name as the driver reports it.
SqlStringDialect StringDialectOf(const std::string& dbmsName);

// q + name + q, every q inside the name doubled; q "[" is the bracket form of
// Jet and SQL Server ("[" name "]", every "]" doubled). With q empty or a
// blank the name is written as given: check it with CanQuoteIdentifier.
std::string QuoteIdentifier(const std::string& q, const std::string& name);
// True when QuoteIdentifier(q, name) writes the name as one identifier: never
// for an empty name or one with a control character; without a quote (q empty
// or a blank) only for a plain name: a letter or "_" first, then letters,
// digits and "_" (bytes above 127 count as letters).
bool CanQuoteIdentifier(const std::string& q, const std::string& name);
// QuoteIdentifier when CanQuoteIdentifier, else a report (10353) and false.
bool QuoteColumnName(CBaseTbl& t, const std::string& q, const std::string& name, std::string& out);
// The table name as statements write it. A name made of parts joined by "."
// stays as given when every part is plain (letters, digits, "_", bytes above
// 127, and the path characters "/", "\\" and ":") or delimited by q, or by
// brackets where the dialect has them, with the closing character doubled
// inside: a schema or catalogue, a file path, a name the model already
// quotes. Any other name is quoted whole with q, else with brackets where the
// dialect has them. False when neither can quote it.
bool QuoteTableName(const std::string& q, bool brackets, const std::string& name, std::string& out);

// prefix + value + suffix, or false when the value cannot stand between
// them: a quote that ends the prefix is doubled inside the value (and so is a
// backslash where the dialect escapes with it; PostgreSQL gets the escape
// string form E'...' for a value with a backslash); a text with a NUL byte is
// refused; between date delimiters ("#", "{d '", "{t '", "{ts '") the value
// must be made of digits, blanks and - : . /; after the binary prefix "0x" it
// must be hexadecimal digits; without delimiters, or between any others, it
// must be a number.
bool EscapeLiteral(const std::string& prefix, const std::string& value, const std::string& suffix, std::string& out,
                   SqlStringDialect dialect = SqlStringDialect::kStandard);

// The statement that reads a table's columns without its rows: "SELECT TOP 1
// * FROM t" for Access and SQL Server sources, "SELECT * FROM t WHERE 1=0"
// for every other (decided from the DBMS name the driver reports).
std::string BuildColumnProbe(const std::string& dbmsName, const std::string& table);
// True when the DBMS name is that of a Jet (Access) database.
bool IsJetDbms(const std::string& dbmsName);
// True when the dialect quotes names in brackets (Jet and SQL Server).
bool HasBracketQuotes(const std::string& dbmsName);

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
