#pragma once
// The result-table catalogue: the fields of every result table this system
// defines (name, kind, text size, in definition order), the order of the
// definition pass with its conditions, and the key columns of the Access key
// indexes. The definition pass, the key index lookup and the server DDL
// script are all built from it.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CModelSettings;

enum class FieldKind : std::uint8_t { Long, Short, Double, Date, Text, Memo };

struct ResultField {
  const char* name;
  FieldKind kind;
  std::int16_t size = 0;  // text only, 1 to 255
};

// When the definition pass defines a table (model settings, "on" = not 0).
enum class TableCondition : std::uint8_t {
  Always,
  Nimbo,        // UseNimboOn
  MultiStart,   // UseNimboOn, Zelun_GO_ProveGlobalOptimalityOn and Zelun_MS_On
  LgLinks,      // UseNimboOn on and UseOldOutputDatabaseFormatOn off
  RangeExport,  // defined by the range export at this place of the pass, whatever the settings
};

struct ResultTable {
  const char* name;
  TableCondition condition;
  std::span<const ResultField> fields;
};

// The tables of the definition pass in pass order, the range tables included
// at their place (condition RangeExport).
std::span<const ResultTable> GetDefinitionPassTables();

// Tables defined by their own writers that the catalogue also knows:
// PrSolutionID, PrSolution, PrDatabaseVersion, the enumeration tables,
// PrSettingDefault, PrSpreadsheetTables and the matrix tables PrMps*.
std::span<const ResultTable> GetOwnWriterTables();

// A table of either list by exact name, or null.
const ResultTable* FindResultTable(std::string_view name);

// Whether the pass defines a table of that condition under these settings.
bool IsTableDefined(TableCondition condition, const CModelSettings& settings);

// Appends the key columns of the named table (exact, case-sensitive name) in
// index order; nothing for a table without key columns.
void AppendPrTableKeyColumns(std::string_view table, std::vector<std::string>& columns);

// SQL dialects of the generated DDL.
enum class DdlDialect : std::uint8_t { PostgreSql, Sqlite };

// A script that creates every catalogued table (quoted identifiers) and its
// key index (table name + "_Key"), and the run table "OstrelRuns", one
// statement per line, each ending ";".
std::string BuildResultTablesDdl(DdlDialect dialect);
