#include "foundation/file_image.h"

#include <fstream>
#include <limits>
#include <stdexcept>

#include "platform/path_resolver.h"

namespace {

// Reads size bytes of the stream into a new block; null on a short read.
std::unique_ptr<char[]> ReadBlock(std::istream& stream, std::int32_t size) {
  auto block = std::make_unique<char[]>(static_cast<std::size_t>(size) + 1);
  if (size > 0 && !stream.read(block.get(), size)) return nullptr;
  if (stream.gcount() != size && size > 0) return nullptr;
  return block;
}

// The bytes from the current position to the end; -1 when unknown or over 2 GB.
std::int64_t MeasureStream(std::istream& stream) {
  const std::istream::pos_type start = stream.tellg();
  if (start == std::istream::pos_type(-1)) return -1;
  if (!stream.seekg(0, std::ios::end)) return -1;
  const std::istream::pos_type end = stream.tellg();
  if (end == std::istream::pos_type(-1) || !stream.seekg(0, std::ios::beg)) return -1;
  const std::int64_t size = static_cast<std::int64_t>(end);
  if (size > std::numeric_limits<std::int32_t>::max()) return -1;
  return size;
}

}  // namespace

bool CFileImage::LoadFile(const std::string& path) {
  Release();
  std::ifstream file(plat::ResolvePath(path), std::ios::binary);
  if (!file) return false;
  const std::int64_t size = MeasureStream(file);
  if (size < 0) return false;
  auto block = ReadBlock(file, static_cast<std::int32_t>(size));
  if (!block) return false;
  m_pData = std::move(block);
  m_nSize = static_cast<std::int32_t>(size);
  m_strFileName = path;
  m_bLoaded = true;
  return true;
}

bool CFileImage::LoadStream(std::istream& stream) {
  Release();
  const std::int64_t size = MeasureStream(stream);
  if (size < 0) return false;
  auto block = ReadBlock(stream, static_cast<std::int32_t>(size));
  if (!block) return false;
  m_pData = std::move(block);
  m_nSize = static_cast<std::int32_t>(size);
  m_bLoaded = true;
  return true;
}

CMemoryBuffer CFileImage::GetView() const {
  if (!m_pData) throw std::runtime_error("File was not initialized!");
  CMemoryBuffer view;
  view.m_nPosition = 0;
  view.m_nSize = m_nSize;
  view.m_pData = m_pData.get();
  return view;
}

void CFileImage::Release() {
  m_pData.reset();
  m_nSize = 0;
  m_bLoaded = false;
}
