#include <gtest/gtest.h>

#include "caseset/tags/extended_tag_processor.h"

namespace {

struct NameCase {
  bool row;
  int type;
  const char* name;
  const char* output;
  const char* body;  // null: not checked
  const char* period;
  const char* plant;
  const char* market = "";
  const char* mode = "";
};

TEST(LpNames, NamesAreCutIntoTheirFields) {
  const NameCase cases[] = {
      {false, 1, "PURCABC1", "PURC:ABC:1", "PURC:ABC", "1", ""},
      {false, 0, "PURCABC1", "PURC:ABC:", "PURC:ABC", "", ""},
      {false, 3, "PURCABC", "PURC:ABC", "PURC:ABC", "", ""},
      {false, 3, "PURCABC12", "PURC:ABC:1:2", "PURC:ABC", "1", "2"},
      {false, 0, "SELLABC", "SELL:ABC", "SELL:ABC", "", ""},
      {false, 3, "SELABCM12", "SEL:ABC:M:1:2", "SEL:ABC:M", "1", "2", "M"},
      {false, 2, "SELLABC1", "SEL:LAB:C:1", "SEL:LAB:C", "", "1", "C"},
      {false, 0, "ASUPABC12", "ASUP:ABC:1:2", "ASUP:ABC", "2", "1"},
      {true, 1, "ASUPABC12", "ASUP:ABC:1:2", "ASUP:ABC", "2", ""},
      {true, 2, "ESELABC12", "ESEL:ABC:1:2", "ESEL:ABC", "2", "", "1"},
      {false, 1, "OBJFN001", "OBJFN00:1", "OBJFN00", "1", ""},
      {true, 0, "OBJFN", "OBJFN", "OBJFN", "", ""},
      {true, 3, "OBJFN0012", "OBJFN00:1:2", "OBJFN00", "1", "2"},
      {false, 0, "XPENALTY", "XPENALTY", "XPENALTY", "", ""},
      {true, 0, "MINOBJ", "MINOBJ", "MINOBJ", "", ""},
      {false, 1, "Q123ABCDEFG1", "Q:123:ABCDEFG:1", "Q123ABCDEFG1", "1", ""},
      {false, 0, "QABCDEFGHI", "Q:ABC:DEF:GHI", "Q:ABC:DEF:GHI", "", ""},
      {false, 0, "QABCDEFGHIJ", "Q:ABC:DEF:GHIJ", "Q:ABC:DEF:GHI", "", ""},
      {false, 3, "QABCDEFGH12", "Q:ABC:DEF:GH1:2", "Q:ABC:DEF:GH1", "", "2"},
      {false, 0, "QABCDEFGHIJKL", "Q:ABC:DEF:GHIJKL", "Q:ABC:DEF:", "", ""},
      {false, 3, "QABCDEFGHIJKL", "Q:ABC:DEF:K:L", "Q:ABC:DEF:", "K", "L"},
      {true, 1, "RABCDEFGHI1", "R:ABC:DEF:GHI:1", "RABCDEFGHI1", "1", ""},
      {true, 1, "Q123ABCDEF1", "Q:123:ABC:DEF:1", "Q123ABCDEF1", "1", ""},
      {true, 0, "Q123ABCDEFG", "Q:123:ABCDEFG", "Q123ABCDEFG", "", ""},
      {false, 0, "BABCDEF", "B:ABC:DEF", "B:ABC:DEF", "", ""},
      {false, 0, "BABCDEFGHI", "BABCDEFGHI", "BABCDEFGHI", "", ""},
      {false, 2, "TABC12M3", "T:ABC:1:2:M:3", "T:ABC:1:2:M", "3", "", "", "M"},
      {false, 1, "TABC12M3", "TABC12M3", "TABC12M3", "", ""},
      {true, 2, "etA.C12M", "et:A.C:1:2:M:", "et:A.C:1:2:M", "", "", "", "M"},
      {true, 2, "etABC12M", "e:tAB:C12:M", "e:tAB:C12", "", "M"},
      {true, 1, "eABCDEF1", "e:ABC:DEF:1", "e:ABC:DEF", "1", ""},
      {true, 2, "eABCDEF1", "e:ABC:DEF:1", "e:ABC:DEF", "", "1"},
      {true, 0, "PABC123456", "P:ABC:123456", "PABC123456", "", ""},
      {true, 2, "EPURCABC", "EPURC:ABC", "EPURC:ABC", "", ""},
      {true, 1, "EPURCABC7", "EPURC:ABC:7", "EPURC:ABC", "7", ""},
      {false, 0, "", "", "", "", ""},
      {true, 0, "?", "?", "?", "", ""},
  };
  CExtendedTagProcessor p;
  for (const NameCase& c : cases) {
    const std::string out = c.row ? p.ParseRowName(c.type, c.name, false) : p.ParseColumnName(c.type, c.name, false);
    const std::string what = std::string(c.row ? "row " : "column ") + c.name + " type " + std::to_string(c.type);
    EXPECT_EQ(out, c.output) << what;
    EXPECT_EQ(p.m_strResolvedLeft, c.body) << what;
    EXPECT_EQ(p.m_strResolvedPeriod, c.period) << what;
    EXPECT_EQ(p.m_strResolvedPlant, c.plant) << what;
    EXPECT_EQ(p.m_strResolvedMarket, c.market) << what;
    EXPECT_EQ(p.m_strResolvedMode, c.mode) << what;
  }
}

TEST(LpNames, ReplacementUsesTheAliasTables) {
  CExtendedTagProcessor p;
  p.m_aShortTagSorted3CharTags.Add(std::make_unique<CTagAlias>("X01", "LIGHTCRUDE"));
  p.m_aShortTagSortedPeriods.Add(std::make_unique<CTagAlias>("1", "January"));
  p.m_aShortTagSortedPlants.Add(std::make_unique<CTagAlias>("2", "Bayside"));
  EXPECT_EQ(p.ParseColumnName(0, "PURCX01", true), "PURC:LIGHTCRUDE");
  EXPECT_EQ(p.ParseColumnName(0, "PURCX02", true), "PURC:X02");
  EXPECT_EQ(p.ParseColumnName(3, "PURCX0112", true), "PURC:LIGHTCRUDE:January:Bayside");
  EXPECT_EQ(p.m_strResolvedPeriod, "January");
  EXPECT_EQ(p.m_strResolvedPlant, "Bayside");
  // The Q form keeps the characters in the resolved fields.
  EXPECT_EQ(p.ParseColumnName(1, "QX01ABCDEF1", true), "Q:LIGHTCRUDE:ABC:DEF:January");
  EXPECT_EQ(p.m_strResolvedPeriod, "1");
}

TEST(LpNames, SplitsKeepColonsOfColumnBodiesOnly) {
  CExtendedTagProcessor p;
  std::string body, period, plant;
  p.SplitColumnName(3, "PURCA:C12", body, period, plant);
  EXPECT_EQ(body, "PURCA:C");
  EXPECT_EQ(period, "1");
  EXPECT_EQ(plant, "2");
  p.SplitRowName(1, "EVBLA:C1", body, period, plant);
  EXPECT_EQ(body, "EVBLAC");
  EXPECT_EQ(period, "1");
  p.SplitRowName(0, "XPENALTY", body, period, plant);
  EXPECT_EQ(body, "XPENALTY");
  EXPECT_EQ(period, "");
}

}  // namespace
