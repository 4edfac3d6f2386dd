// The sales of a global case: DEMAND for the markets served by the global
// model's node, the plants and the depots, with the demand penalties and
// their purchases, and the group sales of demand-market and demand-plant
// groups (DEMAND and DEMALLOC).

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "caseset/modeltables/table_fil_table.h"
#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/economics/economics_fill.h"
#include "solutionfill/economics/group_fill.h"

bool CDbNode::HasOwnDepot() const {
  for (const CDbDepot* depot : m_paDepots)
    if (depot && depot->m_strName == m_strName) return true;
  return false;
}

bool CDbNode::HasUnnamedModel() const {
  if (!m_strName.empty()) return false;
  for (const CDbModel* model : m_paModels)
    if (model && model->m_strName == m_strName) return true;
  return false;
}

namespace {

// The DEMALLOC cost of (period, tag, market, plant): the first matching row decides.
float DemandAllocation(const CTableFilTable& table, const std::string& periodName, const std::string& tag,
                       const std::string& marketCode, const std::string& plantCode) {
  for (int row = 0; row < table.GetRowCount(); ++row) {
    const std::string& name = table.m_aRowNames[row];
    if (name.size() == 3) continue;
    const std::string stream = econ::Left(name, 3);
    if ((stream != "..." && stream != tag) || econ::CharAt(name, 3) != marketCode ||
        econ::CharAt(name, 4) != plantCode)
      continue;
    int column = table.FindColumn("COST");
    if (periodName != "." && periodName != " ") {
      const int own = table.FindColumn("COST" + periodName);
      if (own >= 0) column = own;
    }
    float value = 0.0f;
    return fill::GetCell(table, row, column, value) ? value : 0.0f;
  }
  return 0.0f;
}

bool CellSet(const CTableFilTable& table, int row, int column) {
  float value = 0.0f;
  return fill::GetCell(table, row, column, value);
}

// A bound of a group sale keeps its LP value when the row bounds it, or in a
// multi-period case when the period's own bound column has a value.
void ApplyGroupBound(double& bound, bool rowHasBound, const CTableFilTable& table, int row,
                     const std::string& periodColumn, bool multiPeriod) {
  if (rowHasBound) return;
  if (multiPeriod && CellSet(table, row, table.FindColumn(periodColumn))) return;
  bound = kDbNotSet;
}

struct CMainNode {
  CDbPrimalNode* m_pPrimal = nullptr;
  CDbNode* m_pNode = nullptr;
};

}  // namespace

float CDbSolution::FillDemandAllocation(CVornModelFile* modelFile, const std::string& periodName,
                                        const std::string& tag, const std::string& marketCode,
                                        const std::string& plantCode) {
  CTableFilTable table;
  if (!fill::ReadModelTable(m_pDbData, "DEMALLOC", modelFile, table, true)) return 0.0f;
  return DemandAllocation(table, periodName, tag, marketCode, plantCode);
}

