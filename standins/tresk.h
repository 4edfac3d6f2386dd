#pragma once
// The shared-resource library's message texts by id. Each folder that reports
// such a message registers its text in plat::StringTable::Shared beside the
// code that reports it.

#include <cstdint>
#include <string>

// The text of the id, or an empty text when the library has none.
std::string LoadTreskString(std::uint32_t id);

// The text of the id, or defaultText when the library has none.
std::string LoadTreskStringWithDefault(std::uint32_t id, const std::string& defaultText);
