// A flow link of a period in the legacy table LGLINKS.

#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_value_records.h"
#include "writers/result_row.h"

bool CDbLinkData::WriteLGLINKS(std::int32_t, std::int32_t caseId, const std::string& periodText) {
  if (m_pDbData == nullptr || !m_pDbData->m_pModel) return false;
  const CModelSettings& settings = m_pDbData->m_pModel->m_settings;
  if (settings.m_UseNimboOn.GetValue() == 0 || settings.m_CreateResultFlowsheetsOn.GetValue() == 0 ||
      settings.m_UseOldOutputDatabaseFormatOn.GetValue() != 0)
    return true;
  return ResultRow(m_pDbData, "LGLINKS")
      .Add()
      .Text("RUNID", m_pDbData->m_strRunID)
      .Short("CASE", caseId)
      .Text("PERIOD", periodText)
      .Text("NodeFrom", m_strNodeFrom)
      .Text("NodeTo", m_strNodeTo)
      .Text("STRMID", m_strSTRMID)
      .Double("RateFrom", m_dFromValue * 1000.0)
      .Double("RateTo", m_dToValue * 1000.0)
      .Update();
}
