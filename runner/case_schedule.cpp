#include "runner/case_schedule.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <sstream>
#include <unordered_map>
#include <utility>

#include "foundation/string_utils.h"
#include "runner/runner_messages.h"

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// Decimal value of the leading characters, saturated well outside the int range.
long long ReadLeadingWide(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr long long kCeiling = static_cast<long long>(INT_MAX) * 4;
  long long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
    value = std::min(value * 10 + (text[i] - '0'), kCeiling);
  return negative ? -value : value;
}

// A control character other than the tab; the carriage return of a line end is gone by now.
bool HasControlCharacter(std::string_view line) {
  return std::any_of(line.begin(), line.end(), [](char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return (c < 0x20 && c != '\t') || c == 0x7F;
  });
}

// An optional sign and decimal digits, nothing else.
bool IsWholeNumber(std::string_view word) {
  if (!word.empty() && (word[0] == '+' || word[0] == '-')) word.remove_prefix(1);
  return !word.empty() && std::all_of(word.begin(), word.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

std::string LineCount(int n) { return n == 1 ? "1 line" : std::to_string(n) + " lines"; }

// The longest part of a line kept: one more than a line read whole, so that a longer one shows.
constexpr size_t kKeptLineLength = CCaseSchedule::kMaxLineLength + 1;

// std::getline that keeps at most limit characters of the line and reads past the rest, so a line of any
// length costs no more memory than that. False at the end of the input.
bool GetBoundedLine(std::istream& in, std::string& line, size_t limit) {
  line.clear();
  const std::istream::sentry ready(in, true);
  if (!ready) return false;
  std::streambuf& buffer = *in.rdbuf();
  for (bool any = false;; any = true) {
    const std::streambuf::int_type c = buffer.sbumpc();
    if (std::streambuf::traits_type::eq_int_type(c, std::streambuf::traits_type::eof())) {
      in.setstate(any ? std::ios::eofbit : std::ios::eofbit | std::ios::failbit);
      return any;
    }
    if (c == '\n') return true;
    if (line.size() < limit) line.push_back(std::streambuf::traits_type::to_char_type(c));
  }
}

// Reads what is left of the list: how many lines, and how many of them hold more than blanks.
std::pair<int, int> CountRest(std::istream& in) {
  int lines = 0;
  int filled = 0;
  for (std::string line; GetBoundedLine(in, line, kKeptLineLength);) {
    ++lines;
    if (line.find_first_not_of(" \t\r\f\v") != std::string::npos) ++filled;
  }
  return {lines, filled};
}

}  // namespace

int ReadLeadingInt(std::string_view text) {
  return static_cast<int>(std::clamp<long long>(ReadLeadingWide(text), INT_MIN, INT_MAX));
}

bool ReadLeadingInt32(std::string_view text, int& value) {
  const long long wide = ReadLeadingWide(text);
  if (wide < INT_MIN || wide > INT_MAX) return false;
  value = static_cast<int>(wide);
  return true;
}

void CCaseSchedule::ReadCaseList(std::istream& in, const LogFn& log) {
  // Where each case number first stood, to refuse a repeated one.
  std::unordered_map<int, int> firstLine;
  const auto endHere = [&](int lineNumber, const char* why) {
    const auto [rest, filled] = CountRest(in);
    m_nUnreadLines += filled;
    log(-1, FormatText("Case list line %d %s: the list ends there; %s after it %s not read.", lineNumber, why,
                       LineCount(rest).c_str(), rest == 1 ? "was" : "were"));
  };
  const auto refuse = [&](int lineNumber, const char* why, const std::string& line) {
    ++m_nRefusedLines;
    log(-1, FormatText("Case list line %d %s and was skipped: %s", lineNumber, why, EscapeNonPrintable(line).c_str()));
  };

  std::string line;
  int lineNumber = 0;
  while (GetBoundedLine(in, line, kKeptLineLength)) {
    ++lineNumber;
    bool cut = false;
    if (line.size() > kMaxLineLength) {
      line.resize(kMaxLineLength);
      cut = true;
    } else if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (line.empty()) return endHere(lineNumber, "is empty");
    if (line[0] == ' ') return endHere(lineNumber, "begins with a blank");

    std::istringstream words(line);
    std::string word[6];
    for (std::string& w : word) words >> w;
    std::string extra;
    words >> extra;
    int caseNumber = 0;
    int values[3] = {0, 0, 0};
    if (word[1].empty()) {
      refuse(lineNumber, "has no solver file name", line);
    } else if (word[1].find('\0') != std::string::npos) {
      refuse(lineNumber, "has a NUL byte in its solver file name", line);
    } else if (HasControlCharacter(line)) {
      refuse(lineNumber, "has a control character", line);
    } else if (!IsWholeNumber(word[0])) {
      refuse(lineNumber, "has no case number", line);
    } else if (!extra.empty()) {
      refuse(lineNumber, "has more than six words", line);
    } else if (!ReadLeadingInt32(word[0], caseNumber) || !ReadLeadingInt32(word[2], values[0]) ||
               !ReadLeadingInt32(word[3], values[1]) || !ReadLeadingInt32(word[5], values[2])) {
      refuse(lineNumber, "has a number that does not fit 32 bits", line);
    } else if (caseNumber < 0) {
      refuse(lineNumber, "has a negative case number", line);
    } else if (const auto [at, added] = firstLine.emplace(caseNumber, lineNumber); !added) {
      if (RepeatsWithOtherWords(caseNumber, word[1], values)) {
        // What this line asks for is never run: the run must not end as if it had been.
        ++m_nRepeatedLines;
        log(-1, FormatText("Case list line %d repeats case %d of line %d with other words: the case is run once, as "
                           "line %d gives it, and this line is not run.",
                           lineNumber, caseNumber, at->second, at->second));
      } else {
        log(-1, FormatText("Case list line %d repeats case %d of line %d: the case is run once.", lineNumber,
                           caseNumber, at->second));
      }
    } else {
      ++m_nCaseCount;
      m_aListed.push_back(caseNumber);
      int g = FindTree(word[1]);
      if (g < 0) {
        m_aTrees.push_back(std::make_unique<CStrevTreeInfo>(word[1]));
        g = static_cast<int>(m_aTrees.size()) - 1;
      }
      CStrevTreeInfo& tree = *m_aTrees[g];
      tree.AddCase(caseNumber);
      const int entry = tree.FindCase(caseNumber);
      tree.m_anLoadSolCase[entry] = values[0];
      tree.m_anListValue4[entry] = values[1];
      tree.m_anListValue6[entry] = values[2];
    }
    if (cut) {
      const std::string why = FormatText("is longer than %zu characters: it was cut", kMaxLineLength);
      return endHere(lineNumber, why.c_str());
    }
  }
}

bool CCaseSchedule::RepeatsWithOtherWords(int caseNumber, std::string_view name, const int (&values)[3]) const {
  const int g = FindTree(name);
  if (g < 0) return true;
  const CStrevTreeInfo& tree = *m_aTrees[g];
  const int at = tree.FindCase(caseNumber);
  return at < 0 || tree.m_anLoadSolCase[at] != values[0] || tree.m_anListValue4[at] != values[1] ||
         tree.m_anListValue6[at] != values[2];
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
