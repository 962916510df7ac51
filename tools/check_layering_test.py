#!/usr/bin/env python3
"""Tests of check_layering.py: each planted include in a small source tree is or is not
reported, and the real tree passes."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_layering  # noqa: E402

# The files every planted tree holds, so that includes of them resolve.
TREE = [
    "platform/files.h", "platform/ascii.h", "core/host.h", "core/startup_logic.h", "resources/ids.h",
    "snapshot/backup_set.h", "snapshot/backup_run.h", "snapshot/logic/backup_names.h",
    "compare/compare_run.h", "compare/compare_dlg.h", "compare/logic/ini_merge.h",
    "uninstall/compare_file_list.h", "uninstall/logic/action_file.h", "reports/logic/retention_logic.h",
    "options/options_engine.h", "shell/mdi.h", "setup/setup_install.h", "cli/cli_commands.h",
]

# (the including file, what it includes, reported?)
CASES = [
    ("platform/files.cpp", '"ascii.h"', False),
    ("platform/files.cpp", '"platform/ascii.h"', False),
    ("platform/files.cpp", '"core/host.h"', True),
    ("core/host.cpp", '"platform/files.h"', False),
    ("core/host.cpp", '"resources/ids.h"', False),
    ("core/host.cpp", '"snapshot/backup_run.h"', True),
    ("snapshot/backup_run.cpp", '"core/host.h"', False),
    ("snapshot/backup_run.cpp", '"compare/logic/ini_merge.h"', True),
    ("snapshot/backup_run.cpp", '"shell/mdi.h"', True),
    ("snapshot/logic/backup_names.cpp", '"snapshot/backup_set.h"', True),
    ("snapshot/logic/backup_names.cpp", "<windows.h>", True),
    ("snapshot/backup_run.cpp", "<windows.h>", False),
    ("compare/compare_run.cpp", '"snapshot/backup_set.h"', False),
    ("compare/compare_run.cpp", '"snapshot/backup_run.h"', True),
    ("compare/compare_run.cpp", '"uninstall/logic/action_file.h"', False),
    ("compare/compare_run.cpp", '"uninstall/compare_file_list.h"', True),
    ("compare/logic/ini_merge.cpp", '"snapshot/logic/backup_names.h"', False),
    ("compare/logic/ini_merge.cpp", '"snapshot/backup_set.h"', True),
    ("reports/view_dlg.cpp", '"uninstall/compare_file_list.h"', True),
    ("options/logic/options_logic.cpp", '"reports/logic/retention_logic.h"', True),
    ("shell/tessary_app.cpp", '"compare/compare_dlg.h"', False),
    ("shell/tessary_app.cpp", '"cli/cli_commands.h"', True),
    ("cli/cli_commands.cpp", '"compare/compare_run.h"', False),
    ("cli/cli_commands.cpp", '"compare/compare_dlg.h"', True),
    ("cli/cli_commands.cpp", '"shell/mdi.h"', True),
    ("companions/ostrel.cpp", '"core/startup_logic.h"', False),
    ("companions/ostrel.cpp", '"core/host.h"', True),
    ("companions/ostrel.cpp", '"setup/setup_install.h"', True),
    ("setup/setup_main.cpp", '"setup_install.h"', False),
    ("resources/tessary.rc", '"compare/compare_dlg.h"', False),
]


class LayeringTest(unittest.TestCase):
    def test_planted_includes(self):
        for source, include, reported in CASES:
            with self.subTest(source=source, include=include), tempfile.TemporaryDirectory() as root:
                for rel in TREE + [source]:
                    os.makedirs(os.path.dirname(os.path.join(root, rel)), exist_ok=True)
                    open(os.path.join(root, rel), "a").close()
                with open(os.path.join(root, source), "w") as f:
                    f.write("// a file\n#include %s\n" % include)
                problems = check_layering.check(root)
                self.assertEqual(bool(problems), reported, problems)
                if reported:
                    self.assertIn("src/%s:2:" % source, problems[0])
                    self.assertEqual(check_layering.main(["check", root]), 1)

    def test_the_source_tree_passes(self):
        src = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
        self.assertEqual(check_layering.check(src), [])


if __name__ == "__main__":
    unittest.main()
