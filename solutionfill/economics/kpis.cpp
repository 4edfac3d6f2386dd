// The key performance indicators of a model: the six built-in ones with
// their values, the thresholds (and further indicators) of SOLNKPIS, and the
// values per period of every other indicator, taken from a quality, a
// property row, a process limit or an LP column or row of the solution.

#include <cmath>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_services.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/economics/economics_fill.h"
#include "standins/tresk.h"

namespace {

constexpr std::int32_t kStatusInfeasible = 5;
constexpr std::int32_t kStatusNonRecursed = 6;

struct BuiltInKpi {
  const char* tag;
  double yellow;
  double red;
  std::uint32_t description;
};

// In the order they are made, which gives them the ids 1 to 6 in a new model.
constexpr BuiltInKpi kBuiltIns[] = {
    {"FPI", 0.1, 1.1, kTreskKpiFpi},          {"STATUS", 1.1, 1.5, kTreskKpiStatus},
    {"PENALTIES", 1e-9, 1e-8, kTreskKpiPenalties}, {"SOB", 1.0, 5.0, kTreskKpiSob},
    {"UOB", 1.0, 5.0, kTreskKpiUob},          {"OPI", 0.1, 1.1, kTreskKpiOpi},
};

bool BeginsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The model's KPI of the tag, made (id and report order = the list's new
// size) when it has none; made tells which.
CDbKpi& FindOrMakeKpi(CDbModel& model, const std::string& tag, CVornDbExportData* owner, bool& made) {
  const CDbKpi probe(tag);
  made = false;
  if (CDbKpi* found = model.m_paKpis.Find(&probe)) return *found;
  auto kpi = std::make_unique<CDbKpi>(tag, owner);
  CDbKpi& result = *kpi;
  model.m_paKpis.Add(std::move(kpi));
  model.m_paKpis.Sort(&CDbKpi::CompareElements);
  result.m_nKpiID = model.m_paKpis.GetSize();
  result.m_nReportOrder = result.m_nKpiID;
  made = true;
  return result;
}

void AddKpiValue(CDbPeriod& period, const CDbKpi& kpi, std::int32_t modelId, double value, double marginal,
                 CVornDbExportData* owner) {
  auto record = std::make_unique<CDbKpiValue>(kpi.m_nKpiID, modelId, owner);
  record->m_dValue = value;
  record->m_dWorkValue = marginal;
  period.m_paKpiValues.Add(std::move(record));
}

// FPI: 2 when the second and third solves were infeasible, 1 when the second was.
double FeasibilityIndex(const std::vector<std::int32_t>& s) {
  if (s.size() >= 3 && s[1] == kStatusInfeasible && s[2] == kStatusInfeasible) return 2.0;
  if (s.size() >= 2 && s[1] == kStatusInfeasible) return 1.0;
  return 0.0;
}

// OPI: 2 when the first solve was infeasible or two later ones in a row
// were; 0 when the second solve was infeasible (FPI reports that case).
double OptimalityIndex(const std::vector<std::int32_t>& s) {
  if (s.size() >= 2 && s[1] == kStatusInfeasible) return 0.0;
  if (s[0] == kStatusInfeasible) return 2.0;
  for (std::size_t i = 3; i < s.size(); ++i)
    if (s[i] == kStatusInfeasible && s[i - 1] == kStatusInfeasible) return 2.0;
  return 0.0;
}

const CDbDefinition* FindByNameLinear(const CAutoDestructArray<CPtrArray, CDbDefinition*>& list,
                                      const std::string& name) {
  for (const CDbDefinition* each : list)
    if (each && each->m_strName == name) return each;
  return nullptr;
}

}  // namespace

