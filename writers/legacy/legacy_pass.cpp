// The legacy pass of one model of a case: its LG* writers in their order.

#include "dbdrivers/access/access_result_database.h"
#include "modelfile/vorn_model_file.h"
#include "tableio/db/db_connect_info.h"
#include "writers/legacy/legacy_tables.h"
#include "writers/legacy/report_writer_tables.h"

namespace {

bool WriteModelTables(CVornDbExportData& exportData, CVornModelFile& model, bool firstCase) {
  return WritePrimalTables(exportData, model) && WriteLGPERIOD(exportData, model) &&
         WriteLGSETTNG(exportData, model) && WriteLGDEPOTS(exportData, model) &&
         WriteLGLINKS(exportData, model, true) && WriteLGLINKS(exportData, model, false) &&
         (!firstCase || (WriteLGMODELS(exportData, model) && WriteLGTABLES(exportData, model) &&
                         WriteLGRUNID(exportData, model) && WriteLGECOID(exportData, model) &&
                         CreateLegacyQueries(exportData, model))) &&
         WriteReportWriterTables(exportData, model) && WriteLGCASE(exportData, model);
}

bool WriteLocalModelTables(CVornDbExportData& exportData, CVornModelFile& model, bool firstCase) {
  const bool queries =
      exportData.m_pModel && exportData.m_pModel->m_settings.m_CreateReportWriterQueriesOn.GetValue() != 0;
  return WritePrimalTables(exportData, model) && WriteLGPERIOD(exportData, model) &&
         WriteLGSETTNG(exportData, model) &&
         (!firstCase || (WriteLGTABLES(exportData, model) && WriteLGRUNID(exportData, model) &&
                         WriteLGECOID(exportData, model) && (!queries || CreateLegacyQueries(exportData, model)))) &&
         (!queries || WriteReportWriterTables(exportData, model)) && WriteLGCASE(exportData, model);
}

}  // namespace

bool WriteLegacyTables(CVornDbExportData& exportData, CVornModelFile& model, bool local, bool firstCase) {
  if (!local) return WriteModelTables(exportData, model, firstCase);
  const bool ok = WriteLocalModelTables(exportData, model, firstCase);
  // A local model's database is not written again in this case: release it.
  const bool access =
      exportData.m_pModel && IsAccessDatabase(exportData.m_pModel->m_settings.m_DatabaseOutputFormat.GetValue());
  if (access && model.m_daoDatabase && model.m_daoDatabase->IsOpen()) {
    std::int32_t errorFlag = 0;
    CloseDatabase(*model.m_daoDatabase, model.m_outputTables, errorFlag);
  }
  return ok;
}
