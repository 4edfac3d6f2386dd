// Material and utility links of one model object: the link ends the trade,
// utility, recipe and unit builders left in each period, paired by stream;
// an inventoried stream is routed through its tank.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <tuple>

#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"

namespace {

constexpr std::int32_t kTankUnitType = 4;

using LinkEnds = CAutoDestructArray<CPtrArray, CDbLink*>;
using LinkKey = std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t>;

// By stream (m_nID), then unit type, ascending.
int CompareLinkEnds(const void* slotA, const void* slotB) {
  const CDbLink* a = *static_cast<const CDbLink* const*>(slotA);
  const CDbLink* b = *static_cast<const CDbLink* const*>(slotB);
  if (a->m_nID != b->m_nID) return a->m_nID < b->m_nID ? -1 : 1;
  if (a->m_nUnitTypeID != b->m_nUnitTypeID) return a->m_nUnitTypeID < b->m_nUnitTypeID ? -1 : 1;
  return 0;
}

LinkKey KeyOf(const CDbLinkData& record) {
  return {record.m_nID,           record.m_nNodeID,        record.m_nSourceID,
          record.m_nSourceUnitTypeID, record.m_nDestinationID, record.m_nDestinationUnitTypeID};
}

std::string StreamTag(const CDbModel* model, std::int32_t streamId) {
  if (!model) return "";
  for (const CDbStream* stream : model->m_paStreams)
    if (stream && stream->m_nID == streamId) return stream->m_strName;
  return "";
}

// Every source end with every destination end of the same stream, in list
// order; both lists sorted by stream.
void PairEnds(const LinkEnds& sources, const LinkEnds& destinations,
              const std::function<void(const CDbLink&, const CDbLink&)>& pair) {
  int j = 0;
  int scanStart = 0;
  const CDbLink* previous = nullptr;
  for (const CDbLink* source : sources) {
    if (!source) continue;
    if (previous && previous->m_nID == source->m_nID) j = scanStart;
    scanStart = j;
    previous = source;
    for (; j < destinations.GetSize(); ++j) {
      const CDbLink* destination = destinations.GetAt(j);
      if (!destination || destination->m_nID < source->m_nID) continue;
      if (destination->m_nID > source->m_nID) break;
      pair(*source, *destination);
    }
  }
}

const CDbInventory* FindInventory(const CDbPeriod& period, std::int32_t streamId, std::int32_t modelId) {
  const CDbInventory probe(streamId, modelId);
  if (period.m_paInventories.m_pfnCompare == &CDbDataObject::CompareNodeAndId)
    return period.m_paInventories.Find(&probe);
  for (const CDbInventory* each : period.m_paInventories)
    if (each && each->m_nID == streamId && each->m_nNodeID == modelId) return each;
  return nullptr;
}

}  // namespace

std::string CDbSolution::GetLinkUnitTag(const CDbLink* link, const CDbModel* model) const {
  if (!link) return "";
  switch (link->m_nUnitTypeID) {
    case 0:
      return "BUY";
    case 1:
      if (model)
        for (const CDbDefinition* unit : model->m_paUnits)
          if (unit && unit->m_nID == link->m_nNodeID) return unit->m_strName;
      return "";
    case 2:
      if (model)
        for (const CDbBlend* blend : model->m_paBlends)
          if (blend && blend->m_nID == link->m_nNodeID) return "B" + blend->m_strName;
      return "";
    case 3:
      return "SELL";
    case kTankUnitType:
      return model ? "T" + StreamTag(model, link->m_nID) : "";
    default:
      return "";
  }
}

