#include "writers/result_record.h"

#include "dbdrivers/access/output_table_api.h"
#include "results/objects/db_object.h"
#include "writers/schema/table_definition.h"

namespace {
int Length(const char* text) { return static_cast<int>(std::char_traits<char>::length(text)); }
}  // namespace

ResultRecord::ResultRecord(CVornDbExportData* exportData, const char* table) : m_pData(exportData) {
  if (m_pData != nullptr) m_handle = OpenResultTable(*m_pData, table);
  m_bOk = m_handle != nullptr;
}

bool ResultRecord::Add() {
  if (m_handle == nullptr) return false;
  m_bOk = m_bOk && CAddNewRecord(*m_pData, m_handle) != 0;
  return m_bOk;
}

ResultRecord& ResultRecord::Long(const char* field, std::int32_t value) {
  m_bOk = m_bOk && CSetIntegerValue(*m_pData, m_handle, field, Length(field), value) != 0;
  return *this;
}

ResultRecord& ResultRecord::Short(const char* field, std::int32_t value) {
  m_bOk = m_bOk &&
          CSetShortIntegerValue(*m_pData, m_handle, field, Length(field), static_cast<std::int16_t>(value)) != 0;
  return *this;
}

ResultRecord& ResultRecord::Double(const char* field, double value) {
  m_bOk = m_bOk && CSetDoubleValue(*m_pData, m_handle, field, Length(field), value) != 0;
  return *this;
}

ResultRecord& ResultRecord::DoubleIfSet(const char* field, double value) {
  return IsInfiniteValue(value) != 0 ? *this : Double(field, value);
}

ResultRecord& ResultRecord::Text(const char* field, std::string_view text, std::size_t maxLength) {
  if (text.size() > maxLength) text = text.substr(0, maxLength);
  m_bOk = m_bOk && CSetTextValue(*m_pData, m_handle, field, Length(field), text.data(),
                                 static_cast<int>(text.size())) != 0;
  return *this;
}

ResultRecord& ResultRecord::Date(const char* field, double date) {
  m_bOk = m_bOk && CSetDateTimeValue(*m_pData, m_handle, field, Length(field), date) != 0;
  return *this;
}

bool ResultRecord::Commit() {
  m_bOk = m_bOk && CUpdateRecord(*m_pData, m_handle, nullptr) != 0;
  return m_bOk;
}
