#include "caseset/modeltables/matrix_directory.h"

#include <algorithm>

#include "caseset/modeltables/table_files.h"
#include "foundation/string_utils.h"

CNamedValueTable::Entry& CNamedValueTable::Add(const std::string& name) {
  const auto [it, added] = m_index.emplace(name, m_entries.size());
  if (added) m_entries.push_back(Entry{name, 0.0, 0});
  return m_entries[it->second];
}

const CNamedValueTable::Entry* CNamedValueTable::Find(const std::string& name) const {
  const auto it = m_index.find(name);
  return it == m_index.end() ? nullptr : &m_entries[it->second];
}

namespace {

// Reads the directory's fields; a failure leaves the reason in m_strError.
class CDirectoryReader {
 public:
  CDirectoryReader(CTableFileCursor& cursor, CMatrixDirectory& directory) : m_cursor(cursor), m_dir(directory) {}

  bool Count(std::int32_t& count, const char* what) {
    if (!m_cursor.ReadInt32(count)) return Fail(std::string("the data ends before the ") + what + " count");
    if (count < 0) return Fail(std::string("the ") + what + " count is " + std::to_string(count));
    return true;
  }
  bool Value(std::int32_t& value, const char* what) {
    return m_cursor.ReadInt32(value) || Fail(std::string("the data ends before the ") + what);
  }
  // count fixed-width names; rejects a count the data cannot hold before allocating. Codes and names are
  // printable ASCII; the 24-character texts may hold any character.
  bool Names(std::int64_t count, int width, std::vector<std::string>& names, const char* what) {
    if (count * width > m_cursor.Remaining()) return Fail(std::string("the ") + what + " run past the end");
    names.resize(static_cast<std::size_t>(count));
    for (std::string& name : names) m_cursor.ReadFixedText(width, name);
    return width == 24 || Printable(names, what);
  }
  bool Printable(const std::vector<std::string>& names, const char* what) {
    for (const std::string& name : names)
      if (!IsPrintableAscii(name)) return Fail(std::string("the ") + what + " hold bytes that are no characters");
    return true;
  }
  template <class T>
  bool Array(std::int64_t count, std::vector<T>& values, const char* what) {
    if (count * static_cast<std::int64_t>(sizeof(T)) > m_cursor.Remaining())
      return Fail(std::string("the ") + what + " run past the end");
    values.resize(static_cast<std::size_t>(count));
    if (count > 0) m_cursor.ReadBytes(values.data(), count * static_cast<std::int64_t>(sizeof(T)));
    return true;
  }
  bool Fail(std::string reason) {
    m_strError = "damaged matrix directory: " + std::move(reason);
    return false;
  }