bool CDbSolution::AddKpiValues(CVornModelFile* modelFile, CDbModel* model, CDbCase* dbCase, bool /*isGlobal*/,
                               bool isLocalModel) {
  if (!model || !dbCase) return false;
  SendStatusMessage("PrKpi", kStatusFileName);
  model->m_paKpis.Sort(&CDbKpi::CompareElements);

  if (!isLocalModel) {
    CDbPeriod* first = fill::FirstRealPeriod(*dbCase);
    std::vector<std::int32_t> states;
    for (const CDbSolutionState* state : dbCase->m_paSolutionStates)
      if (state) states.push_back(state->m_nSolutionStatus);
    CDbKpi* kpis[std::size(kBuiltIns)] = {};
    for (std::size_t i = 0; i < std::size(kBuiltIns); ++i) {
      const BuiltInKpi& builtIn = kBuiltIns[i];
      bool made = false;
      CDbKpi& kpi = FindOrMakeKpi(*model, builtIn.tag, m_pDbData, made);
      kpis[i] = &kpi;
      if (made) {
        kpi.m_strReportTag = kpi.m_strTag;
        kpi.m_dYellowValue = builtIn.yellow;
        kpi.m_dRedValue = builtIn.red;
        kpi.m_strDescription = LoadTreskString(builtIn.description);
      }
      if (!first) continue;
      // A case without a solution state has no status to report: STATUS and OPI get no value.
      if (i == 0) AddKpiValue(*first, kpi, model->m_nID, FeasibilityIndex(states), 0.0, m_pDbData);
      if (i == 1 && !states.empty())
        AddKpiValue(*first, kpi, model->m_nID, states[0] == kStatusNonRecursed ? 1.0 : states[0], 0.0, m_pDbData);
      if (i == 5 && !states.empty()) AddKpiValue(*first, kpi, model->m_nID, OptimalityIndex(states), 0.0, m_pDbData);
    }
    for (int p = fill::FirstPeriodIndex(*dbCase); p < dbCase->m_paPeriods.GetSize(); ++p) {
      CDbPeriod* period = dbCase->m_paPeriods.GetAt(p);
      if (!period) continue;
      AddKpiValue(*period, *kpis[3], model->m_nID, period->m_nSobCount, 0.0, m_pDbData);
      AddKpiValue(*period, *kpis[4], model->m_nID, period->m_nUobCount, 0.0, m_pDbData);
      AddKpiValue(*period, *kpis[2], model->m_nID, std::abs(period->m_dPenaltyTotal), 0.0, m_pDbData);
    }
  }

  if (isLocalModel) {
    if (CVornModelFile* main = m_pDbData && m_pDbData->m_pModel ? m_pDbData->m_pModel.get() : nullptr)
      AddSolnKpiLimits(main, model, true);
  }
  AddSolnKpiLimits(modelFile, model, false);
  return !model->m_paKpis.IsEmpty();
}

bool CDbSolution::AddSolnKpiLimits(CVornModelFile* modelFile, CDbModel* model, bool suffixed) {
  if (!modelFile || !model) return false;
  CTableFilTable table;
  if (!fill::ReadModelTable(m_pDbData, "SOLNKPIS", modelFile, table, false)) return false;
  const int yellowColumn = table.FindColumn("YELLOW");
  const int redColumn = table.FindColumn("RED");
  if (yellowColumn < 0 || redColumn < 0) return false;
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  CExtendedTagProcessor* tags = m_pDbData ? m_pDbData->m_pTagProcessor.get() : nullptr;
  const bool extendedTags = fill::UseExtendedTags(m_pDbData) && tags;
  const std::int32_t mainType = main ? fill::GetModelType(*main) : 0;

  for (int r = 0; r < table.GetRowCount(); ++r) {
    std::string name = table.m_aRowNames[static_cast<std::size_t>(r)];
    if (suffixed) {
      if (name.empty() || name.substr(name.size() - 1) != model->m_strName) continue;
      name.pop_back();
    }
    float cell;
    const double yellow = fill::GetCell(table, r, yellowColumn, cell) ? cell : kDbNotSet;
    const double red = fill::GetCell(table, r, redColumn, cell) ? cell : kDbNotSet;
    bool made = false;
    CDbKpi& kpi = FindOrMakeKpi(*model, name, m_pDbData, made);
    if (made) kpi.m_strReportTag = extendedTags ? tags->ParseColumnName(mainType, name, true) : name;
    if (!IsInfiniteValue(red)) kpi.m_dRedValue = red;
    if (!IsInfiniteValue(yellow)) kpi.m_dYellowValue = yellow;
    // A row without a text of its own keeps the description the KPI has.
    if (static_cast<std::size_t>(r) < table.m_aRowTexts.size())
      kpi.m_strDescription = table.m_aRowTexts[static_cast<std::size_t>(r)];
  }
  return !model->m_paKpis.IsEmpty();
}

