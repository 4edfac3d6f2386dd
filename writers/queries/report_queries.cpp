#include "writers/queries/report_queries.h"

#include <cstdlib>
#include <vector>

#include "dbdrivers/access/access_result_database.h"
#include "modelfile/vorn_model_file.h"
#include "platform/dao.h"
#include "platform/float_control.h"
#include "writers/schema/table_definition.h"

bool AreHtmlReportViewsWanted(const char* value) {
  if (value == nullptr || *value == '\0') return false;
  return std::atoi(value) == 0;
}

CDaoDatabase* OpenModelAccessDatabase(CVornDbExportData& exportData, CVornModelFile& model) {
  if (!model.m_daoDatabase) model.m_daoDatabase = std::make_shared<CDaoDatabase>();
  if (!model.m_daoDatabase->IsOpen() &&
      !OpenOrCreateResultDatabase(exportData, &model, false, exportData.m_strHomeDirectory, *model.m_daoDatabase,
                                  model.m_outputTables))
    return nullptr;
  return model.m_daoDatabase->IsOpen() ? model.m_daoDatabase.get() : nullptr;
}

bool CreateReportQueries(CVornDbExportData& exportData, CVornModelFile& model) {
  if (!IsAccessDatabaseWritten(model)) return true;
  CDaoDatabase* database = OpenModelAccessDatabase(exportData, model);
  if (database == nullptr) return false;
  CDaoDatabase& target = *database;
  // Without a list of the run the names of this call are the list.
  std::vector<std::string> ownNames;
  std::vector<std::string>& names = exportData.m_pvecSavedQueryNames ? *exportData.m_pvecSavedQueryNames : ownNames;
  auto save = [&](std::span<const SavedQueryText> queries) {
    for (const SavedQueryText& query : queries)
      if (!CreateOrReplaceQueryDef(target, query.name, query.sql, &names)) return false;
    return true;
  };

  if (AreHtmlReportViewsWanted(std::getenv("NEW_HTML_REPORT_ON")) &&
      (!save(GetReportViews()) || !save(GetBaseViews())))
    return false;
  if (!save(GetReportWriterViews())) return false;
  if (model.m_settings.m_CreateReportWriterQueriesOn.GetValue() == 0)
    for (const std::string& name : names) DeleteQueryDef(target, name);
  if (!save(std::span<const SavedQueryText>(&GetSolutionValuesQuery(), 1))) return false;
  names.clear();
  plat::ResetFloatingPointControl();
  return true;
}
