#include "tableio/db/odbc_write.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/odbc_database.h"
#include "tableio/db/odbc_tbl.h"
#include "tableio/io_table.h"
#include "platform/testing/odbc_test_env.h"
#include "platform/testing/pg_test_server.h"

namespace {

// A back end of the tests over one ODBC connection: the table's columns come
// from the source, literals and types are plain SQL.
class CTestOdbcTbl : public CBaseTbl {
 public:
  CTestOdbcTbl(std::ostream* log, CIOOptions* options) : CBaseTbl(log, options) {}
  int GetTableType() const override { return kTableOdbc; }
  int Open(const CIoTableDescription&) override { return 1; }
  int Close(int) override { return 1; }
  int GetRowCount() override { return -1; }
  int GetColumnCount() override { return m_columns.GetSize(); }
  int IsLastRow() override { return 0; }
  int IsLastColumn() override { return 0; }
  int GetFirstDataColumn() override { return -1; }
  int ReadAll(CIoRowArray&, CColumnArray&, CColumnArray&, const std::string&, const std::string&, const std::string&,
              std::vector<std::string>*, int) override {
    return 0;
  }
  int ReadColumnInfo() override { return 1; }
  std::string GetTypeName(int type) override {
    switch (type) {
      case kSqlChar: case kSqlVarChar: case kSqlLongVarChar: return "VARCHAR";
      case kSqlInteger: return "INTEGER";
      case kSqlDate: return "DATE";
      default: return "DOUBLE PRECISION";
    }
  }
  std::string GetCreateParams(int type) override { return GetTypeName(type) == "VARCHAR" ? "max length" : ""; }
  std::string GetLiteralPrefix(int type) override { return IsQuoted(type) ? "'" : ""; }
  std::string GetLiteralSuffix(int type) override { return IsQuoted(type) ? "'" : ""; }
  std::string FormatLiteral(const std::string& text, int type) override {
    return GetLiteralPrefix(type) + text + GetLiteralSuffix(type);
  }

  // Reads the table's columns as the back end does after opening.
  void LoadColumns(plat::odbc::Connection& connection, const std::string& table) {
    m_columns.RemoveAll();
    auto statement = connection.NewStatement();
    statement->ExecuteDirect("SELECT * FROM " + table + " WHERE 1=0");
    for (const auto& info : statement->Columns()) {
      std::int16_t type = info.sqlType;
      if (type == SQL_VARCHAR || type == SQL_LONGVARCHAR || type == -9 || type == -10) type = kSqlVarChar;
      if (type == SQL_FLOAT || type == SQL_REAL || type == SQL_NUMERIC || type == SQL_DECIMAL) type = kSqlDouble;
      m_columns.Add(std::make_unique<CColumn>(info.name, type, static_cast<std::int32_t>(info.size), 0, 1, 0));
    }
  }

