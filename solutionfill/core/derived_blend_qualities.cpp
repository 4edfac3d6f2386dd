// Blend qualities that follow from another blend quality of the same blend
// and period: through the inverse of a one-variable formula, else through
// the model's INDEX pairs.

#include <memory>
#include <string>
#include <vector>

#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/property_calculation.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/blend_quality_services.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/core/stream_quality_services.h"
#include "standins/miskel_interpolation.h"

namespace {

constexpr std::int32_t kOriginIndexTable = 4;
constexpr std::int32_t kOriginPropertyCalculator = 5;

// The target has its own minimum or maximum in the specification table for this blend.
bool HasOwnSpecification(const CTableFilTable& spec, const std::string& targetTag, const std::string& blendName) {
  for (int r = 0; r < spec.GetRowCount(); ++r) {
    const std::string& row = spec.m_aRowNames[r];
    if (row.empty() || (row[0] != 'N' && row[0] != 'X') || sq::Mid(row, 1, 3) != targetTag) continue;
    for (int c = 0; c < spec.GetColumnCount(); ++c) {
      if (sq::Mid(spec.m_aColumnNames[c], 0, 3) != sq::Mid(blendName, 0, 3)) continue;
      float cell;
      if (fill::GetCell(spec, r, c, cell) && cell != -1000.0f) return true;
      break;
    }
  }
  return false;
}

bool InRange(double value, double low, double high) { return value >= low && value <= high; }

}  // namespace

