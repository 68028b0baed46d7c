#!/usr/bin/env python3
"""Checks with Info-ZIP's unzip, 7-Zip and Python's zipfile the archives that
the main window's commands wrote. Usage: verify_command_archives.py FIXTURES"""
import subprocess
import sys
import zipfile
from pathlib import Path

fixtures = Path(sys.argv[1])
work = fixtures / "commands"
tree = fixtures / "tree"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def peers_pass(archive, password=None):
    unzip = subprocess.run(["unzip", "-tq"] + (["-P", password] if password else []) + [str(archive)],
                           capture_output=True, text=True)
    check(unzip.returncode == 0, f"{archive.name}: unzip -t: {unzip.stdout.strip()} {unzip.stderr.strip()}")
    seven = subprocess.run(["7zz", "t", "-bd"] + ([f"-p{password}"] if password else ["-p-"]) + [str(archive)],
                           capture_output=True, text=True)
    check(seven.returncode == 0, f"{archive.name}: 7zz t: {seven.stdout[-300:]}")


def members(archive):
    with zipfile.ZipFile(archive) as z:
        return {i.filename.rsplit("/", 1)[-1]: i for i in z.infolist() if not i.is_dir()}


def expect(name, names, password=None, stored=None):
    archive = work / name
    if not archive.exists():
        print("skipped (not made by this run):", name)
        return
    peers_pass(archive, password)
    found = members(archive)
    check(set(found) == set(names), f"{name}: members {sorted(found)}, expected {sorted(names)}")
    with zipfile.ZipFile(archive) as z:
        for info in z.infolist():
            if info.is_dir():
                continue
            data = z.read(info, pwd=password.encode() if password else None)
            source = next(tree.rglob(info.filename.rsplit("/", 1)[-1]), None)
            if source is not None and name != "moved.zip":
                check(data == source.read_bytes(), f"{name}: content of {info.filename}")
            if stored is not None:
                check((info.compress_type == zipfile.ZIP_STORED) == stored, f"{name}: method of {info.filename}")
            check(bool(info.flag_bits & 1) == (password is not None), f"{name}: encryption of {info.filename}")


expect("added-tree.zip", {"top.txt", "x.txt", "y.txt"})
expect("stored-encrypted.zip", {"top.txt", "x.txt", "y.txt", "z.bin"}, password="motdepasse", stored=True)
if (work / "stored-encrypted.zip").exists():
    wrong = subprocess.run(["unzip", "-tq", "-P", "wrong", str(work / "stored-encrypted.zip")], capture_output=True)
    check(wrong.returncode != 0, "stored-encrypted.zip: a wrong password is refused")
expect("moved.zip", {"one.txt", "two.txt"})
expect("deleted.zip", {"x.txt", "z.bin"})
expect("extract-all.zip", {"top.txt", "x.txt", "y.txt", "z.bin"})

print("all command archives pass" if not failures else f"{len(failures)} failure(s)")
sys.exit(1 if failures else 0)
