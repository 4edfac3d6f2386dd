// Reading tables through the ODBC (2), MFC ODBC (8) and ADO (10) back ends,
// against SQLite files and a private PostgreSQL server.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "platform/ado.h"
#include "platform/exceptions.h"
#include "platform/odbc_database.h"
#include "platform/testing/load_marker.h"
#include "platform/testing/odbc_test_env.h"
#include "platform/testing/pg_test_server.h"
#include "tableio/db/ado_tbl.h"
#include "tableio/db/mfc_odbc_tbl.h"
#include "tableio/db/odbc_tbl.h"
#include "tableio/io_table.h"

namespace {

using plat::testing::ScopedOdbcIni;

const std::string kLongText(600, 'L');

// One table with every kind of value the readers meet.
void CreateSampleTable(CDatabase& db) {
  db.ExecuteSQL(
      "CREATE TABLE Sample (id INTEGER, d DOUBLE PRECISION, n NUMERIC(10,2), ts TIMESTAMP, "
      "txt VARCHAR(20), big VARCHAR(700), city VARCHAR(20))");
  db.ExecuteSQL("INSERT INTO Sample VALUES (1, 2.5, 12.34, '2021-03-15 07:05:09', 'ab  ', '" + kLongText +
                "', 'Z\xFCrich')");
  db.ExecuteSQL("INSERT INTO Sample VALUES (2, NULL, NULL, NULL, NULL, NULL, NULL)");
  db.ExecuteSQL("INSERT INTO Sample VALUES (3, -1, 0.5, '1999-12-31 23:59:59', 'x', 'y', 'z')");
}

// Where the sample lives and how each table type reaches it.
struct Source {
  std::string name;
  std::string odbcConnection;  // a complete connection string (given as the data source name of type 2)
  std::function<std::unique_ptr<CIoTable>(int type, const std::string& table, const std::string& keys,
                                          const std::string& values, const std::string& extract)>
      open;
};

void CheckSample(const CIoTable& t, int type, const std::string& source) {
  SCOPED_TRACE(source + " type " + std::to_string(type));
  ASSERT_EQ(t.GetStatus(), 0);
  ASSERT_EQ(t.GetRowCount(), 3);
  ASSERT_EQ(t.GetColumnCount(), 7);
  const int id = t.FindColumn("id"), d = t.FindColumn("d"), n = t.FindColumn("n"), ts = t.FindColumn("ts"),
            txt = t.FindColumn("txt"), big = t.FindColumn("big"), city = t.FindColumn("city");
  ASSERT_GE(std::min({id, d, n, ts, txt, big, city}), 0);
  EXPECT_EQ(t.GetCellLong(0, id), 1);
  EXPECT_DOUBLE_EQ(t.GetCellDouble(0, d), 2.5);
  EXPECT_DOUBLE_EQ(t.GetCellDouble(0, n), 12.34);  // a decimal keeps its fraction
  EXPECT_EQ(t.GetCellText(0, ts), "2021-03-15 07:05:09");
  // The ODBC back end trims trailing blanks; the others keep the text as stored.
  EXPECT_EQ(t.GetCellText(0, txt), type == 2 ? "ab" : "ab  ");
  EXPECT_EQ(t.GetCellText(0, big), kLongText);  // not cut at 256 bytes
  EXPECT_EQ(t.GetCellText(0, city), "Z\xFCrich");
  for (int j : {d, n, ts, txt, big, city}) EXPECT_NE(t.IsCellNull(1, j), 0u) << t.GetColumnName(j);
  EXPECT_EQ(t.IsCellNull(1, id), 0u);
  EXPECT_DOUBLE_EQ(t.GetCellDouble(2, n), 0.5);
  EXPECT_EQ(t.GetKeyText(2, 0), "3");
}

class DbBackEndsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (plat::testing::SqliteOdbcDriverLibrary().empty()) GTEST_SKIP() << "the SQLite3 ODBC driver is not installed";
    ini_ = std::make_unique<ScopedOdbcIni>(ScopedOdbcIni::StandardDrivers());
    file_ = ini_->Dir().File("Sample.mdb");
    CDatabase db;
    db.OpenEx("Driver=SQLite3;Database=" + file_);
    CreateSampleTable(db);
  }

  std::unique_ptr<ScopedOdbcIni> ini_;
  std::string file_;
};

