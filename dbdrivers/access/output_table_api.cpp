#include "dbdrivers/access/output_table_api.h"

#include <atomic>
#include <cctype>
#include <cstring>
#include <memory>
#include <string_view>

#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/sqlserver/db_sql_svr.h"
#include "foundation/messages.h"
#include "foundation/string_utils.h"
#include "modelfile/output_table.h"
#include "modelfile/vorn_model_file.h"
#include "platform/float_control.h"
#include "platform/string_table.h"
#include "standins/tresk.h"
#include "tableio/db/db_connect_info.h"

namespace {

const plat::StringTableRegistrar kFieldStrings(plat::StringTable::Shared,
                                               {{kIdsFieldOperationFailed, "%1 failed for field %2 of table %3."}});
const plat::StringTableRegistrar kMissingFieldStrings(plat::StringTable::Program,
                                                      {{kIdsFieldMissing, "The field %1 is missing in %2."}});

std::atomic<TableKeyColumnsLookup> g_keyColumnsLookup{nullptr};

std::string FromField(const char* text, int length) {
  std::string out;
  CStringFromField(text, length > 0 ? static_cast<std::size_t>(length) : 0, out);
  return out;
}

// The bytes a writer passed: at most length, fewer when a NUL comes first.
std::string_view Passed(const char* text, int length) {
  if (text == nullptr || length <= 0) return std::string_view();
  return std::string_view(text, ::strnlen(text, static_cast<std::size_t>(length)));
}

// What CStringFromField makes of them, without a copy.
std::string_view FieldView(const char* text, int length) {
  std::string_view view = Passed(text, length);
  while (!view.empty() && std::isspace(static_cast<unsigned char>(view.back()))) view.remove_suffix(1);
  return view;
}

// The Access field name of a writer's field: the main model's AlternateDatabaseCols decides the prefix.
std::string AccessFieldName(const CVornDbExportData& exportData, const std::string& name) {
  const CVornModelFile* main = exportData.m_pModel.get();
  return MakeFieldName(name, main != nullptr && main->m_settings.m_AlternateDatabaseCols.GetValue() != 0);
}

// Field lists above this size are not a writer's fixed column order: they start again.
constexpr std::size_t kMaxFieldSlots = 512;

}  // namespace

// The fields a writer names for the rows of one table, in the order it sets
// them: each name it passes is made into the Access field name and found in
// the recordset once, and the calls of later rows find it at its place.
struct COutputTableFields {
  struct Slot {
    std::string passed;  // the bytes the writer passed
    std::string field;   // the field as the writer named it (trailing blanks dropped)
    std::string name;    // the Access field name
    int index = -1;      // its position in the recordset; -1 when it has none
  };
  std::vector<Slot> slots;
  std::size_t next = 0;  // where the next value's field is looked for first
  const CDaoRecordset* recordset = nullptr;
  bool prefixed = false;
};

