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
import subprocess
import sys
import tempfile
import time
import unittest

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

class SampleTestCase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="tvse-sample-test-")
        cls.root = os.path.join(cls.scratch, "sample")
        started = time.monotonic()
        make_sample.generate(cls.root)
        cls.seconds = time.monotonic() - started
        cls.disk = Disk(cls.root)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)


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
        self.assertEqual(len(screens), 51)
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
            self.assertEqual(ids - known, set(), name)
            used |= ids
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

    def test_scripts_run_in_the_editors_sandbox_and_refer_to_what_exists(self):
        lua = lua_interpreter(self.scratch)
        if lua is None:
            self.skipTest("no Lua 5.2 interpreter and no way to build one")
        folder = os.path.join(self.scratch, "scripts")
        os.makedirs(folder, exist_ok=True)
        winners = {}  # by content: every copy's first line names its source
        for name in self.sheets:
            winners[self.union.read("art\\ui\\styles\\" + name)[1]] = "sheet:" + sheet_name(name)
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
        lines = result.stdout.splitlines()
        problems = [l for l in lines if l.startswith("problem ")]
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
                   "buttonType ClickOnPress", "buttonType ClickOnRelease"}
        self.assertEqual(wanted - covered, set())
        counts = {l.split()[1]: int(l.split()[2]) for l in lines if l.startswith("widgets ")}
        self.assertEqual(len(counts), sum(n.endswith(".screen") for _, n, _ in self.copies))
        stress = [c for path, c in counts.items() if path.endswith("-stressscreen.screen")]
        self.assertEqual(len(stress), 1)
        self.assertGreaterEqual(stress[0], 2000)
        for name in REAL_SCREENS:
            self.assertTrue(all(c >= 20 for path, c in counts.items() if path.endswith("-" + name)),
                            name)


if __name__ == "__main__":
    unittest.main(verbosity=1)
