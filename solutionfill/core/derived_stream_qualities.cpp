// Stream qualities derived backwards: the input quality of a one-variable
// formula by inverting it, else the first quality of an INDEX pair by
// interpolating in the pair's points.

#include <memory>
#include <string>
#include <vector>

#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/property_calculation.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/core/stream_quality_services.h"
#include "standins/miskel_interpolation.h"

namespace {

constexpr std::int32_t kOriginIndexTable = 4;
constexpr std::int32_t kOriginPropertyCalculator = 5;

std::int32_t QualityId(const CDbModel& model, const std::string& tag) {
  const CDbQuality probe(tag);
  const CDbQuality* quality = model.m_paQualities.Find(&probe);
  return quality ? quality->m_nID : -1;
}

struct FormulaIds {
  CPropertyCalculation* formula = nullptr;
  std::int32_t computed = -1;
  std::int32_t input = -1;
};

struct PairIds {
  int outputRow = 0;
  std::int32_t output = -1;
  std::int32_t input = -1;
};

std::vector<double> RowPoints(const CTableFilTable& table, int row) {
  std::vector<double> points;
  const int columns = table.GetColumnCount();
  points.reserve(static_cast<std::size_t>(columns));
  for (int c = 0; c < columns; ++c) {
    float cell;
    fill::GetCell(table, row, c, cell);  // a blank cell is copied as the blank value
    points.push_back(cell);
  }
  return points;
}

}  // namespace

void CDbSolution::BuildDerivedStreamQualities(CVornModelFile* modelFile, CDbPeriod* period, CDbModel* model) {
  if (!modelFile || !period || !model) return;
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  CExtendedTagProcessor* tags =
      main && main->m_settings.m_UseExtendedTagsOn.GetValue() != 0 && m_pDbData ? m_pDbData->m_pTagProcessor.get()
                                                                               : nullptr;
  const bool keepTags = main && main->m_settings.m_PreserveOrigTagsOn.GetValue() != 0;

  std::vector<FormulaIds> formulas;
  for (CPropertyCalculation* formula : modelFile->m_formulas) {
    FormulaIds ids;
    ids.formula = formula;
    if (formula && !formula->m_bSuppressed && formula->m_variableNames.size() == 1) {
      std::string computed = formula->m_strPropertyName;
      std::string input = formula->m_variableNames[0];
      if (tags) {
        computed = tags->GetShortTag(computed, keepTags);
        input = tags->GetShortTag(input, keepTags);
      }
      ids.computed = QualityId(*model, computed);
      ids.input = QualityId(*model, input);
    }
    formulas.push_back(ids);
  }

  const CTableFilTable& index = model->m_tableFil;
  std::vector<PairIds> pairs;
  if (index.GetRowCount() > 0 && index.GetColumnCount() > 0) {
    for (int m = 0; 2 * m + 1 < index.GetRowCount(); ++m) {
      PairIds ids;
      ids.outputRow = 2 * m;
      ids.output = QualityId(*model, index.m_aRowNames[2 * m]);
      ids.input = QualityId(*model, index.m_aRowNames[2 * m + 1]);
      pairs.push_back(ids);
    }
  }

  const std::int32_t modelId = model->m_nID;
  CAutoDestructArray<CPtrArray, CDbStreamQuality*> added;
  auto exists = [&](std::int32_t streamId, std::int32_t qualityId) {
    const CDbStreamQuality probe(streamId, modelId, qualityId);
    return period->m_paStreamQualities.Find(&probe) != nullptr;
  };
  auto add = [&](std::int32_t streamId, std::int32_t qualityId, double value, double initial, std::int32_t origin) {
    auto made = std::make_unique<CDbStreamQuality>(streamId, modelId, qualityId, m_pDbData);
    made->m_dValue = value;
    made->m_dInitialValue = initial;
    made->m_nOriginID = origin;
    added.Add(std::move(made));
  };

  for (const CDbStreamQuality* entry : period->m_paStreamQualities) {
    if (!entry || entry->m_nNodeID != modelId) continue;
    const double value = entry->m_dValue;
    const double initial = entry->m_dInitialValue;

    const FormulaIds* match = nullptr;
    for (const FormulaIds& ids : formulas)
      if (ids.computed != -1 && ids.computed == entry->m_nQualityID) {
        match = &ids;
        break;
      }
    if (match) {
      CPropertyCalculation& formula = *match->formula;
      // A matched formula without ranges derives nothing rather than failing the fill.
      if (formula.m_startingRanges.empty() || formula.m_endingRanges.empty()) continue;
      const bool inverted = formula.m_bInverted;
      const double low = inverted ? formula.m_dEndValue : formula.m_dStartValue;
      const double high = inverted ? formula.m_dStartValue : formula.m_dEndValue;
      const double from = inverted ? formula.m_endingRanges[0] : formula.m_startingRanges[0];
      const double to = inverted ? formula.m_startingRanges[0] : formula.m_endingRanges[0];
      if (value >= low && value <= high && match->input != -1 && !exists(entry->m_nID, match->input)) {
        const double derived = formula.Invert(from, to, value);
        double derivedInitial = kDbNotSet;
        if (sq::IsSet(initial)) derivedInitial = initial == value ? derived : formula.Invert(from, to, initial);
        add(entry->m_nID, match->input, derived, derivedInitial, kOriginPropertyCalculator);
      }
      continue;
    }

    const PairIds* pair = nullptr;
    for (const PairIds& ids : pairs)
      if (ids.input != -1 && ids.input == entry->m_nQualityID) {
        pair = &ids;
        break;
      }
    if (!pair || pair->output == -1 || exists(entry->m_nID, pair->output)) continue;
    const std::vector<double> xs = RowPoints(index, pair->outputRow + 1);
    const std::vector<double> ys = RowPoints(index, pair->outputRow);
    const int count = static_cast<int>(xs.size());
    double result = kDbNotSet;
    double slope = 0.0;
    if (IMiskel::Interpolate(xs.data(), ys.data(), count, value, &result, &slope) != 0) continue;
    double derivedInitial = kDbNotSet;
    if (sq::IsSet(initial)) {
      if (initial == value) {
        derivedInitial = result;
      } else {
        double second = kDbNotSet;
        if (IMiskel::Interpolate(xs.data(), ys.data(), count, static_cast<float>(initial), &second, &slope) == 0)
          derivedInitial = second;
      }
    }
    add(entry->m_nID, pair->output, result, derivedInitial, kOriginIndexTable);
  }

  if (added.IsEmpty()) return;
  added.m_bOwnsElements = 0;
  for (CDbStreamQuality* each : added) period->m_paStreamQualities.Add(each);
  added.RemoveAll();
  period->m_paStreamQualities.Sort(&CDbStreamQuality::CompareElements);
}
