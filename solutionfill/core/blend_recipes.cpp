// Blend quantities and recipes of one model per period from the table
// BLNMIX and the blend columns of the solved LP, with the blend VTW and the
// link ends through the blenders; and the blend targets of BLNTARG.

#include <memory>

#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"

namespace {

constexpr std::int32_t kBlendUnit = 2;
constexpr std::int32_t kSpecificationBlend = 2;

template <class Element>
Element* FindByName(const CAutoDestructArray<CPtrArray, Element*>& list, const std::string& name) {
  const Element probe(name);
  return list.Find(&probe);
}

CDbVTW* FindVtw(const CDbPeriod& period, std::int32_t streamId, std::int32_t modelId) {
  for (CDbVTW* vtw : period.m_paVTWs)
    if (vtw && vtw->m_nID == streamId && vtw->m_nNodeID == modelId) return vtw;
  return nullptr;
}

void AddLinkEnd(CAutoDestructArray<CPtrArray, CDbLink*>& ends, std::int32_t streamId, std::int32_t unitId,
                double quantity) {
  auto end = std::make_unique<CDbLink>(streamId, unitId);
  end->m_nUnitTypeID = kBlendUnit;
  end->m_dValue = quantity;
  ends.Add(std::move(end));
}

const CDbInt* FindAlternates(const CDbModel& model, std::int32_t streamId) {
  for (const CDbInt* entry : model.m_paAlternateLinks)
    if (entry && entry->m_nID == streamId) return entry;
  return nullptr;
}

}  // namespace

