// The run and case tables of the legacy pass: LGRUNID, LGCASE, LGSETTNG,
// LGECOID, LGMODELS, LGTABLES, LGDEPOTS, and the spreadsheet-table list.

#include <memory>

#include "caseset/config/assembled_case.h"
#include "caseset/config/local_model.h"
#include "caseset/modeltables/vorn_io_table.h"
#include "dbdrivers/access/output_table_api.h"
#include "dbdrivers/sqlserver/db_sql_svr.h"
#include "foundation/input_failure.h"
#include "foundation/messages.h"
#include "modelfile/model_settings_xml.h"
#include "modelfile/setting_item.h"
#include "modelfile/vorn_model_file.h"
#include "modelfile/vorn_model_file_table.h"
#include "platform/string_table.h"
#include "tableio/db/db_connect_info.h"
#include "writers/legacy/legacy_table.h"
#include "writers/legacy/legacy_tables.h"
#include "writers/schema/table_definition.h"

namespace {

// The categories of the legacy economic summary: 483.. for a single model, 583.. for a global one.
const plat::StringTableRegistrar kEconomicCategoryTexts(
    plat::StringTable::Program,
    {
        {483, "Purchases"},         {484, "Sales"},
        {485, "Utility Purchases"}, {486, "Utility Sales"},
        {487, "Operating Costs"},   {488, "Opening Inventory Value"},
        {489, "Closing Inventory Value"}, {490, "Inventory Change"},
        {491, "Holding Costs"},     {492, "Penalty Costs"},
        {493, "Fixed Costs"},       {494, "Gross Margin"},
        {495, "Objective Function"}, {496, "Capacity Costs"},
        {497, "Other Costs"},       {583, "Plant Objective Functions"},
        {584, "Transfer Costs"},    {585, "Global Purchases"},
        {586, "Global Sales"},      {587, "Global Objective Function"},
        {588, "Inventory Change"},  {589, "Holding Costs"},
        {590, "Penalty Costs"},
        {kIdsLegacyColumnMissing, "Required column %1 is missing in %2"},
    });

constexpr int kEconomicCategoryBase = 482;
constexpr int kGlobalEconomicCategoryBase = 582;

const char* ModelTypeText(const CVornModelFile& model) {
  switch (model.m_settings.m_ModelType.GetValue()) {
    case 0:
      return "VORN";
    case 1:
      return IsVornSkedModel(model) ? "VORN-SX" : "PVORN";
    case 2:
      return "MVORN";
    case 3:
      return "XVORN";
    default:
      return "";
  }
}

bool DefineTableList(LegacyTable& table, bool pr) {
  return pr ? (table.DefineLong("SolutionID") && table.DefineLong("ModelID") && table.DefineText("TableName", 8) &&
               table.DefineText("Workbook", 254) && table.DefineText("Sheet", 254) && table.DefineShort("Enabled"))
            : (table.DefineText("RUNID", 4) && table.DefineText("TABLE", 8) && table.DefineText("WORKBOOK", 254) &&
               table.DefineText("SHEET", 254) && table.DefineShort("ENABLED"));
}

// One row per file of each model table; pr: PrSpreadsheetTables of modelId.
bool WriteTableList(CVornDbExportData& exportData, CVornModelFile& model, LegacyTable& table, bool pr,
                    std::int32_t modelId) {
  const CModelSettings& main = exportData.m_pModel ? exportData.m_pModel->m_settings : model.m_settings;
  const bool cutTablesAllowed = main.m_UseNimboOn.GetValue() != 0 && main.m_Zelun_ShortcutDistlOn.GetValue() != 0;
  for (const CVornModelFileTable* modelTable : model.m_tables) {
    if (!modelTable) continue;
    for (int i = 0; i < modelTable->m_files.GetSize(); ++i) {
      const CTableFile* source = modelTable->m_files.GetAt(i);
      if (!source) continue;
      const bool usable = modelTable->IsFileUsable(i, cutTablesAllowed);
      const std::string name = modelTable->m_strName.substr(0, 8);
      const bool ok =
          table.Add() &&
          (pr ? table.SetLong("SolutionID", exportData.m_nSolutionID) && table.SetLong("ModelID", modelId)
              : table.SetText("RUNID", exportData.m_strRunID)) &&
          table.SetText(pr ? "TableName" : "TABLE", name) &&
          table.SetText(pr ? "Workbook" : "WORKBOOK", source->GetFullPath(model.m_strModelDir)) &&
          table.SetText(pr ? "Sheet" : "SHEET", source->GetSheetName()) &&
          (!usable || table.SetShort(pr ? "Enabled" : "ENABLED", 1)) && table.Update();
      if (!ok) return false;
    }
  }
  return true;
}

}  // namespace

