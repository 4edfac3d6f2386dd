#pragma once
// Replacing a file safely: the new contents go into a new file beside the
// target with a unique name (mkstemp, so nothing planted at a fixed temporary
// name is followed or truncated), get the permission bits of the file they
// replace, reach the disk, and are renamed over the target in one step. A
// failure at any step leaves the target as it was and no temporary file.

#include <string>
#include <string_view>

namespace plat {

// The permission bits of the file being replaced (0666 less the umask for a new file).
inline constexpr int kKeepFileMode = -1;

// Writes bytes into a new file beside target with the permission bits mode
// and syncs it. Where the target's group cannot be kept its group bits are
// dropped, so the new file is never open to more users than the old one. On
// success temporary names the new file.
bool WriteReplacementFile(const std::string& target, std::string_view bytes, std::string& temporary,
                          int mode = kKeepFileMode);

// Renames temporary over target (through rename, a seam for tests) and syncs
// the directory; on failure temporary is removed.
bool CommitReplacementFile(const std::string& temporary, const std::string& target,
                           int (*rename)(const char*, const char*) = nullptr);

// Both steps: true when target holds bytes.
bool ReplaceFileContents(const std::string& target, std::string_view bytes, int mode = kKeepFileMode);

// The permission bits of a file (following a symbolic link), or -1 when it does not exist.
int FileMode(const std::string& path);

}  // namespace plat