 private:
  static bool IsQuoted(int type) {
    return type == kSqlChar || type == kSqlVarChar || type == kSqlLongVarChar || type == kSqlDate;
  }
};

std::unique_ptr<CIoRow> SourceRow(const std::string& key, double qty, const std::string& note) {
  auto row = std::make_unique<CIoRow>();
  row->AddKeyCell(std::make_unique<CIoStrCell>(key, false, false));
  row->AddDataCell(std::make_unique<CIoDoubleCell>(qty, false, false));
  row->AddDataCell(std::make_unique<CIoStrCell>(note, note.empty(), false));
  return row;
}

class OdbcWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (plat::testing::SqliteOdbcDriverLibrary().empty()) GTEST_SKIP() << "no SQLite ODBC driver";
    m_ini = std::make_unique<plat::testing::ScopedOdbcIni>(plat::testing::ScopedOdbcIni::StandardDrivers());
    m_connection = plat::odbc::Connection::Open("Driver=SQLite3;Database=" + m_dir.File("w.db"));
    Reset("CREATE TABLE T (NAME VARCHAR(20), QTY DOUBLE CHECK (QTY < 100), NOTE VARCHAR(40))",
          {"INSERT INTO T VALUES ('A1', 1, 'one')", "INSERT INTO T VALUES ('A2', 2, 'two')"});
    m_options.ShowErrorBoxes = 0;
    m_options.ShowWarningBoxes = 0;
  }

  void Reset(const std::string& create, const std::vector<std::string>& inserts) {
    m_connection->ExecuteDirect("DROP TABLE IF EXISTS T");
    m_connection->ExecuteDirect(create);
    for (const auto& sql : inserts) m_connection->ExecuteDirect(sql);
  }

  COdbcWriteContext Context(const std::string& quote = "\"") {
    m_table = std::make_unique<CTestOdbcTbl>(&m_log, &m_options);
    m_table->LoadColumns(*m_connection, "T");
    return COdbcWriteContext{*m_table, m_connection, quote, "T", false, [this] { ++m_disconnects; }};
  }

  // The table's rows as "NAME|QTY|NOTE" lines in key order.
  std::string Rows() {
    auto statement = m_connection->NewStatement();
    statement->ExecuteDirect("SELECT NAME, QTY, NOTE FROM T ORDER BY NAME, QTY");
    std::string out;
    while (statement->Fetch()) {
      const auto name = statement->GetValue(0);
      const auto qty = statement->GetValue(1);
      const auto note = statement->GetValue(2);
      std::ostringstream line;
      line << name.text << "|" << (qty.IsNull() ? std::string("null") : std::to_string(static_cast<int>(qty.number)))
           << "|" << (note.IsNull() ? std::string("null") : note.text) << "\n";
      out += line.str();
    }
    return out;
  }

  int Transfer(CIoRowArray& source, int& messageId) {
    CColumnArray columns;
    columns.Add(std::make_unique<CColumn>("QTY", kSqlDouble, 8, 0, 1, 0));
    columns.Add(std::make_unique<CColumn>("NOTE", kSqlVarChar, 40, 0, 1, 0));
    COdbcWriteContext c = Context();
    return OdbcTransferRows(c, source, {"*"}, columns, "NAME", "*", "QTY,NOTE", "QTY,NOTE", messageId);
  }

  plat::testing::TempDir m_dir;
  std::unique_ptr<plat::testing::ScopedOdbcIni> m_ini;
  std::shared_ptr<plat::odbc::Connection> m_connection;
  CIOOptions m_options;
  std::ostringstream m_log;
  std::unique_ptr<CTestOdbcTbl> m_table;
  int m_disconnects = 0;
};

TEST_F(OdbcWriteTest, TransferUpdatesMatchesAndInsertsTheRest) {
  CIoRowArray source;
  source.Add(SourceRow("A1", 10, "O'Brien"));
  source.Add(SourceRow("A3", 30, "Caf\xE9"));
  int messageId = 0;
  ASSERT_EQ(Transfer(source, messageId), 1) << m_log.str();
  EXPECT_EQ(Rows(), "A1|10|O'Brien\nA2|2|two\nA3|30|Caf\xE9\n");
  EXPECT_NE(m_log.str().find("Key Value Added: [A3]"), std::string::npos) << m_log.str();
  EXPECT_FALSE(source[0]->IsKeyPending());
}

