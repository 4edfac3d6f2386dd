// The steps of a case's database output that the result objects, the result
// table writers, the matrix tables and the Trancol export carry out, and the
// scenario logics' walk over a case's result objects. A step without a model
// to write fails.

#include "results/vorn_db_export.h"

#include "caseset/config/assembled_case.h"
#include "caseset/scenario/parametric_chains.h"
#include "caseset/scenario/scenario_execution_logic.h"
#include "dbdrivers/access/output_table_api.h"
#include "modelfile/vorn_model_file.h"
#include "results/db_manager.h"
#include "results/db_solution_case_view.h"
#include "results/trancol_export.h"
#include "writers/matrix/matrix_tables.h"

#include "writers/legacy/legacy_tables.h"
#include "writers/queries/report_queries.h"

bool CVornDbExport::FillCaseSolution(bool useGivenCase, int givenCaseId, const std::string& givenCaseName) {
  if (!m_pModel) return false;
  m_pDbManager = MakeErasedOwner(std::make_unique<CDbManager>(m_pModel.get(), this));
  return useGivenCase ? m_pDbManager->FillSolution(m_pModel.get(), true, givenCaseId, givenCaseName)
                      : m_pDbManager->FillSolution(m_pModel.get());
}

bool CVornDbExport::WriteCaseSolution(bool firstCase) {
  if (!m_pDbManager) return false;
  const bool written = m_pDbManager->WriteSolution(firstCase);
  // The rows still held would keep the results file locked while this worker solves its next case.
  FlushOutputTables(*this);
  return written;
}

void CVornDbExport::ReleaseCaseSolution() { m_pDbManager.reset(); }

bool CVornDbExport::WritePrSpreadsheetTables(CVornModelFile* model, int modelNumber) {
  return model != nullptr && ::WritePrSpreadsheetTables(*this, *model, modelNumber);
}

bool CVornDbExport::CreateReportQueries(CVornModelFile* model) {
  return model != nullptr && ::CreateReportQueries(*this, *model);
}

void CVornDbExport::WriteMatrixDatabase(const std::string& matrixPath, const std::string& solutionPath) {
  CMpsFile matrix;
  ReadMpsFile(matrixPath.c_str(), &matrix, solutionPath.c_str());
  WriteMpsTables(*this, matrix);
}

bool CVornDbExport::RunEngineLocalModelOutput(const CVornModelFile& model) {
  std::string padded = model.m_strModelName;
  padded.resize(256, ' ');
  const int result = m_pfnGlobalModelOutput(padded.c_str(), 256, m_pfnHostCallbacks.data(), m_pEngineOutputContext);
  return result == 0 || result == 1;
}

bool CVornDbExport::WriteLegacyTables(CVornModelFile* model, bool local, bool firstCase) {
  return model != nullptr && ::WriteLegacyTables(*this, *model, local, firstCase);
}

int CVornDbExport::GetZelunSolutionIndex() const { return ::GetZelunSolutionIndex(*this); }

// Flag 1 only removes the case's Trancol file.
bool CVornDbExport::ExportTrancol(int caseNumber, int, int flag) {
  return ExportTrancolFile(*this, caseNumber, nullptr, flag != 0);
}

void CVornDbExport::ApplyAssembledCases(CDbSolution* solution) {
  if (!m_paScenarioLogics || !m_paAssembledCases || !m_pModel || solution == nullptr) return;
  const CVornModelFile& model = *m_pModel;
  CAssembledCaseArray& cases = *m_paAssembledCases;
  const std::int32_t currentCase = m_pCurrentCase != nullptr ? m_pCurrentCase->m_nNumber : 0;
  const CDbSolutionCaseView view(*solution);
  // The chains are read while every SelValue is still the configured one: the walk below sets marks.
  if (!m_pParametricChains)
    m_pParametricChains = MakeErasedOwner(std::make_unique<CParametricChains>(model, cases, *m_paScenarioLogics));
  for (CScenarioExecutionLogic* logic : *m_paScenarioLogics) {
    if (logic == nullptr) continue;
    const CAssembledCase probe(logic->m_nAssembledCase, model.m_strModelName);
    const CAssembledCase* assembled = cases.Find(&probe);
    // A truncated case (SelValue above 0) runs no logic any more.
    if (assembled == nullptr || (assembled->m_nSelValue != -1 && assembled->m_nSelValue != 0)) continue;
    if (logic->ApplyParametricNode(view, model, cases)) {
      logic->BuildParametricCases(model, cases, *m_paScenarioLogics);
    } else {
      int errorPosition = 0;
      if (logic->IsCompiled() || logic->Compile(&errorPosition))
        logic->EvaluateForCase(view, currentCase, model, m_paScenarioLogics.get());
    }
  }
}
