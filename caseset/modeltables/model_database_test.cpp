#include "caseset/modeltables/model_database.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "modelfile/vorn_model_file.h"

namespace {

namespace fs = std::filesystem;
using ::testing::EndsWith;
using ::testing::StartsWith;

TEST(ModelDatabase, SqlIsAdaptedToTheDatabaseKind) {
  const std::string sql = R"(SELECT SUBSTRING(x, 1, 2), STR(y) AS ["Date"], t.ALIAS AS [Max] FROM T AS MATERIALS_1)";
  struct Case {
    int kind;
    const char* expected;
  } cases[] = {
      {kDbKindOracle, R"(SELECT SUBSTR(x, 1, 2), TO_CHAR(y) "Date", t.ALIMax FROM T MATERIALS_1)"},
      {kDbKindAccess, R"(SELECT MID(x, 1, 2), STR(y) AS [Date], t.ALIAS AS [Max] FROM T AS MATERIALS_1)"},
      {kDbKindSqlServer, R"(SELECT SUBSTRING(x, 1, 2), STR(y) AS [Date], t.ALIAS AS [Max] FROM T AS MATERIALS_1)"},
      {kDbKindNone, nullptr},
      {kDbKindUnknown, nullptr},
  };
  CVornModelFile model;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    model.m_dbConnectInfo.m_nKind = c.kind;
    std::string text = sql;
    AdaptSqlToDatabase(text, model);
    EXPECT_EQ(text, c.expected ? c.expected : sql);
  }
}

TEST(ModelDatabase, ValueHelpers) {
  for (const auto& [value, expected] : {std::pair{1e-7, 0.0}, std::pair{-1e-7, 0.0}, std::pair{1.5e-7, 1.5e-7},
                                        std::pair{1e30, 1e30}, std::pair{-3.0, -3.0}}) {
    EXPECT_EQ(ZeroIfTiny(value), expected) << value;
  }
  EXPECT_TRUE(std::isnan(ZeroIfTiny(std::nan(""))));
  EXPECT_EQ(ZeroIfTinyF(1.0e30f), 1.0e30f);
  EXPECT_EQ(ZeroIfTinyF(5e-8f), 0.0f);
  EXPECT_EQ(ZeroIfTinyF(2e-7f), 2e-7f);
  EXPECT_EQ(StripHashChars("#a#b##c#"), "abc");
  EXPECT_EQ(StripHashChars("plain text"), "plain text");
}

TEST(ModelDatabase, ComErrorText) {
  EXPECT_EQ(FormatComError(plat::ComError(plat::kEFail, "", "")),
            "Error\nCode = 80004005\nCode meaning = Unspecified error\nSource = \nDescription = ");
  const std::string dispatch = FormatComError(plat::ComError(static_cast<plat::HRESULT>(0x80040205u), "Src", "Desc"));
  EXPECT_THAT(dispatch, ::testing::HasSubstr("Code meaning = IDispatch error #5\nSource = Src\nDescription = Desc"));
  EXPECT_THAT(FormatComError(plat::ComError(static_cast<plat::HRESULT>(0x80040200u), "", "")),
              ::testing::HasSubstr("Code meaning = Unknown error 0x80040200\n"));
}

class ModelDatabaseConnection : public ::testing::Test {
 protected:
  void SetUp() override {
    m_parent = fs::temp_directory_path() / ("model_db_" + std::to_string(::getpid()));
    fs::create_directories(m_parent / "M");
    m_model.m_strModelDir = (m_parent / "M").string();
    sqlite3* db = nullptr;
    sqlite3_open((m_parent / "input.db").c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE T(A INTEGER); INSERT INTO T VALUES(7);", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  void TearDown() override {
    m_model.m_pModelDbConnection.reset();
    fs::remove_all(m_parent);
  }
  fs::path m_parent;
  CVornModelFile m_model;
};

TEST_F(ModelDatabaseConnection, OpensAFileRelativeToTheModelAndKeepsTheRelativeName) {
  std::string error = "stale";
  EXPECT_TRUE(OpenModelDatabase(m_model, error));  // no database
  EXPECT_EQ(error, "");
  EXPECT_FALSE(IsModelDatabaseOpen(m_model));

  m_model.m_dbConnectInfo.SetType(kDbConnAccess);
  m_model.m_dbConnectInfo.SetConnectionString("..\\input.db");
  ASSERT_TRUE(OpenModelDatabase(m_model, error)) << error;
  EXPECT_TRUE(IsModelDatabaseOpen(m_model));
  EXPECT_EQ(m_model.m_dbConnectInfo.m_strName, "..\\input.db");
  auto recordset = m_model.m_pModelDbConnection->Execute("SELECT A FROM T");
  ASSERT_TRUE(recordset);
  EXPECT_EQ(recordset->GetItem(0L).GetValue().llVal, 7);
  recordset.reset();

  // Open already: nothing happens.
  const plat::AdoConnection* connection = m_model.m_pModelDbConnection.get();
  EXPECT_TRUE(OpenModelDatabase(m_model, error));
  EXPECT_EQ(m_model.m_pModelDbConnection.get(), connection);

  EXPECT_TRUE(CloseModelDatabase(m_model));
  EXPECT_EQ(m_model.m_pModelDbConnection, nullptr);
  EXPECT_TRUE(CloseModelDatabase(m_model));
}

TEST_F(ModelDatabaseConnection, AFailedOpenKeepsTheRelativeName) {
  m_model.m_dbConnectInfo.SetType(kDbConnVornEE);
  m_model.m_dbConnectInfo.m_bEnabled = false;
  std::string error;
  EXPECT_FALSE(OpenModelDatabase(m_model, error));
  EXPECT_EQ(error, "");

  m_model.m_dbConnectInfo.SetType(kDbConnAccess);
  m_model.m_dbConnectInfo.SetConnectionString("..\\missing\\none.mdb");
  testing::internal::CaptureStderr();
  const bool opened = OpenModelDatabase(m_model, error);
  testing::internal::GetCapturedStderr();
  EXPECT_FALSE(opened);
  EXPECT_FALSE(IsModelDatabaseOpen(m_model));
  EXPECT_EQ(m_model.m_dbConnectInfo.m_strName, "..\\missing\\none.mdb");
}

}  // namespace
