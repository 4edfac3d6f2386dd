#pragma once
// A bounded quantity of one item of one node in one period: the row of a
// group purchase, sale or inventory, and the base of purchases, inventories,
// utility transactions and capacity limits (results/objects/db_transaction.h).

#include <cstdint>

#include "results/objects/db_object.h"

class CDbGroupTransaction : public CDbDataObject {
 public:
  // id: the group (or the derived record's stream, utility, capacity); nodeId: the node.
  CDbGroupTransaction(std::int32_t id, std::int32_t nodeId, CVornDbExportData* owner = nullptr)
      : CDbDataObject(id, nodeId), m_pDbData(owner) {}
  ~CDbGroupTransaction() override = default;

  std::int32_t m_nReportOrder = kDbNoReportOrder;  // "ReportOrder"
  double m_dMinValue = kDbNotSet;                  // "MinValue"
  double m_dMaxValue = kDbNotSet;                  // "MaxValue"
  double m_dTarget = kDbNotSet;                    // "Target" of a group inventory
  double m_dMarginalValue = kDbNotSet;             // "MarginalValue"
  CVornDbExportData* m_pDbData;
};

using CDbGroupTransactionArray = CAutoDestructArray<CPtrArray, CDbGroupTransaction*>;
