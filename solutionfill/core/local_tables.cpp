// The definitions of a local model from its model tables, before any value
// of the solution is read: stream descriptions and trade flags, blends, unit
// and utility report orders, capacities, process-limit units with their
// per-period limits, blender capacities, pump streams, qualities with their
// descriptions, scale factors, susceptibilities and interactions, RFG blends,
// blend bonuses and the local tag map.

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "caseset/config/vorn_period.h"
#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/property_calculation.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_services.h"
#include "solutionfill/core/fill_tables.h"
#include "standins/tresk.h"

namespace {

using fill::GetCell;
using fill::Left;

constexpr std::size_t kDescriptionWidth = 50;

// The row texts are complete: one per row.
bool HasCompleteTexts(const CTableFilTable& table) {
  return !table.m_aRowTexts.empty() && table.m_aRowTexts.size() == table.m_aRowNames.size();
}

std::string Mid(const std::string& text, std::size_t from, std::size_t count) {
  return from < text.size() ? text.substr(from, count) : std::string();
}

template <class Element>
Element* FindByName(const CAutoDestructArray<CPtrArray, Element*>& list, const std::string& name) {
  const Element probe(name);
  return list.Find(&probe);
}

template <class Element>
Element* FindLinear(const CAutoDestructArray<CPtrArray, Element*>& list, const std::string& name) {
  for (Element* element : list)
    if (element && element->m_strName == name) return element;
  return nullptr;
}

using fill::FindModelStream;
using fill::ForEachRealPeriod;

// Builds the local definitions of one model object; the steps run in the order of Run.
class CLocalTables {
 public:
  CLocalTables(CDbSolution& solution, CVornModelFile& modelFile, CDbModel& model, CDbCase& dbCase)
      : m_solution(solution),
        m_modelFile(modelFile),
        m_model(model),
        m_case(dbCase),
        m_owner(solution.m_pDbData),
        m_main(fill::MainModel(solution.m_pDbData)) {}

  void Run() {
    for (const char* table : {"BUY", "SELL", "BLENDS", "BLNMIX"}) TradeTable(table);
    if (fill::IsMultiPeriodModel(m_modelFile)) TradeTable("PINV");
    Submodels();
    Utilities();
    Capacities();
    BaseQualities();
    IndexQualities();
    FormulaQualities();
    BlendSpecifications();
    ProcessLimits();
    QualityAttributes();
    BlenderCapacities();
    InteractionsAndBonuses();
    m_model.BuildLocTags(&m_modelFile, &m_case);
  }

 private:
  bool Read(const char* name, CTableFilTable& table, bool report) {
    return fill::ReadModelTable(m_owner, name, &m_modelFile, table, report);
  }
  std::string ReportTag(const std::string& name) const { return fill::ReportTag(m_owner, name); }

  // ---- Streams and blends.
  void TradeTable(const char* name) {
    CTableFilTable table;
    if (!Read(name, table, true)) return;
    const std::string tableName = name;
    const bool trade = tableName == "BUY" || tableName == "SELL";
    const int liq = trade ? table.FindColumn("LIQ") : -1;
    if (tableName == "BLENDS") MakeBlends(table);
    const bool hasTexts = !table.m_aRowTexts.empty();
    for (int r = 0; r < table.GetRowCount(); ++r) {
      float liquid;
      const bool hasLiquid = liq >= 0 && GetCell(table, r, liq, liquid);
      const std::string text = fill::RowText(table, r);
      CDbStream* stream = FindModelStream(m_model, table.m_aRowNames[r]);
      if (!stream) continue;
      if (!(hasTexts && text.empty() && !hasLiquid)) {
        if (stream->m_strDescription.empty() && hasTexts) stream->m_strDescription = text;
        if (hasLiquid) stream->m_fLiquidConversion = liquid;
      }
      if (!trade) continue;
      if (tableName == "BUY")
        stream->m_bIsPurchased = 1;
      else
        stream->m_bIsSold = 1;
      m_solution.CopyTradeFlagsToAlternates(&m_model, stream);
    }
  }

