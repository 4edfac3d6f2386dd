#pragma once
// The file logger of the database output. The owner sets a directory once and
// a file name per case; every line is appended to directory + file name,
// preceded by the local time ("%c") and three blanks. A symbolic link at the
// file's name is not followed. Failures to open are not reported: the lines
// are lost.

#include <fstream>
#include <string>

#include "platform/out_file_stream.h"

class ILogging {
 public:
  virtual void SetEnabled(bool enabled) = 0;
  // Takes effect at the next opening (after construction or Close).
  virtual void SetFileName(const std::string& fileName) = 0;
  // Stored with one trailing separator.
  virtual void SetDirectory(const std::string& directory) = 0;
  // Writes the text as given: callers end their lines with "\n".
  virtual void Write(const std::string& text) = 0;
  virtual void Close() = 0;

 protected:
  // Owners hold the concrete Logging and pass it on as an ILogging pointer;
  // nobody deletes through the interface.
  ~ILogging() = default;
};

class Logging final : public ILogging {
 public:
  enum OpenState : int { kNotOpened = 0, kOpened = 1, kFailedForGood = -1 };

  // The stream is flushed once more than this many characters were written since the last flush.
  static constexpr int kFlushThreshold = 10240;

  Logging() = default;
  Logging(const Logging&) = delete;
  Logging& operator=(const Logging&) = delete;
  ~Logging();

  void SetEnabled(bool enabled) override { m_bEnabled = enabled; }
  void SetFileName(const std::string& fileName) override { m_fileName = fileName; }
  // Backslashes become "/" and one "/" ends the stored directory.
  void SetDirectory(const std::string& directory) override;
  void Write(const std::string& text) override;
  void Close() override;

  bool IsEnabled() const { return m_bEnabled; }
  int GetOpenState() const { return m_openState; }
  int GetCharsSinceFlush() const { return m_charsSinceFlush; }
  const std::string& GetFileName() const { return m_fileName; }
  const std::string& GetDirectory() const { return m_directory; }

 private:
  bool m_bEnabled = false;
  int m_openState = kNotOpened;
  int m_charsSinceFlush = 0;
  plat::OutFileStream m_stream;
  std::string m_fileName;
  std::string m_directory;
};
