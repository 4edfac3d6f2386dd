// The groups of a model object: GROUPS with the GROUP columns of BUY and
// SELL, the report groups of a local model, the period and plant-spanning
// blend-mix groups, and the demand-plant and demand-market groups.

#include <memory>
#include <vector>

#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_services.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/economics/group_fill.h"

namespace fill {

CDbGroupPeriod* FindGroupPeriod(const CDbPeriod& period, std::int32_t groupId, std::int32_t modelId) {
  for (CDbGroupPeriod* entry : period.m_paGroupPeriods)
    if (entry && entry->m_nID == groupId && entry->m_nNodeID == modelId) return entry;
  return nullptr;
}

CDbGroupPeriod& EnsureGroupPeriod(CDbPeriod& period, std::int32_t groupId, std::int32_t modelId) {
  if (CDbGroupPeriod* entry = FindGroupPeriod(period, groupId, modelId)) return *entry;
  auto entry = std::make_unique<CDbGroupPeriod>(groupId, modelId);
  CDbGroupPeriod& made = *entry;
  period.m_paGroupPeriods.Add(std::move(entry));
  return made;
}

void AddGroupMember(CDbGroupPeriod& groupPeriod, std::int32_t memberId, std::int32_t memberNodeId,
                    std::int32_t marketId, std::int32_t periodId, CVornDbExportData* owner, bool checkDuplicate) {
  if (checkDuplicate)
    for (const CDbGroupMember* member : groupPeriod.m_paMembers)
      if (member && member->m_nID == memberId && member->m_nNodeID == memberNodeId) return;
  auto member = std::make_unique<CDbGroupMember>(memberId, memberNodeId, owner);
  member->m_nMarketID = marketId;
  member->m_nMemberPeriodID = periodId;
  groupPeriod.m_paMembers.Add(std::move(member));
}

CDbGroup* FindModelGroup(const CDbModel& model, const std::string& name) {
  for (CDbGroup* group : model.m_paGroups)
    if (group && group->m_strName == name) return group;
  return nullptr;
}

CDbNode* FindCaseNode(const CDbCase& dbCase, const std::string& name) {
  const CDbNode probe(name);
  if (CDbNode* node = dbCase.m_paNodes.Find(&probe)) return node;
  // The node list may be between an append and its sort.
  return dbCase.m_paNodes.LinearFind(&probe);
}

CDbModel* FindNodeModel(const CDbNode& node, const std::string& name) {
  for (CDbModel* model : node.m_paModels)
    if (model && model->m_strName == name) return model;
  return nullptr;
}

}  // namespace fill

