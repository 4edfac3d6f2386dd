#include "platform/connection_string.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/name_compare.h"
#include "platform/path_resolver.h"

namespace plat {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool IsTrue(std::string_view value) {
  std::string v = Lower(Trim(value));
  return v == "sspi" || v == "yes" || v == "true";
}

std::string Join(const std::vector<ConnectionItem>& items) {
  std::string out;
  for (const auto& [key, value] : items) {
    if (!out.empty()) out += ";";
    out += ConnectionPair(key, value);
  }
  return out;
}

void EraseKeys(std::vector<ConnectionItem>& items, std::initializer_list<std::string_view> keys) {
  items.erase(std::remove_if(items.begin(), items.end(),
                             [&](const ConnectionItem& item) {
                               std::string k = Lower(Trim(item.first));
                               for (std::string_view key : keys)
                                 if (k == Lower(key)) return true;
                               return false;
                             }),
              items.end());
}

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Where the secret value of the item at text[at] lies, when a secret key starts there.
struct SecretSpan {
  std::size_t begin = 0;
  std::size_t end = 0;
};

bool SecretAt(std::string_view text, std::size_t at, SecretSpan& span) {
  if (at > 0 && IsWordChar(text[at - 1])) return false;
  std::size_t i = std::string_view::npos;
  if (text[at] != 'p' && text[at] != 'P') return false;
  for (std::string_view key : {"password", "passwd", "pwd"}) {
    if (plat::StartsWithNoCase(text.substr(at), key)) {
      i = at + key.size();
      break;
    }
  }
  if (i == std::string_view::npos) return false;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i >= text.size() || text[i] != '=') return false;
  ++i;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  span.begin = i;
  if (i < text.size() && (text[i] == '{' || text[i] == '\'' || text[i] == '"')) {
    // Braces close at a "}" that is not doubled; quotes at one that is not doubled.
    const char close = text[i] == '{' ? '}' : text[i];
    std::size_t j = i + 1;
    while (j < text.size()) {
      if (text[j] == close) {
        if (j + 1 < text.size() && text[j + 1] == close) {
          j += 2;
          continue;
        }
        ++j;
        break;
      }
      ++j;
    }
    span.end = j;
    return true;
  }
  // A value masked before stays as it is, so masking twice changes nothing.
  if (text.substr(i, 8) == "********") {
    span.end = i + 8;
    return true;
  }
  // A plain value runs to the item's end; in a message the rest of the line goes with it.
  std::size_t j = i;
  while (j < text.size() && text[j] != ';' && text[j] != '\n' && text[j] != '\r') ++j;
  span.end = j;
  return true;
}

// The key of an item as any reader may take it: no blanks, braces or control characters, lower case.
std::string LooseKey(std::string_view key) {
  std::string out;
  for (const char c : key) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || c == '{' || c == '}' || byte == 0x7F) continue;
    out.push_back(static_cast<char>(std::tolower(byte)));
  }
  return out;
}

// A value quoted in a message: at most 80 characters, control characters as "?".
std::string Shown(std::string_view value) {
  std::string out(Trim(value.substr(0, 80)));
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return out;
}

// The widest value a reader may take for the item whose "=" is at eq: a braced value runs to
// its closing brace, past any ";", a plain one to the next ";".
std::string_view WidestValue(std::string_view text, std::size_t eq) {
  std::size_t start = eq + 1;
  while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
  std::size_t end = start;
  if (start < text.size() && text[start] == '{') {
    for (end = start + 1; end < text.size(); ++end) {
      if (text[end] != '}') continue;
      if (end + 1 < text.size() && text[end + 1] == '}') {
        ++end;
        continue;
      }
      ++end;
      break;
    }
  } else {
    while (end < text.size() && text[end] != ';') ++end;
  }
  return text.substr(start, end - start);
}

std::string RefusedItem(std::string_view key, std::string_view value) {
  const std::string loose = LooseKey(key);
  const bool path = value.find_first_of("/\\") != std::string_view::npos;
  if (loose == "driver" && path)
    return "the driver \"" + Shown(value) + "\" is a path, not a driver name from the ODBC configuration";
  if (loose == "dsn" && path)
    return "the data source \"" + Shown(value) + "\" is a path, not a data source name from the ODBC configuration";
  for (std::string_view file : {"filedsn", "savefile"})
    if (loose == file) return Shown(key) + " names a file for the driver manager to read or write";
  for (std::string_view attributes : {"dmenvattr", "dmconnattr", "dmstmtattr"})
    if (loose == attributes) return Shown(key) + " sets attributes of the driver manager";
  for (std::string_view loads : {"loadext", "tracefile", "dumpfile"})
    if (loose == loads) return Shown(key) + " makes the driver load a library or write a file";
  return {};
}

