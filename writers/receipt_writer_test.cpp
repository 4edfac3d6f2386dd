// The error message, crude receipt and shipment writers of a model.

#include <memory>
#include <string>

#include "caseset/config/error_message.h"
#include "results/objects/db_model.h"
#include "writers/testing/result_writer_fixture.h"

namespace {

using writers_testing::ResultWriterTest;

class ModelDataWriterTest : public ResultWriterTest {
 protected:
  ModelDataWriterTest() : model(5, Data()) {
    model.m_strModelName = "A";
    // Sorted by tag, as the fill leaves them; the report tags are not in that order.
    const struct {
      const char* tag;
      const char* reportTag;
      std::int32_t id;
    } streams[] = {{"ANS", "ZZ-ALASKA", 11}, {"BRT", "BRENT", 12}, {"WTI", "AA-WTI", 13}};
    for (const auto& s : streams) {
      auto stream = std::make_unique<CDbStream>(s.id, Data());
      stream->m_strName = s.tag;
      stream->m_strReportTag = s.reportTag;
      model.m_paStreams.Add(stream.release());
    }
  }
  void AddReceipt(const char* code, double amount) {
    auto receipt = std::make_unique<CRawReceive>();
    receipt->m_strCode = code;
    receipt->m_dAmount = amount;
    receipt->m_dRate = 2;
    receipt->m_bCrudeMix = true;
    receipt->m_dtDate = plat::OleDateTime(2026, 5, 6, 7, 0, 0);
    model.m_paRawReceives.Add(receipt.release());
  }
  CDbModel model;
};

TEST_F(ModelDataWriterTest, ErrorMessagesOfTheModelKeepTheirPositionInTheWholeList) {
  Define({"PrErrorMessage"});
  // Without a list there is nothing to write.
  ASSERT_TRUE(model.WritePrErrorMessage(1, 2));
  exportData.m_paErrorMessages = std::make_unique<CErrorMessageArray>();
  const struct {
    const char* model;
    std::string code, text;
  } messages[] = {{"A", "E1234567", std::string(300, 't')}, {"B", "E2", "other"}, {"A", "W7", "second"},
                  {"a", "E3", "letter case counts"}};
  for (const auto& m : messages) {
    auto message = std::make_unique<CErrorMessage>();
    message->m_strModel = m.model;
    message->m_strCode = m.code;
    message->m_strMessage = m.text;
    exportData.m_paErrorMessages->Add(message.release());
  }
  ASSERT_TRUE(model.WritePrErrorMessage(1, 2));
  EXPECT_EQ(Rows("SELECT SolutionID, CaseID, ModelID, SequenceID, MessageID, length(MessageText) FROM PrErrorMessage"),
            "1|2|5|0|E1234|255\n1|2|5|2|W7|6\n");
}

TEST_F(ModelDataWriterTest, ReceiptsFindTheirStreamByTagOrByReportTag) {
  Define({"PrReceive"});
  AddReceipt("WTI", 100);
  AddReceipt("XXX", 200);  // names no stream: skipped
  AddReceipt("ANS", 300);
  AddReceipt("AA-WTI", 400);
  ASSERT_TRUE(model.WritePrReceive(1, 2));
  EXPECT_EQ(Rows("SELECT * FROM PrReceive"),
            "1|2|5|13|2026-05-06 07:00:00|100.0|2.0|1.0e+30|1\n"
            "1|2|5|11|2026-05-06 07:00:00|300.0|2.0|1.0e+30|1\n");

  Settings().m_UseExtendedTagsOn.SetValue(1);
  Define({"PrReceive"});
  ASSERT_TRUE(model.WritePrReceive(1, 3));
  EXPECT_EQ(Rows("SELECT StreamID, Amount FROM PrReceive WHERE CaseID = 3"), "13|400.0\n");
}

TEST_F(ModelDataWriterTest, ShipmentsCutTheirLine) {
  Define({"PrShip"});
  auto shipment = std::make_unique<CRawShip>();
  shipment->m_strCode = "BRT";
  shipment->m_strLine = "Pipeline north to terminal";  // 26 characters
  shipment->m_dAmount = 50;
  shipment->m_dRate = 5;
  shipment->m_dPrice = 70;
  shipment->m_dtDate = plat::OleDateTime(2026, 5, 7, 0, 0, 0);
  model.m_paRawShips.Add(shipment.release());
  ASSERT_TRUE(model.WritePrShip(1, 2));
  EXPECT_EQ(Rows("SELECT * FROM PrShip"), "1|2|5|12|2026-05-07 00:00:00|50.0|5.0|70.0|Pipeline north to te\n");
}

TEST_F(ModelDataWriterTest, WithoutRecordsOnlyTheOpenOfTheTableDecides) {
  Define({"PrReceive"});
  ASSERT_TRUE(model.WritePrReceive(1, 2));
  EXPECT_EQ(Rows("SELECT count(*) FROM PrReceive"), "0\n");
  CDbModel orphan(6, nullptr);
  EXPECT_FALSE(orphan.WritePrReceive(1, 2));
  EXPECT_FALSE(orphan.WritePrShip(1, 2));
  EXPECT_FALSE(orphan.WritePrErrorMessage(1, 2));
}

}  // namespace
