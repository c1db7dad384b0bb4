#!/usr/bin/env python3
"""Line and branch coverage per library, from a build whose test run left
its gcov counters (`make coverage` builds, runs and calls this).

Usage: coverage.py BUILD_DIR [--json OUT] [--compare OLD]
  --json OUT     also write the figures, for a later --compare
  --compare OLD  add each library's change against an earlier --json file

A file counts for the library whose folder holds it most closely: its
sources and its headers' inline code. Tests, benchmarks, tools and generated
files do not count. Branches that only throw, and those the compiler marks
unreachable, are left out: they are the compiler's, not the code's.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # nothing left in the tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import model  # noqa: E402

SOURCE_DIR = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))


def gcovr_files(build_dir, folders, jobs):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "gcovr.json")
        command = ["gcovr", "--root", SOURCE_DIR, "--object-directory", build_dir, build_dir,
                   "--json", out, "-j", str(jobs), "--exclude-throw-branches",
                   "--exclude-unreachable-branches"]
        for folder in folders:
            command += ["--filter", os.path.join(SOURCE_DIR, folder) + "/"]
        subprocess.run(command, check=True, cwd=SOURCE_DIR)
        with open(out) as f:
            return json.load(f)["files"]


def tally(build, files):
    counts = {name: [0, 0, 0, 0] for name in build.libraries}  # lines, hit, branches, taken
    for entry in files:
        library = build.library_of(entry["file"])
        if library is None:
            continue
        total = counts[library.name]
        for line in entry["lines"]:
            if line["gcovr/noncode"] or line.get("gcovr/excluded"):
                continue
            total[0] += 1
            total[1] += line["count"] > 0
            total[2] += len(line["branches"])
            total[3] += sum(b["count"] > 0 for b in line["branches"])
    return {name: c for name, c in counts.items() if c[0]}


def percent(part, whole):
    return round(100.0 * part / whole, 1) if whole else None


def figures(build, counts):
    rows = {}
    for name, (lines, hit, branches, taken) in counts.items():
        rows[name] = {"folder": build.libraries[name].folder, "lines": lines,
                      "lines_pct": percent(hit, lines), "branches": branches,
                      "branches_pct": percent(taken, branches)}
    total = [sum(c[i] for c in counts.values()) for i in range(4)]
    rows["total"] = {"folder": "", "lines": total[0], "lines_pct": percent(total[1], total[0]),
                     "branches": total[2], "branches_pct": percent(total[3], total[2])}
    return rows


def show(value, old=None):
    text = "-" if value is None else f"{value:.1f}"
    if old is not None and value is not None:
        text += f" ({value - old:+.1f})"
    return text


def print_table(rows, old):
    heading = ("library", "folder", "lines %", "branches %")
    table = [heading]
    for name in sorted(rows, key=lambda n: (n == "total", n)):
        row, before = rows[name], old.get(name, {})
        table.append((name, row["folder"], show(row["lines_pct"], before.get("lines_pct")),
                      show(row["branches_pct"], before.get("branches_pct"))))
    widths = [max(len(r[i]) for r in table) for i in range(4)]
    for i, r in enumerate(table):
        print(f"{r[0]:<{widths[0]}}  {r[1]:<{widths[1]}}  {r[2]:>{widths[2]}}  {r[3]:>{widths[3]}}")
        if i == 0:
            print("  ".join("-" * w for w in widths))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("build_dir")
    parser.add_argument("--json")
    parser.add_argument("--compare")
    parser.add_argument("--jobs", type=int, default=4)
    args = parser.parse_args()
    build = model.Model(args.build_dir, SOURCE_DIR)
    folders = sorted({lib.folder for lib in build.libraries.values()})
    rows = figures(build, tally(build, gcovr_files(build.build_dir, folders, args.jobs)))
    old = {}
    if args.compare:
        with open(args.compare) as f:
            old = json.load(f)
    print_table(rows, old)
    if args.json:
        with open(args.json, "w") as f:
            json.dump(rows, f, indent=1, sort_keys=True)


if __name__ == "__main__":
    main()
