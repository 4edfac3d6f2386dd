#pragma once
// The matrix directory that follows the table section of a model's table
// index: the codes, names and small tables of the model's matrix that the
// solution fill needs beside the model tables (streams, utilities, groups and
// further name lists). Codes and names keep their bytes up to the first zero
// byte of their fixed width; nothing is trimmed.

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/object.h"

class CTableFileCursor;

struct CMatrixDirectory {
  static constexpr int kAttribute2Slots = 4000;
  static constexpr int kCrossTableRows = 4000;
  static constexpr int kBlockSize = 16384;

  std::int32_t m_nStreams = 0;
  std::int32_t m_nUtilities = 0;
  std::int32_t m_nNameListE = 0;
  std::int32_t m_nNameListF = 0;
  std::int32_t m_nHeaderWord1 = 0;
  std::int32_t m_nHeaderWord2 = 0;
  std::int32_t m_nNameListG = 0;
  std::int32_t m_nNameListH = 0;
  std::int32_t m_nTextListI = 0;
  std::int32_t m_nGroups = 0;
  std::int32_t m_nPairListD = 0;
  std::vector<float> m_aStreamVtw;
  std::vector<std::uint8_t> m_aBlock1, m_aBlock2, m_aBlock3;
  std::vector<std::int16_t> m_aStreamAttribute1;
  std::vector<std::int16_t> m_aStreamAttribute2;
  std::vector<std::int16_t> m_aNameListGAttributes;
  std::vector<std::array<std::int16_t, 4>> m_aCrossTable;
  std::vector<std::string> m_aStreamCodes;   // 4 characters
  std::vector<std::string> m_aUtilityCodes;  // 4 characters
  std::vector<std::string> m_aNameListE;     // 8 characters
  std::vector<std::string> m_aNameListF;     // 8 characters
  std::vector<std::string> m_aNameListG;     // 8 characters
  std::vector<std::string> m_aNameListH;     // 10 characters
  std::vector<std::string> m_aTextListI;     // 24 characters
  std::vector<std::pair<std::string, std::string>> m_aGroupPairs;
  std::vector<std::pair<std::string, std::string>> m_aPairListD;

  // Frees every array and sets every count to zero.
  void Reset() { *this = CMatrixDirectory(); }
};

// Names with a value and a number, iterated in the order in which the names
// were first entered.
class CNamedValueTable {
 public:
  struct Entry {
    std::string m_strName;
    double m_dValue = 0.0;
    std::int32_t m_nNumber = 0;
  };
  void RemoveAll() {
    m_entries.clear();
    m_index.clear();
  }
  // Enters the name with {0.0, 0} unless it is present; its entry either way.
  Entry& Add(const std::string& name);
  const Entry* Find(const std::string& name) const;
  int GetCount() const { return static_cast<int>(m_entries.size()); }
  std::vector<Entry>::iterator begin() { return m_entries.begin(); }
  std::vector<Entry>::iterator end() { return m_entries.end(); }
  std::vector<Entry>::const_iterator begin() const { return m_entries.begin(); }
  std::vector<Entry>::const_iterator end() const { return m_entries.end(); }

 private:
  std::vector<Entry> m_entries;
  std::unordered_map<std::string, std::size_t> m_index;
};

// What the directory reader attaches to a model: the directory, and the nine
// text lists and the named-value table that only the compact layout fills.
class CMatrixDirectoryData : public CObject {
 public:
  CMatrixDirectory m_MatrixDirectory;
  std::array<std::vector<std::string>, 9> m_aTextLists;
  CNamedValueTable m_NamedValues;
};

// The classic directory, read from the cursor behind the classic table
// section. False (directory reset) when the data ends where a count is due or
// a list runs past the end; error says why.
bool ReadClassicMatrixDirectory(CTableFileCursor& cursor, CMatrixDirectoryData& data, std::string& error);
// The compact directory, read from the cursor behind a compact table section.
bool ReadCompactMatrixDirectory(CTableFileCursor& cursor, CMatrixDirectoryData& data, std::string& error);
