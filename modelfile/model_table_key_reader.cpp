#include "modelfile/model_table_key_reader.h"

#include <strings.h>

#include "tableio/io_table.h"
#include "tableio/worksheet/wks_file.h"

namespace {

// Table type codes of the I/O table: worksheets and dBASE files.
constexpr int kWorksheetTable = 0;
constexpr int kDbaseTable = 7;

bool HasDbaseExtension(const std::string& path) {
  return path.size() >= 4 && strcasecmp(path.c_str() + path.size() - 4, ".dbf") == 0;
}

// Reads a source as a model table: key column "ROWNAMES", every row, every column.
class CIoTableKeyReader : public IModelTableKeyReader {
 public:
  bool ReadRowKeys(const std::string& path, const std::string& sheet, std::vector<std::string>& keys) override {
    keys.clear();
    CIoTable table(path, sheet, "ROWNAMES", "*", "*", HasDbaseExtension(path) ? kDbaseTable : kWorksheetTable);
    if (table.GetStatus() != 0) return false;
    for (int row = 0; row < table.GetRowCount(); ++row) keys.push_back(table.GetKeyText(row, 0));
    return true;
  }
  void ForgetCachedWorkbook() override { CloseCachedWorkbook(true); }
};

CIoTableKeyReader g_ioTableKeyReader;
IModelTableKeyReader* g_pKeyReader = &g_ioTableKeyReader;

}  // namespace

IModelTableKeyReader* GetModelTableKeyReader() { return g_pKeyReader; }

IModelTableKeyReader* SetModelTableKeyReader(IModelTableKeyReader* reader) {
  IModelTableKeyReader* previous = g_pKeyReader;
  g_pKeyReader = reader;
  return previous;
}
