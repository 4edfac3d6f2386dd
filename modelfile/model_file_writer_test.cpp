#include "modelfile/model_file_writer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "modelfile/property_calculation.h"
#include "modelfile/server.h"
#include "modelfile/vorn_model_file.h"
#include "standins/miskel.h"

namespace {

namespace fs = std::filesystem;

const char* const kOldModel = R"(<?xml version="1.0" encoding="UTF-8"?>
<!--old-->
<VornConfiguration>
	<Version>17.9.0</Version>
	<Tables>
		<Table><Name>BOUNDS</Name><File>bounds.xls</File><Enabled>1</Enabled><TableType>5</TableType></Table>
	</Tables>
	<Settings>
		<Setting><Name>ModelExt</Name><Value>Xlsx</Value></Setting>
	</Settings>
</VornConfiguration>
)";

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Fails the Nth call that changes a file (a write stops half-way), counting from 1.
class CFaultyFileSystem : public IModelFileSystem {
 public:
  explicit CFaultyFileSystem(int failAt) : m_real(GetModelFileSystem()), m_failAt(failAt) {}
  bool Write(const std::string& path, const std::string& bytes) override { return !Fails() && m_real.Write(path, bytes); }
  bool WriteBeside(const std::string& target, const std::string& bytes, std::string& temporary,
                   bool holdsSecret) override {
    if (Fails()) {
      m_real.WriteBeside(target, bytes.substr(0, bytes.size() / 2), temporary, holdsSecret);
      return false;
    }
    return m_real.WriteBeside(target, bytes, temporary, holdsSecret);
  }
  bool Copy(const std::string& from, const std::string& to) override { return !Fails() && m_real.Copy(from, to); }
  bool Rename(const std::string& from, const std::string& to) override { return !Fails() && m_real.Rename(from, to); }
  bool Remove(const std::string& path) override { return !Fails() && m_real.Remove(path); }
  bool Exists(const std::string& path) override { return m_real.Exists(path); }
  bool Size(const std::string& path, std::uint64_t& size) override { return m_real.Size(path, size); }
  bool Failed() const { return m_calls >= m_failAt; }

 private:
  bool Fails() { return ++m_calls == m_failAt; }
  IModelFileSystem& m_real;
  int m_failAt;
  int m_calls = 0;
};

class ModelFileSave : public ::testing::Test {
 protected:
  void SetUp() override {
    m_parent = fs::path(::testing::TempDir()) / ("model_file_save_" + std::to_string(::getpid()));
    fs::remove_all(m_parent);
    fs::create_directories(Dir());
  }
  void TearDown() override {
    SetModelFileSystem(nullptr);
    fs::remove_all(m_parent);
  }
  fs::path Dir() const { return m_parent / "M"; }
  fs::path ModelPath() const { return Dir() / kModelFileName; }
  void WriteOld(const std::string& bytes) const { std::ofstream(ModelPath(), std::ios::binary) << bytes; }
  // Loads the model of the directory (its path is set also when the file is absent).
  void Load(CVornModelFile& model) const { model.LoadFromDirectory("M", Dir().string()); }
  std::set<std::string> Files() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(Dir())) names.insert(entry.path().filename().string());
    return names;
  }
  bool NoTemporaryFile() const {
    for (const std::string& name : Files())
      if (name.find(".tmp") != std::string::npos) return false;
    return true;
  }
  // The names of the time-stamped copies in the directory.
  std::vector<std::string> StampedCopies() const {
    static const std::regex stamped(R"(VornModel\.\d{4}\.\d{2}\.\d{2}\.\d{2}\.\d{2}\.\d{2}\.Bak)");
    std::vector<std::string> names;
    for (const std::string& name : Files()) {
      if (std::regex_match(name, stamped)) names.push_back(name);
    }
    return names;
  }

  fs::path m_parent;
};

TEST(ModelFileNames, BackupAndTimeStampedCopy) {
  EXPECT_EQ(MakeModelBackupName("/m/VornModel.vrnx"), "/m/VornModel.Bak");
  EXPECT_EQ(MakeModelTimeStampedName("/m/VornModel.vrnx", plat::OleDateTime(2024, 1, 31, 14, 5, 9)),
            "/m/VornModel.2024.01.31.14.05.09.Bak");
}

TEST_F(ModelFileSave, TextFilesEndLinesWithCarriageReturns) {
  EXPECT_EQ(WriteTextFile((Dir() / "t.txt").string(), "a\nb\n"), 1);
  EXPECT_EQ(ReadAll(Dir() / "t.txt"), "a\r\nb\r\n");
  EXPECT_EQ(WriteTextFile((Dir() / "missing" / "t.txt").string(), "a"), 0);
}

