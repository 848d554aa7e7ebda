#!/usr/bin/env python3
"""Checks that no source folder includes a folder above it in the layer order.

The order is read from the line of docs/architecture.md that starts with
"Layer order:" (folder names from the lowest layer up, separated by "<").
Both trees, src/core and src/ui, use the same folder names; a file in
src/<tree>/<folder>/ may include "<other>/..." only when <other> stands at
or below <folder> in the order. Files directly in src/cli and src/<tree>
stand above every folder. Prints each offending include as
"file:line: <folder> includes <other>" and exits 1 when there is any.

Usage: check_layers.py [REPO_ROOT]
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z0-9_]+)/[^"]+"')
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".cc", ".inc"}


def read_order(root):
    doc = root / "docs" / "architecture.md"
    for line in doc.read_text(encoding="utf-8").splitlines():
        text = line.strip().strip("`")
        if text.startswith("Layer order:"):
            names = [n.strip() for n in text[len("Layer order:"):].split("<")]
            if all(names):
                return {name: level for level, name in enumerate(names)}
    raise SystemExit(f"{doc}: no 'Layer order:' line")


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    order = read_order(root)
    top = len(order)
    problems = []
    for tree in ("core", "ui", "cli"):
        base = root / "src" / tree
        if not base.is_dir():
            continue
        for path in sorted(base.rglob("*")):
            if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
                continue
            rel = path.relative_to(base).parts
            folder = rel[0] if len(rel) > 1 and tree != "cli" else None
            if folder is not None and folder not in order:
                problems.append(f"{path.relative_to(root)}:1: folder '{folder}' is not in the layer order")
                continue
            own = order[folder] if folder is not None else top
            for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
                m = INCLUDE.match(line)
                if not m or m.group(1) not in order:
                    continue
                if order[m.group(1)] > own:
                    problems.append(f"{path.relative_to(root)}:{number}: {folder or tree} includes {m.group(1)}"
                                    f" (above it in the layer order)")
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} include(s) break the layer order")
        return 1
    print("layer order kept by every include")
    return 0


if __name__ == "__main__":
    sys.exit(main())
