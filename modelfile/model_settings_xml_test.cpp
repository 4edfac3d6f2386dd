#include "modelfile/model_settings_xml.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>

#include "foundation/logging.h"
#include "modelfile/model_setting_convert.h"
#include "modelfile/model_settings.h"
#include "modelfile/model_text_cipher.h"
#include "standins/miskel.h"

namespace {

std::string SettingXml(const std::string& name, const std::string& value) {
  return "<Setting><Name>" + name + "</Name><Value>" + value + "</Value></Setting>";
}

// A model's settings through the load steps: defaults, the Settings section, the upgrade, the sync.
class SettingsLoad {
 public:
  SettingsLoad() : m_settings(std::make_unique<CModelSettings>()) {}

  CModelSettings& Load(const std::string& settingsXml, const std::string& version = "17.9.0") {
    m_settings->m_list.CopyFrom(&g_DefaultModelSettings.m_list, -1);
    m_version = version;
    m_convert.SetModel(*m_settings, m_version);
    EXPECT_TRUE(m_doc.LoadXml("<VornModel><Settings>" + settingsXml + "</Settings></VornModel>"));
    int position = CSettingItemList::kNoPosition;
    ReadSettingsXml(*m_settings, m_convert, m_doc.DocumentElement().Child("Settings"), position);
    m_convert.Finish();
    SyncLegacySettings(*m_settings);
    return *m_settings;
  }

  // The Settings section written from the loaded settings, as compact XML.
  std::string Saved() {
    plat::XmlDocument out;
    plat::XmlNode root = out.AppendElement("VornModel");
    return WriteSettingsXml(*m_settings, root).Xml();
  }

  std::string Text(const char* name) const { return m_settings->m_list.Find(name)->GetValueText(); }

