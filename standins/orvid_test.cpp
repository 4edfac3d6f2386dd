#include "standins/orvid.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <cmath>
#include <memory>
#include <string>

#include "platform/testing/odbc_test_env.h"
#include "platform/testing/pg_test_server.h"

namespace {

struct OrvidFree {
  void operator()(IOrvid* p) const { IOrvid::Destroy(p); }
};
using OrvidPtr = std::unique_ptr<IOrvid, OrvidFree>;

struct Outcome {
  bool ok;
  std::int32_t columns = -1, count = -1, time = -1;
};

Outcome Start(IOrvid& w, const char* table) {
  Outcome o{false};
  o.ok = w.StartTable(table, &o.columns, &o.count, &o.time);
  return o;
}

void WriteStreams(IOrvid& w, int first, int count) {
  for (int i = first; i < first + count; ++i) {
    Start(w, "PrStream");
    w.SetLongValue("CaseID", i);
    w.SetTextValue("Stream", ("s\xE9" + std::to_string(i)).c_str());
    if (i % 2 == 0) w.SetDoubleValue("Value", i * 0.25);
    w.SetShortValue("Period", static_cast<std::int16_t>(i % 7));
    w.SetDateTimeValue("Day", 45000.75);
    w.EndRow();
  }
}

std::string Sqlite(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_stmt* stmt = nullptr;
  std::string out;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) out = sqlite3_errmsg(db);
  while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      const unsigned char* t = sqlite3_column_text(stmt, i);
      out += (i ? "|" : "") + std::string(t ? reinterpret_cast<const char*>(t) : "NULL");
    }
    out += "\n";
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return out;
}

// The first row of a query on the private server's "postgres" database, its values joined by "|".
std::string Postgres(int port, const std::string& sql) {
  const std::string conninfo = "host=127.0.0.1 user=postgres dbname=postgres port=" + std::to_string(port);
  PGconn* conn = PQconnectdb(conninfo.c_str());
  PGresult* r = PQexec(conn, sql.c_str());
  std::string line = PQntuples(r) > 0 ? std::string() : PQresultErrorMessage(r);
  for (int c = 0; PQntuples(r) > 0 && c < PQnfields(r); ++c) line += (c ? "|" : "") + std::string(PQgetvalue(r, 0, c));
  PQclear(r);
  PQfinish(conn);
  return line;
}

constexpr const char* kStreamTable =
    "CREATE TABLE \"PrStream\" (\"CaseID\" INTEGER, \"Stream\" VARCHAR(20), \"Value\" DOUBLE PRECISION, "
    "\"Period\" SMALLINT, \"Day\" TIMESTAMP)";

TEST(OrvidTest, WritesEachTableInOneBulkOperationThroughOdbcParameterArrays) {
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  if (plat::testing::SqliteOdbcDriverLibrary().empty()) GTEST_SKIP() << "no SQLite ODBC driver";
  std::string path = ini.Dir().File("server.db");
  Sqlite(path, std::string(kStreamTable) + ";");
  Sqlite(path, "CREATE TABLE \"PrCase\" (\"CaseID\" INTEGER);");

  OrvidPtr w(IOrvid::CreateInstance());
  w->Initialize("SQLServer", "Vorn");
  w->Connect("Driver=SQLite3;Database=" + path);
  EXPECT_EQ(w->GetLastError(), "");
  WriteStreams(*w, 0, 2500);
  EXPECT_EQ(Sqlite(path, "SELECT count(*) FROM PrStream"), "0\n");  // held until the next table
  Outcome switched = Start(*w, "PrCase");
  EXPECT_TRUE(switched.ok);
  EXPECT_EQ(switched.count, 2500);
  EXPECT_EQ(switched.columns, 5);
  EXPECT_NE(switched.time, -1);
  EXPECT_EQ(w->GetLastError(), "");
  w->SetLongValue("CaseID", 3);
  w->EndRow();
  Outcome flushed = Start(*w, "");
  EXPECT_EQ(flushed.count, 1);
  Outcome idle = Start(*w, "");
  EXPECT_EQ(idle.time, -1);  // nothing held, nothing written

  EXPECT_EQ(Sqlite(path, "SELECT count(*), sum(CaseID), count(Value), sum(Period) FROM PrStream"),
            "2500|3123750|1250|7497\n");
  EXPECT_EQ(Sqlite(path, "SELECT Stream, Value, Day FROM PrStream WHERE CaseID = 2"),
            "s\xC3\xA9" "2|0.5|2023-03-15 18:00:00.000\n");
  EXPECT_EQ(Sqlite(path, "SELECT * FROM PrCase"), "3\n");
}

