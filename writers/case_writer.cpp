// The case-level writers: "PrCase" and the walk below the case (markets,
// modes, nodes with their depots and models, periods, recursion-log models,
// case sets), "PrNode" and "PrDepot". A writer that drives others ignores
// their results, so a failed table below the case does not end the case.

#include <cstdio>
#include <string>

#include "caseset/config/assembled_case.h"
#include "caseset/config/name_model.h"
#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "writers/result_row.h"

namespace {

// "MODIFIES" of a case: the first case it modifies, else the assembled case's own text.
std::string ModifiesText(const CVornDbExportData& data, std::int32_t caseId) {
  if (caseId == 0 || !data.m_paAssembledCases || !data.m_pModel) return {};
  const CAssembledCase probe(caseId, data.m_pModel->m_strModelName);
  const CAssembledCase* assembled = data.m_paAssembledCases->Find(&probe);
  if (assembled == nullptr) return {};
  if (assembled->m_aModifies.empty()) return assembled->GetModifiesText();
  char text[16];
  std::snprintf(text, sizeof text, "%d", assembled->m_aModifies.front());
  return text;
}

bool WriteCaseRow(CDbCase& dbCase, CVornDbExportData& data, std::int32_t solutionId) {
  // The fill always makes the final solution state and its totals; without them those columns stay unset.
  const CDbSolutionState* state = dbCase.m_paSolutionStates.IsEmpty() ? nullptr : dbCase.m_paSolutionStates[0];
  const CDbOutofTol* totals =
      state != nullptr && !state->m_paOutofTols.IsEmpty() ? state->m_paOutofTols[0] : nullptr;
  ResultRow row(data, "PrCase");
  row.Add().Long("SolutionID", solutionId).Long("CaseID", dbCase.m_nID).Text("Description", dbCase.m_strDescription, 72);
  if (state != nullptr)
    row.Double("ObjectiveFunction", state->m_dObjectiveFunction)
        .Short("SolutionStatus", state->m_nSolutionStatus)
        .Short("Passes", state->m_nPasses);
  if (totals != nullptr)
    row.Long("PropOutofTolerance", totals->m_nPropOutofTolerance)
        .Long("DistrOutofTolerance", totals->m_nDistrOutofTolerance);
  row.Long("SolveTime", dbCase.m_nSolveTime)
      .Long("TotalTime", dbCase.m_nTotalTime)
      .Text("Optimizer", dbCase.m_strOptimizer)
      .Text("OptimizerVersion", dbCase.m_strOptimizerVersion);
  for (int i = 0; i < CDbCase::kNoteCount; ++i) {
    const std::string& note = dbCase.m_strNotes[static_cast<std::size_t>(i)];
    if (note.empty()) continue;
    char field[8];
    std::snprintf(field, sizeof field, "NOTE%02d", i + 1);
    row.Text(field, note);
  }
  const std::string modifies = ModifiesText(data, dbCase.m_nID);
  if (!modifies.empty()) row.Text("MODIFIES", modifies);
  return row.Short("LimitedByMinMax", dbCase.m_bLimitedByMinMax).Update();
}

// The out-of-tolerance rows of a state, from its second record on.
void WriteRecursionLogModels(CDbSolutionState& state, std::int32_t solutionId, std::int32_t caseId) {
  if (state.m_paOutofTols.GetSize() <= 1) return;
  for (int i = 1; i < state.m_paOutofTols.GetSize(); ++i)
    if (CDbOutofTol* record = state.m_paOutofTols[i]) record->WritePrRecursionLogModel(solutionId, caseId);
}

}  // namespace