  void MakeBlends(const CTableFilTable& table) {
    int kind = table.FindColumn("SPEC");
    const bool spec = kind >= 0;
    if (!spec) kind = table.FindColumn("FORM");
    for (int r = 0; r < table.GetRowCount(); ++r) {
      const CDbStream* stream = FindModelStream(m_model, table.m_aRowNames[r]);
      if (!stream) continue;
      auto blend = std::make_unique<CDbBlend>(stream->m_nID, m_owner);
      blend->m_strName = stream->m_strName;
      blend->m_nReportOrder = r;
      float value;
      if (kind >= 0) {
        const bool blank = !GetCell(table, r, kind, value);
        blend->m_nBlendTypeID = spec ? (blank ? 1 : 2) : (blank ? 2 : 1);
      }
      m_model.m_paBlends.Add(std::move(blend));
    }
    m_model.m_paBlends.Sort(&CDbObject::CompareDbObjectName);
  }

  // ---- Units and utilities.
  void Submodels() {
    CTableFilTable& submods = m_solution.m_tableFil;
    if (!Read("SUBMODS", submods, false)) return;
    const bool complete = HasCompleteTexts(submods);
    for (int j = 0; j < submods.GetRowCount(); ++j) {
      const std::string unitName = submods.m_aRowNames[j];
      CDbDefinition* unit = FindByName(m_model.m_paUnits, unitName);
      if (!unit) continue;
      m_solution.m_bHasSubmodsUnits = 1;
      unit->m_nReportOrder = j + 1;
      if (complete) unit->m_strDescription = fill::RowText(submods, j);
      CTableFilTable own;
      if (!Read(unitName.c_str(), own, true) || own.m_aRowTexts.empty()) continue;
      for (int i = 0; i < own.GetRowCount(); ++i) {
        const std::string text = fill::RowText(own, i);
        const std::string& row = own.m_aRowNames[i];
        if (text.empty() || !(row.rfind("VBAL", 0) == 0 || row.rfind("WBAL", 0) == 0)) continue;
        CDbStream* stream = FindModelStream(m_model, Mid(row, 4, 3));
        if (stream && stream->m_strDescription.empty()) stream->m_strDescription = text;
      }
    }
  }

  void Utilities() {
    int boughtRows = 0;
    for (const bool buy : {true, false}) {
      CTableFilTable table;
      if (!Read(buy ? "UTILBUY" : "UTILSEL", table, true)) continue;
      if (buy) boughtRows = table.GetRowCount();
      const int group = m_solution.m_bHasReportGroups ? table.FindColumn("GROUP") : -1;
      const bool complete = HasCompleteTexts(table);
      for (int i = 0; i < table.GetRowCount(); ++i) {
        CDbDefinition* utility = FindByName(m_model.m_paUtilities, table.m_aRowNames[i]);
        if (!utility) continue;
        float value;
        utility->m_nReportFlag = (group >= 0 && GetCell(table, i, group, value)) ? static_cast<std::int32_t>(value) : 9999;
        if (buy) {
          utility->m_bBoughtFlag = 1;
          utility->m_nReportOrder = i + 1;
          if (complete) utility->m_strDescription = fill::RowText(table, i);
        } else {
          utility->m_bSoldFlag = 1;
          if (utility->m_strDescription.empty()) {
            utility->m_nReportOrder = boughtRows + i + 1;
            if (complete) utility->m_strDescription = fill::RowText(table, i);
          }
        }
      }
    }
  }

  // REPORT 0 and -1 (and, for process limits, 2) replace the report flag.
  static void ApplyReportCell(const CTableFilTable& table, int row, int column, bool allowTwo, CDbDefinition& item,
                              bool& reportMinusOne) {
    float value;
    reportMinusOne = false;
    if (column < 0 || !GetCell(table, row, column, value)) return;
    if (value == 0.0f) item.m_nReportFlag = 0;
    if (value == -1.0f) {
      item.m_nReportFlag = -1;
      reportMinusOne = true;
    }
    if (allowTwo && value == 2.0f) item.m_nReportFlag = 2;
  }

