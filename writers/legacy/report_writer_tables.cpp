#include "writers/legacy/report_writer_tables.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "caseset/modeltables/vorn_io_table.h"
#include "dbdrivers/access/access_result_database.h"
#include "foundation/logging.h"
#include "foundation/messages.h"
#include "modelfile/vorn_model_file.h"
#include "platform/string_table.h"
#include "tableio/db/db_connect_info.h"
#include "tableio/db/mfc_odbc_tbl.h"
#include "tableio/io_table.h"
#include "writers/legacy/legacy_table.h"
#include "writers/legacy/legacy_tables.h"
#include "writers/schema/table_definition.h"

namespace {

const plat::StringTableRegistrar kReportWriterTableTexts(
    plat::StringTable::Program,
    {
        {kIdsLgTableNotOpened, "Unable to open the table %1 of the results database."},
        {kIdsLegacyColumnMissing, "Required column %1 is missing in %2"},
    });

constexpr int kMfcOdbcTable = 8;

bool IsSet(double value) { return value != kLgNotSet; }

int CompareText(const std::string& a, const std::string& b) { return CompareKeys(a, b); }

std::string GroupTag(const std::string& name) { return name.substr(0, 3); }

// A legacy table read back whole, and the indexes of its rows of this run and
// case. The cells are those the ODBC read makes, by the columns' declared types.
struct LgReadBack {
  std::unique_ptr<CIoTable> table;                           // read over the ODBC connection
  std::vector<std::vector<std::unique_ptr<CIoCell>>> cells;  // or over the model's own connection
  int columnCount = 0;
  std::vector<int> rows;

