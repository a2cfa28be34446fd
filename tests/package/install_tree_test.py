#!/usr/bin/python3
"""Installs the build into a temporary DESTDIR (prefix /usr, as the Debian package does) and checks
what a desktop then finds there: the program in its own folder with its help file and icon, the
launcher, the icons, the file type of the desktop action files, the manual page and the metadata.

Environment: VESPERN_BUILD_DIR, VESPERN_CMAKE, VESPERN_APP_ID, VESPERN_MIME_TYPE, VESPERN_VERSION,
VESPERN_HAS_HELP (1 when the help file was built).
"""
import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD = os.environ["VESPERN_BUILD_DIR"]
APP_ID = os.environ["VESPERN_APP_ID"]
MIME_TYPE = os.environ["VESPERN_MIME_TYPE"]
VERSION = os.environ["VESPERN_VERSION"]
PROGRAM_DIR = "usr/lib/vespern"
ACTION_FILES = ("SHUTDOWN.link", "REBOOT.link", "LOG OFF.link", "STANDBY.link", "HIBERNATE.link", "HANG UP.link",
                "SHOW SCREENSAVER.link", "TURN OFF MONITOR.link", "SWITCH USER.link")
ICO_SIZES = {16, 20, 24, 32, 40, 48, 64, 128, 256}
HICOLOR_SIZES = {16, 22, 24, 32, 48, 64, 128, 256}


def run(*command, env=None, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, timeout=60, env=env, **kwargs)


