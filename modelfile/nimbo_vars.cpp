#include "modelfile/nimbo_vars.h"

#include <memory>

namespace {

// A count read from the data; elements are then read one by one, so memory
// follows the data actually present whatever the count claims.
std::int32_t ReadCount(plat::Archive& ar) {
  const std::int32_t count = ar.ReadInt32();
  if (count < 0) throw CArchiveException(CArchiveException::badIndex, "Negative count in archive.");
  return count;
}

void WriteCount(plat::Archive& ar, std::size_t count) {
  if (count > INT32_MAX) throw CArchiveException(CArchiveException::badIndex, "Too many elements to archive.");
  ar.WriteInt32(static_cast<std::int32_t>(count));
}

void SerializeFlag(plat::Archive& ar, bool& flag) {
  if (ar.IsStoring()) ar.WriteInt32(flag ? 1 : 0);
  else flag = ar.ReadInt32() != 0;
}

void SerializeTexts(plat::Archive& ar, std::vector<std::string>& texts) {
  if (ar.IsStoring()) {
    WriteCount(ar, texts.size());
    for (const std::string& text : texts) ar.WriteString(text);
  } else {
    const std::int32_t count = ReadCount(ar);
    for (std::int32_t i = 0; i < count; ++i) texts.push_back(ar.ReadString());
  }
}

// Records are created, appended and then read, so a record read in part stays in the array.
template <class T>
void SerializeRecords(plat::Archive& ar, CAutoDestructArray<CPtrArray, T*>& records) {
  if (ar.IsStoring()) {
    WriteCount(ar, static_cast<std::size_t>(records.GetSize()));
    for (T* record : records) record->Serialize(ar);
  } else {
    const std::int32_t count = ReadCount(ar);
    for (std::int32_t i = 0; i < count; ++i) {
      T* record = records[records.Add(std::make_unique<T>())];
      record->Serialize(ar);
    }
  }
}

template <class T>
int CompareByTwoTexts(const void* a, const void* b) {
  const T* left = SlotElement<T>(a);
  const T* right = SlotElement<T>(b);
  const int c = CompareKeys(left->m_strText1, right->m_strText1);
  return c != 0 ? c : CompareKeys(left->m_strText2, right->m_strText2);
}

}  // namespace

void CSiInputValue::Serialize(plat::Archive& ar) {
  if (ar.IsStoring()) {
    ar << m_strText1 << m_strText2 << m_strText3 << m_nInt1 << m_nInt2 << m_nInt3 << m_nInt4;
  } else {
    ar >> m_strText1 >> m_strText2 >> m_strText3 >> m_nInt1 >> m_nInt2 >> m_nInt3 >> m_nInt4;
  }
  SerializeFlag(ar, m_bFlag1);
  SerializeFlag(ar, m_bFlag2);
  SerializeFlag(ar, m_bFlag3);
  if (ar.IsStoring()) ar << m_dValue;
  else ar >> m_dValue;
}

int CSiInputValue::CompareElements(const void* a, const void* b) { return CompareByTwoTexts<CSiInputValue>(a, b); }

void CSiOutputValue::Serialize(plat::Archive& ar) {
  if (ar.IsStoring()) {
    ar << m_strText1 << m_strText2 << m_strText3 << m_strText4 << m_strText5 << m_nInt1 << m_nInt2 << m_nInt3 << m_nInt4;
  } else {
    ar >> m_strText1 >> m_strText2 >> m_strText3 >> m_strText4 >> m_strText5 >> m_nInt1 >> m_nInt2 >> m_nInt3 >> m_nInt4;
  }
  SerializeFlag(ar, m_bFlag1);
  SerializeFlag(ar, m_bFlag2);
  if (ar.IsStoring()) ar << m_dValue;
  else ar >> m_dValue;
}

int CSiOutputValue::CompareElements(const void* a, const void* b) { return CompareByTwoTexts<CSiOutputValue>(a, b); }

