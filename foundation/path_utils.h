#pragma once
// File tests and operations on path names. "/" is the separator; names from
// stored files may carry "\", which every operation here reads as "/". A name
// that starts with a drive letter and a colon is kept as written.

#include <cstdint>
#include <string>

constexpr char kPathSeparator = '/';

// True when the path exists; with excludeDirectories a directory does not count.
// Stored-file names are resolved first (see plat::ResolvePath).
bool FileExists(const std::string& path, bool excludeDirectories = false);
bool IsDirectory(const std::string& path);

// The size of the first file that matches name (wildcards "*" and "?" allowed
// in the file name part), as a 32-bit value; 0 when nothing matches.
std::uint32_t GetFileSizeByName(const std::string& name);

// True for "PRN", and "LPT" or "COM" followed by one digit, ignoring case.
bool IsDeviceName(const std::string& name);

// directory + "/" (unless it ends with one) + name, then "." + extension when
// an extension is given; a device name alone.
std::string MakeFilePath(const std::string& directory, const std::string& name,
                         const std::string& extension = std::string());

// name joined to directory; each leading "../" (or "..\") takes one component
// off the directory. A name with a drive or a leading separator is returned
// unchanged.
std::string MakeAbsolutePath(const std::string& directory, const std::string& name);

// The target relative to the base directory ("../other/f.txt"); the target
// unchanged when drives or UNC servers differ or the base is empty.
std::string MakeRelativePath(const std::string& baseDirectory, const std::string& target);

// The path with its extension replaced (given with or without its "."); an
// empty extension leaves a trailing ".".
std::string ChangeFileExtension(const std::string& path, const std::string& extension);

// The drive and directory (ending with "/") and the file name with extension.
void SplitDirAndFileName(const std::string& path, std::string& directory, std::string& fileName);
std::string GetDirectoryOfPath(const std::string& path);
// "C:" for a path with a drive letter, else empty.
std::string GetDriveOfPath(const std::string& path);
// For a path that starts with two separators, the server part with them ("//srv").
std::string GetUncServer(const std::string& path);

// "name[qualifier]": the name before the first "[", the qualifier up to the
// first "]"; no "[" gives the whole text and an empty qualifier, no "]" after
// the "[" an empty qualifier.
void SplitQualifiedName(const std::string& text, std::string& name, std::string& qualifier);