namespace {

const COutputTableFields::Slot& ResolveField(CVornDbExportData& exportData, COutputTable& handle, const char* field,
                                             int length) {
  if (!handle.m_pFields) handle.m_pFields = std::make_shared<COutputTableFields>();
  COutputTableFields& fields = *handle.m_pFields;
  const CVornModelFile* main = exportData.m_pModel.get();
  const bool prefixed = main != nullptr && main->m_settings.m_AlternateDatabaseCols.GetValue() != 0;
  if (fields.recordset != handle.m_pRecordset.get() || fields.prefixed != prefixed ||
      fields.slots.size() >= kMaxFieldSlots) {
    fields.slots.clear();
    fields.next = 0;
    fields.recordset = handle.m_pRecordset.get();
    fields.prefixed = prefixed;
  }
  const std::string_view passed = Passed(field, length);
  // Each name has one slot: looking from the expected place on (a field the row skipped is passed over) and
  // then from the start finds the same slot as any other order.
  const std::size_t count = fields.slots.size();
  for (std::size_t k = 0, i = fields.next; k < count; ++k, ++i) {
    if (i >= count) i -= count;
    if (fields.slots[i].passed == passed) {
      fields.next = i + 1;
      return fields.slots[i];
    }
  }
  COutputTableFields::Slot slot;
  slot.passed = passed;
  slot.field = FromField(field, length);
  slot.name = MakeFieldName(slot.field, prefixed);
  slot.index = handle.m_pRecordset ? handle.m_pRecordset->FieldIndex(slot.name) : -1;
  fields.slots.push_back(std::move(slot));
  fields.next = fields.slots.size();
  return fields.slots.back();
}

// The SQL Server driver when the main model writes to SQL Server.
DbSqlSvr* SqlServer(CVornDbExportData& exportData) {
  CVornModelFile* main = exportData.m_pModel.get();
  if (main == nullptr || exportData.m_pSqlServer == nullptr) return nullptr;
  if (!IsSqlServerDatabase(main->m_settings.m_DatabaseOutputFormat.GetValue(), main->m_settings.m_nDatabaseKindCache))
    return nullptr;
  return exportData.m_pSqlServer;
}

void FailTable(CVornDbExportData& exportData, const char* operation, const COutputTable& handle,
               const CDaoException& e) {
  ShowSharedError(kIdsDbOperationFailed, operation, handle.m_strName);
  ReportDaoErrors(e);
  NoteDatabaseFailure(exportData, handle.m_strName, std::string(operation) + ": " + e.what());
}

void FailField(CVornDbExportData& exportData, const char* operation, const std::string& field,
               const COutputTable& handle, const CDaoException& e) {
  ShowSharedError(kIdsFieldOperationFailed, operation, field, handle.m_strName);
  ReportDaoErrors(e);
  NoteDatabaseFailure(exportData, handle.m_strName, std::string(operation) + " " + field + ": " + e.what());
}

// A handle of an open Access database that has no recordset could not be
// opened for rows: writing through it must fail, not succeed without writing.
bool NotWritable(CVornDbExportData& exportData, const COutputTable& handle, const char* operation) {
  if (handle.m_pRecordset || handle.m_pDatabase == nullptr || !handle.m_pDatabase->IsOpen()) return false;
  NoteDatabaseFailure(exportData, handle.m_strName, std::string(operation) + ": the table is not open for new rows");
  return true;
}

int DefineField(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
                std::int16_t type, std::int32_t size, bool report, const char* operation) {
  if (handle == nullptr || !handle->m_pTableDef) return 1;
  std::string name = AccessFieldName(exportData, FromField(field, length));
  CDaoTableDef& tableDef = *handle->m_pTableDef;
  if (handle->m_bNewTable) {
    try {
      tableDef.CreateField(name, type, size, 0);
    } catch (const CDaoException& e) {
      if (report) FailField(exportData, operation, name, *handle, e);
      return 0;
    }
  } else {
    try {
      CDaoFieldInfo info;
      tableDef.GetFieldInfo(name, info);
    } catch (const CDaoException& e) {
      if (type == dbDouble && name == "ShadowPrice") return CForceDefineField(exportData, handle, name, dbDouble, report);
      if (report) ReportFieldError(name, handle, &e);
      return 0;
    }
  }
  plat::ResetFloatingPointControl();
  return 1;
}

// The common steps of a value setter; set writes the Access value at the
// field's position. slot is the field as resolved for the SQL Server hand-over.
// A value only goes into the new row in memory: no engine runs that could
// change the floating-point control, so it is reset by the record operations.
template <class SetAccess>
int SetValue(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
             const char* operation, const COutputTableFields::Slot*& slot, SetAccess set) {
  if (handle == nullptr || NotWritable(exportData, *handle, operation)) return 0;
  slot = &ResolveField(exportData, *handle, field, length);
  if (handle->m_pRecordset) {
    try {
      if (slot->index < 0)
        throw CDaoException(kDaoErrItemNotFound, "Item '" + slot->name + "' not found in this collection.");
      set(*handle->m_pRecordset, slot->index);
    } catch (const CDaoException& e) {
      FailField(exportData, operation, slot->name, *handle, e);
      return 0;
    }
  }
  return 1;
}

}  // namespace

std::string MakeFieldName(const std::string& name, bool prefix) { return prefix ? "LG_" + name : name; }

int IsLgTable(COutputTable& handle) {
  if (handle.m_nLgFlag == -1) handle.m_nLgFlag = 1;
  return handle.m_nLgFlag;
}

void SetTableKeyColumnsLookup(TableKeyColumnsLookup lookup) { g_keyColumnsLookup.store(lookup); }

