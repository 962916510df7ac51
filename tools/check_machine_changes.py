#!/usr/bin/env python3
"""Checks that the Win32 calls that change the machine are made only in src/platform.

Deleting, moving, copying and making files and folders, their attributes, the
registry's changes, the profile writes and program starts go through the platform's
functions (files.h, folders.h, registry.h, profile.h, shell.h, job.h), where the fault
seam sees them and the results follow one convention. A raw call of one of RAW_CALLS in
any other file under src/ is reported; comments and string literals are not looked at.

Usage: check_machine_changes.py [src-folder]   (default: the src/ beside this tools/ folder).
Prints one line per raw call and exits 1 when there is any.
"""
import os
import re
import sys

# The Win32 functions (without their A/W ending) that change files, folders, the
# registry or INI files, or start programs.
RAW_CALLS = (
    "DeleteFile", "MoveFile", "MoveFileEx", "MoveFileWithProgress", "CopyFile", "CopyFileEx", "ReplaceFile",
    "CreateDirectory", "CreateDirectoryEx", "RemoveDirectory", "SetFileAttributes", "SHFileOperation",
    "RegSetValue", "RegSetValueEx", "RegSetKeyValue", "RegCreateKey", "RegCreateKeyEx", "RegDeleteKey",
    "RegDeleteKeyEx", "RegDeleteValue", "RegDeleteTree", "RegDeleteKeyValue",
    "WritePrivateProfileString", "WritePrivateProfileSection", "WritePrivateProfileStruct",
    "WriteProfileString", "WriteProfileSection",
    "CreateProcess", "CreateProcessAsUser", "WinExec", "ShellExecute", "ShellExecuteEx",
)

CALL = re.compile(r"\b(%s)[AW]?\s*\(" % "|".join(sorted(RAW_CALLS, key=len, reverse=True)))
# Comments and literals, replaced by blanks of the same lines before the calls are sought.
NOISE = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', re.S)
SOURCE_ENDINGS = (".h", ".cpp")


def code_only(text):
    """The text with comments and literals blanked, line breaks kept."""
    return NOISE.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)


def check(src_root):
    """The raw calls outside src_root/platform, one text each."""
    problems = []
    for dirpath, _, files in os.walk(src_root):
        for file in sorted(files):
            if not file.endswith(SOURCE_ENDINGS):
                continue
            rel = os.path.relpath(os.path.join(dirpath, file), src_root).replace(os.sep, "/")
            if rel.split("/")[0] == "platform":
                continue
            with open(os.path.join(src_root, rel), encoding="utf-8", errors="replace") as f:
                code = code_only(f.read())
            for m in CALL.finditer(code):
                number = code.count("\n", 0, m.start()) + 1
                name = m.group(0).rstrip("( \t\n")
                problems.append((rel, number, name))
    return ["src/%s:%d: calls %s: machine changes go through src/platform" % p for p in sorted(problems)]


def main(argv):
    src_root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
    problems = check(src_root)
    for p in problems:
        print(p)
    if problems:
        print("machine changes: %d raw call(s) outside src/platform (see tools/check_machine_changes.py)" % len(problems))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
