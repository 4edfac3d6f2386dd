#pragma once
// A model table read through the table I/O library. The model's table list
// may spread one table over several workbooks or sheets; CVornIoTable reads
// every one of them and merges them into one table keyed by row name (the
// event tables RECEIVE and SHIP are appended instead, as one key may have
// many rows). Readers then see a single CIoTable.

#include <string>

#include "tableio/io_table.h"

class CVornModelFile;

// Load and merge results beyond the CIoTable statuses.
enum : int {
  kVornIoTableDuplicate = 29,    // two sources gave one cell different values (message shown)
  kVornIoTableUnhandledType = 30,  // a source column of a type the merge cannot copy
};

class CVornIoTable : public CIoTable {
 public:
  // One source: file (path or data source), table (sheet or table name),
  // key field "ROWNAMES", the key values and extract list, the table type.
  CVornIoTable(const std::string& file, const std::string& table, const std::string& keyValues,
               const std::string& extractList, int tableType);
  // The model's table tableName from all its table files, merged. skip not 0
  // reads nothing (status 1); specialRows not 0 also reads the marker and
  // comment rows of each worksheet.
  CVornIoTable(const std::string& tableName, const std::string& keyValues,
               const std::string& extractList, const CVornModelFile& model, int skip,
               const std::string& keyFields, int specialRows);
  // The same with key "ROWNAMES", all rows, all columns and no special rows.
  CVornIoTable(const std::string& tableName, const CVornModelFile& model, int skip);
  ~CVornIoTable() override = default;

  // The TEXT cell of main row i, or an empty text when the table has no TEXT
  // column; throws CInvalidArgException for a bad row.
  std::string GetRowText(int i) const;

  // Index among the data columns of the column "TEXT", -1 when there is none.
  int m_nTextColumn = -1;

 private:
  void LoadFromModel(const std::string& tableName, const std::string& keyValues,
                     const std::string& extractList, const CVornModelFile& model,
                     const std::string& keyFields, int specialRows);
  void ComputeTextColumn();
};

// Message ids of the model-table merge and of a table's load problems.
inline constexpr unsigned kIdsDuplicateCoefficient = 15022;  // %1 table, %2 row, %3 column
inline constexpr unsigned kIdsCannotRetrieveTable = 10262;
inline constexpr unsigned kIdsInternalTableError = 15026;
inline constexpr unsigned kIdsMixedRowNames = 15289;

// The readers' error box for a load status of 2, 4 or 21 (with the table's
// file and sheet where the message names them); false after a box, true for
// any other status.
bool ReportModelTableStatus(const CIoTable& table);
