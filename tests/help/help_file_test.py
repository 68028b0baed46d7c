#!/usr/bin/env python3
"""Tests of the help file and of the check that guards its sources.

    help_file_test.py listing HELP_SOURCES Bralto.chm
        chmls lists every page, picture and style sheet of the project,
        and the contents and the index.
    help_file_test.py checker HELP_SOURCES
        the checker passes the sources as they are, and fails a copy with a
        link to a missing page, a missing picture, a missing anchor or a page
        left out of the project; the windows' F1 topics pass, and a topic
        naming a missing page or anchor fails.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED: " + what, file=sys.stderr)


def project_files(folder):
    files, section = [], None
    with open(os.path.join(folder, "Bralto.hhp"), encoding="cp1252") as f:
        for line in f:
            line = line.strip()
            if line.startswith("["):
                section = line
            elif line and section == "[FILES]":
                files.append(line)
    return files


def listing(sources, chm):
    output = subprocess.run(["chmls", "list", chm], capture_output=True, text=True, check=True).stdout
    names = {line.split()[-1].lstrip("/").lower() for line in output.splitlines()
             if re.match(r"^\s*\d+\s+\d+\s+\d+\s+/", line)}
    files = project_files(sources)
    check(len(files) >= 14, f"the project lists {len(files)} files")
    for name in files + ["Bralto.hhc", "Bralto.hhk"]:
        check(name.lower() in names, f"{name} is in Bralto.chm")
    pages = [n for n in names if n.endswith(".htm")]
    check(len(pages) == len([f for f in files if f.endswith(".htm")]), f"pages in the file: {sorted(pages)}")


def run_checker(sources, folder, *topics):
    result = subprocess.run([sys.executable, os.path.join(sources, "check_help.py"), folder, *topics],
                            capture_output=True, text=True)
    return result.returncode, result.stderr


def edit(path, old, new):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    assert old in text, f"{old} not in {path}"
    with open(path, "w", encoding="utf-8") as f:
        f.write(text.replace(old, new, 1))


def checker(sources):
    topics = os.path.join(sources, "..", "shell", "HtmlHelpTopics.h")
    code, errors = run_checker(sources, sources, topics)
    check(code == 0, "the sources and the windows' topics pass the check: " + errors)
    with tempfile.TemporaryDirectory() as work:
        copy = os.path.join(work, "help")
        shutil.copytree(sources, copy)
        edit(os.path.join(copy, "index.htm"), 'href="motdepasse.htm"', 'href="motsdepasse.htm"')
        edit(os.path.join(copy, "express.htm"), "images/quick_extract.png", "images/express.png")
        edit(os.path.join(copy, "menus.htm"), 'href="outils.htm#tester"', 'href="outils.htm#test"')
        shutil.copy(os.path.join(copy, "clavier.htm"), os.path.join(copy, "oubli.htm"))
        code, errors = run_checker(sources, copy)
        check(code == 1, f"a broken copy fails the check (exit {code})")
        for fault in ["index.htm: link to motsdepasse.htm: missing",
                      "express.htm: link to images/express.png: missing",
                      "menus.htm: link to outils.htm#test: no anchor test",
                      "oubli.htm is not listed in Bralto.hhp"]:
            check(fault in errors, f"the check reports '{fault}': {errors}")
        broken_topics = os.path.join(work, "HtmlHelpTopics.h")
        with open(topics, encoding="utf-8") as f:
            text = f.read()
        with open(broken_topics, "w", encoding="utf-8") as f:
            f.write(text.replace('L"supprimer.htm"', 'L"effacer.htm"', 1)
                        .replace('L"outils.htm#tester"', 'L"outils.htm#test"', 1))
        code, errors = run_checker(sources, sources, broken_topics)
        check(code == 1, f"a topic the help does not have fails the check (exit {code})")
        for fault in ["HtmlHelpTopics.h: topic effacer.htm: no page effacer.htm",
                      "HtmlHelpTopics.h: topic outils.htm#test: no anchor test in outils.htm"]:
            check(fault in errors, f"the check reports '{fault}': {errors}")


if __name__ == "__main__":
    if sys.argv[1] == "listing":
        listing(sys.argv[2], sys.argv[3])
    else:
        checker(sys.argv[2])
    sys.exit(1 if failures else 0)
