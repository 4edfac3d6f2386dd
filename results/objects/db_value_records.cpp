#include "results/objects/db_value_records.h"

void CDbBlendQuantity::AddRecipe(std::unique_ptr<CDbBlendRecipe> recipe) {
  if (!recipe) return;
  m_dVolActivity += recipe->m_dVolActivity;
  m_dWgtActivity += recipe->m_dWgtActivity;
  m_paRecipes.Add(std::move(recipe));
}

int CDbPRow::CompareElements(const void* slotA, const void* slotB) {
  return CompareSlots<CDbPRow>(slotA, slotB, [](const CDbPRow& a, const CDbPRow& b) {
    if (const int c = CompareKeys(a.m_nNodeID, b.m_nNodeID)) return c;
    if (const int c = CompareKeys(a.m_nUnitID, b.m_nUnitID)) return c;
    return CompareKeys(a.m_nID, b.m_nID);
  });
}

int CDbLinkData::CompareElements(const void* slotA, const void* slotB) {
  return CompareSlots<CDbLinkData>(slotA, slotB, [](const CDbLinkData& a, const CDbLinkData& b) {
    if (const int c = CompareKeys(a.m_nNodeID, b.m_nNodeID)) return c;
    if (const int c = CompareKeys(a.m_nID, b.m_nID)) return c;
    const bool same = a.m_nSourceID == b.m_nSourceID && a.m_nSourceUnitTypeID == b.m_nSourceUnitTypeID &&
                      a.m_nDestinationID == b.m_nDestinationID &&
                      a.m_nDestinationUnitTypeID == b.m_nDestinationUnitTypeID;
    return same ? 0 : 1;
  });
}

int CDbUnitOp::CompareElements(const void* slotA, const void* slotB) {
  return CompareSlots<CDbUnitOp>(slotA, slotB, [](const CDbUnitOp& a, const CDbUnitOp& b) {
    if (const int c = CompareKeys(a.m_nNodeID, b.m_nNodeID)) return c;
    if (const int c = CompareKeys(a.m_nID, b.m_nID)) return c;
    if (const int c = CompareKeys(a.m_nItemID, b.m_nItemID)) return c;
    return CompareKeys(a.m_nKind, b.m_nKind);
  });
}

int CPRowInfo::CompareElements(const void* slotA, const void* slotB) {
  return CompareSlots<CPRowInfo>(slotA, slotB,
                                 [](const CPRowInfo& a, const CPRowInfo& b) { return CompareKeys(a.m_nUnitID, b.m_nUnitID); });
}
