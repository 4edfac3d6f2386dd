#include "platform/out_file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace plat {

namespace {

constexpr std::size_t kBufferSize = 8192;

}  // namespace

int OpenRegularFileForWriting(const std::string& path, int flags) {
  // Non-blocking only for the open: a FIFO without a reader then fails at once instead of waiting.
  const int fd = ::open(path.c_str(), flags | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  const int status = ::fcntl(fd, F_GETFL);
  if (status == -1 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

OutFileStream::Buffer::Buffer() : m_storage(kBufferSize) { setp(m_storage.data(), m_storage.data() + m_storage.size()); }

OutFileStream::Buffer::~Buffer() { Close(); }

void OutFileStream::Buffer::Attach(int fd) {
  Close();
  m_fd = fd;
}

bool OutFileStream::Buffer::Close() {
  if (m_fd < 0) return true;
  const bool drained = Drain();
  const bool closed = ::close(m_fd) == 0;
  m_fd = -1;
  return drained && closed;
}

bool OutFileStream::Buffer::WriteAll(const char* data, std::size_t size) {
  if (m_fd < 0) return false;
  while (size > 0) {
    const ssize_t written = ::write(m_fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool OutFileStream::Buffer::Drain() {
  const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
  setp(m_storage.data(), m_storage.data() + m_storage.size());
  return pending == 0 || WriteAll(m_storage.data(), pending);
}

OutFileStream::Buffer::int_type OutFileStream::Buffer::overflow(int_type c) {
  if (!Drain() || m_fd < 0) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize OutFileStream::Buffer::xsputn(const char* text, std::streamsize count) {
  const std::size_t size = static_cast<std::size_t>(count);
  if (size <= static_cast<std::size_t>(epptr() - pptr())) {
    std::memcpy(pptr(), text, size);
    pbump(static_cast<int>(size));
    return count;
  }
  if (!Drain() || !WriteAll(text, size)) return 0;
  return count;
}

int OutFileStream::Buffer::sync() { return Drain() && m_fd >= 0 ? 0 : -1; }

OutFileStream::OutFileStream() : std::ostream(&m_buffer) { setstate(std::ios::badbit); }

OutFileStream::~OutFileStream() { m_buffer.Close(); }

bool OutFileStream::open(const std::string& path, std::ios::openmode mode) {
  int flags = O_WRONLY;
  if (mode & std::ios::app) flags |= O_APPEND;
  else if (mode & std::ios::trunc) flags |= O_TRUNC;
  const int fd = OpenRegularFileForWriting(path, flags);
  if (fd < 0) {
    m_buffer.Attach(-1);
    setstate(std::ios::badbit);
    return false;
  }
  attach(fd);
  return true;
}

void OutFileStream::attach(int fd) {
  m_buffer.Attach(fd);
  clear(fd >= 0 ? std::ios::goodbit : std::ios::badbit);
}

void OutFileStream::close() {
  if (!m_buffer.Close()) setstate(std::ios::badbit);
  setstate(std::ios::badbit);
}

}  // namespace plat
