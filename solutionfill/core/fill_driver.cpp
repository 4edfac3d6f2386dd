// CDbSolution::FillSolution: the result objects of one model of a solved
// case, made in a fixed order of logged steps, and the small helpers the
// driver owns (status texts, units of measure, solution states).

#include <algorithm>
#include <string>

#include "caseset/modeltables/model_database.h"
#include "caseset/modeltables/model_table_reader.h"
#include "caseset/plantdata/plant_data_readers.h"
#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "foundation/input_failure.h"
#include "foundation/messages.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_services.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/core/solver_side_files.h"
#include "solutionfill/core/stream_builders.h"
#include "solutionfill/core/table_map_dimensions.h"
#include "solutionfill/economics/group_fill.h"
#include "standins/tresk.h"

namespace {

constexpr std::size_t kModelTextWidth = 254;

class CFillLog {
 public:
  explicit CFillLog(const CVornDbExportData* exportData)
      : m_pLogging(exportData ? exportData->GetLogging() : nullptr) {}
  void Step(const char* text) const {
    if (m_pLogging) m_pLogging->Write(text);
  }
  // A step that does not run on this call says so, with the reason, in place of its step line.
  void Skipped(const char* step, const char* why) const {
    if (m_pLogging) m_pLogging->Write(std::string("...") + step + " skipped: " + why + "\n");
  }

