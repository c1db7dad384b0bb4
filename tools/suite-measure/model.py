"""What a configured build holds: the product's libraries with their own
sources, and the test programs with every target each one needs.

Programs come from CMake's file API (codemodel-v2), which a build folder
answers only if the query was placed before configuring (request_codemodel()),
libraries from the layer check's manifest.
"""
import glob
import json
import os
import subprocess

# Folders whose libraries are not the product's: the tests' own support, the
# benchmarks, and build-time or test-time tools.
NOT_PRODUCT = ("tests/", "bench/", "tools/")
LIBRARY_PREFIX = "kroma_"
# Header-only libraries have no sources to plant faults in, but their inline
# code is covered.
LIBRARY_TYPES = ("STATIC_LIBRARY", "INTERFACE_LIBRARY")


def request_codemodel(build_dir):
    query = os.path.join(build_dir, ".cmake", "api", "v1", "query")
    os.makedirs(query, exist_ok=True)
    open(os.path.join(query, "codemodel-v2"), "a").close()


class Library:
    def __init__(self, name, folder, sources):
        self.name, self.folder, self.sources = name, folder, sources


class Program:
    def __init__(self, name, folder, path, needs):
        self.name, self.folder, self.path, self.needs = name, folder, path, needs
        self.tests = []  # ctest entries run from this program
        self.locks = set()
        self.env = {}
        self.cwd = None


class Model:
    def __init__(self, build_dir, source_dir):
        self.build_dir = os.path.abspath(build_dir)
        self.source_dir = os.path.abspath(source_dir)
        targets = self._read_targets()
        self.libraries = self._libraries()
        self.programs = self._programs(targets)
        self._attach_tests()

    def _read_targets(self):
        reply = os.path.join(self.build_dir, ".cmake", "api", "v1", "reply")
        index = glob.glob(os.path.join(reply, "codemodel-v2-*.json"))
        if not index:
            raise SystemExit(f"{self.build_dir}: no codemodel; configure after request_codemodel()")
        with open(max(index, key=os.path.getmtime)) as f:
            config = json.load(f)["configurations"][0]
        targets = {}
        for entry in config["targets"]:
            with open(os.path.join(reply, entry["jsonFile"])) as f:
                target = json.load(f)
            targets[target["id"]] = target
        return targets

    def _own(self, path):
        """A source path relative to the source folder, or None for generated ones."""
        full = os.path.normpath(os.path.join(self.source_dir, path))
        if full.startswith(self.build_dir + os.sep) or not full.startswith(self.source_dir + os.sep):
            return None
        return os.path.relpath(full, self.source_dir)

    def _libraries(self):
        # The layer check's manifest lists header-only libraries too, which the
        # codemodel leaves out.
        libraries = {}
        with open(os.path.join(self.build_dir, "layers.manifest")) as f:
            for line in f:
                name, kind, folder, sources = line.split("|")[:4]
                folder = os.path.relpath(folder, self.source_dir)
                if (kind not in LIBRARY_TYPES or not name.startswith(LIBRARY_PREFIX)
                        or folder.startswith(NOT_PRODUCT)):
                    continue
                paths = (os.path.join(folder, s) for s in sources.split(";") if s)
                libraries[name] = Library(name, folder, sorted(filter(None, map(self._own, paths))))
        return libraries

    def _programs(self, targets):
        def closure(target_id, seen):
            for dep in targets[target_id].get("dependencies", []):
                if dep["id"] not in seen:
                    seen.add(dep["id"])
                    closure(dep["id"], seen)
            return seen

        programs = {}
        for target_id, target in targets.items():
            if target["type"] != "EXECUTABLE" or not target["paths"]["source"].startswith("tests/"):
                continue
            needs = {targets[t]["name"] for t in closure(target_id, set())}
            path = os.path.join(self.build_dir, target["artifacts"][0]["path"])
            programs[target["name"]] = Program(target["name"], target["paths"]["source"], path,
                                               needs)
        return programs

    def _attach_tests(self):
        out = subprocess.run(["ctest", "--show-only=json-v1"], cwd=self.build_dir, check=True,
                             capture_output=True, text=True).stdout
        by_path = {p.path: p for p in self.programs.values()}
        for test in json.loads(out)["tests"]:
            program = by_path.get(test["command"][0])
            if program is None:
                continue  # not a compiled test program (the layer check)
            program.tests.append(test["name"])
            for prop in test.get("properties", []):
                if prop["name"] == "RESOURCE_LOCK":
                    program.locks.update(prop["value"])
                elif prop["name"] == "ENVIRONMENT":
                    program.env.update(v.split("=", 1) for v in prop["value"])
                elif prop["name"] == "WORKING_DIRECTORY":
                    program.cwd = prop["value"]
        self.programs = {n: p for n, p in self.programs.items() if p.tests}

    def library_of(self, path):
        """The library whose folder holds path most closely, or None."""
        best = None
        for library in self.libraries.values():
            if path.startswith(library.folder + "/") and (
                    best is None or len(library.folder) > len(best.folder)):
                best = library
        return best

    def programs_needing(self, library):
        return sorted(p.name for p in self.programs.values() if library in p.needs)
