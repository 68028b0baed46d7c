#!/usr/bin/env python3
"""Checks with Info-ZIP's unzip (-z for the comment, -t for the members) and
Python's zipfile the archives whose comment the comment window wrote.
Usage: verify_info_archives.py FIXTURES"""
import subprocess
import sys
import zipfile
from pathlib import Path

work = Path(sys.argv[1]) / "info"
failures = []

FIRST = "Première ligne\r\nDeuxième ligne"
SECOND = "Commentaire remplacé"


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def unzip_comment(archive):
    """The comment as unzip -z prints it (after its "Archive:" line)."""
    out = subprocess.run(["unzip", "-z", str(archive)], capture_output=True).stdout.decode("cp1252")
    lines = out.split("\n")
    check(lines[0].startswith("Archive:"), f"{archive.name}: unzip -z: {out!r}")
    return "\n".join(lines[1:]).rstrip("\n")


def expect(name, comment):
    archive = work / name
    # The fixtures are made afresh for each run: an archive missing here is
    # one the window tests failed to write.
    if not archive.exists():
        check(False, f"{name}: not written by the window tests")
        return
    tested = subprocess.run(["unzip", "-tq", str(archive)], capture_output=True, text=True)
    check(tested.returncode == 0, f"{name}: unzip -t: {tested.stdout.strip()}")
    shown = unzip_comment(archive)
    check(shown == comment.replace("\r\n", "\n"), f"{name}: unzip -z shows {shown!r}, expected {comment!r}")
    stored = zipfile.ZipFile(archive).comment
    check(stored == comment.encode("cp1252"), f"{name}: stored comment {stored!r}")
    with zipfile.ZipFile(archive) as z:
        check(len([i for i in z.infolist() if not i.is_dir()]) == 4, f"{name}: members kept")


expect("comment-set.zip", FIRST)
expect("comment-replaced.zip", SECOND)
expect("comment-cleared.zip", "")

print("all comment archives pass" if not failures else f"{len(failures)} failure(s)")
sys.exit(1 if failures else 0)
