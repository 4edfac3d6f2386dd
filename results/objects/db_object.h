#pragma once
// The common bases of the result objects of one solved case, and what every
// result class shares:
// - not-set values: doubles hold 1e30 (kDbNotSet), floats 1.0e30f
//   (kDbNotSetF), identifiers -1, report orders 9999 (kDbNoReportOrder);
// - m_pDbData, the export context the writers reach the table API, the model
//   and the log through (never owned);
// - ownership: every parent owns its children in CAutoDestructArray members;
//   each element class names its order as its static CompareElements, so a
//   default-constructed array owns and sorts by the element's order. A view
//   (an array over elements another array owns) has its m_bOwnsElements
//   cleared by the builder that fills it.
//
// CDbObject is a named item of the model (stream, quality, node, period...);
// CDbDataObject a keyed value record (an item of a node).

#include <cstdint>
#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"

class CVornDbExportData;

// The not-set double and float of every result value.
inline constexpr double kDbNotSet = 1e30;
inline constexpr float kDbNotSetF = 1.0e30f;
// The report order of an item that has none.
inline constexpr std::int32_t kDbNoReportOrder = 9999;

// 1 when value is 1e30 (or 1.0e30f once converted to a float), -1 when it is
// -1e30 (or -1.0e30f), else 0 (also for NaN). Writers leave such a column unset.
int IsInfiniteValue(double value);

// The identifier a tag of one to three characters packs into: the sum of its
// characters, each a signed 8-bit value, times 256^position; -1 for an empty
// tag or one of four characters or more.
std::int32_t PackTag(const std::string& tag);

// Element order helpers: a null slot orders before every element.
template <class T, class Fn>
int CompareSlots(const void* slotA, const void* slotB, Fn compare) {
  const T* a = SlotElement<T>(slotA);
  const T* b = SlotElement<T>(slotB);
  if (!a || !b) return CompareKeys(a != nullptr, b != nullptr);
  return compare(*a, *b);
}

class CDbObject : public CObject {
 public:
  CDbObject() = default;
  // A named item: identifier -1.
  explicit CDbObject(const std::string& name) : m_strName(name) {}
  // A tag item: the identifier is the packed tag; the second argument is not used.
  CDbObject(const std::string& tag, std::int32_t unused);
  // An item by identifier, without a name.
  explicit CDbObject(std::int32_t id) : m_nID(id) {}
  ~CDbObject() override = default;

  // Ascending m_nID (signed).
  static int CompareDbObjectId(const void* slotA, const void* slotB);
  // m_strName in byte order, case-sensitive.
  static int CompareDbObjectName(const void* slotA, const void* slotB);
  static int CompareElements(const void* slotA, const void* slotB) { return CompareDbObjectId(slotA, slotB); }

  std::int32_t m_nID = -1;
  std::string m_strName;
  float m_fValue = kDbNotSetF;
};

class CDbDataObject : public CObject {
 public:
  CDbDataObject(std::int32_t id, std::int32_t nodeId) : m_nID(id), m_nNodeID(nodeId) {}
  ~CDbDataObject() override = default;

  // Ascending m_nNodeID, then ascending m_nID.
  static int CompareNodeAndId(const void* slotA, const void* slotB);
  static int CompareElements(const void* slotA, const void* slotB) { return CompareNodeAndId(slotA, slotB); }

  std::int32_t m_nID;      // the record's own item (its class says which column)
  std::int32_t m_nNodeID;  // "NodeID" or "ModelID": the same numbering
};

// Owning arrays of the bases.
using CDbObjectArray = CAutoDestructArray<CPtrArray, CDbObject*>;
