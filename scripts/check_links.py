#!/usr/bin/env python3
"""Checks the link dependencies of the norvane_* libraries against the layers.

Reads the links file the build writes (norvane-links.txt in the build folder,
made by cmake/NorvaneLinks.cmake: one line per library with its name, its
folder and the libraries it links directly, tab-separated) and the layer
order of docs/architecture.md (the line that starts with "Layer order:").

A library in src/<tree>/<folder>[/...] stands at <folder>'s place in the
order; one directly in src/<tree> stands above every folder. The trees stand
core < ui < cli. A library may link another only when that one stands at or
below it in both; a library of the core links no Qt library. Each offending
link is printed as "<library> (<folder>) links <other> (<folder>)", and the
exit status is 1 when there is any.

With --doc, also checks that the "Links" column of every table in
docs/architecture.md names exactly what the library of its row links (the
row's library is the `norvane_...` name in its first cell, else the folder
`a/b/` there names norvane_a_b), and that every library under src has a row.

Usage: check_links.py REPO_ROOT LINKS_FILE [--doc]
"""
import pathlib
import re
import sys

from check_layers import read_order

TREES = {"core": 0, "ui": 1, "cli": 2}
# How the document names the libraries that are not the project's own.
OUTSIDE_NAMES = {
    "Threads::Threads": "threads",
    "PkgConfig::SOXR": "libsoxr",
    "PkgConfig::PULSE": "libpulse",
    "ZLIB::ZLIB": "zlib",
    "X11::X11": "X11",
}


def read_links(path):
    libraries = {}
    for number, line in enumerate(pathlib.Path(path).read_text(encoding="utf-8").splitlines(), 1):
        if not line.strip():
            continue
        parts = line.split("\t")
        if len(parts) != 3:
            raise SystemExit(f"{path}:{number}: not 'name<TAB>folder<TAB>links'")
        name, folder, links = parts
        libraries[name] = (folder, links.split())
    return libraries


def place(folder, order):
    """(tree rank, level) of a library's folder, or None outside src."""
    parts = pathlib.PurePosixPath(folder).parts
    if len(parts) < 2 or parts[0] != "src" or parts[1] not in TREES:
        return None
    level = order.get(parts[2]) if len(parts) > 2 else len(order)
    if level is None:
        raise SystemExit(f"{folder}: folder '{parts[2]}' is not in the layer order")
    return TREES[parts[1]], level


def layer_problems(libraries, order):
    problems = []
    for name, (folder, links) in sorted(libraries.items()):
        own = place(folder, order)
        if own is None:
            continue
        for link in links:
            if link in libraries:
                other_folder = libraries[link][0]
                other = place(other_folder, order)
                if other is not None and (other[0] > own[0] or other[1] > own[1]):
                    problems.append(f"{name} ({folder}) links {link} ({other_folder}),"
                                    f" above it in the layer order")
            elif own[0] == TREES["core"] and link.startswith("Qt"):
                problems.append(f"{name} ({folder}) links {link}: the core links no Qt")
    return problems


def doc_name(link):
    if link.startswith("norvane_"):
        return link[len("norvane_"):]
    if link.startswith("Qt6::"):
        return "Qt " + link[len("Qt6::"):]
    return OUTSIDE_NAMES.get(link, link)


def doc_problems(root, libraries):
    doc = root / "docs" / "architecture.md"
    problems = []
    rows = {}
    links_column = None
    for number, line in enumerate(doc.read_text(encoding="utf-8").splitlines(), 1):
        if not line.startswith("|"):
            links_column = None
            continue
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if links_column is None:
            links_column = cells.index("Links") if "Links" in cells else -1
            continue
        if links_column < 0 or set(cells[0]) <= set("-: "):
            continue
        named = re.search(r"`(norvane_\w+)`", cells[0])
        if named:
            library = named.group(1)
        else:
            folder = re.search(r"`([\w/]+)/`", cells[0])
            if not folder:
                problems.append(f"docs/architecture.md:{number}: no library in '{cells[0]}'")
                continue
            library = "norvane_" + folder.group(1).replace("/", "_")
        rows[library] = (number, {n.strip() for n in cells[links_column].split(",") if n.strip()})
    for library, (folder, links) in sorted(libraries.items()):
        if not folder.startswith("src/"):
            continue
        if library not in rows:
            problems.append(f"docs/architecture.md: no row for {library} ({folder})")
            continue
        number, written = rows.pop(library)
        built = {doc_name(link) for link in links}
        if written != built:
            problems.append(f"docs/architecture.md:{number}: {library} links "
                            f"{', '.join(sorted(built)) or 'nothing'}, the table says "
                            f"{', '.join(sorted(written)) or 'nothing'}")
    for library, (number, _) in sorted(rows.items()):
        problems.append(f"docs/architecture.md:{number}: {library} is not a library of the build")
    return problems


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    if len(args) != 2:
        raise SystemExit(__doc__)
    root = pathlib.Path(args[0]).resolve()
    order = read_order(root)
    libraries = read_links(args[1])
    problems = layer_problems(libraries, order)
    if "--doc" in sys.argv[1:]:
        problems += doc_problems(root, libraries)
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} problem(s) with the links of the libraries")
        return 1
    print(f"the links of {len(libraries)} libraries keep the layer order"
          + (" and match docs/architecture.md" if "--doc" in sys.argv[1:] else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
