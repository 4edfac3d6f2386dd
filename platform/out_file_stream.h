#pragma once
// Output files that a planted link cannot redirect: the file is opened
// without following a symbolic link at its last name (O_NOFOLLOW) and only
// when it is a regular file (a planted FIFO or device is refused, never
// waited on), then written through an ostream, so the logs and status files
// in a shared run directory never truncate or grow a file somewhere else.

#include <ios>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace plat {

// Opens path for writing (with flags such as O_RDWR, O_APPEND, O_TRUNC
// added to O_CREAT, O_NOFOLLOW and O_CLOEXEC; mode 0666 less the umask for a
// new file). The descriptor, or -1 with errno set (ELOOP for a symbolic link,
// EINVAL for anything but a regular file).
int OpenRegularFileForWriting(const std::string& path, int flags);

// An ofstream-like stream onto such a file or onto a descriptor it takes
// over. A stream that is not open, or whose write failed, is bad.
class OutFileStream : public std::ostream {
 public:
  OutFileStream();
  ~OutFileStream() override;
  OutFileStream(const OutFileStream&) = delete;
  OutFileStream& operator=(const OutFileStream&) = delete;

  // Opens path with std::ios::trunc or std::ios::app (anything else keeps
  // the contents and writes from the start); false and bad on failure.
  bool open(const std::string& path, std::ios::openmode mode);
  // Takes over fd, which the stream closes.
  void attach(int fd);
  bool is_open() const { return m_buffer.Descriptor() >= 0; }
  // Writes what is buffered and closes the file.
  void close();

 private:
  class Buffer : public std::streambuf {
   public:
    Buffer();
    ~Buffer() override;
    int Descriptor() const { return m_fd; }
    void Attach(int fd);
    // Writes the buffer and closes; false when a write failed.
    bool Close();

   protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

   private:
    bool WriteAll(const char* data, std::size_t size);
    bool Drain();

    int m_fd = -1;
    std::vector<char> m_storage;
  };

  Buffer m_buffer;
};

}  // namespace plat
