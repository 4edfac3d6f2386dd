#include "solutionfill/core/fill_tables.h"

#include <memory>

#include "caseset/modeltables/model_table_reader.h"
#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_model.h"
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

CDbStream* FindModelStream(const CDbModel& model, const std::string& name) {
  const CDbStream probe(name);
  return model.m_paStreams.Find(&probe);
}

CDbStream& AddDummyStream(CDbModel& model, const std::string& name, const char* description,
                          CVornDbExportData* owner) {
  const CVornModelFile* main = MainModel(owner);
  const int count = model.m_paStreams.GetSize();
  auto stream = (main && main->m_settings.m_UniversalIdsOn.GetValue() != 0)
                    ? std::make_unique<CDbStream>(name, 0, owner)
                    : std::make_unique<CDbStream>(count, owner);
  stream->m_strName = name;
  stream->m_bDummyFlag = 1;
  stream->m_strDomainTag = name;
  stream->m_nReportOrder = count;
  stream->m_fLiquidConversion = 0.0f;
  stream->m_nStreamFlags = 0;
  stream->m_nVWBasis = 0;
  stream->m_strDescription = description;
  stream->m_nUOMTypeID0 = 0;
  stream->m_nUOMTypeID1 = 1;
  stream->m_strReportTag = ReportTag(owner, name);
  CDbStream& made = *stream;
  model.m_paStreams.Add(std::move(stream));
  model.m_paStreams.Sort(&CDbObject::CompareDbObjectName);
  return made;
}

std::string TrimRight(const std::string& text) {
  const std::size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string Left(const std::string& text, std::size_t count) { return text.substr(0, count); }

}  // namespace fill