  void Capacities() {
    CTableFilTable table;
    if (!Read("CAPS", table, true)) return;
    const int penalty = table.FindColumn("PENALTY");
    const int report = table.FindColumn("REPORT");
    const bool complete = HasCompleteTexts(table);
    const int rows = table.GetRowCount();
    m_model.m_paCapacities.SetSize(rows);
    for (int i = 0; i < rows; ++i) {
      auto made = std::make_unique<CDbDefinition>(i + 1, m_owner);
      CDbDefinition& capacity = *made;
      m_model.m_paCapacities.SetAt(i, made.release());
      const std::string& row = table.m_aRowNames[i];
      capacity.m_strName = row.size() > 3 ? row.substr(row.size() - 3) : row;
      if (complete) capacity.m_strDescription = fill::RowText(table, i);
      capacity.m_nReportOrder = i + 1;
      float value;
      if (penalty >= 0 && GetCell(table, i, penalty, value)) capacity.m_fPenaltyPrice = value;
      bool plain = false;
      ApplyReportCell(table, i, report, false, capacity, plain);
      capacity.m_strReportTag = plain ? capacity.m_strName : ReportTag(capacity.m_strName);
    }
    m_model.m_paCapacities.Sort(&CDbObject::CompareDbObjectName);
  }

  // ---- Qualities.
  CDbQuality* FindQuality(const std::string& tag) const {
    return m_qualitiesSorted ? FindByName(m_model.m_paQualities, tag) : FindLinear(m_model.m_paQualities, tag);
  }
  bool IsWeightSpec(const std::string& tag) const {
    for (const std::string& spec : m_solution.m_lstWorkStrings)
      if (spec == tag) return true;
    return false;
  }
  CDbQuality& MakeQuality(const std::string& tag) {
    const std::int32_t number = m_model.m_paQualities.GetSize() + 1;
    auto quality = std::make_unique<CDbQuality>(number, m_owner);
    quality->m_strName = tag;
    quality->m_strDomainTag = tag;
    quality->m_strShortTag = tag;
    quality->m_nReportOrder = number;
    quality->m_strQualityNote = " ";
    quality->m_nVWBasisID = IsWeightSpec(tag) ? 0 : 1;
    quality->m_strReportTag = ReportTag(tag);
    CDbQuality& made = *quality;
    m_model.m_paQualities.Add(std::move(quality));
    if (m_qualitiesSorted) m_model.m_paQualities.Sort(&CDbObject::CompareDbObjectName);
    return made;
  }
  CDbQuality& FindOrMakeQuality(const std::string& tag) {
    if (CDbQuality* quality = FindQuality(tag)) return *quality;
    return MakeQuality(tag);
  }
  void MakeBuiltInQuality(const char* tag, std::uint32_t textId, std::int32_t basis) {
    CDbQuality& quality = MakeQuality(tag);
    quality.m_strDescription = Left(LoadTreskString(textId), kDescriptionWidth);
    quality.m_nVWBasisID = basis;
    quality.m_strReportTag = tag;
  }

  void BaseQualities() {
    CTableFilTable blnxxx;
    if (Read("BLNXXX", blnxxx, true)) {
      m_model.m_paQualities.RemoveAll();
      for (const std::string& column : blnxxx.m_aColumnNames) MakeQuality(column);
    }
    CTableFilTable pguess;
    if (Read("PGUESS", pguess, true))
      for (const std::string& column : pguess.m_aColumnNames) FindOrMakeQuality(column);
    const auto& settings = m_main ? &m_main->m_settings : nullptr;
    const bool nimbo = settings && settings->m_UseNimboOn.GetValue() != 0;
    if (nimbo && settings->m_AutoVolumeWeightOn.GetValue() != 0 && m_solution.m_nVolumeBasis == 0 &&
        !FindLinear(m_model.m_paQualities, "SPv")) {
      MakeBuiltInQuality("SPv", kTreskQualitySPv, 0);
      if (!IsWeightSpec("SPv")) m_solution.m_lstWorkStrings.push_back("SPv");
    }
    if (nimbo && settings->m_Zelun_ShortcutDistlOn.GetValue() != 0 && !FindLinear(m_model.m_paQualities, "ECP"))
      MakeBuiltInQuality("ECP", kTreskQualityECP, 1);
    m_model.m_paQualities.Sort(&CDbObject::CompareDbObjectName);
    m_qualitiesSorted = true;
  }

