// The report groups of the plants' purchases and sales and the plants' own
// valuation of their streams (BUY "COST", SELL "PRICE") in a global case.

#include <map>
#include <memory>

#include "caseset/config/local_model.h"
#include "caseset/modeltables/table_fil_table.h"
#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/economics/economics_fill.h"
#include "solutionfill/economics/group_fill.h"

namespace {

enum class CPass { kBuy, kSell };

CDbLocalCostPrice& EnsureLocalCostPrice(CDbPeriod& period, std::int32_t modelId, std::int32_t streamId,
                                        CVornDbExportData* owner) {
  const CDbLocalCostPrice probe(streamId, modelId);
  if (CDbLocalCostPrice* found = period.m_paLocalCostPrices.Find(&probe)) return *found;
  auto entry = std::make_unique<CDbLocalCostPrice>(streamId, modelId, owner);
  CDbLocalCostPrice& made = *entry;
  period.m_paLocalCostPrices.Add(std::move(entry));
  period.m_paLocalCostPrices.Sort(&CDbLocalCostPrice::CompareElements);
  return made;
}

void GiveReportGroup(CPass pass, const CDbCase& dbCase, CDbPeriod& period, std::int32_t streamId,
                     std::int32_t modelId, std::int32_t reportGroup) {
  if (pass == CPass::kBuy) {
    for (CDbTransaction* purchase : period.m_paPurchases)
      if (purchase && purchase->m_nID == streamId && purchase->m_nNodeID == modelId) {
        purchase->m_nReportGroup = reportGroup;
        return;
      }
    return;
  }
  for (const CDbMarket* market : dbCase.m_paMarkets) {
    if (!market) continue;
    for (CDbSale* sale : period.m_paSales)
      if (sale && sale->m_nID == streamId && sale->m_nNodeID == modelId && sale->m_nMarketID == market->m_nID) {
        sale->m_nReportGroup = reportGroup;
        break;
      }
  }
}

void ReadPass(CPass pass, CVornDbExportData* exportData, CVornModelFile* definition, CDbCase& dbCase,
              CDbModel& plant) {
  CTableFilTable table;
  const char* tableName = pass == CPass::kBuy ? "BUY" : "SELL";
  if (!fill::ReadModelTable(exportData, tableName, definition, table, true)) return;
  const int first = fill::FirstPeriodIndex(dbCase);
  const int groupColumn = table.FindColumn("GROUP");
  std::map<std::string, int> valueColumns;
  table.MapColumnsByPrefix(CTableFilTable::ItemNames(dbCase.m_paPeriods, first),
                           pass == CPass::kBuy ? "COST" : "PRICE", valueColumns);
  const auto bare = valueColumns.find(std::string());
  const int baseColumn = bare == valueColumns.end() ? -1 : bare->second;

  for (int row = 0; row < table.GetRowCount(); ++row) {
    float cell = 0.0f;
    std::int32_t reportGroup = kDbNoReportOrder;
    if (fill::GetCell(table, row, groupColumn, cell)) reportGroup = static_cast<std::int32_t>(cell);
    const float baseValue = fill::GetCell(table, row, baseColumn, cell) ? cell : 0.0f;
    const CDbStream* stream = fill::FindModelStream(plant, econ::Left(table.m_aRowNames[row], 3));
    if (!stream) continue;
    for (int i = first; i < dbCase.m_paPeriods.GetSize(); ++i) {
      CDbPeriod* period = dbCase.m_paPeriods[i];
      if (!period) continue;
      float value = baseValue;
      const auto mapped = valueColumns.find(period->m_strName);
      if (mapped != valueColumns.end() && fill::GetCell(table, row, mapped->second, cell)) value = cell;
      if (reportGroup != kDbNoReportOrder)
        GiveReportGroup(pass, dbCase, *period, stream->m_nID, plant.m_nID, reportGroup);
      if (baseColumn < 0) continue;
      CDbLocalCostPrice& entry = EnsureLocalCostPrice(*period, plant.m_nID, stream->m_nID, exportData);
      (pass == CPass::kBuy ? entry.m_dLocalCost : entry.m_dLocalPrice) = value;
    }
  }
}

}  // namespace

void CDbCase::AddReportGroupsLocalCosts(CDbModel* /*globalModel*/) {
  CVornDbExportData* exportData = m_pDbData;
  if (!exportData || !exportData->m_paLocalModelFiles || !exportData->m_paLocalModels) return;
  const CVornModelFileArray& definitions = *exportData->m_paLocalModelFiles;
  const CLocalModelArray& locals = *exportData->m_paLocalModels;
  const bool shortTags = fill::UseExtendedTags(exportData) && exportData->m_pTagProcessor;
  for (int i = 0; i < definitions.GetSize() && i < locals.GetSize(); ++i) {
    CVornModelFile* definition = definitions[i];
    const CLocalModel* local = locals[i];
    if (!definition || !local) continue;
    const std::string nodeName =
        shortTags ? exportData->m_pTagProcessor->GetShortPlantTag(local->m_strCodeString) : local->m_strCodeString;
    const CDbNode* node = fill::FindCaseNode(*this, nodeName);
    CDbModel* plant = node ? fill::FindNodeModel(*node, node->m_strName) : nullptr;
    if (!plant) continue;
    ReadPass(CPass::kBuy, exportData, definition, *this, *plant);
    ReadPass(CPass::kSell, exportData, definition, *this, *plant);
  }
}