namespace {

using fill::AddGroupMember;
using fill::EnsureGroupPeriod;
using fill::FindCaseNode;
using fill::FindGroupPeriod;
using fill::FindModelGroup;
using fill::FindModelStream;
using fill::FindNodeModel;

using fill::ForEachRealPeriod;

// Cells used as group numbers are truncated toward zero.
std::int32_t Truncated(float value) { return static_cast<std::int32_t>(value); }

std::unique_ptr<CDbGroup> MakeGroup(std::int32_t id, const std::string& name, CVornDbExportData* owner,
                                    std::int32_t* lastGroupNumber) {
  auto group = std::make_unique<CDbGroup>(id, owner);
  group->m_strName = name;
  group->m_strReportTag = fill::ReportTag(owner, name);
  group->m_strGroupText = name;
  group->m_strDomainTag = name;
  if (lastGroupNumber) group->m_nGroupNumber = ++*lastGroupNumber;
  return group;
}

void SortGroups(CDbModel& model) { model.m_paGroups.Sort(&CDbObject::CompareDbObjectName); }

// The other (non-dummy) nodes' model objects of a global case.
template <class Fn>
void ForEachLocalModel(CDbCase& dbCase, const CDbModel& global, Fn fn) {
  for (CDbNode* node : dbCase.m_paNodes) {
    if (!node || node->m_bDummyFlag || node->m_nID == global.m_nID) continue;
    for (CDbModel* local : node->m_paModels)
      if (local) fn(*local);
  }
}

CDbDefinition* FindDefinition(const CDbModel& model, const std::string& name) {
  for (CDbDefinition* definition : model.m_paUtilities)
    if (definition && definition->m_strName == name) return definition;
  return nullptr;
}

void RemoveGlobalStream(CDbCase& dbCase, CDbModel& model, const CDbStream& stream) {
  const std::int32_t streamId = stream.m_nID;
  ForEachRealPeriod(dbCase, [&](CDbPeriod& period) {
    for (int i = 0; i < period.m_paVTWs.GetSize(); ++i) {
      const CDbVTW* vtw = period.m_paVTWs.GetAt(i);
      if (vtw && vtw->m_nID == streamId && vtw->m_nNodeID == model.m_nID) {
        period.m_paVTWs.RemoveAt(i);
        break;
      }
    }
  });
  for (int i = 0; i < model.m_paStreams.GetSize(); ++i)
    if (model.m_paStreams.GetAt(i) == &stream) {
      model.m_paStreams.RemoveAt(i);
      break;
    }
}

void CopyGroupIntoLocalModels(CDbCase& dbCase, const CDbModel& global, const CDbGroup& group,
                              CVornDbExportData* owner) {
  ForEachLocalModel(dbCase, global, [&](CDbModel& local) {
    const CDbGroup probe(group.m_strName);
    if (local.m_paGroups.Find(&probe) || FindModelGroup(local, group.m_strName)) return;
    auto copy = std::make_unique<CDbGroup>(local.m_paGroups.GetSize() + 1, owner);
    copy->m_strName = group.m_strName;
    copy->m_strReportTag = group.m_strReportTag;
    copy->m_strDescription = group.m_strDescription;
    copy->m_strGroupText = group.m_strGroupText;
    copy->m_strDomainTag = group.m_strDomainTag;
    copy->m_nGroupNumber = group.m_nGroupNumber + 100;
    local.m_paGroups.Add(std::move(copy));
    SortGroups(local);
  });
}

void AddStreamToGroup(CDbCase& dbCase, const CDbModel& model, const CDbGroup& group, const CDbStream& stream,
                      CVornDbExportData* owner) {
  ForEachRealPeriod(dbCase, [&](CDbPeriod& period) {
    AddGroupMember(EnsureGroupPeriod(period, group.m_nID, model.m_nID), stream.m_nID, model.m_nID, 0, period.m_nID,
                   owner, true);
  });
}

void ReadGroupsTable(CDbSolution& solution, CVornModelFile* modelFile, CDbCase& dbCase, CDbModel& model,
                     bool isGlobal) {
  CVornDbExportData* owner = solution.m_pDbData;
  CTableFilTable table;
  if (!fill::ReadModelTable(owner, "GROUPS", modelFile, table, true)) return;
  const int groupColumn = table.FindColumn("GROUP");
  const int rows = table.GetRowCount();
  model.m_paGroups.SetSize(rows);
  for (int i = 0; i < rows; ++i) {
    solution.m_bHasReportGroups = 1;
    auto made = std::make_unique<CDbGroup>(i + 1, owner);
    CDbGroup& group = *made;
    model.m_paGroups.SetAt(i, made.release());
    group.m_strName = table.m_aRowNames[i];
    group.m_strReportTag = fill::ReportTag(owner, group.m_strName);
    group.m_strDescription = fill::RowDescription(table, i);
    group.m_strGroupText = group.m_strName;
    group.m_strDomainTag = group.m_strName;
    group.m_nGroupNumber = solution.m_nLastGroupNumber + 1;
    float cell;
    if (groupColumn >= 0 && fill::GetCell(table, i, groupColumn, cell)) group.m_nGroupNumber = Truncated(cell);
    if (group.m_nGroupNumber > solution.m_nLastGroupNumber) solution.m_nLastGroupNumber = group.m_nGroupNumber;

    if (isGlobal) {
      if (const CDbStream* stream = FindModelStream(model, group.m_strName)) RemoveGlobalStream(dbCase, model, *stream);
      CopyGroupIntoLocalModels(dbCase, model, group, owner);
    }
    for (int j = 0; j < table.GetColumnCount(); ++j) {
      if (j == groupColumn || !fill::GetCell(table, i, j, cell)) continue;
      const std::string& member = table.m_aColumnNames[j];
      if (const CDbStream* stream = FindModelStream(model, member))
        AddStreamToGroup(dbCase, model, group, *stream, owner);
      else if (CDbDefinition* definition = FindDefinition(model, member))
        group.m_paMembers.Add(definition);
      if (!isGlobal) continue;
      ForEachLocalModel(dbCase, model, [&](CDbModel& local) {
        const CDbStream* localStream = FindModelStream(local, member);
        const CDbGroup* localGroup = FindModelGroup(local, group.m_strName);
        if (localStream && localGroup) AddStreamToGroup(dbCase, local, *localGroup, *localStream, owner);
      });
    }
  }
}

void ReadPurchaseOrSaleGroups(CDbSolution& solution, CVornModelFile* modelFile, CDbCase& dbCase, CDbModel& model,
                              const char* tableName, const char* priceColumnName, bool isPurchase) {
  CTableFilTable table;
  if (!fill::ReadModelTable(solution.m_pDbData, tableName, modelFile, table, true)) return;
  const int groupColumn = table.FindColumn("GROUP");
  const int priceColumn = table.FindColumn(priceColumnName);
  if (groupColumn < 0 && priceColumn < 0) return;
  for (int i = 0; i < table.GetRowCount(); ++i) {
    CDbStream* stream = FindModelStream(model, table.m_aRowNames[i]);
    float cell;
    if (groupColumn >= 0 && fill::GetCell(table, i, groupColumn, cell)) {
      const std::int32_t number = Truncated(cell);
      const CDbGroup* group = nullptr;
      for (const CDbGroup* candidate : model.m_paGroups)
        if (candidate && candidate->m_nGroupNumber == number) {
          group = candidate;
          break;
        }
      if (group && stream) AddStreamToGroup(dbCase, model, *group, *stream, solution.m_pDbData);
    }
    if (priceColumn >= 0 && stream && fill::GetCell(table, i, priceColumn, cell)) {
      if (isPurchase)
        stream->m_fBuyIPrice = -cell;
      else
        stream->m_fSellICost = cell;
    }
  }
}

void MakeReportGroups(CDbSolution& solution, CDbCase& dbCase, CDbModel& model) {
  struct ReportGroup {
    std::int32_t bit;
    const char* tag;
    const char* text;
  };
  static const ReportGroup kReportGroups[] = {
      {1, "#PURC", "PURCHASED STREAMS"}, {2, "#SELL", "SOLD STREAMS"},     {4, "#BLND", "BLENDED STREAMS"},
      {8, "#CRUD", "CRUDES"},            {16, "#SUBM", "SUBMODEL STREAMS"}, {32, "#INVT", "INVENTORIED STREAMS"},
  };
  CVornDbExportData* owner = solution.m_pDbData;
  const int base = model.m_paGroups.GetSize();
  model.m_paGroups.SetSize(base + 6);
  for (int k = 0; k < 6; ++k) {
    const ReportGroup& kind = kReportGroups[k];
    auto made = std::make_unique<CDbGroup>(base + k + 1, owner);
    CDbGroup& group = *made;
    model.m_paGroups.SetAt(base + k, made.release());
    group.m_strName = kind.tag;
    group.m_strReportTag = kind.tag;
    group.m_strDescription = fill::Left(kind.text, 50);
    group.m_strGroupText = kind.tag;
    group.m_strDomainTag = kind.tag;
    group.m_nGroupNumber = ++solution.m_nLastGroupNumber;
    ForEachRealPeriod(dbCase, [&](CDbPeriod& period) {
      CDbGroupPeriod& entry = EnsureGroupPeriod(period, group.m_nID, model.m_nID);
      for (const CDbStream* stream : model.m_paStreams)
        if (stream && (stream->m_nStreamFlags & kind.bit))
          AddGroupMember(entry, stream->m_nID, model.m_nID, 0, period.m_nID, owner, false);
    });
  }
}

CDbPeriod* FindCasePeriodByName(const CDbCase& dbCase, const std::string& name) {
  const CDbPeriod probe(name);
  if (CDbPeriod* period = dbCase.m_paPeriods.Find(&probe)) return period;
  return dbCase.m_paPeriods.LinearFind(&probe);
}

// Adds to entry the members group sourceId of model modelId has in period, as members of that model.
void AddMembersOf(CDbGroupPeriod& entry, const CDbPeriod& period, std::int32_t sourceId, std::int32_t modelId,
                  std::int32_t marketId, CVornDbExportData* owner) {
  if (const CDbGroupPeriod* from = FindGroupPeriod(period, sourceId, modelId))
    for (const CDbGroupMember* member : from->m_paMembers)
      if (member) AddGroupMember(entry, member->m_nID, modelId, marketId, period.m_nID, owner, false);
}

// A demand table (PLANTGRP, MARKTGRP): a row is a group, made with the given demand flag when the row's first
// member is found; a set cell's column names a member by its tag (first three characters) and its plant or market
// (last character). addMember(tag, place, groupId) adds the member, calling groupId() for the row's group.
template <class AddMember>
bool FillDemandGroups(CDbModel& model, CVornModelFile* modelFile, const char* tableName,
                      std::uint8_t CDbGroup::*demandFlag, std::int32_t* lastGroupNumber, AddMember addMember) {
  std::int32_t nextId = model.m_paGroups.GetSize();
  CTableFilTable table;
  if (!fill::ReadModelTable(model.m_pDbData, tableName, modelFile, table, false)) return false;
  bool made = false;
  float cell;
  for (int r = 0; r < table.GetRowCount(); ++r) {
    CDbGroup* group = nullptr;
    auto groupId = [&]() -> std::int32_t {
      if (!group) {
        auto fresh = MakeGroup(++nextId, table.m_aRowNames[r], model.m_pDbData, lastGroupNumber);
        (*fresh).*demandFlag = 1;
        fresh->m_strDescription = fill::RowDescription(table, r);
        group = fresh.get();
        model.m_paGroups.Add(std::move(fresh));
        SortGroups(model);
        made = true;
      }
      return group->m_nID;
    };
    for (int c = 0; c < table.GetColumnCount(); ++c) {
      const std::string& code = table.m_aColumnNames[c];
      if (code.empty() || !fill::GetCell(table, r, c, cell)) continue;
      addMember(fill::Left(code, 3), code.substr(code.size() - 1), groupId);
    }
  }
  return made;
}

}  // namespace

