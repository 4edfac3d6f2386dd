#pragma once
// The items of one settings block in construction order. The list does not
// own its items (they are members of the block). Blocks built by the same
// constructor list the same items at the same positions, so values can be
// copied between them position by position.

#include <cstdint>
#include <string>
#include <vector>

class CSettingItem;

// The callback of CSettingItemList::ForEach.
class ISettingWriter {
 public:
  virtual void Write(CSettingItem* item) = 0;

 protected:
  ~ISettingWriter() = default;
};

class CSettingItemList {
 public:
  // A position in the list: the index of an item, or kNoPosition.
  static constexpr int kNoPosition = -1;

  CSettingItemList() = default;
  CSettingItemList(const CSettingItemList&) = delete;
  CSettingItemList& operator=(const CSettingItemList&) = delete;

  // Called by the item constructor.
  void AddTail(CSettingItem* item) { m_items.push_back(item); }

  int GetCount() const { return static_cast<int>(m_items.size()); }
  bool IsEmpty() const { return m_items.empty(); }
  CSettingItem* GetAt(int index) const { return m_items.at(static_cast<std::size_t>(index)); }
  auto begin() const { return m_items.begin(); }
  auto end() const { return m_items.end(); }

  // The first item whose name equals name exactly, or null.
  CSettingItem* Find(const std::string& name) const;

  // Circular search from position to the tail, then from the head back to
  // position. On a match, position designates the item after the one found
  // (kNoPosition after the tail); when nothing matches it becomes kNoPosition.
  // Readers that look names up in list order find each at the first comparison.
  CSettingItem* FindFrom(const std::string& name, int& position) const;

  // FindFrom, then SetValueFromText on the item; false, with nothing changed, for an unknown name.
  bool SetValueText(const std::string& name, const std::string& text, int& position) const;

  // Calls writer.Write for each item from head to tail under the "C" numeric locale.
  void ForEach(ISettingWriter& writer) const;

  // Copies every value of source (group -1) or of the items of one group, as
  // text, position by position; stops at the shorter list. Returns whether any
  // text differed; lowestLevel (when given) receives the lowest level among
  // the changed items, starting from its own value. False for a null source.
  bool CopyFrom(const CSettingItemList* source, std::int32_t group, std::int32_t* lowestLevel = nullptr);

 private:
  std::vector<CSettingItem*> m_items;
};
