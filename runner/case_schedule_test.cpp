#include "runner/case_schedule.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <streambuf>

#include "runner/case_account.h"

namespace {

struct Parsed {
  CCaseSchedule schedule;
  std::vector<std::string> log;
};

void Read(Parsed& p, const std::string& text) {
  std::istringstream in(text);
  p.schedule.ReadCaseList(in, [&](int level, const std::string& line) {
    p.log.push_back(std::to_string(level) + " " + line);
  });
}

// "name:case,case;name:case" for comparing the groups at a glance.
std::string Groups(const CCaseSchedule& s) {
  std::string out;
  for (const auto& tree : s.m_aTrees) {
    if (!out.empty()) out += ";";
    out += tree->m_strName + ":";
    for (int i = 0; i < tree->m_nCount; ++i) out += (i ? "," : "") + std::to_string(tree->m_anCases[i]);
  }
  return out;
}

TEST(CaseListTest, Parsing) {
  const std::string longName(700, 'L');
  struct Case {
    std::string text;
    std::string groups;
    int count;
    int logLines;         // level -1 lines expected
    std::string logText;  // expected in the first of them
    int refused = 0;      // lines logged and skipped
    int unread = 0;       // lines with something on them after the end of the list
    int repeated = 0;     // lines repeating a case with another solver file or other words
  } cases[] = {
      {"", "", 0, 0, ""},
      {"\n1 A 0 0 x 0\n", "", 0, 1, "-1 Case list line 1 is empty: the list ends there; 1 line after it was not read.", 0,
       1},
      {"1 A 0 0 x 0\n 2 A 0 0 x 0\n3 A 0 0 x 0\n", "A:1", 1, 1,
       "-1 Case list line 2 begins with a blank: the list ends there; 1 line after it was not read.", 0, 1},
      {"1 A\n2 A\n\n3 A\n4 A\n\n", "A:1,2", 2, 1, "line 3 is empty: the list ends there; 3 lines after it were not read.",
       0, 2},                                                            // a blank line in the middle
      {"1 A\n2 A\n\n", "A:1,2", 2, 1, "line 3 is empty: the list ends there; 0 lines after it were not read."},
      {"1 A 0 0 x 0\n\t2 A 0 0 x 0\n", "A:1,2", 2, 0, ""},               // a tab does not end the list
      {"1 A\r\n2 a\r\n\r\n3 B\r\n", "A:1,2", 2, 1, "line 3 is empty", 0, 1},  // CR LF; letter case joins groups
      {"0 A 0 0 x 0\n", "A:0", 1, 0, ""},                                // case 0 is a case
      {"5 A 1\n5 A 2\n", "A:5", 1, 1,
       "-1 Case list line 2 repeats case 5 of line 1 with other words: the case is run once, as line 1 gives it, and "
       "this line is not run.", 0, 0, 1},
      {"6 A\n7 A\n6 B\n", "A:6,7", 2, 1, "Case list line 3 repeats case 6 of line 1 with other words", 0, 0, 1},
      {"5 A 1 0 x 0\n5 a 1 0 y 0\n", "A:5", 1, 1, "-1 Case list line 2 repeats case 5 of line 1: the case is run once."},
      {"7\n8 B\n", "B:8", 1, 1, "-1 Case list line 1 has no solver file name and was skipped: 7", 1},
      {"-1 A\n-999 A\n9 A\n", "A:9", 1, 2, "line 1 has a negative case number and was skipped", 2},
      {"4294967297 A\n2 A 99999999999\n3 A 0 -2147483649\n4 A 0 0 x 2147483647\n", "A:4", 1, 3,
       "-1 Case list line 1 has a number that does not fit 32 bits and was skipped: 4294967297 A", 3},
      {std::string("1 A\0B 0 0 x 0\n2 A\n", 18), "A:2", 1, 1, "-1 Case list line 1 has a NUL byte in its solver file name", 1},
      {"1 A\n2 " + longName + "\n3 A\n", "A:1;" + longName.substr(0, 596) + ":2", 2, 1,
       "line 2 is longer than 598 characters: it was cut: the list ends there; 1 line after it was not read.", 0, 1},
      {"1 A\n2 " + std::string(596, 'M') + "\n3 A\n", "A:1,3;" + std::string(596, 'M') + ":2", 3, 0, ""},  // 598: whole
      // Damaged lines: control characters, garbage for a case number, two lines run together; what prints
      // nothing is escaped in the log.
      {"1 A 0 0 x 0\n2 A\x01" "B 0 0 x 0\n3 A\x1b\n", "A:1", 1, 2,
       "-1 Case list line 2 has a control character and was skipped: 2 A\\x01B 0 0 x 0", 2},
      {"\xCE\x9D\xFF model\n12x A\n", "", 0, 2, "-1 Case list line 1 has no case number and was skipped: \xCE\\x9D\xFF model",
       2},
      {"1 A 0 0 x 0\xF5" "2 A 0 0 x 0\n", "", 0, 1, "line 1 has more than six words and was skipped", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    Parsed p;
    Read(p, c.text);
    EXPECT_EQ(Groups(p.schedule), c.groups);
    EXPECT_EQ(p.schedule.m_nCaseCount, c.count);
    EXPECT_EQ(static_cast<int>(p.schedule.m_aListed.size()), c.count);
    ASSERT_EQ(static_cast<int>(p.log.size()), c.logLines);
    if (!c.logText.empty()) {
      EXPECT_NE(p.log[0].find(c.logText), std::string::npos) << p.log[0];
    }
    for (const std::string& line : p.log) EXPECT_EQ(line.substr(0, 3), "-1 ");
    EXPECT_EQ(p.schedule.m_nRefusedLines, c.refused);
    EXPECT_EQ(p.schedule.m_nUnreadLines, c.unread);
    EXPECT_EQ(p.schedule.m_nRepeatedLines, c.repeated);
  }
}

// A list of one overlong line and then more, made as it is read: nothing holds the line whole.
class LongLineBuffer : public std::streambuf {
 public:
  LongLineBuffer(std::string head, std::size_t repeated, std::string tail)
      : m_head(std::move(head)), m_repeated(repeated), m_tail(std::move(tail)), m_chunk(1 << 16, 'x') {}

 protected:
  int_type underflow() override {
    if (!m_head.empty()) {
      m_current.swap(m_head);
      m_head.clear();
    } else if (m_repeated > 0) {
      m_current.assign(m_chunk, 0, std::min(m_repeated, m_chunk.size()));
      m_repeated -= m_current.size();
    } else if (!m_tail.empty()) {
      m_current.swap(m_tail);
      m_tail.clear();
    } else {
      return traits_type::eof();
    }
    setg(m_current.data(), m_current.data(), m_current.data() + m_current.size());
    return traits_type::to_int_type(m_current[0]);
  }

 private:
  std::string m_head;
  std::size_t m_repeated;
  std::string m_tail;
  std::string m_chunk;
  std::string m_current;
};

// The process's address space in bytes.
[[maybe_unused]] std::size_t AddressSpaceInUse() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  statm >> pages;
  return pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// A line of any length costs no more memory than the part of it that is kept: a list whose first line
// is far longer than the room left in the address space is read, and its end counted.
TEST(CaseListTest, AnOverlongLineIsReadInBoundedMemory) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers reserve address space of their own";
#else
  const auto readUnderTheLimit = [] {
    constexpr std::size_t kLineLength = std::size_t{256} << 20;
    const rlimit limit{AddressSpaceInUse() + (std::size_t{64} << 20), RLIM_INFINITY};
    ::setrlimit(RLIMIT_AS, &limit);
    LongLineBuffer buffer("1 ", kLineLength, "\n2 A\n3 A\n");
    std::istream in(&buffer);
    CCaseSchedule schedule;
    schedule.ReadCaseList(in, [](int, const std::string&) {});
    std::exit(schedule.m_nCaseCount == 1 && schedule.m_nUnreadLines == 2 ? 0 : 3);
  };
  EXPECT_EXIT(readUnderTheLimit(), ::testing::ExitedWithCode(0), "");
#endif
}

TEST(CaseListTest, ValuesAndMissingWords) {
  Parsed p;
  Read(p, "1 A 3 4 ignored 6\n2 A\n1 a 7 8 x 9\n3 A 2x -5\n");
  const CStrevTreeInfo& a = *p.schedule.m_aTrees[0];
  ASSERT_EQ(a.m_nCount, 3);
  // A repeated case keeps the values of its first line.
  EXPECT_EQ((std::vector<int>{3, 0, 2}), a.m_anLoadSolCase);
  EXPECT_EQ((std::vector<int>{4, 0, -5}), a.m_anListValue4);
  EXPECT_EQ((std::vector<int>{6, 0, 0}), a.m_anListValue6);
  CCaseData data;
  InitCaseData(data);
  p.schedule.SetCaseData(data, 1, 0);
  EXPECT_EQ(data.m_nStatus, 0);
  EXPECT_EQ(data.m_nLoadSolCase, 3);
  EXPECT_STREQ(data.m_szStrevFileName, "A");
}

TEST(CaseListTest, ReadLeadingInt) {
  const std::pair<const char*, int> cases[] = {{"12", 12},   {"-3", -3},        {"+4x", 4},        {"x4", 0},
                                               {"", 0},      {"  7", 7},        {"99999999999", 2147483647},
                                               {"-99999999999", -2147483647 - 1}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadLeadingInt(text), value) << text;
  int value = 5;
  EXPECT_TRUE(ReadLeadingInt32("-2147483648", value));
  EXPECT_EQ(value, -2147483647 - 1);
  EXPECT_FALSE(ReadLeadingInt32("2147483648", value));
  EXPECT_FALSE(ReadLeadingInt32("-2147483649", value));
  EXPECT_EQ(value, -2147483647 - 1);
}

// Drives the schedule as rank zero does: first requests in rank order, then
// answers in the order given; returns "worker:case" per dispatch.
class Driver {
 public:
  Driver(const std::string& list, int workers) : workers_(workers), group_(workers + 1, -1), held_(workers + 1, -1) {
    std::istringstream in(list);
    schedule.ReadCaseList(in, [](int, const std::string&) {});
    for (int w = 1; w <= workers; ++w) {
      if (Next(w) < 0) break;
    }
  }
  int Next(int w) {
    const int c = schedule.GetNextCase(w, group_[w]);
    held_[w] = c;
    if (c >= 0) dispatched.push_back(std::to_string(w) + ":" + std::to_string(c));
    return c;
  }
  // Worker w returns its case, successfully or not, and asks for the next.
  int Return(int w, bool ok = true) {
    const int g = schedule.RetireCase(w, held_[w], schedule.m_aTrees[group_[w]]->m_strName);
    group_[w] = g;
    if (!ok) {
      schedule.DetachWorker(w);
      held_[w] = -1;
      return -1;
    }
    return Next(w);
  }
  int Held(int w) const { return held_[w]; }

