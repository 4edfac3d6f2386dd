#include "platform/path_resolver.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <vector>

#include "platform/text_encoding.h"

namespace plat {
namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

struct DirCloser {
  void operator()(DIR* d) const { ::closedir(d); }
};

// The entry of directory whose name matches one of the candidates ignoring case.
bool FindEntryIgnoringCase(const std::string& directory, const std::vector<std::string>& candidates,
                           std::string& found) {
  std::unique_ptr<DIR, DirCloser> dir(::opendir(directory.empty() ? "." : directory.c_str()));
  if (!dir) return false;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    for (const std::string& candidate : candidates) {
      if (EqualsIgnoringCase(name, candidate)) {
        found.assign(name);
        return true;
      }
    }
  }
  return false;
}

bool HasHighBytes(std::string_view text) {
  for (unsigned char c : text) {
    if (c >= 0x80) return true;
  }
  return false;
}

}  // namespace

std::string ToPosixPath(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

bool HasDriveLetter(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

bool ResolveExistingPath(std::string_view path, std::string& resolved) {
  if (HasDriveLetter(path)) {
    resolved.assign(path);
    return Exists(resolved);
  }
  const std::string posix = ToPosixPath(path);
  if (posix.empty()) {
    resolved.clear();
    return false;
  }
  if (Exists(posix)) {
    resolved = posix;
    return true;
  }

  // Walk component by component, keeping every one that exists as written.
  std::string current;
  std::size_t pos = 0;
  if (posix[0] == '/') {
    current = "/";
    pos = 1;
  }
  while (pos <= posix.size()) {
    std::size_t end = posix.find('/', pos);
    if (end == std::string::npos) end = posix.size();
    const std::string component = posix.substr(pos, end - pos);
    pos = end + 1;
    if (component.empty()) continue;  // "a//b"

    const std::string prefix =
        current.empty() ? std::string() : (current.back() == '/' ? current : current + "/");
    std::vector<std::string> candidates{component};
    if (HasHighBytes(component)) candidates.push_back(Cp1252ToUtf8(component));

    bool matched = false;
    for (const std::string& candidate : candidates) {
      if (Exists(prefix + candidate)) {
        current = prefix + candidate;
        matched = true;
        break;
      }
    }
    if (!matched && component != "." && component != "..") {
      std::string entry;
      if (FindEntryIgnoringCase(current.empty() ? "." : current, candidates, entry)) {
        current = prefix + entry;
        matched = true;
      }
    }
    if (!matched) {
      resolved = posix;
      return false;
    }
  }
  resolved = current;
  return true;
}

std::string ResolvePath(std::string_view path) {
  std::string resolved;
  ResolveExistingPath(path, resolved);
  return resolved;
}

}  // namespace plat
