// Build-time generator of the settings block's members from the catalogue
// data file. Writes OUTDIR/settings_catalogue_members.inc (the members of the
// block, in catalogue order, the groups as members of their own classes) and
// OUTDIR/settings_group_NAME.inc for each group. Fails on a malformed line, a
// duplicate name or a count per type that differs from the file's "expect"
// lines, so a damaged catalogue never builds.
//
// usage: settings_catalogue_gen CATALOGUE OUTDIR

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Item {
  std::string name;
  std::string type;
  std::string initialiser;  // C++ expression of the default; empty for the type's neutral value
};

struct Section {
  std::string group;  // empty for the block's own items
  std::vector<Item> items;
};

[[noreturn]] void Fail(const std::string& where, const std::string& message) {
  std::cerr << where << ": error: " << message << "\n";
  std::exit(1);
}

bool IsIdentifier(const std::string& s) {
  if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
  for (char c : s)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  return true;
}

bool ParseDoubleText(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return *end == '\0' && std::isfinite(value);
}

std::string DoubleLiteral(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  std::string text = buffer;
  if (text.find_first_of(".e") == std::string::npos) text += ".0";
  return text;
}

std::string Initialiser(const std::string& where, const std::string& type, const std::string& text) {
  if (type == "i") {
    long long value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || value < -2147483648LL ||
        value > 2147483647LL)
      Fail(where, "integer default expected, got '" + text + "'");
    return value == -2147483648LL ? "INT32_MIN" : std::to_string(value);
  }
  if (type == "d") {
    double value = 0.0;
    const std::size_t slash = text.find('/');
    if (slash != std::string::npos) {
      double numerator = 0.0, denominator = 0.0;
      if (!ParseDoubleText(text.substr(0, slash), numerator) || !ParseDoubleText(text.substr(slash + 1), denominator) ||
          denominator == 0.0)
        Fail(where, "fraction default expected, got '" + text + "'");
      value = numerator / denominator;
    } else if (!ParseDoubleText(text, value)) {
      Fail(where, "number default expected, got '" + text + "'");
    }
    return DoubleLiteral(value);
  }
  if (type == "t") {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"')
      Fail(where, "quoted text default expected, got '" + text + "'");
    const std::string body = text.substr(1, text.size() - 2);
    std::string literal = "\"";
    for (char c : body) {
      if (c == '"' || c == '\\') Fail(where, "quotes and backslashes are not allowed in a text default");
      if (static_cast<unsigned char>(c) < 0x20) Fail(where, "control character in a text default");
      literal += c;
    }
    return literal + "\"";
  }
  // date-time
  if (text == "now") return "plat::OleDateTime::GetCurrentTime()";
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6 ||
      y < 100 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59)
    Fail(where, "date-time default 'now' or 'YYYY-MM-DD HH:MM:SS' expected, got '" + text + "'");
  std::ostringstream out;
  out << "plat::OleDateTime(" << y << ", " << mo << ", " << d << ", " << h << ", " << mi << ", " << s << ")";
  return out.str();
}

const std::map<std::string, std::string> kClassOfType = {
    {"t", "CSettingStr"}, {"i", "CSettingInt"}, {"d", "CSettingDouble"}, {"dt", "CSettingDateTime"}};

void WriteItems(std::ostream& out, const std::vector<Item>& items, const std::string& listExpression) {
  for (const Item& item : items) {
    out << kClassOfType.at(item.type) << " m_" << item.name << "{" << listExpression << ", 0, \"" << item.name
        << "\", 0";
    if (!item.initialiser.empty()) out << ", " << item.initialiser;
    out << "};\n";
  }
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) Fail(path.string(), "cannot write");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: settings_catalogue_gen CATALOGUE OUTDIR\n";
    return 2;
  }
  const std::string catalogue = argv[1];
  std::ifstream in(catalogue);
  if (!in) Fail(catalogue, "cannot open");

  std::vector<Section> sections(1);
  std::map<std::string, long> expected;
  std::map<std::string, long> counted;
  std::set<std::string> names;
  std::set<std::string> groups;
  std::string openGroup;
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    const std::string where = catalogue + ":" + std::to_string(lineNumber);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream fields(line);
    std::string first;
    if (!(fields >> first) || first[0] == '#') continue;
    std::string second;
    fields >> second;
    std::string rest;
    std::getline(fields >> std::ws, rest);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.pop_back();

    if (first == "expect") {
      long count = -1;
      if (!kClassOfType.count(second) || !(std::istringstream(rest) >> count) || count < 0)
        Fail(where, "'expect TYPE COUNT' expected");
      expected[second] = count;
    } else if (first == "group") {
      if (!openGroup.empty()) Fail(where, "groups do not nest");
      if (!IsIdentifier(second) || !rest.empty() || !groups.insert(second).second)
        Fail(where, "'group NAME' with a new identifier expected");
      openGroup = second;
      sections.push_back({second, {}});
    } else if (first == "end") {
      if (openGroup.empty() || !second.empty()) Fail(where, "'end' without a group");
      openGroup.clear();
      sections.push_back({});
    } else {
      if (!IsIdentifier(first)) Fail(where, "setting name expected, got '" + first + "'");
      if (!kClassOfType.count(second)) Fail(where, "type t, i, d or dt expected after " + first);
      if (!names.insert(first).second) Fail(where, "duplicate setting " + first);
      Item item{first, second, rest.empty() ? std::string() : Initialiser(where, second, rest)};
      sections.back().items.push_back(item);
      ++counted[second];
    }
  }
  if (!openGroup.empty()) Fail(catalogue, "group " + openGroup + " has no 'end'");
  for (const auto& [type, cls] : kClassOfType) {
    const auto found = expected.find(type);
    const long count = counted.count(type) ? counted[type] : 0;
    if (found == expected.end()) Fail(catalogue, "no 'expect " + type + "' line");
    if (found->second != count)
      Fail(catalogue, "expected " + std::to_string(found->second) + " settings of type " + type + ", found " +
                          std::to_string(count));
  }

  const std::filesystem::path outDir = argv[2];
  std::error_code error;
  std::filesystem::create_directories(outDir, error);
  const std::string banner = "// Generated from " + std::filesystem::path(catalogue).filename().string() +
                             " by settings_catalogue_gen; do not edit.\n";
  std::ostringstream block;
  block << banner;
  for (const Section& section : sections) {
    if (section.group.empty()) {
      WriteItems(block, section.items, "&m_list");
      continue;
    }
    block << "C" << section.group << " m_" << section.group << "{&m_list};\n";
    std::ostringstream group;
    group << banner;
    WriteItems(group, section.items, "m_pList");
    WriteFile(outDir / ("settings_group_" + section.group + ".inc"), group.str());
  }
  WriteFile(outDir / "settings_catalogue_members.inc", block.str());
  return 0;
}