TEST_F(DbBackEndsTest, TheSampleReadsTheSameThroughEveryBackEndAndDatabase) {
  std::vector<Source> sources;
  const std::string sqlite = "Driver=SQLite3;Database=" + file_;
  sources.push_back({"sqlite", sqlite, [&, sqlite](int type, auto& table, auto& keys, auto& values, auto& extract) {
                       if (type == 2) return std::make_unique<CIoTable>("", table, keys, values, extract, 2, sqlite);
                       if (type == 8) return std::make_unique<CIoTable>(file_, table, keys, values, extract, 8);
                       auto cn = std::make_shared<plat::AdoConnection>();  // closed: opened on the file
                       return std::make_unique<CIoTable>(cn, table, keys, values, extract, 10, file_);
                     }});

  plat::testing::PgTestServer& server = plat::testing::PgTestServer::Shared();
  std::unique_ptr<CDatabase> pgDb;
  std::shared_ptr<plat::AdoConnection> pgAdo;
  if (server.Ok()) {
    server.Psql("DROP DATABASE IF EXISTS backends; CREATE DATABASE backends");
    const std::string pg = server.OdbcConnectionString("backends");
    pgDb = std::make_unique<CDatabase>();
    pgDb->OpenEx(pg);
    CreateSampleTable(*pgDb);
    pgAdo = std::make_shared<plat::AdoConnection>();
    pgAdo->Open(pg, "", "", 0);
    sources.push_back({"postgresql", pg, [&, pg](int type, auto& table, auto& keys, auto& values, auto& extract) {
                         if (type == 2) return std::make_unique<CIoTable>("", table, keys, values, extract, 2, pg);
                         if (type == 8) return std::make_unique<CIoTable>(pgDb.get(), table, keys, values, extract, 8);
                         return std::make_unique<CIoTable>(pgAdo, table, keys, values, extract, 10, "pg");
                       }});
  } else {
    std::cerr << "PostgreSQL part skipped: " << server.Reason() << "\n";
  }

  for (const Source& source : sources) {
    for (int type : {2, 8, 10}) {
      auto t = source.open(type, "Sample", "id", "*", "*");
      CheckSample(*t, type, source.name);
      // Key values select rows on the server side.
      auto some = source.open(type, "Sample", "id,txt", "3,*", "d");
      ASSERT_EQ(some->GetStatus(), 0) << source.name << " " << type;
      ASSERT_EQ(some->GetRowCount(), 1) << source.name << " " << type;
      EXPECT_DOUBLE_EQ(some->GetCellDouble(0, 0), -1.0);
      auto like = source.open(type, "Sample", "city", "Z...ich", "id");
      ASSERT_EQ(like->GetStatus(), 0) << source.name << " " << type;
      EXPECT_EQ(like->GetRowCount(), 1) << source.name << " " << type;
      auto none = source.open(type, "Sample", "id", "99", "d");
      EXPECT_EQ(none->GetStatus(), 0);  // no row is not a failure
      EXPECT_EQ(none->GetRowCount(), 0);
      auto missing = source.open(type, "Sample", "id", "*", "NoSuchColumn");
      EXPECT_EQ(missing->GetStatus(), 2) << source.name << " " << type;
      auto noTable = source.open(type, "NoSuchTable", "id", "*", "*");
      EXPECT_EQ(noTable->GetStatus(), 1) << source.name << " " << type;
    }
  }
  // The shared connections stay open after the tables closed.
  if (pgDb) {
    // owner.table is looked up with the schema (and the server's lower-case name).
    CIoTable owned("", "public.Sample", "id", "1", "d", 2, server.OdbcConnectionString("backends"));
    ASSERT_EQ(owned.GetStatus(), 0);
    EXPECT_EQ(owned.GetRowCount(), 1);
    EXPECT_TRUE(pgDb->IsOpen());
    EXPECT_EQ(pgAdo->GetState(), plat::adStateOpen);
  }
}