bool IsVornSkedModel(const CVornModelFile& model) {
  return model.m_settings.m_ModelType.GetValue() == 1 && model.m_settings.m_VornSkedOn.GetValue() != 0;
}

bool WriteLGRUNID(CVornDbExportData& exportData, CVornModelFile& model) {
  if (!IsAccessDatabaseWritten(model)) return true;
  LegacyTable table(exportData, model, "LGRUNID");
  if (!(table.DefineText("RUNID", 4) && table.DefineDate("DATE") && table.DefineText("TIME", 8) &&
        table.DefineText("DESC", 22) && table.DefineText("SYSTEM", 4) && table.DefineText("MODEL", 254) &&
        table.DefineText("HOMEDIR", 254) && table.DefineText("MODTYPE", 8) && table.EndDefine()))
    return false;
  const std::string description =
      exportData.m_strDatabaseDescription == "_" ? "" : exportData.m_strDatabaseDescription.substr(0, 22);
  return table.Add() && table.SetText("RUNID", exportData.m_strRunID) &&
         table.SetDate("DATE", exportData.m_dtDateRunStart.GetValue()) &&
         table.SetText("TIME", exportData.m_dtDateRunStart.Format("%H:%M:%S")) &&
         table.SetText("DESC", description) && table.SetText("SYSTEM", exportData.m_strSystem) &&
         table.SetText("MODEL", model.m_strModelName.substr(0, 254)) &&
         table.SetText("HOMEDIR", exportData.m_strHomeDirectory.substr(0, 254)) &&
         table.SetText("MODTYPE", ModelTypeText(model)) && table.Update();
}

bool WriteLGCASE(CVornDbExportData& exportData, CVornModelFile& model) {
  if (!IsAccessDatabaseWritten(model) || model.m_settings.m_CreateLGCASE.GetValue() == 0) return true;
  LegacyTable table(exportData, model, "LGCASE");
  if (!(table.DefineText("RUNID", 4) && table.DefineShort("CASE") && table.DefineText("TITLE", 72) &&
        table.DefineDouble("OBJFN") && table.DefineShort("PASSES") && table.DefineLong("IOT") &&
        table.DefineText("STATUS", 18)))
    return false;
  static const char* const kNotes[] = {"NOTE01", "NOTE02", "NOTE03", "NOTE04", "NOTE05",
                                       "NOTE06", "NOTE07", "NOTE08", "NOTE09", "NOTE10"};
  for (const char* note : kNotes)
    if (!table.DefineText(note, 24)) return false;
  if (!table.EndDefine()) return false;

  const CModelSettings& settings = model.m_settings;
  const std::int32_t number = exportData.m_nOutputCaseNumber;
  std::string title;
  if (number > 0 && exportData.m_paAssembledCases)
    for (const CAssembledCase* entry : *exportData.m_paAssembledCases)
      if (entry && entry->m_nNumber == number && entry->m_strModelName == model.m_strModelName) {
        title = TrimRight(entry->m_strTitle);
        break;
      }
  if (title.empty())
    title = settings.m_TITLE1.GetValue() + settings.m_TITLE2.GetValue() + settings.m_TITLE3.GetValue();
  title = TrimRight(title).substr(0, 72);
  const CSettingStr* notes[] = {&settings.m_NOTE1, &settings.m_NOTE2, &settings.m_NOTE3, &settings.m_NOTE4,
                                &settings.m_NOTE5, &settings.m_NOTE6, &settings.m_NOTE7, &settings.m_NOTE8,
                                &settings.m_NOTE9, &settings.m_NOTE10};
  bool ok = table.Add() && table.SetText("RUNID", exportData.m_strRunID) && table.SetShort("CASE", number) &&
            table.SetText("TITLE", title) && table.SetDouble("OBJFN", exportData.m_dObjectiveValue) &&
            table.SetShort("PASSES", exportData.m_nPasses) && table.SetLong("IOT", exportData.m_nIterations) &&
            table.SetText("STATUS", exportData.m_strSolutionStatus);
  for (int i = 0; ok && i < 10; ++i) ok = table.SetText(kNotes[i], TrimRight(notes[i]->GetValue()).substr(0, 24));
  return ok && table.Update();
}

