#pragma once
// "ParametricOverrides.dat" of a model: text lines that replace a limit of
// the model tables for one LP row, period, model and (for inventory rows)
// bound. The table is five parallel lists of the solution, filled by
// CDbSolution::ReadParametricOverrides and searched in file order by
// CDbSolution::GetParametricOverride.
//
// A line: the row name in columns 1-7, the value text from column 9 up to
// the first blank after it (at most 15 characters), then the period key one
// character after that blank, the model key three after it and the bound key
// ("MIN"/"MAX") five to seven after it. "*END" in columns 1-4 ends the table.
// A blank line overrides nothing. A line that is no override (a byte that is
// no character, no value that is a number, no period or model key, an
// inventory row without its bound key, longer than the reader takes, or a
// last line without its end) fails the case, naming the file and the line.

#include <cstddef>
#include <string>

// The five fields of one line (a line's newline counts as one of its characters).
struct CParametricOverrideLine {
  std::string m_strRowName;
  std::string m_strValue;
  std::string m_strPeriodKey;
  std::string m_strModelKey;
  std::string m_strBoundKey;
};
CParametricOverrideLine SplitParametricOverrideLine(const std::string& line);

inline constexpr const char* kParametricOverridesFileName = "ParametricOverrides.dat";
// The longest line the file may hold, its line end not counted.
inline constexpr std::size_t kParametricOverrideLineLength = 259;

// Why line (with or without its line end) is no override line; empty for an
// override line and for a blank one.
std::string ParametricOverrideLineDamage(const std::string& line);
