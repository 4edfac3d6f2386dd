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

}  // namespace

bool CDbModel::WritePrReceive(std::int32_t solutionId, std::int32_t caseId) {
  ResultRow record(m_pDbData, "PrReceive");
  if (!record.IsOpen()) return false;
  for (const CRawReceive* receipt : m_paRawReceives) {
    if (receipt == nullptr) continue;
    const CDbStream* stream = FindNamedStream(*this, receipt->m_strCode);
    if (stream == nullptr) continue;
    if (!record.Add()
             .Long("SolutionID", solutionId)
             .Long("CaseID", caseId)
             .Long("ModelID", m_nID)
             .Long("StreamID", stream->m_nID)
             .Date("DateTime", receipt->m_dtDate.GetValue())
             .Double("Amount", receipt->m_dAmount)
             .Double("Rate", receipt->m_dRate)
             .Double("Cost", receipt->m_dCost)
             .Short("CrudeMixFlag", receipt->m_bCrudeMix ? 1 : 0)
             .Update())
      return false;
  }
  return true;
}

bool CDbModel::WritePrShip(std::int32_t solutionId, std::int32_t caseId) {
  ResultRow record(m_pDbData, "PrShip");
  if (!record.IsOpen()) return false;
  for (const CRawShip* shipment : m_paRawShips) {
    if (shipment == nullptr) continue;
    const CDbStream* stream = FindNamedStream(*this, shipment->m_strCode);
    if (stream == nullptr) continue;
    if (!record.Add()
             .Long("SolutionID", solutionId)
             .Long("CaseID", caseId)
             .Long("ModelID", m_nID)
             .Long("StreamID", stream->m_nID)
             .Date("DateTime", shipment->m_dtDate.GetValue())
             .Double("Amount", shipment->m_dAmount)
             .Double("Rate", shipment->m_dRate)
             .Double("Price", shipment->m_dPrice)
             .Text("Line", shipment->m_strLine, 20)
             .Update())
      return false;
  }
  return true;
}