TranslatedConnection Refuse(std::string message) {
  TranslatedConnection out;
  out.message = std::move(message);
  return out;
}

TranslatedConnection AccessFile(const std::string& file, std::string_view user, std::string_view password) {
  if (Trim(file).empty()) return Refuse("No Access database file is named in the connection string.");
  const std::string path = ResolvePath(Trim(file));
  std::vector<ConnectionItem> items;
  TranslatedConnection out;
  switch (DetectAccessFile(path)) {
    case AccessFileKind::Missing: return Refuse("Could not find file '" + std::string(Trim(file)) + "'.");
    case AccessFileKind::Other:
      return Refuse("The file '" + path + "' is neither an SQLite nor an Access (Jet) database.");
    case AccessFileKind::Folder: return Refuse("'" + path + "' is a folder, not a database file.");
    case AccessFileKind::Sqlite:
      items = {{"Driver", "SQLite3"}, {"Database", path}, {"Timeout", "30000"}};
      break;
    case AccessFileKind::Jet:
      items = {{"Driver", "MDBTools"}, {"DBQ", path}};
      out.readOnly = true;
      break;
  }
  if (!user.empty()) items.emplace_back("UID", std::string(user));
  if (!password.empty()) items.emplace_back("PWD", std::string(password));
  out.ok = true;
  out.odbc = Join(items);
  return out;
}

TranslatedConnection SqlServer(const std::vector<ConnectionItem>& in, std::string_view user, std::string_view password) {
  for (std::string_view key : {"Integrated Security", "Trusted_Connection"}) {
    if (auto v = FindConnectionValue(in, key); v && IsTrue(*v))
      return Refuse("Integrated Windows security is not available on this system: give a user name and a password.");
  }
  std::string server;
  for (std::string_view key : {"Data Source", "Server", "Address", "Addr"})
    if (auto v = FindConnectionValue(in, key)) {
      server = std::string(Trim(*v));
      break;
    }
  if (server.empty()) return Refuse("No server is named in the connection string.");
  if (StartsWith(Lower(server), "tcp:")) server.erase(0, 4);
  std::string port;
  if (auto comma = server.find(','); comma != std::string::npos) {
    port = std::string(Trim(std::string_view(server).substr(comma + 1)));
    server = std::string(Trim(std::string_view(server).substr(0, comma)));
  }
  std::vector<ConnectionItem> items{{"Driver", SqlServerOdbcDriver()}, {"Server", server}};
  if (!port.empty()) items.emplace_back("Port", port);
  if (auto explicitPort = FindConnectionValue(in, "Port"); explicitPort && port.empty())
    items.emplace_back("Port", *explicitPort);
  for (std::string_view key : {"Initial Catalog", "Database"})
    if (auto v = FindConnectionValue(in, key)) {
      items.emplace_back("Database", *v);
      break;
    }
  std::string uid;
  std::string pwd;
  for (std::string_view key : {"UID", "User ID", "User"})
    if (auto v = FindConnectionValue(in, key)) {
      uid = *v;
      break;
    }
  for (std::string_view key : {"PWD", "Password"})
    if (auto v = FindConnectionValue(in, key)) {
      pwd = *v;
      break;
    }
  if (!user.empty()) uid = std::string(user);
  if (!password.empty()) pwd = std::string(password);
  items.emplace_back("UID", uid);
  items.emplace_back("PWD", pwd);
  TranslatedConnection out;
  out.ok = true;
  out.odbc = Join(items);
  return out;
}

bool IsSqlServerProvider(const std::string& provider) {
  return StartsWith(provider, "sqloledb") || StartsWith(provider, "sqlncli") || StartsWith(provider, "msoledbsql") ||
         StartsWith(provider, "sqlsrv");
}

bool IsSqlServerDriver(const std::string& driver) {
  return driver == "sql server" || StartsWith(driver, "sql server native client") ||
         (StartsWith(driver, "odbc driver") && driver.find("for sql server") != std::string::npos) ||
         StartsWith(driver, "sql native client");
}

}  // namespace