void CDbSolution::BuildRecipes(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model) {
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  if (!modelFile || !dbCase || !model || !main) return;
  const CDbPrimalNode nodeProbe(model->m_strName);
  const CDbPrimalNode* primalNode = m_paPrimalNodes.Find(&nodeProbe);
  if (!primalNode) return;
  CTableFilTable mix;
  if (!fill::ReadModelTable(m_pDbData, "BLNMIX", modelFile, mix, true) || mix.GetRowCount() == 0 ||
      mix.GetColumnCount() == 0)
    return;
  const bool mainMultiPeriod = fill::IsMultiPeriodModel(*main);
  const bool volumeModel = modelFile->m_settings.m_VOLBASIS.GetValue() != 0;
  const bool keepBlendVtw = main->m_settings.m_UseNimboOn.GetValue() != 0 && mainMultiPeriod &&
                            model->m_nInventorySpecBlendsOption >= 2;
  const std::int32_t modelId = model->m_nID;

  for (const CDbPrimalPeriod* primalPeriod : primalNode->m_paPeriods) {
    if (!primalPeriod || (mainMultiPeriod && primalPeriod->m_strName == ".")) continue;
    const CDbPeriod periodProbe(primalPeriod->m_strName);
    CDbPeriod* period = dbCase->m_paPeriods.Find(&periodProbe);
    if (!period) period = dbCase->m_paPeriods.LinearFind(&periodProbe);
    if (!period) continue;
    for (int c = 0; c < mix.GetColumnCount(); ++c) {
      const std::string& blendName = mix.m_aColumnNames[c];
      const CDbStream* blendStream = FindByName(model->m_paStreams, blendName);
      const CDbBlend* blend = FindByName(model->m_paBlends, blendName);
      if (!blendStream || !blend) continue;
      CDbVTW* blendVtw = FindVtw(*period, blend->m_nID, modelId);

      const CDbBlendQuantity quantityProbe(blend->m_nID, modelId);
      period->m_paBlendQuantities.Sort(&CDbDataObject::CompareNodeAndId);
      CDbBlendQuantity* quantity = period->m_paBlendQuantities.Find(&quantityProbe);
      const bool existing = quantity != nullptr;
      if (existing) {
        quantity->m_paRecipes.RemoveAll();
        quantity->m_dVolActivity = quantity->m_dWgtActivity = 0.0;
      } else {
        auto made = std::make_unique<CDbBlendQuantity>(blend->m_nID, modelId, m_pDbData);
        quantity = made.get();
        period->m_paBlendQuantities.Add(std::move(made));
        period->m_paBlendQuantities.Sort(&CDbDataObject::CompareNodeAndId);
      }

      for (int r = 0; r < mix.GetRowCount(); ++r) {
        float cell;
        if (!fill::GetCell(mix, r, c, cell)) continue;
        const CDbStream* component = FindByName(model->m_paStreams, mix.m_aRowNames[r]);
        if (!component) continue;
        const CDbVTW* componentVtw = FindVtw(*period, component->m_nID, modelId);
        const double factor = componentVtw ? componentVtw->m_dValue : 1.0;
        const bool specification = blend->m_nBlendTypeID == kSpecificationBlend;
        const std::string columnName =
            specification ? "B" + component->m_strName + blendName : "FBLN" + blendName;
        const double multiplier = specification ? 1.0 : static_cast<double>(cell);
        const CDbPrimal columnProbe(columnName);
        const CDbPrimal* column = primalPeriod->m_paColumns.Find(&columnProbe);
        if (!column) continue;
        auto recipe = std::make_unique<CDbBlendRecipe>(component->m_nID, modelId, m_pDbData);
        const double activity = column->m_dActivity * multiplier;
        recipe->m_dVolMarginalValue = column->m_dMarginalValue;
        if (specification || blendStream->m_nVWBasis > 0) {
          recipe->m_dVolActivity = activity;
          recipe->m_dWgtActivity = activity * factor;
        } else {
          recipe->m_dWgtActivity = activity;
          recipe->m_dVolActivity = activity / factor;
        }
        const double linked = volumeModel ? recipe->m_dVolActivity : recipe->m_dWgtActivity;
        quantity->AddRecipe(std::move(recipe));
        if (existing) continue;
        AddLinkEnd(period->m_paLinks2, component->m_nID, blend->m_nID, linked);
        if (const CDbInt* alternates = FindAlternates(*model, component->m_nID))
          for (const std::int32_t id : alternates->m_lstValues)
            for (const CDbBlend* other : model->m_paBlends)
              if (other && other->m_nID == id) {
                AddLinkEnd(period->m_paLinks2, id, blend->m_nID, 0.0);
                break;
              }
      }
      if (!keepBlendVtw && blendVtw && quantity->m_dVolActivity > 0.0)
        blendVtw->m_dValue = quantity->m_dWgtActivity / quantity->m_dVolActivity;
      if (existing) continue;
      AddLinkEnd(period->m_paLinks1, blend->m_nID, blend->m_nID,
                 volumeModel ? quantity->m_dVolActivity : quantity->m_dWgtActivity);
      if (const CDbInt* alternates = FindAlternates(*model, blend->m_nID))
        for (const std::int32_t id : alternates->m_lstValues) AddLinkEnd(period->m_paLinks1, id, blend->m_nID, 0.0);
    }
  }
}

void CDbSolution::BuildBlendTargets(CVornModelFile* modelFile, CDbCase* /*dbCase*/, CDbModel* model) {
  if (!modelFile || !model) return;
  CTableFilTable targets;
  if (!fill::ReadModelTable(m_pDbData, "BLNTARG", modelFile, targets, true) || targets.GetRowCount() == 0 ||
      targets.GetColumnCount() == 0)
    return;
  for (int c = 0; c < targets.GetColumnCount(); ++c) {
    if (targets.m_aColumnNames[c].size() != 3) continue;
    CDbBlend* blend = FindByName(model->m_paBlends, targets.m_aColumnNames[c]);
    if (!blend) continue;
    for (int r = 0; r < targets.GetRowCount(); ++r) {
      float cell;
      if (!fill::GetCell(targets, r, c, cell)) continue;
      const CDbStream* stream = FindByName(model->m_paStreams, targets.m_aRowNames[r]);
      if (!stream) continue;
      auto target = std::make_unique<CDbBlendTarget>(stream->m_nID);
      target->m_fTargetValue = cell;
      blend->m_paTargets.Add(std::move(target));
    }
  }
}
