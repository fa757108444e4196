#!/usr/bin/env python3
"""Checks every #include in the repository against the layer table in layering.txt.

usage: check_layering.py REPOSITORY_ROOT QT_HEADERS_DIR

A file in folder F may include a header of ours only if the header lies in F itself or in one
of the folders (or is one of the single headers) F's row names. A Qt header must belong to one
of the modules F's row names, and a vendor header (SDL, FluidSynth, libsndfile) may appear only
where the row names "vendors". Prints every include that crosses the table and exits 1 if
there is any; exits 2 if the table or the tree cannot be read.
"""

import os
import re
import subprocess
import sys

VENDOR = re.compile(r"^(SDL2?/|SDL[_.]|fluidsynth|sndfile)")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCES = (".h", ".hpp", ".cpp", ".cc")


def read_table(path):
    """Rows of the table: folder -> (set of folders or headers of ours, set of modules)."""
    rows = {}
    with open(path, encoding="utf-8") as table:
        for line in table:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            cells = [c.strip() for c in line.split("|")]
            if len(cells) != 3:
                raise ValueError("a row needs three cells: " + line)
            rows[cells[0]] = (set(cells[1].split()), set(cells[2].split()))
    return rows


def qt_modules(qt_headers):
    """Header name -> Qt module, from the modules' folders under the Qt headers folder."""
    owner = {}
    for module in sorted(os.listdir(qt_headers)):
        folder = os.path.join(qt_headers, module)
        if module.startswith("Qt") and os.path.isdir(folder):
            for name in os.listdir(folder):
                owner.setdefault(name, module)
    return owner


def qt_module(header, owner, qt_headers):
    """The Qt module of a header written <QtGui/QImage> or <QImage>; None if not Qt's."""
    first = header.split("/", 1)[0]
    if "/" in header and first.startswith("Qt") and os.path.isdir(os.path.join(qt_headers, first)):
        return first
    return owner.get(header)


def row_of(path, rows):
    """The table row that governs a file: the longest folder prefix of its path."""
    best = None
    for folder in rows:
        if path.startswith(folder + "/") and (best is None or len(folder) > len(best)):
            best = folder
    return best


def allowed(header, folder, ours):
    """Whether a header of ours (written from the repository root) may be included."""
    if header.startswith(folder + "/"):
        return True
    return any(header == a or header.startswith(a + "/") for a in ours)


def check(root, qt_headers):
    rows = read_table(os.path.join(root, "layering.txt"))
    owner = qt_modules(qt_headers)
    files = subprocess.run(["git", "-C", root, "ls-files", "--cached", "--others",
                            "--exclude-standard"], check=True, capture_output=True,
                           text=True).stdout.split()
    ours_top = {f.split("/", 1)[0] for f in files if "/" in f}
    crossings = []
    for path in files:
        if not path.endswith(SOURCES) or not os.path.exists(os.path.join(root, path)):
            continue
        folder = row_of(path, rows)
        if folder is None:
            if "/" in path:
                crossings.append(f"{path}: its folder has no row in layering.txt")
            continue
        ours, modules = rows[folder]
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                kind, header = m.groups()
                close = ">" if kind == "<" else '"'
                where = f"{path}:{number}: #include {kind}{header}{close}"
                if VENDOR.match(header):
                    if "vendors" not in modules:
                        crossings.append(f"{where}: a vendor header outside audio/")
                elif kind == "<" and qt_module(header, owner, qt_headers):
                    module = qt_module(header, owner, qt_headers)
                    if module not in modules:
                        crossings.append(f"{where}: {folder}/ may not use {module}")
                elif kind == '"' and "/" in header and header.split("/", 1)[0] in ours_top:
                    if not allowed(header, folder, ours):
                        crossings.append(f"{where}: {folder}/ may not include {header}")
                elif kind == '"' and "/" not in header:
                    beside = os.path.join(root, os.path.dirname(path), header)
                    if not os.path.exists(beside):
                        crossings.append(f"{where}: write it from the repository root")
    return crossings


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    try:
        crossings = check(sys.argv[1], sys.argv[2])
    except (OSError, ValueError, subprocess.CalledProcessError) as e:
        print(f"layering: {e}", file=sys.stderr)
        return 2
    for c in crossings:
        print(c)
    print(f"layering: {len(crossings)} include(s) cross the table in layering.txt")
    return 1 if crossings else 0


if __name__ == "__main__":
    sys.exit(main())
