"""The home installer Tarvo-<version>.run: it asks nothing, installs under the user's home without
root and says so, takes --prefix and --quiet, points the menu entry at the installed program, and
changes nothing when its archive is damaged."""

import os
import subprocess
import unittest

import installed as inst


class HomeInstallerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        folder = inst.scratch(cls, whole_class=True)
        packages = inst.make_package("External", folder)
        cls.installer = folder / f"Tarvo-{inst.VERSION}.run"
        if cls.installer not in packages:
            raise AssertionError(f"cpack wrote {packages}, not {cls.installer.name}")

    def install(self, *arguments, home=None, cwd=None):
        home = home or inst.scratch(self) / "home"
        home.mkdir(parents=True, exist_ok=True)
        env = inst.clean_environment(home)
        return inst.run([self.installer, *arguments], env=env, cwd=cwd or home,
                        stdin=subprocess.DEVNULL)

    def desktop_value(self, prefix, key):
        for line in (prefix / inst.DESKTOP_ENTRY).read_text(encoding="utf-8").splitlines():
            if line.startswith(key + "="):
                return line[len(key) + 1:]
        return None

    def test_installs_into_the_home_by_default_and_says_so(self):
        self.assertTrue(os.access(self.installer, os.X_OK))
        home = inst.scratch(self) / "home"
        result = self.install(home=home)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        prefix = home / ".local"
        self.assertIn(f"installed in {prefix}", result.stdout)
        self.assertIn("no administrator rights", result.stdout)
        self.assertIn("udevadm control --reload-rules", result.stdout)
        self.assertEqual(self.desktop_value(prefix, "Exec"), f"{prefix}/bin/tarvo")
        self.assertEqual(self.desktop_value(prefix, "TryExec"), f"{prefix}/bin/tarvo")
        self.assertEqual([p.name for p in prefix.iterdir() if p.name.startswith(".")], [],
                         "the unpacking folder was left behind")
        inst.InstalledTree(self, prefix).check_everything()

    def test_quiet_into_a_prefix_with_a_space(self):
        base = inst.scratch(self)
        prefix = base / "my apps"
        result = self.install("--quiet", "--prefix", "my apps", cwd=base)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout, "")
        self.assertEqual(result.stderr, "")
        self.assertEqual(self.desktop_value(prefix, "Exec"), f'"{prefix}/bin/tarvo"')
        inst.InstalledTree(self, prefix).check_everything()

    def test_a_damaged_installer_changes_nothing(self):
        base = inst.scratch(self)
        prefix = base / "prefix"
        self.assertEqual(self.install("--quiet", f"--prefix={prefix}").returncode, 0)
        config = prefix / inst.APP_FOLDER / "config.xml"
        config.write_text("kept", encoding="utf-8")

        damaged = base / self.installer.name
        content = self.installer.read_bytes()
        damaged.write_bytes(content[: len(content) * 2 // 3])
        damaged.chmod(0o755)
        result = inst.run([damaged, "--prefix", prefix], env=inst.clean_environment(base))
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("nothing was changed", result.stderr)
        self.assertEqual(config.read_text(encoding="utf-8"), "kept")
        self.assertEqual([p.name for p in prefix.iterdir() if p.name.startswith(".")], [])

        # The whole installer puts the installation right again.
        self.assertEqual(self.install("--quiet", f"--prefix={prefix}").returncode, 0)
        self.assertIn("<config>", config.read_text(encoding="utf-8"))

    def test_refuses_unknown_options_and_explains_itself(self):
        result = self.install("--frobnicate")
        self.assertEqual(result.returncode, 2)
        self.assertIn("--prefix", result.stderr)
        result = self.install("--help")
        self.assertEqual(result.returncode, 0)
        for option in ("--prefix", "--quiet", "--start"):
            self.assertIn(option, result.stdout)
        result = self.install("--version")
        self.assertEqual(result.stdout.strip(), f"Tarvo {inst.VERSION}")


if __name__ == "__main__":
    inst.main()
