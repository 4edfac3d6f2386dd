// Fuzz entry of the blend-model control file "KeshControl.dat": any bytes are
// read into lists whose groups exist only as far as their values were read,
// and every quality name read is looked up in the groups without reading
// outside the lists. Built as every fuzz entry is (cmake/OstrelFuzz.cmake).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <sstream>
#include <string>

#include "platform/testing/fuzz_support.h"
#include "results/objects/db_quality.h"
#include "solutionfill/core/kesh_control.h"

namespace {

// Integers in 10-character fields, one blank after each, as the file holds them.
std::string Fields(std::initializer_list<int> values) {
  std::string line;
  char field[16];
  for (int v : values) {
    std::snprintf(field, sizeof field, "%10d ", v);
    line += field;
  }
  return line + "\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  CKeshControl control;
  control.Read(in);
  for (const std::string& name : control.m_astrQualityNames) {
    const CKeshControl::Group* group = control.FindGroup(name);
    if (group != nullptr && (group < control.m_aGroups.data() || group >= control.m_aGroups.data() + control.m_aGroups.size()))
      __builtin_trap();
    const CDbQuality quality(name);
    if (!IsNameInList(quality, control, false)) __builtin_trap();  // a name read is listed
    IsNameInList(quality, control, true);
  }
  control.FindGroup("");
  return 0;
}

// Control files in the layout the model generator writes: the header lines
// (value fields, first names, quality names, groups), the groups' six fields,
// the names four characters each and the E values.
extern "C" bool OstrelFuzzWriteSeeds(const char* directory) {
  const std::string generated = Fields({0, 0, 5}) + Fields({1, 1, 1, 1}) + Fields({0}) + Fields({1, 0, 1, 0, 0, 0}) +
                                "  FN\n" + " RVP\n" + "E00000001\n";
  const std::string groups = Fields({0, 0, 5}) + Fields({2, 1, 3, 2}) + Fields({0}) +
                             Fields({1, 7, 0, 0, 2, 3, 0, 0, 0, 0}) + Fields({0, 0}) + "  FN  GN\n" + " RVP SUL\n" +
                             " VIS\n" + "E12345678  X\n";
  return fuzz::WriteSeed(directory, "generated.dat", generated) && fuzz::WriteSeed(directory, "two_groups.dat", groups);
}
