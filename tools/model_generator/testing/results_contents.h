#pragma once
// Test support: what a results database holds, as text to compare between
// runs (every table's rows, but the clock times and the runs' own records)
// and as the number of rows of each case in each table, from a results file
// or from a database of the private PostgreSQL server.

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <climits>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace model_gen_testing {

// The runs' record, and columns that hold the clock time of the run or of a case.
inline const std::set<std::string> kRunRecords = {"OstrelRuns"};
inline const std::set<std::string> kClockColumns = {
    "PrCase.SolveTime",     "PrCase.TotalTime",           "PrSolution.DateTime", "PrDatabaseVersion.DateCreated",
    "PrSetting.DateValue",  "PrSettingDefault.DateValue", "LGSETTNG.DATE_VAL",   "LGRUNID.DATE",
    "LGRUNID.TIME"};

// A database's first column of each row of a query, as text.
class ResultsSource {
 public:
  explicit ResultsSource(const std::filesystem::path& file) {
    if (sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      sqlite3_close(m_db);
      m_db = nullptr;
    } else {
      // A job may be writing it: wait for its writers' turns.
      sqlite3_busy_timeout(m_db, 60000);
    }
  }
  ResultsSource(int port, const std::string& database)
      : m_pg(PQconnectdb(("host=127.0.0.1 user=postgres dbname=" + database + " port=" + std::to_string(port)).c_str())) {
  }
  ~ResultsSource() {
    if (m_db) sqlite3_close(m_db);
    if (m_pg) PQfinish(m_pg);
  }
  ResultsSource(const ResultsSource&) = delete;
  ResultsSource& operator=(const ResultsSource&) = delete;

  bool Server() const { return m_pg != nullptr; }
  std::vector<std::string> Strings(const std::string& sql) const {
    std::vector<std::string> values;
    if (m_pg) {
      PGresult* result = PQexec(m_pg, sql.c_str());
      if (PQresultStatus(result) != PGRES_TUPLES_OK)
        ADD_FAILURE() << PQerrorMessage(m_pg) << "\n" << sql;
      else
        for (int r = 0; r < PQntuples(result); ++r) values.emplace_back(PQgetvalue(result, r, 0));
      PQclear(result);
      return values;
    }
    sqlite3_stmt* statement = nullptr;
    if (m_db == nullptr) return values;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
      ADD_FAILURE() << sqlite3_errmsg(m_db) << "\n" << sql;
      return values;
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(statement, 0);
      values.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
    }
    sqlite3_finalize(statement);
    return values;
  }
  std::vector<std::string> Tables() const {
    return Strings(m_pg ? "SELECT table_name FROM information_schema.tables WHERE table_schema = 'public' AND "
                          "table_type = 'BASE TABLE' ORDER BY table_name"
                        : "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY "
                          "name");
  }
  std::vector<std::string> Columns(const std::string& table) const {
    return Strings(m_pg ? "SELECT column_name FROM information_schema.columns WHERE table_schema = 'public' AND "
                          "table_name = '" + table + "' ORDER BY ordinal_position"
                        : "SELECT name FROM pragma_table_info('" + table + "')");
  }
  // A column's value as comparable text (null as NULL).
  std::string Quoted(const std::string& column) const {
    return m_pg ? "coalesce(quote_literal(\"" + column + "\"), 'NULL')" : "quote(\"" + column + "\")";
  }

 private:
  sqlite3* m_db = nullptr;
  PGconn* m_pg = nullptr;
};

// Every table's rows as text, each table's rows sorted, without the clock columns and the runs' records.
inline std::string Contents(const ResultsSource& source) {
  std::string text;
  for (const std::string& table : source.Tables()) {
    if (kRunRecords.count(table)) continue;
    std::string row;
    for (const std::string& column : source.Columns(table))
      if (!kClockColumns.count(table + "." + column))
        row += (row.empty() ? "" : " || '|' || ") + source.Quoted(column);
    if (row.empty()) continue;
    const std::vector<std::string> rows = source.Strings("SELECT " + row + " FROM \"" + table + "\" ORDER BY 1");
    text += "== " + table + " (" + std::to_string(rows.size()) + " rows)\n";
    for (const std::string& line : rows) text += line + "\n";
  }
  return text;
}

