#include "modelfile/model_settings_xml.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "foundation/logging.h"
#include "modelfile/model_setting_convert.h"
#include "modelfile/model_settings.h"
#include "modelfile/model_text_cipher.h"
#include "modelfile/vorn_setting_xml_writer.h"
#include "platform/connection_string.h"

namespace {

// A case row's "no number".
constexpr double kNoNumber = 1e30;

// Their values belong to the schedule import, not to the model file.
constexpr std::array<std::string_view, 6> kIgnoredOnRead = {"SkedDate",        "SkedPath",
                                                            "SkedRefSkedTanksDateOn", "SkedOutputVolOn",
                                                            "SkedOutputDatabaseVolOn", "SkedConversionFactor"};

struct LegacyRow {
  const char* xdr;
  const char* legacy;
  const char* nimbo;
};
constexpr std::array<LegacyRow, 7> kLegacyRows = {{
    {"XDR_InventorySpecBlendsInRecursedPools", "RECINVSP", "Nimbo_InventorySpecBlendsInRecursedPools"},
    {"XDR_PeriodSpanningBlendRecipePenalty", "XPENALTY", "Nimbo_PeriodSpanningBlendRecipePenalty"},
    {"XDR_VirtualPoolingPenalty", "VPENALTY", "Nimbo_VirtualPoolingPenalty"},
    {"XDR_PropertyRecursionPenalty", "RPENALTY", "Nimbo_PropertyRecursionPenalty"},
    {"XDR_InitialPeriod2PeriodErrorDistributionFactor", "P2P", "Nimbo_InitialPeriod2PeriodErrorDistributionFactor"},
    {"XDR_InitialModel2ModelErrorDistributionFactor", "M2M", "Nimbo_InitialModel2ModelErrorDistributionFactor"},
    {"XDR_PGuessOptions", "PGuessMethod", "Nimbo_PGuessOptions"},
}};

// Case rows under these names also set the XDR item.
struct CaseAlias {
  std::string_view row;
  const char* xdr;
};
constexpr std::array<CaseAlias, 9> kCaseAliases = {{
    {"XPENALTY", "XDR_PeriodSpanningBlendRecipePenalty"},
    {"VPENALTY", "XDR_VirtualPoolingPenalty"},
    {"RPENALTY", "XDR_PropertyRecursionPenalty"},
    {"P2P", "XDR_InitialPeriod2PeriodErrorDistributionFactor"},
    {"M2M", "XDR_InitialModel2ModelErrorDistributionFactor"},
    {"RECINVSP", "XDR_InventorySpecBlendsInRecursedPools"},
    {"PGuessMethod", "XDR_PGuessOptions"},
    {"MINSIPASS", "XDR_MINSIPASS"},
    {"MAXSIPASS", "XDR_MAXSIPASS"},
}};

void ApplyToItem(CModelSettings& settings, const std::string& itemName, const std::string& rowName,
                 const std::string& text, double number, ILogging* log) {
  CSettingItem* item = settings.m_list.Find(itemName);
  if (!item) return;
  if (!text.empty() && item->GetType() == CSettingItem::kTypeStr) static_cast<CSettingStr*>(item)->SetValue(text);
  if (number == kNoNumber) return;
  switch (item->GetType()) {
    case CSettingItem::kTypeInt: {
      constexpr double kMin = std::numeric_limits<std::int32_t>::min();
      constexpr double kMax = std::numeric_limits<std::int32_t>::max();
      const double whole = std::trunc(number);
      std::int32_t value;
      if (std::isnan(whole) || whole < kMin || whole > kMax) {
        value = std::isnan(whole) ? 0 : (whole < kMin ? std::numeric_limits<std::int32_t>::min()
                                                       : std::numeric_limits<std::int32_t>::max());
        if (log) {
          char line[256];
          std::snprintf(line, sizeof line, "Case setting %.80s: %g is outside the integer range; %d is used.\n",
                        rowName.c_str(), number, static_cast<int>(value));
          log->Write(line);
        }
      } else {
        value = static_cast<std::int32_t>(whole);
      }
      static_cast<CSettingInt*>(item)->SetValue(value);
      break;
    }
    case CSettingItem::kTypeDouble:
      static_cast<CSettingDouble*>(item)->SetValue(number);
      break;
    case CSettingItem::kTypeDateTime:
      static_cast<CSettingDateTime*>(item)->SetValue(plat::OleDateTime(number));
      break;
    default:
      break;
  }
}

}  // namespace

