#pragma once
// One alias of an extended tag (the model's name of an item) and the short
// tag that stands for it in LP row and column names.

#include <cstdint>
#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"

class CTagAlias : public CObject {
 public:
  CTagAlias(std::string shortTag, std::string extendedTag, std::int32_t databaseIndex = -1)
      : m_nDatabaseIndex(databaseIndex), m_strShortTag(std::move(shortTag)), m_strExtendedTag(std::move(extendedTag)) {}

  // Case-sensitive by character codes.
  static int CompareExtendedTag(const void* slotA, const void* slotB) {
    return CompareKeys(SlotElement<CTagAlias>(slotA)->m_strExtendedTag, SlotElement<CTagAlias>(slotB)->m_strExtendedTag);
  }
  static int CompareShortTag(const void* slotA, const void* slotB) {
    return CompareKeys(SlotElement<CTagAlias>(slotA)->m_strShortTag, SlotElement<CTagAlias>(slotB)->m_strShortTag);
  }
  static int CompareElements(const void* slotA, const void* slotB) { return CompareExtendedTag(slotA, slotB); }

  std::int32_t m_nDatabaseIndex;  // kept, not used by any lookup
  std::string m_strShortTag;
  std::string m_strExtendedTag;
};

using CTagAliasArray = CAutoDestructArray<CPtrArray, CTagAlias*>;
