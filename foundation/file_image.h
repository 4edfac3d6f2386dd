#pragma once
// A whole file held in memory, with a read cursor over it.

#include <cstdint>
#include <cstring>
#include <istream>
#include <memory>
#include <string>

// A read cursor over bytes it does not own.
struct CMemoryBuffer {
  std::int32_t m_nPosition = 0;
  std::int32_t m_nSize = 0;
  const char* m_pData = nullptr;

  // Copies up to n bytes from the position on and advances by the count
  // copied; at (or past) the end nothing is copied. Returns the count.
  std::int32_t Read(void* destination, std::int32_t n) {
    if (n <= 0 || m_pData == nullptr || m_nPosition < 0 || m_nPosition >= m_nSize) return 0;
    const std::int32_t count = n < m_nSize - m_nPosition ? n : m_nSize - m_nPosition;
    std::memcpy(destination, m_pData + m_nPosition, static_cast<std::size_t>(count));
    m_nPosition += count;
    return count;
  }
  void SetPosition(std::int32_t position) { m_nPosition = position; }
};

class CFileImage {
 public:
  CFileImage() = default;
  CFileImage(const CFileImage&) = delete;
  CFileImage& operator=(const CFileImage&) = delete;
  ~CFileImage() = default;

  // Reads the whole file (a name from a stored file is resolved first). False
  // when it cannot be opened, is larger than 2 GB or is read short; the image
  // is then left empty.
  bool LoadFile(const std::string& path);
  // Reads the stream from its start to its end; the file name is not set.
  // False when the stream cannot be measured or read whole.
  bool LoadStream(std::istream& stream);

  // A cursor over the data; throws std::runtime_error("File was not
  // initialized!") when nothing is loaded.
  CMemoryBuffer GetView() const;

  bool IsLoaded() const { return m_bLoaded; }
  void Release();

  std::int32_t GetSize() const { return m_nSize; }
  const char* GetData() const { return m_pData.get(); }
  const std::string& GetFileName() const { return m_strFileName; }

 private:
  bool m_bLoaded = false;
  std::int32_t m_nSize = 0;
  std::unique_ptr<char[]> m_pData;
  std::string m_strFileName;
};