  int RowCount() const { return table ? table->GetRowCount() : static_cast<int>(cells.size()); }
  const CIoCell& Cell(int row, int column) const {
    return table ? table->m_rows.DataCell(row, column)
                 : *cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
  }
  std::string Text(int row, int column) const { return Cell(row, column).Format(); }
  std::int32_t Long(int row, int column) const { return Cell(row, column).AsLong(); }
  // As the table I/O library gives it; a null cell reads as what the library makes of it.
  double Number(int row, int column) const { return Cell(row, column).AsDouble(); }
  // A null cell is not set.
  double Value(int row, int column) const {
    return Cell(row, column).IsNull() ? kLgNotSet : Cell(row, column).AsDouble();
  }
};

// The column kind the ODBC read gives a field of the declared type.
int ColumnKind(std::int16_t daoType) {
  switch (daoType) {
    case dbInteger: return 5;
    case dbLong: return 4;
    case dbDouble: return 8;
    case dbDate: return 11;
    default: return 1;
  }
}

// A value read over the model's own connection as the cell the ODBC read makes of it.
std::unique_ptr<CIoCell> CellOfKind(const plat::Variant& value, int kind) {
  CDBVariant read;
  if (value.vt != plat::VT_NULL && value.vt != plat::VT_EMPTY) {
    read.m_dwType = DBVT_STRING;
    if (value.vt == plat::VT_BSTR) {
      read.m_strVal = value.bstrVal;
    } else if (value.vt == plat::VT_R8) {
      char text[32];
      std::snprintf(text, sizeof text, "%.17g", value.dblVal);
      read.m_strVal = text;
    } else {
      read.m_strVal = std::to_string(value.llVal);
    }
  }
  return CellFromDbVariant(read, kind);
}

// Reads the table over the model's open results database of this process. A
// case's rows are committed only when the case ends: another connection would
// not see the rows written in it, so they are read where they were written.
// The status of the ODBC read.
int ReadLgTableHere(CDaoDatabase& database, const char* name, LgReadBack& readBack) {
  try {
    if (!database.TableExists(name)) return kIoTableCannotOpen;
    std::vector<int> kinds;
    for (const CDaoFieldInfo& field : database.ReadFields(name)) kinds.push_back(ColumnKind(field.m_nType));
    readBack.columnCount = static_cast<int>(kinds.size());
    CDaoRecordset records(&database);
    records.Open(dbOpenDynaset, "SELECT * FROM " + DaoQuoteIdentifier(name));
    for (; !records.IsEOF(); records.MoveNext()) {
      std::vector<std::unique_ptr<CIoCell>>& row = readBack.cells.emplace_back();
      for (int j = 0; j < readBack.columnCount; ++j) row.push_back(CellOfKind(records.GetFieldValue(j), kinds[j]));
    }
  } catch (const CDaoException&) {
    return kIoTableCannotRead;
  }
  return kIoTableOk;
}

// Reads the table; false after the message of a table that cannot be read or
// lacks one of the columns the builder takes by position.
bool ReadLgTable(CVornDbExportData& exportData, CVornModelFile& model, const char* name,
                 std::initializer_list<const char*> columns, LgReadBack& readBack) {
  int status = 0;
  if (model.m_daoDatabase && model.m_daoDatabase->IsOpen()) {
    status = ReadLgTableHere(*model.m_daoDatabase, name, readBack);
  } else {
    readBack.table = std::make_unique<CIoTable>(&model.m_odbcDatabase, name, "RUNID", "*", "*", kMfcOdbcTable);
    status = readBack.table->GetStatus();
    readBack.columnCount = readBack.table->GetColumnCount();
  }
  switch (status) {
    case kIoTableCannotOpen:
      // The case fails naming the table its engine output should have written.
      NoteDatabaseFailure(exportData, name, FormatString1(LoadResString(kIdsLgTableNotOpened), name));
      return ShowFormattedError1(kIdsLgTableNotOpened, name);
    case kIoTableCannotRead: return ShowErrorMessageDetail(kIdsCannotRetrieveTable, "", name);
    case kIoTableCannotClose: return ShowErrorMessageId(kIdsInternalTableError);
    default: break;
  }
  // The cells are taken by position: a table of another layout must not be read past its last column.
  if (readBack.columnCount < static_cast<int>(columns.size()))
    return ShowFormattedError2(kIdsLegacyColumnMissing, *(columns.begin() + readBack.columnCount), name);
  int caseNumber = 0;
  std::string title;
  exportData.GetCurrentCase(caseNumber, title);
  for (int i = 0; i < readBack.RowCount(); ++i)
    if (readBack.Text(i, 0) == exportData.m_strRunID && readBack.Long(i, 1) == caseNumber) readBack.rows.push_back(i);
  return true;
}

// The table's RUNID and CASE columns; the builder defines the rest.
bool DefineKeys(LegacyTable& table) { return table.DefineText("RUNID", 4) && table.DefineShort("CASE"); }

bool AddWithKeys(CVornDbExportData& exportData, LegacyTable& table) {
  int caseNumber = 0;
  std::string title;
  exportData.GetCurrentCase(caseNumber, title);
  return table.Add() && table.SetText("RUNID", exportData.m_strRunID) && table.SetShort("CASE", caseNumber);
}

bool SetWhenSet(LegacyTable& table, const char* field, double value) {
  return !IsSet(value) || table.SetDouble(field, value);
}

// For each member tag, the groups that list it, in array order.
template <class Groups>
std::unordered_map<std::string, std::vector<const CRwGroup*>> GroupsByMember(const Groups& groups) {
  std::unordered_map<std::string, std::vector<const CRwGroup*>> index;
  for (const CRwGroup* group : groups)
    if (group)
      for (const std::string& member : group->m_lstMembers) index[member].push_back(group);
  return index;
}

const std::vector<const CRwGroup*>& GroupsOf(const std::unordered_map<std::string, std::vector<const CRwGroup*>>& index,
                                             const std::string& member) {
  static const std::vector<const CRwGroup*> kNone;
  const auto found = index.find(member);
  return found == index.end() ? kNone : found->second;
}

const CRwGroup* FirstGroupOf(const std::unordered_map<std::string, std::vector<const CRwGroup*>>& index,
                             const std::string& member) {
  const auto& groups = GroupsOf(index, member);
  return groups.empty() ? nullptr : groups.front();
}

// For a pair of (a part of the group name, member tag), the first group in array order.
using GroupByPartAndMember = std::map<std::pair<std::string, std::string>, const CRwGroup*>;

// sum += value x weight, and weight into its own sum; an unset value adds nothing.
void AddWeighted(double& sum, double& weightSum, double value, double weight) {
  if (!IsSet(value)) return;
  if (!IsSet(sum)) {
    sum = value * weight;
    weightSum = weight;
    return;
  }
  sum += value * weight;
  weightSum = IsSet(weightSum) ? weightSum + weight : weight;
}

void AddIfSet(double& sum, double value) {
  if (IsSet(value)) sum = IsSet(sum) ? sum + value : value;
}

}  // namespace

int CLgStrmID::CompareElements(const void* a, const void* b) {
  return CompareText(SlotElement<CLgStrmID>(a)->m_strSTRMID, SlotElement<CLgStrmID>(b)->m_strSTRMID);
}

