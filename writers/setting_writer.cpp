// The settings of a model definition and the objective values of a
// multi-start run, per case. Passwords and the secrets of connection strings
// are written masked (ShownSettingText).

#include <string>

#include "modelfile/model_settings_xml.h"
#include "modelfile/setting_item.h"
#include "modelfile/vorn_model_file.h"
#include "results/objects/db_case.h"
#include "writers/result_row.h"

namespace {

constexpr std::size_t kSettingTextLength = 254;

std::string TrimBlanks(const std::string& text) {
  const char* const blanks = " \t\r\n\v\f";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// A text ending in three number signs is stored ending in six.
std::string SettingText(const std::string& value) {
  std::string text = TrimBlanks(value);
  if (text.ends_with("###") && !text.ends_with("######")) text += "###";
  if (text.size() > kSettingTextLength) text.resize(kSettingTextLength);
  return text;
}

}  // namespace

bool CDbCase::WritePrSetting(CVornModelFile* modelFile, std::int32_t solutionId, std::int32_t modelId) {
  if (modelFile == nullptr) return false;
  ResultRow record(m_pDbData, "PrSetting");
  if (!record.IsOpen()) return false;
  std::int32_t position = 0;
  for (const CSettingItem* item : modelFile->m_settings.m_list) {
    ++position;
    if (!record.Add().IsOk()) return false;
    record.Long("SolutionID", solutionId)
        .Long("CaseID", m_nID)
        .Long("ModelID", modelId)
        .Long("SettingTypeID", position);
    switch (item->GetType()) {
      case CSettingItem::kTypeStr:
        // Every reader of the results reads this table: a password or a connection's secret is masked.
        record.Text("TextValue",
                    SettingText(ShownSettingText(item->GetName(), static_cast<const CSettingStr*>(item)->GetValue())));
        break;
      case CSettingItem::kTypeInt:
        record.Long("IntegerValue", static_cast<const CSettingInt*>(item)->GetValue());
        break;
      case CSettingItem::kTypeDouble: {
        const double value = static_cast<const CSettingDouble*>(item)->GetValue();
        if (value != 1e30) record.Double("DoubleValue", value);
        break;
      }
      case CSettingItem::kTypeDateTime:
        record.Date("DateValue", static_cast<const CSettingDateTime*>(item)->GetValue().GetValue());
        break;
      default:
        break;
    }
    if (!record.Update()) return false;
  }
  return true;
}

bool CDbCase::WritePrMSSolutions(CVornModelFile* modelFile, std::int32_t solutionId, std::int32_t nodeId) {
  if (modelFile == nullptr) return false;
  ResultRow record(m_pDbData, "PrMSSolutions");
  if (!record.IsOpen()) return false;
  const std::vector<double>& values = modelFile->m_adMultiStartObjectives;
  const std::int32_t count = static_cast<std::int32_t>(values.size());
  for (std::int32_t i = 0; i < count; ++i) {
    if (!record.Add()
             .Long("SolutionID", solutionId)
             .Long("CaseID", m_nID)
             .Long("NodeID", nodeId)
             .Long("SolveID", i)
             .Double("ObjFn", values[static_cast<std::size_t>(i)])
             .Update())
      return false;
  }
  return true;
}
