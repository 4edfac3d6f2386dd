// The unit-operation writers: the table by kind, the reported activity and
// feed flag, and the report writer's copies, which form them differently.

#include <string>

#include "results/objects/db_definition.h"
#include "results/objects/db_value_records.h"
#include "writers/testing/result_writer_fixture.h"

namespace {

using writers_testing::ResultWriterTest;

class UnitWriterTest : public ResultWriterTest {
 protected:
  UnitWriterTest() { Settings().m_SubmodelReportValueFilter.SetValue(0.001); }

  CDbUnitOp Row(std::int32_t kind, double activity, std::int32_t feedFlag = 7) {
    CDbUnitOp row(31, 3, Data());
    row.m_nKind = kind;
    row.m_nItemID = 11;
    row.m_dActivity = activity;
    row.m_nFeedFlag = feedFlag;
    row.m_dMarginalValue = 0.5;
    row.m_nReportOrder = 2;
    return row;
  }
};

TEST_F(UnitWriterTest, ActivityAndFeedFlagOfUnitAndGroupRows) {
  Define({"PrUnitOperationMaterial", "PrGroupUnitMaterial"});
  const struct {
    double activity;
    bool loss, mixed, group;
    const char* written;  // Activity|FeedFlag, empty for no record
  } cases[] = {
      {12.5, true, false, false, "-12.5|0"},
      {-0.0005, false, false, false, "0.0|7"},  // within the filter: flag kept
      {-0.5, false, false, false, "0.5|0"},
      {0.5, false, false, false, "0.5|1"},
      {5e-8, false, true, true, ""},  // a mixed group row of noise
      {0.2, false, true, true, "0.2|1"},
      {-0.2, false, true, true, "0.2|0"},
      {0.0004, false, true, true, "0.0|1"},  // filtered, but the mixed rule sets the flag
      {0.5, false, true, false, "0.5|1"},  // the mixed flag counts on group rows only
  };
  for (const auto& c : cases) {
    CDbUnitOp row = Row(CDbUnitOp::kMaterial, c.activity);
    row.m_bLossRow = c.loss;
    row.m_bMixedFeed = c.mixed;
    const char* table = c.group ? "PrGroupUnitMaterial" : "PrUnitOperationMaterial";
    const std::string before = Rows(std::string("SELECT count(*) FROM ") + table);
    ASSERT_TRUE(row.WritePrUnitOperationRows(1, 2, 4, c.group ? 1 : 0)) << c.activity;
    const std::string last =
        Rows(std::string("SELECT Activity, FeedFlag FROM ") + table + " WHERE rowid = (SELECT max(rowid) FROM " + table + ")");
    if (*c.written == '\0')
      EXPECT_EQ(Rows(std::string("SELECT count(*) FROM ") + table), before) << c.activity;
    else
      EXPECT_EQ(last, std::string(c.written) + "\n") << c.activity;
  }
  EXPECT_EQ(Rows("SELECT * FROM PrGroupUnitMaterial LIMIT 1"), "1|2|4|3|31|11|0.2|1|0.5|2\n");
}

TEST_F(UnitWriterTest, EachKindHasItsTableAndColumns) {
  Define({"PrUnitOperationCapacity", "PrUnitOperationUtility", "PrGroupUnitCapacity", "PrUnitProcessLimit"});
  ASSERT_TRUE(Row(CDbUnitOp::kCapacity, -3).WritePrUnitOperationRows(1, 2, 4, 0));
  ASSERT_TRUE(Row(CDbUnitOp::kUtility, 3).WritePrUnitOperationRows(1, 2, 4, 0));
  ASSERT_TRUE(Row(CDbUnitOp::kCapacity, 3).WritePrUnitOperationRows(1, 2, 4, 1));
  ASSERT_TRUE(Row(CDbUnitOp::kProcessLimit, 3).WritePrUnitOperationRows(1, 2, 99, 0));
  EXPECT_EQ(Rows("SELECT * FROM PrUnitOperationCapacity"), "1|2|4|3|31|11|3.0|0|2\n");
  EXPECT_EQ(Rows("SELECT * FROM PrUnitOperationUtility"), "1|2|4|3|31|11|3.0|1|2\n");
  EXPECT_EQ(Rows("SELECT * FROM PrGroupUnitCapacity"), "1|2|4|3|31|11|3.0|1|2\n");
  EXPECT_EQ(Rows("SELECT * FROM PrUnitProcessLimit"), "1|2|3|31|11|2\n");

  // Kind 0 is a success without a record; a kind without a table is not.
  EXPECT_TRUE(Row(CDbUnitOp::kNone, 3).WritePrUnitOperationRows(1, 2, 4, 0));
  EXPECT_FALSE(Row(CDbUnitOp::kProcessLimit, 3).WritePrUnitOperationRows(1, 2, 4, 1));
  EXPECT_FALSE(Row(9, 3).WritePrUnitOperationRows(1, 2, 4, 0));
  EXPECT_EQ(Rows("SELECT count(*) FROM PrUnitProcessLimit"), "1\n");
}

TEST_F(UnitWriterTest, ReportWriterRowsKeepLossSignsAndUseNoFilter) {
  Define({"PrRWUnitMaterial", "PrRWUnitCapacity", "PrRWUnitUtility"});
  const struct {
    std::int32_t kind;
    double activity;
    bool loss, mixed;
    const char* written;
  } cases[] = {
      {CDbUnitOp::kMaterial, -3, true, false, "-3.0|7"},
      {CDbUnitOp::kMaterial, -3, false, false, "3.0|0"},
      {CDbUnitOp::kMaterial, 0.0004, false, false, "0.0004|1"},
      {CDbUnitOp::kMaterial, 0.0, false, false, "0.0|7"},
      {CDbUnitOp::kMaterial, 5e-8, false, true, ""},
      {CDbUnitOp::kMaterial, -2, true, true, "-2.0|0"},  // mixed: the flag from the sign, also on a loss row
  };
  for (const auto& c : cases) {
    CDbUnitOp row = Row(c.kind, c.activity);
    row.m_bLossRow = c.loss;
    row.m_bMixedFeed = c.mixed;
    const std::string before = Rows("SELECT count(*) FROM PrRWUnitMaterial");
    ASSERT_TRUE(row.WritePrRWUnitRows(1, 2, 4)) << c.activity;
    if (*c.written == '\0')
      EXPECT_EQ(Rows("SELECT count(*) FROM PrRWUnitMaterial"), before);
    else
      EXPECT_EQ(Rows("SELECT Activity, FeedFlag FROM PrRWUnitMaterial WHERE rowid = (SELECT max(rowid) FROM "
                     "PrRWUnitMaterial)"),
                std::string(c.written) + "\n")
          << c.activity;
  }
  ASSERT_TRUE(Row(CDbUnitOp::kCapacity, 4).WritePrRWUnitRows(1, 2, 4));
  ASSERT_TRUE(Row(CDbUnitOp::kUtility, -4).WritePrRWUnitRows(1, 2, 4));
  EXPECT_EQ(Rows("SELECT * FROM PrRWUnitCapacity"), "1|2|4|3|31|11|4.0|1\n");
  EXPECT_EQ(Rows("SELECT * FROM PrRWUnitUtility"), "1|2|4|3|31|11|4.0|0\n");
  EXPECT_TRUE(Row(CDbUnitOp::kNone, 1).WritePrRWUnitRows(1, 2, 4));
  EXPECT_FALSE(Row(CDbUnitOp::kProcessLimit, 1).WritePrRWUnitRows(1, 2, 4));
}

TEST_F(UnitWriterTest, UnitQualityRow) {
  Define({"PrUnitQuality"});
  CDbUnitQuality quality(7, Data());
  quality.m_bQualityFlag = 0;
  quality.m_dMultiplierValue = 1.5;
  quality.m_nReportOrder = 3;
  ASSERT_TRUE(quality.WritePrUnitQuality(1, 2, 3, 31));
  EXPECT_EQ(Rows("SELECT * FROM PrUnitQuality"), "1|2|3|31|7|0|1.5|3\n");
}

}  // namespace
