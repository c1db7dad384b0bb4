#!/usr/bin/env python3
"""Plants single-point faults in each library, one at a time, and records
whether the test programs that use the library notice.

Usage:
  plant_faults.py run [--per-library N (14)] [--seed S] [--jobs J] [--libraries a,b]
                      [--skip program,program] [--replay OLD.json]
                      [--sanitize address|thread|none] [--out FILE]
  plant_faults.py compare OLD.json NEW.json

run       picks N faults per library from its own .cpp files (flipped or shifted
          comparisons, constants off by one, dropped calls, changed return
          values, negated conditions: the classes taken in turn, each in an order
          fixed by the seed and the faults' own text), and for each one builds
          the test programs that link or depend on its library and runs them
          until one fails or times out (caught) or all pass (missed). A
          failure counts once it comes again when the failing test is rerun
          (tests that wait on servers can fail under load); the programs run
          under AddressSanitizer and UBSan as in `make test-asan` unless
          --sanitize says otherwise. A fault whose code does not compile is
          not counted. --replay takes the faults
          of an earlier result file instead: use it for the run after a change,
          so that both runs hold the same faults; those whose line is gone are
          reported as vanished. --skip leaves the named test programs out
          (the JACK programs take minutes each and run one at a time).
compare   the catch rate per library of two result files over the faults both
          built, and each fault caught before and missed now.

Each of the J workers has a scratch copy of the tree and a build of its own
under build/plant/ (the tree itself is never touched); the first run builds
them (a few minutes with ccache), later runs reuse them. At most J processes
build or test at once. The default output is build/plant/faults-<commit>.json.
`make plant-faults` runs it with the defaults; `make plant-faults ARGS='...'`
passes other arguments.
"""
import argparse
import collections
import json
import os
import queue
import re
import shutil
import signal
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # nothing left in the tree
sys.path.insert(0, HERE)
import model  # noqa: E402
import mutants  # noqa: E402

ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
WORK = os.path.join(ROOT, "build", "plant")
SANITIZER_ENV = {
    "ASAN_OPTIONS": "detect_leaks=1",
    "UBSAN_OPTIONS": "print_stacktrace=1",
    "TSAN_OPTIONS": "halt_on_error=1",
}
BUILD_TIMEOUT = 1800
# A program that takes this much longer than it did on the clean tree hangs.
TIMEOUT_FACTOR, TIMEOUT_FLOOR = 10, 60
COMPILE_OR_LINK_ERROR = re.compile(r"error:|undefined reference|ld returned")
# A parameterised test's name is followed by ", where GetParam() = ...".
FAILED_TEST = re.compile(r"^\[  FAILED  \] ([^\s,]+)", re.M)
OUTPUT_LINES = 12
# what: the failing test, the sanitizer, "timeout" or the exit status; test:
# the failing test's name when the output tells it.
Run = collections.namedtuple("Run", "passed what test seconds tail")


def log(text):
    print(time.strftime("%H:%M:%S"), text, flush=True)


def git(*args):
    return subprocess.run(["git", "-C", ROOT, *args], check=True, capture_output=True,
                          text=True).stdout


