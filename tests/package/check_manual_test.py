#!/usr/bin/env python3
"""The manual as committed passes check_manual; each kind of fault planted in a copy of it,
then compiled, is reported.

    check_manual_test.py DOCS_DIR BUILD_MANUAL_SCRIPT
"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_manual  # noqa: E402
import check_manual_texts  # noqa: E402

DOCS = None
BUILD_MANUAL = None


def compile_manual(docs, out):
    """Compiles like the build does, but from the given copy of the sources."""
    work = tempfile.mkdtemp()
    try:
        shutil.copytree(docs, work, dirs_exist_ok=True)
        subprocess.run(["chmcmd", "--verbosity", "0", "Quor.hhp"], cwd=work, check=True,
                       capture_output=True)
        shutil.move(os.path.join(work, "Quor.chm"), out)
    finally:
        shutil.rmtree(work)


def edit(path, old, new):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    assert old in text, f"{old!r} not in {path}"
    with open(path, "w", encoding="utf-8") as f:
        f.write(text.replace(old, new, 1))


class CheckManualTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.docs = os.path.join(self.dir, "docs")
        shutil.copytree(DOCS, self.docs)
        self.chm = os.path.join(self.dir, "Quor.chm")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def faults(self):
        compile_manual(self.docs, self.chm)
        return check_manual.check(self.docs, self.chm)[0]

    def assertReported(self, *fragments):
        faults = self.faults()
        for fragment in fragments:
            self.assertTrue(any(fragment in f for f in faults),
                            f"{fragment!r} not among the faults reported: {faults}")

    def test_committed_manual_compiled_by_the_build_script_passes(self):
        out = os.path.join(self.dir, "built")
        subprocess.run([BUILD_MANUAL, out], check=True)
        faults, summary = check_manual.check(DOCS, os.path.join(out, "Quor.chm"))
        self.assertEqual(faults, [])
        self.assertIn("11 pages", summary)

    def test_link_to_a_missing_page(self):
        edit(os.path.join(self.docs, "index.html"), 'href="training.html"', 'href="trainig.html"')
        self.assertReported("docs: index.html: missing target trainig.html",
                            "Quor.chm: index.html: missing target trainig.html")

    def test_link_to_a_missing_anchor(self):
        edit(os.path.join(self.docs, "troubleshooting.html"), 'training.html#sharp',
             'training.html#blunt')
        self.assertReported("no anchor #blunt in training.html")

    def test_image_named_in_the_project_but_missing(self):
        os.remove(os.path.join(self.docs, "images", "tray_menu.png"))
        # chmcmd itself refuses such a project; the check says what is wrong.
        with self.assertRaises(subprocess.CalledProcessError):
            compile_manual(self.docs, self.chm)
        compile_manual(DOCS, self.chm)
        faults = check_manual.check(self.docs, self.chm)[0]
        self.assertTrue(any("docs: images/tray_menu.png is named in Quor.hhp but missing" in f
                            for f in faults), faults)
        self.assertTrue(any("docs: tray_menu.html: missing target images/tray_menu.png" in f
                            for f in faults), faults)

    def test_image_shown_but_left_out_of_the_project(self):
        os.remove(os.path.join(self.docs, "images", "tray_menu.png"))
        edit(os.path.join(self.docs, "Quor.hhp"), "images/tray_menu.png\n", "")
        self.assertReported("docs: tray_menu.html: missing target images/tray_menu.png",
                            "Quor.chm: tray_menu.html: missing target images/tray_menu.png")

    def test_image_of_another_size_than_the_page_says(self):
        edit(os.path.join(self.docs, "settings.html"), 'width="310"', 'width="300"')
        self.assertReported("images/settings_dialog.png is 310x170, the page says 300x170")

    def test_link_out_of_the_manual(self):
        edit(os.path.join(self.docs, "requirements.html"), 'href="installing.html#driver"',
             'href="http://example.invalid/driver"')
        self.assertReported("link leaves the manual: http://example.invalid/driver")

    def test_page_left_out_of_the_project_and_the_contents(self):
        shutil.copy(os.path.join(self.docs, "settings.html"),
                    os.path.join(self.docs, "extra.html"))
        edit(os.path.join(self.docs, "index.html"), "</ul>",
             '<li><a href="extra.html">Extra</a></li></ul>')
        self.assertReported("docs: extra.html is not in Quor.hhp")

    def test_page_missing_from_the_contents(self):
        edit(os.path.join(self.docs, "contents.hhc"),
             '<LI><OBJECT type="text/sitemap"><param name="Name" value="Registry values">'
             '<param name="Local" value="registry.html"></OBJECT>\n', "")
        self.assertReported("docs contents: page registry.html is not listed",
                            "Quor.chm contents: page registry.html is not listed")

    def test_index_entry_to_a_missing_anchor(self):
        edit(os.path.join(self.docs, "index.hhk"), 'value="registry.html#tuning"',
             'value="registry.html#tunning"')
        self.assertReported("docs index: CodeCount: no anchor #tunning",
                            "Quor.chm index: CodeCount: no anchor #tunning")

    def test_default_topic_not_the_contents_page(self):
        edit(os.path.join(self.docs, "Quor.hhp"), "Default topic=index.html",
             "Default topic=settings.html")
        # The project file is read back as the expectation, so compare with the committed one.
        compile_manual(self.docs, self.chm)
        faults = check_manual.check(DOCS, self.chm)[0]
        self.assertTrue(any("Default topic is settings.html, expected index.html" in f
                            for f in faults), faults)


    def test_misquoted_program_text(self):
        root = os.path.dirname(DOCS)
        before = check_manual_texts.check(root, self.docs)[0]
        edit(os.path.join(self.docs, "training.html"),
             '"Hold the button till the progress ends"', '"Hold the button until the progress ends"')
        after = check_manual_texts.check(root, self.docs)[0]
        self.assertEqual(set(after) - set(before),
                         {'training.html: "Hold the button until the progress ends" is not a '
                          'text of the program'})

    def test_unpaired_quotation_mark(self):
        root = os.path.dirname(DOCS)
        edit(os.path.join(self.docs, "tray_menu.html"), 'for its menu:', 'for its "menu:')
        self.assertTrue(any(f.startswith("tray_menu.html: unpaired quotation mark")
                            for f in check_manual_texts.check(root, self.docs)[0]))


if __name__ == "__main__":
    DOCS = os.path.abspath(sys.argv[1])
    BUILD_MANUAL = os.path.abspath(sys.argv[2])
    unittest.main(argv=[sys.argv[0], "-v"])
