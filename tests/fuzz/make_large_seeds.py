#!/usr/bin/env python3
"""Writes large seed inputs for the registry file fuzzer into the given directory: the kinds of
files that once made the reader slow or crash (many keys, many values, a very deep key), in the
forms the registry editor writes."""
import pathlib
import sys

out = pathlib.Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
root = "HKEY_CURRENT_USER"

keys = ["Windows Registry Editor Version 5.00", ""]
for i in range(7000):
    keys += [f"[{root}\\Software\\Vendor{i % 50}\\Key{i}]", f'"name"="value {i}"', ""]
(out / "many-keys-utf16.reg").write_bytes(b"\xff\xfe" + "\r\n".join(keys).encode("utf-16-le"))

values = ["REGEDIT4", "", f"[{root}\\Many]"]
values += [f'"v{i}" = dword:{i:08x} ; number {i}' for i in range(20000)]
(out / "many-values-regedit4.reg").write_text("\n".join(values) + "\n")

deep = "\\".join(["a"] * 100000)
(out / "deep-key.reg").write_text(
    f"Windows Registry Editor Version 5.00\n\n[{root}\\{deep}]\n\"x\"=\"1\"\n[{root}\\ok]\n\"y\"=\"2\"\n")

mixed = ["\ufeffWindows Registry Editor Version 5.00", "; hand-edited"]
for i in range(3000):
    mixed += [f"[{root}\\K{i}]", f'"bin"=hex:{",".join("%02x" % (b % 256) for b in range(i % 40))}',
              f'"gone{i}"=-', "a line nobody can read", f"[-{root}\\K{i // 2}]", ""]
(out / "mixed-utf8-bom.reg").write_text("\r\n".join(mixed))
