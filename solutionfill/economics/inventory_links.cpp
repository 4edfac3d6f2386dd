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

// The record of a link of the stream from one end to another: each end's
// unit, unit type and quantity.
std::unique_ptr<CDbLinkData> LinkRecord(std::int32_t stream, std::int32_t modelId, const CDbLink& from,
                                        const CDbLink& to, CVornDbExportData* owner) {
  auto record = std::make_unique<CDbLinkData>(stream, modelId, owner);
  record->m_nSourceID = from.m_nNodeID;
  record->m_nSourceUnitTypeID = from.m_nUnitTypeID;
  record->m_dFromValue = from.m_dValue;
  record->m_nDestinationID = to.m_nNodeID;
  record->m_nDestinationUnitTypeID = to.m_nUnitTypeID;
  record->m_dToValue = to.m_dValue;
  return record;
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

    // A material link record with the stream's tag and the tags of its two ends.
    const auto materialLink = [&](std::int32_t stream, const CDbLink& from, const CDbLink& to, bool unique) {
      auto record = LinkRecord(stream, modelId, from, to, m_pDbData);
      record->m_strSTRMID = StreamTag(model, stream);
      record->m_strNodeFrom = GetLinkUnitTag(&from, model);
      record->m_strNodeTo = GetLinkUnitTag(&to, model);
      append(std::move(record), unique);
    };
    PairEnds(period->m_paLinks1, period->m_paLinks2, [&](const CDbLink& source, const CDbLink& destination) {
      const std::int32_t stream = source.m_nID;
      if (!FindInventory(*period, stream, modelId)) {
        materialLink(stream, source, destination, false);
        return;
      }
      // An inventoried stream goes into its tank and out of it again.
      CDbLink tank(stream, stream);
      tank.m_nUnitTypeID = kTankUnitType;
      tank.m_dValue = 0.0;
      materialLink(stream, source, tank, true);
      materialLink(stream, tank, destination, true);
    });

    PairEnds(period->m_paLinks3, period->m_paLinks4, [&](const CDbLink& source, const CDbLink& destination) {
      period->m_paUtilityLinkData.Add(LinkRecord(source.m_nID, modelId, source, destination, m_pDbData));
    });
  }
}
