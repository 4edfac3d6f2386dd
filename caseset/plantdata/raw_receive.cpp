#include "caseset/plantdata/raw_receive.h"

#include "caseset/plantdata/raw_ship.h"

namespace {

// Half a second in days.
constexpr double kHalfSecond = 1.0 / 172800.0;

}  // namespace

int CCrudeCol::CompareElements(const void* a, const void* b) {
  return CompareKeys(SlotElement<CCrudeCol>(a)->m_strName, SlotElement<CCrudeCol>(b)->m_strName);
}

int CRawShip::CompareElements(const void* a, const void* b) {
  return CompareKeys(SlotElement<CRawShip>(a)->m_strCode, SlotElement<CRawShip>(b)->m_strCode);
}

int CompareRawReceipts(const void* a, const void* b) {
  const CRawReceive* x = SlotElement<CRawReceive>(a);
  const CRawReceive* y = SlotElement<CRawReceive>(b);
  if (const int c = CompareKeys(x->m_strCode, y->m_strCode); c != 0) return c;
  const plat::OleDateTime& dx = x->m_dtDate;
  const plat::OleDateTime& dy = y->m_dtDate;
  if (dx.IsValid() && dy.IsValid() && dx.GetValue() < dy.GetValue()) return -1;
  if (dx.GetStatus() == dy.GetStatus()) {
    if (dx.GetStatus() == plat::OleDateTime::Status::null) return 0;
    if (dx.IsValid() && dx.GetValue() - dy.GetValue() < kHalfSecond) return 0;
  }
  return 1;
}

int CRawReceive::CompareElements(const void* a, const void* b) { return CompareRawReceipts(a, b); }
