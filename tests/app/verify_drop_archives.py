#!/usr/bin/env python3
"""Checks with Info-ZIP's unzip, 7-Zip and Python's zipfile the archives that
files dropped on the main window made. Usage: verify_drop_archives.py FIXTURES"""
import subprocess
import sys
import zipfile
from pathlib import Path

fixtures = Path(sys.argv[1])
work = fixtures / "drops"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def made(archive):
    """The fixtures are made afresh for each run: an archive missing here is
    one the drop tests failed to write."""
    check(archive.exists(), f"{archive.name}: not written by the drop tests")
    return archive.exists()


def peers_pass(archive):
    unzip = subprocess.run(["unzip", "-tq", str(archive)], capture_output=True, text=True)
    check(unzip.returncode == 0, f"{archive.name}: unzip -t: {unzip.stdout.strip()} {unzip.stderr.strip()}")
    seven = subprocess.run(["7zz", "t", "-bd", "-p-", str(archive)], capture_output=True, text=True)
    check(seven.returncode == 0, f"{archive.name}: 7zz t: {seven.stdout[-300:]}")


def expect(name, sources):
    """sources: member name as stored -> the file it must hold."""
    archive = work / name
    if not made(archive):
        return
    peers_pass(archive)
    with zipfile.ZipFile(archive) as z:
        found = {i.filename: i for i in z.infolist() if not i.is_dir()}
        stored = {n.rsplit("/", 1)[-1] if n.rsplit("/", 1)[-1] in sources else n for n in found}
        check(stored == set(sources), f"{name}: members {sorted(found)}, expected {sorted(sources)}")
        for member in found:
            key = member.rsplit("/", 1)[-1] if member.rsplit("/", 1)[-1] in sources else member
            if key in sources:
                check(z.read(member) == sources[key].read_bytes(), f"{name}: content of {member}")


def expect_paths(name, suffixes):
    """The members' stored paths end with these folder-relative paths."""
    archive = work / name
    if not made(archive):
        return
    with zipfile.ZipFile(archive) as z:
        names = [i.filename for i in z.infolist() if not i.is_dir()]
    for suffix in suffixes:
        check(any(n == suffix or n.endswith("/" + suffix) for n in names), f"{name}: no member stored as {suffix}")


tree = fixtures / "tree"
tree_files = {"top.txt": tree / "top.txt", "x.txt": tree / "a/x.txt", "y.txt": tree / "a/b/y.txt",
              "z.bin": tree / "a/b/z.bin"}

expect("added-to-open.zip", dict(tree_files, **{"dropped.zip": fixtures / "tree.zip"}))
expect("new-from-text.zip", {"note.txt": work / "note.txt"})
expect("tree-deep.zip", tree_files)
# "Enregistrer le chemin" was ticked: the folders below the dropped one are kept.
expect_paths("tree-deep.zip", ["tree/top.txt", "tree/a/x.txt", "tree/a/b/y.txt", "tree/a/b/z.bin"])
expect("tree-flat.zip", {"top.txt": tree / "top.txt"})
expect("hidden-left-out.zip", {"shown.txt": work / "shown.txt", "secret.txt": work / "secret.txt"})
expect("skipped-vanished.zip", {"present.txt": work / "present.txt"})
expect("during-job.zip", {f"m{i}.bin": fixtures / "add/many" / f"m{i}.bin" for i in range(1, 401)})


def expect_options():
    """The drop options reached the job: method, encryption, directory members."""
    plain = b"a" * 20000
    archive = work / "option-stored.zip"
    if made(archive):
        peers_pass(archive)
        with zipfile.ZipFile(archive) as z:
            info = z.getinfo("stored.txt")
            check(info.compress_type == zipfile.ZIP_STORED, f"{archive.name}: method {info.compress_type}, not stored")
            check(z.read(info) == plain, f"{archive.name}: content of stored.txt")
    archive = work / "option-encrypted.zip"
    if made(archive):
        password = "Glisser-2024"
        with zipfile.ZipFile(archive) as z:
            info = z.getinfo("stored.txt")
            check(info.flag_bits & 1, f"{archive.name}: stored.txt is not encrypted")
        tested = subprocess.run(["unzip", "-tq", "-P", password, str(archive)], capture_output=True, text=True)
        check(tested.returncode == 0, f"{archive.name}: unzip -t -P: {tested.stdout.strip()}")
        shown = subprocess.run(["unzip", "-p", "-P", password, str(archive), "stored.txt"], capture_output=True)
        check(shown.stdout == plain, f"{archive.name}: unzip -p -P gives {len(shown.stdout)} bytes")
        seven = subprocess.run(["7zz", "t", "-bd", "-p" + password, str(archive)], capture_output=True, text=True)
        check(seven.returncode == 0, f"{archive.name}: 7zz t: {seven.stdout[-300:]}")
    archive = work / "option-moved.zip"
    if made(archive):
        peers_pass(archive)
        with zipfile.ZipFile(archive) as z:
            check(z.read("moved.txt") == b"moved into the archive", f"{archive.name}: content of moved.txt")
    check(not (work / "moved.txt").exists(), "moved.txt: the original of a move is still there")
    archive = work / "option-dirs.zip"
    if made(archive):
        peers_pass(archive)
        with zipfile.ZipFile(archive) as z:
            names = z.namelist()
        check(any(n.endswith("withdirs/empty/") for n in names), f"{archive.name}: no empty folder member in {names}")
        check(any(n.endswith("withdirs/file.txt") for n in names), f"{archive.name}: no withdirs/file.txt in {names}")
    # Without the option the folders of a dropped tree get no member of their own.
    archive = work / "tree-deep.zip"
    if made(archive):
        with zipfile.ZipFile(archive) as z:
            folders = [i.filename for i in z.infolist() if i.is_dir()]
        check(not folders, f"{archive.name}: folder members {folders} without the option")


expect_options()
check(not (work / "never-made.zip").exists(), "never-made.zip: a cancelled drop wrote an archive")
check(not (work / "looped.zip").exists() or zipfile.ZipFile(work / "looped.zip").namelist() == [],
      "looped.zip: a refused drop added files")

print("all drop archives pass" if not failures else f"{len(failures)} failure(s)")
sys.exit(1 if failures else 0)
