// The steps of a case's database output that the result objects, the result
// table writers, the matrix tables and the Trancol export carry out. Until
// those are built each step has nothing to do and succeeds, so the frame of
// the output runs whole.

#include "results/vorn_db_export.h"

#include "results/trancol_export.h"
#include "writers/matrix/matrix_tables.h"

#include "writers/legacy/legacy_tables.h"
#include "writers/queries/report_queries.h"

bool CVornDbExport::FillCaseSolution(bool, int, const std::string&) { return true; }

bool CVornDbExport::WriteCaseSolution(bool) { return true; }

void CVornDbExport::ReleaseCaseSolution() {}

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

bool CVornDbExport::WriteLegacyTables(CVornModelFile* model, bool local, bool firstCase) {
  return model == nullptr || ::WriteLegacyTables(*this, *model, local, firstCase);
}

int CVornDbExport::GetZelunSolutionIndex() const { return ::GetZelunSolutionIndex(*this); }

// Flag 1 only removes the case's Trancol file.
bool CVornDbExport::ExportTrancol(int caseNumber, int, int flag) {
  return ExportTrancolFile(*this, caseNumber, nullptr, flag != 0);
}
