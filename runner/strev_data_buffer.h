#pragma once
// One message for the main application: a block of bytes sent unchanged.

#include <cstdint>
#include <memory>

#include "platform/object.h"

class CStrevDataBuffer : public CObject {
 public:
  CStrevDataBuffer() = default;
  // Copies size bytes of data (none when size is not positive or data is null).
  CStrevDataBuffer(const void* data, int size);
  ~CStrevDataBuffer() override;

  CStrevDataBuffer(const CStrevDataBuffer&) = delete;
  CStrevDataBuffer& operator=(const CStrevDataBuffer&) = delete;

  // Orders by the address of the byte block; the queue is never sorted or searched.
  static int CompareElements(const void* slotA, const void* slotB);

  int m_nSize = 0;
  std::unique_ptr<std::uint8_t[]> m_pData;
};
