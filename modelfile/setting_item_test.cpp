#include "modelfile/setting_item.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "modelfile/setting_item_list.h"

namespace {

TEST(SettingItemTest, NumberTexts) {
  struct IntCase {
    const char* text;
    std::int32_t value;
  };
  for (const IntCase& c : std::initializer_list<IntCase>{{"12abc", 12},
                                                         {"abc", 0},
                                                         {"", 0},
                                                         {"  -7", -7},
                                                         {"+5", 5},
                                                         {"2.9", 2},
                                                         {"99999999999", std::numeric_limits<std::int32_t>::max()},
                                                         {"-99999999999", std::numeric_limits<std::int32_t>::min()}}) {
    CSettingInt item(nullptr, 0, "I", 0, 42);
    item.SetValueFromText(c.text);
    EXPECT_EQ(item.GetValue(), c.value) << c.text;
  }
  CSettingInt negative(nullptr, 0, "I", 0, -2147483647 - 1);
  EXPECT_EQ(negative.GetValueText(), "-2147483648");

  struct DoubleCase {
    const char* text;
    double value;
    const char* back;
  };
  for (const DoubleCase& c : std::initializer_list<DoubleCase>{{"1e-6", 1e-6, "1e-06"},
                                                               {"0.1", 0.1, "0.1"},
                                                               {"  2.5xyz", 2.5, "2.5"},
                                                               {"none", 0.0, "0"},
                                                               {"1e30", 1e30, "1e+30"},
                                                               {"-1e30", -1e30, "-1e+30"},
                                                               {"123456789012345678", 123456789012345678.0,
                                                                "1.23456789012346e+17"}}) {
    CSettingDouble item(nullptr, 0, "D", 0, 42.0);
    item.SetValueFromText(c.text);
    EXPECT_EQ(item.GetValue(), c.value) << c.text;
    EXPECT_EQ(item.GetValueText(), c.back) << c.text;
  }
  EXPECT_EQ(CSettingDouble(nullptr, 0, "D", 0, 1.0 / 24).GetValueText(), "0.0416666666666667");
}

TEST(SettingItemTest, NumberTextsIgnoreTheProcessLocale) {
  const char* german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  if (!german) GTEST_SKIP() << "no de_DE locale installed";
  CSettingDouble item(nullptr, 0, "D", 0, 2.5);
  EXPECT_EQ(item.GetValueText(), "2.5");
  item.SetValueFromText("0.25");
  EXPECT_EQ(item.GetValue(), 0.25);
  std::setlocale(LC_NUMERIC, "C");
}

TEST(SettingItemTest, TypedSetReportsChanges) {
  CSettingStr str(nullptr, 0, "S", 0, "Access");
  EXPECT_FALSE(str.SetValue("Access"));
  EXPECT_TRUE(str.SetValue("access"));
  EXPECT_EQ(str.GetValue(), "access");

  CSettingInt integer(nullptr, 0, "I", 0, 3);
  EXPECT_FALSE(integer.SetValue(3));
  EXPECT_TRUE(integer.SetValue(4));

  CSettingDouble dbl(nullptr, 0, "D", 0, 1.0);
  EXPECT_FALSE(dbl.SetValue(1.0));
  EXPECT_TRUE(dbl.SetValue(NAN));
  EXPECT_TRUE(dbl.SetValue(NAN));
  EXPECT_TRUE(std::isnan(dbl.GetValue()));
}

TEST(SettingItemTest, DateTimeTextsAndChanges) {
  using plat::OleDateTime;
  CSettingDateTime item(nullptr, 0, "T", 0);
  EXPECT_EQ(item.GetValueText(), "");
  item.SetValueFromText("6/15/2024 3:30:05 PM");
  EXPECT_EQ(item.GetValueText(), "6/15/2024 3:30:05 PM");
  item.SetValueFromText("");
  EXPECT_EQ(item.GetValue().GetValue(), 0.0);
  EXPECT_TRUE(item.GetValue().IsValid());
  item.SetValueFromText("not a date");
  EXPECT_EQ(item.GetValue().GetStatus(), OleDateTime::Status::invalid);
  EXPECT_EQ(item.GetValueText(), "Invalid DateTime");
  EXPECT_EQ(CSettingDateTime(nullptr, 0, "T", 0, OleDateTime::Null()).GetValueText(), "");
  EXPECT_EQ(CSettingDateTime(nullptr, 0, "T", 0, OleDateTime(0.4 / 86400)).GetValueText(), "");
  EXPECT_EQ(CSettingDateTime(nullptr, 0, "T", 0, OleDateTime(2.042372685185185)).GetValueText(),
            "1/1/1900 1:01:01 AM");

  const double base = OleDateTime(2024, 6, 15, 10, 0, 0).GetValue();
  struct Case {
    OleDateTime from, to;
    bool changed;
  };
  const Case cases[] = {
      {OleDateTime(base), OleDateTime(base + 0.4 / 86400), false},
      {OleDateTime(base), OleDateTime(base + 0.6 / 86400), true},
      {OleDateTime(base), OleDateTime::Null(), true},
      {OleDateTime::Null(), OleDateTime::Null(), false},
      {OleDateTime(1e9), OleDateTime(-1e9), true},  // both invalid
  };
  for (const Case& c : cases) {
    CSettingDateTime dt(nullptr, 0, "T", 0, c.from);
    EXPECT_EQ(dt.SetValue(c.to), c.changed) << c.from.GetValue() << " -> " << c.to.GetValue();
    EXPECT_EQ(dt.GetValue().GetValue(), c.to.GetValue());  // always stored
    EXPECT_EQ(dt.GetValue().GetStatus(), c.to.GetStatus());
  }
}

// A small block: the items of a list live beside it, as in a settings block.
struct Block {
  CSettingItemList list;
  CSettingStr a{&list, 0, "Alpha", 3, "x"};
  CSettingInt b{&list, 0, "Beta", 1, 1};
  CSettingDouble c{&list, 0, "Gamma", 2, 0.5};
  CSettingDateTime d{&list, 0, "Delta", 5};
};

TEST(SettingItemListTest, FindFromWrapsAround) {
  Block block;
  EXPECT_EQ(block.list.Find("Gamma"), &block.c);
  EXPECT_EQ(block.list.Find("gamma"), nullptr);

  int position = 3;  // on the last item
  EXPECT_EQ(block.list.FindFrom("Beta", position), &block.b);
  EXPECT_EQ(position, 2);
  EXPECT_EQ(block.list.FindFrom("Gamma", position), &block.c);
  EXPECT_EQ(position, 3);
  EXPECT_EQ(block.list.FindFrom("Delta", position), &block.d);
  EXPECT_EQ(position, CSettingItemList::kNoPosition);
  EXPECT_EQ(block.list.FindFrom("Alpha", position), &block.a);
  EXPECT_EQ(position, 1);
  EXPECT_EQ(block.list.FindFrom("Missing", position), nullptr);
  EXPECT_EQ(position, CSettingItemList::kNoPosition);

  position = CSettingItemList::kNoPosition;
  EXPECT_TRUE(block.list.SetValueText("Beta", "17", position));
  EXPECT_EQ(block.b.GetValue(), 17);
  EXPECT_FALSE(block.list.SetValueText("Nope", "1", position));
}

TEST(SettingItemListTest, CopyFromCopiesTextsAndReportsTheLowestLevel) {
  Block target, source;
  source.b.SetValue(9);
  source.c.SetValue(0.1 + 0.2);
  source.a.SetValue("x");

  std::int32_t level = 100;
  EXPECT_TRUE(target.list.CopyFrom(&source.list, -1, &level));
  EXPECT_EQ(level, 1);
  EXPECT_EQ(target.b.GetValue(), 9);
  EXPECT_EQ(target.c.GetValue(), 0.3);  // through 15 significant digits
  for (int i = 0; i < target.list.GetCount(); ++i)
    EXPECT_EQ(target.list.GetAt(i)->GetValueText(), source.list.GetAt(i)->GetValueText());

  // Equal texts, a group no item has, a null source: nothing changes, the level stays.
  level = 100;
  EXPECT_FALSE(target.list.CopyFrom(&source.list, -1, &level));
  source.b.SetValue(10);
  EXPECT_FALSE(target.list.CopyFrom(&source.list, 7, &level));
  EXPECT_EQ(target.b.GetValue(), 9);
  EXPECT_FALSE(target.list.CopyFrom(nullptr, -1, &level));
  EXPECT_EQ(level, 100);
}

TEST(SettingItemListTest, CopyFromAShorterListStopsAtItsEnd) {
  Block target;
  CSettingItemList shortList;
  CSettingStr only(&shortList, 0, "Alpha", 0, "y");
  EXPECT_TRUE(target.list.CopyFrom(&shortList, -1));
  EXPECT_EQ(target.a.GetValue(), "y");
  EXPECT_EQ(target.b.GetValue(), 1);
}

struct NameCollector : ISettingWriter {
  void Write(CSettingItem* item) override { names += item->GetName() + ";"; }
  std::string names;
};

TEST(SettingItemListTest, ForEachWalksInListOrder) {
  Block block;
  NameCollector collector;
  block.list.ForEach(collector);
  EXPECT_EQ(collector.names, "Alpha;Beta;Gamma;Delta;");
}

}  // namespace
