#include "writers/schema/table_definition.h"

#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/access/output_table_api.h"
#include "modelfile/output_table.h"
#include "modelfile/vorn_model_file.h"
#include "tableio/db/db_connect_info.h"

bool IsAccessDatabaseWritten(const CVornModelFile& model) {
  return IsAccessDatabase(model.m_settings.m_DatabaseOutputFormat.GetValue()) ||
         model.m_settings.m_CreateAccessDbAlso.GetValue() != 0;
}

COutputTable* OpenResultTable(CVornDbExportData& exportData, const std::string& table, std::int32_t* existing) {
  CVornModelFile* model = exportData.m_pModel.get();
  if (model == nullptr) return nullptr;
  std::int32_t dummy = 0;
  const std::string& modelName = model->m_strModelName;
  return COpenTable(exportData, table.c_str(), static_cast<int>(table.size()), modelName.c_str(),
                    static_cast<int>(modelName.size()), 0, existing != nullptr ? existing : &dummy);
}

bool DefineResultFields(CVornDbExportData& exportData, COutputTable* handle, std::span<const ResultField> fields,
                        bool report) {
  for (const ResultField& field : fields) {
    const int length = static_cast<int>(std::char_traits<char>::length(field.name));
    int ok = 0;
    switch (field.kind) {
      case FieldKind::Long:
        ok = CDefineLongIntegerField(exportData, handle, field.name, length, report);
        break;
      case FieldKind::Short:
        ok = CDefineShortIntegerField(exportData, handle, field.name, length, report);
        break;
      case FieldKind::Double:
        ok = CDefineDoubleField(exportData, handle, field.name, length, report);
        break;
      case FieldKind::Date:
        ok = CDefineDateField(exportData, handle, field.name, length, report);
        break;
      case FieldKind::Text:
        ok = CDefineTextField(exportData, handle, field.name, length, field.size, report);
        break;
      case FieldKind::Memo:
        ok = CDefineMemoField(exportData, handle, field.name, length, report);
        break;
    }
    if (ok == 0) return false;
  }
  return true;
}

bool DefineResultTable(CVornDbExportData& exportData, COutputTable* handle, const ResultTable& table) {
  return DefineResultFields(exportData, handle, table.fields, true) && CEndDefineFields(exportData, handle, true) != 0;
}

COutputTable* DefineRangeTable(CVornDbExportData& exportData, const ResultTable& table, int* ok) {
  *ok = 0;
  COutputTable* handle = OpenResultTable(exportData, table.name);
  if (handle == nullptr) return nullptr;
  if (!IsAccessDatabaseWritten(*exportData.m_pModel)) {
    *ok = 1;
    return handle;
  }
  if (DefineResultFields(exportData, handle, table.fields, true) &&
      CEndDefineFields(exportData, handle, exportData.m_bDatabaseError != 0) != 0)
    *ok = 1;
  return handle;
}

void DropResultTable(CVornModelFile& model, const std::string& table) {
  if (!model.m_daoDatabase || !model.m_daoDatabase->IsOpen()) return;
  for (int i = model.m_outputTables.GetSize() - 1; i >= 0; --i) {
    const COutputTable* handle = model.m_outputTables.GetAt(i);
    if (handle != nullptr && handle->m_strName == table) model.m_outputTables.RemoveAt(i);
  }
  DropDaoTable(*model.m_daoDatabase, table);
}
