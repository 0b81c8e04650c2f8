#!/usr/bin/env python3
"""Checks that the manual quotes the program's own texts exactly.

    check_manual_texts.py SOURCE_ROOT [DOCS_DIR]

In the manual a text in double quotes, and each line of a message box drawn as
<div class="message">, is something the program (or its setup) shows or stores. Each must
equal a string literal of the program's sources, or one line of one, apart from runs of white
space (the manual wraps lines where the program has line breaks). A quote that matches
nothing is either a misquote or prose that should not be in quotation marks.
"""
import glob
import os
import re
import sys
from html.parser import HTMLParser

SOURCE_PATTERNS = [f"{folder}/**/*.{ext}" for folder in ("app", "port", "engine", "commands", "ui")
                   for ext in ("cpp", "h")] + ["platform/win32/**/*.cpp", "resources/*.rc",
                                               "package/*.nsi"]
BLOCKS = {"p", "div", "li", "td", "th", "tr", "h1", "h2", "table", "ul", "ol"}
LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
ADJACENT = re.compile(r'"\s*(?://[^\n]*\n\s*)*"')  # "abc" "def", split over lines


class ManualText(HTMLParser):
    """Visible text: a line break for <br>, a blank line between blocks; message boxes apart."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.text = []
        self.messages = []
        self._message_depth = 0

    def handle_starttag(self, tag, attrs):
        if self._message_depth:
            if tag == "div":
                self._message_depth += 1
            elif tag == "br":
                self.messages[-1].append("")
            return
        if tag == "div" and ("class", "message") in attrs:
            self._message_depth = 1
            self.messages.append([""])
        elif tag == "br":
            self.text.append("\n")
        elif tag in BLOCKS:
            self.text.append("\n\n")

    def handle_endtag(self, tag):
        if self._message_depth and tag == "div":
            self._message_depth -= 1
        elif tag in BLOCKS:
            self.text.append("\n\n")

    def handle_data(self, data):
        if self._message_depth:
            self.messages[-1][-1] += data
        else:
            self.text.append(data)


def normal(text):
    return " ".join(text.split())


def unescape(literal):
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "t": "\t", "r": "\r"}.get(m.group(1), m.group(1)),
                  literal)


def program_texts(root):
    texts = set()
    for pattern in SOURCE_PATTERNS:
        for path in glob.glob(os.path.join(root, pattern), recursive=True):
            with open(path, encoding="utf-8", errors="replace") as f:
                source = ADJACENT.sub("", f.read())
            if path.endswith(".nsi"):
                # Line breaks are $\r$\n there, and "un." marks what only the uninstaller shows.
                source = source.replace("$\\r$\\n", "\\n").replace('"un.', '"')
            for match in LITERAL.finditer(source):
                literal = unescape(match.group(1))
                texts.add(normal(literal))
                texts.update(normal(line) for line in literal.split("\n"))
    texts.discard("")
    return texts


def manual_quotes(docs):
    for path in sorted(glob.glob(os.path.join(docs, "*.html"))):
        page = ManualText()
        with open(path, encoding="utf-8") as f:
            page.feed(f.read())
        name = os.path.basename(path)
        for block in "".join(page.text).split("\n\n"):
            if block.count('"') % 2:
                yield name, None, block.strip()
            for quote in re.findall(r'"([^"]*)"', block):
                yield name, normal(quote), quote
        for message in page.messages:
            for line in message:
                if normal(line):
                    yield name, normal(line), line


def main(argv):
    if len(argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    root = argv[1]
    docs = argv[2] if len(argv) == 3 else os.path.join(root, "docs")
    faults, count = check(root, docs)
    for fault in faults:
        print(fault, file=sys.stderr)
    print(f"{count} quoted texts, {len(faults)} faults")
    return 1 if faults else 0


def check(root, docs):
    known = program_texts(root)
    faults, count = [], 0
    for page, quote, raw in manual_quotes(docs):
        count += 1
        if quote is None:
            faults.append(f"{page}: unpaired quotation mark in: {normal(raw)[:80]}")
        elif quote not in known:
            faults.append(f"{page}: \"{quote}\" is not a text of the program")
    return faults, count


if __name__ == "__main__":
    sys.exit(main(sys.argv))
