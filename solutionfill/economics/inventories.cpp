// Inventories of a model: stream inventories and group inventory bounds
// (PINV, with opening qualities from BLNXXX and PINV), the depot
// inventories a global model keeps at its plants (DINV), their deficit
// penalties and holding costs, and the inventory totals of spanning groups.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "caseset/modeltables/table_fil_table.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/economics/economics_fill.h"
#include "solutionfill/economics/group_fill.h"

namespace {

constexpr std::int32_t kInventoryPenalty = 11;
constexpr std::int32_t kClosingHoldingCost = 12;
constexpr std::int32_t kTargetHoldingCost = 13;

enum CHeading { kMin, kMax, kTarg, kPcost, kHcost, kHeadingCount };
const char* const kHeadings[kHeadingCount] = {"MIN", "MAX", "TARG", "PCOST", "HCOST"};

int ComparePrimalPeriodId(const void* slotA, const void* slotB) {
  return CompareSlots<CDbPrimalPeriod>(slotA, slotB,
                                       [](const CDbPrimalPeriod& a, const CDbPrimalPeriod& b) { return CompareKeys(a.m_nID, b.m_nID); });
}

// The columns of an inventory table: per heading the column of each period
// and the bare one, and the bare-only columns.
struct CInventoryColumns {
  std::map<std::string, int> m_periodColumns[kHeadingCount];
  int m_nBare[kHeadingCount] = {-1, -1, -1, -1, -1};
  int m_nVol = -1, m_nWgt = -1, m_nOpen = -1, m_nAoCost = -1, m_nOCost = -1, m_nAcPrice = -1, m_nCPrice = -1;

  CInventoryColumns(const CTableFilTable& table, const std::vector<std::string>& periods, bool depot) {
    for (int h = 0; h < kHeadingCount; ++h) {
      table.MapColumnsByPrefix(periods, kHeadings[h], m_periodColumns[h]);
      if (depot) {
        const auto bare = m_periodColumns[h].find(std::string());
        m_nBare[h] = bare == m_periodColumns[h].end() ? -1 : bare->second;
      } else {
        m_nBare[h] = table.FindColumn(kHeadings[h]);
      }
    }
    m_nVol = table.FindColumn("VOL");
    if (depot) m_nWgt = table.FindColumn("WGT");
    m_nOpen = table.FindColumn("OPEN");
    m_nAoCost = table.FindColumn("AOCOST");
    m_nOCost = table.FindColumn("OCOST");
    m_nAcPrice = table.FindColumn("ACPRICE");
    m_nCPrice = table.FindColumn("CPRICE");
  }
};

double CellOr(const CTableFilTable& table, int row, int column, double fallback) {
  float value = 0.0f;
  return fill::GetCell(table, row, column, value) ? static_cast<double>(value) : fallback;
}

// The values of one table row that hold for all its periods.
struct CRowValues {
  bool m_bVolume = false;
  double m_dBare[kHeadingCount] = {};
  double m_dOpen = 0, m_dAoCost = 0, m_dOCost = 0, m_dAcPrice = 0, m_dCPrice = 0;
  bool m_bBareTarg = false;

