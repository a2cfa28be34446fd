#!/usr/bin/python3
"""Runs the built program once per case in dry-run mode, headless, and checks what it would
have asked of the system and that it ends by itself with status 0."""

import os
import subprocess
import tempfile
import time
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


def start_xvfb():
    """An X server of the test's own; returns its display and process."""
    read, write = os.pipe()
    process = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-nolisten", "tcp", "-screen", "0", "800x600x24"],
                               pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as pipe:
        number = pipe.readline().strip()
    if not number.isdigit():
        process.kill()
        raise RuntimeError("Xvfb did not start")
    return ":" + number, process


def answer_message_box(env, process, title="Vespern", wait=15):
    """Waits for a window with this title, as a person would see it, and presses Return."""
    deadline = time.monotonic() + wait
    while time.monotonic() < deadline and process.poll() is None:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"], env=env,
                               capture_output=True, text=True)
        if found.stdout.strip():
            subprocess.run(["xdotool", "key", "Return"], env=env, check=True)
            return True
        time.sleep(0.1)
    return False


def run(*arguments, timeout=20, prepare=None, trees=None, display=True, message_box=None):
    """Runs the program headless; with message_box (a list), on an X server of its own instead,
    pressing Return in the message box it shows and noting in the list that one was shown."""
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
        if message_box is None:
            completed = subprocess.run([PROGRAM, *arguments], env=env, capture_output=True, text=True,
                                       timeout=timeout, stdin=subprocess.DEVNULL)
        else:
            display, server = start_xvfb()
            try:
                # A bus address that leads nowhere: without one, D-Bus would start a bus of its
                # own for the X display, and write below the home.
                env.update({"DISPLAY": display, "QT_QPA_PLATFORM": "xcb",
                            "DBUS_SESSION_BUS_ADDRESS": "unix:path=" + os.path.join(home, "no-bus")})
                process = subprocess.Popen([PROGRAM, *arguments], env=env, stdout=subprocess.PIPE,
                                           stderr=subprocess.PIPE, text=True, stdin=subprocess.DEVNULL)
                message_box.append(answer_message_box(env, process))
                stdout, stderr = process.communicate(timeout=timeout)
                completed = subprocess.CompletedProcess(process.args, process.returncode, stdout, stderr)
            finally:
                server.kill()
                server.wait()
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
            # Options that ask for the recycle bin, in a store with a line that cannot be read:
            # the start-up load reads it, tells the user in a message box (there is no
            # notification area) and must leave it where it is.
            write("registry/HKEY_CLASSES_ROOT.reg", "Windows Registry Editor Version 5.00\n\n"
                  "[HKEY_CLASSES_ROOT\\vespern\\setting]\n\"empty recycle bin\"=\"1\n")
            write("data/Trash/files/letter.txt", "kept")
            write("data/Trash/info/letter.txt.trashinfo", "[Trash Info]\nPath=/tmp/letter.txt\n")
            write("Desktop/SHUTDOWN.link", "an older link")
        trees = []
        shown = []
        completed, printed = run(os.path.join("Desktop", "SHUTDOWN.link"), prepare=prepare, trees=trees,
                                 message_box=shown)
        self.assertEqual(shown, [True], "the unreadable line is told in a message box")
        self.assertEqual(completed.returncode, 0, completed.stderr)
        self.assertEqual(requests(printed), ["ExitWindowsEx uFlags=1 dwReserved=0"])
        self.assertEqual(sorted(trees[1]), sorted(trees[0]))
        self.assertEqual(trees[1], trees[0])
        self.assertIn("HKEY_CLASSES_ROOT.reg line 4: a text value is not closed", completed.stderr)

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
