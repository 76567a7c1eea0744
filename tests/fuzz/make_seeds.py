#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into corpus/<target>/.

Run it again after changing a seed here; every file stays a few hundred bytes.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# The record input: C1, C2 as doubles, a geometry byte, an option byte, then the stream.
def record_input(stream, c1=0.1, c2=0.1, geometry=0x1A, options=0):
    return struct.pack("<dd", c1, c2) + bytes([geometry, options]) + stream


def record_seeds():
    good = b"001 010 0001000000\r\n"
    write("record", "one-record", record_input(good))
    write("record", "three-records-lmeter", record_input(good + b"128 103 0123456789\r\n" + b"-12 -9a -000000001\r\n", options=1))
    write("record", "no-cr", record_input(b"001 010 0001000000\n" + good))
    write("record", "garbage", record_input(bytes(range(256)) + b"\n\n\r\n" + good))
    write("record", "long-line", record_input(b"x" * 256 + b"001 010 0001000000\r\n", geometry=0xFF))
    write("record", "letters", record_input(b"abc def ghijklmnop\r\n", options=4))
    write("record", "nan-c1", record_input(good * 2, c1=float("nan"), c2=0.0, options=1))
    write("record", "huge-c2", record_input(good, c1=-1e308, c2=float("inf"), options=3))
    write("record", "over-range", record_input(b"999 99x 4294967295\r\n" + b"000 000 1000000000\r\n"))


def settings_seeds():
    default = ("[Window]\nTopMost=0\n[Font]\nFont=/opt/pelmora/font/font.bmp\n[Port]\nPortNumber=1\n"
               "BaudRate=6\n[LMeter]\nC1=0.100000\nC2=0.100000\n")
    write("settings", "default", default.encode())
    write("settings", "crlf", default.replace("\n", "\r\n").encode())
    write("settings", "comments", b"; Pelmora\r\n# kept\r\n[window]\r\n  topmost = 1 ; not a comment\r\n\r\n"
          b"[Other]\r\nC1=5\r\n[LMETER]\r\nc1 = '2.5'\r\nC2=\"  3 \"\r\n")
    write("settings", "quotes", b"[Font]\nFont=\"  /fonts/big font.bmp  \"\n[Port]\nPortNumber='7'\nBaudRate=\"11\n")
    write("settings", "long-font", b"[Font]\nFont=" + b"/f" * 200 + b".bmp\n[LMeter]\nC1=1e300\nC2=-0.0000004\n")
    write("settings", "odd-sections", b"TopMost=1\n[Window\nTopMost=2\n[ Window ]junk\n[Window]\nTopMost=3\n"
          b"[]\n=x\n[Port]\n[Port]\nPortNumber=9\nPortNumber=10")
    write("settings", "bom-no-newline", b"\xef\xbb\xbf[Window]\nTopMost=1")
    write("settings", "numbers", b"[Port]\nPortNumber=abc\nBaudRate=3x\n[LMeter]\nC1=1e-3\nC2=0.0000015\n"
          b"[Window]\nTopMost=-2147483649\n")
    write("settings", "sjis", "[Font]\nFont=C:\\フォント\\font.bmp\n".encode("shift_jis") + b"\x00tail\n")


def bmp(width, height, bpp, rows_top_first=False, palette=None, truncate=None, header_size=40):
    row_bytes = (width * bpp + 31) // 32 * 4
    entries = len(palette) if palette else 0
    offset = 14 + header_size + entries * 4
    image = bytearray()
    for y in range(height):
        row = bytearray(row_bytes)
        for x in range(width):
            v = (x + 2 * y) % (entries or 256)
            if bpp == 1:
                row[x // 8] |= (v & 1) << (7 - x % 8)
            elif bpp == 4:
                row[x // 2] |= (v & 15) << (4 if x % 2 == 0 else 0)
            elif bpp == 8:
                row[x] = v
            else:
                size = bpp // 8
                row[x * size:(x + 1) * size] = (v * 0x010203).to_bytes(4, "little")[:size]
        image += row
    stored_height = -height if rows_top_first else height
    if header_size == 12:
        info = struct.pack("<IHHHH", 12, width, height, 1, bpp)
    else:
        info = struct.pack("<IiiHHIIiiII", header_size, width, stored_height, 1, bpp, 0, len(image), 2835, 2835, entries, 0)
        info += bytes(header_size - 40)
    pal = b"".join(struct.pack("<I", c) for c in (palette or []))
    data = b"BM" + struct.pack("<IHHI", offset + len(image), 0, 0, offset) + info + pal + bytes(image)
    return data[:truncate] if truncate else data


def font_seeds():
    grey2 = [0x000000, 0xFFFFFF]
    grey16 = [i * 0x111111 for i in range(16)]
    write("font", "bits1", bmp(16, 32, 1, palette=grey2))
    write("font", "bits4", bmp(16, 16, 4, palette=grey16))
    write("font", "bits8", bmp(16, 16, 8, palette=[i * 0x010101 for i in range(256)][:64]))
    write("font", "bits24", bmp(8, 16, 24))
    write("font", "bits32", bmp(8, 16, 32))
    write("font", "bits16", bmp(8, 16, 16))
    write("font", "top-down", bmp(16, 16, 24, rows_top_first=True))
    write("font", "truncated", bmp(16, 32, 24, truncate=300))
    write("font", "core-header", bmp(8, 16, 24, header_size=12))
    write("font", "v5-header", bmp(8, 16, 24, header_size=124))
    write("font", "huge-claim", bmp(1, 1, 24)[:18] + struct.pack("<ii", 0x7FFFFFFF, -0x80000000) + bmp(1, 1, 24)[26:])
    write("font", "not-bmp", b"GIF89a" + bytes(60))


# Inputs a fuzzer stopped on are copied into corpus/regressions/ as they were
# found; these are the hand-made ones beside them.
def regression_inputs():
    # First stops of the settings fuzzers (both were faults of the check, kept as edge cases).
    write("regressions", "settings-bom-only", b"\xef\xbb\xbf")
    write("regressions", "settings-cr-around-crlf", b"\r\r\n\r")
    write("regressions", "settings-key-before-section", b"TopMost=1\r\nFont=x\n[Window]")
    write("regressions", "settings-zero-in-font", b"[Font]\nFont=/a\x00b\n")
    write("regressions", "settings-cr-inside-font", b"[Font]\nFont=/a\rb\n[Port]\nBaudRate=\r")
    write("regressions", "record-line-feeds-only", record_input(b"\n" * 300))
    write("regressions", "record-wrapped-line", record_input(b"y" * 512 + b"001 010 0001000000\r\n" + b"z" * 275 + b"\n"))
    write("regressions", "record-nan-no-data", record_input(b"001 010 0001000000\r\n", c1=float("nan"), c2=float("-inf"), options=5))
    int_min = bmp(8, 16, 24)[:22] + struct.pack("<i", -0x80000000) + bmp(8, 16, 24)[26:]
    write("regressions", "font-height-int-min", int_min)
    write("regressions", "font-core-header-huge", b"BM" + bytes(12) + struct.pack("<IHHHH", 12, 0xFFFF, 0xFFFF, 1, 24) + bytes(40))
    write("regressions", "font-header-only-max-cells", bmp(2048, 4096, 24)[:54])
    # Qt's reader warned on stderr for a palette longer than 1 bit can index.
    write("regressions", "font-palette-beyond-depth", bmp(8, 16, 1, palette=[0x000000, 0xFFFFFF] * 6))


if __name__ == "__main__":
    record_seeds()
    settings_seeds()
    font_seeds()
    regression_inputs()
