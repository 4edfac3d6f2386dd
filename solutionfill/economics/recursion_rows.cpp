// Recursion-dependent coefficients of the unit tables: the look-ups a model
// prepares before its unit operations are built (recursed names with their
// guesses, ROWSORG, TVPROP.DAT), the coefficient and factor the unit
// builder asks for per period, and the property rows of a plant that a
// global case recomputes with the qualities of the plants sending it streams.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>
#include <string>

#include "caseset/tags/extended_tag_processor.h"
#include "caseset/vorn_db_export_data.h"
#include "foundation/timing_scope.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_services.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/core/solver_side_files.h"
#include "solutionfill/economics/economics_fill.h"
#include "solutionfill/economics/group_fill.h"
#include "standins/tresk.h"

namespace {

bool EqualsNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

std::string Right(const std::string& text, std::size_t count) {
  return text.size() > count ? text.substr(text.size() - count) : text;
}

// The recursion value of name index for period index a (element
// a x NameCount + index; index itself for a below 0), in the precision the
// main model's settings give; false when the record holds no such element.
bool RecursedValue(const CRecursionRecord& record, bool doublePrecision, std::int32_t index, std::int32_t a,
                   double& value) {
  if (index < 0 || index >= record.NameCount()) return false;
  const std::int64_t at = a < 0 ? index : static_cast<std::int64_t>(a) * record.NameCount() + index;
  const auto slot = static_cast<std::size_t>(at);
  if (doublePrecision) {
    if (slot >= record.m_adValues.size()) return false;
    value = record.m_adValues[slot];
  } else {
    if (slot >= record.m_afValues.size()) return false;
    value = record.m_afValues[slot];
  }
  return true;
}

// The period code of period index a; false outside the record's codes, which
// then have no code to build a name from.
bool PeriodCode(const CRecursionRecord& record, std::int32_t a, std::string& code) {
  if (a < 0 || a >= record.PeriodCodeCount() || static_cast<std::size_t>(a) >= record.m_astrPeriodCodes.size())
    return false;
  code = record.m_astrPeriodCodes[static_cast<std::size_t>(a)];
  return true;
}

const CDbPrimal* FindEntry(const CDbPrimalArray& entries, const std::string& name) {
  const CDbPrimal probe(name);
  return entries.Find(&probe);
}

const CRecObject* FindRecObject(const CVornModelFile& model, const std::string& name) {
  const CRecObject probe(name);
  return model.m_recObjects.Find(&probe);
}

}  // namespace

void CDbSolution::BuildRecursionRows(CVornModelFile* modelFile, const CRecursionRecord& recursion) {
  if (!modelFile) return;
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  const std::int32_t mainType = main ? fill::GetModelType(*main) : 0;
  const bool nimbo = main && main->m_settings.m_UseNimboOn.GetValue() != 0;

  CTableFilTable guesses;
  const bool hasGuesses = fill::ReadModelTable(m_pDbData, "PGUESS", modelFile, guesses, false);
  auto& objects = modelFile->m_recObjects;
  objects.RemoveAll();
  // The recursed and PCALC'd pool names; a boundary past the names read is cut to them.
  const std::int32_t poolNames = std::clamp(recursion.m_anHeader[1], 0,
                                            std::min(recursion.NameCount(),
                                                     static_cast<std::int32_t>(recursion.m_astrPrimaryNames.size())));
  for (std::int32_t o = 0; o < poolNames; ++o) {
    std::string name = fill::TrimRight(recursion.m_astrPrimaryNames[static_cast<std::size_t>(o)]);
    if (!name.empty() && (name[0] == 'R' || name[0] == 'Q')) name.erase(0, 1);
    if ((mainType == 2 || mainType == 3) && nimbo && !name.empty()) name.pop_back();  // the plant code
    if ((mainType == 1 || mainType == 3) && nimbo && !name.empty()) name.pop_back();  // the period code
    auto object = std::make_unique<CRecObject>(name);
    object->m_nIndex = o;
    object->m_fValue = 1.0e30f;
    if (hasGuesses) {
      const int column = guesses.FindColumn(fill::Left(name, 3));
      const int row = guesses.FindRow(econ::Chars3(name, 3));
      float guess;
      if (column >= 0 && row >= 0 && fill::GetCell(guesses, row, column, guess)) object->m_fValue = guess;
    }
    objects.Add(std::move(object));
  }
  objects.Sort(&CRecObject::CompareElements);

  CDbPrimalArray& rowsOrg = RowsOrgEntries();
  rowsOrg.RemoveAll();
  CTableFilTable table;
  if (fill::ReadModelTable(m_pDbData, "ROWSORG", modelFile, table, false)) {
    const CTimingScope timing(LoadTreskString(kTreskTimingRowsorg).c_str());
    for (int r = 0; r < table.GetRowCount(); ++r)
      for (int c = 0; c < table.GetColumnCount(); ++c) {
        float cell;
        if (!fill::GetCell(table, r, c, cell)) continue;
        auto entry = std::make_unique<CDbPrimal>(table.m_aRowNames[static_cast<std::size_t>(r)] +
                                                 table.m_aColumnNames[static_cast<std::size_t>(c)]);
        entry->m_dActivity = cell;
        rowsOrg.Add(std::move(entry));
      }
  }
  rowsOrg.Sort(&CDbPrimal::CompareElements);

  CDbPrimalArray& tvprop = TvpropEntries();
  tvprop.RemoveAll();
  if (fill::GetModelType(*modelFile) == 1) {
    std::int32_t count = 0;
    ReadTvpropDat(modelFile, count);
  }
  tvprop.Sort(&CDbPrimal::CompareElements);
}

