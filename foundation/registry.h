#pragma once
// Registry readers of the product family. Problems never fail a caller: a
// missing key or value gives the default, a value of another type leaves the
// output as it was.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry.h"

using RegistryRoot = plat::RegRoot;

// Reads a string value into out; true when found. A missing key or value sets
// out to def; a value that is not a string leaves out unchanged. Both give false.
bool ReadRegistryString(std::string& out, std::string_view key, std::string_view value, std::string_view def,
                        RegistryRoot root = RegistryRoot::CurrentUser);

// The same for a DWORD value.
bool ReadRegistryDword(std::uint32_t& out, std::string_view key, std::string_view value, std::uint32_t def,
                       RegistryRoot root = RegistryRoot::CurrentUser);

// "QuorvaneTech".
std::string GetCompanyKeyName();

// Appends "\" + part to key; an empty part (and its backslash) is left out.
void AppendKeyPart(std::string& key, std::string_view part);

// "Software\QuorvaneTech\" + app + "\" + section, leaving out empty parts.
std::string BuildAppKey(std::string_view app, std::string_view section);

// ReadRegistryString under HKEY_CURRENT_USER with the key BuildAppKey(app, section).
bool ReadAppRegistryString(std::string& out, std::string_view app, std::string_view section, std::string_view value,
                           std::string_view def);
