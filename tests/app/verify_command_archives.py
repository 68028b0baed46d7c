#!/usr/bin/env python3
"""Checks with Info-ZIP's unzip, 7-Zip and Python's zipfile the archives that
the main window's commands wrote. Every archive named here must exist: the
window tests make them all. Usage: verify_command_archives.py FIXTURES"""
import re
import subprocess
import sys
import zipfile
from pathlib import Path

fixtures = Path(sys.argv[1])
work = fixtures / "commands"
tree = fixtures / "tree"
failures = []


def stored_path(folder):
    """A folder's path as an add with folder names stores it: the whole path
    below the drive (Z: is the Unix root), without its leading slash."""
    return folder.resolve().as_posix().lstrip("/") + "/"


# The tree's files as an archive made by zip in the tree holds them; as the
# add stores them with folder names; and without.
TREE_FILES = ["top.txt", "a/x.txt", "a/b/y.txt", "a/b/z.bin"]
TREE_ZIPPED = {name: name for name in TREE_FILES}
TREE_PATHS = {stored_path(tree) + name: name for name in TREE_FILES}
TREE_FLAT = {name.rsplit("/", 1)[-1]: name for name in TREE_FILES}


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


def found(name):
    archive = work / name
    check(archive.exists(), f"{name}: missing (its window test did not write it)")
    return archive if archive.exists() else None


def expect(name, contents, password=None, stored=None):
    """`contents` maps each full member name to the bytes it must hold, to
    the tree file (relative path) it must equal, or to None (not compared)."""
    archive = found(name)
    if archive is None:
        return
    peers_pass(archive, password)
    with zipfile.ZipFile(archive) as z:
        infos = [i for i in z.infolist() if not i.is_dir()]
        names = {i.filename for i in infos}
        check(names == set(contents), f"{name}: members {sorted(names)}, expected {sorted(contents)}")
        for info in infos:
            data = z.read(info, pwd=password.encode() if password else None)
            wanted = contents.get(info.filename)
            if isinstance(wanted, str):
                wanted = (tree / wanted).read_bytes()
            if wanted is not None:
                check(data == wanted, f"{name}: content of {info.filename}")
            if stored is not None:
                check((info.compress_type == zipfile.ZIP_STORED) == stored, f"{name}: method of {info.filename}")
            check(bool(info.flag_bits & 1) == (password is not None), f"{name}: encryption of {info.filename}")


def expect_empty(name):
    """An archive whose members were all deleted: an end record and nothing else."""
    archive = found(name)
    if archive is None:
        return
    data = archive.read_bytes()
    check(data[:4] == b"PK\x05\x06", f"{name}: does not start with the end record ({data[:4]!r})")
    with zipfile.ZipFile(archive) as z:
        check(z.infolist() == [], f"{name}: still holds {z.namelist()}")
    listing = subprocess.run(["unzip", "-l", str(archive)], capture_output=True, text=True)
    check("zipfile is empty" in listing.stdout + listing.stderr, f"{name}: unzip -l: {listing.stdout.strip()}")
    seven = subprocess.run(["7zz", "t", "-bd", str(archive)], capture_output=True, text=True)
    check(seven.returncode == 0, f"{name}: 7zz t: {seven.stdout[-300:]}")


def verbose_listing(name):
    """unzip -v's (method, compressed size, size) of each member."""
    archive = found(name)
    if archive is None:
        return {}
    listing = subprocess.run(["unzip", "-v", str(archive)], capture_output=True, text=True).stdout
    rows = {}
    for line in listing.splitlines():
        row = re.match(r"\s*(\d+)\s+(\S+)\s+(\d+)\s+\S+\s+\S+\s+\S+\s+\S+\s+(.+)$", line)
        if row:
            rows[row.group(4)] = (row.group(2), int(row.group(3)), int(row.group(1)))
    return rows


