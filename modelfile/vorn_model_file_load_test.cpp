#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "modelfile/model_table_key_reader.h"
#include "modelfile/model_settings_xml.h"
#include "modelfile/model_text_cipher.h"
#include "modelfile/setting_item.h"
#include "modelfile/testing/full_model_file.h"
#include "modelfile/vorn_model_file.h"
#include "tableio/worksheet/testing/sheet_fixture.h"

namespace {

namespace fs = std::filesystem;

class ModelDir {
 public:
  explicit ModelDir(const std::string& name) : m_parent(fs::path(testing::TempDir()) / ("vmf_load_" + name)) {
    fs::remove_all(m_parent);
    fs::create_directories(m_parent / "M");
  }
  ~ModelDir() { fs::remove_all(m_parent); }
  std::string Parent() const { return m_parent.string(); }
  std::string Dir() const { return (m_parent / "M").string(); }
  void WriteModelFile(const std::string& bytes) const {
    std::ofstream(m_parent / "M" / "VornModel.vrnx", std::ios::binary) << bytes;
  }
  void Touch(const std::string& relative) const {
    fs::create_directories((m_parent / "M" / relative).parent_path());
    std::ofstream(m_parent / "M" / relative) << "x";
  }

 private:
  fs::path m_parent;
};

using model_file_testing::kFullModel;

TEST(VornModelFileLoadTest, AMissingModelFileGivesTheDefaultsAndTheBuiltInCatalogue) {
  ModelDir dir("missing");
  CVornModelFile model;
  ASSERT_TRUE(model.Load("M", dir.Parent(), "", 0, true, false));
  EXPECT_EQ(model.m_strModelDir, dir.Dir());
  EXPECT_EQ(model.m_strModelFilePath, dir.Dir() + "/VornModel.vrnx");
  EXPECT_EQ(model.m_tables.GetSize(), 133);
  std::vector<std::string> paths;
  std::vector<std::string> sheets;
  for (const CVornModelFileTable* table : model.m_tables) {
    EXPECT_TRUE(table->m_files.IsEmpty()) << table->m_strName;
    EXPECT_FALSE(model.GetTableFiles(table->m_strName, paths, sheets)) << table->m_strName;
  }
  EXPECT_EQ(model.FindTable("SUBMODS")->m_nCategory, 9);
  EXPECT_EQ(model.FindTable("SOREL_Config")->m_nCategory, 13);
  EXPECT_EQ(model.FindTable("GBLNPER"), nullptr);
  EXPECT_EQ(model.m_strTableExt, "Xls");
  EXPECT_TRUE(model.m_settings.m_StartDate.GetValue().IsValid());
  EXPECT_EQ(model.m_settings.m_CommonStartDate.GetValue().GetValue(), model.m_settings.m_StartDate.GetValue().GetValue());
  EXPECT_EQ(model.m_settings.m_ModelTables.GetValue(), 500);
  EXPECT_EQ(model.m_settings.m_SimplifiedFlowRowsOn.GetValue(), 1);

  CVornModelFile direct;
  EXPECT_FALSE(direct.LoadFromDirectory("M", dir.Dir()));
}

TEST(VornModelFileLoadTest, LoadsAFullModelFile) {
  ModelDir dir("full");
  dir.WriteModelFile(kFullModel);
  dir.Touch("data/bounds.xls");
  CVornModelFile model;
  ASSERT_TRUE(model.Load("M", dir.Parent(), "", 0, true, false));
  EXPECT_EQ(model.m_strVersion, "17.9.0");
  EXPECT_EQ(model.m_tables.GetSize(), 135);  // the built-in tables, GBLNPER and MYTABLE
  EXPECT_EQ(model.m_strTableExt, "Xlsx");
  EXPECT_EQ(model.m_settings.m_ModelType.GetValue(), 3);
  EXPECT_EQ(model.m_settings.m_CommonStartDate.GetValue().GetValue(), plat::OleDateTime(2024, 1, 31).GetValue());
  EXPECT_EQ(model.FindTable("GBLNPER")->m_nCategory, 10);

  std::vector<std::string> paths;
  std::vector<std::string> sheets;
  ASSERT_TRUE(model.GetTableFiles("BOUNDS", paths, sheets));
  EXPECT_EQ(paths, std::vector<std::string>{dir.Dir() + "/data/bounds.xls"});
  EXPECT_EQ(sheets, std::vector<std::string>{"bounds"});
  EXPECT_TRUE(model.FindTable("BOUNDS")->m_files[0]->m_fileDate.IsValid());
  ASSERT_TRUE(model.GetTableFiles("MYTABLE", paths, sheets));
  EXPECT_EQ(paths, std::vector<std::string>{dir.Parent() + "/shared/mine.dbf"});
  EXPECT_FALSE(model.GetTableFiles("mytable", paths, sheets));
  EXPECT_TRUE(paths.empty());
  EXPECT_FALSE(model.GetTableFiles("MICROCUT", paths, sheets));  // a cut table without the shortcut distillation

  EXPECT_EQ(model.FindTable("ADDITIVE")->m_nCategory, 3);
  EXPECT_EQ(model.m_nModelsFileCount, 2);
  EXPECT_EQ(model.m_nSubmodsFileCount, 0);
  ASSERT_EQ(model.m_servers.GetSize(), 1);
  EXPECT_EQ(model.m_servers[0]->m_strParameters, "\"q\"");
  ASSERT_EQ(model.m_wenuTables.GetSize(), 1);
  EXPECT_EQ(model.m_strReportConfiguration, "<ReportConfiguration><Report id=\"1\"/></ReportConfiguration>");
  EXPECT_EQ(model.m_keptSections, std::vector<std::string>{"<tables><Kept>yes</Kept></tables>"});

  // Loading again leaves nothing of the first load behind.
  dir.WriteModelFile("<VornConfiguration><Version>18.0.0</Version></VornConfiguration>");
  ASSERT_TRUE(model.Load("M", dir.Parent(), "", 0, true, false));
  EXPECT_EQ(model.m_strVersion, "18.0.0");
  EXPECT_EQ(model.m_settings.m_ModelType.GetValue(), 0);
  EXPECT_EQ(model.m_tables.GetSize(), 133);
  EXPECT_TRUE(model.m_servers.IsEmpty());
  EXPECT_TRUE(model.m_wenuTables.IsEmpty());
  EXPECT_TRUE(model.m_keptSections.empty());
  EXPECT_TRUE(model.m_strReportConfiguration.empty());
}

TEST(VornModelFileLoadTest, AnEncipheredModelFileLoadsAsItsPlainText) {
  std::string sealed;
  ASSERT_TRUE(EncipherModelText(kFullModel, sealed));
  ASSERT_NE(sealed[0], '<');
  ModelDir plainDir("plain");
  plainDir.WriteModelFile(kFullModel);
  ModelDir sealedDir("sealed");
  sealedDir.WriteModelFile(sealed);
  CVornModelFile plain;
  CVornModelFile deciphered;
  ASSERT_TRUE(plain.Load("M", plainDir.Parent(), "", 0, true, false));
  ASSERT_TRUE(deciphered.Load("M", sealedDir.Parent(), "", 0, true, false));
  EXPECT_EQ(deciphered.m_strVersion, plain.m_strVersion);
  EXPECT_EQ(deciphered.m_keptSections, plain.m_keptSections);
  EXPECT_EQ(deciphered.m_strReportConfiguration, plain.m_strReportConfiguration);
  ASSERT_EQ(deciphered.m_tables.GetSize(), plain.m_tables.GetSize());
  for (int i = 0; i < plain.m_tables.GetSize(); ++i) {
    EXPECT_EQ(deciphered.m_tables[i]->m_strName, plain.m_tables[i]->m_strName);
    EXPECT_EQ(deciphered.m_tables[i]->m_files.GetSize(), plain.m_tables[i]->m_files.GetSize());
  }

  // A damaged enciphered file fails the load cleanly.
  sealed[sealed.size() / 2] = sealed[sealed.size() / 2] == 'A' ? 'B' : 'A';
  sealedDir.WriteModelFile(sealed);
  CVornModelFile damaged;
  EXPECT_FALSE(damaged.Load("M", sealedDir.Parent(), "", 0, true, false));
}

TEST(VornModelFileLoadTest, ACaseAppliedToTheLoadedModelIsUndoneByItsBaseCopy) {
  ModelDir dir("case");
  dir.WriteModelFile(kFullModel);
  CVornModelFile model;
  ASSERT_TRUE(model.Load("M", dir.Parent(), "", 0, true, false));
  model.m_baseSettings.m_list.CopyFrom(&model.m_settings.m_list, -1);

  ApplyCaseSetting(model.m_settings, "ModelExt", "Dbf", 1e30);
  ApplyCaseSetting(model.m_settings, "ModelTables", "", 750.0);
  ApplyCaseSetting(model.m_settings, "PERIODTIME", "", 2.5);
  EXPECT_EQ(model.m_settings.m_ModelExt.GetValue(), "Dbf");
  EXPECT_EQ(model.m_settings.m_ModelTables.GetValue(), 750);

  model.m_settings.m_list.CopyFrom(&model.m_baseSettings.m_list, -1);
  ASSERT_EQ(model.m_settings.m_list.GetCount(), model.m_baseSettings.m_list.GetCount());
  for (int i = 0; i < model.m_settings.m_list.GetCount(); ++i)
    EXPECT_EQ(model.m_settings.m_list.GetAt(i)->GetValueText(), model.m_baseSettings.m_list.GetAt(i)->GetValueText())
        << model.m_settings.m_list.GetAt(i)->GetName();
  EXPECT_EQ(model.m_settings.m_ModelExt.GetValue(), "Xlsx");
}

TEST(VornModelFileLoadTest, CutTablesNeedBothShortcutSettings) {
  ModelDir dir("cut");
  dir.WriteModelFile(kFullModel);
  CVornModelFile model;
  ASSERT_TRUE(model.Load("M", dir.Parent(), "", 0, true, false));
  std::vector<std::string> paths;
  std::vector<std::string> sheets;
  const std::pair<int, int> cases[] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  for (const auto& [nimbo, shortcut] : cases) {
    model.m_settings.m_UseNimboOn.SetValue(nimbo);
    model.m_settings.m_Zelun_ShortcutDistlOn.SetValue(shortcut);
    EXPECT_EQ(model.GetTableFiles("MICROCUT", paths, sheets), nimbo && shortcut) << nimbo << shortcut;
  }
}

std::string Utf16Le(const std::string& mark, const std::string& ascii) {
  std::string out = mark;
  for (char c : ascii) out += std::string{c, '\0'};
  return out;
}

TEST(VornModelFileLoadTest, TellsModelFilesFromTextsThatAreNot) {
  struct Case {
    const char* label;
    std::string bytes;
    bool loads;
  };
  const std::string minimal = "<VornConfiguration><Version>17.9.0</Version></VornConfiguration>";
  const Case cases[] = {
      {"plain", minimal, true},
      {"byte-order mark", "\xEF\xBB\xBF" + minimal, true},
      {"declared windows-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>" + minimal, true},
      {"utf-16 with its mark", Utf16Le("\xFF\xFE", minimal), true},
      {"empty file", "", false},
      {"not xml", "this is not a model", false},
      {"truncated", minimal.substr(0, 30), false},
  };
  for (const Case& c : cases) {
    ModelDir dir("texts");
    dir.WriteModelFile(c.bytes);
    CVornModelFile model;
    EXPECT_EQ(model.Load("M", dir.Parent(), "", 0, true, false), c.loads) << c.label;
    if (c.loads) { EXPECT_EQ(model.m_strVersion, "17.9.0") << c.label; }
    CVornModelFile direct;
    EXPECT_EQ(direct.LoadFromDirectory("M", dir.Dir()), c.loads) << c.label;
  }
}

TEST(VornModelFileLoadTest, AModelThatIsNeitherEncipheredNorPlainIsNotParsed) {
  ModelDir dir("noparse");
  dir.WriteModelFile(kFullModel);
  CVornModelFile model;
  model.m_bEncryptOnSave = false;
  EXPECT_FALSE(model.Load("M", dir.Parent(), "", 0, true, false));
  model.m_bPlainXmlOnSave = true;
  EXPECT_TRUE(model.Load("M", dir.Parent(), "", 0, true, false));
}

TEST(VornModelFileLoadTest, ReadsAccentedNamesOfADocumentDeclaredWindows1252) {
  ModelDir dir("cp1252");
  dir.WriteModelFile(
      "<?xml version=\"1.0\" encoding=\"windows-1252\"?><VornConfiguration><Tables>"
      "<Table><Name>T\xC9ST</Name><File>Donn\xE9" "es.xls[F\xFC]</File><Enabled>1</Enabled><TableType>5</TableType></Table>"
      "</Tables></VornConfiguration>");
  CVornModelFile model;
  ASSERT_TRUE(model.Load("M", dir.Parent(), "", 0, true, false));
  const CVornModelFileTable* table = model.FindTable("T\xC9ST");
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->GetFileName(0), "donn\xE9" "es.xls[f\xFC]");
}

