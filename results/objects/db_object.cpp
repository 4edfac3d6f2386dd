#include "results/objects/db_object.h"

int IsInfiniteValue(double value) {
  if (value == kDbNotSet) return 1;
  if (value == -kDbNotSet) return -1;
  const float single = static_cast<float>(value);
  if (single == kDbNotSetF) return 1;
  if (single == -kDbNotSetF) return -1;
  return 0;
}

std::int32_t PackTag(const std::string& tag) {
  if (tag.empty() || tag.size() > 3) return -1;
  std::int32_t id = 0;
  std::int32_t weight = 1;
  for (char c : tag) {
    id += static_cast<std::int32_t>(static_cast<std::int8_t>(c)) * weight;
    weight *= 256;
  }
  return id;
}

CDbObject::CDbObject(const std::string& tag, std::int32_t /*unused*/) : m_nID(PackTag(tag)), m_strName(tag) {}

int CDbObject::CompareDbObjectId(const void* slotA, const void* slotB) {
  return CompareSlots<CDbObject>(slotA, slotB,
                                 [](const CDbObject& a, const CDbObject& b) { return CompareKeys(a.m_nID, b.m_nID); });
}

int CDbObject::CompareDbObjectName(const void* slotA, const void* slotB) {
  return CompareSlots<CDbObject>(
      slotA, slotB, [](const CDbObject& a, const CDbObject& b) { return CompareKeys(a.m_strName, b.m_strName); });
}

int CDbDataObject::CompareNodeAndId(const void* slotA, const void* slotB) {
  return CompareSlots<CDbDataObject>(slotA, slotB, [](const CDbDataObject& a, const CDbDataObject& b) {
    if (const int c = CompareKeys(a.m_nNodeID, b.m_nNodeID)) return c;
    return CompareKeys(a.m_nID, b.m_nID);
  });
}
