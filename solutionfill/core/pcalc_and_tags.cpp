// The PCALC model (pools whose qualities follow another pool's linearly),
// the streams of its pools, the hydrogen-balance streams and qualities of
// the worksheet HBALDEF, and the component fractions of the crude blends.

#include <map>
#include <memory>

#include "caseset/vorn_db_export_data.h"
#include "foundation/input_failure.h"
#include "foundation/messages.h"
#include "foundation/path_utils.h"
#include "modelfile/vorn_model_file.h"
#include "platform/path_resolver.h"
#include "platform/string_table.h"
#include "results/objects/db_case.h"
#include "solutionfill/core/fill_tables.h"
#include "tableio/io_table.h"

namespace {

constexpr std::uint32_t kIdsUnableToRetrieveData = 10262;  // "Unable to retrieve data from existing table"
constexpr std::uint32_t kIdsTableCloseFailed = 15026;
constexpr std::uint32_t kIdsMixedRowNames = 15289;
constexpr std::uint32_t kIdsRequiredColumnMissing = 15616;  // %1 column, %2 path
constexpr std::uint32_t kIdsBlankKeyCell = 516;             // %1 column, %2 path

const plat::StringTableRegistrar kTagQualityTexts(
    plat::StringTable::Program,
    {
        {kIdsTableCloseFailed, "The table could not be closed."},
        {kIdsMixedRowNames, "Mixed numeric/text data cells in ROWNAMES column"},
        {kIdsRequiredColumnMissing, "Required column %1 is missing in %2"},
        {kIdsBlankKeyCell, "Column %1 has an empty cell in %2"},
    });

using fill::FindModelStream;

template <class Element>
Element* FindTagged(const CAutoDestructArray<CPtrArray, Element*>& list, const std::string& tag) {
  for (Element* element : list)
    if (element && element->m_strTag == tag) return element;
  return nullptr;
}

}  // namespace

bool CDbModel::BuildPcalcPools(CVornModelFile* modelFile, bool poolFirst) {
  m_paPCALCingPools.RemoveAll();
  CTableFilTable pcalc;
  if (!fill::ReadModelTable(m_pDbData, "PCALC", modelFile, pcalc, false) || pcalc.GetRowCount() == 0 ||
      pcalc.GetColumnCount() == 0)
    return false;
  auto split = [poolFirst](const std::string& row, std::string& pool, std::string& source) {
    pool = poolFirst ? row.substr(0, 3) : row.substr(3, 3);
    source = poolFirst ? row.substr(3, 3) : row.substr(0, 3);
  };
  for (int r = 0; r < pcalc.GetRowCount(); ++r) {
    const std::string& row = pcalc.m_aRowNames[r];
    if (row.size() != 6) continue;
    std::string poolTag, sourceTag;
    split(row, poolTag, sourceTag);
    CPCALCingPool* pool = FindTagged(m_paPCALCingPools, poolTag);
    for (int c = 0; c < pcalc.GetColumnCount(); ++c) {
      float cell;
      if (!fill::GetCell(pcalc, r, c, cell)) continue;
      if (!pool) {
        auto made = std::make_unique<CPCALCingPool>(poolTag);
        pool = made.get();
        m_paPCALCingPools.Add(std::move(made));
      }
      const std::string& qualityTag = pcalc.m_aColumnNames[c];
      CPCALCingQuality* quality = FindTagged(pool->m_paQualities, qualityTag);
      if (!quality) {
        auto made = std::make_unique<CPCALCingQuality>(qualityTag);
        quality = made.get();
        pool->m_paQualities.Add(std::move(made));
      }
      auto entry = std::make_unique<CnPCALCedPool>(sourceTag);
      entry->m_dValue = cell;
      entry->m_dWorkValue = 0.0;
      quality->m_paPools.Add(std::move(entry));
    }
  }
  if (m_paPCALCingPools.IsEmpty()) return false;
  for (CPCALCingPool* pool : m_paPCALCingPools) pool->m_paQualities.Sort(&CPCALCingQuality::CompareElements);
  m_paPCALCingPools.Sort(&CPCALCingPool::CompareElements);

  CTableFilTable constants;
  if (!fill::ReadModelTable(m_pDbData, "PCALCB", modelFile, constants, true) || constants.GetRowCount() == 0 ||
      constants.GetColumnCount() == 0)
    return true;
  for (int r = 0; r < constants.GetRowCount(); ++r) {
    const std::string& row = constants.m_aRowNames[r];
    if (row.size() != 6) continue;
    std::string poolTag, sourceTag;
    split(row, poolTag, sourceTag);
    const CPCALCingPool poolProbe(poolTag);
    const CPCALCingPool* pool = m_paPCALCingPools.Find(&poolProbe);
    if (!pool) continue;
    for (int c = 0; c < constants.GetColumnCount(); ++c) {
      float cell;
      if (!fill::GetCell(constants, r, c, cell)) continue;
      const CPCALCingQuality qualityProbe(constants.m_aColumnNames[c]);
      const CPCALCingQuality* quality = pool->m_paQualities.Find(&qualityProbe);
      if (!quality) continue;
      for (CnPCALCedPool* entry : quality->m_paPools)
        if (entry && entry->m_strTag == sourceTag) entry->m_dWorkValue = cell;
    }
  }
  return true;
}

