#include "results/objects/db_primal.h"

namespace {

template <class T>
int CompareByName(const void* slotA, const void* slotB) {
  return CompareSlots<T>(slotA, slotB, [](const T& a, const T& b) { return CompareKeys(a.m_strName, b.m_strName); });
}

}  // namespace

int CDbPrimal::CompareElements(const void* slotA, const void* slotB) { return CompareByName<CDbPrimal>(slotA, slotB); }
int CDbPrimalPeriod::CompareElements(const void* slotA, const void* slotB) {
  return CompareByName<CDbPrimalPeriod>(slotA, slotB);
}
int CDbPrimalNode::ComparePrimalNodeName(const void* slotA, const void* slotB) {
  return CompareByName<CDbPrimalNode>(slotA, slotB);
}
