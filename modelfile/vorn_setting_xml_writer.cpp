#include "modelfile/vorn_setting_xml_writer.h"

#include <stdexcept>

#include "modelfile/model_setting_convert.h"
#include "modelfile/model_settings.h"
#include "modelfile/model_settings_xml.h"

void CVornSettingXmlWriter::Write(CSettingItem* item) {
  if (!item || IsNimboSettingKeyword(item->GetName())) return;
  const std::string text = item->GetValueText();
  if (const CSettingItem* standard = g_DefaultModelSettings.m_list.FindFrom(item->GetName(), m_defaultsPosition))
    if (standard->GetValueText() == text) return;

  const bool enciphered = IsEncipheredSetting(item->GetName());
  plat::XmlNode setting = m_settings.AppendElement("Setting");
  if (!setting || !setting.AppendTextElement("Name", item->GetName()) ||
      !setting.AppendTextElement("Value", enciphered ? EncipherSettingText(text) : text))
    throw std::runtime_error("cannot add the setting " + item->GetName() + " to the model file");
}
