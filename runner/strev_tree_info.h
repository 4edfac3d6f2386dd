#pragma once
// One solver-file group of the case list: its cases not yet returned, in case
// list order, and the workers attached to it with the case each holds.

#include <string>
#include <vector>

#include "platform/object.h"

class CStrevTreeInfo : public CObject {
 public:
  explicit CStrevTreeInfo(std::string name) : m_strName(std::move(name)) {}

  // Orders groups by name, byte by byte.
  static int CompareElements(const void* slotA, const void* slotB);

  // Appends a case with the list values at -1.
  void AddCase(int caseNumber);
  // Index of the first entry with this case number, or -1.
  int FindCase(int caseNumber) const;
  // Removes the first entry with this case number; false when there is none.
  bool RemoveCase(int caseNumber);

  // Attaches a worker holding no case (-1); nothing when already attached.
  void AddProcessor(int worker);
  // Detaches the worker with its held case, keeping the order of the others;
  // returns whether it was attached.
  bool RemoveProcessor(int worker);
  // Index of the worker in the attached list, or -1.
  int FindProcessor(int worker) const;
  // Records the case a worker holds (-1 for none); nothing when not attached.
  void SetProcessorCase(int worker, int caseNumber);
  // True when an attached worker holds this case number.
  bool IsHeld(int caseNumber) const;
  // Index of the first case, in list order, that no attached worker holds; -1 when every case is held.
  int FirstFreeCase() const;

  std::string m_strName;
  int m_nCount = 0;
  std::vector<int> m_anCases;
  std::vector<int> m_anLoadSolCase;
  std::vector<int> m_anListValue4;
  std::vector<int> m_anListValue6;
  int m_nProcCount = 0;
  std::vector<int> m_pnProcs;
  std::vector<int> m_pnProcCase;
};
