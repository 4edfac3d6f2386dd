#include "tableio/db/sql_statements.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/exceptions.h"
#include "platform/odbc_database.h"
#include "platform/testing/odbc_test_env.h"
#include "tableio/db/key_patterns.h"
#include "tableio/db/row_matching.h"

namespace {

// A back end with a fixed type vocabulary: text in quotes, numbers bare,
// dates as "{d '...'}" and "{ts '...'}"; CHAR takes a size.
class VocabularyTbl : public CBaseTbl {
 public:
  VocabularyTbl() : CBaseTbl(&m_logText, &m_options) { m_options.ShowErrorBoxes = 0; }
  int GetTableType() const override { return 8; }
  int Open(const CIoTableDescription&) override { return 1; }
  int Close(int) override { return 1; }
  int GetRowCount() override { return -1; }
  int GetColumnCount() override { return -1; }
  int IsLastRow() override { return 0; }
  int IsLastColumn() override { return 0; }
  int GetFirstDataColumn() override { return -1; }
  int ReadAll(CIoRowArray&, CColumnArray&, CColumnArray&, const std::string&, const std::string&,
              const std::string&, std::vector<std::string>*, int) override {
    return 0;
  }
  int ReadColumnInfo() override { return 1; }
  int AddColumn(std::unique_ptr<CColumn> column) override {
    if (m_failAddColumn) return -1;
    return m_columns.Add(std::move(column));
  }
  std::string GetTypeName(int type) override {
    switch (type) {
      case 1: return "CHAR";
      case 4: return "INTEGER";
      case 8: return "DOUBLE";
      case 11: return "TIMESTAMP";
      default: return "";
    }
  }
  std::string GetLiteralPrefix(int type) override {
    return type == 1 ? "'" : type == 9 ? "{d '" : type == 11 ? "{ts '" : "";
  }
  std::string GetLiteralSuffix(int type) override { return type == 1 ? "'" : (type == 9 || type == 11) ? "'}" : ""; }
  std::string GetCreateParams(int type) override { return type == 1 ? "1" : ""; }
  std::string FormatLiteral(const std::string& value, int type) override {
    std::string out;
    return EscapeLiteral(GetLiteralPrefix(type), value, GetLiteralSuffix(type), out) ? out : std::string();
  }

  void AddCol(const std::string& name, std::int16_t type, std::int32_t size = 8) {
    m_columns.Add(std::make_unique<CColumn>(name, type, size, std::int16_t{0}, std::int16_t{1}, 0));
  }
  std::string Log() const { return m_logText.str(); }