 private:
  ILogging* m_pLogging;
};

std::string Cut(const std::string& text, std::size_t width) { return text.substr(0, std::min(text.size(), width)); }

// The report tag of a submodel: the extended tag of its last three
// characters, tried as given and in upper case, else those characters.
std::string SubmodelReportTag(const CExtendedTagProcessor* tags, const std::string& name) {
  if (!tags) return name;
  const std::string last = name.size() > 3 ? name.substr(name.size() - 3) : name;
  const std::string extended = tags->GetExtendedSubmodelTag(last);
  if (extended != last) return extended;
  std::string upper = last;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  const std::string extendedUpper = tags->GetExtendedSubmodelTag(upper);
  return extendedUpper == upper ? last : extendedUpper;
}

// Sets every stream's report order to its index in the model's stream list.
void RenumberItems(CDbModel& model) {
  for (int i = 0; i < model.m_paStreams.GetSize(); ++i)
    if (CDbStream* stream = model.m_paStreams[i]) stream->m_nReportOrder = i;
}

void MakeStreams(CDbModel& model, CDbCase& dbCase, const CTableMapDimensions& dims, const CVornModelFile& modelFile,
                 const CVornModelFile& main, bool isGlobal, bool multiPeriod, CVornDbExportData* owner) {
  const bool universalIds = main.m_settings.m_UniversalIdsOn.GetValue() != 0;
  const bool extendedTags = main.m_settings.m_UseExtendedTagsOn.GetValue() != 0;
  const CExtendedTagProcessor* tags = owner ? owner->m_pTagProcessor.get() : nullptr;
  CDbPeriod* firstPeriod = fill::FirstRealPeriod(dbCase);
  model.m_paStreams.SetSize(dims.m_nStreamCount + 1);

  auto* dummy = new CDbStream(0, owner);
  dummy->m_strName = "...";
  dummy->m_strReportTag = "...";
  dummy->m_strDescription = "Dummy Stream";
  dummy->m_strDomainTag = "...";
  dummy->m_bDummyFlag = 1;
  dummy->m_nReportOrder = 0;
  dummy->m_fLiquidConversion = 0.0f;
  dummy->m_nStreamFlags = 0;
  model.m_paStreams[0] = dummy;

  for (std::int32_t k = 1; k <= dims.m_nStreamCount; ++k) {
    const auto slot = static_cast<std::size_t>(k - 1);
    const std::string& name = dims.m_astrStreamNames[slot];
    CDbStream* stream = universalIds ? new CDbStream(name, 0, owner) : new CDbStream(k, owner);
    stream->m_strName = name;
    model.m_paStreams[k] = stream;
    stream->m_bDummyFlag = 0;
    stream->m_strDomainTag = name;
    stream->m_nReportOrder = k;
    stream->m_fLiquidConversion = 0.0f;
    stream->m_nStreamFlags = dims.m_anStreamPropertyBits[slot];
    stream->m_nVWBasis = dims.m_anStreamBalanceBasis[slot];
    stream->m_nUOMTypeID0 = 0;
    stream->m_nUOMTypeID1 = 1;

    auto* vtw = new CDbVTW(stream->m_nID, model.m_nID, owner);
    double value = dims.m_afStreamVtw[slot];
    if (IsInfiniteValue(value) != 0) value = modelFile.m_settings.m_VTW.GetValue();
    if (value == 0.0) value = 1.0;
    vtw->m_dValue = value;
    if (multiPeriod) {
      model.m_paVTWs.Add(vtw);
    } else if (firstPeriod) {
      firstPeriod->m_paVTWs.Add(vtw);
    } else {
      delete vtw;
    }
    stream->m_strReportTag = extendedTags && tags ? tags->GetExtendedThreeCharTag(name) : name;
    if (isGlobal) stream->m_nGlobalReportOrder = k;
  }
}

void MakeUtilities(CDbModel& model, const CTableMapDimensions& dims, bool extendedTags,
                   const CExtendedTagProcessor* tags, CVornDbExportData* owner) {
  model.m_paUtilities.SetSize(dims.m_nUtilityCount);
  for (std::int32_t i = 0; i < dims.m_nUtilityCount; ++i) {
    const std::string& name = dims.m_astrUtilityNames[static_cast<std::size_t>(i)];
    auto* utility = new CDbDefinition(i + 1, owner);
    utility->m_strName = name;
    utility->m_nReportOrder = i + 1;
    utility->m_strReportTag = extendedTags && tags ? tags->GetExtendedThreeCharTag(name) : name;
    model.m_paUtilities[i] = utility;
  }
  model.m_paUtilities.Sort(&CDbObject::CompareDbObjectName);
}

void MakeUnits(CDbModel& model, const CTableMapDimensions& dims, bool extendedTags, const CExtendedTagProcessor* tags,
               CVornDbExportData* owner) {
  model.m_paUnits.SetSize(dims.m_nSubmodelCount);
  for (std::int32_t i = 0; i < dims.m_nSubmodelCount; ++i) {
    const std::string& name = dims.m_astrSubmodelNames[static_cast<std::size_t>(i)];
    auto* unit = new CDbDefinition(i + 1, owner);
    unit->m_strName = name;
    unit->m_strReportTag = extendedTags ? SubmodelReportTag(tags, name) : name;
    model.m_paUnits[i] = unit;
  }
  model.m_paUnits.Sort(&CDbObject::CompareDbObjectName);
}

// Each alternate stream's base takes the alternate's VTW in every real period.
void CopyAlternateStreamVtws(CDbModel& model, CDbCase& dbCase) {
  for (const CDbAlternate* alternate : model.m_paAlternateStreams) {
    if (!alternate) continue;
    for (int p = fill::FirstPeriodIndex(dbCase); p < dbCase.m_paPeriods.GetSize(); ++p) {
      CDbPeriod* period = dbCase.m_paPeriods[p];
      const CDbVTW* from = fill::FindVtw(period->m_paVTWs, alternate->m_nAlternateStreamID, model.m_nID);
      CDbVTW* to = fill::FindVtw(period->m_paVTWs, alternate->m_nID, model.m_nID);
      if (from && to) to->m_dValue = from->m_dValue;
    }
  }
}

}  // namespace

void CDbSolution::SendStatusMessage(const std::string& text, std::uintptr_t wParam) const {
  SendStatusText(m_pDbData, wParam, text);
}

