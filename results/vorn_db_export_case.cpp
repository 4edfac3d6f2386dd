// The steps of a case's database output that the result objects, the result
// table writers, the matrix tables and the Trancol export carry out. Until
// those are built each step has nothing to do and succeeds, so the frame of
// the output runs whole.

#include "results/vorn_db_export.h"

#include "results/trancol_export.h"

bool CVornDbExport::FillCaseSolution(bool, int, const std::string&) { return true; }

bool CVornDbExport::WriteCaseSolution(bool) { return true; }

void CVornDbExport::ReleaseCaseSolution() {}

bool CVornDbExport::WritePrSpreadsheetTables(CVornModelFile*, int) { return true; }

bool CVornDbExport::CreateReportQueries(CVornModelFile*) { return true; }

void CVornDbExport::WriteMatrixDatabase(const std::string&, const std::string&) {}

bool CVornDbExport::WriteLegacyTables(CVornModelFile*, bool, bool) { return true; }

int CVornDbExport::GetZelunSolutionIndex() const { return 0; }

// Flag 1 only removes the case's Trancol file.
bool CVornDbExport::ExportTrancol(int caseNumber, int, int flag) {
  return ExportTrancolFile(*this, caseNumber, nullptr, flag != 0);
}
