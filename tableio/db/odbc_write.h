#pragma once
// The write operations of the ODBC back end (table type 2): transfers by key,
// updates and deletes by key values or by row, inserts, added columns, and
// creating, dropping and re-creating the table. Each runs on the back end's
// fields (key, result and target fields, options, reports, type vocabulary)
// and its connection; the back end's write slots call them with a context.
//
// Statements come from the builders of sql_statements.h, so every literal is
// escaped, no statement is cut, and an UPDATE or DELETE without a key
// condition is refused. Every statement is logged as a note.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/odbc_handles.h"
#include "tableio/base_tbl.h"

struct COdbcWriteContext {
  CBaseTbl& table;
  // The open connection; null when the back end is not connected.
  std::shared_ptr<plat::odbc::Connection> connection;
  std::string identifierQuote;
  std::string tableName;
  // Key values with "*" and "?" are Jet patterns for a Jet source, else "%" and "_".
  bool jetSource = false;
  // Frees every handle of the back end ("disconnect" in the messages' sense); may be empty.
  std::function<void()> disconnect;
  // The MFC ODBC back end's conduct: its own messages (with the table name
  // and the statement), no disconnect, a failed UPDATE ends a transfer, and
  // CREATE TABLE takes the sizes as given.
  bool mfcStyle = false;
};

class CDatabase;
// The context of the MFC ODBC back end's writes on its open database.
COdbcWriteContext MfcOdbcWriteContext(CBaseTbl& table, CDatabase& database, const std::string& identifierQuote,
                                      const std::string& tableName, bool jetSource);

// Updates the target rows whose keys match a source row and, unless the
// options forbid it, inserts the source rows that matched none. A failed
// UPDATE is noted and the transfer goes on, but its result is then 0.
int OdbcTransferRows(COdbcWriteContext& c, CIoRowArray& sourceRows, const std::vector<std::string>& sourceKeyValues,
                     CColumnArray& sourceColumns, const std::string& keyFields, const std::string& keyValues,
                     const std::string& resultFields, const std::string& extractFields, int& messageId);
int OdbcUpdateRow(COdbcWriteContext& c, CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& resultColumns);
// Sets the value into every result column of every row whose keys match the key values.
int OdbcUpdateRowsByKeys(COdbcWriteContext& c, const std::string& keyFields, const std::string& keyValues,
                         const std::string& resultFields, CIoCell& value, int& messageId);
int OdbcDeleteRow(COdbcWriteContext& c, CIoRowArray& rows, const std::string& keyFields);
// With every key value "*" every row is deleted.
int OdbcDeleteRowsByKeys(COdbcWriteContext& c, const std::string& keyFields, const std::string& keyValues);
// Inserts every row with a pending key cell; useGivenKeyColumnTypes takes the
// key literals' types from keyColumns instead of the table's columns.
int OdbcInsertRows(COdbcWriteContext& c, CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns,
                   bool useGivenKeyColumnTypes);
int OdbcCreateTable(COdbcWriteContext& c, CColumnArray& keyColumns, CColumnArray& dataColumns);
// Drops the table; a failure (a table that does not exist) is reported and
// gives 0 only with report set.
int OdbcDropTable(COdbcWriteContext& c, bool report = false);
int OdbcRecreateTable(COdbcWriteContext& c, CIoRowArray& rows, CColumnArray& keyColumns, CColumnArray& dataColumns);
// The new column's index in the table's columns, or -1.
int OdbcAddColumn(COdbcWriteContext& c, std::unique_ptr<CColumn> column);
// The ALTER TABLE statement of an added column (the Jet form "ADD (name type)"
// for a Jet source, "ADD name type" for every other), the name quoted as
// every other; false (and a report) when the name cannot be quoted.
bool BuildAddColumn(CBaseTbl& t, const std::string& q, const std::string& table, const CColumn& column, bool jetSource,
                    std::string& sql);
