"""What every installed Tarvo must be, however it was installed (cmake --install, the Debian
package unpacked, the home installer): the files a desktop needs where it looks for them, the
application folder complete and self-contained, and the installed programs working from there
without the source tree.

The check scripts are started by ctest as: check_X.py SOURCE_DIR BUILD_DIR VERSION CPACK."""

import gzip
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SOURCE = BUILD = VERSION = CPACK = None

DESKTOP_ENTRY = "share/applications/tarvo.desktop"
METAINFO = "share/metainfo/example.tarvo.Tarvo.metainfo.xml"
ICON_SIDES = (16, 22, 24, 32, 48, 64, 128, 256)
MANUALS = ("share/man/man1/tarvo.1.gz", "share/man/man1/tarvoctl.1.gz")
UDEV_RULE = "lib/udev/rules.d/70-tarvo.rules"
COMPLETION = "share/bash-completion/completions/tarvoctl"
APP_FOLDER = "share/tarvo"
# Entries of data/ that are not part of the application folder: they go to their own places.
NOT_IN_APP_FOLDER = {"completion", "udev"}
# The product name an installed config.xml is given, to see afterwards which config.xml was read.
MARKED_PRODUCT = "TarvoInstalledCopy"

EXPECTED_FILES = (
    ["bin/tarvo", "bin/tarvoctl", "libexec/tarvo/qgif", APP_FOLDER + "/gif/qgif",
     DESKTOP_ENTRY, METAINFO, UDEV_RULE, COMPLETION, "share/doc/tarvo/copyright",
     "share/doc/tarvo/changelog.gz", "share/icons/hicolor/scalable/apps/tarvo.svg"]
    + [f"share/icons/hicolor/{s}x{s}/apps/tarvo.png" for s in ICON_SIDES] + list(MANUALS))


def main():
    """Reads the arguments ctest gives and runs the calling module's test cases."""
    global SOURCE, BUILD, VERSION, CPACK
    SOURCE, BUILD, VERSION, CPACK = sys.argv[1:5]
    SOURCE, BUILD = Path(SOURCE), Path(BUILD)
    del sys.argv[1:5]
    unittest.main(verbosity=2)


def run(command, **options):
    """Runs a command; its output is kept for the assertion messages."""
    options.setdefault("capture_output", True)
    options.setdefault("text", True)
    options.setdefault("timeout", 300)
    return subprocess.run([str(part) for part in command], check=False, **options)


def make_package(generator, folder):
    """Runs cpack for one generator on the build tree; the packages it wrote."""
    result = run([CPACK, "--config", BUILD / "CPackConfig.cmake", "-G", generator, "-B", folder],
                 cwd=folder)
    if result.returncode != 0:
        raise AssertionError(f"cpack -G {generator} failed:\n{result.stdout}\n{result.stderr}")
    return sorted(p for p in Path(folder).iterdir() if p.is_file())


def scratch(test, whole_class=False):
    """A scratch folder that lives as long as the test case (or its class)."""
    folder = Path(tempfile.mkdtemp(prefix="tarvo-packaging-"))
    register = test.addClassCleanup if whole_class else test.addCleanup
    register(shutil.rmtree, folder, ignore_errors=True)
    return folder


def clean_environment(home):
    """The environment of a user whose home is `home`: nothing points at the source or build
    tree, and the programs run without a display."""
    env = {key: value for key, value in os.environ.items()
           if not key.startswith(("TARVO_", "XDG_"))}
    env.update({
        "HOME": str(home),
        "XDG_CONFIG_HOME": str(home / ".config"),
        "XDG_DATA_HOME": str(home / ".local" / "share"),
        "XDG_RUNTIME_DIR": str(home / "runtime"),
        "QT_QPA_PLATFORM": "offscreen",
    })
    (home / "runtime").mkdir(parents=True, exist_ok=True, mode=0o700)
    return env


def data_files():
    """Paths (relative to data/) of every file the application folder must hold."""
    data = SOURCE / "data"
    return sorted(str(path.relative_to(data)) for path in data.rglob("*")
                  if path.is_file() and path.relative_to(data).parts[0] not in NOT_IN_APP_FOLDER)


