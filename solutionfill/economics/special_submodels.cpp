// The crude units of a model (CRDDISTL, CRDCUTS, CRDPOOLS) as special
// submodels, and the unit groups of the SUBMODS column "COMBINE" with the
// operations of their members summed per period.

#include <algorithm>
#include <climits>
#include <cstddef>
#include <memory>
#include <string>

#include "caseset/modeltables/vorn_io_table.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_services.h"
#include "solutionfill/core/fill_tables.h"
#include "standins/tresk.h"
#include "tableio/worksheet/wks_file.h"

namespace {

// A cell converted toward zero; values beyond the int range are clamped.
std::int32_t Truncate(double value) {
  if (!(value > static_cast<double>(INT_MIN) - 1.0)) return INT_MIN;
  if (!(value < static_cast<double>(INT_MAX) + 1.0)) return INT_MAX;
  return static_cast<std::int32_t>(value);
}

// The cell truncated, or fallback when it is blank or outside the grid.
std::int32_t TruncatedCell(const CTableFilTable& table, int row, int column, std::int32_t fallback) {
  float value;
  return fill::GetCell(table, row, column, value) ? Truncate(value) : fallback;
}

int FirstIndexOf(const std::vector<std::string>& names, const std::string& name) {
  const auto it = std::find(names.begin(), names.end(), name);
  return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

// Slot (cut, column) of a cut-major list of cutCount x columnCount values; -1 when out of it.
std::ptrdiff_t Slot(const std::vector<std::int32_t>& list, int columnCount, int cut, int column) {
  if (cut < 0 || column < 0 || column >= columnCount) return -1;
  const std::size_t slot = static_cast<std::size_t>(cut) * static_cast<std::size_t>(columnCount) +
                           static_cast<std::size_t>(column);
  return slot < list.size() ? static_cast<std::ptrdiff_t>(slot) : -1;
}

void SetPool(std::vector<std::int32_t>& pools, int columnCount, int cut, int column, double value) {
  const std::ptrdiff_t slot = Slot(pools, columnCount, cut, column);
  if (slot >= 0) pools[static_cast<std::size_t>(slot)] = value > 0.0 ? Truncate(value) : 0;
}

}  // namespace

void CDbSpecialSubs::BuildSpecialSubmodels(CVornModelFile* modelFile, CDbCase* /*dbCase*/, CDbModel* /*model*/,
                                           CTableFilTable& submods, CVornDbExportData* exportData) {
  m_aReportValues.clear();
  m_bVacuumTowerRow = 0;
  m_nCrudeUnitCount = 0;

  CTableFilTable distl;
  if (!fill::ReadModelTable(exportData, "CRDDISTL", modelFile, distl, false)) distl.Reset("CRDDISTL");
  const int columnCount = distl.GetColumnCount();
  int vacuumRow = -1;
  for (int r = 0; r < distl.GetRowCount(); ++r) {
    const std::string& name = distl.m_aRowNames[static_cast<std::size_t>(r)];
    if (name.compare(0, 6, "REPORT") == 0) {
      ++m_nCrudeUnitCount;
      std::string text =
          static_cast<std::size_t>(r) < distl.m_aRowTexts.size() ? distl.m_aRowTexts[static_cast<std::size_t>(r)] : "";
      if (text.empty()) text = "Crude Unit " + name;
      // Rows read without a text column get empty texts, so texts stay aligned with rows.
      submods.m_aRowTexts.resize(submods.m_aRowNames.size());
      submods.m_aRowNames.push_back(name);
      submods.m_aRowTexts.push_back(text);
      for (int l = 0; l < columnCount; ++l) m_aReportValues.push_back(TruncatedCell(distl, r, l, 0));
    } else if (name == "VACTWR") {
      float value;
      for (int l = 0; l < columnCount; ++l)
        if (fill::GetCell(distl, r, l, value)) {
          m_bVacuumTowerRow = 1;
          vacuumRow = r;
          break;
        }
    }
  }
  m_nColumnCount = columnCount;
  m_astrColumnNames = distl.m_aColumnNames;

  if (m_nCrudeUnitCount == 0 && !m_bVacuumTowerRow) {
    m_aCutList.clear();
    return;
  }

  // Cut types: the column "TYPE" for all columns, then "TYPE" + column name per column.
  CTableFilTable cuts;
  if (!fill::ReadModelTable(exportData, "CRDCUTS", modelFile, cuts, true)) cuts.Reset("CRDCUTS");
  m_nCutCount = cuts.GetRowCount();
  m_astrCutNames = cuts.m_aRowNames;
  const std::size_t cells = static_cast<std::size_t>(m_nCutCount) * static_cast<std::size_t>(columnCount);
  m_aCutTypes.assign(static_cast<std::size_t>(m_nCutCount), 0);
  m_aCutColumnValues.assign(cells, -1);
  std::vector<std::int32_t>& types = m_aCutColumnValues;
  const int typeColumn = FirstIndexOf(cuts.m_aColumnNames, "TYPE");
  if (typeColumn >= 0) {
    for (int k = 0; k < m_nCutCount; ++k) {
      const std::int32_t type = TruncatedCell(cuts, k, typeColumn, -1);
      m_aCutTypes[static_cast<std::size_t>(k)] = type;
      for (int l = 0; l < columnCount; ++l) types[static_cast<std::size_t>(Slot(types, columnCount, k, l))] = type;
    }
  }
  for (int l = 0; l < columnCount; ++l) {
    const int column = FirstIndexOf(cuts.m_aColumnNames, "TYPE" + m_astrColumnNames[static_cast<std::size_t>(l)]);
    if (column < 0) continue;
    float value;
    for (int k = 0; k < m_nCutCount; ++k)
      if (fill::GetCell(cuts, k, column, value) && value > 0.0f)
        types[static_cast<std::size_t>(Slot(types, columnCount, k, l))] = Truncate(value);
  }
  for (int l = 0; l < columnCount; ++l)
    for (int k = 1; k < m_nCutCount; ++k) {
      const auto at = static_cast<std::size_t>(Slot(types, columnCount, k, l));
      if (types[at] == 4 && types[static_cast<std::size_t>(Slot(types, columnCount, k - 1, l))] == 3) types[at] = 34;
    }
  m_aCutColumnFlags.assign(cells, 1);
  std::vector<std::int32_t>& pools = m_aCutColumnFlags;

  // Pools: CRDPOOLS by cut and column, else the pools of CRDCUTS itself.
  CTableFilTable poolTable;
  if (fill::ReadModelTable(exportData, "CRDPOOLS", modelFile, poolTable, true)) {
    if (poolTable.GetColumnCount() > 0) {
      for (int r = 0; r < poolTable.GetRowCount(); ++r) {
        const int k = FirstIndexOf(m_astrCutNames, poolTable.m_aRowNames[static_cast<std::size_t>(r)]);
        if (k < 0) continue;
        for (int c = 0; c < poolTable.GetColumnCount(); ++c) {
          const int l = FirstIndexOf(m_astrColumnNames, poolTable.m_aColumnNames[static_cast<std::size_t>(c)]);
          if (l < 0) continue;
          float value;
          SetPool(pools, columnCount, k, l, fill::GetCell(poolTable, r, c, value) ? value : 0.0);
        }
      }
    } else {
      ReadCrudeCutPools(modelFile, nullptr, exportData);
    }
    for (std::size_t i = 0; i < pools.size() && i < types.size(); ++i)
      if (types[i] == -1) pools[i] = 0;
  } else {
    ReadCrudeCutPools(modelFile, nullptr, exportData);
  }

  // Vacuum towers: columns with the same tower number whose cuts from the
  // first type-2 cut on share a non-zero type.
  if (!m_bVacuumTowerRow) {
    m_aCutList.clear();
    return;
  }
  m_aCutList.assign(static_cast<std::size_t>(columnCount), 0);
  auto firstType2 = [&](int column) {
    for (int k = 0; k < m_nCutCount; ++k)
      if (types[static_cast<std::size_t>(Slot(types, columnCount, k, column))] == 2) return k;
    return -1;
  };
  for (int e = 0; e + 1 < columnCount; ++e) {
    float ve;
    if (!fill::GetCell(distl, vacuumRow, e, ve)) continue;
    const int k1 = firstType2(e);
    if (k1 <= 0) continue;
    for (int f = e + 1; f < columnCount; ++f) {
      float vf;
      if (!fill::GetCell(distl, vacuumRow, f, vf)) continue;
      const int k2 = firstType2(f);
      if (k2 <= 0 || Truncate(vf) != Truncate(ve)) continue;
      for (int c = std::min(k1, k2); c < m_nCutCount; ++c) {
        const std::int32_t te = types[static_cast<std::size_t>(Slot(types, columnCount, c, e))];
        const std::int32_t tf = types[static_cast<std::size_t>(Slot(types, columnCount, c, f))];
        if (te != 0 && te == tf) {
          m_aCutList[static_cast<std::size_t>(e)] = 1;
          m_aCutList[static_cast<std::size_t>(f)] = 1;
          break;
        }
      }
    }
  }
}

bool CDbSpecialSubs::ReadCrudeCutPools(CVornModelFile* modelFile, CDbModel* /*model*/,
                                       CVornDbExportData* exportData) {
  const CVornModelFile* main = fill::MainModel(exportData);
  std::vector<std::int32_t>& pools = m_aCutColumnFlags;
  if (main && main->m_settings.m_UseZelunMGOn.GetValue() != 0) {
    CTableFilTable cuts;
    if (!fill::ReadModelTable(exportData, "CRDCUTS", exportData->m_pModel.get(), cuts, false)) return false;
    for (int r = 0; r < cuts.GetRowCount(); ++r) {
      const int k = FirstIndexOf(m_astrCutNames, cuts.m_aRowNames[static_cast<std::size_t>(r)]);
      if (k < 0) continue;
      for (int c = 0; c < cuts.GetColumnCount(); ++c) {
        const int l = FirstIndexOf(m_astrColumnNames, cuts.m_aColumnNames[static_cast<std::size_t>(c)]);
        float value;
        if (l >= 0 && fill::GetCell(cuts, r, c, value)) SetPool(pools, m_nColumnCount, k, l, value);
      }
    }
    return true;
  }
  if (!modelFile) return false;
  CloseCachedWorkbook(true);
  const CVornIoTable table("CRDCUTS", *modelFile, 0);
  if (table.GetStatus() != kIoTableOk && table.GetStatus() != kIoTableOkWithWarnings) return false;
  for (int r = 0; r < table.GetRowCount(); ++r) {
    if (table.GetKeyColumnCount() == 0) break;
    const int k = FirstIndexOf(m_astrCutNames, table.GetKeyText(r, 0));
    if (k < 0) continue;
    for (int c = 0; c < table.GetColumnCount(); ++c) {
      if (c == table.m_nTextColumn) continue;
      const char* name = table.GetColumnName(c);
      const int l = name ? FirstIndexOf(m_astrColumnNames, name) : -1;
      if (l < 0 || table.IsCellNull(r, c)) continue;
      SetPool(pools, m_nColumnCount, k, l, table.GetCellDouble(r, c));
    }
  }
  return true;
}

void CDbSolution::BuildGroupUnitOps(CVornModelFile* /*modelFile*/, CDbCase* dbCase, CDbModel* model) {
  SendStatusMessage(LoadTreskString(kTreskUnitGroups));
  if (!m_bHasSubmodsUnits || !model || !dbCase) return;
  const int rows = std::min(m_tableFil.GetRowCount(),
                            std::max(0, m_tableFil.GetRowCount() - m_specialSubs.m_nCrudeUnitCount));
  const int combine = FirstIndexOf(m_tableFil.m_aColumnNames, "COMBINE");
  if (combine < 0) return;
  model->m_paGroupUnits.m_pfnCompare = &CDbObject::CompareDbObjectId;
  for (int i = 0; i < rows; ++i) {
    float value;
    if (!fill::GetCell(m_tableFil, i, combine, value)) continue;
    const std::int32_t number = Truncate(value);
    const std::string& name = m_tableFil.m_aRowNames[static_cast<std::size_t>(i)];
    const CDbDefinition probe(name);
    CDbDefinition* unit = model->m_paUnits.Find(&probe);
    if (!unit || unit->m_nReportFlag <= 0) continue;
    CDbGroupUnit* group = nullptr;
    for (CDbGroupUnit* each : model->m_paGroupUnits)
      if (each && each->m_nID == number) {
        group = each;
        break;
      }
    if (!group) {
      auto made = std::make_unique<CDbGroupUnit>(number, m_pDbData);
      group = made.get();
      model->m_paGroupUnits.Add(std::move(made));
      group->m_nGroupNumber = number;
      group->m_strName = name;
      group->m_strDomainTag = name;
      group->m_strGroupText = name;
      group->m_strReportTag = "Group " + unit->m_strReportTag;
      group->m_strDescription = unit->m_strDescription;
      group->m_nUnitCount = 0;
    }
    group->AddUnit(unit, model->m_nID, dbCase);
  }
}

bool CDbGroupUnit::AddUnit(CDbDefinition* unit, std::int32_t modelId, CDbCase* dbCase) {
  if (!unit) return true;
  m_paMemberUnits.Add(unit);
  const std::size_t operations = std::min(unit->m_aIntList1.size(), unit->m_aIntList2.size());
  if (dbCase) {
    for (std::size_t j = 0; j < operations; ++j) {
      const std::int32_t item = unit->m_aIntList1[j];
      const std::int32_t kind = unit->m_aIntList2[j];
      for (int p = fill::FirstPeriodIndex(*dbCase); p < dbCase->m_paPeriods.GetSize(); ++p) {
        CDbPeriod* period = dbCase->m_paPeriods.GetAt(p);
        if (!period) continue;
        auto& unitOps = kind == CDbUnitOp::kCapacity  ? period->m_paUnitOperationCapacities
                        : kind == CDbUnitOp::kUtility ? period->m_paUnitOperationUtilities
                                                      : period->m_paUnitOperationMaterials;
        CDbUnitOp probe(unit->m_nID, modelId);
        probe.m_nItemID = item;
        probe.m_nKind = kind;
        const CDbUnitOp* own = unitOps.Find(&probe);
        if (!own) continue;
        probe.m_nID = m_nID;
        auto& groupOps = period->m_paGroupUnitOperations;
        if (CDbUnitOp* sum = groupOps.Find(&probe)) {
          sum->m_dActivity += own->m_dActivity;
          if (sum->m_nFeedFlag != own->m_nFeedFlag) sum->m_bMixedFeed = 1;
          continue;
        }
        auto made = std::make_unique<CDbUnitOp>(m_nID, modelId, m_pDbData);
        CDbUnitOp& sum = *made;
        sum.m_nItemID = item;
        sum.m_nKind = kind;
        groupOps.AddSorted(std::move(made), &CDbUnitOp::CompareElements);
        sum.m_nFeedFlag = own->m_nFeedFlag;
        sum.m_bLossRow = own->m_bLossRow;
        sum.m_dActivity = own->m_dActivity;
        sum.m_nReportOrder = m_nUnitCount * 100 + own->m_nReportOrder;
        if (kind == CDbUnitOp::kMaterial) sum.m_dMarginalValue = own->m_dMarginalValue;
      }
    }
  }
  ++m_nUnitCount;
  return true;
}