  CRowValues(const CTableFilTable& table, int row, const CInventoryColumns& columns, std::int32_t volumeBasis) {
    float cell = 0.0f;
    m_bVolume = volumeBasis != 0 || fill::GetCell(table, row, columns.m_nVol, cell);
    if (fill::GetCell(table, row, columns.m_nWgt, cell)) m_bVolume = false;
    m_dBare[kMin] = CellOr(table, row, columns.m_nBare[kMin], 0.0);
    m_dBare[kMax] = CellOr(table, row, columns.m_nBare[kMax], kDbNotSet);
    m_bBareTarg = fill::GetCell(table, row, columns.m_nBare[kTarg], cell);
    m_dBare[kTarg] = m_bBareTarg ? cell : m_dBare[kMin];
    m_dBare[kPcost] = CellOr(table, row, columns.m_nBare[kPcost], 0.0);
    m_dBare[kHcost] = CellOr(table, row, columns.m_nBare[kHcost], 0.0);
    m_dOpen = CellOr(table, row, columns.m_nOpen, 0.0);
    m_dAoCost = CellOr(table, row, columns.m_nAoCost, 0.0);
    m_dOCost = CellOr(table, row, columns.m_nOCost, 0.0);
    m_dAcPrice = CellOr(table, row, columns.m_nAcPrice, 0.0);
    m_dCPrice = CellOr(table, row, columns.m_nCPrice, 0.0);
  }
};

// The period's values of a row (before any override).
struct CPeriodValues {
  double m_dMin, m_dMax, m_dTarg, m_dPcost, m_dHcost;
};

CPeriodValues PeriodValues(const CTableFilTable& table, int row, const CInventoryColumns& columns,
                           const CRowValues& values, const std::string& period) {
  double v[kHeadingCount];
  bool own[kHeadingCount];
  for (int h = 0; h < kHeadingCount; ++h) {
    const auto mapped = columns.m_periodColumns[h].find(period);
    float cell = 0.0f;
    own[h] = mapped != columns.m_periodColumns[h].end() && fill::GetCell(table, row, mapped->second, cell);
    v[h] = own[h] ? cell : values.m_dBare[h];
  }
  // A target falls back to the bare target cell, then to the period's minimum.
  if (!own[kTarg]) v[kTarg] = values.m_bBareTarg ? values.m_dBare[kTarg] : v[kMin];
  return {v[kMin], v[kMax], v[kTarg], v[kPcost], v[kHcost]};
}

CDbInventory* FindInventory(const CDbPeriod& period, std::int32_t streamId, std::int32_t nodeId) {
  const CDbInventory probe(streamId, nodeId);
  if (CDbInventory* found = period.m_paInventories.Find(&probe)) return found;
  return period.m_paInventories.LinearFind(&probe);
}

void AddToEcoSum(CDbPeriod& period, std::int32_t category, std::int32_t modelId, double amount, bool create,
                 CVornDbExportData* owner) {
  CDbEcoSum* entry = create ? &econ::EnsureEcoSum(period, category, modelId, owner)
                            : econ::FindEcoSum(period, category, modelId);
  if (entry) entry->m_dActivity += amount;
}

// What the stream rows of PINV and DINV share; depot rows differ where m_bDepot says.
class CInventoryBuilder {
 public:
  CInventoryBuilder(CDbSolution& solution, CVornModelFile& modelFile, CDbCase& dbCase, CDbModel& model, bool depot)
      : m_solution(solution), m_case(dbCase), m_model(model), m_bDepot(depot),
        m_bZelun(econ::UseZelun(solution.m_pDbData)), m_bMainMulti(econ::MainIsMultiPeriod(solution.m_pDbData)),
        m_nVolumeBasis(modelFile.m_settings.m_VOLBASIS.GetValue()) {
    if (const CVornModelFile* main = fill::MainModel(solution.m_pDbData)) {
      m_bHoldingOnClosing = main->m_settings.m_Zelun_HoldingCostOnClosingInv.GetValue() != 0;
      m_dMainVtw = main->m_settings.m_VTW.GetValue();
    }
  }

  CDbPeriod* MatchPeriod(const CDbPrimalPeriod& primalPeriod) {
    if (primalPeriod.m_strName == "." && m_bMainMulti) return nullptr;
    CDbPeriod* period = econ::FindCasePeriod(m_case, primalPeriod.m_strName);
    if (period && !m_pFirst) m_pFirst = period;
    return period;
  }

  void OverrideBounds(const std::string& columnName, const std::string& periodName, CPeriodValues& values) const {
    if (!m_solution.m_bParametricOverrides) return;
    m_solution.GetParametricOverride(columnName, periodName, m_model.m_strName, &values.m_dMin, "MIN");
    m_solution.GetParametricOverride(columnName, periodName, m_model.m_strName, &values.m_dMax, "MAX");
  }

  // Category 13 of a period, with the row's running previous target.
  void TargetHoldingCost(CDbPeriod& period, std::int32_t nodeId, const CPeriodValues& values,
                         double& previousTarget) const {
    if (m_bZelun && m_bHoldingOnClosing) return;
    if (&period == m_pFirst && m_bZelun) previousTarget = 0.0;
    AddToEcoSum(period, kTargetHoldingCost, nodeId, (values.m_dTarg + previousTarget) * values.m_dHcost * 0.5, m_bDepot,
                m_solution.m_pDbData);
    previousTarget = values.m_dTarg;
  }

