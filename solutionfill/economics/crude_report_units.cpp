// Crude-unit report units: the table of a REPORT row assembled from the
// chosen columns of the crude submodels, and the merge of its product
// operations that belong to one cut.

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_tables.h"
#include "solutionfill/economics/economics_fill.h"
#include "solutionfill/economics/unit_operations.h"

namespace {

// The pool markers of a cut column's third character, pools 1 to 36.
constexpr unsigned char kMarkersR[36] = {43,  62,  93,  41,  125, 34,  33,  64,  35,  47,  58,  59,
                                         61,  63,  161, 162, 163, 164, 165, 166, 167, 168, 169, 170,
                                         171, 172, 173, 174, 175, 176, 177, 178, 179, 180, 181, 182};
constexpr unsigned char kMarkersQ[36] = {45,  60,  91,  40,  123, 36,  37,  94,  38,  96,  124, 42,
                                         44,  46,  191, 192, 193, 194, 195, 196, 197, 198, 199, 200,
                                         201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211, 212};

bool IsPoolMarker(std::int32_t pool, char marker) {
  if (pool < 1 || pool > 36) return false;
  const auto c = static_cast<unsigned char>(marker);
  return kMarkersR[pool - 1] == c || kMarkersQ[pool - 1] == c;
}

bool BeginsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

std::int32_t At(const std::vector<std::int32_t>& list, std::size_t slot, std::int32_t fallback) {
  return slot < list.size() ? list[slot] : fallback;
}

enum class Section { kNone, kFirst, kSecond };

}  // namespace

void CDbSpecialSubs::BuildReportTable(CVornModelFile* modelFile, CTableFilTable& table, const std::int32_t& reportIndex,
                                      CVornDbExportData* exportData) {
  table.m_aColumnNames.clear();
  table.m_aRowNames.clear();
  table.m_aRowTexts.clear();
  table.m_aCells.clear();
  const std::size_t columns = static_cast<std::size_t>(m_nColumnCount > 0 ? m_nColumnCount : 0);
  if (reportIndex < 0) return;
  for (std::size_t l = 0; l < columns && l < m_astrColumnNames.size(); ++l) {
    const std::int32_t code = At(m_aReportValues, static_cast<std::size_t>(reportIndex) * columns + l, 0);
    if (code == 0) continue;
    const std::string submodel = "S" + m_astrColumnNames[l];
    CTableFilTable source;
    if (!fill::ReadModelTable(exportData, submodel.c_str(), modelFile, source, true) || source.GetRowCount() == 0 ||
        source.GetColumnCount() == 0)
      continue;
    auto typeAt = [&](int cut) { return At(m_aCutColumnValues, static_cast<std::size_t>(cut) * columns + l, -1); };
    if (code == 2) {
      bool hasType2 = false;
      for (int m = 0; m < m_nCutCount && !hasType2; ++m) hasType2 = typeAt(m) == 2;
      if (!hasType2) continue;
    }
    bool secondMark = false;
    for (int j = 0; j < source.GetColumnCount(); ++j) {
      const std::string& name = source.m_aColumnNames[static_cast<std::size_t>(j)];
      if (name.size() >= 2 && name[1] == '!') secondMark = true;
      Section section = Section::kNone;
      const std::string rowName =
          static_cast<std::size_t>(j) < source.m_aRowNames.size() ? source.m_aRowNames[static_cast<std::size_t>(j)] : "";
      float diagonal;
      if (secondMark) {
        section = Section::kSecond;
      } else if ((BeginsWith(rowName, "VBAL") || BeginsWith(rowName, "WBAL")) && rowName.size() > 4 &&
                 rowName.substr(4, 3) == name && fill::GetCell(source, j, j, diagonal) && diagonal == 1.0f) {
        section = Section::kFirst;
      } else if (name.size() >= 3) {
        for (int m = 0; m < m_nCutCount && static_cast<std::size_t>(m) < m_astrCutNames.size(); ++m) {
          const std::string& cut = m_astrCutNames[static_cast<std::size_t>(m)];
          const std::int32_t pool = At(m_aCutColumnFlags, static_cast<std::size_t>(m) * columns + l, 0);
          if (cut.size() < 2 || cut.compare(0, 2, name, 0, 2) != 0 || pool == 0 || !IsPoolMarker(pool, name[2]))
            continue;
          const std::int32_t type = typeAt(m);
          if (type == 0 || type == 1 || type == 2 || type == 4)
            section = Section::kFirst;
          else if (type == 3 || type == 34)
            section = Section::kSecond;
          break;
        }
      }
      const bool copy = (section == Section::kFirst && (code == 1 || code == 3)) ||
                        (section == Section::kSecond && (code == 2 || code == 3));
      if (!copy) continue;

      // Copy the column: rows V, W, U, C and P, without the FVT, NUM and DEN property rows.
      if (!table.AddColumn(submodel + name.substr(0, 3))) continue;
      const int column = table.GetColumnCount() - 1;
      for (int i = 0; i < source.GetRowCount(); ++i) {
        const std::string& row = source.m_aRowNames[static_cast<std::size_t>(i)];
        if (row.empty() || std::string("VWUCP").find(row[0]) == std::string::npos) continue;
        if (row[0] == 'P' && (row.compare(1, 3, "FVT") == 0 || row.compare(4, 3, "NUM") == 0 ||
                              row.compare(4, 3, "DEN") == 0))
          continue;
        const std::string text =
            static_cast<std::size_t>(i) < source.m_aRowTexts.size() ? source.m_aRowTexts[static_cast<std::size_t>(i)] : "";
        int target;
        if (!table.FindOrAddRow(row, text, target)) continue;
        float value;
        const bool set = fill::GetCell(source, i, j, value);
        const std::size_t slot = static_cast<std::size_t>(target) * static_cast<std::size_t>(table.GetColumnCount()) +
                                 static_cast<std::size_t>(column);
        if (slot < table.m_aCells.size()) table.m_aCells[slot] = set ? value : 1.0e30f;
      }
    }
  }
}