  void IndexQualities() {
    CTableFilTable& index = m_model.m_tableFil;
    if (!Read("INDEX", index, true)) return;
    for (int j = 0; j < index.GetRowCount(); ++j) {
      const std::string& row = index.m_aRowNames[j];
      if (j % 2 == 0) {
        CDbQuality& quality = FindOrMakeQuality(row);
        if (quality.m_strDescription.empty()) quality.m_strDescription = fill::RowText(index, j);
      } else {
        auto entry = std::make_unique<CDbObject>(row);
        entry->m_nID = j;
        m_model.m_paObjects.Add(std::move(entry));
      }
    }
    m_model.m_paObjects.Sort(&CDbObject::CompareDbObjectName);
  }

  std::string FormulaTag(const std::string& name) {
    if (!m_main || m_main->m_settings.m_UseExtendedTagsOn.GetValue() == 0 || !m_owner->m_pTagProcessor) return name;
    return m_owner->m_pTagProcessor->GetShortTag(name, m_main->m_settings.m_PreserveOrigTagsOn.GetValue() != 0);
  }

  void FormulaQualities() {
    for (const CPropertyCalculation* formula : m_modelFile.m_formulas) {
      if (!formula || formula->m_bSuppressed) continue;
      CDbQuality& quality = FindOrMakeQuality(FormulaTag(formula->m_strPropertyName));
      if (quality.m_strDescription.empty()) quality.m_strDescription = Left(formula->m_strDescription, kDescriptionWidth);
      if (formula->m_variableNames.size() == 1) FindOrMakeQuality(FormulaTag(formula->m_variableNames[0]));
    }
  }

  // The signed decimal number a trimmed period code starts with; 0 when none, -101 for no code.
  static int PeriodNumber(const std::string* code) {
    if (!code) return -101;
    const std::size_t first = code->find_first_not_of(' ');
    if (first == std::string::npos) return -101;
    return std::atoi(code->c_str() + first);
  }