TEST_F(ModelFileSave, RefusedSavesTouchNoFile) {
  WriteOld(kOldModel);
  CVornModelFile model;
  Load(model);
  const std::set<std::string> before = Files();

  model.m_bCanSave = false;
  EXPECT_FALSE(model.Save("18.0.0", "", true));
  EXPECT_FALSE(model.WriteModelFile("18.0.0", "", true));
  model.m_bCanSave = true;
  model.m_bSkipWrite = true;
  EXPECT_TRUE(model.Save("18.0.0", "", true));
  model.m_bSkipWrite = false;
  const std::string path = model.m_strModelFilePath;
  model.m_strModelFilePath.clear();
  EXPECT_FALSE(model.WriteModelFile("18.0.0", "", true));

  EXPECT_EQ(Files(), before);
  EXPECT_EQ(ReadAll(ModelPath()), kOldModel);
}

TEST_F(ModelFileSave, PlainSaveKeepsTheOldFileAsBackupAndTimeStampedCopy) {
  WriteOld(kOldModel);
  CVornModelFile model;
  Load(model);
  model.m_bPlainXmlOnSave = true;  // wins over m_bEncryptOnSave
  model.m_dbConnectInfo.m_strDatabase = "Planning";
  ASSERT_TRUE(model.Save("18.0.0", "", true));

  const std::string saved = ReadAll(ModelPath());
  EXPECT_EQ(saved.rfind("<?xml", 0), 0u);
  EXPECT_NE(saved.find("<!--This file is maintained by VORN.  Do not modify this file!-->"), std::string::npos);
  EXPECT_NE(saved.find("<Version>18.0.0</Version>"), std::string::npos);
  EXPECT_NE(saved.find("<UserEquationSection"), std::string::npos);
  EXPECT_EQ(model.m_settings.m_DbInfoDatabase.GetValue(), "Planning");
  EXPECT_EQ(ReadAll(Dir() / "VornModel.Bak"), kOldModel);
  const std::vector<std::string> stamped = StampedCopies();
  ASSERT_EQ(stamped.size(), 1u);
  EXPECT_EQ(ReadAll(Dir() / stamped[0]), kOldModel);
  EXPECT_TRUE(NoTemporaryFile());

  CVornModelFile again;
  again.LoadFromDirectory("M", Dir().string());
  EXPECT_EQ(again.m_strVersion, "18.0.0");
  EXPECT_EQ(again.m_settings.m_ModelExt.GetValue(), "Xlsx");
  EXPECT_EQ(again.m_settings.m_DbInfoDatabase.GetValue(), "Planning");
  ASSERT_NE(again.FindTable("BOUNDS"), nullptr);
}

// A model file only its owner may read stays so, and so do its backups; a
// link planted at the temporary name an earlier save used is not followed.
TEST_F(ModelFileSave, APrivateModelStaysPrivateAndNoPlantedLinkIsFollowed) {
  WriteOld(kOldModel);
  ASSERT_EQ(::chmod(ModelPath().c_str(), 0600), 0);
  const fs::path victim = m_parent / "victim.txt";
  std::ofstream(victim) << "victim";
  fs::create_symlink(victim, Dir() / "VornModel.tmp");
  CVornModelFile model;
  Load(model);
  model.m_bPlainXmlOnSave = true;
  ASSERT_TRUE(model.Save("18.0.0", "", true));
  EXPECT_EQ(ReadAll(victim), "victim");
  for (const fs::path& file : {ModelPath(), Dir() / "VornModel.Bak", Dir() / StampedCopies().at(0)}) {
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write)
        << file;
  }
  fs::remove(Dir() / "VornModel.tmp");
  EXPECT_TRUE(NoTemporaryFile());
}

