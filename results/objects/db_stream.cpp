#include "results/objects/db_stream.h"

int CDbStreamLookup::CompareElements(const void* slotA, const void* slotB) {
  return CompareSlots<CDbStreamLookup>(slotA, slotB, [](const CDbStreamLookup& a, const CDbStreamLookup& b) {
    return CompareKeys(a.m_nModelID, b.m_nModelID);
  });
}