bool CDbSolution::FillSolution(CVornModelFile* modelFile, bool isGlobal, bool isLocalModel,
                               const std::string& localModelName, const std::string& nodeName) {
  if (!modelFile || !m_pDbData || m_paCases.IsEmpty() || !m_paCases[0]) return false;
  const CVornModelFile& main = m_pDbData->m_pModel ? *m_pDbData->m_pModel : *modelFile;
  const CModelSettings& mainSettings = main.m_settings;
  const CModelSettings& settings = modelFile->m_settings;
  const CExtendedTagProcessor* tags = m_pDbData->m_pTagProcessor.get();
  const bool extendedTags = mainSettings.m_UseExtendedTagsOn.GetValue() != 0;
  const CFillLog log(m_pDbData);

  const bool multiPeriod = fill::IsMultiPeriodModel(*modelFile);
  log.Step("...CDbSolution::FillSolution start\n");
  SendStatusMessage(nodeName.empty() ? " " : LoadTreskString(kTreskFillStart) + " " + modelFile->m_strModelName,
                    kStatusModelStart);
  CDbCase& dbCase = *m_paCases[0];

  log.Step("...create node object\n");
  const std::int32_t nodeId = dbCase.m_paNodes.GetSize();
  m_nCurrentNodeId = nodeId;
  auto* node = new CDbNode(nodeId, m_pDbData);
  node->m_bDummyFlag = 0;
  node->m_strName = nodeName;
  dbCase.m_paNodes.Add(node);
  dbCase.m_paNodes.Sort(&CDbObject::CompareDbObjectName);

  log.Step("...create model object\n");
  auto* model = new CDbModel(nodeId, m_pDbData);
  node->m_paModels.Add(model);
  const std::int32_t modelType = settings.m_ModelType.GetValue();
  if (modelType >= 0 && modelType <= 3) model->m_nModelTypeID = modelType;

  for (int p = fill::FirstPeriodIndex(dbCase); p < dbCase.m_paPeriods.GetSize(); ++p) {
    CDbPeriod* period = dbCase.m_paPeriods[p];
    period->m_paLinks1.RemoveAll();
    period->m_paLinks2.RemoveAll();
    period->m_paLinks3.RemoveAll();
    period->m_paLinks4.RemoveAll();
  }

  model->m_strName = nodeName;
  model->m_strTag = !nodeName.empty() && extendedTags ? localModelName : nodeName;
  model->m_strModelName = Cut(modelFile->m_strModelName, kModelTextWidth);
  model->m_strHomeDirectory = Cut(m_pDbData->m_strModelDirectory, kModelTextWidth);
  model->m_strTitle1 = settings.m_TITLE1.GetValue();
  model->m_strTitle2 = settings.m_TITLE2.GetValue();
  model->m_strTitle3 = settings.m_TITLE3.GetValue();
  model->m_nInventorySpecBlendsOption = settings.m_XdrSettings.m_XDR_InventorySpecBlendsInRecursedPools.GetValue();

  log.Step("...create uom objects\n");
  const std::string uomNames[] = {settings.m_WGT.GetValue(), settings.m_VOL.GetValue(), settings.m_GVOL.GetValue()};
  for (std::int32_t id = 0; id < 3; ++id) {
    auto* uom = new CDbUOM(uomNames[id]);
    uom->m_nID = id;
    uom->m_dSTDCONV = 1.0;
    uom->m_pDbData = m_pDbData;
    model->m_paUOMs.Add(uom);
  }
  model->m_nUOMState = 2;

  if (mainSettings.m_UseZelunMGOn.GetValue() == 0) {
    log.Step("...read tables.map and fil\n");
    if (!ReadTablesMap(*m_pDbData, modelFile, true, true)) return false;
  } else {
    log.Skipped("read tables.map and fil", "UseZelunMGOn is on; the first table read loads the case's table index");
  }
  const CTableMapDimensions dims = GetTableMapDimensions(*modelFile);

  log.Step("...get misc data\n");
  node->m_nVWBasisID = dims.m_nVWBasis;
  if (!m_bParametricOverrides && mainSettings.m_UseNimboOn.GetValue() != 0 &&
      mainSettings.m_WriteDatabase.GetValue() != 0)
    ReadParametricOverrides();
  CDbPeriod* period = multiPeriod ? nullptr : fill::FirstRealPeriod(dbCase);

  log.Step("...create stream objects\n");
  MakeStreams(*model, dbCase, dims, *modelFile, main, isGlobal, multiPeriod, m_pDbData);

  const CDbPrimalNode key(nodeName);
  CDbPrimalNode* primalNode = m_paPrimalNodes.Find(&key);
  if (!primalNode) return false;

  AddRwUnits(modelFile, node, &dbCase, isGlobal, isLocalModel);
  model->BuildRecursedPools(primalNode, &dbCase);

  log.Step("...create vtw objects\n");
  BuildVTW(modelFile, model, &dbCase, period, dims, isGlobal, isLocalModel);
  AdjustRowMarginals(modelFile, primalNode, &dbCase, period, model);

  if (!isGlobal) {
    log.Step("...create utility objects for nonglobal models\n");
    MakeUtilities(*model, dims, extendedTags, tags, m_pDbData);
    model->BuildAlternateStreams(dims, &dbCase);
    model->BuildMaterialBalance(primalNode, &dbCase, model, m_nVolumeBasis);
    log.Step("...done creating utility objects for nonglobal models\n");
  }

  model->m_bHasPCALCPools = model->BuildPcalcPools(modelFile, true) ? 1 : 0;
  if (model->m_bHasPCALCPools) model->BuildPcalcPoolStreams();

  log.Step("...create group objects\n");
  BuildGroups(modelFile, &dbCase, model, isGlobal);
  if (isGlobal) {
    if (!FillModelsModesMarketsDepots(modelFile, &dbCase, model)) return false;
  } else {
    MakeUnits(*model, dims, extendedTags, tags, m_pDbData);
  }

  m_lstWorkStrings.clear();
  CTableFilTable weightSpecs;
  if (fill::ReadModelTable(m_pDbData, "WSPECS", modelFile, weightSpecs, true))
    m_lstWorkStrings = weightSpecs.m_aRowNames;
  if (m_lstWorkStrings.empty()) m_lstWorkStrings = {"SUL", "BTU"};

  std::int32_t economicNodeId = nodeId;
  dbCase.BuildEconomicSummary(economicNodeId);
  const bool zeroPSSection = settings.m_ZeroPSSectionOn.GetValue() != 0;
  if (isGlobal) {
    log.Step("...create global objects\n");
    AddGlobalEcoSums(&dbCase, model);
    log.Step("...BuildGlobalPurchase\n");
    BuildGlobalPurchase(modelFile, &dbCase, model);
    log.Step("...BuildGlobalSale\n");
    BuildGlobalSale(modelFile, &dbCase, model);
    log.Step("...BuildTransfer\n");
    BuildTransfer(modelFile, &dbCase, model);
    log.Step("...SetStreamQualityValuesForTransfers\n");
    SetStreamQualityValuesForTransfers(&dbCase);
    log.Step("...ReProcessPRowsForTransfers\n");
    ReProcessPRowsForTransfers(&dbCase);
    log.Step("...SetStreamDescriptionsForDepots\n");
    SetStreamDescriptionsForDepots(&dbCase, model);
    log.Step("...AddReportGroupsLocalCosts\n");
    dbCase.AddReportGroupsLocalCosts(model);
    if (zeroPSSection && m_pDbData->m_plstLocalModelNames) {
      for (const std::string& name : *m_pDbData->m_plstLocalModelNames) {
        CDbNode* localNode = fill::FindCaseNode(dbCase, name);
        CDbModel* localModel = localNode ? fill::FindNodeModel(*localNode, name) : nullptr;
        if (localModel) localModel->BuildAlternateCrudes(primalNode, &dbCase);
      }
    }
    log.Step("...BuildGlobalGroupQualities\n");
    BuildGlobalGroupQualities(modelFile, &dbCase, model);
    if (mainSettings.m_UseNimboOn.GetValue() != 0) {
      log.Step("...BuildBlendQualities\n");
      BuildBlendQualities(modelFile, &dbCase, model, nullptr);
    } else {
      log.Skipped("BuildBlendQualities", "UseNimboOn is off; the plants' runs built their blend qualities");
    }
    log.Step("...done creating global objects\n");
  } else {
    log.Step("...create local objects\n");
    ProcessLocalTables(modelFile, model, &dbCase);
    if (mainSettings.m_UseNimboOn.GetValue() != 0) {
      const std::int32_t mainType = mainSettings.m_ModelType.GetValue();
      if (!((mainType == 1 || mainType == 3) && model->m_nInventorySpecBlendsOption >= 2))
        model->SetBlendVtw(primalNode, &dbCase);
      CopyAlternateStreamVtws(*model, dbCase);
    }
    log.Step("...BuildLocalPurchase\n");
    BuildLocalPurchase(modelFile, &dbCase, model);
    log.Step("...BuildLocalSale\n");
    BuildLocalSale(modelFile, &dbCase, model);
    if (m_bSingleModel && zeroPSSection) model->BuildAlternateCrudes(primalNode, &dbCase);
    log.Step("...BuildUtilities\n");
    BuildUtilities(modelFile, &dbCase, model);
    log.Step("...BuildRecipes\n");
    BuildRecipes(modelFile, &dbCase, model);
    log.Step("...BuildBlendTargets\n");
    BuildBlendTargets(modelFile, &dbCase, model);
    log.Step("...Build qualities\n");
    ReadRecursionFil(modelFile, &dbCase);
    const CRecursionRecord& recursion = GetRecursionRecord(*modelFile);
    log.Step("...BuildStreamQualities\n");
    BuildStreamQualities(modelFile, &dbCase, model, recursion, isLocalModel);
    log.Step("...BuildBlendQualities\n");
    BuildBlendQualities(modelFile, &dbCase, model, &recursion);
    log.Step("...BuildGroupQualities\n");
    BuildGroupQualities(modelFile, &dbCase, model, &recursion);
    log.Step("...Build special submodels\n");
    m_specialSubs.BuildSpecialSubmodels(modelFile, &dbCase, model, m_tableFil, m_pDbData);
    log.Step("...BuildUnitOps\n");
    BuildUnitOps(modelFile, &dbCase, model, recursion);
    log.Step("...BuildGroupUnitOps\n");
    BuildGroupUnitOps(modelFile, &dbCase, model);
    dbCase.BuildSolutionState(&model->m_nID, recursion);
    if (!multiPeriod) FillInventoryLinks(modelFile, &dbCase, model);
    log.Step("...BuildCrdBlends\n");
    model->BuildCrdBlends(modelFile);
    log.Step("...done creating local objects\n");
  }

  if (multiPeriod) {
    log.Step("...create periodic objects\n");
    if (isGlobal) {
      BuildDepotInventories(modelFile, &dbCase, model);
    } else {
      BuildInventories(modelFile, &dbCase, model);
    }
    for (CDbPeriod* each : dbCase.m_paPeriods)
      if (each) each->m_paInventories.Sort(&CDbDataObject::CompareNodeAndId);
    BuildGroupInventories(modelFile, &dbCase, model);
    if (!isGlobal) FillInventoryLinks(modelFile, &dbCase, model);
    log.Step("...done creating periodic objects\n");
  }

  if (!isGlobal) {
    log.Skipped("ProcessGlobalPROCLIM", "not the main run of a global model");
  } else if (settings.m_UseZelunMGOn.GetValue() != 0) {
    log.Skipped("ProcessGlobalPROCLIM", "UseZelunMGOn is on");
  } else {
    log.Step("...ProcessGlobalPROCLIM\n");
    ProcessGlobalPROCLIM(modelFile, model, &dbCase);
  }
  log.Step("...SetProcLimMinMax\n");
  SetProcLimMinMax(modelFile, &dbCase, model, isGlobal, isLocalModel, multiPeriod);
  log.Step("...BuildCapacityLimits\n");
  BuildCapacityLimits(&dbCase, model, modelFile);
  SendStatusMessage(LoadTreskString(kTreskCapacityLimitsDone));
  log.Step("...BuildFixedCosts\n");
  model->BuildFixedCosts(modelFile, dbCase.m_nID);
  log.Step("...BuildBound\n");
  BuildBound(modelFile, &dbCase, model, isGlobal);
  log.Step("...BuildPenalty\n");
  BuildPenalty(modelFile, &dbCase, model, isGlobal, isLocalModel, multiPeriod);
  log.Step("...BuildEcoSum\n");
  BuildEcoSum(modelFile, &dbCase, model, isGlobal, isLocalModel);
  if (AddKpiValues(modelFile, model, &dbCase, isGlobal, isLocalModel)) model->BuildKpiValues(primalNode, &dbCase);

  node->BuildUnitsOfMeasure(modelFile, dbCase.m_nID, model);
  node->BuildTagQualities(modelFile, dbCase.m_nID, model);
  node->BuildGasStreams(modelFile, &dbCase, model);

  const bool modelDatabase = modelFile->m_dbConnectInfo.m_nType != 0 && settings.m_UseZelunMGOn.GetValue() != 0;
  if (modelDatabase) {
    std::string error;
    if (!OpenModelDatabase(*modelFile, error) && !error.empty()) ShowErrorMessage(error, false);
  }
  if (!m_bSkipRawReceipts) {
    // Receipts or shipments that cannot be read whole fail the case rather than go missing from it.
    std::string error;
    if (!ReadRawReceipts(*modelFile, model->m_paRawReceives, error))
      NoteInputFailure(error.empty() ? "the crude receipts of " + modelFile->m_strModelName + " cannot be read" : error);
    if (!ReadRawShipments(*modelFile, model->m_paRawShips, error))
      NoteInputFailure(error.empty() ? "the shipments of " + modelFile->m_strModelName + " cannot be read" : error);
  }
  if (modelDatabase && !CloseModelDatabase(*modelFile)) return false;

  if (PFNREPORTWRITERGROUPSFILL fill = GetReportWriterGroupsFill(); fill != nullptr && m_pDbData != nullptr)
    fill(*m_pDbData, modelFile, &dbCase, model);  // its result is not used
  log.Step("...reset report order for streams, blends, etc\n");
  if (mainSettings.m_SortStreamsAlphabeticallyOn.GetValue() != 0) RenumberItems(*model);
  OrderBlendQualitiesBySpecs(modelFile, &dbCase, model);
  OrderStreamsByBlnxxx(modelFile, model);
  model->CopyAlternateVtw(&dbCase);

  SendStatusMessage(LoadTreskString(kTreskFillDone));
  log.Step("...CDbSolution::FillSolution end\n");
  return true;
}

