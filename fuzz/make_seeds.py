#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora (fuzz/corpus/<target>/) from the sample
installation that tools/make_sample.py generates, plus a few large inputs made here:
the inputs that fuzzing at small sizes never reaches.

    fuzz/make_seeds.py [SAMPLE_DIR]

The seeds are committed; run this again only when the sample's formats change. Files
of one input are joined with the marker the targets cut at ("\\n@@@@\\n").
"""

import os
import struct
import zlib
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
MARKER = b"\n@@@@\n"


def files_under(root, *extensions):
    for folder, _, names in sorted(os.walk(root)):
        for name in sorted(names):
            if name.lower().endswith(extensions):
                yield os.path.join(folder, name)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def ucs(lines):
    return b"\xff\xfe" + "".join(lines).encode("utf-16-le")


def le32(value):
    return struct.pack("<I", value)


def chunk(kind, ident, data):
    return kind + ident + le32(1) + le32(len(data)) + le32(0) + bytes(8) + data


def rgt_dxtc(width, height, blocks, packed):
    unpacked = b"p" * 16 + blocks
    stored = zlib.compress(unpacked) if packed else unpacked
    dxtc = (chunk(b"DATA", b"TFMT", le32(width) + le32(height) + le32(0) + le32(0) + le32(13)) +
            chunk(b"DATA", b"TMAN", le32(0) + le32(len(unpacked)) + le32(len(stored))) +
            chunk(b"DATA", b"TDAT", stored))
    body = chunk(b"FOLD", b"TSET", chunk(b"FOLD", b"TXTR", chunk(b"FOLD", b"DXTC", dxtc)))
    return b"Relic Chunky\r\n\x1a\0" + le32(3) + le32(1) + le32(36) + bytes(8) + body


def hostile_textures():
    dds = bytearray(128)
    dds[0:4] = b"DDS "
    dds[12] = 6   # height
    dds[16] = 5   # width
    dds[80] = 4   # four-character code
    dds[84:88] = b"DXT1"
    solid = [struct.pack("<H", c) + bytes(6) for c in (0xF800, 0x07E0, 0x001F, 0xFFFF)]
    return {
        "hostile-dxt1-5x6.dds": bytes(dds) + b"".join(solid),
        "hostile-rgt-height-6.rgt": rgt_dxtc(4, 6, bytes(range(12)), False),
        "hostile-rgt-height-6-packed.rgt": rgt_dxtc(4, 6, bytes(range(12)), True),
        "hostile-rgt-too-wide.rgt": rgt_dxtc(8193, 4, bytes(2049 * 8), True),
    }


def main():
    sample = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build", "sample")
    corpus = os.path.join(HERE, "corpus")
    seeds = {}

    def add(target, name, data):
        seeds.setdefault(target, {})[name] = data

    for path in files_under(sample, ".sga"):
        if os.path.getsize(path) <= 64 * 1024:
            add("sga", os.path.basename(path), read(path))

    modules = sorted(files_under(sample, ".module"))
    for path in modules:
        add("module", os.path.basename(path), read(path))
    add("module", "bastion+frontier", read(modules[1]) + MARKER + read(modules[2]))
    many = ["[global]\nModFolder=Main\nParent=Parent\n"]
    many += ["RequiredMod.%d=Common\nDataFolder.%d=%%LOCALE%%\\Data%d\nArchiveFile.%d=A%d\n" % (n, n, n % 7, n, n % 5)
             for n in range(1, 1501)]
    add("module", "large-repeats", "".join(many).encode() + MARKER + b"[global]\nModFolder=Common\n")

    tables = sorted(files_under(sample, ".ucs"))
    for path in tables:
        add("ucs", os.path.relpath(path, sample).replace(os.sep, "_"), read(path))
    add("ucs", "two-tables", read(tables[0]) + MARKER + read(tables[1]))
    add("ucs", "large-sparse", ucs("%d\tword %d of many words\r\n" % (n * 7919 - 2**31 + 5, n) for n in range(3000)))

    for path in files_under(sample, ".dds", ".tga", ".rgt"):
        size = os.path.getsize(path)
        kind = os.path.splitext(path)[1]
        if size <= 20 * 1024 or (kind == ".rgt" and size <= 80 * 1024):
            add("image", os.path.basename(path), read(path))

    styles = read(os.path.join(sample, "Engine", "Data", "art", "ui", "styles", "uistyles.styles"))
    colours = read(os.path.join(sample, "Engine", "Data", "art", "ui", "styles", "colourtable.colours"))
    font = read(os.path.join(sample, "Engine", "Data", "font", "gillsans_16.fnt"))
    for path in files_under(sample, ".screen"):
        if os.path.getsize(path) <= 64 * 1024:
            add("screen", os.path.basename(path), read(path) + MARKER + styles + MARKER + colours + MARKER + font)
    buttons = ",\n".join("{ type = 'Button', name = 'b%d', position = {%g, %g}, size = {0.01, 0.01}, "
                         "style = {'UIStyles', 'Default'}, text = '$%d', tooltip_text = 'tip %d' }"
                         % (n, (n % 50) / 50, (n // 50) / 50, n, n) for n in range(1500))
    large = "Screen = { Widgets = { type = 'Group', name = 'root', Children = {\n%s\n} } }\n" % buttons
    add("screen", "large-buttons", large.encode() + MARKER + styles + MARKER + colours + MARKER + font)

    # Edits: a few screens with their sheet, each under a run of every kind of edit (the
    # target reads a widget, an edit and its values from each run of bytes).
    edits = bytes((i * 37 + 11) % 256 for i in range(600))
    for path in sorted(files_under(sample, ".screen"))[:6]:
        if os.path.getsize(path) <= 16 * 1024:
            add("edits", os.path.basename(path), read(path) + MARKER + styles + MARKER + edits)

    # Regression seeds: scripts that copy a whole string in one instruction, and one that
    # allocates without end (each once ran far past its budget). Strings of a megabyte do
    # against the targets' small budget what larger ones do against the program's.
    upper = b"local s = ('x'):rep(1e6) for i = 1, 1e7 do local t = s:upper() end"
    concat = b"local s = 'x' for i = 1, 20 do s = s .. s end for i = 1, 1e7 do local t = s .. 'y' end"
    add("screen", "hostile-string-copies", MARKER.join([upper, b"StyleSheet = { Styles = {} } " + concat,
                                                         b"ColourTable = {} " + concat, upper]))
    add("screen", "hostile-endless-tables", b"local t = {} while true do t[#t % 64 + 1] = {} end" + MARKER * 3)

    # Textures a device takes only with care: block textures of no whole number of
    # blocks, an RGT whose last block row is short (stored and packed), and sides past
    # the device's limit that a few bytes once inflated to a huge buffer.
    for name, data in hostile_textures().items():
        add("image", name, data)

    for target, files in sorted(seeds.items()):
        folder = os.path.join(corpus, target)
        # The seeds are made anew; regression cases (inputs that once crashed or hung a
        # target, added by hand as regression-*) stay.
        os.makedirs(folder, exist_ok=True)
        for name in os.listdir(folder):
            if not name.startswith("regression-"):
                os.remove(os.path.join(folder, name))
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
        print("%s: %d seeds, %d bytes" % (target, len(files), sum(len(d) for d in files.values())))


if __name__ == "__main__":
    main()
