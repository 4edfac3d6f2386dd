// The writing of one case's result tree: the solution identifier and solution
// rows, the definition pass, the case and the primal values of every node.

#include <string>

#include "caseset/vorn_db_export_data.h"
#include "dbdrivers/access/output_table_api.h"
#include "dbdrivers/sqlserver/db_sql_svr.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_solution.h"
#include "tableio/db/db_connect_info.h"
#include "writers/schema/table_definition.h"

namespace {

void Log(const CVornDbExportData& exportData, const char* text) {
  if (exportData.m_pLogging != nullptr) exportData.m_pLogging->Write(text);
}

int Length(const char* text) { return static_cast<int>(std::char_traits<char>::length(text)); }

bool SetText(CVornDbExportData& data, COutputTable* handle, const char* field, const std::string& value) {
  return CSetTextValue(data, handle, field, Length(field), value.c_str(), static_cast<int>(value.size())) != 0;
}

bool SetLong(CVornDbExportData& data, COutputTable* handle, const char* field, std::int32_t value) {
  return CSetIntegerValue(data, handle, field, Length(field), value) != 0;
}

// "PrSolutionID", dropped and made anew; failures are the caller's to ignore.
void WriteSolutionIdTable(CVornDbExportData& data, CVornModelFile& model, std::int32_t solutionId) {
  const bool deleteTables = data.m_bDeleteTables;
  const std::int32_t purge = model.m_settings.m_DatabasePurgeOn.GetValue();
  data.m_bDeleteTables = true;
  model.m_settings.m_DatabasePurgeOn.SetValue(1);
  COutputTable* handle = OpenResultTable(data, "PrSolutionID");
  data.m_bDeleteTables = deleteTables;
  model.m_settings.m_DatabasePurgeOn.SetValue(purge);
  if (handle == nullptr) return;
  const ResultTable* table = FindResultTable("PrSolutionID");
  if (!DefineResultTable(data, handle, *table) || CAddNewRecord(data, handle) == 0 ||
      !SetLong(data, handle, "SolutionID", solutionId))
    return;
  CUpdateRecord(data, handle, nullptr);
}

}  // namespace

bool CDbSolution::WriteToDatabase(bool firstCase, bool needMultipleExecutions) {
  if (m_pDbData == nullptr || !m_pDbData->m_pModel) return false;
  CVornDbExportData& data = *m_pDbData;
  CVornModelFile& model = *data.m_pModel;
  CModelSettings& settings = model.m_settings;
  Log(data, "Write data to database start\n");

  const std::string company = data.m_strCompanyName;
  const std::string user = data.m_strUserDomainName + "\\" + data.m_strUserName.substr(0, 255);
  const std::string machine = data.m_strMachineName.substr(0, 15) + "." + data.m_strMachineDomainName;

  if (settings.m_VOLBASIS.GetValue() == 0 && settings.m_VolumeConversionSectionOn.GetValue() == 1)
    m_bVolumeConversion = 1;

  const bool accessWritten = IsAccessDatabaseWritten(model);
  if (firstCase && !needMultipleExecutions && accessWritten) WriteSolutionIdTable(data, model, m_nSolutionID);

  Log(data, "Write solution id to PrSolution table\n");
  // A configuration without "DoDbSolution" writes no solution row; the row belongs to the run,
  // so only the process that defines the run in the results database writes it.
  if (firstCase && data.m_pbDoDbSolution.value_or(false)) {
    COutputTable* handle = OpenResultTable(data, "PrSolution");
    if (handle == nullptr) return false;
    if (accessWritten && !DefineResultTable(data, handle, *FindResultTable("PrSolution"))) return false;
    const bool written =
        CAddNewRecord(data, handle) != 0 && SetLong(data, handle, "SolutionID", m_nSolutionID) &&
        SetText(data, handle, "SystemVersion", m_strSystemVersion) &&
        CSetDateTimeValue(data, handle, "DateTime", Length("DateTime"), data.m_dtDateRunStart.GetValue()) != 0 &&
        SetText(data, handle, "Description", m_strDescription) && SetLong(data, handle, "ModelID", m_nModelID) &&
        SetText(data, handle, "CompanyName", company) && SetText(data, handle, "UserName", user) &&
        SetText(data, handle, "MachineName", machine) && CUpdateRecord(data, handle, nullptr) != 0;
    if (!written) return false;
    data.m_pbDoDbSolution = false;
    data.m_nWrittenSolutionID = m_nSolutionID;
    data.m_nWrittenSolutionModelID = m_nModelID;
  }
  Log(data, "Done writing solution id to PrSolution table\n");

  // The pass runs once per process (and again once its tables were closed), not per case.
  const bool defined = data.m_bResultTablesDefined && model.m_outputTables.GetSize() > 0;
  if (accessWritten && (firstCase || !defined)) {
    if (!DefineTables()) return false;
    data.m_bResultTablesDefined = true;
  }

  Log(data, "Write case data to database\n");
  // The fill always makes one case; an empty solution writes no case rows.
  CDbCase* dbCase = m_paCases.GetSize() > 0 ? m_paCases.GetAt(0) : nullptr;
  if (dbCase != nullptr && !dbCase->WritePrCase(m_nSolutionID, firstCase)) return false;

  Log(data, "Write primal node data to database\n");
  for (CDbPrimalNode* node : m_paPrimalNodes)
    if (node != nullptr && !node->WritePrPrimal(m_nSolutionID, dbCase)) return false;

  if (IsSqlServerDatabase(settings.m_DatabaseOutputFormat.GetValue(), settings.m_nDatabaseKindCache) &&
      data.m_pSqlServer != nullptr)
    data.m_pSqlServer->UpdateTableDataToDatabase(nullptr);

  Log(data, "Write data to database end\n");
  return true;
}