TEST(OrvidTest, AFailedWriteIsRetriedOnlyByAnImmediateRestartOfTheSameTable) {
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  if (plat::testing::SqliteOdbcDriverLibrary().empty()) GTEST_SKIP() << "no SQLite ODBC driver";
  std::string path = ini.Dir().File("server.db");
  Sqlite(path, "CREATE TABLE \"PrCase\" (\"CaseID\" INTEGER);");
  OrvidPtr w(IOrvid::CreateInstance());
  w->Initialize("SQLServer", "Vorn");
  w->Connect("Driver=SQLite3;Database=" + path);

  WriteStreams(*w, 0, 10);  // PrStream does not exist yet
  Outcome failed = Start(*w, "PrCase");
  EXPECT_FALSE(failed.ok);
  EXPECT_NE(failed.time, -1);
  EXPECT_EQ(failed.count, 0);
  EXPECT_NE(w->GetLastError().find("PrStream"), std::string::npos);
  Sqlite(path, std::string(kStreamTable) + ";");
  Outcome rerun = Start(*w, "PrCase");
  EXPECT_TRUE(rerun.ok);
  EXPECT_EQ(rerun.count, 10);
  EXPECT_EQ(w->GetLastError(), "");
  w->SetLongValue("CaseID", 1);
  w->EndRow();
  EXPECT_TRUE(Start(*w, "").ok);  // the flush commits both tables together
  EXPECT_EQ(Sqlite(path, "SELECT count(*) FROM PrStream"), "10\n");
  EXPECT_EQ(Sqlite(path, "SELECT count(*) FROM PrCase"), "1\n");

  // A failed flush rolls back every table since the last one; after a new
  // value it is given up: no rows twice, none later.
  Sqlite(path, "DROP TABLE PrCase;");
  WriteStreams(*w, 10, 1);
  EXPECT_TRUE(Start(*w, "PrCase").ok);
  w->SetLongValue("CaseID", 2);
  w->EndRow();
  EXPECT_FALSE(Start(*w, "").ok);
  Sqlite(path, "CREATE TABLE \"PrCase\" (\"CaseID\" INTEGER);");
  WriteStreams(*w, 11, 1);
  Outcome next = Start(*w, "");
  EXPECT_TRUE(next.ok);
  EXPECT_EQ(next.count, 1);
  EXPECT_EQ(Sqlite(path, "SELECT count(*) FROM PrCase"), "0\n");
  EXPECT_EQ(Sqlite(path, "SELECT group_concat(CaseID) FROM (SELECT CaseID FROM PrStream ORDER BY CaseID)"),
            "0,1,2,3,4,5,6,7,8,9,11\n");
}

class OrvidPostgresTest : public ::testing::TestWithParam<bool> {};

TEST_P(OrvidPostgresTest, WritesThroughLibpqOrParameterArrays) {
  static plat::testing::PgTestServer& server = plat::testing::PgTestServer::Shared();
  if (!server.Ok()) GTEST_SKIP() << server.Reason();
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  bool odbc = GetParam();
  if (odbc && plat::testing::PostgresOdbcDriverLibrary().empty()) GTEST_SKIP() << "no PostgreSQL ODBC driver";
  ASSERT_TRUE(server.Psql(std::string("DROP TABLE IF EXISTS \"PrStream\"; ") + kStreamTable + ";"));
  OrvidDisablePostgresCopy(odbc);
  OrvidPtr w(IOrvid::CreateInstance());
  w->Initialize("SQLServer", "Vorn");
  w->Connect(server.OdbcConnectionString());
  WriteStreams(*w, 0, 3000);
  Start(*w, "PrStream");
  w->SetTextValue("Stream", "tab\there\\back");
  w->EndRow();
  Outcome flushed = Start(*w, "");
  OrvidDisablePostgresCopy(false);
  EXPECT_TRUE(flushed.ok) << w->GetLastError();
  EXPECT_EQ(flushed.count, 3001);
  EXPECT_EQ(Postgres(server.Port(),
                     "SELECT count(*), sum(\"CaseID\"), count(\"Value\"), min(\"Day\")::text, "
                     "max(\"Stream\") FILTER (WHERE \"CaseID\" IS NULL), max(\"Stream\") FILTER (WHERE \"CaseID\" = 1) "
                     "FROM \"PrStream\""),
            "3001|4498500|1500|2023-03-15 18:00:00|tab\there\\back|s\xC3\xA9" "1");
}

