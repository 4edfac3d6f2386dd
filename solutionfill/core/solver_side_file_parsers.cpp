#include "solutionfill/core/solver_side_files.h"

#include <cstring>

#include "foundation/string_utils.h"

namespace {

constexpr std::size_t kRecursionNameWidth = 12;
constexpr std::size_t kPvtwNameWidth = 4;
constexpr std::size_t kTvpropPartWidth = 8;
constexpr std::size_t kTvpropRecordSize = 2 * kTvpropPartWidth + 4;

// Little-endian reads from a byte string; a read past the end fails and
// leaves the cursor failed.
class CByteCursor {
 public:
  explicit CByteCursor(const std::string& bytes) : m_bytes(bytes) {}

  std::size_t Remaining() const { return m_bytes.size() - m_pos; }
  bool Int32(std::int32_t& value) {
    if (Remaining() < 4) return false;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(m_bytes[m_pos + i]);
    value = static_cast<std::int32_t>(v);
    m_pos += 4;
    return true;
  }
  bool Float(float& value) {
    std::int32_t bits;
    if (!Int32(bits)) return false;
    std::memcpy(&value, &bits, sizeof value);
    return true;
  }
  bool Double(double& value) {
    if (Remaining() < 8) return false;
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(m_bytes[m_pos + i]);
    std::memcpy(&value, &bits, sizeof value);
    m_pos += 8;
    return true;
  }
  // The field up to its first NUL, at most width characters, nothing trimmed.
  bool Field(std::size_t width, std::string& text) {
    if (Remaining() < width) return false;
    const char* p = m_bytes.data() + m_pos;
    const void* nul = std::memchr(p, '\0', width);
    text.assign(p, nul ? static_cast<const char*>(nul) - p : width);
    m_pos += width;
    return true;
  }
  bool Fields(std::int32_t count, std::size_t width, std::vector<std::string>& out) {
    out.resize(static_cast<std::size_t>(count));
    for (std::string& text : out)
      if (!Field(width, text)) return false;
    return true;
  }
  template <class T>
  bool Reals(std::size_t count, std::vector<T>& out) {
    out.resize(count);
    for (T& v : out) {
      if constexpr (sizeof(T) == 8) {
        if (!Double(v)) return false;
      } else {
        if (!Float(v)) return false;
      }
    }
    return true;
  }
  bool Ints(std::int32_t count, std::vector<std::int32_t>& out) {
    out.resize(static_cast<std::size_t>(count));
    for (std::int32_t& v : out)
      if (!Int32(v)) return false;
    return true;
  }

 private:
  const std::string& m_bytes;
  std::size_t m_pos = 0;
};

// a * b * size bytes fit into remaining (all counts not negative), without overflow.
bool ProductFits(std::uint64_t a, std::uint64_t b, std::uint64_t size, std::uint64_t remaining) {
  if (a == 0 || b == 0) return true;
  return a <= remaining / size / b;
}

bool Fail(const char* reason, std::string& error) {
  error = reason;
  return false;
}

}  // namespace

double CRecursionRecord::Value(std::int32_t name, std::int32_t periodCode) const {
  if (name < 0 || periodCode < 0 || name >= NameCount() || periodCode >= PeriodCodeCount()) return 1e30;
  const std::size_t at = static_cast<std::size_t>(periodCode) * static_cast<std::size_t>(NameCount()) +
                         static_cast<std::size_t>(name);
  if (m_bDoublePrecision) return at < m_adValues.size() ? m_adValues[at] : 1e30;
  return at < m_afValues.size() ? m_afValues[at] : 1e30;
}

double CRecursionRecord::PassObjective(std::int32_t pass) const {
  if (pass < 0) return 1e30;
  const auto at = static_cast<std::size_t>(pass);
  if (m_bDoublePrecision) return at < m_adPassObjectives.size() ? m_adPassObjectives[at] : 1e30;
  return at < m_afPassObjectives.size() ? m_afPassObjectives[at] : 1e30;
}

double CPvtwRecord::Value(std::int32_t stream, std::int32_t periodCode) const {
  if (stream < 0 || periodCode < 0 || stream >= m_nStreamCount || periodCode >= m_nPeriodCodeCount) return 1e30;
  const std::size_t at = static_cast<std::size_t>(stream) * static_cast<std::size_t>(m_nPeriodCodeCount) +
                         static_cast<std::size_t>(periodCode);
  if (m_bDoublePrecision) return at < m_adValues.size() ? m_adValues[at] : 1e30;
  return at < m_afValues.size() ? m_afValues[at] : 1e30;
}

void ClearRecursionData(CRecursionRecord& record) { record = CRecursionRecord(); }
void ClearPvtwData(CPvtwRecord& record) { record = CPvtwRecord(); }

