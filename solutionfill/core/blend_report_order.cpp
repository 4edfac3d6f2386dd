// Report orders of a model's blend qualities (after the rows of BLNSPEC) and
// of the streams the table BLNXXX lists.

#include <string>

#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/blend_quality_services.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/core/stream_quality_services.h"
#include "solutionfill/economics/group_fill.h"

void CDbSolution::OrderBlendQualitiesBySpecs(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model) {
  if (!modelFile || !dbCase || !model) return;
  const std::int32_t type = modelFile->m_settings.m_ModelType.GetValue();
  if (type == 2 || type == 3) return;
  const std::int32_t modelId = model->m_nID;
  const int firstPeriod = fill::FirstPeriodIndex(*dbCase);
  const int periods = dbCase->m_paPeriods.GetSize();
  for (int p = firstPeriod; p < periods; ++p)
    if (CDbPeriod* period = dbCase->m_paPeriods.GetAt(p))
      for (CDbBlendQuality* each : period->m_paBlendQualities)
        if (each && each->m_nNodeID == modelId) each->m_nReportOrder = -1;

  CTableFilTable blnspec;
  // Without the table the unnumbered ones start at 1.
  const bool read = fill::ReadModelTable(m_pDbData, "BLNSPEC", modelFile, blnspec, false);
  const int rows = read ? blnspec.GetRowCount() : 0;
  for (int c = 0; c < blnspec.GetColumnCount(); ++c) {
    const CDbBlend probe(blnspec.m_aColumnNames[c]);
    const CDbBlend* blend = model->m_paBlends.Find(&probe);
    if (!blend) continue;
    int order = 0;
    for (int r = 0; r < rows; ++r) {
      const std::string& name = blnspec.m_aRowNames[r];
      if (IsNonSpecificationRow(name)) continue;
      const CDbQuality qualityProbe(sq::Mid(name, 1, 3));
      const CDbQuality* quality = model->m_paQualities.Find(&qualityProbe);
      if (!quality) continue;
      ++order;
      for (int p = firstPeriod; p < periods; ++p) {
        CDbPeriod* period = dbCase->m_paPeriods.GetAt(p);
        CDbBlendQuality* entry = period ? FindBlendQuality(*period, blend->m_nID, modelId, quality->m_nID) : nullptr;
        if (entry && entry->m_nReportOrder == -1) entry->m_nReportOrder = order;
      }
    }
  }
  for (int p = firstPeriod; p < periods; ++p) {
    CDbPeriod* period = dbCase->m_paPeriods.GetAt(p);
    if (!period) continue;
    int next = rows + 1;
    for (CDbBlendQuality* each : period->m_paBlendQualities)
      if (each && each->m_nNodeID == modelId && each->m_nReportOrder == -1) each->m_nReportOrder = next++;
  }
}

void CDbSolution::OrderStreamsByBlnxxx(CVornModelFile* modelFile, CDbModel* model) {
  if (!modelFile || !model || modelFile->m_settings.m_ModelType.GetValue() != 1) return;
  CTableFilTable blnxxx;
  if (!fill::ReadModelTable(m_pDbData, "BLNXXX", modelFile, blnxxx, false)) return;
  std::int32_t order = 1;
  for (const std::string& row : blnxxx.m_aRowNames)
    if (CDbStream* stream = fill::FindModelStream(*model, row)) stream->m_nUserDefinedReportOrder = order++;
}
