#include "foundation/logging.h"

#include <algorithm>
#include <limits>

#include "platform/ole_date_time.h"

Logging::~Logging() {
  if (m_openState == kOpened) {
    m_stream.flush();
    m_stream.close();
  }
}

void Logging::SetDirectory(const std::string& directory) {
  m_directory = directory;
  std::replace(m_directory.begin(), m_directory.end(), '\\', '/');
  if (m_directory.empty() || m_directory.back() != '/') m_directory += '/';
}

void Logging::Write(const std::string& text) {
  if (!m_bEnabled) return;
  if (m_openState == kNotOpened) {
    if (m_directory.empty() || m_fileName.empty()) return;
    try {
      m_stream.clear();
      m_stream.open(m_directory + m_fileName, std::ios::app);
      m_openState = kOpened;  // also when the open failed: the failed stream drops the lines
    } catch (...) {
      m_openState = kFailedForGood;
    }
  }
  if (m_openState != kOpened) return;

  m_stream << plat::OleDateTime::GetCurrentTime().Format("%c") << "   " << text;
  const std::size_t room = static_cast<std::size_t>(std::numeric_limits<int>::max() - m_charsSinceFlush);
  m_charsSinceFlush += static_cast<int>(std::min(text.size(), room));
  if (m_charsSinceFlush > kFlushThreshold) {
    m_stream.flush();
    m_charsSinceFlush = 0;
  }
}

void Logging::Close() {
  if (m_openState != kOpened) return;
  m_stream.flush();
  m_stream.close();
  m_openState = kNotOpened;
}