TEST_F(OdbcWriteTest, TransferOptions) {
  struct Case {
    const char* name;
    void (*set)(CIOOptions&);
    int result;
    std::string rows;
    std::string logged;
  } cases[] = {
      {"replace existing", [](CIOOptions& o) { o.ReplaceExisting = 1; }, 1, "A1|10|x\nA2|2|two\n",
       "No target key match for [A2]"},
      {"skip unmatched", [](CIOOptions& o) { o.SkipUnmatchedRows = 1; }, 1, "A1|10|x\nA2|2|two\n", ""},
      {"append", [](CIOOptions& o) { o.AppendRows = 1; }, 1, "A1|1|one\nA1|10|x\nA2|2|two\nA3|30|y\n", ""},
      {"append without additions", [](CIOOptions& o) { o.AppendRows = 1; o.AllowRowAdditions = 0; }, 0,
       "A1|1|one\nA2|2|two\n", "No Match for Source Key Value."},
      {"some unmatched without additions", [](CIOOptions& o) { o.AllowRowAdditions = 0; }, 0,
       "A1|10|x\nA2|2|two\n", "No Match for Some Source Key Values."},
  };
  for (const Case& c : cases) {
    SetUp();
    m_options = CIOOptions();
    m_options.ShowErrorBoxes = 0;
    c.set(m_options);
    m_log.str("");
    CIoRowArray source;
    source.Add(SourceRow("A1", 10, "x"));
    source.Add(SourceRow("A3", 30, "y"));
    int messageId = 0;
    EXPECT_EQ(Transfer(source, messageId), c.result) << c.name << ": " << m_log.str();
    EXPECT_EQ(Rows(), c.rows) << c.name;
    EXPECT_NE(m_log.str().find(c.logged), std::string::npos) << c.name << ": " << m_log.str();
  }
}

TEST_F(OdbcWriteTest, AFailedUpdateFinishesThePassAndFails) {
  CIoRowArray source;
  source.Add(SourceRow("A1", 500, "too big"));  // breaks the CHECK constraint
  source.Add(SourceRow("A2", 20, "fine"));
  source.Add(SourceRow("A4", 40, "new"));
  int messageId = 0;
  EXPECT_EQ(Transfer(source, messageId), 0);
  EXPECT_EQ(messageId, 10214);
  EXPECT_NE(m_log.str().find("Update failed."), std::string::npos);
  EXPECT_EQ(Rows(), "A1|1|one\nA2|20|fine\nA4|40|new\n");
}

TEST_F(OdbcWriteTest, UpdateAndDeleteByKeys) {
  COdbcWriteContext c = Context();
  CIoStrCell value("it's", false, false);
  int messageId = 0;
  ASSERT_EQ(OdbcUpdateRowsByKeys(c, "NAME", "*", "NOTE", value, messageId), 1) << m_log.str();
  EXPECT_EQ(Rows(), "A1|1|it's\nA2|2|it's\n");
  CIoStrCell other("B", false, false);
  ASSERT_EQ(OdbcUpdateRowsByKeys(c, "NAME", "A2", "NOTE", other, messageId), 1);
  EXPECT_EQ(Rows(), "A1|1|it's\nA2|2|B\n");
  ASSERT_EQ(OdbcDeleteRowsByKeys(c, "NAME", "A1"), 1) << m_log.str();
  EXPECT_EQ(Rows(), "A2|2|B\n");
  ASSERT_EQ(OdbcDeleteRowsByKeys(c, "NAME", "*"), 1) << m_log.str();
  EXPECT_EQ(Rows(), "");
  EXPECT_EQ(OdbcDeleteRowsByKeys(c, "NOPE", "x"), 0);
}

TEST_F(OdbcWriteTest, RowsByKeyColumns) {
  COdbcWriteContext c = Context();
  CColumnArray keyColumns;
  keyColumns.Add(std::make_unique<CColumn>("NAME", kSqlVarChar, 20, 0, 1, 0));
  CColumnArray resultColumns;
  resultColumns.Add(std::make_unique<CColumn>("QTY", kSqlDouble, 8, 0, 1, 0));
  resultColumns.Add(std::make_unique<CColumn>("NOTE", kSqlVarChar, 40, 0, 1, 0));
  CIoRowArray rows;
  rows.Add(SourceRow("A2", 22, "changed"));
  ASSERT_EQ(OdbcUpdateRow(c, rows, keyColumns, resultColumns), 1) << m_log.str();
  EXPECT_EQ(Rows(), "A1|1|one\nA2|22|changed\n");
  ASSERT_EQ(OdbcDeleteRow(c, rows, "NAME"), 1) << m_log.str();
  EXPECT_EQ(Rows(), "A1|1|one\n");
  // A row without a pending key is not inserted.
  CIoRowArray inserts;
  inserts.Add(SourceRow("A5", 5, ""));
  inserts.Add(SourceRow("A6", 6, "six"));
  inserts[0]->ClearPendingKeys();
  // Names and values are listed by one rule: a data cell that is not pending is left out of both.
  inserts.Add(SourceRow("A7", 7, "seven"));
  inserts[2]->m_dataCells[1]->m_nFlags &= ~kCellPending;
  ASSERT_EQ(OdbcInsertRows(c, inserts, keyColumns, resultColumns, true), 1) << m_log.str();
  EXPECT_EQ(Rows(), "A1|1|one\nA6|6|six\nA7|7|null\n");
}

