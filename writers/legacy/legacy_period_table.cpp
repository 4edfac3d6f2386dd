// LGPERIOD: the periods of a case with their lengths, start and stop moments.

#include <cmath>

#include "caseset/config/per_case.h"
#include "caseset/config/vorn_period.h"
#include "caseset/modeltables/case_tables.h"
#include "modelfile/vorn_model_file.h"
#include "platform/ole_date_time.h"
#include "writers/legacy/legacy_table.h"
#include "writers/legacy/legacy_tables.h"
#include "writers/schema/table_definition.h"
#include "tableio/db/db_connect_info.h"

namespace {

// OLE dates before 1900 count their time of day forwards from a negative
// day; spans are added on the linear time line.
double ToLinear(double date) {
  if (date >= 0.0) return date;
  const double day = std::ceil(date);
  return day + (day - date);
}

double FromLinear(double linear) {
  if (linear >= 0.0) return linear;
  const double day = std::floor(linear);
  return day - (linear - day);
}

double AddDays(double date, double days) { return FromLinear(ToLinear(date) + days); }

struct PeriodRow {
  std::string code;
  std::string description;
  double days = 0.0;
  bool dated = false;
  double start = 0.0;
  double stop = 0.0;
  bool multiPeriod = false;
  double pvf = 0.0;
  bool recurse = false;
  bool mip = false;
  std::int32_t order = 0;
};

bool WriteRow(LegacyTable& table, const CVornDbExportData& exportData, std::int32_t caseNumber, bool access,
              const PeriodRow& row) {
  auto timeText = [](double date) { return plat::OleDateTime(date).Format("%H:%M:%S"); };
  return table.Add() && table.SetText("RUNID", exportData.m_strRunID) && table.SetShort("CASE", caseNumber) &&
         table.SetText("PERIOD", row.code) && table.SetText("DESC", row.description) &&
         table.SetDouble("DAYS", row.days) &&
         (!row.dated || (table.SetDate("StartDate", row.start) && table.SetText("StartTime", timeText(row.start)) &&
                         table.SetDate("StopDate", row.stop) && table.SetText("StopTime", timeText(row.stop)))) &&
         (!row.multiPeriod || (table.SetDouble("PVF", row.pvf) && table.SetShort("RECURSE", row.recurse ? 1 : 0) &&
                               table.SetShort("MIP", row.mip ? 1 : 0))) &&
         (!access || table.SetShort("PeriodOrder", row.order)) && table.Update();
}

}  // namespace

bool WriteLGPERIOD(CVornDbExportData& exportData, CVornModelFile& model) {
  if (!IsAccessDatabaseWritten(model)) return true;
  if (!IsVornSkedModel(model) && model.m_settings.m_CreateLGPERIOD.GetValue() == 0) return true;
  const std::int32_t modelType = model.m_settings.m_ModelType.GetValue();
  const bool hasLocalModels = exportData.m_paLocalModels && exportData.m_paLocalModels->GetSize() > 0;
  if (modelType == 3 && !hasLocalModels) return true;
  const CModelSettings& main = exportData.m_pModel ? exportData.m_pModel->m_settings : model.m_settings;
  const bool access = IsAccessDatabase(main.m_DatabaseOutputFormat.GetValue());

  LegacyTable table(exportData, model, "LGPERIOD");
  if (!(table.DefineText("RUNID", 4) && table.DefineShort("CASE") &&
        table.DefineText("PERIOD", main.m_UseExtendedTagsOn.GetValue() != 0 ? 20 : 1) &&
        table.DefineText("DESC", 8) && table.DefineDouble("DAYS") && table.DefineDate("StartDate") &&
        table.DefineText("StartTime", 8) && table.DefineDate("StopDate") && table.DefineText("StopTime", 8) &&
        table.DefineDouble("PVF") && table.DefineShort("RECURSE") && table.DefineShort("MIP") &&
        (!access || table.DefineShort("PeriodOrder")) && table.EndDefine()))
    return false;

  int caseNumber = 0;
  std::string title;
  exportData.GetCurrentCase(caseNumber, title);
  const double periodTime = main.m_PERIODTIME.GetValue();
  const double commonStart = main.m_CommonStartDate.GetValue().GetValue();

  if (modelType == 1 || modelType == 3) {
    double start = commonStart;
    std::int32_t order = 0;
    if (exportData.m_paPeriods)
      for (const CVornPeriod* period : *exportData.m_paPeriods) {
        if (!period) continue;
        PeriodRow row;
        row.code = period->m_strCode;
        row.description = period->m_strText;
        row.days = period->m_dLength * periodTime;
        row.dated = true;
        row.start = start;
        row.stop = AddDays(start, row.days);
        row.multiPeriod = true;
        row.pvf = period->m_dPVF;
        row.recurse = period->m_bRecurse;
        row.mip = period->m_bMIP;
        row.order = ++order;
        if (!WriteRow(table, exportData, caseNumber, access, row)) return false;
        start = row.stop;
      }
    return true;
  }

  if (exportData.m_pCurrentCase) {
    if (!exportData.m_paPerCases) exportData.m_paPerCases = std::make_unique<CPerCaseArray>();
    ReadPerCaseTable(*exportData.m_pModel, exportData.m_pCurrentCase, *exportData.m_paPerCases);
  }
  PeriodRow row;
  row.order = caseNumber;
  const CPerCase* found = nullptr;
  double before = 0.0;
  if (exportData.m_paPerCases)
    for (const CPerCase* perCase : *exportData.m_paPerCases) {
      if (!perCase) continue;
      if (perCase->m_nCase == caseNumber) {
        found = perCase;
        break;
      }
      before += perCase->m_dLength * periodTime;
    }
  if (found) {
    row.code = found->m_strPeriod.substr(0, 1);
    row.days = found->m_dLength * periodTime;
    row.description = found->m_strDesc.substr(0, 8);
    row.dated = true;
    row.start = AddDays(commonStart, before);
    row.stop = AddDays(row.start, row.days);
  } else {
    row.code = "0";
    row.days = model.m_settings.m_PeriodLength.GetValue() * periodTime;
  }
  if (row.days == 0.0) row.days = 1.0;
  return WriteRow(table, exportData, caseNumber, access, row);
}
