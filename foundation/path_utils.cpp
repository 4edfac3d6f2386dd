#include "foundation/path_utils.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "foundation/path_splitter.h"
#include "foundation/string_utils.h"
#include "platform/path_resolver.h"

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

bool StatPath(const std::string& path, struct stat& st) {
  return ::stat(plat::ResolvePath(path).c_str(), &st) == 0;
}

// The parts of a path as the C runtime splits them: drive ("C:"), directory
// (ending with "/"), file name and extension (with its ".").
struct PathParts {
  std::string drive, dir, fname, ext;
};

PathParts SplitPath(const std::string& rawPath) {
  const std::string path = plat::ToPosixPath(rawPath);
  PathParts parts;
  std::size_t start = 0;
  if (plat::HasDriveLetter(path)) {
    parts.drive = path.substr(0, 2);
    start = 2;
  }
  const std::size_t slash = path.rfind('/');
  std::size_t nameStart = start;
  if (slash != std::string::npos && slash >= start) {
    parts.dir = path.substr(start, slash + 1 - start);
    nameStart = slash + 1;
  }
  const std::string name = path.substr(nameStart);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) {
    parts.fname = name;
  } else {
    parts.fname = name.substr(0, dot);
    parts.ext = name.substr(dot);
  }
  return parts;
}

struct DirCloser {
  void operator()(DIR* d) const { ::closedir(d); }
};

}  // namespace

bool FileExists(const std::string& path, bool excludeDirectories) {
  struct stat st;
  if (!StatPath(path, st)) return false;
  return !(excludeDirectories && S_ISDIR(st.st_mode));
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return StatPath(path, st) && S_ISDIR(st.st_mode);
}

std::uint32_t GetFileSizeByName(const std::string& name) {
  const std::string posix = plat::ToPosixPath(name);
  if (posix.find_first_of("*?") == std::string::npos) {
    struct stat st;
    if (!StatPath(posix, st) || !S_ISREG(st.st_mode)) return 0;
    return static_cast<std::uint32_t>(st.st_size);
  }
  const std::size_t slash = posix.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : posix.substr(0, slash + 1);
  const std::string pattern = Lower(slash == std::string::npos ? posix : posix.substr(slash + 1));
  const std::string resolvedDir = plat::ResolvePath(directory);
  std::unique_ptr<DIR, DirCloser> dir(::opendir(resolvedDir.c_str()));
  if (!dir) return 0;
  // Directory order is arbitrary: take the first match by name, as the listing would.
  std::vector<std::string> matches;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (WildcardMatch(Lower(entry->d_name), pattern)) matches.emplace_back(entry->d_name);
  }
  std::sort(matches.begin(), matches.end());
  for (const std::string& match : matches) {
    struct stat st;
    const std::string full = resolvedDir + (resolvedDir.back() == '/' ? "" : "/") + match;
    if (::stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      return static_cast<std::uint32_t>(st.st_size);
    }
  }
  return 0;
}

bool IsDeviceName(const std::string& name) {
  const std::string lower = Lower(name);
  if (lower == "prn") return true;
  return lower.size() == 4 && (lower.compare(0, 3, "lpt") == 0 || lower.compare(0, 3, "com") == 0) &&
         lower[3] >= '0' && lower[3] <= '9';
}

std::string MakeFilePath(const std::string& directory, const std::string& name,
                         const std::string& extension) {
  if (IsDeviceName(name)) return name;
  std::string path = plat::ToPosixPath(directory);
  if (!path.empty() && path.back() != kPathSeparator) path += kPathSeparator;
  path += plat::ToPosixPath(name);
  if (!extension.empty()) {
    path += '.';
    path += extension;
  }
  return path;
}

