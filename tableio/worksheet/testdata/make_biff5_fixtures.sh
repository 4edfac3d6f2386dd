#!/bin/sh
# Rebuilds the BIFF5 fixtures: an .xlsx written by openpyxl, converted by
# gnumeric's ssconvert. Neither tool is needed to run the tests.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
/usr/bin/python3 - "$tmp/book.xlsx" <<'PY'
import datetime, sys
import openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Data"
ws.append(["ROWNAMES", "Alpha", "Beta", "Gamma", "When"])
ws.append(["R1", 1, 2, 3, datetime.date(2024, 3, 15)])
ws.append(["R2", 1.5, -2.25, 1234567.0, datetime.datetime(2024, 3, 15, 13, 30)])
ws.append(["R3", 100, 200, 300, None])
ws.append(["Caf\u00e9", "text", None, 0.1, None])
ws["E2"].number_format = "m/d/yyyy"
ws["E3"].number_format = "yyyy-mm-dd hh:mm"
ws["B6"] = "=B2*2"
ws["C6"] = '=A2&"x"'
ws["A7"] = "last"
second = wb.create_sheet("Second Sheet")
second.append(["Name", "Value"])
second.append(["one", 11])
second.append(["two", 22])
wb.create_sheet("DataMore").append(["other"])
wb.save(sys.argv[1])
PY
ssconvert -T Gnumeric_Excel:excel_biff7 "$tmp/book.xlsx" book_biff5.xls
