#pragma once
// The periods and the PERCASE rows of a case, read from the model tables
// PERIODS and PERCASE (from the table cache or through the table I/O
// library) into the export's period and per-case lists, and the current
// case's own "PERCASE" case table applied over the rows. The lists are
// emptied first and filled in table order; a list that does not exist yet is
// created.

#include <string>

#include "caseset/vorn_db_export_data.h"

class CAssembledCase;
class CVornModelFile;

// Message ids of the case table readers.
inline constexpr unsigned kIdsRequiredColumnMissing = 15016;

// The PERCASE rows of the current case: from the table cache when the main
// model generates matrices ("UseZelunMGOn" and "GenerateOn") and no error was
// detected, else as ReadPerCaseTable. False after a reported problem.
bool ReadCaseTables(CVornDbExportData& exportData);

// The PERCASE rows from the model's worksheets, then the current case's case
// table (when there is a current case). False after a reported problem, with
// an empty list.
bool ReadPerCaseTable(const CVornModelFile& model, const CAssembledCase* currentCase, CPerCaseArray& perCases);

// The periods of a multi-period main model from the cached PERIODS table, and
// the model's period count; always true. A single-period model is left alone.
bool ReadPeriods(CVornDbExportData& exportData);

// Error box "Required column missing [column]", the file and "[sheet]"; false.
bool ReportMissingColumn(const std::string& column, const std::string& file, const std::string& sheet);

// Closes the cached open workbook and shuts the spreadsheet application
// holder down; false only when the shutdown failed.
bool CloseWorkbookAndExcel();
