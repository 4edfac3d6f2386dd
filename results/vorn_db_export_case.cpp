// The steps of a case's database output that the result objects, the result
// table writers, the matrix tables and the Trancol export carry out. A step
// whose part is not built yet has nothing to do and succeeds, so the frame of
// the output runs whole.

#include "results/vorn_db_export.h"

#include "dbdrivers/access/output_table_api.h"
#include "modelfile/vorn_model_file.h"
#include "results/db_manager.h"
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
  return model == nullptr || ::WritePrSpreadsheetTables(*this, *model, modelNumber);
}

bool CVornDbExport::CreateReportQueries(CVornModelFile* model) {
  return model == nullptr || ::CreateReportQueries(*this, *model);
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
  return model == nullptr || ::WriteLegacyTables(*this, *model, local, firstCase);
}

int CVornDbExport::GetZelunSolutionIndex() const { return ::GetZelunSolutionIndex(*this); }

// Flag 1 only removes the case's Trancol file.
bool CVornDbExport::ExportTrancol(int caseNumber, int, int flag) {
  return ExportTrancolFile(*this, caseNumber, nullptr, flag != 0);
}
