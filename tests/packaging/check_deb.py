"""The Debian package: what it holds, what it depends on, what it runs after installing, and
what lintian says of it (no errors); unpacked, it runs like any installation."""

import re
import unittest

import installed as inst

LIBRARIES = ("libc6", "libqt6widgets6", "libhidapi-hidraw0", "libsqlite3-0")


class DebianPackageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = inst.scratch(cls, whole_class=True)
        packages = inst.make_package("DEB", cls.folder)
        cls.package = next(p for p in packages if p.suffix == ".deb")

    def field(self, name):
        result = inst.run(["dpkg-deb", "--field", self.package, name])
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout.strip()

    def test_name_and_version(self):
        self.assertEqual(self.package.name, f"tarvo_{inst.VERSION}_amd64.deb")
        self.assertEqual(self.field("Package"), "tarvo")
        self.assertEqual(self.field("Version"), inst.VERSION)

    def test_lists_what_a_desktop_needs(self):
        result = inst.run(["dpkg-deb", "--contents", self.package])
        self.assertEqual(result.returncode, 0, result.stderr)
        listed = {}
        for line in result.stdout.splitlines():
            mode, owner, _size, _day, _time, path = line.split(None, 5)
            listed[path.split(" -> ")[0].removeprefix("./")] = (mode, owner)
        print(result.stdout)
        for relative in inst.EXPECTED_FILES:
            self.assertIn("usr/" + relative, listed)
        for path, (mode, owner) in listed.items():
            self.assertEqual(owner, "root/root", path)
            if not mode.startswith("l"):
                self.assertNotRegex(mode, "^.{5}w|^.{8}w", f"{path} is writable by others")

    def test_depends_on_the_shared_libraries_it_links(self):
        depends = self.field("Depends")
        for library in LIBRARIES:
            self.assertRegex(depends, rf"(^|, ){re.escape(library)}( |,|$)")

    def test_reloads_the_udev_rules_after_installing(self):
        control = inst.scratch(self)
        result = inst.run(["dpkg-deb", "--control", self.package, control])
        self.assertEqual(result.returncode, 0, result.stderr)
        postinst = (control / "postinst").read_text()
        self.assertIn("udevadm control --reload-rules", postinst)
        self.assertTrue((control / "postinst").stat().st_mode & 0o111)

    def test_lintian_finds_no_error(self):
        result = inst.run(["lintian", "--no-tag-display-limit", "--display-info", self.package],
                          timeout=600)
        print(result.stdout)
        errors = [line for line in result.stdout.splitlines() if line.startswith("E:")]
        self.assertEqual(errors, [], result.stderr)
        self.assertNotIn("E:", result.stderr)

    def test_unpacked_it_is_complete_and_runs(self):
        root = inst.scratch(self)
        result = inst.run(["dpkg-deb", "--extract", self.package, root])
        self.assertEqual(result.returncode, 0, result.stderr)
        inst.InstalledTree(self, root / "usr", root).check_everything()


if __name__ == "__main__":
    inst.main()
