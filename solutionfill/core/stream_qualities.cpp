// Stream qualities of a solved model: the recursed and PCALC'd pool
// qualities, general recursions, susceptibilities, interaction bonuses and
// updated-matrix rows from the recursion record, then the fixed qualities of
// the blend tables; and the copy of transferred qualities between plants.

#include <algorithm>
#include <map>
#include <memory>
#include <tuple>
#include <string>
#include <vector>

#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/core/solver_side_files.h"
#include "solutionfill/core/stream_quality_services.h"
#include "solutionfill/economics/group_fill.h"

namespace {

using sq::Mid;

constexpr std::int32_t kOriginFixed = 1;
constexpr std::int32_t kOriginRecursed = 2;
constexpr std::int32_t kOriginPcalced = 3;
constexpr std::int32_t kOriginTransferred = 9;
constexpr std::int32_t kInteractionBlendOffset = 10000;
constexpr std::int32_t kInteractionType = 2;

// The case period of each recursion period code; null where the case has none.
std::vector<CDbPeriod*> PeriodsByCode(const CDbCase& dbCase, const CRecursionRecord& recursion) {
  std::vector<CDbPeriod*> periods;
  const std::int32_t codes = std::max(0, recursion.PeriodCodeCount());
  for (std::int32_t j = 0; j < codes; ++j) {
    const std::string code =
        static_cast<std::size_t>(j) < recursion.m_astrPeriodCodes.size() ? recursion.m_astrPeriodCodes[j] : "";
    CDbPeriod* period = nullptr;
    if (code == " ") {
      // A case without periods has nothing to put the value in.
      if (dbCase.m_paPeriods.GetSize() > 0) period = dbCase.m_paPeriods.GetAt(0);
    } else {
      const CDbPeriod probe(code);
      period = dbCase.m_paPeriods.Find(&probe);
    }
    periods.push_back(period);
  }
  return periods;
}

CDbQuality* FindQuality(const CDbModel& model, const std::string& tag) {
  const CDbQuality probe(tag);
  return model.m_paQualities.Find(&probe);
}

CDbStreamQuality* LinearFindStreamQuality(const CDbPeriod& period, std::int32_t streamId, std::int32_t nodeId,
                                          std::int32_t qualityId) {
  for (CDbStreamQuality* entry : period.m_paStreamQualities)
    if (entry && entry->m_nID == streamId && entry->m_nNodeID == nodeId && entry->m_nQualityID == qualityId)
      return entry;
  return nullptr;
}

bool InList(const std::vector<std::string>& list, const std::string& name) {
  for (const std::string& each : list)
    if (each == name) return true;
  return false;
}

class CStreamQualityBuilder {
 public:
  CStreamQualityBuilder(CDbSolution& solution, CVornModelFile& modelFile, CDbCase& dbCase, CDbModel& model,
                        const CRecursionRecord& recursion, bool isLocalModel)
      : m_solution(solution),
        m_modelFile(modelFile),
        m_case(dbCase),
        m_model(model),
        m_recursion(recursion),
        m_bLocalModel(isLocalModel),
        m_pData(solution.m_pDbData),
        m_periodsByCode(PeriodsByCode(dbCase, recursion)) {
    const CVornModelFile* main = fill::MainModel(m_pData);
    if (main) {
      m_bNimbo = main->m_settings.m_UseNimboOn.GetValue() != 0;
      m_bZelun = main->m_settings.m_UseZelunMGOn.GetValue() != 0;
      m_bMpsTables = main->m_settings.m_OutputMpsDatabaseTables.GetValue() != 0;
      m_bExtendedTags = main->m_settings.m_UseExtendedTagsOn.GetValue() != 0;
      m_nMainModelType = main->m_settings.m_ModelType.GetValue();
    }
    const std::int32_t names = std::max(0, recursion.NameCount());
    for (int h = 0; h < 6; ++h) m_bounds[h] = std::clamp(recursion.m_anHeader[h], 0, names);
  }

  void Run() {
    if (m_bounds[0] > 0) {
      fill::ReadModelTable(m_pData, "PGUESS", &m_modelFile, m_pguess, true);
      fill::ReadModelTable(m_pData, "PGPER", &m_modelFile, m_pgper, false);
    }
    RecursedPoolQualities();
    PcalcedPoolQualities();
    GeneralRecursions();
    Susceptibilities();
    GeneralRecursionInitialValues();
    SusceptibilityInitialValues();
    if (m_bMpsTables) UpdatedDistributions();
    BlendTableQualities();
  }

