#pragma once
// Buffers that the model-table input and the solution fill attach to a model
// while they work on a case. Those subsystems give the buffers their meaning;
// the model owns the records, and clearing one releases every buffer it holds
// and leaves it empty, as after construction.

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/object.h"

struct CCaseDataRecord {
  std::vector<std::unique_ptr<CObject>> m_objects;   // single objects
  std::vector<std::vector<std::byte>> m_arrays;       // arrays
  bool IsEmpty() const { return m_objects.empty() && m_arrays.empty(); }
  void Clear() {
    m_objects.clear();
    m_arrays.clear();
  }
};

// Filled while the "tables.map" index is read.
struct CTableMapBuffers : CCaseDataRecord {};
// The PVTW data of a case.
struct CPvtwData : CCaseDataRecord {};
// The recursion data of a case.
struct CRecursionData : CCaseDataRecord {};

// Releases the PVTW data of a case; called before each read of it and when
// the model is destroyed.
inline void ClearPvtwData(CPvtwData& data) { data.Clear(); }