bool WriteLGSETTNG(CVornDbExportData& exportData, CVornModelFile& model) {
  if (!IsAccessDatabaseWritten(model) || model.m_settings.m_CreateLGSETTNG.GetValue() == 0) return true;
  LegacyTable table(exportData, model, "LGSETTNG");
  if (!(table.DefineText("RUNID", 4) && table.DefineShort("CASE") && table.DefineText("KEYWORD", 254) &&
        table.DefineText("TEXT_VAL", 254) && table.DefineLong("INT_VAL") && table.DefineDouble("DOUBLE_VAL") &&
        table.DefineDate("DATE_VAL") && table.DefineShort("TYPE") && table.EndDefine()))
    return false;
  int caseNumber = 0;
  std::string title;
  exportData.GetCurrentCase(caseNumber, title);
  for (const CSettingItem* item : model.m_settings.m_list) {
    if (!item) continue;
    if (!(table.Add() && table.SetText("RUNID", exportData.m_strRunID) && table.SetShort("CASE", caseNumber) &&
          table.SetText("KEYWORD", item->GetName())))
      return false;
    bool ok = true;
    switch (item->GetType()) {
      case CSettingItem::kTypeStr:
        ok = table.SetText("TEXT_VAL",
                           TrimRight(ShownSettingText(item->GetName(), static_cast<const CSettingStr*>(item)->GetValue()))
                               .substr(0, 253)) &&
             table.SetShort("TYPE", 1);
        break;
      case CSettingItem::kTypeInt:
        ok = table.SetLong("INT_VAL", static_cast<const CSettingInt*>(item)->GetValue()) && table.SetShort("TYPE", 2);
        break;
      case CSettingItem::kTypeDouble: {
        const double value = static_cast<const CSettingDouble*>(item)->GetValue();
        ok = (value == 1e30 || table.SetDouble("DOUBLE_VAL", value)) && table.SetShort("TYPE", 3);
        break;
      }
      case CSettingItem::kTypeDateTime:
        ok = table.SetDate("DATE_VAL", static_cast<const CSettingDateTime*>(item)->GetValue().GetValue()) &&
             table.SetShort("TYPE", 4);
        break;
      default:
        ok = table.SetShort("TYPE", -1);
        break;
    }
    if (!ok || !table.Update()) return false;
  }
  return true;
}

bool WriteLGECOID(CVornDbExportData& exportData, CVornModelFile& model) {
  if (!IsAccessDatabaseWritten(model)) return true;
  LegacyTable table(exportData, model, "LGECOID");
  if (!(table.DefineText("RUNID", 4) && table.DefineShort("CATEGORY") && table.DefineText("DESC", 50) &&
        table.EndDefine()))
    return false;
  const std::int32_t modelType = model.m_settings.m_ModelType.GetValue();
  const bool global = modelType == 2 || modelType == 3;
  const int count = modelType == 2 ? 5 : modelType == 3 ? 8 : 15;
  const int base = global ? kGlobalEconomicCategoryBase : kEconomicCategoryBase;
  for (int category = 1; category <= count; ++category) {
    const std::string text =
        plat::GetString(plat::StringTable::Program, static_cast<std::uint32_t>(base + category));
    if (!(table.Add() && table.SetText("RUNID", exportData.m_strRunID) && table.SetShort("CATEGORY", category) &&
          table.SetText("DESC", text) && table.Update()))
      return false;
  }
  return true;
}