void CDbNode::BuildUnitsOfMeasure(CVornModelFile* modelFile, std::int32_t /*caseId*/, CDbModel* model) {
  if (!model) return;
  CTableFilTable table;
  if (!fill::ReadModelTable(m_pDbData, "UNITS", modelFile, table, false) || table.GetRowCount() == 0) return;
  const int stdconv = table.FindColumn("STDCONV");
  for (int row = 0; row < table.GetRowCount(); ++row) {
    const std::string text =
        static_cast<std::size_t>(row) < table.m_aRowTexts.size() ? table.m_aRowTexts[static_cast<std::size_t>(row)] : "";
    if (text.empty()) continue;
    CDbStream* stream = nullptr;
    for (CDbStream* each : model->m_paStreams)
      if (each && each->m_strName == table.m_aRowNames[static_cast<std::size_t>(row)]) stream = each;
    if (!stream) continue;
    CDbUOM* type = nullptr;
    for (CDbUOM* each : model->m_paUOMs)
      if (each && each->m_strName == text) type = each;
    if (!type) {
      type = new CDbUOM(text);
      type->m_nID = model->m_paUOMs.GetSize();
      type->m_dSTDCONV = 1.0;
      type->m_pDbData = m_pDbData;
      model->m_paUOMs.Add(type);
    }
    float value;
    if (stdconv >= 0 && fill::GetCell(table, row, stdconv, value)) type->m_dSTDCONV = value;
    stream->m_nUOMTypeID1 = stream->m_nVWBasis > 0 ? type->m_nID : stream->m_nUOMTypeID0;
  }
}