  void BlendSpecifications() {
    CTableFilTable table;
    if (!Read("BLNSPEC", table, false)) return;
    int typeRow = -1, areaRow = -1, phaseRow = -1, seasonRow = -1, equationRow = -1;
    std::vector<std::pair<int, std::string>> seasonRows;
    for (int i = 0; i < table.GetRowCount(); ++i) {
      const std::string& name = table.m_aRowNames[i];
      if (name == "TYPE") typeRow = i;
      else if (name == "AREA") areaRow = i;
      else if (name == "PHASE") phaseRow = i;
      else if (name == "SEASON") seasonRow = i;
      else if (name == "EQUATION") equationRow = i;
      else if (name.rfind("SEASON", 0) == 0) seasonRows.emplace_back(i, name);
      else if (!name.empty() && (name[0] == 'N' || name[0] == 'X' || name[0] == 'P')) {
        CDbQuality& quality = FindOrMakeQuality(Mid(name, 1, 3));
        if (quality.m_strDescription.empty()) quality.m_strDescription = fill::RowText(table, i);
      }
    }
    if (typeRow < 0) return;
    std::vector<const std::string*> codes;
    if (m_owner->m_paPeriods)
      for (const CVornPeriod* period : *m_owner->m_paPeriods)
        if (period) codes.push_back(&period->m_strCode);
    if (codes.empty()) codes.push_back(nullptr);
    for (int c = 0; c < table.GetColumnCount(); ++c) {
      float type;
      if (!GetCell(table, typeRow, c, type)) continue;
      for (const std::string* code : codes) {
        const int number = PeriodNumber(code);
        const CDbBlend* blend = FindByName(m_model.m_paBlends, table.m_aColumnNames[c]);
        if (!blend) continue;
        auto rfg = std::make_unique<CDbRFGBlend>(blend->m_nID, m_owner);
        rfg->m_strName = blend->m_strName;
        rfg->m_nRFGBlendTypeID = static_cast<std::int32_t>(type);
        float value;
        if (areaRow >= 0 && GetCell(table, areaRow, c, value)) rfg->m_nRFGAreaID = static_cast<std::int32_t>(value);
        if (phaseRow >= 0 && GetCell(table, phaseRow, c, value)) rfg->m_nRFGPhaseID = static_cast<std::int32_t>(value);
        if (seasonRow >= 0 && GetCell(table, seasonRow, c, value)) rfg->m_nRFGSeasonID = static_cast<std::int32_t>(value);
        if (equationRow >= 0 && GetCell(table, equationRow, c, value))
          rfg->m_nRFGEquationID = static_cast<std::int32_t>(value);
        if (number > 0) {
          rfg->m_nPeriodID = number - 1;
          for (const auto& [row, name] : seasonRows) {
            const std::string rest = Mid(name, 6, std::string::npos);
            const std::size_t first = rest.find_first_not_of(' ');
            if (first == std::string::npos || !std::isdigit(static_cast<unsigned char>(rest[first]))) continue;
            if (std::atoi(rest.c_str() + first) == number && GetCell(table, row, c, value))
              rfg->m_nRFGSeasonID = static_cast<std::int32_t>(value);
          }
        }
        m_model.m_paRFGBlends.Add(std::move(rfg));
      }
    }
  }

  void QualityAttributes() {
    CTableFilTable additive;
    if (Read("ADDITIVE", additive, false)) {
      int sus = -1;
      for (int col = 0; col < additive.GetColumnCount(); ++col) {
        if (sus < 0) {
          if (additive.m_aColumnNames[col] == "SUS") sus = col;
          continue;
        }
        CDbQuality* quality = FindByName(m_model.m_paQualities, additive.m_aColumnNames[col]);
        if (!quality) continue;
        for (int r = 0; r < additive.GetRowCount(); ++r) {
          float own, susceptibility, before;
          if (!GetCell(additive, r, col, own) || own != 1.0f) continue;
          if (!GetCell(additive, r, sus, susceptibility) || susceptibility != 0.0f) continue;
          for (int k = 0; k < sus; ++k)
            if (GetCell(additive, r, k, before) && before == 0.0f) {
              quality->m_strQualityNote = additive.m_aColumnNames[k];
              break;
            }
          if (!quality->m_strQualityNote.empty() && quality->m_strQualityNote != " ") break;
        }
      }
    }
    CTableFilTable scale;
    if (Read("SCALE", scale, true)) {
      const int scaleColumn = scale.FindColumn("SCALE");
      const int penalty = scale.FindColumn("PENALTY");
      const bool nimboOne = m_main && m_main->m_settings.m_UseNimboOn.GetValue() == 1;
      for (int i = 0; i < scale.GetRowCount(); ++i) {
        CDbQuality* quality = FindByName(m_model.m_paQualities, Left(scale.m_aRowNames[i], 3));
        if (!quality) continue;
        const std::string text = fill::RowText(scale, i);
        if (!text.empty()) quality->m_strDescription = text;
        float value;
        if (scaleColumn >= 0 && GetCell(scale, i, scaleColumn, value) && value > 0.0f)
          quality->m_fFactor = nimboOne ? 1.0f : value;
        if (penalty >= 0 && GetCell(scale, i, penalty, value)) quality->m_fPenaltyPrice = value;
      }
    }
    CTableFilTable wspecs;
    if (Read("WSPECS", wspecs, true) && !wspecs.m_aRowTexts.empty()) {
      for (int i = 0; i < wspecs.GetRowCount(); ++i) {
        CDbQuality* quality = FindByName(m_model.m_paQualities, Left(wspecs.m_aRowNames[i], 3));
        if (quality && quality->m_strDescription.empty()) quality->m_strDescription = fill::RowText(wspecs, i);
      }
    }
  }

