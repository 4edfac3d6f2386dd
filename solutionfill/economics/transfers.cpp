// Transfers between the plants and depots of a global case (TRANSFER and
// the "T" columns), and the qualities the transferred streams carry to
// their destination.

#include <algorithm>
#include <cctype>
#include <memory>
#include <vector>

#include "caseset/modeltables/table_fil_table.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/economics/economics_fill.h"
#include "solutionfill/economics/group_fill.h"

namespace {

// One end of a transfer route.
struct CSide {
  CDbNode* m_pNode = nullptr;
  CDbModel* m_pModel = nullptr;
  CDbDepot* m_pDepot = nullptr;
  CDbStream* m_pStream = nullptr;
};

CDbDepot* FindDepot(const CDbNode& node, const std::string& name) {
  for (CDbDepot* depot : node.m_paDepots)
    if (depot && depot->m_strName == name) return depot;
  return nullptr;
}

bool ListsStream(const CDbDepot& depot, const std::string& name) {
  for (const CDbStream* stream : depot.m_paStreams)
    if (stream && stream->m_strName == name) return true;
  return false;
}

// A depot that handles a stream gets a copy of it, when the depot's
// primal values balance that stream. False when the depot has no primal node
// or one without periods: the route is then skipped.
bool GiveDepotStream(const CDbSolution& solution, CDbDepot& depot, const CDbStream& stream,
                     const std::string& balanceRow) {
  if (ListsStream(depot, stream.m_strName)) return true;
  const CDbPrimalNode* primal = econ::FindPrimalNode(solution, depot.m_strName);
  if (!primal || primal->m_paPeriods.IsEmpty()) return false;
  const CDbPrimalPeriod* period = primal->m_paPeriods.GetSize() > 0 ? primal->m_paPeriods[0] : nullptr;
  if (period && period->m_strName.empty())
    period = primal->m_paPeriods.GetSize() > 1 ? primal->m_paPeriods[1] : nullptr;
  if (!period || !econ::FindRow(*period, balanceRow)) return true;
  auto copy = std::make_unique<CDbStream>(stream.m_nID, stream.m_pDbData);
  copy->Copy(stream);
  depot.m_paStreams.Add(std::move(copy));
  depot.m_paStreams.Sort(&CDbObject::CompareDbObjectName);
  return true;
}

CDbStreamQuality* FindStreamQuality(const CDbPeriod& period, std::int32_t streamId, std::int32_t modelId,
                                    std::int32_t qualityId) {
  const CDbStreamQuality probe(streamId, modelId, qualityId);
  if (CDbStreamQuality* found = period.m_paStreamQualities.Find(&probe)) return found;
  return period.m_paStreamQualities.LinearFind(&probe);
}

CDbModel* FindNamedModel(const CDbCase& dbCase, const std::string& name) {
  const CDbNode* node = fill::FindCaseNode(dbCase, name);
  return node ? fill::FindNodeModel(*node, name) : nullptr;
}

CVornModelFile* LocalDefinition(const CVornDbExportData* exportData, const std::string& modelName) {
  if (!exportData || !exportData->m_paLocalModelFiles) return nullptr;
  for (CVornModelFile* local : *exportData->m_paLocalModelFiles)
    if (local && local->m_strModelName == modelName) return local;
  return nullptr;
}

bool IsSpecificGravity(const std::string& tag) {
  return tag.size() == 3 && std::toupper(static_cast<unsigned char>(tag[0])) == 'S' &&
         std::toupper(static_cast<unsigned char>(tag[1])) == 'P' &&
         std::toupper(static_cast<unsigned char>(tag[2])) == 'G';
}

}  // namespace

