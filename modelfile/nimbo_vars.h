#pragma once
// The nonlinear model data a model carries besides its settings: counters,
// fifteen name lists, input and output values, two arrays of doubles and the
// curves, blend models, user equations, external-model equations and property
// calculations, with their archive form (the binary layout of the Windows
// class library's archives: texts with a length prefix, integers of 32 bits,
// every count a plain 32-bit integer).
//
// Loading trusts no count: elements are read one by one, so a count larger
// than the data ends in CArchiveException at the end of the data, never in a
// huge allocation. Serialize does not catch the exception; a record read in
// part stays in its array.

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/ptr_array.h"
#include "platform/archive.h"
#include "platform/object.h"

class CSiInputValue : public CObject {
 public:
  virtual void Serialize(plat::Archive& ar);
  // Ordered by the first text, then the second.
  static int CompareElements(const void* a, const void* b);

  std::string m_strText1;
  std::string m_strText2;
  std::string m_strText3;
  std::int32_t m_nInt1 = 0;
  std::int32_t m_nInt2 = 0;
  std::int32_t m_nInt3 = -1;
  std::int32_t m_nInt4 = -1;
  bool m_bFlag1 = true;
  bool m_bFlag2 = false;
  bool m_bFlag3 = true;
  double m_dValue = 1e30;
};

class CSiOutputValue : public CObject {
 public:
  virtual void Serialize(plat::Archive& ar);
  // Ordered by the first text, then the second.
  static int CompareElements(const void* a, const void* b);

  std::string m_strText1;
  std::string m_strText2;
  std::string m_strText3;
  std::string m_strText4;
  std::string m_strText5;
  std::int32_t m_nInt1 = 0;
  std::int32_t m_nInt2 = 0;
  std::int32_t m_nInt3 = 0;
  std::int32_t m_nInt4 = -1;
  bool m_bFlag1 = true;
  bool m_bFlag2 = false;
  double m_dValue = 1e30;
};

class CCurveValue : public CObject {
 public:
  virtual void Serialize(plat::Archive& ar);

  std::int32_t m_nIndex = 0;
  double m_dX = 0.0;
  double m_dY = 0.0;
};

class CCurve : public CObject {
 public:
  // The number is stored twice; loading keeps the second.
  virtual void Serialize(plat::Archive& ar);

  std::int32_t m_nNumber = 0;
  std::int32_t m_nSecond = 0;  // not archived
  std::string m_strText1;
  std::string m_strText2;
  std::string m_strText3;
  CAutoDestructArray<CPtrArray, CCurveValue*> m_values;
};

// A blend model.
class CKesh : public CObject {
 public:
  virtual void Serialize(plat::Archive& ar);

  std::string m_strName;
  std::int32_t m_nInt1 = 0;
  std::int32_t m_nInt2 = 0;
  std::vector<std::string> m_names;
  std::vector<double> m_values1;  // not archived
  std::vector<double> m_values2;  // not archived
};

// The base of the two equation records.
class CZelunEqn : public CObject {
 public:
  // The second text first, then the first, the two integers and the two text arrays.
  virtual void Serialize(plat::Archive& ar);

  std::string m_strText1;
  std::string m_strText2;
  std::int32_t m_nInt1 = 0;
  std::int32_t m_nInt2 = 0;
  std::vector<std::int32_t> m_indices;  // not archived
  std::vector<std::string> m_names1;
  std::vector<std::string> m_names2;
};

// A user equation: the base record only.
class CUsrEqn : public CZelunEqn {
 public:
  std::int32_t m_nOwn = 0;  // not archived
};

// An external-model equation: its first own integer, then the base record.
class CTuloEqn : public CZelunEqn {
 public:
  void Serialize(plat::Archive& ar) override;

  std::int32_t m_nOwn1 = 0;
  std::int32_t m_nOwn2 = 0;  // not archived
};

// A property calculation.
class CPCalc : public CObject {
 public:
  virtual void Serialize(plat::Archive& ar);

  std::string m_strText1;
  std::string m_strText2;
};

class CNimbo_Vars : public CObject {
 public:
  // Index of the number of periods among the counters.
  static constexpr int kPeriods = 6;
  static constexpr int kListCount = 15;

  CNimbo_Vars();
  ~CNimbo_Vars() override = default;
  CNimbo_Vars(const CNimbo_Vars&) = delete;
  CNimbo_Vars& operator=(const CNimbo_Vars&) = delete;

  // Empties the lists, the owning arrays, both double arrays and the hash
  // map, and sets the first six counters to 0 (the periods and the eighth stay).
  void Reset();
  // Stores or loads the whole container; loading first runs Reset. Throws
  // CArchiveException on data that end early or are malformed.
  virtual void Serialize(plat::Archive& ar);

  std::int32_t GetPeriodCount() const { return m_nCounters[kPeriods]; }
  void SetPeriodCount(std::int32_t periods) { m_nCounters[kPeriods] = periods; }

  // The first seven are archived; the seventh is the number of periods.
  std::array<std::int32_t, 8> m_nCounters{};
  // Lists 1, 3, 4, 6, 7, 8, 9, 10 and 12 (indices 0, 2, 3, 5 to 9, 11) are filled from "tables.map".
  std::array<std::vector<std::string>, kListCount> m_lists;
  // The value arrays, numbered as stored: 1, 2 and 5 to 9 of input values,
  // 3 and 4 of output values; 6 to 9 are not archived.
  CAutoDestructArray<CPtrArray, CSiInputValue*> m_valueArray1;
  CAutoDestructArray<CPtrArray, CSiInputValue*> m_valueArray2;
  CAutoDestructArray<CPtrArray, CSiOutputValue*> m_valueArray3;
  CAutoDestructArray<CPtrArray, CSiOutputValue*> m_valueArray4;
  CAutoDestructArray<CPtrArray, CSiInputValue*> m_valueArray5;
  CAutoDestructArray<CPtrArray, CSiInputValue*> m_valueArray6;
  CAutoDestructArray<CPtrArray, CSiInputValue*> m_valueArray7;
  CAutoDestructArray<CPtrArray, CSiInputValue*> m_valueArray8;
  CAutoDestructArray<CPtrArray, CSiInputValue*> m_valueArray9;
  std::vector<double> m_doubles1;
  std::vector<double> m_doubles2;  // not archived; read by the result tables
  CAutoDestructArray<CPtrArray, CCurve*> m_curves;
  CAutoDestructArray<CPtrArray, CKesh*> m_keshes;
  CAutoDestructArray<CPtrArray, CUsrEqn*> m_usrEqns;
  CAutoDestructArray<CPtrArray, CTuloEqn*> m_tuloEqns;
  CAutoDestructArray<CPtrArray, CPCalc*> m_pCalcs;
  // Used by the solution fill; not archived.
  std::unordered_map<std::string, std::int32_t> m_hashMap;
};