TEST(VornModelFileLoadTest, PostLoadSetupDerivesDatesAndTheGlobalModelTables) {
  CVornModelFile model;
  model.m_settings.m_StartDate.SetValue(plat::OleDateTime(2024, 1, 31));
  model.m_settings.m_ModelType.SetValue(1);
  model.AddCatalogueTable("ACCUQUAL", 4);
  model.PostLoadSetup(true);
  EXPECT_TRUE(model.m_bCommonStartDateSet);
  EXPECT_EQ(model.m_settings.m_CommonStartDate.GetValue().GetValue(), plat::OleDateTime(2024, 1, 31).GetValue());
  EXPECT_EQ(model.FindTable("ACCUQUAL")->m_nCategory, 4);

  CVornModelFile global;
  global.m_settings.m_ModelType.SetValue(3);
  global.m_settings.m_CommonStartDate.SetValue(plat::OleDateTime(2020, 5, 1));
  plat::OleDateTime invalid;
  invalid.SetStatus(plat::OleDateTime::Status::invalid);
  global.m_settings.m_StartDate.SetValue(invalid);
  global.PostLoadSetup(true);
  EXPECT_FALSE(global.m_bCommonStartDateSet);
  EXPECT_TRUE(global.m_settings.m_StartDate.GetValue().IsValid());
  EXPECT_EQ(global.m_settings.m_CommonStartDate.GetValue().GetValue(), plat::OleDateTime(2020, 5, 1).GetValue());
  EXPECT_EQ(global.FindTable("GBLNPER")->m_nCategory, 10);
  EXPECT_EQ(global.FindTable("RFORMAT")->m_nCategory, 10);
}

