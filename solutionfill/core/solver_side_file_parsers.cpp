#include "solutionfill/core/solver_side_files.h"

#include <algorithm>
#include <cstdio>
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
  // The lists below read up to count elements, each whole, and stop at the
  // end of the bytes: out holds what was there (nothing is sized by count).
  void Fields(std::int32_t count, std::size_t width, std::vector<std::string>& out) {
    out.clear();
    const std::size_t wanted = count > 0 ? static_cast<std::size_t>(count) : 0;
    out.reserve(std::min(wanted, width ? Remaining() / width : 0));
    std::string text;
    for (std::size_t i = 0; i < wanted && Field(width, text); ++i) out.push_back(text);
  }
  template <class T>
  void Reals(std::size_t count, std::vector<T>& out) {
    out.clear();
    out.reserve(std::min(count, Remaining() / sizeof(T)));
    for (std::size_t i = 0; i < count; ++i) {
      T v;
      if constexpr (sizeof(T) == 8) {
        if (!Double(v)) return;
      } else {
        if (!Float(v)) return;
      }
      out.push_back(v);
    }
  }
  void Ints(std::int32_t count, std::vector<std::int32_t>& out) {
    out.clear();
    const std::size_t wanted = count > 0 ? static_cast<std::size_t>(count) : 0;
    out.reserve(std::min(wanted, Remaining() / 4));
    std::int32_t v;
    for (std::size_t i = 0; i < wanted && Int32(v); ++i) out.push_back(v);
  }

 private:
  const std::string& m_bytes;
  std::size_t m_pos = 0;
};

bool Fail(const char* reason, std::string& error) {
  error = reason;
  return false;
}