class Worker:
    """A scratch copy of the tree and its build, used by one thread at a time."""

    def __init__(self, index, sanitize):
        self.index = index
        self.dir = os.path.join(WORK, f"w{index}")
        self.src = os.path.join(self.dir, "src")
        self.build = os.path.join(self.dir, "build")
        self.sanitize = "" if sanitize == "none" else sanitize
        self.proto = self.build  # the build folder in which the model names paths

    def sync(self, files):
        """Makes the copy equal to the tree, writing only files that differ
        so that the build redoes only what changed."""
        listed = set(files)
        for path in files:
            source, copy = os.path.join(ROOT, path), os.path.join(self.src, path)
            if not os.path.isfile(source):
                continue
            with open(source, "rb") as f:
                data = f.read()
            if os.path.isfile(copy):
                with open(copy, "rb") as f:
                    if f.read() == data:
                        continue
            os.makedirs(os.path.dirname(copy), exist_ok=True)
            with open(copy, "wb") as f:
                f.write(data)
            shutil.copymode(source, copy)
        for folder, _, names in os.walk(self.src):
            for name in names:
                path = os.path.relpath(os.path.join(folder, name), self.src)
                if path not in listed:
                    os.remove(os.path.join(folder, name))

    def configure(self, jobs):
        model.request_codemodel(self.build)
        command = ["cmake", "-S", self.src, "-B", self.build, "-G", "Ninja",
                   "-DCMAKE_BUILD_TYPE=", "-DCMAKE_CXX_FLAGS=-O0", "-DKROMA_WERROR=OFF",
                   f"-DKROMA_SANITIZE={self.sanitize}"]
        if shutil.which("ccache"):
            command.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL, env=self.env())
        subprocess.run(["ninja", "-C", self.build, f"-j{jobs}"], check=True,
                       stdout=subprocess.DEVNULL, env=self.env())

    def env(self):
        env = dict(os.environ, **SANITIZER_ENV)
        # Every worker's copy hits the same cache entries.
        env.update(CCACHE_BASEDIR=WORK, CCACHE_NOHASHDIR="1")
        return env

    def make(self, program):
        """None once built, else ninja's output."""
        done = subprocess.run(["ninja", "-C", self.build, "-j1", program], capture_output=True,
                              text=True, timeout=BUILD_TIMEOUT, env=self.env())
        return None if done.returncode == 0 else done.stdout + done.stderr

    def relocate(self, text):
        return text.replace(self.proto, self.build)

    def run(self, program, timeout, locks, only=None):
        """Runs the program (or only the named test of it) to its end or the timeout."""
        env = dict(self.env(), **{k: self.relocate(v) for k, v in program.env.items()})
        command = [self.relocate(program.path), "--gtest_also_run_disabled_tests",
                   "--gtest_fail_fast", "--gtest_brief=1"]
        if only:
            command.append("--gtest_filter=" + only)
        cwd = self.relocate(program.cwd or os.path.dirname(program.path))
        held = [locks[name] for name in sorted(program.locks)]
        for lock in held:
            lock.acquire()
        start = time.monotonic()
        try:
            # A session of its own, so that what the test started (servers)
            # ends with it.
            process = subprocess.Popen(command, cwd=cwd, env=env, stdout=subprocess.PIPE,
                                       stderr=subprocess.STDOUT, text=True, errors="replace",
                                       start_new_session=True)
            try:
                output, _ = process.communicate(timeout=timeout)
            except subprocess.TimeoutExpired:
                output = None
            finally:
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                process.wait()
        finally:
            for lock in held:
                lock.release()
        seconds = time.monotonic() - start
        if output is None:
            return Run(False, "timeout", None, seconds, "")
        tail = "\n".join(output.splitlines()[-OUTPUT_LINES:])
        if process.returncode == 0:
            return Run(True, None, None, seconds, tail)
        failed = FAILED_TEST.search(output)
        if failed:
            return Run(False, failed.group(1), failed.group(1), seconds, tail)
        for marker in ("AddressSanitizer", "runtime error", "ThreadSanitizer", "LeakSanitizer"):
            if marker in output:
                return Run(False, marker, None, seconds, tail)
        return Run(False, f"exit {process.returncode}", None, seconds, tail)