void CDbSolution::BuildGroups(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model, bool isGlobal) {
  m_bHasReportGroups = 0;
  m_nLastGroupNumber = 0;
  SendStatusText(m_pDbData, 0, "Building Groups ...");
  if (!modelFile || !dbCase || !model) return;
  ReadGroupsTable(*this, modelFile, *dbCase, *model, isGlobal);
  if (!isGlobal) {
    ReadPurchaseOrSaleGroups(*this, modelFile, *dbCase, *model, "BUY", "IPRICE", true);
    ReadPurchaseOrSaleGroups(*this, modelFile, *dbCase, *model, "SELL", "ICOST", false);
    MakeReportGroups(*this, *dbCase, *model);
  }
  model->FillPeriodBlendMix(modelFile, dbCase, isGlobal, &m_nLastGroupNumber);
  model->FillGlobalBlendMix(modelFile, dbCase, isGlobal, &m_nLastGroupNumber);
  SortGroups(*model);
}

bool CDbModel::FillPeriodBlendMix(CVornModelFile* modelFile, CDbCase* dbCase, bool isGlobal,
                                  std::int32_t* lastGroupNumber) {
  if (isGlobal || !modelFile || !dbCase || !fill::IsMultiPeriodModel(*modelFile)) return false;
  if (dbCase->m_paPeriods.GetSize() == 0) return false;
  std::int32_t nextId = m_paGroups.GetSize();
  CTableFilTable mix;
  fill::ReadModelTable(m_pDbData, "PBLNMIX", modelFile, mix, true);
  CTableFilTable periods;
  if (!fill::ReadModelTable(m_pDbData, "PBLNPER", modelFile, periods, false) || periods.GetRowCount() == 0)
    return false;
  CDbPeriod& spanningPeriod = *dbCase->m_paPeriods.GetAt(0);
  bool made = false;
  float cell;
  for (int r = 0; r < periods.GetRowCount(); ++r) {
    std::vector<CDbPeriod*> rowPeriods;
    for (int c = 0; c < periods.GetColumnCount(); ++c) {
      CDbPeriod* period = FindCasePeriodByName(*dbCase, periods.m_aColumnNames[c]);
      if (period && fill::GetCell(periods, r, c, cell)) rowPeriods.push_back(period);
    }
    if (rowPeriods.empty()) continue;
    const int mixColumn = mix.FindColumn(periods.m_aRowNames[r]);
    if (mixColumn < 0) continue;
    CDbGroup* group = nullptr;
    auto makeGroup = [&]() -> CDbGroup& {
      if (!group) {
        auto fresh = MakeGroup(++nextId, periods.m_aRowNames[r], m_pDbData, lastGroupNumber);
        fresh->m_strDescription = fill::RowDescription(periods, r);
        fresh->m_bPeriodSpanning = 1;
        group = fresh.get();
        m_paGroups.Add(std::move(fresh));
        made = true;
      }
      return *group;
    };
    for (int m = 0; m < mix.GetRowCount(); ++m) {
      if (!fill::GetCell(mix, m, mixColumn, cell)) continue;
      const std::string& member = mix.m_aRowNames[m];
      if (const CDbStream* stream = FindModelStream(*this, member)) {
        CDbGroupPeriod& entry = EnsureGroupPeriod(spanningPeriod, makeGroup().m_nID, m_nID);
        for (const CDbPeriod* period : rowPeriods)
          AddGroupMember(entry, stream->m_nID, m_nID, 0, period->m_nID, m_pDbData, false);
      } else if (const CDbGroup* source = FindModelGroup(*this, member)) {
        const std::int32_t sourceId = source->m_nID;
        CDbGroupPeriod& entry = EnsureGroupPeriod(spanningPeriod, makeGroup().m_nID, m_nID);
        for (const CDbPeriod* period : rowPeriods) AddMembersOf(entry, *period, sourceId, m_nID, 0, m_pDbData);
      }
    }
  }
  return made;
}

