// Quality values of blend groups: from GBLNSPEC in a global run, and from the
// per-period (BLNSPEX, or BLNSPEC) and period-spanning (PBLNSPEC) group
// specifications of a model. A value is the specification plus the LP
// specification row's slack per unit of the group's blend amount.

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/blend_quality_services.h"
#include "solutionfill/core/fill_services.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/core/stream_quality_services.h"
#include "solutionfill/economics/economics_fill.h"
#include "solutionfill/economics/group_fill.h"
#include "standins/tresk.h"

namespace {

constexpr std::int32_t kBlendPenaltyType = 4;

CDbGroup* FindGroup(const CDbModel& model, const std::string& name) { return fill::FindModelGroup(model, name); }

CDbQuality* FindQuality(const CDbModel& model, const std::string& tag) {
  const CDbQuality probe(tag);
  return model.m_paQualities.Find(&probe);
}

void ClearRowFlags(CDbModel& model) {
  for (CDbQuality* quality : model.m_paQualities)
    if (quality) quality->m_bNRowDone = quality->m_bXRowDone = 0;
}

// A row of kind "N" or "X" whose kind was not handled yet in this column.
bool AcceptRow(const CDbQuality& quality, char kind) {
  if (kind == 'N') return !quality.m_bNRowDone;
  if (kind == 'X') return !quality.m_bXRowDone;
  return false;
}

void MarkRowDone(CDbQuality& quality, char kind) {
  if (kind == 'N') quality.m_bNRowDone = 1;
  if (kind == 'X') quality.m_bXRowDone = 1;
}

std::vector<std::string> RealPeriodNames(const CDbCase& dbCase) {
  std::vector<std::string> names;
  for (int p = fill::FirstPeriodIndex(dbCase); p < dbCase.m_paPeriods.GetSize(); ++p)
    if (const CDbPeriod* period = dbCase.m_paPeriods.GetAt(p)) names.push_back(period->m_strName);
  return names;
}

const CDbBlend* BlendById(const CDbModel& model, std::int32_t id) {
  for (const CDbBlend* blend : model.m_paBlends)
    if (blend && blend->m_nID == id) return blend;
  return nullptr;
}

enum class Pass { Global, PerPeriod, Spanning };

}  // namespace

double SumGroupBlendQuantity(const CDbGroup& group, const CDbCase& dbCase, const CDbModel& model,
                             const CDbPeriod& period, std::int32_t volume) {
  const CDbGroupPeriod* groupPeriod = nullptr;
  for (const CDbGroupPeriod* each : period.m_paGroupPeriods)
    if (each && each->m_nID == group.m_nID && each->m_nNodeID == model.m_nID) {
      groupPeriod = each;
      break;
    }
  if (!groupPeriod) return 0.0;
  double sum = 0.0;
  for (const CDbGroupMember* member : groupPeriod->m_paMembers) {
    if (!member) continue;
    const CDbBlend* blend = nullptr;
    std::int32_t nodeId = model.m_nID;
    if (member->m_nNodeID == model.m_nID) {
      blend = BlendById(model, member->m_nID);
    } else {
      for (const CDbNode* node : dbCase.m_paNodes) {
        if (!node || node->m_nID != member->m_nNodeID) continue;
        const CDbModel* nodeModel = fill::FindNodeModel(*node, node->m_strName);
        if (!nodeModel) continue;
        blend = BlendById(*nodeModel, member->m_nID);
        nodeId = nodeModel->m_nID;
        break;
      }
    }
    if (!blend) continue;
    if (member->m_nMemberPeriodID == period.m_nID) {
      sum += GetBlendQuantity(*blend, nodeId, period, volume != 0);
      continue;
    }
    for (int p = fill::FirstPeriodIndex(dbCase); p < dbCase.m_paPeriods.GetSize(); ++p) {
      const CDbPeriod* other = dbCase.m_paPeriods.GetAt(p);
      if (!other || other->m_nID != member->m_nMemberPeriodID) continue;
      // A period without its length counts once.
      const double days = sq::IsSet(other->m_dDays) ? other->m_dDays : 1.0;
      sum += GetBlendQuantity(*blend, nodeId, *other, volume != 0) * days;
      break;
    }
  }
  if (sum != 0.0)
    for (const CDbGroupInventoryQuantity* inventory : period.m_paGroupInventoryQuantities)
      if (inventory && inventory->m_nID == group.m_nID && inventory->m_nNodeID == model.m_nID) {
        const double add = volume != 0 ? inventory->m_dVolActivity : inventory->m_dWgtActivity;
        if (sq::IsSet(add)) sum += add;
        break;
      }
  return sum;
}

