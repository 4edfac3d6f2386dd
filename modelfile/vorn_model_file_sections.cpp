// Where the readers of the sections owned by other rooms of this folder
// (settings, formulas, user equations, external models) join the load.

#include "modelfile/external_models_section.h"
#include "modelfile/model_settings_xml.h"
#include "modelfile/property_calculation.h"
#include "modelfile/tulo_instance.h"
#include "modelfile/user_equation_section.h"
#include "modelfile/vorn_model_file.h"
#include "foundation/timing_scope.h"

void CVornModelFile::BeforeLoadXml() { g_bModelRewritten = false; }

void CVornModelFile::BeginSections() {
  m_nSettingsPosition = CSettingItemList::kNoPosition;
  m_settingConvert.SetModel(m_settings, m_strVersion);
  if (m_bOwnsExternalModels && IsTuloInitialized() && !m_bExternalModelsSkipped) GetTuloInstance()->DeleteBlocks();
}

bool CVornModelFile::ReadOtherSection(const plat::XmlNode& section) {
  const std::string name = section.Name();
  if (name == "Settings") {
    ReadSettingsXml(m_settings, m_settingConvert, section, m_nSettingsPosition);
    return true;
  }
  if (name == "Formulas") {
    ReadFormulasXml(m_formulas, section);
    return true;
  }
  if (name == "UserEquationSection") {
    ReadUserEquationSectionXml(*this, section);
    return true;
  }
  if (name == "ExternalModels" && !m_bExternalModelsSkipped) {
    CTimingScope timing("Processing External Models XML");
    // Without a running engine the section is kept as text, so a save does not lose it.
    return ReadExternalModelsSection(*this, section);
  }
  return false;
}

void CVornModelFile::EndSections() { m_settingConvert.Finish(); }

void CVornModelFile::AfterLoadXml() {
  SyncLegacySettings(m_settings);
  // A formula whose range was reset is saved at once, with a backup.
  if (g_bModelRewritten) Save(m_strVersion, "", true);
}

void CVornModelFile::ApplyLstSwitch() { ApplyLstReportSetting(*this); }

void CVornModelFile::ReleaseUserEquations() { DeleteUserEquations(m_userEquationGroups, m_userEquationVariables); }