// A new model file that holds a secret is its owner's only; one without a secret, or a file saved over an
// old one, gets the usual mode.
TEST_F(ModelFileSave, ANewFileHoldingASecretIsTheOwnersOnly) {
  const mode_t oldMask = ::umask(022);
  const auto modeAfterSave = [&](const std::function<void(CVornModelFile&)>& set) {
    CVornModelFile model;
    Load(model);
    model.m_bPlainXmlOnSave = true;
    set(model);
    EXPECT_TRUE(model.Save("18.0.0", "", false));
    return fs::status(ModelPath()).permissions() & fs::perms::all;
  };
  const fs::perms ownerOnly = fs::perms::owner_read | fs::perms::owner_write;
  const fs::perms usual = ownerOnly | fs::perms::group_read | fs::perms::others_read;
  const std::vector<std::pair<const char*, std::function<void(CVornModelFile&)>>> secrets = {
      {"DbInfoPassword", [](CVornModelFile& m) { m.m_dbConnectInfo.m_strPassword = "pw"; }},
      {"DatabaseOutputPassword", [](CVornModelFile& m) { m.m_settings.m_DatabaseOutputPassword.SetValue("pw"); }},
      {"DatabaseOutputConnection",
       [](CVornModelFile& m) { m.m_settings.m_DatabaseOutputConnection.SetValue("DSN=r;PWD=pw"); }},
      {"a server's password",
       [](CVornModelFile& m) {
         auto server = std::make_unique<CServer>();
         server->m_strPassword = "pw";
         m.m_servers.Add(std::move(server));
       }},
  };
  for (const auto& [what, set] : secrets) {
    fs::remove(ModelPath());
    EXPECT_EQ(modeAfterSave(set), ownerOnly) << what;
    const std::string text = ReadAll(ModelPath());
    EXPECT_EQ(text.find(">pw<"), std::string::npos) << what;
    EXPECT_EQ(text.find("PWD=pw"), std::string::npos) << what;
  }
  fs::remove(ModelPath());
  EXPECT_EQ(modeAfterSave([](CVornModelFile&) {}), usual);
  // The file saved over keeps its mode: its owner chose it.
  EXPECT_EQ(modeAfterSave(secrets[0].second), usual);
  ::umask(oldMask);
}

TEST_F(ModelFileSave, NoBackupWithoutAnOldFile) {
  CVornModelFile model;
  Load(model);
  ASSERT_FALSE(model.m_strModelFilePath.empty());
  ASSERT_TRUE(model.Save("18.0.0", "my comment", true));
  EXPECT_EQ(Files(), std::set<std::string>{kModelFileName});
  std::string text;
  bool deciphered = false;
  ReadModelText(ModelPath().string(), text, deciphered);
  EXPECT_TRUE(deciphered);  // enciphered by default
  EXPECT_NE(text.find("<!--my comment-->"), std::string::npos);
}

TEST_F(ModelFileSave, EncipheredSavesKeepTheTimeStampedCopyOnlyWhenTheFileShrank) {
  // An old file much larger than the new one: the new one is at most 90 percent, the copy stays.
  WriteOld(std::string(kOldModel) + "<!--" + std::string(20000, 'p') + "-->\n");
  const std::string old = ReadAll(ModelPath());
  CVornModelFile model;
  Load(model);
  ASSERT_TRUE(model.Save("18.0.0", "", true));
  const std::string first = ReadAll(ModelPath());
  EXPECT_TRUE(IMiskel::IsEnciphered(first));
  EXPECT_EQ(ReadAll(Dir() / "VornModel.Bak"), old);
  ASSERT_EQ(StampedCopies().size(), 1u);

  // The same model again: over 90 percent of the old size, the copy goes; the backup stays.
  fs::remove(Dir() / StampedCopies()[0]);
  ASSERT_TRUE(model.Save("18.0.0", "", true));
  EXPECT_TRUE(StampedCopies().empty());
  EXPECT_EQ(ReadAll(Dir() / "VornModel.Bak"), first);

  CVornModelFile again;
  EXPECT_TRUE(again.LoadFromDirectory("M", Dir().string()));
  EXPECT_EQ(again.m_strVersion, "18.0.0");
}

TEST_F(ModelFileSave, ALoadThatResetAFormulaRangeSavesTheModel) {
  std::string old = kOldModel;
  old.insert(old.find("</VornConfiguration>"),
             "\t<Formulas><Formula><PropertyName>SUL</PropertyName><Expression>ln(x)</Expression>"
             "<Ranges><StartingRanges><StartingRange>-1</StartingRange></StartingRanges>"
             "<EndingRanges><EndingRange>50</EndingRange></EndingRanges></Ranges><Suppressed>false</Suppressed>"
             "</Formula></Formulas>\n");
  WriteOld(old);
  CVornModelFile model;
  ASSERT_TRUE(model.LoadFromDirectory("M", Dir().string()));
  g_bModelRewritten = false;

  EXPECT_EQ(ReadAll(Dir() / "VornModel.Bak"), old);
  std::string text;
  bool deciphered = false;
  ReadModelText(ModelPath().string(), text, deciphered);
  plat::XmlDocument saved;
  ASSERT_TRUE(saved.LoadXml(text));
  EXPECT_EQ(saved.SelectSingleNode("/VornConfiguration/Version").Text(), "17.9.0");
  EXPECT_EQ(saved.SelectSingleNode("/VornConfiguration/Formulas/Formula/PropertyName").Text(), "SUL");
  EXPECT_EQ(saved.SelectSingleNode("//StartingRange").Text(), "1e+30");
  EXPECT_EQ(saved.SelectSingleNode("//EndingRange").Text(), "1e+30");
}