void CDbSolution::FillInventoryLinks(CVornModelFile* /*modelFile*/, CDbCase* dbCase, CDbModel* model) {
  if (!dbCase || !model) return;
  const std::int32_t modelId = model->m_nID;
  for (int p = fill::FirstPeriodIndex(*dbCase); p < dbCase->m_paPeriods.GetSize(); ++p) {
    CDbPeriod* period = dbCase->m_paPeriods.GetAt(p);
    if (!period) continue;
    for (LinkEnds* ends : {&period->m_paLinks1, &period->m_paLinks2, &period->m_paLinks3, &period->m_paLinks4})
      ends->Sort(&CompareLinkEnds);

    // Records of this model already in the list, so a tank record is made once.
    std::set<LinkKey> made;
    for (const CDbLinkData* record : period->m_paLinkData)
      if (record && record->m_nNodeID == modelId) made.insert(KeyOf(*record));
    auto append = [&](std::unique_ptr<CDbLinkData> record, bool unique) {
      const LinkKey key = KeyOf(*record);
      if (!made.insert(key).second && unique) return;
      period->m_paLinkData.Add(std::move(record));
    };

    PairEnds(period->m_paLinks1, period->m_paLinks2, [&](const CDbLink& source, const CDbLink& destination) {
      const std::int32_t stream = source.m_nID;
      if (!FindInventory(*period, stream, modelId)) {
        auto record = std::make_unique<CDbLinkData>(stream, modelId, m_pDbData);
        record->m_nSourceID = source.m_nNodeID;
        record->m_nSourceUnitTypeID = source.m_nUnitTypeID;
        record->m_dFromValue = source.m_dValue;
        record->m_nDestinationID = destination.m_nNodeID;
        record->m_nDestinationUnitTypeID = destination.m_nUnitTypeID;
        record->m_dToValue = destination.m_dValue;
        record->m_strSTRMID = StreamTag(model, source.m_nID);
        record->m_strNodeTo = GetLinkUnitTag(&destination, model);
        record->m_strNodeFrom = GetLinkUnitTag(&source, model);
        append(std::move(record), false);
        return;
      }
      CDbLink tank(stream, 0);
      tank.m_nUnitTypeID = kTankUnitType;
      const std::string tankTag = GetLinkUnitTag(&tank, model);

      auto into = std::make_unique<CDbLinkData>(stream, modelId, m_pDbData);
      into->m_nSourceID = source.m_nNodeID;
      into->m_nSourceUnitTypeID = source.m_nUnitTypeID;
      into->m_dFromValue = source.m_dValue;
      into->m_nDestinationID = stream;
      into->m_nDestinationUnitTypeID = kTankUnitType;
      into->m_dToValue = 0.0;
      into->m_strSTRMID = StreamTag(model, source.m_nID);
      into->m_strNodeFrom = GetLinkUnitTag(&source, model);
      into->m_strNodeTo = tankTag;
      append(std::move(into), true);

      auto out = std::make_unique<CDbLinkData>(stream, modelId, m_pDbData);
      out->m_nSourceID = stream;
      out->m_nSourceUnitTypeID = kTankUnitType;
      out->m_dFromValue = 0.0;
      out->m_nDestinationID = destination.m_nNodeID;
      out->m_nDestinationUnitTypeID = destination.m_nUnitTypeID;
      out->m_dToValue = destination.m_dValue;
      out->m_strSTRMID = StreamTag(model, destination.m_nID);
      out->m_strNodeTo = GetLinkUnitTag(&destination, model);
      out->m_strNodeFrom = tankTag;
      append(std::move(out), true);
    });

    PairEnds(period->m_paLinks3, period->m_paLinks4, [&](const CDbLink& source, const CDbLink& destination) {
      auto record = std::make_unique<CDbLinkData>(source.m_nID, modelId, m_pDbData);
      record->m_nSourceID = source.m_nNodeID;
      record->m_nSourceUnitTypeID = source.m_nUnitTypeID;
      record->m_dFromValue = source.m_dValue;
      record->m_nDestinationID = destination.m_nNodeID;
      record->m_nDestinationUnitTypeID = destination.m_nUnitTypeID;
      record->m_dToValue = destination.m_dValue;
      period->m_paUtilityLinkData.Add(std::move(record));
    });
  }
}
