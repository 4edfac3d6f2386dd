#pragma once
// The abstract back end of the table I/O library. A back end is built on the
// stack of the loader that uses it, opened with a table description, read
// into the caller's arrays and closed; it never outlives one table.
//
// The front drives it in one sequence: Open(description), ReadAll(...),
// Close(1). Every failure is reported by message id through the Report
// functions, which return 0 so the failing operation can return it.
//
// The statement builders and the row matching of transfers live with the
// database back ends as free functions over a CBaseTbl; the members below are
// public so that they can reach the fields.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/object.h"
#include "tableio/column.h"
#include "tableio/io_cell.h"
#include "tableio/io_options.h"
#include "tableio/io_row.h"
#include "tableio/io_table_description.h"

// How a database's string literals treat a backslash: as a character
// (standard SQL), as an escape (MySQL and MariaDB), or as a character that a
// server setting may turn into an escape (PostgreSQL).
enum class SqlStringDialect { kStandard, kBackslashEscapes, kPostgres };

class CBaseTbl : public CObject {
 public:
  // log may be null (nothing is logged); options are not owned and must outlive the table.
  CBaseTbl(std::ostream* log, CIOOptions* options);
  ~CBaseTbl() override = default;
  CBaseTbl(const CBaseTbl&) = delete;
  CBaseTbl& operator=(const CBaseTbl&) = delete;

  // ---- The contract of the back ends.
  virtual int GetTableType() const = 0;
  // 1 when open, 0 after a reported failure.
  virtual int Open(const CIoTableDescription& description) = 0;
  // Opens from a table specification text; the database back ends only.
  virtual int OpenFromSpec(const std::string& dataSourceName, const std::string& spec,
                           const std::string& tableName);
  virtual int RecreateTable(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns);
  // With commit set, writes back what changed. 1 or 0.
  virtual int Close(int commit) = 0;
  virtual int GetRowCount() = 0;
  virtual int GetColumnCount() = 0;
  virtual int IsLastRow() = 0;
  virtual int IsLastColumn() = 0;
  virtual int IsEndOfRows() const { return m_bEndOfRows; }
  virtual int IsEndOfColumns() const { return m_bEndOfColumns; }
  virtual int IsBeginOfRows() const { return m_bBeginOfRows; }
  virtual int IsBeginOfColumns() const { return m_bBeginOfColumns; }
  virtual int GetFirstDataRow() const { return m_nFirstDataRow; }
  virtual int GetFirstDataColumn() = 0;
  // Resolves the lists and reads every selected row: one key cell per key
  // field and one data cell per extract field, in list order. 1 or 0.
  virtual int ReadAll(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns,
                      const std::string& keyFields, const std::string& keyValues,
                      const std::string& extractFields,
                      std::vector<std::string>* optionalList = nullptr, int sourceNumber = -1) = 0;
  // 0 when i is greater than the column count; otherwise the name of column i
  // (CInvalidArgException when i is not a valid index) and 1.
  virtual int GetColumnName(int i, std::string& out);
  virtual int GetColumnName(int i, char* buffer, std::size_t size);
  // Index of the first column of array named exactly name, -1 when none.
  virtual int FindColumnIn(const CColumnArray& array, const std::string& name) const;
  virtual int FindColumn(const std::string& name) const { return FindColumnIn(m_columns, name); }
  // The text of a cell of the store; the worksheet back end only.
  virtual int GetCellText(int row, int column, char* buffer, std::size_t size);
  // Appends a column per key field (extract field) to out; an unresolved
  // field gives an empty, deselected column. Returns the count appended.
  virtual int CopyKeyColumns(CColumnArray& out) const;
  virtual int CopyExtractColumns(CColumnArray& out) const;
  virtual int NextRow();
  virtual int PrevRow();
  virtual int TransferRows(CIoRowArray& sourceRows, int sourceIndex,
                           const std::vector<std::string>& sourceKeyValues,
                           CColumnArray& sourceColumns, const std::string& keyFields,
                           const std::string& keyValues, const std::string& resultFields,
                           const std::string& extractFields, int& messageId);
  virtual int UpdateRow(CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& resultColumns);
  virtual int UpdateRowsByKeys(const std::string& keyFields, const std::string& keyValues,
                               const std::string& resultFields, CIoCell& value, int& messageId);
  virtual int DeleteRow(CIoRowArray& rows, const std::string& keyFields);
  virtual int DeleteRowsByKeys(const std::string& keyFields, const std::string& keyValues,
                               const std::string& resultFields);
  // Moves to the first data row; returns the row count.
  virtual int RewindToFirstDataRow();
  virtual int ReadColumnInfo() = 0;
  // Index of the new column, -1 on failure. Takes ownership of column on success.
  virtual int AddColumn(std::unique_ptr<CColumn> column);
  virtual std::string FormatLiteral(const std::string& text, int sqlType);
  virtual std::string GetTypeName(int sqlType);
  virtual std::string GetLiteralPrefix(int sqlType);
  virtual std::string GetLiteralSuffix(int sqlType);
  virtual std::string GetCreateParams(int sqlType);

