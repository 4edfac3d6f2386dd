#include "writers/legacy/report_writer_groups.h"

#include <algorithm>
#include <map>
#include <memory>
#include <tuple>

#include "caseset/modeltables/model_table_reader.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_blend.h"
#include "results/objects/db_case.h"
#include "results/objects/db_model.h"
#include "results/objects/db_model_items.h"
#include "results/objects/db_period.h"
#include "results/objects/db_stream.h"
#include "results/objects/db_value_records.h"

std::int32_t g_nNextRwID = -1;

int CRwGroup::CompareElements(const void* a, const void* b) {
  const auto* left = *static_cast<const CRwGroup* const*>(a);
  const auto* right = *static_cast<const CRwGroup* const*>(b);
  if (!left || !right) return left == right ? 0 : (left ? 1 : -1);
  const int c = left->m_strName.compare(right->m_strName);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

namespace {

constexpr std::size_t kDescriptionWidth = 50;

template <class Group>
bool ReadGroups(CVornDbExportData& exportData, const char* tableName, CAutoDestructArray<CPtrArray, Group*>& groups) {
  CTableFilTable table;
  if (!exportData.m_pModel || !ReadFilTable(exportData, tableName, exportData.m_pModel.get(), &table, false))
    return true;
  const int columns = table.GetColumnCount();
  const bool hasText = !table.m_aRowTexts.empty();
  for (int row = 0; row < table.GetRowCount(); ++row) {
    std::string name = table.m_aRowNames[static_cast<std::size_t>(row)];
    name.erase(name.find_last_not_of(" \t\r\n") + 1);
    if (name.empty()) continue;
    Group* group = nullptr;
    for (Group* existing : groups)
      if (existing && existing->m_strName == name) {
        group = existing;
        break;
      }
    if (!group) {
      group = new Group(name);
      groups.Add(group);
    }
    if (hasText) group->m_strDescription = table.GetRowText(row, kDescriptionWidth);
    for (int column = 0; column < columns; ++column) {
      float value = 0.0f;
      const std::string& member = table.m_aColumnNames[static_cast<std::size_t>(column)];
      if (member == "ROWNAMES" || !table.GetCell(row, column, value)) continue;
      if (std::find(group->m_lstMembers.begin(), group->m_lstMembers.end(), member) == group->m_lstMembers.end())
        group->m_lstMembers.push_back(member);
    }
  }
  return true;
}

template <class Array>
auto* FindByName(const Array& items, const std::string& name) {
  for (auto* item : items)
    if (item && item->m_strName == name) return item;
  return static_cast<typename Array::Element*>(nullptr);
}

template <class Groups>
const CRwGroup* FirstGroupHolding(const Groups& groups, const std::string& member) {
  for (const CRwGroup* group : groups)
    if (group && std::find(group->m_lstMembers.begin(), group->m_lstMembers.end(), member) != group->m_lstMembers.end())
      return group;
  return nullptr;
}

// Inserts element at its place in an array kept in the order of compare.
template <class Array>
void InsertSorted(Array& items, typename Array::Element* element, PFNPTRARRAYCOMPARE compare) {
  using Slot = typename Array::Element*;
  Slot* data = items.GetData();
  Slot* end = data + items.GetSize();
  Slot* at = std::upper_bound(data, end, element, [compare](Slot a, Slot b) { return compare(&a, &b) < 0; });
  items.InsertAt(static_cast<int>(at - data), element);
  items.m_pfnCompare = compare;
}

std::string GroupTag(const std::string& name) { return name.substr(0, 3); }

// The visited periods of the case: from the first real one to the end.
std::vector<CDbPeriod*> VisitedPeriods(const CDbCase& dbCase) {
  std::vector<CDbPeriod*> periods;
  for (int i = dbCase.FirstRealPeriodIndex(); i < dbCase.m_paPeriods.GetSize(); ++i)
    if (CDbPeriod* period = dbCase.m_paPeriods.GetAt(i)) periods.push_back(period);
  return periods;
}

CDbUnitOp* FindUnitOp(const CAutoDestructArray<CPtrArray, CDbUnitOp*>& list, std::int32_t id, std::int32_t node,
                      std::int32_t item, std::int32_t kind) {
  CDbUnitOp probe(id, node);
  probe.m_nItemID = item;
  probe.m_nKind = kind;
  return list.Find(&probe);
}

CDbRwStream* NewGroupStream(CVornDbExportData& exportData, const std::string& tag, const std::string& description) {
  auto* stream = new CDbRwStream(tag);
  stream->m_nID = g_nNextRwID;
  stream->m_nReportOrder = g_nNextRwID;
  ++g_nNextRwID;
  stream->m_strReportTag = tag;
  stream->m_strDescription = description;
  stream->m_bDummyFlag = 1;
  stream->m_pDbData = &exportData;
  return stream;
}

void AddUnitOps(CDbRwUnit& target, const CDbDefinition& unit, std::int32_t modelId,
                const std::vector<CDbPeriod*>& periods) {
  const std::size_t items = std::min(unit.m_aIntList1.size(), unit.m_aIntList2.size());
  for (std::size_t i = 0; i < items; ++i) {
    const std::int32_t item = unit.m_aIntList1[i];
    const std::int32_t kind = unit.m_aIntList2[i];
    for (CDbPeriod* period : periods) {
      const auto& sources = kind == 2   ? period->m_paUnitOperationCapacities
                            : kind == 3 ? period->m_paUnitOperationUtilities
                                        : period->m_paUnitOperationMaterials;
      const CDbUnitOp* source = FindUnitOp(sources, unit.m_nID, modelId, item, kind);
      if (!source) continue;
      CDbUnitOp* row = FindUnitOp(period->m_paRwUnitOps, target.m_nID, modelId, item, kind);
      if (row) {
        row->m_dActivity += source->m_dActivity;
        if (row->m_nFeedFlag != source->m_nFeedFlag) row->m_bMixedFeed = 1;
        continue;
      }
      row = new CDbUnitOp(target.m_nID, modelId, target.m_pDbData);
      row->m_nItemID = item;
      row->m_nKind = kind;
      row->m_nReportOrder = kDbNoReportOrder;
      row->m_bMixedFeed = 0;
      row->m_nFeedFlag = source->m_nFeedFlag;
      row->m_bLossRow = source->m_bLossRow;
      row->m_dActivity = source->m_dActivity;
      if (kind == 1) row->m_dMarginalValue = source->m_dMarginalValue;
      InsertSorted(period->m_paRwUnitOps, row, CDbUnitOp::CompareElements);
    }
  }
}

void FillRwUnits(CVornDbExportData& exportData, const CRwGrpUntArray& groups, CDbModel& dbModel,
                 const std::vector<CDbPeriod*>& periods) {
  std::int32_t nextId = dbModel.m_paUnits.GetSize();
  for (const CDbDefinition* unit : dbModel.m_paUnits) {
    if (!unit) continue;
    const CRwGroup* group = FirstGroupHolding(groups, unit->m_strName);
    auto* copy = new CDbRwUnit(unit->m_strName);
    copy->m_pDbData = &exportData;
    copy->m_nID = unit->m_nID;
    copy->m_nReportOrder = unit->m_nReportOrder;
    copy->m_strDescription = unit->m_strDescription;
    copy->m_strTag = unit->m_strReportTag;
    dbModel.m_paRwUnits.Add(copy);
    CDbRwUnit* target = copy;
    if (group) {
      copy->m_bWildcard = 1;
      target = FindByName(dbModel.m_paRwUnits, group->m_strName);
      if (!target) {
        target = new CDbRwUnit(group->m_strName);
        target->m_strTag = group->m_strName;
        target->m_strDescription = group->m_strDescription;
        target->m_nID = nextId++;
        target->m_bWildcard = 1;
        target->m_nReportOrder = unit->m_nReportOrder;
        target->m_aMembers.push_back(unit->m_nID);
        target->m_pDbData = &exportData;
        dbModel.m_paRwUnits.Add(target);
      }
    }
    AddUnitOps(*target, *unit, dbModel.m_nID, periods);
  }
  dbModel.m_paRwUnits.Sort(CDbObject::CompareDbObjectName);
}

void AddBlendQuantities(CVornDbExportData& exportData, const CDbRwBlend& target, const CDbBlend& blend,
                        std::int32_t modelId, const std::vector<CDbPeriod*>& periods) {
  for (CDbPeriod* period : periods) {
    const CDbBlendQuantity probe(blend.m_nID, modelId);
    const CDbBlendQuantity* source = period->m_paBlendQuantities.Find(&probe);
    if (!source) continue;
    const CDbBlendQuantity rwProbe(target.m_nID, modelId);
    CDbBlendQuantity* quantity = period->m_paRwBlendQuantities.Find(&rwProbe);
    if (!quantity) {
      quantity = new CDbBlendQuantity(target.m_nID, modelId, &exportData);
      InsertSorted(period->m_paRwBlendQuantities, quantity, CDbBlendQuantity::CompareElements);
    }
    for (const CDbBlendRecipe* recipe : source->m_paRecipes) {
      if (!recipe) continue;
      CDbBlendRecipe* same = nullptr;
      for (CDbBlendRecipe* r : quantity->m_paRecipes)
        if (r && r->m_nID == recipe->m_nID && r->m_nNodeID == recipe->m_nNodeID) same = r;
      if (same) {
        same->m_dVolMarginalValue = 0.0;
        same->m_dVolActivity += recipe->m_dVolActivity;
        same->m_dWgtActivity += recipe->m_dWgtActivity;
        quantity->m_dVolActivity += recipe->m_dVolActivity;
        quantity->m_dWgtActivity += recipe->m_dWgtActivity;
        continue;
      }
      auto copy = std::make_unique<CDbBlendRecipe>(recipe->m_nID, recipe->m_nNodeID, &exportData);
      copy->m_dVolActivity = recipe->m_dVolActivity;
      copy->m_dWgtActivity = recipe->m_dWgtActivity;
      copy->m_dVolMarginalValue = recipe->m_dVolMarginalValue;
      quantity->AddRecipe(std::move(copy));
    }
  }
}

void FillRwBlends(CVornDbExportData& exportData, const CRwGrpBlnArray& groups, CDbModel& dbModel,
                  const std::vector<CDbPeriod*>& periods) {
  for (const CDbBlend* blend : dbModel.m_paBlends) {
    if (!blend) continue;
    const CRwGroup* group = FirstGroupHolding(groups, blend->m_strName);
    auto* copy = new CDbRwBlend(blend->m_strName);
    copy->m_nID = blend->m_nID;
    copy->m_pDbData = &exportData;
    dbModel.m_paRwBlends.Add(copy);
    CDbRwBlend* target = copy;
    if (group) {
      copy->m_bGrouped = 1;
      const std::string tag = GroupTag(group->m_strName);
      target = FindByName(dbModel.m_paRwBlends, tag);
      CDbRwStream* stream = FindByName(dbModel.m_paRwStreams, tag);
      if (!target || !stream) {
        stream = NewGroupStream(exportData, tag, group->m_strDescription);
        dbModel.m_paRwStreams.Add(stream);
        target = new CDbRwBlend(tag);
        target->m_nID = stream->m_nID;
        target->m_bGrouped = 1;
        target->m_pDbData = &exportData;
        dbModel.m_paRwBlends.Add(target);
      }
      stream->m_lstMembers.push_back(blend->m_nID);
    }
    AddBlendQuantities(exportData, *target, *blend, dbModel.m_nID, periods);
  }
  dbModel.m_paRwBlends.Sort(CDbObject::CompareDbObjectName);
}

void FillRwStreamGroups(CVornDbExportData& exportData, const CRwGrpStrArray& groups, CDbModel& dbModel,
                        const std::vector<CDbPeriod*>& periods) {
  const std::int32_t modelId = dbModel.m_nID;
  for (const CRwGroup* group : groups) {
    if (!group || group->m_strName.size() != 7) continue;
    const char form = group->m_strName[3];
    const CDbRwBlend* blend = form == 'B' ? FindByName(dbModel.m_paRwBlends, group->m_strName.substr(4)) : nullptr;
    const CDbRwUnit* unit = form == 'S' ? FindByName(dbModel.m_paRwUnits, group->m_strName.substr(3)) : nullptr;
    if (!blend && !unit) continue;
    CDbRwStream* groupStream = nullptr;
    for (const std::string& member : group->m_lstMembers) {
      const CDbRwStream* memberStream = FindByName(dbModel.m_paRwStreams, member);
      if (!memberStream) continue;
      if (!groupStream) {
        groupStream = NewGroupStream(exportData, GroupTag(group->m_strName), group->m_strDescription);
        InsertSorted(dbModel.m_paRwStreams, groupStream, CDbObject::CompareDbObjectName);
      }
      for (CDbPeriod* period : periods) {
        if (blend) {
          const CDbBlendQuantity probe(blend->m_nID, modelId);
          CDbBlendQuantity* quantity = period->m_paRwBlendQuantities.Find(&probe);
          if (!quantity) continue;
          int memberIndex = -1;
          CDbBlendRecipe* groupRecipe = nullptr;
          for (int i = 0; i < quantity->m_paRecipes.GetSize(); ++i) {
            CDbBlendRecipe* r = quantity->m_paRecipes.GetAt(i);
            if (r && r->m_nID == memberStream->m_nID && memberIndex < 0) memberIndex = i;
            if (r && r->m_nID == groupStream->m_nID && !groupRecipe) groupRecipe = r;
          }
          if (memberIndex < 0) continue;
          if (!groupRecipe) {
            groupRecipe = new CDbBlendRecipe(groupStream->m_nID, modelId, &exportData);
            quantity->m_paRecipes.Add(groupRecipe);
          }
          std::unique_ptr<CDbBlendRecipe> moved = quantity->m_paRecipes.DetachAt(memberIndex);
          groupRecipe->m_dVolActivity += moved->m_dVolActivity;
          groupRecipe->m_dWgtActivity += moved->m_dWgtActivity;
        } else {
          CDbUnitOp* memberRow = FindUnitOp(period->m_paRwUnitOps, unit->m_nID, modelId, memberStream->m_nID, 1);
          if (!memberRow) continue;
          CDbUnitOp* groupRow = FindUnitOp(period->m_paRwUnitOps, unit->m_nID, modelId, groupStream->m_nID, 1);
          if (!groupRow) {
            groupRow = new CDbUnitOp(unit->m_nID, modelId, &exportData);
            groupRow->m_nItemID = groupStream->m_nID;
            groupRow->m_nKind = 1;
            groupRow->m_nReportOrder = kDbNoReportOrder;
            groupRow->m_bMixedFeed = 0;
            InsertSorted(period->m_paRwUnitOps, groupRow, CDbUnitOp::CompareElements);
            groupRow->m_nFeedFlag = memberRow->m_nFeedFlag;
            groupRow->m_bLossRow = memberRow->m_bLossRow;
          }
          if (groupRow->m_nFeedFlag == memberRow->m_nFeedFlag) {
            groupRow->m_bMixedFeed = 1;
            groupRow->m_dActivity += memberRow->m_dActivity;
          } else {
            groupRow->m_bMixedFeed = 0;
            groupRow->m_dActivity -= memberRow->m_dActivity;
          }
          for (int i = 0; i < period->m_paRwUnitOps.GetSize(); ++i)
            if (period->m_paRwUnitOps.GetAt(i) == memberRow) {
              period->m_paRwUnitOps.DetachAt(i);
              break;
            }
        }
      }
      groupStream->m_lstMembers.push_back(memberStream->m_nID);
    }
  }
}

void FillRwVTWs(CVornDbExportData& exportData, CDbModel& dbModel, const std::vector<CDbPeriod*>& periods) {
  const std::int32_t modelId = dbModel.m_nID;
  for (CDbPeriod* period : periods) {
    for (const CDbVTW* vtw : period->m_paVTWs) {
      if (!vtw) continue;
      auto* copy = new CDbVTW(vtw->m_nID, vtw->m_nNodeID, &exportData);
      copy->m_dValue = vtw->m_dValue;
      period->m_paRwVTWs.Add(copy);
    }
    period->m_paRwVTWs.Sort(CDbVTW::CompareElements);
  }
  // A group's factor is the plain average of its members' factors in the period.
  std::vector<std::int32_t> recorded;
  for (const CDbRwStream* stream : dbModel.m_paRwStreams) {
    if (!stream || stream->m_lstMembers.empty()) continue;
    std::map<CDbPeriod*, std::pair<double, int>> sums;
    for (std::int32_t member : stream->m_lstMembers)
      for (CDbPeriod* period : periods) {
        const CDbVTW probe(member, modelId);
        if (const CDbVTW* found = period->m_paRwVTWs.Find(&probe)) {
          sums[period].first += found->m_dValue;
          ++sums[period].second;
          if (std::find(recorded.begin(), recorded.end(), member) == recorded.end()) recorded.push_back(member);
        }
      }
    for (CDbPeriod* period : periods) {
      const auto& [sum, count] = sums[period];
      auto* factor = new CDbVTW(stream->m_nID, modelId, &exportData);
      factor->m_dValue = count > 0 ? sum / count : 1.0;
      InsertSorted(period->m_paRwVTWs, factor, CDbVTW::CompareElements);
    }
  }
  for (std::int32_t member : recorded)
    for (CDbPeriod* period : periods)
      for (int i = 0; i < period->m_paRwVTWs.GetSize(); ++i) {
        const CDbVTW* vtw = period->m_paRwVTWs.GetAt(i);
        if (vtw && vtw->m_nID == member && vtw->m_nNodeID == modelId) {
          period->m_paRwVTWs.DetachAt(i);
          break;
        }
      }
}

}  // namespace

bool ReadRWGRPBLN(CVornDbExportData& exportData, CVornModelFile*, CRwGrpBlnArray& groups) {
  return ReadGroups(exportData, "RWGRPBLN", groups);
}
bool ReadRWGRPSTR(CVornDbExportData& exportData, CVornModelFile*, CRwGrpStrArray& groups) {
  return ReadGroups(exportData, "RWGRPSTR", groups);
}
bool ReadRWGRPUNT(CVornDbExportData& exportData, CVornModelFile*, CRwGrpUntArray& groups) {
  return ReadGroups(exportData, "RWGRPUNT", groups);
}

bool FillReportWriterGroups(CVornDbExportData& exportData, CVornModelFile* model, CDbCase* dbCase,
                            CDbModel* dbModel) {
  if (!model || !dbCase || !dbModel) return true;
  const std::int32_t modelType = model->m_settings.m_ModelType.GetValue();
  if (modelType == 2 || modelType == 3) return true;
  CRwGrpBlnArray blendGroups;
  CRwGrpStrArray streamGroups;
  CRwGrpUntArray unitGroups;
  ReadRWGRPBLN(exportData, model, blendGroups);
  ReadRWGRPSTR(exportData, model, streamGroups);
  ReadRWGRPUNT(exportData, model, unitGroups);
  if (blendGroups.IsEmpty() && streamGroups.IsEmpty() && unitGroups.IsEmpty()) {
    model->m_bReportWriterGroups = 0;
    return true;
  }
  model->m_bReportWriterGroups = 1;

  for (const CDbStream* stream : dbModel->m_paStreams) {
    if (!stream) continue;
    auto* copy = new CDbRwStream(stream->m_strName);
    copy->m_nID = stream->m_nID;
    copy->m_strDescription = stream->m_strDescription;
    copy->m_strReportTag = stream->m_strReportTag;
    copy->m_strShortTag = stream->m_strShortTag;
    copy->m_bDummyFlag = stream->m_bDummyFlag;
    copy->m_nReportOrder = stream->m_nReportOrder;
    copy->m_nVWBasis = stream->m_nVWBasis;
    copy->m_nUOMTypeID1 = stream->m_nUOMTypeID1;
    copy->m_nUOMTypeID0 = stream->m_nUOMTypeID0;
    copy->m_pDbData = &exportData;
    dbModel->m_paRwStreams.Add(copy);
    g_nNextRwID = std::max(g_nNextRwID, stream->m_nReportOrder);
  }
  const std::int32_t streams = dbModel->m_paStreams.GetSize();
  g_nNextRwID = streams > g_nNextRwID + 1 ? streams + 1 : g_nNextRwID + 1;
  // The look-ups by name below need the copies in name order.
  dbModel->m_paRwStreams.Sort(CDbObject::CompareDbObjectName);

  const std::vector<CDbPeriod*> periods = VisitedPeriods(*dbCase);
  FillRwUnits(exportData, unitGroups, *dbModel, periods);
  FillRwBlends(exportData, blendGroups, *dbModel, periods);
  dbModel->m_paRwStreams.Sort(CDbObject::CompareDbObjectName);
  FillRwStreamGroups(exportData, streamGroups, *dbModel, periods);
  FillRwVTWs(exportData, *dbModel, periods);
  return true;
}

std::string GetLinkStreamTag(const CDbLink* link, CDbModel* dbModel) {
  if (!link || !dbModel) return "";
  for (const CDbStream* stream : dbModel->m_paStreams)
    if (stream && stream->m_nID == link->m_nNodeID) return stream->m_strName;
  return "";
}
