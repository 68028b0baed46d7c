#!/usr/bin/env python3
"""Checks, with Python's zipfile and Info-ZIP's unzip, the archives the
server wrote during the client tests. Usage: verify_server_archives.py WORK"""
import subprocess
import sys
import zipfile
from pathlib import Path

work = Path(sys.argv[1])
inputs = work / "input"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def expect_inputs(archive, password=None):
    with zipfile.ZipFile(archive) as z:
        check(z.testzip() is None if password is None else True, f"{archive.name}: CRCs")
        names = sorted(i.filename for i in z.infolist() if not i.is_dir())
        check(names == ["a.txt", "b.bin", "sub/c.txt"], f"{archive.name}: names {names}")
        for name in names:
            data = z.read(name, pwd=password)
            check(data == (inputs / name).read_bytes(), f"{archive.name}: content of {name}")
    result = subprocess.run(["unzip", "-tq"] + (["-P", password.decode()] if password else []) + [str(archive)],
                            capture_output=True, text=True)
    check(result.returncode == 0, f"{archive.name}: unzip -t says {result.stdout.strip()} {result.stderr.strip()}")


for name in ["basic.zip", "first.zip", "second.zip", "released.zip", "refused.zip"]:
    expect_inputs(work / "out" / name)

secret = work / "out" / "secret.zip"
expect_inputs(secret, password=b"secret")
with zipfile.ZipFile(secret) as z:
    check(all(i.flag_bits & 1 for i in z.infolist() if not i.is_dir()), "secret.zip: members encrypted")
    check(z.comment == b"Archive de qnrZip", f"secret.zip: comment {z.comment!r}")

check((work / "out" / "cancel.zip").read_bytes() == (work / "peer.zip").read_bytes(),
      "cancel.zip: unchanged by the cancelled job")

with zipfile.ZipFile(work / "out" / "delete.zip") as z:
    names = [i.filename for i in z.infolist() if not i.is_dir()]
    check(names == ["input/sub/c.txt"], f"delete.zip: {names}")
    check(z.testzip() is None, "delete.zip: CRCs")

if failures:
    sys.exit(1)
print("server archives verified by zipfile and unzip")
