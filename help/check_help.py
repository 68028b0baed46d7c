#!/usr/bin/env python3
"""Checks the help sources before they are compiled.

Every page and picture that a page, the contents (.hhc) or the index (.hhk)
points to must exist and be listed in the project's [FILES], or the compiled
help would show a broken page; every anchor aimed at must exist; every page
of the folder must be listed and reachable from the contents. With a
topics header (the C++ table of the page F1 opens in each window), every
topic it names must be a listed page, and its anchor one of that page.
Prints each fault and exits 1 when there is one.

    check_help.py HELP_FOLDER [TOPICS_HEADER]
"""
import html.parser
import os
import re
import sys
import urllib.parse


class Links(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.targets = []   # (attribute, value)
        self.anchors = set()

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        for name in ("href", "src"):
            if attrs.get(name):
                self.targets.append(attrs[name])
        if tag == "a" and attrs.get("name"):
            self.anchors.add(attrs["name"])
        if attrs.get("id"):
            self.anchors.add(attrs["id"])
        # Contents and index entries: <param name="Local" value="page.htm">.
        if tag == "param" and (attrs.get("name") or "").lower() == "local":
            self.targets.append(attrs.get("value") or "")


def parse(path, encoding):
    parser = Links()
    with open(path, encoding=encoding) as f:
        parser.feed(f.read())
    return parser


def project_files(hhp):
    files, options, section = [], {}, None
    with open(hhp, encoding="cp1252") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith(";"):
                continue
            if line.startswith("["):
                section = line.strip("[]").upper()
            elif section == "FILES":
                files.append(line.replace("\\", "/"))
            elif section == "OPTIONS" and "=" in line:
                key, value = line.split("=", 1)
                options[key.strip().lower()] = value.strip()
    return files, options


def topic_faults(header, listed, pages):
    """The topics of `header` (wide literals "page.htm" or "page.htm#anchor")
    that the help does not have."""
    with open(header, encoding="utf-8") as f:
        topics = re.findall(r'L"([^"]*)"', f.read())
    faults = [] if topics else [f"{os.path.basename(header)} names no topic"]
    for topic in topics:
        page, _, anchor = topic.partition("#")
        where = f"{os.path.basename(header)}: topic {topic}"
        if page not in listed or page not in pages:
            faults.append(f"{where}: no page {page}")
        elif anchor and anchor not in pages[page].anchors:
            faults.append(f"{where}: no anchor {anchor} in {page}")
    return faults


def main(folder, topics_header=None):
    hhp = os.path.join(folder, "Bralto.hhp")
    files, options = project_files(hhp)
    listed = set(files)
    faults = []
    pages = {}
    for name in files:
        if not os.path.isfile(os.path.join(folder, name)):
            faults.append(f"Bralto.hhp lists {name}, which does not exist")
        elif name.endswith((".htm", ".html")):
            pages[name] = parse(os.path.join(folder, name), "utf-8")
    for entry in sorted(os.listdir(folder)):
        if entry.endswith((".htm", ".html")) and entry not in listed:
            faults.append(f"{entry} is not listed in Bralto.hhp")
    navigation = {}
    for key in ("contents file", "index file"):
        if key in options:
            navigation[options[key]] = parse(os.path.join(folder, options[key]), "cp1252")
    for key in ("default topic",):
        if options.get(key) not in pages:
            faults.append(f"the default topic {options.get(key)} is not a listed page")

    reached = set()
    for source, parser in list(pages.items()) + list(navigation.items()):
        base = os.path.dirname(source)
        for target in parser.targets:
            parts = urllib.parse.urlsplit(target)
            if parts.scheme or target.startswith("//"):
                continue   # mailto:, http:... are not part of the help file
            path = urllib.parse.unquote(parts.path)
            name = os.path.normpath(os.path.join(base, path)).replace("\\", "/") if path else source
            if source in navigation and name.endswith(".htm"):
                reached.add(name)
            if name not in listed:
                state = "missing" if not os.path.exists(os.path.join(folder, name)) else "not in Bralto.hhp"
                faults.append(f"{source}: link to {target}: {state}")
                continue
            if parts.fragment and name in pages and parts.fragment not in pages[name].anchors:
                faults.append(f"{source}: link to {target}: no anchor {parts.fragment} in {name}")
    contents = options.get("contents file")
    if contents:
        for page in pages:
            if page not in reached:
                faults.append(f"{page} is not reachable from {contents} or the index")
    if topics_header:
        faults += topic_faults(topics_header, listed, pages)
    for fault in faults:
        print("help: " + fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
