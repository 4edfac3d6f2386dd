#include "caseset/plantdata/plant_data_readers.h"

#include <cstdio>
#include <memory>
#include <unordered_set>
#include <vector>

#include "caseset/modeltables/model_database.h"
#include "caseset/modeltables/vorn_io_table.h"
#include "foundation/messages.h"
#include "modelfile/vorn_model_file.h"
#include "platform/ado.h"
#include "platform/string_table.h"

namespace {

const plat::StringTableRegistrar kPlantDataStrings(
    plat::StringTable::Program,
    {
        {kIdsTextColumnDetected, "Text column [%1] detected in [%2].\n\nThis column must be numeric."},
        {kIdsRequiredColumnMissingIn, "Required column %1 is missing in %2"},
        {kIdsDuplicateColumn, "Duplicate column [%1] in [%2]."},
    });

constexpr double kNotSet = 1e30;

// The statements: base text, model filter ("%d" of the model's identifier in
// the database) and order clause.
struct Statement {
  const char* base;
  const char* filter;
  const char* order;
};

const Statement kReceipts{
    R"(SELECT EE_RECEIPTS.RECEIPTDATETIME AS ["Date"], EE_MATERIALS.MATERIALTAG AS Code, EE_RECEIPTS.RECEIPTAMOUNT AS Amount, EE_RECEIPTS.RECEIPTRATE AS Rate, EE_RECEIPTS.RECEIPTCOST AS Cost FROM EE_RECEIPTS, EE_MATERIALS WHERE (EE_RECEIPTS.MATERIALID = EE_MATERIALS.MATERIALID) AND (EE_RECEIPTS.MODELID = EE_MATERIALS.MODELID) )",
    "AND (EE_RECEIPTS.MODELID=%d)", ""};
const Statement kTanks{
    "SELECT DISTINCT EE_MATERIALS.MATERIALTAG FROM EE_RECEIPTTANKALLOCATION, EE_MATERIALS WHERE (EE_RECEIPTTANKALLOCATION.TANKMATERIALID = EE_MATERIALS.MATERIALID) AND (EE_RECEIPTTANKALLOCATION.MODELID = EE_MATERIALS.MODELID) ",
    "AND (EE_RECEIPTTANKALLOCATION.MODELID=%d)", "  ORDER BY EE_MATERIALS.MATERIALTAG"};
const Statement kAllocations{
    R"(SELECT EE_RECEIPTTANKALLOCATION.RECEIPTDATETIME AS ["Date"], EE_MATERIALS.MATERIALTAG AS Code, MATERIALS_1.MATERIALTAG AS Tank, EE_RECEIPTTANKALLOCATION.MAXALLOCATION AS [Max] FROM EE_RECEIPTTANKALLOCATION, EE_MATERIALS, EE_MATERIALS AS MATERIALS_1  WHERE (EE_RECEIPTTANKALLOCATION.MATERIALID = EE_MATERIALS.MATERIALID) AND (EE_RECEIPTTANKALLOCATION.MODELID = EE_MATERIALS.MODELID) AND (EE_RECEIPTTANKALLOCATION.TANKMATERIALID = MATERIALS_1.MATERIALID) AND (EE_RECEIPTTANKALLOCATION.MODELID = MATERIALS_1.MODELID) )",
    "AND (EE_RECEIPTTANKALLOCATION.MODELID=%d)", "  ORDER BY MATERIALS_1.MATERIALTAG"};
const Statement kCrudes{
    "SELECT DISTINCT EE_MATERIALS.MATERIALTAG FROM EE_RECEIPTCRUDECOMPOSITION, EE_MATERIALS WHERE (EE_RECEIPTCRUDECOMPOSITION.CRUDEMATERIALID = EE_MATERIALS.MATERIALID) AND (EE_RECEIPTCRUDECOMPOSITION.MODELID = EE_MATERIALS.MODELID) ",
    "AND (EE_RECEIPTCRUDECOMPOSITION.MODELID=%d)", "  ORDER BY EE_MATERIALS.MATERIALTAG"};
const Statement kCompositions{
    R"(SELECT EE_RECEIPTCRUDECOMPOSITION.RECEIPTDATETIME AS ["Date"], EE_MATERIALS.MATERIALTAG AS Code, MATERIALS_1.MATERIALTAG AS Crude, EE_RECEIPTCRUDECOMPOSITION.CRUDECOMPOSITION FROM EE_RECEIPTCRUDECOMPOSITION, EE_MATERIALS,EE_MATERIALS AS MATERIALS_1 WHERE (EE_RECEIPTCRUDECOMPOSITION.MODELID = EE_MATERIALS.MODELID) AND (EE_RECEIPTCRUDECOMPOSITION.MATERIALID = EE_MATERIALS.MATERIALID) AND (EE_RECEIPTCRUDECOMPOSITION.MODELID = MATERIALS_1.MODELID) AND (EE_RECEIPTCRUDECOMPOSITION.CRUDEMATERIALID = MATERIALS_1.MATERIALID) )",
    "AND (EE_RECEIPTCRUDECOMPOSITION.MODELID=%d)", "  ORDER BY MATERIALS_1.MATERIALTAG"};
const Statement kShipments{
    R"(SELECT EE_SHIPMENTS.SHIPMENTDATETIME AS ["Date"], EE_MATERIALS.MATERIALTAG AS Code, EE_SHIPMENTS.SHIPMENTAMOUNT AS Amount, EE_SHIPMENTS.SHIPMENTRATE AS Rate, EE_SHIPMENTS.SHIPMENTPRICE AS Price FROM EE_SHIPMENTS, EE_MATERIALS WHERE (EE_SHIPMENTS.MATERIALID = EE_MATERIALS.MATERIALID) AND (EE_SHIPMENTS.MODELID = EE_MATERIALS.MODELID) )",
    "AND (EE_SHIPMENTS.MODELID=%d)", ""};

// The statement for the model's database: the identifier is an integer
// setting, so the filter carries no text of the database or the user.
std::string BuildStatement(const Statement& statement, const CVornModelFile& model) {
  char filter[96];
  std::snprintf(filter, sizeof filter, statement.filter,
                static_cast<int>(model.m_settings.m_DatabaseModelID.GetValue()));
  std::string sql = std::string(statement.base) + filter + statement.order;
  AdaptSqlToDatabase(sql, model);
  return sql;
}

// The current record's values, read by position.
class Record {
 public:
  explicit Record(const plat::AdoRecordset& recordset) : m_recordset(recordset) {}