bool CDbModel::FillGlobalBlendMix(CVornModelFile* modelFile, CDbCase* dbCase, bool isGlobal,
                                  std::int32_t* lastGroupNumber) {
  if (!isGlobal || !modelFile || !dbCase) return false;
  std::int32_t nextId = m_paGroups.GetSize();
  CTableFilTable mix;
  if (!fill::ReadModelTable(m_pDbData, "GBLNMIX", modelFile, mix, false)) return false;
  CTableFilTable spans;
  fill::ReadModelTable(m_pDbData, "GBLNPER", modelFile, spans, false);
  bool made = false;
  float cell;
  for (int c = 0; c < mix.GetColumnCount(); ++c) {
    const std::string& name = mix.m_aColumnNames[c];
    CDbGroup* group = nullptr;
    int spanningRow = -1;
    auto makeGroup = [&]() -> CDbGroup& {
      if (!group) {
        auto fresh = MakeGroup(++nextId, name, m_pDbData, lastGroupNumber);
        fresh->m_bPlantSpanning = 1;
        for (int s = 0; s < spans.GetRowCount() && spanningRow < 0; ++s)
          if (fill::Left(spans.m_aRowNames[s], 3) == name) spanningRow = s;
        if (spanningRow >= 0) {
          fresh->m_bPlantSpanning = 0;
          fresh->m_bPlantPeriodSpanning = 1;
        }
        group = fresh.get();
        m_paGroups.Add(std::move(fresh));
        made = true;
      }
      return *group;
    };
    // A plant-period-spanning group takes a period only when a set GBLNPER cell's column begins with the
    // period's name: a one-character name (the column's first character is the whole name).
    auto periodTaken = [&](const CDbPeriod& period) {
      if (!group || !group->m_bPlantPeriodSpanning) return true;
      for (int k = 0; k < spans.GetColumnCount(); ++k) {
        float value;
        if (fill::GetCell(spans, spanningRow, k, value) && !spans.m_aColumnNames[k].empty() &&
            spans.m_aColumnNames[k].substr(0, 1) == period.m_strName)
          return true;
      }
      return false;
    };
    for (int m = 0; m < mix.GetRowCount(); ++m) {
      if (!fill::GetCell(mix, m, c, cell)) continue;
      const std::string& code = mix.m_aRowNames[m];
      if (code.empty()) continue;
      const std::string tag = fill::Left(code, 3);
      const std::string plant = code.substr(code.size() - 1);
      const CDbNode* node = FindCaseNode(*dbCase, plant);
      const CDbModel* local = node ? FindNodeModel(*node, plant) : nullptr;
      if (!local) continue;
      if (const CDbStream* stream = FindModelStream(*local, tag)) {
        const std::int32_t groupId = makeGroup().m_nID;
        ForEachRealPeriod(*dbCase, [&](CDbPeriod& period) {
          if (!periodTaken(period)) return;
          CDbPeriod& target = group->m_bPlantPeriodSpanning ? *dbCase->m_paPeriods.GetAt(0) : period;
          AddGroupMember(EnsureGroupPeriod(target, groupId, m_nID), stream->m_nID, local->m_nID, 0, period.m_nID,
                         m_pDbData, false);
        });
      } else if (const CDbGroup* source = FindModelGroup(*local, tag)) {
        const std::int32_t groupId = makeGroup().m_nID;
        ForEachRealPeriod(*dbCase, [&](CDbPeriod& period) {
          if (!periodTaken(period)) return;
          AddMembersOf(EnsureGroupPeriod(period, groupId, m_nID), period, source->m_nID, local->m_nID, 0, m_pDbData);
        });
      }
    }
  }
  return made;
}

