#include "runner/case_schedule.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

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
    int logLines;  // level -1 lines expected
  } cases[] = {
      {"", "", 0, 0},
      {"\n1 A 0 0 x 0\n", "", 0, 0},                                    // first line empty
      {"1 A 0 0 x 0\n 2 A 0 0 x 0\n3 A 0 0 x 0\n", "A:1", 1, 0},        // a leading blank ends the list
      {"1 A 0 0 x 0\n\t2 A 0 0 x 0\n", "A:1,2", 2, 0},                  // a tab does not
      {"1 A\r\n2 a\r\n\r\n3 B\r\n", "A:1,2", 2, 0},                     // CR LF; letter case joins groups
      {"0 A 0 0 x 0\n", "A:0", 1, 0},                                   // case 0 is a case
      {"5 A\n5 A\n", "A:5,5", 2, 0},                                    // duplicates stay
      {"7\n8 B\n", "B:8", 1, 1},                                        // no solver file: skipped
      {"-1 A\n-999 A\n9 A\n", "A:9", 1, 2},                             // would be read as stop records
      {"1 A\n2 " + longName + "\n3 A\n", "A:1;" + longName.substr(0, 596) + ":2", 2, 1},  // cut line ends the list
      {"1 A\n2 " + std::string(596, 'M') + "\n3 A\n", "A:1,3;" + std::string(596, 'M') + ":2", 3, 0},  // 598: whole
  };
  for (const Case& c : cases) {
    Parsed p;
    Read(p, c.text);
    std::string groups = Groups(p.schedule);
    EXPECT_EQ(groups, c.groups) << c.text.substr(0, 40);
    EXPECT_EQ(p.schedule.m_nCaseCount, c.count) << c.text.substr(0, 40);
    EXPECT_EQ(static_cast<int>(p.log.size()), c.logLines) << c.text.substr(0, 40);
  }
}

TEST(CaseListTest, ValuesAndMissingWords) {
  Parsed p;
  Read(p, "1 A 3 4 ignored 6\n2 A\n1 a 7 8 x 9\n3 A 2x -5\n");
  const CStrevTreeInfo& a = *p.schedule.m_aTrees[0];
  ASSERT_EQ(a.m_nCount, 4);
  // The duplicate's values overwrite the first entry; the second keeps -1.
  EXPECT_EQ((std::vector<int>{7, 0, -1, 2}), a.m_anLoadSolCase);
  EXPECT_EQ((std::vector<int>{8, 0, -1, -5}), a.m_anListValue4);
  EXPECT_EQ((std::vector<int>{9, 0, -1, 0}), a.m_anListValue6);
  CCaseData data;
  InitCaseData(data);
  p.schedule.SetCaseData(data, 1, 0);
  EXPECT_EQ(data.m_nStatus, 0);
  EXPECT_EQ(data.m_nLoadSolCase, 7);
  EXPECT_STREQ(data.m_szStrevFileName, "A");
}

TEST(CaseListTest, ReadLeadingInt) {
  const std::pair<const char*, int> cases[] = {{"12", 12},   {"-3", -3},        {"+4x", 4},        {"x4", 0},
                                               {"", 0},      {"  7", 7},        {"99999999999", 2147483647},
                                               {"-99999999999", -2147483647 - 1}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadLeadingInt(text), value) << text;
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

TEST(GetNextCaseTest, CaseZeroAndDuplicates) {
  Driver d(Lines("A", {0, 5, 5}), 3);
  // The third worker finds both 5s held by number: it gets nothing rather than a held case.
  EXPECT_EQ(d.dispatched, (std::vector<std::string>{"1:0", "2:5"}));
  EXPECT_EQ(d.Return(2), 5);
  EXPECT_EQ(d.Return(1), -1);
  EXPECT_EQ(d.Return(2), -1);
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