void CCurveValue::Serialize(plat::Archive& ar) {
  if (ar.IsStoring()) ar << m_nIndex << m_dX << m_dY;
  else ar >> m_nIndex >> m_dX >> m_dY;
}

void CCurve::Serialize(plat::Archive& ar) {
  if (ar.IsStoring()) {
    ar << m_nNumber << m_nNumber << m_strText1 << m_strText2 << m_strText3;
  } else {
    ar >> m_nNumber >> m_nNumber >> m_strText1 >> m_strText2 >> m_strText3;
  }
  SerializeRecords(ar, m_values);
}

void CKesh::Serialize(plat::Archive& ar) {
  if (ar.IsStoring()) ar << m_strName << m_nInt1 << m_nInt2;
  else ar >> m_strName >> m_nInt1 >> m_nInt2;
  SerializeTexts(ar, m_names);
}

void CZelunEqn::Serialize(plat::Archive& ar) {
  if (ar.IsStoring()) ar << m_strText2 << m_strText1 << m_nInt1 << m_nInt2;
  else ar >> m_strText2 >> m_strText1 >> m_nInt1 >> m_nInt2;
  SerializeTexts(ar, m_names1);
  SerializeTexts(ar, m_names2);
}

void CTuloEqn::Serialize(plat::Archive& ar) {
  if (ar.IsStoring()) ar << m_nOwn1;
  else ar >> m_nOwn1;
  CZelunEqn::Serialize(ar);
}

void CPCalc::Serialize(plat::Archive& ar) {
  if (ar.IsStoring()) ar << m_strText1 << m_strText2;
  else ar >> m_strText1 >> m_strText2;
}

CNimbo_Vars::CNimbo_Vars() {
  m_hashMap.max_load_factor(1.0f);
  m_hashMap.reserve(8);
}

void CNimbo_Vars::Reset() {
  for (std::vector<std::string>& list : m_lists) list.clear();
  m_valueArray1.RemoveAll();
  m_valueArray2.RemoveAll();
  m_valueArray3.RemoveAll();
  m_valueArray4.RemoveAll();
  m_valueArray5.RemoveAll();
  m_valueArray6.RemoveAll();
  m_valueArray7.RemoveAll();
  m_valueArray8.RemoveAll();
  m_valueArray9.RemoveAll();
  m_curves.RemoveAll();
  m_keshes.RemoveAll();
  m_usrEqns.RemoveAll();
  m_tuloEqns.RemoveAll();
  m_pCalcs.RemoveAll();
  std::vector<double>().swap(m_doubles1);
  std::vector<double>().swap(m_doubles2);
  m_hashMap.clear();
  for (int i = 0; i < 6; ++i) m_nCounters[static_cast<std::size_t>(i)] = 0;
}

void CNimbo_Vars::Serialize(plat::Archive& ar) {
  if (ar.IsLoading()) Reset();
  for (std::size_t i = 0; i < 7; ++i) {
    if (ar.IsStoring()) ar << m_nCounters[i];
    else ar >> m_nCounters[i];
  }
  // The 14th list goes before the 13th.
  for (const std::size_t i : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 13u, 12u, 14u}) SerializeTexts(ar, m_lists[i]);
  SerializeRecords(ar, m_valueArray1);
  SerializeRecords(ar, m_valueArray3);
  SerializeRecords(ar, m_valueArray4);
  SerializeRecords(ar, m_valueArray2);
  SerializeRecords(ar, m_curves);
  SerializeRecords(ar, m_keshes);
  SerializeRecords(ar, m_usrEqns);
  SerializeRecords(ar, m_tuloEqns);
  SerializeRecords(ar, m_pCalcs);
  if (ar.IsStoring()) {
    WriteCount(ar, m_doubles1.size());
    for (const double value : m_doubles1) ar << value;
  } else {
    const std::int32_t count = ReadCount(ar);
    for (std::int32_t i = 0; i < count; ++i) m_doubles1.push_back(ar.ReadDouble());
  }
  SerializeRecords(ar, m_valueArray5);
}