 private:
  std::string Name(std::int32_t k) const {
    return static_cast<std::size_t>(k) < m_recursion.m_astrPrimaryNames.size() ? m_recursion.m_astrPrimaryNames[k]
                                                                               : std::string();
  }
  std::string SecondaryName(std::int32_t k) const {
    return static_cast<std::size_t>(k) < m_recursion.m_astrSecondaryNames.size()
               ? m_recursion.m_astrSecondaryNames[k]
               : std::string();
  }
  std::string Code(std::size_t j) const {
    return j < m_recursion.m_astrPeriodCodes.size() ? m_recursion.m_astrPeriodCodes[j] : std::string();
  }
  std::int32_t ModelId() const { return m_model.m_nID; }

  // Finds the quality of tag unless it is the tag of the previous name.
  CDbQuality* CachedQuality(const std::string& tag, bool mayCreate, const std::string& name) {
    if (tag == m_strPreviousTag) return m_pPreviousQuality;
    m_pPreviousQuality = FindQuality(m_model, tag);
    if (!m_pPreviousQuality && mayCreate && m_bNimbo && InList(RecursedQualityRowNames(m_modelFile), name))
      m_pPreviousQuality = MakeQuality(tag);
    m_strPreviousTag = tag;
    m_nPguessColumn = m_pguess.FindColumn(tag);
    return m_pPreviousQuality;
  }

  CDbQuality* MakeQuality(const std::string& tag) {
    const int count = m_model.m_paQualities.GetSize();
    auto quality = std::make_unique<CDbQuality>(count + 1, m_pData);
    quality->m_strName = tag;
    quality->m_strDomainTag = tag;
    quality->m_strShortTag = tag;
    quality->m_nReportOrder = count + 1;
    quality->m_dLowerLimit = kDbNotSet;
    quality->m_dUpperLimit = kDbNotSet;
    quality->m_strQualityNote = " ";
    quality->m_nVWBasisID = InList(m_solution.m_lstWorkStrings, tag) ? 0 : 1;
    quality->m_strReportTag = fill::ReportTag(m_pData, tag);
    CDbQuality* made = quality.get();
    m_model.m_paQualities.Add(std::move(quality));
    m_model.m_paQualities.Sort(&CDbQuality::CompareElements);
    return made;
  }

  // "Q" + characters 2 to 7 of the name + the period code unless blank + the model's name.
  std::string UpdatedColumnName(const std::string& name, const std::string& code) const {
    return "Q" + Mid(name, 1, 6) + (code == " " ? std::string() : code) + m_model.m_strName;
  }

  void AddUpdatedQuality(CDbPeriod& period, std::int32_t qualityId, double value, const std::string& name,
                         const std::string& code) {
    auto updated = std::make_unique<CDbStreamQuality>(m_nNextUpdatedId++, ModelId(), qualityId, m_pData);
    updated->m_dValue = value;
    updated->m_strColumnName = UpdatedColumnName(name, code);
    period.m_paUpdatedQualities.Add(std::move(updated));
  }

  void SetInitialGuess(CDbStreamQuality& entry, const std::string& streamTag, const std::string& code) {
    const int column = m_nPguessColumn;
    const std::string periodRow = streamTag + code;
    float cell = CTableFilTable::kBlankCell;
    bool found = false;
    // A PGPER cell is addressed with the PGUESS column; past PGPER's last column it is absent.
    if (m_pgper.GetColumnCount() > 0)
      found = fill::GetCell(m_pgper, m_pgper.FindRow(periodRow), column, cell);
    else
      found = fill::GetCell(m_pguess, m_pguess.FindRow(periodRow), column, cell);
    if (!found) found = fill::GetCell(m_pguess, m_pguess.FindRow(streamTag), column, cell);
    if (found) entry.m_dInitialValue = cell;
  }