  // One stream row over the periods of its primal node; the inventory of
  // the first period, or null.
  CDbInventory* StreamRow(const CTableFilTable& table, int row, const CInventoryColumns& columns, CDbStream& stream,
                          CDbPrimalNode& primal, std::int32_t nodeId, const std::function<void(CDbInventory&)>& atFirst);

  CDbSolution& m_solution;
  CDbCase& m_case;
  CDbModel& m_model;
  bool m_bDepot;
  bool m_bZelun;
  bool m_bMainMulti;
  std::int32_t m_nVolumeBasis;
  bool m_bHoldingOnClosing = false;
  double m_dMainVtw = 0.0;
  std::int32_t m_nSpg = 0;
  CDbPeriod* m_pFirst = nullptr;  // the earliest case period matched during the run
};

CDbInventory* CInventoryBuilder::StreamRow(const CTableFilTable& table, int row, const CInventoryColumns& columns,
                                           CDbStream& stream, CDbPrimalNode& primal, std::int32_t nodeId,
                                           const std::function<void(CDbInventory&)>& atFirst) {
  const CRowValues values(table, row, columns, m_nVolumeBasis);
  const std::string tag = econ::Left(table.m_aRowNames[row], 3);
  const bool balancedOnVolume = stream.m_nVWBasis > 0;
  const std::string balanceName = (balancedOnVolume ? "VBAL" : "WBAL") + tag;
  const bool actualPrices = values.m_dAoCost != 0.0 || values.m_dAcPrice != 0.0;
  double opening = values.m_dOpen;
  double previousTarget = values.m_dOpen;
  CDbInventory* inventory = nullptr;
  CDbInventory* firstInventory = nullptr;
  for (const CDbPrimalPeriod* primalPeriod : primal.m_paPeriods) {
    CDbPeriod* period = primalPeriod ? MatchPeriod(*primalPeriod) : nullptr;
    if (!period) continue;
    CPeriodValues pv = PeriodValues(table, row, columns, values, primalPeriod->m_strName);
    const double vtw = econ::VtwFactor(*period, stream.m_nID, m_model.m_nID);
    const double days = econ::PeriodDivisor(m_case, *period);
    const CDbPrimal* balance = econ::FindRow(*primalPeriod, balanceName);
    const CDbPrimal* deficit = econ::FindColumn(*primalPeriod, "IDEF" + tag);
    const CDbPrimal* excess = econ::FindColumn(*primalPeriod, "IEXC" + tag);
    const CDbPrimal* level = m_bZelun ? econ::FindColumn(*primalPeriod, "INVT" + tag) : nullptr;
    if (level) OverrideBounds("INVT" + tag, primalPeriod->m_strName, pv);
    if (deficit && balance && excess && (!m_bZelun || level)) {
      double factor = 1.0;
      if (m_bDepot)
        factor = 1.0;
      else if (values.m_bVolume)
        factor = balancedOnVolume ? 1.0 : 1.0 / vtw;
      else
        factor = balancedOnVolume ? vtw : 1.0;
      const double closing = m_bZelun ? level->m_dActivity * factor
                                      : pv.m_dTarg + (excess->m_dActivity - deficit->m_dActivity) * factor;
      auto made = std::make_unique<CDbInventory>(stream.m_nID, nodeId, m_solution.m_pDbData);
      inventory = made.get();
      inventory->m_dOpening = opening;
      inventory->m_dClosing = closing;
      inventory->m_dTarget = pv.m_dTarg;
      inventory->m_dMarginalValue = econ::PerDay(balance->m_dMarginalValue, days);
      inventory->m_nVWBasisID = values.m_bVolume ? 1 : 0;
      inventory->m_nReportOrder = row;
      inventory->m_dMinValue = pv.m_dMin;
      inventory->m_dMaxValue = pv.m_dMax;
      inventory->m_dOpeningCost = values.m_dOCost;
      inventory->m_dClosingPrice = values.m_dCPrice;
      inventory->m_dHoldingCost = pv.m_dHcost;
      inventory->m_dActualOpeningCost = values.m_dAoCost;
      inventory->m_dActualClosingPrice = values.m_dAcPrice;
      inventory->m_dPenaltyCost = pv.m_dPcost;
      period->m_paInventories.Add(std::move(made));

      if (deficit->m_dActivity * pv.m_dPcost != 0.0 || (actualPrices && excess->m_dActivity * pv.m_dPcost != 0.0)) {
        double unit = pv.m_dPcost / days;
        if (m_bDepot) {
          if (m_nVolumeBasis == 0 && values.m_bVolume && !balancedOnVolume && vtw != 0.0) unit /= vtw;
        } else if (m_nVolumeBasis == 0 && vtw != 0.0 && values.m_bVolume != balancedOnVolume) {
          double conversion = factor;
          const CDbInventory* opened = m_pFirst ? FindInventory(*m_pFirst, stream.m_nID, nodeId) : nullptr;
          if (opened)
            for (const CDbOpenInventoryQuality* quality : opened->m_paOpenInventoryQualities)
              if (quality && quality->m_nQualityID == m_nSpg) {
                conversion = quality->m_dValue * m_dMainVtw;
                break;
              }
          unit *= conversion;
        }
        auto penalty = std::make_unique<CDbPenalty>(kInventoryPenalty, nodeId, m_solution.m_pDbData);
        penalty->m_dActivity =
            actualPrices ? (excess->m_dActivity + deficit->m_dActivity) * unit : deficit->m_dActivity * unit;
        penalty->m_strTag1 = stream.m_strReportTag;
        period->m_dPenaltyTotal += penalty->m_dActivity;
        period->m_paPenalties.Add(std::move(penalty));
      }
      TargetHoldingCost(*period, nodeId, pv, previousTarget);
      if (m_bZelun && m_bHoldingOnClosing) {
        AddToEcoSum(*period, kClosingHoldingCost, nodeId, -level->m_dActivity * pv.m_dHcost, m_bDepot,
                    m_solution.m_pDbData);
      } else {
        if (period == m_pFirst && m_bZelun) opening = 0.0;
        AddToEcoSum(*period, kClosingHoldingCost, nodeId, -(closing + opening) * pv.m_dHcost * 0.5, m_bDepot,
                    m_solution.m_pDbData);
      }
      opening = closing;
    }
    if (inventory && period == m_pFirst && !firstInventory) {
      firstInventory = inventory;
      if (atFirst) atFirst(*inventory);
    }
  }
  return firstInventory;
}

// Opening qualities of an inventory: the row of its stream in BLNXXX, then
// in PINV for the qualities BLNXXX does not give.
void AddOpeningQualities(CDbInventory& inventory, const CDbModel& model, const CTableFilTable* blend,
                         const CTableFilTable& pinv, const std::string& tag, CVornDbExportData* owner) {
  auto addFrom = [&](const CTableFilTable& table, bool skipPresent) {
    const int row = table.FindRow(tag);
    if (row < 0) return;
    for (const CDbQuality* quality : model.m_paQualities) {
      if (!quality) continue;
      float value = 0.0f;
      if (!fill::GetCell(table, row, table.FindColumn(quality->m_strName), value)) continue;
      if (skipPresent) {
        bool present = false;
        for (const CDbOpenInventoryQuality* existing : inventory.m_paOpenInventoryQualities)
          present = present || (existing && existing->m_nQualityID == quality->m_nID);
        if (present) continue;
      }
      auto open = std::make_unique<CDbOpenInventoryQuality>(inventory.m_nID, inventory.m_nNodeID, quality->m_nID, owner);
      open->m_dValue = value;
      inventory.m_paOpenInventoryQualities.Add(std::move(open));
    }
  };
  if (blend) addFrom(*blend, false);
  addFrom(pinv, true);
}

void SortPeriodsById(CDbPrimalNode& primal) { primal.m_paPeriods.Sort(&ComparePrimalPeriodId); }

}  // namespace