TEST_F(OdbcWriteTest, CreateDropRecreateAndAddColumn) {
  COdbcWriteContext c = Context();
  CColumnArray keyColumns;
  keyColumns.Add(std::make_unique<CColumn>("NAME", kSqlVarChar, 0, 0, 1, 0));
  CColumnArray dataColumns;
  dataColumns.Add(std::make_unique<CColumn>("QTY", kSqlDouble, 8, 0, 1, 0));
  dataColumns.Add(std::make_unique<CColumn>("NOTE", kSqlVarChar, 300, 0, 1, 0));
  CIoRowArray rows;
  rows.Add(SourceRow("R1", 1, "first"));
  rows.Add(SourceRow("R2", 2, ""));
  ASSERT_EQ(OdbcRecreateTable(c, rows, keyColumns, dataColumns), 1) << m_log.str();
  EXPECT_EQ(Rows(), "R1|1|first\nR2|2|null\n");
  EXPECT_NE(m_log.str().find("CREATE TABLE T (\"NAME\" VARCHAR(255),\"QTY\" DOUBLE PRECISION,\"NOTE\" VARCHAR(255))"),
            std::string::npos)
      << m_log.str();
  EXPECT_NE(m_log.str().find("ODBC Table Created: T"), std::string::npos);
  EXPECT_EQ(OdbcCreateTable(c, keyColumns, dataColumns), 0);  // exists already
  EXPECT_EQ(m_disconnects, 1);
  EXPECT_EQ(OdbcDropTable(c), 1);
  EXPECT_EQ(OdbcDropTable(c), 1);  // no such table: still done

  Reset("CREATE TABLE T (NAME VARCHAR(20), QTY DOUBLE, NOTE VARCHAR(40))", {"INSERT INTO T VALUES ('A1', 1, 'x')"});
  COdbcWriteContext d = Context();
  const int before = m_table->m_columns.GetSize();
  EXPECT_EQ(OdbcAddColumn(d, std::make_unique<CColumn>("EXTRA", kSqlVarChar, 12, 0, 1, 0)), before);
  EXPECT_EQ(m_table->m_columns.GetSize(), before + 1);
  EXPECT_NE(m_log.str().find("[EXTRA] column added to Target Table."), std::string::npos);
  m_connection->ExecuteDirect("UPDATE T SET EXTRA = 'ok'");
  // The Jet form of the statement: a plain name as it is, any other quoted, or refused without a quote.
  struct AddCase {
    std::string name, q;
    int type;
    bool jet, ok;
    std::string sql;
  };
  const AddCase adds[] = {
      {"Wide", "`", kSqlVarChar, true, true, "ALTER TABLE T ADD (Wide VARCHAR(255))"},
      {"N", "`", kSqlDouble, true, true, "ALTER TABLE T ADD (N DOUBLE PRECISION)"},
      {"x DOUBLE); DROP TABLE T; --", "`", kSqlDouble, true, true,
       "ALTER TABLE T ADD (`x DOUBLE); DROP TABLE T; --` DOUBLE PRECISION)"},
      {"a`b", "`", kSqlDouble, false, true, "ALTER TABLE T ADD `a``b` DOUBLE PRECISION"},
      {"x DOUBLE; DROP TABLE T", " ", kSqlDouble, false, false, ""},
      {"x DOUBLE; DROP TABLE T", "", kSqlDouble, true, false, ""},
      {"Plain_1", "", kSqlDouble, false, true, "ALTER TABLE T ADD Plain_1 DOUBLE PRECISION"},
  };
  for (const AddCase& a : adds) {
    CColumn column(a.name, static_cast<std::int16_t>(a.type), 0, 0, 1, 0);
    std::string sql;
    EXPECT_EQ(BuildAddColumn(*m_table, a.q, "T", column, a.jet, sql), a.ok) << a.name;
    EXPECT_EQ(sql, a.sql) << a.name;
  }
  EXPECT_NE(m_log.str().find("cannot be written safely"), std::string::npos);
}

