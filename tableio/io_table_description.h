#pragma once
// Where a table lives (file or data source, table, connection, credentials,
// table type), and a few numbers the worksheet loader reports about it.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/ptr_array.h"
#include "platform/archive.h"
#include "platform/object.h"
#include "platform/ole_date_time.h"

class CDatabase;
namespace plat {
class AdoConnection;
}

// Table type codes.
enum : int {
  kTableWorksheet = 0,
  kTableOdbc = 2,
  kTableDbf = 7,
  kTableMfcOdbc = 8,
  kTableAdo = 10,
};

// Indexes of the loader results.
enum : int {
  kLoaderSheetRows = 0,
  kLoaderSheetColumns = 1,
  kLoaderRowsRead = 2,
  kLoaderColumnsRead = 3,
  kLoaderHeadingRow = 4,
  kLoaderRowNamesColumn = 5,
  kLoaderStarColumn = 6,
  kLoaderLastDataColumn = 7,
};

class CIoTableDescription : public CObject {
 public:
  CIoTableDescription() = default;
  CIoTableDescription(const CIoTableDescription&) = delete;
  CIoTableDescription& operator=(const CIoTableDescription&) = delete;
  ~CIoTableDescription() override = default;

  // Copies the texts, the date, the option ints, the table type, the two
  // further ints, the database pointer and the connection; not the loader
  // results.
  void Copy(const CIoTableDescription& other);

  // Stores or loads the eight texts, the date and the six ints. The database,
  // the connection and the loader results are not archived.
  void Serialize(plat::Archive& archive);

  // Not owned; for table type 8.
  CDatabase* m_pDatabase = nullptr;
  // A shared reference; for table type 10.
  std::shared_ptr<plat::AdoConnection> m_pConnection;
  // File name of a worksheet or dBASE table, or the source text of a database table.
  std::string m_strSource;
  // Sheet or range of a worksheet, or the table of a database.
  std::string m_strTable;
  std::string m_strDataSourceName;
  std::string m_strUser;
  std::string m_strPassword;
  std::array<std::string, 3> m_strExtra;
  plat::OleDateTime m_date;
  std::array<std::int32_t, 3> m_nOptions{0, 0, 0};
  std::int32_t m_nTableType = -1;
  std::array<std::int32_t, 2> m_nExtra{-1, -1};
  std::array<std::int32_t, 8> m_nLoaderResults{-1, -1, -1, -1, -1, -1, -1, -1};
};

// The creation function of the class in archives of tables saved with their descriptions.
std::unique_ptr<CIoTableDescription> CreateTableDescription();

class CIoTableDescriptionArray : public CAutoDestructArray<CPtrArray, CIoTableDescription*> {};
