#include "caseset/modeltables/case_tables.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "caseset/config/assembled_case.h"
#include "caseset/config/case_table.h"
#include "caseset/config/per_case.h"
#include "caseset/config/vorn_period.h"
#include "caseset/modeltables/model_table_reader.h"
#include "caseset/modeltables/table_fil_table.h"
#include "caseset/modeltables/vorn_io_table.h"
#include "foundation/input_failure.h"
#include "foundation/messages.h"
#include "modelfile/vorn_model_file.h"
#include "platform/string_table.h"
#include "tableio/worksheet/excel8_wks_io.h"
#include "tableio/worksheet/wks_file.h"

namespace {

const plat::StringTableRegistrar kCaseTableStrings(
    plat::StringTable::Program,
    {
        {kIdsRequiredColumnMissing, "Required column missing"},
    });

bool IsWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string TrimTrailing(std::string text) {
  std::size_t end = text.size();
  while (end > 0 && IsWhiteSpace(text[end - 1])) --end;
  text.resize(end);
  return text;
}

// A case number truncated toward zero; a value no case number can hold
// (infinite, NaN or beyond 32 bits) counts as no case.
std::int32_t CaseNumberOf(double value) {
  if (!std::isfinite(value) || value <= -2147483649.0 || value >= 2147483648.0) return -1;
  return static_cast<std::int32_t>(value);
}

// The last column of that name, -1 when there is none.
int FindLastColumn(const CTableFilTable& table, const std::string& name) {
  for (int j = table.GetColumnCount() - 1; j >= 0; --j)
    if (table.m_aColumnNames[static_cast<std::size_t>(j)] == name) return j;
  return -1;
}

// The cell of row i in column j: false when there is no such column or the cell is blank.
bool CellValue(const CTableFilTable& table, int i, int j, float& value) {
  if (j < 0) return false;
  return !table.GetValue(i * table.GetColumnCount() + j, value);
}

double PeriodTime(const CVornModelFile& model) { return model.m_settings.m_PERIODTIME.GetValue(); }

CPerCase& AppendPerCase(CPerCaseArray& perCases, const std::string& period, std::int32_t caseNumber, double length) {
  auto row = std::make_unique<CPerCase>(caseNumber);
  row->m_strPeriod = period;
  row->m_dLength = length;
  CPerCase& added = *row;
  perCases.Add(std::move(row));
  return added;
}

// The current case's "PERCASE" case table over the rows; rows it names that
// the list lacks are appended with no case and the model's period length.
void ApplyCaseTable(const CAssembledCase* currentCase, CPerCaseArray& perCases, double periodTime) {
  if (currentCase == nullptr) return;
  const CCaseTable probe("PERCASE", 0);
  const CCaseTable* caseTable = currentCase->m_aCaseTables.Find(&probe);
  if (caseTable == nullptr) return;

  std::unordered_map<std::string, CPerCase*> byPeriod;
  for (CPerCase* row : perCases)
    if (row) byPeriod.emplace(row->m_strPeriod, row);
  const auto rowOf = [&](const std::string& period) -> CPerCase& {
    auto [it, added] = byPeriod.emplace(period, nullptr);
    if (added) it->second = &AppendPerCase(perCases, period, -1, periodTime);
    return *it->second;
  };
  for (const CCaseValue* value : caseTable->m_aValues) {
    if (!value) continue;
    CPerCase& row = rowOf(value->m_strRow);
    if (value->m_strColumn == "CASE") row.m_nCase = CaseNumberOf(value->m_dValue);
    else if (value->m_strColumn == "LEN") row.m_dLength = value->m_dValue;
  }
  for (const CCaseText* text : caseTable->m_aTexts) {
    if (!text) continue;
    rowOf(text->m_strRow).m_strDesc = text->m_strText;
  }
}

CPerCaseArray& PerCaseList(CVornDbExportData& exportData) {
  if (!exportData.m_paPerCases) exportData.m_paPerCases = std::make_unique<CPerCaseArray>();
  return *exportData.m_paPerCases;
}

}  // namespace

bool ReportMissingColumn(const std::string& column, const std::string& file, const std::string& sheet) {
  std::string text = LoadResString(kIdsRequiredColumnMissing) + " [" + column + "]\n\n" + file;
  if (!sheet.empty()) text += "[" + sheet + "]";
  // The table's rows would go missing from the case: the case fails, naming the file.
  NoteInputFailure("the column " + column + " is missing in " + file + (sheet.empty() ? "" : " [" + sheet + "]"));
  return ShowErrorMessage(text);
}

bool CloseWorkbookAndExcel() {
  CloseCachedWorkbook(true);
  return ShutdownExcelApplication() != 0;
}