TEST_F(DbBackEndsTest, OdbcBackEndThroughADataSourceAndItsCatalogue) {
  ScopedOdbcIni ini(ScopedOdbcIni::StandardDrivers(), {{"SampleDsn", "SQLite3", {{"Database", file_}}}});
  CIoTable t("", "Sample", "id", "*", "id,d", 2, "SampleDsn");
  ASSERT_EQ(t.GetStatus(), 0);
  EXPECT_EQ(t.GetRowCount(), 3);

  CIOOptions options;
  options.ShowErrorBoxes = 0;
  std::ostringstream log;
  CIoTableDescription description;
  description.m_strDataSourceName = "SampleDsn";
  description.m_strTable = "Sample";
  CODBCTbl table(&log, &options);
  ASSERT_EQ(table.Open(description), 1) << log.str();
  EXPECT_FALSE(table.GetTypeCatalogue().IsEmpty());
  EXPECT_NE(table.FormatLiteral("2021-03-15 07:05:09", 11), "");
  EXPECT_EQ(table.FormatLiteral("2021-03-15 07:05:09", 11), "{ts '2021-03-15 07:05:09'}");
  EXPECT_EQ(table.FormatLiteral("2021-03-15", 9), "{d '2021-03-15'}");
  EXPECT_EQ(table.FormatLiteral("07:05:09", 10), "{t '07:05:09'}");
  EXPECT_EQ(table.FormatLiteral("1 OR 1=1", 4), "");  // refused
  EXPECT_EQ(table.Close(1), 1);
}

TEST_F(DbBackEndsTest, RefusedConnectionsGiveStatusOneAndMaskThePassword) {
  CIOOptions options;
  options.ShowErrorBoxes = 0;
  std::ostringstream log;
  CIoTableDescription description;
  description.m_strDataSourceName = "NoSuchSource";
  description.m_strUser = "scott";
  description.m_strPassword = "s3cret;pw";
  description.m_strTable = "Sample";
  CODBCTbl table(&log, &options);
  EXPECT_EQ(table.Open(description), 0);
  EXPECT_NE(log.str().find("Password: [********]"), std::string::npos) << log.str();
  EXPECT_EQ(log.str().find("s3cret"), std::string::npos);
  EXPECT_NE(log.str().find("Failed to connect to ODBC data source."), std::string::npos);

  std::ostringstream mfcLog;
  CMfcOdbcTbl mfc(&mfcLog, &options);
  EXPECT_EQ(mfc.Open(description), 0);
  EXPECT_NE(mfcLog.str().find("Unable to open database [NoSuchSource]"), std::string::npos) << mfcLog.str();
  EXPECT_EQ(mfcLog.str().find("s3cret"), std::string::npos);

  // A data source name holding "=" is a whole connection string: its password is masked too.
  description.m_strDataSourceName = "Driver=NoSuchDriver;Database=x;PWD=dsnSecret";
  std::ostringstream stringLog;
  CODBCTbl byString(&stringLog, &options);
  EXPECT_EQ(byString.Open(description), 0);
  CMfcOdbcTbl mfcByString(&stringLog, &options);
  EXPECT_EQ(mfcByString.Open(description), 0);
  EXPECT_NE(stringLog.str().find("PWD=********"), std::string::npos) << stringLog.str();
  EXPECT_EQ(stringLog.str().find("dsnSecret"), std::string::npos) << stringLog.str();
  EXPECT_EQ(stringLog.str().find("s3cret"), std::string::npos) << stringLog.str();

  for (int type : {2, 8}) {
    CIoTable t("", "Sample", "id", "*", "*", type, "NoSuchSource", "scott", "s3cret");
    EXPECT_EQ(t.GetStatus(), 1) << type;
  }
  // An ADO table whose description carries no connection is refused.
  CIoTable noConnection(std::shared_ptr<plat::AdoConnection>(), "Sample", "id", "*", "*", 10, file_);
  EXPECT_EQ(noConnection.GetStatus(), 1);
}

// The data source of a table spec never loads a library named by a path: the read fails, and the report
// names the source and why.
TEST_F(DbBackEndsTest, ATableSpecSourceThatNamesADriverByAPathIsRefused) {
  plat::testing::ScopedLoadMarker marker;
  CIOOptions options;
  options.ShowErrorBoxes = 0;
  CIoTableDescription description;
  description.m_strDataSourceName = "Driver=" + plat::testing::LoadMarkerLibrary() + ";Database=" + file_;
  description.m_strTable = "Sample";
  std::ostringstream log;
  CODBCTbl odbc(&log, &options);
  EXPECT_EQ(odbc.Open(description), 0);
  EXPECT_NE(log.str().find("Data Source Name: [" + description.m_strDataSourceName + "]"), std::string::npos)
      << log.str();
  EXPECT_NE(log.str().find("The connection string is refused: the driver \"" + plat::testing::LoadMarkerLibrary() +
                           "\" is a path"),
            std::string::npos)
      << log.str();
  std::ostringstream mfcLog;
  CMfcOdbcTbl mfc(&mfcLog, &options);
  EXPECT_EQ(mfc.Open(description), 0);
  EXPECT_NE(mfcLog.str().find("The connection string is refused"), std::string::npos) << mfcLog.str();
  for (int type : {2, 8}) {
    CIoTable t("", "Sample", "id", "*", "*", type, description.m_strDataSourceName);
    EXPECT_EQ(t.GetStatus(), 1) << type;
  }
  EXPECT_FALSE(marker.Loaded());
}

