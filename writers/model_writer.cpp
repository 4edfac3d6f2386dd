// The model-level writers: "PrModel" and the tables that hang on a model
// (streams, units of measure, qualities, groups, blends, utilities, units,
// capacities, alternates, fixed costs, report-writer copies, KPIs, messages,
// receipts, hydrogen and gas streams, crude blends), in their fixed order.

#include <string>

#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_model.h"
#include "writers/result_row.h"

namespace {

constexpr const char* kDefinitionTables[] = {nullptr, "PrUtility", "PrCapacity", "PrUnit", "PrProcessCapacity"};
constexpr const char* kDefinitionIdFields[] = {nullptr, "UtilityID", "CapacityID", "UnitID", "ProcessCapacityID"};

std::string TrimRight(std::string text) {
  const std::size_t end = text.find_last_not_of(" \t\r\n\f\v");
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

// One row of a table holding "SolutionID", "CaseID", a model column and an item column.
bool WriteIdRow(CVornDbExportData& data, const char* table, std::int32_t solutionId, std::int32_t caseId,
                const char* modelField, std::int32_t modelId, const char* itemField, std::int32_t itemId) {
  return ResultRow(data, table)
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long(modelField, modelId)
      .Long(itemField, itemId)
      .Update();
}

// A table opened once with one row per element of a view; the first failure ends it.
template <class Array>
bool WriteViewTable(CVornDbExportData& data, const char* table, std::int32_t solutionId, std::int32_t caseId,
                    std::int32_t modelId, const char* itemField, const Array& items) {
  ResultRow row(data, table);
  if (!row.IsOpen()) return false;
  for (const auto* item : items) {
    if (item == nullptr) continue;
    if (!row.Add()
             .Long("SolutionID", solutionId)
             .Long("CaseID", caseId)
             .Long("ModelID", modelId)
             .Long(itemField, item->m_nID)
             .Update())
      return false;
  }
  return true;
}

// Two rows per stream: weight (basis 0) and volume (basis 1).
bool WriteUnitsOfMeasure(CDbModel& model, std::int32_t solutionId, std::int32_t caseId) {
  CVornDbExportData& data = *model.m_pDbData;
  ResultRow row(data, "PrUnitofMeasure");
  if (!row.IsOpen()) return false;
  // A gas stream's volume row takes the unit named by GVOL, when the model has it.
  const CDbUOM gvolProbe(data.m_pModel->m_settings.m_GVOL.GetValue());
  const CDbUOM* gvol = model.m_paUOMs.Find(&gvolProbe);
  for (const CDbStream* stream : model.m_paStreams) {
    if (stream == nullptr) continue;
    std::int32_t volumeType = stream->m_nUOMTypeID1;
    if (model.m_paGasStreams.LinearFind(stream) != nullptr) volumeType = gvol != nullptr ? gvol->m_nID : stream->m_nUOMTypeID0;
    for (const auto& [basis, type] : {std::pair{0, stream->m_nUOMTypeID0}, std::pair{1, volumeType}})
      if (!row.Add()
               .Long("SolutionID", solutionId)
               .Long("CaseID", caseId)
               .Long("ModelID", model.m_nID)
               .Long("StreamID", stream->m_nID)
               .Short("VWBasisID", basis)
               .Short("UOMTypeID", type)
               .Update())
        return false;
  }
  return true;
}

}  // namespace

bool CDbDefinition::WritePrDefinition(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId,
                                      std::int32_t kind) {
  if (kind < 1 || kind > 4) return true;
  if (m_pDbData == nullptr) return false;
  ResultRow row(*m_pDbData, kDefinitionTables[kind]);
  row.Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("ModelID", modelId)
      .Long(kDefinitionIdFields[kind], m_nID)
      .Text("Tag", m_strReportTag)
      .Text("Description", m_strDescription, 20)
      .Short("ReportOrder", m_nReportOrder);
  if (kind == 2) row.Short("ReportFlag", m_nReportFlag);
  if (kind == 3)
    row.Short("ReportFlag", m_nReportFlag)
        .Short("MarginalFlag", m_bMarginalFlag)
        .Short("SpecialUnitFlag", m_bSpecialUnitFlag)
        .Short("CrudeUnitFlag", m_bCrudeUnitFlag);
  if (kind == 4) {
    if (m_nReportFlag == 2) m_nReportFlag = 1;
    row.Short("ReportFlag", m_nReportFlag);
    if (m_paUnitQualities.GetSize() == 1 && m_paUnitQualities[0] != nullptr)
      row.Long("QualityID", m_paUnitQualities[0]->m_nID);
  }
  return row.Update();
}

bool CDbBlenderCapacity::WritePrBlenderCapacity(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, "PrBlenderCapacity")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("ModelID", modelId)
      .Long("BlenderCapacityID", m_nID)
      .Text("Tag", m_strReportTag)
      .Text("Description", m_strDescription, 20)
      .Short("ReportOrder", m_nReportOrder)
      .Update();
}

