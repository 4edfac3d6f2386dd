#pragma once
// The row matching, key translation and target columns of table transfers,
// shared by the back ends that write (see key_patterns.h for how two keys
// correspond).

#include <string>
#include <vector>

#include "tableio/base_tbl.h"

// The index of the candidate row that corresponds to row, -1 when none.
// Candidates without a pending key are passed over; each pending key cell of
// row is compared with the candidate's cell at the same position. With the
// table's AllMatchingRows option on, every corresponding candidate loses its
// pending keys and the last one is returned.
int FindMatchingRow(CBaseTbl& t, CIoRowArray& candidates, const CIoRow& row,
                    const std::vector<std::string>& candidatePatterns, const std::vector<std::string>& rowPatterns);

// Appends to newRow one key cell per key cell of sourceRow, of the same
// kind: texts rewritten from the from pattern's shape into the to pattern's,
// other values copied. Returns 1.
int TranslateRowKeys(const CIoRow& sourceRow, CIoRow& newRow, const std::vector<std::string>& fromPatterns,
                     const std::vector<std::string>& toPatterns);

// Builds the table's target columns anew, one per source column, adding
// the columns the table lacks (unless ReplaceExisting is on). Returns 1, or
// 0 when adding a column failed.
int ResolveResultColumns(CBaseTbl& t, const CColumnArray& sourceColumns, const std::string& resultList,
                         const std::string& extractList);

// Adds a column for every result field that names none: text as wide as the
// value's text for a text or date value, a double for a number. Returns 1,
// or 0 when adding a column failed.
int AddMissingColumns(CBaseTbl& t, const CIoCell& value);

// True when any row still has a pending key cell.
bool AnyRowPending(const CIoRowArray& rows);
