#pragma once
// The bulk writer of the data-connection library: it gathers the rows of one
// table (one call per value, EndRow after each row) and writes them in one
// bulk operation when a table of another name starts. The tables written
// since the last flush are one transaction, committed by the flush
// (StartTable with an empty name, which writes what it holds first), so the
// tables of one case land together. The server is reached through ODBC with
// parameter arrays; a PostgreSQL server through libpq, a transaction's tables
// sent as prepared inserts without waiting for each. A failed
// write rolls the transaction back; all its tables are kept for a repeated
// StartTable of the same name before any new value (the caller's rerun),
// which writes them again, and given up after that. Statements run in the
// same transaction (Execute), so a caller's rows and statements commit as
// one; a rerun replays them in their order.

#include <cstdint>
#include <string>
#include <vector>

class IOrvid {
 public:
  // A new writer; Destroy frees it.
  static IOrvid* CreateInstance();
  static void Destroy(IOrvid* object);
  // Tests put their own writer in place of the library's; null restores it.
  using Factory = IOrvid* (*)();
  static void SetFactoryForTesting(Factory factory);

  // Database kind ("SQLServer") and product name; kept for the error texts.
  virtual void Initialize(const std::string& databaseKind, const std::string& productName) = 0;
  // The error text of the last failed operation; empty after a success.
  virtual std::string GetLastError() = 0;
  // An OLE DB or ODBC connection string (translated as the ODBC layer does).
  virtual void Connect(const std::string& connectionString) = 0;
  // Begins a row of table. When it names another table than the current one,
  // the rows held are written first: columns gets their column count,
  // recordCount the rows written and timeMillis the time taken (also after a
  // failure); the three are left as they are when nothing was written.
  virtual bool StartTable(const char* table, std::int32_t* columns, std::int32_t* recordCount,
                          std::int32_t* timeMillis) = 0;
  virtual bool EndRow() = 0;
  virtual bool SetTextValue(const char* field, const char* text) = 0;
  virtual bool SetShortValue(const char* field, std::int16_t value) = 0;
  virtual bool SetLongValue(const char* field, std::int32_t value) = 0;
  virtual bool SetDoubleValue(const char* field, double value) = 0;
  // An OLE automation date (days since 30 December 1899).
  virtual bool SetDateTimeValue(const char* field, double date) = 0;

  // A value for a "?" of a statement: an integer, or a text (Windows-1252) when isText.
  struct Parameter {
    std::int64_t integer = 0;
    std::string text;
    bool isText = false;
  };
  // Runs one statement in the writer's transaction (begun when none is
  // open), after the rows it holds are written; its "?" take parameters in
  // order. rows (when given) gets the first column of each row it returns as
  // text, null as empty; changed (when given) the rows it changed. False
  // when it fails (GetLastError says why): the transaction is rolled back
  // with everything in it, and nothing of it is kept for a rerun.
  virtual bool Execute(const std::string& sql, const std::vector<Parameter>& parameters,
                       std::vector<std::string>* rows, std::int64_t* changed) = 0;
  // The server's product name ("PostgreSQL", "Microsoft SQL Server", ...); empty when it cannot be reached.
  virtual std::string GetDbmsName() = 0;

 protected:
  IOrvid() = default;
  virtual ~IOrvid() = default;
};

// Turns the PostgreSQL libpq path off (true) so a PostgreSQL server is written
// through ODBC parameter arrays like any other; for tests and benchmarks.
void OrvidDisablePostgresCopy(bool disable);

// How many tables the libpq path has sent as arrays of values (in this process); for tests.
std::uint64_t OrvidPostgresArrayTables();