bool ParseRecursionFile(const std::string& bytes, bool doublePrecision, CRecursionRecord& record, std::string& error) {
  ClearRecursionData(record);
  CByteCursor in(bytes);
  std::array<std::int32_t, 8> header{};
  for (std::int32_t& word : header)
    if (!in.Int32(word)) return Fail("the header is incomplete", error);
  const std::int64_t names = header[5];
  const std::int64_t periods = header[6];
  const std::int64_t passes = header[7] > 0 ? header[7] : 0;
  if (names < 0 || periods < 0) return Fail("a negative count", error);
  const std::int64_t valueSize = doublePrecision ? 8 : 4;
  // The lists before the values stay far inside 64 bits (every count is below 2^31).
  const std::int64_t lists = names * 2 * static_cast<std::int64_t>(kRecursionNameWidth) +
                             passes * (valueSize + 1 + 3 * 4) + periods;
  const auto remaining = static_cast<std::int64_t>(in.Remaining());
  if (lists > remaining || !ProductFits(names, periods, valueSize, remaining - lists))
    return Fail("the file is shorter than its counts", error);

  record.m_anHeader = header;
  record.m_bDoublePrecision = doublePrecision;
  bool read = in.Fields(header[5], kRecursionNameWidth, record.m_astrPrimaryNames) &&
              in.Fields(header[5], kRecursionNameWidth, record.m_astrSecondaryNames);
  if (read && passes > 0) {
    read = (doublePrecision ? in.Reals(static_cast<std::size_t>(passes), record.m_adPassObjectives)
                            : in.Reals(static_cast<std::size_t>(passes), record.m_afPassObjectives)) &&
           in.Fields(header[7], 1, record.m_astrPassStatusCodes) && in.Ints(header[7], record.m_anPassLPIterations) &&
           in.Ints(header[7], record.m_anPassPropOutofTolerance) && in.Ints(header[7], record.m_anPassDistrOutofTolerance);
  }
  const auto values = static_cast<std::size_t>(names * periods);
  read = read && in.Fields(header[6], 1, record.m_astrPeriodCodes) &&
         (doublePrecision ? in.Reals(values, record.m_adValues) : in.Reals(values, record.m_afValues));
  if (!read) {
    ClearRecursionData(record);
    return Fail("the file is shorter than its counts", error);
  }
  return true;
}

bool ParsePvtwFile(const std::string& bytes, bool doublePrecision, CPvtwRecord& record, std::string& error) {
  ClearPvtwData(record);
  CByteCursor in(bytes);
  std::int32_t periods = 0;
  std::int32_t streams = 0;
  if (!in.Int32(periods) || !in.Int32(streams)) return Fail("the header is incomplete", error);
  if (periods < 0 || streams < 0) return Fail("a negative count", error);
  const std::int64_t lists =
      static_cast<std::int64_t>(periods) + static_cast<std::int64_t>(streams) * static_cast<std::int64_t>(kPvtwNameWidth);
  const auto remaining = static_cast<std::int64_t>(in.Remaining());
  if (lists > remaining ||
      !ProductFits(static_cast<std::uint64_t>(streams), static_cast<std::uint64_t>(periods), doublePrecision ? 8 : 4,
                   static_cast<std::uint64_t>(remaining - lists)))
    return Fail("the file is shorter than its counts", error);
  record.m_nPeriodCodeCount = periods;
  record.m_nStreamCount = streams;
  record.m_bDoublePrecision = doublePrecision;
  const auto values = static_cast<std::size_t>(streams) * static_cast<std::size_t>(periods);
  const bool read = in.Fields(periods, 1, record.m_astrPeriodCodes) &&
                    in.Fields(streams, kPvtwNameWidth, record.m_astrStreamNames) &&
                    (doublePrecision ? in.Reals(values, record.m_adValues) : in.Reals(values, record.m_afValues));
  if (!read) {
    ClearPvtwData(record);
    return Fail("the file is shorter than its counts", error);
  }
  return true;
}

std::int32_t ParseTvpropFile(const std::string& bytes, CDbPrimalArray& entries) {
  std::int32_t count = 0;
  for (std::size_t at = 0; at + kTvpropRecordSize <= bytes.size(); at += kTvpropRecordSize) {
    std::string first, second;
    CStringFromField(bytes.data() + at, kTvpropPartWidth, first);
    CStringFromField(bytes.data() + at + kTvpropPartWidth, kTvpropPartWidth, second);
    float value;
    std::memcpy(&value, bytes.data() + at + 2 * kTvpropPartWidth, sizeof value);
    auto* entry = new CDbPrimal(first + second);
    entry->m_dActivity = value;
    entries.Add(entry);
    ++count;
  }
  return count;
}