 private:
  std::unique_ptr<CModelSettings> m_settings;
  ModelSettingConvert m_convert;
  std::string m_version;
  plat::XmlDocument m_doc;
};

void ExpectDefaults(const CModelSettings& settings) {
  for (int i = 0; i < settings.m_list.GetCount(); ++i)
    EXPECT_EQ(settings.m_list.GetAt(i)->GetValueText(), g_DefaultModelSettings.m_list.GetAt(i)->GetValueText())
        << settings.m_list.GetAt(i)->GetName();
}

TEST(SettingsXmlTest, DefaultsWriteAnEmptySectionAndReadBackUnchanged) {
  SettingsLoad load;
  ExpectDefaults(load.Load(""));
  EXPECT_EQ(load.Saved(), "<Settings/>");
}

TEST(SettingsXmlTest, ChangedSettingsRoundTripInAnyOrder) {
  CModelSettings source;
  source.m_list.CopyFrom(&g_DefaultModelSettings.m_list, -1);
  source.m_CaseStack.SetValue("Cases & <more>.xls");
  source.m_MAXPASS.SetValue(-25);
  source.m_WLARGE.SetValue(1.0 / 3);
  source.m_CommonStartDate.SetValue(plat::OleDateTime(2024, 6, 15, 15, 30, 0));
  source.m_XdrSettings.m_XDR_MAXSIPASS.SetValue(7);
  plat::XmlDocument doc;
  plat::XmlNode root = doc.AppendElement("VornModel");
  const plat::XmlNode section = WriteSettingsXml(source, root);
  ASSERT_EQ(section.ChildElements().size(), 5u);

  // Reversed order: every look-up wraps, the result is the same.
  std::string reversed;
  for (const plat::XmlNode& setting : section.ChildElements()) reversed = setting.Xml() + reversed;
  for (const std::string& xml : {section.Xml().substr(10, section.Xml().size() - 21), reversed}) {
    SettingsLoad load;
    const CModelSettings& loaded = load.Load(xml);
    for (int i = 0; i < loaded.m_list.GetCount(); ++i)
      EXPECT_EQ(loaded.m_list.GetAt(i)->GetValueText(), source.m_list.GetAt(i)->GetValueText())
          << loaded.m_list.GetAt(i)->GetName();
  }
}

TEST(SettingsXmlTest, ReaderSkipsWhatItDoesNotKnow) {
  SettingsLoad load;
  const CModelSettings& loaded = load.Load("<!-- note -->" + SettingXml("NoSuchSetting", "1") +
                                           "<Other><Name>MAXPASS</Name><Value>3</Value></Other>" +
                                           "<Setting><Name>MAXPASS</Name></Setting>" +
                                           "<Setting><Value>4</Value></Setting>" +
                                           "<Setting><Extra/><Name>MAXPASS1</Name><Value>5</Value></Setting>");
  EXPECT_EQ(loaded.m_MAXPASS.GetValue(), 10);
  EXPECT_EQ(loaded.m_MAXPASS1.GetValue(), 5);
}

TEST(SettingsXmlTest, SpecialReadRules) {
  struct Case {
    const char* name;
    const char* stored;
    const char* loaded;
  };
  const Case cases[] = {
      {"MSCALE", "0", "1"},
      {"MSCALE", "", "1"},
      {"MSCALE", "letters", "1"},
      {"MSCALE", "2.5", "2.5"},
      {"Zelun_UseGOCRInitialization", "1", "0"},
      {"SkedConversionFactor", "5", "0.0416666666666667"},
      {"SkedPath", "elsewhere", "<ImportBrumeLink>"},
      {"SkedOutputVolOn", "0", "1"},
  };
  for (const Case& c : cases) {
    SettingsLoad load;
    load.Load(SettingXml(c.name, c.stored));
    EXPECT_EQ(load.Text(c.name), c.loaded) << c.name << " stored as '" << c.stored << "'";
  }
}

TEST(SettingsXmlTest, SkedSettingsAreWrittenWhenTheyDiffer) {
  SettingsLoad load;
  CModelSettings& settings = load.Load("");
  settings.m_SkedOutputVolOn.SetValue(0);
  EXPECT_EQ(load.Saved(), "<Settings>" + SettingXml("SkedOutputVolOn", "0") + "</Settings>");
}

// The connection and the two passwords are stored enciphered; a value stored plain reads as it is.
TEST(SettingsXmlTest, SecretSettingsAreStoredEnciphered) {
  const std::string plain = "DRIVER={SQLite3};Database=/tmp/out.db;PWD=secret&more";
  for (const char* name : {"DatabaseOutputConnection", "DbInfoPassword", "DatabaseOutputPassword"}) {
    SCOPED_TRACE(name);
    SettingsLoad writer;
    writer.Load("").m_list.Find(name)->SetValueFromText(plain);
    plat::XmlDocument doc;
    ASSERT_TRUE(doc.LoadXml(writer.Saved()));
    const plat::XmlNode setting = doc.DocumentElement().Child("Setting");
    EXPECT_EQ(setting.Child("Name").Text(), name);
    const std::string stored = setting.Child("Value").Text();
    EXPECT_TRUE(IMiskel::IsEnciphered(stored));
    EXPECT_EQ(stored.find("secret"), std::string::npos);

    SettingsLoad reader;
    EXPECT_EQ(reader.Load(SettingXml(name, stored)).m_list.Find(name)->GetValueText(), plain);
    EXPECT_EQ(reader.Load(SettingXml(name, "plain&amp;old")).m_list.Find(name)->GetValueText(), "plain&old");
    // A damaged stored value never yields cipher text as a connection or a password.
    std::string damaged = stored;
    damaged[damaged.size() / 2] = damaged[damaged.size() / 2] == 'A' ? 'B' : 'A';
    EXPECT_EQ(reader.Load(SettingXml(name, damaged)).m_list.Find(name)->GetValueText(), "");
  }
  // The user names and other texts stay plain.
  SettingsLoad writer;
  writer.Load("").m_DbInfoUsername.SetValue("analyst");
  EXPECT_EQ(writer.Saved(), "<Settings>" + SettingXml("DbInfoUsername", "analyst") + "</Settings>");
}

// What results show of a setting: the passwords and the secrets of a connection string masked.
TEST(SettingsXmlTest, ShownSettingTextMasksSecrets) {
  EXPECT_EQ(ShownSettingText("DbInfoPassword", "hunter2"), "********");
  EXPECT_EQ(ShownSettingText("databaseoutputpassword", "hunter2"), "********");
  EXPECT_EQ(ShownSettingText("DatabaseOutputPassword", ""), "");
  EXPECT_EQ(ShownSettingText("DatabaseOutputConnection", "Driver={SQL Server};Server=s;UID=u;PWD=hunter2"),
            "Driver={SQL Server};Server=s;UID=u;PWD=********");
  EXPECT_EQ(ShownSettingText("DbInfoDataSource", "Provider=SQLOLEDB;Password=p w;Data Source=s"),
            "Provider=SQLOLEDB;Password=********;Data Source=s");
  EXPECT_EQ(ShownSettingText("DatabaseOutputDataSource", "DSN=x;PWD=y"), "DSN=x;PWD=********");
  EXPECT_EQ(ShownSettingText("DbInfoUsername", "PWD=not a secret here"), "PWD=not a secret here");
  EXPECT_TRUE(IsEncipheredSetting("DatabaseOutputConnection"));
  EXPECT_FALSE(IsEncipheredSetting("DbInfoDataSource"));
}

// A site's own key enciphers new values; values enciphered with the built-in
// key before still read; a value no key fits reads as empty and is named.
TEST(SettingsXmlTest, ASiteKeyEnciphersAndTheBuiltInKeyStillReads) {
  const std::string plain = "DSN=results;PWD=secret";
  SettingsLoad builtIn;
  builtIn.Load("").m_DatabaseOutputConnection.SetValue(plain);
  plat::XmlDocument old;
  ASSERT_TRUE(old.LoadXml(builtIn.Saved()));
  const std::string oldStored = old.DocumentElement().Child("Setting").Child("Value").Text();

  const std::string registry = ::testing::TempDir() + "/site_key_registry.ini";
  std::ofstream(registry) << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuorvaneTech\\QuorvaneVorn]\nModelCipherKey=our own key\n";
  ::chmod(registry.c_str(), 0600);
  setenv("OSTREL_REGISTRY", registry.c_str(), 1);
  ResetModelCipherKey();
  EXPECT_EQ(ModelCipherKeyRefusal(), "");
  SettingsLoad site;
  site.Load("").m_DatabaseOutputConnection.SetValue(plain);
  plat::XmlDocument sealed;
  ASSERT_TRUE(sealed.LoadXml(site.Saved()));
  const std::string siteStored = sealed.DocumentElement().Child("Setting").Child("Value").Text();
  std::string text;
  ASSERT_TRUE(DecipherModelText(siteStored, text));
  EXPECT_EQ(text, plain);
  SettingsLoad reader;
  EXPECT_EQ(reader.Load(SettingXml("DatabaseOutputConnection", oldStored)).m_DatabaseOutputConnection.GetValue(), plain);
  EXPECT_TRUE(reader.Load(SettingXml("DatabaseOutputConnection", siteStored)).m_undecipheredSettings.empty());

