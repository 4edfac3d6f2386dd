#pragma once
// Test support: the rows of a query on a results file as one text.

#include <sqlite3.h>

#include <string>

namespace model_gen_testing {

// The rows of a query, each "a|b|..." (NULL for a null) followed by a blank; the error text when the query
// cannot be prepared.
inline std::string SqliteRows(sqlite3* db, const std::string& sql) {
  std::string out;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return sqlite3_errmsg(db);
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      const unsigned char* text = sqlite3_column_text(stmt, i);
      out += (i ? "|" : "") + std::string(text ? reinterpret_cast<const char*>(text) : "NULL");
    }
    out += " ";
  }
  sqlite3_finalize(stmt);
  return out;
}

}  // namespace model_gen_testing
