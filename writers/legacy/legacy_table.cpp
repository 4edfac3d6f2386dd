#include "writers/legacy/legacy_table.h"

#include <cstring>

#include "dbdrivers/access/output_table_api.h"
#include "modelfile/vorn_model_file.h"

namespace {

int Length(const char* text) { return static_cast<int>(std::strlen(text)); }

}  // namespace

LegacyTable::LegacyTable(CVornDbExportData& exportData, const CVornModelFile& model, const std::string& name)
    : m_exportData(exportData) {
  std::int32_t existing = 0;
  m_pHandle = COpenTable(exportData, name.c_str(), static_cast<int>(name.size()), model.m_strModelName.c_str(),
                         static_cast<int>(model.m_strModelName.size()), 0, &existing);
}

bool LegacyTable::DefineText(const char* field, int size) {
  return m_pHandle && CDefineTextField(m_exportData, m_pHandle, field, Length(field), size, true);
}
bool LegacyTable::DefineShort(const char* field) {
  return m_pHandle && CDefineShortIntegerField(m_exportData, m_pHandle, field, Length(field), true);
}
bool LegacyTable::DefineLong(const char* field) {
  return m_pHandle && CDefineLongIntegerField(m_exportData, m_pHandle, field, Length(field), true);
}
bool LegacyTable::DefineDouble(const char* field) {
  return m_pHandle && CDefineDoubleField(m_exportData, m_pHandle, field, Length(field), true);
}
bool LegacyTable::DefineDate(const char* field) {
  return m_pHandle && CDefineDateField(m_exportData, m_pHandle, field, Length(field), true);
}
bool LegacyTable::EndDefine() { return m_pHandle && CEndDefineFields(m_exportData, m_pHandle, true); }

bool LegacyTable::Add() { return m_pHandle && CAddNewRecord(m_exportData, m_pHandle); }
bool LegacyTable::SetText(const char* field, const std::string& value) {
  return m_pHandle && CSetTextValue(m_exportData, m_pHandle, field, Length(field), value.c_str(),
                                    static_cast<int>(value.size()));
}
bool LegacyTable::SetShort(const char* field, std::int32_t value) {
  return m_pHandle && CSetShortIntegerValue(m_exportData, m_pHandle, field, Length(field), value);
}
bool LegacyTable::SetLong(const char* field, std::int32_t value) {
  return m_pHandle && CSetIntegerValue(m_exportData, m_pHandle, field, Length(field), value);
}
bool LegacyTable::SetDouble(const char* field, double value) {
  return m_pHandle && CSetDoubleValue(m_exportData, m_pHandle, field, Length(field), value);
}
bool LegacyTable::SetDate(const char* field, double value) {
  return m_pHandle && CSetDateTimeValue(m_exportData, m_pHandle, field, Length(field), value);
}
bool LegacyTable::Update() { return m_pHandle && CUpdateRecord(m_exportData, m_pHandle, nullptr); }

std::string TrimRight(std::string text) {
  const std::size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}
