// Prints the script that creates the result tables of a server results
// database (PostgreSQL by default, "--sqlite" for SQLite), built from the
// result-table catalogue.

#include <cstdio>
#include <cstring>
#include <string>

#include "writers/schema/result_schema.h"

int main(int argc, char** argv) {
  DdlDialect dialect = DdlDialect::PostgreSql;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--sqlite") == 0) {
      dialect = DdlDialect::Sqlite;
    } else if (std::strcmp(argv[i], "--postgresql") != 0) {
      std::fprintf(stderr, "usage: result_ddl [--postgresql | --sqlite]\n");
      return 2;
    }
  }
  const std::string script = BuildResultTablesDdl(dialect);
  return std::fwrite(script.data(), 1, script.size(), stdout) == script.size() ? 0 : 1;
}
