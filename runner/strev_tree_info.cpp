#include "runner/strev_tree_info.h"

#include <algorithm>

int CStrevTreeInfo::CompareElements(const void* slotA, const void* slotB) {
  const auto* a = *static_cast<const CStrevTreeInfo* const*>(slotA);
  const auto* b = *static_cast<const CStrevTreeInfo* const*>(slotB);
  const int c = a->m_strName.compare(b->m_strName);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void CStrevTreeInfo::AddCase(int caseNumber) {
  m_anCases.push_back(caseNumber);
  m_anLoadSolCase.push_back(-1);
  m_anListValue4.push_back(-1);
  m_anListValue6.push_back(-1);
  ++m_nCount;
}

int CStrevTreeInfo::FindCase(int caseNumber) const {
  for (int i = 0; i < m_nCount; ++i)
    if (m_anCases[i] == caseNumber) return i;
  return -1;
}

bool CStrevTreeInfo::RemoveCase(int caseNumber) {
  const int i = FindCase(caseNumber);
  if (i < 0) return false;
  m_anCases.erase(m_anCases.begin() + i);
  m_anLoadSolCase.erase(m_anLoadSolCase.begin() + i);
  m_anListValue4.erase(m_anListValue4.begin() + i);
  m_anListValue6.erase(m_anListValue6.begin() + i);
  --m_nCount;
  return true;
}

void CStrevTreeInfo::AddProcessor(int worker) {
  if (FindProcessor(worker) >= 0) return;
  m_pnProcs.push_back(worker);
  m_pnProcCase.push_back(-1);
  ++m_nProcCount;
}

bool CStrevTreeInfo::RemoveProcessor(int worker) {
  const int i = FindProcessor(worker);
  if (i < 0) return false;
  m_pnProcs.erase(m_pnProcs.begin() + i);
  m_pnProcCase.erase(m_pnProcCase.begin() + i);
  --m_nProcCount;
  return true;
}

int CStrevTreeInfo::FindProcessor(int worker) const {
  for (int i = 0; i < m_nProcCount; ++i)
    if (m_pnProcs[i] == worker) return i;
  return -1;
}

void CStrevTreeInfo::SetProcessorCase(int worker, int caseNumber) {
  const int i = FindProcessor(worker);
  if (i >= 0) m_pnProcCase[i] = caseNumber;
}

bool CStrevTreeInfo::IsHeld(int caseNumber) const {
  return std::find(m_pnProcCase.begin(), m_pnProcCase.end(), caseNumber) != m_pnProcCase.end();
}

int CStrevTreeInfo::FirstFreeCase() const {
  for (int i = 0; i < m_nCount; ++i)
    if (!IsHeld(m_anCases[i])) return i;
  return -1;
}