std::vector<ConnectionItem> ParseConnectionString(std::string_view text) {
  std::vector<ConnectionItem> items;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t keyEnd = i;
    while (keyEnd < text.size() && text[keyEnd] != '=' && text[keyEnd] != ';') ++keyEnd;
    std::string key(Trim(text.substr(i, keyEnd - i)));
    std::string value;
    i = keyEnd;
    if (i < text.size() && text[i] == '=') {
      ++i;
      std::size_t start = i;
      while (start < text.size() && text[start] == ' ') ++start;
      if (start < text.size() && text[start] == '{') {
        // A braced value ends at a "}" that is not doubled.
        std::size_t j = start + 1;
        while (j < text.size()) {
          if (text[j] == '}') {
            if (j + 1 < text.size() && text[j + 1] == '}') {
              value.push_back('}');
              j += 2;
              continue;
            }
            break;
          }
          value.push_back(text[j++]);
        }
        i = j < text.size() ? j + 1 : j;
        while (i < text.size() && text[i] != ';') ++i;
      } else {
        std::size_t end = text.find(';', i);
        if (end == std::string_view::npos) end = text.size();
        value = std::string(Trim(text.substr(i, end - i)));
        i = end;
      }
    }
    if (i < text.size() && text[i] == ';') ++i;
    if (!key.empty() || !value.empty()) items.emplace_back(std::move(key), std::move(value));
  }
  return items;
}

std::optional<std::string> FindConnectionValue(const std::vector<ConnectionItem>& items, std::string_view key) {
  const std::string wanted = Lower(Trim(key));
  for (const auto& [k, v] : items)
    if (Lower(Trim(k)) == wanted) return v;
  return std::nullopt;
}

std::string ConnectionPair(std::string_view key, std::string_view value) {
  // The parser trims every kind of white space around a value that is not in braces.
  const bool braces = value.find_first_of(";{}=") != std::string_view::npos ||
                      (!value.empty() && (std::isspace(static_cast<unsigned char>(value.front())) ||
                                          std::isspace(static_cast<unsigned char>(value.back()))));
  std::string out(key);
  out += "=";
  if (!braces) {
    out += value;
    return out;
  }
  out += "{";
  for (char c : value) {
    out.push_back(c);
    if (c == '}') out.push_back('}');
  }
  out += "}";
  return out;
}

std::vector<std::string> FindConnectionSecrets(std::string_view text) {
  std::vector<std::string> secrets;
  SecretSpan span;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (!SecretAt(text, at, span)) continue;
    std::string_view value = text.substr(span.begin, span.end - span.begin);
    if (!value.empty() && (value.front() == '{' || value.front() == '\'' || value.front() == '"') && value.size() >= 2 &&
        value.back() == (value.front() == '{' ? '}' : value.front()))
      value = value.substr(1, value.size() - 2);
    value = Trim(value);
    if (!value.empty() && value != "********") secrets.emplace_back(value);
    at = span.end > at ? span.end - 1 : at;
  }
  return secrets;
}

std::string MaskConnectionSecrets(std::string_view text, const std::vector<std::string>& knownSecrets) {
  constexpr std::string_view kMask = "********";
  std::string out;
  out.reserve(text.size());
  std::vector<bool> placed;  // per character of out: part of a mask put in for a secret item
  SecretSpan span;
  for (std::size_t at = 0; at < text.size();) {
    if (SecretAt(text, at, span)) {
      out.append(text.substr(at, span.begin - at));
      placed.resize(out.size(), false);
      if (span.end > span.begin) out.append(kMask);
      placed.resize(out.size(), true);
      at = span.end;
      continue;
    }
    out.push_back(text[at]);
    placed.push_back(false);
    ++at;
  }
  // A driver may echo the bare value elsewhere in its message. Echoes are
  // masked in one pass, the longest secret first, never inside a mask put in
  // before: a secret of stars would otherwise grow every mask again.
  std::vector<std::string> secrets = FindConnectionSecrets(text);
  secrets.insert(secrets.end(), knownSecrets.begin(), knownSecrets.end());
  std::sort(secrets.begin(), secrets.end(), [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() > b.size() : a < b;
  });
  secrets.erase(std::unique(secrets.begin(), secrets.end()), secrets.end());
  if (!secrets.empty() && secrets.back().empty()) secrets.pop_back();
  std::string masked;
  masked.reserve(out.size());
  for (std::size_t at = 0; at < out.size();) {
    const auto echo = std::find_if(secrets.begin(), secrets.end(), [&](const std::string& secret) {
      if (out.compare(at, secret.size(), secret) != 0) return false;
      const auto first = placed.begin() + static_cast<std::ptrdiff_t>(at);
      const auto last = first + static_cast<std::ptrdiff_t>(secret.size());
      return std::find(first, last, true) == last;
    });
    if (echo != secrets.end()) {
      masked.append(kMask);
      at += echo->size();
    } else {
      masked.push_back(out[at++]);
    }
  }
  return masked;
}