bool WriteLGMODELS(CVornDbExportData& exportData, CVornModelFile& model) {
  if (!IsAccessDatabaseWritten(model) || model.m_settings.m_CreateLGMODELS.GetValue() == 0 ||
      !IsGlobalModel(model))
    return true;
  LegacyTable table(exportData, model, "LGMODELS");
  if (!(table.DefineText("RUNID", 4) && table.DefineText("Code", 1) && table.DefineText("Model", 254) &&
        table.DefineText("Directory", 254) && table.EndDefine()))
    return false;
  if (exportData.m_paLocalModels)
    for (const CLocalModel* local : *exportData.m_paLocalModels) {
      if (!local) continue;
      if (!(table.Add() && table.SetText("RUNID", exportData.m_strRunID) &&
            table.SetText("Code", local->m_strCodeString) && table.SetText("Model", local->m_strTextString) &&
            table.SetText("Directory", CombinePath(exportData.m_strHomeDirectory, local->m_strTextString)) &&
            table.Update()))
        return false;
    }
  return true;
}

bool WriteLGTABLES(CVornDbExportData& exportData, CVornModelFile& model) {
  if (!IsAccessDatabaseWritten(model) || model.m_settings.m_CreateLGTABLES.GetValue() == 0) return true;
  LegacyTable table(exportData, model, "LGTABLES");
  return DefineTableList(table, false) && table.EndDefine() && WriteTableList(exportData, model, table, false, 0);
}

bool WritePrSpreadsheetTables(CVornDbExportData& exportData, CVornModelFile& model, std::int32_t modelId) {
  if (exportData.m_nExportKind == 2) return true;
  LegacyTable table(exportData, model, "PrSpreadsheetTables");
  if (IsAccessDatabaseWritten(model) && !(DefineTableList(table, true) && table.EndDefine())) return false;
  const bool ok = WriteTableList(exportData, model, table, true, modelId);
  int sqlServer = -1;
  if (IsSqlServerDatabase(model.m_settings.m_DatabaseOutputFormat.GetValue(), sqlServer) && exportData.m_pSqlServer)
    exportData.m_pSqlServer->UpdateTableDataToDatabase(nullptr);
  // The models of a global case write through connections of their own to the same results file:
  // rows left pending here would lock the next model's writes out.
  FlushOutputTables(exportData);
  return ok;
}

bool WriteLGDEPOTS(CVornDbExportData& exportData, CVornModelFile& model) {
  if (!IsAccessDatabaseWritten(model) || !IsGlobalModel(model)) return true;
  CVornIoTable depots("DEPOTS", model, 0);
  if (depots.GetStatus() == kIoTableCannotOpen) return true;
  if (!ReportModelTableStatus(depots)) return false;
  // The description is the last data column named TEXT.
  int textColumn = -1;
  for (int j = 0; j < depots.GetColumnCount(); ++j)
    if (std::string(depots.GetColumnName(j)) == "TEXT") textColumn = j;
  if (textColumn < 0) {
    NoteInputFailure(FormatString2(LoadResString(kIdsLegacyColumnMissing), "TEXT", depots.GetDisplayName()));
    ShowFormattedError2(kIdsLegacyColumnMissing, "TEXT", depots.GetDisplayName());
    return false;
  }
  LegacyTable table(exportData, model, "LGDEPOTS");
  if (!(table.DefineText("RUNID", 4) && table.DefineShort("CASE") && table.DefineText("Code", 1) &&
        table.DefineText("DESC", 20) && table.EndDefine()))
    return false;
  int caseNumber = 0;
  std::string title;
  exportData.GetCurrentCase(caseNumber, title);
  for (int i = 0; i < depots.GetRowCount(); ++i)
    if (!(table.Add() && table.SetText("RUNID", exportData.m_strRunID) && table.SetShort("CASE", caseNumber) &&
          table.SetText("Code", depots.GetKeyText(i, 0).substr(0, 1)) &&
          table.SetText("DESC", depots.GetCellText(i, textColumn).substr(0, 20)) && table.Update()))
      return false;
  return true;
}
