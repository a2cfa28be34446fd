#!/usr/bin/python3
"""Runs the built program once per case in dry-run mode, headless, and checks what it would
have asked of the system and that it ends by itself with status 0."""

import os
import subprocess
import tempfile
import unittest

PROGRAM = os.environ.get("VESPERN_PROGRAM", "vespern")

PRIVILEGE_STEPS = [
    "GetVersionExA",
    "OpenProcessToken ProcessHandle=GetCurrentProcess() DesiredAccess=0x28",
    'LookupPrivilegeValueA lpSystemName=NULL lpName="SeShutdownPrivilege"',
    "AdjustTokenPrivileges TokenHandle=0x1000 DisableAllPrivileges=FALSE PrivilegeCount=1 Luid=0:19 "
    "Attributes=2 BufferLength=0 PreviousState=NULL",
]

POWER_REQUESTS = ("ExitWindowsEx", "SetSystemPowerState", "LockWorkStation", "SendMessageA", "DefWindowProcA",
                  "InternetAutodialHangup", "ShellExecuteA", "SHEmptyRecycleBinA", "InitiateSystemShutdownA")


def tree(root):
    """Every path below root with its mode, modification time and content."""
    found = {}
    for directory, subdirectories, files in os.walk(root):
        for name in subdirectories + files:
            path = os.path.join(directory, name)
            info = os.lstat(path)
            content = None
            if os.path.isfile(path):
                with open(path, "rb") as handle:
                    content = handle.read()
            found[os.path.relpath(path, root)] = (info.st_mode, info.st_mtime_ns, content)
    return found


def run(*arguments, timeout=20, prepare=None, trees=None, display=True):
    with tempfile.TemporaryDirectory(prefix="vespern-cli-") as home:
        if prepare:
            prepare(home)
        if trees is not None:
            trees.append(tree(home))
        env = dict(os.environ)
        env.update({
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, "config"),
            "XDG_DATA_HOME": os.path.join(home, "data"),
            "XDG_CACHE_HOME": os.path.join(home, "cache"),
            "XDG_RUNTIME_DIR": home,
            "VESPERN_REGISTRY_DIR": os.path.join(home, "registry"),
            "VESPERN_DRY_RUN": "1",
            "QT_QPA_PLATFORM": "offscreen",
        })
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        if not display:  # a terminal, ssh or a timer unit: no display and no Qt platform chosen
            for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
                env.pop(name, None)
        completed = subprocess.run([PROGRAM, *arguments], env=env, capture_output=True, text=True,
                                   timeout=timeout, stdin=subprocess.DEVNULL)
        if trees is not None:
            trees.append(tree(home))
    printed = [line[len("dry run: "):] for line in completed.stderr.splitlines() if line.startswith("dry run: ")]
    return completed, printed


def requests(printed):
    return [line for line in printed if line.split(" ", 1)[0] in POWER_REQUESTS]


