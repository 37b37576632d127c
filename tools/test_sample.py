#!/usr/bin/env python3
"""Tests of the sample generator: same bytes on every run, the swap into place, and an
installation that the loader's rules turn into the mod the sample is meant to show.
The loader rules are re-stated here in a few lines (module keys, the locale choice, the
order of sources) so that a sample that drifts from them fails here, not in the program.

    python3 tools/test_sample.py
"""

import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zlib

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
TOOLS = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, TOOLS)

import make_sample  # noqa: E402
import sga_dump  # noqa: E402


# --- a small model of the module file and of the loader -----------------------------

def parse_module(data):
    """Sections of a .module file: first section of a name wins, ';' starts a comment."""
    sections = {}
    current = None
    for raw in data.decode("latin-1").replace("\r", "\n").split("\n"):
        line = raw.split(";", 1)[0].strip(" \t")
        if not line:
            continue
        if line.startswith("["):
            if "]" in line:
                current = {}
                sections.setdefault(line[1:line.index("]")], current)
            continue
        if current is not None and "=" in line:
            key, value = line.split("=", 1)
            current[key.strip(" \t")] = value.strip(" \t")
    return sections


def expand(value, variables):
    """%NAME% markers replaced by known variables; inserted text is not scanned again."""
    c = value.find("%")
    while c >= 0:
        d = value.find("%", c + 1)
        if d < 0:
            break
        name = value[c + 1:d]
        if name in variables:
            value = value[:c] + variables[name] + value[d + 1:]
            c = value.find("%", c + len(variables[name]))
        else:
            c = value.find("%", d + 1)
    return value


def numbered(section, key, fmt, variables):
    values, n = [], 1
    while True:
        value = expand(section.get(key + (fmt % n), ""), variables)
        if not value:
            return values
        values.append(value)
        n += 1


class Disk:
    """Case-sensitive lookups under the installation folder, with game-style paths."""

    def __init__(self, root):
        self.root = root

    def native(self, path):
        return os.path.join(self.root, *[p for p in path.split("\\") if p])

    def read(self, path):
        try:
            with open(self.native(path), "rb") as handle:
                return handle.read()
        except OSError:
            return None

    def list(self, folder):
        try:
            return sorted(os.listdir(self.native(folder)))
        except OSError:
            return []

    def exact_case(self, path):
        """True when every component exists with exactly this letter case."""
        current = self.root
        for part in [p for p in path.split("\\") if p]:
            if part not in os.listdir(current):
                return False
            current = os.path.join(current, part)
        return True


def load_mod(disk, main_name):
    """(modules, locale, sources, locale folders) as the loader composes them."""
    modules = [(main_name, parse_module(disk.read(main_name + ".module")))]
    chain = modules[0]
    seen = {main_name}
    while True:
        glob = chain[1].get("global", {})
        for name in numbered(glob, "RequiredMod", ".%d", {}):
            data = disk.read(name + ".module")
            if data is not None:
                modules.append((name, parse_module(data)))
        parent = glob.get("Parent", "")
        data = disk.read(parent + ".module") if parent and parent not in seen else None
        if data is None:
            break
        seen.add(parent)
        chain = (parent, parse_module(data))
        modules.append(chain)

    names = None
    for _, sections in modules:
        listing = disk.list(sections.get("global", {}).get("ModFolder", "") + "\\Locale")
        if listing:
            names = set(listing) if names is None else names & set(listing)
    locale = min(names, key=lambda n: n.encode()) if names else "english"

    sources, locale_folders = [], []
    variables = {"LOCALE": "Locale\\" + locale, "TEXTURE-LEVEL": "Full",
                 "SOUND-LEVEL": "Full", "MODEL-LEVEL": "High"}
    for _, sections in modules:
        glob = sections.get("global", {})
        mod_folder = expand(glob.get("ModFolder", ""), variables) + "\\"
        for value in numbered(glob, "DataFolder", ".%d", variables):
            sources.append(("folder", mod_folder + value + "\\"))
        for base in ("common", locale):
            j = 0
            while True:
                section = sections.get("data:" + base + (":%02d" % j if j else ""), {})
                if j and not section:
                    break
                folder = expand(section.get("folder", ""), variables)
                if folder:
                    sources.append(("folder", folder + "\\"))
                for value in numbered(section, "archive", ".%02d", variables):
                    sources.append(("archive", value + ".sga"))
                j += 1
        for value in numbered(glob, "ArchiveFile", ".%d", variables):
            sources.append(("archive", mod_folder + value + ".sga"))
        locale_section = sections.get("locale:" + locale, {})
        if len(mod_folder) < 2 or locale_section:
            locale_folders += [v + "\\" for v in numbered(locale_section, "folder", ".%02d",
                                                          variables)]
        else:
            locale_folders.append(mod_folder + "Locale\\" + locale + "\\")
    sources += [("folder", "Engine\\Data\\"), ("archive", "Engine\\Engine.sga")]
    locale_folders.append("Engine\\Locale\\" + locale + "\\")
    for name in disk.list("Engine\\Locale\\" + locale):
        if name.lower().endswith(".sga"):
            sources.append(("archive", "Engine\\Locale\\" + locale + "\\" + name))
    return [m[0] for m in modules], locale, sources, locale_folders


class ArchiveLayer:
    def __init__(self, name, archive):
        self.name = name
        self.archive = archive
        self.members = {m.path: m for m in archive.members}

    def read(self, path):
        member = self.members.get(path.lower().replace("/", "\\"))
        return self.archive.read(member) if member else None

    def list(self, folder):
        folder = folder.lower().rstrip("\\")
        return [p.rpartition("\\")[2] for p in self.members if p.rpartition("\\")[0] == folder]


class FolderLayer:
    def __init__(self, name, disk):
        self.name = name
        self.disk = disk

    def read(self, path):
        return self.disk.read(self.name + path)

    def list(self, folder):
        return self.disk.list(self.name + folder)


class Union:
    """Reads through the sources that open, first source first."""

    def __init__(self, disk, sources):
        self.layers = []
        self.left_out = []
        for kind, path in sources:
            if kind == "archive":
                data = disk.read(path)
                try:
                    if data is None:
                        raise sga_dump.SgaError("missing")
                    self.layers.append(ArchiveLayer(path, sga_dump.Archive(data)))
                except sga_dump.SgaError:
                    self.left_out.append(path)
            elif disk.list(path):
                self.layers.append(FolderLayer(path, disk))
            else:
                self.left_out.append(path)

    def read(self, path):
        for layer in self.layers:
            data = layer.read(path)
            if data is not None:
                return layer.name, data
        return None, None

    def list(self, folder):
        names = {}
        for layer in self.layers:
            for name in layer.list(folder):
                names.setdefault(name.lower(), name)
        return sorted(names.values(), key=str.lower)