  CTableFileCursor& m_cursor;
  CMatrixDirectory& m_dir;
  std::string m_strError;
};

bool ReadPairs(CDirectoryReader& in, std::int32_t count, std::vector<std::pair<std::string, std::string>>& pairs,
               const char* what) {
  std::vector<std::string> first, second;
  if (!in.Names(count, 4, first, what) || !in.Names(count, 4, second, what)) return false;
  pairs.resize(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < pairs.size(); ++i) pairs[i] = {std::move(first[i]), std::move(second[i])};
  return true;
}

bool ReadClassic(CDirectoryReader& in) {
  CMatrixDirectory& d = in.m_dir;
  std::int32_t unused = 0;
  if (!in.Value(unused, "directory") || !in.Count(d.m_nStreams, "stream") || !in.Count(d.m_nUtilities, "utility"))
    return false;
  if (!in.Names(d.m_nStreams, 4, d.m_aStreamCodes, "stream codes") ||
      !in.Names(d.m_nUtilities, 4, d.m_aUtilityCodes, "utility codes") ||
      !in.Array(d.m_nStreams, d.m_aStreamAttribute1, "stream attributes"))
    return false;
  std::vector<std::int16_t> planes;
  if (!in.Array(4 * CMatrixDirectory::kCrossTableRows, planes, "cross table")) return false;
  d.m_aCrossTable.resize(CMatrixDirectory::kCrossTableRows);
  for (int k = 0; k < 4; ++k)
    for (int row = 0; row < CMatrixDirectory::kCrossTableRows; ++row)
      d.m_aCrossTable[static_cast<std::size_t>(row)][static_cast<std::size_t>(k)] =
          planes[static_cast<std::size_t>(k * CMatrixDirectory::kCrossTableRows + row)];
  if (!in.Count(d.m_nGroups, "group") || !in.Count(d.m_nPairListD, "pair list") ||
      !in.Count(d.m_nNameListE, "name list E") || !in.Count(d.m_nNameListF, "name list F"))
    return false;
  if (!ReadPairs(in, d.m_nGroups, d.m_aGroupPairs, "group codes") ||
      !ReadPairs(in, d.m_nPairListD, d.m_aPairListD, "pair list codes") ||
      !in.Names(d.m_nNameListE, 8, d.m_aNameListE, "names of list E") ||
      !in.Names(d.m_nNameListF, 8, d.m_aNameListF, "names of list F") ||
      !in.Array(d.m_nStreams, d.m_aStreamVtw, "stream factors") ||
      !in.Array(CMatrixDirectory::kAttribute2Slots, d.m_aStreamAttribute2, "second stream attributes"))
    return false;
  if (!in.Value(d.m_nHeaderWord1, "header") || !in.Value(d.m_nHeaderWord2, "header") ||
      !in.Count(d.m_nNameListG, "name list G") || !in.Names(d.m_nNameListG, 8, d.m_aNameListG, "names of list G") ||
      !in.Array(d.m_nNameListG, d.m_aNameListGAttributes, "attributes of list G"))
    return false;
  // Older files end here, or after the blocks.
  if (in.m_cursor.AtEnd()) return true;
  if (!in.Count(d.m_nNameListH, "name list H") || !in.Names(d.m_nNameListH, 10, d.m_aNameListH, "names of list H") ||
      !in.Array(CMatrixDirectory::kBlockSize, d.m_aBlock1, "first block") ||
      !in.Array(CMatrixDirectory::kBlockSize, d.m_aBlock2, "second block") ||
      !in.Array(CMatrixDirectory::kBlockSize, d.m_aBlock3, "third block"))
    return false;
  if (in.m_cursor.AtEnd()) return true;
  return in.Count(d.m_nTextListI, "text list I") && in.Names(d.m_nTextListI, 24, d.m_aTextListI, "texts of list I");
}

// count entries of one byte (skipped) and a code or name of width bytes each.
bool ReadMarkedNames(CDirectoryReader& in, std::int32_t count, int width, std::vector<std::string>& names,
                     const char* what) {
  if (static_cast<std::int64_t>(count) * (width + 1) > in.m_cursor.Remaining())
    return in.Fail(std::string("the ") + what + " run past the end");
  names.resize(static_cast<std::size_t>(count));
  for (std::string& name : names) {
    in.m_cursor.Skip(1);
    in.m_cursor.ReadFixedText(width, name);
  }
  return in.Printable(names, what);
}

bool ReadMarkedPairs(CDirectoryReader& in, std::int32_t count, std::vector<std::pair<std::string, std::string>>& pairs,
                     const char* what) {
  if (static_cast<std::int64_t>(count) * 10 > in.m_cursor.Remaining())
    return in.Fail(std::string("the ") + what + " run past the end");
  pairs.resize(static_cast<std::size_t>(count));
  for (auto& pair : pairs) {
    in.m_cursor.Skip(1);
    in.m_cursor.ReadFixedText(4, pair.first);
    in.m_cursor.Skip(1);
    in.m_cursor.ReadFixedText(4, pair.second);
    if (!IsPrintableAscii(pair.first) || !IsPrintableAscii(pair.second))
      return in.Fail(std::string("the ") + what + " hold bytes that are no characters");
  }
  return true;
}

// One text group: m entries of perEntry texts each, in a block of S bytes.
bool ReadTextGroup(CDirectoryReader& in, int perEntry, std::vector<std::string>& texts, std::int32_t& entries) {
  std::int32_t size = 0;
  if (!in.Count(entries, "text group") || !in.Count(size, "text group size")) return false;
  if (!in.m_cursor.ReadTextBlock(size, static_cast<std::int64_t>(entries) * perEntry, texts))
    return in.Fail("a text group holds fewer texts than it lists");
  return true;
}

bool ReadCompact(CDirectoryReader& in, CMatrixDirectoryData& data) {
  CMatrixDirectory& d = in.m_dir;
  if (!in.Value(d.m_nHeaderWord1, "header") || !in.Count(d.m_nStreams, "stream")) return false;
  const std::int64_t streams = d.m_nStreams;
  if (streams * 17 > in.m_cursor.Remaining()) return in.Fail("the streams run past the end");
  d.m_aStreamCodes.resize(static_cast<std::size_t>(streams));
  d.m_aStreamAttribute1.resize(static_cast<std::size_t>(streams));
  d.m_aStreamVtw.resize(static_cast<std::size_t>(streams));
  d.m_aStreamAttribute2.assign(std::max<std::size_t>(CMatrixDirectory::kAttribute2Slots, streams), 0);
  for (std::size_t i = 0; i < static_cast<std::size_t>(streams); ++i) {
    double vtw = 0;
    in.m_cursor.Skip(1);
    in.m_cursor.ReadFixedText(4, d.m_aStreamCodes[i]);
    in.m_cursor.ReadInt16(d.m_aStreamAttribute1[i]);
    in.m_cursor.ReadDouble(vtw);
    d.m_aStreamVtw[i] = NarrowToFloat(vtw);
    in.m_cursor.ReadInt16(d.m_aStreamAttribute2[i]);
  }
  if (!in.Printable(d.m_aStreamCodes, "stream codes")) return false;
  if (!in.Count(d.m_nUtilities, "utility") ||
      !ReadMarkedNames(in, d.m_nUtilities, 4, d.m_aUtilityCodes, "utility codes") ||
      !in.Count(d.m_nGroups, "group") || !ReadMarkedPairs(in, d.m_nGroups, d.m_aGroupPairs, "group codes") ||
      !in.Count(d.m_nPairListD, "pair list") ||
      !ReadMarkedPairs(in, d.m_nPairListD, d.m_aPairListD, "pair list codes") ||
      !in.Count(d.m_nNameListG, "name list G") || !ReadMarkedNames(in, d.m_nNameListG, 8, d.m_aNameListG, "names"))
    return false;

  for (auto& list : data.m_aTextLists) list.clear();
  data.m_NamedValues.RemoveAll();
  static constexpr int kPerEntry[6] = {2, 4, 1, 1, 1, 1};
  for (int group = 0; group < 6; ++group) {
    // Files written before a group was added end in front of it.
    if (in.m_cursor.AtEnd()) return true;
    std::vector<std::string> texts;
    std::int32_t entries = 0;
    if (!ReadTextGroup(in, kPerEntry[group], texts, entries)) return false;
    const int per = kPerEntry[group];
    switch (group) {
      case 0:
      case 1:
        for (std::size_t i = 0; i < texts.size(); ++i)
          data.m_aTextLists[static_cast<std::size_t>(group * 2 + static_cast<int>(i % per))].push_back(texts[i]);
        break;
      case 2:
      case 3:
        data.m_aTextLists[static_cast<std::size_t>(group + 4)] = std::move(texts);
        break;
      case 4: {
        for (const std::string& name : texts) data.m_NamedValues.Add(name);
        const std::int64_t count = data.m_NamedValues.GetCount();
        if (count * 12 > in.m_cursor.Remaining()) return in.Fail("the named values run past the end");
        for (auto& entry : data.m_NamedValues) in.m_cursor.ReadInt32(entry.m_nNumber);
        for (auto& entry : data.m_NamedValues) in.m_cursor.ReadDouble(entry.m_dValue);
        break;
      }
      default:
        data.m_aTextLists[8] = std::move(texts);
        break;
    }
  }
  return true;
}

}  // namespace

bool ReadClassicMatrixDirectory(CTableFileCursor& cursor, CMatrixDirectoryData& data, std::string& error) {
  data.m_MatrixDirectory.Reset();
  CDirectoryReader reader(cursor, data.m_MatrixDirectory);
  if (ReadClassic(reader)) return true;
  data.m_MatrixDirectory.Reset();
  error = reader.m_strError;
  return false;
}

bool ReadCompactMatrixDirectory(CTableFileCursor& cursor, CMatrixDirectoryData& data, std::string& error) {
  data.m_MatrixDirectory.Reset();
  CDirectoryReader reader(cursor, data.m_MatrixDirectory);
  if (ReadCompact(reader, data)) return true;
  data.m_MatrixDirectory.Reset();
  error = reader.m_strError;
  return false;
}