void CDbSolution::GetRecursedCoefficient(CVornModelFile* modelFile, const std::string& row, const std::string& column,
                                         std::int32_t a, const CRecursionRecord& recursion, float& value,
                                         bool poolCoefficient) {
  if (!modelFile || !m_pDbData || recursion.PeriodCodeCount() < 1) return;
  const bool doublePrecision = SideFilesUseDoublePrecision(*m_pDbData, *modelFile);
  std::string code;

  if (poolCoefficient) {
    if (const CRecObject* object = FindRecObject(*modelFile, econ::Chars3(row, 1) + Right(column, 3))) {
      double sign = 1.0;
      if (value == -999.0f) {
        sign = -1.0;
      } else if (value != 999.0f && object->m_fValue != 1.0e30f && object->m_fValue != 0.0f &&
                 value / object->m_fValue < 0.0f) {
        sign = -1.0;
      }
      double recursed;
      if (RecursedValue(recursion, doublePrecision, object->m_nIndex, a, recursed))
        value = static_cast<float>(sign * recursed);
      return;
    }
    if (!PeriodCode(recursion, a, code)) return;
    if (const CDbPrimal* entry = FindEntry(TvpropEntries(), column + code + row + code))
      value = static_cast<float>((value < 0.0f ? -1.0 : 1.0) * entry->m_dActivity);
    return;
  }

  if (a < 0) return;
  const std::int32_t names = std::min(recursion.NameCount(),
                                      static_cast<std::int32_t>(std::min(recursion.m_astrPrimaryNames.size(),
                                                                         recursion.m_astrSecondaryNames.size())));
  const std::int32_t first = std::clamp(recursion.m_anHeader[1], 0, names);
  const std::int32_t last = std::clamp(recursion.m_anHeader[2], first, names);
  for (std::int32_t k = first; k < last; ++k) {
    const auto slot = static_cast<std::size_t>(k);
    if (fill::Left(recursion.m_astrPrimaryNames[slot], 7) != row ||
        fill::Left(recursion.m_astrSecondaryNames[slot], 7) != column)
      continue;
    double recursed;
    if (RecursedValue(recursion, doublePrecision, k, a, recursed)) value = static_cast<float>(recursed);
    break;
  }

  std::string periodRow = row;
  std::string periodColumn = column;
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  const std::int32_t mainType = main ? fill::GetModelType(*main) : 0;
  if (mainType == 1 || mainType == 3) {
    // A period index past the record's codes names no period: ROWSORG and the SI values do not apply.
    if (!PeriodCode(recursion, a, code)) return;
    const CExtendedTagProcessor* tags = m_pDbData->m_pTagProcessor.get();
    if (fill::UseExtendedTags(m_pDbData) && tags) code = tags->GetShortPeriodTag(code);
    periodRow += code;
    periodColumn += code;
    if (const CDbPrimal* entry = FindEntry(RowsOrgEntries(), periodRow + periodColumn))
      value = IsInfiniteValue(entry->m_dActivity) == 1 ? 0.0f : static_cast<float>(entry->m_dActivity);
  }
  const bool nimbo = main && main->m_settings.m_UseNimboOn.GetValue() != 0;
  const auto& outputs = nimbo ? modelFile->m_nimboVars.m_valueArray3 : modelFile->m_siOutputValues;
  for (const CSiOutputValue* output : outputs)
    if (output && output->m_strText1 == periodRow && output->m_strText2 == periodColumn) {
      value = static_cast<float>(output->m_dValue);
      break;
    }
}

bool CDbSolution::ApplyRecursedFactor(CVornModelFile* modelFile, const std::string& firstPart,
                                      const std::string& secondPart, std::int32_t a,
                                      const CRecursionRecord& recursion, float& value) {
  if (!modelFile || !m_pDbData || recursion.PeriodCodeCount() < 1) return false;
  if (const CRecObject* object = FindRecObject(*modelFile, firstPart + secondPart)) {
    double factor;
    if (!RecursedValue(recursion, SideFilesUseDoublePrecision(*m_pDbData, *modelFile), object->m_nIndex, a, factor))
      return false;
    value = static_cast<float>(value * factor);
    return true;
  }
  std::string code;
  if (!PeriodCode(recursion, a, code)) return false;
  const CDbPrimal* entry = FindEntry(TvpropEntries(), secondPart + code);
  if (!entry) return false;
  value = static_cast<float>(entry->m_dActivity);
  return true;
}

