// The legacy pass of one model of a case: its LG* writers in their order.

#include "modelfile/vorn_model_file.h"
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
  // A local model's database stays open until the case's rows are committed: its caller releases it then.
  return local ? WriteLocalModelTables(exportData, model, firstCase) : WriteModelTables(exportData, model, firstCase);
}
