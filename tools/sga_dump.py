#!/usr/bin/env python3
"""Lists, extracts and checks SGA archives (versions 2 and 4), independently of the
program's reader and of the sample generator, so that each can be held against it.

    sga_dump.py list ARCHIVE
    sga_dump.py extract ARCHIVE OUTDIR
    sga_dump.py check [--broken ARCHIVE]... PATH...

`check` takes archives or folders (every *.sga below them) and verifies both MD5
digests, the table of contents (ranges, order, names) and every member's CRC-32 and
size. An archive given with --broken must fail to open instead. The exit status is 0
when every check passed, 1 otherwise.
"""

import hashlib
import os
import struct
import sys
import zlib

FILE_MD5_KEY = b"E01519D6-2DB7-4640-AF54-0A23319C56C3"
TOC_MD5_KEY = b"DFC9AF62-FC1B-4180-BC27-11CCE87D3EFF"


class SgaError(Exception):
    pass


class Member:
    def __init__(self, path, name_offset, data_offset, stored, unpacked, flags, mtime):
        self.path = path
        self.name_offset = name_offset
        self.data_offset = data_offset
        self.stored = stored
        self.unpacked = unpacked
        self.flags = flags
        self.mtime = mtime


class Archive:
    """A parsed archive. Raises SgaError for anything that a reader must refuse."""

    def __init__(self, data):
        self.data = data
        self.problems = []  # faults that do not stop reading, found while parsing
        if len(data) < 204:
            raise SgaError("file is too small (%d bytes)" % len(data))
        if data[:8] != b"_ARCHIVE":
            raise SgaError("file is not an SGA")
        (self.version,) = struct.unpack_from("<I", data, 8)
        if self.version not in (2, 4):
            raise SgaError("wrong SGA version %d" % self.version)
        self.header_size = 180 if self.version == 2 else 184
        self.file_md5 = data[12:28]
        self.name = data[28:156].decode("utf-16-le").split("\0", 1)[0]
        self.toc_md5 = data[156:172]
        self.toc_size, self.data_base = struct.unpack_from("<II", data, 172)
        self.platform = struct.unpack_from("<I", data, 180)[0] if self.version == 4 else None
        toc_end = self.header_size + self.toc_size
        if toc_end > len(data):
            raise SgaError("table of contents runs past the end of the file")
        self.toc = data[self.header_size:toc_end]
        self._parse_toc()

    def _u16(self, offset):
        return struct.unpack_from("<H", self.toc, offset)[0]

    def _u32(self, offset):
        return struct.unpack_from("<I", self.toc, offset)[0]

    def _name(self, offset):
        start = self.names_offset + offset
        if start >= len(self.toc):
            raise SgaError("name offset %d outside the name block" % offset)
        end = self.toc.find(b"\0", start)
        if end < 0:
            raise SgaError("name at %d is not terminated" % offset)
        return self.toc[start:end].decode("latin-1")

    def _parse_toc(self):
        toc = self.toc
        if len(toc) < 24:
            raise SgaError("table of contents shorter than its fixed part")
        (drive_offset, drive_count, folder_offset, folder_count, file_offset, file_count,
         names_offset, name_count) = struct.unpack_from("<IHIHIHIH", toc, 0)
        self.names_offset = names_offset
        record_size = 20 if self.version == 2 else 22
        for what, start, size in (("drive table", drive_offset, 138 * drive_count),
                                  ("folder table", folder_offset, 12 * folder_count),
                                  ("file table", file_offset, record_size * file_count),
                                  ("name block", names_offset, 0)):
            if start + size > len(toc):
                raise SgaError("%s lies outside the table of contents" % what)
        if folder_count == 0:
            raise SgaError("no root folder")
        if name_count != folder_count + file_count:
            self.problems.append("name count %d is not folders + files (%d)"
                                 % (name_count, folder_count + file_count))

        self.drives = []
        for d in range(drive_count):
            base = drive_offset + 138 * d
            alias = toc[base:base + 64].split(b"\0", 1)[0].decode("latin-1")
            name = toc[base + 64:base + 128].split(b"\0", 1)[0].decode("latin-1")
            ranges = struct.unpack_from("<HHHHH", toc, base + 128)
            self.drives.append((alias, name) + ranges)
        if drive_count != 1:
            self.problems.append("%d drives instead of one" % drive_count)
        elif self.drives[0][2:] != (0, folder_count, 0, file_count, 0):
            self.problems.append("drive ranges %r do not cover the tables" % (self.drives[0][2:],))

        self.folders = []
        for f in range(folder_count):
            name_at, first_sub, end_sub, first_file, end_file = struct.unpack_from(
                "<IHHHH", toc, folder_offset + 12 * f)
            self.folders.append((self._name(name_at), first_sub, end_sub, first_file, end_file))

        raw_files = []
        for i in range(file_count):
            base = file_offset + record_size * i
            if self.version == 2:
                name_at, flags, offset, stored, unpacked = struct.unpack_from("<IIIII", toc, base)
                mtime = None
            else:
                name_at, offset, stored, unpacked, mtime, flags = struct.unpack_from(
                    "<IIIIIH", toc, base)
            raw_files.append((self._name(name_at), name_at, offset, stored, unpacked, flags, mtime))

        self._check_tree(raw_files)
        self.members = []
        owner = {}
        for folder_name, _, _, first_file, end_file in self.folders:
            for i in range(first_file, min(end_file, file_count)):
                owner.setdefault(i, folder_name)
        for i, (name, name_at, offset, stored, unpacked, flags, mtime) in enumerate(raw_files):
            folder = owner.get(i, "")
            path = folder + "\\" + name if folder else name
            self.members.append(Member(path, name_at, offset, stored, unpacked, flags, mtime))

    def _check_tree(self, files):
        problems = self.problems
        folders = self.folders
        if folders[0][0] != "":
            problems.append("folder 0 is %r, not the root" % folders[0][0])
        parent_of = {}
        for index, (name, first_sub, end_sub, first_file, end_file) in enumerate(folders):
            if name != name.lower():
                problems.append("folder name %r is not lower-case" % name)
            if not (first_sub <= end_sub <= len(folders)):
                problems.append("folder %r: bad sub-folder range %d..%d" % (name, first_sub, end_sub))
                continue
            if not (first_file <= end_file <= len(files)):
                problems.append("folder %r: bad file range %d..%d" % (name, first_file, end_file))
            for sub in range(first_sub, end_sub):
                if sub in parent_of:
                    problems.append("folder %d has two parents" % sub)
                parent_of[sub] = index
                sub_name = folders[sub][0]
                prefix = name + "\\" if name else ""
                rest = sub_name[len(prefix):]
                if not sub_name.startswith(prefix) or not rest or "\\" in rest:
                    problems.append("sub-folder %r is not a child of %r" % (sub_name, name))
            names = [files[i][0] for i in range(first_file, min(end_file, len(files)))]
            encoded = [n.encode("latin-1") for n in names]
            if encoded != sorted(encoded):
                problems.append("files of %r are not in byte order" % name)
            for n in names:
                if n != n.lower() or "\\" in n or "/" in n or not n:
                    problems.append("bad file name %r in %r" % (n, name))
        for index in range(1, len(folders)):
            if index not in parent_of:
                problems.append("folder %r is nobody's sub-folder" % folders[index][0])
        covered = []
        for _, _, _, first_file, end_file in folders:
            covered.extend(range(first_file, end_file))
        if sorted(covered) != list(range(len(files))):
            problems.append("folder file ranges do not cover every file exactly once")

    def digests_match(self):
        body = self.data[self.header_size:]
        return (hashlib.md5(FILE_MD5_KEY + body).digest() == self.file_md5,
                hashlib.md5(TOC_MD5_KEY + self.toc).digest() == self.toc_md5)

    def read(self, member):
        """The member's unpacked bytes; raises SgaError when they cannot be had."""
        start = self.data_base + member.data_offset
        if start + member.stored > len(self.data):
            raise SgaError("%s: data runs past the end of the file" % member.path)
        stored = self.data[start:start + member.stored]
        if member.stored == member.unpacked:
            return stored
        try:
            content = zlib.decompress(stored)
        except zlib.error as failure:
            raise SgaError("%s: %s" % (member.path, failure))
        if len(content) != member.unpacked:
            raise SgaError("%s: inflates to %d bytes, not %d"
                           % (member.path, len(content), member.unpacked))
        return content

    def member_header(self, member):
        """(name, modification time or None, CRC-32) from the reserved bytes in front
        of the member's data."""
        size = 264 if self.version == 2 else 260
        start = self.data_base + member.data_offset - size
        if start < self.header_size + self.toc_size:
            raise SgaError("%s: no room for its member header" % member.path)
        block = self.data[start:start + size]
        name = block[:256].split(b"\0", 1)[0].decode("latin-1")
        if self.version == 2:
            mtime, crc = struct.unpack_from("<II", block, 256)
        else:
            mtime, (crc,) = None, struct.unpack_from("<I", block, 256)
        return name, mtime, crc