void CDbSolution::DeriveBlendQualities(CVornModelFile* modelFile, CDbPeriod* period, CDbModel* model,
                                       CDbQuality* quality, CDbBlendQuality* source, const CTableFilTable& specTable,
                                       CDbBlend* blend) {
  if (!modelFile || !period || !model || !quality || !source || !blend) return;
  const CDbBlendQuality& s = *source;
  if (!sq::IsSet(s.m_dBlendValue) && !sq::IsSet(s.m_dValue) && !sq::IsSet(s.m_dInitialValue) &&
      !sq::IsSet(s.m_dMinValue) && !sq::IsSet(s.m_dMaxValue) && !sq::IsSet(s.m_dMarginalValue))
    return;
  // Copies: making the target may re-sort the list, never moving the source object itself.
  const double blendValue = s.m_dBlendValue, value = s.m_dValue, initial = s.m_dInitialValue;
  const double minValue = s.m_dMinValue, maxValue = s.m_dMaxValue, marginal = s.m_dMarginalValue;
  const bool specActive = s.m_bWorkFlag != 0;
  const std::int32_t blendId = s.m_nID;
  const std::int32_t modelId = model->m_nID;
  auto targetOf = [&](const CDbQuality& target) -> CDbBlendQuality& {
    return EnsureBlendQuality(*period, blendId, modelId, target.m_nID, m_pDbData);
  };
  auto findQuality = [&](const std::string& tag) {
    const CDbQuality probe(tag);
    return model->m_paQualities.Find(&probe);
  };

  const CVornModelFile* main = fill::MainModel(m_pDbData);
  CExtendedTagProcessor* tags =
      main && main->m_settings.m_UseExtendedTagsOn.GetValue() != 0 && m_pDbData ? m_pDbData->m_pTagProcessor.get()
                                                                               : nullptr;
  const bool keepTags = main && main->m_settings.m_PreserveOrigTagsOn.GetValue() != 0;

  for (CPropertyCalculation* formula : modelFile->m_formulas) {
    if (!formula || formula->m_bSuppressed || formula->m_variableNames.size() != 1) continue;
    std::string name = formula->m_strPropertyName;
    std::string targetTag = formula->m_variableNames[0];
    if (tags) {
      name = tags->GetShortTag(name, keepTags);
      targetTag = tags->GetShortTag(targetTag, keepTags);
    }
    if (name != quality->m_strName) continue;
    if (formula->m_startingRanges.empty() || formula->m_endingRanges.empty()) continue;
    const bool inverted = formula->m_bInverted;
    const double lower = inverted ? formula->m_startingRanges[0] : formula->m_endingRanges[0];
    const double upper = inverted ? formula->m_endingRanges[0] : formula->m_startingRanges[0];
    const double low = inverted ? formula->m_dStartValue : formula->m_dEndValue;
    const double high = inverted ? formula->m_dEndValue : formula->m_dStartValue;
    const CDbQuality* target = findQuality(targetTag);
    bool used = false;

    if (sq::IsSet(blendValue) && InRange(blendValue, low, high) && !specActive) {
      const double x = formula->Invert(lower, upper, blendValue);
      if (target) {
        if (HasOwnSpecification(specTable, target->m_strName, blend->m_strName)) return;
        CDbBlendQuality& t = targetOf(*target);
        t.m_dBlendValue = x;
        t.m_nOriginID = kOriginPropertyCalculator;
        if (sq::IsSet(marginal)) t.m_dMarginalValue = formula->Derivative(x) * marginal;
      }
      used = true;
    }
    if (sq::IsSet(value) && InRange(value, low, high) && !specActive) {
      const double x = formula->Invert(lower, upper, value);
      if (target) {
        CDbBlendQuality& t = targetOf(*target);
        t.m_dValue = x;
        t.m_nOriginID = kOriginPropertyCalculator;
        if (sq::IsSet(initial)) t.m_dInitialValue = initial == value ? x : formula->Invert(lower, upper, initial);
      }
      used = true;
    }
    if (sq::IsSet(minValue) && InRange(minValue, low, high)) {
      const double x = formula->Invert(lower, upper, minValue);
      if (target) {
        CDbBlendQuality& t = targetOf(*target);
        t.m_nOriginID = kOriginPropertyCalculator;
        (inverted ? t.m_dMaxValue : t.m_dMinValue) = x;
      }
      used = true;
    }
    if (sq::IsSet(maxValue) && InRange(maxValue, low, high)) {
      const double x = formula->Invert(lower, upper, maxValue);
      if (target) {
        CDbBlendQuality& t = targetOf(*target);
        t.m_nOriginID = kOriginPropertyCalculator;
        (inverted ? t.m_dMinValue : t.m_dMaxValue) = x;
      }
      return;
    }
    if (used) return;
  }

  const CDbObject probe(quality->m_strName);
  const CDbObject* entry = model->m_paObjects.Find(&probe);
  const CTableFilTable& index = model->m_tableFil;
  if (!entry || entry->m_nID < 1 || entry->m_nID >= index.GetRowCount()) return;
  const int q = entry->m_nID;
  const int columns = index.GetColumnCount();
  std::vector<double> xs(static_cast<std::size_t>(columns), kDbNotSet), ys(static_cast<std::size_t>(columns), kDbNotSet);
  int points = 0;
  for (int i = 0; i < columns; ++i) {
    float x, y;
    if (!fill::GetCell(index, q, i, x) || !fill::GetCell(index, q - 1, i, y)) continue;
    xs[points] = x;
    ys[points] = y;
    ++points;
  }
  const CDbQuality* target = findQuality(index.m_aRowNames[q - 1]);
  if (!target || HasOwnSpecification(specTable, target->m_strName, blend->m_strName)) return;
  auto interpolate = [&](double at, double& y, double& slope) {
    y = kDbNotSet;
    return IMiskel::Interpolate(xs.data(), ys.data(), points, at, &y, &slope) == 0;
  };
  double y = kDbNotSet, slope = 0.0;
  if (sq::IsSet(blendValue) && interpolate(blendValue, y, slope)) {
    CDbBlendQuality& t = targetOf(*target);
    t.m_dBlendValue = y;
    t.m_nOriginID = kOriginIndexTable;
    if (sq::IsSet(marginal) && slope != 0.0) t.m_dMarginalValue = marginal / slope;
  }
  if (sq::IsSet(value) && interpolate(value, y, slope)) {
    CDbBlendQuality& t = targetOf(*target);
    t.m_dValue = y;
    t.m_nOriginID = kOriginIndexTable;
    if (sq::IsSet(initial)) {
      double yi = kDbNotSet;
      if (initial == value)
        t.m_dInitialValue = y;
      else if (interpolate(initial, yi, slope))
        t.m_dInitialValue = yi;
    }
  }
  const bool rising = points >= 2 && xs[1] != xs[0] && (ys[1] - ys[0]) / (xs[1] - xs[0]) > 0.0;
  if (sq::IsSet(minValue) && interpolate(minValue, y, slope)) {
    CDbBlendQuality& t = targetOf(*target);
    t.m_nOriginID = kOriginIndexTable;
    (rising ? t.m_dMinValue : t.m_dMaxValue) = y;
  }
  if (sq::IsSet(maxValue) && interpolate(maxValue, y, slope)) {
    CDbBlendQuality& t = targetOf(*target);
    t.m_nOriginID = kOriginIndexTable;
    (rising ? t.m_dMaxValue : t.m_dMinValue) = y;
  }
}
