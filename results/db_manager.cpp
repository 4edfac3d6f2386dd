#include "results/db_manager.h"

#include <array>

#include "caseset/vorn_db_export_data.h"
#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/access/output_table_api.h"
#include "modelfile/model_settings.h"
#include "modelfile/setting_item.h"
#include "modelfile/vorn_model_file.h"
#include "platform/dao.h"
#include "platform/string_table.h"
#include "results/objects/db_solution.h"
#include "solutionfill/core/fill_services.h"
#include "standins/tresk.h"
#include "tableio/db/db_connect_info.h"
#include "writers/legacy/report_writer_groups.h"
#include "writers/schema/result_schema.h"
#include "writers/schema/table_definition.h"

namespace {

// The shared-resource texts of the penalty kinds and the economic summary categories. A category's text says what
// the solution fill puts into it: 7 to 14 and 17 for a model of its own, 1, 3 and 7 to 17 for a plant of a global
// model, 1 to 6, 12, 13 and 17 for the global model.
const plat::StringTableRegistrar kEnumTexts(
    plat::StringTable::Shared,
    {
        {483, "Purchases"},
        {484, "Sales"},
        {485, "Utility Purchases"},
        {486, "Utility Sales"},
        {487, "Inventory Valuation"},
        {488, "Holding Costs"},
        {489, "Holding Costs at Target"},
        {495, "Operating Costs"},
        {583, "Market Sales"},
        {584, "Network Purchases"},
        {585, "Supply Costs"},
        {586, "Plant Utilities"},
        {587, "Transfer Costs"},
        {588, "Network Inventory Valuation"},
        {785, "Process Limit"},
        {1468, "Inventory Target Penalty"},
        {1654, "Penalty Costs"},
        {1655, "Transfers In"},
        {1656, "Transfers Out"},
        {1681, "Purchase and Sale Penalty"},
        {1682, "Capacity"},
        {1683, "Quality Specification Penalty"},
        {1684, "Blend Specification Penalty"},
        {1685, "Pooling Penalty"},
        {1686, "Other Penalty"},
        {1687, "Sales Penalty"},
        {1688, "Target Penalty"},
        {1689, "Inventory Penalty"},
        {1690, "Column"},
        {1691, "Quality"},
        {1692, "Blend"},
        {1693, "Blend"},
        {1694, "Quality"},
        {1695, "Distribution Penalty"},
        {1696, "Stream"},
        {1697, "Blender"},
        {1698, "Blender Cost"},
    });

struct EnumRows {
  std::int32_t id;
  const char* table;
  const char* idColumn;
  std::int32_t firstId;
  std::initializer_list<const char*> descriptions;  // ids firstId, firstId + 1, ...
};

// Tables 2 to 21 except the penalty, economic summary and setting types,
// which take their rows from texts and settings.
const EnumRows kEnumRows[] = {
    {2, "PrVWBasis", "VWBasisID", 0, {"Weight", "Volume"}},
    {3, "PrBlendType", "BlendTypeID", 0, {"Unknown", "Formula", "Specification"}},
    {4, "PrDataType", "DataTypeID", 0, {"Unknown", "Text", "Integer", "Double", "Date"}},
    {5, "PrRangeType", "RangeTypeID", 0,
     {"Unknown", "FeedstockRanging", "ProductRanging", "CapacityRanging", "FeedstockBasketReduction"}},
    {6, "PrQualityOrigin", "OriginID", 0,
     {"Unknown", "Fixed", "Recursed", "Pcalced", "Index Table", "Property Calculator", "SI Updated",
      "N/X Row in BLNSPEC", "P Row in BLNSPEC", "Transferred"}},
    {7, "PrModelType", "ModelTypeID", 0, {"Standard", "MultiPeriod", "MultiPlant", "MultiPeriodPlant"}},
    {8, "PrPRowType", "PRowTypeID", 1, {"R - Only Text", "T - Total", "A - Average", "N - Ratio"}},
    {9, "PrSolutionStatus", "StatusID", 0,
     {"Unknown", "Optimal", "MaxPass Exceeded", "MaxIPass Exceeded", "Unbounded", "Infeasible",
      "Non Recursed Model", "User Exit", "System Error", "Max Time Exceeded", "Active Penalties"}},
    {10, "PrRecursionType", "RecursionTypeID", 0, {"Unknown", "Regular", "Pre MIP", "Post MIP"}},
    {12, "PrInteractionType", "InteractionTypeID", 1, {"Bonus", "Interaction"}},
    {13, "PrUnitType", "UnitTypeID", 0, {"BUY", "Submod", "Blend", "SELL", "Tank"}},
    {14, "PrRFGEquation", "RFGEquationID", 0, {"Unknown", "Complex", "Simple", "Alt Complex"}},
    {15, "PrRFGArea", "RFGAreaID", 0, {"Unknown", "Geographic Area B", "Geographic Area C"}},
    {16, "PrRFGSeason", "RFGSeasonID", 0, {"Unknown", "Summer Blend", "Winter Blend"}},
    {17, "PrRFGPhase", "RFGPhaseID", 0, {"Unknown", "Pre 1/1/2000", "Post 1/1/2000"}},
    {18, "PrRFGBlendType", "RFGBlendTypeID", 0,
     {"Unknown", "RFG", "CONV", "CARB", "CARB3 HC Emission", "CARB3 No Emission"}},
    {19, "PrRFGQualityType", "RFGQualityID", 0, {"Unknown", "", "", "", "", "", "", "", "", "", "", "", "", "", ""}},
};

// id, description, Tag1, Tag2 as shared-resource ids (0: empty). Each text names what the solution fill puts
// under the type: 1 internal costs and prices of purchases and sales, 2 capacity slacks, 3 and 4 quality and
// blend specification slacks, 5 pooling, 6 other penalised columns, 8 blend targets, 11 tanks off their
// targets, 12 blender costs, 13 process-unit slacks; 7, 9 and 10 are not made.
constexpr std::array<std::array<std::uint32_t, 4>, 13> kPenaltyTexts{{
    {1, 1681, 1690, 0},
    {2, 1682, 1682, 0},
    {3, 1683, 1692, 1691},
    {4, 1684, 1693, 1691},
    {5, 1685, 1692, 0},
    {6, 1686, 1690, 0},
    {7, 1687, 1690, 0},
    {8, 1688, 1693, 1694},
    {9, 1689, 1690, 0},
    {10, 1695, 1693, 1691},
    {11, 1468, 1696, 0},
    {12, 1698, 1697, 0},
    {13, 785, 785, 0},
}};

// Economic summary types 1 to 17.
constexpr std::array<std::uint32_t, 17> kEconomicSummaryTexts{583, 584, 585, 586, 587, 588, 483, 484, 485,
                                                              486, 487, 488, 489, 495, 1655, 1656, 1654};

std::string Text(std::uint32_t id) { return id == 0 ? std::string() : LoadTreskString(id); }

// The ids of PrDataType.
std::int32_t DataTypeId(int settingType) {
  switch (settingType) {
    case CSettingItem::kTypeStr:
      return 1;
    case CSettingItem::kTypeInt:
      return 2;
    case CSettingItem::kTypeDouble:
      return 3;
    case CSettingItem::kTypeDateTime:
      return 4;
    default:
      return 0;
  }
}

int Length(const char* text) { return static_cast<int>(std::char_traits<char>::length(text)); }

bool SetText(CVornDbExportData& data, COutputTable* handle, const std::string& field, const std::string& value) {
  return CSetTextValue(data, handle, field.c_str(), static_cast<int>(field.size()), value.c_str(),
                       static_cast<int>(value.size())) != 0;
}

bool SetShort(CVornDbExportData& data, COutputTable* handle, const std::string& field, std::int32_t value) {
  return CSetShortIntegerValue(data, handle, field.c_str(), static_cast<int>(field.size()),
                               static_cast<std::int16_t>(value)) != 0;
}

bool SetLong(CVornDbExportData& data, COutputTable* handle, const char* field, std::int32_t value) {
  return CSetIntegerValue(data, handle, field, Length(field), value) != 0;
}

bool SetDate(CVornDbExportData& data, COutputTable* handle, const char* field, const plat::OleDateTime& value) {
  return CSetDateTimeValue(data, handle, field, Length(field), value.GetValue()) != 0;
}

CVornModelFile* ModelOf(const CVornDbExportData* data) { return data != nullptr ? data->m_pModel.get() : nullptr; }

// Defines the catalogued fields of table when an Access database is written;
// true when there was nothing to define.
bool DefineWhenAccess(CVornDbExportData& data, COutputTable* handle, const std::string& table) {
  if (!IsAccessDatabaseWritten(*data.m_pModel)) return true;
  const ResultTable* definition = FindResultTable(table);
  return definition != nullptr && DefineResultTable(data, handle, *definition);
}

bool LookUpKeyColumns(CVornDbExportData&, CVornModelFile& model, const std::string& table,
                           std::vector<std::string>& keyColumns) {
  if (!IsAccessDatabase(model.m_settings.m_DatabaseOutputFormat.GetValue())) return false;
  CDbManager::GetPrTableKeyColumns(table, keyColumns);
  return !keyColumns.empty();
}

}  // namespace

