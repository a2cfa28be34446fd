#!/usr/bin/python3
"""Builds the Debian package with cpack into a temporary folder and checks it as Debian would:
lintian without errors or warnings, its name, its dependencies and where its files go.

Environment: VESPERN_BUILD_DIR, VESPERN_CPACK, VESPERN_VERSION, VESPERN_SOURCE_DIR.
"""
import os
import re
import subprocess
import tempfile
import unittest

BUILD = os.environ["VESPERN_BUILD_DIR"]
VERSION = os.environ["VESPERN_VERSION"]
SOURCE = os.environ["VESPERN_SOURCE_DIR"]


def run(*command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, timeout=300, **kwargs)


def marked(relation):
    """The packages tools/debian-packages.txt marks with the relation ("depends", "recommends")."""
    with open(os.path.join(SOURCE, "tools/debian-packages.txt"), encoding="utf-8") as listed:
        return [line.split()[0] for line in listed if re.match(r"^[a-z0-9][a-z0-9.+-]*\s+" + relation + r"\b", line)]


class DebianPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory(prefix="vespern-deb-")
        made = run(os.environ["VESPERN_CPACK"], "-G", "DEB", "--config", os.path.join(BUILD, "CPackConfig.cmake"),
                   "-B", cls.scratch.name)
        assert made.returncode == 0, made.stdout + made.stderr
        architecture = run("dpkg", "--print-architecture").stdout.strip()
        cls.deb = os.path.join(cls.scratch.name, f"vespern_{VERSION}_{architecture}.deb")

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def field(self, name):
        return run("dpkg-deb", "-f", self.deb, name).stdout.strip()

    def test_lintian_finds_no_error_or_warning(self):
        self.assertTrue(os.path.isfile(self.deb), os.listdir(self.scratch.name))
        checked = run("lintian", "--fail-on", "error,warning", self.deb)
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)

    def test_dependencies_are_the_linked_libraries_and_the_marked_packages(self):
        depends = [alternative.split()[0] for alternative in self.field("Depends").split(", ")]
        for package in marked("depends") + ["libqt6widgets6", "libsystemd0", "libjpeg62-turbo"]:
            self.assertIn(package, depends)
        self.assertEqual(self.field("Recommends").split(", "), marked("recommends"))
        self.assertEqual(self.field("Package"), "vespern")
        self.assertEqual(self.field("Version"), VERSION)

    def test_program_folder_and_launcher_link(self):
        listing = run("dpkg-deb", "-c", self.deb).stdout
        entries = {}
        for line in listing.splitlines():
            mode, _, _, _, _, path = line.split(None, 5)
            entries[path.split(" -> ")[0].removeprefix(".")] = (mode, path.partition(" -> ")[2])
        self.assertEqual(entries["/usr/bin/vespern"], ("lrwxrwxrwx", "../lib/vespern/vespern"))
        self.assertEqual(entries["/usr/lib/vespern/vespern"][0], "-rwxr-xr-x")
        for path in ("/usr/lib/vespern/Vespern.ico", "/usr/share/doc/vespern/copyright",
                     "/usr/share/doc/vespern/changelog.gz", "/usr/share/man/man1/vespern.1.gz"):
            self.assertEqual(entries[path][0], "-rw-r--r--", path)
        self.assertFalse([path for path in entries if not path.startswith("/usr/")], "only below /usr")


if __name__ == "__main__":
    unittest.main()