  plat::Variant Value(long index) const { return m_recordset.GetItem(index).GetValue(); }
  bool Date(long index, plat::OleDateTime& out) const {
    const plat::Variant v = Value(index);
    if (v.vt != plat::VT_DATE) return false;
    out = plat::OleDateTime(v.dblVal);
    return true;
  }
  bool Text(long index, std::string& out) const {
    plat::Variant v = Value(index);
    if (v.vt != plat::VT_BSTR) return false;
    out = std::move(v.bstrVal);
    return true;
  }
  // False for a null, empty or non-numeric value.
  bool Number(long index, double& out) const {
    const plat::Variant v = Value(index);
    switch (v.vt) {
      case plat::VT_R4:
      case plat::VT_R8:
      case plat::VT_DECIMAL: out = v.dblVal; return true;
      case plat::VT_I2:
      case plat::VT_I4:
      case plat::VT_I8:
      case plat::VT_UI1: out = static_cast<double>(v.llVal); return true;
      case plat::VT_CY: out = static_cast<double>(v.llVal) / 10000.0; return true;
      default: return false;
    }
  }

 private:
  const plat::AdoRecordset& m_recordset;
};

// Runs one statement on the model's connection and hands every record to
// visit. Throws plat::ComError, with the statement's text kept in sql.
template <class Visit>
void RunStatement(const CVornModelFile& model, const Statement& statement, std::string& sql, Visit visit) {
  sql = BuildStatement(statement, model);
  const plat::AdoConnectionPtr& connection = model.m_pModelDbConnection;
  if (!connection) throw plat::ComError(plat::kAdoErrorObjectClosed, "ADODB.Recordset", "The model database is not open.");
  std::unique_ptr<plat::AdoRecordset> recordset = connection->Execute(sql);
  if (!recordset) return;
  for (; !recordset->IsEOF(); recordset->MoveNext()) visit(Record(*recordset));
  recordset->Close();
}

// The distinct tags of a tank or crude statement, in its order.
std::vector<std::string> ReadTags(const CVornModelFile& model, const Statement& statement, std::string& sql) {
  std::vector<std::string> tags;
  RunStatement(model, statement, sql, [&](const Record& record) {
    std::string tag;
    if (record.Text(0, tag)) tags.push_back(std::move(tag));
  });
  return tags;
}

// Sets the entry of a receipt found by (code, date) from a row of an
// allocation or composition statement; false when the row was skipped.
bool SetEntry(const CRawReceiveArray& receipts, const Record& record, bool composition) {
  CRawReceive probe;
  if (!record.Date(0, probe.m_dtDate) || !record.Text(1, probe.m_strCode)) return false;
  CRawReceive* receipt = receipts.Find(&probe);
  std::string tag;
  double value = 0.0;
  if (receipt == nullptr || !record.Text(2, tag) || !record.Number(3, value)) return false;
  for (CCrudeCol* entry : composition ? receipt->m_aCrudes : receipt->m_aTanks) {
    if (entry && entry->m_strName == tag) {
      entry->m_dValue = value;
      if (composition) receipt->m_bCrudeMix = true;
      return true;
    }
  }
  return false;
}

void ReceiptsFromDatabase(const CVornModelFile& model, CRawReceiveArray& receipts, std::string& sql) {
  RunStatement(model, kReceipts, sql, [&](const Record& record) {
    auto receipt = std::make_unique<CRawReceive>();
    if (!record.Date(0, receipt->m_dtDate) || !record.Text(1, receipt->m_strCode) ||
        !record.Number(2, receipt->m_dAmount) || !record.Number(3, receipt->m_dRate))
      return;
    if (!record.Number(4, receipt->m_dCost)) receipt->m_dCost = kNotSet;
    receipts.Add(std::move(receipt));
  });
  receipts.Sort(&CompareRawReceipts);

  for (const std::string& tank : ReadTags(model, kTanks, sql))
    for (CRawReceive* receipt : receipts) receipt->m_aTanks.Add(std::make_unique<CCrudeCol>(tank, kNotSet));
  RunStatement(model, kAllocations, sql, [&](const Record& record) { SetEntry(receipts, record, false); });

  for (const std::string& crude : ReadTags(model, kCrudes, sql))
    for (CRawReceive* receipt : receipts) receipt->m_aCrudes.Add(std::make_unique<CCrudeCol>(crude, kNotSet));
  RunStatement(model, kCompositions, sql, [&](const Record& record) { SetEntry(receipts, record, true); });
}

void ShipmentsFromDatabase(const CVornModelFile& model, CRawShipArray& shipments, std::string& sql) {
  RunStatement(model, kShipments, sql, [&](const Record& record) {
    auto shipment = std::make_unique<CRawShip>();
    if (!record.Date(0, shipment->m_dtDate) || !record.Text(1, shipment->m_strCode) ||
        !record.Number(2, shipment->m_dAmount) || !record.Number(3, shipment->m_dRate))
      return;
    if (!record.Number(4, shipment->m_dPrice)) shipment->m_dPrice = kNotSet;
    shipments.Add(std::move(shipment));
  });
}

// The database source; false after a COM error, which is reported.
template <class Read>
bool FromDatabase(const CVornModelFile& model, std::string& errorText, Read read) {
  if (model.m_dbConnectInfo.m_nType == kDbConnNone) return true;
  std::string sql;
  try {
    read(sql);
  } catch (const plat::ComError& error) {
    errorText = "the model's input database: " + FormatComError(error);
    ShowErrorMessage(sql);
    return false;
  }
  return true;
}

// Shows the message and keeps its text, on one line, as the reader's cause.
bool ColumnError(unsigned id, const std::string& column, const CIoTable& table, std::string& errorText) {
  errorText = FormatString2(LoadResString(id), column, table.GetDisplayName());
  for (std::size_t at = errorText.find('\n'); at != std::string::npos; at = errorText.find('\n', at)) {
    const std::size_t end = errorText.find_first_not_of('\n', at);
    errorText.replace(at, (end == std::string::npos ? errorText.size() : end) - at, " ");
  }
  return ShowFormattedError2(id, column, table.GetDisplayName());
}

// The table source's status: true to read on; false after its message, with the cause in errorText.
bool CheckTableStatus(const CIoTable& table, const char* name, std::string& errorText) {
  if (table.GetStatus() == kIoTableCannotRead || table.GetStatus() == kIoTableCannotClose ||
      table.GetStatus() == kIoTableOkWithWarnings)
    errorText = std::string("the model table ") + name + " cannot be read from " + table.GetDisplayName() +
                (table.GetStatus() == kIoTableOkWithWarnings ? ": its key column mixes numbers and texts" : "");
  return ReportModelTableStatus(table);
}

// The columns both tables note by position.
struct EventColumns {
  int code = -1;
  int date = -1;
  int time = -1;
  int amount = -1;
  int rate = -1;

