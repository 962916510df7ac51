#!/usr/bin/env python3
"""Checks that every include under src/ goes in an allowed direction.

    platform    <- core <- subsystems <- shell, cli

- platform includes nothing of ours;
- core includes platform (and the frame's command ids, resources/ids.h);
- a subsystem includes core, platform, itself, and of another subsystem only what
  SUBSYSTEM_USES names: its logic/ folder and, where named, single headers;
- a subsystem's logic/ folder is pure: besides platform and core it includes logic/
  folders only, never <windows.h>;
- shell and cli include the subsystems; cli includes no dialog header (*_dlg.h);
- the companion programs and setup include platform and core's pure headers only.

Usage: check_layering.py [src-folder]   (default: the src/ beside this tools/ folder).
Prints one line per wrong include and exits 1 when there is any.
"""
import os
import re
import sys

SUBSYSTEMS = ("snapshot", "compare", "uninstall", "reports", "options")

# What a subsystem may use of the others: their logic/ folders, and single headers of
# their engine where one subsystem reads what another writes.
SUBSYSTEM_USES = {
    "snapshot": {},
    # Compare reads the backup set that Backup writes: the set's files, the registry
    # snapshot and the deep listings; and writes the action file's lines with their
    # sealed evidence, gathered by the one code the executor checks it with.
    "compare": {
        "snapshot": ("logic/", "backup_set.h", "registry_export.h", "deep_places.h", "deep_listing_file.h",
                     "values_switch.h"),
        "uninstall": ("logic/", "evidence_live.h"),
    },
    # The Uninstall Actions dialog reads a report's install summary to select one item's lines.
    "uninstall": {"compare": ("logic/",)},
    # The report list and the retention of Sentinox reports know the report names.
    "reports": {"uninstall": ("logic/",)},
    "options": {},
}

# core's pure headers (tessary_core_logic and what it needs), which the companion
# programs and setup.exe may share.
CORE_PURE = ("core/startup_logic.h", "core/settings_table.h", "core/install_layout.h")

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')
SOURCE_ENDINGS = (".h", ".cpp", ".rc")


def layer_of(path):
    """The layer of a file, given by its path below src/ ("compare/logic/x.h")."""
    parts = path.split("/")
    top = parts[0]
    if top == "resources":
        return "ids" if path.endswith(".h") else "shell"
    if top in SUBSYSTEMS and len(parts) > 2 and parts[1] == "logic":
        return top + "/logic"
    return top


def allowed(source, target):
    """None when `source` may include `target` (both paths below src/), else why not."""
    src_layer, dst_layer = layer_of(source), layer_of(target)
    src_top, dst_top = src_layer.split("/")[0], dst_layer.split("/")[0]
    if src_top == "platform":
        return None if dst_top == "platform" else "platform includes nothing of ours"
    if src_top == "ids":
        return "the id headers include nothing of ours"
    if src_top == "core":
        return None if dst_top in ("platform", "core", "ids") else "core includes only platform"
    if src_top in ("companions", "setup"):
        if dst_top == "platform" or target in CORE_PURE or (src_top == "setup" and dst_top == "setup"):
            return None
        if src_top == "companions" and dst_top == "companions":
            return None
        return src_top + " includes only platform and core's pure headers"
    if src_top in SUBSYSTEMS:
        pure = src_layer.endswith("/logic")
        if dst_top in ("platform", "core"):
            return None
        if dst_top == src_top:
            if pure and not dst_layer.endswith("/logic"):
                return "a logic/ folder includes only logic/ folders, core and platform"
            return None
        uses = SUBSYSTEM_USES[src_top].get(dst_top)
        if dst_top in SUBSYSTEMS and uses:
            rest = target[len(dst_top) + 1:]
            if any(rest.startswith(u) if u.endswith("/") else rest == u for u in uses):
                if pure and not dst_layer.endswith("/logic"):
                    return "a logic/ folder includes only logic/ folders, core and platform"
                return None
        return "%s may use of %s only what SUBSYSTEM_USES names" % (src_top, dst_top)
    if src_top in ("shell", "cli"):
        if dst_top in ("platform", "core", "ids") or dst_top in SUBSYSTEMS or dst_top == src_top:
            if src_top == "cli" and target.endswith("_dlg.h"):
                return "cli includes no dialog header"
            return None
        return "%s includes core, platform and the subsystems" % src_top
    return "%s is in no layer" % src_top


def includes(src_root, rel):
    """(line number, included path below src/) of each include of ours in a file."""
    folder = os.path.dirname(rel)
    with open(os.path.join(src_root, rel), encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            kind, name = m.groups()
            if kind == '"' and os.path.isfile(os.path.join(src_root, folder, name)):
                yield number, os.path.normpath(os.path.join(folder, name)).replace(os.sep, "/")
            elif os.path.isfile(os.path.join(src_root, name)):
                yield number, name
            elif name.lower() == "windows.h":
                yield number, "<windows.h>"


def check(src_root):
    """The wrong includes under src_root, one text each."""
    problems = []
    for dirpath, _, files in os.walk(src_root):
        for file in sorted(files):
            if not file.endswith(SOURCE_ENDINGS):
                continue
            rel = os.path.relpath(os.path.join(dirpath, file), src_root).replace(os.sep, "/")
            pure = layer_of(rel).endswith("/logic")
            for number, target in includes(src_root, rel):
                if target == "<windows.h>":
                    why = "a logic/ folder is pure: no <windows.h>" if pure else None
                else:
                    why = allowed(rel, target)
                if why:
                    problems.append("src/%s:%d: includes %s: %s" % (rel, number, target, why))
    return sorted(problems)


def main(argv):
    src_root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
    problems = check(src_root)
    for p in problems:
        print(p)
    if problems:
        print("layering: %d include(s) cross the allowed directions (see tools/check_layering.py)" % len(problems))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