bool CDbModel::FillPlantGroups(CVornModelFile* modelFile, CDbCase* dbCase, std::int32_t* lastGroupNumber) {
  if (!modelFile || !dbCase) return false;
  return FillDemandGroups(*this, modelFile, "PLANTGRP", &CDbGroup::m_bDemandPlant, lastGroupNumber,
                          [&](const std::string& tag, const std::string& plant, auto& groupId) {
    const CDbNode* node = FindCaseNode(*dbCase, plant);
    if (!node) return;
    const CDbModel* source = FindNodeModel(*node, plant);
    if (!source) source = this;
    if (const CDbStream* stream = FindModelStream(*source, tag)) {
      const std::int32_t id = groupId();
      ForEachRealPeriod(*dbCase, [&](CDbPeriod& period) {
        AddGroupMember(EnsureGroupPeriod(period, id, m_nID), stream->m_nID, node->m_nID, 0, period.m_nID, m_pDbData,
                       false);
      });
    } else if (const CDbGroup* from = FindModelGroup(*source, tag)) {
      const std::int32_t fromId = from->m_nID;
      const std::int32_t id = groupId();
      ForEachRealPeriod(*dbCase, [&](CDbPeriod& period) {
        AddMembersOf(EnsureGroupPeriod(period, id, m_nID), period, fromId, node->m_nID, 0, m_pDbData);
      });
    }
  });
}