namespace {

class CGroupQualityUpdate {
 public:
  CGroupQualityUpdate(CDbSolution& solution, CDbCase& dbCase, CDbModel& model, Pass pass)
      : m_solution(solution), m_case(dbCase), m_model(model), m_pass(pass) {}

  void Update(const CDbGroup& group, const CDbQuality& quality, CDbPeriod& period, const CDbPrimalPeriod& primalPeriod,
              const CDbPrimal& row, const std::string& rowName, char kind, double s, double t0) {
    CDbGroupQuality* entry = nullptr;
    for (CDbGroupQuality* each : period.m_paGroupQualities)
      if (each && each->m_nID == group.m_nID && each->m_nNodeID == m_model.m_nID &&
          each->m_nQualityID == quality.m_nID) {
        entry = each;
        break;
      }
    if (!entry) {
      auto made = std::make_unique<CDbGroupQuality>(group.m_nID, m_model.m_nID, quality.m_nID, m_solution.m_pDbData);
      entry = made.get();
      period.m_paGroupQualities.Add(std::move(made));
      period.m_paGroupQualities.Sort(&CDbGroupQuality::CompareElements);
    }
    if (m_solution.m_bParametricOverrides) {
      double value = kDbNotSet;
      m_solution.GetParametricOverride(rowName, primalPeriod.m_strName, m_model.m_strName, &value, "MIN");
      if (value != kDbNotSet) s = static_cast<float>(value);
    }
    if (kind == 'N')
      entry->m_dMinValue = s;
    else
      entry->m_dMaxValue = s;
    if (!entry->m_bWorkFlag) {
      const double amount = SumGroupBlendQuantity(group, m_case, m_model, period, quality.m_nVWBasisID);
      const double scale = quality.m_fFactor != 0.0f ? quality.m_fFactor : 1.0;
      if (amount != 0.0) {
        double term = row.m_dSlack;
        if (row.m_strStatus == "EQ" || row.m_strStatus == "??") {
          const CDbPrimal* column = econ::FindColumn(primalPeriod, rowName);
          if (!column) {
            term = 0.0;
          } else if (row.m_strStatus == "EQ" || column->m_strStatus == "BS") {
            term = column->m_dActivity;
            if (kind == 'X' && term > 0.0) term = -term;
          }
        }
        entry->m_dValue = (term + t0) / amount / scale + s;
      } else if (m_pass == Pass::Global) {
        entry->m_dValue = s;
      }
      if (row.m_dMarginalValue != 0.0 && sq::IsSet(row.m_dMarginalValue))
        entry->m_dMarginalValue = quality.m_fFactor * row.m_dMarginalValue;
    }
    if (row.m_strStatus == "LL" || (kind == 'N' && row.m_strStatus == "UL")) entry->m_bWorkFlag = 1;
  }

 private:
  CDbSolution& m_solution;
  CDbCase& m_case;
  CDbModel& m_model;
  Pass m_pass;
};

bool IsPassedOverRow(const std::string& name) {
  if (!name.empty() && name[0] == '*') return true;
  for (const char* word : {"TYPE", "AREA", "PHASE", "SEASON", "EQUATION"})
    if (name == word) return true;
  return false;
}

}  // namespace

