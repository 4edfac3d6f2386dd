#!/usr/bin/python3
"""Writes the corpus of malformed dBASE files that the unit tests replay.
Each file breaks one thing the reader must not trust."""
import os
import struct

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus_dbf")
os.makedirs(out, exist_ok=True)


def dbf(fields, records, version=3, header_length=None, record_length=None, count=None, terminator=True):
    rl = 1 + sum(f[2] for f in fields) if record_length is None else record_length
    hl = 32 + 32 * len(fields) + 1 if header_length is None else header_length
    n = len(records) if count is None else count
    head = struct.pack("<B3xIHH20x", version, n, hl, rl)
    for name, ftype, length in fields:
        head += name.ljust(11, b"\0")[:11] + ftype + b"\0" * 4 + bytes([length]) + b"\0" * 15
    if terminator:
        head += b"\r"
    return head + b"".join(records)


def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


fields = [(b"NAME", b"C", 4), (b"QTY", b"N", 6), (b"WHEN", b"D", 8), (b"OK", b"L", 1)]
good = b" AB   12.5020200131T"
write("good.dbf", dbf(fields, [good, b"*CD       1        F"]))
write("name_without_zero.dbf", dbf([(b"ELEVENCHARS", b"C", 4)], [b" abcd"]))
write("field_past_record.dbf", dbf([(b"A", b"C", 200)], [b" x"], record_length=3))
write("record_length_zero.dbf", dbf(fields, [good], record_length=0))
write("record_count_huge.dbf", dbf(fields, [good], count=0x7FFFFFFF))
write("header_length_huge.dbf", dbf(fields, [good], header_length=0xFFFF))
write("header_cut.dbf", dbf(fields, [good])[:50])
write("numbers_and_dates_garbage.dbf", dbf(fields, [b" \xff\xfe\x00 1e999999-9-9-9-9T", b" zz  .....e-20200230\x00"]))
write("field_length_zero.dbf", dbf([(b"A", b"C", 0), (b"B", b"N", 255)], [b" " + b"9" * 255]))
write("no_terminator.dbf", dbf(fields, [good], header_length=32 + 32 * 4, terminator=False))
