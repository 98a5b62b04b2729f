#!/usr/bin/python3
"""Reads a built VantrelBMPCorners.dll and checks its outward identity: file name,
machine, export table, version resource, type library, string table and the DLLs it
imports. Run by ctest for both Windows builds; needs Debian's python3-pefile.

usage: check_module_identity.py DLL ARCH VERSION TLB IDL
  ARCH     x64 or x86
  VERSION  the project's version, such as 1.0.0.1
  TLB, IDL the committed type library and the IDL it was compiled from
"""

import os
import re
import struct
import sys
import uuid

import pefile

MACHINES = {"x64": 0x8664, "x86": 0x014C}
RT_STRING = 6
RT_VERSION = 16
LANG_EN_US = 0x0409
CODEPAGE_UNICODE = 1200
# What Windows itself supplies; the compiler's runtime DLLs (libstdc++, libgcc,
# libwinpthread) must not be needed.
SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "user32.dll", "advapi32.dll"}


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def expect(self, what, actual, expected):
        if actual == expected:
            self.passed += 1
            print(f"ok    {what}")
        else:
            self.failed += 1
            print(f"FAIL  {what}: got {actual!r}, expected {expected!r}")


def version_strings(version):
    parts = version.split(".")
    shown = ", ".join(parts)
    return [
        ("CompanyName", ""),
        ("FileDescription", "VantrelBMPCorners DLL"),
        ("FileVersion", shown),
        ("InternalName", "VantrelBMPCorners"),
        ("LegalCopyright", None),  # the maker's notice: any non-empty text
        ("LegalTrademarks", ""),
        ("OriginalFilename", "VantrelBMPCorners.DLL"),
        ("ProductName", "VantrelBMPCorners Dynamic Link Library"),
        ("ProductVersion", shown),
        ("OLESelfRegister", ""),
    ]


def resource_type(pe, type_id=None, type_name=None):
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if type_id is not None and entry.id == type_id:
            return entry
        if type_name is not None and entry.name is not None and str(entry.name) == type_name:
            return entry
    return None


def resource_items(entry):
    """(id, language, bytes) for every item of a resource type."""
    items = []
    for name in entry.directory.entries:
        for lang in name.directory.entries:
            items.append((name.id, lang.id, lang.data))
    return items


def read_items(pe, entry):
    return [
        (ident, lang, pe.get_data(data.struct.OffsetToData, data.struct.Size))
        for ident, lang, data in resource_items(entry)
    ]


def string_block(raw):
    """The 16 strings of one string table block: each a count and UTF-16 units."""
    strings, offset = [], 0
    for _ in range(16):
        (count,) = struct.unpack_from("<H", raw, offset)
        offset += 2
        strings.append(raw[offset : offset + 2 * count].decode("utf-16-le"))
        offset += 2 * count
    return strings


def typelib_summary(raw):
    """The library attributes of a compiled type library (the "MSFT" format)."""
    fields = struct.unpack_from("<4s20i", raw, 0)
    magic, _, posguid, lcid, _, varflags, version, _, typeinfos, helpstring = fields[:10]
    name_offset, helpfile = fields[14], fields[15]
    segments = 0x54 + (4 if varflags & 0x100 else 0) + 4 * typeinfos
    seg = lambda index: struct.unpack_from("<2i", raw, segments + 16 * index)
    guid_table, _ = seg(5)
    name_table, _ = seg(7)
    libid = uuid.UUID(bytes_le=bytes(raw[guid_table + posguid : guid_table + posguid + 16]))
    name_at = name_table + name_offset
    (name_length,) = struct.unpack_from("<i", raw, name_at + 8)
    name = raw[name_at + 12 : name_at + 12 + (name_length & 0xFF)].decode("ascii")
    return {
        "magic": magic,
        "name": name,
        "libid": libid,
        "lcid": lcid,
        "syskind": varflags & 0xF,  # 1: 32-bit Windows
        "version": (version & 0xFFFF, version >> 16),
        "type descriptions": typeinfos,
        "help string": helpstring,
        "help file": helpfile,
    }


