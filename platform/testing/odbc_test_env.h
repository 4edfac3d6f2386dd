#pragma once
// Test support, header-only: an ODBC driver list (odbcinst.ini) and data
// sources (odbc.ini) of the test's own, made current through ODBCSYSINI and
// ODBCINI, so tests never depend on the machine's ODBC set-up. The driver
// manager reads ODBCSYSINI once per process, so the system files live in one
// directory per process and each ScopedOdbcIni rewrites them; the user file
// is the object's own.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace plat::testing {

// The path of an installed ODBC driver library, or "" when none is found.
inline std::string FindOdbcDriverLibrary(const std::string& fileName) {
  for (const char* dir : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc", "/usr/lib/odbc",
                          "/usr/lib64", "/usr/lib", "/usr/local/lib"}) {
    std::filesystem::path p = std::filesystem::path(dir) / fileName;
    std::error_code ec;
    if (std::filesystem::exists(p, ec)) return p.string();
  }
  return {};
}

inline std::string SqliteOdbcDriverLibrary() { return FindOdbcDriverLibrary("libsqlite3odbc.so"); }
inline std::string PostgresOdbcDriverLibrary() { return FindOdbcDriverLibrary("psqlodbca.so"); }

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrel-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) m_path = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

class ScopedOdbcIni {
 public:
  struct Driver {
    std::string name;
    std::string library;
  };
  struct Source {
    std::string name;
    std::string driver;
    std::vector<std::pair<std::string, std::string>> attributes;
  };

  // Drivers go into odbcinst.ini, user data sources into odbc.ini (ODBCINI),
  // system data sources into the odbc.ini beside odbcinst.ini (ODBCSYSINI).
  ScopedOdbcIni(const std::vector<Driver>& drivers, const std::vector<Source>& userSources = {},
                const std::vector<Source>& systemSources = {}) {
    Save("ODBCINI", m_oldIni);
    const std::string& sys = SystemDir().Path();
    {
      std::ofstream out(sys + "/odbcinst.ini");
      for (const Driver& d : drivers) out << "[" << d.name << "]\nDriver=" << d.library << "\n\n";
    }
    WriteSources(sys + "/odbc.ini", systemSources);
    WriteSources(m_dir.Path() + "/user.ini", userSources);
    setenv("ODBCSYSINI", sys.c_str(), 1);
    setenv("ODBCINI", (m_dir.Path() + "/user.ini").c_str(), 1);
  }
  // Puts the machine's own system files back in place, as if ODBCSYSINI were unset.
  ~ScopedOdbcIni() {
    for (const char* name : {"odbcinst.ini", "odbc.ini"}) {
      std::error_code ec;
      const std::string target = SystemDir().Path() + "/" + name;
      if (!std::filesystem::copy_file(std::string("/etc/") + name, target,
                                      std::filesystem::copy_options::overwrite_existing, ec))
        std::ofstream{target};
    }
    Restore("ODBCINI", m_oldIni);
  }
  ScopedOdbcIni(const ScopedOdbcIni&) = delete;
  ScopedOdbcIni& operator=(const ScopedOdbcIni&) = delete;

  const TempDir& Dir() const { return m_dir; }

  // The usual drivers, those whose library is installed: "SQLite3" and "PostgreSQL".
  static std::vector<Driver> StandardDrivers() {
    std::vector<Driver> drivers;
    if (std::string lib = SqliteOdbcDriverLibrary(); !lib.empty()) drivers.push_back({"SQLite3", lib});
    if (std::string lib = PostgresOdbcDriverLibrary(); !lib.empty()) drivers.push_back({"PostgreSQL", lib});
    return drivers;
  }

 private:
  static void WriteSources(const std::string& path, const std::vector<Source>& sources) {
    std::ofstream out(path);
    out << "[ODBC Data Sources]\n";
    for (const Source& s : sources) out << s.name << "=" << s.driver << "\n";
    out << "\n";
    for (const Source& s : sources) {
      out << "[" << s.name << "]\nDriver=" << s.driver << "\n";
      for (const auto& [k, v] : s.attributes) out << k << "=" << v << "\n";
      out << "\n";
    }
  }
  static void Save(const char* name, std::optional<std::string>& slot) {
    if (const char* v = std::getenv(name)) slot = v;
  }
  static void Restore(const char* name, const std::optional<std::string>& slot) {
    if (slot)
      setenv(name, slot->c_str(), 1);
    else
      unsetenv(name);
  }

  static TempDir& SystemDir() {
    static TempDir dir;
    return dir;
  }

  TempDir m_dir;
  std::optional<std::string> m_oldIni;
};

}  // namespace plat::testing