void CDbSolution::BuildInventories(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model) {
  if (!modelFile || !dbCase || !model) return;
  SendStatusMessage("Building Inventories...");
  CDbPrimalNode* primal = econ::FindPrimalNode(*this, model->m_strName);
  if (!primal) return;
  SortPeriodsById(*primal);
  CInventoryBuilder builder(*this, *modelFile, *dbCase, *model, false);
  {
    const CDbQuality probe("SPG");
    const CDbQuality* spg = model->m_paQualities.Find(&probe);
    if (!spg) spg = model->m_paQualities.LinearFind(&probe);
    builder.m_nSpg = spg ? spg->m_nID : 0;
  }
  CTableFilTable blend;
  const bool hasBlend = fill::ReadModelTable(m_pDbData, "BLNXXX", modelFile, blend, false);
  CTableFilTable table;
  if (!fill::ReadModelTable(m_pDbData, "PINV", modelFile, table, false)) return;
  const CInventoryColumns columns(
      table, CTableFilTable::ItemNames(dbCase->m_paPeriods, fill::FirstPeriodIndex(*dbCase)), false);

  for (int row = 0; row < table.GetRowCount(); ++row) {
    const std::string tag = econ::Left(table.m_aRowNames[row], 3);
    if (CDbStream* stream = fill::FindModelStream(*model, tag)) {
      builder.StreamRow(table, row, columns, *stream, *primal, model->m_nID, [&](CDbInventory& inventory) {
        AddOpeningQualities(inventory, *model, hasBlend ? &blend : nullptr, table, stream->m_strName, m_pDbData);
      });
      continue;
    }
    const CDbGroup* group = fill::FindModelGroup(*model, tag);
    if (!group) continue;
    const CRowValues values(table, row, columns, builder.m_nVolumeBasis);
    double previousTarget = values.m_dOpen;
    for (const CDbPrimalPeriod* primalPeriod : primal->m_paPeriods) {
      CDbPeriod* period = primalPeriod ? builder.MatchPeriod(*primalPeriod) : nullptr;
      if (!period) continue;
      CPeriodValues pv = PeriodValues(table, row, columns, values, primalPeriod->m_strName);
      const double days = econ::PeriodDivisor(*dbCase, *period);
      if (builder.m_bZelun && econ::FindColumn(*primalPeriod, "INVT" + tag))
        builder.OverrideBounds("INVT" + tag, primalPeriod->m_strName, pv);
      const CDbPrimal* minRow = econ::FindRow(*primalPeriod, "NINV" + tag);
      const CDbPrimal* maxRow = econ::FindRow(*primalPeriod, "XINV" + tag);
      const CDbPrimal* equalRow = econ::FindRow(*primalPeriod, "EINV" + tag);
      if (minRow || maxRow || equalRow) {
        auto entry = std::make_unique<CDbGroupTransaction>(group->m_nID, model->m_nID, m_pDbData);
        if (minRow && minRow->m_strStatus == "LL")
          entry->m_dMarginalValue = minRow->m_dMarginalValue;
        else if (maxRow && maxRow->m_strStatus == "UL")
          entry->m_dMarginalValue = maxRow->m_dMarginalValue;
        else
          entry->m_dMarginalValue = equalRow ? equalRow->m_dMarginalValue : 0.0;
        entry->m_dMinValue = pv.m_dMin;
        entry->m_dMaxValue = pv.m_dMax;
        if (const CDbPrimal* deficit = econ::FindColumn(*primalPeriod, "IDEF" + tag)) {
          entry->m_dTarget = pv.m_dTarg;
          if (deficit->m_dActivity * pv.m_dPcost != 0.0) {
            auto penalty = std::make_unique<CDbPenalty>(kInventoryPenalty, model->m_nID, m_pDbData);
            penalty->m_dActivity = deficit->m_dActivity * pv.m_dPcost / days;
            penalty->m_strTag1 = group->m_strReportTag;
            period->m_dPenaltyTotal += penalty->m_dActivity;
            period->m_paPenalties.Add(std::move(penalty));
          }
        }
        period->m_paGroupInventories.Add(std::move(entry));
      }
      builder.TargetHoldingCost(*period, model->m_nID, pv, previousTarget);
    }
  }
}