TEST_F(OdbcWriteTest, MfcOdbcConduct) {
  CDatabase database;
  ASSERT_TRUE(database.OpenEx("Driver=SQLite3;Database=" + m_dir.File("w.db")));
  m_table = std::make_unique<CTestOdbcTbl>(&m_log, &m_options);
  m_table->LoadColumns(*m_connection, "T");
  COdbcWriteContext c = MfcOdbcWriteContext(*m_table, database, "\"", "T", false);

  // A matched row is updated once and not appended as well.
  CIoRowArray source;
  source.Add(SourceRow("A1", 10, "ten"));
  source.Add(SourceRow("A3", 30, "thirty"));
  CColumnArray columns;
  columns.Add(std::make_unique<CColumn>("QTY", kSqlDouble, 8, 0, 1, 0));
  columns.Add(std::make_unique<CColumn>("NOTE", kSqlVarChar, 40, 0, 1, 0));
  int messageId = 0;
  ASSERT_EQ(OdbcTransferRows(c, source, {"*"}, columns, "NAME", "*", "QTY,NOTE", "QTY,NOTE", messageId), 1)
      << m_log.str();
  EXPECT_EQ(Rows(), "A1|10|ten\nA2|2|two\nA3|30|thirty\n");

  // A failed UPDATE ends the transfer with the table name and the statement.
  CIoRowArray failing;
  failing.Add(SourceRow("A2", 500, "too big"));
  EXPECT_EQ(OdbcTransferRows(c, failing, {"*"}, columns, "NAME", "*", "QTY,NOTE", "QTY,NOTE", messageId), 0);
  EXPECT_NE(m_log.str().find("An error occurred while trying to update a record in table T."), std::string::npos);
  EXPECT_NE(m_log.str().find("UPDATE T SET"), std::string::npos);

  EXPECT_EQ(OdbcDropTable(c, false), 1);
  EXPECT_EQ(OdbcDropTable(c, true), 0);  // gone already
  EXPECT_NE(m_log.str().find("An error occurred while trying to drop table T."), std::string::npos);
  EXPECT_EQ(OdbcAddColumn(c, std::make_unique<CColumn>("X", kSqlVarChar, 5, 0, 1, 0)), -1);
  EXPECT_NE(m_log.str().find("An error occurred while trying to add column X to table T."), std::string::npos);
}