void CDbSolution::MergeCutOperations(CDbDefinition* unit, const CTableFilTable& table, CDbPrimalNode* primalNode,
                                     CDbCase* dbCase, CDbModel* model) {
  if (!unit || !primalNode || !dbCase || !model) return;
  const bool skipDummy = econ::MainIsMultiPeriod(m_pDbData);
  const CStringArrayExt& cuts = m_specialSubs.m_astrCutNames;
  for (CDbPrimalPeriod* primal : primalNode->m_paPeriods) {
    if (!primal || (skipDummy && primal->m_strName == ".")) continue;
    CDbPeriod* period = econ::FindCasePeriod(*dbCase, primal->m_strName);
    if (!period) continue;
    auto& ops = period->m_paUnitOperationMaterials;
    struct Entry {
      CDbUnitOp* op;
      int cut;
    };
    std::vector<Entry> entries;
    for (const std::string& row : table.m_aRowNames) {
      if (!(BeginsWith(row, "VBAL") || BeginsWith(row, "WBAL"))) continue;
      const std::string item = row.size() > 4 ? row.substr(4, 3) : std::string();
      if (item.size() == 3 && std::toupper(static_cast<unsigned char>(item[0])) == 'L' &&
          std::toupper(static_cast<unsigned char>(item[1])) == 'O' &&
          std::toupper(static_cast<unsigned char>(item[2])) == 'S')
        continue;
      const CDbStream probeStream(item);
      const CDbStream* stream = model->m_paStreams.Find(&probeStream);
      if (!stream) continue;
      CDbUnitOp probe(unit->m_nID, model->m_nID);
      probe.m_nItemID = stream->m_nID;
      probe.m_nKind = CDbUnitOp::kMaterial;
      CDbUnitOp* op = ops.Find(&probe);
      if (!op || op->m_nFeedFlag != 0) continue;
      // A stream with both a VBAL and a WBAL row has one operation: list it once, so a merge never frees it twice.
      if (std::any_of(entries.begin(), entries.end(), [op](const Entry& e) { return e.op == op; })) continue;
      int cut = 0;
      if (!FindStringIndex(cuts, item, cut) && !FindStringIndex(cuts, item.substr(0, 2) + "1", cut)) cut = 0;
      entries.push_back({op, cut});
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].cut == 0) continue;
      for (std::size_t j = i + 1; j < entries.size(); ++j) {
        if (entries[j].cut != entries[i].cut) continue;
        entries[i].op->m_dActivity += entries[j].op->m_dActivity;
        entries[j].cut = 0;
        for (int k = 0; k < ops.GetSize(); ++k)
          if (ops.GetAt(k) == entries[j].op) {
            ops.RemoveAt(k);
            break;
          }
      }
    }
  }
}
