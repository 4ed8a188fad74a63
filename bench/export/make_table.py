"""Writes a dBASE III table with a memo file for the export benchmark: RECORDS records of 20
fields covering every field type (C, N, F, L, D, M), with blanks and nulls among them.

usage: /usr/bin/python3 make_table.py OUT.dbf [RECORDS]
"""
import datetime
import random
import struct
import sys

FIELDS = [
    ("NAME", "C", 30, 0), ("CITY", "C", 20, 0), ("CODE", "C", 10, 0), ("NOTE", "C", 60, 0),
    ("STREET", "C", 40, 0), ("TAG", "C", 3, 0),
    ("AMOUNT", "N", 12, 2), ("COUNT", "N", 6, 0), ("BIGINT", "N", 18, 0), ("RATE", "N", 8, 4),
    ("DELTA", "N", 10, 3),
    ("RATIO", "F", 15, 6), ("SCORE", "F", 10, 2), ("WEIGHT", "F", 12, 3),
    ("ACTIVE", "L", 1, 0), ("CHECKED", "L", 1, 0),
    ("BORN", "D", 8, 0), ("SEEN", "D", 8, 0),
    ("REMARKS", "M", 10, 0), ("HISTORY", "M", 10, 0),
]
WORDS = ["alpha", "bravo", "charlie", "delta", "echo", "foxtrot", "golf", "hotel", "india",
         "juliet", "kilo", "lima", "mike", "november", "oscar", "papa", "quebec", "romeo"]
BLOCK = 512


def number(value, width, decimals):
    text = f"{value:.{decimals}f}" if decimals else str(int(value))
    return text.rjust(width)[:width]


def main():
    out = sys.argv[1]
    records = int(sys.argv[2]) if len(sys.argv) > 2 else 65000
    rng = random.Random(42)
    memo_path = out[:-4] + ".dbt"
    memo_blocks = [b""]  # block 0 is the memo file's header
    record_length = 1 + sum(f[2] for f in FIELDS)
    header_length = 32 + 32 * len(FIELDS) + 1
    today = datetime.date.today()
    with open(out, "wb") as dbf:
        dbf.write(struct.pack("<BBBBIHH20x", 0x83, today.year - 1900, today.month, today.day,
                              records, header_length, record_length))
        for name, kind, length, decimals in FIELDS:
            dbf.write(struct.pack("<11sc4xBB14x", name.encode(), kind.encode(), length, decimals))
        dbf.write(b"\r")
        base = datetime.date(1950, 1, 1)
        for i in range(records):
            row = [b" "]
            for name, kind, length, decimals in FIELDS:
                blank = rng.random() < 0.05
                if kind == "C":
                    text = "" if blank else " ".join(rng.choice(WORDS) for _ in range(length // 8 + 1))
                    if name == "CODE" and not blank:
                        text = f"{i:08d}"
                    row.append(text.encode("latin-1")[:length].ljust(length))
                elif kind in "NF":
                    if blank:
                        row.append(b" " * length)
                    else:
                        limit = 10 ** (length - decimals - 2)
                        value = rng.uniform(-limit, limit) if decimals else rng.randrange(limit)
                        row.append(number(value, length, decimals).encode())
                elif kind == "L":
                    row.append(b"?" if blank else rng.choice([b"T", b"F"]))
                elif kind == "D":
                    day = base + datetime.timedelta(days=rng.randrange(30000))
                    row.append(b" " * 8 if blank else day.strftime("%Y%m%d").encode())
                elif kind == "M":
                    if i % 10 or blank:
                        row.append(b" " * 10)
                    else:
                        text = " ".join(rng.choice(WORDS) for _ in range(rng.randrange(5, 80)))
                        data = text.encode() + b"\x1a\x1a"
                        row.append(str(len(memo_blocks)).rjust(10).encode())
                        blocks = (len(data) + BLOCK - 1) // BLOCK
                        memo_blocks.append(data.ljust(blocks * BLOCK, b"\0"))
                        memo_blocks.extend([b""] * (blocks - 1))
            dbf.write(b"".join(row))
        dbf.write(b"\x1a")
    with open(memo_path, "wb") as dbt:
        dbt.write(struct.pack("<I", len(memo_blocks)).ljust(BLOCK, b"\0"))
        dbt.write(b"".join(block for block in memo_blocks[1:]))


if __name__ == "__main__":
    main()
