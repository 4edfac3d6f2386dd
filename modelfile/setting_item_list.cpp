#include "modelfile/setting_item_list.h"

#include <algorithm>
#include <clocale>
#include <limits>

#include "foundation/locale_switch.h"
#include "modelfile/setting_item.h"

CSettingItem* CSettingItemList::Find(const std::string& name) const {
  for (CSettingItem* item : m_items)
    if (item->GetName() == name) return item;
  return nullptr;
}

CSettingItem* CSettingItemList::FindFrom(const std::string& name, int& position) const {
  const int count = GetCount();
  const int start = position >= 0 && position < count ? position : kNoPosition;
  if (start != kNoPosition) {
    for (int i = start; i < count; ++i) {
      position = i + 1 < count ? i + 1 : kNoPosition;
      if (m_items[i]->GetName() == name) return m_items[i];
    }
  }
  const int stop = start == kNoPosition ? count : start;
  for (int i = 0; i < stop; ++i) {
    position = i + 1 < count ? i + 1 : kNoPosition;
    if (m_items[i]->GetName() == name) return m_items[i];
  }
  position = kNoPosition;
  return nullptr;
}

bool CSettingItemList::SetValueText(const std::string& name, const std::string& text, int& position) const {
  CSettingItem* item = FindFrom(name, position);
  if (!item) return false;
  item->SetValueFromText(text);
  return true;
}

void CSettingItemList::ForEach(ISettingWriter& writer) const {
  CLocaleSwitch numericC(LC_NUMERIC, "C");
  for (CSettingItem* item : m_items) writer.Write(item);
}

bool CSettingItemList::CopyFrom(const CSettingItemList* source, std::int32_t group, std::int32_t* lowestLevel) {
  CLocaleSwitch numericC(LC_NUMERIC, "C");
  if (!source) return false;
  std::int32_t lowest = lowestLevel ? *lowestLevel : std::numeric_limits<std::int32_t>::max();
  bool changed = false;
  const std::size_t count = std::min(m_items.size(), source->m_items.size());
  for (std::size_t i = 0; i < count; ++i) {
    CSettingItem* item = m_items[i];
    if (group != -1 && item->GetGroup() != group) continue;
    const std::string text = source->m_items[i]->GetValueText();
    if (item->GetValueText() != text) {
      changed = true;
      lowest = std::min(lowest, item->GetLevel());
    }
    item->SetValueFromText(text);
  }
  if (lowestLevel) *lowestLevel = lowest;
  return changed;
}
