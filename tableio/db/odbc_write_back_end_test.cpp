// The write operations of the ODBC (2) and MFC ODBC (8) back ends, called
// through CBaseTbl on a back end opened with a loaded table's description and
// checked by loading the table again; on an SQLite file and, when a server
// can be started, on PostgreSQL.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "platform/ado.h"
#include "platform/odbc_database.h"
#include "platform/testing/odbc_test_env.h"
#include "platform/testing/pg_test_server.h"
#include "tableio/db/ado_tbl.h"
#include "tableio/db/mfc_odbc_tbl.h"
#include "tableio/db/odbc_tbl.h"
#include "tableio/io_table.h"

namespace {

using plat::testing::ScopedOdbcIni;

// One database reached through one table type.
struct Target {
  std::string name;
  int type;
  CDatabase* database;  // runs the set-up statements
  std::function<std::unique_ptr<CIoTable>(const std::string& keys, const std::string& values,
                                          const std::string& extract)>
      load;
};

std::unique_ptr<CIoRow> Row(const std::string& key, std::unique_ptr<CIoCell> qty, const std::string& note) {
  auto row = std::make_unique<CIoRow>();
  row->AddKeyCell(std::make_unique<CIoStrCell>(key, false, false));
  row->AddDataCell(std::move(qty));
  row->AddDataCell(std::make_unique<CIoStrCell>(note, note.empty(), false));
  return row;
}

std::unique_ptr<CIoRow> Row(const std::string& key, double qty, const std::string& note) {
  return Row(key, std::make_unique<CIoDoubleCell>(qty, false, false), note);
}

struct ColumnSpec {
  const char* name;
  std::int16_t type;
  std::int32_t size;
};

CColumnArray Columns(std::initializer_list<ColumnSpec> columns) {
  CColumnArray array;
  for (const ColumnSpec& c : columns) array.Add(std::make_unique<CColumn>(c.name, c.type, c.size, 0, 1, 0));
  return array;
}

// The table's rows as "NAME|QTY|NOTE" lines in key order; a server's CHAR
// column pads its texts, so trailing blanks are dropped.
std::string Rows(const CIoTable& t) {
  if (t.GetStatus() != 0) return "status " + std::to_string(t.GetStatus());
  std::vector<std::string> lines;
  for (int i = 0; i < t.GetRowCount(); ++i) {
    auto trimmed = [](std::string text) {
      while (!text.empty() && text.back() == ' ') text.pop_back();
      return text;
    };
    std::ostringstream line;
    line << trimmed(t.GetKeyText(i, 0)) << "|" << t.GetCellDouble(i, 0) << "|"
         << (t.IsCellNull(i, 1) ? "null" : trimmed(t.GetCellText(i, 1))) << "\n";
    lines.push_back(line.str());
  }
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const std::string& l : lines) out += l;
  return out;
}

class OdbcWriteBackEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (plat::testing::SqliteOdbcDriverLibrary().empty()) GTEST_SKIP() << "the SQLite3 ODBC driver is not installed";
    m_ini = std::make_unique<ScopedOdbcIni>(ScopedOdbcIni::StandardDrivers());
    m_file = m_ini->Dir().File("Write.mdb");
    const std::string sqlite = "Driver=SQLite3;Database=" + m_file;
    ASSERT_TRUE(m_sqlite.OpenEx(sqlite));
    m_targets.push_back({"sqlite", 2, &m_sqlite, [sqlite](auto& keys, auto& values, auto& extract) {
                           return std::make_unique<CIoTable>("", "wt", keys, values, extract, 2, sqlite);
                         }});
    m_targets.push_back({"sqlite", 8, &m_sqlite, [this](auto& keys, auto& values, auto& extract) {
                           return std::make_unique<CIoTable>(m_file, "wt", keys, values, extract, 8);
                         }});

    plat::testing::PgTestServer& server = plat::testing::PgTestServer::Shared();
    if (!server.Ok() || plat::testing::PostgresOdbcDriverLibrary().empty()) {
      std::cerr << "PostgreSQL part skipped: " << (server.Ok() ? "no driver" : server.Reason()) << "\n";
      return;
    }
    ASSERT_TRUE(server.Psql("DROP DATABASE IF EXISTS wiring; CREATE DATABASE wiring"));
    const std::string pg = server.OdbcConnectionString("wiring");
    ASSERT_TRUE(m_pg.OpenEx(pg));
    m_targets.push_back({"postgresql", 2, &m_pg, [pg](auto& keys, auto& values, auto& extract) {
                           return std::make_unique<CIoTable>("", "wt", keys, values, extract, 2, pg);
                         }});
    m_targets.push_back({"postgresql", 8, &m_pg, [this](auto& keys, auto& values, auto& extract) {
                           return std::make_unique<CIoTable>(&m_pg, "wt", keys, values, extract, 8);
                         }});
  }

  // A fresh table "wt" with rows A1 and A2.
  static void Reset(const Target& target) {
    target.database->ExecuteSQL("DROP TABLE IF EXISTS wt");
    target.database->ExecuteSQL(
        "CREATE TABLE wt (\"NAME\" VARCHAR(20), \"QTY\" DOUBLE PRECISION, \"NOTE\" VARCHAR(40))");
    target.database->ExecuteSQL("INSERT INTO wt VALUES ('A1', 1, 'one')");
    target.database->ExecuteSQL("INSERT INTO wt VALUES ('A2', 2, 'two')");
  }

  // The back end of the target's type, opened with the description of the
  // table as loaded.
  std::unique_ptr<CBaseTbl> Open(const Target& target) {
    m_log.str("");
    m_options = CIOOptions();
    m_options.ShowErrorBoxes = 0;
    m_options.ShowWarningBoxes = 0;
    auto loaded = target.load("NAME", "*", "QTY,NOTE");
    std::unique_ptr<CBaseTbl> table;
    if (target.type == 2)
      table = std::make_unique<CODBCTbl>(&m_log, &m_options);
    else
      table = std::make_unique<CMfcOdbcTbl>(&m_log, &m_options);
    if (table->Open(loaded->m_description) != 1) {
      ADD_FAILURE() << "cannot open: " << m_log.str();
      return nullptr;
    }
    return table;
  }

  std::string Reload(const Target& target, const std::string& extract = "QTY,NOTE") {
    return Rows(*target.load("NAME", "*", extract));
  }

  std::unique_ptr<ScopedOdbcIni> m_ini;
  std::string m_file;
  CDatabase m_sqlite;
  CDatabase m_pg;
  std::vector<Target> m_targets;
  CIOOptions m_options;
  std::ostringstream m_log;
};

TEST_F(OdbcWriteBackEndTest, TransferUpdatesMatchesAndInsertsTheRest) {
  for (const Target& target : m_targets) {
    SCOPED_TRACE(target.name + " type " + std::to_string(target.type));
    Reset(target);
    auto table = Open(target);
    ASSERT_TRUE(table);
    CIoRowArray source;
    source.Add(Row("A1", 10, "O'Brien"));
    source.Add(Row("A3", 30, "Caf\xE9 \x80 5"));  // Windows-1252: e acute, euro sign
    CColumnArray columns = Columns({{"QTY", kSqlDouble, 8}, {"NOTE", kSqlVarChar, 40}});
    int messageId = 0;
    ASSERT_EQ(table->TransferRows(source, 0, {"*"}, columns, "NAME", "*", "QTY,NOTE", "QTY,NOTE", messageId), 1)
        << m_log.str();
    EXPECT_NE(m_log.str().find("Key Value Added: [A3]"), std::string::npos) << m_log.str();
    EXPECT_EQ(table->Close(1), 1);
    // The updated row is not appended a second time.
    EXPECT_EQ(Reload(target), "A1|10|O'Brien\nA2|2|two\nA3|30|Caf\xE9 \x80 5\n");
  }
}

TEST_F(OdbcWriteBackEndTest, UpdatesAndDeletesByKeysAndByRow) {
  for (const Target& target : m_targets) {
    SCOPED_TRACE(target.name + " type " + std::to_string(target.type));
    Reset(target);
    target.database->ExecuteSQL("INSERT INTO wt VALUES ('B1', 3, 'three')");
    auto table = Open(target);
    ASSERT_TRUE(table);
    int messageId = 0;
    CIoStrCell quoted("it's \xC4", false, false);
    ASSERT_EQ(table->UpdateRowsByKeys("NAME", "A2", "NOTE", quoted, messageId), 1) << m_log.str();
    CIoDoubleCell seven(7, false, false);
    ASSERT_EQ(table->UpdateRowsByKeys("NAME", "*", "QTY", seven, messageId), 1) << m_log.str();
    EXPECT_EQ(Reload(target), "A1|7|one\nA2|7|it's \xC4\nB1|7|three\n");

    CColumnArray keys = Columns({{"NAME", kSqlVarChar, 20}});
    CColumnArray results = Columns({{"QTY", kSqlDouble, 8}, {"NOTE", kSqlVarChar, 40}});
    CIoRowArray rows;
    rows.Add(Row("A1", 11, "O'Neil"));
    ASSERT_EQ(table->UpdateRow(rows, keys, results), 1) << m_log.str();
    EXPECT_EQ(Reload(target), "A1|11|O'Neil\nA2|7|it's \xC4\nB1|7|three\n");
    ASSERT_EQ(table->DeleteRow(rows, "NAME"), 1) << m_log.str();
    // A pattern key value deletes every row it matches, and only those.
    ASSERT_EQ(table->DeleteRowsByKeys("NAME", "B*", "NOTE"), 1) << m_log.str();
    EXPECT_EQ(Reload(target), "A2|7|it's \xC4\n");

    // A key field that names no column is refused and nothing changes.
    EXPECT_EQ(table->DeleteRowsByKeys("NOPE", "*", "NOTE"), 0);
    EXPECT_NE(m_log.str().find("Key Fields are incorrectly specified."), std::string::npos) << m_log.str();
    table->Close(1);
    EXPECT_EQ(Reload(target), "A2|7|it's \xC4\n");
  }
}

