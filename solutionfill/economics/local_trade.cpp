// Purchases and sales of one model per period from its BUY and SELL tables
// (with GSELL and MARKETS in a global case) and the purchase and sale
// columns of the solved LP: the transactions, group bounds, penalties and
// the link ends the link report pairs later.

#include <map>
#include <memory>
#include <vector>

#include "caseset/vorn_db_export_data.h"
#include "foundation/timing_scope.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_services.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/economics/economics_fill.h"
#include "standins/tresk.h"

namespace {

constexpr std::size_t kWarningBuffer = 130;
constexpr std::int32_t kBuyUnit = 0;
constexpr std::int32_t kSellUnit = 3;
constexpr std::int32_t kTradePenalty = 1;

// What both builders share for one model.
class CTradeFrame {
 public:
  CTradeFrame(CDbSolution& solution, CVornModelFile& modelFile, CDbCase& dbCase, CDbModel& model)
      : m_solution(solution),
        m_modelFile(modelFile),
        m_case(dbCase),
        m_model(model),
        m_owner(solution.m_pDbData),
        m_main(fill::MainModel(solution.m_pDbData)) {
    const CDbPrimalNode probe(model.m_strName);
    m_pPrimalNode = solution.m_paPrimalNodes.Find(&probe);
    m_bModelVolume = modelFile.m_settings.m_VOLBASIS.GetValue() != 0;
  }

  bool Ready() const { return m_pPrimalNode && m_main; }

  // The primal node's periods that have a case period ("." skipped for a multi-period main model).
  template <class Fn>
  void ForEachPeriod(Fn fn) {
    const bool skipDummy = fill::IsMultiPeriodModel(*m_main);
    for (CDbPrimalPeriod* primalPeriod : m_pPrimalNode->m_paPeriods) {
      if (!primalPeriod || (skipDummy && primalPeriod->m_strName == ".")) continue;
      const CDbPeriod probe(primalPeriod->m_strName);
      CDbPeriod* period = m_case.m_paPeriods.Find(&probe);
      if (!period) period = m_case.m_paPeriods.LinearFind(&probe);
      if (period) fn(*primalPeriod, *period);
    }
  }

  double Divisor(const CDbPeriod& period) const {
    return (period.m_dDays != 0.0 && fill::FirstPeriodIndex(m_case) != 0) ? period.m_dDays : 1.0;
  }

  static CDbPrimal* Column(const CDbPrimalPeriod& period, const std::string& name) {
    const CDbPrimal probe(name);
    return period.m_paColumns.Find(&probe);
  }

  CDbStream* Stream(const std::string& tag) const {
    const CDbStream probe(tag);
    return m_model.m_paStreams.Find(&probe);
  }
  CDbGroup* Group(const std::string& tag) const {
    const CDbGroup probe(tag);
    if (CDbGroup* group = m_model.m_paGroups.Find(&probe)) return group;
    return m_model.m_paGroups.LinearFind(&probe);
  }

  // 1 volume, 0 weight: the model's basis, VOL sets volume, WGT wins.
  int Basis(const CTableFilTable& table, int row, int vol, int wgt) const {
    float cell;
    int basis = m_bModelVolume ? 1 : 0;
    if (vol >= 0 && fill::GetCell(table, row, vol, cell)) basis = 1;
    if (wgt >= 0 && fill::GetCell(table, row, wgt, cell)) basis = 0;
    return basis;
  }
  std::int32_t ReportGroup(const CTableFilTable& table, int row, int group) const {
    float cell;
    if (m_solution.m_bHasReportGroups && group >= 0 && fill::GetCell(table, row, group, cell))
      return static_cast<std::int32_t>(cell);
    return kDbNoReportOrder;
  }
  double VtwFactor(const CDbPeriod& period, const CDbStream& stream) const {
    for (const CDbVTW* vtw : period.m_paVTWs)
      if (vtw && vtw->m_nID == stream.m_nID && vtw->m_nNodeID == m_model.m_nID) return vtw->m_dValue;
    return 1.0;
  }
  // The column's activity in the model's basis.
  double Quantity(const CDbPeriod& period, const CDbStream& stream, const CDbPrimal& column, int basis) const {
    if ((basis != 0) == m_bModelVolume) return column.m_dActivity;
    const double factor = VtwFactor(period, stream);
    return basis != 0 ? column.m_dActivity * factor : column.m_dActivity / factor;
  }

