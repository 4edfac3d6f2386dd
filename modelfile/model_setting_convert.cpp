#include "modelfile/model_setting_convert.h"

#include <array>
#include <string_view>

#include "modelfile/model_settings.h"

namespace {

bool IsOlderVersion(const std::string& version) { return version < ModelSettingConvert::kFirstNewVersion; }

}  // namespace

bool IsNimboSettingKeyword(const std::string& name) {
  static constexpr std::array<std::string_view, 14> kKeywords = {
      "RECINVSP", "Nimbo_InventorySpecBlendsInRecursedPools",
      "XPENALTY", "Nimbo_PeriodSpanningBlendRecipePenalty",
      "VPENALTY", "Nimbo_VirtualPoolingPenalty",
      "RPENALTY", "Nimbo_PropertyRecursionPenalty",
      "P2P",      "Nimbo_InitialPeriod2PeriodErrorDistributionFactor",
      "M2M",      "Nimbo_InitialModel2ModelErrorDistributionFactor",
      "PGuessMethod", "Nimbo_PGuessOptions"};
  for (std::string_view keyword : kKeywords)
    if (name == keyword) return true;
  return false;
}

void ModelSettingConvert::SetModel(CModelSettings& settings, const std::string& version) {
  m_pSettings = &settings;
  m_pModelVersion = &version;
  m_bPending = true;
  m_strVersion = kNoVersion;
}

bool ModelSettingConvert::ConvertSetting(const std::string& name, const std::string& value, int& position) {
  if (!m_pSettings) return false;
  m_strVersion = m_pModelVersion ? *m_pModelVersion : std::string();
  if (!IsOlderVersion(m_strVersion)) return false;
  return ConvertInfeasibilityBreakers(name, value, position);
}

bool ModelSettingConvert::ConvertInfeasibilityBreakers(const std::string& name, const std::string& value,
                                                       int& position) {
  if (!settingtext::EqualsIgnoringCase(name, "Nimbo_IncludeInfeasibilityBreakers")) return false;
  m_bPending = false;
  CSettingItemList& list = m_pSettings->m_list;
  switch (settingtext::ParseInt(value)) {
    case 0:
      list.SetValueText("Nimbo_InfeasibilityBreakersOption", "0", position);
      break;
    case 2:
      list.SetValueText("Nimbo_IncludeInfeasibilityBreakers", "FALSE", position);
      break;
    case 3:
      break;
    case 4:
      list.SetValueText("Nimbo_InfeasibilityBreakersOption", "1", position);
      break;
    default:
      list.SetValueText("Nimbo_InfeasibilityBreakersOption", value, position);
      break;
  }
  return true;
}

void ModelSettingConvert::Finish() {
  if (m_strVersion == kNoVersion || !m_pSettings || !m_bPending || !IsOlderVersion(m_strVersion)) return;
  int position = CSettingItemList::kNoPosition;
  m_pSettings->m_list.SetValueText("Nimbo_InfeasibilityBreakersOption", "3", position);
}