  CIOOptions m_options;
  std::ostringstream m_logText;
  bool m_failAddColumn = false;
};

std::unique_ptr<CIoRow> KeyRow(std::initializer_list<std::unique_ptr<CIoCell>> cells) {
  auto row = std::make_unique<CIoRow>();
  for (auto& c : cells) row->AddKeyCell(std::move(const_cast<std::unique_ptr<CIoCell>&>(c)));
  return row;
}

std::unique_ptr<CIoCell> Str(const std::string& text, bool isNull = false) {
  return std::make_unique<CIoStrCell>(text, isNull, false);
}

TEST(SqlStatementsTest, KeyValueConditions) {
  struct Case {
    std::string keys, values;
    bool jet;
    std::string where;
  };
  const Case cases[] = {
      {"A,B", "*,5", true, " WHERE \"B\"=5"},
      {"A,B", "*,*", true, ""},
      {"A,T", "NOT NULL,NULL", true, " WHERE \"A\" IS NOT NULL AND \"T\" IS NULL"},
      {"T", "X...Y", true, " WHERE \"T\" LIKE 'X*Y'"},
      {"T", "X...Y", false, " WHERE \"T\" LIKE 'X%Y'"},
      {"T", "A?", false, " WHERE \"T\" LIKE 'A_'"},
      {"T", "O'Brien", false, " WHERE \"T\"='O''Brien'"},
      {"A", "1*", false, " WHERE \"A\" LIKE '1%'"},  // a pattern on a number is compared as text
      {"D", "2021-03-15", false, " WHERE \"D\"={d '2021-03-15'}"},
      {",T", "x,y", false, " WHERE \"T\"='y'"},  // an unresolved key field adds nothing to a read
  };
  for (const Case& c : cases) {
    VocabularyTbl t;
    t.AddCol("A", 4);
    t.AddCol("B", 4);
    t.AddCol("T", 1, 20);
    t.AddCol("D", 9);
    ASSERT_EQ(t.SetKeyFields(c.keys), 1) << c.keys;
    ASSERT_EQ(t.SetKeyValues(c.values), 1);
    std::string where;
    ASSERT_TRUE(BuildKeyValueWhere(t, "\"", c.jet, where)) << c.values << t.Log();
    EXPECT_EQ(where, c.where) << c.values;
  }
}

TEST(SqlStatementsTest, ValuesThatCannotBeLiteralsAreRefused) {
  const std::pair<std::string, std::string> cases[] = {
      {"A", "5; DROP TABLE t"}, {"A", "1 OR 1=1"}, {"D", "2021' OR '1'='1"}, {"A", ""}};
  for (const auto& [key, value] : cases) {
    VocabularyTbl t;
    t.AddCol("A", 4);
    t.AddCol("D", 9);
    ASSERT_EQ(t.SetKeyFields(key), 1);
    t.m_keyValues = {value};
    std::string where = "unchanged";
    EXPECT_FALSE(BuildKeyValueWhere(t, "\"", false, where)) << value;
    EXPECT_EQ(where, "unchanged");
    EXPECT_NE(t.Log().find("is not a valid literal"), std::string::npos) << t.Log();
  }
}

TEST(SqlStatementsTest, SelectsCreateAndUnquotedConditions) {
  VocabularyTbl t;
  t.AddCol("K", 1, 20);
  t.AddCol("N", 4);
  t.AddCol("V", 8);
  ASSERT_EQ(t.SetExtractColumns("V,N"), 1);
  ASSERT_EQ(t.SetKeyFields("K,N"), 1);
  ASSERT_EQ(t.SetKeyValues("a'b,NULL"), 1);
  std::string sql;
  ASSERT_TRUE(BuildSelect(t, "`", "[T]", true, sql));
  EXPECT_EQ(sql, "SELECT `V`,`N`,`K`,`N` FROM [T] WHERE `K`='a''b' AND `N` IS NULL");
  ASSERT_TRUE(BuildSelectKeys(t, "\"", "T", true, sql));
  EXPECT_EQ(sql, "SELECT \"K\",\"N\" FROM T WHERE \"K\"='a''b' AND \"N\" IS NULL");
  ASSERT_TRUE(BuildSelectUnquoted(t, "T", {{"K", 1}, {"N", 0}}, true, sql));
  EXPECT_EQ(sql, "SELECT V,N,K,N FROM T WHERE K =  'a''b'  AND N IS NULL ");
  t.m_keyValues = {"*", "7"};
  ASSERT_TRUE(BuildSelectUnquoted(t, "T", {{"K", 1}, {"N", 0}}, true, sql));
  EXPECT_EQ(sql, "SELECT V,N,K,N FROM T WHERE N = 7");

  CColumnArray keys;
  CColumnArray data;
  keys.Add(std::make_unique<CColumn>("K", std::int16_t{1}, 20, std::int16_t{0}, std::int16_t{1}, 0));
  data.Add(std::make_unique<CColumn>("V", std::int16_t{8}, 8, std::int16_t{0}, std::int16_t{1}, 0));
  data.Add(std::make_unique<CColumn>("Skip", std::int16_t{8}, 8, std::int16_t{0}, std::int16_t{1}, 0));
  data[1]->Deselect();
  ASSERT_TRUE(BuildCreateTable(t, "\"", "T", keys, data, sql));
  EXPECT_EQ(sql, "CREATE TABLE T (\"K\" CHAR(20),\"V\" DOUBLE)");
  keys[0]->m_nSize = 0;
  ASSERT_TRUE(BuildCreateTable(t, "\"", "T", keys, CColumnArray(), sql));
  EXPECT_EQ(sql, "CREATE TABLE T (\"K\" CHAR(255))") << "no source accepts CHAR(0)";
  keys[0]->m_nSize = 300;
  ASSERT_TRUE(BuildCreateTable(t, "\"", "T", keys, CColumnArray(), sql));
  EXPECT_EQ(sql, "CREATE TABLE T (\"K\" CHAR(300))") << "a wide column keeps its size";
  EXPECT_EQ(QuoteIdentifier("\"", "a\"b"), "\"a\"\"b\"");
  EXPECT_EQ(BuildColumnProbe("ACCESS", "T"), "SELECT TOP 1 * FROM T");
  EXPECT_EQ(BuildColumnProbe("Microsoft SQL Server", "T"), "SELECT TOP 1 * FROM T");
  EXPECT_EQ(BuildColumnProbe("SQLite", "T"), "SELECT * FROM T WHERE 1=0");
  EXPECT_EQ(BuildColumnProbe("PostgreSQL", "T"), "SELECT * FROM T WHERE 1=0");
}

TEST(SqlStatementsTest, RowStatements) {
  VocabularyTbl t;
  t.AddCol("K", 1, 20);
  t.AddCol("V", 8);
  t.AddCol("S", 1, 40);
  ASSERT_EQ(t.SetKeyFields("K"), 1);
  CColumnArray keys;
  CColumnArray data;
  keys.Add(std::make_unique<CColumn>("K", std::int16_t{1}, 20, std::int16_t{0}, std::int16_t{1}, 0));
  data.Add(std::make_unique<CColumn>("V", std::int16_t{8}, 8, std::int16_t{0}, std::int16_t{1}, 0));
  data.Add(std::make_unique<CColumn>("S", std::int16_t{1}, 40, std::int16_t{0}, std::int16_t{1}, 0));
  for (const CColumn* c : data) t.m_targetColumns.Add(std::make_unique<CColumn>(*c));

  CIoRow row;
  row.AddKeyCell(Str("it's"));
  row.AddDataCell(std::make_unique<CIoDoubleCell>());  // null: left out with its name
  row.AddDataCell(Str(std::string(2000, 'z')));      // no length limit
  std::string sql;
  ASSERT_TRUE(BuildInsert(t, "\"", "T", row, keys, data, true, sql));
  EXPECT_EQ(sql, "INSERT INTO T (\"K\",\"S\") VALUES ('it''s','" + std::string(2000, 'z') + "')");

  ASSERT_TRUE(BuildUpdateRow(t, "\"", "T", row, row, sql));
  EXPECT_EQ(sql, "UPDATE T SET \"V\"=NULL,\"S\"='" + std::string(2000, 'z') + "' WHERE \"K\"='it''s'");
  ASSERT_TRUE(BuildDeleteRow(t, "\"", "T", row, sql));
  EXPECT_EQ(sql, "DELETE FROM T WHERE \"K\"='it''s'");

  CIoRow done;
  done.AddKeyCell(Str("k"));
  done.AddDataCell(Str("v"));
  done.ClearPendingFlags();
  sql = "x";
  ASSERT_TRUE(BuildUpdateRow(t, "\"", "T", done, done, sql));
  EXPECT_EQ(sql, "");  // nothing pending

  // Without a resolved key field the row statements would touch every row.
  ASSERT_EQ(t.SetKeyFields(",K"), 1);
  CIoRow unkeyed;
  unkeyed.AddKeyCell(Str("x"));
  unkeyed.AddKeyCell(Str("y"));
  unkeyed.AddDataCell(Str("v"));
  t.m_keyFields[1]->SetIndex(-1);
  EXPECT_FALSE(BuildDeleteRow(t, "\"", "T", unkeyed, sql));
  EXPECT_FALSE(BuildUpdateRow(t, "\"", "T", unkeyed, unkeyed, sql));
  EXPECT_NE(t.Log().find("without a key condition"), std::string::npos);
  // A cell index beyond the row throws.
  ASSERT_EQ(t.SetKeyFields("K"), 1);
  CIoRow empty;
  EXPECT_THROW(BuildDeleteRow(t, "\"", "T", empty, sql), CInvalidArgException);
}

TEST(SqlStatementsTest, KeyValueUpdatesAndDeletes) {
  VocabularyTbl t;
  t.AddCol("K", 1, 20);
  t.AddCol("V", 8);
  t.m_resultFields.Add(std::make_unique<CIoKeyCell>("V", 1));
  t.m_resultFields.Add(std::make_unique<CIoKeyCell>("Gone", -1));
  ASSERT_EQ(t.SetKeyFields("K"), 1);
  ASSERT_EQ(t.SetKeyValues("A*"), 1);
  CIoDoubleCell value(12.5, false, false);
  std::string sql;
  ASSERT_TRUE(BuildUpdateByKeyValues(t, "\"", "T", value, false, sql));
  EXPECT_EQ(sql, "UPDATE T SET \"V\"=12.500000 WHERE \"K\" LIKE 'A%'");
  t.m_keyValues = {"*"};
  ASSERT_TRUE(BuildUpdateByKeyValues(t, "\"", "T", value, false, sql));
  EXPECT_EQ(sql, "UPDATE T SET \"V\"=12.500000");  // every row, as asked
  ASSERT_TRUE(BuildDeleteByKeyValues(t, "\"", "T", false, sql));
  EXPECT_EQ(sql, "DELETE FROM T");
  // A key field that names no column must not widen the statement.
  t.m_keyFields.RemoveAll();
  t.m_keyFields.Add(std::make_unique<CIoKeyCell>("Missing", -1));
  t.m_keyValues = {"x"};
  EXPECT_FALSE(BuildUpdateByKeyValues(t, "\"", "T", value, false, sql));
  EXPECT_FALSE(BuildDeleteByKeyValues(t, "\"", "T", false, sql));
  EXPECT_NE(t.Log().find("[Missing] column must exist"), std::string::npos);
}

TEST(SqlStatementsTest, QuotesInDataSurviveARoundTripThroughSqlite) {
  if (plat::testing::SqliteOdbcDriverLibrary().empty()) GTEST_SKIP() << "the SQLite3 ODBC driver is not installed";
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  CDatabase db;
  db.OpenEx("Driver=SQLite3;Database=" + ini.Dir().File("q.db"));
  db.ExecuteSQL("CREATE TABLE T (K VARCHAR(40), V DOUBLE)");

  VocabularyTbl t;
  t.AddCol("K", 1, 40);
  t.AddCol("V", 8);
  ASSERT_EQ(t.SetKeyFields("K"), 1);
  CColumnArray keys;
  CColumnArray data;
  keys.Add(std::make_unique<CColumn>("K", std::int16_t{1}, 40, std::int16_t{0}, std::int16_t{1}, 0));
  data.Add(std::make_unique<CColumn>("V", std::int16_t{8}, 8, std::int16_t{0}, std::int16_t{1}, 0));
  const std::string nasty = "O'Brien'); DROP TABLE T; --";
  CIoRow row;
  row.AddKeyCell(Str(nasty));
  row.AddDataCell(std::make_unique<CIoDoubleCell>(2.5, false, false));
  std::string sql;
  ASSERT_TRUE(BuildInsert(t, "\"", "T", row, keys, data, true, sql));
  db.ExecuteSQL(sql);
  ASSERT_EQ(t.SetKeyValues(nasty), 1);
  ASSERT_EQ(t.SetExtractColumns("V"), 1);
  ASSERT_TRUE(BuildSelect(t, "\"", "T", false, sql));
  CRecordset rs(&db);
  rs.Open(CRecordset::forwardOnly, sql);
  ASSERT_FALSE(rs.IsEOF());
  std::string key;
  rs.GetFieldValue("K", key);
  EXPECT_EQ(key, nasty);
}

TEST(SqlStatementsTest, EscapeLiteralRules) {
  struct Case {
    std::string prefix, value, suffix;
    bool ok;
    std::string out;
  };
  const Case cases[] = {
      {"'", "a'b''c", "'", true, "'a''b''''c'"},
      {"", "-1.5e3", "", true, "-1.5e3"},
      {"", "12abc", "", false, ""},
      {"", "", "", false, ""},
      {"#", "2021-03-15 07:05:09", "#", true, "#2021-03-15 07:05:09#"},
      {"#", "2021#", "#", false, ""},
      {"{ts '", "2021-03-15 07:05:09", "'}", true, "{ts '2021-03-15 07:05:09'}"},
      {"{d '", "x'}", "'}", false, ""},
      // Behind a prefix that is no quote the value must fit its type.
      {"0x", "00ff", "", true, "0x00ff"},
      {"0x", "00 OR 1=1; DROP TABLE t --", "", false, ""},
      {"0X", "", "", true, "0X"},
      {"$", "12.5", "", true, "$12.5"},
      {"$", "1; DROP TABLE t", "", false, ""},
      {"'", std::string("a\0b", 3), "'", false, ""},
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_EQ(EscapeLiteral(c.prefix, c.value, c.suffix, out), c.ok) << c.value;
    if (c.ok) {
      EXPECT_EQ(out, c.out);
    }
  }
  // A backslash is doubled where the dialect escapes with it; PostgreSQL gets an escape string.
  struct DialectCase {
    SqlStringDialect dialect;
    std::string quote, value, out;
  };
  const DialectCase dialects[] = {
      {SqlStringDialect::kStandard, "'", R"(C:\dir\)", R"('C:\dir\')"},
      {SqlStringDialect::kBackslashEscapes, "'", R"(C:\dir\)", R"('C:\\dir\\')"},
      {SqlStringDialect::kBackslashEscapes, "\"", R"(a\")", R"("a\\""")"},
      {SqlStringDialect::kPostgres, "'", R"(x\')", R"(E'x\\''')"},
      {SqlStringDialect::kPostgres, "'", "plain", "'plain'"},
  };
  for (const DialectCase& c : dialects) {
    std::string out;
    EXPECT_TRUE(EscapeLiteral(c.quote, c.value, c.quote, out, c.dialect));
    EXPECT_EQ(out, c.out) << c.value;
  }
  EXPECT_EQ(StringDialectOf("MySQL"), SqlStringDialect::kBackslashEscapes);
  EXPECT_EQ(StringDialectOf("MariaDB"), SqlStringDialect::kBackslashEscapes);
  EXPECT_EQ(StringDialectOf("PostgreSQL"), SqlStringDialect::kPostgres);
  EXPECT_EQ(StringDialectOf("Microsoft SQL Server"), SqlStringDialect::kStandard);
}

// One quoting function for every dialect: the driver's quote, or brackets,
// with the closing character doubled; a name that cannot be quoted is refused.
TEST(SqlStatementsTest, NamesAreQuotedForTheirDialectOrRefused) {
  EXPECT_EQ(QuoteIdentifier("[", "x]; DROP TABLE Results; --"), "[x]]; DROP TABLE Results; --]");
  EXPECT_EQ(QuoteIdentifier("`", "a`b"), "`a``b`");
  struct NameCase {
    std::string q, name;
    bool ok;
  };
  const NameCase names[] = {
      {"\"", "any name; at all", true}, {"", "Plain_1", true},  {" ", "Plain_1", true},
      {"", "1st", false},               {" ", "a b", false},     {"", "a;b", false},
      {"\"", "", false},                {"\"", "a\nb", false},  {"", "Z\xFCrich", true},
  };
  for (const NameCase& c : names) EXPECT_EQ(CanQuoteIdentifier(c.q, c.name), c.ok) << "[" << c.q << "] " << c.name;

  struct TableCase {
    std::string q;
    bool brackets;
    std::string name;
    bool ok;
    std::string out;
  };
  const TableCase tables[] = {
      {"\"", false, "Results", true, "Results"},
      {"\"", false, "dbo.Results", true, "dbo.Results"},
      {"\"", false, "/data/prices.dbf", true, "/data/prices.dbf"},
      {"\"", false, R"("public"."Order Details")", true, R"("public"."Order Details")"},
      {"\"", false, "Order Details", true, R"("Order Details")"},
      {"\"", false, R"(x"; DROP TABLE t; --)", true, R"("x""; DROP TABLE t; --")"},
      {"\"", false, R"("x"; DROP TABLE t; --")", true, R"("""x""; DROP TABLE t; --""")"},
      {"\"", false, "[a]", true, R"("[a]")"},  // brackets mean nothing to this dialect
      {"\"", true, "dbo.[Order Details]", true, "dbo.[Order Details]"},
      {"", true, "x]; DROP TABLE t; --", true, "[x]]; DROP TABLE t; --]"},
      {" ", false, "Order Details", false, ""},
      {"", false, "t; DROP TABLE x", false, ""},
      {"\"", false, "a--b", true, R"("a--b")"},
      {"\"", false, "", false, ""},
  };
  for (const TableCase& c : tables) {
    std::string out;
    EXPECT_EQ(QuoteTableName(c.q, c.brackets, c.name, out), c.ok) << c.name;
    if (c.ok) {
      EXPECT_EQ(out, c.out) << c.name;
    }
  }

  // A column name from a sheet's header row on a source without a quote character.
  VocabularyTbl t;
  CColumnArray keys;
  keys.Add(std::make_unique<CColumn>("K", std::int16_t{1}, 20, std::int16_t{0}, std::int16_t{1}, 0));
  CColumnArray data;
  data.Add(std::make_unique<CColumn>("V DOUBLE); DROP TABLE T; --", std::int16_t{8}, 8, std::int16_t{0},
                                     std::int16_t{1}, 0));
  std::string sql = "unchanged";
  EXPECT_FALSE(BuildCreateTable(t, " ", "T", keys, data, sql));
  EXPECT_EQ(sql, "unchanged");
  EXPECT_NE(t.Log().find("cannot be written safely"), std::string::npos) << t.Log();
  ASSERT_TRUE(BuildCreateTable(t, "\"", "T", keys, data, sql));
  EXPECT_EQ(sql, R"(CREATE TABLE T ("K" CHAR(20),"V DOUBLE); DROP TABLE T; --" DOUBLE))");
}

TEST(KeyPatternsTest, MatchAndTranslate) {
  struct Match {
    std::string text1, pattern1, text2, pattern2;
    bool result;
  };
  const Match matches[] = {
      {"A17", "A*", "B17", "B*", true},
      {"A17", "A*", "B18", "B*", false},
      {"1X2", "?X?", "1Y2", "?Y?", true},
      {"1X2", "?X?", "1Y3", "?Y?", false},
      {"1X2", "?X?", "2Y2", "?Y?", false},
      {"1RED2", "...RED...", "1BLUE2", "...BLUE...", true},
      {"1RED2", "...RED...", "BLUE2", "...BLUE...", false},  // begins with the part
      {"1RED2", "...RED...", "1BLUE2", "B*", false},          // both must name parts
      {"anything", "", "X", "X", true},                       // an empty first pattern matches
      {"Q", "A*", "B1", "B*", false},                          // the first text must match its pattern
  };
  for (const Match& m : matches)
    EXPECT_EQ(MatchKeyPatterns(m.text1, m.pattern1, m.text2, m.pattern2), m.result)
        << m.text1 << " " << m.pattern1 << " " << m.text2 << " " << m.pattern2;

  struct Translate {
    std::string text, from, to, result;
  };
  const Translate translations[] = {
      {"A17", "A*", "B*", "B17"},
      {"1X2", "?X?", "?Y?", "1Y2"},
      {"1RED2", "...RED...", "...BLUE...", "1BLUE2"},
      {"1RED2", "...RED...", "B*", "B*"},  // no part to put in: the to pattern
      {"abc", "", "Z", "Z"},
      {"abc", "", "", ""},
      {"A", "ABC*", "X*", "X"},  // the text ends before the from pattern
  };
  for (const Translate& c : translations) {
    std::string text = c.text;
    TranslateKeyText(text, c.from, c.to);
    EXPECT_EQ(text, c.result) << c.text << " " << c.from << " " << c.to;
  }
  EXPECT_EQ(ContainedPart("X...AB..."), "AB");
  EXPECT_EQ(ContainedPart("......"), "...");
}

TEST(RowMatchingTest, FindsRowsByCorrespondingKeys) {
  VocabularyTbl t;
  CIoRowArray candidates;
  candidates.Add(KeyRow({Str("A17")}));
  candidates.Add(KeyRow({Str("", true)}));
  candidates.Add(KeyRow({Str("A17")}));
  const std::vector<std::string> from{"A*"};
  const std::vector<std::string> to{"B*"};
  EXPECT_EQ(FindMatchingRow(t, candidates, *KeyRow({Str("B17")}), from, to), 0);
  EXPECT_EQ(FindMatchingRow(t, candidates, *KeyRow({Str("B18")}), from, to), -1);
  EXPECT_EQ(FindMatchingRow(t, candidates, *KeyRow({Str("", true)}), from, to), 1);  // null matches null only
  t.m_options.AllMatchingRows = 1;
  EXPECT_EQ(FindMatchingRow(t, candidates, *KeyRow({Str("B17")}), from, to), 2);
  EXPECT_FALSE(candidates[0]->IsKeyPending());
  EXPECT_FALSE(candidates[2]->IsKeyPending());
  EXPECT_TRUE(AnyRowPending(candidates));
  candidates[1]->ClearPendingKeys();
  EXPECT_FALSE(AnyRowPending(candidates));
}

TEST(RowMatchingTest, TranslatesKeysAndAddsColumns) {
  CIoRow source;
  source.AddKeyCell(Str("A17"));
  source.AddKeyCell(std::make_unique<CIoFloatCell>(1.5f, false, false));
  source.AddKeyCell(std::make_unique<CIoLongCell>(42, false, false));
  CIoRow target;
  EXPECT_EQ(TranslateRowKeys(source, target, {"A*", "*", "*"}, {"B*", "*", "*"}), 1);
  ASSERT_EQ(target.m_keyCells.GetSize(), 3);  // a float key is carried over too
  EXPECT_EQ(target.m_keyCells[0]->Format(), "B17");
  EXPECT_FLOAT_EQ(target.m_keyCells[1]->GetFloat(), 1.5f);
  EXPECT_EQ(target.m_keyCells[2]->GetLong(), 42);

  VocabularyTbl t;
  t.AddCol("Have", 8);
  t.m_resultFields.Add(std::make_unique<CIoKeyCell>("Have", 0));
  t.m_resultFields.Add(std::make_unique<CIoKeyCell>("New", -1));
  ASSERT_EQ(AddMissingColumns(t, CIoDoubleCell(12.5, false, false)), 1);
  ASSERT_EQ(t.m_columns.GetSize(), 2);
  EXPECT_EQ(t.m_columns[1]->m_nSqlType, 8);
  EXPECT_EQ(t.m_resultFields[1]->GetIndex(), 1);

  VocabularyTbl text;
  text.m_resultFields.Add(std::make_unique<CIoKeyCell>("Label", -1));
  ASSERT_EQ(AddMissingColumns(text, CIoStrCell("abcde", false, false)), 1);
  EXPECT_EQ(text.m_columns[0]->m_nSqlType, 1);
  EXPECT_EQ(text.m_columns[0]->m_nSize, 5);

  VocabularyTbl failing;
  failing.m_failAddColumn = true;
  failing.m_resultFields.Add(std::make_unique<CIoKeyCell>("X", -1));
  EXPECT_EQ(AddMissingColumns(failing, CIoDoubleCell(1.0, false, false)), 0);
}

TEST(RowMatchingTest, ResolvesResultColumns) {
  CColumnArray source;
  source.Add(std::make_unique<CColumn>("SrcA", std::int16_t{8}, 8, std::int16_t{0}, std::int16_t{1}, 0));
  source.Add(std::make_unique<CColumn>("SrcB", std::int16_t{1}, 12, std::int16_t{0}, std::int16_t{1}, 0));
  {
    VocabularyTbl t;
    t.AddCol("TgtA", 8);
    t.m_resultFields.Add(std::make_unique<CIoKeyCell>("TgtA", 0));
    t.m_resultFields.Add(std::make_unique<CIoKeyCell>("TgtB", -1));
    ASSERT_EQ(ResolveResultColumns(t, source, "TgtA,TgtB", "SrcA,SrcB"), 1);
    ASSERT_EQ(t.m_targetColumns.GetSize(), 2);
    EXPECT_EQ(t.m_targetColumns[0]->m_strName, "TgtA");
    EXPECT_EQ(t.m_targetColumns[1]->m_strName, "TgtB");
    EXPECT_EQ(t.m_targetColumns[1]->m_nSize, 12);
    ASSERT_EQ(t.m_columns.GetSize(), 2);  // TgtB was added to the table
  }
  {
    VocabularyTbl t;
    t.m_options.ReplaceExisting = 1;
    ASSERT_EQ(ResolveResultColumns(t, source, "Tgt*", "Src*"), 1);
    EXPECT_EQ(t.m_targetColumns[0]->m_strName, "TgtA");
    EXPECT_EQ(t.m_columns.GetSize(), 0);  // skipped, with a note
    EXPECT_NE(t.Log().find("[TgtA] column skipped because the REPLACE_EXISTING option is on."), std::string::npos);
  }
}

}  // namespace
