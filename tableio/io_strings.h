#pragma once
// Message ids of the table I/O library (the program's string table, 10001-10354).

#include <cstdint>

// Makes sure the texts are registered (call from code that reports them).
void EnsureTableIoStrings();

// Ids of texts the library reports by name.
enum : std::uint32_t {
  kIdsError = 10001,
  kIdsNoKeyField = 10002,
  kIdsKeyFieldNotFound = 10003,
  kIdsNoKeyValues = 10004,
  kIdsNoExtractColumns = 10005,
  kIdsExtractColumnNotFound = 10006,
  kIdsNoResultFields = 10007,
  kIdsColumnAdditionsOff = 10008,
  kIdsInvalidTableType = 10009,
  kIdsInvalidExcelFormat = 10010,
  kIdsReplaceExistingSkip = 10011,
  kIdsWarning = 10012,
  kIdsNoMatchSourceKey = 10106,
  kIdsCannotFindResultColumn = 10109,
  kIdsKeyCountMismatch = 10111,
  kIdsKeyFieldsIncorrect = 10112,
  kIdsKeyValuesIncorrect = 10113,
  kIdsResultColumnNotFound = 10122,
  kIdsColumnAdded = 10147,
  kIdsNoFirstDataRow = 10206,
  kIdsEmptyColumnName = 10207,
  kIdsFurtherColumnsIgnored = 10208,
  kIdsFindSqlTypeFailed = 10217,
  kIdsFirstExcelFormat = 10227,
  kIdsLastExcelFormat = 10251,
  kIdsExtraExcelFormat = 10259,
  kIdsCannotRetrieveData = 10262,
  kIdsCannotOpenTable = 10315,
  kIdsCannotReadColumnInfo = 10316,
  kIdsEmptyKeyRowSkipped = 10331,
  kIdsInvalidDateCell = 10332,
};
