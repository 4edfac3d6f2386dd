#include "results/trancol_file.h"

#include <bit>
#include <cstring>

#include "foundation/string_utils.h"

namespace {

static_assert(std::endian::native == std::endian::little, "the Trancol file is read in its own byte order");

class CByteReader {
 public:
  explicit CByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

  std::size_t Remaining() const { return m_bytes.size() - m_pos; }

  bool Int32(std::int32_t& value) { return Copy(&value, sizeof value); }
  bool Double(double& value) { return Copy(&value, sizeof value); }
  bool Text(std::size_t length, std::string& text) {
    if (length > Remaining()) return false;
    text.assign(reinterpret_cast<const char*>(m_bytes.data() + m_pos), length);
    m_pos += length;
    return true;
  }
  // count doubles, after checking that they are all there.
  bool Doubles(std::uint64_t count, std::vector<double>& values) {
    if (count > Remaining() / sizeof(double)) return false;
    values.resize(static_cast<std::size_t>(count));
    return count == 0 || Copy(values.data(), values.size() * sizeof(double));
  }

 private:
  bool Copy(void* target, std::size_t size) {
    if (size > Remaining()) return false;
    std::memcpy(target, m_bytes.data() + m_pos, size);
    m_pos += size;
    return true;
  }

  std::span<const std::uint8_t> m_bytes;
  std::size_t m_pos = 0;
};

// A count and its names; a negative count is no names.
bool ReadNames(CByteReader& in, std::vector<std::optional<std::string>>& names) {
  std::int32_t count = 0;
  if (!in.Int32(count)) return false;
  if (count <= 0) return true;
  // Every slot takes at least its four-byte length.
  if (static_cast<std::uint64_t>(count) > in.Remaining() / sizeof(std::int32_t)) return false;
  names.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    std::int32_t length = 0;
    if (!in.Int32(length) || length > kTrancolMaxNameLength) return false;
    if (length <= 0) {
      names.emplace_back();
      continue;
    }
    std::string name;
    // The solver writes its names in ASCII: another byte in one means a damaged file.
    if (!in.Text(static_cast<std::size_t>(length), name) || !IsPrintableAscii(name)) return false;
    names.emplace_back(std::move(name));
  }
  return true;
}

}  // namespace

TrancolParse ParseTrancolData(std::span<const std::uint8_t> bytes, CTrancolData& data) {
  CByteReader in(bytes);
  if (!in.Int32(data.m_nStatus)) return TrancolParse::Damaged;
  if (!data.IsUsable()) return TrancolParse::Ok;
  if (!ReadNames(in, data.m_basisNames) || !ReadNames(in, data.m_nonBasisNames)) return TrancolParse::Damaged;
  if (!data.HasData()) return TrancolParse::Ok;
  const std::uint64_t basis = data.m_basisNames.size();
  const std::uint64_t nonBasis = data.m_nonBasisNames.size();
  // Both counts are bounded by the file's size, so their product cannot overflow.
  if (!in.Doubles(basis - 1, data.m_costs) || !in.Doubles(nonBasis, data.m_reducedCosts) ||
      !in.Doubles(basis * nonBasis, data.m_matrix))
    return TrancolParse::Damaged;
  return TrancolParse::Ok;
}