bool ReportFieldError(const std::string& field, COutputTable* handle, const CDaoException* exception) {
  if (handle == nullptr || handle->m_pDatabase == nullptr) return true;
  std::string detail = handle->m_pDatabase->GetName() + "[" + handle->m_strName + "]";
  const std::string insertions[] = {field, detail};
  ShowErrorMessage(FormatInsertionsInOrder(LoadResString(kIdsFieldMissing), insertions, 2) + "\n\n");
  if (exception) ReportDaoErrors(*exception);
  return false;
}

COutputTable* COpenTable(CVornDbExportData& exportData, const char* table, int tableLength, const char* modelName,
                         int modelLength, int mode, std::int32_t* existing) {
  std::string tableName = FromField(table, tableLength);
  const std::string_view model = FieldView(modelName, modelLength);
  CVornModelFile* main = exportData.m_pModel.get();
  // Writers name the main model on every row: it is found without a search.
  CVornModelFile* target = model.empty() || (main != nullptr && main->m_strModelName == model)
                               ? main
                               : exportData.FindModel(std::string(model));
  auto fail = [&]() -> COutputTable* {
    if (ILogging* log = exportData.GetLogging()) log->Write("Failed to open table: " + tableName + "\n");
    NoteDatabaseFailure(exportData, tableName, "the table cannot be opened");
    return nullptr;
  };
  if (mode != 0 || target == nullptr) return fail();
  if (!target->m_daoDatabase) target->m_daoDatabase = std::make_shared<CDaoDatabase>();
  CDaoDatabase& database = *target->m_daoDatabase;
  try {
    // The rows of the table written before are committed before the next table begins.
    database.CommitPending();
  } catch (const CDaoException& e) {
    ShowSharedError(kIdsDbOperationFailed, "COpenTable", tableName);
    ReportDaoErrors(e);
    NoteDatabaseFailure(exportData, tableName, e);
    return fail();
  }
  if (!OpenOrCreateResultDatabase(exportData, target, false, exportData.m_strHomeDirectory, database,
                                  target->m_outputTables)) {
    CloseDatabase(database, target->m_outputTables, exportData.m_bDatabaseError);
    if (target == exportData.m_pModel.get()) exportData.m_bResultTablesDefined = false;
    return fail();
  }
  if (exportData.m_bCaseOutput && database.IsOpen() && !database.InCase()) {
    try {
      JoinCaseOutput(exportData, database);
    } catch (const CDaoException& e) {
      ReportDaoErrors(e);
      NoteDatabaseFailure(exportData, tableName, e);
      return fail();
    }
  }
  std::int32_t found = 0;
  COutputTable* handle =
      FindOrCreateOutputTable(exportData, target, tableName, exportData.m_bDeleteTables, database,
                              target->m_outputTables, exportData.m_paSelectedCases.get(), found,
                              exportData.m_bDatabaseError);
  if (existing) *existing = found;
  plat::ResetFloatingPointControl();
  return handle ? handle : fail();
}

int CDefineDateField(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length, bool) {
  return DefineField(exportData, handle, field, length, dbDate, 0, true, "CDefineDateField");
}

int CDefineDoubleField(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
                       bool report) {
  return DefineField(exportData, handle, field, length, dbDouble, 0, report, "CDefineDoubleField");
}

int CDefineLongIntegerField(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
                            bool report) {
  return DefineField(exportData, handle, field, length, dbLong, 0, report, "CDefineLongIntegerField");
}

int CDefineMemoField(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length, bool) {
  return DefineField(exportData, handle, field, length, dbMemo, 0, true, "CDefineMemoField");
}

int CDefineShortIntegerField(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
                             bool) {
  return DefineField(exportData, handle, field, length, dbInteger, 0, true, "CDefineShortIntegerField");
}

int CDefineTextField(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length, int size,
                     bool) {
  return DefineField(exportData, handle, field, length, dbText, size, true, "CDefineTextField");
}

