// The penalties of "penalty.dat": each record names a penalty row, an LP
// column and a factor; the amount is the column's activity times the factor.
// Afterwards the model's penalty total goes into its economic summary.

#include <clocale>
#include <cmath>
#include <fstream>
#include <memory>
#include <string>

#include "caseset/modeltables/table_fil_table.h"
#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "foundation/locale_switch.h"
#include "foundation/path_utils.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/economics/economics_fill.h"
#include "solutionfill/economics/group_fill.h"
#include "standins/file_name_manager.h"

namespace {

constexpr std::int32_t kPenaltyCategory = 17;
constexpr std::int32_t kSupplyDemandPenalty = 1;

struct CPenaltyKind {
  std::int32_t m_nType = 0;
  double m_dFactor = 0.0;
  std::string m_strTag1;
  std::string m_strTag2;
};

CDbQuality* FindQuality(const CDbModel& model, const std::string& tag) {
  const CDbQuality probe(tag);
  if (CDbQuality* found = model.m_paQualities.Find(&probe)) return found;
  return model.m_paQualities.LinearFind(&probe);
}

const CDbPrimalPeriod* FindPrimalPeriod(const CDbPrimalNode& node, const std::string& name) {
  for (const CDbPrimalPeriod* period : node.m_paPeriods)
    if (period && period->m_strName == name) return period;
  return nullptr;
}

class CPenaltyClassifier {
 public:
  CPenaltyClassifier(CVornDbExportData* exportData, const CDbModel& model, bool isGlobal, bool hasPools)
      : m_pTags(fill::UseExtendedTags(exportData) && exportData->m_pTagProcessor ? exportData->m_pTagProcessor.get()
                                                                                   : nullptr),
        m_nModelType(econ::MainModelType(exportData)), m_model(model), m_bGlobal(isGlobal), m_bPools(hasPools) {}

  // False for a record that makes no penalty.
  bool Classify(const std::string& row, const std::string& column, float factor, CPenaltyKind& kind) const {
    const char kindLetter = column.empty() ? '\0' : column[0];
    const std::string qualityTag = econ::Chars3(column, 1);
    const std::string streamTag = econ::Chars3(column, 4);
    const double v = factor;
    if (row.rfind("Epenrow", 0) == 0) {
      const CDbQuality* quality = FindQuality(m_model, qualityTag);
      if ((kindLetter == 'U' || kindLetter == 'V') && quality) {
        kind = {3, std::fabs(v), StreamReportTag(streamTag), m_pTags ? quality->m_strReportTag : qualityTag};
        return true;
      }
      if (kindLetter == 'S' && column.rfind("SELL", 0) != 0 && column.rfind("Sdp", 0) != 0 && m_bPools) {
        kind = {5, std::fabs(v), m_pTags ? m_pTags->GetExtendedSubmodelTag(qualityTag) : qualityTag, std::string()};
        return true;
      }
      if (kindLetter == 'n' || kindLetter == 'x') {
        if (!m_bGlobal) return false;
        kind = {4, v, m_pTags && quality ? quality->m_strReportTag : qualityTag, StreamReportTag(streamTag)};
        return true;
      }
      if (kindLetter != 'd' && kindLetter != 'u' && !m_bGlobal) {
        kind = {6, -v, column, std::string()};
        return true;
      }
      return false;
    }
    if (row.rfind("Epentrg", 0) == 0 && (kindLetter == 'U' || kindLetter == 'D') &&
        econ::Left(row, 8) != econ::Left(column, 8)) {
      kind = {8, v, streamTag, qualityTag};
      if (m_pTags) {
        const std::string parsed = m_pTags->ParseColumnName(m_nModelType, column, true);
        const std::size_t i = parsed.size() > 2 ? parsed.find(':', 2) : std::string::npos;
        if (i == std::string::npos) {
          kind.m_strTag1.clear();
          kind.m_strTag2 = parsed.size() > 2 ? parsed.substr(2) : std::string();
        } else {
          const std::size_t j = parsed.find(':', i + 1);
          kind.m_strTag1 = parsed.substr(i + 1, j == std::string::npos ? std::string::npos : j - i - 1);
          kind.m_strTag2 = parsed.substr(2, i - 2);
        }
        kind.m_strTag1 = m_pTags->GetExtendedThreeCharTag(kind.m_strTag1);
        kind.m_strTag2 = m_pTags->GetExtendedThreeCharTag(kind.m_strTag2);
      }
      return true;
    }
    return false;
  }

 private:
  std::string StreamReportTag(const std::string& tag) const {
    if (!m_pTags) return tag;
    const CDbStream* stream = fill::FindModelStream(m_model, tag);
    return stream ? stream->m_strReportTag : tag;
  }

