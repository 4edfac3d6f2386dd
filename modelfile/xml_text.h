#pragma once
// Value texts of the model file's element-text sections: booleans are
// "true"/"false" (true only for the exact text), numbers "%g" and "%d".

#include <charconv>
#include <cstdlib>
#include <string>

namespace xml_text {

inline const char* Bool(bool value) { return value ? "true" : "false"; }
inline bool ParseBool(const std::string& text) { return text == "true"; }

// "%g" whatever the process locale is.
inline std::string Double(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
  return std::string(buffer, result.ptr);
}

// atof and atoi: the model-file reader runs under the "C" numeric locale.
inline double ParseDouble(const std::string& text) { return std::atof(text.c_str()); }
inline int ParseInt(const std::string& text) { return std::atoi(text.c_str()); }

}  // namespace xml_text