// Row keys from a table of sources, by full path.
class FakeKeyReader : public IModelTableKeyReader {
 public:
  std::map<std::string, std::vector<std::string>> m_keys;
  int m_nForgets = 0;
  bool ReadRowKeys(const std::string& path, const std::string&, std::vector<std::string>& keys) override {
    auto found = m_keys.find(path);
    if (found == m_keys.end()) return false;
    keys = found->second;
    return true;
  }
  void ForgetCachedWorkbook() override { ++m_nForgets; }
};

class ScopedKeyReader {
 public:
  explicit ScopedKeyReader(IModelTableKeyReader* reader) : m_previous(SetModelTableKeyReader(reader)) {}
  ~ScopedKeyReader() { SetModelTableKeyReader(m_previous); }

 private:
  IModelTableKeyReader* m_previous;
};

TEST(VornModelFileLoadTest, AssayTablesComeFromAssayLib) {
  FakeKeyReader reader;
  ScopedKeyReader scoped(&reader);
  CVornModelFile model;
  model.m_strModelDir = "/m";
  model.m_tables.Add(std::make_unique<CVornModelFileTable>("ASSAYLIB", "lib.xls", true, 4, plat::OleDateTime()));
  model.m_tables.Add(std::make_unique<CVornModelFileTable>("CRUDE_A", "a.xls", true, 2, plat::OleDateTime()));
  model.m_tables[1]->AddFile("a2.xls", true, plat::OleDateTime());
  model.m_tables.Add(std::make_unique<CVornModelFileTable>("OLDASSAY", 2));
  model.m_tables.Add(std::make_unique<CVornModelFileTable>("BOUNDS", 5));
  reader.m_keys["/m/lib.xls"] = {"CRUDE_A", "LONGASSAYNAME", "CRUDE_A", "BOUNDS"};

  model.AddAssayTables();
  EXPECT_EQ(model.FindTable("OLDASSAY"), nullptr);
  ASSERT_NE(model.FindTable("LONGASSA"), nullptr);
  EXPECT_EQ(model.FindTable("LONGASSA")->m_nCategory, 2);
  EXPECT_EQ(model.FindTable("BOUNDS")->m_nCategory, 5);
  EXPECT_EQ(model.m_tables.GetSize(), 4);  // no duplicates for repeated or existing names
  EXPECT_EQ(model.m_assayTableNames, (std::vector<std::string>{"CRUDE_A", "CRUDE_A", "CRUDE_A", "CRUDE_A"}));
  EXPECT_EQ(model.m_nAssayTableSource, 1);
  EXPECT_GE(reader.m_nForgets, 2);

  // A source that cannot be read changes nothing.
  reader.m_keys.clear();
  model.m_tables.Add(std::make_unique<CVornModelFileTable>("STRAY", 2));
  model.AddAssayTables();
  EXPECT_NE(model.FindTable("STRAY"), nullptr);
}