  void RecursedPoolQualities() {
    ResetCache();
    for (std::int32_t k = 0; k < m_bounds[0]; ++k) {
      const std::string name = Name(k);
      const bool longName = m_bZelun && fill::TrimRight(name).size() > 9;
      const std::string qualityTag = fill::TrimRight(longName ? Mid(name, 1, 6) : Mid(name, 1, 3));
      const std::string streamTag = fill::TrimRight(longName ? Mid(name, 7, 3) : Mid(name, 4, 3));
      CDbStream* stream = fill::FindModelStream(m_model, streamTag);
      CDbQuality* quality = CachedQuality(qualityTag, true, name);
      if (!stream || !quality) continue;
      for (std::size_t j = 0; j < m_periodsByCode.size(); ++j) {
        CDbPeriod* period = m_periodsByCode[j];
        if (!period) continue;
        const double value = m_recursion.Value(k, static_cast<std::int32_t>(j));
        if (quality->m_nWorkValue2 != 0) AddInteraction(*period, *stream, *quality, value);
        CDbStreamQuality* entry = LinearFindStreamQuality(*period, stream->m_nID, ModelId(), quality->m_nID);
        if (!entry) {
          auto made = std::make_unique<CDbStreamQuality>(stream->m_nID, ModelId(), quality->m_nID, m_pData);
          entry = made.get();
          period->m_paStreamQualities.Add(std::move(made));
        }
        entry->m_dValue = value;
        entry->m_nOriginID = kOriginRecursed;
        SetInitialGuess(*entry, streamTag, Code(j));
        if (m_bMpsTables) {
          auto guess = std::make_unique<CDbStreamQuality>(stream->m_nID, ModelId(), quality->m_nID, m_pData);
          guess->m_dValue = value;
          guess->m_nUpdatedQualityID = m_nNextUpdatedId;
          period->m_paUpdatedPGuesses.Add(std::move(guess));
          AddUpdatedQuality(*period, quality->m_nID, value, name, Code(j));
        }
      }
    }
  }

  // The blend quality (blend id + 10000) that carries the bonus entries of one interaction quality.
  void AddInteraction(CDbPeriod& period, const CDbStream& stream, const CDbQuality& quality, double value) {
    const std::int32_t blendId = stream.m_nID + kInteractionBlendOffset;
    CDbBlendQuality* holder = nullptr;
    for (CDbBlendQuality* each : period.m_paBlendQualities)
      if (each && each->m_nID == blendId && each->m_nNodeID == ModelId() && each->m_nQualityID == quality.m_nWorkValue2)
        holder = each;
    if (!holder) {
      auto made = std::make_unique<CDbBlendQuality>(blendId, ModelId(), quality.m_nWorkValue2, m_pData);
      holder = made.get();
      period.m_paBlendQualities.Add(std::move(made));
      holder->m_nReportOrder = period.m_paBlendQualities.GetSize();
    }
    auto interaction = std::make_unique<CDbBonusInteraction>(quality.m_nWorkValue3, m_pData);
    interaction->m_dActivity = value;
    interaction->m_nInteractionTypeID = kInteractionType;
    holder->m_paBonusInteractions.Add(std::move(interaction));
  }

  void PcalcedPoolQualities() {
    ResetCache();
    for (std::int32_t k = m_bounds[0]; k < m_bounds[1]; ++k) {
      const std::string name = Name(k);
      const std::string qualityTag = fill::TrimRight(Mid(name, 1, 3));
      const std::string streamTag = fill::TrimRight(Mid(name, 4, 3));
      CDbStream* stream = fill::FindModelStream(m_model, streamTag);
      CDbQuality* quality = CachedQuality(qualityTag, false, name);
      if (!stream || !quality) continue;
      for (std::size_t j = 0; j < m_periodsByCode.size(); ++j) {
        CDbPeriod* period = m_periodsByCode[j];
        if (!period) continue;
        if (LinearFindStreamQuality(*period, stream->m_nID, ModelId(), quality->m_nID)) continue;
        const double value = m_recursion.Value(k, static_cast<std::int32_t>(j));
        auto made = std::make_unique<CDbStreamQuality>(stream->m_nID, ModelId(), quality->m_nID, m_pData);
        CDbStreamQuality& entry = *made;
        period->m_paStreamQualities.Add(std::move(made));
        entry.m_dValue = value;
        entry.m_nOriginID = kOriginPcalced;
        SetPcalcInitialValue(*period, entry, streamTag, *quality);
        if (m_bMpsTables) AddUpdatedQuality(*period, quality->m_nID, value, name, Code(j));
      }
    }
  }