class OneShot(unittest.TestCase):
    def test_shutdown_file_runs_the_privilege_steps_then_the_request(self):
        completed, printed = run("/home/someone/Desktop/SHUTDOWN.link")
        self.assertEqual(completed.returncode, 0, completed.stderr)
        self.assertEqual(printed, PRIVILEGE_STEPS + ["ExitWindowsEx uFlags=1 dwReserved=0"])

    def test_each_action_file_makes_its_request(self):
        cases = {
            "REBOOT.link": ["ExitWindowsEx uFlags=2 dwReserved=0"],
            "LOG OFF.link": ["ExitWindowsEx uFlags=0 dwReserved=0"],
            "STANDBY.link": ["SendMessageA hWnd=application Msg=0x0112 wParam=0xF170 lParam=2",
                             "SetSystemPowerState fSuspend=TRUE fForce=TRUE"],
            "HIBERNATE.link": ["SendMessageA hWnd=application Msg=0x0112 wParam=0xF170 lParam=2",
                               "SetSystemPowerState fSuspend=FALSE fForce=TRUE"],
            "SWITCH USER.link": ["LockWorkStation"],
            "TURN OFF MONITOR.link": ["SendMessageA hWnd=application Msg=0x0112 wParam=0xF170 lParam=2",
                                      "SendMessageA hWnd=application Msg=0x0112 wParam=0xF170 lParam=0"],
            "SHOW SCREENSAVER.link": ["DefWindowProcA hWnd=main Msg=0x0112 wParam=0xF140 lParam=0"],
        }
        for name, expected in cases.items():
            with self.subTest(name=name):
                completed, printed = run("/home/someone/Desktop/" + name)
                self.assertEqual(completed.returncode, 0, completed.stderr)
                self.assertEqual(requests(printed), expected)

    def test_names_that_do_not_match_exactly_run_nothing_and_end(self):
        for argument in ("/home/someone/Desktop/shutdown.link", "/home/someone/Desktop/SHUTDOWN.lnk", "x"):
            with self.subTest(argument=argument):
                completed, printed = run(argument)
                self.assertEqual(completed.returncode, 0, completed.stderr)
                self.assertEqual(requests(printed), [])

    def test_only_the_first_argument_counts(self):
        completed, printed = run("REBOOT.link", "SHUTDOWN.link")
        self.assertEqual(completed.returncode, 0, completed.stderr)
        self.assertEqual(requests(printed), ["ExitWindowsEx uFlags=2 dwReserved=0"])

    def test_nothing_after_the_first_argument_reaches_qt(self):
        completed, printed = run("REBOOT.link", "-platform", "x", "-style", "nonsense", "--help")
        self.assertEqual(completed.returncode, 0, completed.stderr)
        self.assertEqual(requests(printed), ["ExitWindowsEx uFlags=2 dwReserved=0"])

    def test_without_a_display_an_action_file_runs_headless_and_ends(self):
        completed, printed = run("/home/someone/Desktop/SHUTDOWN.link", "-platform", "x", display=False)
        self.assertEqual(completed.returncode, 0, completed.stderr)
        self.assertEqual(printed, PRIVILEGE_STEPS + ["ExitWindowsEx uFlags=1 dwReserved=0"])

    def test_without_a_display_a_start_for_the_tray_says_why_it_cannot(self):
        completed, printed = run(display=False)
        self.assertEqual(completed.returncode, 1)
        self.assertEqual(completed.stderr.splitlines(),
                         ["vespern: Vespern needs a graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set)"])
        self.assertEqual(printed, [])

    def test_a_dry_run_leaves_every_file_as_it_was(self):
        def prepare(home):
            def write(relative, text):
                path = os.path.join(home, relative)
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, "w") as handle:
                    handle.write(text)
            # Options that ask for the recycle bin and a program, in a store that cannot be
            # parsed: the start-up load reads it and must leave it where it is.
            write("registry/HKEY_CLASSES_ROOT.reg", "Windows Registry Editor Version 5.00\n\n"
                  "[HKEY_CLASSES_ROOT\\vespern\\setting]\n\"empty recycle bin\"=\"1\n")
            write("data/Trash/files/letter.txt", "kept")
            write("data/Trash/info/letter.txt.trashinfo", "[Trash Info]\nPath=/tmp/letter.txt\n")
            write("Desktop/SHUTDOWN.link", "an older link")
        trees = []
        completed, printed = run(os.path.join("Desktop", "SHUTDOWN.link"), prepare=prepare, trees=trees)
        self.assertEqual(completed.returncode, 0, completed.stderr)
        self.assertEqual(requests(printed), ["ExitWindowsEx uFlags=1 dwReserved=0"])
        self.assertEqual(sorted(trees[1]), sorted(trees[0]))
        self.assertEqual(trees[1], trees[0])
        self.assertIn("HKEY_CLASSES_ROOT.reg cannot be read", completed.stderr)

    def test_help_and_version_print_and_end(self):
        completed, _ = run("--help")
        self.assertEqual(completed.returncode, 0)
        self.assertIn("Usage: vespern", completed.stdout)
        completed, _ = run("--version")
        self.assertEqual(completed.returncode, 0)
        self.assertRegex(completed.stdout, r"^Vespern \d+\.\d+")

    def test_without_an_argument_the_program_keeps_running(self):
        with self.assertRaises(subprocess.TimeoutExpired):
            run(timeout=3)


if __name__ == "__main__":
    unittest.main(verbosity=2)
