#!/usr/bin/env python3
"""Checks the user's manual as plain HTML and as the compiled Quor.chm.

    check_manual.py DOCS_DIR CHM_FILE

The HTML tree: every page and image named in the project file exists, every internal link
and image reference resolves (anchors included), every image is a PNG of the size the page
gives it, no page links outside the manual, and the contents list every page.
The compiled file, through chmls: its #SYSTEM names the default topic, contents and index;
it holds every file of the project; its binary contents and index, extracted, point only at
topics and anchors that exist in the extracted archive; and the extracted pages pass the
same link check. Prints every fault and exits 1 if there was one.
"""
import os
import re
import struct
import subprocess
import sys
import tempfile
from html.parser import HTMLParser
from urllib.parse import urldefrag, unquote


class PageParser(HTMLParser):
    """Collects a page's references, anchor names and image sizes."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.links = []      # (attribute, value)
        self.anchors = set()
        self.images = []     # (src, width, height)
        self.sitemap = []    # (name, local) from sitemap OBJECTs
        self._object = None

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if "id" in a:
            self.anchors.add(a["id"])
        if tag == "a":
            if "name" in a:
                self.anchors.add(a["name"])
            if "href" in a:
                self.links.append(("href", a["href"]))
        elif tag == "img":
            self.links.append(("src", a.get("src", "")))
            self.images.append((a.get("src", ""), a.get("width"), a.get("height")))
        elif tag == "link" and "href" in a:
            self.links.append(("href", a["href"]))
        elif tag == "object" and (a.get("type") or "").lower() == "text/sitemap":
            self._object = {}
        elif tag == "param" and self._object is not None:
            key = (a.get("name") or "").lower()
            self._object.setdefault(key, a.get("value") or "")

    def handle_endtag(self, tag):
        if tag == "object" and self._object is not None:
            self.sitemap.append((self._object.get("name", ""), self._object.get("local", "")))
            self._object = None


def parse(path):
    parser = PageParser()
    with open(path, encoding="utf-8", errors="replace") as f:
        parser.feed(f.read())
    parser.close()
    return parser


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if len(head) < 24 or head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def project_files(hhp):
    files, options, section = [], {}, None
    with open(hhp, encoding="utf-8") as f:
        for raw in f:
            line = raw.strip()
            if not line or line.startswith(";"):
                continue
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1].upper()
            elif section == "FILES":
                files.append(line.replace("\\", "/"))
            elif section == "OPTIONS" and "=" in line:
                key, value = line.split("=", 1)
                options[key.strip()] = value.strip()
    return files, options


class Checker:
    def __init__(self):
        self.faults = []
        self._anchor_cache = {}

    def fault(self, message):
        self.faults.append(message)

    def anchors_of(self, path):
        if path not in self._anchor_cache:
            self._anchor_cache[path] = parse(path).anchors
        return self._anchor_cache[path]

    def resolve(self, root, page, ref, where):
        """Checks that ref, written in page (relative to root), names an existing file and
        anchor inside root."""
        target, fragment = urldefrag(ref)
        if re.match(r"^[a-zA-Z][a-zA-Z0-9+.-]*:", target):
            self.fault(f"{where}: link leaves the manual: {ref}")
            return
        if target == "":
            path = os.path.join(root, page)
        else:
            path = os.path.normpath(os.path.join(root, os.path.dirname(page), unquote(target)))
        if not os.path.abspath(path).startswith(os.path.abspath(root) + os.sep):
            self.fault(f"{where}: link points outside the manual: {ref}")
            return
        if not os.path.isfile(path):
            self.fault(f"{where}: missing target {ref}")
            return
        if fragment and path.endswith(".html") and fragment not in self.anchors_of(path):
            self.fault(f"{where}: no anchor #{fragment} in {os.path.relpath(path, root)}")

    def check_pages(self, root, pages, label):
        for page in pages:
            path = os.path.join(root, page)
            if not os.path.isfile(path):
                self.fault(f"{label}: page {page} is missing")
                continue
            parsed = parse(path)
            for _, ref in parsed.links:
                self.resolve(root, page, ref, f"{label}: {page}")
            for src, width, height in parsed.images:
                image = os.path.normpath(os.path.join(root, os.path.dirname(page), src))
                if not os.path.isfile(image):
                    continue  # already reported as a missing target
                size = png_size(image)
                if size is None:
                    self.fault(f"{label}: {page}: {src} is not a PNG image")
                elif (width, height) != (str(size[0]), str(size[1])):
                    self.fault(f"{label}: {page}: {src} is {size[0]}x{size[1]}, "
                               f"the page says {width}x{height}")

    def check_sitemap(self, root, sitemap_path, label, pages=None):
        entries = parse(sitemap_path).sitemap
        if not entries:
            self.fault(f"{label}: no entries")
        for name, local in entries:
            if not name or not local:
                self.fault(f"{label}: entry without name or target: {name!r} {local!r}")
                continue
            self.resolve(root, "", local, f"{label}: {name}")
        if pages is not None:
            listed = {urldefrag(local)[0] for _, local in entries}
            for page in pages:
                if page not in listed:
                    self.fault(f"{label}: page {page} is not listed")
        return entries


def run(args):
    result = subprocess.run(args, capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError(f"{' '.join(args)} failed: {result.stderr.strip()}")
    return result.stdout


def check(docs, chm):
    checker = Checker()
    files, options = project_files(os.path.join(docs, "Quor.hhp"))
    pages = [f for f in files if f.endswith(".html")]

    # The manual as plain HTML.
    for f in files:
        if not os.path.isfile(os.path.join(docs, f)):
            checker.fault(f"docs: {f} is named in Quor.hhp but missing")
    on_disk = sorted(os.path.relpath(os.path.join(d, n), docs).replace(os.sep, "/")
                     for d, _, names in os.walk(docs) for n in names
                     if n.endswith((".html", ".png", ".css")))
    for f in on_disk:
        if f not in files:
            checker.fault(f"docs: {f} is not in Quor.hhp, so it would be missing from Quor.chm")
    checker.check_pages(docs, pages, "docs")
    contents = checker.check_sitemap(docs, os.path.join(docs, options.get("Contents file", "")),
                                     "docs contents", pages)
    index = checker.check_sitemap(docs, os.path.join(docs, options.get("Index file", "")),
                                  "docs index")

    # The compiled file.
    system = run(["chmls", "printsystem", chm])
    for field, expected in (("Default topic", options.get("Default topic")),
                            ("Contents file", options.get("Contents file")),
                            ("Index file", options.get("Index file")),
                            ("Title", options.get("Title"))):
        match = re.search(re.escape(field) + r" from \[options\]\s*:(.*)", system)
        found = match.group(1).strip(" \t\0") if match else "absent"
        if found != expected:
            checker.fault(f"Quor.chm #SYSTEM: {field} is {found}, expected {expected}")
    listing = {line.strip().lstrip("/") for line in run(["chmls", "-n", "list", chm]).splitlines()}
    for f in files:
        if f not in listing:
            checker.fault(f"Quor.chm does not hold {f}")
    with tempfile.TemporaryDirectory() as extracted:
        run(["chmls", "extractall", chm, extracted])
        checker.check_pages(extracted, pages, "Quor.chm")
        toc = os.path.join(extracted, "binary-toc.hhc")
        run(["chmls", "extracttoc", chm, toc])
        compiled_contents = checker.check_sitemap(extracted, toc, "Quor.chm contents", pages)
        idx = os.path.join(extracted, "binary-index.hhk")
        run(["chmls", "extractindex", chm, idx])
        compiled_index = checker.check_sitemap(extracted, idx, "Quor.chm index")
    if len(compiled_contents) != len(contents):
        checker.fault(f"Quor.chm contents has {len(compiled_contents)} entries, "
                      f"the source {len(contents)}")
    # The binary index repeats the keyword as a second Name; keywords are what matter.
    if {n for n, _ in compiled_index} != {n for n, _ in index}:
        checker.fault("Quor.chm index keywords differ from the source index")

    summary = (f"{len(pages)} pages, {len(contents)} contents entries, "
               f"{len(index)} index entries")
    return checker.faults, summary


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    faults, summary = check(argv[1], argv[2])
    for f in faults:
        print(f, file=sys.stderr)
    print(f"{summary}, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
