// Fuzz entry of the registry file reader: any bytes, as the registry file,
// answer the product's own keys and values without a fault, and a value is
// only found under a key that exists. Built as every fuzz entry is
// (cmake/OstrelFuzz.cmake).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/registry.h"
#include "platform/testing/fuzz_support.h"

namespace {

struct Query {
  plat::RegRoot root;
  const char* key;
  const char* value;
};

const Query kQueries[] = {
    {plat::RegRoot::CurrentUser, "Software\\QuorvaneTech\\VornWin\\Adapter", "Logging"},
    {plat::RegRoot::LocalMachine, "SOFTWARE\\QuorvaneTech\\QuorvaneVorn", "ModelCipherKey"},
    {plat::RegRoot::LocalMachine, "SOFTWARE\\QuorvaneTech\\QuorvaneVorn", "Directory"},
    {plat::RegRoot::CurrentUser, "SOFTWARE\\QuorvaneTech\\LangPref\\Settings", "Language"},
    {plat::RegRoot::CurrentUser, "SOFTWARE\\QuorvaneTech\\LangPref\\Settings", "ReportingLevel"},
    {plat::RegRoot::LocalMachine, "SOFTWARE\\QuorvaneTech\\TULO\\38.0", "tulotop"},
    {plat::RegRoot::Users, "", ""},
};

const std::string& RegistryFile() {
  static const std::string path = [] {
    const std::string file = fuzz::ProcessTempPath("registry.ini");
    setenv("OSTREL_REGISTRY", file.c_str(), 1);
    return file;
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::WriteBytes(RegistryFile(), data, size);
  for (const Query& query : kQueries) {
    bool keyFound = false;
    const std::optional<plat::RegValue> value = plat::RegQueryValue(query.root, query.key, query.value, &keyFound);
    if (keyFound != plat::RegKeyExists(query.root, query.key)) __builtin_trap();
    if (value && !keyFound) __builtin_trap();
  }
  return 0;
}

// Registry files in the forms the readers take: long and short root names,
// "/" for "\", string, quoted and DWORD values (decimal and hexadecimal),
// comments, blanks and a value listed twice.
extern "C" bool OstrelFuzzWriteSeeds(const char* directory) {
  const char* const product =
      "; the product's settings\n"
      "[HKEY_CURRENT_USER\\Software\\QuorvaneTech\\VornWin\\Adapter]\n"
      "Logging=True\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QuorvaneTech\\QuorvaneVorn]\n"
      "Directory=/opt/vorn/\n"
      "ModelCipherKey=\"site key\"\n"
      "[HKEY_CURRENT_USER\\SOFTWARE\\QuorvaneTech\\LangPref\\Settings]\n"
      "Language=DEU\n"
      "ReportingLevel=dword:2\n";
  const char* const forms =
      "# short roots and other spellings\r\n"
      "[hklm/software/quorvanetech/tulo/38.0/]\r\n"
      "  tulotop = /opt/tulo  \r\n"
      "[HKCU\\\\Software\\QuorvaneTech\\LangPref\\Settings]\r\n"
      "\"Language\"=ENU\r\n"
      "ReportingLevel=dword:0x10\r\n"
      "ReportingLevel=dword:99999999999\r\n"
      "[HKEY_USERS]\n"
      "=empty name\n"
      "[unclosed\n"
      "no equals sign\n";
  return fuzz::WriteSeed(directory, "product.ini", product) && fuzz::WriteSeed(directory, "forms.ini", forms);
}