TEST_F(OdbcWriteBackEndTest, RecreateAddColumnDropAndCreate) {
  for (const Target& target : m_targets) {
    SCOPED_TRACE(target.name + " type " + std::to_string(target.type));
    Reset(target);
    auto table = Open(target);
    ASSERT_TRUE(table);
    CColumnArray keys = Columns({{"NAME", kSqlVarChar, 20}});
    CColumnArray data = Columns({{"QTY", kSqlInteger, 4}, {"NOTE", kSqlVarChar, 60}});
    CIoRowArray rows;
    rows.Add(Row("R1", std::make_unique<CIoLongCell>(1, false, false), "first"));
    rows.Add(Row("R2", std::make_unique<CIoLongCell>(2, false, false), "it's Z\xFCrich"));
    ASSERT_EQ(table->RecreateTable(rows, keys, data), 1) << m_log.str();
    EXPECT_EQ(Reload(target), "R1|1|first\nR2|2|it's Z\xFCrich\n");

    const int before = table->m_columns.GetSize();
    EXPECT_EQ(table->AddColumn(std::make_unique<CColumn>("EXTRA", kSqlVarChar, 12, 0, 1, 0)), before)
        << m_log.str();
    EXPECT_EQ(table->m_columns.GetSize(), before + 1);
    target.database->ExecuteSQL("UPDATE wt SET \"EXTRA\" = 'x'");
    auto extra = target.load("NAME", "R1", "EXTRA");
    ASSERT_EQ(extra->GetStatus(), 0);
    ASSERT_EQ(extra->GetRowCount(), 1);
    EXPECT_EQ(extra->GetCellText(0, 0).substr(0, 1), "x");

    // Dropping a table that is gone already still succeeds, unless the MFC
    // ODBC back end is asked to report it.
    if (target.type == 2) {
      auto& odbc = dynamic_cast<CODBCTbl&>(*table);
      EXPECT_EQ(odbc.DropTable(), 1);
      EXPECT_EQ(Reload(target), "status 1");
      EXPECT_EQ(odbc.DropTable(), 1);
      ASSERT_EQ(odbc.CreateTable(keys, data), 1) << m_log.str();
    } else {
      auto& mfc = dynamic_cast<CMfcOdbcTbl&>(*table);
      EXPECT_EQ(mfc.DropTable(1), 1);
      EXPECT_EQ(Reload(target), "status 1");
      EXPECT_EQ(mfc.DropTable(0), 1);
      EXPECT_EQ(mfc.DropTable(1), 0);
      EXPECT_NE(m_log.str().find("An error occurred while trying to drop table"), std::string::npos);
      ASSERT_EQ(mfc.CreateTable(keys, data), 1) << m_log.str();
    }
    table->Close(1);
    EXPECT_EQ(Reload(target), "");
  }
}

// The MFC ODBC back end makes a text column as wide as declared, also wider
// than 255 characters, so a long text fits whole.
TEST_F(OdbcWriteBackEndTest, MfcOdbcTablesKeepTheDeclaredTextSize) {
  for (const Target& target : m_targets) {
    if (target.type != 8) continue;
    SCOPED_TRACE(target.name);
    Reset(target);
    auto table = Open(target);
    ASSERT_TRUE(table);
    CColumnArray keys = Columns({{"NAME", kSqlVarChar, 20}});
    CColumnArray data = Columns({{"QTY", kSqlInteger, 4}, {"NOTE", kSqlVarChar, 300}});
    const std::string note(300, 'n');
    CIoRowArray rows;
    rows.Add(Row("R1", std::make_unique<CIoLongCell>(1, false, false), note));
    ASSERT_EQ(table->RecreateTable(rows, keys, data), 1) << m_log.str();
    EXPECT_EQ(Reload(target), "R1|1|" + note + "\n");
    table->Close(1);
  }
}

