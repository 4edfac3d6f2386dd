// The purchases of a global case: GSUPPLY for the global model, SUPPLY for
// the plants, with the group purchases and the supply penalties and sales of
// plant supplies that carry an internal price.

#include <memory>
#include <utility>

#include "caseset/modeltables/table_fil_table.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/economics/economics_fill.h"
#include "solutionfill/economics/group_fill.h"

namespace {

// A stream or group row of GSUPPLY: purchases of the global model per period.
void GlobalStreamRow(CDbSolution& solution, const CTableFilTable& table, int row, CDbStream& stream,
                     CDbPrimalNode& primalNode, CDbCase& dbCase, CDbModel& model, int volColumn, int wgtColumn) {
  const std::string tag = econ::Left(table.m_aRowNames[row], 3);
  const std::int32_t basis = econ::RowBasis(table, row, volColumn, wgtColumn, solution.m_nVolumeBasis);
  if (stream.m_strDescription.empty()) stream.m_strDescription = fill::RowDescription(table, row);
  const bool undivided = econ::UseZelun(solution.m_pDbData);
  for (const CDbPrimalPeriod* primalPeriod : primalNode.m_paPeriods) {
    CDbPeriod* period = primalPeriod ? econ::FindCasePeriod(dbCase, primalPeriod->m_strName) : nullptr;
    const CDbPrimal* column = period ? econ::FindColumn(*primalPeriod, "PURC" + tag) : nullptr;
    if (!column) continue;
    auto purchase = std::make_unique<CDbTransaction>(stream.m_nID, model.m_nID, solution.m_pDbData);
    econ::SetPurchaseValues(*purchase, *column, econ::PeriodDivisor(dbCase, *period), undivided, basis, row);
    period->m_paPurchases.Add(std::move(purchase));
  }
}

// The group purchases of a group row, from the primal node named primalName.
void GroupRow(CDbSolution& solution, const std::string& tag, const CDbGroup& group, std::int32_t nodeId,
              const CDbPrimalNode& primalNode, CDbCase& dbCase) {
  for (const CDbPrimalPeriod* primalPeriod : primalNode.m_paPeriods) {
    CDbPeriod* period = primalPeriod ? econ::FindCasePeriod(dbCase, primalPeriod->m_strName) : nullptr;
    const CDbPrimal* column = period ? econ::FindColumn(*primalPeriod, "ASUP" + tag) : nullptr;
    if (!column) continue;
    auto entry = std::make_unique<CDbGroupTransaction>(group.m_nID, nodeId, solution.m_pDbData);
    econ::SetGroupValues(*entry, *column, econ::PeriodDivisor(dbCase, *period));
    period->m_paGroupPurchases.Add(std::move(entry));
  }
}

struct CPlant {
  std::string m_strCode;
  bool m_bResolved = false;
  CDbPrimalNode* m_pPrimalNode = nullptr;
  CDbNode* m_pNode = nullptr;
  CDbModel* m_pModel = nullptr;
  bool Usable() const { return m_pPrimalNode && m_pNode && !m_pNode->m_bDummyFlag && m_pModel; }
};

const std::string* MappedTag(const CDbModel& model, const std::string& tag) {
  const auto it = model.m_mapLocalTags.find(tag);
  return it == model.m_mapLocalTags.end() ? nullptr : &it->second;
}

CDbTransaction* FindGlobalPurchase(const CDbPeriod& period, std::int32_t streamId, std::int32_t modelId) {
  for (CDbTransaction* purchase : period.m_paPurchases)
    if (purchase && purchase->m_nID == streamId && purchase->m_nNodeID == modelId) return purchase;
  return nullptr;
}

}  // namespace