void CDbSolution::BuildGlobalSale(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model) {
  if (!dbCase || !model) return;
  const bool undivided = econ::UseZelun(m_pDbData);
  const bool multiPeriod = econ::MainIsMultiPeriod(m_pDbData);

  CMainNode main;
  if (m_bHasMarketGroups || m_bHasPlantGroups) {
    for (CDbPrimalNode* primal : m_paPrimalNodes) {
      CDbNode* node = primal ? fill::FindCaseNode(*dbCase, primal->m_strName) : nullptr;
      if (node && !node->m_bDummyFlag && node->HasUnnamedModel()) {
        main = {primal, node};
        break;
      }
    }
  }

  // The group sales of one group row, from the main primal node.
  auto groupRow = [&](const CTableFilTable& table, int row, const std::string& tag, bool hasMin, bool hasMax) {
    const CDbGroup* group = fill::FindModelGroup(*model, tag);
    if (!group || !main.m_pPrimal) return;
    for (const CDbPrimalPeriod* primalPeriod : main.m_pPrimal->m_paPeriods) {
      if (!primalPeriod || (primalPeriod->m_strName == "." && multiPeriod)) continue;
      CDbPeriod* period = econ::FindCasePeriod(*dbCase, primalPeriod->m_strName);
      const CDbPrimal* column = period ? econ::FindColumn(*primalPeriod, "ASEL" + tag) : nullptr;
      if (!column) continue;
      auto entry = std::make_unique<CDbGroupTransaction>(group->m_nID, main.m_pNode->m_nID, m_pDbData);
      econ::SetGroupValues(*entry, *column, econ::PeriodDivisor(*dbCase, *period));
      ApplyGroupBound(entry->m_dMaxValue, hasMax, table, row, "MAX" + primalPeriod->m_strName, multiPeriod);
      ApplyGroupBound(entry->m_dMinValue, hasMin, table, row, "MIN" + primalPeriod->m_strName, multiPeriod);
      period->m_paGroupSales.Add(std::move(entry));
    }
  };

  // DEMALLOC is read once for every allocation cost of the call.
  CTableFilTable allocation;
  bool allocationRead = false;
  bool allocationTried = false;
  auto allocationCost = [&](const std::string& periodName, const std::string& tag, const std::string& market,
                            const std::string& plant) {
    if (!allocationTried) {
      allocationTried = true;
      allocationRead = fill::ReadModelTable(m_pDbData, "DEMALLOC", modelFile, allocation, true);
    }
    return allocationRead ? DemandAllocation(allocation, periodName, tag, market, plant) : 0.0f;
  };

  CTableFilTable table;
  if (fill::ReadModelTable(m_pDbData, "DEMAND", modelFile, table, true)) {
    std::vector<double> carry(1, 0.0);
    for (const CDbPrimalNode* primal : m_paPrimalNodes) {
      const CDbNode* node = primal ? fill::FindCaseNode(*dbCase, primal->m_strName) : nullptr;
      if (node && node->HasUnnamedModel()) {
        carry.assign(std::max<std::size_t>(primal->m_paPeriods.GetSize(), 1), 0.0);
        break;
      }
    }
    const int vol = table.FindColumn("VOL"), wgt = table.FindColumn("WGT"), icost = table.FindColumn("ICOST");
    const int vprice = table.FindColumn("VPRICE"), minColumn = table.FindColumn("MIN"),
              maxColumn = table.FindColumn("MAX");
    std::map<std::string, int> priceColumns;
    if (vprice >= 0) table.MapColumnsByPrefix(CTableFilTable::ItemNames(dbCase->m_paPeriods), "VPRICE", priceColumns);
    const bool checkLocalCodes = m_pDbData && m_pDbData->m_paLocalModelFiles && m_pDbData->m_pastrLocalModelCodes;
    const bool extendedTags = fill::UseExtendedTags(m_pDbData) && m_pDbData->m_pTagProcessor;

    std::string cachedCode;
    CDbMarket* market = nullptr;
    bool marketResolved = false;
    for (int row = 0; row < table.GetRowCount(); ++row) {
      const std::string& name = table.m_aRowNames[row];
      const std::string tag = econ::Left(name, 3);
      const std::string code = econ::CharAt(name, 3);
      const bool hasMin = CellSet(table, row, minColumn), hasMax = CellSet(table, row, maxColumn);
      if (code.empty()) {
        if (m_bHasMarketGroups) groupRow(table, row, tag, hasMin, hasMax);
        continue;
      }
      if (!marketResolved || code != cachedCode) {
        const CDbMarket probe(code);
        market = dbCase->m_paMarkets.Find(&probe);
        if (!market) market = dbCase->m_paMarkets.LinearFind(&probe);
        cachedCode = code;
        marketResolved = true;
      }
      if (!market) continue;
      CDbStream* stream = fill::FindModelStream(*model, tag);
      if (!stream) continue;
      const std::int32_t basis = econ::RowBasis(table, row, vol, wgt, m_nVolumeBasis);
      const std::string description = fill::RowDescription(table, row);
      if (stream->m_strDescription.empty()) stream->m_strDescription = description;
      float icostValue = 0.0f;
      const bool hasICost = fill::GetCell(table, row, icost, icostValue);
      float rowPrice = 0.0f;
      bool hasPrice = fill::GetCell(table, row, vprice, rowPrice);
      const std::string columnName = "SEL" + tag + code;
      const std::string marketTag = extendedTags ? m_pDbData->m_pTagProcessor->GetExtendedMarketTag(code) : code;
      const bool marketIsLocalModel =
          checkLocalCodes && std::find(m_pDbData->m_pastrLocalModelCodes->begin(),
                                       m_pDbData->m_pastrLocalModelCodes->end(),
                                       code) != m_pDbData->m_pastrLocalModelCodes->end();
      bool mainSeen = false;

      for (const CDbPrimalNode* primal : m_paPrimalNodes) {
        if (!primal) continue;
        CDbNode* node = fill::FindCaseNode(*dbCase, primal->m_strName);
        if (!node || node->m_bDummyFlag) continue;
        const bool isMain = node->HasUnnamedModel();
        CDbStream* local = (isMain || node->HasOwnDepot()) ? stream : econ::FindLookupStream(*stream, node->m_nID);
        if (!local) continue;
        for (int pi = 0; pi < primal->m_paPeriods.GetSize(); ++pi) {
          const CDbPrimalPeriod* primalPeriod = primal->m_paPeriods[pi];
          CDbPeriod* period = primalPeriod ? econ::FindCasePeriod(*dbCase, primalPeriod->m_strName) : nullptr;
          const CDbPrimal* column = period ? econ::FindColumn(*primalPeriod, columnName) : nullptr;
          if (!column) continue;
          const double divisor = econ::PeriodDivisor(*dbCase, *period);
          auto sale = std::make_unique<CDbSale>(local->m_nID, node->m_nID, market->m_nID, m_pDbData);
          econ::SetSaleValues(*sale, *column, divisor, undivided, basis, row);
          sale->m_strDescription = description;
          sale->m_strSaleDescription = description;

          const auto mapped = priceColumns.find(primalPeriod->m_strName);
          float cell = 0.0f;
          if (vprice >= 0 && mapped != priceColumns.end() && fill::GetCell(table, row, mapped->second, cell)) {
            rowPrice = cell;
            hasPrice = true;
          }
          if (m_bParametricOverrides) {
            double overridden = kDbNotSet;
            GetParametricOverride(columnName, primalPeriod->m_strName, model->m_strName, &overridden, "MIN");
            if (overridden != kDbNotSet) rowPrice = static_cast<float>(overridden);
          }
          if (hasPrice) {
            if (isMain) {
              sale->m_dPrice = 0.0;
            } else {
              const float cost = allocationCost(primalPeriod->m_strName, tag, code, primal->m_strName);
              const float net = rowPrice - cost;
              // The row's price is a price per volume: a sale on weight basis takes it per unit of weight.
              sale->m_dPrice = basis == 0 ? net / econ::VtwFactor(*period, local->m_nID, node->m_nID) : net;
            }
            sale->m_dVPRICE = rowPrice;
          }
          if (isMain) {
            if (static_cast<std::size_t>(pi) < carry.size()) carry[pi] = sale->m_dPrice;
            mainSeen = true;
          } else if (mainSeen && !hasPrice && static_cast<std::size_t>(pi) < carry.size()) {
            sale->m_dPrice += carry[pi];
          }
          period->m_paSales.Add(std::move(sale));

          if (!hasICost) continue;
          const std::string icstName = "ICST" + tag;
          const CDbPrimal* icst = nullptr;
          bool twoPurchases = false;
          if (primal->m_strName == code) {
            icst = econ::FindColumn(*primalPeriod, icstName);
            twoPurchases = true;
          } else if (primal->m_strName.empty() && !marketIsLocalModel) {
            // Several ICST columns share the base name; the full name carries the market.
            const std::string fullName = icstName + code;
            const CDbPrimalArray& columns = primalPeriod->m_paColumns;
            int i = 0;
            while (i < columns.GetSize() && !(columns[i] && columns[i]->m_strName == icstName)) ++i;
            for (; i < columns.GetSize() && columns[i] && columns[i]->m_strName == icstName; ++i)
              if (columns[i]->m_strShortName == fullName) {
                icst = columns[i];
                break;
              }
          }
          if (!icst || !(icst->m_dActivity > 0.0)) continue;
          auto penalty = std::make_unique<CDbPenalty>(1, node->m_nID, m_pDbData);
          penalty->m_dActivity = static_cast<double>(icostValue) * icst->m_dActivity;
          penalty->m_strTag1 = "DEMAND from Market " + marketTag;
          penalty->m_strTag2 = local->m_strReportTag;
          period->m_dPenaltyTotal += penalty->m_dActivity;
          period->m_paPenalties.Add(std::move(penalty));
          auto addPurchase = [&](std::int32_t streamId, std::int32_t nodeId) {
            auto purchase = std::make_unique<CDbTransaction>(streamId, nodeId, m_pDbData);
            econ::SetPurchaseValues(*purchase, *icst, divisor, undivided, basis, row);
            purchase->m_strDescription = description;
            period->m_paPurchases.Add(std::move(purchase));
          };
          if (twoPurchases) addPurchase(local->m_nID, node->m_nID);
          addPurchase(stream->m_nID, model->m_nID);
        }
      }
    }
  }

  if (!m_bHasPlantGroups || !fill::ReadModelTable(m_pDbData, "DEMALLOC", modelFile, table, true)) return;
  const int minColumn = table.FindColumn("MIN"), maxColumn = table.FindColumn("MAX");
  for (int row = 0; row < table.GetRowCount(); ++row) {
    const std::string& name = table.m_aRowNames[row];
    if (name.size() != 3) continue;
    groupRow(table, row, name, CellSet(table, row, minColumn), CellSet(table, row, maxColumn));
  }
}
