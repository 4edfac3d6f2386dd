#include "caseset/plantdata/plant_data_readers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "caseset/modeltables/model_database.h"
#include "caseset/modeltables/model_sheet_fixture.h"
#include "foundation/input_failure.h"

#include <filesystem>
#include <fstream>
#include <functional>

namespace {

using ::testing::HasSubstr;
using model_sheets::ModelSheets;

constexpr double kNotSet = 1e30;

double Day(const char* text) { return wks_test::OleDateOf(text); }

struct Receipt {
  std::string code;
  double date;
  double amount;
  double rate;
  double cost;
  bool crudeMix;
  std::vector<std::pair<std::string, double>> tanks;
  std::vector<std::pair<std::string, double>> crudes;
  bool operator==(const Receipt&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Receipt& r) {
  out << "{" << r.code << " " << r.date << " " << r.amount << " " << r.rate << " " << r.cost << " " << r.crudeMix << " T[";
  for (const auto& [n, v] : r.tanks) out << n << "=" << v << " ";
  out << "] C[";
  for (const auto& [n, v] : r.crudes) out << n << "=" << v << " ";
  return out << "]}";
}

std::vector<Receipt> Receipts(const CRawReceiveArray& list) {
  std::vector<Receipt> out;
  for (const CRawReceive* r : list) {
    Receipt row{r->m_strCode, r->m_dtDate.GetValue(), r->m_dAmount, r->m_dRate, r->m_dCost, r->m_bCrudeMix, {}, {}};
    for (const CCrudeCol* c : r->m_aTanks) row.tanks.emplace_back(c->m_strName, c->m_dValue);
    for (const CCrudeCol* c : r->m_aCrudes) row.crudes.emplace_back(c->m_strName, c->m_dValue);
    out.push_back(row);
  }
  return out;
}

struct Shipment {
  std::string code;
  double date;
  double amount;
  double rate;
  double price;
  std::string line;
  bool operator==(const Shipment&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Shipment& s) {
  return out << "{" << s.code << " " << s.date << " " << s.amount << " " << s.rate << " " << s.price << " " << s.line << "}";
}

std::vector<Shipment> Shipments(const CRawShipArray& list) {
  std::vector<Shipment> out;
  for (const CRawShip* s : list)
    out.push_back({s->m_strCode, s->m_dtDate.GetValue(), s->m_dAmount, s->m_dRate, s->m_dPrice, s->m_strLine});
  return out;
}

// The input database of model 7 (and rows of model 8 that must not show).
const char* const kInputDatabase = R"(
CREATE TABLE EE_MATERIALS(MODELID INTEGER, MATERIALID INTEGER, MATERIALTAG VARCHAR(20));
INSERT INTO EE_MATERIALS VALUES (7,1,'ARL'),(7,2,'BRN'),(7,3,'T2'),(7,4,'T1'),(7,5,'ARH'),(7,6,'NAP'),(8,1,'OTHER');
CREATE TABLE EE_RECEIPTS(MODELID INTEGER, MATERIALID INTEGER, RECEIPTDATETIME DATETIME,
                         RECEIPTAMOUNT DOUBLE, RECEIPTRATE DOUBLE, RECEIPTCOST DOUBLE);
INSERT INTO EE_RECEIPTS VALUES
  (7,2,'2024-01-03 00:00:00',30,3,NULL),
  (7,1,'2024-01-05 12:00:00',10,-1,2.5),
  (7,1,'2024-01-02 06:00:00',0,1,1.5),
  (7,1,NULL,5,1,1),
  (7,2,'2024-01-04 00:00:00',NULL,1,1),
  (8,1,'2024-01-01 00:00:00',1,1,1);
CREATE TABLE EE_RECEIPTTANKALLOCATION(MODELID INTEGER, MATERIALID INTEGER, TANKMATERIALID INTEGER,
                                      RECEIPTDATETIME DATETIME, MAXALLOCATION DOUBLE);
INSERT INTO EE_RECEIPTTANKALLOCATION VALUES
  (7,1,3,'2024-01-05 12:00:00',40),
  (7,1,3,'2024-01-05 12:00:00',45),
  (7,1,4,'2024-01-02 06:00:00',NULL),
  (7,2,4,'2024-01-03 00:00:00',60),
  (7,2,4,'2024-01-09 00:00:00',70);
CREATE TABLE EE_RECEIPTCRUDECOMPOSITION(MODELID INTEGER, MATERIALID INTEGER, CRUDEMATERIALID INTEGER,
                                        RECEIPTDATETIME DATETIME, CRUDECOMPOSITION DOUBLE);
INSERT INTO EE_RECEIPTCRUDECOMPOSITION VALUES
  (7,1,5,'2024-01-05 12:00:00',0.25),
  (7,2,5,'2024-01-03 00:00:00',NULL);
CREATE TABLE EE_SHIPMENTS(MODELID INTEGER, MATERIALID INTEGER, SHIPMENTDATETIME DATETIME,
                          SHIPMENTAMOUNT DOUBLE, SHIPMENTRATE DOUBLE, SHIPMENTPRICE DOUBLE);
INSERT INTO EE_SHIPMENTS VALUES
  (7,6,'2024-02-01 00:00:00',5,1,NULL),
  (7,2,'2024-01-01 00:00:00',6,2,9),
  (7,6,'2024-02-02 00:00:00',NULL,1,1),
  (8,1,'2024-02-01 00:00:00',1,1,1);
)";

class PlantData : public ::testing::Test {
 protected:
  PlantData() : m_sheets("plant") {}
  void TearDown() override { CloseModelDatabase(model()); }

