// The limits of process units that come from outside the plant's own
// tables: the solver's "proclim.dat" (into the periods' process-limit
// arrays, before the capacity limits are built) and, in a global case, the
// global model's process-limit table, which overrides the limits and the
// utilisation of its plants' units.

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "caseset/vorn_db_export_data.h"
#include "foundation/path_utils.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/economics/economics_fill.h"
#include "solutionfill/economics/group_fill.h"

namespace {

const CDbDefinition* FindUnit(const CDbModel& model, const std::string& name) {
  for (const CDbDefinition* unit : model.m_paProcessCapacities)
    if (unit && unit->m_strName == name) return unit;
  return nullptr;
}

// The cell of row in the column the map gives the period; 1e30 without one.
double MappedCell(const CTableFilTable& table, int row, const std::map<std::string, int>& map,
                  const std::string& period) {
  const auto column = map.find(period);
  float cell;
  if (column == map.end() || !fill::GetCell(table, row, column->second, cell)) return kDbNotSet;
  return cell;
}

}  // namespace

void CDbSolution::SetProcLimMinMax(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model, bool isGlobal,
                                   bool isLocalModel, bool isMultiPeriod) {
  if (!modelFile || !dbCase || !model || model->m_paProcessCapacities.IsEmpty()) return;
  const std::string path = MakeAbsolutePath(modelFile->m_strModelDir, "proclim.dat");
  std::ifstream file(path);
  if (!file.is_open()) return;
  CDbPeriod* period = isMultiPeriod || dbCase->m_paPeriods.IsEmpty() ? nullptr : dbCase->m_paPeriods[0];
  const CDbDefinition* unit = nullptr;
  econ::CSideFileRecordReader reader(file);
  std::string row, column;
  float value = 0.0f;
  while (reader.Next(row, column, value)) {
    if ((isGlobal || isLocalModel) && econ::CharAt(column, isMultiPeriod ? 8 : 7) != model->m_strName) continue;
    const std::string name = econ::Chars3(column, 4);
    if (isMultiPeriod) {
      const std::string code = econ::CharAt(column, 7);
      period = code.empty() ? nullptr : econ::FindCasePeriod(*dbCase, code);
    }
    if (!period) continue;
    if (!unit || unit->m_strName != name) unit = FindUnit(*model, name);
    if (!unit) continue;
    const int slot = econ::ProcLimSlot(*period, model->m_nID, unit->m_nID);
    if (slot < 0) continue;  // the model's units have no slots in this period
    (row.rfind("G", 0) == 0 ? period->m_adProcLimMax : period->m_adProcLimMin)[static_cast<std::size_t>(slot)] = value;
  }
  econ::FailDamagedSideFile(reader, path);
}

void CDbSolution::ProcessGlobalPROCLIM(CVornModelFile* modelFile, CDbModel* /*model*/, CDbCase* dbCase) {
  if (!modelFile || !dbCase) return;
  CTableFilTable table;
  if (!fill::ReadModelTable(m_pDbData, "zproclim", modelFile, table, false) || table.GetRowCount() == 0)
    if (!fill::ReadModelTable(m_pDbData, "PROCLIM", modelFile, table, false) || table.GetRowCount() == 0) return;
  std::vector<std::string> periodNames;
  for (int p = fill::FirstPeriodIndex(*dbCase); p < dbCase->m_paPeriods.GetSize(); ++p)
    if (const CDbPeriod* period = dbCase->m_paPeriods.GetAt(p); period && !period->m_strName.empty())
      periodNames.push_back(period->m_strName);
  std::map<std::string, int> minColumns, maxColumns;
  table.MapColumnsByPrefix(periodNames, "MIN", minColumns);
  table.MapColumnsByPrefix(periodNames, "MAX", maxColumns);

  for (int r = 0; r < table.GetRowCount(); ++r) {
    const std::string& name = table.m_aRowNames[static_cast<std::size_t>(r)];
    if (name.empty()) continue;
    const std::string plant = name.substr(name.size() - 1);
    const bool withQuality = name.size() >= 8;
    const std::string quality = withQuality ? econ::Chars3(name, 1) : std::string();
    const std::string unitName = econ::Chars3(name, withQuality ? 4 : 1);
    const CDbNode* node = fill::FindCaseNode(*dbCase, plant);
    CDbModel* plantModel = node ? fill::FindNodeModel(*node, plant) : nullptr;
    if (!plantModel) continue;
    for (const CDbDefinition* unit : plantModel->m_paProcessCapacities) {
      if (!unit) continue;
      std::string key;
      if (!unit->m_paUnitQualities.IsEmpty())
        key = unit->m_paUnitQualities[0]->m_strName;
      else if (!unit->m_bSpecialUnitFlag)
        continue;
      if (unit->m_strName != unitName || key != quality) continue;
      ApplyProcLimRow(dbCase, unit, plantModel, table, r, minColumns, maxColumns);
      break;
    }
  }
}