bool CDbDatabaseVersion::WriteTable() {
  CVornModelFile* model = ModelOf(m_pDbData);
  if (model == nullptr) return false;
  DropResultTable(*model, m_strTableName);
  COutputTable* handle = OpenResultTable(*m_pDbData, m_strTableName);
  if (handle == nullptr) return false;
  if (!IsAccessDatabaseWritten(*model)) return true;
  if (!DefineWhenAccess(*m_pDbData, handle, m_strTableName)) return false;
  if (!handle->m_bNewTable) return true;
  CVornDbExportData& data = *m_pDbData;
  for (const CDbDatabaseVersionRecord* record : m_paRecords) {
    if (record == nullptr) continue;
    if (CAddNewRecord(data, handle) == 0 || !SetText(data, handle, "Version", record->m_strVersion) ||
        !SetText(data, handle, "Build", record->m_strBuild) ||
        !SetText(data, handle, "CompatibleWith", record->m_strCompatibleWith) ||
        !SetText(data, handle, "Note", record->m_strNote) ||
        !SetDate(data, handle, "DateCreated", record->m_dtDateCreated) || CUpdateRecord(data, handle, nullptr) == 0)
      return false;
  }
  return true;
}

bool CDbEnumTable::WriteTable() {
  CVornModelFile* model = ModelOf(m_pDbData);
  if (model == nullptr) return false;
  CVornDbExportData& data = *m_pDbData;
  DropResultTable(*model, m_strTableName);
  COutputTable* handle = OpenResultTable(data, m_strTableName);
  if (handle == nullptr) return false;
  if (!DefineWhenAccess(data, handle, m_strTableName)) return false;

  if (m_strTableName == "PrPenaltyType") {
    for (const CDbPenaltyRecord* record : m_paPenaltyRecords) {
      if (record == nullptr) continue;
      if (CAddNewRecord(data, handle) == 0 || !SetShort(data, handle, m_strIDColumn, record->m_nID) ||
          !SetText(data, handle, "Description", record->m_strDescription) ||
          !SetText(data, handle, "Tag1", record->m_strTag1) || !SetText(data, handle, "Tag2", record->m_strTag2) ||
          CUpdateRecord(data, handle, nullptr) == 0)
        return false;
    }
    return true;
  }
  const bool settingTypes = m_strTableName == "PrSettingType";
  for (const CDbEnumRecord* record : m_paRecords) {
    if (record == nullptr) continue;
    if (CAddNewRecord(data, handle) == 0) return false;
    const bool set =
        settingTypes ? CSetIntegerValue(data, handle, m_strIDColumn.c_str(), static_cast<int>(m_strIDColumn.size()),
                                        record->m_nID) != 0 &&
                           SetText(data, handle, "Keyword", record->m_strDescription) &&
                           SetShort(data, handle, "DataTypeID", record->m_nDataTypeID)
                     : SetShort(data, handle, m_strIDColumn, record->m_nID) &&
                           SetText(data, handle, "Description", record->m_strDescription);
    if (!set || CUpdateRecord(data, handle, nullptr) == 0) return false;
  }
  return true;
}

