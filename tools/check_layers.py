#!/usr/bin/env python3
"""Checks that every #include "folder/file.h" in src/ points inward.

The layers and what each may use come from the vantrel_layer(...) lines of the
top CMakeLists.txt, the same table the build links by. A file may include its
own folder and the folders of the layers its layer depends on, directly or
through others. Prints each wrong include as FILE:LINE and exits 1 when there
is one.
"""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
src = root / "src"

# vantrel_layer(NAME DEPENDENCIES...): library dependencies of each layer.
deps = {}
for m in re.finditer(r"^\s*vantrel_layer\((\w+)([^)]*)\)", (root / "CMakeLists.txt").read_text(), re.M):
    deps[m.group(1)] = [d[len("vantrel_"):] for d in m.group(2).split() if d.startswith("vantrel_") and d != "vantrel_pure"]

# Where a layer's sources live when the folder is not named after it, and the
# programs and libraries that are not layers of the main program.
folder_of_layer = {"schedlet_client": "schedlet", "update_common": "update"}
extra = {
    # Schedlet.dll is a library of its own on the platform layer.
    "schedlet": ["platform"],
}


def layer_of(path: pathlib.Path) -> str:
    folder = path.relative_to(src).parts[0]
    if folder == "schedlet" and path.stem.startswith("schedlet_library"):
        return "schedlet_client"
    return folder


def closure(layer, seen=None):
    seen = set() if seen is None else seen
    for d in deps.get(layer, []) + extra.get(layer, []):
        if d not in seen:
            seen.add(d)
            closure(d, seen)
    return seen


def folders(layer):
    names = {layer} | closure(layer)
    return {folder_of_layer.get(n, n) for n in names}


include = re.compile(r'^\s*#\s*include\s+"([A-Za-z_]+)/[^"]+"')
known = {p.name for p in src.iterdir() if p.is_dir()}
wrong = []
for path in sorted(src.rglob("*")):
    if path.suffix not in (".h", ".cpp", ".inc") or not path.is_file():
        continue
    layer = layer_of(path)
    allowed = folders(layer)
    for n, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
        m = include.match(line)
        if m and m.group(1) in known and m.group(1) not in allowed:
            wrong.append(f"{path.relative_to(root)}:{n}: {layer} must not include {m.group(1)}/ ({line.strip()})")

for w in wrong:
    print(w)
if wrong:
    print(f"{len(wrong)} include(s) against the layers")
    sys.exit(1)
print("layers: every include points inward")
