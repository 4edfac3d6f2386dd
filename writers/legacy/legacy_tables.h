#pragma once
// The legacy LG* tables of a case, keyed by the run identifier (RUNID), the
// case number (CASE) and, where periods matter, a period code (PERIOD), and
// the spreadsheet-table list PrSpreadsheetTables. Each writer returns true
// without writing when the model writes no Access database (neither
// DatabaseOutputFormat "Access" nor CreateAccessDbAlso) or when its own
// switch is off, and false at the first failing table operation.

#include <cstdint>
#include <string>

#include "caseset/vorn_db_export_data.h"

class CVornModelFile;

// Message ids of the legacy writers (program texts).
inline constexpr std::uint32_t kIdsSolutionFileCounts = 282;    // %1: the path
inline constexpr std::uint32_t kIdsSolutionFileNotOpened = 283;  // %1: the path
inline constexpr std::uint32_t kIdsLegacyColumnMissing = 15616;  // %1: the column, %2: the table

// ModelType 1 with VornSkedOn on.
bool IsVornSkedModel(const CVornModelFile& model);

// The run and case tables.
bool WriteLGRUNID(CVornDbExportData& exportData, CVornModelFile& model);
bool WriteLGCASE(CVornDbExportData& exportData, CVornModelFile& model);
bool WriteLGSETTNG(CVornDbExportData& exportData, CVornModelFile& model);
bool WriteLGECOID(CVornDbExportData& exportData, CVornModelFile& model);
bool WriteLGMODELS(CVornDbExportData& exportData, CVornModelFile& model);
bool WriteLGTABLES(CVornDbExportData& exportData, CVornModelFile& model);
bool WriteLGDEPOTS(CVornDbExportData& exportData, CVornModelFile& model);
// Nothing in export kind 2; rows for every kind of result database (columns
// defined only for an Access one); a SQL Server database gets them sent.
bool WritePrSpreadsheetTables(CVornDbExportData& exportData, CVornModelFile& model, std::int32_t modelId);

// The periods of the case.
bool WriteLGPERIOD(CVornDbExportData& exportData, CVornModelFile& model);

// LGULINKS (utility true) or LGLINKS from the case's flow file.
bool WriteLGLINKS(CVornDbExportData& exportData, CVornModelFile& model, bool utility);
// "Resul" + "%03d" case number + ".flo", or "Result.flo" without a current case.
std::string GetFlowFileName(const CVornDbExportData& exportData);

// LGPRIMLR and LGPRIMLC from the model's "Solution.Fil".
bool WritePrimalTables(CVornDbExportData& exportData, CVornModelFile& model);
// "FR", "BS", "EQ", "UL", "LL", "**", "  ", "++" for 1 to 8 (0 and above 8
// as 7); empty for a negative status.
std::string GetStatusText(std::int32_t status);

// LGFILTER, LGVTWSRT and the legacy saved queries.
bool WriteLGFILTER(CVornDbExportData& exportData, CVornModelFile& model);
bool CreateLGVTWSRT(CVornDbExportData& exportData, CVornModelFile& model);
bool CreateLegacyQueries(CVornDbExportData& exportData, CVornModelFile& model);

// The legacy writers of one model in their order (local: a reported local
// model of a global model); false at the first failing writer. A local
// model's Access database stays open: the case's end releases it.
bool WriteLegacyTables(CVornDbExportData& exportData, CVornModelFile& model, bool local, bool firstCase);
