"""cmake --install into a scratch folder gives a complete, self-contained installation."""

import gzip
import re
import unittest
import xml.etree.ElementTree as ElementTree

import installed as inst


class CmakeInstallTest(unittest.TestCase):
    def test_installed_prefix_is_complete_and_runs(self):
        root = inst.scratch(self)
        prefix = root / "usr"
        result = inst.run(["cmake", "--install", inst.BUILD, "--prefix", prefix])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        inst.InstalledTree(self, prefix, root).check_everything()
        # The whole tree as a software centre reads it: metainfo, desktop entry and icons agree.
        result = inst.run(["appstreamcli", "validate-tree", "--no-net", root])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    def test_every_version_is_the_project_version(self):
        prefix = inst.scratch(self)
        result = inst.run(["cmake", "--install", inst.BUILD, "--prefix", prefix])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        changelog = gzip.decompress((prefix / "share/doc/tarvo/changelog.gz").read_bytes())
        self.assertRegex(changelog.decode("utf-8").splitlines()[0],
                         rf"^tarvo \({re.escape(inst.VERSION)}\) ")
        metainfo = ElementTree.parse(prefix / inst.METAINFO).getroot()
        self.assertEqual(metainfo.find("releases/release").get("version"), inst.VERSION)
        software = ElementTree.parse(prefix / inst.APP_FOLDER / "config.xml").getroot().find(
            "software")
        self.assertEqual(software.get("version").split(".")[:3], inst.VERSION.split("."))


if __name__ == "__main__":
    inst.main()