  CExtendedTagProcessor* m_pTags;
  std::int32_t m_nModelType;
  const CDbModel& m_model;
  bool m_bGlobal;
  bool m_bPools;
};

std::string PenaltyFilePath(const CVornDbExportData* exportData) {
  const CVornModelFile* main = fill::MainModel(exportData);
  if (!main) return std::string();
  std::string name = "penalty.dat";
  int caseNumber = 0;
  std::string title;
  exportData->GetCurrentCase(caseNumber, title);
  if (main->m_settings.m_UseZelunMGOn.GetValue() != 0 && caseNumber > 0)
    if (const auto manager = IMiskel::CreateFileNameManager()) name = manager->GetPenaltyFileName(caseNumber);
  return MakeAbsolutePath(main->m_strModelDir, name);
}

}  // namespace

void CDbSolution::BuildPenalty(CVornModelFile* modelFile, CDbCase* dbCase, CDbModel* model, bool isGlobal,
                               bool isLocalModel, bool isMultiPeriod) {
  if (!dbCase || !model) return;
  const std::string path = PenaltyFilePath(m_pDbData);
  const CDbPrimalNode* primal = econ::FindPrimalNode(*this, model->m_strName);
  if (!primal) return;
  const CLocaleSwitch numericLocale(LC_NUMERIC, "");

  std::ifstream file;
  if (!path.empty()) file.open(path);
  if (file.is_open()) {
    CTableFilTable pools;
    const bool hasPools =
        fill::ReadModelTable(m_pDbData, "VPOOL", modelFile, pools, false) && pools.GetRowCount() > 0;
    CDbPeriod* defaultPeriod = dbCase->m_paPeriods.GetSize() > 0 ? dbCase->m_paPeriods[0] : nullptr;
    const CDbPrimalPeriod* defaultPrimal = primal->m_paPeriods.GetSize() > 0 ? primal->m_paPeriods[0] : nullptr;
    const CPenaltyClassifier classifier(m_pDbData, *model, isGlobal, hasPools);
    econ::CSideFileRecordReader reader(file);
    std::string row, column;
    float factor = 0.0f;
    while (reader.Next(row, column, factor)) {
      if (row.rfind("Epenrow", 0) != 0 && row.rfind("Epentrg", 0) != 0) continue;
      if (isGlobal || isLocalModel) {
        const std::string plant = isMultiPeriod ? econ::CharAt(column, 8) : econ::CharAt(column, 7);
        if (plant != model->m_strName) continue;
      }
      CPenaltyKind kind;
      if (!classifier.Classify(row, column, factor, kind)) continue;
      CDbPeriod* period = defaultPeriod;
      const CDbPrimalPeriod* primalPeriod = defaultPrimal;
      if (isMultiPeriod) {
        std::string periodName = econ::CharAt(column, 7);
        if (periodName.empty()) periodName = ".";
        period = econ::FindCasePeriod(*dbCase, periodName);
        primalPeriod = FindPrimalPeriod(*primal, periodName);
      }
      if (!period || !primalPeriod) continue;
      double scale = 1.0;
      if (row.rfind("Epenrow", 0) == 0)
        if (const CDbPrimal* penaltyColumn = econ::FindColumn(*primalPeriod, "Epencol"))
          scale = std::fabs(penaltyColumn->m_dSlack);
      const CDbPrimal* lpColumn = econ::FindColumn(*primalPeriod, econ::Left(column, 7));
      if (!lpColumn || lpColumn->m_dActivity == 0.0) continue;
      auto penalty = std::make_unique<CDbPenalty>(kind.m_nType, model->m_nID, m_pDbData);
      penalty->m_dActivity = lpColumn->m_dActivity * kind.m_dFactor * scale;
      penalty->m_strTag1 = kind.m_strTag1;
      penalty->m_strTag2 = kind.m_strTag2;
      period->m_dPenaltyTotal += penalty->m_dActivity;
      period->m_paPenalties.Add(std::move(penalty));
    }
    econ::FailDamagedSideFile(reader, path);
  }

  for (int i = fill::FirstPeriodIndex(*dbCase); i < dbCase->m_paPeriods.GetSize(); ++i) {
    CDbPeriod* period = dbCase->m_paPeriods[i];
    CDbEcoSum* entry = period ? econ::FindEcoSum(*period, kPenaltyCategory, model->m_nID) : nullptr;
    if (!entry) continue;
    double sum = 0.0;
    for (const CDbPenalty* penalty : period->m_paPenalties)
      if (penalty && penalty->m_nID != kSupplyDemandPenalty && penalty->m_nNodeID == model->m_nID)
        sum += penalty->m_dActivity;
    entry->m_dActivity = -sum;
  }
}
