#!/usr/bin/python3
"""The product DLL as a host's loader sees it, read from the file alone (so it
runs on any machine, also one that cannot run the DLL):

- of the width its build tree is for: i386 or x86-64 machine type;
- a DLL that the loader may move and that runs with data execution
  prevention: relocations present, DYNAMIC_BASE and NX_COMPAT set;
- no section both writable and executable;
- self-contained: it imports Windows system DLLs only;
- its entry exported undecorated under both names, and embedded resources;
- with another DLL given, the same embedded resources (type, name, language
  and bytes) as that one: both widths show the same pictures.

With --entries, the DLL is another of the products (the VST 3 bundle's
binary): it must export exactly the names given, undecorated; it holds the
same embedded resources as the other DLL given (the VST 2 DLL of its tree).

  check-dll.py DLL WIDTH [OTHER-DLL]
  check-dll.py --entries "NAME..." DLL WIDTH OTHER-DLL

Debian's python3 (python3-pefile), whatever python3 comes first on the path.
"""
import sys

import pefile

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "msvcrt.dll",
    "advapi32.dll", "msimg32.dll", "comctl32.dll", "comdlg32.dll", "winmm.dll", "uuid.dll",
}
MACHINES = {32: pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"], 64: pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]}
DLL_FLAGS = pefile.DLL_CHARACTERISTICS
SECTION_FLAGS = pefile.SECTION_CHARACTERISTICS


def resources(pe):
    """{(type, name, language): bytes} of every embedded resource."""
    found = {}
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)

    def key(entry):
        return str(entry.name) if entry.name is not None else entry.id

    for kind in root.entries if root else []:
        for name in kind.directory.entries:
            for language in name.directory.entries:
                data = language.data.struct
                found[(key(kind), key(name), language.id)] = pe.get_data(data.OffsetToData, data.Size)
    return found


def check(path, width, other, entries=None):
    problems = []
    pe = pefile.PE(path)
    if pe.FILE_HEADER.Machine != MACHINES[width]:
        problems.append("machine type 0x%04x, not the %d-bit one" % (pe.FILE_HEADER.Machine, width))
    if not pe.FILE_HEADER.Characteristics & pefile.IMAGE_CHARACTERISTICS["IMAGE_FILE_DLL"]:
        problems.append("not marked as a DLL")
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    for flag in ("IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE", "IMAGE_DLLCHARACTERISTICS_NX_COMPAT"):
        if not flags & DLL_FLAGS[flag]:
            problems.append("DLL characteristics 0x%04x lack %s" % (flags, flag))
    relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
    if relocations.Size == 0 or pe.FILE_HEADER.Characteristics & pefile.IMAGE_CHARACTERISTICS[
            "IMAGE_FILE_RELOCS_STRIPPED"]:
        problems.append("no base relocations: the DLL cannot be loaded elsewhere than its preferred address")
    for section in pe.sections:
        wanted = SECTION_FLAGS["IMAGE_SCN_MEM_WRITE"] | SECTION_FLAGS["IMAGE_SCN_MEM_EXECUTE"]
        if section.Characteristics & wanted == wanted:
            problems.append("section %s is both writable and executable" % section.Name.rstrip(b"\0").decode())

    imports = sorted({entry.dll.decode().lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])})
    print("imports:", " ".join(imports))
    for name in imports:
        if name not in SYSTEM_DLLS and not name.startswith("api-ms-win-"):
            problems.append("imports %s, not a Windows system DLL" % name)
    exports = set()
    if hasattr(pe, "DIRECTORY_ENTRY_EXPORT"):
        exports = {symbol.name.decode() for symbol in pe.DIRECTORY_ENTRY_EXPORT.symbols if symbol.name}
    print("exports:", " ".join(sorted(exports)))
    for entry in entries or ("VSTPluginMain", "main"):
        if entry not in exports:
            problems.append("entry not exported: %s" % entry)
    if entries:
        for extra in sorted(exports - set(entries)):
            problems.append("exports %s, which is not one of its entries" % extra)

    mine = resources(pe)
    print("resources: %d" % len(mine))
    if not mine:
        problems.append("no embedded resources")
    if other:
        theirs = resources(pefile.PE(other))
        for key in sorted(set(mine) | set(theirs), key=str):
            if key not in theirs:
                problems.append("resource %s is not in %s" % (key, other))
            elif key not in mine:
                problems.append("resource %s of %s is missing" % (key, other))
            elif mine[key] != theirs[key]:
                problems.append("resource %s differs from %s's" % (key, other))
    return problems


def main():
    args = sys.argv[1:]
    entries = None
    if args[:1] == ["--entries"] and len(args) == 5:
        entries = args[1].split()
        args = args[2:]
    if len(args) not in (2, 3) or args[1] not in ("32", "64") or (entries is not None and len(args) != 3):
        sys.exit("usage: check-dll.py DLL 32|64 [OTHER-DLL] | check-dll.py --entries \"NAME...\" DLL 32|64 OTHER-DLL")
    try:
        problems = check(args[0], int(args[1]), args[2] if len(args) == 3 else None, entries)
    except (OSError, pefile.PEFormatError) as error:
        problems = ["cannot read it as a Windows DLL: %s" % error]
    for problem in problems:
        print("FAILED: %s: %s" % (args[0], problem))
    print("%s: %s" % (args[0], "ok" if not problems else "%d problems" % len(problems)))
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
