"""The layout files and decorations.xml are what make_layouts.py writes: nobody edited them by
hand and nobody changed the generator without running it."""

import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import tarvo_data as td

GENERATED = [Path("tools/render-layout/decorations.xml")]


class GeneratedFilesTest(unittest.TestCase):
    def test_layouts_match_the_generator(self):
        with tempfile.TemporaryDirectory() as scratch:
            subprocess.run([sys.executable, str(td.ROOT / "tools/render-layout/make_layouts.py"),
                            "--output", scratch], check=True, stdout=subprocess.DEVNULL)
            written = sorted(p.relative_to(scratch) for p in Path(scratch).rglob("*.xml"))
            expected = sorted(GENERATED + [p.relative_to(td.ROOT)
                                           for p in (td.ROOT / "data/layouts").glob("*.xml")])
            self.assertEqual(written, expected)
            for path in written:
                self.assertEqual((Path(scratch) / path).read_bytes(),
                                 (td.ROOT / path).read_bytes(), str(path))


if __name__ == "__main__":
    td.main()