bool CDbAlternate::WritePrAlternate(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId, bool stream) {
  if (m_pDbData == nullptr) return false;
  if (stream)
    return ResultRow(*m_pDbData, "PrAlternateStream")
        .Add()
        .Long("SolutionID", solutionId)
        .Long("CaseID", caseId)
        .Long("NodeID", modelId)
        .Long("StreamID", m_nID)
        .Long("AlternateNodeID", m_nAlternateNodeID)
        .Long("AlternateStreamID", m_nAlternateStreamID)
        .Update();
  return ResultRow(*m_pDbData, "PrAlternateUtility")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("ModelID", modelId)
      .Long("UtilityID", m_nID)
      .Long("AlternateUtilityID", m_nAlternateStreamID)
      .Update();
}

bool CDbGroup::WritePrGroup(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId) {
  if (m_pDbData == nullptr) return false;
  CVornDbExportData& data = *m_pDbData;
  if (!ResultRow(data, "PrGroup")
           .Add()
           .Long("SolutionID", solutionId)
           .Long("CaseID", caseId)
           .Long("NodeID", modelId)
           .Long("GroupID", m_nID)
           .Text("Tag", m_strName)
           .Text("Description", m_strDescription, 20)
           .Text("ReportTag", m_strReportTag)
           .Text("DomainTag", m_strDomainTag)
           .Short("GroupNumber", m_nGroupNumber)
           .Update())
    return false;
  if (!m_paMembers.IsEmpty()) {
    ResultRow members(data, "PrGroupUtilityMember");
    if (!members.IsOpen()) return false;
    for (const CDbDefinition* member : m_paMembers) {
      // A null member fails its row like any other failed column.
      if (member == nullptr) return false;
      if (!members.Add()
               .Long("SolutionID", solutionId)
               .Long("CaseID", caseId)
               .Long("ModelID", modelId)
               .Long("GroupID", m_nID)
               .Long("UtilityID", member->m_nID)
               .Update())
        return false;
    }
  }
  const std::pair<std::uint8_t, const char*> flagTables[] = {
      {m_bPeriodSpanning, "PrGroupPeriodSpanning"},
      {m_bPlantSpanning, "PrGroupPlantSpanning"},
      {m_bPlantPeriodSpanning, "PrGroupPlantPeriodSpanning"},
      {m_bDemandMarket, "PrGroupDemandMarket"},
      {m_bDemandPlant, "PrGroupDemandPlant"},
  };
  for (const auto& [flag, table] : flagTables)
    if (flag != 0 && !WriteIdRow(data, table, solutionId, caseId, "NodeID", modelId, "GroupID", m_nID)) return false;
  return true;
}

bool CDbGroupUnit::WritePrGroupUnit(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, "PrGroupUnit")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("ModelID", modelId)
      .Long("GroupUnitID", m_nID)
      .Text("Tag", m_strName)
      .Text("Description", m_strDescription, 20)
      .Text("ReportTag", m_strReportTag)
      .Text("DomainTag", m_strDomainTag)
      .Short("GroupNumber", m_nGroupNumber)
      .Update();
}

bool CDbFixedCost::WritePrFixedCost(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, "PrFixedCost")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("ModelID", modelId)
      .Long("SequenceID", m_nID)
      .Text("Description", m_strDescription, 20)
      .Double("Value", m_dValue)
      .Update();
}

bool CDbKpi::WritePrKpi(std::int32_t solutionId, std::int32_t caseId, std::int32_t modelId) {
  if (m_pDbData == nullptr) return false;
  return ResultRow(*m_pDbData, "PrKpi")
      .Add()
      .Long("SolutionID", solutionId)
      .Long("CaseID", caseId)
      .Long("NodeID", modelId)
      .Long("KpiID", m_nKpiID)
      .Text("Tag", m_strTag)
      .Text("ReportTag", m_strReportTag)
      .Text("Description", m_strDescription, 20)
      .Double("YellowValue", m_dYellowValue)
      .Double("RedValue", m_dRedValue)
      .Short("ReportOrder", m_nReportOrder)
      .Update();
}