void CDbSolution::BuildTransfer(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model) {
  if (!dbCase || !model || !modelFile) return;
  CDbMode defaultMode(std::string(), m_pDbData);  // rows without a mode letter
  defaultMode.m_nID = 0;
  const CDbPrimalNode* primalNode = econ::FindPrimalNode(*this, model->m_strName);
  if (!primalNode) return;
  CTableFilTable table;
  if (!fill::ReadModelTable(m_pDbData, "TRANSFER", modelFile, table, false)) return;
  if (const CVornModelFile* main = fill::MainModel(m_pDbData)) model->m_dSourceValue = main->m_settings.m_SOURCE.GetValue();
  const bool undivided = econ::UseZelun(m_pDbData);
  const std::int32_t volumeBasis = modelFile->m_settings.m_VOLBASIS.GetValue();
  const int vol = table.FindColumn("VOL"), wgt = table.FindColumn("WGT");
  const bool oneTextPerRow = !table.m_aRowTexts.empty() && table.m_aRowTexts.size() == table.m_aRowNames.size();

  for (int row = 0; row < table.GetRowCount(); ++row) {
    const std::string& name = table.m_aRowNames[row];
    if (name.find('.') != std::string::npos) continue;
    const std::string tag = econ::Left(name, 3);
    const std::string letters[2] = {econ::CharAt(name, 3), econ::CharAt(name, 4)};
    const std::string modeLetter = econ::CharAt(name, 5);
    CDbStream* stream = fill::FindModelStream(*model, tag);
    if (!stream) continue;
    const std::int32_t basis = econ::RowBasis(table, row, vol, wgt, volumeBasis);
    const std::string balanceRow = (basis ? "VBAL" : "WBAL") + tag;

    CSide sides[2];
    bool usable = true;
    for (int s = 0; s < 2 && usable; ++s) {
      CSide& side = sides[s];
      side.m_pNode = fill::FindCaseNode(*dbCase, letters[s]);
      if (!side.m_pNode) {
        usable = false;
        break;
      }
      if (CDbModel* sideModel = fill::FindNodeModel(*side.m_pNode, letters[s])) {
        side.m_pModel = sideModel;
        sideModel->m_dSourceValue = model->m_dSourceValue;
      } else {
        side.m_pModel = model;
        side.m_pDepot = FindDepot(*side.m_pNode, side.m_pNode->m_strName);
      }
    }
    if (!usable) continue;
    const CDbMode* mode = &defaultMode;
    if (!modeLetter.empty()) {
      const CDbMode probe(modeLetter);
      mode = dbCase->m_paModes.Find(&probe);
      if (!mode) mode = dbCase->m_paModes.LinearFind(&probe);
      if (!mode) continue;
    }
    for (CSide& side : sides) {
      if (side.m_pModel == model || stream->m_bDummyFlag) {
        side.m_pStream = stream;
        if (side.m_pDepot && !GiveDepotStream(*this, *side.m_pDepot, *stream, balanceRow)) {
          usable = false;
          break;
        }
      } else {
        side.m_pStream = econ::FindLookupStream(*stream, side.m_pModel->m_nID);
        if (!side.m_pStream) {
          usable = false;
          break;
        }
      }
    }
    if (!usable) continue;
    if (oneTextPerRow && stream->m_strDescription.empty()) stream->m_strDescription = fill::RowText(table, row);

    const std::string columnName = "T" + tag + letters[0] + letters[1] + modeLetter;
    for (const CDbPrimalPeriod* primalPeriod : primalNode->m_paPeriods) {
      CDbPeriod* period = primalPeriod ? econ::FindCasePeriod(*dbCase, primalPeriod->m_strName) : nullptr;
      const CDbPrimal* column = period ? econ::FindColumn(*primalPeriod, columnName) : nullptr;
      if (!column) continue;
      const double divisor = econ::PeriodDivisor(*dbCase, *period);
      auto transfer = std::make_unique<CDbTransfer>(stream->m_nID, model->m_nID, m_pDbData);
      transfer->m_dActivity = column->m_dActivity;
      transfer->m_dCost = -(undivided ? column->m_dSlack : column->m_dSlack / divisor);
      transfer->m_dMarginalValue = econ::PerDay(column->m_dMarginalValue, divisor);
      transfer->m_dMinValue = column->m_dLoRHS;
      transfer->m_dMaxValue = column->m_dHiRHS;
      transfer->m_nVWBasisID = basis;
      transfer->m_nNodeFrom = sides[0].m_pNode->m_nID;
      transfer->m_nNodeTo = sides[1].m_pNode->m_nID;
      transfer->m_nFromStreamID = sides[0].m_pStream->m_nID;
      transfer->m_nToStreamID = sides[1].m_pStream->m_nID;
      transfer->m_nModeID = mode->m_nID;
      transfer->m_strFromText = sides[0].m_pNode->m_strName;
      transfer->m_strToText = sides[1].m_pNode->m_strName;
      period->m_paTransfers.Add(std::move(transfer));
    }
  }
}

void CDbSolution::SetStreamQualityValuesForTransfers(CDbCase* dbCase) {
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  if (!dbCase || !main || main->m_settings.m_UseZelunMGOn.GetValue() == 0) return;
  const bool overrideStatic = main->m_settings.m_OverrideStaticQualsOn.GetValue() != 0;
  std::vector<CDbModel*> changedModels;
  for (CDbPeriod* period : dbCase->m_paPeriods) {
    if (!period) continue;
    for (const CDbTransfer* transfer : period->m_paTransfers) {
      if (!transfer) continue;
      const CDbModel* source = FindNamedModel(*dbCase, transfer->m_strFromText);
      CDbModel* destination = FindNamedModel(*dbCase, transfer->m_strToText);
      if (!source || !destination) continue;
      for (const CDbQuality* quality : source->m_paQualities) {
        if (!quality) continue;
        const CDbStreamQuality* from = FindStreamQuality(*period, transfer->m_nFromStreamID, source->m_nID, quality->m_nID);
        const CDbQuality probe(quality->m_strName);
        const CDbQuality* target = destination->m_paQualities.Find(&probe);
        if (!target) target = destination->m_paQualities.LinearFind(&probe);
        CDbStreamQuality* to =
            from && target ? FindStreamQuality(*period, transfer->m_nToStreamID, destination->m_nID, target->m_nID)
                           : nullptr;
        if (!to) continue;
        if (from->m_nOriginID == 1 && to->m_nOriginID == 1 && !overrideStatic) continue;
        to->m_dValue = from->m_dValue;
        to->m_dInitialValue = from->m_dInitialValue;
        to->m_nOriginID = 9;
        to->m_strWorkText = source->m_strName;
        to->m_strWorkText2 = quality->m_strName;
        if (!IsSpecificGravity(quality->m_strName)) continue;
        const CDbVTW probeVtw(transfer->m_nToStreamID, destination->m_nID);
        CDbVTW* vtw = period->m_paVTWs.Find(&probeVtw);
        if (!vtw) vtw = period->m_paVTWs.LinearFind(&probeVtw);
        // Without the destination's own definition there is no VTW setting to scale: the VTW stays.
        const CVornModelFile* local = LocalDefinition(m_pDbData, destination->m_strModelName);
        if (!vtw || !local) continue;
        vtw->m_dValue = local->m_settings.m_VTW.GetValue() * to->m_dValue;
        if (std::find(changedModels.begin(), changedModels.end(), destination) == changedModels.end())
          changedModels.push_back(destination);
      }
    }
  }
  // A changed specific gravity changes the weights of the model's recipes.
  for (CDbModel* changed : changedModels)
    if (CVornModelFile* local = LocalDefinition(m_pDbData, changed->m_strModelName))
      BuildRecipes(local, dbCase, changed);
}
