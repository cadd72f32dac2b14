#!/usr/bin/env python3
"""Checks the include structure of the source trees; exits 1 with one line per fault.

  * No include circle between units anywhere in the checked trees (a unit is a file without
    its extension: X.h and X.cpp are one unit, so X.cpp -> Y.h and Y.cpp -> X.h is a circle).
  * In a tree with layers, no include runs up the layers.
  * In the pure layers, no Win32 header, except in a *_win twin of a *_posix file.

Usage: check-layers.py [ROOT]   (ROOT: the checkout, by default the one holding this script)
"""
import os
import re
import sys

# Trees to check, each with the roots its quoted includes are resolved against (after the
# including file's own folder), and its layers from the bottom up. A folder of a tree that is
# not a layer is not held to the order. A tree without layers is checked for circles only.
TREES = {
    "stub": {
        "roots": ["stub", "tests"],
        "layers": ["text", "format", "rules", "win", "app", "wine-tests"],
        "pure": ["text", "format", "rules"],
        # Header-only owners a *_win twin in a pure layer may use for its handles.
        "twin_may_include": ["stub/win/Owners.h"],
    },
    "viewer": {"roots": ["viewer"], "layers": [], "pure": []},
    "content": {"roots": ["content", "viewer"], "layers": [], "pure": []},
}

# Circles that another change is taking apart, each with where it lives. Reported, not failed on;
# an entry that is no longer a circle fails the check, so the list only shrinks.
KNOWN_CIRCLES = [
    ["viewer/text/glyph_raster", "viewer/text/screen_font"],
]

SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cc", ".cpp")
QUOTED_INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
WIN32_HEADER = re.compile(
    r'^\s*#\s*include\s+<(windows|winbase|winuser|wininet|winreg|shlobj|shellapi|commctrl)\.h>',
    re.M | re.I)


def sources(root, tree):
    for folder, dirs, files in os.walk(os.path.join(root, tree)):
        dirs.sort()
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def read(root, path):
    with open(os.path.join(root, path), encoding="latin-1") as f:
        return f.read()


def resolve(root, including, name, roots):
    for base in [os.path.dirname(including)] + roots:
        candidate = os.path.normpath(os.path.join(base, name)).replace(os.sep, "/")
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return None


def unit(path):
    return os.path.splitext(path)[0]


def layer_of(path, tree, layers):
    parts = path.split("/")
    if len(parts) > 2 and parts[0] == tree and parts[1] in layers:
        return parts[1]
    return None


def circles(graph):
    """The strongly connected components with more than one unit (Tarjan, iteratively)."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = 0
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph.get(start, ()))))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, edges = work[-1]
            advanced = False
            for nxt in edges:
                if nxt not in index:
                    index[nxt] = low[nxt] = counter
                    counter += 1
                    stack.append(nxt)
                    on_stack.add(nxt)
                    work.append((nxt, iter(sorted(graph.get(nxt, ())))))
                    advanced = True
                    break
                if nxt in on_stack:
                    low[node] = min(low[node], index[nxt])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    found.append(sorted(component))
    return found


def check(root, trees=TREES, known=KNOWN_CIRCLES):
    faults = []
    graph = {}
    for tree, rules in trees.items():
        if not os.path.isdir(os.path.join(root, tree)):
            continue
        layers = rules["layers"]
        for path in sources(root, tree):
            text = read(root, path)
            here = layer_of(path, tree, layers)
            graph.setdefault(unit(path), set())
            for name in QUOTED_INCLUDE.findall(text):
                target = resolve(root, path, name, rules["roots"])
                if target is None:
                    continue
                if unit(target) != unit(path):
                    graph[unit(path)].add(unit(target))
                there = layer_of(target, tree, layers)
                twin = os.path.splitext(os.path.basename(path))[0].endswith("_win")
                if twin and target in rules.get("twin_may_include", ()):
                    continue
                if here and there and layers.index(there) > layers.index(here):
                    faults.append(f"{path}: includes {name} from the higher layer {there}/")
            stem = os.path.splitext(os.path.basename(path))[0]
            if here in rules["pure"] and not stem.endswith("_win") and WIN32_HEADER.search(text):
                faults.append(f"{path}: includes a Win32 header in the pure layer {here}/")
    found = circles(graph)
    for component in found:
        if component in known:
            print("known include circle (being taken apart): " + " <-> ".join(component))
        else:
            faults.append("include circle: " + " <-> ".join(component))
    for component in known:
        if component[0].split("/")[0] in trees and component not in found:
            faults.append("no longer a circle, remove from KNOWN_CIRCLES: " + " <-> ".join(component))
    return faults


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    root = argv[1] if len(argv) > 1 else os.path.dirname(here)
    faults = check(root)
    for fault in faults:
        print(fault)
    if faults:
        return 1
    print("check-layers: no include circle, no include up the layers, no Win32 header below win/")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