def check_archive(path):
    """Problems found in the archive at `path` (an empty list when it is sound)."""
    with open(path, "rb") as handle:
        data = handle.read()
    try:
        archive = Archive(data)
    except SgaError as failure:
        return ["cannot open: %s" % failure]
    problems = list(archive.problems)
    file_ok, toc_ok = archive.digests_match()
    if not file_ok:
        problems.append("file MD5 does not match")
    if not toc_ok:
        problems.append("table-of-contents MD5 does not match")
    if archive.data_base < archive.header_size + archive.toc_size:
        problems.append("data base lies inside the header or table of contents")
    if archive.version == 4 and archive.platform != 1:
        problems.append("platform field is %r, not 1" % archive.platform)
    for member in archive.members:
        try:
            content = archive.read(member)
            name, _, crc = archive.member_header(member)
        except SgaError as failure:
            problems.append(str(failure))
            continue
        if name != member.path.rpartition("\\")[2]:
            problems.append("%s: member header names %r" % (member.path, name))
        if zlib.crc32(content) & 0xFFFFFFFF != crc:
            problems.append("%s: CRC-32 does not match" % member.path)
        compressed = member.stored != member.unpacked
        if compressed != (member.flags != 0):
            problems.append("%s: flags 0x%x disagree with the sizes" % (member.path, member.flags))
        if compressed and member.stored >= member.unpacked:
            problems.append("%s: compressed but not smaller" % member.path)
    return problems


