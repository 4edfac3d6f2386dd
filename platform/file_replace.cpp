#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <vector>

namespace plat {
namespace {

// The process's umask, read without changing it (umask(2) would, for every thread).
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8) & 0777);
  }
  return 022;
}

bool WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

int FileMode(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return -1;
  return static_cast<int>(st.st_mode & 07777);
}

bool WriteReplacementFile(const std::string& target, std::string_view bytes, std::string& temporary, int mode) {
  temporary.clear();
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  mode_t bits = mode != kKeepFileMode ? static_cast<mode_t>(mode) & 07777
                : exists              ? old.st_mode & 07777
                                      : 0666 & ~CurrentUmask();
  std::vector<char> name(target.begin(), target.end());
  for (char c : std::string_view(".tmpXXXXXX")) name.push_back(c);
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  const std::string path(name.data());
  bool ok = true;
  if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
    // Keep the owner and the group where we may; a group we cannot keep gets no access.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0)
      bits &= ~static_cast<mode_t>(0070);
  }
  ok = WriteAll(fd, bytes) && ::fchmod(fd, bits) == 0 && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok) {
    ::unlink(path.c_str());
    return false;
  }
  temporary = path;
  return true;
}

bool CommitReplacementFile(const std::string& temporary, const std::string& target,
                           int (*rename)(const char*, const char*)) {
  if (rename == nullptr) rename = &std::rename;
  if (rename(temporary.c_str(), target.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename itself reaches the disk with the directory.
  const int dir = ::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool ReplaceFileContents(const std::string& target, std::string_view bytes, int mode) {
  std::string temporary;
  return WriteReplacementFile(target, bytes, temporary, mode) && CommitReplacementFile(temporary, target);
}

}  // namespace plat