  CVornModelFile& model() { return m_sheets.m_model; }
  void Database(const char* sql = kInputDatabase) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(m_sheets.Path("input.db").c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    model().m_dbConnectInfo.SetType(kDbConnAccess);
    model().m_dbConnectInfo.SetConnectionString("input.db");
    model().m_settings.m_DatabaseModelID.SetValue(7);
    std::string text;
    ASSERT_TRUE(OpenModelDatabase(model(), text)) << text;
  }

  ModelSheets m_sheets;
  CRawReceiveArray m_receipts;
  CRawShipArray m_shipments;
  std::string m_error;
};

TEST_F(PlantData, NothingToReadIsEmptyAndTrue) {
  m_receipts.Add(std::make_unique<CRawReceive>());
  EXPECT_TRUE(ReadRawReceipts(model(), m_receipts, m_error));
  EXPECT_TRUE(ReadRawShipments(model(), m_shipments, m_error));
  EXPECT_EQ(m_receipts.GetSize(), 0);
  EXPECT_EQ(m_shipments.GetSize(), 0);
}

TEST_F(PlantData, ReceiptsFromTheDatabaseThenTheTable) {
  Database();
  m_sheets.AddSheet("RECEIVE", "receive.xls",
                    {{"Code", "Date", "Amount", "Rate", "T1", "%ARL", "CrudeMix", "CrudeMode", "Comment"},
                     {"ZZZ", "@d2024-03-01", "#5", "#1", "#11", "", "#0", "mode a", "any"},
                     {"AAA", "@d2024-03-02", "#6", "#2", "", "#0.5", "", "", ""},
                     {"AAA", "@d2024-03-03", "#0", "#2", "#1", "#1", "", "", ""},
                     {"AAA", "", "#6", "#2", "#1", "#1", "", "", ""}});
  ASSERT_TRUE(ReadRawReceipts(model(), m_receipts, m_error)) << m_error;
  const auto receipts = Receipts(m_receipts);
  ASSERT_EQ(receipts.size(), 5u);
  // Database receipts sorted by code and date; amounts and rates as stored, a null cost 1e30.
  EXPECT_EQ(receipts[0], (Receipt{"ARL", Day("2024-01-02 06:00:00"), 0, 1, 1.5, false,
                                  {{"T1", kNotSet}, {"T2", kNotSet}}, {{"ARH", kNotSet}}}));
  EXPECT_EQ(receipts[1], (Receipt{"ARL", Day("2024-01-05 12:00:00"), 10, -1, 2.5, true,
                                  {{"T1", kNotSet}, {"T2", 45}}, {{"ARH", 0.25}}}));
  // A composition row whose value is null leaves the flag off.
  EXPECT_EQ(receipts[2], (Receipt{"BRN", Day("2024-01-03"), 30, 3, kNotSet, false,
                                  {{"T1", 60}, {"T2", kNotSet}}, {{"ARH", kNotSet}}}));
  // Table receipts in row order, one entry per tank and crude column.
  EXPECT_EQ(receipts[3], (Receipt{"ZZZ", Day("2024-03-01"), 5, 1, kNotSet, true, {{"T1", 11}}, {{"ARL", kNotSet}}}));
  EXPECT_EQ(receipts[4], (Receipt{"AAA", Day("2024-03-02"), 6, 2, kNotSet, false, {{"T1", kNotSet}}, {{"ARL", 0.5}}}));
  EXPECT_EQ(m_receipts.GetAt(3)->m_strCrudeMode, "mode a");
  EXPECT_EQ(m_receipts.GetAt(4)->m_strCrudeMode, "");

  // A second call replaces the list.
  ASSERT_TRUE(ReadRawReceipts(model(), m_receipts, m_error));
  EXPECT_EQ(m_receipts.GetSize(), 5);
}

TEST_F(PlantData, ShipmentsFromTheDatabaseThenTheTable) {
  Database();
  m_sheets.AddSheet("SHIP", "ship.xls",
                    {{"Code", "Date", "Time", "Amount", "Rate", "Price", "Line", "Dest", "Extra"},
                     {"GAS", "@d2024-03-01", "@t06:30:00", "#5", "#1", "", "L1", "x", "#1"},
                     {"GAS", "@d2024-03-02", "", "#6", "#2", "#7", "", "", ""},
                     {"GAS", "@d2024-03-03", "", "#6", "#-2", "#7", "", "", ""}});
  ASSERT_TRUE(ReadRawShipments(model(), m_shipments, m_error)) << m_error;
  EXPECT_EQ(Shipments(m_shipments), (std::vector<Shipment>{
                                        {"NAP", Day("2024-02-01"), 5, 1, kNotSet, ""},
                                        {"BRN", Day("2024-01-01"), 6, 2, 9, ""},
                                        {"GAS", Day("2024-03-01 06:30:00"), 5, 1, kNotSet, "L1"},
                                        {"GAS", Day("2024-03-02"), 6, 2, 7, ""},
                                    }));
}

TEST_F(PlantData, ReceiveTableColumnsAreChecked) {
  struct Case {
    const char* name;
    wks_test::Grid grid;
    const char* message;
  } cases[] = {
      {"duplicate tank", {{"Code", "Date", "Amount", "Rate", "T1", "T1"}, {"A", "@d2024-01-01", "#1", "#1", "#1", "#2"}},
       "Duplicate column [T1] in ["},
      {"text tank", {{"Code", "Date", "Amount", "Rate", "T1"}, {"A", "@d2024-01-01", "#1", "#1", "full"}},
       "Text column [T1] detected in ["},
      {"date in lower case", {{"Code", "date", "Amount", "Rate"}, {"A", "@d2024-01-01", "#1", "#1"}},
       "Text column [date] detected in ["},
      {"no date", {{"Code", "Amount"}, {"A", "#1"}}, "Required column Date is missing in "},
      {"no rate", {{"Code", "Date", "Amount"}, {"A", "@d2024-01-01", "#1"}}, "Required column Rate is missing in "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ModelSheets sheets("plant_cols");
    sheets.AddSheet("RECEIVE", "receive.xls", c.grid);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ReadRawReceipts(sheets.m_model, m_receipts, m_error));
    const std::string box = testing::internal::GetCapturedStderr();
    EXPECT_THAT(box, HasSubstr(c.message));
    EXPECT_THAT(box, HasSubstr("receive.xls"));
    // The reader's cause, on one line, for the case that fails on it.
    EXPECT_THAT(m_error, HasSubstr(c.message));
    EXPECT_THAT(m_error, HasSubstr("receive.xls"));
    EXPECT_EQ(m_error.find('\n'), std::string::npos) << m_error;
  }
}

// A sheet that is there but cannot be read whole fails the work that reads it, named; an absent one is none.
TEST_F(PlantData, AWorksheetThatIsThereButDamagedIsAFailureAndAMissingOneIsNot) {
  const wks_test::Grid grid = {{"Code", "Date", "Amount", "Rate"},
                               {"A", "@d2024-01-01", "#1", "#1"},
                               {"B", "@d2024-01-02", "#2", "#2"},
                               {"C", "@d2024-01-03", "#3", "#3"}};
  struct Case {
    const char* what;
    std::function<void(const std::string& path)> damage;
    bool failed;
  } cases[] = {
      {"whole", [](const std::string&) {}, false},
      {"cut short", [](const std::string& path) { std::filesystem::resize_file(path, std::filesystem::file_size(path) * 2 / 3); }, true},
      {"random bytes", [](const std::string& path) { std::ofstream(path, std::ios::binary) << "\x8E\x01\xFFno workbook"; }, true},
      {"missing", [](const std::string& path) { std::filesystem::remove(path); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ModelSheets sheets("plant_damage");
    sheets.AddSheet("RECEIVE", "receive.xls", grid);
    c.damage(sheets.Path("receive.xls"));
    const CInputFailureScope scope;
    testing::internal::CaptureStderr();
    ReadRawReceipts(sheets.m_model, m_receipts, m_error);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(scope.HasFailure(), c.failed) << scope.GetFirstCause();
    if (c.failed) {
      EXPECT_THAT(scope.GetFirstCause(), HasSubstr(sheets.Path("receive.xls")));
    } else {
      EXPECT_EQ(m_receipts.GetSize(), std::string(c.what) == "whole" ? 3 : 0);
    }
    CloseCachedWorkbook(true);
  }
}

TEST_F(PlantData, ShipTableColumnsAreChecked) {
  m_sheets.AddSheet("SHIP", "ship.xls",
                    {{"Code", "Date", "Amount", "Rate", "Note"}, {"A", "@d2024-01-01", "#1", "#1", "text"}});
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadRawShipments(model(), m_shipments, m_error));
  EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("Text column [Note] detected in ["));
}

TEST_F(PlantData, ACostColumnSkipsRowsWithoutCost) {
  m_sheets.AddSheet("RECEIVE", "receive.xls",
                    {{"Code", "Date", "Time", "Amount", "Rate", "Cost"},
                     {"A", "@d2024-01-01", "", "#1", "#1", ""},
                     {"B", "@d2024-01-02", "@t12:00:00", "#1", "#1", "#4"}});
  ASSERT_TRUE(ReadRawReceipts(model(), m_receipts, m_error));
  EXPECT_EQ(Receipts(m_receipts), (std::vector<Receipt>{{"B", Day("2024-01-02 12:00:00"), 1, 1, 4, false, {}, {}}}));
}

TEST_F(PlantData, ADatabaseErrorIsReportedWithTheStatement) {
  Database("CREATE TABLE EE_MATERIALS(MODELID INTEGER, MATERIALID INTEGER, MATERIALTAG VARCHAR(20));");
  m_sheets.AddSheet("RECEIVE", "receive.xls", {{"Code", "Date", "Amount", "Rate"}, {"A", "@d2024-01-01", "#1", "#1"}});
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadRawReceipts(model(), m_receipts, m_error));
  EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("FROM EE_RECEIPTS, EE_MATERIALS"));
  EXPECT_THAT(m_error, HasSubstr("Error\nCode = "));
  EXPECT_EQ(m_receipts.GetSize(), 0);  // the table source is not read