// The first line where two texts differ, with the table it belongs to.
inline std::string FirstDifference(const std::string& a, const std::string& b) {
  std::size_t lineStart = 0, tableStart = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i] != b[i]) {
      const std::string table = a.substr(tableStart, a.find('\n', tableStart) - tableStart);
      return table + "\n  " + a.substr(lineStart, a.find('\n', lineStart) - lineStart) + "\n  " +
             b.substr(lineStart, b.find('\n', lineStart) - lineStart);
    }
    if (a[i] == '\n') {
      lineStart = i + 1;
      if (a.compare(lineStart, 3, "== ") == 0) tableStart = lineStart;
    }
  }
  return a.size() == b.size() ? "none" : "one is a prefix of the other";
}

// The rows of each case in each table that has rows (CaseID, or CASE of a legacy table; with or without the
// "LG_" prefix); a table without cases counts its rows under kNoCase.
inline constexpr int kNoCase = INT_MIN;
using CaseRows = std::map<std::string, std::map<int, int>>;

inline CaseRows RowsOfCases(const ResultsSource& source) {
  CaseRows rows;
  for (const std::string& table : source.Tables()) {
    if (kRunRecords.count(table)) continue;
    std::string caseColumn;
    for (const std::string& column : source.Columns(table))
      for (const char* name : {"CaseID", "LG_CaseID", "CASE", "LG_CASE"})
        if (column == name) caseColumn = column;
    const std::string key = caseColumn.empty() ? std::to_string(kNoCase) : "\"" + caseColumn + "\"";
    const std::vector<std::string> counts = source.Strings("SELECT " + key + " || ' ' || count(*) FROM \"" + table +
                                                           "\"" + (caseColumn.empty() ? "" : " GROUP BY " + key));
    for (const std::string& line : counts) {
      const std::size_t blank = line.find(' ');
      const int count = std::stoi(line.substr(blank + 1));
      if (count > 0) rows[table][std::stoi(line.substr(0, blank))] = count;
    }
  }
  return rows;
}

// Empty when now holds, of every case in its PrCase, the rows the reference holds of that case in every
// table, no row of any other case, and the reference's rows without a case (none when no case is written);
// otherwise what differs.
inline std::string WholeOrAbsent(const CaseRows& now, const CaseRows& reference) {
  std::set<int> written;
  if (auto found = now.find("PrCase"); found != now.end())
    for (const auto& [caseNumber, count] : found->second) written.insert(caseNumber);
  CaseRows expected;
  for (const auto& [table, cases] : reference)
    for (const auto& [caseNumber, count] : cases)
      if (caseNumber == kNoCase ? !written.empty() : written.count(caseNumber) > 0)
        expected[table][caseNumber] = count;
  std::string differences;
  std::set<std::string> tables;
  for (const auto& [table, cases] : expected) tables.insert(table);
  for (const auto& [table, cases] : now) tables.insert(table);
  for (const std::string& table : tables) {
    const std::map<int, int> empty;
    const std::map<int, int>& got = now.count(table) ? now.at(table) : empty;
    const std::map<int, int>& want = expected.count(table) ? expected.at(table) : empty;
    if (got == want) continue;
    differences += table + ":";
    std::set<int> cases;
    for (const auto& [c, n] : got) cases.insert(c);
    for (const auto& [c, n] : want) cases.insert(c);
    for (int c : cases) {
      const int g = got.count(c) ? got.at(c) : 0, w = want.count(c) ? want.at(c) : 0;
      if (g != w)
        differences += " case " + (c == kNoCase ? std::string("none") : std::to_string(c)) + " has " +
                       std::to_string(g) + " rows, not " + std::to_string(w) + ";";
    }
    differences += "\n";
  }
  return differences;
}

}  // namespace model_gen_testing