  void AddLink(CAutoDestructArray<CPtrArray, CDbLink*>& ends, std::int32_t unitType, std::int32_t streamId,
               double quantity) {
    auto end = std::make_unique<CDbLink>(streamId, 0);
    end->m_nUnitTypeID = unitType;
    end->m_dValue = quantity;
    ends.Add(std::move(end));
  }
  void AddPenalty(CDbPeriod& period, double activity, const std::string& tag) {
    auto penalty = std::make_unique<CDbPenalty>(kTradePenalty, m_model.m_nID, m_owner);
    penalty->m_dActivity = activity;
    penalty->m_strTag1 = tag;
    period.m_paPenalties.Add(std::move(penalty));
    period.m_dPenaltyTotal += activity;
  }
  void AddGroupBounds(CAutoDestructArray<CPtrArray, CDbGroupTransaction*>& list, const CDbGroup& group,
                      const CDbPrimal& column, const CDbPeriod& period, CDbGroupTransaction*& made) {
    auto entry = std::make_unique<CDbGroupTransaction>(group.m_nID, m_model.m_nID, m_owner);
    entry->m_dMinValue = column.m_dLoRHS;
    entry->m_dMaxValue = column.m_dHiRHS;
    entry->m_dMarginalValue = econ::PerDay(column.m_dMarginalValue, Divisor(period));
    made = entry.get();
    list.Add(std::move(entry));
  }

  CDbSolution& m_solution;
  CVornModelFile& m_modelFile;
  CDbCase& m_case;
  CDbModel& m_model;
  CVornDbExportData* m_owner;
  const CVornModelFile* m_main;
  CDbPrimalNode* m_pPrimalNode = nullptr;
  bool m_bModelVolume = false;
};

}  // namespace

void CDbSolution::BuildLocalPurchase(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model) {
  if (!modelFile || !dbCase || !model) return;
  CTradeFrame frame(*this, *modelFile, *dbCase, *model);
  if (!frame.Ready()) return;
  CTableFilTable table;
  if (!fill::ReadModelTable(m_pDbData, "BUY", modelFile, table, true)) return;
  const int vol = table.FindColumn("VOL"), wgt = table.FindColumn("WGT");
  const int iprice = table.FindColumn("IPRICE"), group = table.FindColumn("GROUP");
  const bool single = m_bSingleModel != 0;
  for (int i = 0; i < table.GetRowCount(); ++i) {
    const std::string tag = fill::Left(table.m_aRowNames[i], 3);
    const CDbStream* stream = frame.Stream(tag);
    if (!stream) {
      const CDbGroup* rowGroup = single ? frame.Group(tag) : nullptr;
      if (!rowGroup) continue;
      frame.ForEachPeriod([&](CDbPrimalPeriod& primalPeriod, CDbPeriod& period) {
        CDbGroupTransaction* made = nullptr;
        if (const CDbPrimal* column = CTradeFrame::Column(primalPeriod, "ABUY" + tag))
          frame.AddGroupBounds(period.m_paGroupPurchases, *rowGroup, *column, period, made);
      });
      continue;
    }
    const std::int32_t reportGroup = frame.ReportGroup(table, i, group);
    const int basis = frame.Basis(table, i, vol, wgt);
    float cell;
    const bool hasIPrice = iprice >= 0 && fill::GetCell(table, i, iprice, cell);
    frame.ForEachPeriod([&](CDbPrimalPeriod& primalPeriod, CDbPeriod& period) {
      const CDbPrimal* column = CTradeFrame::Column(primalPeriod, "PURC" + tag);
      if (!column) {
        if (!single) frame.AddLink(period.m_paLinks1, kBuyUnit, stream->m_nID, 0.0);
        return;
      }
      if (single) {
        auto purchase = std::make_unique<CDbTransaction>(stream->m_nID, model->m_nID, m_pDbData);
        purchase->m_dActivity = column->m_dActivity;
        purchase->m_dCost = -column->m_dSlack;
        purchase->m_dMarginalValue = econ::PerDay(column->m_dMarginalValue, frame.Divisor(period));
        purchase->m_dMinValue = column->m_dLoRHS;
        purchase->m_dMaxValue = column->m_dHiRHS;
        purchase->m_nVWBasisID = basis;
        purchase->m_nReportGroup = reportGroup;
        purchase->m_nReportOrder = i;
        purchase->m_strDescription = fill::RowText(table, i);
        period.m_paPurchases.Add(std::move(purchase));
        const float penalty = stream->m_fSellICost * static_cast<float>(column->m_dActivity);
        if (penalty != 0.0f || hasIPrice) frame.AddPenalty(period, penalty, column->m_strAliasName);
        if (penalty != 0.0f) {
          const CDbPrimal* sale = CTradeFrame::Column(primalPeriod, "SELL" + tag);
          if (sale && (sale->m_dActivity == 0.0 || sale->m_dActivity > sale->m_dLoRHS)) {
            const std::string line =
                FormatFillText(" *** WARNING. " + LoadTreskString(kTreskPurchaseWarning), kWarningBuffer, {tag});
            ReportWarningLine(*m_pDbData, line);
          }
        }
      }
      frame.AddLink(period.m_paLinks1, kBuyUnit, stream->m_nID, frame.Quantity(period, *stream, *column, basis));
    });
  }
}

