#pragma once
// What the builders of the solution fill share when they read model tables
// and walk a case: reading a table of a model, cells and row texts by
// position, the report-tag rule, the real periods of a case and the streams
// of a model object. Counts and positions come from the stored tables and are
// checked before every use.

#include <cstdint>
#include <string>

#include "caseset/modeltables/table_fil_table.h"
#include "results/objects/db_case.h"

class CDbModel;
class CDbStream;
class CVornDbExportData;
class CVornModelFile;

namespace fill {

// Loads a table of model into table; false (table empty) when it cannot be
// read, reported by the reader only with report set.
bool ReadModelTable(CVornDbExportData* exportData, const char* name, CVornModelFile* model, CTableFilTable& table,
                    bool report);

// The cell at (row, column); false when it is blank or out of the grid.
bool GetCell(const CTableFilTable& table, int row, int column, float& value);
// The row text cut to 50 characters when the table has exactly one text per row, else "".
std::string RowDescription(const CTableFilTable& table, int row);
// The row text cut to 50 characters when row is below the number of texts, else "".
std::string RowText(const CTableFilTable& table, int row);

// The main model definition of the export, or null.
const CVornModelFile* MainModel(const CVornDbExportData* exportData);
// The report tag of a name: its extended three-character tag when the main
// model uses extended tags, else the name.
std::string ReportTag(const CVornDbExportData* exportData, const std::string& name);
bool UseExtendedTags(const CVornDbExportData* exportData);

// ModelType 1 or 3.
bool IsMultiPeriodModel(const CVornModelFile& model);
std::int32_t GetModelType(const CVornModelFile& model);

// The index of the case's first real period (1 after the dummy period of a
// multi-period case, else 0), never past the end of the period list.
int FirstPeriodIndex(const CDbCase& dbCase);
// The case's first real period, or null.
CDbPeriod* FirstRealPeriod(const CDbCase& dbCase);
// Calls fn(period) for each real period of the case, from the first real period to the end.
template <class Fn>
void ForEachRealPeriod(CDbCase& dbCase, Fn fn) {
  for (int i = FirstPeriodIndex(dbCase); i < dbCase.m_paPeriods.GetSize(); ++i)
    if (CDbPeriod* period = dbCase.m_paPeriods.GetAt(i)) fn(*period);
}

// The model's stream of that name (its streams sorted by name), or null.
CDbStream* FindModelStream(const CDbModel& model, const std::string& name);
// A stream the fill adds for a name the model's tables use without defining it (a recursed or PCALC'd pool, a
// missing alternate): a dummy on the weight basis with the report tag of its name and the given description,
// identified by its packed tag when the main model uses universal ids, else by the model's stream count, which is
// also its report order. The model's streams are sorted by name again.
CDbStream& AddDummyStream(CDbModel& model, const std::string& name, const char* description, CVornDbExportData* owner);

std::string TrimRight(const std::string& text);
std::string Left(const std::string& text, std::size_t count);

}  // namespace fill
