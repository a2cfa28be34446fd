#!/usr/bin/python3
"""A shell link saved by the Windows backend under Wine, read back on the host by lnkinfo
(liblnk-utils) with every field the desktop action files set."""

import os
import shutil
import subprocess
import tempfile
import unittest

TESTS = os.environ["VESPERN_WIN32_TESTS"]


def wine_path(path):
    return "Z:" + path.replace("/", "\\")


WINE = os.environ.get("VESPERN_WINE", "wine")


class ShellLink(unittest.TestCase):
    def test_lnkinfo_reads_every_field(self):
        if not shutil.which("lnkinfo"):
            self.skipTest("lnkinfo (liblnk-utils) is not installed")
        with tempfile.TemporaryDirectory(prefix="vespern-link-") as folder:
            link = os.path.join(folder, "SWITCH USER.link")
            env = dict(os.environ, VESPERN_SHELL_LINK_FILE=wine_path(link))
            saved = subprocess.run([WINE, TESTS, "--gtest_filter=Win32PlatformTest.SavesAShellLink"], env=env,
                                   capture_output=True, text=True, timeout=120)
            self.assertEqual(saved.returncode, 0, saved.stdout + saved.stderr)
            info = subprocess.run(["lnkinfo", link], capture_output=True, text=True, timeout=30)
            self.assertEqual(info.returncode, 0, info.stdout + info.stderr)
        program_folder = wine_path(os.path.dirname(os.path.realpath(TESTS))) + "\\"
        for expected in ["Local path\t\t\t: " + wine_path(os.path.realpath(TESTS)),
                         "Description\t\t\t: Lock\\switch user",
                         "Working directory\t\t: " + program_folder + "\n",
                         "Icon location\t\t\t: " + program_folder + "Vespern.ico"]:
            self.assertIn(expected, info.stdout)
        # No arguments: none at all, or (as Wine writes it) an empty string.
        self.assertNotRegex(info.stdout, r"Command line arguments\t+: \S")


if __name__ == "__main__":
    unittest.main()
