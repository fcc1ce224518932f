"""Writes small compressed archives into the folder given: the unpacker's seed corpus.

Each is a 32-bit little-endian claimed size and a zlib stream; the claims cover the usual
case and the hostile ones (a claim of 2 GB over a few bytes, a stream inflating far beyond
its claim, a negative claim, a stream cut short).
"""
import struct
import sys
import zlib

folder = sys.argv[1]
body = b"SQLite format 3\0" + bytes(range(256)) * 4
seeds = {
    "exact.znt": struct.pack("<i", len(body)) + zlib.compress(body),
    "claims-2gb.znt": struct.pack("<i", 0x7FFFFFFF) + zlib.compress(b"tiny"),
    "inflates-beyond-claim.znt": struct.pack("<i", 16) + zlib.compress(b"\0" * (1 << 20), 9),
    "negative.znt": struct.pack("<i", -1) + zlib.compress(body),
    "cut-short.znt": struct.pack("<i", len(body)) + zlib.compress(body)[:40],
    "zero.znt": struct.pack("<i", 0),
}
for name, data in seeds.items():
    with open(f"{folder}/{name}", "wb") as out:
        out.write(data)
