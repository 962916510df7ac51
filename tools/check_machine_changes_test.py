#!/usr/bin/env python3
"""Tests of check_machine_changes.py: each planted call in a small source tree is or is
not reported, and the real tree passes."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_machine_changes  # noqa: E402

# (the file, a line of it, reported?)
CASES = [
    ("platform/files.cpp", "  return DeleteFileA(path.c_str()) != FALSE;", False),
    ("platform/profile.cpp", "WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());", False),
    ("compare/compare_run.cpp", "  DeleteFileA(path.c_str());", True),
    ("compare/compare_run.cpp", "  ::DeleteFileW (wide.c_str());", True),
    ("snapshot/backup_set.cpp", "  if (!CreateDirectoryA(stage.c_str(), nullptr)) return;", True),
    ("uninstall/evidence_check.cpp", "SetFileAttributesA(p, FILE_ATTRIBUTE_NORMAL);", True),
    ("companions/ostrel.cpp", "MoveFileExA(p, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);", True),
    ("setup/setup_main.cpp", "  void Start(const std::string& c, int show) override { WinExec(c.c_str(), show); }", True),
    ("setup/setup_install.cpp", "RegSetValueExA(key, name, 0, REG_SZ, data, size);", True),
    ("cli/tracked_program.cpp", "CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);", True),
    ("shell/tessary_app.cpp", "ShellExecuteA(frame, \"open\", path, nullptr, nullptr, SW_SHOW);", True),
    ("options/companion_control.h", "inline void Gone(HKEY k) { RegDeleteKeyA(k, \"x\"); }", True),
    # Names that only begin like a raw call, comments and texts are no calls.
    ("compare/compare_run.cpp", "  if (!DeleteFileChecked(path)) return false;", False),
    ("compare/compare_run.cpp", "  static_cast<void>(key.DeleteSubKey(name));", False),
    ("compare/compare_run.cpp", "// MoveFileExA(side, target) would replace it", False),
    ("compare/compare_run.cpp", "/* RemoveDirectoryA(dir) */ int x = 0;", False),
    ("compare/compare_run.cpp", "  Say(\"DeleteFileA(x) failed\");", False),
]


class MachineChangesTest(unittest.TestCase):
    def test_planted_calls(self):
        for source, line, reported in CASES:
            with self.subTest(source=source, line=line), tempfile.TemporaryDirectory() as root:
                os.makedirs(os.path.dirname(os.path.join(root, source)), exist_ok=True)
                with open(os.path.join(root, source), "w") as f:
                    f.write("// a file\n%s\n" % line)
                problems = check_machine_changes.check(root)
                self.assertEqual(bool(problems), reported, problems)
                if reported:
                    self.assertIn("src/%s:2:" % source, problems[0])
                    self.assertEqual(check_machine_changes.main(["check", root]), 1)

    def test_the_source_tree_passes(self):
        src = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
        self.assertEqual(check_machine_changes.check(src), [])


if __name__ == "__main__":
    unittest.main()
