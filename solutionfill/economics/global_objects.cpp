// The case-wide objects of a global case: the local models' report flags,
// the transport modes, the markets, the depots (each a node of its own), the
// global stream lookups into the local models, and later the descriptions
// of the depot streams.

#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/economics/group_fill.h"

namespace {

enum class TagKind { kMode, kMarket, kThreeChar };

std::string TagOf(const CVornDbExportData* exportData, TagKind kind, const std::string& name) {
  if (!fill::UseExtendedTags(exportData) || !exportData->m_pTagProcessor) return name;
  const CExtendedTagProcessor& tags = *exportData->m_pTagProcessor;
  switch (kind) {
    case TagKind::kMode:
      return tags.GetExtendedModeTag(name);
    case TagKind::kMarket:
      return tags.GetExtendedMarketTag(name);
    case TagKind::kThreeChar:
      break;
  }
  return tags.GetExtendedThreeCharTag(name);
}

void ClearReportFlags(CVornDbExportData* owner, CVornModelFile* modelFile, CDbCase& dbCase) {
  CTableFilTable table;
  if (!fill::ReadModelTable(owner, "MODELS", modelFile, table, true)) return;
  const int report = table.FindColumn("REPORT");
  if (report < 0) return;
  for (int i = 0; i < table.GetRowCount(); ++i) {
    float cell;
    if (!fill::GetCell(table, i, report, cell) || cell != 0.0f) continue;
    const CDbNode* node = fill::FindCaseNode(dbCase, table.m_aRowNames[i]);
    if (CDbModel* model = node ? fill::FindNodeModel(*node, table.m_aRowNames[i]) : nullptr) model->m_nReportFlag = 0;
  }
}

// Modes and markets: position 0 keeps the dummy entry, the rows follow with ids 1 to n.
template <class Item>
void ReadModesOrMarkets(CVornDbExportData* owner, CVornModelFile* modelFile, const char* tableName, bool report,
                        TagKind kind, CAutoDestructArray<CPtrArray, Item*>& list) {
  CTableFilTable table;
  if (!fill::ReadModelTable(owner, tableName, modelFile, table, report)) return;
  const int rows = table.GetRowCount();
  // The result manager puts the dummy entry at position 0; a list without one gets no empty slot.
  const int first = list.GetSize() > 0 ? 1 : 0;
  list.SetSize(first + rows);
  for (int i = 0; i < rows; ++i) {
    auto item = std::make_unique<Item>(table.m_aRowNames[i], owner);
    item->m_nID = i + 1;
    item->m_bDummyFlag = 0;
    item->m_strDescription = fill::RowDescription(table, i);
    item->m_strTag = TagOf(owner, kind, item->m_strName);
    list.SetAt(first + i, item.release());
  }
  list.Sort(&CDbObject::CompareDbObjectName);
}

std::vector<CDbDepot*> ReadDepots(CDbSolution& solution, CVornModelFile* modelFile, CDbCase& dbCase) {
  std::vector<CDbDepot*> depots;
  CVornDbExportData* owner = solution.m_pDbData;
  CTableFilTable table;
  if (!fill::ReadModelTable(owner, "DEPOTS", modelFile, table, false)) return depots;
  for (int i = 0; i < table.GetRowCount(); ++i) {
    const std::int32_t id = dbCase.m_paNodes.GetSize();
    auto node = std::make_unique<CDbNode>(id, owner);
    node->m_strName = table.m_aRowNames[i];
    node->m_bDummyFlag = 0;
    node->m_nVWBasisID = solution.m_nVolumeBasis;
    auto depot = std::make_unique<CDbDepot>(table.m_aRowNames[i]);
    depot->m_nID = id;
    depot->m_pDbData = owner;
    depot->m_strTag = TagOf(owner, TagKind::kThreeChar, depot->m_strName);
    depot->m_strDescription = fill::RowDescription(table, i);
    depots.push_back(depot.get());
    node->m_paDepots.Add(std::move(depot));
    dbCase.m_paNodes.Add(std::move(node));
    dbCase.m_paNodes.Sort(&CDbObject::CompareDbObjectName);
  }
  return depots;
}

void AddLookup(CDbStream& global, const CDbModel& model, CDbStream& local, CVornDbExportData* owner) {
  global.m_paLookups.Add(std::make_unique<CDbStreamLookup>(model.m_nID, &local, owner));
}

}  // namespace

