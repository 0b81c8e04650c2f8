#!/usr/bin/env python3
"""Checks that Windows programs import nothing newer than a given Windows version.

    check_imports.py [--objdump OBJDUMP] [--table CSV] [--newest VERSION] PE_FILE...

Lists each file's imported functions with `objdump -p` and looks every one up in the table
(dll,function,first_windows,source: the first Windows version that has the function). An
import missing from the table, or first present in a version newer than --newest (default
XP SP3), is a fault; each fault is printed with the function and the file. Exits 1 if there
was one, 2 if the table or objdump could not be used.
"""
import argparse
import csv
import os
import re
import subprocess
import sys

# Oldest first. A service pack counts as a version of its own: some functions came with one.
VERSIONS = ["NT4", "2000", "XP", "XP SP1", "XP SP2", "XP SP3", "Vista", "7", "8", "8.1", "10"]
RANK = {name: i for i, name in enumerate(VERSIONS)}

DLL_LINE = re.compile(r"^\s*DLL Name:\s*(\S+)")
# "\t<vma>\t <hint or ordinal>  <name or <none>>"
IMPORT_LINE = re.compile(r"^\t([0-9a-fA-F]+)\t\s*(\d+)\s+(\S+)")


class Fault(Exception):
    pass


def read_table(path):
    table = {}
    with open(path, newline="", encoding="utf-8") as f:
        rows = csv.reader(line for line in f if line.strip() and not line.startswith("#"))
        header = next(rows, None)
        if header != ["dll", "function", "first_windows", "source"]:
            raise Fault(f"{path}: the first row must be dll,function,first_windows,source")
        for number, row in enumerate(rows, start=2):
            if len(row) != 4 or not all(field.strip() for field in row):
                raise Fault(f"{path}: row {number} needs four filled fields: {row}")
            dll, function, version, _ = (field.strip() for field in row)
            if version not in RANK:
                raise Fault(f"{path}: row {number}: unknown Windows version {version!r}")
            key = (dll.lower(), function)
            if key in table:
                raise Fault(f"{path}: row {number}: {dll}!{function} is listed twice")
            table[key] = version
    return table


def list_imports(objdump, pe_file):
    """(dll, function) pairs; a function imported by ordinal is named #<ordinal>."""
    try:
        listing = subprocess.run([objdump, "-p", pe_file], check=True, capture_output=True,
                                 text=True).stdout
    except (OSError, subprocess.CalledProcessError) as e:
        raise Fault(f"{objdump} -p {pe_file} failed: {e}")
    imports, dll = [], None
    for line in listing.splitlines():
        found = DLL_LINE.match(line)
        if found:
            dll = found.group(1)
            continue
        found = IMPORT_LINE.match(line)
        if found and dll:
            _, hint, name = found.groups()
            imports.append((dll, f"#{hint}" if name == "<none>" else name))
        elif not line.strip():
            dll = None
    if not imports:
        raise Fault(f"{pe_file}: objdump listed no imports")
    return imports


def check(pe_file, imports, table, newest):
    faults = []
    for dll, function in imports:
        version = table.get((dll.lower(), function))
        if version is None:
            faults.append(f"{pe_file}: {dll}!{function} is not in the table of Windows versions")
        elif RANK[version] > RANK[newest]:
            faults.append(f"{pe_file}: {dll}!{function} needs Windows {version}, "
                          f"newer than Windows {newest}")
    return faults


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--objdump", default="i686-w64-mingw32-objdump")
    parser.add_argument("--table", default=os.path.join(here, "windows_versions.csv"))
    parser.add_argument("--newest", default="XP SP3", choices=VERSIONS)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args(argv)
    try:
        table = read_table(args.table)
        faults = []
        for pe_file in args.files:
            imports = list_imports(args.objdump, pe_file)
            found = check(pe_file, imports, table, args.newest)
            faults += found
            if not found:
                print(f"check-imports: {pe_file}: {len(imports)} imports, "
                      f"all in Windows {args.newest}")
    except Fault as e:
        print(f"check-imports: {e}", file=sys.stderr)
        return 2
    for fault in faults:
        print(f"check-imports: FAIL {fault}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