def expect_levels():
    levels = {"maximale": "Defl:X", "normale": "Defl:N", "rapide": "Defl:F", "aucune": "Stored"}
    text = (work / "levels-src" / "text.txt").read_bytes() if (work / "levels-src").exists() else None
    sizes = {}
    for level, method in levels.items():
        name = f"level-{level}.zip"
        expect(name, {"text.txt": text}, stored=level == "aucune")
        rows = verbose_listing(name)
        row = rows.get("text.txt")
        check(row is not None, f"{name}: unzip -v lists no text.txt ({rows})")
        if row:
            check(row[0] == method, f"{name}: unzip -v method {row[0]}, expected {method}")
            sizes[level] = row[1]
    # Deflate at 9 may come out a little larger than at 6 (zlib's does on
    # this text); the fast level is clearly behind both.
    if len(sizes) == 4:
        check(max(sizes["maximale"], sizes["normale"]) < sizes["rapide"] < sizes["aucune"] == len(text),
              f"compressed sizes max, normal < fast < stored = size: {sizes}")


def expect_two_passwords(name):
    archive = found(name)
    if archive is None:
        return
    for member, password, other in (("first.txt", "premier", "deuxieme"), ("second.txt", "deuxieme", "premier")):
        own = subprocess.run(["unzip", "-tq", "-P", password, str(archive), member], capture_output=True, text=True)
        check(own.returncode == 0, f"{name}: unzip -P {password} {member}: {own.stdout.strip()}")
        wrong = subprocess.run(["unzip", "-tq", "-P", other, str(archive), member], capture_output=True, text=True)
        check(wrong.returncode != 0, f"{name}: {member} opens with the other add's password")
    with zipfile.ZipFile(archive) as z:
        check(z.read("first.txt", pwd=b"premier") == b"first.txt v1", f"{name}: content of first.txt")
        check(z.read("second.txt", pwd=b"deuxieme") == b"second.txt v1", f"{name}: content of second.txt")


expect("added-tree.zip", {k: v for k, v in TREE_PATHS.items() if k.endswith(".txt")})
expect("stored-encrypted.zip", TREE_PATHS, password="motdepasse", stored=True)
if (work / "stored-encrypted.zip").exists():
    wrong = subprocess.run(["unzip", "-tq", "-P", "wrong", str(work / "stored-encrypted.zip")], capture_output=True)
    check(wrong.returncode != 0, "stored-encrypted.zip: a wrong password is refused")
moved = stored_path(work / "to-move")
expect("moved.zip", {moved + "one.txt": b"moved away", moved + "two.txt": b"moved away"})
expect("deleted.zip", {"a/x.txt": "a/x.txt", "a/b/z.bin": "a/b/z.bin"})
expect("extract-all.zip", TREE_ZIPPED)
expect_empty("emptied.zip")
expect("freshened.zip", {"one.txt": b"one.txt v2", "two.txt": b"two.txt v1"})
expect("updated.zip", {"one.txt": b"one.txt v2", "two.txt": b"two.txt v1", "three.txt": b"three.txt v1"})
expect_levels()
expect("paths-yes.zip", TREE_PATHS)
expect("paths-no.zip", TREE_FLAT)
expect("hidden-off.zip", {"shown.txt": b"shown.txt v1"})
expect("hidden-on.zip", {"shown.txt": b"shown.txt v1", "secret.txt": b"secret.txt v1"})
expect_two_passwords("encrypted-twice.zip")
expect("picked.zip", {"a.txt": b"a.txt v1", "c.txt": b"c.txt v1"})
expect("move-fails.zip", TREE_ZIPPED)
expect("escaped.zip", TREE_ZIPPED)
for refused in ("never-made.zip", "paths-cancel.zip"):
    check(not (work / refused).exists(), f"{refused}: written although the add was refused or cancelled")

print("all command archives pass" if not failures else f"{len(failures)} failure(s)")
sys.exit(1 if failures else 0)