bool ReadPerCaseTable(const CVornModelFile& model, const CAssembledCase* currentCase, CPerCaseArray& perCases) {
  perCases.RemoveAll();
  const bool excelWasRunning = GetExcelApplication() != nullptr;
  CloseCachedWorkbook(true);
  CVornIoTable table("PERCASE", model, 0);
  if (!excelWasRunning && GetExcelApplication() != nullptr) CloseWorkbookAndExcel();

  if (table.GetStatus() == kIoTableCannotOpen) return true;
  if (!ReportModelTableStatus(table)) return false;

  const int textColumn = table.FindColumn("TEXT");
  const int caseColumn = table.FindColumn("CASE");
  const int lengthColumn = table.FindColumn("LEN");
  for (const auto& [index, name] : {std::pair{textColumn, "TEXT"}, std::pair{caseColumn, "CASE"},
                                    std::pair{lengthColumn, "LEN"}}) {
    if (index < 0) return ReportMissingColumn(name, table.m_strSource, table.m_strTable);
  }

  const double periodTime = PeriodTime(model);
  for (int i = 0; i < table.GetRowCount(); ++i) {
    const std::string period = TrimTrailing(table.GetKeyString(i, 0));
    if (period.empty()) continue;
    CPerCase& row = AppendPerCase(perCases, period, -1, periodTime);
    if (!table.IsCellNull(i, textColumn)) row.m_strDesc = TrimTrailing(table.GetCellString(i, textColumn));
    if (!table.IsCellNull(i, caseColumn)) row.m_nCase = table.GetCellLong(i, caseColumn);
    if (!table.IsCellNull(i, lengthColumn)) row.m_dLength = table.GetCellDouble(i, lengthColumn);
    if (!(row.m_dLength > 0)) row.m_dLength = 1.0;
  }
  ApplyCaseTable(currentCase, perCases, periodTime);
  return true;
}

bool ReadCaseTables(CVornDbExportData& exportData) {
  CPerCaseArray& perCases = PerCaseList(exportData);
  perCases.RemoveAll();
  CVornModelFile* model = exportData.m_pModel.get();
  if (model == nullptr) return true;
  const CModelSettings& settings = model->m_settings;
  if (settings.m_UseZelunMGOn.GetValue() == 0 || settings.m_GenerateOn.GetValue() == 0 ||
      exportData.m_bErrorDetected)
    return ReadPerCaseTable(*model, exportData.m_pCurrentCase, perCases);

  CTableFilTable table;
  if (!ReadFilTable(exportData, "PERCASE", model, &table, false)) return true;
  const int caseColumn = FindLastColumn(table, "CASE");
  const int lengthColumn = FindLastColumn(table, "LEN");
  const double periodTime = PeriodTime(*model);
  for (int i = 0; i < table.GetRowCount(); ++i) {
    const std::string period = TrimTrailing(table.m_aRowNames[static_cast<std::size_t>(i)]);
    if (period.empty()) continue;
    CPerCase& row = AppendPerCase(perCases, period, -1, periodTime);
    if (static_cast<std::size_t>(i) < table.m_aRowTexts.size())
      row.m_strDesc = TrimTrailing(table.m_aRowTexts[static_cast<std::size_t>(i)]);
    float value = 0.0f;
    if (CellValue(table, i, caseColumn, value)) row.m_nCase = CaseNumberOf(value);
    if (CellValue(table, i, lengthColumn, value)) row.m_dLength = value;
    if (!(row.m_dLength > 0)) row.m_dLength = 1.0;
  }
  ApplyCaseTable(exportData.m_pCurrentCase, perCases, periodTime);
  return true;
}

bool ReadPeriods(CVornDbExportData& exportData) {
  CVornModelFile* model = exportData.m_pModel.get();
  if (model == nullptr) return true;
  const int modelType = model->m_settings.m_ModelType.GetValue();
  if (modelType != 1 && modelType != 3) return true;

  if (!exportData.m_paPeriods) exportData.m_paPeriods = std::make_unique<CVornPeriodArray>();
  CVornPeriodArray& periods = *exportData.m_paPeriods;
  periods.RemoveAll();
  CTableFilTable table;
  bool hasMip = false;
  bool hasRecurse = false;
  if (ReadFilTable(exportData, "PERIODS", model, &table, false)) {
    const int lengthColumn = table.FindColumn("LEN");
    const int pvfColumn = table.FindColumn("PVF");
    const int recurseColumn = table.FindColumn("RECURSE");
    const int mipColumn = table.FindColumn("MIP");
    const int startColumn =
        table.FindColumn(model->m_settings.m_UseZelunMGOn.GetValue() != 0 ? "StartDate" : "StartDat");
    hasMip = mipColumn >= 0;
    hasRecurse = recurseColumn >= 0;
    std::unordered_map<std::string, CVornPeriod*> byCode;
    for (int i = 0; i < table.GetRowCount(); ++i) {
      const std::string code = TrimTrailing(table.m_aRowNames[static_cast<std::size_t>(i)]);
      if (code.empty()) continue;
      CVornPeriod*& slot = byCode[code];
      if (slot == nullptr) {
        auto period = std::make_unique<CVornPeriod>(code);
        slot = period.get();
        periods.Add(std::move(period));
      }
      CVornPeriod& period = *slot;
      if (static_cast<std::size_t>(i) < table.m_aRowTexts.size())
        period.m_strText = table.m_aRowTexts[static_cast<std::size_t>(i)].substr(0, 8);
      float value = 0.0f;
      if (CellValue(table, i, lengthColumn, value)) period.m_dLength = value;
      if (CellValue(table, i, pvfColumn, value)) period.m_dPVF = value;
      if (hasRecurse) period.m_bRecurse = CellValue(table, i, recurseColumn, value) && value != 0.0f;
      if (hasMip) period.m_bMIP = CellValue(table, i, mipColumn, value) && value != 0.0f;
      if (CellValue(table, i, startColumn, value)) {
        period.m_dtStartDate = plat::OleDateTime(static_cast<double>(value));
      } else {
        period.m_dtStartDate.SetStatus(plat::OleDateTime::Status::invalid);
      }
    }
  }
  const bool recurse = model->m_settings.m_RECURSE.GetValue() != 0;
  for (CVornPeriod* period : periods) {
    if (!period) continue;
    if (!hasMip) period->m_bMIP = true;
    if (!hasRecurse) period->m_bRecurse = recurse;
  }
  model->m_nimboVars.SetPeriodCount(periods.GetSize());
  return true;
}