int CForceDefineField(CVornDbExportData& exportData, COutputTable* handle, const std::string& field,
                      std::int16_t type, bool report) {
  if (handle == nullptr || !handle->m_pTableDef) return 1;
  CDaoTableDef& tableDef = *handle->m_pTableDef;
  try {
    tableDef.CreateField(field, type, 0, 0);
  } catch (const CDaoException& e) {
    if (report) FailField(exportData, "CForceDefineField", field, *handle, e);
    return 0;
  }
  try {
    CDaoFieldInfo info;
    tableDef.GetFieldInfo(field, info);
  } catch (const CDaoException& e) {
    if (report) ReportFieldError(field, handle, &e);
    return 0;
  }
  plat::ResetFloatingPointControl();
  return 1;
}

int CEndDefineFields(CVornDbExportData& exportData, COutputTable* handle, bool report) {
  if (handle == nullptr || !handle->m_pTableDef) return 1;
  CDaoTableDef& tableDef = *handle->m_pTableDef;
  try {
    // The indexes are counted only for a table that gets a key index (most legacy tables have no key).
    CVornModelFile* main = exportData.m_pModel.get();
    TableKeyColumnsLookup lookup = g_keyColumnsLookup.load();
    std::vector<std::string> keys;
    const bool keyed = main != nullptr && main->m_settings.m_CreateIndexes.GetValue() != 0 && lookup != nullptr &&
                       lookup(exportData, *main, handle->m_strName, keys) && !keys.empty();
    const int indexes = keyed ? tableDef.GetIndexCount() : 0;
    if (handle->m_bNewTable) tableDef.Append();
    if (keyed && indexes == 0) CreateDaoTableIndex(tableDef, handle->m_strName, keys);
    if (!handle->m_pRecordset) {
      auto recordset = std::make_shared<CDaoRecordset>(handle->m_pDatabase);
      recordset->Open(&tableDef, dbOpenTable, dbAppendOnly);
      handle->m_pRecordset = recordset;
      handle->m_pFields.reset();
    }
  } catch (const CDaoException& e) {
    if (report) {
      ShowSharedError(kIdsDbOperationFailed, "CEndDefineFields", handle->m_strName);
      ReportDaoErrors(e);
    }
    NoteDatabaseFailure(exportData, handle->m_strName, std::string("CEndDefineFields: ") + e.what());
    return 0;
  }
  plat::ResetFloatingPointControl();
  return 1;
}

int CAddNewRecord(CVornDbExportData& exportData, COutputTable* handle) {
  if (handle == nullptr || NotWritable(exportData, *handle, "CAddNewRecord")) return 0;
  if (handle->m_pFields) handle->m_pFields->next = 0;
  if (handle->m_pRecordset) {
    try {
      handle->m_pRecordset->AddNew();
    } catch (const CDaoException& e) {
      FailTable(exportData, "CAddNewRecord", *handle, e);
      return 0;
    }
    plat::ResetFloatingPointControl();
  }
  if (DbSqlSvr* driver = SqlServer(exportData)) driver->BulkWriteDirect(handle->m_strName, IsLgTable(*handle));
  return 1;
}

int CSetDateTimeValue(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
                      double date) {
  const COutputTableFields::Slot* slot = nullptr;
  int ok = SetValue(exportData, handle, field, length, "CSetDateTimeValue", slot, [date](CDaoRecordset& rs, int at) {
    if (date == 0.0) rs.SetFieldNull(at);
    else rs.SetFieldDate(at, date);
  });
  if (ok == 1)
    if (DbSqlSvr* driver = SqlServer(exportData))
      driver->SetDateTimeValue(handle->m_strName, IsLgTable(*handle), slot->field.c_str(), length, date);
  return ok;
}

int CSetDoubleValue(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length, double value) {
  const COutputTableFields::Slot* slot = nullptr;
  int ok = SetValue(exportData, handle, field, length, "CSetDoubleValue", slot,
                    [value](CDaoRecordset& rs, int at) { rs.SetFieldDouble(at, value); });
  if (ok == 1)
    if (DbSqlSvr* driver = SqlServer(exportData))
      driver->SetDoubleValue(handle->m_strName, IsLgTable(*handle), slot->field.c_str(), length, value);
  return ok;
}

int CSetIntegerValue(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
                     std::int32_t value) {
  const COutputTableFields::Slot* slot = nullptr;
  int ok = SetValue(exportData, handle, field, length, "CSetIntegerValue", slot,
                    [value](CDaoRecordset& rs, int at) { rs.SetFieldInteger(at, value); });
  if (ok == 1)
    if (DbSqlSvr* driver = SqlServer(exportData))
      driver->SetLongIntegerValue(handle->m_strName, IsLgTable(*handle), slot->field.c_str(), length, value);
  return ok;
}