void CDbModel::BuildKpiValues(CDbPrimalNode* primalNode, CDbCase* dbCase) {
  if (!primalNode || !dbCase) return;
  const std::int32_t modelId = m_nID;
  for (const CDbKpi* kpi : m_paKpis) {
    if (!kpi) continue;
    const std::string& tag = kpi->m_strTag;
    if (tag == "FPI" || tag == "STATUS" || tag == "PENALTIES" || tag == "SOB" || tag == "UOB") continue;
    for (const CDbPrimalPeriod* primal : primalNode->m_paPeriods) {
      if (!primal) continue;
      CDbPeriod* period = econ::FindCasePeriod(*dbCase, primal->m_strName);
      if (!period) continue;
      auto add = [&](double value, double marginal) {
        AddKpiValue(*period, *kpi, modelId, value, marginal, m_pDbData);
      };

      if (BeginsWith(tag, "MARGVAL")) {
        primalNode->m_nMargValKpiID = kpi->m_nKpiID;
        continue;
      }
      if (BeginsWith(tag, "DJ")) {
        primalNode->m_nDJKpiID = kpi->m_nKpiID;
        continue;
      }
      if (BeginsWith(tag, "PI")) {
        primalNode->m_nPIKpiID = kpi->m_nKpiID;
        continue;
      }
      if (BeginsWith(tag, "ZLIM")) {
        if (const CDbDefinition* limit = FindByNameLinear(m_paProcessCapacities, econ::Chars3(tag, 4)))
          for (const CDbCapacityLimit* entry : period->m_paProcessCapacityLimits)
            if (entry && entry->m_nID == limit->m_nID && entry->m_nNodeID == modelId) {
              add(entry->m_dActivity, entry->m_dMarginalValue);
              break;
            }
        continue;
      }

      const char kind = tag.empty() ? '\0' : tag[0];
      if (kind == 'N' || kind == 'X' || kind == 'I' || kind == 'P' || kind == 'R') {
        const CDbQuality qualityProbe(econ::Chars3(tag, 1));
        const CDbStream streamProbe(econ::Chars3(tag, 4));
        const CDbQuality* quality = m_paQualities.Find(&qualityProbe);
        const CDbStream* stream = m_paStreams.Find(&streamProbe);
        if (quality && stream) {
          if (const CDbBlendQuality* blendValue =
                  econ::FindQualityRecord(period->m_paBlendQualities, stream->m_nID, modelId, quality->m_nID)) {
            add(blendValue->m_dBlendValue, blendValue->m_dMarginalValue);
            continue;
          }
          if (const CDbStreamQuality* streamValue =
                  econ::FindQualityRecord(period->m_paStreamQualities, stream->m_nID, modelId, quality->m_nID)) {
            add(streamValue->m_dValue, 0.0);
            continue;
          }
        }
        if (kind == 'P') {
          if (const CDbDefinition* unit = FindByNameLinear(m_paUnits, "S" + econ::Chars3(tag, 4)))
            for (const CDbPRow* row : period->m_paPRows)
              if (row && row->m_nUnitID == unit->m_nID && row->m_nNodeID == modelId &&
                  econ::Left(row->m_strTag, 4) == econ::Left(kpi->m_strReportTag, 4))
                add(row->m_dActivity, 0.0);
        }
      }

      const CDbPrimal* lp = econ::FindColumn(*primal, tag);
      if (!lp) lp = econ::FindRow(*primal, tag);
      if (lp) add(lp->m_dActivity, lp->m_dMarginalValue);
    }
  }
}
