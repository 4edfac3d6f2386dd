#include "results/objects/db_value_records.h"

#include <gtest/gtest.h>

#include <vector>

#include "results/objects/db_model.h"
#include "results/objects/db_transaction.h"

namespace {

// The m_nID of each element after sorting with the array's own order.
template <class T>
std::vector<std::int32_t> SortedIds(CAutoDestructArray<CPtrArray, T*>& array) {
  array.Sort(array.m_pfnCompare);
  std::vector<std::int32_t> ids;
  for (T* element : array) ids.push_back(element->m_nID);
  return ids;
}

TEST(DbValueRecordsTest, KeyedRecordsOrderByNodeThenTheirFurtherKeys) {
  {  // node, item: signed, so negative nodes first
    CAutoDestructArray<CPtrArray, CDbTransaction*> purchases;
    purchases.Add(std::make_unique<CDbTransaction>(1, 5));
    purchases.Add(std::make_unique<CDbTransaction>(2, -3));
    purchases.Add(std::make_unique<CDbTransaction>(3, 5));
    purchases.Add(std::make_unique<CDbTransaction>(0, 5));
    EXPECT_EQ(SortedIds(purchases), (std::vector<std::int32_t>{2, 0, 1, 3}));
  }
  {  // node, stream, market
    CAutoDestructArray<CPtrArray, CDbSale*> sales;
    sales.Add(std::make_unique<CDbSale>(7, 1, 3));
    sales.Add(std::make_unique<CDbSale>(7, 1, 1));
    sales.Add(std::make_unique<CDbSale>(6, 2, 0));
    sales.Add(std::make_unique<CDbSale>(8, 1, 2));
    sales.Sort(sales.m_pfnCompare);
    std::vector<std::int32_t> markets;
    for (CDbSale* sale : sales) markets.push_back(sale->m_nMarketID);
    EXPECT_EQ(markets, (std::vector<std::int32_t>{1, 3, 2, 0}));
  }
  {  // node, unit, P-row
    CAutoDestructArray<CPtrArray, CDbPRow*> prows;
    prows.Add(std::make_unique<CDbPRow>(1, 1, 9));
    prows.Add(std::make_unique<CDbPRow>(2, 1, 4));
    prows.Add(std::make_unique<CDbPRow>(3, 0, 9));
    prows.Add(std::make_unique<CDbPRow>(0, 1, 4));
    EXPECT_EQ(SortedIds(prows), (std::vector<std::int32_t>{3, 0, 2, 1}));
  }
  {  // node, item, quality
    CAutoDestructArray<CPtrArray, CDbStreamQuality*> qualities;
    qualities.Add(std::make_unique<CDbStreamQuality>(5, 1, 9));
    qualities.Add(std::make_unique<CDbStreamQuality>(5, 1, 2));
    qualities.Add(std::make_unique<CDbStreamQuality>(4, 1, 7));
    qualities.Sort(qualities.m_pfnCompare);
    std::vector<std::int32_t> order;
    for (CDbStreamQuality* quality : qualities) order.push_back(quality->m_nQualityID);
    EXPECT_EQ(order, (std::vector<std::int32_t>{7, 2, 9}));
    CDbStreamQuality probe(5, 1, 2);
    EXPECT_EQ(qualities.Find(&probe), qualities[1]);
  }
  {  // node, unit, item, kind
    CAutoDestructArray<CPtrArray, CDbUnitOp*> ops;
    auto op = [&](std::int32_t unit, std::int32_t item, std::int32_t kind) {
      auto created = std::make_unique<CDbUnitOp>(unit, 1);
      created->m_nItemID = item;
      created->m_nKind = kind;
      ops.Add(std::move(created));
    };
    op(2, 1, 1);
    op(1, 5, 3);
    op(1, 5, 2);
    op(1, 4, 3);
    ops.Sort(ops.m_pfnCompare);
    std::vector<std::int32_t> order;
    for (CDbUnitOp* o : ops) order.push_back(o->m_nID * 100 + o->m_nItemID * 10 + o->m_nKind);
    EXPECT_EQ(order, (std::vector<std::int32_t>{143, 152, 153, 211}));
  }
}

TEST(DbValueRecordsTest, TransfersOrderBySourceNodeThenSourceStream) {
  CAutoDestructArray<CPtrArray, CDbTransfer*> transfers;
  const std::pair<std::int32_t, std::int32_t> sources[] = {{2, 1}, {1, 9}, {1, 3}};
  std::int32_t id = 0;
  for (const auto& [node, stream] : sources) {
    auto transfer = std::make_unique<CDbTransfer>(id++, 0);
    transfer->m_nNodeFrom = node;
    transfer->m_nFromStreamID = stream;
    transfers.Add(std::move(transfer));
  }
  EXPECT_EQ(SortedIds(transfers), (std::vector<std::int32_t>{2, 1, 0}));
}

TEST(DbValueRecordsTest, LinkDataAreEqualOnlyWhenSourceAndDestinationAgree) {
  CAutoDestructArray<CPtrArray, CDbLinkData*> links;
  auto a = std::make_unique<CDbLinkData>(3, 1);
  a->m_nSourceID = 4;
  a->m_nDestinationID = 6;
  auto b = std::make_unique<CDbLinkData>(3, 1);
  b->m_nSourceID = 5;
  b->m_nDestinationID = 6;
  CDbLinkData* pa = a.get();
  CDbLinkData* pb = b.get();
  EXPECT_EQ(CDbLinkData::CompareElements(&pa, &pb), 1);
  EXPECT_EQ(CDbLinkData::CompareElements(&pb, &pa), 1);

  links.Add(std::move(a));
  CDbLinkData probe(3, 1);
  probe.m_nSourceID = 4;
  probe.m_nDestinationID = 6;
  EXPECT_EQ(links.Find(&probe), pa);
  probe.m_nDestinationUnitTypeID = 2;
  EXPECT_EQ(links.Find(&probe), nullptr);
}

TEST(DbValueRecordsTest, NamedAndTaggedItemsOrderByTheirFirstTextInByteOrder) {
  CAutoDestructArray<CPtrArray, CDbStream*> streams;
  for (const char* name : {"abc", "ABC", "AB", "Zz"}) streams.Add(std::make_unique<CDbStream>(name));
  streams.Sort(streams.m_pfnCompare);
  std::vector<std::string> names;
  for (CDbStream* stream : streams) names.push_back(stream->m_strName);
  EXPECT_EQ(names, (std::vector<std::string>{"AB", "ABC", "Zz", "abc"}));

  // KPIs and primal values order by their tag/name field, not by a CDbObject name.
  CAutoDestructArray<CPtrArray, CDbKpi*> kpis;
  for (const char* tag : {"PI1", "DJ", "MARGVAL"}) kpis.Add(std::make_unique<CDbKpi>(tag));
  kpis.Sort(kpis.m_pfnCompare);
  EXPECT_EQ(kpis[0]->m_strTag, "DJ");
  EXPECT_EQ(kpis[2]->m_strTag, "PI1");
  CDbKpi probe("MARGVAL");
  EXPECT_EQ(kpis.Find(&probe), kpis[1]);
}

TEST(DbValueRecordsTest, ANullSlotSortsFirstInsteadOfCrashing) {
  CAutoDestructArray<CPtrArray, CDbVTW*> vtws;
  vtws.Add(std::make_unique<CDbVTW>(2, 1));
  vtws.Add(static_cast<CDbVTW*>(nullptr));
  vtws.Add(std::make_unique<CDbVTW>(1, 1));
  vtws.Sort(vtws.m_pfnCompare);
  EXPECT_EQ(vtws[0], nullptr);
  EXPECT_EQ(vtws[1]->m_nID, 1);
}

}  // namespace