class InstallTree(unittest.TestCase):
    def setUp(self):
        scratch = tempfile.TemporaryDirectory(prefix="vespern-install-")
        self.addCleanup(scratch.cleanup)
        self.root = os.path.join(scratch.name, "root")
        self.home = os.path.join(scratch.name, "home")
        os.mkdir(self.home, 0o700)
        installed = run(os.environ["VESPERN_CMAKE"], "--install", BUILD, "--prefix", "/usr",
                        env=dict(os.environ, DESTDIR=self.root))
        self.assertEqual(installed.returncode, 0, installed.stdout + installed.stderr)
        self.share = os.path.join(self.root, "usr/share")

    def staged(self, path):
        return os.path.join(self.root, path)

    def test_program_folder(self):
        link = self.staged("usr/bin/vespern")
        self.assertTrue(os.path.islink(link))
        target = os.readlink(link)
        self.assertFalse(os.path.isabs(target), "the link must hold under any DESTDIR: " + target)
        self.assertEqual(os.path.realpath(link), os.path.realpath(self.staged(PROGRAM_DIR + "/vespern")))
        beside = {"vespern", "Vespern.ico"} | ({"Vespern help.chm"} if os.environ.get("VESPERN_HAS_HELP") == "1" else set())
        self.assertEqual(set(os.listdir(self.staged(PROGRAM_DIR))), beside)
        self.assertTrue(os.access(self.staged(PROGRAM_DIR + "/vespern"), os.X_OK))

    def test_installed_program_runs(self):
        env = dict(os.environ, HOME=self.home, XDG_CONFIG_HOME=self.home + "/config", XDG_RUNTIME_DIR=self.home,
                   XDG_DATA_HOME=self.home + "/data", XDG_CACHE_HOME=self.home + "/cache",
                   VESPERN_REGISTRY_DIR=self.home + "/registry", VESPERN_DRY_RUN="1", QT_QPA_PLATFORM="offscreen")
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        program = self.staged("usr/bin/vespern")
        version = run(program, "--version", env=env)
        self.assertEqual((version.returncode, version.stdout), (0, f"Vespern {VERSION}\n"))
        oneshot = run(program, self.home + "/Desktop/SHUTDOWN.link", env=env, stdin=subprocess.DEVNULL)
        self.assertEqual(oneshot.returncode, 0, oneshot.stderr)
        self.assertIn("dry run: ExitWindowsEx uFlags=1 dwReserved=0\n", oneshot.stderr)

    def test_icons(self):
        listed = run("icotool", "-l", self.staged(PROGRAM_DIR + "/Vespern.ico"))
        self.assertEqual(listed.returncode, 0, listed.stderr)
        entries = re.findall(r"--width=(\d+) --height=(\d+) --bit-depth=(\d+)", listed.stdout)
        self.assertEqual({int(w) for w, h, depth in entries if w == h and depth == "32"}, ICO_SIZES)
        self.assertEqual(len(entries), len(ICO_SIZES))
        theme = os.path.join(self.share, "icons/hicolor")
        self.assertEqual(set(os.listdir(theme)), {f"{size}x{size}" for size in HICOLOR_SIZES})
        for size in HICOLOR_SIZES:
            with open(os.path.join(theme, f"{size}x{size}/apps/{APP_ID}.png"), "rb") as picture:
                header = picture.read(24)
            self.assertEqual(header[:8], b"\x89PNG\r\n\x1a\n")
            self.assertEqual(struct.unpack(">II", header[16:24]), (size, size))

    def test_desktop_entry(self):
        entry = os.path.join(self.share, f"applications/{APP_ID}.desktop")
        checked = run("desktop-file-validate", entry)
        self.assertEqual((checked.returncode, checked.stdout + checked.stderr), (0, ""))
        with open(entry, encoding="utf-8") as text:
            keys = dict(line.rstrip("\n").split("=", 1) for line in text if "=" in line)
        for key in ("Name", "GenericName", "Comment", "Categories", "Keywords", "Icon", "Exec", "MimeType"):
            self.assertTrue(keys.get(key), key)
        self.assertEqual((keys["Icon"], keys["Exec"], keys["MimeType"]), (APP_ID, "vespern %f", MIME_TYPE + ";"))

    def test_metainfo(self):
        metainfo = os.path.join(self.share, f"metainfo/{APP_ID}.metainfo.xml")
        checked = run("appstreamcli", "validate", "--no-net", metainfo)
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)
        component = ElementTree.parse(metainfo).getroot()
        self.assertEqual(component.findtext("id"), APP_ID)
        self.assertEqual(component.findtext("launchable"), APP_ID + ".desktop")
        self.assertEqual(component.find("releases/release").get("version"), VERSION)
        self.assertGreaterEqual(len(component.findall("screenshots/screenshot/image")), 2)
        self.assertIsNotNone(component.find("content_rating"))
        self.assertEqual(component.findtext("provides/mediatype"), MIME_TYPE)

    def test_manual_page(self):
        page = os.path.join(self.share, "man/man1/vespern.1.gz")
        shown = run("man", "--warnings", "-l", page, env=dict(os.environ, LC_ALL="C.UTF-8", MANWIDTH="80"))
        self.assertEqual((shown.returncode, shown.stderr), (0, ""))
        for expected in ("SYNOPSIS", "EXIT STATUS", "ENVIRONMENT", "FILES", "VESPERN_DRY_RUN", "VESPERN_SMB_PORT",
                         "HKEY_CURRENT_USER.reg", "/" + PROGRAM_DIR + "/", "--version") + ACTION_FILES:
            self.assertIn(expected, shown.stdout)

    def test_action_files_open_with_the_launcher(self):
        for command in (("update-mime-database", os.path.join(self.share, "mime")),
                        ("update-desktop-database", os.path.join(self.share, "applications"))):
            updated = run(*command)
            self.assertEqual(updated.returncode, 0, updated.stderr)
        check = [sys.executable, os.path.join(HERE, "file_type_check.py"), "--desktop-id", APP_ID, "--mime-type",
                 MIME_TYPE]
        baseline = os.path.join(self.home, "types.json")
        before = run(*check, "--save-types", baseline)
        self.assertEqual(before.returncode, 0, before.stdout + before.stderr)
        after = run(*check, "--data-dir", self.share, "--bin-dir", self.staged("usr/bin"), "--baseline", baseline)
        self.assertEqual(after.returncode, 0, after.stdout + after.stderr)


if __name__ == "__main__":
    unittest.main()