  bool Note(const std::string& name, int j) {
    int* slot = name == "Code" ? &code : name == "Date" ? &date : name == "Time" ? &time
              : name == "Amount" ? &amount : name == "Rate" ? &rate : nullptr;
    if (slot) *slot = j;
    return slot != nullptr;
  }
  bool CheckRequired(const CIoTable& table, std::string& errorText) const {
    for (const auto& [index, name] : {std::pair{date, "Date"}, std::pair{code, "Code"},
                                      std::pair{amount, "Amount"}, std::pair{rate, "Rate"}})
      if (index < 0) return ColumnError(kIdsRequiredColumnMissingIn, name, table, errorText);
    return true;
  }
  // Code, date and time, amount and rate of row i; false when the row is skipped.
  bool Read(const CIoTable& table, int i, std::string& codeText, plat::OleDateTime& when, double& amountValue,
            double& rateValue) const {
    codeText = table.GetKeyText(i, 0);
    if (table.IsCellNull(i, date)) return false;
    when = table.GetCellDateTime(i, date);
    if (time >= 0 && !table.IsCellNull(i, time)) {
      const plat::OleDateTime day = when;
      CombineDateAndTime(day, table.GetCellDateTime(i, time), when);
    }
    if (table.IsCellNull(i, amount) || !((amountValue = table.GetCellDouble(i, amount)) > 0)) return false;
    if (table.IsCellNull(i, rate) || !((rateValue = table.GetCellDouble(i, rate)) > 0)) return false;
    return true;
  }
};

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (name == n) return true;
  return false;
}

