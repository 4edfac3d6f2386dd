#pragma once
// Look-ups the unit-operation builders share.

#include <string>
#include <vector>

// true and the index of the first entry equal to name (case-sensitive), or
// false with index set to the list's size.
bool FindStringIndex(const std::vector<std::string>& list, const std::string& name, int& index);
