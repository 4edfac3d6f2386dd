// The capacity results of a model per period: capacities, process units,
// blenders with their member blends and pumped streams, with the penalties
// of capacity and unit slack and of blender costs.

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "caseset/modeltables/model_table_reader.h"
#include "caseset/modeltables/table_fil_table.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_services.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/economics/economics_fill.h"
#include "solutionfill/economics/group_fill.h"
#include "standins/tresk.h"

namespace {

constexpr std::int32_t kCapacitySlackPenalty = 2;
constexpr std::int32_t kBlenderCostPenalty = 12;
constexpr std::int32_t kUnitSlackPenalty = 13;

// The weight of the period's penalties: |cost| of its "Epencol" column, else 1.
double PenaltyWeight(const CDbPrimalPeriod& period) {
  const CDbPrimal* column = econ::FindColumn(period, "Epencol");
  return column ? std::abs(column->m_dSlack) : 1.0;
}

double Activity(const CDbPrimal* primal) { return primal ? primal->m_dActivity : 0.0; }

CDbCapacityLimit& AddLimit(CAutoDestructArray<CPtrArray, CDbCapacityLimit*>& list, std::int32_t id,
                           std::int32_t modelId, CVornDbExportData* owner) {
  auto limit = std::make_unique<CDbCapacityLimit>(id, modelId, owner);
  CDbCapacityLimit& made = *limit;
  list.Add(std::move(limit));
  return made;
}

// An entry without limits: activity and marginal value 0.
void MakeEmpty(CDbCapacityLimit& limit) {
  limit.m_dActivity = 0.0;
  limit.m_dMarginalValue = 0.0;
  limit.m_dMinValue = kDbNotSet;
  limit.m_dMaxValue = kDbNotSet;
}

// Values from a row, replaced by those of the column of the same name when it exists.
void FromRowAndColumn(CDbCapacityLimit& limit, const CDbPrimal& row, const CDbPrimal* column, double days,
                      double rowSign, double columnSign) {
  limit.m_dActivity = row.m_dActivity;
  limit.m_dMinValue = row.m_dLoRHS;
  limit.m_dMaxValue = row.m_dHiRHS;
  limit.m_dMarginalValue = rowSign * econ::PerDay(row.m_dMarginalValue, days);
  if (!column) return;
  limit.m_dMinValue = column->m_dLoRHS;
  limit.m_dMaxValue = column->m_dHiRHS;
  limit.m_dActivity = column->m_dActivity;
  limit.m_dMarginalValue = columnSign * econ::PerDay(column->m_dMarginalValue, days);
}

void AddPenalty(CDbPeriod& period, std::int32_t type, std::int32_t modelId, double amount, const std::string& tag1,
                const std::string& tag2, CVornDbExportData* owner) {
  auto penalty = std::make_unique<CDbPenalty>(type, modelId, owner);
  penalty->m_dActivity = amount;
  penalty->m_strTag1 = tag1;
  penalty->m_strTag2 = tag2;
  period.m_dPenaltyTotal += amount;
  period.m_paPenalties.Add(std::move(penalty));
}

// The factor of a unit's G row that the table index scales: 1 for a row it
// does not list; for 999 the stream named like the unit gives its specific
// gravity (basis flag 1) or specific volume, else 1.
double RowFactor(const CNamedValueTable& rowFactors, const std::string& gName, const std::string& unitName,
                 const CDbModel& model, const CDbPeriod& period) {
  const CNamedValueTable::Entry* entry = rowFactors.Find(gName);
  if (!entry) return 1.0;
  if (std::abs(entry->m_dValue - 999.0) > 0.01) return entry->m_dValue;
  const CDbQuality qualityProbe(entry->m_nNumber == 1 ? "SPG" : "SPV");
  const CDbStream* stream = fill::FindModelStream(model, unitName);
  const CDbQuality* quality = model.m_paQualities.Find(&qualityProbe);
  if (!stream || !quality) return 1.0;
  const CDbStreamQuality* value =
      econ::FindQualityRecord(period.m_paStreamQualities, stream->m_nID, model.m_nID, quality->m_nID);
  return value ? value->m_dValue : 1.0;
}

double Slot(const std::vector<double>& slots, int k) {
  return k >= 0 && static_cast<std::size_t>(k) < slots.size() ? slots[static_cast<std::size_t>(k)] : kDbNotSet;
}

}  // namespace

