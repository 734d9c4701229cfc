#!/usr/bin/env python3
"""Checks that every #include "..." under src/ points down the layers.

The layers and their order are stated once, in src/README.md: a numbered list
whose items start with the folder in backticks (`engine/`), optionally followed
by headers at the top of src/ that belong to that layer (`zelkova.h`). A file
may include files of its own layer and of the layers listed before it, never
of a layer listed after it. Includes are resolved as the compiler resolves
them: beside the including file first, then from src/. The library example
under examples/ may include only the public headers at the top of src/.

A layer may have layers of its own, stated the same way in its README
(src/discover/README.md lists the stages of the pipeline): its sub-folders in
order, and the files loose in the layer's folder above all of them. Inside
such a layer an include may point to its own sub-folder or one listed before
it. Every folder of sources has a README that names each of its modules (the
stem of a .h or .cpp file) in backticks: `plan`, `plan.h` or `plan.cpp`.

usage: check_layers.py PROJECT_DIR
Prints one line per fault, "FILE:LINE: problem", and exits 1 when there is any.
"""
import re
import sys
from pathlib import Path

LAYER_ITEM = re.compile(r"^\d+\.\s+`([a-z_]+)/`(.*)$")
BACKTICKED_HEADER = re.compile(r"`([A-Za-z0-9_.]+\.h)`")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCE_SUFFIXES = {".h", ".cpp", ".in"}
# Made by the build from the .in file beside it.
GENERATED = {"base/version.h": "base/version.h.in"}


def read_layers(src):
    """The folders in order, and the layer of each header at the top of src/."""
    order, top_headers = read_list(src)
    if not order:
        sys.exit(f"{src / 'README.md'}: no numbered list of layers (`folder/`) found")
    return order, top_headers


def read_list(folder):
    """The numbered list of folders of folder/README.md (empty when it has
    none or no README), and the headers named after each."""
    order, top_headers = [], {}
    readme = folder / "README.md"
    if not readme.is_file():
        return order, top_headers
    for line in readme.read_text().splitlines():
        item = LAYER_ITEM.match(line)
        if not item:
            continue
        folder = item.group(1)
        order.append(folder)
        for header in BACKTICKED_HEADER.findall(item.group(2)):
            top_headers[header] = folder
    return order, top_headers


def resolve(src, including, name):
    """The file under src/ an include names, relative to src/, or None."""
    for base in (including.parent, src):
        candidate = (base / name).resolve()
        try:
            relative = candidate.relative_to(src.resolve())
        except ValueError:
            continue
        if candidate.is_file():
            return relative.as_posix()
    return GENERATED.get(name) if (src / GENERATED.get(name, "-")).is_file() else None


def layer_of(relative, top_headers):
    parts = relative.split("/")
    return parts[0] if len(parts) > 1 else top_headers.get(parts[0])


def inner_rank(relative, inner):
    """The rank of a file inside its layer's own layers: its sub-folder's
    place in the list, or above them all for a file loose in the layer."""
    parts = relative.split("/")
    if len(parts) < 2 or parts[0] not in inner:
        return None
    order = inner[parts[0]]
    return order.index(parts[1]) if len(parts) > 2 and parts[1] in order else len(order)


def part_of(relative, inner):
    """"discover/search/" for a file of a listed sub-folder, "discover/ itself"
    for a file loose in the layer."""
    parts = relative.split("/")
    return f"{parts[0]}/{parts[1]}/" if len(parts) > 2 and parts[1] in inner[parts[0]] else f"{parts[0]}/ itself"


def module_name(path):
    return path.name.split(".")[0]


def unnamed_modules(src):
    """Faults for every folder of sources without a README, and for every
    module its README does not name."""
    faults = []
    folders = sorted({p.parent for p in src.rglob("*") if p.suffix in SOURCE_SUFFIXES and p.is_file()} - {src})
    for folder in folders:
        readme = folder / "README.md"
        if not readme.is_file():
            faults.append(f"{folder}: folder of sources without a README.md naming its modules")
            continue
        named = set(re.findall(r"`([A-Za-z0-9_]+)(?:\.h|\.cpp|\.h\.in)?`", readme.read_text()))
        for module in sorted({module_name(p) for p in folder.iterdir() if p.suffix in SOURCE_SUFFIXES}):
            if module not in named:
                faults.append(f"{readme}: does not name the module `{module}` of its folder")
    return faults


def inner_faults(src, inner):
    """Faults for sub-folders of a layer with layers of its own that its list
    leaves out."""
    faults = []
    for layer, order in sorted(inner.items()):
        for entry in sorted((src / layer).iterdir()):
            if entry.is_dir() and entry.name not in order:
                faults.append(f"{entry}: folder not in the list of layers of {src / layer / 'README.md'}")
    return faults


def includes(path):
    for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
        found = INCLUDE.match(line)
        if found:
            yield number, found.group(1)


def check_tree(project):
    src = project / "src"
    order, top_headers = read_layers(src)
    rank = {folder: i for i, folder in enumerate(order)}
    inner = {folder: read_list(src / folder)[0] for folder in order if (src / folder).is_dir()}
    inner = {folder: sub for folder, sub in inner.items() if sub}
    faults = []
    for entry in sorted(src.iterdir()):
        if entry.is_dir() and entry.name not in rank:
            faults.append(f"{entry}: folder not in the list of layers of {src / 'README.md'}")
        elif entry.is_file() and entry.suffix in SOURCE_SUFFIXES and entry.name not in top_headers:
            faults.append(f"{entry}: source file at the top of src/ that belongs to no layer")
    for path in sorted(p for p in src.rglob("*") if p.suffix in SOURCE_SUFFIXES and p.is_file()):
        own = layer_of(path.relative_to(src).as_posix(), top_headers)
        if own not in rank:
            continue  # reported above
        for number, name in includes(path):
            target = resolve(src, path, name)
            if target is None:
                faults.append(f"{path}:{number}: includes \"{name}\", which is no file under {src}")
                continue
            theirs = layer_of(target, top_headers)
            if theirs not in rank:
                continue
            if rank[theirs] > rank[own]:
                faults.append(f"{path}:{number}: includes \"{name}\" of layer {theirs}/, "
                              f"above its own layer {own}/")
            elif theirs == own and own in inner:
                relative = path.relative_to(src).as_posix()
                if inner_rank(target, inner) > inner_rank(relative, inner):
                    faults.append(f"{path}:{number}: includes \"{name}\" of {part_of(target, inner)}, "
                                  f"above its own {part_of(relative, inner)}")
    faults += inner_faults(src, inner)
    faults += unnamed_modules(src)
    for path in sorted((project / "examples").glob("*.cpp")):
        for number, name in includes(path):
            if name not in top_headers:
                faults.append(f"{path}:{number}: the library example includes \"{name}\"; "
                              f"it may include only the public headers ({', '.join(sorted(top_headers))})")
    return faults


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: check_layers.py PROJECT_DIR")
    faults = check_tree(Path(sys.argv[1]))
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