// Each step of a save that changes a file fails in turn: the previous model
// file stays byte for byte and loads as before, and no temporary file is left.
TEST_F(ModelFileSave, EveryFailedStepLeavesThePreviousFile) {
  for (const bool plain : {true, false}) {
    SCOPED_TRACE(plain ? "plain" : "enciphered");
    bool injected = true;
    int failAt = 1;
    for (; injected; ++failAt) {
      SCOPED_TRACE("failing call " + std::to_string(failAt));
      fs::remove_all(Dir());
      fs::create_directories(Dir());
      WriteOld(kOldModel);
      CVornModelFile model;
      Load(model);
      model.m_bPlainXmlOnSave = plain;

      CFaultyFileSystem faulty(failAt);
      SetModelFileSystem(&faulty);
      const bool saved = model.Save("18.0.0", "", true);
      SetModelFileSystem(nullptr);
      injected = faulty.Failed();

      EXPECT_TRUE(NoTemporaryFile());
      CVornModelFile reloaded;
      ASSERT_TRUE(reloaded.LoadFromDirectory("M", Dir().string()));
      if (!saved) {
        EXPECT_TRUE(injected);
        EXPECT_EQ(ReadAll(ModelPath()), kOldModel);
        EXPECT_EQ(reloaded.m_strVersion, "17.9.0");
      } else {
        EXPECT_EQ(reloaded.m_strVersion, "18.0.0");  // only a failed clean-up of the copy remained
        EXPECT_EQ(ReadAll(Dir() / "VornModel.Bak"), kOldModel);
      }
    }
    EXPECT_GE(failAt, 5);  // the write, both copies and the rename each failed once
  }
}

class CFakeReportGenerator : public IReportGenerator {
 public:
  static inline std::string s_database;
  static inline bool s_first = false;
  static inline bool s_second = false;
  void SetResultsDatabase(const std::string& path) override { s_database = path; }
  bool BuildConfiguration(std::int32_t, bool first, bool second, const std::string& argument, std::string& xml) override {
    s_first = first;
    s_second = second;
    xml = "<ReportConfiguration><Argument>" + argument + "</Argument></ReportConfiguration>";
    return true;
  }
};

TEST_F(ModelFileSave, ADefaultReportConfigurationComesFromTheGenerator) {
  CVornModelFile model;
  Load(model);
  model.m_bPlainXmlOnSave = true;
  model.m_settings.m_ModelType.SetValue(2);
  model.m_strReportArgument = "arg";
  const ReportGeneratorFactory previous =
      SetReportGeneratorFactory([]() -> std::unique_ptr<IReportGenerator> { return std::make_unique<CFakeReportGenerator>(); });
  const bool saved = model.Save("18.0.0", "", false);
  SetReportGeneratorFactory(previous);
  ASSERT_TRUE(saved);
  EXPECT_TRUE(CFakeReportGenerator::s_first);
  EXPECT_FALSE(CFakeReportGenerator::s_second);
  EXPECT_EQ(CFakeReportGenerator::s_database, Dir().string() + "/Results.mdb");
  EXPECT_EQ(model.m_strVersion, "");  // emptied after the Version element was written
  EXPECT_NE(model.m_strReportConfiguration.find("<Argument>arg</Argument>"), std::string::npos);
  plat::XmlDocument doc;
  ASSERT_TRUE(doc.LoadFile(ModelPath().string()));
  EXPECT_EQ(doc.SelectSingleNode("/VornConfiguration/Version").Text(), "18.0.0");
  EXPECT_EQ(doc.SelectSingleNode("/VornConfiguration/ReportConfiguration/Argument").Text(), "arg");

  // Without a generator no ReportConfiguration is written.
  model.m_strReportConfiguration.clear();
  ASSERT_TRUE(model.Save("18.0.0", "", false));
  ASSERT_TRUE(doc.LoadFile(ModelPath().string()));
  EXPECT_TRUE(doc.SelectSingleNode("/VornConfiguration/ReportConfiguration").IsNull());
}

}  // namespace