int CLgUnitID::CompareElements(const void* a, const void* b) {
  return CompareText(SlotElement<CLgUnitID>(a)->m_strUNITID, SlotElement<CLgUnitID>(b)->m_strUNITID);
}

int CLgSDSum::CompareElements(const void* a, const void* b) {
  const CLgSDSum* left = SlotElement<CLgSDSum>(a);
  const CLgSDSum* right = SlotElement<CLgSDSum>(b);
  const int c = CompareText(left->m_strPERIOD, right->m_strPERIOD);
  return c != 0 ? c : CompareText(left->m_strSTRMID, right->m_strSTRMID);
}

int CLgRecipe::CompareElements(const void* a, const void* b) {
  const CLgRecipe* left = SlotElement<CLgRecipe>(a);
  const CLgRecipe* right = SlotElement<CLgRecipe>(b);
  const int c = CompareText(left->m_strPERIOD, right->m_strPERIOD);
  return c != 0 ? c : CompareText(left->m_strPRODUCT, right->m_strPRODUCT);
}

int CLgUnitOp::CompareElements(const void* a, const void* b) {
  const CLgUnitOp* left = SlotElement<CLgUnitOp>(a);
  const CLgUnitOp* right = SlotElement<CLgUnitOp>(b);
  const int c = CompareText(left->m_strPERIOD, right->m_strPERIOD);
  if (c != 0) return c;
  const int u = CompareText(left->m_strUNITOP, right->m_strUNITOP);
  if (u != 0) return u;
  return left->m_strTYPE == right->m_strTYPE && left->m_strTAG == right->m_strTAG ? 0 : 1;
}

bool WriteRWSTRMID(CVornDbExportData& exportData, CVornModelFile& model, const CRwGrpBlnArray& blendGroups,
                   const CRwGrpStrArray& streamGroups) {
  if (model.m_settings.m_CreateRWSTRMID.GetValue() == 0) return true;
  LgReadBack lg;
  if (!ReadLgTable(exportData, model, "LGSTRMID",
                   {"RUNID", "CASE", "STRMID", "DESC", "UOM", "ALTTAG", "ROWORDER", "VTWSORT"}, lg))
    return false;
  CLgStrmIDArray records;
  int largestOrder = -1;
  for (int i : lg.rows) {
    auto* record = new CLgStrmID;
    record->m_strSTRMID = lg.Text(i, 2);
    record->m_strDESC = lg.Text(i, 3);
    record->m_strUOM = lg.Text(i, 4);
    record->m_strALTTAG = lg.Text(i, 5);
    record->m_nROWORDER = lg.Long(i, 6);
    record->m_dVTWSORT = lg.Number(i, 7);
    records.Add(record);
    largestOrder = std::max(largestOrder, record->m_nROWORDER);
  }
  records.Sort(&CLgStrmID::CompareElements);

  const auto blendIndex = GroupsByMember(blendGroups);
  const auto streamIndex = GroupsByMember(streamGroups);
  std::unordered_map<std::string, int> firstOfTag;  // the first record of each STRMID, as a linear search finds it
  for (int i = 0; i < records.GetSize(); ++i) firstOfTag.emplace(records[i]->m_strSTRMID, i);
  int groupRows = 0;
  // Group rows appended during the walk are walked too: a group tag can itself be a member.
  for (int i = 0; i < records.GetSize(); ++i) {
    CLgStrmID* stream = records[i];
    const std::string id = stream->m_strSTRMID;
    for (const auto* index : {&blendIndex, &streamIndex})
      for (const CRwGroup* group : GroupsOf(*index, id)) {
        const std::string tag = GroupTag(group->m_strName);
        CLgStrmID* target = nullptr;
        if (const auto found = firstOfTag.find(tag); found != firstOfTag.end()) {
          target = records[found->second];
        } else {
          target = new CLgStrmID;
          target->m_strSTRMID = tag;
          target->m_strDESC = group->m_strDescription;
          target->m_nROWORDER = largestOrder + 1 + groupRows++;
          firstOfTag.emplace(tag, records.Add(target));
        }
        target->m_dVTWSORT += stream->m_dVTWSORT;
        ++target->m_nMemberCount;
      }
  }
  for (CLgStrmID* record : records)
    if (record->m_nMemberCount > 0) record->m_dVTWSORT /= record->m_nMemberCount;

  LegacyTable table(exportData, model, "RWSTRMID");
  if (!(DefineKeys(table) && table.DefineText("STRMID", 3) && table.DefineText("DESC", 20) &&
        table.DefineText("UOM", 8) && table.DefineText("ALTTAG", 3) && table.DefineLong("ROWORDER") &&
        table.DefineDouble("VTWSORT") && table.EndDefine()))
    return false;
  for (const CLgStrmID* record : records)
    if (!(AddWithKeys(exportData, table) && table.SetText("STRMID", record->m_strSTRMID) &&
          table.SetText("DESC", record->m_strDESC) && table.SetText("UOM", record->m_strUOM) &&
          table.SetText("ALTTAG", record->m_strALTTAG) && table.SetLong("ROWORDER", record->m_nROWORDER) &&
          table.SetDouble("VTWSORT", record->m_dVTWSORT) && table.Update()))
      return false;
  return true;
}

