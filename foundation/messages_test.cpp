#include "foundation/messages.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/message_box.h"
#include "platform/string_table.h"

namespace {

const plat::StringTableRegistrar kTestTexts(
    plat::StringTable::Program,
    {{99001, "Table %1 in %2 of %3"},
     {99002, "Column %2 before %1 in %3"},
     {99003, "Value %1 twice %1"},
     {99004, "Rate %d%% of %1: 100%% %s %x"},
     {99005, "%4/%3/%2/%1"},
     {99006, "Cannot open"}});

std::string CapturedBox(const std::function<void()>& show) {
  testing::internal::CaptureStderr();
  show();
  return testing::internal::GetCapturedStderr();
}

TEST(Messages, FormatResStringFillsPlacesInOrderOfAppearance) {
  struct Case {
    std::uint32_t id;
    std::string expected;
  } cases[] = {
      {99001, "Table a in b of c"},
      {99002, "Column a before b in c"},  // the first text takes the first place
      {99003, "Value a twice %1"},        // only the first "%1" is a place
      {99004, "Rate %d% of a: 100% %s %x"},  // never a format string
      {99006, "Cannot open"},
      {12345678, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatResString3(c.id, "a", "b", "c"), c.expected) << c.id;
  }
  EXPECT_EQ(FormatResString4(99005, "a", "b", "c", "d"), "a/b/c/d");
  // An insertion that holds a place marker is not substituted again.
  EXPECT_EQ(FormatResString3(99001, "%2", "%%", "x"), "Table %2 in %% of x");
}

TEST(Messages, FormatString1FillsEveryPlace) {
  EXPECT_EQ(FormatString1("Value %1 twice %1", "v"), "Value v twice v");
  EXPECT_EQ(FormatString2("%2 and %1 and %2", "a", "%1"), "%1 and a and %1");
}

TEST(Messages, BoxesGoToStandardErrorAndReturnTheirDefaults) {
  EXPECT_EQ(CapturedBox([] { EXPECT_FALSE(ShowErrorMessage("boom", true)); }), "Error: boom\n");
  EXPECT_EQ(CapturedBox([] { EXPECT_FALSE(ShowFormattedError1(99003, "x")); }),
            "Error: Value x twice x\n");
  EXPECT_EQ(CapturedBox([] { EXPECT_FALSE(ShowFormattedError3(99002, "a", "b", "c")); }),
            "Error: Column a before b in c\n");
  EXPECT_EQ(CapturedBox([] { EXPECT_EQ(ShowInfoMessage("note"), 0); }), "Warning: note\n");
  EXPECT_EQ(CapturedBox([] { EXPECT_EQ(ShowInfoMessage("note", "Load"), 0); }), "Load: note\n");
  EXPECT_EQ(CapturedBox([] { EXPECT_EQ(AskYesNo("Go on?", "Q"), plat::kIdNo); }), "Q: Go on?\n");
  EXPECT_EQ(CapturedBox([] { EXPECT_EQ(AskYesNoId(99006, 0), plat::kIdNo); }), "Cannot open\n");
}

TEST(Messages, DetailAddsTheNameInBracketsOnlyWhenGiven) {
  EXPECT_EQ(CapturedBox([] { EXPECT_FALSE(ShowErrorMessageDetail(99006, "f.xls", "Sheet1")); }),
            "Error: Cannot open\n\nf.xls[Sheet1]\n");
  EXPECT_EQ(CapturedBox([] { EXPECT_FALSE(ShowErrorMessageDetail(99006, "f.xls", "")); }),
            "Error: Cannot open\n\nf.xls\n");
}

}  // namespace
