// Reading a 20 000-row table from an SQLite file through the three database
// back ends: the whole-table load that model tables and the results reader run.

#include <benchmark/benchmark.h>

#include "platform/ado.h"
#include "platform/odbc_database.h"
#include "platform/testing/odbc_test_env.h"
#include "tableio/io_table.h"

namespace {

constexpr int kRows = 20000;

struct Fixture {
  Fixture() : ini(plat::testing::ScopedOdbcIni::StandardDrivers()), file(ini.Dir().File("bench.db")) {
    CDatabase db;
    db.OpenEx("Driver=SQLite3;Database=" + file);
    db.ExecuteSQL("CREATE TABLE T (ROWNAMES VARCHAR(20), A DOUBLE, B INTEGER, C VARCHAR(40), D TIMESTAMP)");
    db.BeginTrans();
    auto insert = db.Connection()->NewStatement();
    insert->Prepare("INSERT INTO T VALUES (?, ?, ?, ?, '2021-03-15 07:05:09')");
    for (int i = 0; i < kRows; ++i) {
      insert->BindText(1, "ROW" + std::to_string(i));
      insert->BindDouble(2, i * 0.5);
      insert->BindLong(3, i);
      insert->BindText(4, "text of row " + std::to_string(i));
      insert->Execute();
    }
    db.CommitTrans();
  }
  plat::testing::ScopedOdbcIni ini;
  std::string file;
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void BM_ReadTable(benchmark::State& state) {
  if (plat::testing::SqliteOdbcDriverLibrary().empty()) {
    state.SkipWithError("the SQLite3 ODBC driver is not installed");
    return;
  }
  Fixture& f = Shared();
  const int type = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::unique_ptr<CIoTable> table;
    if (type == 2)
      table = std::make_unique<CIoTable>("", "T", "ROWNAMES", "*", "*", 2, "Driver=SQLite3;Database=" + f.file);
    else if (type == 8)
      table = std::make_unique<CIoTable>(f.file, "T", "ROWNAMES", "*", "*", 8);
    else
      table = std::make_unique<CIoTable>(std::make_shared<plat::AdoConnection>(), "T", "ROWNAMES", "*", "*", 10, f.file);
    if (table->GetStatus() != 0 || table->GetRowCount() != kRows) state.SkipWithError("the table did not load");
    benchmark::DoNotOptimize(table->GetCellDouble(kRows - 1, 1));
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ReadTable)->Arg(2)->Arg(8)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
