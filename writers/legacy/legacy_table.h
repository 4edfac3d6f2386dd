#pragma once
// One legacy table of a model's result database, written through the table
// API: open by name under the model, define the columns, then per row add,
// set in column order and update. Every call answers false after the table
// API reported a failure, so a writer chains them with &&.

#include <cstdint>
#include <string>

#include "caseset/vorn_db_export_data.h"

class COutputTable;
class CVornModelFile;

class LegacyTable {
 public:
  LegacyTable(CVornDbExportData& exportData, const CVornModelFile& model, const std::string& name);

  bool IsOpen() const { return m_pHandle != nullptr; }

  bool DefineText(const char* field, int size);
  bool DefineShort(const char* field);
  bool DefineLong(const char* field);
  bool DefineDouble(const char* field);
  bool DefineDate(const char* field);
  bool EndDefine();

  bool Add();
  // An empty text leaves the column unset; a longer one is cut to the field.
  bool SetText(const char* field, const std::string& value);
  bool SetShort(const char* field, std::int32_t value);
  bool SetLong(const char* field, std::int32_t value);
  bool SetDouble(const char* field, double value);
  // An OLE date.
  bool SetDate(const char* field, double value);
  bool Update();

 private:
  CVornDbExportData& m_exportData;
  COutputTable* m_pHandle = nullptr;
};

// The text with its trailing blanks removed.
std::string TrimRight(std::string text);
