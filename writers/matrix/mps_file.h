#pragma once
// The solver's matrix as read from its extended MPS file: the rows, the
// columns with their row entries, the right-hand sides, the ranges and the
// bounds (CMpsFile), and the reader's own nonlinear view of the file
// (CNLPFile: the XLINEAR rows with their multiplier names and the INITIAL
// values). The file comes from the solver side and is read as text: every
// field is taken as far as the line goes, so no line can make the reader
// fail, and a file of any size is held only in what it describes.

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

#include "foundation/ptr_array.h"
#include "platform/object.h"

// Bound type codes; the text of a code is kMpsBoundTypes[code].
inline constexpr int kMpsBoundNone = 0;   // "NA"
inline constexpr int kMpsBoundFixed = 3;  // "FX"
inline constexpr int kMpsBoundTypeCount = 8;
inline constexpr const char* kMpsBoundTypes[kMpsBoundTypeCount] = {"NA", "LO", "UP", "FX", "FR", "LI", "UI", "BV"};
// The code of a bound line whose type is none of the eight and that has no
// bound line before it: no type, no value.
inline constexpr int kMpsBoundUnknown = -1;

// The code of a bound type text, or -1.
int MpsBoundTypeCode(std::string_view type);
// Whether a bound of the code sets the lower / the upper limit.
bool MpsBoundSetsLower(int code);
bool MpsBoundSetsUpper(int code);

// A row of the matrix and its type letter (N, E, G, L or R).
class CMpsRow : public CObject {
 public:
  CMpsRow(std::string name, char type, std::int32_t index) : m_strName(std::move(name)), m_cType(type), m_nIndex(index) {}
  static int CompareElements(const void* a, const void* b);

  std::string m_strName;
  char m_cType;
  std::int32_t m_nIndex;
};

// A value keyed by a row name: a right-hand side, a range or a column entry.
class CMpsRowVal : public CObject {
 public:
  CMpsRowVal(std::string name, double value, std::int32_t index)
      : m_strName(std::move(name)), m_dValue(value), m_nIndex(index) {}
  static int CompareElements(const void* a, const void* b);

  std::string m_strName;
  double m_dValue;
  std::int32_t m_nIndex;
};

using CMpsRowValArray = CAutoDestructArray<CPtrArray, CMpsRowVal*>;

// A column and its entries in the order the rows gave them.
class CMpsCol : public CObject {
 public:
  CMpsCol(std::string name, std::int32_t index) : m_strName(std::move(name)), m_nIndex(index) {}
  static int CompareElements(const void* a, const void* b);

  std::string m_strName;
  std::int32_t m_nIndex;
  CMpsRowValArray m_paRowVals;
};

// A bound of a column; ordered by type code, then column name.
class CMpsBound : public CObject {
 public:
  CMpsBound(std::string column, double value, std::int32_t type)
      : m_strColName(std::move(column)), m_dValue(value), m_nType(type) {}
  static int CompareElements(const void* a, const void* b);

  std::string m_strColName;
  double m_dValue;
  std::int32_t m_nType;
  std::int32_t m_nReserved = 0;
};

// One coefficient of an XLINEAR row: the column and up to two multiplier
// columns whose current values scale it.
class CNLPColVal : public CObject {
 public:
  CNLPColVal(std::string column, double coefficient) : m_strColName(std::move(column)), m_dCoefficient(coefficient) {}
  static int CompareElements(const void* a, const void* b);

  std::string m_strColName;
  std::string m_strMultiplier1;
  std::string m_strMultiplier2;
  double m_dCoefficient;
};

class CNLPRow : public CObject {
 public:
  CNLPRow(std::string name, char type) : m_strName(std::move(name)), m_cType(type) {}
  static int CompareElements(const void* a, const void* b);

  std::string m_strName;
  char m_cType;
  CAutoDestructArray<CPtrArray, CNLPColVal*> m_paColVals;
};

// A column with its current value (INITIAL section or nonlinear solution).
class CNLPCol : public CObject {
 public:
  CNLPCol(std::string name, double value) : m_strName(std::move(name)), m_dValue(value) {}
  static int CompareElements(const void* a, const void* b);

  std::string m_strName;
  std::string m_strText;
  double m_dValue;
};

using CNLPColArray = CAutoDestructArray<CPtrArray, CNLPCol*>;

class CMpsFile : public CObject {
 public:
  CMpsFile() = default;
  explicit CMpsFile(std::string name) : m_strName(std::move(name)) {}

  std::string m_strName;
  CAutoDestructArray<CPtrArray, CMpsRow*> m_paRows;  // name order
  CAutoDestructArray<CPtrArray, CMpsCol*> m_paCols;  // name order
  CMpsRowValArray m_paRhs;                           // file order
  CMpsRowValArray m_paRanges;                        // file order
  CAutoDestructArray<CPtrArray, CMpsBound*> m_paBounds;  // file order
};

class CNLPFile : public CMpsFile {
 public:
  using CMpsFile::CMpsFile;

  CNLPColArray m_paCols;  // not filled by the reader
  CAutoDestructArray<CPtrArray, CNLPRow*> m_paNlpRows;
  CNLPColArray m_paInitial;  // the INITIAL values, sorted by name after reading
};

// The next blank-separated field of line from position: leading blanks are
// skipped, field gets the text up to the next blank and position moves to
// that blank. True when a blank follows the field; false when the field ends
// the line or nothing is left (field empty). Tabs are not separators.
bool GetMpsToken(std::string_view line, std::string* field, std::size_t* position);

// Reads the matrix text into output. nlpSolution, when given, is the text of
// a nonlinear solution file whose values replace the INITIAL values.
// Numbers are read with atof: the caller sets the "C" numeric locale.
void ReadMpsText(std::istream& matrix, CMpsFile& output, std::istream* nlpSolution);

// Sets the current value of every column of the sorted array that the
// nonlinear solution text names: two lines of heading, then "name value"
// lines; lines beginning with "*" or "$" and lines without a blank are skipped.
void ReadNlpSolutionText(std::istream& solution, CNLPColArray& columns);
