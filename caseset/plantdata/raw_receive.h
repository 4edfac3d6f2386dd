#pragma once
// One crude receipt of a plant model (CRawReceive): a material arriving at a
// date and time with an amount, a rate and a cost, optionally allocated to
// tanks and split into crudes.

#include <string>

#include "caseset/plantdata/crude_col.h"
#include "foundation/ptr_array.h"
#include "platform/object.h"
#include "platform/ole_date_time.h"

class CRawReceive : public CObject {
 public:
  bool m_bCrudeMix = false;  // the receipt has a crude composition
  std::string m_strCode;     // the received material's tag
  std::string m_strCrudeMode;
  double m_dRate = 0.0;
  double m_dCost = 1e30;  // 1e30 when not given
  double m_dAmount = 0.0;
  plat::OleDateTime m_dtDate;
  CCrudeColArray m_aTanks;   // one entry per tank
  CCrudeColArray m_aCrudes;  // one entry per crude

  // CompareRawReceipts.
  static int CompareElements(const void* a, const void* b);
};

// By code (byte order); for one code an earlier valid date first; equal when
// both dates are null, or both valid and a lies less than half a second
// after b; otherwise a after b. A search with a (code, date) probe so finds a
// receipt at, or less than half a second before, the probe's date.
int CompareRawReceipts(const void* a, const void* b);

using CRawReceiveArray = CAutoDestructArray<CPtrArray, CRawReceive*>;
