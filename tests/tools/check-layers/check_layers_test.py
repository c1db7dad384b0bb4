"""The layer check on small trees of its own: each case names the link lists
and includes of two libraries and a program, and what the check must say."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECK = sys.argv.pop(1)

# Library "low" below library "high"; program "app" in a folder of its own
# whose header reaches "high"; "test_low", the tests of "low"; "bench_low", its
# benchmarks in its mirror under bench/, and "bench_speed", benchmarks elsewhere.
FILES = {
    "low/Low.h": "",
    "low/detail/Inner.h": "",
    "tests/low/LowTest.cpp": '#include "low/Low.h"\n',
    "low/Low.cpp": '#include "low/Low.h"\n',
    "high/High.h": '#include "low/Low.h"\n',
    "high/High.cpp": '#include "high/High.h"\n#include <thread>\n',
    "app/Helper.h": '#include "high/High.h"\n',
    "app/main.cpp": '#include "Helper.h"\n',
    "bench/low/LowBench.cpp": '#include "low/Low.h"\n',
    "bench/speed/SpeedBench.cpp": '#include "low/Low.h"\n',
}

CASES = [
    # (name, low links, high links, app links, extra files, expected lines)
    ("exact lists pass", "", "low;Threads::Threads", "high", {}, []),
    ("a missing link", "", "low", "high", {},
     ["high: high/High.cpp includes \"thread\" but the target does not link Threads::Threads"]),
    ("a link no include needs", "", "low;Threads::Threads;PNG::PNG", "high", {},
     ["high: links PNG::PNG but includes nothing of it"]),
    ("a program's header counts as the program's", "", "low;Threads::Threads", "", {},
     ["app: app/Helper.h includes \"high/High.h\" but the target does not link high"]),
    ("an include upwards", "high", "low;Threads::Threads", "high",
     {"low/Low.cpp": '#include "low/Low.h"\n#include "high/High.h"\n'},
     ["low: low/Low.cpp includes \"high/High.h\" from high, a library above it"]),
    ("a library including a program's file", "", "low;Threads::Threads", "high",
     {"low/Low.h": '#include "app/Helper.h"\n'},
     ["low: low/Low.h includes \"app/Helper.h\", a file of no library"]),
    ("a library and its tests including its detail header", "", "low;Threads::Threads", "high",
     {"low/Low.cpp": '#include "low/Low.h"\n#include "low/detail/Inner.h"\n',
      "tests/low/LowTest.cpp": '#include "low/detail/Inner.h"\n'}, []),
    ("another library including a detail header", "", "low;Threads::Threads", "high",
     {"high/High.h": '#include "low/Low.h"\n#include "low/detail/Inner.h"\n'},
     ["high: high/High.h includes \"low/detail/Inner.h\", a detail header of low"]),
    ("a program including a detail header", "", "low;Threads::Threads", "high;low",
     {"app/Helper.h": '#include "high/High.h"\n#include "low/detail/Inner.h"\n'},
     ["app: app/Helper.h includes \"low/detail/Inner.h\", a detail header of low"]),
    ("benchmarks including a detail header, in the library's mirror and elsewhere", "",
     "low;Threads::Threads", "high",
     {"bench/low/LowBench.cpp": '#include "low/detail/Inner.h"\n',
      "bench/speed/SpeedBench.cpp": '#include "low/detail/Inner.h"\n'},
     ["bench_speed: bench/speed/SpeedBench.cpp includes \"low/detail/Inner.h\", "
      "a detail header of low"]),
]


class CheckLayers(unittest.TestCase):
    def run_case(self, low, high, app, extra):
        with tempfile.TemporaryDirectory() as root:
            for path, text in {**FILES, **extra}.items():
                os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                with open(os.path.join(root, path), "w") as f:
                    f.write(text)
            manifest = os.path.join(root, "layers.manifest")
            with open(manifest, "w") as f:
                f.write(f"low|STATIC_LIBRARY|{root}/low|Low.cpp|{low}|\n")
                f.write(f"high|STATIC_LIBRARY|{root}/high|High.cpp|{high}|\n")
                f.write(f"app|EXECUTABLE|{root}/app|main.cpp|{app}|\n")
                f.write(f"test_low|EXECUTABLE|{root}/tests/low|LowTest.cpp|low|\n")
                f.write(f"bench_low|EXECUTABLE|{root}/bench/low|LowBench.cpp|low|\n")
                f.write(f"bench_speed|EXECUTABLE|{root}/bench/speed|SpeedBench.cpp|low|\n")
            done = subprocess.run([sys.executable, CHECK, manifest, root],
                                  capture_output=True, text=True)
        return done.returncode, done.stdout.splitlines()[:-1]

    def test_cases(self):
        for name, low, high, app, extra, expected in CASES:
            with self.subTest(name):
                code, lines = self.run_case(low, high, app, extra)
                self.assertEqual(lines, expected)
                self.assertEqual(code, 1 if expected else 0)


if __name__ == "__main__":
    unittest.main()
