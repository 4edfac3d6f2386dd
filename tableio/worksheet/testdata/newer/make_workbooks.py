#!/usr/bin/python3
# Makes the newer-workbook fixtures: run with Debian's python3-openpyxl and
# python3-xlwt, then convert.sh turns the openpyxl workbook into LibreOffice's
# .xlsx and BIFF8 .xls (LibreOffice also computes the formulas' values).
import datetime
import openpyxl
import xlwt
from openpyxl.chart import BarChart, Reference
from openpyxl.utils.datetime import CALENDAR_MAC_1904

LONG = "".join(chr(ord("a") + i % 26) for i in range(300))
NON_ASCII = "Caf\u00e9 \u20ac \u00dfig \u0141\u00f3d\u017a"

def types_book(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Data"
    ws.append(["NAME", "VALUE", "FLAG", "WHEN", "NOTE"])
    ws.append(["a", 1.5, True, datetime.datetime(2024, 1, 31, 14, 5, 9), LONG])
    ws.append(["b", 1234567, False, datetime.date(2021, 2, 28), NON_ASCII])
    ws.append(["c", "=B2*2", "=B2>1", datetime.time(6, 30), "=A2&\"x\""])
    ws.append(["d", "=1/0", "#N/A", None, "12"])
    ws["D5"].number_format = "d-mmm-yy"
    ws["D5"] = 45000
    ws["B6"] = 2.5
    ws["B6"].number_format = "[h]:mm:ss"
    ws["A6"] = "e"
    ws["C6"] = 3.25
    ws["C6"].number_format = '"$"#,##0.00'
    ws.column_dimensions["E"].width = 30.71
    chart = wb.create_chartsheet("Chart1")
    bar = BarChart()
    bar.add_data(Reference(ws, min_col=2, min_row=1, max_row=3), titles_from_data=True)
    chart.add_chart(bar)
    other = wb.create_sheet("Other Sheet")
    other["B3"] = 7
    other["A1"] = "x"
    wb.create_sheet("One")["A1"] = "only"
    wb.create_sheet("Empty")
    wb.save(path)

def epoch_1904_book(path):
    wb = openpyxl.Workbook()
    wb.epoch = CALENDAR_MAC_1904
    ws = wb.active
    ws.title = "Mac"
    ws.append(["DATE", "N"])
    ws.append([datetime.date(2024, 1, 31), 1])
    wb.save(path)

def xlwt_book(path):
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Data")
    date = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    stamp = xlwt.easyxf(num_format_str="yyyy-mm-dd hh:mm:ss")
    for col, name in enumerate(["NAME", "VALUE", "FLAG", "WHEN", "NOTE"]):
        ws.write(0, col, name)
    ws.write(1, 0, "a"); ws.write(1, 1, 1.5); ws.write(1, 2, True)
    ws.write(1, 3, datetime.datetime(2024, 1, 31, 14, 5, 9), stamp); ws.write(1, 4, LONG)
    ws.write(2, 0, "b"); ws.write(2, 1, 1234567); ws.write(2, 2, False)
    ws.write(2, 3, datetime.date(2021, 2, 28), date); ws.write(2, 4, NON_ASCII)
    ws.write(3, 0, "c"); ws.write(3, 1, -42); ws.write(3, 2, xlwt.Formula("1/0"))
    ws.write(3, 4, "")
    ws.col(4).width = 256 * 31
    wb.add_sheet("second").write(1, 1, "two")
    wb.save(path)

if __name__ == "__main__":
    types_book("openpyxl_types.xlsx")
    epoch_1904_book("openpyxl_1904.xlsx")
    xlwt_book("xlwt_types.xls")
