// The economic summary of a case: per real period and per model object or
// depot one amount for each of the 17 categories, filled from the LP
// columns with a cost and rolled up from the plants into the global model;
// and the fixed costs of a model (REPORT "VAL").

#include <memory>

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

constexpr std::int32_t kCategoryCount = 17;
constexpr std::int32_t kPenaltyCategory = 17;
constexpr std::size_t kWarningBuffer = 130;

CDbDefinition* FindDefinition(const CAutoDestructArray<CPtrArray, CDbDefinition*>& list, const std::string& name) {
  const CDbDefinition probe(name);
  if (CDbDefinition* found = list.Find(&probe)) return found;
  return list.LinearFind(&probe);
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool SkippedInventoryColumn(const std::string& name) {
  return StartsWith(name, "IEXC") || StartsWith(name, "IDEF") || StartsWith(name, "INVT") || StartsWith(name, "XTRG");
}

void Warn(CVornDbExportData* exportData, std::uint32_t textId, const std::string& tag, const std::string& modelName) {
  if (!exportData) return;
  ReportWarningLine(*exportData,
                    FormatFillText(" *** WARNING. " + LoadTreskString(textId), kWarningBuffer, {tag, modelName}));
}

// How one column of a non-global run counts; category -1 adds nothing.
struct CColumnClass {
  std::int32_t m_nCategory = -1;
  double m_dFactor = 0.0;
};

class CEcoSumWalk {
 public:
  CEcoSumWalk(CDbSolution& solution, CDbModel& model, bool isLocalModel)
      : m_solution(solution), m_model(model), m_bLocal(isLocalModel),
        m_bZelun(econ::UseZelun(solution.m_pDbData)) {}

  // The stream of a tag, a local model's mapped stream taking its place
  // when the tag's own is missing or the mapped one is flagged.
  CDbStream* FlaggedStream(const std::string& tag, bool sold) const {
    CDbStream* stream = fill::FindModelStream(m_model, tag);
    if (!m_bLocal) return stream;
    const auto mapped = m_model.m_mapLocalTags.find(tag);
    if (mapped == m_model.m_mapLocalTags.end()) return stream;
    CDbStream* other = fill::FindModelStream(m_model, mapped->second);
    if (other && (!stream || (sold ? other->m_bIsSold : other->m_bIsPurchased))) return other;
    return stream;
  }

  CColumnClass Classify(const CDbPrimal& column, CDbPeriod& period, double divisor, const std::string& prefix) const {
    const std::string& name = column.m_strName;
    const double cost = column.m_dSlack;
    const double perDay = m_bZelun ? cost : cost / divisor;
    CColumnClass result{-1, cost};
    const bool isIcst = StartsWith(name, "ICST");
    if (StartsWith(name, prefix.c_str()) || isIcst) {
      const std::string tag = econ::Chars3(name, isIcst ? 4 : prefix.size());
      const CDbStream* stream = FlaggedStream(tag, true);
      const bool utility = FindDefinition(m_model.m_paUtilities, econ::Chars3(name, 4)) != nullptr;
      if (stream && stream->m_bIsSold) {
        if (utility) {
          result.m_nCategory = 10;
        } else if (m_bLocal) {
          result = {isIcst ? 3 : 1, perDay};
        } else {
          result.m_nCategory = isIcst ? 7 : 8;
        }
      } else if (utility) {
        result.m_nCategory = 10;
      } else {
        Warn(m_solution.m_pDbData, kTreskSaleTagUnknown, tag, m_model.m_strModelName);
      }
      return result;
    }
    const bool isIprc = StartsWith(name, "IPRC");
    if (StartsWith(name, "PURC") || isIprc) {
      const std::string tag = econ::Chars3(name, 4);
      const CDbStream* stream = FlaggedStream(tag, false);
      if (stream && stream->m_bIsPurchased) {
        if (m_bLocal)
          result = {isIprc ? 1 : 3, perDay};
        else
          result.m_nCategory = isIprc ? 8 : 7;
      } else if (FindDefinition(m_model.m_paUtilities, tag)) {
        result.m_nCategory = 9;
      } else {
        Warn(m_solution.m_pDbData, kTreskPurchaseTagUnknown, tag, m_model.m_strModelName);
      }
      return result;
    }
    if (SkippedInventoryColumn(name)) return result;
    if (StartsWith(name, "CDEC") || StartsWith(name, "CINC")) {
      result.m_nCategory = 11;
      if (!m_bZelun) {
        const std::string tag = econ::Chars3(name, 4);
        std::int32_t id = -1;
        bool found = false;
        if (const CDbStream* stream = fill::FindModelStream(m_model, tag)) {
          id = stream->m_nID;
          found = true;
        } else if (const CDbGroup* group = fill::FindModelGroup(m_model, tag)) {
          id = group->m_nID;
          found = true;
        }
        if (found)
          for (const CDbInventory* inventory : period.m_paInventories)
            if (inventory && inventory->m_nID == id && inventory->m_nNodeID == m_model.m_nID &&
                (inventory->m_dActualOpeningCost != 0.0 || inventory->m_dActualClosingPrice != 0.0)) {
              result.m_dFactor = cost / divisor;
              break;
            }
      }
      return result;
    }
    if (StartsWith(name, "Szzz+") || StartsWith(name, "SZZZ")) {
      if (m_bLocal)
        result.m_nCategory = 1;
      else if (StartsWith(name, "Szzz+"))
        result.m_nCategory = 8;
      return result;
    }
    if (StartsWith(name, "Szzz")) return result;
    if (StartsWith(name, "S")) {
      if (FindDefinition(m_model.m_paUnits, econ::Left(name, 4))) result.m_nCategory = 14;
      return result;
    }
    if (StartsWith(name, "OBJFN")) period.m_dPeriodObjective = column.m_dActivity;
    return result;
  }

  CColumnClass ClassifyGlobal(const CDbPrimal& column, double divisor, const std::string& prefix) const {
    const std::string& name = column.m_strName;
    CColumnClass result{-1, m_bZelun ? column.m_dSlack : column.m_dSlack / divisor};
    if (StartsWith(name, prefix.c_str()) || StartsWith(name, "ICST")) {
      if (StartsWith(name, "ICST"))
        result.m_nCategory = 2;
      else if (fill::FindModelStream(m_model, econ::Chars3(name, 3)))
        result.m_nCategory = 1;
    } else if (StartsWith(name, "PURC") || StartsWith(name, "IPRC")) {
      if (StartsWith(name, "IPRC"))
        result.m_nCategory = 1;
      else if (fill::FindModelStream(m_model, econ::Chars3(name, 4)))
        result.m_nCategory = 2;
    } else if (StartsWith(name, "T")) {
      if (fill::FindModelStream(m_model, econ::Chars3(name, 1))) result.m_nCategory = 5;
    }
    return result;
  }

 private:
  CDbSolution& m_solution;
  CDbModel& m_model;
  bool m_bLocal;
  bool m_bZelun;
};

double EntryActivity(const CDbPeriod& period, std::int32_t category, std::int32_t modelId) {
  const CDbEcoSum* entry = econ::FindEcoSum(period, category, modelId);
  return entry ? entry->m_dActivity : 0.0;
}

// The plants' amounts summed into the global model's entries of the period.
void RollUp(CDbCase& dbCase, CDbPeriod& period, const CDbModel& global) {
  double a = 0, b = 0, c = 0, d = 0, e = 0, f = 0, g = 0, h = 0;
  for (const CDbNode* node : dbCase.m_paNodes) {
    if (!node || node->m_bDummyFlag || node->m_nID == global.m_nID) continue;
    const std::int32_t id = node->m_nID;
    a += EntryActivity(period, 9, id) + EntryActivity(period, 10, id);
    b += EntryActivity(period, 3, id);
    c += EntryActivity(period, 1, id);
    d += EntryActivity(period, 11, id);
    e += EntryActivity(period, 12, id);
    f += EntryActivity(period, 13, id);
    g += EntryActivity(period, 17, id);
    h += EntryActivity(period, 14, id);
    for (CDbModel* plant : node->m_paModels)
      if (plant) plant->FillLocalCostEcoSums(&period);
  }
  auto entry = [&](std::int32_t category) { return econ::FindEcoSum(period, category, global.m_nID); };
  if (CDbEcoSum* x = entry(4)) x->m_dActivity = a;
  if (CDbEcoSum* x = entry(3)) x->m_dActivity = b;
  if (CDbEcoSum* x = entry(1)) x->m_dActivity += c;
  if (CDbEcoSum* x = entry(6)) x->m_dActivity += d;
  if (CDbEcoSum* x = entry(12)) x->m_dActivity += e;
  if (CDbEcoSum* x = entry(13)) x->m_dActivity += f;
  if (CDbEcoSum* x = entry(17)) x->m_dActivity += g + h;
}

}  // namespace