void CDbSolution::BuildGlobalPurchase(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model) {
  if (!dbCase || !model) return;
  CDbPrimalNode* primalNode = econ::FindPrimalNode(*this, model->m_strName);
  if (!primalNode) return;
  const bool undivided = econ::UseZelun(m_pDbData);

  CTableFilTable table;
  if (fill::ReadModelTable(m_pDbData, "GSUPPLY", modelFile, table, true)) {
    const int vol = table.FindColumn("VOL"), wgt = table.FindColumn("WGT");
    for (int row = 0; row < table.GetRowCount(); ++row) {
      const std::string tag = econ::Left(table.m_aRowNames[row], 3);
      if (CDbStream* stream = fill::FindModelStream(*model, tag)) {
        GlobalStreamRow(*this, table, row, *stream, *primalNode, *dbCase, *model, vol, wgt);
        continue;
      }
      const CDbGroup* group = fill::FindModelGroup(*model, tag);
      const CDbPrimalNode* dotNode = group ? econ::FindPrimalNode(*this, ".") : nullptr;
      if (dotNode) GroupRow(*this, tag, *group, model->m_nID, *dotNode, *dbCase);
    }
  }

  if (!fill::ReadModelTable(m_pDbData, "SUPPLY", modelFile, table, true)) return;
  const int vol = table.FindColumn("VOL"), wgt = table.FindColumn("WGT"), iprice = table.FindColumn("IPRICE");
  CPlant plant;
  for (int row = 0; row < table.GetRowCount(); ++row) {
    const std::string& name = table.m_aRowNames[row];
    if (name.size() < 4) continue;  // names no plant
    const std::string tag = econ::Left(name, 3);
    const std::string code = econ::CharAt(name, 3);
    if (!plant.m_bResolved || plant.m_strCode != code) {
      plant = CPlant{code, true};
      plant.m_pPrimalNode = econ::FindPrimalNode(*this, code);
      plant.m_pNode = fill::FindCaseNode(*dbCase, code);
      if (plant.m_pNode) {
        plant.m_pModel = fill::FindNodeModel(*plant.m_pNode, code);
        if (!plant.m_pModel) plant.m_pModel = model;
      }
    }
    if (!plant.Usable()) continue;
    CDbModel& plantModel = *plant.m_pModel;
    CDbNode& node = *plant.m_pNode;

    std::string alternateTag;
    for (const CDbAlternate* alternate : plantModel.m_paAlternateStreams)
      if (alternate && alternate->m_strName == tag) {
        alternateTag = alternate->m_strAlternateTag;
        break;
      }
    const std::string* mapped = MappedTag(plantModel, tag);
    if (!mapped && !alternateTag.empty()) mapped = MappedTag(plantModel, alternateTag);
    CDbStream* global = nullptr;
    CDbStream* own = nullptr;
    if (mapped) {
      global = fill::FindModelStream(*model, *mapped);
      if (global)
        own = fill::FindModelStream(plantModel, tag);
      else
        global = fill::FindModelStream(*model, tag);
    } else {
      global = fill::FindModelStream(*model, tag);
    }
    CDbStream* local = nullptr;
    if (global) {
      if (&plantModel == model) {
        local = global;
      } else if (CDbStream* lookedUp = econ::FindLookupStream(*global, plantModel.m_nID)) {
        local = own ? own : lookedUp;
      }
    }
    if (!local) {
      if (const CDbGroup* group = fill::FindModelGroup(plantModel, tag))
        GroupRow(*this, tag, *group, node.m_nID, *plant.m_pPrimalNode, *dbCase);
      continue;
    }

    const std::int32_t basis = econ::RowBasis(table, row, vol, wgt, m_nVolumeBasis);
    float ipriceValue = 0.0f;
    const bool hasIPrice = fill::GetCell(table, row, iprice, ipriceValue);
    const std::string description = fill::RowDescription(table, row);
    for (const CDbPrimalPeriod* primalPeriod : plant.m_pPrimalNode->m_paPeriods) {
      CDbPeriod* period = primalPeriod ? econ::FindCasePeriod(*dbCase, primalPeriod->m_strName) : nullptr;
      const CDbPrimal* column = period ? econ::FindColumn(*primalPeriod, "PURC" + tag) : nullptr;
      if (!column) continue;
      const double divisor = econ::PeriodDivisor(*dbCase, *period);
      auto purchase = std::make_unique<CDbTransaction>(local->m_nID, node.m_nID, m_pDbData);
      econ::SetPurchaseValues(*purchase, *column, divisor, undivided, basis, row);
      purchase->m_strDescription = description;
      if (const CDbTransaction* globalPurchase = FindGlobalPurchase(*period, global->m_nID, model->m_nID)) {
        const double vtw = econ::VtwFactor(*period, local->m_nID, node.m_nID);
        double cost = globalPurchase->m_dCost;
        if (globalPurchase->m_nVWBasisID == 0 && basis == 1)
          cost *= vtw;
        else if (globalPurchase->m_nVWBasisID == 1 && basis == 0 && vtw != 0.0)
          cost /= vtw;
        purchase->m_dCost += cost;
        purchase->m_strDescription = globalPurchase->m_strDescription;
      }
      period->m_paPurchases.Add(std::move(purchase));

      const CDbPrimal* internal = hasIPrice ? econ::FindColumn(*primalPeriod, "IPRC" + tag) : nullptr;
      if (!internal || !(internal->m_dActivity > 0.0)) continue;
      auto penalty = std::make_unique<CDbPenalty>(1, node.m_nID, m_pDbData);
      penalty->m_dActivity = static_cast<double>(ipriceValue) * internal->m_dActivity;
      penalty->m_strTag1 = "SUPPLY from Plant " + code;
      penalty->m_strTag2 = local->m_strReportTag;
      period->m_dPenaltyTotal += penalty->m_dActivity;
      period->m_paPenalties.Add(std::move(penalty));
      for (auto [streamId, nodeId] : {std::pair{local->m_nID, node.m_nID}, std::pair{global->m_nID, model->m_nID}}) {
        auto sale = std::make_unique<CDbSale>(streamId, nodeId, node.m_nID, m_pDbData);
        econ::SetSaleValues(*sale, *internal, divisor, undivided, basis, row);
        sale->m_strDescription = description;
        sale->m_strSaleDescription = description;
        period->m_paSales.Add(std::move(sale));
      }
    }
  }
}