int CSetShortIntegerValue(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
                          std::int32_t value) {
  const auto shortValue = static_cast<std::int16_t>(value);
  const COutputTableFields::Slot* slot = nullptr;
  int ok = SetValue(exportData, handle, field, length, "CSetShortIntegerValue", slot,
                    [shortValue](CDaoRecordset& rs, int at) { rs.SetFieldInteger(at, shortValue); });
  if (ok == 1)
    if (DbSqlSvr* driver = SqlServer(exportData))
      driver->SetShortIntegerValue(handle->m_strName, IsLgTable(*handle), slot->field.c_str(), length, shortValue);
  return ok;
}

int CSetTextValue(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
                  const char* text, int textLength) {
  std::string_view value = FieldView(text, textLength);
  if (value.empty()) return 1;
  const COutputTableFields::Slot* slot = nullptr;
  int ok = SetValue(exportData, handle, field, length, "CSetTextValue", slot, [&](CDaoRecordset& rs, int at) {
    if (handle->m_pTableDef) {
      // A text longer than the field is cut to the field's size.
      const CDaoFieldInfo& info = rs.FieldInfo(at);
      if (info.m_lSize >= 0 && info.m_lSize < textLength && value.size() > static_cast<std::size_t>(info.m_lSize))
        value = value.substr(0, static_cast<std::size_t>(info.m_lSize));
    }
    rs.SetFieldText(at, value);
  });
  if (ok == 1)
    if (DbSqlSvr* driver = SqlServer(exportData))
      driver->SetTextValue(handle->m_strName, IsLgTable(*handle), slot->field.c_str(), length,
                           std::string(value).c_str(), textLength);
  return ok;
}

int CSetMemoValue(CVornDbExportData& exportData, COutputTable* handle, const char* field, int length,
                  const char* text, int textLength) {
  const std::string_view value = FieldView(text, textLength);
  if (value.empty()) return 1;
  const COutputTableFields::Slot* slot = nullptr;
  int ok = SetValue(exportData, handle, field, length, "CSetMemoValue", slot,
                    [&](CDaoRecordset& rs, int at) { rs.SetFieldText(at, value); });
  if (ok == 1)
    if (DbSqlSvr* driver = SqlServer(exportData))
      driver->SetMemoValue(handle->m_strName, IsLgTable(*handle), slot->field.c_str(), length,
                           std::string(value).c_str(), textLength);
  return ok;
}

int CUpdateRecord(CVornDbExportData& exportData, COutputTable* handle, const std::vector<std::string>* statements) {
  if (handle == nullptr || NotWritable(exportData, *handle, "CUpdateRecord")) return 0;
  if (handle->m_pRecordset) {
    try {
      handle->m_pRecordset->Update();
    } catch (const CDaoException& e) {
      FailTable(exportData, "CUpdateRecord", *handle, e);
      return 0;
    }
    plat::ResetFloatingPointControl();
  }
  if (DbSqlSvr* driver = SqlServer(exportData)) {
    if (driver->UpdateRecord(handle->m_strName, statements) == driver->GetNoOpText())
      driver->EndRecord(handle->m_strName, IsLgTable(*handle));
  }
  return 1;
}

int FlushOutputTables(CVornDbExportData& exportData) {
  std::vector<CVornModelFile*> models;
  if (exportData.m_pModel) models.push_back(exportData.m_pModel.get());
  if (exportData.m_paLocalModelFiles)
    for (CVornModelFile* model : *exportData.m_paLocalModelFiles) models.push_back(model);
  int ok = 1;
  for (CVornModelFile* model : models) {
    if (model == nullptr || !model->m_daoDatabase || !model->m_daoDatabase->IsOpen()) continue;
    try {
      model->m_daoDatabase->CommitPending();
    } catch (const CDaoException& e) {
      ShowSharedError(kIdsDbOperationFailed, "FlushOutputTables", model->m_daoDatabase->GetName());
      ReportDaoErrors(e);
      NoteDatabaseFailure(exportData, "", "writing into " + model->m_daoDatabase->GetName() + " failed: " + e.what());
      ok = 0;
    }
  }
  return ok;
}