  void InteractionsAndBonuses() {
    CTableFilTable interact;
    if (Read("INTERACT", interact, false)) {
      const bool zelun = m_main && m_main->m_settings.m_UseZelunMGOn.GetValue() != 0;
      for (int i = 0; i < interact.GetRowCount(); ++i) {
        const std::string& row = interact.m_aRowNames[i];
        char number[16];
        std::snprintf(number, sizeof number, "%03d", i + 1);
        CDbQuality* target = FindByName(m_model.m_paQualities, zelun ? row : std::string(number));
        const CDbStream* stream = FindModelStream(m_model, row.size() >= 3 ? row.substr(row.size() - 3) : row);
        const CDbQuality* source = FindByName(m_model.m_paQualities, Left(row, 3));
        if (target && stream && source) {
          target->m_nWorkValue2 = source->m_nID;
          target->m_nWorkValue3 = stream->m_nID;
        }
      }
    }
    CTableFilTable bonus;
    if (!Read("PBONUS", bonus, false)) return;
    for (int r = 0; r < bonus.GetRowCount(); ++r) {
      const std::string& row = bonus.m_aRowNames[r];
      const CDbBlend* blend = FindByName(m_model.m_paBlends, row.size() >= 3 ? row.substr(row.size() - 3) : row);
      const CDbStream* stream = FindModelStream(m_model, Left(row, 3));
      if (!blend || !stream) continue;
      for (int c = 0; c < bonus.GetColumnCount(); ++c) {
        const CDbQuality* quality = FindByName(m_model.m_paQualities, Left(bonus.m_aColumnNames[c], 3));
        float value;
        if (!quality || !GetCell(bonus, r, c, value)) continue;
        ForEachRealPeriod(m_case, [&](CDbPeriod& period) {
          auto& list = period.m_paBlendQualities;
          const CDbBlendQuality probe(blend->m_nID + 10000, m_model.m_nID, quality->m_nID);
          list.Sort(&CDbBlendQuality::CompareElements);
          CDbBlendQuality* entry = list.Find(&probe);
          if (!entry) {
            auto made = std::make_unique<CDbBlendQuality>(blend->m_nID + 10000, m_model.m_nID, quality->m_nID, m_owner);
            entry = made.get();
            list.Add(std::move(made));
            list.Sort(&CDbBlendQuality::CompareElements);
            entry->m_nReportOrder = list.GetSize();
          }
          auto interaction = std::make_unique<CDbBonusInteraction>(stream->m_nID, m_owner);
          interaction->m_dActivity = value;
          interaction->m_nInteractionTypeID = 1;
          entry->m_paBonusInteractions.Add(std::move(interaction));
        });
      }
    }
  }

