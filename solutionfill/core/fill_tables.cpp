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
  value = CTableFilTable::kBlankCell;
  const int columns = table.GetColumnCount();
  if (row < 0 || column < 0 || column >= columns || row >= table.GetRowCount()) return false;
  const long long index = static_cast<long long>(row) * columns + column;
  if (index >= table.GetCellCount()) return false;
  return !table.GetValue(static_cast<int>(index), value);
}

std::string RowDescription(const CTableFilTable& table, int row) {
  if (table.m_aRowTexts.empty() || table.m_aRowTexts.size() != table.m_aRowNames.size()) return std::string();
  return RowText(table, row);
}

std::string RowText(const CTableFilTable& table, int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= table.m_aRowTexts.size()) return std::string();
  return Left(table.m_aRowTexts[row], kDescriptionWidth);
}

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

int FirstPeriodIndex(const CDbCase& dbCase) {
  const int first = dbCase.m_bModelPeriods > 0 ? 1 : 0;
  return first < dbCase.m_paPeriods.GetSize() ? first : dbCase.m_paPeriods.GetSize();
}

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