class Harness:
    def __init__(self, args):
        self.args = args
        self.workers = [Worker(i, args.sanitize) for i in range(args.jobs)]
        self.locks = {}
        self.results = []
        self.lock = threading.Lock()
        self.baseline = {}

    def prepare(self):
        files = git("ls-files", "-z", "--cached", "--others", "--exclude-standard").split("\0")
        files = [f for f in files if f]
        for worker in self.workers:
            log(f"worker {worker.index}: syncing and building {worker.build}")
            worker.sync(files)
            worker.configure(self.args.jobs)
        first = self.workers[0]
        for worker in self.workers:
            worker.proto = first.build
        self.build = model.Model(first.build, first.src)
        for name in (self.args.skip or "").split(","):
            self.build.programs.pop(name, None)
        for program in self.build.programs.values():
            for name in program.locks:
                self.locks.setdefault(name, threading.Lock())

    def run_baseline(self):
        log(f"clean run of {len(self.build.programs)} test programs")

        def check(worker, program):
            run = worker.run(program, 1800, self.locks)
            again = run if run.passed else worker.run(program, 1800, self.locks, run.test)
            self.baseline[program.name] = {"passed": again.passed, "failed": run.what,
                                           "seconds": round(run.seconds, 2)}
            if not again.passed:
                log(f"  {program.name} fails on the clean tree ({run.what}): left out")

        self.parallel(sorted(self.build.programs.values(), key=lambda p: p.name), check)

    def parallel(self, items, handle):
        """handle(worker, item) for every item, each worker taking the next one."""
        jobs = queue.Queue()
        for item in items:
            jobs.put(item)

        def work(worker):
            while True:
                try:
                    item = jobs.get_nowait()
                except queue.Empty:
                    return
                handle(worker, item)

        threads = [threading.Thread(target=work, args=(w,)) for w in self.workers]
        for t in threads:
            t.start()
        for t in threads:
            t.join()

    def choose(self):
        if self.args.replay:
            with open(self.args.replay) as f:
                old = json.load(f)
            faults = [mutants.Fault(**{k: r[k] for k in mutants.Fault.FIELDS}) for r in old["faults"]]
        else:
            faults = []
            for library in self.build.libraries.values():
                found = []
                for path in library.sources:
                    if path.endswith(".cpp"):
                        with open(os.path.join(self.workers[0].src, path)) as f:
                            found += mutants.file_faults(library.name, path, f.read())
                faults += mutants.sample(found, self.args.per_library, self.args.seed)
        if self.args.libraries:
            wanted = set(self.args.libraries.split(","))
            faults = [f for f in faults if f.library in wanted]
        return sorted(faults, key=lambda f: (f.library, f.file, f.line or 0))

    def programs_for(self, library):
        folder = "tests/" + self.build.libraries[library].folder

        def order(name):
            mirrors = self.build.programs[name].folder.startswith(folder)
            return (not mirrors, self.baseline[name]["seconds"])

        usable = [n for n in self.build.programs_needing(library) if self.baseline[n]["passed"]]
        return sorted(usable, key=order)

    def plant(self, worker, fault):
        path = os.path.join(worker.src, fault.file)
        text = None
        if os.path.isfile(path):
            with open(path) as f:
                text = f.read()
        number = mutants.locate(fault, text) if text is not None else None
        if number is None or fault.library not in self.build.libraries:
            return {"outcome": "vanished"}
        fault.line = number
        try:
            with open(path, "w") as f:
                f.write(mutants.apply(fault, text, number))
            return self.try_programs(worker, fault)
        finally:
            with open(path, "w") as f:
                f.write(text)

    def try_programs(self, worker, fault):
        programs = self.programs_for(fault.library)
        if not programs:
            return {"outcome": "untested"}
        flaky = []
        for name in programs:
            output = worker.make(name)
            if output is not None:
                if COMPILE_OR_LINK_ERROR.search(output):
                    return {"outcome": "unbuilt"}
                return {"outcome": "caught", "by": f"{name}: build step",
                        "output": output[-2000:]}
            program = self.build.programs[name]
            limit = max(TIMEOUT_FLOOR, TIMEOUT_FACTOR * self.baseline[name]["seconds"])
            first = worker.run(program, limit, self.locks)
            if first.passed:
                continue
            # Tests that wait on servers or clocks can fail under the load of
            # the other workers: a fault counts as caught when the failure
            # comes again.
            again = worker.run(program, limit, self.locks, first.test)
            if not again.passed:
                return {"outcome": "caught", "by": f"{name}: {again.what}", "output": again.tail}
            flaky.append(f"{name}: {first.what}")
        result = {"outcome": "missed"}
        if flaky:
            result["flaky"] = flaky
        return result

    def run_faults(self, faults):
        def plant(worker, fault):
            started = time.monotonic()
            result = self.plant(worker, fault)
            entry = dict(fault.record(), **result, seconds=round(time.monotonic() - started, 1))
            with self.lock:
                self.results.append(entry)
                done = len(self.results)
                self.save()
            log(f"[{done}/{len(faults)}] {fault.library} {fault.file}:{fault.line} {fault.kind}: "
                f"{result['outcome']} {result.get('by', '')}")

        self.parallel(faults, plant)

    def save(self):
        document = {
            "commit": self.commit, "dirty": self.dirty, "seed": self.args.seed,
            "per_library": self.args.per_library, "sanitize": self.args.sanitize,
            "replay": self.args.replay, "seconds": round(time.monotonic() - self.started),
            "baseline": self.baseline,
            "faults": sorted(self.results, key=lambda r: (r["library"], r["file"], r["id"])),
        }
        with open(self.args.out + ".part", "w") as f:
            json.dump(document, f, indent=1)
        os.replace(self.args.out + ".part", self.args.out)

    def main(self):
        self.started = time.monotonic()
        self.commit = git("rev-parse", "HEAD").strip()
        self.dirty = bool(git("status", "--porcelain", "--untracked-files=no").strip())
        if not self.args.out:
            self.args.out = os.path.join(WORK, f"faults-{self.commit[:10]}.json")
        os.makedirs(WORK, exist_ok=True)
        self.prepare()
        self.run_baseline()
        faults = self.choose()
        log(f"{len(faults)} faults in {len({f.library for f in faults})} libraries")
        self.run_faults(faults)
        self.save()
        print_summary(self.results)
        log(f"done in {time.monotonic() - self.started:.0f} s; results in {self.args.out}")