CDbManager::CDbManager(CVornModelFile* model, CVornDbExportData* exportContext)
    : m_pModel(model),
      m_version(exportContext),
      m_pSolution(std::make_unique<CDbSolution>(exportContext)),
      m_pDbData(exportContext) {
  InstallTableServices();
  auto add = [this](std::int32_t id, const char* table, const char* idColumn) {
    auto owned = std::make_unique<CDbEnumTable>(id, table, idColumn, m_pDbData);
    CDbEnumTable* enumTable = owned.get();
    m_paEnumTables.Add(std::move(owned));
    return enumTable;
  };

  add(1, "PrDBVersion", "DatabaseVersion")->m_paRecords.Add(std::make_unique<CDbEnumRecord>(1, "V7.3.1"));

  auto version = std::make_unique<CDbDatabaseVersionRecord>();
  version->m_strVersion = "V12";
  if (exportContext != nullptr) version->m_strBuild = exportContext->m_strProgramVersion;
  version->m_dtDateCreated = plat::OleDateTime::GetCurrentTime();
  m_version.m_paRecords.Add(std::move(version));

  for (const EnumRows& rows : kEnumRows) {
    CDbEnumTable* enumTable = add(rows.id, rows.table, rows.idColumn);
    std::int32_t id = rows.firstId;
    for (const char* description : rows.descriptions)
      enumTable->m_paRecords.Add(std::make_unique<CDbEnumRecord>(id++, description));
    if (rows.id == 10) {
      // Table 11 sits between the recursion and interaction types.
      CDbEnumTable* penalties = add(11, "PrPenaltyType", "PenaltyTypeID");
      penalties->m_paPenaltyRecords.Add(std::make_unique<CDbPenaltyRecord>(0, "Unknown", "", ""));
      for (const auto& [penaltyId, description, tag1, tag2] : kPenaltyTexts)
        penalties->m_paPenaltyRecords.Add(std::make_unique<CDbPenaltyRecord>(
            static_cast<std::int32_t>(penaltyId), Text(description), Text(tag1), Text(tag2)));
    }
  }

  CDbEnumTable* economics = add(20, "PrEconomicSummaryType", "EconomicSummaryTypeID");
  economics->m_paRecords.Add(std::make_unique<CDbEnumRecord>(0, "Unknown"));
  for (std::size_t i = 0; i < kEconomicSummaryTexts.size(); ++i)
    economics->m_paRecords.Add(
        std::make_unique<CDbEnumRecord>(static_cast<std::int32_t>(i + 1), Text(kEconomicSummaryTexts[i])));

  CDbEnumTable* settingTypes = add(21, "PrSettingType", "SettingTypeID");
  if (model != nullptr) {
    std::int32_t id = 1;
    for (const CSettingItem* item : model->m_settings.m_list) {
      auto record = std::make_unique<CDbEnumRecord>(id++, item->GetName());
      record->m_nDataTypeID = DataTypeId(item->GetType());
      settingTypes->m_paRecords.Add(std::move(record));
    }
  }
}

