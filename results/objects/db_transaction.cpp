#include "results/objects/db_transaction.h"

int CDbSale::CompareElements(const void* slotA, const void* slotB) {
  return CompareSlots<CDbSale>(slotA, slotB, [](const CDbSale& a, const CDbSale& b) {
    if (const int c = CompareKeys(a.m_nNodeID, b.m_nNodeID)) return c;
    if (const int c = CompareKeys(a.m_nID, b.m_nID)) return c;
    return CompareKeys(a.m_nMarketID, b.m_nMarketID);
  });
}

int CDbTransfer::CompareElements(const void* slotA, const void* slotB) {
  return CompareSlots<CDbTransfer>(slotA, slotB, [](const CDbTransfer& a, const CDbTransfer& b) {
    if (const int c = CompareKeys(a.m_nNodeFrom, b.m_nNodeFrom)) return c;
    return CompareKeys(a.m_nFromStreamID, b.m_nFromStreamID);
  });
}
