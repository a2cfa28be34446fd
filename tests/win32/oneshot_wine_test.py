#!/usr/bin/python3
"""Runs vespern.exe once per desktop action file under Wine in dry-run mode and checks that it
asks the system for the same requests as the Linux program given the same file (handle values
aside), and that it ends by itself with status 0."""

import getpass
import os
import re
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "cli"))
import oneshot_test  # noqa: E402  (the Linux side: how the program runs there, what is a request)

WINDOWS_PROGRAM = os.environ["VESPERN_WINDOWS_PROGRAM"]
LINUX_PROGRAM = os.environ.get("VESPERN_LINUX_PROGRAM", "")
WINE = os.environ.get("VESPERN_WINE", "wine")

NAMES = ["SHUTDOWN.link", "REBOOT.link", "LOG OFF.link", "STANDBY.link", "HIBERNATE.link", "SWITCH USER.link",
         "HANG UP.link", "TURN OFF MONITOR.link", "SHOW SCREENSAVER.link"]

HANDLE = re.compile(r"\b(h[A-Z]\w*|\w*Handle)=\S+")


def compared(printed):
    """The requests, and the connection state query that decides whether to hang up, without
    handle values."""
    lines = [line for line in printed
             if line.split(" ", 1)[0] in oneshot_test.POWER_REQUESTS + ("InternetGetConnectedState",)]
    return [HANDLE.sub(r"\1=<handle>", line) for line in lines]


def run_windows(argument):
    env = dict(os.environ, VESPERN_DRY_RUN="1")
    completed = subprocess.run([WINE, WINDOWS_PROGRAM, argument], env=env, capture_output=True, text=True,
                               timeout=60, stdin=subprocess.DEVNULL)
    printed = [line[len("dry run: "):] for line in completed.stderr.splitlines() if line.startswith("dry run: ")]
    return completed, printed



class OneShotUnderWine(unittest.TestCase):
    def test_each_action_file_makes_the_requests_of_the_linux_program(self):
        desktop = "C:\\users\\" + getpass.getuser() + "\\Desktop\\"
        for name in NAMES:
            with self.subTest(name=name):
                completed, printed = run_windows(desktop + name)
                self.assertEqual(completed.returncode, 0, completed.stderr)
                windows = oneshot_test.requests(printed)
                self.assertTrue(windows, completed.stderr)
                if not LINUX_PROGRAM:
                    continue
                oneshot_test.PROGRAM = LINUX_PROGRAM
                linux_completed, linux_printed = oneshot_test.run("/home/someone/Desktop/" + name)
                self.assertEqual(linux_completed.returncode, 0, linux_completed.stderr)
                expected = compared(linux_printed)
                if name == "HANG UP.link" and "cannot read the connection state" in linux_completed.stderr:
                    # No NetworkManager answers the Linux program here, while Wine says that the
                    # computer is connected: only the Windows program goes on to hang up.
                    expected.append("InternetAutodialHangup dwReserved=0")
                self.assertEqual(compared(printed), expected)

    def test_a_name_that_does_not_match_exactly_runs_nothing_and_ends(self):
        completed, printed = run_windows("C:\\users\\someone\\Desktop\\shutdown.link")
        self.assertEqual(completed.returncode, 0, completed.stderr)
        self.assertEqual(oneshot_test.requests(printed), [])


if __name__ == "__main__":
    if not LINUX_PROGRAM or not os.access(LINUX_PROGRAM, os.X_OK):
        print("VESPERN_LINUX_PROGRAM not given: the requests are not compared with the Linux program's")
        LINUX_PROGRAM = ""
    unittest.main()
