#pragma once
// The blend-model control lists of "KeshControl.dat": which qualities the
// engine's blend-model library computes, in groups with the code handed to
// the library.

#include <array>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

class CDbQuality;

class CKeshControl {
 public:
  struct Group {
    std::array<std::int32_t, 6> m_anFields{};
    std::int32_t Code() const { return m_anFields[0]; }
    std::int32_t LastName() const { return m_anFields[2]; }  // one-based position in m_astrQualityNames
  };

  // Reads the control file's lines into the lists (cleared first).
  void Read(std::istream& in);
  void Clear() { *this = CKeshControl(); }

  std::int32_t GroupCodeLimit() const { return m_anHeader[2]; }
  // The first group holding the tag among its names, or null.
  const Group* FindGroup(const std::string& tag) const;

  std::array<std::int32_t, 30> m_anHeader{};
  std::vector<Group> m_aGroups;
  std::vector<std::string> m_astrFirstNames;
  std::vector<std::string> m_astrQualityNames;
  std::vector<std::string> m_astrEValues;
};

// The quality's tag is a control quality name; with groupTest, only in a
// group whose code is below the header's group-code limit.
bool IsNameInList(const CDbQuality& quality, const CKeshControl& control, bool groupTest);