TEST(VornModelFileLoadTest, AssayNamesFromTheInputDatabaseWhenNoSourceIsEnabled) {
  FakeKeyReader reader;
  ScopedKeyReader scoped(&reader);
  CVornModelFile model;
  model.m_strModelDir = "/m";
  model.m_tables.Add(std::make_unique<CVornModelFileTable>("ASSAYLIB", "lib.xls", true, 4, plat::OleDateTime()));
  reader.m_keys["/m/lib.xls"] = {};
  model.m_dbConnectInfo.SetType(1);
  model.m_assayNumbers = {10, 20, 30};
  model.AddAssayTables();
  EXPECT_EQ(model.m_nAssayTableSource, 2);
  EXPECT_EQ(model.m_assayTableNames, (std::vector<std::string>{"ASSAYS", "ASSAY2", "ASSAY3"}));
  ASSERT_NE(model.FindTable("ASSAYS"), nullptr);
  EXPECT_EQ(model.FindTable("ASSAYS")->m_nCategory, 2);
}

TEST(VornModelFileLoadTest, SubmodelTablesComeFromSubmods) {
  FakeKeyReader reader;
  ScopedKeyReader scoped(&reader);
  CVornModelFile model;
  model.m_strModelDir = "/m";
  model.m_tables.Add(std::make_unique<CVornModelFileTable>("SUBMODS", "s.xls[S]", true, 9, plat::OleDateTime()));
  model.m_tables[0]->AddFile("off.xls", false, plat::OleDateTime());
  model.m_tables.Add(std::make_unique<CVornModelFileTable>("SCRU", "scru.xls", true, 7, plat::OleDateTime()));
  model.m_tables.Add(std::make_unique<CVornModelFileTable>("GONE", 7));
  reader.m_keys["/m/s.xls"] = {"SCRU", "", "SVAC", "SVAC", "SUBMODS"};

  model.AddSubmodelTables();
  EXPECT_EQ(model.FindTable("GONE"), nullptr);
  EXPECT_EQ(model.FindTable("SCRU")->m_files.GetSize(), 1);
  ASSERT_NE(model.FindTable("SVAC"), nullptr);
  EXPECT_EQ(model.FindTable("SVAC")->m_nCategory, 7);
  EXPECT_EQ(model.FindTable("SUBMODS")->m_nCategory, 9);
  EXPECT_EQ(model.m_tables.GetSize(), 3);
  std::vector<std::string> names;
  for (const CVornModelFileTable* table : model.m_tables) names.push_back(table->m_strName);
  EXPECT_EQ(names, (std::vector<std::string>{"SCRU", "SUBMODS", "SVAC"}));
}