  // ---- Shared operations.
  virtual int NextColumn();
  int SetKeyFields(const std::string& list);
  int SetKeyValues(const std::string& list);
  int SetExtractColumns(const std::string& list);
  int SetResultFields(const std::string& list);
  // One key cell text against one key value: "..." contained part, "*" any
  // text, else a case-sensitive wildcard pattern or an exact text.
  static bool MatchKeyPattern(const std::string& text, const std::string& value);
  static bool MatchContainedPart(const std::string& text, const std::string& value);
  void SetTableName(const std::string& name) { m_strTableName = name; }
  void SetSourceName(const std::string& name) { m_strSourceName = name; }
  std::string GetRowNumberText() const;
  std::string GetColumnNumberText() const;
  // Empties the connection texts and reads them from a table specification.
  int ParseTableSpec(const std::string& spec);
  // The number of an Excel file format name; 0 and a report for an unknown name.
  int SetExcelFileFormat(const std::string& name);

  // ---- Reports: errors return 0. Every text is masked first (the password,
  // and every password item of a connection text, become "********").
  int ReportErrorText(const std::string& text);
  void ReportWarningText(const std::string& text);
  void LogNote(const std::string& text);
  int ReportError(std::uint32_t id);
  int ReportErrorArg(std::uint32_t id, const std::string& a);
  int ReportErrorWithName(std::uint32_t id, const std::string& name);
  void ReportWarning(std::uint32_t id);
  void ReportWarningArg(std::uint32_t id, const std::string& a);
  void ReportWarningArgs(std::uint32_t id, const std::string& a, const std::string& b);
  void LogNoteId(std::uint32_t id);
  void LogNoteArg(std::uint32_t id, const std::string& a);
  // The id's text with a, two line feeds, the error text and, when given, two
  // line feeds and the detail; reported as an error. Returns 0.
  int ReportException(const std::exception& error, std::uint32_t id, const std::string& a,
                      const std::string& detail);
  // The text as a report writes it (see above).
  std::string MaskSecrets(const std::string& text) const;

  // ---- Fields.
  CIoTableDescription m_description;
  std::ostream* m_pLog;
  // Every column of the open table, in source order.
  CColumnArray m_columns;
  // The columns a transfer writes.
  CColumnArray m_targetColumns;
  CIoKeyCellArray m_extractFields;
  CIoKeyCellArray m_resultFields;
  CIoKeyCellArray m_keyFields;
  std::vector<std::string> m_keyValues;
  std::int32_t m_nUnused[2] = {-1, -1};
  std::int32_t m_nExcelFileFormat = -1;
  CIOOptions* m_pOptions;
  // The table's options, or the defaults when it was built without any.
  const CIOOptions& Options() const;
  std::string m_strDataSourceName;
  std::string m_strUser;
  std::string m_strPassword;
  int m_nCurrentRow = -1;
  int m_nCurrentColumn = -1;
  // Keep a worksheet open in the workbook cache.
  bool m_bReuse = true;
  std::string m_strSourceName;
  std::string m_strTableName;
  // Set by the database back ends from the DBMS name their driver reports.
  SqlStringDialect m_stringDialect = SqlStringDialect::kStandard;
  // A doubtful key cell was read; a worksheet load ends with status 21.
  int m_bWarning = 0;
  int m_bOpen = 0;
  int m_bEndOfRows = 0;
  int m_bEndOfColumns = 0;
  int m_bBeginOfRows = 0;
  int m_bBeginOfColumns = 0;
  // Copied into the table by the loaders.
  int m_nFormatCode = 0;
  int m_bReadOnly = 0;
  int m_bAvailable = 1;
  int m_nHeadingRow = -1;
  int m_nFirstDataRow = -1;
  int m_nFirstMarkedColumn = -1;

 private:
  int CopyColumns(const CIoKeyCellArray& fields, CColumnArray& out) const;
  // Adds fields for a pattern list; skipBang leaves out names beginning with "!".
  void AddMatchingFields(CIoKeyCellArray& fields, const std::vector<std::string>& items,
                         bool skipBang);
};

// Options of a loader's back end: backup extension "BAK", no backup on save,
// no error boxes.
void SetLoaderOptions(CIOOptions& options);

// The sequence every whole-table loader runs on its back end (built with no
// log and options from SetLoaderOptions): clear the arrays, Open (status 1 on
// failure), report the read-only flag, format code and availability flag,
// ReadAll (on failure Close(1) and status 2), Close(1) (status 4 on failure);
// then 0, or 21 when the back end's warning flag is set.
int RunLoadProtocol(CBaseTbl& backEnd, const CIoTableDescription& description,
                    const std::string& keyFields, const std::string& keyValues,
                    const std::string& extractFields, CColumnArray& keyColumns,
                    CColumnArray& dataColumns, CIoRowArray& rows, int& readOnly, int& formatCode,
                    int& available);
