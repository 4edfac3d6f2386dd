// Reading a model table of 50,000 rows and 20 columns from an .xlsx workbook
// through the newer-workbook reader, cell by cell as the worksheet back end
// reads it, alone and side by side with openpyxl in read-only mode
// (bench/xlsx_read_openpyxl.py through /usr/bin/python3; goal: at least 5
// times as fast in the worst round and 8 times in the median). The workbook
// is written once by the benchmark itself (path in $OSTREL_XLSX_BENCH_FILE,
// else in /tmp).

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/side_by_side.h"
#include "tableio/worksheet/excel8_wks_io.h"

namespace {

constexpr int kRows = 50000;
constexpr int kColumns = 20;

std::string ColumnName(int column) {
  std::string name;
  for (int c = column + 1; c > 0; c = (c - 1) / 26) name.insert(name.begin(), static_cast<char>('A' + (c - 1) % 26));
  return name;
}

// A complete package (content types included) so that other readers open it too.
void WriteWorkbook(const std::string& path) {
  std::vector<std::string> parts;
  parts.reserve(8);
  parts.push_back(
      R"(<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
      R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
      R"(<Default Extension="xml" ContentType="application/xml"/>)"
      R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
      R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
      R"(<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>)"
      R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"
      R"(</Types>)");
  parts.push_back(
      R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
      R"(</Relationships>)");
  parts.push_back(
      R"(<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
      R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>)"
      R"(<sheet name="Table" sheetId="1" r:id="rId1"/></sheets></workbook>)");
  parts.push_back(
      R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
      R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>)"
      R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
      R"(</Relationships>)");
  parts.push_back(
      R"(<?xml version="1.0" encoding="UTF-8"?><styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
      R"(<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts><fills count="1"><fill><patternFill patternType="none"/></fill></fills>)"
      R"(<borders count="1"><border/></borders><cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
      R"(<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs></styleSheet>)");

  std::string strings = R"(<?xml version="1.0" encoding="UTF-8"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)";
  strings += "<si><t>ROWNAMES</t></si>";
  for (int c = 1; c < kColumns; ++c) strings += "<si><t>COL" + std::to_string(c) + "</t></si>";
  for (int r = 1; r <= kRows; ++r) strings += "<si><t>ROW" + std::to_string(r) + "</t></si>";
  strings += "</sst>";

  std::string sheet = R"(<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)";
  sheet += "<dimension ref=\"A1:" + ColumnName(kColumns - 1) + std::to_string(kRows + 1) + "\"/><sheetData>";
  char value[64];
  for (int r = 0; r <= kRows; ++r) {
    sheet += "<row r=\"" + std::to_string(r + 1) + "\">";
    for (int c = 0; c < kColumns; ++c) {
      const std::string ref = ColumnName(c) + std::to_string(r + 1);
      if (r == 0 || c == 0) {
        const int index = r == 0 ? c : kColumns - 1 + r;
        sheet += "<c r=\"" + ref + "\" t=\"s\"><v>" + std::to_string(index) + "</v></c>";
      } else {
        std::snprintf(value, sizeof value, "%.17g", r * 1.25 + c / 7.0);
        sheet += "<c r=\"" + ref + "\"><v>" + value + "</v></c>";
      }
    }
    sheet += "</row>";
  }
  sheet += "</sheetData></worksheet>";
  parts.push_back(std::move(strings));
  parts.push_back(std::move(sheet));

  const char* names[] = {"[Content_Types].xml", "_rels/.rels", "xl/workbook.xml", "xl/_rels/workbook.xml.rels",
                         "xl/styles.xml", "xl/sharedStrings.xml", "xl/worksheets/sheet1.xml"};
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) throw std::runtime_error("cannot create " + path);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    zip_source_t* source = zip_source_buffer(archive, parts[i].data(), parts[i].size(), 0);
    if (!source || zip_file_add(archive, names[i], source, ZIP_FL_OVERWRITE) < 0) throw std::runtime_error("zip add failed");
  }
  if (zip_close(archive) != 0) throw std::runtime_error("cannot write " + path);
}

const std::string& WorkbookPath() {
  static const std::string path = [] {
    const char* configured = std::getenv("OSTREL_XLSX_BENCH_FILE");
    std::string p = configured && *configured ? configured
                                              : (std::filesystem::temp_directory_path() / "ostrel_xlsx_bench_50000x20.xlsx").string();
    if (!std::filesystem::exists(p)) WriteWorkbook(p);
    return p;
  }();
  return path;
}

double PeakMemoryMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

// Opens the workbook and reads every row: the key text and the numbers. The
// number of data rows, or -1 when the workbook did not open.
std::int64_t ReadTable(const std::string& path) {
  excel8WksIO reader(path, "table");
  if (reader.HasError()) return -1;
  char text[256];
  double sum = 0;
  for (int r = 0; r < reader.GetRowCount(); ++r) {
    reader.TWksIOInnards::ReadText(r, 0, text, sizeof text, -3);
    for (int c = 1; c < reader.GetColumnCount(); ++c) {
      double value = 0;
      reader.ReadNumber(r, c, &value);
      if (value < 1e30) sum += value;
    }
  }
  benchmark::DoNotOptimize(sum);
  return reader.GetRowCount() - 1;
}

void BM_ReadXlsxTable(benchmark::State& state) {
  const std::string& path = WorkbookPath();
  std::int64_t rows = 0;
  for (auto _ : state) {
    const std::int64_t read = ReadTable(path);
    if (read < 0) {
      state.SkipWithError("the workbook did not open");
      return;
    }
    rows += read;
  }
  state.counters["rows_per_second"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
  state.counters["peak_rss_MiB"] = PeakMemoryMiB();
}
BENCHMARK(BM_ReadXlsxTable)->Unit(benchmark::kMillisecond)->UseRealTime();

// One read by openpyxl in its own process: the CPU seconds it reports for
// opening the workbook and reading every row (the interpreter's start-up and
// imports are not counted); negative when it did not run.
double ReadWithOpenpyxl(const std::string& path) {
  const std::string command =
      "/usr/bin/python3 " OSTREL_BENCH_SOURCE_DIR "/xlsx_read_openpyxl.py '" + path + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  double seconds = -1;
  long rows = 0;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr)
    if (std::sscanf(line, "cpu_seconds %lf rows %ld", &seconds, &rows) == 2 && rows != kRows) seconds = -1;
  if (pclose(pipe) != 0) return -1;
  return seconds;
}

void BM_ReadXlsxSideBySideOpenpyxl(benchmark::State& state) {
  const std::string& path = WorkbookPath();
  if (ReadWithOpenpyxl(path) < 0) {
    state.SkipWithError("openpyxl did not read the workbook (python3-openpyxl missing?)");
    return;
  }
  bench::SideBySideTimes times;
  for (auto _ : state) {
    times = bench::RunSideBySide(
        static_cast<int>(state.range(0)),
        [&] {
          std::int64_t rows = 0;
          const double seconds = bench::TimeOnce([&] { rows = ReadTable(path); });
          return rows == kRows ? seconds : -1.0;
        },
        [&] { return ReadWithOpenpyxl(path); });
    state.SetIterationTime(bench::Min(times.ours) + bench::Min(times.anchor));
  }
  bench::ReportSideBySide(state, times, ".xlsx read 50,000 x 20 vs openpyxl read-only", kRows, "rows");
}
BENCHMARK(BM_ReadXlsxSideBySideOpenpyxl)->Arg(7)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