  // ---- Process limits and blender capacities.
  void ProcessLimits() {
    CTableFilTable table;
    if (!Read("zproclim", table, false) || table.GetRowCount() == 0)
      if (!Read("PROCLIM", table, false) || table.GetRowCount() == 0) return;
    const int penalty = table.FindColumn("PENALTY");
    const int report = table.FindColumn("REPORT");
    std::vector<std::string> periodNames;
    if (m_owner->m_paPeriods)
      for (const CVornPeriod* period : *m_owner->m_paPeriods)
        if (period) periodNames.push_back(period->m_strCode);
    for (const CDbPeriod* period : m_case.m_paPeriods)
      if (period) periodNames.push_back(period->m_strName);
    std::map<std::string, int> minMap, maxMap;
    const bool minDefaultColumn = table.MapColumnsByPrefixEx(periodNames, "MIN", minMap);
    const bool maxDefaultColumn = table.MapColumnsByPrefixEx(periodNames, "MAX", maxMap);
    const CDbPrimalNode nodeProbe(m_model.m_strName);
    const CDbPrimalNode* primalNode = m_solution.m_paPrimalNodes.Find(&nodeProbe);
    const bool complete = HasCompleteTexts(table);
    const bool skipDummy = m_main && fill::IsMultiPeriodModel(*m_main);
    std::int32_t count = 0;
    float minDefault = CTableFilTable::kBlankCell, maxDefault = CTableFilTable::kBlankCell;
    for (int i = 0; i < table.GetRowCount(); ++i) {
      const std::string& row = table.m_aRowNames[i];
      if (row.size() < 4) continue;
      const bool isShort = row.size() < 7;
      const std::string tag = Mid(row, 1, 3);
      CDbDefinition* unit = FindLinear(m_model.m_paProcessCapacities, tag);
      if (!(unit && unit->m_paUnitQualities.IsEmpty() == isShort)) {
        auto made = std::make_unique<CDbDefinition>(++count, m_owner);
        made->m_nReportOrder = count;
        unit = made.get();
        m_model.m_paProcessCapacities.Add(std::move(made));
      }
      unit->m_strName = tag;
      if (isShort) {
        unit->m_bSpecialUnitFlag = 1;
      } else if (const CDbQuality* quality = FindByName(m_model.m_paQualities, tag)) {
        unit->m_strName = Mid(row, 4, 3);
        auto unitQuality = std::make_unique<CDbUnitQuality>(quality->m_nID, m_owner);
        unitQuality->m_strName = quality->m_strName;
        unitQuality->m_strTag = ReportTag(quality->m_strName);
        unit->m_paUnitQualities.Add(std::move(unitQuality));
      }
      if (complete) unit->m_strDescription = fill::RowText(table, i);
      float value;
      if (penalty >= 0 && GetCell(table, i, penalty, value)) unit->m_fPenaltyPrice = value;
      bool plain = false;
      ApplyReportCell(table, i, report, true, *unit, plain);
      unit->m_strReportTag = plain ? unit->m_strName : ReportTag(unit->m_strName);
      if (minDefaultColumn) minDefault = GetCell(table, i, minMap[std::string()], value) ? value : 0.0f;
      if (maxDefaultColumn)
        maxDefault = GetCell(table, i, maxMap[std::string()], value) ? value : CTableFilTable::kBlankCell;
      if (!primalNode) continue;
      for (const CDbPrimalPeriod* primalPeriod : primalNode->m_paPeriods) {
        if (!primalPeriod || (skipDummy && primalPeriod->m_strName == ".")) continue;
        const CDbPeriod probe(primalPeriod->m_strName);
        CDbPeriod* period = m_case.m_paPeriods.Find(&probe);
        if (!period) continue;
        auto base = period->m_mapProcLimFirstSlot.find(m_model.m_nID);
        if (base == period->m_mapProcLimFirstSlot.end()) {
          base = period->m_mapProcLimFirstSlot.emplace(m_model.m_nID, period->m_adProcLimMin.size()).first;
          period->m_adProcLimMin.resize(base->second + table.GetRowCount(), kDbNotSet);
          period->m_adProcLimMax.resize(base->second + table.GetRowCount(), kDbNotSet);
        }
        const std::size_t slot = base->second + static_cast<std::size_t>(unit->m_nID) - 1;
        if (slot >= period->m_adProcLimMin.size() || slot >= period->m_adProcLimMax.size()) continue;
        if (unit->m_nReportFlag == -1 || unit->m_nReportFlag == 2) {
          period->m_adProcLimMin[slot] = period->m_adProcLimMax[slot] = kDbNotSet;
          continue;
        }
        auto limit = [&](std::map<std::string, int>& map, float fallback) {
          const auto column = map.find(period->m_strName);
          float cell;
          if (column != map.end() && GetCell(table, i, column->second, cell)) return static_cast<double>(cell);
          return fallback == CTableFilTable::kBlankCell ? kDbNotSet : static_cast<double>(fallback);
        };
        period->m_adProcLimMin[slot] = limit(minMap, minDefault);
        period->m_adProcLimMax[slot] = limit(maxMap, maxDefault);
      }
    }
  }