CDbManager::~CDbManager() = default;

bool CDbManager::WriteSolution(bool firstCase) {
  m_dtWriteStart = plat::OleDateTime::GetCurrentTime();
  CVornModelFile* model = ModelOf(m_pDbData);
  if (model == nullptr) {
    m_dtWriteEnd = plat::OleDateTime::GetCurrentTime();
    return false;
  }
  if (firstCase && IsAccessDatabaseWritten(*model)) {
    m_version.WriteTable();
    for (CDbEnumTable* table : m_paEnumTables)
      if (table != nullptr) table->WriteTable();
    WriteSettingDefaults();
  }
  // PrKpi is kept: dropping it before every case's write would lose the KPI rows of the cases
  // written before, and fail the writes of the workers writing at the same time.
  const bool written = m_pSolution->WriteToDatabase(firstCase, m_pDbData->m_bNeedMultipleExecutions);
  m_dtWriteEnd = plat::OleDateTime::GetCurrentTime();
  return written;
}

bool CDbManager::WriteSettingDefaults() {
  CVornModelFile* model = ModelOf(m_pDbData);
  if (model == nullptr) return false;
  CVornDbExportData& data = *m_pDbData;
  COutputTable* handle = OpenResultTable(data, "PrSettingDefault");
  if (handle == nullptr) return false;
  if (!DefineWhenAccess(data, handle, "PrSettingDefault")) return false;
  const bool access = IsAccessDatabase(model->m_settings.m_DatabaseOutputFormat.GetValue());
  std::int32_t id = 1;
  for (const CSettingItem* item : g_DefaultModelSettings.m_list) {
    if (CAddNewRecord(data, handle) == 0 || !SetLong(data, handle, "SettingTypeID", id++)) return false;
    bool set = true;
    switch (item->GetType()) {
      case CSettingItem::kTypeStr: {
        std::string text = static_cast<const CSettingStr*>(item)->GetValue();
        text.erase(text.find_last_not_of(' ') + 1);
        set = SetText(data, handle, "TextValue", text.substr(0, 254));
        break;
      }
      case CSettingItem::kTypeInt:
        set = SetLong(data, handle, "IntegerValue", static_cast<const CSettingInt*>(item)->GetValue());
        break;
      case CSettingItem::kTypeDouble: {
        const double value = static_cast<const CSettingDouble*>(item)->GetValue();
        if (value != 1e30) set = CSetDoubleValue(data, handle, "DoubleValue", Length("DoubleValue"), value) != 0;
        break;
      }
      case CSettingItem::kTypeDateTime:
        if (access) set = SetDate(data, handle, "DateValue", static_cast<const CSettingDateTime*>(item)->GetValue());
        break;
      default:
        break;
    }
    if (!set || CUpdateRecord(data, handle, nullptr) == 0) return false;
  }
  return true;
}

