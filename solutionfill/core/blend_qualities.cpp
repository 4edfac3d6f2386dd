// Blend qualities per period from the blend specification table BLNSPEC:
// minimum and maximum rows give the value from the LP specification row,
// property rows the recipe average, and the qualities of the blend-model
// control file come from the blend-model library.

#include <cmath>
#include <map>
#include <memory>
#include <string>

#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/blend_quality_services.h"
#include "solutionfill/core/fill_services.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/core/kesh_control.h"
#include "solutionfill/core/stream_quality_services.h"
#include "solutionfill/economics/economics_fill.h"
#include "solutionfill/economics/group_fill.h"
#include "standins/blend_model_library.h"
#include "standins/tresk.h"

namespace {

constexpr std::int32_t kOriginPRow = 8;
constexpr std::int32_t kBlendPenaltyType = 4;
constexpr std::int32_t kInteractionBlendOffset = 10000;

bool IsGlobalType(std::int32_t type) { return type == 2 || type == 3; }

std::int32_t MainSetting(const CVornDbExportData* data, std::int32_t (*get)(const CModelSettings&)) {
  const CVornModelFile* main = fill::MainModel(data);
  return main ? get(main->m_settings) : 0;
}

void InitializeLibrary(const CVornDbExportData& data) {
  IBlendModelLibrary& library = BlendModelLibrary();
  const std::int32_t mainType = MainSetting(&data, [](const CModelSettings& s) { return s.m_ModelType.GetValue(); });
  if (IsGlobalType(mainType)) {
    if (data.m_paLocalModelFiles && !data.m_paLocalModelFiles->IsEmpty()) {
      const std::int32_t count = data.m_paLocalModelFiles->GetSize();
      library.MultiPlantInitialize(&count);
      for (int i = 0; i < count; ++i) {
        const CVornModelFile* local = data.m_paLocalModelFiles->GetAt(i);
        const std::string name = local ? local->m_strModelName : std::string();
        const std::string code = data.m_pastrLocalModelCodes && static_cast<std::size_t>(i) < data.m_pastrLocalModelCodes->size()
                                     ? (*data.m_pastrLocalModelCodes)[i]
                                     : std::string();
        library.MultiPlantAdd(name.c_str(), static_cast<std::int32_t>(name.size()), code.c_str(),
                              static_cast<std::int32_t>(code.size()));
      }
    }
  } else {
    library.MultiPlantRelease();
  }
  // The case-result handle of the library's case initialisation is not held on Linux: it is never present.
}

void ReleaseLibrary() {
  BlendModelLibrary().Release();
  BlendModelLibrary().MultiPlantRelease();
}

CDbQuality* FindQuality(const CDbModel& model, const std::string& tag) {
  const CDbQuality probe(tag);
  return model.m_paQualities.Find(&probe);
}

CDbBlend* FindBlend(const CDbModel& model, const std::string& name) {
  const CDbBlend probe(name);
  return model.m_paBlends.Find(&probe);
}

// The model object a global BLNSPEC row names by its node tag (character 5).
CDbModel* RowModel(const CDbCase& dbCase, const std::string& rowName) {
  const std::string nodeTag = sq::Mid(rowName, 4, 1);
  const CDbNode* node = fill::FindCaseNode(dbCase, nodeTag);
  return node ? fill::FindNodeModel(*node, nodeTag) : nullptr;
}

CVornModelFile* LocalModelFile(const CVornDbExportData* data, const std::string& modelName) {
  if (!data || !data->m_paLocalModelFiles) return nullptr;
  for (CVornModelFile* each : *data->m_paLocalModelFiles)
    if (each && each->m_strModelName == modelName) return each;
  return nullptr;
}

}  // namespace

bool IsNonSpecificationRow(const std::string& rowName) {
  for (const char* prefix : {"TYPE", "AREA", "PHASE", "SEASON", "EQUATION"})
    if (rowName.rfind(prefix, 0) == 0) return true;
  return false;
}

double GetBlendQuantity(const CDbBlend& blend, std::int32_t nodeId, const CDbPeriod& period, bool volume) {
  for (const CDbBlendQuantity* quantity : period.m_paBlendQuantities)
    if (quantity && quantity->m_nID == blend.m_nID && quantity->m_nNodeID == nodeId)
      return volume ? quantity->m_dVolActivity : quantity->m_dWgtActivity;
  return 0.0;
}