bool WriteRWUNITID(CVornDbExportData& exportData, CVornModelFile& model, const CRwGrpUntArray& unitGroups) {
  if (model.m_settings.m_CreateRWUNITID.GetValue() == 0) return true;
  LgReadBack lg;
  if (!ReadLgTable(exportData, model, "LGUNITID", {"RUNID", "CASE", "UNITID", "DESC", "ROWORDER"}, lg)) return false;
  const auto unitIndex = GroupsByMember(unitGroups);
  CLgUnitIDArray records;
  std::set<std::string> names;
  for (int i : lg.rows) {
    const std::string unit = lg.Text(i, 2);
    const int order = lg.Long(i, 4);
    auto* record = new CLgUnitID(unit);
    record->m_strDESC = lg.Text(i, 3).substr(0, 20);
    record->m_nROWORDER = order;
    records.Add(record);
    names.insert(unit);
    // A group's row follows its first member and takes that member's order.
    const CRwGroup* group = FirstGroupOf(unitIndex, unit);
    if (group && names.insert(group->m_strName).second) {
      auto* groupRecord = new CLgUnitID(group->m_strName);
      groupRecord->m_strDESC = group->m_strDescription.substr(0, 20);
      groupRecord->m_nROWORDER = order;
      records.Add(groupRecord);
    }
  }

  LegacyTable table(exportData, model, "RWUNITID");
  if (!(DefineKeys(table) && table.DefineText("UNITID", 4) && table.DefineText("DESC", 20) &&
        table.DefineLong("ROWORDER") && table.EndDefine()))
    return false;
  // ROWORDER goes through the short setter: only its low 16 bits reach the column.
  for (const CLgUnitID* record : records)
    if (!(AddWithKeys(exportData, table) && table.SetText("UNITID", record->m_strUNITID) &&
          table.SetText("DESC", record->m_strDESC) && table.SetShort("ROWORDER", record->m_nROWORDER) &&
          table.Update()))
      return false;
  return true;
}

