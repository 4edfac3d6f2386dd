#include "modelfile/model_settings.h"

#include <new>

namespace {

// Storage that is ready (constant-initialised) before any dynamic
// initialisation; the block in it is built by the first DefaultModelSettingsInit.
union DefaultStorage {
  constexpr DefaultStorage() : m_empty() {}
  ~DefaultStorage() {}
  char m_empty;
  CModelSettings m_settings;
};

constinit DefaultStorage s_storage;
constinit int s_initCount = 0;

}  // namespace

constinit const CModelSettings& g_DefaultModelSettings = s_storage.m_settings;

namespace model_settings_detail {

DefaultModelSettingsInit::DefaultModelSettingsInit() {
  if (s_initCount++ == 0) new (&s_storage.m_settings) CModelSettings();
}

DefaultModelSettingsInit::~DefaultModelSettingsInit() {
  if (--s_initCount == 0) s_storage.m_settings.~CModelSettings();
}

}  // namespace model_settings_detail