def main(argv):
    if len(argv) != 6:
        print(__doc__)
        return 2
    dll, arch, version, tlb_path, idl_path = argv[1:]
    checks = Checks()
    pe = pefile.PE(dll)

    checks.expect("file name", os.path.basename(dll), "VantrelBMPCorners.dll")
    checks.expect("machine", pe.FILE_HEADER.Machine, MACHINES[arch])
    checks.expect("is a DLL", pe.FILE_HEADER.IMAGE_FILE_DLL, True)

    exports = pe.DIRECTORY_ENTRY_EXPORT
    checks.expect("export table name", exports.name, b"VANTRELBMPCORNERS.dll")
    checks.expect(
        "exports",
        [(s.name, s.forwarder) for s in exports.symbols],
        [(b"BMPCorners", None)],
    )

    imports = sorted(i.dll.decode().lower() for i in pe.DIRECTORY_ENTRY_IMPORT)
    checks.expect("imports only system DLLs", [d for d in imports if d not in SYSTEM_DLLS], [])

    major, minor, patch, tweak = (int(p) for p in version.split("."))
    fixed = pe.VS_FIXEDFILEINFO[0]
    checks.expect(
        "version resource, fixed part",
        (
            fixed.FileVersionMS,
            fixed.FileVersionLS,
            fixed.ProductVersionMS,
            fixed.ProductVersionLS,
            fixed.FileFlagsMask,
            fixed.FileFlags,
            fixed.FileOS,
            fixed.FileType,
            fixed.FileSubtype,
        ),
        (
            major << 16 | minor,
            patch << 16 | tweak,
            major << 16 | minor,
            patch << 16 | tweak,
            0x3F,
            0,
            4,
            2,
            0,
        ),
    )
    version_info = resource_type(pe, type_id=RT_VERSION)
    checks.expect(
        "version resource language",
        [(ident, lang) for ident, lang, _ in resource_items(version_info)],
        [(1, LANG_EN_US)],
    )

    tables, translations = [], []
    for file_info in pe.FileInfo:
        for block in file_info:
            if block.Key == b"StringFileInfo":
                tables += block.StringTable
            elif block.Key == b"VarFileInfo":
                translations += [v.entry for v in block.Var]
    checks.expect("string blocks", [t.LangID for t in tables], [b"040904B0"])
    entries = [(k.decode(), v.decode()) for k, v in tables[0].entries.items()] if tables else []
    expected = version_strings(version)
    notice = dict(entries).get("LegalCopyright", "")
    checks.expect("legal notice present", notice != "", True)
    expected = [(k, notice if v is None else v) for k, v in expected]
    checks.expect("version strings, in order", entries, expected)
    checks.expect(
        "translation",
        translations,
        [{b"Translation": f"0x{LANG_EN_US:04x} 0x{CODEPAGE_UNICODE:04x}"}],
    )

    typelib = resource_type(pe, type_name="TYPELIB")
    typelib_items = read_items(pe, typelib) if typelib else []
    checks.expect(
        "type library resource",
        [(ident, lang) for ident, lang, _ in typelib_items],
        [(1, LANG_EN_US)],
    )
    with open(tlb_path, "rb") as f:
        committed = f.read()
    embedded = typelib_items[0][2] if typelib_items else b""
    checks.expect("type library is the committed one", embedded == committed, True)
    with open(idl_path, encoding="utf-8") as f:
        idl_libid = uuid.UUID(re.search(r"uuid\(([0-9a-fA-F-]+)\)", f.read()).group(1))
    checks.expect(
        "type library attributes",
        typelib_summary(embedded) if embedded else None,
        {
            "magic": b"MSFT",
            "name": "VantrelBMPCorners",
            "libid": idl_libid,
            "lcid": LANG_EN_US,
            "syskind": 1,
            "version": (1, 0),
            "type descriptions": 0,
            "help string": -1,
            "help file": -1,
        },
    )

    # String 101 lives in block 101 / 16 + 1 = 7, at place 101 % 16 = 5.
    string_items = read_items(pe, resource_type(pe, type_id=RT_STRING))
    checks.expect(
        "string table blocks", [(ident, lang) for ident, lang, _ in string_items], [(7, LANG_EN_US)]
    )
    block = string_block(string_items[0][2]) if string_items else []
    checks.expect(
        "string table",
        {96 + i: s for i, s in enumerate(block) if s},
        {101: "Windows sockets initialization failed."},
    )

    print(f"{checks.passed} passed, {checks.failed} failed")
    return 0 if checks.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