bool WriteRWSDSUM(CVornDbExportData& exportData, CVornModelFile& model, const CRwGrpBlnArray& blendGroups,
                  const CRwGrpStrArray& streamGroups) {
  if (model.m_settings.m_CreateRWSDSUM.GetValue() == 0) return true;
  LgReadBack lg;
  if (!ReadLgTable(exportData, model, "LGSDSUM",
                   {"RUNID", "CASE", "PERIOD", "STRMID", "PURCHASE", "SUBMOD", "BLENDING", "SALE", "BALANCE",
                    "MARVALUE", "VWBASIS", "VTW"},
                   lg))
    return false;
  const auto blendIndex = GroupsByMember(blendGroups);
  const auto streamIndex = GroupsByMember(streamGroups);
  CLgSDSumArray records;
  std::map<std::pair<std::string, std::string>, CLgSDSum*> firstOfKey;  // (PERIOD, STRMID) as a linear search finds it
  for (int i : lg.rows) {
    auto* row = new CLgSDSum;
    row->m_strPERIOD = lg.Text(i, 2);
    row->m_strSTRMID = lg.Text(i, 3);
    row->m_strVWBASIS = lg.Text(i, 10);
    row->m_dPURCHASE = lg.Value(i, 4);
    row->m_dSUBMOD = lg.Value(i, 5);
    row->m_dBLENDING = lg.Value(i, 6);
    row->m_dSALE = lg.Value(i, 7);
    row->m_dBALANCE = lg.Value(i, 8);
    row->m_dMARVALUE = lg.Value(i, 9);
    row->m_dVTW = lg.Value(i, 11);
    records.Add(row);
    firstOfKey.emplace(std::make_pair(row->m_strPERIOD, row->m_strSTRMID), row);
    for (const auto* index : {&blendIndex, &streamIndex})
      for (const CRwGroup* group : GroupsOf(*index, row->m_strSTRMID)) {
        row->m_bGroupMember = 1;
        const auto key = std::make_pair(row->m_strPERIOD, GroupTag(group->m_strName));
        CLgSDSum*& sum = firstOfKey[key];
        if (!sum) {
          sum = new CLgSDSum;
          sum->m_bGroupRow = 1;
          sum->m_strSTRMID = key.second;
          sum->m_strPERIOD = row->m_strPERIOD;
          sum->m_strVWBASIS = row->m_strVWBASIS;
          records.Add(sum);
        }
        AddIfSet(sum->m_dPURCHASE, row->m_dPURCHASE);
        AddIfSet(sum->m_dSUBMOD, row->m_dSUBMOD);
        AddIfSet(sum->m_dSALE, row->m_dSALE);
        AddIfSet(sum->m_dBALANCE, row->m_dBALANCE);
        if (!IsSet(row->m_dBLENDING)) continue;
        AddIfSet(sum->m_dBLENDING, row->m_dBLENDING);
        // A member without MARVALUE (or VTW) adds neither the value nor its BLENDING to the weights.
        AddWeighted(sum->m_dMARVALUE, sum->m_dMarValueWeight, row->m_dMARVALUE, row->m_dBLENDING);
        AddWeighted(sum->m_dVTW, sum->m_dVtwWeight, row->m_dVTW, row->m_dBLENDING);
      }
  }
  // Members are dropped; group rows get their BLENDING-weighted averages.
  CLgSDSumArray kept;
  for (int i = 0; i < records.GetSize(); ++i) {
    std::unique_ptr<CLgSDSum> record(records[i]);
    records.SetAt(i, nullptr);
    if (record->m_bGroupMember) continue;
    if (record->m_bGroupRow) {
      if (IsSet(record->m_dMarValueWeight) && record->m_dMarValueWeight != 0.0)
        record->m_dMARVALUE /= record->m_dMarValueWeight;
      if (IsSet(record->m_dVtwWeight) && record->m_dVtwWeight != 0.0) record->m_dVTW /= record->m_dVtwWeight;
    }
    kept.Add(record.release());
  }

  LegacyTable table(exportData, model, "RWSDSUM");
  if (!(DefineKeys(table) && table.DefineText("PERIOD", 1) && table.DefineText("STRMID", 3) &&
        table.DefineDouble("PURCHASE") && table.DefineDouble("SUBMOD") && table.DefineDouble("BLENDING") &&
        table.DefineDouble("SALE") && table.DefineDouble("BALANCE") && table.DefineDouble("MARVALUE") &&
        table.DefineDouble("VTW") && table.DefineText("VWBASIS", 1) && table.EndDefine()))
    return false;
  for (const CLgSDSum* r : kept)
    if (!(AddWithKeys(exportData, table) && table.SetText("PERIOD", r->m_strPERIOD) &&
          table.SetText("STRMID", r->m_strSTRMID) && SetWhenSet(table, "PURCHASE", r->m_dPURCHASE) &&
          SetWhenSet(table, "SUBMOD", r->m_dSUBMOD) && SetWhenSet(table, "BLENDING", r->m_dBLENDING) &&
          SetWhenSet(table, "SALE", r->m_dSALE) && SetWhenSet(table, "BALANCE", r->m_dBALANCE) &&
          SetWhenSet(table, "MARVALUE", r->m_dMARVALUE) && table.SetText("VWBASIS", r->m_strVWBASIS) &&
          SetWhenSet(table, "VTW", r->m_dVTW) && table.Update()))
      return false;
  return true;
}