TEST_F(DbBackEndsTest, MfcOdbcQueriesSharedDatabasesAndTheLastRowPattern) {
  CDatabase db;
  db.OpenEx("Driver=SQLite3;Database=" + file_);
  db.ExecuteSQL("CREATE TABLE Solutions (SolutionID INTEGER, ModelID INTEGER)");
  for (int i = 1; i <= 3; ++i)
    db.ExecuteSQL("INSERT INTO Solutions VALUES (" + std::to_string(i) + ", " + std::to_string(100 + i) + ")");
  db.ExecuteSQL("CREATE VIEW BigOnes AS SELECT id, d FROM Sample WHERE id > 1");

  // The results reader's pattern: key SolutionID, extract ModelID, take the last row.
  CIoTable solutions(&db, "Solutions", "SolutionID", "*", "ModelID", 8);
  ASSERT_EQ(solutions.GetStatus(), 0);
  ASSERT_EQ(solutions.GetRowCount(), 3);
  EXPECT_EQ(solutions.GetCellLong(solutions.GetRowCount() - 1, 0), 103);
  EXPECT_TRUE(db.IsOpen());  // closing the table leaves a shared database open

  CIoTable query(&db, "Query::BigOnes", "id", "*", "d", 8);
  ASSERT_EQ(query.GetStatus(), 0);
  EXPECT_EQ(query.GetRowCount(), 2);

  // By file, the Access driver string reaches the SQLite file.
  CIoTable byFile(file_, "Solutions", "SolutionID", "2", "ModelID", 8);
  ASSERT_EQ(byFile.GetStatus(), 0);
  ASSERT_EQ(byFile.GetRowCount(), 1);
  EXPECT_EQ(byFile.GetCellLong(0, 0), 102);

  CIOOptions options;
  CMfcOdbcTbl vocabulary(nullptr, &options);
  EXPECT_EQ(vocabulary.FormatLiteral("2021-03-15", 9), "#2021-03-15#");  // an Access file
  EXPECT_EQ(vocabulary.FormatLiteral("it's", 1), "'it''s'");
  EXPECT_EQ(vocabulary.GetTypeName(-6), "BYTE");
}

// A back end whose type catalogue the test sets.
class CatalogueTbl : public CODBCTbl {
 public:
  CatalogueTbl() : CODBCTbl(nullptr, &m_options) {}
  void AddType(const std::string& name, std::int16_t type, const std::string& prefix = "") {
    auto info = std::make_unique<CIoSqlTypeInfo>();
    info->m_strTypeName = name;
    info->m_nDataType = type;
    info->m_strLiteralPrefix = info->m_strLiteralSuffix = prefix;
    m_typeInfo.Add(std::move(info));
  }
  CIOOptions m_options;
};

TEST(DbBackEndCellsTest, TypeCatalogueSubstitutes) {
  CatalogueTbl empty;
  EXPECT_THROW(empty.GetTypeName(8), CInvalidArgException);
  CatalogueTbl t;
  t.AddType("INTEGER", 4);
  t.AddType("FLOAT", 6);
  t.AddType("VARCHAR", 12, "'");
  EXPECT_EQ(t.GetTypeName(8), "FLOAT");  // no DOUBLE: the first substitute the source has
  EXPECT_EQ(t.GetTypeName(1), "VARCHAR");
  EXPECT_EQ(t.GetTypeName(11), "VARCHAR");  // no TIMESTAMP: text
  EXPECT_EQ(t.GetTypeName(-7), "INTEGER");
  EXPECT_EQ(t.FormatLiteral("it's", 12), "'it''s'");
  CatalogueTbl numbersOnly;
  numbersOnly.AddType("DOUBLE", 8);
  numbersOnly.AddType("INTEGER", 4);
  EXPECT_EQ(numbersOnly.GetTypeName(1), "DOUBLE");  // no character type at all: the first entry
}