TEST(VornModelFileLoadTest, AssayAndSubmodelListsAreReadFromWorksheets) {
  ModelDir dir("worksheets");
  wks_test::WriteSheet(2, {{"ROWNAMES", "TEXT"}, {"LIGHTCRUDEXYZ", "a"}, {"HEAVY", "b"}, {"HEAVY", "c"}},
                       dir.Dir() + "/assaylib.xls");
  wks_test::WriteSheet(3, {{"ROWNAMES", "TEXT"}, {"SCRU", "x"}, {"SVAC", "y"}}, dir.Dir() + "/submods.xls");
  wks_test::WriteSheet(2, {{"ROWNAMES", "A"}, {"r1", "#1"}}, dir.Dir() + "/heavy.xls");
  dir.WriteModelFile(R"(<VornConfiguration><Tables>
    <Table><Name>ASSAYLIB</Name><File>AssayLib.xls</File><Enabled>1</Enabled><TableType>4</TableType></Table>
    <Table><Name>SUBMODS</Name><File>submods.xls</File><Enabled>1</Enabled><TableType>9</TableType></Table>
    <Table><Name>HEAVY</Name><File>heavy.xls</File><Enabled>1</Enabled><TableType>2</TableType></Table>
  </Tables></VornConfiguration>)");
  CVornModelFile model;
  ASSERT_TRUE(model.Load("M", dir.Parent(), "", 0, false, false));
  ASSERT_NE(model.FindTable("LIGHTCRU"), nullptr);
  EXPECT_EQ(model.FindTable("LIGHTCRU")->m_nCategory, 2);
  EXPECT_EQ(model.FindTable("ASSAYS"), nullptr);  // not in the list
  EXPECT_EQ(model.m_assayTableNames, (std::vector<std::string>{"HEAVY", "HEAVY"}));
  EXPECT_EQ(model.m_nAssayTableSource, 1);
  EXPECT_EQ(model.FindTable("SCRU")->m_nCategory, 7);
  EXPECT_EQ(model.FindTable("SVAC")->m_nCategory, 7);
  EXPECT_EQ(model.m_nAssayLibFileCount, 1);
  EXPECT_EQ(model.m_nSubmodsFileCount, 1);

  // The case-set reader skips both lists.
  CVornModelFile skipped;
  ASSERT_TRUE(skipped.Load("M", dir.Parent(), "", 0, true, false));
  EXPECT_EQ(skipped.FindTable("LIGHTCRU"), nullptr);
  EXPECT_NE(skipped.FindTable("ASSAYS"), nullptr);
}

}  // namespace
