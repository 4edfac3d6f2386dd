#include <gtest/gtest.h>

#include <memory>

#include "solutionfill/core/testing/fill_case_fixture.h"

namespace {

class InventoryLinks : public fill_testing::FillCaseFixture {
 protected:
  void SetUp() override {
    FillCaseFixture::SetUp();
    MakePeriods({"A"}, false);
    m_model = &AddModel("M", 3);
    AddStream(*m_model, "ABC", 21);
    AddStream(*m_model, "XYZ", 22);
    auto unit = std::make_unique<CDbDefinition>(31, &m_export);
    unit->m_strName = "CDU";
    m_model->m_paUnits.Add(std::move(unit));
    auto blend = std::make_unique<CDbBlend>(41, &m_export);
    blend->m_strName = "PRM";
    m_model->m_paBlends.Add(std::move(blend));
  }
  // A link end of a stream at a unit of the given type into the list.
  static void End(CAutoDestructArray<CPtrArray, CDbLink*>& list, std::int32_t stream, std::int32_t type,
                  std::int32_t unit, double quantity) {
    auto end = std::make_unique<CDbLink>(stream, unit);
    end->m_nUnitTypeID = type;
    end->m_dValue = quantity;
    list.Add(std::move(end));
  }
  void AddInventory(std::int32_t stream) {
    Period("A").m_paInventories.Add(std::make_unique<CDbInventory>(stream, m_model->m_nID, &m_export));
    Period("A").m_paInventories.Sort(&CDbDataObject::CompareNodeAndId);
  }
  std::vector<std::string> Records() {
    std::vector<std::string> out;
    for (const CDbLinkData* r : Period("A").m_paLinkData)
      out.push_back(std::to_string(r->m_nSourceUnitTypeID) + ":" + std::to_string(r->m_nSourceID) + ">" +
                    std::to_string(r->m_nDestinationUnitTypeID) + ":" + std::to_string(r->m_nDestinationID) + " " +
                    r->m_strNodeFrom + ">" + r->m_strNodeTo + " " + r->m_strSTRMID);
    return out;
  }
  void Fill() { m_solution->FillInventoryLinks(&Main(), m_case, m_model); }

  CDbModel* m_model = nullptr;
};

TEST_F(InventoryLinks, PurchaseToSaleGivesOneDirectRecord) {
  CDbPeriod& period = Period("A");
  End(period.m_paLinks1, 21, 0, 0, 10);
  End(period.m_paLinks2, 21, 3, 0, 10);
  End(period.m_paLinks1, 22, 1, 31, 5);  // no destination: no record
  Fill();
  ASSERT_EQ(period.m_paLinkData.GetSize(), 1);
  const CDbLinkData& r = *period.m_paLinkData.GetAt(0);
  EXPECT_EQ(r.m_nID, 21);
  EXPECT_EQ(r.m_nNodeID, 3);
  EXPECT_EQ(r.m_nSourceUnitTypeID, 0);
  EXPECT_EQ(r.m_nDestinationUnitTypeID, 3);
  EXPECT_EQ(r.m_strNodeFrom, "BUY");
  EXPECT_EQ(r.m_strNodeTo, "SELL");
  EXPECT_EQ(r.m_strSTRMID, "ABC");
  EXPECT_DOUBLE_EQ(r.m_dFromValue, 10.0);
  EXPECT_DOUBLE_EQ(r.m_dToValue, 10.0);
}

TEST_F(InventoryLinks, EverySourcePairsWithEveryDestinationOrThroughTheTank) {
  for (const bool inventory : {false, true}) {
    SCOPED_TRACE(inventory);
    CDbPeriod& period = Period("A");
    period.m_paLinkData.RemoveAll();
    period.m_paLinks1.RemoveAll();
    period.m_paLinks2.RemoveAll();
    period.m_paInventories.RemoveAll();
    if (inventory) AddInventory(21);
    // Appended out of stream order: the builder sorts the ends.
    End(period.m_paLinks1, 22, 0, 0, 1);
    End(period.m_paLinks1, 21, 0, 0, 6);
    End(period.m_paLinks1, 21, 1, 31, 4);
    End(period.m_paLinks2, 21, 2, 41, 3);
    End(period.m_paLinks2, 21, 2, 99, 3);
    End(period.m_paLinks2, 21, 3, 0, 4);
    Fill();
    if (!inventory) {
      EXPECT_EQ(Records(), (std::vector<std::string>{
                               "0:0>2:41 BUY>BPRM ABC", "0:0>2:99 BUY> ABC", "0:0>3:0 BUY>SELL ABC",
                               "1:31>2:41 CDU>BPRM ABC", "1:31>2:99 CDU> ABC", "1:31>3:0 CDU>SELL ABC"}));
    } else {
      EXPECT_EQ(Records(), (std::vector<std::string>{"0:0>4:21 BUY>TABC ABC", "4:21>2:41 TABC>BPRM ABC",
                                                     "4:21>2:99 TABC> ABC", "4:21>3:0 TABC>SELL ABC",
                                                     "1:31>4:21 CDU>TABC ABC"}));
    }
  }
}

TEST_F(InventoryLinks, UtilityRecordsHaveNoTagsAndNoTank) {
  AddInventory(21);
  CDbPeriod& period = Period("A");
  End(period.m_paLinks3, 21, 0, 0, 7);
  End(period.m_paLinks4, 21, 1, 31, 7);
  Fill();
  EXPECT_EQ(period.m_paLinkData.GetSize(), 0);
  ASSERT_EQ(period.m_paUtilityLinkData.GetSize(), 1);
  const CDbLinkData& r = *period.m_paUtilityLinkData.GetAt(0);
  EXPECT_EQ(r.m_nDestinationID, 31);
  EXPECT_EQ(r.m_nDestinationUnitTypeID, 1);
  EXPECT_TRUE(r.m_strNodeFrom.empty() && r.m_strNodeTo.empty() && r.m_strSTRMID.empty());
}

TEST_F(InventoryLinks, UnitTagsOfLinkEnds) {
  struct Case {
    std::int32_t type;
    std::int32_t unit;
    const char* tag;
  };
  for (const Case& c : {Case{0, 0, "BUY"}, Case{1, 31, "CDU"}, Case{1, 32, ""}, Case{2, 41, "BPRM"},
                        Case{2, 42, ""}, Case{3, 0, "SELL"}, Case{4, 0, "TABC"}, Case{5, 0, ""}}) {
    CDbLink end(21, c.unit);
    end.m_nUnitTypeID = c.type;
    EXPECT_EQ(m_solution->GetLinkUnitTag(&end, m_model), c.tag) << c.type << " " << c.unit;
  }
  CDbLink unit(21, 31);
  unit.m_nUnitTypeID = 1;
  EXPECT_EQ(m_solution->GetLinkUnitTag(&unit, nullptr), "");
  EXPECT_EQ(m_solution->GetLinkUnitTag(nullptr, m_model), "");
}

}  // namespace
