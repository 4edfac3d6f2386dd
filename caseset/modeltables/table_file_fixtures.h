#pragma once
// Test helper: writes model table files (index, cache, keyed records) in
// both layouts, as the solver side leaves them, for the readers' tests and
// the fuzz corpus.

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace table_fixtures {

class ByteWriter {
 public:
  std::string m_bytes;
  ByteWriter& Int32(std::int32_t v) { return Raw(&v, 4); }
  ByteWriter& Int16(std::int16_t v) { return Raw(&v, 2); }
  ByteWriter& Float(float v) { return Raw(&v, 4); }
  ByteWriter& Double(double v) { return Raw(&v, 8); }
  ByteWriter& Byte(char v) { return Raw(&v, 1); }
  // text cut or blank-padded to width
  ByteWriter& Fixed(const std::string& text, std::size_t width, char pad = ' ') {
    std::string field = text.substr(0, width);
    field.resize(width, pad);
    m_bytes += field;
    return *this;
  }
  ByteWriter& Zero(const std::string& text) {
    m_bytes += text;
    m_bytes.push_back('\0');
    return *this;
  }
  ByteWriter& Raw(const void* data, std::size_t n) {
    m_bytes.append(static_cast<const char*>(data), n);
    return *this;
  }
  ByteWriter& Pad(std::size_t n) {
    m_bytes.append(n, '\0');
    return *this;
  }
};

struct Table {
  std::string name;
  std::vector<std::string> rows;
  std::vector<std::string> columns;
  std::vector<std::string> texts;  // empty: no text column
  std::vector<double> cells;       // row by row
};

struct Files {
  std::string index;
  std::string cache;
};

inline std::string ZeroBlock(const std::vector<std::string>& texts) {
  ByteWriter w;
  for (const std::string& t : texts) w.Zero(t);
  return w.m_bytes;
}

// Classic "tables.map" and "tables.fil"; names of "ROWS" are 9 bytes wide
// when modelType is 3. directory is appended behind the text flags.
inline Files MakeClassicFiles(const std::vector<Table>& tables, int slots = 500, int modelType = 0,
                              const std::string& directory = std::string()) {
  ByteWriter cache;
  std::vector<std::int32_t> offsets;
  for (const Table& t : tables) {
    offsets.push_back(static_cast<std::int32_t>(cache.m_bytes.size() / 4));
    const std::size_t w = (modelType == 3 && t.name == "ROWS") ? 9 : 8;
    const std::size_t r = t.rows.size(), c = t.columns.size();
    for (const auto& n : t.rows) cache.Fixed(n, w);
    if (w == 9 && r % 4) cache.Pad(4 - r % 4);
    for (const auto& n : t.columns) cache.Fixed(n, w);
    for (const auto& n : t.texts) cache.Fixed(n, 24);
    if (w == 9 && c % 4) cache.Pad(4 - c % 4);
    for (double v : t.cells) cache.Float(static_cast<float>(v));
  }
  ByteWriter index;
  index.Int32(static_cast<std::int32_t>(tables.size()));
  for (int i = 0; i < slots; ++i) index.Fixed(i < static_cast<int>(tables.size()) ? tables[i].name : "", 8);
  index.Pad(8);
  for (int i = 0; i < slots; ++i) index.Int32(i < static_cast<int>(tables.size()) ? offsets[i] : 0);
  for (int i = 0; i < slots; ++i)
    index.Int32(i < static_cast<int>(tables.size()) ? static_cast<std::int32_t>(tables[i].rows.size()) : 0);
  for (int i = 0; i < slots; ++i)
    index.Int32(i < static_cast<int>(tables.size()) ? static_cast<std::int32_t>(tables[i].columns.size()) : 0);
  for (int i = 0; i < slots; ++i) index.Int32(i < static_cast<int>(tables.size()) && !tables[i].texts.empty());
  index.m_bytes += directory;
  return {index.m_bytes, cache.m_bytes};
}

// The matrix directory of a classic "tables.map" (it follows the table
// section): stream and utility codes, per-stream VTW, property bits and
// balance basis, the alternate pairs (alternate, base: the stream pairs, then
// the utility pairs, in one list), the basis and recursion words, the
// submodel names and the bounding column names.
struct MatrixDirectory {
  struct Stream {
    std::string code;
    float vtw = 1.0e30f;
    std::int16_t propertyBits = 0;
    std::int16_t balanceBasis = 0;  // above 0: balanced by volume
  };
  std::vector<Stream> streams;
  std::vector<std::string> utilities;
  std::vector<std::pair<std::string, std::string>> groupPairs;
  std::vector<std::pair<std::string, std::string>> alternateStreams;    // alternate, base
  std::vector<std::pair<std::string, std::string>> alternateUtilities;  // alternate, base
  std::vector<std::string> submodels;
  std::int32_t volumeBasis = 0;
  std::int32_t recursionExpected = 0;
  std::vector<std::string> boundingColumns;
};

inline std::string ClassicDirectory(const MatrixDirectory& d) {
  constexpr int kCrossTableRows = 4000;
  constexpr int kAttribute2Slots = 4000;
  ByteWriter w;
  const auto count = [](std::size_t n) { return static_cast<std::int32_t>(n); };
  w.Int32(0).Int32(count(d.streams.size())).Int32(count(d.utilities.size()));
  for (const auto& s : d.streams) w.Fixed(s.code, 4, '\0');
  for (const auto& u : d.utilities) w.Fixed(u, 4, '\0');
  for (const auto& s : d.streams) w.Int16(s.propertyBits);
  w.Pad(4 * kCrossTableRows * 2);
  std::vector<std::pair<std::string, std::string>> alternates = d.alternateStreams;
  alternates.insert(alternates.end(), d.alternateUtilities.begin(), d.alternateUtilities.end());
  w.Int32(count(d.groupPairs.size())).Int32(count(alternates.size())).Int32(0).Int32(0);
  for (const auto& p : d.groupPairs) w.Fixed(p.first, 4, '\0');
  for (const auto& p : d.groupPairs) w.Fixed(p.second, 4, '\0');
  for (const auto& p : alternates) w.Fixed(p.first, 4, '\0');
  for (const auto& p : alternates) w.Fixed(p.second, 4, '\0');
  for (const auto& s : d.streams) w.Float(s.vtw);
  for (std::size_t i = 0; i < kAttribute2Slots; ++i) w.Int16(i < d.streams.size() ? d.streams[i].balanceBasis : 0);
  w.Int32(d.volumeBasis).Int32(d.recursionExpected).Int32(count(d.submodels.size()));
  for (const auto& s : d.submodels) w.Fixed(s, 8, '\0');
  for (std::size_t i = 0; i < d.submodels.size(); ++i) w.Int16(0);
  w.Int32(count(d.boundingColumns.size()));
  for (const auto& b : d.boundingColumns) w.Fixed(b, 10, '\0');
  w.Pad(3 * 16384);
  return w.m_bytes;
}

// A compact cache record.
inline std::string CompactRecord(const Table& t) {
  ByteWriter w;
  const std::string rows = ZeroBlock(t.rows), columns = ZeroBlock(t.columns);
  w.Int32(static_cast<std::int32_t>(rows.size())).Raw(rows.data(), rows.size());
  w.Int32(static_cast<std::int32_t>(columns.size())).Raw(columns.data(), columns.size());
  if (!t.texts.empty()) {
    const std::string texts = ZeroBlock(t.texts);
    w.Int32(static_cast<std::int32_t>(texts.size())).Raw(texts.data(), texts.size());
  }
  for (double v : t.cells) w.Double(v);
  return w.m_bytes;
}

// A compact table section listing the tables at the given byte offsets.
inline std::string CompactSection(const std::vector<Table>& tables, const std::vector<std::int32_t>& offsets) {
  ByteWriter w;
  std::vector<std::string> names;
  for (const Table& t : tables) names.push_back(t.name);
  const std::string block = ZeroBlock(names);
  w.Int32(static_cast<std::int32_t>(tables.size())).Int32(static_cast<std::int32_t>(block.size()));
  w.Raw(block.data(), block.size());
  for (std::int32_t o : offsets) w.Int32(o);
  for (const Table& t : tables) w.Int32(static_cast<std::int32_t>(t.rows.size()));
  for (const Table& t : tables) w.Int32(static_cast<std::int32_t>(t.columns.size()));
  for (const Table& t : tables) w.Int32(!t.texts.empty());
  return w.m_bytes;
}

// A compact index (section and directory) and its cache.
inline Files MakeCompactFiles(const std::vector<Table>& tables, const std::string& directory = std::string()) {
  std::string cache;
  std::vector<std::int32_t> offsets;
  for (const Table& t : tables) {
    offsets.push_back(static_cast<std::int32_t>(cache.size()));
    cache += CompactRecord(t);
  }
  return {CompactSection(tables, offsets) + directory, cache};
}

inline std::string KeyedRecords(const std::vector<std::pair<std::int32_t, std::string>>& records) {
  ByteWriter w;
  for (const auto& [key, payload] : records)
    w.Int32(key).Int32(static_cast<std::int32_t>(payload.size())).Raw(payload.data(), payload.size());
  return w.m_bytes;
}

}  // namespace table_fixtures