bool CDbSolution::FillModelsModesMarketsDepots(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model) {
  if (!modelFile || !dbCase || !model) return true;
  ClearReportFlags(m_pDbData, modelFile, *dbCase);
  ReadModesOrMarkets(m_pDbData, modelFile, "MODES", false, TagKind::kMode, dbCase->m_paModes);
  ReadModesOrMarkets(m_pDbData, modelFile, "MARKETS", true, TagKind::kMarket, dbCase->m_paMarkets);
  const std::vector<CDbDepot*> depots = ReadDepots(*this, modelFile, *dbCase);
  model->BuildNodeModelStreams(modelFile, dbCase);
  m_bHasMarketGroups = model->FillMarketGroups(modelFile, dbCase, &m_nLastGroupNumber, depots) ? 1 : 0;
  m_bHasPlantGroups = model->FillPlantGroups(modelFile, dbCase, &m_nLastGroupNumber) ? 1 : 0;
  return true;
}

void CDbModel::BuildNodeModelStreams(CVornModelFile* modelFile, CDbCase* dbCase) {
  if (!modelFile || !dbCase) return;
  // (plant, local tag) of every LOCTAGS row: such a local stream is tied by its row only.
  std::set<std::pair<std::string, std::string>> tiedLocals;
  CTableFilTable table;
  if (fill::ReadModelTable(m_pDbData, "LOCTAGS", modelFile, table, false)) {
    for (int i = 0; i < table.GetRowCount(); ++i) {
      const std::string& code = table.m_aRowNames[i];
      const std::string localTag = fill::Left(code, 3);
      const std::string plant = code.size() > 3 ? code.substr(3, 1) : std::string();
      tiedLocals.emplace(plant, localTag);
      const std::string text = i < static_cast<int>(table.m_aRowTexts.size()) ? table.m_aRowTexts[i] : std::string();
      CDbStream* global = fill::FindModelStream(*this, fill::Left(text, 3));
      if (!global) continue;
      const CDbNode* node = fill::FindCaseNode(*dbCase, plant);
      const CDbModel* local = node ? fill::FindNodeModel(*node, plant) : nullptr;
      CDbStream* localStream = local ? fill::FindModelStream(*local, localTag) : nullptr;
      if (!localStream) continue;
      AddLookup(*global, *local, *localStream, m_pDbData);
      localStream->m_nGlobalReportOrder = global->m_nReportOrder;
    }
  }
  for (CDbStream* global : m_paStreams) {
    if (!global || global->m_bDummyFlag) continue;
    for (const CDbNode* node : dbCase->m_paNodes) {
      if (!node || node->m_bDummyFlag || node->m_nID == m_nID || node->m_paModels.GetSize() != 1) continue;
      const CDbModel* local = node->m_paModels.GetAt(0);
      CDbStream* localStream = local ? fill::FindModelStream(*local, global->m_strName) : nullptr;
      if (!localStream || tiedLocals.count({local->m_strName, localStream->m_strName})) continue;
      AddLookup(*global, *local, *localStream, m_pDbData);
      localStream->m_nGlobalReportOrder = global->m_nReportOrder;
    }
    AddLookup(*global, *this, *global, m_pDbData);
    global->m_paLookups.Sort(&CDbStreamLookup::CompareElements);
  }
}

void CDbSolution::SetStreamDescriptionsForDepots(CDbCase* dbCase, CDbModel* model) {
  if (!dbCase || !model) return;
  for (const CDbNode* node : dbCase->m_paNodes) {
    if (!node) continue;
    for (const CDbDepot* depot : node->m_paDepots) {
      if (!depot) continue;
      for (CDbStream* stream : depot->m_paStreams)
        if (const CDbStream* global = stream ? fill::FindModelStream(*model, stream->m_strName) : nullptr)
          stream->m_strDescription = global->m_strDescription;
    }
  }
}