bool CDbCase::WritePrCase(std::int32_t solutionId, bool firstCase) {
  if (m_pDbData == nullptr || !m_pDbData->m_pModel) return false;
  CVornDbExportData& data = *m_pDbData;
  const CModelSettings& settings = data.m_pModel->m_settings;
  if (!WriteCaseRow(*this, data, solutionId)) return false;

  LogWriterStep(data, "Write market data to database\n");
  for (CDbMarket* market : m_paMarkets)
    if (market != nullptr) market->WritePrMarket(solutionId, m_nID);
  LogWriterStep(data, "Write mode data to database\n");
  for (CDbMode* mode : m_paModes)
    if (mode != nullptr) mode->WritePrMode(solutionId, m_nID);
  LogWriterStep(data, "Write node data to database\n");
  for (CDbNode* node : m_paNodes)
    if (node != nullptr) node->WritePrNode(solutionId, m_nID, firstCase);
  LogWriterStep(data, "Write period data to database\n");
  for (CDbPeriod* period : m_paPeriods)
    if (period != nullptr) period->WritePrPeriod(solutionId, m_nID);

  LogWriterStep(data, "Write recurion log data to database\n");
  // The final state (index 0) is a recursion pass of its own only under Nimbo, and is written last.
  const bool nimbo = settings.m_UseNimboOn.GetValue() != 0;
  for (int i = 1; i < m_paSolutionStates.GetSize(); ++i)
    if (CDbSolutionState* state = m_paSolutionStates[i]) state->WritePrRecursionLog(solutionId, m_nID);
  if (nimbo && !m_paSolutionStates.IsEmpty() && m_paSolutionStates[0] != nullptr)
    m_paSolutionStates[0]->WritePrRecursionLog(solutionId, m_nID);
  for (int i = 1; i < m_paSolutionStates.GetSize(); ++i)
    if (CDbSolutionState* state = m_paSolutionStates[i]) WriteRecursionLogModels(*state, solutionId, m_nID);
  if (nimbo && !m_paSolutionStates.IsEmpty() && m_paSolutionStates[0] != nullptr)
    WriteRecursionLogModels(*m_paSolutionStates[0], solutionId, m_nID);

  LogWriterStep(data, "Write case set data to database\n");
  for (CDbCaseSet* caseSet : m_paCaseSets)
    if (caseSet != nullptr) caseSet->WritePrCaseSet(solutionId);

  // The settings belong to the node of the main model, the one with an empty name.
  const CDbNode probe{std::string()};
  const CDbNode* mainNode = m_paNodes.Find(&probe);
  if (mainNode == nullptr) return false;
  LogWriterStep(data, "Write setting data to database\n");
  if (!WritePrSetting(data.m_pModel.get(), solutionId, mainNode->m_nID)) return false;
  if (nimbo && settings.m_Zelun_GO_ProveGlobalOptimalityOn.GetValue() != 0 && settings.m_Zelun_MS_On.GetValue() != 0 &&
      !WritePrMSSolutions(data.m_pModel.get(), solutionId, mainNode->m_nID))
    return false;
  if (data.m_paLocalModelFiles) {
    LogWriterStep(data, "Write local model data to database\n");
    const bool extendedTags = settings.m_UseExtendedTagsOn.GetValue() != 0 && data.m_pTagProcessor;
    for (int i = 0; i < data.m_paLocalModelFiles->GetSize(); ++i) {
      // Each local model's name comes from the named model at its index.
      if (i >= data.m_paNameModels.GetSize() || data.m_paNameModels[i] == nullptr) continue;
      std::string name = data.m_paNameModels[i]->m_strName;
      if (extendedTags) name = data.m_pTagProcessor->GetShortPlantTag(name);
      const CDbNode localProbe(name);
      const CDbNode* node = m_paNodes.Find(&localProbe);
      if (node != nullptr && !WritePrSetting(data.m_paLocalModelFiles->GetAt(i), solutionId, node->m_nID))
        return false;
    }
    LogWriterStep(data, "Done writing local model data to database\n");
  }
  return true;
}

bool CDbMarket::WritePrMarket(std::int32_t solutionId, std::int32_t caseId) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, "PrMarket")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("MarketID", m_nID)
      .Text("Tag", m_strTag)
      .Text("Description", m_strDescription, 20)
      .Short("DummyFlag", m_bDummyFlag)
      .Update();
}

bool CDbMode::WritePrMode(std::int32_t solutionId, std::int32_t caseId) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, "PrMode")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("ModeID", m_nID)
      .Text("Tag", m_strTag)
      .Text("Description", m_strDescription, 20)
      .Short("DummyFlag", m_bDummyFlag)
      .Update();
}

bool CDbNode::WritePrNode(std::int32_t solutionId, std::int32_t caseId, bool firstCase) {
  if (m_pDbData == nullptr) return false;
  if (firstCase && !ResultRow(*m_pDbData, "PrNode")
                        .Add()
                        .Long("SolutionID", solutionId)
                        .Long("NodeID", m_nID)
                        .Short("VWBasisID", m_nVWBasisID)
                        .Short("DummyFlag", m_bDummyFlag)
                        .Update())
    return false;
  LogWriterStep(*m_pDbData, "Write depot data to database\n");
  for (CDbDepot* depot : m_paDepots)
    if (depot != nullptr) depot->WritePrDepot(solutionId, caseId, firstCase);
  LogWriterStep(*m_pDbData, "Write model data to database\n");
  for (CDbModel* model : m_paModels)
    if (model != nullptr) model->WritePrModel(solutionId, caseId, firstCase);
  return true;
}

bool CDbDepot::WritePrDepot(std::int32_t solutionId, std::int32_t caseId, bool firstCase) {
  if (m_pDbData == nullptr) return false;
  if (firstCase && !ResultRow(*m_pDbData, "PrDepot")
                        .Add()
                        .Long("SolutionID", solutionId)
                        .Long("DepotID", m_nID)
                        .Text("Tag", m_strTag)
                        .Text("Description", m_strDescription, 20)
                        .Update())
    return false;
  // A depot's streams carry the depot's identifier as their node.
  for (CDbStream* stream : m_paStreams)
    if (stream != nullptr) stream->WritePrStream(solutionId, caseId, m_nID);
  return true;
}

bool CDbCaseSet::WritePrCaseSet(std::int32_t solutionId) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, "PrCaseSet")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", m_nID)
      .Text("Description", m_strDescription, 72)
      .Memo("SelFormula", m_strSelFormula)
      .Memo("SelModifiedFormula", m_strSelModifiedFormula)
      .Short("SetParentCase", m_nSetParentCase)
      .Short("Truncated", m_nTruncated)
      .Update();
}

bool CDbOutofTol::WritePrRecursionLogModel(std::int32_t solutionId, std::int32_t caseId) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, "PrRecursionLogModel")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("ModelID", m_nNodeID)
      .Long("SequenceID", m_nID)
      .Long("PropOutofTolerance", m_nPropOutofTolerance)
      .Long("DistrOutofTolerance", m_nDistrOutofTolerance)
      .Update();
}
