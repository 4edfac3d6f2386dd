#pragma once
// Writes a model's settings into the model file's "Settings" element: one
// "Setting" (with "Name" and "Value" children) per item whose value text
// differs from the process-wide defaults, in list order. The superseded
// legacy settings are never written; DatabaseOutputConnection and the two
// passwords (IsEncipheredSetting) are stored enciphered with the model-file key.

#include "modelfile/setting_item_list.h"
#include "platform/xml_dom.h"

class CVornSettingXmlWriter final : public ISettingWriter {
 public:
  explicit CVornSettingXmlWriter(plat::XmlNode settingsElement) : m_settings(settingsElement) {}

  // Throws std::runtime_error when the element cannot take the setting or the
  // cipher fails; the rest of the section is then not written.
  void Write(CSettingItem* item) override;

 private:
  plat::XmlNode m_settings;
  int m_defaultsPosition = CSettingItemList::kNoPosition;
};