void CDbSolution::BuildGlobalGroupQualities(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model) {
  if (!modelFile || !dbCase || !model) return;
  CDbPrimalNode* primalNode = econ::FindPrimalNode(*this, model->m_strName);
  if (!primalNode) return;
  CTableFilTable table, zTable;
  if (!fill::ReadModelTable(m_pDbData, "GBLNSPEC", modelFile, table, false)) return;
  fill::ReadModelTable(m_pDbData, "ZGBLNSPE", modelFile, zTable, false);
  const std::vector<std::string> periodNames = RealPeriodNames(*dbCase);
  CGroupQualityUpdate update(*this, *dbCase, *model, Pass::Global);
  for (int c = 0; c < table.GetColumnCount(); ++c) {
    const CDbGroup* group = FindGroup(*model, table.m_aColumnNames[c]);
    if (!group) continue;
    ClearRowFlags(*model);
    const int zColumn = zTable.FindColumn(table.m_aColumnNames[c]);
    for (int r = 0; r < table.GetRowCount(); ++r) {
      float cell;
      if (!fill::GetCell(table, r, c, cell)) continue;
      const std::string& rowName = table.m_aRowNames[r];
      const std::string tag = sq::Mid(rowName, 1, 3);
      CDbQuality* quality = FindQuality(*model, tag);
      if (!quality) {
        const int count = model->m_paQualities.GetSize();
        auto made = std::make_unique<CDbQuality>(count + 1, m_pDbData);
        made->m_strName = tag;
        made->m_strDomainTag = tag;
        made->m_strShortTag = tag;
        made->m_nReportOrder = count + 1;
        made->m_strQualityNote = " ";
        made->m_fFactor = 1.0f;
        made->m_fPenaltyPrice = 0.0f;
        made->m_nVWBasisID = std::find(m_lstWorkStrings.begin(), m_lstWorkStrings.end(), tag) != m_lstWorkStrings.end()
                                 ? 0
                                 : 1;
        made->m_strReportTag = fill::ReportTag(m_pDbData, tag);
        quality = made.get();
        model->m_paQualities.Add(std::move(made));
        model->m_paQualities.Sort(&CDbQuality::CompareElements);
      }
      if (!table.m_aRowTexts.empty() && quality->m_strDescription.empty())
        quality->m_strDescription = fill::RowText(table, r);
      const char kind = rowName.empty() ? ' ' : rowName[0];
      if (!AcceptRow(*quality, kind)) continue;
      const std::string prefix = sq::Mid(rowName, 0, 4);
      std::map<std::string, int> rowMap;
      table.MapRowsByPrefix(periodNames, prefix, c, rowMap);
      // A ZGBLNSPE row of the same name with a value in the group's column replaces the specification.
      double zValue = kDbNotSet;
      if (zColumn >= 0)
        for (int zr = 0; zr < zTable.GetRowCount(); ++zr) {
          float zCell;
          if (zTable.m_aRowNames[zr] == rowName && fill::GetCell(zTable, zr, zColumn, zCell)) {
            zValue = zCell;
            break;
          }
        }
      for (CDbPrimalPeriod* primalPeriod : primalNode->m_paPeriods) {
        if (!primalPeriod) continue;
        CDbPeriod* period = econ::FindCasePeriod(*dbCase, primalPeriod->m_strName);
        if (!period) continue;
        const auto mapped = rowMap.find(period->m_strName);
        float spec;
        if (mapped == rowMap.end() || !fill::GetCell(table, mapped->second, c, spec)) continue;
        const double s = mapped->second == r && zValue != kDbNotSet ? zValue : spec;
        const std::string name = prefix + table.m_aColumnNames[c];
        const CDbPrimal* row = econ::FindRow(*primalPeriod, name);
        if (!row) continue;
        update.Update(*group, *quality, *period, *primalPeriod, *row, name, kind, s, 0.0);
      }
      MarkRowDone(*quality, kind);
    }
  }
}

