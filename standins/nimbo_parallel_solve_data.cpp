#include "standins/nimbo_parallel_solve_data.h"

#include <cstring>

namespace {

const char kMagic[4] = {'N', 'P', 'S', 'D'};
constexpr std::uint32_t kVersion = 2;

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutU64(std::vector<std::uint8_t>& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t GetU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Reads fields from a message with bounds checks.
class Reader {
 public:
  Reader(const std::uint8_t* p, std::size_t size) : p_(p), size_(size) {}
  bool U32(std::uint32_t& v) {
    if (size_ - pos_ < 4) return false;
    v = GetU32(p_ + pos_);
    pos_ += 4;
    return true;
  }
  bool U64(std::uint64_t& v) {
    std::uint32_t lo, hi;
    if (!U32(lo) || !U32(hi)) return false;
    v = static_cast<std::uint64_t>(hi) << 32 | lo;
    return true;
  }
  bool Bytes(std::string& s, std::uint32_t n) {
    if (size_ - pos_ < n) return false;
    s.assign(reinterpret_cast<const char*>(p_ + pos_), n);
    pos_ += n;
    return true;
  }
  bool AtEnd() const { return pos_ == size_; }

 private:
  const std::uint8_t* p_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace

void CNimboParallelSolveData::SetMessages(int count, const char* const* texts) {
  m_astrMessages.clear();
  for (int i = 0; i < count && texts; ++i) m_astrMessages.emplace_back(texts[i] ? texts[i] : "");
}

int CNimboParallelSolveData::GetObjectAsBYTEArray(std::unique_ptr<std::uint8_t[]>& bytes) const {
  std::vector<std::uint8_t> out(kMagic, kMagic + 4);
  PutU32(out, 0);  // total length, patched below
  PutU32(out, kVersion);
  PutU32(out, static_cast<std::uint32_t>(m_nCaseNumber));
  PutU32(out, static_cast<std::uint32_t>(m_nStatusCode));
  std::uint64_t bits;
  std::memcpy(&bits, &m_dValue, sizeof bits);
  PutU64(out, bits);
  PutU32(out, static_cast<std::uint32_t>(m_nPasses));
  PutU32(out, static_cast<std::uint32_t>(m_nIterations));
  PutU32(out, static_cast<std::uint32_t>(m_astrMessages.size()));
  for (const std::string& text : m_astrMessages) {
    if (text.size() > kMaxSize) return -1;
    PutU32(out, static_cast<std::uint32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
  }
  if (out.size() > kMaxSize) {
    if (m_pLog && m_nLogLevel >= 1) *m_pLog << "Status object too large to serialise\n";
    return -1;
  }
  const auto total = static_cast<std::uint32_t>(out.size());
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<std::uint8_t>(total >> (8 * i));
  bytes = std::make_unique<std::uint8_t[]>(out.size());
  std::memcpy(bytes.get(), out.data(), out.size());
  return static_cast<int>(total);
}

std::int64_t CNimboParallelSolveData::MessageLength(const std::uint8_t* bytes, std::size_t available) {
  const std::size_t check = available < 4 ? available : 4;
  if (std::memcmp(bytes, kMagic, check) != 0) return -1;
  if (available < kHeaderSize) return 0;
  const std::uint32_t total = GetU32(bytes + 4);
  if (total < kHeaderSize || total > kMaxSize) return -1;
  return total;
}

bool CNimboParallelSolveData::SetObjectFromBYTEArray(const std::uint8_t* bytes, int size) {
  if (!bytes || size < static_cast<int>(kHeaderSize)) return false;
  if (MessageLength(bytes, static_cast<std::size_t>(size)) != size) return false;
  Reader r(bytes + kHeaderSize, static_cast<std::size_t>(size) - kHeaderSize);
  std::uint32_t version, caseNumber, status, count;
  std::uint32_t passes = 0, iterations = 0;
  std::uint64_t bits;
  if (!r.U32(version) || (version != 1 && version != kVersion) || !r.U32(caseNumber) || !r.U32(status) ||
      !r.U64(bits))
    return false;
  if (version >= 2 && (!r.U32(passes) || !r.U32(iterations))) return false;
  if (!r.U32(count)) return false;
  std::vector<std::string> texts;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t n;
    std::string text;
    if (!r.U32(n) || !r.Bytes(text, n)) return false;
    texts.push_back(std::move(text));
  }
  if (!r.AtEnd()) return false;
  m_nCaseNumber = static_cast<int>(caseNumber);
  m_nStatusCode = static_cast<int>(status);
  std::memcpy(&m_dValue, &bits, sizeof m_dValue);
  m_nPasses = static_cast<int>(passes);
  m_nIterations = static_cast<int>(iterations);
  m_astrMessages = std::move(texts);
  return true;
}