  // The initial value follows the first non-PCALC'd pool that has one in the period.
  void SetPcalcInitialValue(const CDbPeriod& period, CDbStreamQuality& entry, const std::string& poolTag,
                            const CDbQuality& quality) {
    const CPCALCingPool poolProbe(poolTag);
    const CPCALCingPool* pool = m_model.m_paPCALCingPools.Find(&poolProbe);
    if (!pool) return;
    const CPCALCingQuality qualityProbe(quality.m_strName);
    const CPCALCingQuality* pcalc = pool->m_paQualities.Find(&qualityProbe);
    if (!pcalc || pcalc->m_paPools.IsEmpty()) return;
    const CnPCALCedPool* first = pcalc->m_paPools.GetAt(0);
    for (const CnPCALCedPool* source : pcalc->m_paPools) {
      if (!source) continue;
      const CDbStream* sourceStream = fill::FindModelStream(m_model, source->m_strTag);
      if (!sourceStream) continue;
      const CDbStreamQuality* sourceQuality =
          LinearFindStreamQuality(period, sourceStream->m_nID, ModelId(), quality.m_nID);
      if (!sourceQuality) continue;
      if (first) entry.m_dInitialValue = first->m_dValue * sourceQuality->m_dInitialValue + first->m_dWorkValue;
      return;
    }
  }

  void GeneralRecursions() {
    CExtendedTagProcessor* tags = m_bExtendedTags ? m_pData->m_pTagProcessor.get() : nullptr;
    for (std::int32_t k = m_bounds[1]; k < m_bounds[2]; ++k) {
      std::string dependent = fill::TrimRight(Name(k));
      std::string independent = fill::TrimRight(SecondaryName(k));
      if (tags) {
        dependent = tags->ParseRowName(m_nMainModelType, dependent, true);
        independent = tags->ParseColumnName(m_nMainModelType, independent, true);
      }
      for (std::size_t j = 0; j < m_periodsByCode.size(); ++j) {
        CDbPeriod* period = m_periodsByCode[j];
        if (!period) continue;
        auto recursion = std::make_unique<CDbGeneralRecursion>(k - m_bounds[1], ModelId(), m_pData);
        recursion->m_strIndependentVar = independent;
        recursion->m_strDependentVar = dependent;
        recursion->m_dCoefficientValue = m_recursion.Value(k, static_cast<std::int32_t>(j));
        period->m_paGeneralRecursions.Add(std::move(recursion));
      }
    }
  }

  void Susceptibilities() {
    ResetCache();
    for (std::int32_t k = m_bounds[4]; k < m_bounds[5]; ++k) {
      const std::string name = Name(k);
      CDbStream* blend = fill::FindModelStream(m_model, fill::TrimRight(Mid(name, 4, 3)));
      CDbQuality* quality = CachedQuality(fill::TrimRight(Mid(name, 1, 3)), false, name);
      if (!blend || !quality) continue;
      const CDbDefinition utilityProbe(quality->m_strQualityNote);
      const CDbDefinition* utility = m_model.m_paUtilities.Find(&utilityProbe);
      if (!utility) continue;
      for (std::size_t j = 0; j < m_periodsByCode.size(); ++j) {
        CDbPeriod* period = m_periodsByCode[j];
        if (!period) continue;
        const double value = m_recursion.Value(k, static_cast<std::int32_t>(j));
        auto entry = std::make_unique<CDbSusceptibility>(blend->m_nID, ModelId(), m_pData);
        entry->m_nQualityID = quality->m_nID;
        entry->m_nUtilityID = utility->m_nID;
        entry->m_dValue = value;
        period->m_paSusceptibilities.Add(std::move(entry));
        if (m_bMpsTables) AddUpdatedQuality(*period, quality->m_nID, value, name, Code(j));
      }
    }
  }

  void GeneralRecursionInitialValues() {
    CTableFilTable table;
    if (!fill::ReadModelTable(m_pData, "TABSLP", &m_modelFile, table, false) || table.GetRowCount() == 0) return;
    const int lastColumn = table.GetColumnCount() - 1;
    for (int r = 0; r < table.GetRowCount(); ++r) {
      float cell;
      if (!fill::GetCell(table, r, lastColumn, cell)) continue;
      const std::string text = static_cast<std::size_t>(r) < table.m_aRowTexts.size() ? table.m_aRowTexts[r] : "";
      const std::string dependent = sq::Trim(Mid(text, 0, 8));
      const std::string independent = sq::Trim(text.size() > 8 ? text.substr(8) : std::string());
      for (int p = fill::FirstPeriodIndex(m_case); p < m_case.m_paPeriods.GetSize(); ++p) {
        CDbPeriod* period = m_case.m_paPeriods.GetAt(p);
        if (!period) continue;
        for (CDbGeneralRecursion* each : period->m_paGeneralRecursions) {
          if (each && each->m_strIndependentVar == independent && each->m_strDependentVar == dependent) {
            each->m_dInitialValue = cell;
            break;
          }
        }
      }
    }
  }

