#include "caseset/modeltables/matrix_directory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "caseset/modeltables/table_file_fixtures.h"
#include "caseset/modeltables/table_files.h"

namespace {

using table_fixtures::ByteWriter;

// A classic directory with two streams, one utility, one group, no D/E/F;
// withH adds list H and the blocks, withI adds text list I.
std::string ClassicDirectory(bool withH, bool withI) {
  ByteWriter w;
  w.Int32(99).Int32(2).Int32(1);
  w.Fixed("S001", 4).Fixed("S002", 4).Fixed("UT01", 4);
  w.Int16(11).Int16(12);
  for (int k = 0; k < 4; ++k)
    for (int row = 0; row < 4000; ++row) w.Int16(static_cast<std::int16_t>(k * 10000 + row % 1000));
  w.Int32(1).Int32(0).Int32(0).Int32(0);
  w.Fixed("GA01", 4).Fixed("GB01", 4);
  w.Float(0.5f).Float(0.0f);
  w.Pad(8000);
  w.Int32(7).Int32(8).Int32(1).Fixed("GNAME   ", 8).Int16(5);
  if (withH) {
    w.Int32(1).Fixed("HNAME", 10, '_');
    w.Pad(3 * 16384);
  }
  if (withI) w.Int32(1).Fixed("a text", 24);
  return w.m_bytes;
}

TEST(MatrixDirectory, ClassicLayoutWithOptionalTail) {
  for (const auto& [withH, withI] : {std::pair{false, false}, std::pair{true, false}, std::pair{true, true}}) {
    const std::string bytes = ClassicDirectory(withH, withI);
    CTableFileCursor cursor(bytes);
    CMatrixDirectoryData data;
    std::string error;
    ASSERT_TRUE(ReadClassicMatrixDirectory(cursor, data, error)) << error;
    const CMatrixDirectory& d = data.m_MatrixDirectory;
    EXPECT_EQ(d.m_nStreams, 2);
    EXPECT_EQ(d.m_aStreamCodes, (std::vector<std::string>{"S001", "S002"}));
    EXPECT_EQ(d.m_aUtilityCodes[0], "UT01");
    EXPECT_EQ(d.m_aCrossTable[5][2], 20005);  // plane k fills column k
    EXPECT_EQ(d.m_aGroupPairs[0], (std::pair<std::string, std::string>{"GA01", "GB01"}));
    EXPECT_EQ(d.m_aStreamVtw, (std::vector<float>{0.5f, 0.0f}));
    EXPECT_EQ(d.m_nHeaderWord2, 8);
    EXPECT_EQ(d.m_aNameListG[0], "GNAME   ");  // nothing trimmed
    EXPECT_EQ(d.m_aNameListGAttributes[0], 5);
    EXPECT_EQ(d.m_nNameListH, withH ? 1 : 0);
    EXPECT_EQ(d.m_aBlock3.size(), withH ? 16384u : 0u);
    EXPECT_EQ(d.m_aTextListI, withI ? std::vector<std::string>{"a text                  "} : std::vector<std::string>{});
  }
}

TEST(MatrixDirectory, DamagedClassicDirectoryIsResetAndFails) {
  const std::string full = ClassicDirectory(true, true);
  std::string hugeStreams = full;
  const std::int32_t huge = 0x40000000;
  std::memcpy(hugeStreams.data() + 4, &huge, 4);
  // Cut in the stream codes, in the cross table, in the blocks, in text list I.
  for (const std::string& bytes : {std::string(), full.substr(0, 10), full.substr(0, 5000), full.substr(0, 60000),
                                   full.substr(0, full.size() - 3), hugeStreams}) {
    CTableFileCursor cursor(bytes);
    CMatrixDirectoryData data;
    data.m_MatrixDirectory.m_nStreams = 3;
    std::string error;
    EXPECT_FALSE(ReadClassicMatrixDirectory(cursor, data, error)) << bytes.size();
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(data.m_MatrixDirectory.m_nStreams, 0);
    EXPECT_TRUE(data.m_MatrixDirectory.m_aStreamCodes.empty());
  }
}

std::string TextGroup(int entries, const std::vector<std::string>& texts) {
  const std::string block = table_fixtures::ZeroBlock(texts);
  ByteWriter w;
  w.Int32(entries).Int32(static_cast<std::int32_t>(block.size())).Raw(block.data(), block.size());
  return w.m_bytes;
}

std::string CompactDirectory(const std::vector<std::string>& namedValues, int distinct) {
  ByteWriter w;
  w.Int32(4).Int32(2);
  w.Byte('?').Fixed("S001", 4).Int16(1).Double(0.75).Int16(21);
  w.Byte('\xff').Fixed("S002", 4).Int16(2).Double(1e300).Int16(22);
  w.Int32(1).Byte('x').Fixed("UT01", 4);
  w.Int32(1).Byte(0).Fixed("GA01", 4).Byte(0).Fixed("GB01", 4);
  w.Int32(0);
  w.Int32(1).Byte('x').Fixed("GNAME", 8);
  w.m_bytes += TextGroup(1, {"one", "two"});
  w.m_bytes += TextGroup(1, {"a", "b", "c", "d"});
  w.m_bytes += TextGroup(0, {});
  w.m_bytes += TextGroup(1, {"eight"});
  w.m_bytes += TextGroup(static_cast<int>(namedValues.size()), namedValues);
  for (int i = 0; i < distinct; ++i) w.Int32(100 + i);
  for (int i = 0; i < distinct; ++i) w.Double(0.5 + i);
  w.m_bytes += TextGroup(1, {"nine"});
  return w.m_bytes;
}

TEST(MatrixDirectory, CompactLayoutSkipsMarksAndEntersNamesOnce) {
  const std::string bytes = CompactDirectory({"P", "Q", "P"}, 2);
  CTableFileCursor cursor(bytes);
  CMatrixDirectoryData data;
  data.m_aTextLists[6] = {"stale"};
  std::string error;
  ASSERT_TRUE(ReadCompactMatrixDirectory(cursor, data, error)) << error;
  EXPECT_TRUE(cursor.AtEnd());
  const CMatrixDirectory& d = data.m_MatrixDirectory;
  EXPECT_EQ(d.m_nHeaderWord1, 4);
  EXPECT_EQ(d.m_aStreamCodes, (std::vector<std::string>{"S001", "S002"}));
  EXPECT_EQ(d.m_aStreamVtw[0], 0.75f);
  EXPECT_TRUE(std::isinf(d.m_aStreamVtw[1]));
  EXPECT_EQ(d.m_aStreamAttribute2[1], 22);
  EXPECT_EQ(d.m_aStreamAttribute2.size(), 4000u);
  EXPECT_EQ(d.m_aUtilityCodes[0], "UT01");
  EXPECT_EQ(d.m_aGroupPairs[0].second, "GB01");
  EXPECT_EQ(d.m_aNameListG[0], "GNAME   ");
  EXPECT_EQ(data.m_aTextLists[0], std::vector<std::string>{"one"});
  EXPECT_EQ(data.m_aTextLists[1], std::vector<std::string>{"two"});
  EXPECT_EQ(data.m_aTextLists[5], std::vector<std::string>{"d"});
  EXPECT_TRUE(data.m_aTextLists[6].empty());
  EXPECT_EQ(data.m_aTextLists[7], std::vector<std::string>{"eight"});
  EXPECT_EQ(data.m_aTextLists[8], std::vector<std::string>{"nine"});
  ASSERT_EQ(data.m_NamedValues.GetCount(), 2);
  EXPECT_EQ(data.m_NamedValues.Find("Q")->m_nNumber, 101);
  EXPECT_EQ(data.m_NamedValues.Find("Q")->m_dValue, 1.5);

  // A second read replaces the named values.
  const std::string later = CompactDirectory({"R"}, 1);
  CTableFileCursor again(later);
  ASSERT_TRUE(ReadCompactMatrixDirectory(again, data, error));
  EXPECT_EQ(data.m_NamedValues.GetCount(), 1);
  EXPECT_EQ(data.m_NamedValues.Find("P"), nullptr);
}

TEST(MatrixDirectory, DamagedCompactDirectoryFails) {
  const std::string full = CompactDirectory({"P", "Q"}, 2);
  std::string manyGroupTexts = full;
  // Text group 1 claims 1000 entries.
  const std::size_t group1 = full.find("one") - 8;
  const std::int32_t thousand = 1000;
  std::memcpy(manyGroupTexts.data() + group1, &thousand, 4);
  for (const std::string& bytes : {full.substr(0, 6), full.substr(0, 20), full.substr(0, group1 + 6),
                                   full.substr(0, full.size() - 3), manyGroupTexts}) {
    CTableFileCursor cursor(bytes);
    CMatrixDirectoryData data;
    std::string error;
    EXPECT_FALSE(ReadCompactMatrixDirectory(cursor, data, error)) << bytes.size();
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(data.m_MatrixDirectory.m_nStreams, 0);
  }
}

}  // namespace