std::string FindRefusedConnectionItem(std::string_view text) {
  // Some readers start the next item right after a closing brace, without a ";".
  constexpr std::string_view kItemEnds = ";{}";
  for (std::size_t start = 0; start < text.size(); ++start) {
    if (start > 0 && kItemEnds.find(text[start - 1]) == std::string_view::npos) continue;
    const std::size_t eq = text.find_first_of("=;", start);
    if (eq == std::string_view::npos || text[eq] != '=') continue;
    std::string refused = RefusedItem(text.substr(start, eq - start), WidestValue(text, eq));
    if (!refused.empty()) return refused;
  }
  return {};
}

std::string SqlServerOdbcDriver() {
  const char* configured = std::getenv("OSTREL_SQLSERVER_ODBC_DRIVER");
  return configured != nullptr && *configured != '\0' ? configured : "FreeTDS";
}

AccessFileKind DetectAccessFile(const std::string& path) {
  // A folder opens and then reads nothing: it would pass for an empty file.
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return AccessFileKind::Folder;
  std::ifstream file(path, std::ios::binary);
  if (!file) return AccessFileKind::Missing;
  char header[32] = {};
  file.read(header, sizeof header);
  const std::streamsize got = file.gcount();
  if (got == 0) return AccessFileKind::Sqlite;  // an empty file becomes a new SQLite database
  if (got >= 16 && std::memcmp(header, "SQLite format 3\0", 16) == 0) return AccessFileKind::Sqlite;
  if (got >= 19 && (std::memcmp(header + 4, "Standard Jet DB", 15) == 0 ||
                    std::memcmp(header + 4, "Standard ACE DB", 15) == 0))
    return AccessFileKind::Jet;
  return AccessFileKind::Other;
}

TranslatedConnection TranslateConnectionString(std::string_view text, std::string_view user, std::string_view password) {
  if (std::string refused = FindRefusedConnectionItem(text); !refused.empty())
    return Refuse("The connection string is refused: " + refused + ".");
  std::vector<ConnectionItem> items = ParseConnectionString(text);
  if (auto provider = FindConnectionValue(items, "Provider")) {
    const std::string p = Lower(Trim(*provider));
    if (StartsWith(p, "microsoft.jet.oledb") || StartsWith(p, "microsoft.ace.oledb"))
      return AccessFile(FindConnectionValue(items, "Data Source").value_or(""), user, password);
    if (IsSqlServerProvider(p)) return SqlServer(items, user, password);
    if (StartsWith(p, "oraoledb") || StartsWith(p, "msdaora"))
      return Refuse("Oracle databases cannot be reached on this system: no Oracle driver is available.");
    if (StartsWith(p, "msdasql")) {
      EraseKeys(items, {"Provider"});
      if (auto ext = FindConnectionValue(items, "Extended Properties")) {
        std::vector<ConnectionItem> inner = ParseConnectionString(*ext);
        EraseKeys(items, {"Extended Properties"});
        items.insert(items.begin(), inner.begin(), inner.end());
      }
      return TranslateConnectionString(Join(items), user, password);
    }
    return Refuse("The OLE DB provider '" + std::string(Trim(*provider)) + "' is not available on this system.");
  }
  if (auto driver = FindConnectionValue(items, "Driver")) {
    const std::string d = Lower(Trim(*driver));
    if (d.find("microsoft access driver") != std::string::npos)
      return AccessFile(FindConnectionValue(items, "DBQ").value_or(""), user, password);
    if (IsSqlServerDriver(d)) return SqlServer(items, user, password);
  }
  if (items.empty()) return Refuse("The connection string is empty.");
  TranslatedConnection out;
  out.ok = true;
  if (user.empty() && password.empty()) {
    out.odbc = std::string(text);
    return out;
  }
  if (!user.empty()) EraseKeys(items, {"UID", "User ID"});
  if (!password.empty()) EraseKeys(items, {"PWD", "Password"});
  if (!user.empty()) items.emplace_back("UID", std::string(user));
  if (!password.empty()) items.emplace_back("PWD", std::string(password));
  out.odbc = Join(items);
  return out;
}

}  // namespace plat