bool CDbModel::WritePrModel(std::int32_t solutionId, std::int32_t caseId, bool firstCase) {
  if (m_pDbData == nullptr || !m_pDbData->m_pModel) return false;
  CVornDbExportData& data = *m_pDbData;
  const std::int32_t modelId = m_nID;

  m_strDescription = TrimRight(m_strTitle1 + m_strTitle2 + m_strTitle3).substr(0, 72);
  if (firstCase && !ResultRow(data, "PrModel")
                        .Add()
                        .Long("SolutionID", solutionId)
                        .Long("ModelID", modelId)
                        .Text("ModelName", m_strModelName)
                        .Text("HomeDirectory", m_strHomeDirectory)
                        .Short("ModelTypeID", m_nModelTypeID)
                        .Text("Tag", m_strName.empty() ? std::string(".") : m_strTag)
                        .Text("Description", m_strDescription)
                        .Text("ModelGUID", data.m_strInputDatabaseModelGuid)
                        .Short("ReportFlag", m_nReportFlag)
                        .Update())
    return false;

  LogWriterStep(data, "Write stream data to database\n");
  for (CDbStream* stream : m_paStreams)
    if (stream != nullptr) stream->WritePrStream(solutionId, caseId, modelId);
  for (const CDbStream* stream : m_paStreams) {
    if (stream == nullptr) continue;
    for (const CDbStreamLookup* lookup : stream->m_paLookups)
      if (lookup != nullptr && lookup->m_pStream != nullptr)
        ResultRow(data, "PrGlobalStreamLookup")
            .Add()
            .Long("SolutionID", solutionId)
            .Long("CaseID", caseId)
            .Long("ModelID", lookup->m_nModelID)
            .Long("StreamID", lookup->m_pStream->m_nID)
            .Long("GlobalStreamID", stream->m_nID)
            .Update();
  }
  if (!WriteUnitsOfMeasure(*this, solutionId, caseId)) return false;

  LogWriterStep(data, "Write quality data to database\n");
  for (CDbQuality* quality : m_paQualities)
    if (quality != nullptr) quality->WritePrQuality(solutionId, caseId, modelId);
  LogWriterStep(data, "Write group data to database\n");
  for (CDbGroup* group : m_paGroups)
    if (group != nullptr) group->WritePrGroup(solutionId, caseId, modelId);

  LogWriterStep(data, "Write blend data to database\n");
  for (const CDbBlend* blend : m_paBlends)
    if (blend != nullptr)
      ResultRow(data, "PrBlend")
          .Add()
          .Long("SolutionID", solutionId)
          .Long("CaseID", caseId)
          .Long("NodeID", modelId)
          .Long("BlendID", blend->m_nID)
          .Short("BlendTypeID", blend->m_nBlendTypeID)
          .Short("ReportOrder", blend->m_nReportOrder)
          .Update();
  for (CDbBlend* blend : m_paBlends)
    if (blend != nullptr && !blend->m_paTargets.IsEmpty()) blend->WritePrBlendTarget(solutionId, caseId, modelId);
  for (CDbRFGBlend* blend : m_paRFGBlends)
    if (blend != nullptr) blend->WritePrRFGBlend(solutionId, caseId, modelId);

  LogWriterStep(data, "Write utility data to database\n");
  for (CDbDefinition* utility : m_paUtilities)
    if (utility != nullptr) utility->WritePrDefinition(solutionId, caseId, modelId, 1);
  LogWriterStep(data, "Write unit data to database\n");
  for (CDbDefinition* unit : m_paUnits)
    if (unit != nullptr) unit->WritePrDefinition(solutionId, caseId, modelId, 3);
  for (const CDbDefinition* unit : m_paUnits) {
    if (unit == nullptr) continue;
    for (CDbUnitQuality* quality : unit->m_paUnitQualities)
      if (quality != nullptr) quality->WritePrUnitQuality(solutionId, caseId, modelId, unit->m_nID);
  }
  LogWriterStep(data, "Write capacity data to database\n");
  for (CDbDefinition* capacity : m_paCapacities)
    if (capacity != nullptr) capacity->WritePrDefinition(solutionId, caseId, modelId, 2);
  LogWriterStep(data, "Write process capacity data to database\n");
  for (CDbDefinition* capacity : m_paProcessCapacities)
    if (capacity != nullptr) capacity->WritePrDefinition(solutionId, caseId, modelId, 4);
  LogWriterStep(data, "Write unit process limit data to database\n");
  for (CDbUnitOp* limit : m_paUnitProcessLimits)
    if (limit != nullptr) limit->WritePrUnitOperationRows(solutionId, caseId, modelId, 0);

  LogWriterStep(data, "Write blender capacity data to database\n");
  for (CDbBlenderCapacity* capacity : m_paBlenderCapacities)
    if (capacity != nullptr) capacity->WritePrBlenderCapacity(solutionId, caseId, modelId);
  for (CDbBlenderCapacity* capacity : m_paBlenderCapacities)
    if (capacity != nullptr && !capacity->m_paBlends.IsEmpty())
      capacity->WritePrBlenderCapacityMember(solutionId, caseId, modelId);

  LogWriterStep(data, "Write alternate stream data to database\n");
  for (CDbAlternate* alternate : m_paAlternateStreams)
    if (alternate != nullptr) alternate->WritePrAlternate(solutionId, caseId, modelId, true);
  LogWriterStep(data, "Write alternate utilities data to database\n");
  for (CDbAlternate* alternate : m_paAlternateUtilities)
    if (alternate != nullptr) alternate->WritePrAlternate(solutionId, caseId, modelId, false);

  LogWriterStep(data, "Write group unit data to database\n");
  for (CDbGroupUnit* groupUnit : m_paGroupUnits)
    if (groupUnit != nullptr) groupUnit->WritePrGroupUnit(solutionId, caseId, modelId);
  for (CDbGroupUnit* groupUnit : m_paGroupUnits)
    if (groupUnit != nullptr && !groupUnit->m_paMemberUnits.IsEmpty())
      groupUnit->WritePrGroupUnitMember(solutionId, caseId, modelId);

  LogWriterStep(data, "Write uom data to database\n");
  for (CDbUOM* uom : m_paUOMs)
    if (uom != nullptr) uom->WritePrUOMType(solutionId, caseId, modelId);
  LogWriterStep(data, "Write fixed cost data to database\n");
  for (CDbFixedCost* cost : m_paFixedCosts)
    if (cost != nullptr) cost->WritePrFixedCost(solutionId, caseId, modelId);
  LogWriterStep(data, "Write rwstream data to database\n");
  for (CDbRwStream* stream : m_paRwStreams)
    if (stream != nullptr) stream->WritePrRWStream(solutionId, caseId, modelId);
  LogWriterStep(data, "Write rwblend data to database\n");
  for (const CDbRwBlend* blend : m_paRwBlends)
    if (blend != nullptr) WriteIdRow(data, "PrRWBlend", solutionId, caseId, "NodeID", modelId, "BlendID", blend->m_nID);
  LogWriterStep(data, "Write rwunit data to database\n");
  for (CDbRwUnit* unit : m_paRwUnits)
    if (unit != nullptr) unit->WritePrRWUnit(solutionId, caseId, modelId);

  LogWriterStep(data, "Write kpi data to database\n");
  for (CDbKpi* kpi : m_paKpis)
    if (kpi != nullptr) kpi->WritePrKpi(solutionId, caseId, modelId);
  for (CDbKpi* kpi : m_paKpis)
    if (kpi != nullptr) kpi->WritePrKpiAnchor(solutionId, caseId, modelId);
  WritePrErrorMessage(solutionId, caseId);
  LogWriterStep(data, "Write receive and ship data to database\n");
  WritePrReceive(solutionId, caseId);
  WritePrShip(solutionId, caseId);

  LogWriterStep(data, "Write hydrogen stream data to database\n");
  if (!WriteViewTable(data, "PrHydrogenStream", solutionId, caseId, modelId, "StreamID", m_paHydrogenStreams))
    return false;
  LogWriterStep(data, "Write hydrogen quality data to database\n");
  if (!WriteViewTable(data, "PrHydrogenQuality", solutionId, caseId, modelId, "QualityID", m_paHydrogenQualities))
    return false;
  LogWriterStep(data, "Write gas stream data to database\n");
  if (!WriteViewTable(data, "PrGasStream", solutionId, caseId, modelId, "StreamID", m_paGasStreams)) return false;

  LogWriterStep(data, "Write crude blend data to database\n");
  for (const CDbCrdBlend* blend : m_paCrdBlends)
    if (blend != nullptr)
      ResultRow(data, "PrCrdBlend")
          .Add()
          .Long("SolutionID", solutionId)
          .Long("CaseID", caseId)
          .Long("ModelID", modelId)
          .Long("BlendID", blend->m_nID)
          .Long("StreamID", blend->m_nStreamID)
          .Double("Value", blend->m_dValue)
          .Update();
  return true;
}
