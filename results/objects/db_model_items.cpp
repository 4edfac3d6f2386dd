#include "results/objects/db_model_items.h"

namespace {

template <class T>
int CompareByTag(const void* slotA, const void* slotB) {
  return CompareSlots<T>(slotA, slotB, [](const T& a, const T& b) { return CompareKeys(a.m_strTag, b.m_strTag); });
}

}  // namespace

int CDbKpi::CompareElements(const void* slotA, const void* slotB) { return CompareByTag<CDbKpi>(slotA, slotB); }
int CnPCALCedPool::CompareElements(const void* slotA, const void* slotB) {
  return CompareByTag<CnPCALCedPool>(slotA, slotB);
}
int CPCALCingQuality::CompareElements(const void* slotA, const void* slotB) {
  return CompareByTag<CPCALCingQuality>(slotA, slotB);
}
int CPCALCingPool::CompareElements(const void* slotA, const void* slotB) {
  return CompareByTag<CPCALCingPool>(slotA, slotB);
}
int CDbInt::CompareElements(const void* slotA, const void* slotB) {
  return CompareSlots<CDbInt>(slotA, slotB, [](const CDbInt& a, const CDbInt& b) { return CompareKeys(a.m_nID, b.m_nID); });
}
