#include "tableio/db/row_matching.h"

#include <memory>

#include "foundation/string_utils.h"
#include "platform/exceptions.h"
#include "tableio/db/key_patterns.h"

namespace {

constexpr std::uint32_t kIdsColumnSkippedReplaceExisting = 10011;

const std::string& PatternAt(const std::vector<std::string>& patterns, int i) {
  if (i < 0 || static_cast<std::size_t>(i) >= patterns.size())
    throw CInvalidArgException("Key pattern index out of range.");
  return patterns[static_cast<std::size_t>(i)];
}

bool IsPending(const CIoCell& cell) { return (cell.m_nFlags & kCellPending) != 0; }

bool KeysCorrespond(const CIoRow& candidate, const CIoRow& row, const std::vector<std::string>& candidatePatterns,
                    const std::vector<std::string>& rowPatterns) {
  for (int i = 0; i < row.m_keyCells.GetSize(); ++i) {
    const CIoCell* given = row.m_keyCells[i];
    if (!IsPending(*given)) continue;
    const CIoCell* cell = candidate.m_keyCells[i];
    if (!IsPending(*cell)) {
      if (!WildcardMatch(given->Format(), PatternAt(rowPatterns, i))) return false;
    } else if (cell->IsNull()) {
      if (!given->IsNull()) return false;
    } else if (given->IsNull()) {
      return false;
    } else if (!MatchKeyPatterns(cell->Format(), PatternAt(candidatePatterns, i), given->Format(),
                                 PatternAt(rowPatterns, i))) {
      return false;
    }
  }
  return true;
}

bool HasWildcard(const std::string& list) {
  return list.find_first_of("*?") != std::string::npos || list.find("...") != std::string::npos;
}

std::unique_ptr<CColumn> CopyColumn(const CColumn& column) { return std::make_unique<CColumn>(column); }

}  // namespace

int FindMatchingRow(CBaseTbl& t, CIoRowArray& candidates, const CIoRow& row,
                    const std::vector<std::string>& candidatePatterns, const std::vector<std::string>& rowPatterns) {
  const bool all = t.m_pOptions != nullptr && t.m_pOptions->AllMatchingRows != 0;
  int found = -1;
  for (int c = 0; c < candidates.GetSize(); ++c) {
    CIoRow* candidate = candidates[c];
    if (candidate == nullptr || !candidate->IsKeyPending()) continue;
    if (!KeysCorrespond(*candidate, row, candidatePatterns, rowPatterns)) continue;
    if (!all) return c;
    candidate->ClearPendingKeys();
    found = c;
  }
  return found;
}

int TranslateRowKeys(const CIoRow& sourceRow, CIoRow& newRow, const std::vector<std::string>& fromPatterns,
                     const std::vector<std::string>& toPatterns) {
  for (int i = 0; i < sourceRow.m_keyCells.GetSize(); ++i) {
    const CIoCell& cell = *sourceRow.m_keyCells[i];
    const bool isNull = cell.IsNull();
    std::unique_ptr<CIoCell> copy;
    switch (cell.GetSqlType()) {
      case 1:
      case 2:
      case 3:
      case 12:
      case -1: {
        std::string text = cell.GetString();
        TranslateKeyText(text, PatternAt(fromPatterns, i), PatternAt(toPatterns, i));
        copy = std::make_unique<CIoStrCell>(text, isNull, false);
        break;
      }
      case 4: copy = std::make_unique<CIoLongCell>(cell.GetLong(), isNull, false); break;
      case 5: copy = std::make_unique<CIoShortCell>(cell.GetShort(), isNull, false); break;
      case 7: copy = std::make_unique<CIoFloatCell>(cell.GetFloat(), isNull, false); break;
      case 6:
      case 8: copy = std::make_unique<CIoDoubleCell>(cell.GetDouble(), isNull, false); break;
      case 9: copy = std::make_unique<CIoDateCell>(cell.GetDateTime(), isNull, false); break;
      case 10: copy = std::make_unique<CIoTimeCell>(cell.GetDateTime(), isNull, false); break;
      case 11: copy = std::make_unique<CIoTimeStampCell>(cell.GetDateTime(), isNull, false); break;
      case -7: copy = std::make_unique<CIoBitCell>(cell.GetBit(), isNull, false); break;
      case -6: copy = std::make_unique<CIoTinyIntCell>(cell.GetTinyInt(), isNull, false); break;
      default: break;
    }
    if (copy) newRow.AddKeyCell(std::move(copy));
  }
  return 1;
}