bool WriteRWRECIPE(CVornDbExportData& exportData, CVornModelFile& model, const CRwGrpBlnArray& blendGroups,
                   const CRwGrpStrArray& streamGroups) {
  if (model.m_settings.m_CreateRWRECIPE.GetValue() == 0) return true;
  LgReadBack lg;
  if (!ReadLgTable(exportData, model, "LGRECIPE",
                   {"RUNID", "CASE", "PERIOD", "PRODUCT", "BLENDSTOCK", "VOLRECIPE", "WGTRECIPE", "VOLBLEND",
                    "WGTBLEND", "MARVALUE"},
                   lg))
    return false;
  // Component groups: stream groups of 7 characters with "B" fourth, tied to the blend of their last three.
  GroupByPartAndMember componentGroups;
  for (const CRwGroup* group : streamGroups)
    if (group && group->m_strName.size() == 7 && group->m_strName[3] == 'B')
      for (const std::string& member : group->m_lstMembers)
        componentGroups.emplace(std::make_pair(group->m_strName.substr(4), member), group);
  using Key = std::tuple<std::string, std::string, std::string>;

  CLgRecipeArray components;
  std::map<Key, CLgRecipe*> firstComponent;
  for (int i : lg.rows) {
    const std::string period = lg.Text(i, 2), product = lg.Text(i, 3), component = lg.Text(i, 4);
    const double values[] = {lg.Number(i, 5), lg.Number(i, 6), lg.Number(i, 7), lg.Number(i, 8), lg.Number(i, 9)};
    const auto group = componentGroups.find(std::make_pair(product, component));
    if (group == componentGroups.end()) {
      auto* record = new CLgRecipe(period, product, component);
      record->m_dVOLRECIPE = values[0];
      record->m_dWGTRECIPE = values[1];
      record->m_dVOLBLEND = values[2];
      record->m_dWGTBLEND = values[3];
      record->m_dMARVALUE = values[4];
      components.Add(record);
      firstComponent.emplace(Key(period, product, component), record);
      continue;
    }
    const std::string tag = GroupTag(group->second->m_strName);
    CLgRecipe*& record = firstComponent[Key(period, product, tag)];
    if (!record) components.Add(record = new CLgRecipe(period, product, tag));
    record->m_bGrouped = 1;
    if (!IsSet(record->m_dVOLRECIPE)) {
      record->m_dVOLBLEND = values[2];
      record->m_dWGTBLEND = values[3];
      record->m_dMARVALUE = 0.0;
      record->m_dVOLRECIPE = values[0];
      record->m_dWGTRECIPE = values[1];
    } else {
      record->m_dVOLRECIPE += values[0];
      record->m_dWGTRECIPE += values[1];
    }
  }

  const auto blendIndex = GroupsByMember(blendGroups);
  CLgRecipeArray products;
  std::map<Key, CLgRecipe*> firstProduct;
  for (const CLgRecipe* e : components) {
    const CRwGroup* group = FirstGroupOf(blendIndex, e->m_strPRODUCT);
    if (!group) {
      auto* record = new CLgRecipe(e->m_strPERIOD, e->m_strPRODUCT, e->m_strBLENDSTOCK);
      record->m_dVOLRECIPE = e->m_dVOLRECIPE;
      record->m_dWGTRECIPE = e->m_dWGTRECIPE;
      record->m_dVOLBLEND = e->m_dVOLBLEND;
      record->m_dWGTBLEND = e->m_dWGTBLEND;
      record->m_dMARVALUE = e->m_dMARVALUE;
      products.Add(record);
      firstProduct.emplace(Key(record->m_strPERIOD, record->m_strPRODUCT, record->m_strBLENDSTOCK), record);
      continue;
    }
    const std::string tag = GroupTag(group->m_strName);
    CLgRecipe*& record = firstProduct[Key(e->m_strPERIOD, tag, e->m_strBLENDSTOCK)];
    if (!record) products.Add(record = new CLgRecipe(e->m_strPERIOD, tag, e->m_strBLENDSTOCK));
    record->m_bGrouped = 1;
    record->m_bWeighted = 1;
    if (!IsSet(record->m_dVOLRECIPE)) {
      record->m_dVOLRECIPE = record->m_dWGTRECIPE = record->m_dVOLBLEND = record->m_dWGTBLEND = 0.0;
      record->m_dMARVALUE = 0.0;
      record->m_dVolBlendSum = record->m_dWgtBlendSum = 0.0;
    }
    record->m_dVOLRECIPE += e->m_dVOLBLEND * e->m_dVOLRECIPE;
    record->m_dWGTRECIPE += e->m_dWGTBLEND * e->m_dWGTRECIPE;
    record->m_dVOLBLEND += e->m_dVOLBLEND;
    record->m_dWGTBLEND += e->m_dWGTBLEND;
    record->m_dVolBlendSum += e->m_dVOLBLEND;
    record->m_dWgtBlendSum += e->m_dWGTBLEND;
  }
  // A blend group's recipes are the blend-weighted averages of its members'.
  for (CLgRecipe* record : products) {
    if (!record->m_bGrouped || !record->m_bWeighted) continue;
    record->m_dVOLRECIPE = record->m_dVolBlendSum == 0.0 ? 0.0 : record->m_dVOLRECIPE / record->m_dVolBlendSum;
    record->m_dWGTRECIPE = record->m_dWgtBlendSum == 0.0 ? 0.0 : record->m_dWGTRECIPE / record->m_dWgtBlendSum;
  }

  LegacyTable table(exportData, model, "RWRECIPE");
  if (!(DefineKeys(table) && table.DefineText("PERIOD", 1) && table.DefineText("PRODUCT", 3) &&
        table.DefineText("BLENDSTOCK", 3) && table.DefineDouble("VOLRECIPE") && table.DefineDouble("WGTRECIPE") &&
        table.DefineDouble("VOLBLEND") && table.DefineDouble("WGTBLEND") && table.DefineDouble("MARVALUE") &&
        table.EndDefine()))
    return false;
  for (const CLgRecipe* r : products)
    if (!(AddWithKeys(exportData, table) && table.SetText("PERIOD", r->m_strPERIOD) &&
          table.SetText("PRODUCT", r->m_strPRODUCT) && table.SetText("BLENDSTOCK", r->m_strBLENDSTOCK) &&
          SetWhenSet(table, "VOLRECIPE", r->m_dVOLRECIPE) && SetWhenSet(table, "WGTRECIPE", r->m_dWGTRECIPE) &&
          SetWhenSet(table, "VOLBLEND", r->m_dVOLBLEND) && SetWhenSet(table, "WGTBLEND", r->m_dWGTBLEND) &&
          SetWhenSet(table, "MARVALUE", r->m_dMARVALUE) && table.Update()))
      return false;
  return true;
}