// A table name and values made to break out of their quotes stay a name and
// values: the statements quote and escape them for the database at hand.
TEST_F(OdbcWriteBackEndTest, HostileNamesAndValuesStayData) {
  const std::string hostile = "x\"]`; DROP TABLE wt; --";
  std::string quoted = "\"";
  for (char c : hostile) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  quoted += "\"";
  const std::string values[] = {"ends with \\", "it\\'s", "\\'); DROP TABLE wt; --"};
  // A server that reads a backslash in a string as an escape: the literals must say so.
  if (m_targets.size() > 2) {
    ASSERT_TRUE(plat::testing::PgTestServer::Shared().Psql("ALTER DATABASE wiring SET standard_conforming_strings = off"));
  }
  for (const Target& target : m_targets) {
    SCOPED_TRACE(target.name + " type " + std::to_string(target.type));
    Reset(target);
    target.database->ExecuteSQL("DROP TABLE IF EXISTS " + quoted);
    target.database->ExecuteSQL("CREATE TABLE " + quoted +
                                " (\"NAME\" VARCHAR(20), \"QTY\" DOUBLE PRECISION, \"NOTE\" VARCHAR(40))");
    auto loaded = target.load("NAME", "*", "QTY,NOTE");
    CIoTableDescription description;
    description.Copy(loaded->m_description);
    description.m_strTable = hostile;
    auto open = [&] {
      m_log.str("");
      std::unique_ptr<CBaseTbl> table;
      if (target.type == 2)
        table = std::make_unique<CODBCTbl>(&m_log, &m_options);
      else
        table = std::make_unique<CMfcOdbcTbl>(&m_log, &m_options);
      EXPECT_EQ(table->Open(description), 1) << m_log.str();
      return table;
    };
    auto table = open();
    CColumnArray keys = Columns({{"NAME", kSqlVarChar, 20}});
    CColumnArray data = Columns({{"QTY", kSqlInteger, 4}, {"NOTE", kSqlVarChar, 40}});
    CIoRowArray rows;
    for (int i = 0; i < 3; ++i)
      rows.Add(Row("R" + std::to_string(i), std::make_unique<CIoLongCell>(i, false, false), values[i]));
    ASSERT_EQ(table->RecreateTable(rows, keys, data), 1) << m_log.str();
    table->Close(1);
    EXPECT_EQ(Reload(target), "A1|1|one\nA2|2|two\n");  // the other table is untouched

    auto reader = open();
    CIoRowArray read;
    CColumnArray readKeys;
    CColumnArray readData;
    ASSERT_EQ(reader->ReadAll(read, readKeys, readData, "NAME", "*", "NOTE"), 1) << m_log.str();
    std::vector<std::string> notes;
    for (int i = 0; i < read.GetSize(); ++i) {
      std::string note = read.GetCellText(i, 0);
      while (!note.empty() && note.back() == ' ') note.pop_back();  // a server's CHAR column pads
      notes.push_back(note);
    }
    std::sort(notes.begin(), notes.end());
    std::vector<std::string> expected(std::begin(values), std::end(values));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(notes, expected);
    // A key value ending in a backslash matches its own row only.
    int messageId = 0;
    CIoLongCell nine(9, false, false);
    ASSERT_EQ(reader->UpdateRowsByKeys("NOTE", values[0], "QTY", nine, messageId), 1) << m_log.str();
    reader->Close(1);
    target.database->ExecuteSQL("DROP TABLE " + quoted);
  }
}

// An ADO table inherits the MFC ODBC writes but has no database of that
// kind: each write is refused with a report instead of touching a null one.
TEST_F(OdbcWriteBackEndTest, AdoTablesRefuseTheInheritedWrites) {
  Reset(m_targets.front());
  auto loaded = std::make_unique<CIoTable>(std::make_shared<plat::AdoConnection>(), "wt", "NAME", "*", "QTY,NOTE",
                                           10, m_file);
  ASSERT_EQ(loaded->GetStatus(), 0);
  m_options.ShowErrorBoxes = 0;
  CAdoTbl table(&m_log, &m_options);
  ASSERT_EQ(table.Open(loaded->m_description), 1) << m_log.str();
  int messageId = 0;
  CIoStrCell value("x", false, false);
  EXPECT_EQ(table.UpdateRowsByKeys("NAME", "*", "NOTE", value, messageId), 0);
  EXPECT_EQ(table.DeleteRowsByKeys("NAME", "*", "NOTE"), 0);
  EXPECT_EQ(table.AddColumn(std::make_unique<CColumn>("EXTRA", kSqlVarChar, 12, 0, 1, 0)), -1);
  EXPECT_NE(m_log.str().find("Unable to open table [wt]"), std::string::npos) << m_log.str();
  table.Close(1);
  EXPECT_EQ(Reload(m_targets.front()), "A1|1|one\nA2|2|two\n");
}

}  // namespace