void CDbSolution::BuildDepotInventories(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model) {
  if (!modelFile || !dbCase || !model) return;
  CTableFilTable table;
  if (!fill::ReadModelTable(m_pDbData, "DINV", modelFile, table, false)) return;
  CInventoryBuilder builder(*this, *modelFile, *dbCase, *model, true);
  const CInventoryColumns columns(
      table, CTableFilTable::ItemNames(dbCase->m_paPeriods, fill::FirstPeriodIndex(*dbCase)), true);
  for (int row = 0; row < table.GetRowCount(); ++row) {
    const std::string& name = table.m_aRowNames[row];
    if (name.empty()) continue;
    const std::string plant = name.substr(name.size() - 1);
    CDbPrimalNode* primal = econ::FindPrimalNode(*this, plant);
    const CDbNode* node = fill::FindCaseNode(*dbCase, plant);
    CDbStream* stream = fill::FindModelStream(*model, econ::Left(name, 3));
    if (!primal || !node || !stream) continue;
    SortPeriodsById(*primal);
    builder.StreamRow(table, row, columns, *stream, *primal, node->m_nID, nullptr);
  }
}

void CDbSolution::BuildGroupInventories(CVornModelFile* /*modelFile*/, CDbCase* dbCase, CDbModel* model) {
  if (!dbCase || !model) return;
  const int first = fill::FirstPeriodIndex(*dbCase);
  const CDbPeriod* firstPeriod = first < dbCase->m_paPeriods.GetSize() ? dbCase->m_paPeriods[first] : nullptr;
  for (const CDbGroup* group : model->m_paGroups) {
    if (!group || !(group->m_bPeriodSpanning || group->m_bPlantSpanning || group->m_bPlantPeriodSpanning)) continue;
    for (CDbPeriod* period : dbCase->m_paPeriods) {
      if (!period) continue;
      const CDbGroupPeriod* groupPeriod = fill::FindGroupPeriod(*period, group->m_nID, model->m_nID);
      if (!groupPeriod) continue;
      for (const CDbGroupMember* member : groupPeriod->m_paMembers) {
        if (!member) continue;
        const CDbModel* memberModel =
            member->m_nNodeID == model->m_nID ? model : dbCase->FindNodeModel(member->m_nNodeID);
        if (!memberModel || memberModel->m_nInventorySpecBlendsOption < 2) continue;
        const CDbPeriod* source = nullptr;
        if (member->m_nMemberPeriodID == period->m_nID) {
          source = period;
        } else {
          for (int i = first; i < dbCase->m_paPeriods.GetSize() && !source; ++i)
            if (dbCase->m_paPeriods[i] && dbCase->m_paPeriods[i]->m_nID == member->m_nMemberPeriodID)
              source = dbCase->m_paPeriods[i];
        }
        const CDbInventory* inventory = source ? FindInventory(*source, member->m_nID, member->m_nNodeID) : nullptr;
        if (!inventory) continue;
        const CDbVTW probe(member->m_nID, member->m_nNodeID);
        const auto& vtws = firstPeriod && member->m_nMemberPeriodID == firstPeriod->m_nID ? memberModel->m_paVTWs
                                                                                         : source->m_paVTWs;
        const CDbVTW* vtwEntry = vtws.Find(&probe);
        if (!vtwEntry) vtwEntry = vtws.LinearFind(&probe);
        const double vtw = vtwEntry ? vtwEntry->m_dValue : 1.0;

        CDbGroupInventoryQuantity* quantity = nullptr;
        for (CDbGroupInventoryQuantity* q : period->m_paGroupInventoryQuantities)
          if (q && q->m_nID == group->m_nID && q->m_nNodeID == model->m_nID) {
            quantity = q;
            break;
          }
        if (!quantity) {
          auto made = std::make_unique<CDbGroupInventoryQuantity>(group->m_nID, model->m_nID, m_pDbData);
          made->m_dVolActivity = 0.0;
          made->m_dWgtActivity = 0.0;
          quantity = made.get();
          period->m_paGroupInventoryQuantities.Add(std::move(made));
        }
        const double u = (period->m_nID == CDbPeriod::kDummyPeriodID && !group->m_bPlantPeriodSpanning)
                             ? 1.0
                             : econ::PeriodDivisor(*dbCase, *source);
        const double opening = inventory->m_dOpening;
        if (inventory->m_nVWBasisID == 1) {
          quantity->m_dVolActivity += opening / u;
          quantity->m_dWgtActivity += vtw * opening / u;
        } else {
          quantity->m_dWgtActivity += opening / u;
          quantity->m_dVolActivity += opening / vtw / u;
        }
      }
    }
  }
}

CDbModel* CDbCase::FindNodeModel(std::int32_t nodeId) const {
  for (const CDbNode* node : m_paNodes)
    if (node && node->m_nID == nodeId)
      if (CDbModel* model = fill::FindNodeModel(*node, node->m_strName)) return model;
  return nullptr;
}
