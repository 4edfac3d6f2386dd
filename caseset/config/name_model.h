#pragma once
// A named model of the run (CNameModel): ties a name (empty for a single
// model, the local model's code for a plant of a global model) to a model and
// its index in the export's model files.

#include <cstdint>
#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"

class CNameVal : public CObject {
 public:
  std::string m_strName;
  double m_dValue = 1e30;
};

class CNameIndex : public CObject {
 public:
  std::string m_strName;
  std::int32_t m_nIndex = -1;
};

class CNameModel : public CObject {
 public:
  explicit CNameModel(const std::string& name) : m_strName(name) {}

  std::string m_strName;
  std::string m_strModelName;
  std::int32_t m_nModelIndex = -1;  // -1: the main model of a single-model run
  std::int32_t m_nCount1 = 0;
  std::int32_t m_nCount2 = 0;
  float m_fModelScale = 0.0f;
  CAutoDestructArray<CPtrArray, CNameVal*> m_aNameVals1;
  CAutoDestructArray<CPtrArray, CNameVal*> m_aNameVals2;
  std::uint8_t m_bFlag = 1;
  CAutoDestructArray<CPtrArray, CNameIndex*> m_aNameIndexes;

  // By name in byte order.
  static int CompareElements(const void* a, const void* b);
};
