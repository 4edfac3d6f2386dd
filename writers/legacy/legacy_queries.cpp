// The legacy saved queries with their two auxiliary tables LGFILTER and LGVTWSRT.

#include "dbdrivers/access/access_result_database.h"
#include "modelfile/vorn_model_file.h"
#include "platform/float_control.h"
#include "tableio/db/db_connect_info.h"
#include "writers/legacy/legacy_table.h"
#include "writers/legacy/legacy_tables.h"
#include "writers/queries/legacy_queries.h"
#include "writers/schema/table_definition.h"

namespace {

// Drops a table of the model's Access database when that is open (failures ignored).
void DropWhenOpen(CVornModelFile& model, const char* table) {
  if (model.m_daoDatabase && model.m_daoDatabase->IsOpen()) DropResultTable(model, table);
}

}  // namespace

bool WriteLGFILTER(CVornDbExportData& exportData, CVornModelFile& model) {
  if (!IsAccessDatabaseWritten(model)) return true;
  DropWhenOpen(model, "LGFILTER");
  LegacyTable table(exportData, model, "LGFILTER");
  if (!(table.DefineText("RUNID", 4) && table.DefineShort("VORNRWOK") && table.DefineShort("RWGRPON") &&
        table.EndDefine()))
    return false;
  const CModelSettings& main = exportData.m_pModel ? exportData.m_pModel->m_settings : model.m_settings;
  const bool reportWriterOk = main.m_OnlyUniqueCasesInTablesOn.GetValue() != 0 &&
                              main.m_DatabasePurgeOn.GetValue() == 0 &&
                              IsAccessDatabase(main.m_DatabaseOutputFormat.GetValue());
  return table.Add() && table.SetText("RUNID", exportData.m_strRunID) &&
         table.SetShort("VORNRWOK", reportWriterOk ? 1 : 0) &&
         table.SetShort("RWGRPON", model.m_bReportWriterGroups ? 1 : 0) && table.Update();
}

bool CreateLGVTWSRT(CVornDbExportData& exportData, CVornModelFile& model) {
  if (!IsAccessDatabaseWritten(model)) return true;
  DropWhenOpen(model, "LGVTWSRT");
  LegacyTable table(exportData, model, "LGVTWSRT");
  return table.DefineText("STRMID", 3) && table.DefineDouble("VTWSORT") && table.EndDefine();
}

bool CreateLegacyQueries(CVornDbExportData& exportData, CVornModelFile& model) {
  const CVornModelFile* main = exportData.m_pModel.get();
  const bool reportsOn = main && (main->m_settings.m_UseHtmlReportsOn.GetValue() != 0 ||
                                  main->m_settings.m_UseTxtReportsOn.GetValue() != 0);
  if ((exportData.m_strDatabaseDirectory.empty() || exportData.m_strDatabaseDescription.empty()) && !reportsOn)
    return true;
  if (!IsAccessDatabaseWritten(model)) return true;
  if (!WriteLGFILTER(exportData, model) || !CreateLGVTWSRT(exportData, model)) return false;
  if (!model.m_daoDatabase) return false;

  const std::span<const SavedQueryText> queries = GetLegacyQueries();
  const std::size_t count = IsGlobalModel(model) ? queries.size() : queries.size() - 1;
  for (std::size_t i = 0; i < count; ++i)
    if (!CreateOrReplaceQueryDef(*model.m_daoDatabase, queries[i].name, queries[i].sql,
                                 exportData.m_pvecSavedQueryNames))
      return false;
  plat::ResetFloatingPointControl();
  return true;
}
