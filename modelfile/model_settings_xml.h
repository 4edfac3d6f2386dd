#pragma once
// Settings in the model file and per case: reading the "Settings" section,
// writing it, the synchronisation of the XDR group with the settings it
// supersedes, and a case's setting rows.
//
// Load order: copy g_DefaultModelSettings into the current settings,
// convert.SetModel(settings, version), the sections (the Settings section
// through ReadSettingsXml), convert.Finish(), SyncLegacySettings. Per case:
// ApplyCaseSetting for each row, write the results, then restore the current
// settings from the base copy with m_list.CopyFrom(&base.m_list, -1).

#include <string>
#include <string_view>

#include "platform/xml_dom.h"

class CModelSettings;
class ModelSettingConvert;
class ILogging;

inline constexpr const char* kDatabaseOutputConnection = "DatabaseOutputConnection";

// What secret a setting holds: a password (DbInfoPassword,
// DatabaseOutputPassword), a connection string that may carry one
// (DatabaseOutputConnection, DbInfoDataSource, DatabaseOutputDataSource), or
// none. Names compare ignoring case.
enum class SettingSecret { kNone, kPassword, kConnection };
SettingSecret SecretOfSetting(std::string_view name);
// The model file stores these enciphered: DatabaseOutputConnection and the
// two passwords.
bool IsEncipheredSetting(std::string_view name);
// A setting's text as results show it, where every reader of the results sees
// it: a password as "********" (an empty one stays empty), a connection
// string with its secrets masked (plat::MaskConnectionSecrets), any other
// text as it is.
std::string ShownSettingText(std::string_view name, const std::string& text);

// The stored form of an enciphered setting's value, enciphered with the
// model key (model_text_cipher.h). Throws std::runtime_error when the cipher fails.
std::string EncipherSettingText(const std::string& plain);
// The plain value; false (and an empty plain value) when no key deciphers it.
bool DecipherSettingText(const std::string& stored, std::string& plain);

// Reads each "Setting" child of the section into settings, by name, in any
// order; position is the reader's list position (start with
// CSettingItemList::kNoPosition). Unknown names and "Setting" elements without
// a "Name" or "Value" child are skipped; the six Sked settings keep their values.
// The value of an enciphered setting (IsEncipheredSetting) is deciphered; one
// stored plain reads as it is, and one that no key deciphers reads as empty
// and its name goes to settings.m_undecipheredSettings.
void ReadSettingsXml(CModelSettings& settings, ModelSettingConvert& convert, const plat::XmlNode& section,
                     int& position);

// Appends a "Settings" element to parent and writes the settings that differ
// from the defaults into it; returns the element. Throws std::runtime_error
// when the DOM refuses a node.
plat::XmlNode WriteSettingsXml(const CModelSettings& settings, plat::XmlNode& parent);

// After loading: the XDR items take the values of the legacy keys (UseNimboOn
// 0) or of their Nimbo_ twins (otherwise) wherever those differ from the defaults.
void SyncLegacySettings(CModelSettings& settings);

// One setting row of a case: a non-empty text sets a text setting; a number
// other than 1e30 sets an integer (truncated toward zero, saturated to the
// 32-bit range: the row is then reported to log when given), double or
// date-time setting; rows under the nine legacy keys also set their XDR item.
// Rows for unknown names change nothing.
void ApplyCaseSetting(CModelSettings& settings, const std::string& name, const std::string& text, double number,
                      ILogging* log = nullptr);