  void SusceptibilityInitialValues() {
    CTableFilTable table;
    if (!fill::ReadModelTable(m_pData, "INITSUSC", &m_modelFile, table, false)) return;
    for (int r = 0; r < table.GetRowCount(); ++r) {
      const CDbQuality* quality = FindQuality(m_model, table.m_aRowNames[r]);
      if (!quality) continue;
      for (int c = 0; c < table.GetColumnCount(); ++c) {
        float cell;
        if (!fill::GetCell(table, r, c, cell)) continue;
        const CDbStream* blend = fill::FindModelStream(m_model, table.m_aColumnNames[c]);
        if (!blend) continue;
        for (int p = fill::FirstPeriodIndex(m_case); p < m_case.m_paPeriods.GetSize(); ++p) {
          CDbPeriod* period = m_case.m_paPeriods.GetAt(p);
          if (!period) continue;
          for (CDbSusceptibility* each : period->m_paSusceptibilities) {
            if (each && each->m_nID == blend->m_nID && each->m_nQualityID == quality->m_nID) {
              each->m_dInitialValue = cell;
              break;
            }
          }
        }
      }
    }
  }

  void UpdatedDistributions() {
    std::string previousFrom = " ";
    CDbStream* from = nullptr;
    for (std::int32_t k = m_bounds[2]; k < m_bounds[3]; ++k) {
      const std::string name = Name(k);
      const std::string fromTag = fill::TrimRight(Mid(name, 1, 3));
      if (fromTag != previousFrom) {
        from = fill::FindModelStream(m_model, fromTag);
        previousFrom = fromTag;
      }
      CDbStream* to = fill::FindModelStream(m_model, fill::TrimRight(Mid(name, 4, 3)));
      if (!from || !to) continue;
      for (std::size_t j = 0; j < m_periodsByCode.size(); ++j) {
        CDbPeriod* period = m_periodsByCode[j];
        if (!period) continue;
        auto distribution = std::make_unique<CDbTransfer>(from->m_nID, ModelId(), m_pData);
        distribution->m_nFromStreamID = from->m_nID;
        distribution->m_nToStreamID = to->m_nID;
        distribution->m_dActivity = m_recursion.Value(k, static_cast<std::int32_t>(j));
        period->m_paUpdatedPDists.Add(std::move(distribution));
      }
    }
  }

  void BlendTableQualities() {
    for (int p = fill::FirstPeriodIndex(m_case); p < m_case.m_paPeriods.GetSize(); ++p) {
      CDbPeriod* period = m_case.m_paPeriods.GetAt(p);
      if (!period) continue;
      CTableFilTable table;
      const bool haveTable = fill::ReadModelTable(m_pData, ("BLNXXX" + period->m_strName).c_str(), &m_modelFile,
                                                  table, false) ||
                             fill::ReadModelTable(m_pData, "BLNXXX", &m_modelFile, table, true);
      period->m_paStreamQualities.Sort(&CDbStreamQuality::CompareElements);
      if (haveTable) ApplyBlendTable(*period, table);
      m_solution.BuildDerivedStreamQualities(&m_modelFile, period, &m_model);
    }
  }

  void ApplyBlendTable(CDbPeriod& period, const CTableFilTable& table) {
    CAutoDestructArray<CPtrArray, CDbStreamQuality*> added;
    added.m_bOwnsElements = 0;
    // The entries added here by stream, model and quality (each key is added once).
    std::map<std::tuple<std::int32_t, std::int32_t, std::int32_t>, CDbStreamQuality*> addedByKey;
    const std::string periodName = sq::Upper(period.m_strName);
    for (int r = 0; r < table.GetRowCount(); ++r) {
      const std::string& row = table.m_aRowNames[r];
      if (row == "MIN" || row == "MAX" || row.size() < 3) continue;
      const bool periodRow = row.size() >= 4;
      if (periodRow && sq::Upper(row.substr(3, 1)) != periodName) continue;
      CDbStream* stream = fill::FindModelStream(m_model, row.substr(0, 3));
      if (!stream) continue;
      for (int c = 0; c < table.GetColumnCount(); ++c) {
        float cell;
        if (!fill::GetCell(table, r, c, cell)) continue;
        CDbQuality* quality = FindQuality(m_model, table.m_aColumnNames[c]);
        if (!quality) continue;
        const CDbStreamQuality probe(stream->m_nID, ModelId(), quality->m_nID);
        CDbStreamQuality* entry = period.m_paStreamQualities.Find(&probe);
        if (!entry) {
          const auto found = addedByKey.find({stream->m_nID, ModelId(), quality->m_nID});
          if (found != addedByKey.end()) entry = found->second;
        }
        if (entry) {
          if (periodRow) entry->m_dValue = cell;
          continue;
        }
        auto made = std::make_unique<CDbStreamQuality>(stream->m_nID, ModelId(), quality->m_nID, m_pData);
        made->m_dValue = cell;
        std::string plant, pool;
        if (m_bLocalModel && m_solution.FindTransferSource(&m_model, stream, quality, plant, pool)) {
          made->m_strWorkText = plant;
          made->m_strColumnName = pool;
          made->m_strWorkText2 = quality->m_strName;
          made->m_nOriginID = kOriginTransferred;
          period.m_paStreamQualityView.Add(made.get());
        } else {
          made->m_nOriginID = kOriginFixed;
        }
        addedByKey.emplace(std::make_tuple(stream->m_nID, ModelId(), quality->m_nID), made.get());
        added.Add(made.release());
      }
    }
    for (CDbStreamQuality* each : added) period.m_paStreamQualities.Add(each);
    added.RemoveAll();
    period.m_paStreamQualities.Sort(&CDbStreamQuality::CompareElements);
  }