void CDbCase::BuildEconomicSummary(std::int32_t& modelId) {
  for (int i = fill::FirstPeriodIndex(*this); i < m_paPeriods.GetSize(); ++i) {
    CDbPeriod* period = m_paPeriods[i];
    if (!period) continue;
    for (std::int32_t category = 1; category <= kCategoryCount; ++category)
      period->m_paEcoSums.Add(std::make_unique<CDbEcoSum>(category, modelId, m_pDbData));
    period->m_paEcoSums.Sort(&CDbEcoSum::CompareElements);
  }
}

void CDbSolution::AddGlobalEcoSums(CDbCase* dbCase, CDbModel* model) {
  if (!dbCase || !model) return;
  const bool zelun = econ::UseZelun(m_pDbData);
  const bool mainMulti = econ::MainIsMultiPeriod(m_pDbData);
  for (CDbNode* node : dbCase->m_paNodes) {
    if (!node) continue;
    for (CDbDepot* depot : node->m_paDepots) {
      if (!depot) continue;
      CDbPrimalNode* primal = econ::FindPrimalNode(*this, depot->m_strName);
      if (!primal) continue;
      model->BuildMaterialBalance(primal, dbCase, depot, m_nVolumeBasis);
      for (const CDbPrimalPeriod* primalPeriod : primal->m_paPeriods) {
        if (!primalPeriod || (primalPeriod->m_strName == "." && mainMulti)) continue;
        CDbPeriod* period = econ::FindCasePeriod(*dbCase, primalPeriod->m_strName);
        if (!period) continue;
        const double divisor = econ::PeriodDivisor(*dbCase, *period);
        for (const CDbPrimal* column : primalPeriod->m_paColumns) {
          if (!column) continue;
          const std::string& name = column->m_strName;
          std::int32_t category = 0;
          if (StartsWith(name, "SEL"))
            category = fill::FindModelStream(*model, econ::Chars3(name, 3)) ? 1 : 0;
          else if (StartsWith(name, "PURC"))
            category = fill::FindModelStream(*model, econ::Chars3(name, 4)) ? 3 : 0;
          else if (StartsWith(name, "CDEC") || StartsWith(name, "CINC"))
            category = 6;
          else if (SkippedInventoryColumn(name))
            continue;
          const double factor = zelun ? column->m_dSlack : column->m_dSlack / divisor;
          CDbEcoSum* entry = econ::FindEcoSum(*period, category, depot->m_nID);
          if (!entry && category != 0) entry = &econ::EnsureEcoSum(*period, category, depot->m_nID, m_pDbData);
          if (entry) entry->m_dActivity += column->m_dActivity * factor;
        }
      }
      for (int i = fill::FirstPeriodIndex(*dbCase); i < dbCase->m_paPeriods.GetSize(); ++i) {
        CDbPeriod* period = dbCase->m_paPeriods[i];
        if (!period) continue;
        CDbEcoSum& entry = econ::EnsureEcoSum(*period, kPenaltyCategory, depot->m_nID, m_pDbData);
        double sum = 0.0;
        for (const CDbPenalty* penalty : period->m_paPenalties)
          if (penalty && penalty->m_nNodeID == depot->m_nID) sum += penalty->m_dActivity;
        entry.m_dActivity = -sum;
        period->m_dPenaltyTotal += sum;
      }
    }
  }
}