class InstalledTree:
    """Checks of one installed prefix (root is the folder that stands for /, where there is
    one: links must stay inside it)."""

    def __init__(self, test, prefix, root=None):
        self.test = test
        self.prefix = Path(prefix)
        self.root = Path(root) if root else self.prefix

    def check_everything(self):
        self.check_layout()
        self.check_links_stay_inside()
        self.check_desktop_files()
        self.check_manuals()
        self.check_completion()
        self.check_programs_run_from_the_installation()

    def check_layout(self):
        for relative in EXPECTED_FILES:
            path = self.prefix / relative
            self.test.assertTrue(path.is_file(), f"{path} is missing")
        for program in ("bin/tarvo", "bin/tarvoctl", APP_FOLDER + "/gif/qgif"):
            self.test.assertTrue(os.access(self.prefix / program, os.X_OK), program)
        app = self.prefix / APP_FOLDER
        for relative in data_files():
            installed = app / relative
            self.test.assertTrue(installed.is_file(), f"the application folder lacks {relative}")
            self.test.assertFalse(installed.is_symlink(), f"{installed} is a link, not a file")
            self.test.assertEqual(installed.read_bytes(), (SOURCE / "data" / relative).read_bytes(),
                                  relative)

    def check_links_stay_inside(self):
        root = self.root.resolve()
        for path in self.prefix.rglob("*"):
            if path.is_symlink():
                self.test.assertFalse(os.path.isabs(os.readlink(path)), f"{path} links absolutely")
                target = path.resolve()
                self.test.assertTrue(target.is_relative_to(root),
                                     f"{path} leads out of the installation, to {target}")
                self.test.assertTrue(target.exists(), f"{path} leads nowhere")

    def check_desktop_files(self):
        entry = self.prefix / DESKTOP_ENTRY
        result = run(["desktop-file-validate", entry])
        self.test.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.test.assertEqual(result.stdout.strip(), "", "desktop-file-validate has remarks")
        result = run(["appstreamcli", "validate", "--no-net", "--explain",
                      self.prefix / METAINFO])
        self.test.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        print(result.stdout)

    def check_manuals(self):
        for manual in MANUALS:
            text = gzip.decompress((self.prefix / manual).read_bytes()).decode("utf-8")
            result = run(["groff", "-man", "-Tutf8", "-ww", "-z"], input=text)
            self.test.assertEqual(result.returncode, 0, result.stderr)
            self.test.assertEqual(result.stderr, "", f"{manual}: groff warns")
        tarvo = gzip.decompress((self.prefix / MANUALS[0]).read_bytes()).decode("utf-8")
        for option in ("\\-\\-headless", "\\-\\-virtual\\-keyboard", "\\-\\-print\\-udev\\-rules"):
            self.test.assertIn(option, tarvo)
        tarvoctl = gzip.decompress((self.prefix / MANUALS[1]).read_bytes()).decode("utf-8")
        for word in ("\\-\\-json", ".SH COMMANDS", "profile select"):
            self.test.assertIn(word, tarvoctl)

    def check_completion(self):
        script = f"source '{self.prefix / COMPLETION}' && complete -p tarvoctl"
        result = run(["bash", "-c", script])
        self.test.assertEqual(result.returncode, 0, result.stderr)
        self.test.assertIn("_tarvoctl", result.stdout)

    def check_programs_run_from_the_installation(self):
        """tarvo, tarvoctl and the converter, started from elsewhere, find the installed
        application folder: the product name marked in the installed config.xml names the
        folders the run creates."""
        config = self.prefix / APP_FOLDER / "config.xml"
        text = config.read_text(encoding="utf-8")
        self.test.assertIn('<software name="Tarvo"', text)
        config.write_text(text.replace('<software name="Tarvo"',
                                       f'<software name="{MARKED_PRODUCT}"'), encoding="utf-8")
        home = scratch(self.test) / "home"
        elsewhere = scratch(self.test)
        env = clean_environment(home)
        result = run([self.prefix / "bin/tarvo", "--headless", "--virtual-keyboard",
                      "--exit-after-ms", "2000"], cwd=elsewhere, env=env, timeout=60)
        self.test.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        data_home = home / ".local" / "share"
        self.test.assertTrue((data_home / f"{MARKED_PRODUCT} Files" / "db").is_dir(),
                             "the installed config.xml was not the one read")
        self.test.assertFalse((data_home / "Tarvo Files").exists())

        result = run([self.prefix / "bin/tarvoctl", "--version"], cwd=elsewhere, env=env)
        self.test.assertEqual(result.returncode, 0, result.stderr)
        self.test.assertIn(VERSION, result.stdout)
        result = run([self.prefix / "bin/tarvoctl", "--virtual-keyboard", "--json", "status"],
                     cwd=elsewhere, env=env, timeout=60)
        self.test.assertEqual(result.returncode, 0, result.stdout + result.stderr)

        converted = elsewhere / "screen.bin"
        result = run([self.prefix / APP_FOLDER / "gif/qgif", "convert",
                      "-i", self.prefix / APP_FOLDER / "gif/tarvo_k9/0.gif", "-o", converted,
                      "-f", "gx96", "--scale-size", "240", "136"], cwd=elsewhere, env=env)
        self.test.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.test.assertGreater(converted.stat().st_size, 0)
        config.write_text(text, encoding="utf-8")
