// The records of the case set and the export configuration: construction and
// the compare functions of their lists.

#include <charconv>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "caseset/config/assembled_case.h"
#include "caseset/config/case_setting.h"
#include "caseset/config/case_table.h"
#include "caseset/config/error_message.h"
#include "caseset/config/local_model.h"
#include "caseset/config/name_model.h"
#include "caseset/config/per_case.h"
#include "caseset/config/vorn_period.h"
#include "foundation/logging.h"
#include "modelfile/model_settings.h"
#include "modelfile/model_settings_xml.h"

CAssembledCase::CAssembledCase(std::int32_t number, const std::string& modelName)
    : m_nNumber(number), m_strModelName(modelName) {}

std::string CAssembledCase::GetModifiesText() const {
  char text[16];
  std::snprintf(text, sizeof text, "%d", m_nModifies);
  return text;
}

int CAssembledCase::CompareElements(const void* a, const void* b) {
  const CAssembledCase* left = SlotElement<CAssembledCase>(a);
  const CAssembledCase* right = SlotElement<CAssembledCase>(b);
  if (const int c = CompareKeys(left->m_nNumber, right->m_nNumber)) return c;
  return CompareKeys(left->m_strModelName, right->m_strModelName);
}

void ApplyCaseSettings(CModelSettings& settings, const CAssembledCase& assembledCase, ILogging* log) {
  for (const CCaseSetting* row : assembledCase.m_aCaseSettings)
    ApplyCaseSetting(settings, row->m_strRow, row->m_strText, row->m_dValue, log);
}

CCaseTable::CCaseTable(const std::string& name, std::int32_t caseNumber) : m_nCaseNumber(caseNumber), m_strName(name) {}

int CCaseTable::CompareElements(const void* a, const void* b) {
  return CompareKeys(SlotElement<CCaseTable>(a)->m_strName, SlotElement<CCaseTable>(b)->m_strName);
}

void CCaseTable::ReadCrossTabValues() {
  std::map<std::pair<std::string, std::string>, double> entries;
  for (const std::string& line : m_aCrossTabLines) {
    const std::size_t first = line.find('\t');
    const std::size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
    if (second == std::string::npos || line.find('\t', second + 1) != std::string::npos) continue;
    std::string row = line.substr(0, first);
    std::string column = line.substr(first + 1, second - first - 1);
    const char* begin = line.data() + second + 1;
    const char* end = line.data() + line.size();
    double number = 0;
    const auto [at, error] = std::from_chars(begin, end, number);
    if (row.empty() || column.empty() || begin == end || error != std::errc() || at != end) continue;
    entries[{std::move(row), std::move(column)}] = number;
  }
  for (auto& [key, number] : entries) {
    auto value = std::make_unique<CCaseValue>();
    value->m_strRow = key.first;
    value->m_strColumn = key.second;
    value->m_dValue = number;
    m_aValues.Add(std::move(value));
  }
  m_aValues.Sort(&CCaseValue::CompareElements);
}

int CCaseValue::CompareElements(const void* a, const void* b) {
  const CCaseValue* left = SlotElement<CCaseValue>(a);
  const CCaseValue* right = SlotElement<CCaseValue>(b);
  if (const int c = CompareKeys(left->m_strRow, right->m_strRow)) return c;
  return CompareKeys(left->m_strColumn, right->m_strColumn);
}

int CCaseText::CompareElements(const void* a, const void* b) {
  return CompareKeys(SlotElement<CCaseText>(a)->m_strRow, SlotElement<CCaseText>(b)->m_strRow);
}

CCaseSetting::CCaseSetting(const std::string& row) : m_strRow(row) {}

int CCaseSetting::CompareElements(const void* a, const void* b) {
  return CompareKeys(SlotElement<CCaseSetting>(a)->m_strRow, SlotElement<CCaseSetting>(b)->m_strRow);
}

CVornPeriod::CVornPeriod(const std::string& code) : m_strCode(code) {}

int CVornPeriod::CompareElements(const void* a, const void* b) {
  return CompareKeys(SlotElement<CVornPeriod>(a)->m_strCode, SlotElement<CVornPeriod>(b)->m_strCode);
}

CPerCase::CPerCase(std::int32_t caseNumber) : m_nCase(caseNumber) {}

int CPerCase::CompareElements(const void* a, const void* b) {
  return CompareKeys(SlotElement<CPerCase>(a)->m_nCase, SlotElement<CPerCase>(b)->m_nCase);
}

int CErrorMessage::CompareElements(const void* a, const void* b) {
  return CompareKeys(SlotElement<CErrorMessage>(a)->m_strCode, SlotElement<CErrorMessage>(b)->m_strCode);
}

int CLocalModel::CompareElements(const void* a, const void* b) {
  return CompareKeys(SlotElement<CLocalModel>(a)->m_strCodeString, SlotElement<CLocalModel>(b)->m_strCodeString);
}

int CNameModel::CompareElements(const void* a, const void* b) {
  return CompareKeys(SlotElement<CNameModel>(a)->m_strName, SlotElement<CNameModel>(b)->m_strName);
}