// The libpq path sends a transaction's tables without waiting for each: a statement still sees the rows sent
// before it, a table too large for one pipeline goes by COPY in its place, and a table the server refuses
// fails the flush with its name and lands nothing of the transaction, whichever table comes after it.
TEST(OrvidPostgresPipelineTest, KeepsTheOrderOfTablesAndStatementsAndLandsAllOrNothing) {
  static plat::testing::PgTestServer& server = plat::testing::PgTestServer::Shared();
  if (!server.Ok()) GTEST_SKIP() << server.Reason();
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  ASSERT_TRUE(server.Psql(std::string("DROP TABLE IF EXISTS \"PrStream\", \"PrCase\"; ") + kStreamTable +
                          "; CREATE TABLE \"PrCase\" (\"CaseID\" INTEGER, \"Name\" VARCHAR(4));"));
  OrvidPtr w(IOrvid::CreateInstance());
  w->Initialize("SQLServer", "Vorn");
  w->Connect(server.OdbcConnectionString());

  auto writeCase = [&w](int id, const char* name) {
    Start(*w, "PrCase");
    w->SetLongValue("CaseID", id);
    w->SetTextValue("Name", name);
    w->EndRow();
  };
  WriteStreams(*w, 0, 40);
  writeCase(1, "one");
  WriteStreams(*w, 40, 6000);  // beyond one pipeline's table: COPY
  writeCase(2, "two");
  std::vector<std::string> rows;
  std::int64_t changed = -1;
  ASSERT_TRUE(w->Execute("SELECT count(*) FROM \"PrStream\" WHERE \"CaseID\" < ?", {{40, {}, false}}, &rows, &changed))
      << w->GetLastError();
  EXPECT_EQ(rows, std::vector<std::string>{"40"});
  ASSERT_TRUE(w->Execute("UPDATE \"PrCase\" SET \"Name\" = ? WHERE \"CaseID\" = 2", {{0, "deux", true}}, nullptr,
                         &changed));
  EXPECT_EQ(changed, 1);
  EXPECT_TRUE(Start(*w, "").ok) << w->GetLastError();
  EXPECT_EQ(Postgres(server.Port(), "SELECT count(*), sum(\"CaseID\") FROM \"PrStream\""), "6040|18237780");
  EXPECT_EQ(Postgres(server.Port(), "SELECT string_agg(\"Name\", ',' ORDER BY \"CaseID\") FROM \"PrCase\""),
            "one,deux");

  // "three!" is too long for its column; the tables after it were sent before the server answered.
  writeCase(3, "tri");
  WriteStreams(*w, 100000, 5);
  writeCase(4, "three!");
  WriteStreams(*w, 100005, 5);
  writeCase(5, "five");
  Outcome failed = Start(*w, "");
  EXPECT_FALSE(failed.ok);
  EXPECT_EQ(failed.count, 0);
  EXPECT_NE(w->GetLastError().find("(rows of PrCase)"), std::string::npos) << w->GetLastError();
  EXPECT_EQ(Postgres(server.Port(), "SELECT count(*) FROM \"PrStream\" WHERE \"CaseID\" >= 100000"), "0");
  EXPECT_EQ(Postgres(server.Port(), "SELECT count(*) FROM \"PrCase\""), "2");

  // The writer goes on with a new connection.
  writeCase(6, "six");
  EXPECT_TRUE(Start(*w, "").ok) << w->GetLastError();
  EXPECT_EQ(Postgres(server.Port(), "SELECT count(*) FROM \"PrCase\""), "3");
}

