// Property rows converted back to the property itself: a unit's average,
// ratio or total row of a blending index or a formula input gets a second
// row with the property's value, through the model's single-variable
// property formulas (inverted) or its INDEX table (interpolated).

#include <memory>
#include <string>
#include <vector>

#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/property_calculation.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_services.h"
#include "solutionfill/core/fill_tables.h"
#include "standins/miskel_interpolation.h"

namespace {

bool IsNotSet(double value) {
  return value == 1e30 || value == -1e30 || static_cast<float>(value) == 1.0e30f ||
         static_cast<float>(value) == -1.0e30f;
}

const CDbQuality* FindQuality(const CDbModel& model, const std::string& tag) {
  const CDbQuality probe(tag);
  return model.m_paQualities.Find(&probe);
}

}  // namespace

bool CDbSolution::BuildPRows(CVornModelFile* modelFile, CDbPeriod* period, CDbModel* model, const std::string& quality,
                             const CDbPRow* source, std::int32_t& counter) {
  if (!modelFile || !period || !model || !source) return false;
  const double value = source->m_dActivity;
  if (IsNotSet(value)) return false;
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  CExtendedTagProcessor* tags = fill::UseExtendedTags(m_pDbData) ? m_pDbData->m_pTagProcessor.get() : nullptr;
  const bool keepTags = main && main->m_settings.m_PreserveOrigTagsOn.GetValue() != 0;
  auto shortTag = [&](const std::string& name) { return tags ? tags->GetShortTag(name, keepTags) : name; };

  auto addRow = [&](const CDbQuality& target, double activity, std::uint32_t textId) {
    auto row = std::make_unique<CDbPRow>(counter + 1, source->m_nNodeID, source->m_nUnitID, m_pDbData);
    row->m_dActivity = activity;
    row->m_nPRowTypeID = source->m_nPRowTypeID;
    row->m_strPRowText = target.m_strDescription.empty()
                             ? FormatTreskText(textId, 100, {target.m_strReportTag})
                             : target.m_strDescription;
    const std::string tag =
        "P" + target.m_strReportTag + (source->m_strTag.size() > 4 ? source->m_strTag.substr(4, 4) : std::string());
    row->m_strTag = tags ? tags->ParseRowName(model->m_nModelTypeID, tag, true) : tag;
    row->m_nNumberofDecimals = source->m_nNumberofDecimals;
    period->m_paPRows.Add(std::move(row));
  };
  const char kind = source->m_strTag.size() > 4 ? source->m_strTag[4] : '\0';

  for (CPropertyCalculation* formula : modelFile->m_formulas) {
    if (!formula || formula->m_bSuppressed || formula->m_variableNames.size() != 1) continue;
    if (shortTag(formula->m_strPropertyName) != quality) continue;
    const bool inverted = formula->m_bInverted;
    const double low = inverted ? formula->m_dEndValue : formula->m_dStartValue;
    const double high = inverted ? formula->m_dStartValue : formula->m_dEndValue;
    if (value < low || value > high) continue;
    // A deciding formula without ranges converts nothing rather than failing the fill.
    if (formula->m_startingRanges.empty() || formula->m_endingRanges.empty()) return true;
    const double from = inverted ? formula->m_endingRanges[0] : formula->m_startingRanges[0];
    const double to = inverted ? formula->m_startingRanges[0] : formula->m_endingRanges[0];
    const double input = formula->Invert(from, to, value);
    const CDbQuality* target = FindQuality(*model, shortTag(formula->m_variableNames[0]));
    if (target && kind != 'D') addRow(*target, input, kTreskFormulaPRow);
    return true;
  }

  const CDbObject probe(quality);
  const CDbObject* entry = model->m_paObjects.Find(&probe);
  const CTableFilTable& index = model->m_tableFil;
  if (!entry || entry->m_nID < 1 || entry->m_nID >= index.GetRowCount()) return false;
  const int row = entry->m_nID;
  std::vector<double> xs;
  std::vector<double> ys;
  for (int c = 0; c < index.GetColumnCount(); ++c) {
    float cell;
    fill::GetCell(index, row, c, cell);  // a blank cell is copied as the blank value
    xs.push_back(cell);
    fill::GetCell(index, row - 1, c, cell);
    ys.push_back(cell);
  }
  double result = 1e30;
  double slope = 0.0;
  if (IMiskel::Interpolate(xs.data(), ys.data(), static_cast<int>(xs.size()), value, &result, &slope) != 0)
    return false;
  const CDbQuality* target = FindQuality(*model, index.m_aRowNames[static_cast<std::size_t>(row - 1)]);
  if (!target) return false;
  addRow(*target, result, kTreskIndexPRow);
  return true;
}
