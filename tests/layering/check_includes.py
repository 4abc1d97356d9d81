"""The dependency rule of the source tree: a folder of src/ includes only its own headers and
those of the libraries it links (directly or through them), so "protocol" never reaches into
"storage" and nothing below "app" reaches into "app". In the feature rooms the worker-side files
(every file that is not a page, a dialog, a feature or a layout) include no toolkit."""

import pathlib
import re
import sys
import unittest

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
FEATURE_ROOMS = {"keys", "keyboard", "profiles", "macros", "lighting", "screen", "update"}
UI_FILE_SUFFIXES = ("Page", "Dlg", "Feature", "Layout", "View")

SOURCE = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else pathlib.Path("src")
LAYERS = pathlib.Path(sys.argv[2]) if len(sys.argv) > 2 else pathlib.Path("layers.txt")


def read_layers(path):
    """{folder: set of folders it may include}, following the links transitively."""
    folder_of, deps_of = {}, {}
    for line in path.read_text().splitlines():
        parts = line.split()
        if len(parts) < 2:
            continue
        target, folder, deps = parts[0], parts[1], parts[2:]
        folder_of[target] = folder
        deps_of[target] = [d for d in deps if d.startswith("tarvo_")]
    allowed = {}
    for target, folder in folder_of.items():
        seen, todo = set(), list(deps_of[target])
        while todo:
            dep = todo.pop()
            if dep in seen or dep not in deps_of:
                continue
            seen.add(dep)
            todo.extend(deps_of[dep])
        allowed[folder] = {folder} | {folder_of[d] for d in seen if d in folder_of}
    return allowed


def folder_of_header(include, folders):
    """The longest library folder the include names ("ui/tessel/X.h" -> "ui/tessel")."""
    best = None
    for folder in folders:
        if include.startswith(folder + "/") and (best is None or len(folder) > len(best)):
            best = folder
    return best


def violations(source, allowed):
    found = []
    folders = set(allowed)
    for folder, may_use in sorted(allowed.items()):
        for path in sorted((source / folder).glob("*")):
            # The entry point of an executable is no part of its folder's library.
            if path.suffix not in (".h", ".cpp") or path.name == "main.cpp":
                continue
            worker_side = folder in FEATURE_ROOMS and not path.stem.endswith(UI_FILE_SUFFIXES)
            for include in INCLUDE.findall(path.read_text(encoding="utf-8")):
                used = folder_of_header(include, folders)
                name = f"{path.relative_to(source)}: {include}"
                if used is not None and used not in may_use:
                    found.append(f"{name} (\"{folder}\" does not link \"{used}\")")
                elif worker_side and include.startswith("ui/"):
                    found.append(f"{name} (a worker-side file includes the toolkit)")
    return found


class IncludeRuleTest(unittest.TestCase):
    def test_every_folder_includes_only_what_it_links(self):
        allowed = read_layers(LAYERS)
        self.assertIn("protocol", allowed, "the layer list names no libraries")
        self.assertEqual([], violations(SOURCE, allowed))

    def test_a_forbidden_include_is_found(self):
        # The rule must be able to fail: protocol may not use storage.
        allowed = read_layers(LAYERS)
        self.assertNotIn("storage", allowed["protocol"])
        self.assertNotIn("app", allowed["storage"])


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]])
