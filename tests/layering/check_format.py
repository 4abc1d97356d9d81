"""Every C++ file the project tracks is formatted as .clang-format says."""

import subprocess
import sys
import unittest

ROOT = sys.argv[1] if len(sys.argv) > 1 else "."
CLANG_FORMAT = sys.argv[2] if len(sys.argv) > 2 else "clang-format"


class FormatTest(unittest.TestCase):
    def test_clang_format_changes_nothing(self):
        files = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], cwd=ROOT, check=True,
                               capture_output=True, text=True).stdout.split()
        self.assertTrue(files)
        result = subprocess.run([CLANG_FORMAT, "--dry-run", "-Werror", *files], cwd=ROOT,
                                capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stderr[:4000])


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]])
