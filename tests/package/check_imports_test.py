#!/usr/bin/env python3
"""Runs check_imports.py on fake objdump listings and a small table.

    check_imports_test.py CHECK_IMPORTS_PY
"""
import os
import stat
import subprocess
import sys
import tempfile
import textwrap
import unittest

CHECK = None

TABLE = textwrap.dedent("""\
    # a comment line
    dll,function,first_windows,source
    KERNEL32.dll,CloseHandle,NT4,test
    KERNEL32.dll,AddVectoredExceptionHandler,XP SP3,test
    KERNEL32.dll,GetTickCount64,Vista,test
    COMCTL32.DLL,#17,2000,test
    msvcrt.dll,malloc,NT4,test
    """)


def listing(imports):
    """What objdump -p prints for a PE importing {dll: [functions]}; '#n' is by ordinal."""
    lines = ["There is an import table in .idata at 0x467000", "",
             "The Import Tables (interpreted .idata section contents)"]
    vma = 0x67000
    for dll, functions in imports.items():
        lines += [f" 00067000\t000670b4 00000000 00000000 00068864 000674a4", "",
                  f"\tDLL Name: {dll}", "\tvma:  Hint/Ord Member-Name Bound-To"]
        for hint, function in enumerate(functions):
            vma += 0x10
            if function.startswith("#"):
                lines.append(f"\t{vma:x}\t  {function[1:]:>4}  <none>")
            else:
                lines.append(f"\t{vma:x}\t {hint + 100:>4}  {function}")
        lines.append("")
    return "\n".join(lines) + "\n"


class CheckImportsTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.table = os.path.join(self.dir.name, "table.csv")
        with open(self.table, "w") as f:
            f.write(TABLE)

    def tearDown(self):
        self.dir.cleanup()

    def program(self, name, imports):
        """A PE stand-in: the fake objdump prints the listing stored beside it."""
        path = os.path.join(self.dir.name, name)
        with open(path + ".listing", "w") as f:
            f.write(listing(imports))
        open(path, "w").close()
        return path

    def run_check(self, *files, newest=None, table=None):
        objdump = os.path.join(self.dir.name, "objdump")
        with open(objdump, "w") as f:
            f.write('#!/bin/sh\n[ "$1" = -p ] || exit 9\ncat "$2.listing"\n')
        os.chmod(objdump, os.stat(objdump).st_mode | stat.S_IEXEC)
        command = [sys.executable, CHECK, "--objdump", objdump, "--table", table or self.table]
        if newest:
            command += ["--newest", newest]
        done = subprocess.run(command + list(files), capture_output=True, text=True)
        return done.returncode, done.stdout + done.stderr

    def test_passes_when_every_import_is_listed_and_old_enough(self):
        ok = self.program("Ok.exe", {"KERNEL32.dll": ["CloseHandle", "AddVectoredExceptionHandler"],
                                     "COMCTL32.DLL": ["#17"], "msvcrt.dll": ["malloc"]})
        code, out = self.run_check(ok)
        self.assertEqual(code, 0, out)
        self.assertIn("Ok.exe: 4 imports, all in Windows XP SP3", out)

    def test_fails_on_an_import_missing_from_the_table(self):
        missing = self.program("Missing.exe", {"kernel32.dll": ["CloseHandle", "FlsAlloc"]})
        code, out = self.run_check(missing)
        self.assertEqual(code, 1, out)
        self.assertIn("Missing.exe: kernel32.dll!FlsAlloc is not in the table", out)
        self.assertNotIn("CloseHandle", out)

    def test_fails_on_an_import_newer_than_the_limit_naming_function_and_file(self):
        ok = self.program("Ok.exe", {"KERNEL32.dll": ["CloseHandle"]})
        too_new = self.program("Quor.exe", {"KERNEL32.dll": ["CloseHandle", "GetTickCount64"]})
        code, out = self.run_check(ok, too_new)
        self.assertEqual(code, 1, out)
        self.assertIn("FAIL " + too_new + ": KERNEL32.dll!GetTickCount64 needs Windows Vista, "
                      "newer than Windows XP SP3", out)
        self.assertIn("Ok.exe: 1 imports, all in Windows XP SP3", out)

    def test_limit_is_inclusive_and_one_version_lower_refuses(self):
        program = self.program("Sp3.exe", {"KERNEL32.dll": ["AddVectoredExceptionHandler"]})
        self.assertEqual(self.run_check(program, newest="XP SP3")[0], 0)
        code, out = self.run_check(program, newest="XP SP2")
        self.assertEqual(code, 1, out)
        self.assertIn("needs Windows XP SP3, newer than Windows XP SP2", out)
        self.assertEqual(self.run_check(self.program("New.exe", {"KERNEL32.dll": ["GetTickCount64"]}),
                                        newest="Vista")[0], 0)

    def test_ordinal_imports_are_looked_up_by_number(self):
        program = self.program("Ord.exe", {"COMCTL32.DLL": ["#17", "#410"]})
        code, out = self.run_check(program)
        self.assertEqual(code, 1, out)
        self.assertIn("COMCTL32.DLL!#410 is not in the table", out)
        self.assertNotIn("#17", out)

    def test_a_bad_table_or_an_empty_listing_is_an_error_not_a_pass(self):
        bad = os.path.join(self.dir.name, "bad.csv")
        with open(bad, "w") as f:
            f.write("dll,function,first_windows,source\nKERNEL32.dll,CloseHandle,XP SP4,test\n")
        program = self.program("Ok.exe", {"KERNEL32.dll": ["CloseHandle"]})
        code, out = self.run_check(program, table=bad)
        self.assertEqual(code, 2, out)
        self.assertIn("unknown Windows version 'XP SP4'", out)
        self.assertEqual(self.run_check(self.program("Empty.exe", {}))[0], 2)


if __name__ == "__main__":
    CHECK = sys.argv.pop(1)
    unittest.main()
