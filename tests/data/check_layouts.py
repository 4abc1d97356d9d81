"""Layout files: every key complete and consistent, the grid and the view within the window, the
pictures matching the rectangles, and complete physical layouts."""

import itertools
import unittest
import xml.etree.ElementTree as ElementTree

import tarvo_data as td

WINDOW = (1400, 788)
MAX_VIEW = (1200, 420)
# Key map positions the keyboard keeps for its own media entries (knob actions, calculator).
RESERVED_KEY_INDICES = {83, 84, 86, 88}

# Letters, digits, Enter to backslash, then semicolon to Caps Lock (0x32 is not on ANSI boards).
ALPHANUMERIC = set(range(0x04, 0x32)) | set(range(0x33, 0x3A))
FUNCTION_ROW = set(range(0x3A, 0x46))
MODIFIERS = set(range(0xE0, 0xE8))
ARROWS = {0x4F, 0x50, 0x51, 0x52}
NAVIGATION = {0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E}
KEYPAD = set(range(0x53, 0x64))
# The 104 keys of the ANSI US full-size board.
FULL_SIZE = ALPHANUMERIC | FUNCTION_ROW | MODIFIERS | ARROWS | NAVIGATION | KEYPAD | {
    0x46, 0x47, 0x48, 0x65}
FN, KNOB = 0xF0, 0xFF


def parse_row_col(text):
    """The application's rule: the row is the first character; the column the last character
    when the text has three characters, else the last two; non-digits count 0."""
    digit = lambda t: int(t) if t.isdigit() else 0
    return digit(text[:1]), digit(text[-1:] if len(text) == 3 else text[-2:])


def load(model_id):
    name, layout, _ = td.AGREED_MODELS[model_id]
    root = ElementTree.parse(td.data_folder() / "layouts" / f"{layout}.xml").getroot()
    return root, root.find("Keyboard"), root.find("Keyboard").find("KeyItems").findall("key")


def rect(key):
    left, top = int(key.get("rect_left")), int(key.get("rect_top"))
    return left, top, left + int(key.get("rect_width")), top + int(key.get("rect_height"))


def layouts():
    return [(model_id, *load(model_id)) for model_id in td.AGREED_MODELS]


class LayoutTest(unittest.TestCase):
    def test_keyboard_view_and_picture(self):
        for model_id, root, keyboard, _ in layouts():
            with self.subTest(model=model_id):
                self.assertEqual(root.tag, "device.info")
                x, y = int(keyboard.get("xpos")), int(keyboard.get("ypos"))
                width, height = int(keyboard.get("width")), int(keyboard.get("height"))
                self.assertLessEqual(width, MAX_VIEW[0])
                self.assertLessEqual(height, MAX_VIEW[1])
                self.assertTrue(0 <= x and x + width <= WINDOW[0] and 0 <= y and y + height <= WINDOW[1])
                self.assertRegex(keyboard.get("bk_color"), r"^[0-9A-F]{6}$")
                picture = td.data_folder() / "keyboard" / keyboard.get("image")
                self.assertEqual(td.png_size(picture), (width, height), "the picture fills the view")
                self.assertTrue(1 <= int(keyboard.get("row_count")) <= 8)
                self.assertTrue(1 <= int(keyboard.get("col_count")) <= 32)

    def test_keys_are_complete_and_unique(self):
        for model_id, _, keyboard, keys in layouts():
            with self.subTest(model=model_id):
                codes = [int(k.get("code"), 16) for k in keys]
                key_indices = [int(k.get("key_index")) for k in keys]
                light_indices = [int(k.get("light_index")) for k in keys]
                self.assertEqual(len(set(codes)), len(keys), "codes")
                self.assertEqual(len(set(key_indices)), len(keys), "key indices")
                self.assertTrue(all(0 <= i <= 127 for i in key_indices))
                self.assertFalse(RESERVED_KEY_INDICES & set(key_indices))
                # The screen-sync stream covers the light indices below the number of keys.
                self.assertEqual(sorted(light_indices), list(range(len(keys))))
                for key in keys:
                    self.assertRegex(key.get("code"), r"^[0-9A-F]{2}$")
                    self.assertTrue(key.get("name") and key.get("desc"), key.get("code"))
                    self.assertIn(key.get("fnlayer_disable"), ("0", "1"))
                self.assertEqual(codes.count(FN), 1, "one Fn key")
                self.assertEqual(codes.count(KNOB), 1 if model_id in td.MODELS_WITH_KNOB else 0)

    def test_rectangles_inside_the_picture_and_apart(self):
        for model_id, _, keyboard, keys in layouts():
            with self.subTest(model=model_id):
                width, height = int(keyboard.get("width")), int(keyboard.get("height"))
                rects = [rect(k) for k in keys]
                for left, top, right, bottom in rects:
                    self.assertTrue(0 <= left < right <= width and 0 <= top < bottom <= height)
                for a, b in itertools.combinations(rects, 2):
                    apart = a[2] <= b[0] or b[2] <= a[0] or a[3] <= b[1] or b[3] <= a[1]
                    self.assertTrue(apart, f"{a} overlaps {b}")

    def test_grid_cells(self):
        for model_id, _, keyboard, keys in layouts():
            with self.subTest(model=model_id):
                rows, columns = int(keyboard.get("row_count")), int(keyboard.get("col_count"))
                cells = set()
                for key in keys:
                    text = key.get("row_col")
                    self.assertRegex(text, r"^[0-7]_[0-9]{1,2}$")
                    row, column = parse_row_col(text)
                    self.assertEqual(text, f"{row}_{column}", "the application reads what we wrote")
                    self.assertTrue(row < rows and column < columns, text)
                    cells.add((row, column))
                self.assertEqual(len(cells), len(keys), "one key per cell")
                # Cells follow the drawing: within a row, columns grow from left to right.
                for row in range(rows):
                    in_row = sorted((rect(k)[0], parse_row_col(k.get("row_col"))[1])
                                    for k in keys if parse_row_col(k.get("row_col"))[0] == row)
                    self.assertEqual([c for _, c in in_row], sorted(c for _, c in in_row))

    def test_physical_layouts_are_complete(self):
        expected = {
            101: FULL_SIZE | {FN, KNOB},
            # The knob sits where Home would be; it acts as Home when the knob mode is off.
            103: ALPHANUMERIC | FUNCTION_ROW | MODIFIERS - {0xE7} | ARROWS | NAVIGATION - {0x4A}
            | {FN, KNOB},
            102: ALPHANUMERIC | FUNCTION_ROW | MODIFIERS - {0xE7} | ARROWS | NAVIGATION | {FN},
            160: KEYPAD | {0x29, 0x2B, 0x2A, FN},
        }
        for model_id, _, _, keys in layouts():
            with self.subTest(model=model_id):
                self.assertEqual({int(k.get("code"), 16) for k in keys}, expected[model_id])
        self.assertEqual(len(FULL_SIZE), 104)

    def test_knob_of_the_75_percent_board_is_its_fifteenth_key(self):
        # The settings page's knob switch addresses that key as key 14 of the view.
        _, _, keys = load(103)
        self.assertEqual(int(keys[14].get("code"), 16), KNOB)
        self.assertEqual(keys[14].get("key_index"), "14")


if __name__ == "__main__":
    td.main()