bool WriteRWUNITOP(CVornDbExportData& exportData, CVornModelFile& model, const CRwGrpStrArray& streamGroups,
                   const CRwGrpUntArray& unitGroups) {
  if (model.m_settings.m_CreateRWUNITOP.GetValue() == 0) return true;
  LgReadBack lg;
  if (!ReadLgTable(exportData, model, "LGUNTOPC", {"RUNID", "CASE", "PERIOD", "UNITOP", "TYPE", "TAG", "RATE"}, lg))
    return false;
  // Stream groups of 7 characters, tied to the unit operation of their last four.
  GroupByPartAndMember streamGroupOf;
  for (const CRwGroup* group : streamGroups)
    if (group && group->m_strName.size() == 7)
      for (const std::string& member : group->m_lstMembers)
        streamGroupOf.emplace(std::make_pair(group->m_strName.substr(3), member), group);
  // Unit groups of 4 characters replace their member unit operations.
  std::unordered_map<std::string, const CRwGroup*> unitGroupOf;
  for (const CRwGroup* group : unitGroups)
    if (group && group->m_strName.size() == 4)
      for (const std::string& member : group->m_lstMembers) unitGroupOf.emplace(member, group);

  // Records that are removed leave an empty slot, so positions stay and the
  // first equal record in array order is the lowest live position of its key.
  using Key = std::tuple<std::string, std::string, std::string, std::string>;
  CLgUnitOpArray records;
  std::map<Key, std::set<int>> positions;
  const auto findOrAppend = [&](const std::string& period, const std::string& unitop, const std::string& type,
                                const std::string& tag, double rate) {
    std::set<int>& live = positions[Key(period, unitop, type, tag)];
    if (!live.empty()) {
      records[*live.begin()]->m_dRATE += rate;
      return;
    }
    auto* record = new CLgUnitOp(period, unitop, type, tag);
    record->m_dRATE = rate;
    live.insert(records.Add(record));
  };
  for (int i : lg.rows) {
    const std::string period = lg.Text(i, 2), unitop = lg.Text(i, 3), type = lg.Text(i, 4), tag = lg.Text(i, 5);
    const double rate = lg.Number(i, 6);
    const auto group = streamGroupOf.find(std::make_pair(unitop, tag));
    if (group == streamGroupOf.end()) {
      auto* record = new CLgUnitOp(period, unitop, type, tag);
      record->m_dRATE = rate;
      positions[Key(period, unitop, type, tag)].insert(records.Add(record));
    } else {
      findOrAppend(period, unitop, type, GroupTag(group->second->m_strName), rate);
    }
  }
  // From the last record to the first; records appended here are not walked.
  for (int i = records.GetSize() - 1; i >= 0; --i) {
    const CLgUnitOp* z = records[i];
    const auto group = unitGroupOf.find(z->m_strUNITOP);
    if (group == unitGroupOf.end()) continue;
    std::unique_ptr<CLgUnitOp> removed(records[i]);
    records.SetAt(i, nullptr);
    positions[Key(removed->m_strPERIOD, removed->m_strUNITOP, removed->m_strTYPE, removed->m_strTAG)].erase(i);
    findOrAppend(removed->m_strPERIOD, group->second->m_strName, removed->m_strTYPE, removed->m_strTAG,
                 removed->m_dRATE);
  }

  LegacyTable table(exportData, model, "RWUNITOP");
  if (!(DefineKeys(table) && table.DefineText("PERIOD", 1) && table.DefineText("UNITOP", 4) &&
        table.DefineText("TYPE", 1) && table.DefineText("TAG", 3) && table.DefineDouble("RATE") && table.EndDefine()))
    return false;
  for (const CLgUnitOp* r : records)
    if (r && !(AddWithKeys(exportData, table) && table.SetText("PERIOD", r->m_strPERIOD) &&
               table.SetText("UNITOP", r->m_strUNITOP) && table.SetText("TYPE", r->m_strTYPE) &&
               table.SetText("TAG", r->m_strTAG) && SetWhenSet(table, "RATE", r->m_dRATE) && table.Update()))
      return false;
  return true;
}