void CDbCase::BuildSolutionState(const std::int32_t* modelId, const CRecursionRecord& recursion) {
  const std::int32_t passes = recursion.PassCount();
  auto countAt = [](const std::vector<std::int32_t>& list, std::int32_t k) {
    return k >= 0 && static_cast<std::size_t>(k) < list.size() ? list[static_cast<std::size_t>(k)] : 0;
  };
  for (std::int32_t k = 1; k <= passes; ++k) {
    const std::int32_t prop = countAt(recursion.m_anPassPropOutofTolerance, k - 1);
    const std::int32_t distr = countAt(recursion.m_anPassDistrOutofTolerance, k - 1);
    m_paSolutionStates.m_pfnCompare = &CDbObject::CompareDbObjectId;
    const CDbSolutionState key(k);
    CDbSolutionState* state = m_paSolutionStates.Find(&key);
    if (!state) {
      state = new CDbSolutionState(k, m_pDbData);
      state->m_dObjectiveFunction = kDbNotSet;
      m_paSolutionStates.Add(state);
      m_paSolutionStates.Sort(&CDbObject::CompareDbObjectId);
      state->m_paOutofTols.Add(new CDbOutofTol(k, 0, m_pDbData));
    }
    if (state->m_paOutofTols.IsEmpty()) state->m_paOutofTols.Add(new CDbOutofTol(k, 0, m_pDbData));
    state->m_paOutofTols[0]->m_nPropOutofTolerance += prop;
    state->m_paOutofTols[0]->m_nDistrOutofTolerance += distr;
    state->m_nPasses = countAt(recursion.m_anPassLPIterations, k - 1);
    state->m_dObjectiveFunction = recursion.PassObjective(k - 1);
    state->m_nRecursionTypeID = 1;
    const auto status = static_cast<std::size_t>(k - 1);
    const bool optimal = status < recursion.m_astrPassStatusCodes.size() &&
                         recursion.m_astrPassStatusCodes[status].compare(0, 1, "O") == 0;
    state->m_nSolutionStatus = optimal ? 1 : 5;
    auto* entry = new CDbOutofTol(k, modelId ? *modelId : 0, m_pDbData);
    entry->m_nPropOutofTolerance = prop;
    entry->m_nDistrOutofTolerance = distr;
    state->m_paOutofTols.Add(entry);
  }
  if (m_paSolutionStates.IsEmpty() || !m_paSolutionStates[0] || m_paSolutionStates[0]->m_paOutofTols.IsEmpty()) return;
  CDbOutofTol* total = m_paSolutionStates[0]->m_paOutofTols[0];
  if (passes > 0) {
    total->m_nPropOutofTolerance += countAt(recursion.m_anPassPropOutofTolerance, passes - 1);
    total->m_nDistrOutofTolerance += countAt(recursion.m_anPassDistrOutofTolerance, passes - 1);
  } else {
    total->m_nPropOutofTolerance = 0;
    total->m_nDistrOutofTolerance = 0;
  }
}