  // A model whose database was never opened fails at its first statement.
  CloseModelDatabase(model());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadRawShipments(model(), m_shipments, m_error));
  EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("FROM EE_SHIPMENTS, EE_MATERIALS"));
  EXPECT_THAT(m_error, HasSubstr("Code = 800a0e78"));
}

TEST(RawReceiveOrder, ReceiptsCompareByCodeThenWithinHalfASecond) {
  const auto receipt = [](const char* code, double date, plat::OleDateTime::Status status) {
    auto r = std::make_unique<CRawReceive>();
    r->m_strCode = code;
    r->m_dtDate = plat::OleDateTime(date);
    r->m_dtDate.SetStatus(status);
    return r;
  };
  using S = plat::OleDateTime::Status;
  const double second = 1.0 / 86400.0;
  struct Case {
    const char* codeA;
    double dateA;
    S statusA;
    const char* codeB;
    double dateB;
    S statusB;
    int expected;
  } cases[] = {
      {"A", 100, S::valid, "B", 1, S::valid, -1},
      {"b", 1, S::valid, "B", 100, S::valid, 1},
      {"A", 100, S::valid, "A", 100 + 0.6 * second, S::valid, -1},
      {"A", 100 + 0.4 * second, S::valid, "A", 100, S::valid, 0},
      {"A", 100 + 0.6 * second, S::valid, "A", 100, S::valid, 1},
      {"A", 0, S::null, "A", 0, S::null, 0},
      {"A", 0, S::invalid, "A", 0, S::invalid, 1},
      {"A", 0, S::null, "A", 100, S::valid, 1},
  };
  for (const Case& c : cases) {
    const auto a = receipt(c.codeA, c.dateA, c.statusA);
    const auto b = receipt(c.codeB, c.dateB, c.statusB);
    const CRawReceive* pa = a.get();
    const CRawReceive* pb = b.get();
    EXPECT_EQ(CompareRawReceipts(&pa, &pb), c.expected) << c.codeA << c.dateA << " vs " << c.codeB << c.dateB;
  }

  // A search by (code, date) finds the receipt at or up to half a second before the date.
  CRawReceiveArray list;
  list.Add(receipt("A", 100, S::valid));
  list.Add(receipt("A", 200, S::valid));
  list.Sort(&CompareRawReceipts);
  const auto probe = [&](double date) { return list.Find(receipt("A", date, S::valid).get()); };
  EXPECT_EQ(probe(200 + 0.4 * second), list.GetAt(1));
  EXPECT_EQ(probe(200 - 0.4 * second), nullptr);
  EXPECT_EQ(probe(200 + 0.6 * second), nullptr);
}

}  // namespace
