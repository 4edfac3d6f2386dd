#pragma once
// The upgrade of settings written by model versions before 17.9.0: the old
// integer Nimbo_IncludeInfeasibilityBreakers becomes the option
// Nimbo_InfeasibilityBreakersOption. Versions compare as byte strings, so an
// empty version is older and "9.5" is newer.

#include <string>

#include "platform/object.h"

class CModelSettings;

// True for the fourteen settings that the XDR group supersedes (seven legacy
// keys and their Nimbo_ twins); compared case-sensitively. They are never
// written to a model file.
bool IsNimboSettingKeyword(const std::string& name);

class ModelSettingConvert : public CObject {
 public:
  // The version a converter holds before any setting was offered.
  static constexpr const char* kNoVersion = "99.9.9";
  // Settings of versions that sort before this one are upgraded.
  static constexpr const char* kFirstNewVersion = "17.9.0";

  // Binds the model's current settings and its version text (read again each
  // time a setting is offered, as the Version section may come first); sets
  // pending and forgets the version of an earlier load.
  void SetModel(CModelSettings& settings, const std::string& version);

  // True when the setting was consumed by the upgrade and must not be stored
  // under its own name. position is the reader's list position.
  bool ConvertSetting(const std::string& name, const std::string& value, int& position);

  // After all sections: an old model file whose settings lacked the old
  // setting gets option 3.
  void Finish();

  bool IsPending() const { return m_bPending; }
  const std::string& GetVersion() const { return m_strVersion; }

 private:
  bool ConvertInfeasibilityBreakers(const std::string& name, const std::string& value, int& position);

  bool m_bPending = false;
  CModelSettings* m_pSettings = nullptr;
  const std::string* m_pModelVersion = nullptr;
  std::string m_strVersion = kNoVersion;
};