void CDbSolution::ApplyProcLimRow(CDbCase* dbCase, const CDbDefinition* unit, CDbModel* model,
                                  const CTableFilTable& table, int row, const std::map<std::string, int>& minColumns,
                                  const std::map<std::string, int>& maxColumns) {
  if (!dbCase || !unit || !model) return;
  const CDbPrimalNode* primal = econ::FindPrimalNode(*this, model->m_strName);
  if (!primal) return;
  const CDbUnitQuality* firstQuality = unit->m_paUnitQualities.IsEmpty() ? nullptr : unit->m_paUnitQualities[0];
  if (!unit->m_bSpecialUnitFlag && !firstQuality) return;
  const std::string q = firstQuality ? firstQuality->m_strName : std::string();
  auto lpName = [&](const char* special, char letter) {
    return unit->m_bSpecialUnitFlag ? std::string(special) + unit->m_strName : std::string(1, letter) + q + unit->m_strName;
  };
  const std::string zName = lpName("ZLIM", 'Z'), gName = lpName("GLIM", 'G'), lName = lpName("LLIM", 'L'),
                    upName = lpName("uLIM", 'u'), downName = lpName("dLIM", 'd');
  const bool mainMulti = econ::MainIsMultiPeriod(m_pDbData);

  for (const CDbPrimalPeriod* pp : primal->m_paPeriods) {
    if (!pp || (mainMulti && pp->m_strName == ".")) continue;
    CDbPeriod* period = econ::FindCasePeriod(*dbCase, pp->m_strName);
    if (!period) continue;
    double up = 0.0, down = 0.0;
    const CDbPrimal* upColumn = econ::FindColumn(*pp, upName);
    const CDbPrimal* downColumn = econ::FindColumn(*pp, downName);
    if (unit->m_fPenaltyPrice != 0.0f && upColumn && downColumn) {
      up = upColumn->m_dActivity;
      down = downColumn->m_dActivity;
    }
    const CDbPrimal* z = econ::FindColumn(*pp, zName);
    const CDbPrimal* g = econ::FindRow(*pp, gName);
    const CDbPrimal* l = econ::FindRow(*pp, lName);
    if (!z || z->m_dActivity == 0.0 || (!g && !l)) continue;
    CDbCapacityLimit* entry = nullptr;
    for (CDbCapacityLimit* each : period->m_paProcessCapacityLimits)
      if (each && each->m_nID == unit->m_nID && each->m_nNodeID == model->m_nID) {
        entry = each;
        break;
      }
    if (!entry) continue;
    double minValue = MappedCell(table, row, minColumns, period->m_strName);
    double maxValue = MappedCell(table, row, maxColumns, period->m_strName);
    if (m_bParametricOverrides) {
      GetParametricOverride(lName, pp->m_strName, model->m_strName, &minValue, "MIN");
      GetParametricOverride(gName, pp->m_strName, model->m_strName, &maxValue, "MIN");
    }
    const int slot = econ::ProcLimSlot(*period, model->m_nID, unit->m_nID);
    if (!IsInfiniteValue(minValue)) {
      entry->m_dMinValue = minValue;
      if (slot >= 0) period->m_adProcLimMin[static_cast<std::size_t>(slot)] = minValue;
    }
    if (!IsInfiniteValue(maxValue)) {
      entry->m_dMaxValue = maxValue;
      if (slot >= 0) period->m_adProcLimMax[static_cast<std::size_t>(slot)] = maxValue;
    }
    // A G row at activity 0 is at its limit: utilisation maxV - u / z, as the capacity-limit builder has it.
    const double zActivity = z->m_dActivity;
    if (g && !IsInfiniteValue(maxValue) && !(l && l->m_strStatus == "UL"))
      entry->m_dActivity = maxValue - (up + g->m_dActivity) / zActivity;
    else if (l && !IsInfiniteValue(minValue))
      entry->m_dActivity = minValue - (down + l->m_dActivity) / zActivity;
  }
}