void CDbSolution::ReProcessPRowsForTransfers(CDbCase* dbCase) {
  if (!dbCase || !m_pDbData) return;
  const CVornModelFile* main = fill::MainModel(m_pDbData);
  const bool mainMulti = main && fill::IsMultiPeriodModel(*main);

  for (CDbPeriod* period : dbCase->m_paPeriods) {
    if (!period) continue;
    for (const CDbTransfer* transfer : period->m_paTransfers) {
      if (!transfer) continue;
      const CDbNode* toNode = fill::FindCaseNode(*dbCase, transfer->m_strToText);
      const CDbModel* to = toNode ? fill::FindNodeModel(*toNode, transfer->m_strToText) : nullptr;
      const CDbNode* fromNode = fill::FindCaseNode(*dbCase, transfer->m_strFromText);
      const CDbModel* from = fromNode ? fill::FindNodeModel(*fromNode, transfer->m_strFromText) : nullptr;
      if (!to || !from) continue;
      const CStreamToPRowCrossReference refProbe(transfer->m_nToStreamID, to->m_nID);
      const CStreamToPRowCrossReference* reference = period->m_paStreamToPRowRefs.Find(&refProbe);
      if (!reference) continue;

      for (const CPRowInfo* info : reference->m_paPRowInfos) {
        if (!info) continue;
        CDbPRow* pRow = nullptr;
        for (CDbPRow* each : period->m_paPRows)
          if (each && each->m_nID == info->m_nPRowID && each->m_nNodeID == to->m_nID &&
              each->m_nUnitID == info->m_nUnitID) {
            pRow = each;
            break;
          }
        if (!pRow) continue;
        const CDbQuality qualityProbe(econ::Chars3(pRow->m_strTag, 1));
        const CDbQuality* toQuality = to->m_paQualities.Find(&qualityProbe);
        const CDbQuality* fromQuality = from->m_paQualities.Find(&qualityProbe);
        if (!toQuality || !fromQuality) continue;
        const CDbStreamQuality* sourceValue = econ::FindQualityRecord(
            period->m_paStreamQualities, transfer->m_nFromStreamID, from->m_nID, fromQuality->m_nID);
        if (sourceValue && sourceValue->m_nOriginID != 2) continue;  // only a recursed source quality is taken

        CVornModelFile* local = nullptr;
        if (m_pDbData->m_paLocalModelFiles)
          for (CVornModelFile* each : *m_pDbData->m_paLocalModelFiles)
            if (each && EqualsNoCase(each->m_strModelName, to->m_strModelName)) {
              local = each;
              break;
            }
        if (!local) continue;
        CTableFilTable table;
        if (!fill::ReadModelTable(m_pDbData, info->m_strSubmodelName.c_str(), local, table, true)) continue;
        const int r = info->m_nRowIndex;
        if (r < 0 || r >= table.GetRowCount()) continue;
        const std::string& rowName = table.m_aRowNames[static_cast<std::size_t>(r)];
        if (!EqualsNoCase(rowName, pRow->m_strTag) || rowName.size() < 5) continue;
        const char kind = rowName[4];

        const CDbPrimalNode* primalNode = econ::FindPrimalNode(*this, to->m_strName);
        if (!primalNode) continue;
        const CDbPrimalPeriod* primal = nullptr;
        std::int32_t a = 0;
        std::int32_t skipped = 0;
        for (int i = 0; i < primalNode->m_paPeriods.GetSize(); ++i) {
          const CDbPrimalPeriod* each = primalNode->m_paPeriods.GetAt(i);
          if (!each) continue;
          if (mainMulti && each->m_strName == ".") {
            ++skipped;
            continue;
          }
          if (EqualsNoCase(each->m_strName, period->m_strName)) {
            primal = each;
            a = i - skipped;
            break;
          }
        }
        if (!primal) continue;

        const double small = local->m_settings.m_SMALL.GetValue();
        CRecursionRecord& recursion = GetRecursionRecord(*local);
        double sum = 0.0;
        double weight = 0.0;
        bool counted = false;
        for (int c = 0; c < table.GetColumnCount(); ++c) {
          float cell;
          if (!fill::GetCell(table, r, c, cell) || std::fabs(cell) < small) continue;
          const std::string head = fill::Left(table.m_aColumnNames[static_cast<std::size_t>(c)], 3);
          const std::string columnName = info->m_strSubmodelName + head;
          const CDbPrimal* column = econ::FindColumn(*primal, columnName);
          if (!column) continue;
          float value = cell;
          if (const CDbStream* stream = fill::FindModelStream(*to, head))
            if (const CDbStreamQuality* received =
                    econ::FindQualityRecord(period->m_paStreamQualities, stream->m_nID, to->m_nID, toQuality->m_nID))
              value = static_cast<float>(received->m_dValue);
          GetRecursedCoefficient(local, rowName, columnName, a, recursion, value, true);
          sum += value * column->m_dActivity;
          if (kind == 'A') weight += column->m_dActivity;
          counted = true;
        }
        if (!counted) continue;
        // An average over columns without activity keeps the value the unit builder gave it.
        if (kind == 'A' && weight != 0.0) pRow->m_dActivity = sum / weight;
        if (kind == 'T') pRow->m_dActivity = sum * 1000.0;
      }
    }
  }
}
