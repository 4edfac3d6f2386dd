// The crude receipts and shipments of a model's plant data.

#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_model.h"
#include "writers/result_row.h"

namespace {

// The stream a receipt or shipment names: by report tag under extended tags
// (the first match), else by tag in the list sorted by tag. Null when none.
const CDbStream* FindNamedStream(const CDbModel& model, const std::string& tag) {
  const CVornDbExportData* data = model.m_pDbData;
  if (data != nullptr && data->m_pModel && data->m_pModel->m_settings.m_UseExtendedTagsOn.GetValue() != 0) {
    for (const CDbStream* stream : model.m_paStreams)
      if (stream != nullptr && stream->m_strReportTag == tag) return stream;
    return nullptr;
  }
  const CDbStream probe(tag);
  const CDbStream* probePtr = &probe;
  int low = 0;
  int high = model.m_paStreams.GetSize();
  while (low < high) {
    const int mid = low + (high - low) / 2;
    const CDbStream* candidate = model.m_paStreams.GetAt(mid);
    const int c = CDbObject::CompareDbObjectName(&probePtr, &candidate);
    if (c == 0) return candidate;
    if (c < 0)
      high = mid;
    else
      low = mid + 1;
  }
  return nullptr;
}

// One row per receipt or shipment whose stream is found, in a table opened
// once: the keys, the stream, the date, amount and rate, then what is the
// row kind's own (own(row, item)).
template <class Item, class Own>
bool WriteDatedStreamRows(CDbModel& model, const char* table, const CAutoDestructArray<CPtrArray, Item*>& items,
                          std::int32_t solutionId, std::int32_t caseId, Own&& own) {
  ResultRow record(model.m_pDbData, table);
  if (!record.IsOpen()) return false;
  for (const Item* item : items) {
    if (item == nullptr) continue;
    const CDbStream* stream = FindNamedStream(model, item->m_strCode);
    if (stream == nullptr) continue;
    record.Add()
        .Long("SolutionID", solutionId)
        .Long("CaseID", caseId)
        .Long("ModelID", model.m_nID)
        .Long("StreamID", stream->m_nID)
        .Date("DateTime", item->m_dtDate.GetValue())
        .Double("Amount", item->m_dAmount)
        .Double("Rate", item->m_dRate);
    own(record, *item);
    if (!record.Update()) return false;
  }
  return true;
}

}  // namespace

bool CDbModel::WritePrReceive(std::int32_t solutionId, std::int32_t caseId) {
  return WriteDatedStreamRows(*this, "PrReceive", m_paRawReceives, solutionId, caseId,
                              [](ResultRow& row, const CRawReceive& receipt) {
                                row.Double("Cost", receipt.m_dCost).Short("CrudeMixFlag", receipt.m_bCrudeMix ? 1 : 0);
                              });
}

bool CDbModel::WritePrShip(std::int32_t solutionId, std::int32_t caseId) {
  return WriteDatedStreamRows(*this, "PrShip", m_paRawShips, solutionId, caseId,
                              [](ResultRow& row, const CRawShip& shipment) {
                                row.Double("Price", shipment.m_dPrice).Text("Line", shipment.m_strLine, 20);
                              });
}