void CDbSolution::BuildGroupQualities(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model,
                                      const void* /*unused*/) {
  SendStatusMessage(LoadTreskString(kTreskGroupQualities));
  if (!modelFile || !dbCase || !model) return;
  CDbPrimalNode* primalNode = econ::FindPrimalNode(*this, model->m_strName);
  if (!primalNode) return;
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  const bool zelun = main && main->m_settings.m_UseZelunMGOn.GetValue() != 0;
  const std::int32_t mainType = main ? main->m_settings.m_ModelType.GetValue() : 0;
  const bool mainMultiPeriod = mainType == 1 || mainType == 3;
  const bool applyPenalties = main && main->m_settings.m_ApplyPenalties.GetValue() != 0;
  const double blendingPenalty = main ? main->m_settings.m_BlendingPenalty.GetValue() : 0.0;
  const std::vector<std::string> periodNames = RealPeriodNames(*dbCase);

  CTableFilTable table;
  if (fill::ReadModelTable(m_pDbData, zelun ? "BLNSPEC" : "BLNSPEX", modelFile, table, false)) {
    CGroupQualityUpdate update(*this, *dbCase, *model, Pass::PerPeriod);
    for (int c = 0; c < table.GetColumnCount(); ++c) {
      const std::string& groupName = table.m_aColumnNames[c];
      const CDbGroup* group = FindGroup(*model, groupName);
      if (!group) continue;
      ClearRowFlags(*model);
      for (int r = 0; r < table.GetRowCount(); ++r) {
        const std::string& rowName = table.m_aRowNames[r];
        if (IsPassedOverRow(rowName)) continue;
        const std::string tag = sq::Mid(rowName, 1, 3);
        CDbQuality* quality = FindQuality(*model, tag);
        const char kind = rowName.empty() ? ' ' : rowName[0];
        if (!quality || !AcceptRow(*quality, kind)) continue;
        const std::string prefix = sq::Mid(rowName, 0, 4);
        std::map<std::string, int> rowMap;
        table.MapRowsByPrefix(periodNames, prefix, c, rowMap);
        for (CDbPrimalPeriod* primalPeriod : primalNode->m_paPeriods) {
          if (!primalPeriod || (mainMultiPeriod && primalPeriod->m_strName == ".")) continue;
          CDbPeriod* period = econ::FindCasePeriod(*dbCase, primalPeriod->m_strName);
          if (!period) continue;
          const auto mapped = rowMap.find(period->m_strName);
          float spec;
          if (mapped == rowMap.end() || !fill::GetCell(table, mapped->second, c, spec)) continue;
          const std::string name = prefix + groupName;
          const CDbPrimal* row = econ::FindRow(*primalPeriod, name);
          double t0 = 0.0;
          if (quality->m_fPenaltyPrice != 0.0f || applyPenalties) {
            const std::string penaltyName = std::string(kind == 'N' ? "n" : "x") + tag + groupName;
            const CDbPrimal* column = econ::FindColumn(*primalPeriod, penaltyName);
            if (column && column->m_dActivity != 0.0) {
              double rate = quality->m_fPenaltyPrice;
              if (rate == 0.0) {
                rate = blendingPenalty;
                if (row && row->m_dMarginalValue != 0.0 && sq::IsSet(row->m_dMarginalValue)) {
                  rate = std::fabs(quality->m_fFactor * row->m_dMarginalValue);
                  if (mainMultiPeriod && period->m_dDays != 0.0 && sq::IsSet(period->m_dDays)) rate /= period->m_dDays;
                }
              }
              auto penalty = std::make_unique<CDbPenalty>(kBlendPenaltyType, model->m_nID, m_pDbData);
              penalty->m_dActivity = rate * column->m_dActivity;
              penalty->m_strTag1 = fill::ReportTag(m_pDbData, groupName);
              penalty->m_strTag2 = quality->m_strReportTag;
              period->m_dPenaltyTotal += penalty->m_dActivity;
              period->m_paPenalties.Add(std::move(penalty));
              t0 = kind == 'N' ? -column->m_dActivity : column->m_dActivity;
            }
          }
          if (!row) continue;
          update.Update(*group, *quality, *period, *primalPeriod, *row, name, kind, spec, t0);
        }
        MarkRowDone(*quality, kind);
      }
    }
  }

  CTableFilTable spanning, zSpanning;
  if (!fill::ReadModelTable(m_pDbData, "PBLNSPEC", modelFile, spanning, false)) return;
  const bool hasZ = fill::ReadModelTable(m_pDbData, "ZPBLNSPE", modelFile, zSpanning, false);
  CGroupQualityUpdate update(*this, *dbCase, *model, Pass::Spanning);
  CDbPrimalPeriod* dummyPrimal = nullptr;
  for (CDbPrimalPeriod* each : primalNode->m_paPeriods)
    if (each && each->m_strName == ".") dummyPrimal = each;
  CDbPeriod* dummy = econ::FindCasePeriod(*dbCase, ".");
  for (int c = 0; c < spanning.GetColumnCount(); ++c) {
    const std::string& groupName = spanning.m_aColumnNames[c];
    const CDbGroup* group = FindGroup(*model, groupName);
    if (!group) continue;
    const int zColumn = hasZ ? zSpanning.FindColumn(groupName) : -1;
    ClearRowFlags(*model);
    for (int r = 0; r < spanning.GetRowCount(); ++r) {
      float cell;
      if (!fill::GetCell(spanning, r, c, cell)) continue;
      double s = cell;
      const std::string& rowName = spanning.m_aRowNames[r];
      CDbQuality* quality = FindQuality(*model, sq::Mid(rowName, 1, 3));
      if (!quality) continue;
      if (zColumn != -1)
        for (int zr = 0; zr < zSpanning.GetRowCount(); ++zr) {
          float zCell;
          if (zSpanning.m_aRowNames[zr] == rowName && fill::GetCell(zSpanning, zr, zColumn, zCell)) {
            s = zCell;
            break;
          }
        }
      const char kind = rowName.empty() ? ' ' : rowName[0];
      if (!AcceptRow(*quality, kind)) continue;
      if (dummyPrimal && dummy) {
        const std::string name = sq::Mid(rowName, 0, 4) + groupName;
        if (const CDbPrimal* row = econ::FindRow(*dummyPrimal, name))
          update.Update(*group, *quality, *dummy, *dummyPrimal, *row, name, kind, s, 0.0);
      }
      MarkRowDone(*quality, kind);
    }
  }
}
