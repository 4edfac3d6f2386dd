#include "tableio/db/oledb_provider.h"

#include <cctype>
#include <mutex>
#include <optional>

#include "platform/connection_string.h"
#include "platform/odbc_handles.h"
#include "platform/registry.h"

namespace {

enum Probe { kAce16, kAce12, kJet40, kJet351, kNcli11, kNcli10, kNcli, kProbeCount };

struct ProbeInfo {
  const char* classId;
  const char* provider;
  bool sqlServer;
};

constexpr ProbeInfo kProbes[kProbeCount] = {
    {"{3BE786A2-0366-4F5C-9434-25CF162E475E}", "Microsoft.ACE.OLEDB.16.0", false},
    {"{3BE786A0-0366-4F5C-9434-25CF162E475E}", "Microsoft.Ace.OLEDB.12.0", false},
    {"{dee35070-506b-11cf-b1aa-00aa00b8de95}", "Microsoft.Jet.OLEDB.4.0", false},
    {"{dee35060-506b-11cf-b1aa-00aa00b8de95}", "Microsoft.Jet.OLEDB.3.51", false},
    {"{397C2819-8272-4532-AD3A-FB5E43BEAA39}", "SQLNCLI11", true},
    {"{8F4A6B68-4F36-4e3c-BE81-BC7CA4E9C45C}", "SQLNCLI10", true},
    {"{85ECAFCC-BDD9-4b03-97A8-FA65CBE3859B}", "SQLNCLI", true},
};

struct State {
  std::mutex mutex;
  std::optional<bool> answers[kProbeCount];
  std::optional<std::string> sqlServerProvider;
};

State& GetState() {
  static State state;
  return state;
}

bool AskOnce(Probe probe, bool& first) {
  State& s = GetState();
  std::lock_guard<std::mutex> lock(s.mutex);
  first = !s.answers[probe].has_value();
  if (first) {
    const ProbeInfo& info = kProbes[probe];
    bool registered = plat::RegKeyExists(plat::RegRoot::ClassesRoot, std::string("CLSID\\") + info.classId);
    if (!registered) {
      if (info.sqlServer)
        registered = plat::odbc::IsDriverInstalled(plat::SqlServerOdbcDriver());
      else
        registered = plat::odbc::IsDriverInstalled("SQLite3") || plat::odbc::IsDriverInstalled("MDBTools");
    }
    s.answers[probe] = registered;
  }
  return *s.answers[probe];
}

bool Ask(Probe probe) {
  bool first = false;
  return AskOnce(probe, first);
}

bool AskSqlServer(Probe probe, std::string& provider) {
  bool first = false;
  const bool registered = AskOnce(probe, first);
  if (first && registered) provider = kProbes[probe].provider;
  return registered;
}

}  // namespace

bool IsAceOledb16Registered() { return Ask(kAce16); }
bool IsAceOledb12Registered() { return Ask(kAce12); }
bool IsJetOledb40Registered() { return Ask(kJet40); }
bool IsJetOledb351Registered() { return Ask(kJet351); }
bool IsSqlNcli11Registered(std::string& provider) { return AskSqlServer(kNcli11, provider); }
bool IsSqlNcli10Registered(std::string& provider) { return AskSqlServer(kNcli10, provider); }
bool IsSqlNcliRegistered(std::string& provider) { return AskSqlServer(kNcli, provider); }

std::string GetSqlServerProvider() {
  std::string provider;
  {
    State& s = GetState();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.sqlServerProvider) s.sqlServerProvider = "SQLOLEDB";
    provider = *s.sqlServerProvider;
  }
  if (!IsSqlNcli11Registered(provider) && !IsSqlNcli10Registered(provider)) IsSqlNcliRegistered(provider);
  State& s = GetState();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.sqlServerProvider = provider;
  return provider;
}

bool IsAccdbFile(const std::string& fileName) {
  if (fileName.size() < 5) return false;
  const std::string tail = fileName.substr(fileName.size() - 5);
  static const char kAccdb[] = "accdb";
  for (std::size_t i = 0; i < 5; ++i)
    if (std::tolower(static_cast<unsigned char>(tail[i])) != kAccdb[i]) return false;
  return true;
}

std::string ChooseAccessProvider(const std::string& fileName) {
  if (IsAccdbFile(fileName) && IsAceOledb12Registered()) return kProbes[kAce12].provider;
  if (IsJetOledb40Registered()) return kProbes[kJet40].provider;
  if (IsJetOledb351Registered()) return kProbes[kJet351].provider;
  return {};
}

void ResetOledbProviderProbes() {
  State& s = GetState();
  std::lock_guard<std::mutex> lock(s.mutex);
  for (auto& answer : s.answers) answer.reset();
  s.sqlServerProvider.reset();
}