void CDbModel::BuildFixedCosts(CVornModelFile* modelFile, std::int32_t /*caseId*/) {
  CTableFilTable table;
  if (!fill::ReadModelTable(m_pDbData, "REPORT", modelFile, table, false)) return;
  const int column = table.FindColumn("VAL");
  if (column < 0) return;
  std::int32_t sequence = 0;
  for (int row = 0; row < table.GetRowCount(); ++row) {
    float value = 0.0f;
    if (!fill::GetCell(table, row, column, value)) continue;
    auto cost = std::make_unique<CDbFixedCost>(sequence++, m_pDbData);
    cost->m_dValue = value;
    cost->m_strDescription = fill::RowDescription(table, row);
    m_paFixedCosts.Add(std::move(cost));
  }
}

void CDbSolution::BuildEcoSum(CVornModelFile* /*modelFile*/, CDbCase* dbCase, CDbModel* model, bool isGlobal,
                              bool isLocalModel) {
  if (!dbCase || !model) return;
  const std::string prefix = (!isGlobal && !isLocalModel) ? "SELL" : "SEL";
  const CDbPrimalNode* primal = econ::FindPrimalNode(*this, model->m_strName);
  if (!primal) return;
  const bool mainMulti = econ::MainIsMultiPeriod(m_pDbData);
  const CEcoSumWalk walk(*this, *model, isLocalModel);
  for (const CDbPrimalPeriod* primalPeriod : primal->m_paPeriods) {
    if (!primalPeriod || (primalPeriod->m_strName == "." && mainMulti)) continue;
    CDbPeriod* period = econ::FindCasePeriod(*dbCase, primalPeriod->m_strName);
    if (!period) continue;
    const double divisor = econ::PeriodDivisor(*dbCase, *period);
    for (const CDbPrimal* column : primalPeriod->m_paActiveCostColumns) {
      if (!column) continue;
      const CColumnClass kind = isGlobal ? walk.ClassifyGlobal(*column, divisor, prefix)
                                         : walk.Classify(*column, *period, divisor, prefix);
      if (kind.m_nCategory < 0) continue;
      CDbEcoSum* entry = econ::FindEcoSum(*period, kind.m_nCategory, model->m_nID);
      if (!entry) continue;
      const double factor = column->m_dSalePrice != 0.0 ? column->m_dSalePrice : kind.m_dFactor;
      entry->m_dActivity += column->m_dActivity * factor;
    }
    if (isGlobal) RollUp(*dbCase, *period, *model);
  }
}

