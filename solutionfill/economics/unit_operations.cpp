// Unit results of one model object: the units' report settings and
// qualities from SUBMODS, and per unit table the unit operations, property
// rows, link ends and stream-to-property-row cross references of every
// period, from the unit's coefficients and the solved LP columns.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
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
#include "solutionfill/economics/unit_operations.h"
#include "standins/tresk.h"

namespace {

constexpr std::int32_t kSubmodUnitType = 1;

bool BeginsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// Characters from 1-based position `from`, count of them; "" past the end.
std::string Mid(const std::string& text, std::size_t from, std::size_t count) {
  return from - 1 < text.size() ? text.substr(from - 1, count) : std::string();
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

template <class T, class Array>
T* FindNamed(const Array& list, const std::string& name) {
  const T probe(name);
  return list.Find(&probe);
}

CDbUnitOp* FindOp(const CAutoDestructArray<CPtrArray, CDbUnitOp*>& list, std::int32_t unitId, std::int32_t modelId,
                  std::int32_t item, std::int32_t kind) {
  CDbUnitOp probe(unitId, modelId);
  probe.m_nItemID = item;
  probe.m_nKind = kind;
  return list.Find(&probe);
}

// One primal period the unit's rows visit, with the row's working sums.
struct Visit {
  CDbPrimalPeriod* primal = nullptr;
  CDbPeriod* period = nullptr;  // the case period of the same name, or null
  int index = 0;                // period index: position among the visited periods
  bool active = false;
  bool contributed = false;
  double sum = 0.0;
  double weight = 0.0;
  double numerator = 0.0;
  CDbUnitOp* operation = nullptr;  // the row's operation in the period
};

// Feed/product sense of an operation from a coefficient.
void ApplyFeedRule(CDbUnitOp& op, double value, bool pending, const std::string& item,
                   const CStringArrayExt& cutNames) {
  if (value != 0.0) {
    op.m_nFeedFlag = value > 0.0 ? 1 : 0;
    if (pending) op.m_nWorkFlag = 0;
    return;
  }
  const bool isCut = std::find(cutNames.begin(), cutNames.end(), item) != cutNames.end();
  op.m_nFeedFlag = isCut ? 0 : 1;
}

}  // namespace

bool FindStringIndex(const std::vector<std::string>& list, const std::string& name, int& index) {
  const auto it = std::find(list.begin(), list.end(), name);
  index = static_cast<int>(it - list.begin());
  return it != list.end();
}

double CDbUnitOp::GetActivityMagnitude() {
  if (m_bLossRow) {
    m_nFeedFlag = 0;
    return -m_dActivity;
  }
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  const double filter = main ? main->m_settings.m_SubmodelReportValueFilter.GetValue() : 0.0005;
  if (std::fabs(m_dActivity) > filter) {
    if (m_dActivity > 0.0) m_nFeedFlag = 1;
    if (m_dActivity < 0.0) m_nFeedFlag = 0;
    return std::fabs(m_dActivity);
  }
  return 0.0;
}

void CDbSolution::BuildUnitOps(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model,
                               const CRecursionRecord& recursion) {
  SendStatusMessage(LoadTreskString(kTreskUnitOperations));
  if (!modelFile || !dbCase || !model) return;
  CDbPrimalNode* primalNode = econ::FindPrimalNode(*this, model->m_strName);
  if (!primalNode || !m_bHasSubmodsUnits) return;
  BuildRecursionRows(modelFile, recursion);

  int reportColumn = -1;
  int marginalColumn = -1;
  std::vector<std::pair<std::int32_t, int>> qualityColumns;  // quality id, column
  for (int c = 0; c < m_tableFil.GetColumnCount(); ++c) {
    const std::string& name = m_tableFil.m_aColumnNames[static_cast<std::size_t>(c)];
    if (name == "REPORT") {
      reportColumn = c;
    } else if (name == "PI") {
      marginalColumn = c;
    } else if (name != "COMBINE") {
      if (const CDbQuality* quality = FindNamed<CDbQuality>(model->m_paQualities, name))
        qualityColumns.emplace_back(quality->m_nID, c);
    }
  }

  std::int32_t reportIndex = 0;
  const int rowCount = m_tableFil.GetRowCount();
  for (int i = 0; i < rowCount; ++i) {
    // Copied: building a report unit's table may read tables into m_tableFil's neighbours.
    const std::string name = m_tableFil.m_aRowNames[static_cast<std::size_t>(i)];
    if (name == "Szzz") continue;
    float value;
    if (CDbDefinition* unit = FindNamed<CDbDefinition>(model->m_paUnits, name)) {
      if (reportColumn >= 0 && fill::GetCell(m_tableFil, i, reportColumn, value) && value == 0.0f)
        unit->m_nReportFlag = 0;
      if (marginalColumn >= 0 && fill::GetCell(m_tableFil, i, marginalColumn, value)) unit->m_bMarginalFlag = 1;
      for (std::size_t k = 0; k < qualityColumns.size(); ++k) {
        if (!fill::GetCell(m_tableFil, i, qualityColumns[k].second, value)) continue;
        auto quality = std::make_unique<CDbUnitQuality>(qualityColumns[k].first, m_pDbData);
        quality->m_dMultiplierValue = 0.0;
        quality->m_bQualityFlag = 1;
        quality->m_nReportOrder = static_cast<std::int32_t>(k) + 1;
        if (value != 0.0f) {
          quality->m_bQualityFlag = 0;
          quality->m_dMultiplierValue = value;
        }
        unit->m_paUnitQualities.Add(std::move(quality));
      }
      CTableFilTable table;
      if (fill::ReadModelTable(m_pDbData, name.c_str(), modelFile, table, true))
        BuildUnitRows(unit, modelFile, table, primalNode, dbCase, model, recursion);
    } else if (BeginsWith(name, "REPORT")) {
      auto made = std::make_unique<CDbDefinition>(model->m_paUnits.GetSize() + 1, m_pDbData);
      CDbDefinition* report = made.get();
      report->m_strName = name;
      report->m_strReportTag = name;
      report->m_strDescription =
          static_cast<std::size_t>(i) < m_tableFil.m_aRowTexts.size() ? m_tableFil.m_aRowTexts[static_cast<std::size_t>(i)] : "";
      report->m_nReportOrder = i - rowCount;
      report->m_nReportFlag = 1;
      report->m_bSpecialUnitFlag = 1;
      report->m_bMarginalFlag = 0;
      report->m_bCrudeUnitFlag = 0;
      model->m_paUnits.Add(std::move(made));
      CTableFilTable table;
      table.Reset(name);
      m_specialSubs.BuildReportTable(modelFile, table, reportIndex, m_pDbData);
      ++reportIndex;
      BuildUnitRows(report, modelFile, table, primalNode, dbCase, model, recursion);
      MergeCutOperations(report, table, primalNode, dbCase, model);
    }
  }
}

void CDbSolution::BuildUnitRows(CDbDefinition* unit, CVornModelFile* modelFile, CTableFilTable& table,
                                CDbPrimalNode* primalNode, CDbCase* dbCase, CDbModel* model,
                                const CRecursionRecord& recursion) {
  if (!unit || !modelFile || !primalNode || !dbCase || !model) return;
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  const bool mainMultiPeriod = main && fill::IsMultiPeriodModel(*main);
  const bool extendedTags = fill::UseExtendedTags(m_pDbData) && m_pDbData->m_pTagProcessor;
  const double small = modelFile->m_settings.m_SMALL.GetValue();
  const std::int32_t modelId = model->m_nID;
  const std::string& unitName = unit->m_strName;
  const bool reportUnit = BeginsWith(unitName, "REPORT");
  const bool periodColumns = mainMultiPeriod && main->m_settings.m_UseZelunMGOn.GetValue() > 0;
  const bool hasTexts = !table.m_aRowTexts.empty();
  auto rowText = [&](int r) {
    return hasTexts && static_cast<std::size_t>(r) < table.m_aRowTexts.size() ? table.m_aRowTexts[static_cast<std::size_t>(r)]
                                                                              : std::string();
  };

  // The primal periods in period-id order, without "." in a multi-period model.
  std::vector<CDbPrimalPeriod*> ordered(primalNode->m_paPeriods.begin(), primalNode->m_paPeriods.end());
  std::stable_sort(ordered.begin(), ordered.end(), [](const CDbPrimalPeriod* a, const CDbPrimalPeriod* b) {
    return a && b && a->m_nID < b->m_nID;
  });
  std::vector<Visit> visits;
  for (CDbPrimalPeriod* primal : ordered) {
    if (!primal || (mainMultiPeriod && primal->m_strName == ".")) continue;
    Visit visit;
    visit.primal = primal;
    visit.period = econ::FindCasePeriod(*dbCase, primal->m_strName);
    visit.index = static_cast<int>(visits.size());
    visits.push_back(visit);
  }
  std::vector<std::string> realPeriodNames;
  for (int p = fill::FirstPeriodIndex(*dbCase); p < dbCase->m_paPeriods.GetSize(); ++p)
    if (const CDbPeriod* period = dbCase->m_paPeriods.GetAt(p)) realPeriodNames.push_back(period->m_strName);

  // A unit named after a crude column (its last three characters) is a crude unit.
  int cutColumn = -1;
  const bool crudeUnit = unitName.size() >= 3 &&
                         FindStringIndex(m_specialSubs.m_astrColumnNames, unitName.substr(unitName.size() - 3), cutColumn);
  if (crudeUnit) unit->m_bCrudeUnitFlag = 1;
  // A crude unit that shares the vacuum tower sends the cuts its NVAC row marks to the tower's column.
  int redirectRow = -1;
  int redirectColumn = -1;
  const std::vector<std::int32_t>& sharesTower = m_specialSubs.m_aCutList;
  if (crudeUnit && !reportUnit && static_cast<std::size_t>(cutColumn) < sharesTower.size() &&
      sharesTower[static_cast<std::size_t>(cutColumn)] == 1) {
    for (int r = 0; r < table.GetRowCount() && redirectRow < 0; ++r) {
      if (!BeginsWith(table.m_aRowNames[static_cast<std::size_t>(r)], "NVAC")) continue;
      redirectRow = r;
      for (int j = 0; j < table.GetColumnCount() && redirectColumn < 0; ++j) {
        float cell;
        if (fill::GetCell(table, r, j, cell) && std::trunc(cell) == -1.0f) redirectColumn = j;
      }
    }
    if (redirectColumn < 0) redirectRow = -1;
  }
  std::int32_t operationCounter = 1;
  std::int32_t pRowCounter = 0;
  bool extraId = false;  // the latest conversion of this unit took the id after its row
  std::string ratioText;
  std::string ratioTag;
  const CStringArrayExt& cutNames = m_specialSubs.m_astrCutNames;

  for (int r = 0; r < table.GetRowCount(); ++r) {
    const std::string rowName = table.m_aRowNames[static_cast<std::size_t>(r)];
    const std::string item = rowName.size() >= 7 ? rowName.substr(4, 3) : std::string();
    enum class Kind { kNone, kMaterial, kUtility, kCapacity, kAccumulation } kind = Kind::kNone;
    std::int32_t opKind = 0;
    std::int32_t itemId = -1;
    char accumulation = 0;
    std::string tagText;

    if (BeginsWith(rowName, "P")) {
      if (rowName.size() < 7) continue;
      tagText = extendedTags ? m_pDbData->m_pTagProcessor->ParseRowName(model->m_nModelTypeID, rowName, true) : rowName;
      const char sub = rowName[4];
      if (sub == 'R') {
        ++pRowCounter;
        for (int p = fill::FirstPeriodIndex(*dbCase); p < dbCase->m_paPeriods.GetSize(); ++p) {
          CDbPeriod* period = dbCase->m_paPeriods.GetAt(p);
          if (!period) continue;
          auto row = std::make_unique<CDbPRow>(pRowCounter, modelId, unit->m_nID, m_pDbData);
          row->m_nPRowTypeID = 1;
          row->m_strPRowText = rowText(r);
          row->m_strTag = tagText;
          period->m_paPRows.Add(std::move(row));
        }
        continue;
      }
      if (sub != 'A' && sub != 'D' && sub != 'N' && sub != 'T') continue;
      kind = Kind::kAccumulation;
      accumulation = sub;
      for (Visit& visit : visits) {
        visit.contributed = false;
        visit.sum = 0.0;
        if (sub == 'A') visit.weight = 0.0;
      }
    } else if (BeginsWith(rowName, "VBAL") || BeginsWith(rowName, "WBAL")) {
      const CDbStream* stream = FindNamed<CDbStream>(model->m_paStreams, item);
      if (!stream) continue;
      kind = Kind::kMaterial;
      opKind = CDbUnitOp::kMaterial;
      itemId = stream->m_nID;
    } else if (BeginsWith(rowName, "UBAL")) {
      const CDbDefinition* utility = FindNamed<CDbDefinition>(model->m_paUtilities, item);
      if (!utility) continue;
      kind = Kind::kUtility;
      opKind = CDbUnitOp::kUtility;
      itemId = utility->m_nID;
    } else if (BeginsWith(rowName, "CCAP")) {
      const CDbDefinition* capacity = FindNamed<CDbDefinition>(model->m_paCapacities, item);
      if (!capacity) continue;
      kind = Kind::kCapacity;
      opKind = CDbUnitOp::kCapacity;
      itemId = capacity->m_nID;
    } else if (BeginsWith(rowName, "Z")) {
      const CDbDefinition* limit = nullptr;
      if (BeginsWith(rowName, "ZLIM")) {
        for (const CDbDefinition* each : model->m_paProcessCapacities)
          if (each && each->m_strName == item) {
            limit = each;
            break;
          }
      } else if (const CDbQuality* quality = FindNamed<CDbQuality>(model->m_paQualities, Mid(rowName, 2, 3))) {
        const CDbUnitQuality probe(quality->m_nID);
        for (const CDbDefinition* each : model->m_paProcessCapacities)
          if (each && EqualsNoCase(each->m_strName, item) && !each->m_paUnitQualities.IsEmpty() &&
              each->m_paUnitQualities.Find(&probe)) {
            limit = each;
            break;
          }
      }
      if (limit) {
        auto op = std::make_unique<CDbUnitOp>(unit->m_nID, modelId, m_pDbData);
        op->m_nItemID = limit->m_nID;
        op->m_nKind = CDbUnitOp::kProcessLimit;
        op->m_nReportOrder = operationCounter++;
        model->m_paUnitProcessLimits.Add(std::move(op));
      }
      continue;
    } else {
      continue;
    }

    for (Visit& visit : visits) visit.operation = nullptr;
    auto opList = [&](CDbPeriod& period) -> CAutoDestructArray<CPtrArray, CDbUnitOp*>& {
      return opKind == CDbUnitOp::kCapacity  ? period.m_paUnitOperationCapacities
             : opKind == CDbUnitOp::kUtility ? period.m_paUnitOperationUtilities
                                             : period.m_paUnitOperationMaterials;
    };
    auto makeOp = [&](CDbPeriod& period) -> CDbUnitOp& {
      auto op = std::make_unique<CDbUnitOp>(unit->m_nID, modelId, m_pDbData);
      CDbUnitOp& made = *op;
      made.m_nItemID = itemId;
      made.m_nKind = opKind;
      made.m_nReportOrder = operationCounter++;
      opList(period).AddSorted(std::move(op), &CDbUnitOp::CompareElements);
      return made;
    };

    if (kind == Kind::kMaterial) {
      bool listed = false;
      for (Visit& visit : visits) {
        if (!visit.period || FindOp(visit.period->m_paUnitOperationMaterials, unit->m_nID, modelId, itemId, opKind))
          continue;
        makeOp(*visit.period).m_nFeedFlag = 0;
        if (!listed) {
          unit->m_aIntList1.push_back(itemId);
          unit->m_aIntList2.push_back(opKind);
          listed = true;
        }
      }
    }

    // Column pass.
    std::vector<std::string> contributing;
    for (int j = 0; j < table.GetColumnCount(); ++j) {
      const std::string& column = table.m_aColumnNames[static_cast<std::size_t>(j)];
      if (column.size() > 3 && !reportUnit) continue;
      float cell;
      if (!fill::GetCell(table, r, j, cell)) continue;
      double value = cell;
      if (std::fabs(cell) < small) {
        if (accumulation != 'N') continue;
        value = 0.0;
      }
      std::map<std::string, int> periodMap;
      if (periodColumns) table.MapColumnsByPrefix(realPeriodNames, column, periodMap);
      bool madeInColumn = false;
      for (Visit& visit : visits) {
        if (!visit.period) continue;
        double vp = value;
        if (!periodMap.empty()) {
          const auto found = periodMap.find(visit.period->m_strName);
          float own;
          if (found != periodMap.end() && found->second > 0 && fill::GetCell(table, r, found->second, own)) vp = own;
        }
        std::string primalName = reportUnit ? column.substr(0, 7) : unitName + column.substr(0, 3);
        float coefficient = static_cast<float>(vp);
        float redirect;
        if (kind == Kind::kMaterial && redirectRow >= 0 && fill::GetCell(table, redirectRow, j, redirect) &&
            std::trunc(redirect) == 1.0f &&
            ApplyRecursedFactor(modelFile, item, Mid(table.m_aRowNames[static_cast<std::size_t>(redirectRow)], 5, 3),
                                visit.index, recursion, coefficient))
          primalName = unitName + table.m_aColumnNames[static_cast<std::size_t>(redirectColumn)].substr(0, 3);
        const CDbPrimal* primal = econ::FindColumn(*visit.primal, primalName);
        if (!primal) continue;
        if (std::fabs(primal->m_dActivity) > 1e-5) visit.active = true;
        GetRecursedCoefficient(modelFile, rowName, primalName, visit.index, recursion, coefficient,
                               kind == Kind::kAccumulation);
        vp = coefficient;
        if (kind == Kind::kAccumulation) {
          visit.contributed = true;
          visit.sum += vp * primal->m_dActivity;
          if (accumulation == 'A') visit.weight += primal->m_dActivity;
          contributing.push_back(column);
          continue;
        }
        CDbUnitOp* op = FindOp(opList(*visit.period), unit->m_nID, modelId, itemId, opKind);
        if (!op) {
          op = &makeOp(*visit.period);
          ApplyFeedRule(*op, vp, false, item, cutNames);
          if (item == "LOS") op->m_bLossRow = 1;
          if (!madeInColumn) {
            unit->m_aIntList1.push_back(itemId);
            unit->m_aIntList2.push_back(opKind);
          }
          madeInColumn = true;
          visit.operation = op;
        } else if (op->m_nWorkFlag == 1) {
          ApplyFeedRule(*op, vp, true, item, cutNames);
          if (item == "LOS") op->m_bLossRow = 1;
          visit.operation = op;
        }
        if (kind == Kind::kMaterial && column.compare(0, 3, item) == 0 && item.size() == 3) {
          const double days = visit.period->m_dDays;
          op->m_dMarginalValue = econ::PerDay(primal->m_dMarginalValue,
                                              days != 0.0 && fill::FirstPeriodIndex(*dbCase) != 0 ? days : 1.0);
        }
        op->m_dActivity += vp * primal->m_dActivity;
      }
    }

    if (kind == Kind::kMaterial || kind == Kind::kUtility) {
      const auto& alternates = kind == Kind::kMaterial ? model->m_paAlternateLinks : model->m_paAlternateLinks2;
      const CDbInt probe(itemId);
      const CDbInt* alternate = alternates.Find(&probe);
      for (Visit& visit : visits) {
        CDbUnitOp* op = visit.operation;
        if (!visit.period || !op) continue;
        double quantity;
        if (op->m_bLossRow) {
          quantity = std::fabs(op->m_dActivity);
          if (op->m_dActivity < 0.0) op->m_nFeedFlag = 0;
          if (op->m_dActivity > 0.0) op->m_nFeedFlag = 1;
        } else {
          quantity = op->GetActivityMagnitude();
        }
        auto& ends = kind == Kind::kMaterial ? (op->m_nFeedFlag == 1 ? visit.period->m_paLinks2 : visit.period->m_paLinks1)
                                             : (op->m_nFeedFlag == 1 ? visit.period->m_paLinks4 : visit.period->m_paLinks3);
        auto end = std::make_unique<CDbLink>(itemId, op->m_nID);
        end->m_nUnitTypeID = kSubmodUnitType;
        end->m_dValue = quantity;
        ends.Add(std::move(end));
        if (!alternate) continue;
        for (const std::int32_t other : alternate->m_lstValues) {
          auto extra = std::make_unique<CDbLink>(other, op->m_nID);
          extra->m_nUnitTypeID = kSubmodUnitType;
          extra->m_dValue = 0.0;
          ends.Add(std::move(extra));
        }
      }
      continue;
    }
    if (kind != Kind::kAccumulation) continue;

    // Property rows of the accumulation row.
    pRowCounter += extraId ? 2 : 1;
    const int d8 = rowName.size() >= 8 && std::isdigit(static_cast<unsigned char>(rowName[7])) ? rowName[7] - '0' : 0;
    for (Visit& visit : visits) {
      if (!visit.contributed || !visit.period) continue;
      auto row = std::make_unique<CDbPRow>(pRowCounter, modelId, unit->m_nID, m_pDbData);
      if (accumulation == 'N') {
        visit.numerator = visit.sum;
        continue;
      }
      if (accumulation == 'A') {
        if (visit.weight == 0.0) continue;
        row->m_nPRowTypeID = 3;
        row->m_dActivity = visit.sum / visit.weight;
        row->m_strPRowText = rowText(r);
        row->m_strTag = tagText;
        row->m_nNumberofDecimals = rowName.size() >= 8 && d8 < 5 ? d8 : 2;
      } else if (accumulation == 'D') {
        if (visit.sum == 0.0) continue;
        row->m_nPRowTypeID = 4;
        row->m_dActivity = visit.numerator / visit.sum;
        if (hasTexts) row->m_strPRowText = ratioText;
        row->m_strTag = ratioTag.empty() ? tagText : ratioTag;
        row->m_nNumberofDecimals = rowName.size() >= 8 && d8 < 5 ? d8 : 2;
      } else {
        row->m_nPRowTypeID = 2;
        row->m_dActivity = visit.sum * 1000.0;
        row->m_strPRowText = rowText(r);
        row->m_strTag = tagText;
        row->m_nNumberofDecimals = rowName.size() > 7 && d8 < 5 ? d8 : 0;
      }
      const CDbPRow* made = row.get();
      visit.period->m_paPRows.Add(std::move(row));
      const std::string quality = Mid(rowName, 2, 3);
      if (FindNamed<CDbQuality>(model->m_paQualities, quality))
        extraId = BuildPRows(modelFile, visit.period, model, quality, made, pRowCounter);
      for (const std::string& column : contributing) {
        const CDbStream* stream = FindNamed<CDbStream>(model->m_paStreams, column.substr(0, 3));
        if (!stream) continue;
        auto& refs = visit.period->m_paStreamToPRowRefs;
        const CStreamToPRowCrossReference probe(stream->m_nID, modelId);
        CStreamToPRowCrossReference* ref = refs.Find(&probe);
        if (!ref) {
          auto newRef = std::make_unique<CStreamToPRowCrossReference>(stream->m_nID, modelId);
          ref = newRef.get();
          refs.AddSorted(std::move(newRef), &CDbDataObject::CompareNodeAndId);
        }
        auto info = std::make_unique<CPRowInfo>();
        info->m_nUnitID = unit->m_nID;
        info->m_nPRowID = pRowCounter;
        info->m_strSubmodelName = unitName;
        info->m_nRowIndex = r;
        ref->m_paPRowInfos.AddSorted(std::move(info), &CPRowInfo::CompareElements);
      }
    }
    if (accumulation == 'N') {
      ratioText = rowText(r);
      ratioTag = tagText;
    }
  }

  if (unit->m_nReportFlag > 0 &&
      std::any_of(visits.begin(), visits.end(), [](const Visit& visit) { return visit.active; }))
    unit->m_nReportFlag = 2;
}