// A tank or crude column of RECEIVE.
struct ValueColumn {
  int index;
  bool crude;
  std::string name;
};

bool ReceiptsFromTable(const CVornModelFile& model, CRawReceiveArray& receipts, std::string& errorText) {
  CVornIoTable table("RECEIVE", "*", "*", model, 0, "Code", 0);
  if (table.GetStatus() == kIoTableCannotOpen) return true;
  if (!CheckTableStatus(table, "RECEIVE", errorText)) return false;

  EventColumns columns;
  int cost = -1;
  int crudeMix = -1;
  int crudeMode = -1;
  std::vector<ValueColumn> values;
  std::unordered_set<std::string> tanks;
  std::unordered_set<std::string> crudes;
  for (int j = 0; j < table.GetColumnCount(); ++j) {
    const std::string name = table.GetColumnName(j);
    if (columns.Note(name, j)) continue;
    if (name == "Cost") { cost = j; continue; }
    if (name == "CrudeMix") { crudeMix = j; continue; }
    if (name == "CrudeMode") { crudeMode = j; continue; }
    if (IsOneOf(name, {"Line", "Batch", "Source", "Tank", "TankOrder", "Client", "Vessel", "Comment", "Description"}))
      continue;
    const bool crude = !name.empty() && name[0] == '%';
    const std::string valueName = crude ? name.substr(1) : name;
    if (!(crude ? crudes : tanks).insert(valueName).second)
      return ColumnError(kIdsDuplicateColumn, name, table, errorText);
    if (table.GetColumnType(j) != kSqlDouble) return ColumnError(kIdsTextColumnDetected, name, table, errorText);
    values.push_back({j, crude, valueName});
  }
  if (!columns.CheckRequired(table, errorText)) return false;

  for (int i = 0; i < table.GetRowCount(); ++i) {
    auto receipt = std::make_unique<CRawReceive>();
    if (!columns.Read(table, i, receipt->m_strCode, receipt->m_dtDate, receipt->m_dAmount, receipt->m_dRate))
      continue;
    if (cost >= 0) {
      if (table.IsCellNull(i, cost)) continue;
      receipt->m_dCost = table.GetCellDouble(i, cost);
    }
    receipt->m_bCrudeMix = crudeMix >= 0 && !table.IsCellNull(i, crudeMix);
    if (crudeMode >= 0 && !table.IsCellNull(i, crudeMode)) receipt->m_strCrudeMode = table.GetCellString(i, crudeMode);
    for (const ValueColumn& column : values) {
      const double value = table.IsCellNull(i, column.index) ? kNotSet : table.GetCellDouble(i, column.index);
      (column.crude ? receipt->m_aCrudes : receipt->m_aTanks).Add(std::make_unique<CCrudeCol>(column.name, value));
    }
    receipts.Add(std::move(receipt));
  }
  return true;
}