// A table's rows go as arrays of values once the writer knows its column types: from the catalog read when
// it connects, or, for a table made after, from the value lists its first rows went by. Every value lands as
// the value lists land it, texts that the array format treats as special among them; a table with a type the
// arrays do not carry keeps the value lists.
TEST(OrvidPostgresPipelineTest, ArraysOfValuesLandEveryValueAsValueListsDo) {
  static plat::testing::PgTestServer& server = plat::testing::PgTestServer::Shared();
  if (!server.Ok()) GTEST_SKIP() << server.Reason();
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  ASSERT_TRUE(server.Psql(
      "DROP TABLE IF EXISTS \"PrMixed\", \"PrSpan\", \"PrKnown\"; "
      "CREATE TABLE \"PrSpan\" (\"Batch\" INTEGER, \"Span\" INTERVAL); "
      "CREATE TABLE \"PrKnown\" (\"Batch\" INTEGER, \"Name\" VARCHAR(10));"));
  OrvidPtr w(IOrvid::CreateInstance());
  w->Initialize("SQLServer", "Vorn");
  w->Connect(server.OdbcConnectionString());
  ASSERT_TRUE(server.Psql(
      "CREATE TABLE \"PrMixed\" (\"Batch\" INTEGER, \"Name\" VARCHAR(20), \"Memo\" TEXT, \"Amount\" DOUBLE PRECISION, "
      "\"Small\" SMALLINT, \"Day\" TIMESTAMP, \"Code\" CHAR(3), \"Big\" BIGINT, \"Share\" NUMERIC(6,2));"));

  const char* const names[] = {"a\"b", "back\\slash", "{brace}", "comma,here", "", "NULL", " spaced ", "s\xE9", nullptr};
  const double amounts[] = {0.1, -0.0, 1e-300, 1.7976931348623157e308, std::nan(""), HUGE_VAL, -HUGE_VAL, 3, 2.5};
  auto writeBatch = [&](int batch) {
    for (int i = 0; i < 9; ++i) {
      Start(*w, "PrMixed");
      w->SetLongValue("Batch", batch);
      if (names[i] != nullptr) w->SetTextValue("Name", names[i]);
      w->SetTextValue("Memo", i % 2 ? "line\nbreak\ttab" : "x");
      w->SetDoubleValue("Amount", amounts[i]);
      if (i < 3) w->SetShortValue("Small", static_cast<std::int16_t>(i == 0 ? -32768 : 32767));
      if (i % 3 == 0) w->SetDateTimeValue("Day", 45000.75 + i);
      w->SetTextValue("Code", i % 2 ? "ab" : "xyz");
      w->SetLongValue("Big", -2147483647 - 1 + i);
      w->SetDoubleValue("Share", 12.345 * i);
      w->EndRow();
      Start(*w, "PrSpan");
      w->SetLongValue("Batch", batch);
      w->SetTextValue("Span", "1 day 02:00");
      w->EndRow();
    }
    Start(*w, "PrKnown");
    w->SetLongValue("Batch", batch);
    w->SetTextValue("Name", "known");
    w->EndRow();
    return Start(*w, "");
  };
  const std::uint64_t arraysBefore = OrvidPostgresArrayTables();
  ASSERT_TRUE(writeBatch(1).ok) << w->GetLastError();  // PrMixed by value lists: the writer learns its types
  EXPECT_EQ(OrvidPostgresArrayTables(), arraysBefore + 1);  // PrKnown, listed by the catalog
  ASSERT_TRUE(writeBatch(2).ok) << w->GetLastError();
  EXPECT_EQ(OrvidPostgresArrayTables(), arraysBefore + 11);  // and PrMixed's nine tables; PrSpan keeps value lists
  EXPECT_EQ(Postgres(server.Port(), "SELECT string_agg(\"Name\", ',' ORDER BY \"Batch\") FROM \"PrKnown\""),
            "known,known");

  const std::string columns = "\"Name\", \"Memo\", \"Amount\", \"Small\", \"Day\", \"Code\", \"Big\", \"Share\"";
  EXPECT_EQ(Postgres(server.Port(), "SELECT count(*) FILTER (WHERE \"Batch\" = 1), count(*) FILTER (WHERE \"Batch\" = 2), "
                                    "count(\"Name\"), count(*) FILTER (WHERE \"Name\" = 'NULL') FROM \"PrMixed\""),
            "9|9|16|2");
  EXPECT_EQ(Postgres(server.Port(), "SELECT count(*) FROM (SELECT " + columns + " FROM \"PrMixed\" WHERE \"Batch\" = 1 "
                                    "EXCEPT ALL SELECT " + columns + " FROM \"PrMixed\" WHERE \"Batch\" = 2) d"),
            "0");
  EXPECT_EQ(Postgres(server.Port(), "SELECT string_agg(\"Name\", '|' ORDER BY \"Big\") FROM \"PrMixed\" WHERE \"Batch\" = 2"),
            "a\"b|back\\slash|{brace}|comma,here||NULL| spaced |s\xC3\xA9");
  EXPECT_EQ(Postgres(server.Port(), "SELECT string_agg(\"Amount\"::text, ',' ORDER BY \"Big\"), min(\"Day\")::text, "
                                    "sum(\"Share\") FROM \"PrMixed\" WHERE \"Batch\" = 2"),
            "0.1,-0,1e-300,1.7976931348623157e+308,NaN,Infinity,-Infinity,3,2.5|2023-03-15 18:00:00|444.44");
  EXPECT_EQ(Postgres(server.Port(), "SELECT count(*), min(\"Span\")::text FROM \"PrSpan\""), "18|1 day 02:00:00");
}

INSTANTIATE_TEST_SUITE_P(Paths, OrvidPostgresTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Odbc" : "Libpq"; });

}  // namespace
