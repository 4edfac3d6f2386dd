#include "foundation/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include <unistd.h>

namespace {

// Points the registry at a temporary INI file for the test's lifetime.
class RegistryFile {
 public:
  explicit RegistryFile(const std::string& content) {
    path_ = std::filesystem::temp_directory_path() /
            ("ostrel_reg_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++) + ".ini");
    std::ofstream(path_, std::ios::binary) << content;
    if (const char* old = std::getenv("OSTREL_REGISTRY")) old_ = old;
    ::setenv("OSTREL_REGISTRY", path_.c_str(), 1);
  }
  ~RegistryFile() {
    if (old_) ::setenv("OSTREL_REGISTRY", old_->c_str(), 1);
    else ::unsetenv("OSTREL_REGISTRY");
    std::filesystem::remove(path_);
  }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
  std::optional<std::string> old_;
};

const char* kIni =
    "; comment\r\n"
    "[HKEY_CURRENT_USER\\Software\\QuorvaneTech\\VornWin\\Adapter]\r\n"
    "Logging=False\r\n"
    "Level=dword:7\r\n"
    "[HKEY_CURRENT_USER\\SOFTWARE\\QuorvaneTech\\LangPref\\Settings]\n"
    "Language=\"DEU\"\n"
    "ReportingLevel=dword:0x10\n"
    "[HKLM\\Software\\Other]\n"
    "Path=/opt/other\n"
    "[HKEY_CURRENT_USER\\Software\\QuorvaneTech\\VornWin\\Dword]\n"
    "Logging=dword:1\n";

TEST(RegistryTest, StringReads) {
  RegistryFile file(kIni);
  struct Case {
    const char* key;
    const char* value;
    RegistryRoot root;
    bool found;
    const char* out;
  } cases[] = {
      {"Software\\QuorvaneTech\\VornWin\\Adapter", "Logging", RegistryRoot::CurrentUser, true, "False"},
      {"software\\quorvanetech\\vornwin\\ADAPTER", "LOGGING", RegistryRoot::CurrentUser, true, "False"},
      {"SOFTWARE\\QuorvaneTech\\LangPref\\Settings", "Language", RegistryRoot::CurrentUser, true, "DEU"},
      {"Software\\Other", "Path", RegistryRoot::LocalMachine, true, "/opt/other"},
      {"Software\\Other", "Path", RegistryRoot::CurrentUser, false, "dflt"},               // other root
      {"Software\\QuorvaneTech\\VornWin\\Adapter", "Missing", RegistryRoot::CurrentUser, false, "dflt"},
      {"Software\\NoSuchKey", "Logging", RegistryRoot::CurrentUser, false, "dflt"},
      {"Software\\QuorvaneTech\\VornWin\\Adapter", "Level", RegistryRoot::CurrentUser, false, "untouched"},  // DWORD
  };
  for (const Case& c : cases) {
    std::string out = "untouched";
    EXPECT_EQ(ReadRegistryString(out, c.key, c.value, "dflt", c.root), c.found) << c.key << " " << c.value;
    EXPECT_EQ(out, c.out) << c.key << " " << c.value;
  }
}

TEST(RegistryTest, DwordReads) {
  RegistryFile file(kIni);
  std::uint32_t out = 99;
  EXPECT_TRUE(ReadRegistryDword(out, "Software\\QuorvaneTech\\LangPref\\Settings", "ReportingLevel", 1));
  EXPECT_EQ(out, 16u);
  out = 99;
  EXPECT_FALSE(ReadRegistryDword(out, "Software\\QuorvaneTech\\LangPref\\Settings", "Language", 1));
  EXPECT_EQ(out, 99u);  // a string value leaves the output as it was
  EXPECT_FALSE(ReadRegistryDword(out, "Software\\QuorvaneTech\\LangPref\\Settings", "Nothing", 1));
  EXPECT_EQ(out, 1u);
}

TEST(RegistryTest, NoFileIsAnEmptyRegistry) {
  ::setenv("OSTREL_REGISTRY", "/nonexistent/dir/registry.ini", 1);
  std::string out;
  EXPECT_FALSE(ReadRegistryString(out, "Software\\QuorvaneTech\\LangPref\\Settings", "Language", "ENU"));
  EXPECT_EQ(out, "ENU");
  EXPECT_FALSE(plat::RegKeyExists(plat::RegRoot::CurrentUser, "Software"));
  ::unsetenv("OSTREL_REGISTRY");
}

TEST(RegistryTest, AppKeys) {
  EXPECT_EQ(BuildAppKey("VornWin", "Adapter"), "Software\\QuorvaneTech\\VornWin\\Adapter");
  EXPECT_EQ(BuildAppKey("VornWin", ""), "Software\\QuorvaneTech\\VornWin");
  EXPECT_EQ(BuildAppKey("", "Adapter"), "Software\\QuorvaneTech\\Adapter");

  RegistryFile file(kIni);
  std::string out;
  EXPECT_TRUE(ReadAppRegistryString(out, "VornWin", "Adapter", "Logging", "False"));
  EXPECT_EQ(out, "False");
  // A "Logging" stored as a DWORD reads as an empty text, which is not "False".
  out.clear();
  EXPECT_FALSE(ReadAppRegistryString(out, "VornWin", "Dword", "Logging", "False"));
  EXPECT_EQ(out, "");
}

}  // namespace