// The writes on the ODBC back end itself, with its type catalogue's literals.
TEST_F(OdbcWriteTest, ThroughTheOdbcBackEnd) {
  Reset("CREATE TABLE T (NAME VARCHAR(20), QTY DOUBLE, NOTE VARCHAR(40), WHEN_ DATE)",
        {"INSERT INTO T VALUES ('A1', 1, 'one', '2020-01-31')"});
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers(),
                                   {{"WriteDsn", "SQLite3", {{"Database", m_dir.File("w.db")}}}});
  CIoTableDescription description;
  description.m_strDataSourceName = "WriteDsn";
  description.m_strTable = "T";
  CODBCTbl table(&m_log, &m_options);
  ASSERT_EQ(table.Open(description), 1) << m_log.str();
  COdbcWriteContext c{table,       table.GetConnection(), table.GetIdentifierQuote(), "T", table.IsJetSource(),
                      [&table] { table.Disconnect(); }};
  CIoRowArray source;
  auto row = std::make_unique<CIoRow>();
  row->AddKeyCell(std::make_unique<CIoStrCell>("A2", false, false));
  row->AddDataCell(std::make_unique<CIoStrCell>("it's new", false, false));
  row->AddDataCell(std::make_unique<CIoDateCell>(plat::OleDateTime(2024, 3, 15), false, false));
  source.Add(std::move(row));
  CColumnArray columns;
  columns.Add(std::make_unique<CColumn>("NOTE", kSqlVarChar, 40, 0, 1, 0));
  columns.Add(std::make_unique<CColumn>("WHEN_", kSqlDate, 10, 0, 1, 0));
  int messageId = 0;
  ASSERT_EQ(OdbcTransferRows(c, source, {"*"}, columns, "NAME", "*", "NOTE,WHEN_", "NOTE,WHEN_", messageId), 1)
      << m_log.str();
  CIoStrCell value("x", false, false);
  ASSERT_EQ(OdbcUpdateRowsByKeys(c, "NAME", "A1", "NOTE", value, messageId), 1) << m_log.str();
  table.Close(1);

  CIoTable check("", "T", "NAME", "*", "NOTE,WHEN_", kTableOdbc, "WriteDsn");
  ASSERT_EQ(check.GetStatus(), 0);
  ASSERT_EQ(check.GetRowCount(), 2);
  EXPECT_EQ(Rows(), "A1|1|x\nA2|null|it's new\n");
  auto dates = m_connection->NewStatement();
  dates->ExecuteDirect("SELECT WHEN_ FROM T WHERE NAME = 'A2'");
  ASSERT_TRUE(dates->Fetch());
  const auto when = dates->GetValue(0);
  EXPECT_EQ(when.timestamp.year, 2024);
  EXPECT_EQ(when.timestamp.day, 15);
}

TEST(OdbcWritePostgres, TransferKeepsQuotesAndNonAsciiText) {
  plat::testing::PgTestServer& server = plat::testing::PgTestServer::Shared();
  if (!server.Ok()) GTEST_SKIP() << server.Reason();
  if (plat::testing::PostgresOdbcDriverLibrary().empty()) GTEST_SKIP() << "no PostgreSQL ODBC driver";
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  auto connection = plat::odbc::Connection::Open(server.OdbcConnectionString("postgres"));
  connection->ExecuteDirect("DROP TABLE IF EXISTS wt");
  connection->ExecuteDirect("CREATE TABLE wt (\"NAME\" VARCHAR(20), \"QTY\" DOUBLE PRECISION, \"NOTE\" VARCHAR(40))");
  connection->ExecuteDirect("INSERT INTO wt VALUES ('A1', 1, 'one')");
  CIOOptions options;
  options.ShowErrorBoxes = 0;
  std::ostringstream log;
  CTestOdbcTbl table(&log, &options);
  table.LoadColumns(*connection, "wt");
  COdbcWriteContext c{table, connection, "\"", "wt", false, {}};
  CIoRowArray source;
  source.Add(SourceRow("A1", 10, "O'Brien"));
  source.Add(SourceRow("A3", 30, "Caf\xE9"));
  CColumnArray columns;
  columns.Add(std::make_unique<CColumn>("QTY", kSqlDouble, 8, 0, 1, 0));
  columns.Add(std::make_unique<CColumn>("NOTE", kSqlVarChar, 40, 0, 1, 0));
  int messageId = 0;
  ASSERT_EQ(OdbcTransferRows(c, source, {"*"}, columns, "NAME", "*", "QTY,NOTE", "QTY,NOTE", messageId), 1)
      << log.str();
  auto statement = connection->NewStatement();
  statement->ExecuteDirect("SELECT \"NAME\", \"QTY\", \"NOTE\" FROM wt ORDER BY \"NAME\"");
  std::vector<std::string> notes;
  while (statement->Fetch()) {
    statement->GetValue(0);
    statement->GetValue(1);
    notes.push_back(statement->GetValue(2).text);
  }
  EXPECT_EQ(notes, (std::vector<std::string>{"O'Brien", "Caf\xE9"}));
  connection->ExecuteDirect("DROP TABLE wt");
}

}  // namespace