CDbBlendQuality* FindBlendQuality(const CDbPeriod& period, std::int32_t blendId, std::int32_t nodeId,
                                  std::int32_t qualityId) {
  for (CDbBlendQuality* each : period.m_paBlendQualities)
    if (each && each->m_nID == blendId && each->m_nNodeID == nodeId && each->m_nQualityID == qualityId) return each;
  return nullptr;
}

CDbBlendQuality& EnsureBlendQuality(CDbPeriod& period, std::int32_t blendId, std::int32_t nodeId,
                                    std::int32_t qualityId, CVornDbExportData* owner) {
  if (CDbBlendQuality* found = FindBlendQuality(period, blendId, nodeId, qualityId)) return *found;
  auto made = std::make_unique<CDbBlendQuality>(blendId, nodeId, qualityId, owner);
  CDbBlendQuality& entry = *made;
  period.m_paBlendQualities.Add(std::move(made));
  period.m_paBlendQualities.Sort(&CDbBlendQuality::CompareElements);
  entry.m_nReportOrder = period.m_paBlendQualities.GetSize();
  return entry;
}

void CDbSolution::BuildBlendQualities(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model,
                                      const void* /*unused*/) {
  if (!modelFile || !dbCase || !model || !m_pDbData) return;
  SendStatusMessage(LoadTreskString(kTreskBlendQualities));
  const bool isGlobal = IsGlobalType(modelFile->m_settings.m_ModelType.GetValue());
  const bool ownsLibrary =
      MainSetting(m_pDbData, [](const CModelSettings& s) { return s.m_UseNimboOn.GetValue(); }) == 0;
  if (ownsLibrary) InitializeLibrary(*m_pDbData);
  CKeshControl control;
  ReadKeshControl(modelFile, control);

  CTableFilTable blnspec, zblnspec, pinv;
  if (fill::ReadModelTable(m_pDbData, "BLNSPEC", modelFile, blnspec, false)) {
    const bool hasZ = fill::ReadModelTable(m_pDbData, "ZBLNSPEC", modelFile, zblnspec, false) &&
                      zblnspec.GetRowCount() > 0;
    const bool hasPinv = fill::ReadModelTable(m_pDbData, "PINV", modelFile, pinv, false) && pinv.GetRowCount() > 0;
    std::vector<int> ordinary, controlRows;
    for (int r = 0; r < blnspec.GetRowCount(); ++r) {
      const std::string& name = blnspec.m_aRowNames[r];
      if (IsNonSpecificationRow(name)) {
        ordinary.push_back(r);  // CalcBlendSpecs passes over it
        continue;
      }
      const CDbModel* rowModel = isGlobal ? RowModel(*dbCase, name) : model;
      const CDbQuality* quality = rowModel ? FindQuality(*rowModel, sq::Mid(name, 1, 3)) : nullptr;
      if (quality && IsNameInList(*quality, control, true))
        controlRows.push_back(r);
      else
        ordinary.push_back(r);
    }
    for (int c = 0; c < blnspec.GetColumnCount(); ++c) {
      if (!isGlobal)
        for (CDbQuality* quality : model->m_paQualities)
          if (quality) quality->m_bNRowDone = quality->m_bXRowDone = 0;
      for (int r : ordinary)
        CalcBlendSpecs(blnspec, hasZ, zblnspec, hasPinv, pinv, c, r, modelFile, dbCase, model, control);
      for (int r : controlRows)
        CalcBlendSpecs(blnspec, hasZ, zblnspec, hasPinv, pinv, c, r, modelFile, dbCase, model, control);
    }
  }
  if (ownsLibrary) ReleaseLibrary();
}