// The solver side writes its names and codes in ASCII: another byte in one means a damaged file.
template <class... Lists>
bool AllPrintable(const Lists&... lists) {
  const auto printable = [](const std::vector<std::string>& list) {
    return std::all_of(list.begin(), list.end(), [](const std::string& name) { return IsPrintableAscii(name); });
  };
  return (printable(lists) && ...);
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

// The lists of a file are read one after the other, each element whole or
// not at all: a list that the file's end cuts keeps the elements before it,
// and the lists after it stay empty. The counts of the record are then what
// it holds, so every list agrees with them.

bool ParseRecursionFile(const std::string& bytes, bool doublePrecision, CRecursionRecord& record, std::string& error,
                        std::string* missing) {
  ClearRecursionData(record);
  if (missing) missing->clear();
  CByteCursor in(bytes);
  std::array<std::int32_t, 8> header{};
  for (std::int32_t& word : header)
    if (!in.Int32(word)) return Fail("the header is incomplete", error);
  if (header[5] < 0 || header[6] < 0) return Fail("a negative count", error);
  const std::int32_t names = header[5];
  const std::int32_t periods = header[6];
  const std::int32_t passes = header[7] > 0 ? header[7] : 0;
  const std::size_t valueSize = doublePrecision ? 8 : 4;

  record.m_anHeader = header;
  record.m_bDoublePrecision = doublePrecision;
  // Names: the pairs of which both names are there.
  in.Fields(names, kRecursionNameWidth, record.m_astrPrimaryNames);
  in.Fields(names, kRecursionNameWidth, record.m_astrSecondaryNames);
  const std::size_t namesRead = std::min(record.m_astrPrimaryNames.size(), record.m_astrSecondaryNames.size());
  record.m_astrPrimaryNames.resize(namesRead);
  record.m_astrSecondaryNames.resize(namesRead);
  bool whole = namesRead == static_cast<std::size_t>(names);
  // Passes: those of which all five entries are there.
  std::size_t passesRead = 0;
  if (whole && passes > 0) {
    if (doublePrecision)
      in.Reals(static_cast<std::size_t>(passes), record.m_adPassObjectives);
    else
      in.Reals(static_cast<std::size_t>(passes), record.m_afPassObjectives);
    in.Fields(passes, 1, record.m_astrPassStatusCodes);
    in.Ints(passes, record.m_anPassLPIterations);
    in.Ints(passes, record.m_anPassPropOutofTolerance);
    in.Ints(passes, record.m_anPassDistrOutofTolerance);
    passesRead = std::min({doublePrecision ? record.m_adPassObjectives.size() : record.m_afPassObjectives.size(),
                           record.m_astrPassStatusCodes.size(), record.m_anPassLPIterations.size(),
                           record.m_anPassPropOutofTolerance.size(), record.m_anPassDistrOutofTolerance.size()});
    (doublePrecision ? record.m_adPassObjectives.resize(passesRead) : record.m_afPassObjectives.resize(passesRead));
    record.m_astrPassStatusCodes.resize(passesRead);
    record.m_anPassLPIterations.resize(passesRead);
    record.m_anPassPropOutofTolerance.resize(passesRead);
    record.m_anPassDistrOutofTolerance.resize(passesRead);
    whole = passesRead == static_cast<std::size_t>(passes);
  }
  // Period codes and values: the periods whose code and values are all there (values lie period by period).
  std::size_t periodsRead = 0;
  if (whole) {
    in.Fields(periods, 1, record.m_astrPeriodCodes);
    periodsRead = record.m_astrPeriodCodes.size();
    if (names > 0 && periodsRead < static_cast<std::size_t>(periods)) {
      periodsRead = 0;
    } else if (names > 0) {
      const std::size_t available = in.Remaining() / valueSize / static_cast<std::size_t>(names);
      periodsRead = std::min(periodsRead, available);
      const std::size_t values = periodsRead * static_cast<std::size_t>(names);
      if (doublePrecision)
        in.Reals(values, record.m_adValues);
      else
        in.Reals(values, record.m_afValues);
    }
    // Codes cut short leave no values to read; values cut short drop the incomplete period.
    record.m_astrPeriodCodes.resize(periodsRead);
  }
  record.m_anHeader[5] = static_cast<std::int32_t>(namesRead);
  record.m_anHeader[6] = static_cast<std::int32_t>(periodsRead);
  record.m_anHeader[7] = header[7] > 0 ? static_cast<std::int32_t>(passesRead) : header[7];
  const bool complete = namesRead == static_cast<std::size_t>(names) &&
                        passesRead == static_cast<std::size_t>(passes) &&
                        periodsRead == static_cast<std::size_t>(periods);
  if (!complete && missing) {
    char text[160];
    std::snprintf(text, sizeof text, "names %zu of %d, passes %zu of %d, periods with values %zu of %d",
                  namesRead, names, passesRead, passes, periodsRead, periods);
    *missing = text;
  }
  if (!AllPrintable(record.m_astrPrimaryNames, record.m_astrSecondaryNames, record.m_astrPeriodCodes)) {
    ClearRecursionData(record);
    return Fail("a name holds bytes that are no characters", error);
  }
  return true;
}

bool ParsePvtwFile(const std::string& bytes, bool doublePrecision, CPvtwRecord& record, std::string& error,
                   std::string* missing) {
  ClearPvtwData(record);
  if (missing) missing->clear();
  CByteCursor in(bytes);
  std::int32_t periods = 0;
  std::int32_t streams = 0;
  if (!in.Int32(periods) || !in.Int32(streams)) return Fail("the header is incomplete", error);
  if (periods < 0 || streams < 0) return Fail("a negative count", error);
  record.m_bDoublePrecision = doublePrecision;
  in.Fields(periods, 1, record.m_astrPeriodCodes);
  const std::size_t periodsRead = record.m_astrPeriodCodes.size();
  std::size_t streamsRead = 0;
  if (periodsRead == static_cast<std::size_t>(periods)) {
    in.Fields(streams, kPvtwNameWidth, record.m_astrStreamNames);
    streamsRead = record.m_astrStreamNames.size();
    // Values lie stream by stream: the streams whose values are all there.
    if (periods > 0) {
      const std::size_t available = in.Remaining() / (doublePrecision ? 8 : 4) / static_cast<std::size_t>(periods);
      streamsRead = std::min(streamsRead, available);
      const std::size_t values = streamsRead * static_cast<std::size_t>(periods);
      if (doublePrecision)
        in.Reals(values, record.m_adValues);
      else
        in.Reals(values, record.m_afValues);
    }
    record.m_astrStreamNames.resize(streamsRead);
  }
  record.m_nPeriodCodeCount = static_cast<std::int32_t>(periodsRead);
  record.m_nStreamCount = static_cast<std::int32_t>(streamsRead);
  if ((periodsRead != static_cast<std::size_t>(periods) || streamsRead != static_cast<std::size_t>(streams)) &&
      missing) {
    char text[160];
    std::snprintf(text, sizeof text, "period codes %zu of %d, streams with values %zu of %d", periodsRead, periods,
                  streamsRead, streams);
    *missing = text;
  }
  if (!AllPrintable(record.m_astrPeriodCodes, record.m_astrStreamNames)) {
    ClearPvtwData(record);
    return Fail("a name holds bytes that are no characters", error);
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