bool CDbModel::FillMarketGroups(CVornModelFile* modelFile, CDbCase* dbCase, std::int32_t* lastGroupNumber,
                                const std::vector<CDbDepot*>& depots) {
  if (!modelFile || !dbCase) return false;
  return FillDemandGroups(*this, modelFile, "MARKTGRP", &CDbGroup::m_bDemandMarket, lastGroupNumber,
                          [&](const std::string& tag, const std::string& marketName, auto& groupId) {
    const CDbMarket probe(marketName);
    const CDbMarket* market = dbCase->m_paMarkets.Find(&probe);
    if (!market) market = dbCase->m_paMarkets.LinearFind(&probe);
    if (!market) return;
    const std::int32_t marketId = market->m_nID;
    if (const CDbStream* stream = FindModelStream(*this, tag)) {
      const std::int32_t id = groupId();
      ForEachRealPeriod(*dbCase, [&](CDbPeriod& period) {
        CDbGroupPeriod& entry = EnsureGroupPeriod(period, id, m_nID);
        for (const CDbStreamLookup* lookup : stream->m_paLookups)
          if (lookup && lookup->m_pStream && lookup->m_pStream != stream)
            AddGroupMember(entry, lookup->m_pStream->m_nID, lookup->m_nModelID, marketId, period.m_nID, m_pDbData,
                           false);
        for (const CDbDepot* depot : depots)
          if (depot) AddGroupMember(entry, stream->m_nID, depot->m_nID, marketId, period.m_nID, m_pDbData, false);
      });
    } else if (const CDbGroup* from = FindModelGroup(*this, tag)) {
      const std::int32_t fromId = from->m_nID;
      const std::int32_t id = groupId();
      ForEachRealPeriod(*dbCase, [&](CDbPeriod& period) {
        AddMembersOf(EnsureGroupPeriod(period, id, m_nID), period, fromId, m_nID, marketId, m_pDbData);
      });
    }
  });
}
