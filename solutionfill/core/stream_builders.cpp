#include "solutionfill/core/stream_builders.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "caseset/modeltables/vorn_io_table.h"
#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/core/solver_side_files.h"
#include "solutionfill/core/table_map_dimensions.h"
#include "tableio/worksheet/wks_file.h"

namespace fill {

namespace {

using CDbVTWArray = CAutoDestructArray<CPtrArray, CDbVTW*>;

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// A stored VTW of exactly 0 would zero every conversion through it.
double StoredVtw(double value) { return value == 0.0 ? 1.0 : value; }

void SortStreams(CDbModel& model) { model.m_paStreams.Sort(&CDbObject::CompareDbObjectName); }
void SortVtws(CDbVTWArray& vtws) { vtws.Sort(&CDbDataObject::CompareNodeAndId); }

CDbVTW* AppendVtw(CDbVTWArray& vtws, std::int32_t streamId, std::int32_t modelId, double value,
                  CVornDbExportData* owner) {
  auto vtw = std::make_unique<CDbVTW>(streamId, modelId, owner);
  vtw->m_dValue = StoredVtw(value);
  CDbVTW* made = vtw.get();
  vtws.Add(std::move(vtw));
  return made;
}

CDbPeriod* FindCasePeriod(const CDbCase& dbCase, const std::string& name) {
  for (CDbPeriod* period : dbCase.m_paPeriods)
    if (period && period->m_strName == name) return period;
  return nullptr;
}

CDbPrimalPeriod* FindPrimalPeriod(const CDbPrimalNode& node, const std::string& name) {
  for (CDbPrimalPeriod* period : node.m_paPeriods)
    if (period && period->m_strName == name) return period;
  return nullptr;
}

CDbPrimal* FindRow(const CDbPrimalPeriod& period, const std::string& name) {
  const CDbPrimal probe(name);
  return period.m_paRows.Find(&probe);
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

CDbVTW* FindVtw(const CDbVTWArray& vtws, std::int32_t streamId, std::int32_t modelId) {
  const CDbVTW probe(streamId, modelId);
  return vtws.Find(&probe);
}

double CPvtwTable::Value(std::size_t stream, std::size_t period) const {
  const std::size_t periods = m_astrPeriodCodes.size();
  if (period >= periods) return 1e30;
  const std::size_t index = stream * periods + period;
  return index < m_adValues.size() ? m_adValues[index] : 1e30;
}

int AddRwUnitsFromRows(const std::vector<CReportRow>& rows, CDbCase& dbCase, const std::string& nodeName,
                       bool isGlobal, bool isLocalModel, bool multiPeriod, CVornDbExportData* owner) {
  int count = 0;
  for (const CReportRow& row : rows) {
    if (StartsWith(row.m_strName, "RMASK") || StartsWith(row.m_strName, "CMASK") ||
        StartsWith(row.m_strName, "TRMASK") || StartsWith(row.m_strName, "TCMASK"))
      continue;
    if (row.m_bHasValue) continue;
    ++count;
    const bool periodic = row.m_strName.size() == 7 && multiPeriod;
    ForEachRealPeriod(dbCase, [&](CDbPeriod& period) {
      std::string name = row.m_strName;
      if (isLocalModel)
        name += (periodic ? period.m_strName : std::string()) + nodeName;
      else if (!isGlobal && periodic)
        name += period.m_strName;
      auto unit = std::make_unique<CDbRwUnit>(name);
      unit->m_nReportOrder = count;
      unit->m_strDescription = Left(row.m_strText, 50);
      unit->m_bWildcard = name.find('*') != std::string::npos ? 1 : 0;
      unit->m_pDbData = owner;
      period.m_paRwUnits.Add(std::move(unit));
    });
  }
  return count;
}

void BuildRecursedPoolsOf(CDbModel& model, CDbPrimalNode* primalNode, CDbCase& dbCase, CVornDbExportData* owner) {
  const CDbPeriod* first = FirstRealPeriod(dbCase);
  if (!primalNode || !first) return;
  const CDbPrimalPeriod* period = FindPrimalPeriod(*primalNode, first->m_strName);
  if (!period) return;
  SortStreams(model);
  for (const CDbPrimal* row : period->m_paRows) {
    if (!row || !(StartsWith(row->m_strName, "RBAL") || StartsWith(row->m_strName, "RVBL"))) continue;
    const std::string tag = row->m_strName.substr(4, 3);
    if (tag.empty() || FindModelStream(model, tag)) continue;
    AddDummyStream(model, tag, "Recursed Pool", owner);
  }
}

void BuildVtwObjects(const CVtwInputs& inputs, CDbModel& model, CDbCase& dbCase, CDbPeriod* period, bool isGlobal,
                     CVornDbExportData* owner) {
  const std::int32_t modelId = model.m_nID;
  const CTableMapDimensions* dims = inputs.m_pDimensions;
  const CPvtwTable* pvtw = inputs.m_pPvtw;
  // Table-map stream k, when the model has it: its stream and its VTW.
  auto forEachMapStream = [&](auto fn) {
    if (!dims) return;
    for (std::size_t k = 0; k < dims->m_astrStreamNames.size(); ++k) {
      const CDbStream* stream = FindModelStream(model, TrimRight(dims->m_astrStreamNames[k]));
      if (!stream) continue;
      const double vtw = k < dims->m_afStreamVtw.size() ? dims->m_afStreamVtw[k] : 1e30;
      fn(*stream, vtw);
    }
  };
  auto sortAll = [&] {
    ForEachRealPeriod(dbCase, [&](CDbPeriod& p) { SortVtws(p.m_paVTWs); });
    SortVtws(model.m_paVTWs);
  };

  if (!inputs.m_bMultiPeriod) {
    if (!period) return;
    SortVtws(period->m_paVTWs);
    if (!inputs.m_bUseNimbo || isGlobal) return;
    if (pvtw) {
      for (std::size_t j = 0; j < pvtw->m_astrStreamNames.size(); ++j) {
        const CDbStream* stream = FindModelStream(model, TrimRight(pvtw->m_astrStreamNames[j]));
        if (!stream) continue;
        CDbVTW* vtw = FindVtw(period->m_paVTWs, stream->m_nID, modelId);
        if (!vtw) {
          vtw = AppendVtw(period->m_paVTWs, stream->m_nID, modelId, 1e30, owner);
          SortVtws(period->m_paVTWs);
        }
        vtw->m_dValue = StoredVtw(pvtw->Value(j, 0));
      }
    } else {
      for (const CDbVTW* source : model.m_paVTWs)
        if (source) AppendVtw(period->m_paVTWs, source->m_nID, modelId, source->m_dValue, owner);
      SortVtws(period->m_paVTWs);
    }
    return;
  }

  if (isGlobal) {
    ForEachRealPeriod(dbCase, [&](CDbPeriod& p) {
      forEachMapStream([&](const CDbStream& stream, double vtw) {
        AppendVtw(p.m_paVTWs, stream.m_nID, modelId, vtw, owner);
      });
    });
    sortAll();
    return;
  }

  if (pvtw) {
    for (std::size_t i = 0; i < pvtw->m_astrPeriodCodes.size(); ++i) {
      CDbPeriod* target = FindCasePeriod(dbCase, pvtw->m_astrPeriodCodes[i]);
      if (!target) continue;
      for (std::size_t j = 0; j < pvtw->m_astrStreamNames.size(); ++j)
        if (const CDbStream* stream = FindModelStream(model, TrimRight(pvtw->m_astrStreamNames[j])))
          AppendVtw(target->m_paVTWs, stream->m_nID, modelId, pvtw->Value(j, i), owner);
    }
    if (inputs.m_bUseNimbo) {
      ForEachRealPeriod(dbCase, [&](CDbPeriod& p) { SortVtws(p.m_paVTWs); });
      CDbPeriod* first = FirstRealPeriod(dbCase);
      forEachMapStream([&](const CDbStream& stream, double vtw) {
        if (!first || FindVtw(first->m_paVTWs, stream.m_nID, modelId)) return;
        const double value = IsInfiniteValue(vtw) != 0 ? inputs.m_dModelVtw : vtw;
        ForEachRealPeriod(dbCase, [&](CDbPeriod& p) {
          AppendVtw(p.m_paVTWs, stream.m_nID, modelId, value, owner);
          SortVtws(p.m_paVTWs);
        });
      });
    }
  } else {
    for (const CDbVTW* source : model.m_paVTWs) {
      if (!source) continue;
      ForEachRealPeriod(dbCase, [&](CDbPeriod& p) {
        AppendVtw(p.m_paVTWs, source->m_nID, modelId, source->m_dValue, owner);
      });
    }
  }
  sortAll();
}

void AdjustRowMarginalsOf(const CMarginalInputs& inputs, CDbPrimalNode& primalNode, CDbCase& dbCase,
                          CDbPeriod* period, CDbModel& model) {
  for (CDbPrimalPeriod* primalPeriod : primalNode.m_paPeriods) {
    if (!primalPeriod) continue;
    if (inputs.m_bMainMultiPeriod && primalPeriod->m_strName == ".") continue;
    CDbPeriod* target = inputs.m_bPassedMultiPeriod ? FindCasePeriod(dbCase, primalPeriod->m_strName) : period;
    if (inputs.m_bPassedMultiPeriod && !target) continue;
    for (CDbPrimal* row : primalPeriod->m_paRows) {
      if (!row) continue;
      // A marginal value that is not set stays so: neither its sign nor its basis changes.
      const bool marginalSet = ::IsInfiniteValue(row->m_dMarginalValue) == 0;
      if (inputs.m_bSignReverse && marginalSet) row->m_dMarginalValue *= -1.0;
      row->m_nVWBasisConverted = 0;
      if (!inputs.m_bConvertToVolume || !StartsWith(row->m_strName, "WBAL")) continue;
      const std::string tag = row->m_strName.substr(4, 3);
      // The UNITS rows but the last name the streams kept on their own basis.
      bool isUnitRow = false;
      if (inputs.m_pUnitRows)
        for (std::size_t u = 0; u + 1 < inputs.m_pUnitRows->size(); ++u)
          isUnitRow = isUnitRow || (*inputs.m_pUnitRows)[u] == tag;
      if (isUnitRow) continue;
      double factor = inputs.m_dMainVtw;
      for (const CDbStream* stream : model.m_paStreams) {
        if (!stream || !EqualsIgnoringCase(stream->m_strName, tag)) continue;
        const CDbVTW* vtw = target ? FindVtw(target->m_paVTWs, stream->m_nID, model.m_nID) : nullptr;
        if (!vtw) vtw = model.m_paVTWs.LinearFind(CDbVTW(stream->m_nID, model.m_nID));
        if (vtw) factor = vtw->m_dValue;
        break;
      }
      if (marginalSet) row->m_dMarginalValue *= factor;
      row->m_nVWBasisConverted = 1;
    }
  }
}

void SetBlendVtwOf(CDbModel& model, CDbPrimalNode* primalNode, CDbCase& dbCase, bool mainMultiPeriod) {
  if (!primalNode) return;
  for (const CDbBlend* blend : model.m_paBlends) {
    if (!blend) continue;
    const std::string volumeRow = "BVBL" + blend->m_strName;
    const std::string weightRow = "BWBL" + blend->m_strName;
    for (const CDbPrimalPeriod* primalPeriod : primalNode->m_paPeriods) {
      if (!primalPeriod || (mainMultiPeriod && primalPeriod->m_strName == ".")) continue;
      CDbPeriod* period = FindCasePeriod(dbCase, primalPeriod->m_strName);
      if (!period) continue;
      const CDbPrimal* volume = FindRow(*primalPeriod, volumeRow);
      const CDbPrimal* weight = FindRow(*primalPeriod, weightRow);
      if (!volume || !weight || volume->m_dActivity == 0.0 || weight->m_dActivity == 0.0) continue;
      if (CDbVTW* vtw = FindVtw(period->m_paVTWs, blend->m_nID, model.m_nID))
        vtw->m_dValue = volume->m_dActivity / weight->m_dActivity;
    }
  }
}

void CopyAlternateVtwOf(CDbModel& model, CDbCase& dbCase) {
  for (const CDbAlternate* alternate : model.m_paAlternateStreams) {
    if (!alternate) continue;
    ForEachRealPeriod(dbCase, [&](CDbPeriod& period) {
      const CDbVTW* from = FindVtw(period.m_paVTWs, alternate->m_nAlternateStreamID, model.m_nID);
      CDbVTW* to = FindVtw(period.m_paVTWs, alternate->m_nID, model.m_nID);
      if (from && to) to->m_dValue = from->m_dValue;
    });
  }
}

void BuildGasStreamsOf(const std::vector<std::string>& gasRows, CDbCase& dbCase, CDbModel& model, bool useNimbo,
                       double gasFactor) {
  model.m_paGasStreams.m_bOwnsElements = 0;
  std::int32_t spg = 0;
  for (const CDbQuality* quality : model.m_paQualities)
    if (quality && quality->m_strName == "SPG") {
      spg = quality->m_nID;
      break;
    }
  for (const std::string& row : gasRows) {
    CDbStream* stream = FindModelStream(model, row);
    if (!stream) continue;
    if (useNimbo) {
      ForEachRealPeriod(dbCase, [&](CDbPeriod& period) {
        for (const CDbStreamQuality* quality : period.m_paStreamQualities) {
          if (!quality || quality->m_nID != stream->m_nID || quality->m_nNodeID != model.m_nID ||
              quality->m_nQualityID != spg)
            continue;
          if (quality->m_nOriginID != 1)
            if (CDbVTW* vtw = FindVtw(period.m_paVTWs, stream->m_nID, model.m_nID)) vtw->m_dValue *= gasFactor;
          break;
        }
      });
    }
    model.m_paGasStreams.Add(stream);
  }
}

}  // namespace fill

// ---- The builders as members of the result objects.

namespace {

std::vector<fill::CReportRow> ReportRowsFromFilTable(const CTableFilTable& table) {
  std::vector<fill::CReportRow> rows;
  for (int i = 0; i < table.GetRowCount(); ++i) {
    fill::CReportRow row;
    row.m_strName = table.m_aRowNames[i];
    row.m_strText = i < static_cast<int>(table.m_aRowTexts.size()) ? table.m_aRowTexts[i] : std::string();
    float value;
    for (int c = 0; c < table.GetColumnCount() && !row.m_bHasValue; ++c)
      row.m_bHasValue = fill::GetCell(table, i, c, value);
    rows.push_back(std::move(row));
  }
  return rows;
}

bool ReportRowsFromWorksheet(const CVornModelFile& model, std::vector<fill::CReportRow>& rows) {
  CloseCachedWorkbook(true);
  const CVornIoTable table("REPORT", model, 0);
  if (table.GetStatus() != kIoTableOk && table.GetStatus() != kIoTableOkWithWarnings) return false;
  for (int i = 0; i < table.GetRowCount(); ++i) {
    fill::CReportRow row;
    if (table.GetKeyColumnCount() > 0) row.m_strName = table.GetKeyText(i, 0);
    row.m_strText = table.GetRowText(i);
    // The sheet's first two columns are the key and the text: the values begin at the third.
    for (int c = 2; c < table.GetColumnCount() && !row.m_bHasValue; ++c)
      row.m_bHasValue = c != table.m_nTextColumn && !table.IsCellNull(i, c);
    rows.push_back(std::move(row));
  }
  return true;
}

}  // namespace

bool CDbSolution::AddRwUnits(CVornModelFile* modelFile, CDbNode* node, CDbCase* dbCase, bool isGlobal,
                             bool isLocalModel) {
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  if (!modelFile || !dbCase || !main) return false;
  std::vector<fill::CReportRow> rows;
  if (main->m_settings.m_UseZelunMGOn.GetValue() != 0) {
    CTableFilTable table;
    if (!fill::ReadModelTable(m_pDbData, "REPORT", m_pDbData->m_pModel.get(), table, false)) return false;
    rows = ReportRowsFromFilTable(table);
  } else if (!ReportRowsFromWorksheet(*modelFile, rows)) {
    return false;
  }
  const std::string nodeName = node ? node->m_strName : std::string();
  return fill::AddRwUnitsFromRows(rows, *dbCase, nodeName, isGlobal, isLocalModel, fill::IsMultiPeriodModel(*modelFile),
                                  m_pDbData) > 0;
}

void CDbSolution::AdjustRowMarginals(CVornModelFile* modelFile, CDbPrimalNode* primalNode, CDbCase* dbCase,
                                     CDbPeriod* period, CDbModel* model) {
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  if (!modelFile || !primalNode || !dbCase || !model || !main) return;
  CTableFilTable units;
  const bool haveUnits = fill::ReadModelTable(m_pDbData, "UNITS", modelFile, units, false);
  fill::CMarginalInputs inputs;
  inputs.m_bMainMultiPeriod = fill::IsMultiPeriodModel(*main);
  inputs.m_bPassedMultiPeriod = fill::IsMultiPeriodModel(*modelFile);
  inputs.m_bSignReverse = main->m_settings.m_SignReverseSectionOn.GetValue() == 1;
  inputs.m_bConvertToVolume =
      main->m_settings.m_VOLBASIS.GetValue() == 0 && main->m_settings.m_VolumeConversionSectionOn.GetValue() != 0;
  inputs.m_dMainVtw = main->m_settings.m_VTW.GetValue();
  inputs.m_pUnitRows = haveUnits ? &units.m_aRowNames : nullptr;
  fill::AdjustRowMarginalsOf(inputs, *primalNode, *dbCase, period, *model);
}

void CDbModel::BuildRecursedPools(CDbPrimalNode* primalNode, CDbCase* dbCase) {
  if (dbCase) fill::BuildRecursedPoolsOf(*this, primalNode, *dbCase, m_pDbData);
}

void CDbModel::SetBlendVtw(CDbPrimalNode* primalNode, CDbCase* dbCase) {
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  if (dbCase) fill::SetBlendVtwOf(*this, primalNode, *dbCase, main && fill::IsMultiPeriodModel(*main));
}

void CDbModel::CopyAlternateVtw(CDbCase* dbCase) {
  if (dbCase) fill::CopyAlternateVtwOf(*this, *dbCase);
}

bool CDbNode::BuildGasStreams(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model) {
  CTableFilTable gases;
  if (!modelFile || !dbCase || !model || !fill::ReadModelTable(m_pDbData, "GASES", modelFile, gases, false))
    return true;
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  const bool useNimbo = main && main->m_settings.m_UseNimboOn.GetValue() != 0;
  const double vtw = main ? main->m_settings.m_VTW.GetValue() : 0.0;
  // A VTW setting of 0 would turn every gas VTW into infinity: leave them as they are.
  const double factor = (main && vtw != 0.0) ? main->m_settings.m_GVTW.GetValue() / vtw : 1.0;
  fill::BuildGasStreamsOf(gases.m_aRowNames, *dbCase, *model, useNimbo, factor);
  return true;
}

void CDbSolution::BuildVTW(CVornModelFile* modelFile, CDbModel* model, CDbCase* dbCase, CDbPeriod* period,
                           const CTableMapDimensions& dimensions, bool isGlobal, bool /*isLocalModel*/) {
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  if (!modelFile || !model || !dbCase || !main) return;
  fill::CVtwInputs inputs;
  inputs.m_pDimensions = &dimensions;
  inputs.m_bMultiPeriod = fill::IsMultiPeriodModel(*modelFile);
  inputs.m_bUseNimbo = main->m_settings.m_UseNimboOn.GetValue() != 0;
  inputs.m_dModelVtw = modelFile->m_settings.m_VTW.GetValue();
  // "PVTW.DAT" is read only where the rules use it: never for a global call.
  const bool readsPvtw = !isGlobal && (inputs.m_bMultiPeriod || inputs.m_bUseNimbo);
  fill::CPvtwTable pvtw;
  if (readsPvtw && ReadPvtwDat(modelFile, dbCase)) {
    const CPvtwRecord& record = GetPvtwRecord(*modelFile);
    pvtw.m_astrStreamNames = record.m_astrStreamNames;
    pvtw.m_astrPeriodCodes = record.m_astrPeriodCodes;
    pvtw.m_astrStreamNames.resize(static_cast<std::size_t>(std::max(record.m_nStreamCount, 0)));
    pvtw.m_astrPeriodCodes.resize(static_cast<std::size_t>(std::max(record.m_nPeriodCodeCount, 0)));
    for (std::size_t s = 0; s < pvtw.m_astrStreamNames.size(); ++s)
      for (std::size_t k = 0; k < pvtw.m_astrPeriodCodes.size(); ++k)
        pvtw.m_adValues.push_back(record.Value(static_cast<std::int32_t>(s), static_cast<std::int32_t>(k)));
    inputs.m_pPvtw = &pvtw;
  }
  fill::BuildVtwObjects(inputs, *model, *dbCase, period, isGlobal, m_pDbData);
}
