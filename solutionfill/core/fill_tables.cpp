#include "solutionfill/core/fill_tables.h"

#include "caseset/modeltables/model_table_reader.h"
#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_period.h"

namespace fill {

namespace {
constexpr std::size_t kDescriptionWidth = 50;
}

bool ReadModelTable(CVornDbExportData* exportData, const char* name, CVornModelFile* model, CTableFilTable& table,
                    bool report) {
  table.Reset(name);
  if (!exportData || !model) return false;
  if (ReadFilTable(*exportData, name, model, &table, report)) return true;
  table.Reset(name);
  return false;
}

bool GetCell(const CTableFilTable& table, int row, int column, float& value) {
  return table.GetCell(row, column, value);
}

std::string RowDescription(const CTableFilTable& table, int row) {
  if (table.m_aRowTexts.empty() || table.m_aRowTexts.size() != table.m_aRowNames.size()) return std::string();
  return RowText(table, row);
}

std::string RowText(const CTableFilTable& table, int row) { return table.GetRowText(row, kDescriptionWidth); }

const CVornModelFile* MainModel(const CVornDbExportData* exportData) {
  return exportData ? exportData->m_pModel.get() : nullptr;
}

bool UseExtendedTags(const CVornDbExportData* exportData) {
  const CVornModelFile* main = MainModel(exportData);
  return main && main->m_settings.m_UseExtendedTagsOn.GetValue() != 0;
}

std::string ReportTag(const CVornDbExportData* exportData, const std::string& name) {
  if (!UseExtendedTags(exportData) || !exportData->m_pTagProcessor) return name;
  return exportData->m_pTagProcessor->GetExtendedThreeCharTag(name);
}

std::int32_t GetModelType(const CVornModelFile& model) { return model.m_settings.m_ModelType.GetValue(); }

bool IsMultiPeriodModel(const CVornModelFile& model) {
  const std::int32_t type = GetModelType(model);
  return type == 1 || type == 3;
}

int FirstPeriodIndex(const CDbCase& dbCase) { return dbCase.FirstRealPeriodIndex(); }

CDbPeriod* FirstRealPeriod(const CDbCase& dbCase) {
  const int first = FirstPeriodIndex(dbCase);
  return first < dbCase.m_paPeriods.GetSize() ? dbCase.m_paPeriods.GetAt(first) : nullptr;
}

std::string TrimRight(const std::string& text) {
  const std::size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string Left(const std::string& text, std::size_t count) { return text.substr(0, count); }

}  // namespace fill
