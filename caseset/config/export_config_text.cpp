#include "caseset/config/export_config_text.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace {

std::int32_t Saturate(long long value) {
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

// strtoll over the text; false when no digit was read.
bool ParseInt(const std::string& text, std::int32_t& value) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(begin, &end, 10);
  if (end == begin) return false;
  value = Saturate(parsed);
  return true;
}

}  // namespace

std::string ConfigText(const plat::XmlNode& node) { return node.Text(); }

bool ConfigFlag(const plat::XmlNode& node) { return node.Text() != "0"; }

std::int32_t ConfigAtoi(const plat::XmlNode& node) {
  std::int32_t value = 0;
  return ParseInt(node.Text(), value) ? value : 0;
}

void ConfigScanInt(const plat::XmlNode& node, std::int32_t& value) { ParseInt(node.Text(), value); }

void ConfigScanDouble(const plat::XmlNode& node, double& value) {
  // The readers hold the "C" numeric locale.
  const std::string text = node.Text();
  const char* begin = text.c_str();
  char* end = nullptr;
  const double parsed = std::strtod(begin, &end);
  if (end != begin) value = parsed;
}

void ConfigScanChar(const plat::XmlNode& node, char& value) {
  // "%c" takes the first character; white space included, as the DOM text is trimmed.
  const std::string text = node.Text();
  if (!text.empty()) value = text[0];
}
