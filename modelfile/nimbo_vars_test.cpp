#include "modelfile/nimbo_vars.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Store(CNimbo_Vars& vars) {
  std::ostringstream out;
  plat::Archive ar(out);
  vars.Serialize(ar);
  ar.Flush();
  return out.str();
}

void Load(CNimbo_Vars& vars, const std::string& bytes) {
  std::istringstream in(bytes);
  plat::Archive ar(in);
  vars.Serialize(ar);
}

std::string Int32(std::uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
  return bytes;
}

// The archive's string form: one length byte, or 0xFF and 16 bits, or 0xFF, 0xFFFF and 32 bits.
std::string ArchivedString(const std::string& text) {
  const std::size_t n = text.size();
  std::string prefix;
  if (n < 0xFF) {
    prefix = std::string(1, static_cast<char>(n));
  } else if (n < 0xFFFE) {
    prefix = "\xFF" + Int32(static_cast<std::uint32_t>(n)).substr(0, 2);
  } else {
    prefix = std::string("\xFF\xFF\xFF", 3) + Int32(static_cast<std::uint32_t>(n));
  }
  return prefix + text;
}

void Fill(CNimbo_Vars& vars) {
  for (std::size_t i = 0; i < 8; ++i) vars.m_nCounters[i] = static_cast<std::int32_t>(i + 1);
  for (std::size_t i = 0; i < CNimbo_Vars::kListCount; ++i) vars.m_lists[i] = {"list" + std::to_string(i + 1), "x"};
  auto input = std::make_unique<CSiInputValue>();
  input->m_strText1 = "in";
  input->m_nInt4 = 7;
  input->m_bFlag2 = true;
  input->m_dValue = 2.5;
  vars.m_valueArray1.Add(std::move(input));
  vars.m_valueArray2.Add(std::make_unique<CSiInputValue>());
  auto output = std::make_unique<CSiOutputValue>();
  output->m_strText5 = "out";
  output->m_bFlag1 = false;
  vars.m_valueArray3.Add(std::move(output));
  vars.m_valueArray4.Add(std::make_unique<CSiOutputValue>());
  vars.m_valueArray5.Add(std::make_unique<CSiInputValue>());
  vars.m_valueArray6.Add(std::make_unique<CSiInputValue>());  // not archived
  auto curve = std::make_unique<CCurve>();
  curve->m_nNumber = 3;
  curve->m_strText2 = "curve";
  auto point = std::make_unique<CCurveValue>();
  point->m_nIndex = 1;
  point->m_dX = 0.5;
  point->m_dY = -4;
  curve->m_values.Add(std::move(point));
  vars.m_curves.Add(std::move(curve));
  auto kesh = std::make_unique<CKesh>();
  kesh->m_strName = "blend";
  kesh->m_names = {"a", "b"};
  vars.m_keshes.Add(std::move(kesh));
  auto usr = std::make_unique<CUsrEqn>();
  usr->m_strText1 = "first";
  usr->m_strText2 = "second";
  usr->m_names2 = {"v"};
  vars.m_usrEqns.Add(std::move(usr));
  auto tulo = std::make_unique<CTuloEqn>();
  tulo->m_nOwn1 = 9;
  tulo->m_nInt2 = 4;
  vars.m_tuloEqns.Add(std::move(tulo));
  auto calc = std::make_unique<CPCalc>();
  calc->m_strText2 = "calc";
  vars.m_pCalcs.Add(std::move(calc));
  vars.m_doubles1 = {1.0, 1e30};
  vars.m_doubles2 = {5.0};
  vars.m_hashMap["key"] = 1;
}

TEST(NimboVars, AnEmptyContainerIs132ZeroBytes) {
  CNimbo_Vars vars;
  EXPECT_EQ(Store(vars), std::string(132, '\0'));
}

TEST(NimboVars, TextsAndCountsInTheArchiveLayout) {
  for (const std::size_t length : {0u, 254u, 255u, 65533u, 65534u, 70000u}) {
    SCOPED_TRACE(length);
    CNimbo_Vars vars;
    vars.m_lists[0] = {std::string(length, 'q')};
    const std::string bytes = Store(vars);
    EXPECT_EQ(bytes.substr(28, 4), Int32(1));
    EXPECT_EQ(bytes.substr(32, bytes.size() - 132), ArchivedString(std::string(length, 'q')));
    CNimbo_Vars loaded;
    Load(loaded, bytes);
    EXPECT_EQ(loaded.m_lists[0], vars.m_lists[0]);
  }
  // Counts are plain 32-bit integers, also where the short count form would escape.
  for (const std::uint32_t count : {65534u, 65535u}) {
    SCOPED_TRACE(count);
    CNimbo_Vars vars;
    vars.m_doubles1.assign(count, 0.25);
    const std::string bytes = Store(vars);
    EXPECT_EQ(bytes.size(), 132u + 8u * count);
    EXPECT_EQ(bytes.substr(124, 4), Int32(count));
    CNimbo_Vars loaded;
    Load(loaded, bytes);
    EXPECT_EQ(loaded.m_doubles1.size(), count);
  }
}

