// Utility purchases and sales of one model per period from the utility
// columns of the solved LP: zero prices replaced by the shadow value of the
// utility's balance row (or its alternate's), group bounds and link ends.

#include <cmath>
#include <memory>

#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/economics/economics_fill.h"

namespace {

constexpr std::int32_t kBuyUnit = 0;
constexpr std::int32_t kSellUnit = 3;

CDbPrimal* FindPrimal(const CDbPrimalArray& list, const std::string& name) {
  const CDbPrimal probe(name);
  return list.Find(&probe);
}

void AddLinkEnd(CAutoDestructArray<CPtrArray, CDbLink*>& ends, std::int32_t unitType, std::int32_t utilityId,
                double quantity) {
  auto end = std::make_unique<CDbLink>(utilityId, 0);
  end->m_nUnitTypeID = unitType;
  end->m_dValue = quantity;
  ends.Add(std::move(end));
}

}  // namespace

bool CDbModel::FindAlternateUtility(const CDbDefinition& utility, CDbAlternate& record) const {
  const CDbAlternate probe(utility.m_strName);
  const CDbAlternate* found = m_paAlternateUtilities.Find(&probe);
  if (!found) found = m_paAlternateUtilities.LinearFind(&probe);
  if (!found) return false;
  record.m_nID = found->m_nID;
  record.m_strName = found->m_strName;
  record.m_nAlternateNodeID = found->m_nAlternateNodeID;
  record.m_nAlternateStreamID = found->m_nAlternateStreamID;
  record.m_strAlternateTag = found->m_strAlternateTag;
  return true;
}

void CDbSolution::BuildUtilities(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model) {
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  if (!modelFile || !dbCase || !model || !main) return;
  const CDbPrimalNode nodeProbe(model->m_strName);
  const CDbPrimalNode* primalNode = m_paPrimalNodes.Find(&nodeProbe);
  if (!primalNode) return;
  const bool skipDummy = fill::IsMultiPeriodModel(*main);
  const bool dividesByDays = fill::FirstPeriodIndex(*dbCase) != 0;
  // The primal periods with a case period, and the divisor of marginal values.
  auto forEachPeriod = [&](auto fn) {
    for (const CDbPrimalPeriod* primalPeriod : primalNode->m_paPeriods) {
      if (!primalPeriod || (skipDummy && primalPeriod->m_strName == ".")) continue;
      const CDbPeriod probe(primalPeriod->m_strName);
      CDbPeriod* period = dbCase->m_paPeriods.Find(&probe);
      if (!period) period = dbCase->m_paPeriods.LinearFind(&probe);
      if (!period) continue;
      const double divisor = (period->m_dDays != 0.0 && dividesByDays) ? period->m_dDays : 1.0;
      fn(*primalPeriod, *period, divisor);
    }
  };

  for (const CDbDefinition* utility : model->m_paUtilities) {
    if (!utility) continue;
    const std::string& tag = utility->m_strName;
    std::string balanceName = "UBAL" + tag;
    forEachPeriod([&](const CDbPrimalPeriod& primalPeriod, CDbPeriod& period, double divisor) {
      const CDbPrimal* balance = FindPrimal(primalPeriod.m_paRows, balanceName);
      if (!balance) {
        CDbAlternate alternate(tag);
        if (!model->FindAlternateUtility(*utility, alternate)) return;
        balanceName = "UBAL" + alternate.m_strAlternateTag;
        balance = FindPrimal(primalPeriod.m_paRows, balanceName);
        if (!balance) return;
      }
      const double shadow = econ::PerDay(balance->m_dMarginalValue, divisor);
      auto fill = [&](CDbUtilityTransaction& record, const CDbPrimal& column) {
        record.m_dActivity = column.m_dActivity;
        record.m_dMinValue = column.m_dLoRHS;
        record.m_dMaxValue = column.m_dHiRHS;
        record.m_dMarginalValue = econ::PerDay(column.m_dMarginalValue, divisor);
        record.m_nReportGroup = utility->m_nReportFlag;
        record.m_nReportOrder = utility->m_nReportOrder;
      };
      if (utility->m_bBoughtFlag)
        if (const CDbPrimal* column = FindPrimal(primalPeriod.m_paColumns, "PURC" + tag)) {
          auto purchase = std::make_unique<CDbUtilityTransaction>(utility->m_nID, model->m_nID, m_pDbData);
          fill(*purchase, *column);
          purchase->m_dPrice = -column->m_dSlack;
          purchase->m_dShadowPrice = column->m_dSlack == 0.0 ? -shadow : -column->m_dSlack;
          period.m_paUtilityPurchases.Add(std::move(purchase));
          if (column->m_dActivity != 0.0) AddLinkEnd(period.m_paLinks3, kBuyUnit, utility->m_nID, column->m_dActivity);
        }
      if (utility->m_bSoldFlag)
        if (const CDbPrimal* column = FindPrimal(primalPeriod.m_paColumns, "SELL" + tag)) {
          auto sale = std::make_unique<CDbUtilityTransaction>(utility->m_nID, model->m_nID, m_pDbData);
          fill(*sale, *column);
          sale->m_dPrice = column->m_dSlack != 0.0 ? column->m_dSlack
                                                   : std::fabs(shadow) + econ::PerDay(column->m_dMarginalValue, divisor);
          period.m_paUtilitySales.Add(std::move(sale));
          AddLinkEnd(period.m_paLinks4, kSellUnit, utility->m_nID, column->m_dActivity);
        }
    });
  }

  for (const CDbGroup* group : model->m_paGroups) {
    if (!group || group->m_paMembers.IsEmpty() || !group->m_paMembers.GetAt(0)) continue;
    const CDbDefinition& first = *group->m_paMembers.GetAt(0);
    for (const bool purchases : {true, false}) {
      if (!(purchases ? first.m_bBoughtFlag : first.m_bSoldFlag)) continue;
      const std::string columnName = (purchases ? "ABUY" : "ASEL") + group->m_strName;
      forEachPeriod([&](const CDbPrimalPeriod& primalPeriod, CDbPeriod& period, double divisor) {
        const CDbPrimal* column = FindPrimal(primalPeriod.m_paColumns, columnName);
        if (!column) return;
        auto record = std::make_unique<CDbGroupTransaction>(group->m_nID, model->m_nID, m_pDbData);
        record->m_dMinValue = column->m_dLoRHS;
        record->m_dMaxValue = column->m_dHiRHS;
        record->m_dMarginalValue = econ::PerDay(column->m_dMarginalValue, divisor);
        (purchases ? period.m_paGroupUtilityPurchases : period.m_paGroupUtilitySales).Add(std::move(record));
      });
    }
  }
}
