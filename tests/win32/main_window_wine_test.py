#!/usr/bin/python3
"""Starts vespern.exe under Wine without an argument, in dry-run mode, and looks at its main
window from a second program in the same prefix (MainWindowProbe): hidden at start, shown by the
tray icon's double click, titled "Vespern", 259 x 395 inside its frame, with the captions and list
items of the window; closing it ends the program with status 0."""

import os
import subprocess
import unittest

WINDOWS_PROGRAM = os.environ["VESPERN_WINDOWS_PROGRAM"]
PROBE = os.environ["VESPERN_MAIN_WINDOW_PROBE"]
WINE = os.environ.get("VESPERN_WINE", "wine")

CAPTIONS = ["Help", "About", "Select Computer", "Local Computer", "Network Computer", "Computer Name", "Event",
            "Event Menu", "Event Setings", "Set Timer", "Minutes", "On Time : ", "Proccess :", "Select proccess",
            "Below", "%    For", "s", "%", "Action", "Action Menu", "Client Computer(s) Name", "Browse",
            "Event Settings", "Action Option", "Force Action", "Show Confirm Before Execute Action", "Start", "Stop",
            "Now", "Option", "Time Left :", "Time (Scheduled) :", "Time (Now) : ", "Detecting Process :",
            "Percent Usage :", "Time : ", "second", "Battery Life : "]
EVENTS = ["Countdown", "On Time", "On Process Stops", "Low CPU Usage", "Battery Low"]
ACTIONS = ["Shutdown", "Reboot", "Log Off", "Sleep/Stand by", "Hibernate", "Lock/Switch User", "Hang Up Internet",
           "Turn Off Monitor", "Show Screensaver"]


def probe(command):
    completed = subprocess.run([WINE, PROBE, command], capture_output=True, text=True, timeout=60,
                               stdin=subprocess.DEVNULL)
    if completed.returncode != 0:
        raise AssertionError("MainWindowProbe %s: %s %s" % (command, completed.stdout, completed.stderr))
    return dict(line.split("=", 1) for line in completed.stdout.splitlines() if "=" in line), completed.stdout


class MainWindowUnderWine(unittest.TestCase):
    def setUp(self):
        env = dict(os.environ, VESPERN_DRY_RUN="1")
        self.program = subprocess.Popen([WINE, WINDOWS_PROGRAM], env=env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)

    def tearDown(self):
        if self.program.poll() is None:
            self.program.kill()
        self.program.wait()
        self.program.stderr.close()

    def test_starts_hidden_in_the_tray_and_shows_the_window_of_the_part(self):
        state, _ = probe("state")
        self.assertEqual(state["visible"], "0")
        self.assertEqual(state["tray"], "1")
        probe("show")
        state, _ = probe("state")
        self.assertEqual(state["visible"], "1")
        self.assertEqual(state["title"], "Vespern")
        self.assertEqual(state["client"], "259x395")

        _, output = probe("texts")
        lines = output.splitlines()
        texts = [line[len("text="):] for line in lines if line.startswith("text=")]
        items = [line[len("item="):] for line in lines if line.startswith("item=")]
        for caption in CAPTIONS:
            self.assertIn(caption, texts)
        self.assertEqual(items, EVENTS + ACTIONS + EVENTS + ["Shutdown", "Reboot"])

        probe("close")
        self.assertEqual(self.program.wait(timeout=30), 0, self.program.stderr.read())


if __name__ == "__main__":
    unittest.main()