void CDbSolution::CalcBlendSpecs(const CTableFilTable& blnspec, bool hasZblnspec, const CTableFilTable& zblnspec,
                                 bool hasPinv, const CTableFilTable& pinv, int column, int row,
                                 CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model,
                                 const CKeshControl& control) {
  if (!modelFile || !dbCase || !model) return;
  if (column < 0 || row < 0 || column >= blnspec.GetColumnCount() || row >= blnspec.GetRowCount()) return;
  const std::string& rowName = blnspec.m_aRowNames[row];
  if (IsNonSpecificationRow(rowName) || rowName.empty()) return;
  const bool isGlobal = IsGlobalType(modelFile->m_settings.m_ModelType.GetValue());
  const std::string qualityTag = sq::Mid(rowName, 1, 3);
  const std::string prefix = sq::Mid(rowName, 0, isGlobal ? 5 : 4);
  const std::string& blendColumn = blnspec.m_aColumnNames[column];

  CDbModel* target = model;
  CVornModelFile* definition = modelFile;
  if (isGlobal) {
    target = RowModel(*dbCase, rowName);
    definition = target ? LocalModelFile(m_pDbData, target->m_strModelName) : nullptr;
    if (!target || !definition) return;
  }
  CDbQuality* quality = FindQuality(*target, qualityTag);
  if (!quality) return;
  // A column may name the blend by the network's tag for it (LOCTAGS): the model's own tag stands beside it.
  const CDbPrimal tagProbe(blendColumn);
  const CDbPrimal* localTag = target->m_paPrimals.Find(&tagProbe);
  if (!localTag) localTag = target->m_paPrimals.LinearFind(&tagProbe);
  CDbBlend* blend = FindBlend(*target, localTag ? localTag->m_strAliasName : blendColumn);
  if (!blend) return;

  bool inventoryBlend = false;
  if (target->m_nInventorySpecBlendsOption == 2 && hasPinv)
    for (const std::string& pinvRow : pinv.m_aRowNames)
      if (sq::Mid(pinvRow, 0, 3) == sq::Mid(blend->m_strName, 0, 3)) inventoryBlend = true;
  const bool controlled = !control.m_astrQualityNames.empty() && IsNameInList(*quality, control, true);
  if (isGlobal) quality->m_bNRowDone = quality->m_bXRowDone = 0;

  const char kind = rowName[0];
  const std::int32_t modelId = target->m_nID;
  const int firstPeriod = fill::FirstPeriodIndex(*dbCase);

  if (kind == 'P') {
    quality->m_bHasPRow = 1;
    float cell;
    if (!fill::GetCell(blnspec, row, column, cell)) return;
    for (int p = firstPeriod; p < dbCase->m_paPeriods.GetSize(); ++p) {
      CDbPeriod* period = dbCase->m_paPeriods.GetAt(p);
      if (!period) continue;
      if (controlled) {
        if (!FindBlendQuality(*period, blend->m_nID, modelId, quality->m_nID)) {
          CDbBlendQuality& made = EnsureBlendQuality(*period, blend->m_nID, modelId, quality->m_nID, m_pDbData);
          made.m_dBlendValue = made.m_dValue = KeshCalcQuality(target, quality, blend, period, control);
        }
      } else {
        CalcRecipeBlendQuality(definition, period, target, blend, quality);
      }
      if (target->m_nModelTypeID == 1 && inventoryBlend && !controlled) {
        CDbBlendQuality* blendQuality = FindBlendQuality(*period, blend->m_nID, modelId, quality->m_nID);
        for (const CDbStreamQuality* each : period->m_paStreamQualities)
          if (blendQuality && each && each->m_nID == blend->m_nID && each->m_nNodeID == modelId &&
              each->m_nQualityID == quality->m_nID && each->m_nOriginID == 2) {
            blendQuality->m_dBlendValue = each->m_dValue;
            break;
          }
      }
    }
    return;
  }
  if (kind == 'N') {
    if (quality->m_bNRowDone) return;
  } else if (kind == 'X') {
    if (quality->m_bXRowDone) return;
  } else {
    return;
  }
  const bool minimum = kind == 'N';

  std::vector<std::string> periodNames;
  for (int p = firstPeriod; p < dbCase->m_paPeriods.GetSize(); ++p)
    if (const CDbPeriod* period = dbCase->m_paPeriods.GetAt(p)) periodNames.push_back(period->m_strName);
  std::map<std::string, int> rowMap, zRowMap;
  blnspec.MapRowsByPrefix(periodNames, prefix, column, rowMap);
  const int zColumn = hasZblnspec ? zblnspec.FindColumn(blendColumn) : -1;
  if (hasZblnspec) zblnspec.MapRowsByPrefix(periodNames, prefix, zColumn, zRowMap);

  CDbPrimalNode* primalNode = econ::FindPrimalNode(*this, target->m_strName);
  if (!primalNode) return;
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  const bool mainMultiPeriod = econ::MainIsMultiPeriod(m_pDbData);
  const bool applyPenalties = main && main->m_settings.m_ApplyPenalties.GetValue() != 0;
  const double blendingPenalty = main ? main->m_settings.m_BlendingPenalty.GetValue() : 0.0;
  const float scale = quality->m_fFactor;

  for (CDbPrimalPeriod* primalPeriod : primalNode->m_paPeriods) {
    if (!primalPeriod || (mainMultiPeriod && primalPeriod->m_strName == ".")) continue;
    CDbPeriod* period = econ::FindCasePeriod(*dbCase, primalPeriod->m_strName);
    if (!period) continue;
    const auto mapped = rowMap.find(period->m_strName);
    float spec;
    if (mapped == rowMap.end() || !fill::GetCell(blnspec, mapped->second, column, spec)) continue;
    double s = spec;
    if (hasZblnspec && zColumn >= 0) {
      const auto zMapped = zRowMap.find(period->m_strName);
      float zCell;
      if (zMapped != zRowMap.end() && fill::GetCell(zblnspec, zMapped->second, zColumn, zCell)) s = zCell;
    }
    const std::string specRowName = sq::Mid(rowName, 0, 4) + blendColumn;
    const CDbPrimal* specRow = econ::FindRow(*primalPeriod, specRowName);

    double penaltyActivity = 0.0;
    if (quality->m_fPenaltyPrice != 0.0f || applyPenalties) {
      const std::string penaltyColumn = std::string(minimum ? "n" : "x") + qualityTag + blendColumn;
      const CDbPrimal* column = econ::FindColumn(*primalPeriod, penaltyColumn);
      if (column && column->m_dActivity != 0.0 && target->m_nID == model->m_nID) {
        double rate = quality->m_fPenaltyPrice;
        if (rate == 0.0) {
          rate = blendingPenalty;
          if (specRow && specRow->m_dMarginalValue != 0.0 && sq::IsSet(specRow->m_dMarginalValue)) {
            rate = std::fabs(scale * specRow->m_dMarginalValue);
            if (mainMultiPeriod && period->m_dDays != 0.0 && sq::IsSet(period->m_dDays)) rate /= period->m_dDays;
          }
        }
        auto penalty = std::make_unique<CDbPenalty>(kBlendPenaltyType, target->m_nID, m_pDbData);
        penalty->m_dActivity = column->m_dActivity * rate;
        penalty->m_strTag1 = fill::ReportTag(m_pDbData, blendColumn);
        penalty->m_strTag2 = quality->m_strReportTag;
        period->m_dPenaltyTotal += penalty->m_dActivity;
        period->m_paPenalties.Add(std::move(penalty));
        penaltyActivity = minimum ? -column->m_dActivity : column->m_dActivity;
      }
    }
    if (!specRow) continue;

    CDbBlendQuality& blendQuality = EnsureBlendQuality(*period, blend->m_nID, modelId, quality->m_nID, m_pDbData);
    if (m_bParametricOverrides) {
      double value = kDbNotSet;
      GetParametricOverride(specRowName, primalPeriod->m_strName,
                            isGlobal ? sq::Mid(rowName, 4, 1) : model->m_strName, &value, "MIN");
      if (value != kDbNotSet) s = static_cast<float>(value);
    }
    if (minimum)
      blendQuality.m_dMinValue = s;
    else
      blendQuality.m_dMaxValue = s;

    if (!blendQuality.m_bWorkFlag) {
      if (target->m_nModelTypeID == 1 && target->m_nInventorySpecBlendsOption > 0 && controlled) {
        blendQuality.m_dBlendValue = blendQuality.m_dValue = KeshCalcQuality(target, quality, blend, period, control);
      } else {
        double amount = GetBlendQuantity(*blend, modelId, *period, quality->m_nVWBasisID != 0);
        if (target->m_nModelTypeID == 1 && target->m_nInventorySpecBlendsOption == 2) {
          const std::string quantityColumn = (quality->m_nVWBasisID != 0 ? "QVBL" : "QWBL") + blendColumn;
          if (const CDbPrimal* q = econ::FindColumn(*primalPeriod, quantityColumn)) amount = q->m_dActivity;
        }
        if (amount != 0.0) {
          double term = specRow->m_dSlack;
          if (specRow->m_strStatus == "EQ" || specRow->m_strStatus == "??") {
            const CDbPrimal* specColumn = econ::FindColumn(*primalPeriod, specRowName);
            if (!specColumn) {
              term = 0.0;
            } else if (specRow->m_strStatus == "EQ" || specColumn->m_strStatus == "BS") {
              term = specColumn->m_dActivity;
              if (!minimum && term > 0.0) term = -term;
            }
          }
          const double divisor = scale != 0.0f ? scale : 1.0;
          blendQuality.m_dBlendValue = blendQuality.m_dValue = (term + penaltyActivity) / amount / divisor + s;
        }
      }
      if (target->m_nModelTypeID == 1) {
        if (inventoryBlend) {
          if (controlled)
            blendQuality.m_dValue = KeshCalcQuality(target, quality, blend, period, control);
          else
            CalcRecipeBlendQuality(definition, period, target, blend, quality);
        } else if (target->m_nInventorySpecBlendsOption == 1 && controlled) {
          blendQuality.m_dValue = KeshCalcQuality(target, quality, blend, period, control);
        }
      }
      if (CDbBlendQuality* holder =
              FindBlendQuality(*period, blend->m_nID + kInteractionBlendOffset, modelId, quality->m_nID)) {
        blendQuality.m_paBonusInteractions.RemoveAll();
        for (const CDbBonusInteraction* each : holder->m_paBonusInteractions) {
          if (!each) continue;
          auto copy = std::make_unique<CDbBonusInteraction>(each->m_nID, m_pDbData);
          copy->m_dActivity = each->m_dActivity;
          copy->m_nInteractionTypeID = each->m_nInteractionTypeID;
          blendQuality.m_paBonusInteractions.Add(std::move(copy));
        }
        for (int i = 0; i < period->m_paBlendQualities.GetSize(); ++i)
          if (period->m_paBlendQualities.GetAt(i) == holder) {
            period->m_paBlendQualities.RemoveAt(i);
            break;
          }
      }
      if (specRow->m_dMarginalValue != 0.0 && sq::IsSet(specRow->m_dMarginalValue))
        blendQuality.m_dMarginalValue = specRow->m_dMarginalValue / econ::PeriodDivisor(*dbCase, *period) * scale;
      DeriveBlendQualities(definition, period, target, quality, &blendQuality, blnspec, blend);
    }
    if ((minimum && specRow->m_strStatus == "UL") || (!minimum && specRow->m_strStatus == "LL")) {
      blendQuality.m_bWorkFlag = 1;
    } else if (blendQuality.m_bWorkFlag) {
      DeriveBlendQualities(definition, period, target, quality, &blendQuality, blnspec, blend);
    }
  }
  if (minimum)
    quality->m_bNRowDone = 1;
  else
    quality->m_bXRowDone = 1;
}

