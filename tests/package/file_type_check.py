#!/usr/bin/python3
"""Asks GLib, as a file manager does, which type a file has and what opens it: the nine desktop
action files must be Vespern's type and open with its launcher; any other .link or .lnk file must
not. With --absent, none of them may be Vespern's any more (after the package was removed).

    file_type_check.py --desktop-id ID --mime-type TYPE [--data-dir DIR --bin-dir BIN] [--absent]
                       [--save-types FILE | --baseline FILE]

DIR (a share/ folder with mime/ and applications/ caches) is looked at before /usr/share, and BIN
(where the launcher's command is; GLib ignores a launcher whose command it cannot find) before
PATH; without them only /usr/share counts. --save-types only writes the types of all these files
to FILE; --baseline FILE (written so before Vespern was there) then fails on any file that is not
to be Vespern's and whose type has changed. The user's own settings never do: HOME and the XDG folders are empty
temporary ones.
"""
import argparse
import json
import os
import struct
import sys
import tempfile

ACTION_FILES = ("SHUTDOWN.link", "REBOOT.link", "LOG OFF.link", "STANDBY.link", "HIBERNATE.link", "HANG UP.link",
                "SHOW SCREENSAVER.link", "TURN OFF MONITOR.link", "SWITCH USER.link")
OTHER_FILES = ("notes.link", "shutdown.link", "Shutdown.link", "SHUTDOWN.lnk", "SHUTDOWN.LINK", "SHUTDOWN.link.bak",
               "my SHUTDOWN.link", "SWITCHUSER.link", "Program.lnk")
PARENT_TYPE = "application/x-ms-shortcut"


def link_header():
    """The 76-byte header every shell link file starts with (size, class id, no flags)."""
    class_id = bytes.fromhex("0114020000000000c000000000000046")
    return struct.pack("<I", 0x4C) + class_id + bytes(76 - 4 - len(class_id))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--desktop-id", required=True)
    parser.add_argument("--mime-type", required=True)
    parser.add_argument("--data-dir")
    parser.add_argument("--bin-dir")
    parser.add_argument("--absent", action="store_true")
    parser.add_argument("--save-types")
    parser.add_argument("--baseline")
    args = parser.parse_args()

    scratch = tempfile.TemporaryDirectory(prefix="vespern-file-type-")
    for name in ("home", "data", "config"):
        os.mkdir(os.path.join(scratch.name, name))
    os.environ.update({
        "HOME": os.path.join(scratch.name, "home"),
        "XDG_DATA_HOME": os.path.join(scratch.name, "data"),
        "XDG_CONFIG_HOME": os.path.join(scratch.name, "config"),
        "XDG_CONFIG_DIRS": os.path.join(scratch.name, "config"),
        "XDG_DATA_DIRS": ":".join(filter(None, (args.data_dir, "/usr/share"))),
    })
    if args.bin_dir:
        os.environ["PATH"] = args.bin_dir + os.pathsep + os.environ.get("PATH", "")
    os.environ.pop("XDG_CURRENT_DESKTOP", None)
    import gi
    gi.require_version("Gio", "2.0")
    from gi.repository import Gio

    launcher = args.desktop_id + ".desktop"
    failures = []
    before = {}
    if args.baseline:
        with open(args.baseline, encoding="utf-8") as saved:
            before = json.load(saved)
    types = {}

    def check(name, data, ours):
        content_type, _ = Gio.content_type_guess(name, data)
        key = f"{name} {'with' if data else 'without'} header"
        app = Gio.AppInfo.get_default_for_type(content_type, False)
        opener = app.get_id() if app else None
        shown = f"{name!r} ({'with' if data else 'without'} a link header): type {content_type}, opens with {opener}"
        if args.save_types:
            types[key] = content_type
            return
        if ours:
            ok = (content_type == args.mime_type and Gio.content_type_is_a(content_type, PARENT_TYPE)
                  and opener == launcher and app.get_commandline().split()[:2] == ["vespern", "%f"])
        else:
            ok = content_type != args.mime_type and opener != launcher
            if key in before and before[key] != content_type:
                ok = False
                shown += f", was {before[key]}"
        print(("ok   " if ok else "FAIL ") + shown)
        if not ok:
            failures.append(shown)

    for data in (link_header(), None):
        for name in ACTION_FILES:
            check(name, data, not args.absent)
        for name in OTHER_FILES:
            check(name, data, False)
    if args.save_types:
        with open(args.save_types, "w", encoding="utf-8") as out:
            json.dump(types, out, indent=1)
        return 0
    if failures:
        print(f"{len(failures)} file(s) not typed as expected", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
