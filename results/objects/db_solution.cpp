#include "results/objects/db_solution.h"

#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"

CDbSolution::CDbSolution(CVornDbExportData* owner) : m_pDbData(owner) {
  if (!owner) return;
  m_nSolutionID = owner->m_nSolutionID;
  m_dtDateTime = owner->m_dtDateRunStart;
  if (owner->m_pModel) m_dModelScale = owner->m_pModel->m_dModelScale;
}

CDbSolution::~CDbSolution() = default;
