#!/usr/bin/env python3
"""Fails when a layer of the program uses one above it or beside it.

Reads every #include "..." in the layer folders and every cw_* library named
in their CMakeLists.txt files, and reports each arrow the layering forbids
with its file and line.

Usage: check-layering.py [SOURCE_ROOT]   (default: the checkout holding this script)
"""

import pathlib
import re
import sys

# What each layer may use besides itself. The game data compiled from
# resources/ is read through the engine's resource source; only the shell
# picks the copy the program carries.
ALLOWED = {
    "engine": set(),
    "platform": set(),
    "uilib": {"platform"},
    "view": {"engine", "platform", "uilib"},
    "chooser": {"engine", "platform", "uilib"},
    "shell": {"engine", "platform", "uilib", "view", "chooser", "resources"},
}

# Folders whose headers or libraries a layer could name; the layers
# themselves, and what only tools, tests and the like may use.
PROJECT_FOLDERS = set(ALLOWED) | {"tools", "tests", "bench", "fuzz", "resources"}

# The libraries each folder builds, by their name prefix.
LIBRARY_FOLDERS = [
    ("cw_engine", "engine"),
    ("cw_platform", "platform"),
    ("cw_artwork", "platform"),
    ("cw_variant_", "platform"),
    ("cw_uilib", "uilib"),
    ("cw_view", "view"),
    ("cw_chooser", "chooser"),
    ("cw_shell", "shell"),
    ("cw_gamedata", "resources"),
]
# Libraries every folder may link: build settings, not code of ours.
NEUTRAL_LIBRARIES = {"cw_warnings"}

SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".cc"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
LINK_CALL = re.compile(r"target_link_libraries\s*\(([^)]*)\)", re.S)
LIBRARY = re.compile(r"\bcw_\w+")


def folder_of_library(name):
    for prefix, folder in LIBRARY_FOLDERS:
        if name.startswith(prefix):
            return folder
    return None


def check_includes(root, layer, path, problems):
    relative = path.relative_to(root)
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), start=1):
        match = INCLUDE.match(line)
        if not match:
            continue
        target = match.group(1)
        if "/" not in target:
            # Beside the including file: its own folder.
            continue
        used = target.split("/", 1)[0]
        if used == layer or used not in PROJECT_FOLDERS:
            continue
        if used not in ALLOWED[layer]:
            problems.append(f'{relative}:{number}: {layer} -> {used} is not allowed (#include "{target}")')


def check_links(root, layer, path, problems):
    relative = path.relative_to(root)
    text = path.read_text(encoding="utf-8")
    for call in LINK_CALL.finditer(text):
        for library in LIBRARY.finditer(call.group(1)):
            name = library.group(0)
            used = folder_of_library(name)
            if name in NEUTRAL_LIBRARIES or used is None or used == layer or used in ALLOWED[layer]:
                continue
            number = text.count("\n", 0, call.start(1) + library.start()) + 1
            problems.append(f"{relative}:{number}: {layer} -> {used} is not allowed (links {name})")


def check(root):
    problems = []
    for layer in ALLOWED:
        folder = root / layer
        if not folder.is_dir():
            problems.append(f"{layer}/: the layer folder is missing")
            continue
        for path in sorted(folder.rglob("*")):
            if path.suffix in SOURCE_SUFFIXES:
                check_includes(root, layer, path, problems)
            elif path.name == "CMakeLists.txt":
                check_links(root, layer, path, problems)
    return problems


def main(argv):
    root = pathlib.Path(argv[1] if len(argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    problems = check(root.resolve())
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        print(f"layering: {len(problems)} arrow(s) point the wrong way; a layer may use only "
              "what lies below it (engine; platform; uilib over platform; view and chooser "
              "over those; shell over all)", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