void CDbSolution::CalcRecipeBlendQuality(CVornModelFile* modelFile, CDbPeriod* period, CDbModel* model,
                                         CDbBlend* blend, CDbQuality* quality) {
  if (!period || !model || !blend || !quality) return;
  const bool volume = quality->m_nVWBasisID == 1;
  const std::int32_t modelId = model->m_nID;
  const CDbBlendQuantity* quantity = nullptr;
  for (const CDbBlendQuantity* each : period->m_paBlendQuantities)
    if (each && each->m_nID == blend->m_nID && each->m_nNodeID == modelId) {
      quantity = each;
      break;
    }
  if (!quantity) return;
  const double total = volume ? quantity->m_dVolActivity : quantity->m_dWgtActivity;
  if (total == 0.0) return;
  double sumV = kDbNotSet, sumI = kDbNotSet;
  for (const CDbBlendRecipe* recipe : quantity->m_paRecipes) {
    if (!recipe) continue;
    const double amount = volume ? recipe->m_dVolActivity : recipe->m_dWgtActivity;
    if (amount == 0.0) continue;
    for (const CDbStreamQuality* each : period->m_paStreamQualities) {
      if (!each || each->m_nID != recipe->m_nID || each->m_nNodeID != modelId || each->m_nQualityID != quality->m_nID)
        continue;
      if (sq::IsSet(each->m_dValue)) sumV = (sq::IsSet(sumV) ? sumV : 0.0) + each->m_dValue * amount;
      if (sq::IsSet(each->m_dInitialValue))
        sumI = (sq::IsSet(sumI) ? sumI : 0.0) + each->m_dInitialValue * amount;
      break;
    }
  }
  if (!sq::IsSet(sumV)) {
    if (quality->m_bHasPRow) return;
    sumV = 0.0;
  }
  CDbBlendQuality& blendQuality = EnsureBlendQuality(*period, blend->m_nID, modelId, quality->m_nID, m_pDbData);
  blendQuality.m_dValue = sumV / total;
  if (sq::IsSet(sumI)) blendQuality.m_dInitialValue = sumI / total;
  if (!sq::IsSet(blendQuality.m_dBlendValue)) blendQuality.m_dBlendValue = blendQuality.m_dValue;
  if (quality->m_bHasPRow) blendQuality.m_nOriginID = kOriginPRow;
  const CTableFilTable empty;
  DeriveBlendQualities(modelFile, period, model, quality, &blendQuality, empty, blend);
}