  CCaseSchedule schedule;
  std::vector<std::string> dispatched;

 private:
  int workers_;
  std::vector<int> group_;
  std::vector<int> held_;
};

std::string Lines(const std::string& name, std::initializer_list<int> cases) {
  std::string out;
  for (int c : cases) out += std::to_string(c) + " " + name + " 0 0 x 0\n";
  return out;
}

TEST(GetNextCaseTest, FirstRequestsFollowTheSurplus) {
  Driver d(Lines("A", {1, 2, 3, 4, 5}) + Lines("B", {11, 12}), 3);
  EXPECT_EQ(d.dispatched, (std::vector<std::string>{"1:1", "2:11", "3:2"}));
  // Worker 2 finishes B's first case: B has 1 case for 1 worker, so it stays.
  EXPECT_EQ(d.Return(2), 12);
  // Worker 3 stays on A (4 cases left for 2 workers) and takes the first unheld one.
  EXPECT_EQ(d.Return(3), 3);
}

TEST(GetNextCaseTest, LeavesAGroupWithTooFewCases) {
  Driver d(Lines("A", {1, 2, 3}) + Lines("B", {11, 12, 13}), 2);  // 1:1 2:11
  EXPECT_EQ(d.Return(1), 2);
  EXPECT_EQ(d.Return(2), 12);
  EXPECT_EQ(d.Return(1), 3);
  // A now holds only case 3 (held by worker 1); worker 2 stays on B.
  EXPECT_EQ(d.Return(2), 13);
  EXPECT_EQ(d.Return(1), -1);
  EXPECT_EQ(d.Return(2), -1);
  EXPECT_EQ(d.schedule.CountUndispatched(), 0);
}

TEST(GetNextCaseTest, FailedWorkerLeavesItsGroup) {
  Driver d(Lines("A", {1, 2, 3}), 2);  // 1:1 2:2
  EXPECT_EQ(d.Return(1, false), -1);
  // Worker 1 is gone from A, so A's last case still goes to worker 2.
  EXPECT_EQ(d.Return(2), 3);
  EXPECT_EQ(d.Return(2), -1);
  EXPECT_EQ(d.schedule.CountUndispatched(), 0);
}

TEST(GetNextCaseTest, CaseZeroAndARepeatedCase) {
  Driver d(Lines("A", {0, 5, 5}), 3);
  // The repeated 5 is read once: the third worker gets nothing.
  EXPECT_EQ(d.dispatched, (std::vector<std::string>{"1:0", "2:5"}));
  EXPECT_EQ(d.Return(2), -1);
  EXPECT_EQ(d.Return(1), -1);
  EXPECT_EQ(d.schedule.m_aTrees[0]->m_nCount, 0);
}

TEST(GetNextCaseTest, EveryCaseOnceForALargeGroup) {
  std::string list;
  for (int c = 1; c <= 1200; ++c) list += std::to_string(c) + " Big 0 0 x 0\n";
  Driver d(list, 7);
  std::map<int, int> seen;
  for (const auto& s : d.dispatched) ++seen[std::stoi(s.substr(s.find(':') + 1))];
  for (int round = 0; round < 2000; ++round) {
    const int w = 1 + round % 7;
    if (d.Held(w) < 0) continue;
    const int c = d.Return(w);
    if (c >= 0) ++seen[c];
  }
  EXPECT_EQ(seen.size(), 1200u);
  for (const auto& [c, n] : seen) EXPECT_EQ(n, 1) << c;
}

}  // namespace

