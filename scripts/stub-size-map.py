#!/usr/bin/env python3
"""Where the bytes of WexlinStub.exe come from: relinks the stub of a MinGW build with a link
map and prints the bytes each library and object adds to the sections that take file space.

  stub-size-map.py [--build DIR] [--top N] [--why SYMBOL]...
  stub-size-map.py --map FILE [--top N]

  --build DIR    a configured and built MinGW build (default: build/win32 of this checkout);
                 its own link line is reused, only the output and the map go elsewhere
  --map FILE     read an existing GNU ld map instead of relinking
  --top N        objects listed (default 25)
  --why SYMBOL   also report every object that references or defines SYMBOL (ld -y); the
                 mangled name, e.g. _ZNSt6localeC1Ev (i686 adds a leading underscore)

The figures are section contents before file alignment; .bss takes no file space and is left
out. The linked program's own sizes (file, sections) are printed first. The stub's own code is
optimised at link time and so comes as one entry; a build configured with -DWEXLIN_STUB_LTO=OFF
names each of its objects (libstub_shipped.a(X.cpp.obj)), at that build's larger size.
"""
import argparse
import collections
import os
import re
import shlex
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TARGET = "stub/WexlinStub.exe"

# An input section on one line, or its address, size and file on the line after a long name.
INPUT_LINE = re.compile(r"^ (\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
INPUT_NAME = re.compile(r"^ (\S+)$")
INPUT_REST = re.compile(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
OUTPUT_LINE = re.compile(r"^(\.\S+|\S+)\s+0x[0-9a-f]+\s+0x([0-9a-f]+)")
# Code made at link time comes in a few numbered parts that name no source.
LTRANS = re.compile(r"^\S+\.ltrans\d+\.ltrans\.o$")
LTO_CODE = "stub code (link-time optimised)"
NO_FILE_SPACE = (".bss", ".debug", ".stab", ".zdebug")
SECTION_COLUMNS = [".text", ".rdata", ".data", ".eh_frame", ".pdata", ".xdata"]


def link_command(build):
    """The build's link line for the stub, writing to a scratch output with a map."""
    out = subprocess.run(["ninja", "-C", build, "-t", "commands", TARGET], check=True,
                         capture_output=True, text=True).stdout.strip().splitlines()
    line = out[-1]
    line = re.sub(r"^:\s*&&\s*", "", line)
    # The header move after the link is the build's own step, not needed for the figures.
    line = re.split(r"\s+&&\s+", line)[0]
    args = shlex.split(line)
    if "-o" not in args:
        sys.exit("stub-size-map: no -o in the link line of " + TARGET)
    return args


def relink(build, why):
    scratch = tempfile.mkdtemp(prefix="stub-size-map-")
    exe = os.path.join(scratch, "WexlinStub.exe")
    map_file = os.path.join(scratch, "WexlinStub.map")
    args = link_command(build)
    i = args.index("-o")
    args[i + 1] = exe
    # The import library the build writes beside the target is not wanted here.
    args = [a for a in args if not a.startswith("-Wl,--out-implib")]
    args.append("-Wl,-Map," + map_file)
    for symbol in why:
        args.append("-Wl,-y," + symbol)
    run = subprocess.run(args, cwd=build, capture_output=True, text=True)
    if run.returncode != 0:
        sys.stderr.write(run.stdout + run.stderr)
        sys.exit("stub-size-map: the relink failed")
    return exe, map_file, run.stdout + run.stderr


def owner(file_field):
    """(library, member) for 'path/libX.a(member.o)', (object, object) for a plain object."""
    m = re.match(r"^(.*?)\((.*)\)$", file_field)
    if m:
        return os.path.basename(m.group(1)), m.group(2)
    name = os.path.basename(file_field)
    if LTRANS.match(name):
        return LTO_CODE, name
    return name, name


def read_map(map_file):
    """{(library, member): {output section: bytes}} and {output section: size}."""
    sizes = collections.defaultdict(lambda: collections.Counter())
    outputs = collections.OrderedDict()
    section = None
    pending = None
    in_memory_map = False
    with open(map_file, errors="replace") as f:
        for raw in f:
            line = raw.rstrip("\n")
            if not in_memory_map:
                in_memory_map = line.startswith("Linker script and memory map")
                continue
            m = OUTPUT_LINE.match(line)
            if m and not line.startswith(" "):
                section = m.group(1)
                outputs[section] = int(m.group(2), 16)
                pending = None
                continue
            if section is None or section.startswith(NO_FILE_SPACE):
                continue
            m = INPUT_LINE.match(line)
            if m:
                size, field = int(m.group(3), 16), m.group(4)
            elif pending:
                m = INPUT_REST.match(line)
                pending = None
                if not m:
                    continue
                size, field = int(m.group(2), 16), m.group(3)
            else:
                pending = INPUT_NAME.match(line)
                continue
            if size and not field.startswith("*"):
                # The linker's own contributions: base relocations, list terminators.
                if field == "dll stuff":
                    field = "base relocations"
                elif field.startswith("LONG "):
                    field = "linker fill"
                sizes[owner(field)][section] += size
    return sizes, outputs


def column(section):
    for name in SECTION_COLUMNS:
        if section == name or section.startswith(name + "$"):
            return name
    return "other"


def print_table(title, rows, top):
    cols = SECTION_COLUMNS + ["other"]
    print(f"\n{title}")
    print(f"{'bytes':>9} " + " ".join(f"{c:>9}" for c in cols) + "  name")
    for name, counter in rows[:top]:
        by_col = collections.Counter()
        for s, n in counter.items():
            by_col[column(s)] += n
        print(f"{sum(counter.values()):>9} " + " ".join(f"{by_col[c]:>9}" for c in cols) +
              f"  {name}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "win32"))
    parser.add_argument("--map")
    parser.add_argument("--top", type=int, default=25)
    parser.add_argument("--why", action="append", default=[])
    opts = parser.parse_args()

    if opts.map:
        map_file = opts.map
    else:
        exe, map_file, trace = relink(os.path.abspath(opts.build), opts.why)
        print(f"{exe}: {os.path.getsize(exe)} bytes (map: {map_file})")
        for line in trace.splitlines():
            if opts.why and any(s in line for s in opts.why):
                print("  " + line)

    sizes, outputs = read_map(map_file)
    print("output sections (bytes before file alignment):")
    for name, size in outputs.items():
        if size and not name.startswith(NO_FILE_SPACE):
            print(f"  {name:<12} {size:>9}")

    libraries = collections.defaultdict(collections.Counter)
    for (library, _), counter in sizes.items():
        libraries[library].update(counter)
    by_total = lambda item: -sum(item[1].values())
    print_table("per library or object file", sorted(libraries.items(), key=by_total), opts.top)
    members = [(f"{lib}({member})" if lib != member else lib, counter)
               for (lib, member), counter in sizes.items()]
    print_table(f"largest {opts.top} objects", sorted(members, key=by_total), opts.top)


if __name__ == "__main__":
    main()