TEST(DbBackEndCellsTest, ValuesBecomeCellsOfTheColumnType) {
  // Record-set values: decimals that arrive as text keep their fraction.
  CDBVariant text;
  text.m_dwType = DBVT_STRING;
  text.m_strVal = "12.34";
  EXPECT_DOUBLE_EQ(CellFromDbVariant(text, 8)->GetDouble(), 12.34);
  text.m_strVal = "5000000000";
  EXPECT_DOUBLE_EQ(CellFromDbVariant(text, 4)->AsDouble(), 5e9);
  CDBVariant null;
  EXPECT_TRUE(CellFromDbVariant(null, 11)->IsNull());
  EXPECT_EQ(CellFromDbVariant(null, 11)->GetSqlType(), 11);
  EXPECT_EQ(MfcColumnType(SQL_DECIMAL), 8);
  EXPECT_EQ(MfcColumnType(SQL_REAL), 7);
  EXPECT_EQ(MfcColumnType(SQL_LONGVARBINARY), 0);

  // Variants: currency, booleans, decimals and 64-bit integers.
  plat::Variant v;
  v.vt = plat::VT_CY;
  v.llVal = 123456;
  EXPECT_DOUBLE_EQ(CellFromVariant(v, 3)->GetDouble(), 12.3456);
  v.vt = plat::VT_BOOL;
  v.llVal = -1;
  EXPECT_EQ(CellFromVariant(v, -7)->GetShort(), -1);
  v.vt = plat::VT_DECIMAL;
  v.dblVal = 12.34;
  EXPECT_DOUBLE_EQ(CellFromVariant(v, 3)->GetDouble(), 12.34);
  v.vt = plat::VT_I8;
  v.llVal = 7;
  EXPECT_EQ(CellFromVariant(v, 4)->GetLong(), 7);
  v.llVal = 1LL << 40;
  EXPECT_DOUBLE_EQ(CellFromVariant(v, 4)->GetDouble(), static_cast<double>(1LL << 40));
  EXPECT_TRUE(CellFromVariant(plat::Variant::Null(), 1)->IsNull());
  EXPECT_EQ(AdoColumnType(plat::adGUID), 0);
  EXPECT_EQ(AdoColumnType(plat::adInteger), 4);

  // ODBC values: texts lose trailing blanks, wide texts get a cell too.
  plat::odbc::FieldValue f;
  f.kind = plat::odbc::FieldValue::Kind::Text;
  f.text = "abc   ";
  EXPECT_EQ(CellFromOdbcValue(f, SQL_WVARCHAR)->Format(), "abc");
  f.text = "9.75";
  EXPECT_DOUBLE_EQ(CellFromOdbcValue(f, SQL_DECIMAL)->GetDouble(), 9.75);
  EXPECT_EQ(CellFromOdbcValue(f, SQL_GUID), nullptr);
}

TEST_F(DbBackEndsTest, UnsupportedColumnsAreSkippedWithAWarning) {
  CDatabase db;
  db.OpenEx("Driver=SQLite3;Database=" + file_);
  db.ExecuteSQL("CREATE TABLE Blobs (id INTEGER, b BLOB)");
  db.ExecuteSQL("INSERT INTO Blobs VALUES (1, x'0102')");
  CIOOptions options;
  options.ShowErrorBoxes = 0;
  std::ostringstream log;
  CIoTableDescription description;
  description.m_pDatabase = &db;
  description.m_strTable = "Blobs";
  CMfcOdbcTbl table(&log, &options);
  ASSERT_EQ(table.Open(description), 1) << log.str();
  EXPECT_NE(log.str().find("Column [b] with unsupported data type skipped."), std::string::npos) << log.str();
  EXPECT_EQ(table.FindColumn("b"), -1);
  EXPECT_EQ(table.Close(1), 1);

  options.SkipBinaryColumns = 0;
  CMfcOdbcTbl kept(&log, &options);
  ASSERT_EQ(kept.Open(description), 1);
  CIoRowArray rows;
  CColumnArray keys;
  CColumnArray data;
  ASSERT_EQ(kept.ReadAll(rows, keys, data, "id", "*", "b"), 1);
  ASSERT_EQ(rows.GetSize(), 1);
  EXPECT_EQ(rows[0]->m_dataCells.GetSize(), 1);  // the kept column still gives the row a cell
}

}  // namespace