bool WriteReportWriterTables(CVornDbExportData& exportData, CVornModelFile& model) {
  const std::int32_t modelType = model.m_settings.m_ModelType.GetValue();
  if (modelType == 2 || modelType == 3) return true;
  if (exportData.m_strRunID.size() > 4) exportData.m_strRunID.resize(4);
  CRwGrpBlnArray blendGroups;
  CRwGrpStrArray streamGroups;
  CRwGrpUntArray unitGroups;
  ReadRWGRPBLN(exportData, &model, blendGroups);
  ReadRWGRPSTR(exportData, &model, streamGroups);
  ReadRWGRPUNT(exportData, &model, unitGroups);
  if (blendGroups.IsEmpty() && streamGroups.IsEmpty() && unitGroups.IsEmpty()) {
    model.m_bReportWriterGroups = 0;
    return true;
  }
  model.m_bReportWriterGroups = 1;
  if (!exportData.m_pModel || !IsAccessDatabaseWritten(*exportData.m_pModel)) return true;
  const CModelSettings& settings = model.m_settings;
  const bool anyOn = settings.m_CreateRWSTRMID.GetValue() != 0 || settings.m_CreateRWUNITID.GetValue() != 0 ||
                     settings.m_CreateRWSDSUM.GetValue() != 0 || settings.m_CreateRWRECIPE.GetValue() != 0 ||
                     settings.m_CreateRWUNITOP.GetValue() != 0;
  // The builders copy the LG tables that only the engine's local-model output writes: without it they cannot
  // have been written, which is no failure of the case.
  if (anyOn && exportData.m_bEngineOutputSkipped) {
    if (ILogging* log = exportData.GetLogging())
      log->Write("Report-writer tables of " + model.m_strModelName +
                 " skipped: they copy the LG tables of the engine's local-model output, which did not run\n");
    return true;
  }

  // The legacy tables are read over the model's own connection while it is open (ReadLgTable); the ODBC
  // connection is opened only without it, or where opening it also starts the model's SQL Server output.
  CDatabase& connection = model.m_odbcDatabase;
  const bool readsHere = model.m_daoDatabase && model.m_daoDatabase->IsOpen();
  const bool sqlServer =
      IsSqlServerDatabase(model.m_settings.m_DatabaseOutputFormat.GetValue(), model.m_settings.m_nDatabaseKindCache);
  if ((!readsHere || sqlServer) && !connection.IsOpen() &&
      !OpenResultDatabaseConnection(exportData, &model, exportData.m_strHomeDirectory, connection, false)) {
    if (ILogging* log = exportData.GetLogging())
      log->Write("Cannot open the ODBC connection to the results database of " + model.m_strModelName + "\n");
    return false;
  }
  const bool ok = WriteRWSTRMID(exportData, model, blendGroups, streamGroups) &&
                  WriteRWUNITID(exportData, model, unitGroups) &&
                  WriteRWSDSUM(exportData, model, blendGroups, streamGroups) &&
                  WriteRWRECIPE(exportData, model, blendGroups, streamGroups) &&
                  WriteRWUNITOP(exportData, model, streamGroups, unitGroups);
  if (connection.IsOpen()) connection.Close();
  return ok;
}