  // Without the site key its values cannot be read, and the load says which.
  unsetenv("OSTREL_REGISTRY");
  ResetModelCipherKey();
  EXPECT_FALSE(DecipherModelText(siteStored, text));
  SettingsLoad without;
  CModelSettings& settings = without.Load(SettingXml("DatabaseOutputConnection", siteStored));
  EXPECT_EQ(settings.m_DatabaseOutputConnection.GetValue(), "");
  EXPECT_EQ(settings.m_undecipheredSettings, std::vector<std::string>{"DatabaseOutputConnection"});
  std::remove(registry.c_str());
}

// The key of a registry file that others can read or write is no site's secret: it is refused with a
// message, and the built-in key stands in.
TEST(SettingsXmlTest, ASiteKeyInAFileOpenToOthersIsRefused) {
  const std::string registry = ::testing::TempDir() + "/open_key_registry.ini";
  std::ofstream(registry) << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuorvaneTech\\QuorvaneVorn]\nModelCipherKey=our own key\n";
  setenv("OSTREL_REGISTRY", registry.c_str(), 1);
  for (const mode_t mode : {0644, 0602, 0620, 0666}) {
    SCOPED_TRACE(mode);
    ::chmod(registry.c_str(), mode);
    ResetModelCipherKey();
    const std::string refusal = ModelCipherKeyRefusal();
    EXPECT_NE(refusal.find("The registry file " + registry), std::string::npos) << refusal;
    EXPECT_NE(refusal.find("its ModelCipherKey is not used"), std::string::npos) << refusal;
    std::string sealed;
    ASSERT_TRUE(EncipherModelText("DSN=r;PWD=x", sealed));
    // What was enciphered reads without the site key: the built-in key made it.
    unsetenv("OSTREL_REGISTRY");
    ResetModelCipherKey();
    std::string plain;
    EXPECT_TRUE(DecipherModelText(sealed, plain));
    EXPECT_EQ(plain, "DSN=r;PWD=x");
    setenv("OSTREL_REGISTRY", registry.c_str(), 1);
  }
  // The owner's only, or shared with the group to read: the key is used.
  for (const mode_t mode : {0600, 0640, 0400}) {
    ::chmod(registry.c_str(), mode);
    ResetModelCipherKey();
    EXPECT_EQ(ModelCipherKeyRefusal(), "") << mode;
  }
  unsetenv("OSTREL_REGISTRY");
  ResetModelCipherKey();
  std::remove(registry.c_str());
}