  void BlenderCapacities() {
    CTableFilTable table;
    if (!Read("BLNCAP", table, false)) return;
    m_model.m_paBlendStreams.m_bOwnsElements = 0;
    const bool complete = HasCompleteTexts(table);
    std::int32_t count = 0;
    for (int i = 0; i < table.GetRowCount(); ++i) {
      const std::string& row = table.m_aRowNames[i];
      if (CDbStream* stream = FindModelStream(m_model, row)) {
        m_model.m_paBlendStreams.Add(stream);
        continue;
      }
      auto made = std::make_unique<CDbBlenderCapacity>(++count, m_owner);
      CDbBlenderCapacity& capacity = *made;
      m_model.m_paBlenderCapacities.Add(std::move(made));
      capacity.m_strName = row;
      capacity.m_strReportTag = ReportTag(row);
      capacity.m_nReportOrder = count;
      if (complete) capacity.m_strDescription = fill::RowText(table, i);
      capacity.m_paBlends.m_bOwnsElements = 0;
      for (int c = 0; c < table.GetColumnCount(); ++c) {
        const std::string head = Left(table.m_aColumnNames[c], 3);
        if (head == "MIN" || head == "MAX" || head == "FIX" || head == "COS") continue;
        float value;
        if (!GetCell(table, i, c, value)) continue;
        if (CDbBlend* blend = FindByName(m_model.m_paBlends, table.m_aColumnNames[c])) capacity.m_paBlends.Add(blend);
      }
    }
  }

  CDbSolution& m_solution;
  CVornModelFile& m_modelFile;
  CDbModel& m_model;
  CDbCase& m_case;
  CVornDbExportData* m_owner;
  const CVornModelFile* m_main;
  bool m_qualitiesSorted = false;
};

}  // namespace

void CDbSolution::ProcessLocalTables(CVornModelFile* modelFile, CDbModel* model, CDbCase* dbCase) {
  if (!modelFile || !model || !dbCase || !m_pDbData) return;
  CLocalTables(*this, *modelFile, *model, *dbCase).Run();
}

void CDbSolution::CopyTradeFlagsToAlternates(CDbModel* model, CDbStream* stream) {
  if (!model || !stream) return;
  const CDbInt* index = nullptr;
  for (const CDbInt* entry : model->m_paAlternateLinks)
    if (entry && entry->m_nID == stream->m_nID) index = entry;
  if (!index) return;
  for (const std::int32_t id : index->m_lstValues)
    for (CDbStream* alternate : model->m_paStreams)
      if (alternate && alternate->m_nID == id) {
        if (!alternate->m_bIsPurchased) alternate->m_bIsPurchased = stream->m_bIsPurchased;
        if (!alternate->m_bIsSold) alternate->m_bIsSold = stream->m_bIsSold;
        break;
      }
}

void CDbModel::BuildLocTags(CVornModelFile* /*modelFile*/, CDbCase* /*dbCase*/) {
  m_mapLocalTags.clear();
  CTableFilTable table;
  if (!m_pDbData || !m_pDbData->m_pModel ||
      !fill::ReadModelTable(m_pDbData, "LOCTAGS", m_pDbData->m_pModel.get(), table, false))
    return;
  for (int i = 0; i < table.GetRowCount(); ++i) {
    const std::string& row = table.m_aRowNames[i];
    const std::string global = Left(i < static_cast<int>(table.m_aRowTexts.size()) ? table.m_aRowTexts[i] : "", 3);
    const std::string local = Left(row, 3);
    if (Mid(row, 3, 1) != m_strName) continue;
    auto pair = std::make_unique<CDbPrimal>(global);
    pair->m_strAliasName = local;
    m_paPrimals.Add(std::move(pair));
    m_mapLocalTags[local] = global;
  }
  m_paPrimals.Sort(&CDbPrimal::CompareElements);
}