def parse_ucs(data):
    """{id: text} by the table reader's rules (TAB or up to four spaces, CR LF)."""
    units = data.decode("utf-16-le")[1:]
    texts, i = {}, 0
    while i < len(units):
        ident = 0
        while i < len(units) and units[i].isdigit():
            ident = ident * 10 + int(units[i])
            i += 1
        if i >= len(units):
            break
        if units[i] == "\t":
            i += 1
        elif units[i] == " ":
            spaces = 0
            while i < len(units) and units[i] == " " and spaces < 4:
                i += 1
                spaces += 1
        else:
            while i < len(units) and not units[i].isdigit():
                i += 1
            continue
        if len(units) - i < 3:
            break
        end = units.find("\r", i, len(units) - 2)
        end = len(units) - 2 if end < 0 else end
        texts[ident] = units[i:end]
        i = end + 2
    return texts


def sheet_name(file_name):
    """The name a style sheet is registered under, or None for other files."""
    if not file_name.lower().endswith(".styles"):
        return None
    name = file_name[:-7]
    name = "UI" + name[2:] if name.lower().startswith("ui") else name[:1].upper() + name[1:]
    if name.lower().endswith("styles"):
        name = name[:-6] + "S" + name[-5:]
    return name


def lua_interpreter(scratch):
    """A Lua 5.2 interpreter: lua5.2 from the PATH, else one compiled into `scratch`
    from the Lua sources the project builds against (a few seconds); None when neither
    is at hand."""
    found = shutil.which("lua5.2")
    if found:
        return found
    sources = os.path.join(os.environ.get("TVSE_LUA_DIR") or
                           os.path.join(TOOLS, os.pardir, ".cache", "lua5.2-5.2.4"), "src")
    compiler = shutil.which("cc") or shutil.which("gcc")
    if not compiler or not os.path.isfile(os.path.join(sources, "lua.c")):
        return None
    target = os.path.join(scratch, "lua52")
    files = sorted(os.path.join(sources, n) for n in os.listdir(sources)
                   if n.endswith(".c") and n != "luac.c")
    built = subprocess.run([compiler, "-O0", "-w", "-DLUA_USE_POSIX", "-o", target] + files
                           + ["-lm"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return target if built.returncode == 0 else None


# --- a reader of the texture files, by the decoders' rules ----------------------------

class TextureError(Exception):
    pass


def _u32(data, offset):
    if offset + 4 > len(data):
        raise TextureError("truncated at %d" % offset)
    return struct.unpack_from("<I", data, offset)[0]


BLOCK_FORMATS = {"DXT1": (1, False), "DXT2": (2, True), "DXT3": (2, False),
                 "DXT4": (3, True), "DXT5": (3, False)}


def _pitch(width, bc):
    return max(1, (width + 3) // 4) * (8 if bc == 1 else 16)


def _chunks(data, start, end):
    """{(kind, id): payload or nested dict} of one chunk sequence, first one winning;
    the sequence must fill its range exactly (the sample has no truncated chunks)."""
    found = {}
    p = start
    while p < end:
        if p + 28 > end:
            raise TextureError("chunk header cut off")
        kind, ident = data[p:p + 4], data[p + 4:p + 8]
        size, name_length = _u32(data, p + 12), _u32(data, p + 16)
        body = p + 28 + name_length
        if body + size > end:
            raise TextureError("chunk runs past its folder")
        key = (kind.decode("ascii"), ident.decode("ascii"))
        if kind == b"FOLD":
            found.setdefault(key, _chunks(data, body, body + size))
        elif kind == b"DATA":
            found.setdefault(key, data[body:body + size])
        else:
            raise TextureError("unknown chunk kind %r" % kind)
        p = body + size
    return found


def read_texture(data):
    """A texture file recognised by its content as the editor does: a dict with
    'format' (DXT1..DXT5, tga24, tga32, rgt13..rgt15, rgt-image), width, height,
    'bc' and 'premultiplied' for block formats, 'pixels' (the top level as stored,
    first stored row first), 'pitch', and what else the file shows. Raises
    TextureError when a header disagrees with the file's length."""
    if len(data) >= 128 and data[:4] == b"DDS ":
        flags, height, width, size_field = struct.unpack_from("<IIII", data, 8)
        mip_count = _u32(data, 28)
        if not _u32(data, 80) & 0x4:
            raise TextureError("DDS without a four-character code")
        fourcc = data[84:88].decode("latin-1")
        if fourcc not in BLOCK_FORMATS:
            raise TextureError("DDS format %r" % fourcc)
        bc, premultiplied = BLOCK_FORMATS[fourcc]
        pitch = _pitch(width, bc)
        if flags & 0x8 and size_field != pitch:
            raise TextureError("stored pitch %d, blocks need %d" % (size_field, pitch))
        levels, w, h, total = max(1, mip_count if flags & 0x20000 else 1), width, height, 0
        for _ in range(levels):
            total += _pitch(w, bc) * max(1, (h + 3) // 4)
            w, h = max(1, w // 2), max(1, h // 2)
        if len(data) != 128 + total:
            raise TextureError("DDS holds %d bytes of pixels, %d levels need %d"
                               % (len(data) - 128, levels, total))
        top = pitch * ((height + 3) // 4)
        if not flags & 0x8 and size_field != top:
            raise TextureError("linear size %d, top level is %d" % (size_field, top))
        return dict(format=fourcc, width=width, height=height, bc=bc, pitch=pitch,
                    premultiplied=premultiplied, pixels=data[128:128 + top], levels=levels,
                    pitch_flag=bool(flags & 0x8))
    if len(data) > 35 and data[-18:] == b"TRUEVISION-XFILE.\0":
        id_length, map_type, image_type = data[0], data[1], data[2]
        map_length, entry_bits = struct.unpack_from("<HB", data, 5)
        width, height, bits = struct.unpack_from("<HHB", data, 12)
        if image_type != 2 or bits not in (24, 32):
            raise TextureError("TGA type %d, %d bits" % (image_type, bits))
        start = 18 + id_length + (map_length * (entry_bits // 8) if map_type else 0)
        size = width * height * bits // 8
        if len(data) != start + size + 26:
            raise TextureError("TGA of %d bytes, header and footer say %d"
                               % (len(data), start + size + 26))
        return dict(format="tga%d" % bits, width=width, height=height,
                    pixels=data[start:start + size], pitch=width * bits // 8,
                    ident=data[18:18 + id_length], colour_map=map_length if map_type else 0)
    if len(data) > 15 and data[:16] == b"Relic Chunky\r\n\x1a\0":
        if _u32(data, 16) != 3:
            raise TextureError("container version %d" % _u32(data, 16))
        tree = _chunks(data, _u32(data, 24), len(data))
        txtr = tree.get(("FOLD", "TSET"), {}).get(("FOLD", "TXTR"), {})
        if ("FOLD", "DXTC") in txtr:
            dxtc = txtr[("FOLD", "DXTC")]
            fmt, man, dat = (dxtc.get(("DATA", k)) for k in ("TFMT", "TMAN", "TDAT"))
            if fmt is None or man is None or dat is None or len(fmt) < 20 or len(man) < 12:
                raise TextureError("DXTC without TFMT, TMAN or TDAT")
            width, height, compression = _u32(fmt, 0), _u32(fmt, 4), _u32(fmt, 16)
            if compression not in (13, 14, 15):
                raise TextureError("compression %d" % compression)
            bc = compression - 12
            pitch = _pitch(width, bc)
            unpacked, packed = _u32(man, 4), _u32(man, 8)
            if unpacked != 16 + height * (pitch // 4) or len(dat) != packed:
                raise TextureError("TDAT sizes %d/%d for %d bytes" % (unpacked, packed, len(dat)))
            deflated = packed != unpacked
            raw = zlib.decompress(dat) if deflated else dat
            if len(raw) != unpacked:
                raise TextureError("TDAT inflates to %d, not %d" % (len(raw), unpacked))
            return dict(format="rgt%d" % compression, width=width, height=height, bc=bc,
                        premultiplied=False, pitch=pitch, pixels=raw[16:], deflated=deflated)
        if ("FOLD", "IMAG") in txtr:
            attr = txtr[("FOLD", "IMAG")].get(("DATA", "ATTR"))
            pixels = txtr[("FOLD", "IMAG")].get(("DATA", "DATA"))
            if attr is None or pixels is None or len(attr) < 12:
                raise TextureError("IMAG without ATTR or DATA")
            width, height = _u32(attr, 4), _u32(attr, 8)
            if len(pixels) != width * height * 4:
                raise TextureError("IMAG DATA of %d bytes for %d x %d"
                                   % (len(pixels), width, height))
            return dict(format="rgt-image", width=width, height=height, pixels=pixels,
                        pitch=width * 4)
        raise TextureError("RGT of unknown image type")
    raise TextureError("unrecognised image format")


def _expand565(c):
    r, g, b = c >> 11, (c >> 5) & 63, c & 31
    return ((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2))


def _decode_colours(block, always_four):
    c0, c1, bits = struct.unpack_from("<HHI", block)
    e0, e1 = _expand565(c0), _expand565(c1)
    if c0 > c1 or always_four:
        palette = [e0 + (255,), e1 + (255,),
                   tuple((2 * a + b + 1) // 3 for a, b in zip(e0, e1)) + (255,),
                   tuple((a + 2 * b + 1) // 3 for a, b in zip(e0, e1)) + (255,)]
    else:
        palette = [e0 + (255,), e1 + (255,), tuple((a + b) // 2 for a, b in zip(e0, e1))
                   + (255,), (0, 0, 0, 0)]
    return [palette[(bits >> (2 * i)) & 3] for i in range(16)]


def decode_block(block, bc):
    """The 16 RGBA pixels of one BC1, BC2 or BC3 block, row by row."""
    if bc == 1:
        return _decode_colours(block, False)
    colours = _decode_colours(block[8:], True)
    if bc == 2:
        bits = struct.unpack_from("<Q", block)[0]
        alphas = [((bits >> (4 * i)) & 15) * 17 for i in range(16)]
    else:
        a0, a1 = block[0], block[1]
        bits = int.from_bytes(block[2:8], "little")
        if a0 > a1:
            palette = [a0, a1] + [((7 - k) * a0 + k * a1 + 3) // 7 for k in range(1, 7)]
        else:
            palette = [a0, a1] + [((5 - k) * a0 + k * a1 + 2) // 5 for k in range(1, 5)] + [0, 255]
        alphas = [palette[(bits >> (3 * i)) & 7] for i in range(16)]
    return [c[:3] + (a,) for c, a in zip(colours, alphas)]


def shown_image(texture):
    """The top level as drawn, rows top-down, as premultiplied RGBA tuples: the editor
    draws a texture's first stored row at the bottom."""
    w, h = texture["width"], texture["height"]
    stored = [[None] * w for _ in range(h)]
    if "bc" in texture:
        size = 8 if texture["bc"] == 1 else 16
        for by in range((h + 3) // 4):
            for bx in range((w + 3) // 4):
                start = by * texture["pitch"] + bx * size
                for i, p in enumerate(decode_block(texture["pixels"][start:start + size],
                                                   texture["bc"])):
                    x, y = bx * 4 + i % 4, by * 4 + i // 4
                    if x < w and y < h:
                        stored[y][x] = p
    else:
        n = 3 if texture["format"] == "tga24" else 4
        for y in range(h):
            row = texture["pixels"][y * texture["pitch"]:(y + 1) * texture["pitch"]]
            stored[y] = [(row[n * x + 2], row[n * x + 1], row[n * x],
                          row[n * x + 3] if n == 4 else 255) for x in range(w)]
    if not texture.get("premultiplied"):
        stored = [[tuple(c * p[3] // 255 for c in p[:3]) + (p[3],) for p in row]
                  for row in stored]
    return stored[::-1]


def texture_candidates(path):
    """File names tried for a texture path: the path itself when it has a dot, then its
    stem with .dds, .tga and .rgt."""
    path = path.split(":", 1)[1] if ":" in path else path
    stem = path.rpartition(".")[0] if "." in path else path
    return ([path] if "." in path else []) + [stem + e for e in (".dds", ".tga", ".rgt")]


def font_names(data):
    """(family, subfamily) pairs of a TrueType file's name table (Windows and Mac
    records, English)."""
    offsets = {data[12 + 16 * i:16 + 16 * i]: struct.unpack_from(">I", data, 20 + 16 * i)[0]
               for i in range(struct.unpack_from(">H", data, 4)[0])}
    start = offsets[b"name"]
    count, strings = struct.unpack_from(">HH", data, start + 2)
    found = {}
    for i in range(count):
        platform, _, language, ident, length, offset = struct.unpack_from(
            ">HHHHHH", data, start + 6 + 12 * i)
        if ident in (1, 2) and (platform, language) in ((3, 0x409), (1, 0)):
            raw = data[start + strings + offset:start + strings + offset + length]
            found.setdefault(ident, raw.decode("utf-16-be" if platform == 3 else "latin-1"))
    return found.get(1), found.get(2)


def parse_font_description(text):
    """name, sizeDefault (None when absent) and {N: size} of a .fnt script."""
    name = re.search(r'\bname\s*=\s*"([^"]*)"', text)
    default = re.search(r"\bsizeDefault\s*=\s*([\d.]+)", text)
    sizes = {int(n): float(v) for n, v in re.findall(r"\bsize(\d+)\s*=\s*([\d.]+)", text)}
    return (name.group(1) if name else None, float(default.group(1)) if default else None,
            sizes)


def every_file(root):
    """(where, path, bytes) of every loose file and every archive member of the
    installation. Paths use '/'; a loose file's path starts at its art/ or font/
    folder, as read through its source."""
    for folder, _, names in os.walk(root):
        for name in sorted(names):
            path = os.path.join(folder, name)
            with open(path, "rb") as handle:
                data = handle.read()
            if name.endswith(".sga") and name != "BastionBroken.sga":
                archive = sga_dump.Archive(data)
                for member in archive.members:
                    yield path, member.path.replace("\\", "/"), archive.read(member)
            else:
                parts = os.path.relpath(path, root).split(os.sep)
                starts = [i for i, p in enumerate(parts) if p.lower() in ("art", "font")]
                yield path, "/".join(parts[starts[0] if starts else 0:]), data


SCRIPT_EXTENSIONS = (".screen", ".styles", ".colours")
WIDGET_TYPES = {"Group", "CustomListBoxItem", "Button", "CheckButton", "RadioButton",
                "ProgressBar", "ScrollBar", "ComboBox", "TextListBox", "CustomListBox",
                "Custom", "TextLabel", "EditText", "ArtLabel", "Swf"}
ITEM_TYPES = {"Graphic", "Text", "Rectangle", "Line", "Swf"}
STATES = {"Normal", "Hover", "Active", "Disabled", "Checked", "CheckedHover", "CheckedActive",
          "CheckedDisabled"}
REAL_SCREENS = ("mainmenuscreen.screen", "optionsscreen.screen", "lobby2.screen",
                "automatchlobbyscreen.screen", "loadingscreen.screen")


def code_of(text):
    """Lua source without its string literals and comments."""
    return re.sub(r"--[^\n]*", "", re.sub(r'"(?:[^"\\\n]|\\.)*"', '""', text))


# --- the tests ----------------------------------------------------------------------

_SHARED = {}  # one sample for every test class: generating it takes a second


def tearDownModule():
    if _SHARED:
        shutil.rmtree(_SHARED["scratch"], ignore_errors=True)


class SampleTestCase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not _SHARED:
            scratch = tempfile.mkdtemp(prefix="tvse-sample-test-")
            started = time.monotonic()
            make_sample.generate(os.path.join(scratch, "sample"))
            _SHARED.update(scratch=scratch, seconds=time.monotonic() - started)
        cls.scratch = _SHARED["scratch"]
        cls.root = os.path.join(cls.scratch, "sample")
        cls.seconds = _SHARED["seconds"]
        cls.disk = Disk(cls.root)


class Generation(SampleTestCase):
    def test_is_fast(self):
        self.assertLess(self.seconds, 5.0)

    def test_same_bytes_and_times_on_every_run(self):
        other = os.path.join(self.scratch, "again")
        subprocess.run([sys.executable, os.path.join(TOOLS, "make_sample.py"), other],
                       check=True, stdout=subprocess.DEVNULL)
        self.assertEqual(make_sample.read_tree(other), make_sample.read_tree(self.root))
        for folder, _, names in os.walk(other):
            for name in names + ["."]:
                self.assertEqual(os.stat(os.path.join(folder, name)).st_mtime,
                                 make_sample.FIXED_TIME)

    def test_replaces_stale_output_and_leaves_no_temporaries(self):
        target = os.path.join(self.scratch, "stale")
        os.makedirs(os.path.join(target, "Old"))
        with open(os.path.join(target, "Old", "left.over"), "wb") as handle:
            handle.write(b"x")
        os.makedirs(target + ".tmp-99999")  # left by an interrupted run
        self.assertTrue(make_sample.generate(target))
        self.assertEqual(make_sample.read_tree(target), make_sample.read_tree(self.root))
        leftovers = [n for n in os.listdir(self.scratch)
                     if n.startswith("stale.") and not n.endswith(".lock")]
        self.assertEqual(leftovers, [])

    def test_leaves_an_up_to_date_sample_untouched(self):
        target = os.path.join(self.scratch, "current")
        make_sample.generate(target)
        before = os.stat(target).st_ino
        self.assertFalse(make_sample.generate(target))
        self.assertEqual(os.stat(target).st_ino, before)


class Archives(SampleTestCase):
    def test_every_archive_passes_the_independent_reader(self):
        versions = set()
        compressed = stored = 0
        for path in sga_dump.archives_under([self.root]):
            if path.endswith("BastionBroken.sga"):
                self.assertTrue(sga_dump.check_archive(path)[0].startswith("cannot open"))
                continue
            self.assertEqual(sga_dump.check_archive(path), [], path)
            with open(path, "rb") as handle:
                archive = sga_dump.Archive(handle.read())
            versions.add(archive.version)
            for member in archive.members:
                if member.stored == member.unpacked:
                    stored += 1
                else:
                    compressed += 1
        self.assertEqual(versions, {2, 4})
        self.assertGreater(stored, 0)
        self.assertGreater(compressed, 0)

    def test_writer_refuses_what_readers_could_not_find(self):
        for bad in ({"Art\\x.txt": b"x"}, {"art/x.txt": b"x"}, {"\\x.txt": b"x"}):
            with self.assertRaises(ValueError):
                make_sample.build_sga(2, "bad", bad)
        with self.assertRaises(ValueError):
            make_sample.build_sga(3, "bad", {"x.txt": b"x"})

    def test_folders_are_breadth_first_with_sorted_files(self):
        members = {"b.txt": b"b", "a.txt": b"a", "z\\y\\deep.txt": b"d", "z\\B_.txt": b"u",
                   "z\\a.txt": b"z", "m\\n.txt": b"n"}
        members = {k.lower(): v for k, v in members.items()}
        archive = sga_dump.Archive(make_sample.build_sga(4, "order", members))
        self.assertEqual([f[0] for f in archive.folders], ["", "m", "z", "z\\y"])
        self.assertEqual([m.path for m in archive.members],
                         ["a.txt", "b.txt", "m\\n.txt", "z\\a.txt", "z\\b_.txt",
                          "z\\y\\deep.txt"])
        self.assertEqual(archive.problems, [])


class Installation(SampleTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.modules, cls.locale, cls.sources, cls.locale_folders = load_mod(cls.disk, "Bastion")
        cls.union = Union(cls.disk, cls.sources)

    def test_module_files_and_chain(self):
        listed = sorted(n for n in os.listdir(self.root) if n.endswith(".module"))
        self.assertEqual(listed, ["Armoury.module", "Bastion.module", "Frontier.module"])
        self.assertEqual(self.modules, ["Bastion", "Armoury", "Frontier"])
        for name in listed:
            glob = parse_module(self.disk.read(name))["global"]
            self.assertGreater(len(glob["Description"]), 30, name)
            self.assertTrue(self.disk.exact_case(glob["ModFolder"]), name)

    def test_intersection_of_locales_chooses_english(self):
        self.assertEqual(self.disk.list("Bastion\\Locale"), ["english", "french"])
        self.assertEqual(self.disk.list("Frontier\\Locale"), ["english", "french", "german"])
        self.assertEqual(self.disk.list("Armoury\\Locale"), [])
        self.assertEqual(self.locale, "english")

    def test_every_source_exists_in_its_letter_case_except_the_two_left_out(self):
        self.assertEqual(self.union.left_out,
                         ["Bastion\\BastionBroken.sga", "Bastion\\BastionVoices.sga"])
        for kind, path in self.sources:
            if path in self.union.left_out:
                continue
            self.assertTrue(self.disk.exact_case(path), path)
        kinds = {kind for kind, _ in self.sources}
        self.assertEqual(kinds, {"folder", "archive"})
        # Every opened source has something of its own to read through the union.
        for layer in self.union.layers:
            self.assertIsNotNone(layer.read("source.txt"), layer.name)

    def test_precedence_follows_the_source_order(self):
        for path, winner in (("source.txt", "Bastion\\Data\\"),
                             ("art\\ui\\styles\\colourtable.colours",
                              "Bastion\\Archives\\BastionArt.sga"),
                             ("art\\ui\\styles\\uistyles.styles", "Engine\\Data\\"),
                             ("art\\ui\\styles\\frontend.styles", "Engine\\Engine.sga"),
                             ("Art\\UI\\Screens\\mainmenuscreen.screen", "Bastion\\Data\\"),
                             ("art\\ui\\locale\\language.txt",
                              "Bastion\\Locale\\english\\Data\\")):
            self.assertEqual(self.union.read(path)[0], winner, path)
        self.assertIn(b"Bastion\\Data (loose)",
                      self.union.read("Art\\UI\\Screens\\lobby2.screen")[1])

    def test_screen_list_is_long_and_holds_the_named_screens(self):
        screens = [n for n in self.union.list("Art\\UI\\Screens\\") if n.endswith(".screen")]
        self.assertEqual(len(screens), 52)
        for name in ("mainmenuscreen.screen", "MPGameSetupDialog.screen",
                     "automatchlobbyscreen.screen", "creditsscreen.screen", "main_menu.screen",
                     "loadingx.screen", "w40kgame.screen", "friendslist.screen",
                     "lobby2.screen"):
            self.assertIn(name, screens)
        loose = set(self.disk.list("Bastion\\Data\\Art\\UI\\Screens"))
        with open(self.disk.native("Bastion\\BastionScreens.sga"), "rb") as handle:
            archived = {m.path.rpartition("\\")[2] for m in sga_dump.Archive(handle.read()).members
                        if m.path.startswith("art\\ui\\screens\\")}
        lowered = {n.lower() for n in loose}
        self.assertTrue(lowered - archived, "some screens only loose")
        self.assertTrue(archived - lowered, "some screens only in the archive")
        self.assertTrue(lowered & archived, "some screens in both")
        for name in screens:
            _, data = self.union.read("Art\\UI\\Screens\\" + name)
            self.assertIn(b"\r\nScreen = {", data, name)
            if name in REAL_SCREENS + ("stressscreen.screen",):
                self.assertNotIn(b"Screen = { }", data, name)

    def test_string_tables(self):
        tables = []
        for folder in self.locale_folders:
            for name in self.disk.list(folder):
                if name.lower().endswith(".ucs"):
                    data = self.disk.read(folder + name)
                    self.assertTrue(data.startswith(b"\xff\xfe"), name)
                    text = data.decode("utf-16-le")[1:]
                    self.assertEqual(text.count("\n"), text.count("\r\n"), name)
                    self.assertTrue(text.endswith("\r\n"), name)
                    tables.append((folder + name, parse_ucs(data)))
        self.assertEqual([t[0] for t in tables],
                         ["Bastion\\Locale\\english\\bastion.ucs",
                          "Frontier\\Locale\\english\\frontier.ucs",
                          "Engine\\Locale\\english\\engine.ucs"])
        every = [ident for _, texts in tables for ident in texts]
        self.assertGreaterEqual(len(every), 300)
        shared = [ident for ident in set(every) if every.count(ident) > 1]
        self.assertEqual(shared, [make_sample.SHARED_ID])
        self.assertNotEqual(tables[0][1][shared[0]], tables[1][1][shared[0]])
        ids = sorted(set(every))
        self.assertTrue(any(b - a > 1 for a, b in zip(ids, ids[1:])), "gaps in the numbering")
        texts = [t for _, table in tables for t in table.values()]
        self.assertTrue(any("%N%" in t for t in texts))
        self.assertGreater(sum("attack" in t.lower() for t in texts), 10)

    def test_french_tables_match_the_english_identifiers(self):
        for folder in ("Bastion\\Locale\\", "Frontier\\Locale\\", "Engine\\Locale\\"):
            names = [n for n in self.disk.list(folder + "english") if n.endswith(".ucs")]
            for name in names:
                english = parse_ucs(self.disk.read(folder + "english\\" + name))
                french = parse_ucs(self.disk.read(folder + "french\\" + name))
                self.assertEqual(sorted(english), sorted(french), name)
                self.assertNotEqual(english, french, name)


class Scripts(SampleTestCase):
    """Screens, style sheets and colour tables: every copy in every source."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        _, _, sources, cls.locale_folders = load_mod(cls.disk, "Bastion")
        cls.union = Union(cls.disk, sources)
        cls.copies = []  # (where, file name, bytes)
        for folder, _, names in os.walk(cls.root):
            for name in sorted(names):
                path = os.path.join(folder, name)
                if name.lower().endswith(SCRIPT_EXTENSIONS):
                    with open(path, "rb") as handle:
                        cls.copies.append((path, name, handle.read()))
                elif name.endswith(".sga") and name != "BastionBroken.sga":
                    with open(path, "rb") as handle:
                        archive = sga_dump.Archive(handle.read())
                    for member in archive.members:
                        if member.path.endswith(SCRIPT_EXTENSIONS):
                            cls.copies.append((path + ":" + member.path,
                                               member.path.rpartition("\\")[2],
                                               archive.read(member)))
        cls.screens = {n: cls.union.read("Art\\UI\\Screens\\" + n)[1].decode("ascii")
                       for n in cls.union.list("Art\\UI\\Screens\\") if n.endswith(".screen")}
        cls.sheets = {n: cls.union.read("art\\ui\\styles\\" + n)[1].decode("ascii")
                      for n in cls.union.list("art\\ui\\styles\\") if sheet_name(n)}

    def test_every_copy_is_ascii_with_crlf_and_names_its_source(self):
        kinds = set()
        for where, name, data in self.copies:
            kinds.add(os.path.splitext(name)[1])
            text = data.decode("ascii")
            self.assertEqual(text.count("\n"), text.count("\r\n"), where)
            self.assertTrue(text.startswith("-- "), where)
        self.assertEqual(kinds, set(SCRIPT_EXTENSIONS))

    def test_localised_texts_name_strings_of_the_tables(self):
        known = set()
        for folder in self.locale_folders:
            for name in self.disk.list(folder):
                if name.endswith(".ucs"):
                    known.update(parse_ucs(self.disk.read(folder + name)))
        used = set()
        for name, text in list(self.screens.items()) + list(self.sheets.items()):
            ids = {int(i) for i in re.findall(r'"\$(\d+)"', text)}
            # The one deliberate exception, for tvse-tool check.
            wanted = {make_sample.DEFECT_STRING} if name == make_sample.DEFECT_SCREEN else set()
            self.assertEqual(ids - known, wanted, name)
            used |= ids - wanted
        # Menu labels, tooltips, a loading tip and the campaign's own table.
        for block in (range(1, 92), range(300, 335), range(500, 520), range(20000, 20024)):
            self.assertTrue(used & set(block), block)

    def test_stress_screen_is_loose_large_and_literal(self):
        text = self.disk.read("Bastion\\Data\\Art\\UI\\Screens\\stressscreen.screen")
        self.assertIsNotNone(text)
        code = code_of(text.decode("ascii"))
        self.assertIsNone(re.search(r"\b(for|while|repeat|function|local)\b", code))
        kinds = re.findall(r'type = "(\w+)"', text.decode("ascii"))
        widgets = [k for k in kinds if k in WIDGET_TYPES - ITEM_TYPES]
        self.assertGreaterEqual(len(widgets), 2000)
        self.assertGreaterEqual(len(set(widgets)), 6)
        self.assertGreaterEqual(len(kinds) - len(widgets), 2 * len(widgets))

    def test_colour_tables_differ_only_in_the_accent(self):
        tables = {}
        for where, name, data in self.copies:
            if name.endswith(".colours"):
                entries = re.findall(r'key = "(\w+)", value = \{([^}]*)\}', data.decode("ascii"))
                tables[where] = dict(entries)
        self.assertEqual(len(tables), 4)
        accents = {table.pop("accent") for table in tables.values()}
        self.assertEqual(len(accents), 4)
        first = next(iter(tables.values()))
        self.assertGreater(len(first), 20)
        for where, table in tables.items():
            self.assertEqual(table, first, where)

    def lua(self):
        lua = lua_interpreter(self.scratch)
        if lua is None:
            self.skipTest("no Lua 5.2 interpreter and no way to build one")
        return lua

    def checked(self):
        """The lines check_scripts.lua prints for every copy of every script (run once)."""
        if "checked" not in _SHARED:
            lua = self.lua()
            folder = os.path.join(self.scratch, "scripts")
            os.makedirs(folder, exist_ok=True)
            winners = {}  # by content: every copy's first line names its source
            for name in self.sheets:
                winners[self.union.read("art\\ui\\styles\\" + name)[1]] = \
                    "sheet:" + sheet_name(name)
            winners[self.union.read("art\\ui\\styles\\colourtable.colours")[1]] = "colours"
            arguments = []
            for index, (where, name, data) in enumerate(self.copies):
                path = os.path.join(folder, "%03d-%s" % (index, name))
                with open(path, "wb") as handle:
                    handle.write(data)
                kind = "screen" if name.endswith(".screen") else winners.get(data, "script")
                arguments.append("%s=%s" % (kind, path))
            self.assertEqual(sum(a.startswith("sheet:") for a in arguments), len(self.sheets))
            result = subprocess.run([lua, os.path.join(TOOLS, "check_scripts.lua")] + arguments,
                                    capture_output=True, text=True, timeout=60)
            self.assertEqual(result.returncode, 0, result.stderr)
            _SHARED["checked"] = result.stdout.splitlines()
        return _SHARED["checked"]

    def test_scripts_run_in_the_editors_sandbox_and_refer_to_what_exists(self):
        lines = self.checked()
        problems = [l for l in lines if l.startswith("problem ")]
        # Only the deliberate defects, for tvse-tool check.
        deliberate = ("-" + make_sample.DEFECT_SCREEN + ": ", "-" + make_sample.DEFECT_SHEET + ": ")
        found = sorted(l.partition(": ")[2] for l in problems if any(d in l for d in deliberate))
        self.assertEqual(found, [
            "Widgets<Outpost>.Children[4]<GarrisonButton>: no style %s in sheet UIStyles"
            % make_sample.DEFECT_STYLE,
            "Widgets<Outpost>.Children[5]<RecruitButton>: tooltip_name %s is no tooltip widget"
            % make_sample.DEFECT_TOOLTIP,
            "slice:6: unexpected symbol near <eof>"])
        problems = [l for l in problems if not any(d in l for d in deliberate)]
        self.assertFalse(problems, "\n".join(problems[:20]))
        covered = {l[len("covers "):] for l in lines if l.startswith("covers ")}
        wanted = {"widget " + t for t in WIDGET_TYPES} | {"item " + t for t in ITEM_TYPES}
        wanted |= {"state " + s for s in STATES}
        wanted |= {"part %s from the style" % p for p in (
            "Progress", "ListBox", "Label", "ArrowButton", "ItemsGroup", "ItemTemplate",
            "ScrollBar", "ButtonIncrement", "ButtonTrack", "ButtonDecrement")}
        wanted |= {"size from the style", "Presentation from the style", "hidden widget",
                   "disabled widget", "tooltip_name", "radio buttons split by another widget type",
                   "style name in two sheets", "named colour with three components",
                   "inline colour with three components", "style spelt in another letter case",
                   "buttonType ClickOnPress", "buttonType ClickOnRelease",
                   "art outside its widget on purpose"}
        self.assertEqual(wanted - covered, set())
        counts = {l.split()[1]: int(l.split()[2]) for l in lines if l.startswith("widgets ")}
        self.assertEqual(len(counts), sum(n.endswith(".screen") for _, n, _ in self.copies))
        stress = [c for path, c in counts.items() if path.endswith("-stressscreen.screen")]
        self.assertEqual(len(stress), 1)
        self.assertGreaterEqual(stress[0], 2000)
        for name in REAL_SCREENS:
            self.assertTrue(all(c >= 20 for path, c in counts.items() if path.endswith("-" + name)),
                            name)


    def test_art_parts_and_children_lie_inside_their_widgets(self):
        # In document units: positions are offsets from the parent's origin, sizes are
        # not relative to the parent, and a missing size is the whole screen.
        lines = self.checked()
        outside = [l for l in lines if l.startswith("outside ")]
        self.assertFalse(outside, "\n".join(outside[:20]))
        checked = {os.path.basename(l.split()[1]).partition("-")[2] for l in lines
                   if l.startswith("widgets ")}
        for name in REAL_SCREENS + ("quitconfirmationdialog.screen", "stressscreen.screen"):
            self.assertIn(name, checked)

    def test_the_geometry_check_finds_what_overhangs(self):
        folder = os.path.join(self.scratch, "overhangs")
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, "overhang.screen")
        with open(path, "w") as handle:
            handle.write("""Screen = { Widgets = { type = "Group", name = "Root", Children = {
                { type = "ArtLabel", name = "Box", position = {0.5, 0.5}, size = {0.2, 0.1},
                  Presentation = { Art = {
                    { type = "Rectangle", states = {"Normal"}, colour = {0, 0, 0, 255},
                      size = {0.2, 0.1} },
                    { type = "Rectangle", states = {"Normal"}, colour = {0, 0, 0, 255} },
                    { type = "Line", states = {"Normal"}, colour = {0, 0, 0, 255},
                      position = {0.1, 0}, p1 = {0, 0}, p2 = {0.2, 0} },
                  } } },
                { type = "Group", name = "Wide", position = {0.9, 0}, size = {0.2, 0.1} },
            } } }
            """)
        result = subprocess.run([self.lua(), os.path.join(TOOLS, "check_scripts.lua"),
                                 "screen=" + path], capture_output=True, text=True, timeout=60)
        self.assertEqual(result.returncode, 0, result.stderr)
        outside = sorted(l.partition(": ")[2].split()[0] for l in result.stdout.splitlines()
                         if l.startswith("outside "))
        # The defaulted size is the whole screen; the line runs past the right edge.
        self.assertEqual(outside, ["Widgets<Root>.Children[1]<Box>.Art[2]",
                                   "Widgets<Root>.Children[1]<Box>.Art[3]",
                                   "Widgets<Root>.Children[2]<Wide>"])


def requested_names(root, key):
    """{value: set of files} of every `key = "value"` in every copy of every screen and
    style sheet (shadowed copies too: a module that overrides nothing sees them)."""
    found = {}
    for where, path, data in every_file(root):
        if path.lower().endswith((".screen", ".styles")):
            for value in re.findall(r'\b%s = "([^"]*)"' % key, data.decode("ascii")):
                found.setdefault(value, set()).add(path.rpartition("/")[2])
    return found


class BlockEncoder(unittest.TestCase):
    """The generator's block compression, read back by the decoder above."""

    @staticmethod
    def encode(pixels, fourcc):
        """One block whose stored pixels are `pixels`, row by row (the canvas holds
        them upside down: blocks are stored from the bottom of the image up)."""
        canvas = make_sample.Canvas(4, 4)
        canvas.px[:] = bytes(v for y in (3, 2, 1, 0) for p in pixels[4 * y:4 * y + 4] for v in p)
        return make_sample.compress_blocks(canvas, fourcc)

    def test_opaque_blocks_never_show_holes(self):
        # Colours that collapse to one 5:6:5 value, a flat block, a hard edge, a ramp.
        blocks = [[(200, 100, 50, 255), (201, 101, 51, 255)] * 8,
                  [(255, 255, 255, 255)] * 16, [(0, 0, 0, 255)] * 16,
                  [(10, 20, 30, 255)] * 8 + [(240, 230, 220, 255)] * 8,
                  [(16 * i, 255 - 16 * i, 40, 255) for i in range(16)]]
        for pixels in blocks:
            for fourcc in ("DXT1", "DXT3", "DXT5"):
                bc = make_sample.DXT_FORMATS[fourcc][0]
                decoded = decode_block(self.encode(pixels, fourcc), bc)
                self.assertTrue(all(p[3] == 255 for p in decoded), (fourcc, pixels[:2]))
                for want, got in zip(pixels, decoded):
                    self.assertLessEqual(max(abs(a - b) for a, b in zip(want, got)), 48)

    def test_one_bit_alpha_cuts_below_half(self):
        alphas = [0, 127, 128, 255] * 4
        pixels = [(180, 40, 40, a) for a in alphas]
        decoded = decode_block(self.encode(pixels, "DXT1"), 1)
        self.assertEqual([p[3] for p in decoded], [0 if a < 128 else 255 for a in alphas])
        self.assertTrue(all(p[:3] == (0, 0, 0) for p in decoded if p[3] == 0))
        self.assertEqual(decode_block(self.encode([(9, 9, 9, 0)] * 16, "DXT1"), 1),
                         [(0, 0, 0, 0)] * 16)

    def test_alpha_blocks(self):
        ramp = [(255, 255, 255, 17 * i) for i in range(16)]
        for fourcc, tolerance in (("DXT3", 8), ("DXT5", 19)):
            bc = make_sample.DXT_FORMATS[fourcc][0]
            decoded = decode_block(self.encode(ramp, fourcc), bc)
            for want, got in zip(ramp, decoded):
                self.assertLessEqual(abs(want[3] - got[3]), tolerance, fourcc)
        # The two extremes alone come back exactly.
        hard = [(0, 0, 0, 0), (0, 0, 0, 255)] * 8
        self.assertEqual([p[3] for p in decode_block(self.encode(hard, "DXT5"), 3)],
                         [0, 255] * 8)

    def test_premultiplied_transparent_pixels_stay_black(self):
        # Premultiplied colour is added as it is: a transparent pixel with any colour
        # left would glow.
        pixels = [(255, 220, 140, 255)] * 6 + [(255, 220, 140, 0)] * 10
        for fourcc in ("DXT2", "DXT4"):
            bc = make_sample.DXT_FORMATS[fourcc][0]
            decoded = decode_block(self.encode(pixels, fourcc), bc)
            for got in decoded[6:]:
                self.assertEqual(got[3], 0, fourcc)
                self.assertLessEqual(max(got[:3]), 8, fourcc)

    def test_block_sizes_and_rows(self):
        with self.assertRaises(ValueError):
            make_sample.compress_blocks(make_sample.Canvas(6, 4), "DXT1")
        # Top half red, bottom half blue: the first stored block row is the bottom.
        canvas = make_sample.Canvas(4, 8)
        canvas.fill(0, 0, 4, 4, (255, 0, 0, 255))
        canvas.fill(0, 4, 4, 8, (0, 0, 255, 255))
        data = make_sample.compress_blocks(canvas, "DXT1")
        self.assertEqual(decode_block(data[:8], 1)[0], (0, 0, 255, 255))
        self.assertEqual(decode_block(data[8:], 1)[0], (255, 0, 0, 255))

    def test_mip_chain_to_one_pixel(self):
        canvas = make_sample.Canvas(8, 8, (40, 80, 120, 255))
        texture = read_texture(make_sample.dds_file(canvas, "DXT1", mipmaps=True))
        self.assertEqual(texture["levels"], 4)  # 8, 4, 2 and 1 pixels


class TextureReader(unittest.TestCase):
    """The reader above must refuse what the sample must never hold."""

    def test_lengths_that_disagree_with_the_headers_are_refused(self):
        canvas = make_sample.Canvas(8, 8, (10, 20, 30, 255))
        tga = make_sample.tga_file(canvas, 24, b"id", make_sample.UNUSED_COLOUR_MAP)
        self.assertEqual(read_texture(tga)["format"], "tga24")
        for broken in (tga[:100] + tga[101:],          # one pixel byte short
                       tga[:-18] + b"\0" * 18,         # no footer: not a TGA at all
                       tga[:5] + b"\x11" + tga[6:]):   # colour map longer than stored
            with self.assertRaises(TextureError):
                read_texture(broken)
        dds = make_sample.dds_file(canvas, "DXT5")
        with self.assertRaises(TextureError):
            read_texture(dds + b"\0" * 16)
        rgt = make_sample.rgt_dxtc("x", canvas, "DXT1", deflate=False)
        self.assertFalse(read_texture(rgt)["deflated"])
        with self.assertRaises(TextureError):
            read_texture(rgt[:-1])


class Textures(SampleTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        _, _, sources, _ = load_mod(cls.disk, "Bastion")
        cls.union = Union(cls.disk, sources)
        cls.requested = requested_names(cls.root, "texture")
        cls.resolved = {}  # texture path -> (file name, source, parsed file)
        for path in cls.requested:
            for candidate in texture_candidates(path):
                where, data = cls.union.read(candidate)
                if data is not None:
                    cls.resolved[path] = (candidate, where, read_texture(data))
                    break
        cls.shown = {found[0]: found[2] for found in cls.resolved.values()}
        cls.files = [(where, path, data) for where, path, data in every_file(cls.root)
                     if path.lower().endswith((".dds", ".tga", ".rgt"))]

    def test_every_requested_texture_is_found_but_two(self):
        missing = make_sample.TEXTURES + make_sample.MISSING_TEXTURE
        self.assertIn("mainmenuscreen.screen", self.requested[missing])
        defect = make_sample.TEXTURES + make_sample.DEFECT_TEXTURE
        self.assertEqual(self.requested[defect], {make_sample.DEFECT_SCREEN})
        self.assertEqual(set(self.requested) - set(self.resolved), {missing, defect})
        # Missing from every source, not only from the ones Bastion stacks.
        stems = {p.lower().rpartition(".")[0] for _, p, _ in self.files}
        self.assertNotIn(missing, stems)
        self.assertNotIn(defect, stems)
        self.assertGreater(len(self.resolved), 70)

    def test_paths_with_and_without_extension(self):
        bare = [p for p in self.resolved if "." not in p.rpartition("/")[2]]
        self.assertGreater(len(bare), 20)
        # Asked for as .tga, only the .dds exists.
        asked = make_sample.TEXTURES + "common/checkbox_off_disabled.tga"
        self.assertEqual(self.resolved[asked][0], asked[:-4] + ".dds")
        # Without an extension .dds comes first, even from a later source than a .tga.
        asked = make_sample.TEXTURES + "frontend/tab_selected"
        self.assertEqual(self.resolved[asked][:2], (asked + ".dds", "Engine\\Engine.sga"))
        self.assertEqual(self.union.read(asked + ".tga")[0], "Bastion\\Common\\")

    def test_every_format_the_decoders_read_is_used(self):
        used = [t for _, _, t in self.resolved.values()]
        formats = {t["format"] for t in used}
        self.assertEqual(formats, {"DXT1", "DXT2", "DXT3", "DXT4", "DXT5", "tga24", "tga32",
                                   "rgt13", "rgt14", "rgt15", "rgt-image"})
        self.assertTrue(any(t.get("ident") and t.get("colour_map") for t in used))
        self.assertTrue(any(t["format"] == "tga24" and t.get("colour_map") for t in used))
        self.assertTrue(any(t.get("levels", 1) > 1 for t in used))
        self.assertTrue(any(t.get("pitch_flag") for t in used))
        self.assertEqual({t["deflated"] for t in used if "deflated" in t}, {True, False})
        sources = {where for _, where, _ in self.resolved.values()}
        self.assertTrue(any(s.endswith(".sga") for s in sources))
        self.assertTrue(any(s.endswith("\\") for s in sources))

    def test_every_texture_file_parses_and_is_asked_for(self):
        stems = {p.rpartition(".")[0] if "." in p.rpartition("/")[2] else p
                 for p in self.requested}
        kinds = {".dds": "DXT", ".tga": "tga", ".rgt": "rgt"}
        for where, path, data in self.files:
            try:
                texture = read_texture(data)
            except TextureError as error:
                self.fail("%s %s: %s" % (where, path, error))
            self.assertTrue(texture["format"].startswith(kinds[path[-4:].lower()]), path)
            if "bc" in texture:
                self.assertEqual((texture["width"] % 4, texture["height"] % 4), (0, 0), path)
            self.assertIn(path.lower().rpartition(".")[0], stems, "never asked for: " + path)

    def test_textures_show_upright_and_close_to_their_art(self):
        # One texture of each way of storing it, against the art it was made from.
        plan = {}
        for trees in make_sample.texture_plan().values():
            for path, (storage, make) in sorted(trees.items()):
                plan.setdefault(storage, (path, make))
        self.assertGreaterEqual(len(plan), 12)
        for storage, (path, make) in sorted(plan.items()):
            art = make()
            texture = self.shown.get(make_sample.TEXTURES + path)
            self.assertIsNotNone(texture, path)
            shown = shown_image(texture)
            self.assertEqual((len(shown[0]), len(shown)), (art.width, art.height), path)
            error = 0
            for y, row in enumerate(shown):
                for x, got in enumerate(row):
                    i = (y * art.width + x) * 4
                    a = art.px[i + 3] if storage[:5] != "tga24" else 255
                    want = [c * a // 255 for c in art.px[i:i + 3]] + [a]
                    error += sum(abs(g - w) for g, w in zip(got, want))
            mean = error / (4.0 * art.width * art.height)
            self.assertLessEqual(mean, 4.0 if "DXT" in storage else 0.0, path)

    def test_loading_art_has_sky_above_ground(self):
        texture = self.resolved[make_sample.TEXTURES + "loading/bastion_keep"][2]
        shown = shown_image(texture)
        top, bottom = shown[0][5], shown[-1][5]
        self.assertGreater(top[2], top[0])  # a dark blue sky
        self.assertLess(sum(bottom[:3]), sum(top[:3]))


class Fonts(SampleTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        _, _, sources, _ = load_mod(cls.disk, "Bastion")
        cls.union = Union(cls.disk, sources)
        cls.used = requested_names(cls.root, "fontname")
        cls.descriptions = {}
        for name in set(cls.used) | {"gillsans_16"}:
            _, data = cls.union.read("font\\%s.fnt" % name)
            if data is not None:
                cls.descriptions[name] = parse_font_description(data.decode("ascii"))
        cls.installed = [(origin, name) for _, name, origin in make_sample.FONT_FILES
                         if os.path.isfile(origin)]

    def test_every_font_name_has_a_description_but_the_deliberate_one(self):
        self.assertGreaterEqual(len(self.used), 5)
        self.assertEqual(self.used[make_sample.DEFECT_FONT], {make_sample.DEFECT_SCREEN})
        self.assertEqual(set(self.descriptions),
                         set(self.used) - {make_sample.DEFECT_FONT} | {"gillsans_16"})
        for name, (face, default, sizes) in self.descriptions.items():
            self.assertTrue(face, name)
            for width, size in sizes.items():
                self.assertGreaterEqual(width, 640, name)
                self.assertTrue(0.5 <= size / (default or 12) <= 2.5, name)
        # Defaults in use: one without sizeDefault, one without sizes by width.
        self.assertTrue(any(d is None for _, d, _ in self.descriptions.values()))
        self.assertTrue(any(not s for _, _, s in self.descriptions.values()))

    def test_fonts_are_copied_from_the_machine_when_it_has_them(self):
        listed = self.union.list("font\\")
        offered = sorted(n for n in listed if n.lower().endswith(".ttf"))
        self.assertEqual(offered, sorted((n for _, n in self.installed), key=str.lower))
        for origin, name in self.installed:
            with open(origin, "rb") as handle:
                self.assertEqual(self.union.read("font\\" + name)[1], handle.read(), name)
        # Files the font loader must pass over.
        self.assertIn("readme.txt", listed)
        self.assertTrue(any(n.lower().endswith(".ttf.bak") for n in listed))

    def test_descriptions_pick_faces_the_font_folder_has(self):
        faces = []
        for origin, name in self.installed:
            family, face = font_names(self.union.read("font\\" + name)[1])
            self.assertTrue(family and face, name)
            faces.append((family, face))
        if not faces:
            self.skipTest("no font files on this machine")

        def common(a, b):
            n = 0
            while n < min(len(a), len(b)) and a[n].lower() == b[n].lower():
                n += 1
            return n

        unmatched = []
        for name, (wanted, _, _) in sorted(self.descriptions.items()):
            scores = [(common(wanted, family) + common(wanted[::-1], face[::-1]),
                       family + " " + face) for family, face in faces]
            best = max(scores)
            if best[0] == 0:
                unmatched.append(name)
            elif any(wanted == full for _, full in scores):
                self.assertEqual(best[1], wanted, name)
        self.assertEqual(unmatched, ["copperplate_11"])


if __name__ == "__main__":
    unittest.main(verbosity=1)