namespace {

// What became of the listed cases, and the exit status it gives.
TEST(CaseAccountTest, EndsAndExitStatuses) {
  struct End {
    const char* name;
    std::vector<std::pair<int, ECaseState>> states;  // of cases 1 to 4; the rest stay waiting
    CRunEnding end;
    int exitStatus;
    const char* totals;
  } ends[] = {
      {"all solved", {{1, ECaseState::Solved}, {2, ECaseState::Solved}, {3, ECaseState::Solved}, {4, ECaseState::Solved}},
       {}, kExitAllSolved, "Cases in the list: 4; written: 4; failed: 0; not run: 0."},
      {"one failed", {{1, ECaseState::Solved}, {2, ECaseState::Failed}, {3, ECaseState::Solved}, {4, ECaseState::Solved}},
       {}, kExitCasesNotSolved, "written: 3; failed: 1; not run: 0."},
      {"never answered", {{1, ECaseState::Solved}, {2, ECaseState::Running}, {3, ECaseState::Solved}, {4, ECaseState::Solved}},
       {}, kExitCasesNotSolved, "written: 3; failed: 1;"},
      {"left waiting", {{1, ECaseState::Solved}, {2, ECaseState::Solved}}, {}, kExitCasesNotSolved,
       "written: 2; failed: 0; not run: 2."},
      {"stopped", {{1, ECaseState::Solved}, {2, ECaseState::Stopped}}, {.userStop = true}, kExitCasesNotSolved,
       "written: 1; failed: 0; not run: 3."},
      {"stopped by a signal", {{1, ECaseState::Solved}, {2, ECaseState::Stopped}}, {.userStop = true, .signal = 2},
       kExitSignalBase + 2, "written: 1; failed: 0; not run: 3."},
      {"a refused line", {{1, ECaseState::Solved}, {2, ECaseState::Solved}, {3, ECaseState::Solved}, {4, ECaseState::Solved}},
       {.refusedLines = 1}, kExitCasesNotSolved, "written: 4;"},
      {"a repeated line not run", {{1, ECaseState::Solved}, {2, ECaseState::Solved}, {3, ECaseState::Solved},
                                   {4, ECaseState::Solved}},
       {.repeatedLines = 1}, kExitCasesNotSolved, "written: 4;"},
      {"lines left unread", {{1, ECaseState::Solved}, {2, ECaseState::Solved}, {3, ECaseState::Solved}, {4, ECaseState::Solved}},
       {.unreadLines = 2}, kExitCasesNotSolved, "written: 4;"},
      {"no worker started", {{1, ECaseState::Failed}, {2, ECaseState::Failed}}, {.startFailures = 2}, kExitNotStarted,
       "written: 0; failed: 2; not run: 2."},
      {"one worker started", {{1, ECaseState::Failed}, {2, ECaseState::Solved}}, {.startFailures = 1},
       kExitCasesNotSolved, "written: 1; failed: 1; not run: 2."},
      {"not started", {}, {.notStarted = true}, kExitNotStarted, "written: 0; failed: 0; not run: 4."},
  };
  for (End& e : ends) {
    SCOPED_TRACE(e.name);
    CCaseAccount account;
    account.SetCases({1, 2, 3, 4});
    for (const auto& [c, state] : e.states) account.SetState(c, state);
    account.SetState(99, ECaseState::Solved);  // not listed: ignored
    e.end.written = true;
    const int status = account.ExitStatus(e.end);
    EXPECT_EQ(status, e.exitStatus);
    const std::vector<std::string> lines = account.Summary(e.end);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_NE(lines.front().find(e.totals), std::string::npos) << lines.front();
    EXPECT_EQ(lines.back().rfind("Exit status " + std::to_string(status) + ": ", 0), 0u) << lines.back();
  }
}

// A clean run says so in two or three lines; a run with cases of every kind
// names each case by what became of it.
TEST(CaseAccountTest, EveryCaseNotSolvedIsNamedByItsState) {
  CCaseAccount clean;
  clean.SetCases({1, 2});
  for (int c : {1, 2}) {
    clean.SetState(c, ECaseState::Solved);
    clean.SetSolved(c, 1, false);
  }
  CRunEnding cleanEnd;
  cleanEnd.written = true;
  cleanEnd.database = "/runs/Results.Mdb";
  EXPECT_EQ(clean.Summary(cleanEnd),
            (std::vector<std::string>{"Cases in the list: 2; written: 2; failed: 0; not run: 0.",
                                      "Results database: /runs/Results.Mdb",
                                      "Exit status 0: every case in the list was written."}));

  std::vector<int> cases;
  for (int c = 1; c <= 130; ++c) cases.push_back(c);
  CCaseAccount account;
  account.SetCases(cases);
  for (int c = 1; c <= 70; ++c) {
    account.SetState(c, ECaseState::Solved);
    account.SetSolved(c, c % 10 == 3 ? 5 : c == 4 ? 2 : c == 6 ? -1 : 1, c == 8 || c == 12);
  }
  account.SetState(5, ECaseState::Failed);
  account.SetCause(5, "table PrCase: disk full");
  account.SetCause(5, "a later cause");
  account.SetState(9, ECaseState::Failed);
  account.SetState(10, ECaseState::Failed);
  account.SetCause(10, "table PrCase: disk full");
  account.SetState(11, ECaseState::Running);
  account.SetState(71, ECaseState::Stopped);
  CRunEnding end;
  end.userStop = true;
  end.refusedLines = 2;
  end.unreadLines = 3;
  end.workers = {"Processor 2 stopped taking cases: three failed cases in a row."};
  const std::vector<std::string> lines = account.Summary(end);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "Cases in the list: 130; solved: 66; failed: 4; not run: 60.");
  EXPECT_EQ(lines[1], "Case list lines refused: 2; repeating a case with other words: 0; after the end of the list, "
                      "not read: 3.");
  EXPECT_EQ(lines[2], "Failed: 5, 10: table PrCase: disk full");
  EXPECT_EQ(lines[3], "Failed: 9: no cause was given");
  EXPECT_EQ(lines[4], "Failed: 11: its worker never answered");
  // Cut to a readable length, with what was left out counted.
  EXPECT_EQ(lines[5].rfind("Not run: 71, 72, ", 0), 0u);
  EXPECT_NE(lines[5].find(", 119, 120 and 10 more: the user stopped the run."), std::string::npos) << lines[5];
  EXPECT_EQ(lines[6], "Processor 2 stopped taking cases: three failed cases in a row.");
  EXPECT_EQ(lines[7], "Replaced earlier results (2 cases): 8, 12.");
  EXPECT_EQ(lines[8], "Not optimal: MaxPass Exceeded: 4; Infeasible: 3, 13, 23, 33, 43, 53, 63.");
  EXPECT_EQ(lines[9], "Exit status 1: the user stopped the run; not every case in the list was solved.");
  EXPECT_EQ(CaseNumberList({}, 3), "");
  EXPECT_EQ(CaseNumberList({1, 2, 3}, 3), "1, 2, 3");
  EXPECT_EQ(CaseNumberList({1, 2, 3, 4}, 3), "1, 2, 3 and 1 more");
}

// Past the listed causes, the other failed cases are named on one line.
TEST(CaseAccountTest, ManyCausesAreCut) {
  std::vector<int> cases;
  for (int c = 1; c <= 15; ++c) cases.push_back(c);
  CCaseAccount account;
  account.SetCases(cases);
  for (int c = 1; c <= 15; ++c) {
    account.SetState(c, ECaseState::Failed);
    account.SetCause(c, "cause " + std::to_string(c));
  }
  const std::vector<std::string> lines = account.Summary(CRunEnding{});
  ASSERT_EQ(lines.size(), 1u + CCaseAccount::kCauseLines + 2u);
  EXPECT_EQ(lines[10], "Failed: 10: cause 10");
  EXPECT_EQ(lines[11], "Failed for other causes (each case's cause is in the log of rank zero): 11, 12, 13, 14, 15.");
  EXPECT_EQ(SolveStatusWord(5), "Infeasible");
  EXPECT_EQ(SolveStatusWord(11), "status 11");
}

}  // namespace