std::string MakeAbsolutePath(const std::string& directory, const std::string& name) {
  if (name.size() > 2 && name[1] == ':') return name;
  if (name.size() > 1 && (name[0] == '\\' || name[0] == '/')) return plat::ToPosixPath(name);

  std::string rest = plat::ToPosixPath(name);
  int steps = 0;
  while (rest.compare(0, 3, "../") == 0) {
    rest.erase(0, 3);
    ++steps;
  }
  std::string dir = plat::ToPosixPath(directory);
  if (!dir.empty() && dir.back() == kPathSeparator) dir.pop_back();
  for (int i = 0; i < steps; ++i) {
    const std::size_t slash = dir.rfind(kPathSeparator);
    if (slash == std::string::npos) break;
    dir.erase(slash);
  }
  return dir + kPathSeparator + rest;
}

std::string MakeRelativePath(const std::string& baseDirectory, const std::string& target) {
  if (!EqualsIgnoringCase(GetDriveOfPath(baseDirectory), GetDriveOfPath(target))) return target;
  std::string base = plat::ToPosixPath(baseDirectory);
  if (base.compare(0, 2, "//") == 0 &&
      !EqualsIgnoringCase(GetUncServer(base), GetUncServer(target))) {
    return target;
  }
  if (base.empty()) return target;

  if (base.back() != kPathSeparator) base += kPathSeparator;
  const PathParts targetParts = SplitPath(target);
  const CPathSplitter baseSplit(base, kPathSeparator);
  const CPathSplitter targetSplit(targetParts.drive + targetParts.dir, kPathSeparator);
  // Only UNC names compare servers: every absolute POSIX path begins with "/".
  if (base.compare(0, 2, "//") == 0 && targetParts.dir.compare(0, 2, "//") == 0 &&
      baseSplit.GetCount() > 2 && targetSplit.GetCount() > 2 &&
      !EqualsIgnoringCase(baseSplit.GetPart(2), targetSplit.GetPart(2))) {
    return target;
  }

  const int shorter = std::min(baseSplit.GetCount(), targetSplit.GetCount());
  int first = 1;
  while (first < shorter && EqualsIgnoringCase(baseSplit.GetPart(first), targetSplit.GetPart(first))) {
    ++first;
  }
  std::string relative;
  for (int i = first; i < baseSplit.GetCount(); ++i) relative += "../";
  for (int i = first; i < targetSplit.GetCount(); ++i) {
    relative += targetSplit.GetPart(i);
    relative += kPathSeparator;
  }
  return relative + targetParts.fname + targetParts.ext;
}

std::string ChangeFileExtension(const std::string& path, const std::string& extension) {
  const PathParts parts = SplitPath(path);
  const std::string ext = (!extension.empty() && extension[0] == '.') ? extension.substr(1) : extension;
  return parts.drive + parts.dir + parts.fname + "." + ext;
}

void SplitDirAndFileName(const std::string& path, std::string& directory, std::string& fileName) {
  const PathParts parts = SplitPath(path);
  directory = parts.drive + parts.dir;
  fileName = parts.fname + parts.ext;
}

std::string GetDirectoryOfPath(const std::string& path) {
  const PathParts parts = SplitPath(path);
  return parts.drive + parts.dir;
}

std::string GetDriveOfPath(const std::string& path) {
  return plat::HasDriveLetter(path) ? path.substr(0, 2) : std::string();
}

std::string GetUncServer(const std::string& path) {
  const std::string posix = plat::ToPosixPath(path);
  if (posix.compare(0, 2, "//") != 0) return std::string();
  return posix.substr(0, posix.find(kPathSeparator, 2));
}

void SplitQualifiedName(const std::string& text, std::string& name, std::string& qualifier) {
  const std::size_t open = text.find('[');
  if (open == std::string::npos) {
    name = text;
    qualifier.clear();
    return;
  }
  name = text.substr(0, open);
  const std::size_t close = text.find(']');
  if (close == std::string::npos || close < open) {
    qualifier.clear();
  } else {
    qualifier = text.substr(open + 1, close - open - 1);
  }
}
