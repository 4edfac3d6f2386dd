#!/usr/bin/python3
"""Writes the corpus of malformed worksheet files that the unit tests replay
through every reader. Each file breaks one thing a reader must not trust."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))
out = os.path.join(here, "corpus")
os.makedirs(out, exist_ok=True)


def rec(rid, data=b""):
    return struct.pack("<HH", rid, len(data)) + data


def bof(version):
    return rec({2: 0x0009, 3: 0x0209, 4: 0x0409}[version], struct.pack("<HH", 0, 0x10) + (b"" if version == 2 else b"\0\0"))


EOF_REC = rec(0x000A)


def label2(r, c, text, declared=None):
    n = len(text) if declared is None else declared
    return rec(0x0004, struct.pack("<HHBBBB", r, c, 0, 0, 0, n) + text)


def label3(r, c, text, xf=0, declared=None):
    n = len(text) if declared is None else declared
    return rec(0x0204, struct.pack("<HHHH", r, c, xf, n) + text)


def number3(r, c, v, xf=0):
    return rec(0x0203, struct.pack("<HHHd", r, c, xf, v))


def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


# Record headers that claim more than the file holds.
write("biff2_record_past_end.xls", bof(2) + label2(0, 0, b"ok") + struct.pack("<HH", 0x0004, 0xFFFF) + b"\x01\x00")
write("biff2_header_only.xls", b"\x09\x00")
write("biff2_label_length_past_record.xls", bof(2) + label2(0, 0, b"ab", declared=250) + EOF_REC)
# Records too short for their fixed fields.
write("biff2_short_cells.xls", bof(2) + rec(0x0003, b"\x01\x00") + rec(0x0006, b"\0\0\0\0\0\0\0\0") +
      rec(0x0002, b"\0") + rec(0x0024, b"\x05") + rec(0x001D, b"\0") + EOF_REC)
# Out of order, with a STRING after a text formula and rows near the 16-bit limit.
formula2 = rec(0x0006, struct.pack("<HHBBB", 9, 1, 0, 0, 0) + b"\0" * 6 + b"\xff\xff" + b"\0\0")
write("biff2_disorder.xls", bof(2) + label2(0xFFFF, 0xFF, b"far") + formula2 + rec(0x0007, b"\x03abc") +
      label2(0, 0, b"a") + rec(0x0001, struct.pack("<HHBBB", 3, 3, 0, 0, 0)) + rec(0x0007, b"\xffx") + EOF_REC)
write("biff2_format_index_past_formats.xls", bof(2) + rec(0x001E, b"\x05d-m-y") + rec(0x001E, b"") +
      rec(0x0003, struct.pack("<HHBBBd", 0, 0, 0, 63, 0, 1.0)) + EOF_REC)
# DIMENSIONS that lie, and cells without them.
write("biff4_dimensions_too_small.xls", bof(4) + rec(0x0200, struct.pack("<HHHHH", 0, 1, 0, 1, 0)) +
      label3(0, 0, b"a") + number3(5000, 200, 2.0) + label3(65535, 255, b"last") + EOF_REC)
write("biff3_no_dimensions_no_xf.xls", bof(3) + label3(7, 3, b"x", xf=999) + number3(2, 1, 3.0, xf=65535) + EOF_REC)
write("biff3_xf_short.xls", bof(3) + rec(0x0243, b"\x01") + rec(0x001E, b"\x09") + label3(0, 0, b"a") + EOF_REC)
write("biff3_label_length_past_record.xls", bof(3) + label3(0, 0, b"abc", declared=0xFFFF) + EOF_REC)
write("biff3_rk_and_formula_short.xls", bof(3) + rec(0x027E, b"\0\0\0\0") + rec(0x0206, b"\0\0\0\0\0\0\xff") +
      rec(0x0207, b"\xff\xff") + EOF_REC)
# BIFF4 workbook bundles: name longer than the record, sheet without EOF.
write("biff4_bundle_bad_name.xls", bof(4) + EOF_REC + rec(0x008F, b"\0\0\0\0\xffSheet1") + bof(4) + label3(0, 0, b"x"))
write("biff4_bundle_truncated.xls", b"\x00" + bof(4) + EOF_REC + rec(0x008F, b"\0\0\0\0\x06Sheet1") + bof(4) +
      label3(0, 0, b"cell") + struct.pack("<HH", 0x0204, 500))


# BIFF5 compound files, broken in the sector chains or the records.
def compound(stream, fat_patch=None, dir_start=None, size=None, name="Book"):
    """A version-3 compound file: header, one FAT sector, one directory
    sector, the stream in regular sectors (padded to 4096 bytes so it does
    not go to the mini stream)."""
    data = stream + b"\0" * (max(4096, len(stream)) - len(stream))
    data += b"\0" * ((-len(data)) % 512)
    stream_size = len(data)
    nstream = len(data) // 512
    fat = [0xFFFFFFFD, 0xFFFFFFFE]  # sector 0 FAT, sector 1 directory
    for i in range(nstream):
        fat.append(2 + i + 1 if i + 1 < nstream else 0xFFFFFFFE)
    fat += [0xFFFFFFFF] * (128 - len(fat))
    if fat_patch:
        for index, value in fat_patch.items():
            fat[index] = value
    header = b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1" + b"\0" * 16 + struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6)
    header += b"\0" * 6 + struct.pack("<IIIIIIIII", 0, 1, 1 if dir_start is None else dir_start, 0, 4096,
                                        0xFFFFFFFE, 0, 0xFFFFFFFE, 0)
    header += struct.pack("<I", 0) + struct.pack("<I", 0xFFFFFFFF) * 108
    assert len(header) == 512

    def entry(ename, etype, start, esize, child=0xFFFFFFFF):
        encoded = (ename + "\0").encode("utf-16-le")
        e = encoded + b"\0" * (64 - len(encoded)) + struct.pack("<HBB", len(encoded), etype, 1)
        e += struct.pack("<III", 0xFFFFFFFF, 0xFFFFFFFF, child) + b"\0" * 16 + b"\0" * 4 + b"\0" * 16
        e += struct.pack("<III", start, esize, 0)
        return e

    directory = entry("Root Entry", 5, 0xFFFFFFFE, 0, child=1)
    directory += entry(name, 2, 2, stream_size if size is None else size)
    directory += b"\0" * (512 - len(directory))
    return header + struct.pack("<128I", *fat) + directory + data


def boundsheet(pos, name):
    return rec(0x0085, struct.pack("<IHB", pos, 0, len(name)) + name)


def book(sheet_pos=None, sheet_records=b"", name=b"Sheet1"):
    glob = rec(0x0809, struct.pack("<HH", 0x0500, 0x0005) + b"\0" * 4) + rec(0x0042, struct.pack("<H", 1252))
    glob += rec(0x00E0, b"\0" * 16)
    pos = len(glob) + len(boundsheet(0, name)) + 4
    glob += boundsheet(pos if sheet_pos is None else sheet_pos, name) + EOF_REC
    return glob + rec(0x0809, struct.pack("<HH", 0x0500, 0x0010) + b"\0" * 4) + sheet_records


good_sheet = rec(0x0200, struct.pack("<HHHHH", 0, 2, 0, 2, 0)) + label3(0, 0, b"x") + number3(1, 1, 2.5) + EOF_REC
write("biff5_fat_loop.xls", compound(book(sheet_records=good_sheet), fat_patch={3: 3}))
write("biff5_fat_cycle.xls", compound(book(sheet_records=good_sheet), fat_patch={5: 2}))
write("biff5_sector_out_of_range.xls", compound(book(sheet_records=good_sheet), fat_patch={2: 0x00FFFFF0}))
write("biff5_directory_out_of_range.xls", compound(book(sheet_records=good_sheet), dir_start=0x7FFFFFF0))
write("biff5_stream_size_huge.xls", compound(book(sheet_records=good_sheet), size=0x7FFFFFF0))
write("biff5_truncated.xls", compound(book(sheet_records=good_sheet))[:1100])
write("biff5_boundsheet_outside.xls", compound(book(sheet_pos=0x00FFFFFF, sheet_records=good_sheet)))
write("biff5_boundsheet_not_bof.xls", compound(book(sheet_pos=4, sheet_records=good_sheet)))
write("biff5_mulrk_short.xls", compound(book(sheet_records=rec(0x00BD, b"\0\0\xff\xff\0") +
                                             rec(0x00BD, struct.pack("<HHHIH", 0, 0xFFFF, 0, 0x3FF00000, 0xFFFF)) +
                                             rec(0x00BD, b"") + EOF_REC)))
write("biff5_no_eof.xls", compound(book(sheet_records=label3(0, 0, b"x") + struct.pack("<HH", 0x0204, 9000))))
write("biff5_good.xls", compound(book(sheet_records=good_sheet)))