void CDbModel::FillLocalCostEcoSums(CDbPeriod* period) {
  if (!period) return;
  const std::int32_t own = m_nID;
  auto localCostPrice = [&](std::int32_t streamId) {
    const CDbLocalCostPrice probe(streamId, own);
    return period->m_paLocalCostPrices.Find(&probe);
  };
  double inLocal = 0.0, outLocal = 0.0;
  CDbEcoSum* incoming = econ::FindEcoSum(*period, 15, own);
  CDbEcoSum* outgoing = econ::FindEcoSum(*period, 16, own);
  if (incoming && outgoing) {
    double in = 0.0, out = 0.0;
    for (const CDbTransfer* transfer : period->m_paTransfers) {
      if (!transfer) continue;
      if (transfer->m_nNodeTo == own) {
        in += transfer->m_dCost * transfer->m_dActivity;
        if (transfer->m_nToStreamID != 0)
          if (const CDbLocalCostPrice* local = localCostPrice(transfer->m_nToStreamID))
            inLocal += local->m_dLocalCost * transfer->m_dActivity;
      } else if (transfer->m_nNodeFrom == own) {
        out += transfer->m_dCost * transfer->m_dActivity;
        if (transfer->m_nFromStreamID != 0)
          if (const CDbLocalCostPrice* local = localCostPrice(transfer->m_nFromStreamID))
            outLocal += local->m_dLocalPrice * transfer->m_dActivity;
      }
    }
    incoming->m_dActivity = (m_dTransferPercent / 100.0 - 1.0) * in;
    outgoing->m_dActivity = m_dTransferPercent * out / -100.0;
  }
  if (CDbEcoSum* sales = econ::FindEcoSum(*period, 8, own)) {
    double sum = outLocal;
    for (const CDbSale* sale : period->m_paSales)
      if (sale && sale->m_nNodeID == own) sum += sale->m_dPrice * sale->m_dActivity;
    sales->m_dActivity = sum;
  }
  if (CDbEcoSum* purchases = econ::FindEcoSum(*period, 7, own)) {
    double sum = 0.0;
    for (const CDbTransaction* purchase : period->m_paPurchases)
      if (purchase && purchase->m_nNodeID == own) sum += purchase->m_dCost * purchase->m_dActivity;
    purchases->m_dActivity = -sum - inLocal;
  }
}
