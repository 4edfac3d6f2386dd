#include "runner/case_schedule.h"

#include <cctype>
#include <climits>
#include <sstream>

#include "runner/runner_messages.h"

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

int ReadLeadingInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int>(value);
}

void CCaseSchedule::ReadCaseList(std::istream& in, const LogFn& log) {
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    bool last = false;
    if (line.size() > kMaxLineLength) {
      line.resize(kMaxLineLength);
      last = true;
      log(-1, FormatText("Case list line %d is longer than %zu characters: it was cut and ends the list.",
                         lineNumber, kMaxLineLength));
    } else if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (line.empty() || line[0] == ' ') break;

    std::istringstream words(line);
    std::string word[6];
    for (std::string& w : word) words >> w;
    if (word[1].empty()) {
      log(-1, FormatText("Case list line %d has no solver file name and was skipped: %s", lineNumber, line.c_str()));
    } else {
      const int caseNumber = ReadLeadingInt(word[0]);
      if (caseNumber < 0) {
        log(-1, FormatText("Case list line %d has a negative case number and was skipped: %s", lineNumber,
                           line.c_str()));
      } else {
        ++m_nCaseCount;
        int g = FindTree(word[1]);
        if (g < 0) {
          m_aTrees.push_back(std::make_unique<CStrevTreeInfo>(word[1]));
          g = static_cast<int>(m_aTrees.size()) - 1;
        }
        CStrevTreeInfo& tree = *m_aTrees[g];
        tree.AddCase(caseNumber);
        // The values go to the first entry of this case number, as the list has always been read.
        const int at = tree.FindCase(caseNumber);
        tree.m_anLoadSolCase[at] = ReadLeadingInt(word[2]);
        tree.m_anListValue4[at] = ReadLeadingInt(word[3]);
        tree.m_anListValue6[at] = ReadLeadingInt(word[5]);
      }
    }
    if (last) break;
  }
}

int CCaseSchedule::FindTree(std::string_view name) const {
  for (size_t i = 0; i < m_aTrees.size(); ++i)
    if (EqualNoCase(m_aTrees[i]->m_strName, name)) return static_cast<int>(i);
  return -1;
}

int CCaseSchedule::Take(int w, int g) {
  CStrevTreeInfo& tree = *m_aTrees[g];
  const int free = tree.FirstFreeCase();
  if (free < 0) return -1;
  tree.AddProcessor(w);
  const int caseNumber = tree.m_anCases[free];
  tree.SetProcessorCase(w, caseNumber);
  return caseNumber;
}

int CCaseSchedule::GetNextCase(int w, int& g) {
  const int groups = static_cast<int>(m_aTrees.size());
  if (g >= 0 && g < groups) {
    CStrevTreeInfo& tree = *m_aTrees[g];
    if (tree.m_nCount >= tree.m_nProcCount) {
      const int caseNumber = Take(w, g);
      if (caseNumber >= 0) return caseNumber;
    }
    tree.RemoveProcessor(w);
  }

  // A group nobody works on, the one with the most cases left.
  int best = -1;
  for (int i = 0; i < groups; ++i) {
    const CStrevTreeInfo& tree = *m_aTrees[i];
    if (tree.m_nProcCount == 0 && tree.m_nCount > 0 && (best < 0 || tree.m_nCount > m_aTrees[best]->m_nCount))
      best = i;
  }
  if (best >= 0) {
    g = best;
    return Take(w, best);
  }

  // Else the group with the largest surplus of cases over workers, skipping
  // groups whose remaining cases are all held (duplicate case numbers).
  best = -1;
  int bestSurplus = 0;
  for (int i = 0; i < groups; ++i) {
    const CStrevTreeInfo& tree = *m_aTrees[i];
    const int surplus = tree.m_nCount - tree.m_nProcCount;
    if (surplus >= 1 && surplus > bestSurplus && tree.FirstFreeCase() >= 0) {
      best = i;
      bestSurplus = surplus;
    }
  }
  if (best >= 0) {
    g = best;
    return Take(w, best);
  }
  g = -1;
  return -1;
}

int CCaseSchedule::RetireCase(int w, int caseNumber, std::string_view name) {
  const int g = FindTree(name);
  if (g < 0) return -1;
  CStrevTreeInfo& tree = *m_aTrees[g];
  tree.RemoveCase(caseNumber);
  tree.SetProcessorCase(w, -1);
  return g;
}

void CCaseSchedule::DetachWorker(int w) {
  for (auto& tree : m_aTrees) tree->RemoveProcessor(w);
}

void CCaseSchedule::SetCaseData(CCaseData& data, int caseNumber, int g) const {
  const CStrevTreeInfo& tree = *m_aTrees[g];
  const int at = tree.FindCase(caseNumber);
  data.m_nCaseNumber = caseNumber;
  data.m_nLoadSolCase = at >= 0 ? tree.m_anLoadSolCase[at] : -1;
  data.m_nListValue4 = at >= 0 ? tree.m_anListValue4[at] : -1;
  data.m_nListValue6 = at >= 0 ? tree.m_anListValue6[at] : -1;
  SetStrevFileName(data, tree.m_strName);
}

int CCaseSchedule::CountUndispatched() const {
  int n = 0;
  for (const auto& tree : m_aTrees)
    for (int i = 0; i < tree->m_nCount; ++i)
      if (!tree->IsHeld(tree->m_anCases[i])) ++n;
  return n;
}
