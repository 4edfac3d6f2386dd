#include "writers/matrix/matrix_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "caseset/config/assembled_case.h"
#include "dbdrivers/access/output_table_api.h"
#include "dbdrivers/access/testing/access_fixture.h"
#include "dbdrivers/sqlserver/db_sql_svr.h"
#include "platform/testing/odbc_test_env.h"
#include "standins/orvid.h"
#include "standins/testing/recording_orvid.h"
#include "writers/testing/result_writer_fixture.h"

namespace {

class MatrixTablesTest : public writers_testing::ResultWriterTest {
 protected:
  void SetUp() override { exportData.m_nSolutionID = 4; }

  void Write(const std::string& text, const std::string& file = "xmps.mps") {
    const std::string path = Model().m_strModelDir + "/" + file;
    std::ofstream(path) << text;
  }

  plat::testing::ScopedOdbcIni odbc{plat::testing::ScopedOdbcIni::StandardDrivers()};
};

constexpr const char* kMatrix =
    "XLINEAR\n"
    " NOBJ  1   XA\n"
    " RCAP  2   XA\n"
    " ECAP2 3   XB\n"
    " GQ    4   XA\n"
    " LLONGROWNAME12 5 XA\n"
    "RHS\n"
    " RHS CAP 10\n"
    " RHS Q12345678901 11\n"
    "RANGES\n"
    " RNG CAP2 12\n"
    "BOUNDS\n"
    " ?? BND XQ 1\n"
    " FX BND XA 5\n"
    " FR BND XB 3\n"
    " BV BND XC 1\n"
    " WW BND XD 2\n"
    " UP BND XE 1e30\n"
    " LO BND QX 1\n";

TEST_F(MatrixTablesTest, WritesTheFiveTablesOfTheMatrix) {
  Write(kMatrix);
  CAssembledCase current(12, "M1");
  exportData.m_pCurrentCase = &current;
  CMpsFile matrix;
  ASSERT_TRUE(ReadMpsFile((Model().m_strModelDir + "/xmps.mps").c_str(), &matrix, ""));
  ASSERT_TRUE(WriteMpsTables(exportData, matrix));

  // R is written as L; the other types as they are; names cut to nine characters.
  EXPECT_EQ(Rows("SELECT SolutionID, CaseID, NodeID, SequenceIDRow, Row, Type FROM PrMpsRows"),
            "4|12|1|0|CAP|L\n4|12|1|1|CAP2|E\n4|12|1|2|LONGROWNA|L\n4|12|1|3|OBJ|N\n4|12|1|4|Q|G\n");
  // SequenceIDRow counts the entries of a column, not the rows.
  EXPECT_EQ(Rows("SELECT SequenceIDCol, SequenceIDRow, Col, Row, Value FROM PrMpsCols"),
            "0|0|XA|CAP|2.0\n0|1|XA|LONGROWNA|5.0\n0|2|XA|OBJ|1.0\n0|3|XA|Q|4.0\n1|0|XB|CAP2|3.0\n");
  EXPECT_EQ(Rows("SELECT CaseID, SequenceIDRow, Row, Value FROM PrMpsRhs"), "12|0|CAP|10.0\n");
  EXPECT_EQ(Rows("SELECT SequenceIDRow, Row, Value FROM PrMpsRange"), "0|CAP2|12.0\n");
  // A first unknown type writes no type and no value, a later one keeps the previous line's type; 1e30 is not written.
  EXPECT_EQ(Rows("SELECT SequenceIDCol, Col, Type, Lower, Upper FROM PrMpsBound"),
            "0|XQ|NULL|NULL|NULL\n1|XA|FX|5.0|5.0\n2|XB|FR|NULL|NULL\n3|XC|BV|1.0|1.0\n"
            "4|XD|BV|2.0|2.0\n5|XE|UP|NULL|NULL\n");
  exportData.m_pCurrentCase = nullptr;
}

TEST_F(MatrixTablesTest, NodeIsTheModelOfTheSolutionRow) {
  CMpsFile matrix;
  EXPECT_EQ(GetSolutionModelID(exportData, 4), 1);  // no database yet
  // The row this process wrote counts while no connection shows one (it is not committed yet).
  exportData.m_nWrittenSolutionID = 4;
  exportData.m_nWrittenSolutionModelID = 6;
  EXPECT_EQ(GetSolutionModelID(exportData, 4), 6);
  EXPECT_EQ(GetSolutionModelID(exportData, 5), 1);

  COutputTable* t = COpenTable(exportData, "PrSolution", 10, "M1", 2, 0, nullptr);
  ASSERT_NE(t, nullptr);
  ASSERT_TRUE(CDefineLongIntegerField(exportData, t, "SolutionID", 10, true) &&
              CDefineLongIntegerField(exportData, t, "ModelID", 7, true) && CEndDefineFields(exportData, t, true));
  for (auto [solution, model] : {std::pair{3, 8}, std::pair{4, 7}}) {
    ASSERT_TRUE(CAddNewRecord(exportData, t) && CSetIntegerValue(exportData, t, "SolutionID", 10, solution) &&
                CSetIntegerValue(exportData, t, "ModelID", 7, model) && CUpdateRecord(exportData, t, nullptr));
  }
  EXPECT_EQ(GetSolutionModelID(exportData, 4), 7);
  EXPECT_EQ(GetSolutionModelID(exportData, 5), 1);

  // An empty matrix still opens and defines the tables, with no rows.
  Write("NAME EMPTY\n");
  ASSERT_TRUE(ReadMpsFile((Model().m_strModelDir + "/xmps.mps").c_str(), &matrix, nullptr));
  EXPECT_TRUE(WriteMpsTables(exportData, matrix));
  EXPECT_EQ(Rows("SELECT count(*) FROM PrMpsRows"), "0\n");
  EXPECT_EQ(Rows("SELECT count(*) FROM PrMpsBound"), "0\n");
}

TEST_F(MatrixTablesTest, MissingMatrixFileIsReportedAndLeavesTheMatrixEmpty) {
  CMpsFile matrix;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadMpsFile((Model().m_strModelDir + "/none.mps").c_str(), &matrix, "also-missing.sol"));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Unable to open the file: " + Model().m_strModelDir),
            std::string::npos);
  EXPECT_TRUE(matrix.m_paRows.IsEmpty());
  // A missing nonlinear solution file is silent.
  Write("XLINEAR\n EROW 2 X M\nINITIAL\n   M 3\n");
  testing::internal::CaptureStderr();
  EXPECT_TRUE(ReadMpsFile((Model().m_strModelDir + "/xmps.mps").c_str(), &matrix, "also-missing.sol"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(matrix.m_paCols[0]->m_paRowVals[0]->m_dValue, 6.0);
}

TEST_F(MatrixTablesTest, SolutionIndexFromTheCaseWhenItsFileExists) {
  Settings().m_Nimbo_BasisIn.SetValue(5);
  EXPECT_EQ(GetZelunSolutionIndex(exportData), 5);  // no current case
  CAssembledCase current(2, "M1");
  exportData.m_pCurrentCase = &current;
  current.m_nLoadSol = 3;
  EXPECT_EQ(GetZelunSolutionIndex(exportData), 5);  // no file
  Write("", "Zelun_Solution.003");
  EXPECT_EQ(GetZelunSolutionIndex(exportData), 3);
  current.m_nLoadSol = -1;
  EXPECT_EQ(GetZelunSolutionIndex(exportData), 5);
  exportData.m_pCurrentCase = nullptr;
}

std::vector<std::string>& g_calls = orvid_testing::g_orvidCalls;

// SQL Server alone: no definitions and no Access file; the rows go to the
// driver and are flushed once at the end.
TEST_F(MatrixTablesTest, SqlServerRowsAreBufferedAndFlushedOnce) {
  dbdrivers_testing::RecordingSqlServer server(*this);

  Write("XLINEAR\n RR 2 X\nBOUNDS\n UP B X 4\n");
  CMpsFile matrix;
  ASSERT_TRUE(ReadMpsFile((Model().m_strModelDir + "/xmps.mps").c_str(), &matrix, nullptr));
  testing::internal::CaptureStderr();
  EXPECT_TRUE(WriteMpsTables(exportData, matrix));
  testing::internal::GetCapturedStderr();
  EXPECT_FALSE(std::filesystem::exists(DatabasePath()));
  std::string calls;
  for (const std::string& call : g_calls) calls += call + ";";
  EXPECT_NE(calls.find("start PrMpsRows;SolutionID=4;CaseID=0;NodeID=1;SequenceIDRow=0;Row=R;Type=L;end;"),
            std::string::npos) << calls;
  EXPECT_NE(calls.find("start PrMpsBound;SolutionID=4;CaseID=0;NodeID=1;SequenceIDCol=0;Col=X;Type=UP;Upper=4.000000;end;"),
            std::string::npos) << calls;
  EXPECT_EQ(calls.substr(calls.size() - 7), "start ;") << calls;
  EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "start "), 1);
}

}  // namespace
