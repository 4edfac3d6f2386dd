#pragma once
// Rank zero's scheduling, free of MPI: the case list grouped by solver file
// and the choice of each worker's next case. A worker stays on the cases of
// one solver file while that file has enough cases left for its workers.

#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runner/case_data.h"
#include "runner/strev_tree_info.h"

class CCaseSchedule {
 public:
  using LogFn = std::function<void(int level, const std::string& text)>;

  // The longest case list line read whole; a longer one is cut and ends the list.
  static constexpr size_t kMaxLineLength = 598;

  // Reads the case list: one case per line, six words (case, solver file,
  // word 3, word 4, ignored, word 6). The list ends at the end of input, an
  // empty line or a line starting with a space; an end before the end of
  // input is logged with the count of lines left unread. Lines without a
  // solver file, with a NUL in it, with a control character other than the
  // tab, with a case number that is no whole number, with more than six
  // words, with a negative case number or a number that does not fit 32 bits
  // are logged (bytes that print nothing escaped) and refused; a repeated
  // case number is logged and only its first line is kept (a repeat under
  // another solver file or with other words 3, 4 or 6 is counted: it is never run).
  void ReadCaseList(std::istream& in, const LogFn& log);

  // The next case for worker w whose current group is g (-1 for none); g is
  // updated. Returns the case number, or -1 when nothing is left for w.
  int GetNextCase(int w, int& g);

  // Removes the returned case from the group named name (ignoring case) and
  // clears w's held case there. Returns the group index, or -1 when no group
  // matches.
  int RetireCase(int w, int caseNumber, std::string_view name);

  // Detaches w from every group it is attached to; a case it held becomes free.
  void DetachWorker(int w);

  // Fills the outgoing record for a case of group g (status left as it is).
  void SetCaseData(CCaseData& data, int caseNumber, int g) const;

  // Index of the group whose name equals name ignoring case, or -1.
  int FindTree(std::string_view name) const;

  // Cases still in their groups that no worker holds.
  int CountUndispatched() const;

  int m_nCaseCount = 0;
  std::vector<std::unique_ptr<CStrevTreeInfo>> m_aTrees;
  std::vector<int> m_aListed;  // the cases read, in list order
  int m_nRefusedLines = 0;     // case lines logged and skipped
  int m_nUnreadLines = 0;      // lines holding more than blanks after the end of the list
  int m_nRepeatedLines = 0;    // lines repeating a listed case with another solver file or other words

 private:
  // Whether a line of a listed case asks for something other than the case's first line.
  bool RepeatsWithOtherWords(int caseNumber, std::string_view name, const int (&values)[3]) const;
  int Take(int w, int g);
};

// Decimal value of the leading characters (blanks, optional sign, digits), 0
// without digits; clamped to the int range.
int ReadLeadingInt(std::string_view text);

// The same, but false (value unchanged) when the number does not fit 32 bits.
bool ReadLeadingInt32(std::string_view text, int& value);