void CDbModel::BuildPcalcPoolStreams() {
  m_paStreams.Sort(&CDbObject::CompareDbObjectName);
  for (const CPCALCingPool* pool : m_paPCALCingPools) {
    if (!pool || FindModelStream(*this, pool->m_strTag)) continue;
    fill::AddDummyStream(*this, pool->m_strTag, "Pcalc'd Pool", m_pDbData).m_strShortTag = pool->m_strTag;
  }
}

bool CDbNode::BuildTagQualities(CVornModelFile* /*modelFile*/, std::int32_t /*caseId*/, CDbModel* model) {
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  if (!model || !main) return true;
  std::string path;
  if (!plat::ResolveExistingPath(main->m_strModelDir + "/HBALDEF.Xls", path) || !FileExists(path, true)) return true;
  CIoTable table(path, "", "TAG", "*", "*", 0);
  // The worksheet is there: one the fill cannot read whole fails the case, naming it.
  const auto damaged = [&path](const std::string& what) { NoteInputFailure("the worksheet " + path + " " + what); };
  switch (table.GetStatus()) {
    case kIoTableCannotOpen:
      return true;
    case kIoTableCannotRead:
      damaged("cannot be read");
      return ShowErrorMessageDetail(kIdsUnableToRetrieveData, table.GetDisplayName(), "");
    case kIoTableCannotClose:
      damaged("cannot be closed");
      return ShowErrorMessageId(kIdsTableCloseFailed);
    case kIoTableOkWithWarnings:
      damaged("mixes numbers and texts in its key column");
      return ShowErrorMessageDetail(kIdsMixedRowNames, table.GetDisplayName(), "");
    default:
      break;
  }
  int tagColumn = -1, qualityColumn = -1;
  for (int j = 0; j < table.GetColumnCount(); ++j) {
    const std::string name = table.GetColumnName(j);
    if (name == "TAG") tagColumn = j;
    if (name == "QUALITY") qualityColumn = j;
  }
  for (const auto& [column, name] : {std::pair{tagColumn, "TAG"}, std::pair{qualityColumn, "QUALITY"}})
    if (column < 0) {
      damaged(std::string("lacks the column ") + name);
      return ShowFormattedError2(kIdsRequiredColumnMissing, name, path);
    }
  model->m_paHydrogenStreams.m_bOwnsElements = 0;
  model->m_paHydrogenQualities.m_bOwnsElements = 0;
  for (int i = 0; i < table.GetRowCount(); ++i) {
    if (table.IsCellNull(i, tagColumn)) {
      damaged("has a row without a TAG");
      return ShowFormattedError2(kIdsBlankKeyCell, "TAG", path);
    }
    if (CDbStream* stream = FindModelStream(*model, fill::TrimRight(table.GetCellText(i, tagColumn))))
      model->m_paHydrogenStreams.Add(stream);
    if (table.IsCellNull(i, qualityColumn)) continue;
    const CDbQuality probe(fill::TrimRight(table.GetCellText(i, qualityColumn)));
    if (CDbQuality* quality = model->m_paQualities.Find(&probe)) model->m_paHydrogenQualities.Add(quality);
  }
  return true;
}

void CDbModel::BuildCrdBlends(CVornModelFile* modelFile) {
  CTableFilTable table;
  if (!fill::ReadModelTable(m_pDbData, "CRDBLEND", modelFile, table, false)) return;
  for (int c = 0; c < table.GetColumnCount(); ++c) {
    const std::string blendTag = fill::Left(table.m_aColumnNames[c], 3);
    const CDbStream* blend = FindModelStream(*this, blendTag);
    if (!blend) continue;
    for (int r = 0; r < table.GetRowCount(); ++r) {
      float cell;
      if (!fill::GetCell(table, r, c, cell)) continue;
      const CDbStream* component = FindModelStream(*this, fill::Left(table.m_aRowNames[r], 3));
      if (!component) continue;
      auto entry = std::make_unique<CDbCrdBlend>(blend->m_nID, m_pDbData);
      entry->m_strName = blendTag;
      entry->m_nStreamID = component->m_nID;
      entry->m_dValue = cell;
      m_paCrdBlends.Add(std::move(entry));
    }
  }
  m_paCrdBlends.Sort(&CDbObject::CompareDbObjectId);
  // Fractions of each blend; a blend whose amounts add up to 0 keeps its amounts.
  for (int first = 0; first < m_paCrdBlends.GetSize();) {
    int last = first;
    double sum = 0.0;
    while (last < m_paCrdBlends.GetSize() && m_paCrdBlends.GetAt(last)->m_nID == m_paCrdBlends.GetAt(first)->m_nID)
      sum += m_paCrdBlends.GetAt(last++)->m_dValue;
    if (sum != 0.0)
      for (int i = first; i < last; ++i) m_paCrdBlends.GetAt(i)->m_dValue /= sum;
    first = last;
  }
}
