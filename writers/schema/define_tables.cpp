// The definition pass: every result table of the schema opened in the results
// database of the export context's model and its fields stated, in the
// catalogue's order.

#include "caseset/vorn_db_export_data.h"
#include "dbdrivers/access/output_table_api.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_solution.h"
#include "writers/schema/table_definition.h"

bool CDbSolution::DefineTables() {
  if (m_pDbData == nullptr || !m_pDbData->m_pModel) return false;
  CVornDbExportData& exportData = *m_pDbData;
  const CModelSettings& settings = exportData.m_pModel->m_settings;
  for (const ResultTable& table : GetDefinitionPassTables()) {
    if (table.condition == TableCondition::RangeExport) {
      // The range export reports its own failures; the pass goes on.
      int ok = 0;
      DefineRangeTable(exportData, table, &ok);
      continue;
    }
    if (!IsTableDefined(table.condition, settings)) continue;
    COutputTable* handle = OpenResultTable(exportData, table.name);
    if (handle == nullptr || !DefineResultTable(exportData, handle, table)) return false;
  }
  return true;
}
