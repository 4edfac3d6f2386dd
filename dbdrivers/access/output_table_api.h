#pragma once
// The table API every result writer writes through: open a table by name,
// define its fields, then add records value by value. For an Access result
// database the calls act on the model's database (dbdrivers/access/
// access_result_database.h); for SQL Server each record and value goes to the
// export's SQL Server driver at once; with CreateAccessDbAlso both happen.
// Names and texts come as a pointer and a length (cut at a NUL, trailing
// blanks removed). Unless stated, 1 is success and 0 failure; a failure is
// shown by message id and, except for a missing field, sets the export's
// error flag. A null handle fails for the setters and record operations and
// succeeds (nothing to do) for the definitions.

#include <cstdint>
#include <string>
#include <vector>

#include "caseset/vorn_db_export_data.h"
#include "platform/dao.h"

class COutputTable;
class CVornModelFile;

// Message ids of the table API (2559 and 591 of the shared-resource texts).
inline constexpr std::uint32_t kIdsFieldOperationFailed = 591;  // operation, field, table
inline constexpr std::uint32_t kIdsFieldMissing = 212;          // field, database[table]

// The handle of table in the database of the model named modelName (empty:
// the main model), opening or creating the database and the table on first
// use; existing (when given) is 1 when the handle was open already. mode must
// be 0. Null after "Failed to open table: <name>" went to the export log.
COutputTable* COpenTable(CVornDbExportData& exportData, const char* table, int tableLength, const char* modelName,
                         int modelLength, int mode, std::int32_t* existing);

// Field definitions: a table made since its database was opened gets the
// field; in an existing table the field must exist (a missing double field
// "ShadowPrice" is added). Only the double and long definitions honour
// report == false; the others report every failure.
int CDefineDateField(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length, bool report);
int CDefineDoubleField(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length, bool report);
int CDefineLongIntegerField(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
                            bool report);
int CDefineMemoField(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length, bool report);
int CDefineShortIntegerField(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
                             bool report);
int CDefineTextField(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length, int size,
                     bool report);
// Adds a field (a DAO type code) to an existing table.
int CForceDefineField(CVornDbExportData& exportData, COutputTable* handle, const std::string& field,
                      std::int16_t type, bool report);
// Appends a new table, makes its key index (CreateIndexes) and opens its append-only recordset.
int CEndDefineFields(CVornDbExportData& exportData, COutputTable* handle, bool report);

int CAddNewRecord(CVornDbExportData& exportData, COutputTable* handle);
// A date of exactly 0.0 is Null in Access (SQL Server gets it as it is).
int CSetDateTimeValue(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
                      double date);
int CSetDoubleValue(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length, double value);
int CSetIntegerValue(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
                     std::int32_t value);
// The 16-bit value passed in 32 bits.
int CSetShortIntegerValue(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
                          std::int32_t value);
// An empty text (after trailing blanks are dropped) sets nothing and succeeds;
// a text longer than an Access text field is cut to the field's size.
int CSetTextValue(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
                  const char* text, int textLength);
int CSetMemoValue(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
                  const char* text, int textLength);
// Commits the current record; statements (every writer passes null) go to the SQL Server driver.
int CUpdateRecord(CVornDbExportData& exportData, COutputTable* handle, const std::vector<std::string>* statements);

// "LG_" + name when prefix is set, else the name.
std::string MakeFieldName(const std::string& name, bool prefix);

// The table's LG flag: 1 for every table, kept in the handle after the first call.
int IsLgTable(COutputTable& handle);

// Shows message 212 for a missing field of the handle's table and lists the
// DAO errors; false. True (nothing shown) when the handle has no database.
bool ReportFieldError(const std::string& field, COutputTable* handle, const CDaoException* exception);

// Commits the rows the Access databases of the run still hold (the main
// model's and the local models'). The export calls it when a case's tables
// are written, so no worker keeps the file's write lock while it solves.
int FlushOutputTables(CVornDbExportData& exportData);

// The key columns of a result table, for its index; set by the export, which
// holds the result-table catalogue. Without it new tables get no index.
using TableKeyColumnsLookup = bool (*)(CVornDbExportData& exportData, CVornModelFile& model,
                                       const std::string& table, std::vector<std::string>& keyColumns);
void SetTableKeyColumnsLookup(TableKeyColumnsLookup lookup);
