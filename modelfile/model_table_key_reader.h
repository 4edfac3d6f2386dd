#pragma once
// How the catalogue reads the row keys of the tables that list assay and
// submodel tables (ASSAYLIB, SUBMODS): a seam, so the catalogue can be tested
// without the table sources and the model-table input can supply its reader.

#include <string>
#include <vector>

class IModelTableKeyReader {
 public:
  virtual ~IModelTableKeyReader() = default;
  // The key text (column "ROWNAMES") of every row of the source, in row
  // order; false when the table cannot be read.
  virtual bool ReadRowKeys(const std::string& path, const std::string& sheet, std::vector<std::string>& keys) = 0;
  // Drops the cached workbook of the worksheet back end, when there is one.
  virtual void ForgetCachedWorkbook() {}
};

// The reader in use: the one set last; by default the I/O table's (type 0,
// or 7 for a ".dbf" file). Null when set so: every read then fails.
IModelTableKeyReader* GetModelTableKeyReader();
// Sets the process-wide reader (null: none); returns the previous one.
IModelTableKeyReader* SetModelTableKeyReader(IModelTableKeyReader* reader);
