#pragma once
// Names read from stored files were written on Windows: they may use "\" as
// separator and any letter case. Every reader of an input file opens it
// through ResolvePath.

#include <string>
#include <string_view>

namespace plat {

// "\" becomes "/".
std::string ToPosixPath(std::string_view path);

// True when the name starts with a drive letter and a colon ("C:...").
bool HasDriveLetter(std::string_view path);

// Finds an existing file or directory for path: "\" becomes "/", the exact
// name is tried first, then each component that does not exist as written is
// matched ignoring (ASCII) letter case, and a Windows-1252 name also as UTF-8.
// Returns true and the name found; false and the "/" form of path otherwise.
// A name with a drive letter is kept as written.
bool ResolveExistingPath(std::string_view path, std::string& resolved);

// The resolved name when one exists, else the "/" form of path; for callers
// that go on to open the file and report its failure themselves.
std::string ResolvePath(std::string_view path);

}  // namespace plat