void CDbSolution::BuildLocalSale(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model) {
  if (!modelFile || !dbCase || !model) return;
  CTradeFrame frame(*this, *modelFile, *dbCase, *model);
  if (!frame.Ready()) return;
  CTableFilTable table;
  if (!fill::ReadModelTable(m_pDbData, "SELL", modelFile, table, true)) return;
  const bool single = m_bSingleModel != 0;
  const CVornModelFile& main = *frame.m_main;

  std::vector<std::string> markets;
  if (!single) {
    const CTimingScope timing((LoadTreskString(kTreskTimingMarkets) + " MARKETS").c_str());
    CTableFilTable marketTable;
    if (fill::ReadModelTable(m_pDbData, "MARKETS", m_pDbData->m_pModel.get(), marketTable, true))
      markets = marketTable.m_aRowNames;
  }
  CTableFilTable gsell;
  const CTableFilTable* prices = &table;
  bool globalPrices = false;
  const std::int32_t mainType = fill::GetModelType(main);
  if (main.m_settings.m_AutomateMixedWeightVolOn.GetValue() != 0 && (mainType == 2 || mainType == 3)) {
    prices = nullptr;
    if (main.m_settings.m_UseZelunMGOn.GetValue() == 0) {
      const CTimingScope timing((LoadTreskString(kTreskTimingGsell) + " GSELL").c_str());
      if (fill::ReadModelTable(m_pDbData, "GSELL", modelFile, gsell, true)) {
        prices = &gsell;
        globalPrices = true;
      }
    }
  }
  const int priceColumn = prices ? prices->FindColumn("VPRICE") : -1;
  std::map<std::string, int> priceColumns;
  if (priceColumn >= 0) {
    std::vector<std::string> periodNames;
    for (int p = fill::FirstPeriodIndex(*dbCase); p < dbCase->m_paPeriods.GetSize(); ++p)
      periodNames.push_back(dbCase->m_paPeriods.GetAt(p)->m_strName);
    prices->MapColumnsByPrefix(periodNames, "VPRICE", priceColumns);
  }
  const int vol = table.FindColumn("VOL"), wgt = table.FindColumn("WGT");
  const int minColumn = table.FindColumn("MIN"), maxColumn = table.FindColumn("MAX");
  const int icost = table.FindColumn("ICOST");
  const int group = m_bHasReportGroups ? table.FindColumn("GROUP") : -1;
  const bool mainMultiPeriod = fill::IsMultiPeriodModel(main);

  for (int i = 0; i < table.GetRowCount(); ++i) {
    const std::string tag = fill::Left(table.m_aRowNames[i], 3);
    float cell;
    const bool hasMin = minColumn >= 0 && fill::GetCell(table, i, minColumn, cell);
    const bool hasMax = maxColumn >= 0 && fill::GetCell(table, i, maxColumn, cell);
    const bool hasICost = icost >= 0 && fill::GetCell(table, i, icost, cell);
    const CDbStream* stream = frame.Stream(tag);
    if (!stream) {
      const CDbGroup* rowGroup = single ? frame.Group(tag) : nullptr;
      if (!rowGroup) continue;
      frame.ForEachPeriod([&](CDbPrimalPeriod& primalPeriod, CDbPeriod& period) {
        const CDbPrimal* column = CTradeFrame::Column(primalPeriod, "ASEL" + tag);
        if (!column) return;
        CDbGroupTransaction* made = nullptr;
        frame.AddGroupBounds(period.m_paGroupSales, *rowGroup, *column, period, made);
        // A bound of a period column counts only in a multi-period main model.
        auto periodBound = [&](const char* prefix) {
          const int bound = table.FindColumn(prefix + period.m_strName);
          return mainMultiPeriod && bound >= 0 && fill::GetCell(table, i, bound, cell);
        };
        if (!hasMax && !periodBound("MAX")) made->m_dMaxValue = kDbNotSet;
        if (!hasMin && !periodBound("MIN")) made->m_dMinValue = kDbNotSet;
      });
      continue;
    }
    const std::int32_t reportGroup = frame.ReportGroup(table, i, group);
    frame.ForEachPeriod([&](CDbPrimalPeriod& primalPeriod, CDbPeriod& period) {
      int basis = frame.Basis(table, i, vol, wgt);
      CDbPrimal* column = CTradeFrame::Column(primalPeriod, "SELL" + tag);
      if (!column) {
        if (single) return;
        double sum = 0.0;
        for (const std::string& market : markets)
          if (const CDbPrimal* sold = CTradeFrame::Column(primalPeriod, "SEL" + tag + market)) sum += sold->m_dActivity;
        frame.AddLink(period.m_paLinks2, kSellUnit, stream->m_nID, sum);
        return;
      }
      if (single) {
        auto sale = std::make_unique<CDbSale>(stream->m_nID, model->m_nID, 0, m_pDbData);
        sale->m_dActivity = column->m_dActivity;
        sale->m_nReportOrder = i;
        sale->m_strSaleDescription = fill::RowText(table, i);
        float price = kDbNotSetF;
        const auto mapped = priceColumns.find(period.m_strName);
        if (priceColumn >= 0 && mapped != priceColumns.end()) {
          if (globalPrices) {
            if (i < gsell.GetRowCount() && fill::Left(gsell.m_aRowNames[i], 3) == tag &&
                fill::GetCell(gsell, i, mapped->second, cell)) {
              price = cell;
              basis = 0;
            }
          } else if (fill::GetCell(table, i, mapped->second, cell)) {
            price = cell;
            if (m_bParametricOverrides && CTradeFrame::Column(primalPeriod, "SZZZ" + tag)) {
              double value = kDbNotSet;
              GetParametricOverride("SZZZ" + tag, period.m_strName, model->m_strName, &value, "MIN");
              if (value != kDbNotSet) price = static_cast<float>(value);
            }
          }
        }
        if (price != kDbNotSetF) {
          sale->m_dVPRICE = price;
          const double factor = frame.VtwFactor(period, *stream);
          sale->m_dPrice = basis != 0 ? price : price / factor;
          column->m_dSalePrice = sale->m_dPrice;
          bool listed = false;
          for (const CDbPrimal* active : primalPeriod.m_paActiveCostColumns)
            listed = listed || (active && active->m_strName == column->m_strName);
          if (!listed) primalPeriod.m_paActiveCostColumns.Add(column);
        } else {
          sale->m_dPrice = column->m_dSlack;
        }
        sale->m_dMarginalValue = econ::PerDay(column->m_dMarginalValue, frame.Divisor(period));
        sale->m_dMaxValue = column->m_dHiRHS;
        sale->m_dMinValue = column->m_dLoRHS;
        sale->m_nVWBasisID = basis;
        sale->m_nReportGroup = reportGroup;
        const float penalty = static_cast<float>(column->m_dActivity) *
                              (stream->m_fBuyIPrice != 0.0f ? static_cast<float>(sale->m_dPrice) : 0.0f);
        period.m_paSales.Add(std::move(sale));
        if (penalty != 0.0f || hasICost) frame.AddPenalty(period, penalty, column->m_strAliasName);
      }
      frame.AddLink(period.m_paLinks2, kSellUnit, stream->m_nID, frame.Quantity(period, *stream, *column, basis));
    });
  }
}