int ResolveResultColumns(CBaseTbl& t, const CColumnArray& sourceColumns, const std::string& resultList,
                         const std::string& extractList) {
  t.m_targetColumns.RemoveAll();
  const bool resultHasWildcard = HasWildcard(resultList);
  for (int s = 0; s < sourceColumns.GetSize(); ++s) {
    const CColumn& source = *sourceColumns[s];
    // A result field of the same name, or one whose name corresponds to the source's.
    const CIoKeyCell* target = nullptr;
    for (const CIoKeyCell* field : t.m_resultFields) {
      if (field->GetName() == source.m_strName ||
          MatchKeyPatterns(field->GetName(), resultList, source.m_strName, extractList)) {
        target = field;
        break;
      }
    }
    if (target != nullptr && target->GetIndex() >= 0) {
      t.m_targetColumns.Add(CopyColumn(*t.m_columns[target->GetIndex()]));
      continue;
    }
    std::string name = source.m_strName;
    if (!resultHasWildcard && s < t.m_resultFields.GetSize()) {
      const CIoKeyCell* positional = t.m_resultFields[s];
      if (positional->GetIndex() >= 0) {
        t.m_targetColumns.Add(CopyColumn(*t.m_columns[positional->GetIndex()]));
        continue;
      }
      name = positional->GetName();
    }
    if (resultHasWildcard) TranslateKeyText(name, extractList, resultList);
    auto column = std::make_unique<CColumn>(name, source.m_nSqlType, source.m_nSize, source.m_nDecimals,
                                            source.m_nNullable, source.m_nFlags);
    column->m_strAlias = source.m_strAlias;
    auto copy = CopyColumn(*column);
    t.m_targetColumns.Add(std::move(column));
    if (t.m_pOptions != nullptr && t.m_pOptions->ReplaceExisting != 0) {
      t.LogNoteArg(kIdsColumnSkippedReplaceExisting, name);
      continue;
    }
    if (t.AddColumn(std::move(copy)) == -1) return 0;
  }
  return 1;
}

int AddMissingColumns(CBaseTbl& t, const CIoCell& value) {
  for (CIoKeyCell* field : t.m_resultFields) {
    if (field->GetIndex() != -1) continue;
    std::unique_ptr<CColumn> column;
    switch (value.GetSqlType()) {
      case 1:
      case 2:
      case 3:
      case 9:
      case 10:
      case 11:
      case 12:
      case -1:
        column = std::make_unique<CColumn>(field->GetName(), std::int16_t{1},
                                           static_cast<std::int32_t>(value.Format().size()), std::int16_t{0},
                                           std::int16_t{1}, 0);
        break;
      case 4:
      case 5:
      case 6:
      case 7:
      case 8:
      case -7:
      case -6:
        column = std::make_unique<CColumn>(field->GetName(), std::int16_t{8}, 8, std::int16_t{0}, std::int16_t{1}, 0);
        break;
      default: continue;
    }
    const int index = t.AddColumn(std::move(column));
    if (index == -1) return 0;
    field->SetIndex(index);
  }
  return 1;
}

bool AnyRowPending(const CIoRowArray& rows) {
  for (const CIoRow* row : rows)
    if (row != nullptr && row->IsKeyPending()) return true;
  return false;
}
