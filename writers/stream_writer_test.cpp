// The stream, quality and transaction writers against a results database file.

#include <string>

#include "dbdrivers/access/access_result_database.h"
#include "results/objects/db_quality.h"
#include "results/objects/db_stream.h"
#include "results/objects/db_transaction.h"
#include "results/objects/db_value_records.h"
#include "writers/testing/result_writer_fixture.h"

namespace {

using writers_testing::ResultWriterTest;
using StreamWriterTest = ResultWriterTest;

TEST_F(StreamWriterTest, StreamRowCutsItsDescriptionAndSetsTheUserOrderOnlyAboveZero) {
  Define({"PrStream"});
  const std::string description = "Light straight-run naphtha";  // 26 characters
  for (const std::int32_t order : {0, -1, 3}) {
    CDbStream stream(order + 10, Data());
    stream.m_strName = "LSR";
    stream.m_strDescription = description;
    stream.m_nReportOrder = 4;
    stream.m_strReportTag = "LSRN";
    stream.m_bDummyFlag = 1;
    stream.m_nGlobalReportOrder = 70000;  // short column: the low 16 bits
    stream.m_nUserDefinedReportOrder = order;
    ASSERT_TRUE(stream.WritePrStream(1, 2, 5));
    EXPECT_EQ(stream.m_strDescription, description);
  }
  EXPECT_EQ(Rows("SELECT * FROM PrStream ORDER BY StreamID"),
            "1|2|5|9|LSR|Light straight-run n|4|LSRN|NULL|1|1.00000001504747e+30|4464|NULL\n"
            "1|2|5|10|LSR|Light straight-run n|4|LSRN|NULL|1|1.00000001504747e+30|4464|NULL\n"
            "1|2|5|13|LSR|Light straight-run n|4|LSRN|NULL|1|1.00000001504747e+30|4464|3\n");
}

TEST_F(StreamWriterTest, QualityLimitsAndInitialValuesAreUnsetWhenNotSet) {
  Define({"PrQuality", "PrUOMType", "PrStreamQuality"});
  CDbQuality quality(7, Data());
  quality.m_strName = "SUL";
  quality.m_strDescription = "Sulphur";
  quality.m_dLowerLimit = -1e30;
  quality.m_dUpperLimit = 2.5;
  quality.m_nVWBasisID = 1;
  ASSERT_TRUE(quality.WritePrQuality(1, 2, 3));
  quality.m_nID = 8;
  quality.m_dLowerLimit = 0.5;
  quality.m_dUpperLimit = 1e30;
  ASSERT_TRUE(quality.WritePrQuality(1, 2, 3));
  EXPECT_EQ(Rows("SELECT QualityID, Tag, LowerLimit, UpperLimit, ReportOrder, VWBasisID FROM PrQuality"),
            "7|SUL|NULL|2.5|9999|1\n8|SUL|0.5|NULL|9999|1\n");

  CDbUOM uom(std::string(30, 'u'));
  uom.m_pDbData = Data();
  uom.m_nID = 2;
  uom.m_dSTDCONV = 6.29;
  ASSERT_TRUE(uom.WritePrUOMType(1, 2, 3));
  EXPECT_EQ(Rows("SELECT UOMTypeID, length(Description), STDCONV FROM PrUOMType"), "2|30|6.29\n");

  CDbStreamQuality value(11, 3, 7, Data());
  value.m_dValue = 0.25;
  value.m_nOriginID = 2;
  ASSERT_TRUE(value.WritePrStreamQuality(1, 2, 4));
  value.m_dInitialValue = 0.2;
  ASSERT_TRUE(value.WritePrStreamQuality(1, 2, 5));
  EXPECT_EQ(Rows("SELECT * FROM PrStreamQuality ORDER BY PeriodID"),
            "1|2|4|3|11|7|0.25|NULL|2\n1|2|5|3|11|7|0.25|0.2|2\n");
}

TEST_F(StreamWriterTest, PurchaseSaleAndTransferTestTheirBoundsDifferently) {
  Define({"PrPurchase", "PrSale", "PrTransfer"});
  CDbTransaction purchase(11, 3, Data());
  purchase.m_dActivity = 40;
  purchase.m_dCost = 12;
  purchase.m_dMinValue = -1e30;  // always set
  purchase.m_dMaxValue = 1e30;
  purchase.m_dMarginalValue = 0;
  purchase.m_nReportGroup = 2;
  purchase.m_strDescription = "Arabian light crudes blend";
  ASSERT_TRUE(purchase.WritePrPurchase(1, 2, 4));
  EXPECT_EQ(Rows("SELECT * FROM PrPurchase"), "1|2|4|3|11|40.0|0|12.0|-1.0e+30|NULL|0.0|2|9999|Arabian light crudes\n");

  CDbSale sale(12, 3, 6, Data());
  sale.m_dActivity = 5;
  sale.m_dPrice = 30;
  sale.m_dMinValue = 1;
  sale.m_dMaxValue = 9;
  sale.m_dVPRICE = -1e30;
  sale.m_strDescription = "inherited";
  sale.m_strSaleDescription = "Premium";
  ASSERT_TRUE(sale.WritePrSale(1, 2, 4));
  sale.m_dVPRICE = 31;
  ASSERT_TRUE(sale.WritePrSale(1, 2, 5));
  EXPECT_EQ(Rows("SELECT PeriodID, Price, MaxValue, MarketID, VPRICE, Description FROM PrSale ORDER BY PeriodID"),
            "4|30.0|9.0|6|NULL|Premium\n5|30.0|9.0|6|31.0|Premium\n");

  CDbTransfer transfer(13, 3, Data());
  transfer.m_nNodeFrom = 3;
  transfer.m_nFromStreamID = 13;
  transfer.m_nNodeTo = 4;
  transfer.m_nToStreamID = 14;
  transfer.m_nModeID = 1;
  transfer.m_dActivity = 8;
  transfer.m_dCost = 1.5;
  transfer.m_dMinValue = 0;
  transfer.m_dMaxValue = 1e30;
  transfer.m_dMarginalValue = 0.5;
  ASSERT_TRUE(transfer.WritePrTransfer(1, 2, 4));
  EXPECT_EQ(Rows("SELECT * FROM PrTransfer"), "1|2|4|3|13|3|13|4|14|1|8.0|0|1.5|0.0|1.0e+30|0.5\n");
}

TEST_F(StreamWriterTest, UtilityPurchaseWritesItsPriceAsCostAndASaleHasNoShadowPrice) {
  Define({"PrUtilityPurchase", "PrUtilitySale"});
  CDbUtilityTransaction utility(21, 3, Data());
  utility.m_dActivity = 2;
  utility.m_dPrice = 0.07;
  utility.m_dShadowPrice = 0.09;
  utility.m_dMinValue = 1e30;
  utility.m_dMaxValue = 50;
  utility.m_dMarginalValue = 0;
  ASSERT_TRUE(utility.WritePrUtilityTransaction(1, 2, 4, 0));
  ASSERT_TRUE(utility.WritePrUtilityTransaction(1, 2, 4, 1));
  EXPECT_EQ(Rows("SELECT * FROM PrUtilityPurchase"), "1|2|4|3|21|2.0|0.07|0.09|NULL|50.0|0.0|9999|9999\n");
  EXPECT_EQ(Rows("SELECT * FROM PrUtilitySale"), "1|2|4|3|21|2.0|0.07|NULL|NULL|50.0|0.0|9999|9999\n");
}

TEST_F(StreamWriterTest, VolumeToWeightFactorsThatAreNotSetOrZeroAreWrittenAsOne) {
  Define({"PrVTW", "PrRWVTW"});
  const struct {
    double value;
    const char* written;
  } cases[] = {{0.0, "1.0"}, {1e30, "1.0"}, {-1e30, "1.0"}, {0.85, "0.85"}};
  std::string expected;
  std::int32_t stream = 0;
  for (const auto& c : cases) {
    CDbVTW vtw(++stream, 3, Data());
    vtw.m_dValue = c.value;
    ASSERT_TRUE(vtw.WritePrVTW(1, 2, 4, 0));
    expected += std::to_string(stream) + "|" + c.written + "\n";
  }
  EXPECT_EQ(Rows("SELECT StreamID, Value FROM PrVTW ORDER BY StreamID"), expected);
  CDbVTW rw(9, 3, Data());
  rw.m_dValue = 0.7;
  ASSERT_TRUE(rw.WritePrVTW(1, 2, 4, 1));
  EXPECT_EQ(Rows("SELECT * FROM PrRWVTW"), "1|2|4|3|9|0.7\n");
}

TEST_F(StreamWriterTest, UpdatedRecursionValues) {
  Define({"PrUpdatedPDist", "PrUpdatedPGuess", "PrUpdatedQuality"});
  CDbTransfer dist(13, 3, Data());
  dist.m_nFromStreamID = 13;
  dist.m_nToStreamID = 14;
  dist.m_dActivity = 0.4;
  ASSERT_TRUE(dist.WritePrUpdatedPDist(1, 2, 4));
  EXPECT_EQ(Rows("SELECT * FROM PrUpdatedPDist"), "1|2|4|3|13|14|0.4\n");

  CDbStreamQuality guess(11, 3, 7, Data());
  guess.m_nUpdatedQualityID = 8;
  guess.m_dValue = 1.25;
  ASSERT_TRUE(guess.WritePrUpdatedPGuess(1, 2, 4));
  EXPECT_EQ(Rows("SELECT * FROM PrUpdatedPGuess"), "1|2|4|3|11|7|8|1.25\n");

  // The item identifier is the quality; the column name is not cut short.
  CDbStreamQuality quality(7, 3, -1, Data());
  quality.m_strColumnName = std::string(100, 'c');
  quality.m_dValue = 2;
  ASSERT_TRUE(quality.WritePrUpdatedQuality(1, 2, 4));
  EXPECT_EQ(Rows("SELECT QualityID, length(ColumnName), Value FROM PrUpdatedQuality"), "7|100|2.0\n");
}

TEST_F(StreamWriterTest, AFailedRecordEndsTheWriterAndTheNextRecordIsStillWritten) {
  Define({"PrStream"});
  std::int32_t flag = 0;
  ASSERT_TRUE(CloseDatabase(*Model().m_daoDatabase, Model().m_outputTables, flag));
  ASSERT_EQ(Execute("CREATE TRIGGER NoFive BEFORE INSERT ON PrStream WHEN NEW.StreamID = 5 "
                    "BEGIN SELECT RAISE(ABORT, 'refused'); END"),
            "");
  Define({"PrStream"});
  CDbStream first(4, Data());
  CDbStream failing(5, Data());
  CDbStream next(6, Data());
  EXPECT_TRUE(first.WritePrStream(1, 2, 3));
  testing::internal::CaptureStderr();
  const bool written = failing.WritePrStream(1, 2, 3);
  testing::internal::GetCapturedStderr();
  EXPECT_FALSE(written);
  EXPECT_TRUE(next.WritePrStream(1, 2, 3));
  EXPECT_EQ(Rows("SELECT StreamID FROM PrStream"), "4\n6\n");

  CDbVTW orphan(1, 3, nullptr);
  EXPECT_FALSE(orphan.WritePrVTW(1, 2, 4, 0));
}

}  // namespace