void CDbSolution::BuildCapacityLimits(CDbCase* dbCase, CDbModel* model, CVornModelFile* modelFile) {
  if (!dbCase || !model) return;
  SendStatusMessage(LoadTreskString(kTreskCapacityLimits));
  CTableFilTable blncap;
  const bool hasBlncap = fill::ReadModelTable(m_pDbData, "BLNCAP", modelFile, blncap, false);
  const CDbPrimalNode* primal = econ::FindPrimalNode(*this, model->m_strName);
  if (!primal) return;
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  const bool mainMulti = econ::MainIsMultiPeriod(m_pDbData);
  const bool signReverse = main && main->m_settings.m_SignReverseSectionOn.GetValue() == 1;
  const bool zelun = econ::UseZelun(m_pDbData);
  const std::int32_t modelId = model->m_nID;
  static const CNamedValueTable kNoRowFactors;
  const CNamedValueTable& rowFactors = modelFile ? GetRowFactors(*modelFile) : kNoRowFactors;

  // Calls fn(primal period, case period, days) for the periods a section walks.
  auto forPeriods = [&](bool skipDummy, auto fn) {
    for (const CDbPrimalPeriod* primalPeriod : primal->m_paPeriods) {
      if (!primalPeriod) continue;
      if (skipDummy ? (primalPeriod->m_strName == "." && mainMulti) : primalPeriod->m_strName.empty()) continue;
      CDbPeriod* period = econ::FindCasePeriod(*dbCase, primalPeriod->m_strName);
      if (period) fn(*primalPeriod, *period, econ::PeriodDivisor(*dbCase, *period));
    }
  };

  for (const CDbDefinition* capacity : model->m_paCapacities) {
    if (!capacity) continue;
    const std::string& n = capacity->m_strName;
    forPeriods(true, [&](const CDbPrimalPeriod& pp, CDbPeriod& period, double days) {
      if (capacity->m_nReportFlag < 0) {
        MakeEmpty(AddLimit(period.m_paCapacityLimits, capacity->m_nID, modelId, m_pDbData));
        return;
      }
      CDbCapacityLimit* limit = nullptr;
      if (const CDbPrimal* row = econ::FindRow(pp, "CCAP" + n)) {
        limit = &AddLimit(period.m_paCapacityLimits, capacity->m_nID, modelId, m_pDbData);
        FromRowAndColumn(*limit, *row, econ::FindColumn(pp, "CCAP" + n), days, -1.0, signReverse ? -1.0 : 1.0);
      }
      if (capacity->m_fPenaltyPrice == 0.0f) return;
      const CDbPrimal* up = econ::FindColumn(pp, "uCAP" + n);
      const CDbPrimal* down = econ::FindColumn(pp, "dCAP" + n);
      if (!up || !down) return;
      AddPenalty(period, kCapacitySlackPenalty, modelId,
                 (up->m_dActivity + down->m_dActivity) * capacity->m_fPenaltyPrice * PenaltyWeight(pp),
                 capacity->m_strReportTag, std::string(), m_pDbData);
      if (limit) limit->m_dActivity += down->m_dActivity - up->m_dActivity;
    });
  }

  for (const CDbDefinition* unit : model->m_paProcessCapacities) {
    if (!unit) continue;
    const std::string& u = unit->m_strName;
    const CDbUnitQuality* firstQuality = unit->m_paUnitQualities.IsEmpty() ? nullptr : unit->m_paUnitQualities[0];
    const bool plain = !unit->m_bSpecialUnitFlag && !firstQuality;
    const std::string q = firstQuality ? firstQuality->m_strName : std::string();
    auto name = [&](const char* special, char letter) {
      return unit->m_bSpecialUnitFlag ? std::string(special) + u : std::string(1, letter) + q + u;
    };
    const std::string zName = name("ZLIM", 'Z'), gName = name("GLIM", 'G'), lName = name("LLIM", 'L'),
                      upName = name("uLIM", 'u'), downName = name("dLIM", 'd');
    forPeriods(true, [&](const CDbPrimalPeriod& pp, CDbPeriod& period, double days) {
      const int slot = econ::ProcLimSlot(period, modelId, unit->m_nID);
      CDbCapacityLimit& limit = AddLimit(period.m_paProcessCapacityLimits, unit->m_nID, modelId, m_pDbData);
      if (plain) {
        limit.m_dMinValue = Slot(period.m_adProcLimMin, slot);
        limit.m_dMaxValue = Slot(period.m_adProcLimMax, slot);
        limit.m_dActivity = 0.0;
        limit.m_dMarginalValue = 0.0;
        return;
      }
      if (unit->m_nReportFlag < 0) {
        MakeEmpty(limit);
        return;
      }
      double up = 0.0, down = 0.0;
      const CDbPrimal* upColumn = econ::FindColumn(pp, upName);
      const CDbPrimal* downColumn = econ::FindColumn(pp, downName);
      if (unit->m_fPenaltyPrice != 0.0f && (upColumn || downColumn)) {
        up = Activity(upColumn);
        down = downColumn ? downColumn->m_dActivity : std::min(0.0, up);
        if (unit->m_fPenaltyPrice * (up + down) != 0.0) {
          const bool special = unit->m_bSpecialUnitFlag != 0;
          AddPenalty(period, kUnitSlackPenalty, modelId, unit->m_fPenaltyPrice * (up + down) * PenaltyWeight(pp),
                     special ? unit->m_strReportTag : firstQuality->m_strTag,
                     special ? std::string() : unit->m_strReportTag, m_pDbData);
        }
      }
      const CDbPrimal* z = econ::FindColumn(pp, zName);
      const CDbPrimal* g = econ::FindRow(pp, gName);
      const CDbPrimal* l = econ::FindRow(pp, lName);
      if (!z || (!g && !l)) {
        MakeEmpty(limit);
        return;
      }
      limit.m_dMinValue = Slot(period.m_adProcLimMin, slot);
      limit.m_dMaxValue = Slot(period.m_adProcLimMax, slot);
      if (m_bParametricOverrides) {
        GetParametricOverride(lName, pp.m_strName, model->m_strName, &limit.m_dMinValue, "MIN");
        GetParametricOverride(gName, pp.m_strName, model->m_strName, &limit.m_dMaxValue, "MIN");
      }
      limit.m_dActivity = 0.0;
      const double m = RowFactor(rowFactors, gName, u, *model, period) * z->m_dActivity;
      if (z->m_dActivity != 0.0) {
        if (g && !::IsInfiniteValue(limit.m_dMaxValue) && !(l && l->m_strStatus == "UL")) {
          limit.m_dActivity = limit.m_dMaxValue - (g->m_dActivity + up) / m;
        } else if (l && !::IsInfiniteValue(limit.m_dMinValue)) {
          limit.m_dActivity = limit.m_dMinValue - (l->m_dActivity + down) / m;
        } else if (unit->m_nReportFlag == 2 ||
                   (::IsInfiniteValue(limit.m_dMinValue) && ::IsInfiniteValue(limit.m_dMaxValue))) {
          limit.m_dMinValue = limit.m_dMaxValue = kDbNotSet;
          const double r = g ? g->m_dActivity : l->m_dActivity;
          limit.m_dActivity = -(r + up + down) / m;
        }
      }
      limit.m_dMarginalValue = unit->m_nReportFlag == 2 ? kDbNotSet : 0.0;
      if (g && g->m_dMarginalValue != 0.0) limit.m_dMarginalValue = econ::PerDay(g->m_dMarginalValue, days);
      if (l && l->m_dMarginalValue != 0.0) limit.m_dMarginalValue = econ::PerDay(l->m_dMarginalValue, days);
    });
  }

  const int costColumn = hasBlncap && blncap.GetColumnCount() > 0 ? blncap.FindColumn("COST") : -1;
  for (const CDbBlenderCapacity* blender : model->m_paBlenderCapacities) {
    if (!blender) continue;
    const std::string& b = blender->m_strName;
    const int costRow = hasBlncap ? blncap.FindRow(b) : -1;
    forPeriods(false, [&](const CDbPrimalPeriod& pp, CDbPeriod& period, double days) {
      const CDbPrimal* row = econ::FindRow(pp, "BCAP" + b);
      if (!row) return;
      CDbCapacityLimit& limit = AddLimit(period.m_paBlenderCapacityLimits, blender->m_nID, modelId, m_pDbData);
      FromRowAndColumn(limit, *row, econ::FindColumn(pp, "BCAP" + b), days, -1.0, 1.0);
      float cost = 0.0f;
      if (hasBlncap && blncap.GetColumnCount() > 0) {
        int column = costColumn;
        float cell = 0.0f;
        const int periodColumn = blncap.FindColumn("COST" + period.m_strName);
        if (zelun && periodColumn >= 0 && fill::GetCell(blncap, costRow, periodColumn, cell)) column = periodColumn;
        if (fill::GetCell(blncap, costRow, column, cell)) cost = cell;
      }
      const float amount = static_cast<float>(limit.m_dActivity) * cost;
      if (amount != 0.0f)
        AddPenalty(period, kBlenderCostPenalty, modelId, amount, blender->m_strReportTag, std::string(), m_pDbData);
      for (const CDbBlend* blend : blender->m_paBlends) {
        if (!blend) continue;
        auto quantity = std::make_unique<CDbBlenderBlendQuantity>(blend->m_nID, modelId, m_pDbData);
        if (const CDbPrimal* column = econ::FindColumn(pp, "Z" + blend->m_strName + b)) {
          quantity->m_dActivity = column->m_dActivity;
        } else {
          quantity->m_dActivity = 0.0;
          for (const CDbBlendQuantity* made : period.m_paBlendQuantities)
            if (made && made->m_nID == blend->m_nID && made->m_nNodeID == modelId) {
              quantity->m_dActivity = made->m_dVolActivity;
              break;
            }
        }
        limit.m_paBlenderBlendQuantities.Add(std::move(quantity));
      }
    });
  }

  for (const CDbStream* stream : model->m_paBlendStreams) {
    if (!stream) continue;
    forPeriods(false, [&](const CDbPrimalPeriod& pp, CDbPeriod& period, double days) {
      const CDbPrimal* row = econ::FindRow(pp, "BCAP" + stream->m_strName);
      if (!row) return;
      CDbCapacityLimit& limit = AddLimit(period.m_paPumpCapacityLimits, stream->m_nID, modelId, m_pDbData);
      FromRowAndColumn(limit, *row, econ::FindColumn(pp, "BCAP" + stream->m_strName), days, 1.0, 1.0);
    });
  }
}