TEST(SettingsXmlTest, LegacySettingsFeedTheXdrGroup) {
  struct Case {
    const char* xml;
    const char* xdrText;  // XDR_InventorySpecBlendsInRecursedPools after loading
  };
  const std::string nimboOn = SettingXml("UseNimboOn", "1");
  const Case cases[] = {
      {"<Setting><Name>RECINVSP</Name><Value>1</Value></Setting>", "1"},
      {"<Setting><Name>RECINVSP</Name><Value>1</Value></Setting><Setting><Name>UseNimboOn</Name><Value>1</Value>"
       "</Setting>",
       "0"},
      {"<Setting><Name>UseNimboOn</Name><Value>1</Value></Setting><Setting><Name>"
       "Nimbo_InventorySpecBlendsInRecursedPools</Name><Value>2</Value></Setting>",
       "2"},
      // The twin at its default leaves the value read for the XDR item itself.
      {"<Setting><Name>UseNimboOn</Name><Value>1</Value></Setting><Setting><Name>"
       "XDR_InventorySpecBlendsInRecursedPools</Name><Value>3</Value></Setting>",
       "3"},
  };
  for (const Case& c : cases) {
    SettingsLoad load;
    load.Load(c.xml);
    EXPECT_EQ(load.Text("XDR_InventorySpecBlendsInRecursedPools"), c.xdrText) << c.xml;
  }

  SettingsLoad load;
  load.Load(SettingXml("RECINVSP", "1") + SettingXml("P2P", "0.5"));
  EXPECT_EQ(load.Text("XDR_InitialPeriod2PeriodErrorDistributionFactor"), "0.5");
  const std::string saved = load.Saved();
  EXPECT_NE(saved.find(SettingXml("XDR_InventorySpecBlendsInRecursedPools", "1")), std::string::npos);
  EXPECT_EQ(saved.find("RECINVSP"), std::string::npos);
  EXPECT_EQ(saved.find(">P2P<"), std::string::npos);
  for (const char* name : {"RECINVSP", "Nimbo_PGuessOptions", "PGuessMethod", "M2M"})
    EXPECT_TRUE(IsNimboSettingKeyword(name)) << name;
  for (const char* name : {"recinvsp", "XDR_PGuessOptions", "MINSIPASS", "UseNimboOn"})
    EXPECT_FALSE(IsNimboSettingKeyword(name)) << name;
}

TEST(SettingsXmlTest, UpgradeOfOlderVersions) {
  struct Case {
    const char* version;
    std::string xml;
    const char* include;  // Nimbo_IncludeInfeasibilityBreakers after loading
    const char* option;   // Nimbo_InfeasibilityBreakersOption after loading
  };
  const std::string other = SettingXml("MAXPASS", "12");
  auto old = [](const char* value) { return SettingXml("Nimbo_IncludeInfeasibilityBreakers", value); };
  const Case cases[] = {
      {"", old("2"), "0", "0"},
      {"", old("4"), "1", "1"},
      {"", old("0"), "1", "0"},
      {"", other + old("3"), "1", "0"},
      {"17.8.9", old("1"), "1", "1"},
      {"", old("7"), "1", "7"},
      {"", other, "1", "3"},
      {"", "", "1", "0"},  // nothing offered: nothing to upgrade
      {"17.9.0", old("2"), "2", "0"},
      {"9.5", old("2"), "2", "0"},
      {"9.5", other, "1", "0"},
  };
  for (const Case& c : cases) {
    SettingsLoad load;
    load.Load(c.xml, c.version);
    EXPECT_EQ(load.Text("Nimbo_IncludeInfeasibilityBreakers"), c.include) << c.version << " " << c.xml;
    EXPECT_EQ(load.Text("Nimbo_InfeasibilityBreakersOption"), c.option) << c.version << " " << c.xml;
  }
}

