#include "runner/strev_data_buffer.h"

#include <cstring>

#include "foundation/ptr_array.h"

CStrevDataBuffer::CStrevDataBuffer(const void* data, int size) {
  if (data == nullptr || size <= 0) return;
  m_pData = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(size));
  std::memcpy(m_pData.get(), data, static_cast<std::size_t>(size));
  m_nSize = size;
}

CStrevDataBuffer::~CStrevDataBuffer() = default;

int CStrevDataBuffer::CompareElements(const void* slotA, const void* slotB) {
  const auto a = reinterpret_cast<std::uintptr_t>(SlotElement<CStrevDataBuffer>(slotA)->m_pData.get());
  const auto b = reinterpret_cast<std::uintptr_t>(SlotElement<CStrevDataBuffer>(slotB)->m_pData.get());
  return CompareKeys(a, b);
}
