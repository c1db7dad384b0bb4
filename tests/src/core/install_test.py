"""`cmake --install` puts the bundle into the ~/.vst of the HOME it runs under, whatever HOME the
build was configured with."""
import os
import subprocess
import sys
import tempfile
import unittest

CMAKE, BUILD = sys.argv.pop(1), sys.argv.pop(1)


class InstallHome(unittest.TestCase):
    def test_the_bundle_lands_in_the_home_of_install_time(self):
        with tempfile.TemporaryDirectory() as home:
            env = dict(os.environ, HOME=home)
            subprocess.run([CMAKE, "--install", BUILD], check=True, capture_output=True, env=env)
            bundle = os.path.join(home, ".vst", "KromaEditor.vst")
            self.assertTrue(os.path.isfile(os.path.join(bundle, "KromaEditor.so")))
            self.assertTrue(os.path.isfile(os.path.join(bundle, "resources", "uiconfig.tea")))


if __name__ == "__main__":
    unittest.main()