class CapturingLog : public ILogging {
 public:
  void SetEnabled(bool) override {}
  void SetFileName(const std::string&) override {}
  void SetDirectory(const std::string&) override {}
  void Write(const std::string& text) override { m_text += text; }
  void Close() override {}
  std::string m_text;
};

TEST(CaseSettingsTest, RowsSetTheirSettingsAndTheXdrItems) {
  struct Row {
    const char* name;
    const char* text;
    double number;
  };
  struct Case {
    Row row;
    std::vector<std::pair<const char*, const char*>> expected;  // setting, text afterwards
  };
  const double none = 1e30;
  const Case cases[] = {
      {{"XPENALTY", "", 50}, {{"XPENALTY", "50"}, {"XDR_PeriodSpanningBlendRecipePenalty", "50"}}},
      {{"P2", "", 0.25}, {{"P2", "0.25"}, {"P2P", "0.01"}}},
      {{"MAXPASS", "", 2.9}, {{"MAXPASS", "2"}}},
      {{"MAXPASS", "", -2.9}, {{"MAXPASS", "-2"}}},
      {{"MAXPASS", "12", none}, {{"MAXPASS", "10"}}},
      {{"MINSIPASS", "", 3}, {{"MINSIPASS", "3"}, {"XDR_MINSIPASS", "3"}}},
      {{"PGuessMethod", "", 2}, {{"PGuessMethod", "2"}, {"XDR_PGuessOptions", "2"}}},
      {{"TITLE1", "Case 7", 5}, {{"TITLE1", "Case 7"}}},
      {{"TITLE1", "", 5}, {{"TITLE1", ""}}},
      {{"CommonStartDate", "", 45458.5}, {{"CommonStartDate", "6/15/2024 12:00:00 PM"}}},
      {{"NoSuchSetting", "x", 1}, {}},
      {{"MAXPASS", "", 1e12}, {{"MAXPASS", "2147483647"}}},
      {{"MAXPASS", "", -1e12}, {{"MAXPASS", "-2147483648"}}},
  };
  for (const Case& c : cases) {
    CModelSettings settings;
    CapturingLog log;
    ApplyCaseSetting(settings, c.row.name, c.row.text, c.row.number, &log);
    int changed = 0;
    for (int i = 0; i < settings.m_list.GetCount(); ++i) {
      const CSettingItem* item = settings.m_list.GetAt(i);
      if (item->GetName() == "StartDate" || item->GetName() == "SkedDate") continue;
      if (item->GetValueText() != g_DefaultModelSettings.m_list.GetAt(i)->GetValueText()) ++changed;
    }
    int expectedChanges = 0;
    for (const auto& [name, text] : c.expected) {
      EXPECT_EQ(settings.m_list.Find(name)->GetValueText(), text) << c.row.name << " -> " << name;
      if (g_DefaultModelSettings.m_list.Find(name)->GetValueText() != text) ++expectedChanges;
    }
    EXPECT_EQ(changed, expectedChanges) << c.row.name;
    const bool saturated = std::abs(c.row.number) == 1e12;
    EXPECT_EQ(log.m_text.find("outside the integer range") != std::string::npos, saturated) << log.m_text;
  }
}

TEST(CaseSettingsTest, BaseCopyRestoresEverySetting) {
  CModelSettings current, base;
  current.m_list.CopyFrom(&g_DefaultModelSettings.m_list, -1);
  current.m_TITLE1.SetValue("Model title");
  base.m_list.CopyFrom(&current.m_list, -1);

  for (const char* name : {"XPENALTY", "MAXSIPASS", "WLARGE", "SkedDate", "TITLE1"})
    ApplyCaseSetting(current, name, "case text", 99);
  ASSERT_EQ(current.m_XdrSettings.m_XDR_MAXSIPASS.GetValue(), 99);

  current.m_list.CopyFrom(&base.m_list, -1);
  for (int i = 0; i < current.m_list.GetCount(); ++i)
    EXPECT_EQ(current.m_list.GetAt(i)->GetValueText(), base.m_list.GetAt(i)->GetValueText())
        << current.m_list.GetAt(i)->GetName();
}

}  // namespace
