#pragma once
// The settings block of a model: the 757 settings of the catalogue
// (modelfile/settings_catalogue.txt), each a member named m_ + its setting name
// (m_DatabaseOutputFormat, m_XdrSettings.m_XDR_PGuessOptions), built with its
// default and listed in m_list in catalogue order. Every block lists the same
// items at the same positions, so blocks copy into each other position by
// position through m_list.CopyFrom.

#include <cstdint>
#include <string>
#include <vector>

#include "modelfile/setting_item.h"
#include "modelfile/setting_item_list.h"
#include "platform/ole_date_time.h"

// The XDR group: nine items that enter the enclosing block's list where the
// group is constructed.
class CXdrSettings {
 public:
  explicit CXdrSettings(CSettingItemList* list) : m_pList(list) {}
  CXdrSettings(const CXdrSettings&) = delete;
  CXdrSettings& operator=(const CXdrSettings&) = delete;

 private:
  CSettingItemList* m_pList;  // initialised before the items, which join it

 public:
#include "modelfile/settings_group_XdrSettings.inc"
};

class CModelSettings {
 public:
  // Every item at its default; StartDate and SkedDate take the local time now.
  CModelSettings() = default;
  CModelSettings(const CModelSettings&) = delete;
  CModelSettings& operator=(const CModelSettings&) = delete;

  CSettingItemList m_list;

#include "modelfile/settings_catalogue_members.inc"

  // The output-database kind of the SQL Server test: -1 until it is first
  // asked; copies between blocks leave it alone.
  std::int32_t m_nDatabaseKindCache = -1;
  // The enciphered settings of the model file that no key deciphered (they
  // read as empty), for the log of their user; copies leave it alone.
  std::vector<std::string> m_undecipheredSettings;
};

// The process-wide defaults, never changed after they are built. Built before
// the static objects of any source file that includes this header, so they may
// be read during static initialisation too.
extern const CModelSettings& g_DefaultModelSettings;

namespace model_settings_detail {
// Builds the defaults on the first construction, destroys them on the last destruction.
struct DefaultModelSettingsInit {
  DefaultModelSettingsInit();
  ~DefaultModelSettingsInit();
  DefaultModelSettingsInit(const DefaultModelSettingsInit&) = delete;
  DefaultModelSettingsInit& operator=(const DefaultModelSettingsInit&) = delete;
};
static const DefaultModelSettingsInit s_defaultModelSettingsInit;
}  // namespace model_settings_detail