  void ResetCache() {
    m_strPreviousTag = " ";
    m_pPreviousQuality = nullptr;
    m_nPguessColumn = -1;
  }

  CDbSolution& m_solution;
  CVornModelFile& m_modelFile;
  CDbCase& m_case;
  CDbModel& m_model;
  const CRecursionRecord& m_recursion;
  const bool m_bLocalModel;
  CVornDbExportData* m_pData;
  std::vector<CDbPeriod*> m_periodsByCode;
  std::int32_t m_bounds[6] = {};
  bool m_bNimbo = false;
  bool m_bZelun = false;
  bool m_bMpsTables = false;
  bool m_bExtendedTags = false;
  std::int32_t m_nMainModelType = 0;
  CTableFilTable m_pguess;
  CTableFilTable m_pgper;
  std::int32_t m_nNextUpdatedId = 0;
  std::string m_strPreviousTag = " ";
  CDbQuality* m_pPreviousQuality = nullptr;
  int m_nPguessColumn = -1;
};

}  // namespace

void CDbSolution::BuildStreamQualities(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model,
                                       const CRecursionRecord& recursion, bool isLocalModel) {
  if (!modelFile || !dbCase || !model) return;
  SendStatusMessage("Building Stream Qualities ...");
  CStreamQualityBuilder(*this, *modelFile, *dbCase, *model, recursion, isLocalModel).Run();
}

bool CDbSolution::FindTransferSource(CDbModel* model, CDbStream* stream, CDbQuality* quality,
                                     std::string& sourcePlant, std::string& sourcePool) {
  sourcePlant.clear();
  sourcePool.clear();
  if (!model || !stream || !quality) return false;
  // The transfer lists keep the order of the file, so they are searched linearly.
  for (const CTrxPlant* plant : m_paTrxPlants) {
    if (!plant || plant->m_strName != model->m_strName) continue;
    for (const CTrxPool* pool : plant->m_paPools) {
      if (!pool || pool->m_strName != stream->m_strName) continue;
      for (const CTrxQuality* entry : pool->m_paQualities) {
        if (!entry || entry->m_strName != quality->m_strName) continue;
        sourcePlant = entry->m_strSourcePlant;
        sourcePool = entry->m_strSourcePool;
        return true;
      }
      return false;
    }
    return false;
  }
  return false;
}

void CDbSolution::FillNodeStreamQualities(CDbCase* dbCase) {
  if (!dbCase) return;
  for (CDbPeriod* period : dbCase->m_paPeriods) {
    if (!period) continue;
    for (CDbStreamQuality* entry : period->m_paStreamQualityView) {
      if (!entry) continue;
      const CDbNode* node = fill::FindCaseNode(*dbCase, entry->m_strWorkText);
      const CDbModel* model = node ? fill::FindNodeModel(*node, entry->m_strWorkText) : nullptr;
      const CDbStream* stream = model ? fill::FindModelStream(*model, entry->m_strColumnName) : nullptr;
      const CDbQuality* quality = model ? FindQuality(*model, entry->m_strWorkText2) : nullptr;
      if (!stream || !quality) continue;
      const CDbStreamQuality probe(stream->m_nID, model->m_nID, quality->m_nID);
      if (const CDbStreamQuality* source = period->m_paStreamQualities.Find(&probe)) entry->m_dValue = source->m_dValue;
    }
  }
}
