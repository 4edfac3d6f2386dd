#!/usr/bin/python3
# Reads the workbook of xlsx_read_bench with openpyxl in read-only mode: rows
# per second and peak memory. xlsx_read_bench runs it side by side with its own
# read; it can also be run by hand after the benchmark wrote the workbook.
# Needs Debian's python3-openpyxl. The last line gives the CPU seconds of the
# read (opening the workbook and every row), as the benchmark parses it.
import os
import resource
import sys
import tempfile
import time

import openpyxl

path = sys.argv[1] if len(sys.argv) > 1 else os.environ.get(
    "OSTREL_XLSX_BENCH_FILE", os.path.join(tempfile.gettempdir(), "ostrel_xlsx_bench_50000x20.xlsx"))
start = time.perf_counter()
start_cpu = time.process_time()
workbook = openpyxl.load_workbook(path, read_only=True)
rows = 0
total = 0.0
for row in workbook["Table"].iter_rows(min_row=2, values_only=True):
    rows += 1
    total += sum(v for v in row[1:] if v is not None)
workbook.close()
cpu = time.process_time() - start_cpu
elapsed = time.perf_counter() - start
peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0
print(f"openpyxl read-only: {rows} rows in {elapsed:.3f} s = {rows / elapsed:.0f} rows/s, peak RSS {peak:.1f} MiB")
print(f"cpu_seconds {cpu:.6f} rows {rows}")
