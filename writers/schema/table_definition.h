#pragma once
// Defining a catalogued result table through the table API: open it in the
// results database of the export context's model, state its fields by kind
// and end the definitions.

#include <cstdint>
#include <span>
#include <string>

#include "writers/schema/result_schema.h"

class COutputTable;
class CVornDbExportData;
class CVornModelFile;

// An Access database is written: DatabaseOutputFormat "Access" or CreateAccessDbAlso on.
bool IsAccessDatabaseWritten(const CVornModelFile& model);

// The table in the database of the export context's model; null after the
// table API reported the failure (or without a model). existing as COpenTable's.
COutputTable* OpenResultTable(CVornDbExportData& exportData, const std::string& table,
                              std::int32_t* existing = nullptr);

// Each field with the operation of its kind; false at the first failure.
bool DefineResultFields(CVornDbExportData& exportData, COutputTable* handle, std::span<const ResultField> fields,
                        bool report);

// The fields of the catalogued table, then the end of the definitions (report on).
bool DefineResultTable(CVornDbExportData& exportData, COutputTable* handle, const ResultTable& table);

// A range table (PrRangeRHS or PrRangeCost): opened, and defined when an
// Access database is written, ending the definitions with the export's error
// flag as the report argument. *ok is 0 first and 1 when the definitions
// succeeded or were not needed. The opened table or null.
COutputTable* DefineRangeTable(CVornDbExportData& exportData, const ResultTable& table, int* ok);

// Drops a table of model's open Access database (errors ignored) together
// with the handle the table API keeps for it, so the next open creates it anew.
void DropResultTable(CVornModelFile& model, const std::string& table);
