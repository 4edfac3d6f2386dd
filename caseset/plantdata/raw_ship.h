#pragma once
// One shipment of a plant model (CRawShip): a material leaving at a date and
// time, with an amount, a rate and a price.

#include <string>

#include "foundation/ptr_array.h"
#include "platform/object.h"
#include "platform/ole_date_time.h"

class CRawShip : public CObject {
 public:
  std::string m_strCode;  // the shipped material's tag
  std::string m_strLine;  // the row's Line text; empty from the database
  double m_dRate = 0.0;
  double m_dAmount = 0.0;
  double m_dPrice = 1e30;  // 1e30 when not given
  plat::OleDateTime m_dtDate;

  // CompareByName: by code, case-sensitive byte order.
  static int CompareElements(const void* a, const void* b);
};

using CRawShipArray = CAutoDestructArray<CPtrArray, CRawShip*>;