TEST(NimboVars, AFilledContainerComesBack) {
  CNimbo_Vars vars;
  Fill(vars);
  const std::string bytes = Store(vars);
  CNimbo_Vars loaded;
  Load(loaded, bytes);
  EXPECT_EQ(Store(loaded), bytes);

  for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(loaded.m_nCounters[i], static_cast<std::int32_t>(i + 1));
  EXPECT_EQ(loaded.m_nCounters[7], 0);  // the eighth is not archived
  EXPECT_EQ(loaded.GetPeriodCount(), 7);
  EXPECT_EQ(loaded.m_lists[12][0], "list13");  // stored after the 14th, back in its place
  EXPECT_EQ(loaded.m_lists[13][0], "list14");
  ASSERT_EQ(loaded.m_valueArray1.GetSize(), 1);
  EXPECT_EQ(loaded.m_valueArray1[0]->m_strText1, "in");
  EXPECT_EQ(loaded.m_valueArray1[0]->m_nInt4, 7);
  EXPECT_TRUE(loaded.m_valueArray1[0]->m_bFlag2);
  EXPECT_EQ(loaded.m_valueArray1[0]->m_dValue, 2.5);
  ASSERT_EQ(loaded.m_valueArray3.GetSize(), 1);
  EXPECT_EQ(loaded.m_valueArray3[0]->m_strText5, "out");
  EXPECT_FALSE(loaded.m_valueArray3[0]->m_bFlag1);
  EXPECT_EQ(loaded.m_valueArray6.GetSize(), 0);
  ASSERT_EQ(loaded.m_curves.GetSize(), 1);
  ASSERT_EQ(loaded.m_curves[0]->m_values.GetSize(), 1);
  EXPECT_EQ(loaded.m_curves[0]->m_values[0]->m_dY, -4);
  EXPECT_EQ(loaded.m_keshes[0]->m_names, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(loaded.m_usrEqns[0]->m_strText1, "first");
  EXPECT_EQ(loaded.m_usrEqns[0]->m_names2, std::vector<std::string>{"v"});
  EXPECT_EQ(loaded.m_tuloEqns[0]->m_nOwn1, 9);
  EXPECT_EQ(loaded.m_tuloEqns[0]->m_nInt2, 4);
  EXPECT_EQ(loaded.m_pCalcs[0]->m_strText2, "calc");
  EXPECT_EQ(loaded.m_doubles1, (std::vector<double>{1.0, 1e30}));
  EXPECT_TRUE(loaded.m_doubles2.empty());
  EXPECT_TRUE(loaded.m_hashMap.empty());
}

TEST(NimboVars, LoadingEmptiesAFilledContainerExceptTheCounters) {
  CNimbo_Vars empty;
  empty.m_nCounters[0] = 11;
  const std::string bytes = Store(empty);
  CNimbo_Vars vars;
  Fill(vars);
  Load(vars, bytes);
  EXPECT_EQ(vars.m_nCounters[0], 11);
  EXPECT_EQ(vars.GetPeriodCount(), 0);
  EXPECT_EQ(vars.m_nCounters[7], 8);
  for (const auto& list : vars.m_lists) EXPECT_TRUE(list.empty());
  EXPECT_TRUE(vars.m_valueArray6.IsEmpty());
  EXPECT_TRUE(vars.m_curves.IsEmpty());
  EXPECT_TRUE(vars.m_doubles1.empty());
  EXPECT_TRUE(vars.m_doubles2.empty());
  EXPECT_TRUE(vars.m_hashMap.empty());
}

TEST(NimboVars, ACurveKeepsItsSecondNumber) {
  CNimbo_Vars vars;
  vars.m_curves.Add(std::make_unique<CCurve>());
  vars.m_curves[0]->m_nNumber = 5;
  std::string bytes = Store(vars);
  // The curve record follows the counters, the 15 lists and the 4 value arrays and the curve count.
  const std::size_t curve = 28 + 15 * 4 + 4 * 4 + 4;
  ASSERT_EQ(bytes.substr(curve, 8), Int32(5) + Int32(5));
  bytes.replace(curve + 4, 4, Int32(6));
  CNimbo_Vars loaded;
  Load(loaded, bytes);
  EXPECT_EQ(loaded.m_curves[0]->m_nNumber, 6);
}

TEST(NimboVars, DamagedDataFailWithTheArchiveException) {
  CNimbo_Vars vars;
  Fill(vars);
  const std::string bytes = Store(vars);
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    CNimbo_Vars loaded;
    EXPECT_THROW(Load(loaded, bytes.substr(0, length)), CArchiveException) << "cut to " << length;
  }
  // Huge or negative counts of the first list, the first value array, the double array and the last array.
  const std::string empty(132, '\0');
  for (const std::size_t at : {28u, 88u, 124u, 128u}) {
    for (const std::uint32_t count : {0x7FFFFFFFu, 0xFFFFFFFFu}) {
      std::string damaged = empty;
      damaged.replace(at, 4, Int32(count));
      CNimbo_Vars loaded;
      EXPECT_THROW(Load(loaded, damaged), CArchiveException) << "count at " << at;
    }
  }
  // A record read in part stays in its array.
  CNimbo_Vars partial;
  EXPECT_THROW(Load(partial, empty.substr(0, 88) + Int32(1) + "\x02in"), CArchiveException);
  ASSERT_EQ(partial.m_valueArray1.GetSize(), 1);
  EXPECT_EQ(partial.m_valueArray1[0]->m_strText1, "in");
}

}  // namespace