def rates(results):
    table = {}
    for r in results:
        row = table.setdefault(r["library"], {"caught": 0, "missed": 0, "unbuilt": 0,
                                              "vanished": 0, "untested": 0})
        row[r["outcome"]] += 1
    return table


def rate_text(row):
    sample = row["caught"] + row["missed"]
    return sample, (f"{100.0 * row['caught'] / sample:5.1f} %" if sample else "    -")


def print_summary(results):
    table = rates(results)
    print(f"{'library':<22} {'sample':>6} {'caught':>6} {'rate':>7}  not built  vanished")
    totals = {"caught": 0, "missed": 0, "unbuilt": 0, "vanished": 0, "untested": 0}
    for library in sorted(table):
        row = table[library]
        for key in totals:
            totals[key] += row[key]
        sample, rate = rate_text(row)
        print(f"{library:<22} {sample:>6} {row['caught']:>6} {rate:>7}  {row['unbuilt']:>9}"
              f"  {row['vanished']:>8}")
    sample, rate = rate_text(totals)
    print(f"{'total':<22} {sample:>6} {totals['caught']:>6} {rate:>7}  {totals['unbuilt']:>9}"
          f"  {totals['vanished']:>8}")


def compare(old_path, new_path):
    with open(old_path) as f:
        old = {r["id"]: r for r in json.load(f)["faults"]}
    with open(new_path) as f:
        new = {r["id"]: r for r in json.load(f)["faults"]}
    counted = ("caught", "missed")
    both = [i for i in old if i in new and old[i]["outcome"] in counted
            and new[i]["outcome"] in counted]
    print(f"{'library':<22} {'faults':>6} {'before':>8} {'after':>8}")
    for library in sorted({old[i]["library"] for i in both}):
        ids = [i for i in both if old[i]["library"] == library]
        before = sum(old[i]["outcome"] == "caught" for i in ids)
        after = sum(new[i]["outcome"] == "caught" for i in ids)
        print(f"{library:<22} {len(ids):>6} {100.0 * before / len(ids):>7.1f}% "
              f"{100.0 * after / len(ids):>7.1f}%")
    lost = [i for i in both if old[i]["outcome"] == "caught" and new[i]["outcome"] == "missed"]
    gained = [i for i in both if old[i]["outcome"] == "missed" and new[i]["outcome"] == "caught"]
    for title, ids in (("caught before, missed now", lost), ("missed before, caught now", gained)):
        if ids:
            print(f"\n{title}:")
            for i in sorted(ids, key=lambda i: (new[i]["file"], new[i]["line"] or 0)):
                r = new[i]
                print(f"  {i} {r['file']}:{r['line']} {r['kind']}: {r['text']}  ->  {r['after']}"
                      f"  (was {old[i].get('by', '')})")
    gone = [i for i in old if i not in new or new[i]["outcome"] == "vanished"]
    if gone:
        print(f"\n{len(gone)} faults of the first run are not in the second, or their line is gone")
    return 1 if lost else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter,
                                     epilog=__doc__.split("\n", 1)[1])
    commands = parser.add_subparsers(dest="command", required=True)
    run = commands.add_parser("run", formatter_class=argparse.RawDescriptionHelpFormatter,
                              description=__doc__)
    run.add_argument("--per-library", type=int, default=14)
    run.add_argument("--seed", default="31")
    run.add_argument("--jobs", type=int, default=4)
    run.add_argument("--libraries")
    run.add_argument("--skip")
    run.add_argument("--replay")
    run.add_argument("--sanitize", choices=("address", "thread", "none"), default="address")
    run.add_argument("--out")
    cmp = commands.add_parser("compare")
    cmp.add_argument("old")
    cmp.add_argument("new")
    args = parser.parse_args()
    if args.command == "compare":
        sys.exit(compare(args.old, args.new))
    Harness(args).main()


if __name__ == "__main__":
    main()