void CDbManager::InstallTableServices() {
  SetTableKeyColumnsLookup(&LookUpKeyColumns);
  SetReportWriterGroupsFill(&FillReportWriterGroups);
}

void CDbManager::GetPrTableKeyColumns(const std::string& table, std::vector<std::string>& columns) {
  AppendPrTableKeyColumns(table, columns);
}

bool CDbManager::CreateTableIndex(CVornModelFile* model, const std::string& table) {
  if (model == nullptr || !IsAccessDatabase(model->m_settings.m_DatabaseOutputFormat.GetValue()) ||
      model->m_settings.m_CreateIndexes.GetValue() == 0)
    return true;
  std::vector<std::string> keys;
  GetPrTableKeyColumns(table, keys);
  if (keys.empty()) return true;
  if (!model->m_daoDatabase || !model->m_daoDatabase->IsOpen()) return true;
  try {
    CDaoTableDefInfo info;
    model->m_daoDatabase->GetTableDefInfo(table, info);
    CDaoTableDef tableDef(model->m_daoDatabase.get());
    tableDef.Open(table);
    CreateDaoTableIndex(tableDef, table, keys);
    tableDef.Close();
  } catch (const CDaoException& e) {
    ReportDaoErrors(e);
    return false;
  }
  return true;
}

