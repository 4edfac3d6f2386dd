#pragma once
// How every reader of the export configuration turns element text into
// values: texts as the DOM gives them, flags false only for "0", integers by
// atoi or "%d", reals by "%lf" (the "C" numeric locale), a character by "%c".

#include <cstdint>
#include <string>

#include "platform/xml_dom.h"

// The element's text (its subtree's text, trimmed).
std::string ConfigText(const plat::XmlNode& node);
// False exactly for "0"; any other text, the empty one too, is true.
bool ConfigFlag(const plat::XmlNode& node);
// Leading decimal digits after optional white space and sign; 0 when there
// are none. Values beyond 32 bits saturate.
std::int32_t ConfigAtoi(const plat::XmlNode& node);
// "%d" / "%lf" / "%c": value is set only when the text matches.
void ConfigScanInt(const plat::XmlNode& node, std::int32_t& value);
void ConfigScanDouble(const plat::XmlNode& node, double& value);
void ConfigScanChar(const plat::XmlNode& node, char& value);
