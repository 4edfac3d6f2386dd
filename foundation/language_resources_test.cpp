#include "foundation/language_resources.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class LanguageResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("ostrel_lang_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    module_.m_strModuleFile = (dir_ / "Ostrel").string();
    ::setenv("OSTREL_REGISTRY", (dir_ / "registry.ini").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("OSTREL_REGISTRY");
    plat::ClearLanguageStrings();
    fs::remove_all(dir_);
  }
  void Registry(const std::string& values) {
    std::ofstream(dir_ / "registry.ini") << "[HKEY_CURRENT_USER\\SOFTWARE\\QuorvaneTech\\LangPref\\Settings]\n"
                                         << values;
  }
  void Library(const std::string& name, const std::string& content) { std::ofstream(dir_ / name) << content; }

  fs::path dir_;
  CResourceModule module_;
};

TEST_F(LanguageResourcesTest, SelectionAndReporting) {
  Library("ENU_Ostrel.dll", "101=never\n");
  Library("DEU_Ostrel.dll", "# Deutsch\n[Program]\n101=Fehler\\tA\\nB\n[Shared]\n1926=Geteilt\n");
  Library("BAD_Ostrel.dll", "not a string line\n");
  fs::create_directories(dir_ / "DIR_Ostrel.dll");

  struct Case {
    std::string values;
    bool loads;
    const char* box;  // expected standard-error text, "" for none
  } cases[] = {
      {"", false, ""},                                       // no Language value: even ENU's file is not looked for
      {"Language=enu\n", false, ""},
      {"Language=dword:1\n", false, ""},                     // not a string: not found
      {"Language=FRA\n", false, ""},                         // missing, default level 1 reports only load failures
      {"Language=FRA\nReportingLevel=dword:0\n", false, "Can't find DLL \"FRA_Ostrel.dll\""},
      {"Language=BAD\n", false, "LoadLibrary failure for DLL \"BAD_Ostrel.dll\""},
      {"Language=DIR\n", false, "LoadLibrary failure for DLL \"DIR_Ostrel.dll\""},
      {"Language=BAD\nReportingLevel=dword:2\n", false, ""},
      {"Language=BAD\nReportingLevel=2\n", false, "LoadLibrary failure"},  // a text level is not read: level 1
      // A code is a bare name: a path, absolute or with "..", would read a file from elsewhere.
      {"Language=" + (dir_ / "DEU").string() + "\n", false, "is not a bare code"},
      {"Language=../" + dir_.filename().string() + "/DEU\n", false, "is not a bare code"},
      {"Language=DE.U\nReportingLevel=dword:2\n", false, ""},
      {"Language=DEU\n", true, ""},
  };
  for (const Case& c : cases) {
    Registry(c.values);
    module_.m_hResource = nullptr;
    ::testing::internal::CaptureStderr();
    HRESOURCELIB lib = LoadLanguageResourceDll("Ostrel", &module_);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(lib != nullptr, c.loads) << c.values;
    EXPECT_EQ(module_.m_hResource, lib) << c.values;
    if (*c.box) EXPECT_NE(err.find(c.box), std::string::npos) << c.values << " got: " << err;
    else EXPECT_EQ(err, "") << c.values;
  }
  EXPECT_EQ(plat::GetString(plat::StringTable::Program, 101), "Fehler\tA\nB");
  EXPECT_EQ(plat::GetString(plat::StringTable::Shared, 1926), "Geteilt");
}

}  // namespace
