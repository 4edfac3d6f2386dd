#include "writers/matrix/mps_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Rows, columns and values that exercise the filters and the scaling: QM1 has
// an INITIAL value and a fixed bound (the INITIAL value wins), QM2 only the
// fixed bound, QM3 neither. A comment line ends the XLINEAR section, "RHSX"
// counts as RHS, the first bound type is unknown and "ZZ" keeps the previous
// line's type.
constexpr const char* kMatrix =
    "NAME          TEST\n"
    "XLINEAR\n"
    " NOBJ      1.5   XB\n"
    " EROWA     0.1   XA\n"
    " EROWA     2     XA  QM1\n"
    " GROWB     3     XB  QM1 QM2\n"
    " GROWB     1     XC  QM3 \n"
    " RQROWLONGXX 4   XQ\n"
    " LQ1       5     XA\n"
    " LSOFTBND1 6     XD\n"
    " LROWC     7     SOFTBNDX\n"
    "* comment\n"
    " LROWZ     9     XZ\n"
    "XLINEAR\n"
    " EROWA     1     XB\n"
    "RHSX\n"
    " RHS  ROWA  10\n"
    " RHS  QROWLONGXX 11\n"
    " RHS  Q1  12  ROWB 99\n"
    "RANGES\n"
    " RNG  ROWB  13\n"
    " RNG  QROWLONGXX  14\r\n"
    "BOUNDS\n"
    " XX BND XB 7\n"
    " UP BND XA 100\n"
    " FX BND QM1 99\n"
    " FX BND QM2 0.5\n"
    " ZZ BND XC 3\n"
    " FR BND XD 0\n"
    "INITIAL\n"
    "   QM1 2\n"
    "   XA  8\n"
    "ENDATA\n";

CMpsFile Read(const std::string& text, const char* solution = nullptr) {
  CMpsFile file("x");
  std::istringstream in(text);
  std::istringstream nlp(solution ? solution : "");
  ReadMpsText(in, file, solution ? &nlp : nullptr);
  return file;
}

std::string Rows(const CMpsFile& f) {
  std::string out;
  for (const CMpsRow* r : f.m_paRows) out += r->m_strName + ":" + r->m_cType + ":" + std::to_string(r->m_nIndex) + " ";
  return out;
}

std::string Values(const CMpsRowValArray& values) {
  std::ostringstream out;
  for (const CMpsRowVal* v : values) out << v->m_strName << "=" << v->m_dValue << "#" << v->m_nIndex << " ";
  return out.str();
}

TEST(MpsFile, RowsColumnsAndEntriesAfterFiltersAndScaling) {
  const CMpsFile f = Read(kMatrix);
  EXPECT_EQ(Rows(f), "OBJ:N:0 Q1:L:1 ROWA:E:2 ROWB:G:3 ROWC:L:4 ");

  // Columns of every kept row in name order; XQ (only in a left-out row) and
  // SOFTBNDX (only in skipped entries) keep their places.
  std::vector<std::string> names;
  for (const CMpsCol* c : f.m_paCols) names.push_back(c->m_strName + "#" + std::to_string(c->m_nIndex));
  EXPECT_EQ(names, (std::vector<std::string>{"SOFTBNDX#0", "XA#1", "XB#2", "XC#3", "XQ#4"}));

  const CMpsCol* xa = f.m_paCols[1];
  ASSERT_EQ(xa->m_paRowVals.GetSize(), 2);
  EXPECT_EQ(xa->m_paRowVals[0]->m_strName, "Q1");
  // 0.1 in single precision plus 2 x QM1's INITIAL value 2, the sum not rounded again.
  EXPECT_EQ(xa->m_paRowVals[1]->m_dValue, static_cast<double>(0.1f) + 4.0);
  EXPECT_EQ(xa->m_paRowVals[1]->m_nIndex, 1);
  EXPECT_EQ(Values(f.m_paCols[2]->m_paRowVals), "OBJ=1.5#0 ROWA=1#1 ROWB=3#2 ");  // 3 x 2 x 0.5
  EXPECT_EQ(Values(f.m_paCols[3]->m_paRowVals), "ROWB=1#0 ");                      // QM3 unknown: unchanged
  EXPECT_TRUE(f.m_paCols[0]->m_paRowVals.IsEmpty());
  EXPECT_TRUE(f.m_paCols[4]->m_paRowVals.IsEmpty());

  EXPECT_EQ(Values(f.m_paRhs), "ROWA=10#0 Q1=12#0 ");
  EXPECT_EQ(Values(f.m_paRanges), "ROWB=13#0 QROWLONGXX=14#0 ");

  std::string bounds;
  for (const CMpsBound* b : f.m_paBounds)
    bounds += b->m_strColName + ":" + std::to_string(b->m_nType) + ":" + std::to_string(b->m_dValue).substr(0, 3) + " ";
  EXPECT_EQ(bounds, "XB:-1:7.0 XA:2:100 XC:3:3.0 XD:4:0.0 ");
}