def archives_under(paths):
    for path in paths:
        if os.path.isdir(path):
            for folder, subfolders, names in os.walk(path):
                subfolders.sort()
                for name in sorted(names):
                    if name.lower().endswith(".sga"):
                        yield os.path.join(folder, name)
        else:
            yield path


def command_list(path):
    with open(path, "rb") as handle:
        archive = Archive(handle.read())
    print("%s: version %d, name %r, %d folders, %d files"
          % (path, archive.version, archive.name, len(archive.folders), len(archive.members)))
    for member in archive.members:
        kind = "zlib" if member.stored != member.unpacked else "stored"
        print("  %-6s %8d %8d  %s" % (kind, member.stored, member.unpacked, member.path))
    return 0


def command_extract(path, outdir):
    with open(path, "rb") as handle:
        archive = Archive(handle.read())
    for member in archive.members:
        target = os.path.join(outdir, *member.path.split("\\"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as handle:
            handle.write(archive.read(member))
    print("%d members extracted into %s" % (len(archive.members), outdir))
    return 0


def command_check(arguments):
    broken = set()
    paths = []
    index = 0
    while index < len(arguments):
        if arguments[index] == "--broken" and index + 1 < len(arguments):
            broken.add(os.path.abspath(arguments[index + 1]))
            index += 2
        else:
            paths.append(arguments[index])
            index += 1
    if not paths:
        return usage()
    failed = False
    checked = 0
    for path in archives_under(paths):
        checked += 1
        problems = check_archive(path)
        expected_broken = os.path.abspath(path) in broken
        if expected_broken:
            broken.discard(os.path.abspath(path))
            if problems and problems[0].startswith("cannot open"):
                print("ok (refused as expected): %s: %s" % (path, problems[0]))
                continue
            problems = ["opens although it should be refused"] + problems
        if problems:
            failed = True
            for problem in problems:
                print("FAIL %s: %s" % (path, problem))
        else:
            print("ok: %s" % path)
    for path in sorted(broken):
        failed = True
        print("FAIL %s: expected broken archive not found" % path)
    if checked == 0:
        print("FAIL: no archives found")
        failed = True
    return 1 if failed else 0


def usage():
    sys.stderr.write(__doc__.split("\n\n")[1] + "\n")
    return 2


def main(argv):
    if len(argv) >= 3 and argv[1] == "list":
        return max(command_list(path) for path in argv[2:])
    if len(argv) == 4 and argv[1] == "extract":
        return command_extract(argv[2], argv[3])
    if len(argv) >= 3 and argv[1] == "check":
        return command_check(argv[2:])
    return usage()


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except (OSError, SgaError) as failure:
        sys.stderr.write("sga_dump: %s\n" % failure)
        sys.exit(1)
