"""A second configure leaves the link-check source as it was: a new time stamp
would rebuild every link-check program at each configure."""
import os
import subprocess
import sys
import tempfile
import unittest

CMAKE, MODULES = sys.argv.pop(1), sys.argv.pop(1)

PROJECT = f"""cmake_minimum_required(VERSION 3.25)
project(again CXX)
list(APPEND CMAKE_MODULE_PATH "{MODULES}")
include(KromaLayers)
add_library(low STATIC low.cpp)
kroma_check_layers()
"""


class ConfigureAgain(unittest.TestCase):
    def test_the_link_check_source_keeps_its_time_stamp(self):
        with tempfile.TemporaryDirectory() as root:
            with open(os.path.join(root, "CMakeLists.txt"), "w") as f:
                f.write(PROJECT)
            with open(os.path.join(root, "low.cpp"), "w") as f:
                f.write("int low() { return 1; }\n")
            build = os.path.join(root, "build")
            configure = [CMAKE, "-S", root, "-B", build]
            subprocess.run(configure, check=True, capture_output=True)
            main = os.path.join(build, "linkcheck", "main.cpp")
            with open(main) as f:
                self.assertIn("int main()", f.read())
            old = 1_000_000_000
            os.utime(main, (old, old))
            subprocess.run(configure, check=True, capture_output=True)
            self.assertEqual(os.stat(main).st_mtime, old)


if __name__ == "__main__":
    unittest.main()
