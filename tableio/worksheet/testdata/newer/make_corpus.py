#!/usr/bin/python3
# Writes malformed newer workbooks into ../corpus (replayed by the unit tests),
# made from the fixtures of this folder.
import io
import os
import struct
import zipfile

here = os.path.dirname(os.path.abspath(__file__))
corpus = os.path.join(here, "..", "corpus")

def read(name):
    with open(os.path.join(here, name), "rb") as f:
        return f.read()

def write(name, data):
    with open(os.path.join(corpus, name), "wb") as f:
        f.write(data)

def rezip(source, replace):
    out = io.BytesIO()
    with zipfile.ZipFile(io.BytesIO(source)) as zin, zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as zout:
        for item in zin.infolist():
            data = zin.read(item.filename)
            zout.writestr(item.filename, replace.get(item.filename, lambda d: d)(data))
    return out.getvalue()

xlsx = read("lo_types.xlsx")
write("newer_xlsx_truncated.xlsx", xlsx[: len(xlsx) * 6 // 10])
write("newer_xlsx_sheet_cut.xlsx", rezip(xlsx, {"xl/worksheets/sheet1.xml": lambda d: d[: len(d) // 2]}))
write("newer_xlsx_sst_index.xlsx", rezip(xlsx, {"xl/worksheets/sheet1.xml": lambda d: d.replace(b"<v>0</v>", b"<v>99999</v>", 1)}))
write("newer_xlsx_cell_ref.xlsx", rezip(xlsx, {"xl/worksheets/sheet1.xml": lambda d: d.replace(b'r="B2"', b'r="ZZZZ99999999"', 1)}))
write("newer_xlsx_not_xml.xlsx", rezip(xlsx, {"xl/workbook.xml": lambda d: b"<workbook><sheets"}))

xls = bytearray(read("lo_types.xls"))
write("newer_biff8_truncated.xls", bytes(xls[: len(xls) // 2]))
sst = xls.find(b"\xfc\x00")
while sst >= 0 and not (struct.unpack_from("<H", xls, sst + 2)[0] < 8225 and xls[sst + 8:sst + 12] != b""):
    sst = xls.find(b"\xfc\x00", sst + 1)
huge = bytearray(xls)
struct.pack_into("<II", huge, sst + 4, 0x7FFFFFFF, 0x7FFFFFFF)
write("newer_biff8_sst_count_huge.xls", bytes(huge))
long_record = bytearray(xls)
struct.pack_into("<H", long_record, sst + 2, 0xFFFF)
write("newer_biff8_record_past_end.xls", bytes(long_record))
