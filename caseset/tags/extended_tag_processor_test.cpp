#include "caseset/tags/extended_tag_processor.h"

#include <gtest/gtest.h>

#include "caseset/vorn_db_export_data.h"
#include "platform/xml_dom.h"

namespace {

std::string Alias(const std::string& shortTag, const std::string& extendedTag, const std::string& more = "") {
  return "<TagAlias><ExtendedTag>" + extendedTag + "</ExtendedTag><ShortTag>" + shortTag + "</ShortTag>" + more +
         "</TagAlias>";
}

class ExtendedTagProcessor : public ::testing::Test {
 protected:
  void Read(const std::string& xml) {
    plat::XmlDocument document;
    ASSERT_TRUE(document.LoadXml(xml)) << document.ParseError();
    m_export.ReadExtendedTagProcessor(document.DocumentElement());
  }
  CExtendedTagProcessor& processor() { return *m_export.m_pTagProcessor; }
  CVornDbExportData m_export{nullptr};
};

TEST_F(ExtendedTagProcessor, ReadsCountersStringsTablesAndVpoolTags) {
  Read("<ExtendedTagProcessor><ThreeCharTagCreationIndex> 42x</ThreeCharTagCreationIndex>"
       "<ResolvedMode>M</ResolvedMode><AccessDatabaseFilePath>C:\\db.mdb</AccessDatabaseFilePath>"
       "<ShortTagSortedPeriods>" + Alias("1", "January") + Alias("2", "February") + Alias("3", "March") +
       "</ShortTagSortedPeriods>"
       "<Plants>" + Alias("A", "Alpha", "<DatabaseIndex>3</DatabaseIndex><DatabaseIndex>5</DatabaseIndex>") +
       "<TagAlias><ShortTag>B</ShortTag></TagAlias>" + Alias("C", "Charlie") + "</Plants>"
       "<VpoolTags><Value>V1</Value><Other>x</Other><Value>V2</Value></VpoolTags>"
       "<UnknownElement>7</UnknownElement></ExtendedTagProcessor>");
  CExtendedTagProcessor& p = processor();
  EXPECT_EQ(p.m_nThreeCharTagCreationIndex, 42);
  EXPECT_EQ(p.m_nSubmodelTagCreationIndex, 12168);
  EXPECT_EQ(p.m_nCrudeUnitTagCreationIndex, 52);
  EXPECT_EQ(p.m_strResolvedMode, "M");
  EXPECT_EQ(p.m_strAccessDatabaseFilePath, "C:\\db.mdb");
  EXPECT_EQ(p.m_lstVpoolTags, (std::vector<std::string>{"V1", "V2"}));
  ASSERT_EQ(p.m_aPlants.GetSize(), 2);  // the alias without an extended tag is skipped
  EXPECT_EQ(p.m_aPlants[0]->m_nDatabaseIndex, 5);
  EXPECT_EQ(p.m_aPlants[1]->m_nDatabaseIndex, -1);
  EXPECT_EQ(p.m_lstReservedTags.size(), 39u);

  EXPECT_EQ(p.GetExtendedPeriodTag("2"), "February");
  EXPECT_EQ(p.GetExtendedPeriodTag("4"), "4");
  EXPECT_EQ(p.GetShortPlantTag("Charlie"), "C");
  EXPECT_EQ(p.GetShortPlantTag("Delta"), "");
  EXPECT_EQ(p.GetShortPlantTag("."), ".");
  EXPECT_EQ(p.GetShortPeriodTag("April"), "April");
  EXPECT_EQ(p.GetShortPeriodTag("."), ".");

  // A second element fills the same processor: tables append, counters overwrite.
  Read("<ExtendedTagProcessor><ThreeCharTagCreationIndex>7</ThreeCharTagCreationIndex><Plants>" +
       Alias("D", "Delta") + "</Plants></ExtendedTagProcessor>");
  EXPECT_EQ(p.m_nThreeCharTagCreationIndex, 7);
  EXPECT_EQ(p.GetShortPlantTag("Delta"), "D");
  EXPECT_EQ(p.GetShortPlantTag("Alpha"), "A");
}

TEST_F(ExtendedTagProcessor, LookupsSearchTheTablesInDocumentOrder) {
  Read("<ExtendedTagProcessor><ShortTagSortedSubmodels>" + Alias("S01", "Sub one") +
       "</ShortTagSortedSubmodels><ShortTagSorted3CharTags>" + Alias("S01", "Three one") + Alias("X01", "LIGHT") +
       "</ShortTagSorted3CharTags><ShortTagSortedMarkets>" + Alias("Z", "Zulu") + Alias("M", "Mike") + Alias("A", "Alpha") +
       "</ShortTagSortedMarkets></ExtendedTagProcessor>");
  CExtendedTagProcessor& p = processor();
  EXPECT_EQ(p.GetExtendedSubmodelTag("S01"), "Sub one");
  EXPECT_EQ(p.GetExtendedSubmodelTag("X01"), "LIGHT");
  EXPECT_EQ(p.GetExtendedThreeCharTag("x01"), "x01");
  // Out of key order in the document: the search misses.
  EXPECT_EQ(p.GetExtendedMarketTag("A"), "A");
  EXPECT_EQ(p.GetExtendedModeTag("A"), "A");
}

TEST_F(ExtendedTagProcessor, ShortTagsAreCreatedFromTheCounter) {
  CExtendedTagProcessor p;
  EXPECT_EQ(p.GetShortTag("VBL", false), "VBL");
  EXPECT_EQ(p.GetShortTag("VBL", true), "VBL");
  EXPECT_TRUE(p.m_aThreeCharTags.IsEmpty());

  EXPECT_EQ(p.GetShortTag("Light crude", false), "AAA");
  EXPECT_EQ(p.m_nThreeCharTagCreationIndex, 1);
  EXPECT_EQ(p.GetShortTag("Light crude", false), "AAA");
  EXPECT_EQ(p.GetExtendedThreeCharTag("AAA"), "AAA");  // the short-sorted table is not updated

  p.m_nThreeCharTagCreationIndex = 4;
  p.m_aThreeCharTags.Add(std::make_unique<CTagAlias>("AAE", "Existing"));
  p.m_aThreeCharTags.Sort(&CTagAlias::CompareExtendedTag);
  EXPECT_EQ(p.GetShortTag("Heavy", false), "AAF");
  EXPECT_EQ(p.m_nThreeCharTagCreationIndex, 6);

  // keep: a three-character tag is its own short tag, even when taken.
  EXPECT_EQ(p.GetShortTag("AAE", true), "AAE");
  EXPECT_EQ(p.m_nThreeCharTagCreationIndex, 7);
  EXPECT_EQ(p.GetShortTag("ABCD", true), "AAH");

  // Reserved codes are skipped.
  CExtendedTagProcessor q;
  q.m_nThreeCharTagCreationIndex = 1 * 676 + 19 * 26 + 12;  // "BTM", then reserved "BTU" further on
  for (int i = 0; i < 9; ++i) q.GetShortTag("T" + std::to_string(i), false);
  EXPECT_EQ(q.GetShortTag("Next", false), "BTW");  // BTM..BTT, BTV (BTU reserved), then BTW

  CExtendedTagProcessor full;
  full.m_nThreeCharTagCreationIndex = CExtendedTagProcessor::kThreeLetterCodes - 2;  // "ZZY"
  full.m_aThreeCharTags.Add(std::make_unique<CTagAlias>("ZZY", "Taken"));
  EXPECT_EQ(full.GetShortTag("Last", false), "ZZZ");
  EXPECT_EQ(full.m_nThreeCharTagCreationIndex, CExtendedTagProcessor::kThreeLetterCodes + 1);
  EXPECT_EQ(full.GetShortTag("Beyond", false), "");

  CExtendedTagProcessor negative;
  negative.m_nThreeCharTagCreationIndex = -5;
  EXPECT_EQ(negative.GetShortTag("Odd", false), "AAA");
}

}  // namespace