TEST(MpsFile, CoefficientIsSinglePrecision) {
  const CMpsFile f = Read("XLINEAR\n EROW 0.1 X\n");
  ASSERT_EQ(f.m_paCols.GetSize(), 1);
  EXPECT_EQ(f.m_paCols[0]->m_paRowVals[0]->m_dValue, static_cast<double>(0.1f));
  EXPECT_NE(f.m_paCols[0]->m_paRowVals[0]->m_dValue, 0.1);
}

TEST(MpsFile, NonlinearSolutionReplacesInitialValues) {
  const std::string matrix = "XLINEAR\n EROW 3 X M1 M2\nINITIAL\n   M1 2\n   M2 5\n";
  EXPECT_EQ(Values(Read(matrix).m_paCols[0]->m_paRowVals), "ROW=30#0 ");
  // Two heading lines, comments, a line without a blank and a name not in INITIAL are passed over.
  const char* solution = "M1 100\nM2 100\n* M1 7\n$ M2 7\nM9 4\nnoblank\nM2    4  \n";
  EXPECT_EQ(Values(Read(matrix, solution).m_paCols[0]->m_paRowVals), "ROW=24#0 ");
}

TEST(MpsFile, TokensAreSplitAtBlanksOnly) {
  struct Case {
    const char* line;
    std::size_t start;
    const char* field;
    bool more;
    std::size_t next;
  } cases[] = {
      {"  ab  cd", 0, "ab", true, 4}, {"ab", 0, "ab", false, 2}, {"ab ", 0, "ab", true, 2},
      {"   ", 0, "", false, 3},       {"", 0, "", false, 0},     {"a\tb c", 0, "a\tb", true, 3},
      {"ab", 9, "", false, 2},
  };
  for (const Case& c : cases) {
    std::string field = "old";
    std::size_t pos = c.start;
    EXPECT_EQ(GetMpsToken(c.line, &field, &pos), c.more) << c.line;
    EXPECT_EQ(field, c.field) << c.line;
    EXPECT_EQ(pos, c.next) << c.line;
  }
}

TEST(MpsFile, TruncatedAndOddLinesAreReadAsFarAsTheyGo) {
  const CMpsFile f = Read(
      "XLINEAR\n \n E\n EONLYROW\n ER2 x\n\tEIGNORED 1 Y\nXLINEAR\n E R3 1e400 C3\n E R4 -1e400 C4 M\n"
      "RHS\n \n RHS\nBOUNDS\n UP\nINITIAL\n \n  \n");
  EXPECT_EQ(Rows(f), "ONLYROW:E:0 R2:E:1 R3:E:2 R4:E:3 ");
  // Entries without a column name still count; numbers out of single range become infinities.
  ASSERT_EQ(f.m_paCols.GetSize(), 3);
  EXPECT_EQ(f.m_paCols[1]->m_paRowVals[0]->m_dValue, std::numeric_limits<double>::infinity());
  EXPECT_EQ(f.m_paCols[2]->m_paRowVals[0]->m_dValue, -std::numeric_limits<double>::infinity());
  EXPECT_EQ(f.m_paRhs.GetSize(), 2);
  EXPECT_EQ(f.m_paBounds.GetSize(), 1);
}

}  // namespace