bool ShipmentsFromTable(const CVornModelFile& model, CRawShipArray& shipments, std::string& errorText) {
  CVornIoTable table("SHIP", "*", "*", model, 0, "Code", 0);
  if (table.GetStatus() == kIoTableCannotOpen) return true;
  if (!CheckTableStatus(table, "SHIP", errorText)) return false;

  EventColumns columns;
  int price = -1;
  int line = -1;
  for (int j = 0; j < table.GetColumnCount(); ++j) {
    const std::string name = table.GetColumnName(j);
    if (columns.Note(name, j)) continue;
    if (name == "Price") { price = j; continue; }
    if (name == "Line") { line = j; continue; }
    if (IsOneOf(name, {"Batch", "Dest", "Tank", "TankOrder", "Client", "Vessel", "Comment", "Follow", "Description"}))
      continue;
    if (table.GetColumnType(j) != kSqlDouble) return ColumnError(kIdsTextColumnDetected, name, table, errorText);
  }
  if (!columns.CheckRequired(table, errorText)) return false;

  for (int i = 0; i < table.GetRowCount(); ++i) {
    auto shipment = std::make_unique<CRawShip>();
    if (!columns.Read(table, i, shipment->m_strCode, shipment->m_dtDate, shipment->m_dAmount, shipment->m_dRate))
      continue;
    if (price >= 0 && !table.IsCellNull(i, price)) shipment->m_dPrice = table.GetCellDouble(i, price);
    if (line >= 0 && !table.IsCellNull(i, line)) shipment->m_strLine = table.GetCellString(i, line);
    shipments.Add(std::move(shipment));
  }
  return true;
}

}  // namespace

bool ReadRawReceipts(const CVornModelFile& model, CRawReceiveArray& receipts, std::string& errorText) {
  errorText.clear();
  receipts.RemoveAll();
  if (!FromDatabase(model, errorText, [&](std::string& sql) { ReceiptsFromDatabase(model, receipts, sql); }))
    return false;
  return ReceiptsFromTable(model, receipts, errorText);
}

bool ReadRawShipments(const CVornModelFile& model, CRawShipArray& shipments, std::string& errorText) {
  errorText.clear();
  shipments.RemoveAll();
  if (!FromDatabase(model, errorText, [&](std::string& sql) { ShipmentsFromDatabase(model, shipments, sql); }))
    return false;
  return ShipmentsFromTable(model, shipments, errorText);
}