SettingSecret SecretOfSetting(std::string_view name) {
  for (std::string_view password : {"DbInfoPassword", "DatabaseOutputPassword"})
    if (settingtext::EqualsIgnoringCase(name, password)) return SettingSecret::kPassword;
  for (std::string_view connection : {kDatabaseOutputConnection, "DbInfoDataSource", "DatabaseOutputDataSource"})
    if (settingtext::EqualsIgnoringCase(name, connection)) return SettingSecret::kConnection;
  return SettingSecret::kNone;
}

bool IsEncipheredSetting(std::string_view name) {
  return SecretOfSetting(name) == SettingSecret::kPassword ||
         settingtext::EqualsIgnoringCase(name, kDatabaseOutputConnection);
}

std::string ShownSettingText(std::string_view name, const std::string& text) {
  switch (SecretOfSetting(name)) {
    case SettingSecret::kPassword: return text.empty() ? text : "********";
    case SettingSecret::kConnection: return plat::MaskConnectionSecrets(text);
    case SettingSecret::kNone: break;
  }
  return text;
}

std::string EncipherSettingText(const std::string& plain) {
  std::string stored;
  if (!EncipherModelText(plain, stored)) throw std::runtime_error("the cipher cannot encipher a setting");
  return stored;
}

bool DecipherSettingText(const std::string& stored, std::string& plain) { return DecipherModelText(stored, plain); }

void ReadSettingsXml(CModelSettings& settings, ModelSettingConvert& convert, const plat::XmlNode& section,
                     int& position) {
  for (const plat::XmlNode& node : section.ChildNodes()) {
    if (node.Name() != "Setting") continue;
    std::string name, value;
    bool hasName = false, hasValue = false;
    for (const plat::XmlNode& child : node.ChildElements()) {
      const std::string childName = child.Name();
      if (childName == "Name") {
        name = child.Text();
        hasName = true;
      } else if (childName == "Value") {
        value = child.Text();
        hasValue = true;
      }
    }
    if (!hasName || !hasValue) continue;
    if (convert.ConvertSetting(name, value, position)) continue;
    bool ignored = false;
    for (std::string_view sked : kIgnoredOnRead) ignored = ignored || name == sked;
    if (ignored) continue;
    if (IsEncipheredSetting(name)) {
      std::string plain;
      if (!DecipherSettingText(value, plain)) settings.m_undecipheredSettings.push_back(name);
      value = plain;
    }
    if (settingtext::EqualsIgnoringCase(name, "MSCALE") && settingtext::ParseDouble(value) == 0.0) value = "1.0";
    if (settingtext::EqualsIgnoringCase(name, "Zelun_UseGOCRInitialization")) value = "0";
    settings.m_list.SetValueText(name, value, position);
  }
}

plat::XmlNode WriteSettingsXml(const CModelSettings& settings, plat::XmlNode& parent) {
  plat::XmlNode element = parent.AppendElement("Settings");
  if (!element) throw std::runtime_error("cannot add the Settings section to the model file");
  CVornSettingXmlWriter writer(element);
  settings.m_list.ForEach(writer);
  return element;
}

void SyncLegacySettings(CModelSettings& settings) {
  const bool useNimbo = settings.m_UseNimboOn.GetValue() != 0;
  for (const LegacyRow& row : kLegacyRows) {
    const char* sourceName = useNimbo ? row.nimbo : row.legacy;
    const CSettingItem* source = settings.m_list.Find(sourceName);
    const CSettingItem* standard = g_DefaultModelSettings.m_list.Find(sourceName);
    CSettingItem* xdr = settings.m_list.Find(row.xdr);
    if (!source || !standard || !xdr) continue;
    const std::string text = source->GetValueText();
    if (standard->GetValueText() != text) xdr->SetValueFromText(text);
  }
}

void ApplyCaseSetting(CModelSettings& settings, const std::string& name, const std::string& text, double number,
                      ILogging* log) {
  ApplyToItem(settings, name, name, text, number, log);
  for (const CaseAlias& alias : kCaseAliases)
    if (name == alias.row) ApplyToItem(settings, alias.xdr, name, text, number, log);
}
