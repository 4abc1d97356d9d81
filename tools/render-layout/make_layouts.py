#!/usr/bin/env python3
"""Writes the keyboard layout files data/layouts/<name>.xml of every Tarvo model, and the
picture parts that are not keys (screen, matrix light, light bars) to
tools/render-layout/decorations.xml, from the compact row descriptions below.

Run from anywhere: python3 tools/render-layout/make_layouts.py [--output ROOT]
(ROOT defaults to the repository; the test suite writes into a scratch folder and compares).
Then render the pictures: cmake --build --preset debug --target render-pictures

Row description tokens, left to right:
  name          a key of KEYS, 1 unit wide
  name:W        W units wide;  name:WxH  W units wide, H rows high
  _W            an empty gap of W units
  @X            continue at X units from the left edge
"""

import argparse
from dataclasses import dataclass, field
from pathlib import Path
from xml.sax.saxutils import quoteattr

UNIT = 46  # pixels per key unit
MARGIN = 28  # case border around the keys, pixels
CAP_GAP = 2  # pixels between a key cell and its cap on every side
# Where the keyboard view sits in the 1400 x 788 main window: right of the profile column,
# centred across the room there, its top just below the main tabs.
VIEW_CENTRE_X = 828
VIEW_TOP = 124
BACKGROUND = "1A1614"  # view background 0x00BBGGRR: a dark blue-grey
MAX_INDEX = 127
# Key map positions the keyboard keeps for its own media entries (the knob's turn and press
# actions and the calculator key sit there); no key of a layout takes them.
RESERVED_KEY_INDICES = {83, 84, 86, 88}
MAX_ROWS, MAX_COLUMNS = 8, 32

# token: (HID keyboard usage, name on the key, description)
KEYS = {
    "esc": (0x29, "Esc", "Escape"),
    "prtsc": (0x46, "PrtSc", "Print Screen"),
    "scrlk": (0x47, "ScrLk", "Scroll Lock"),
    "pause": (0x48, "Pause", "Pause"),
    "grave": (0x35, "~", "Grave accent and tilde"),
    "minus": (0x2D, "-", "Minus"),
    "equal": (0x2E, "=", "Equals"),
    "bksp": (0x2A, "Backspace", "Backspace"),
    "tab": (0x2B, "Tab", "Tab"),
    "lbracket": (0x2F, "[", "Left bracket"),
    "rbracket": (0x30, "]", "Right bracket"),
    "backslash": (0x31, "\\", "Backslash"),
    "caps": (0x39, "Caps", "Caps Lock"),
    "semicolon": (0x33, ";", "Semicolon"),
    "quote": (0x34, "'", "Apostrophe"),
    "enter": (0x28, "Enter", "Enter"),
    "lshift": (0xE1, "Shift", "Left Shift"),
    "comma": (0x36, ",", "Comma"),
    "period": (0x37, ".", "Period"),
    "slash": (0x38, "/", "Slash"),
    "rshift": (0xE5, "Shift", "Right Shift"),
    "lctrl": (0xE0, "Ctrl", "Left Ctrl"),
    "lwin": (0xE3, "Win", "Left Windows"),
    "lalt": (0xE2, "Alt", "Left Alt"),
    "space": (0x2C, "Space", "Space"),
    "ralt": (0xE6, "Alt", "Right Alt"),
    "rwin": (0xE7, "Win", "Right Windows"),
    "fn": (0xF0, "Fn", "Fn"),
    "menu": (0x65, "Menu", "Menu"),
    "rctrl": (0xE4, "Ctrl", "Right Ctrl"),
    "ins": (0x49, "Ins", "Insert"),
    "home": (0x4A, "Home", "Home"),
    "pgup": (0x4B, "PgUp", "Page Up"),
    "del": (0x4C, "Del", "Delete"),
    "end": (0x4D, "End", "End"),
    "pgdn": (0x4E, "PgDn", "Page Down"),
    "right": (0x4F, "\u2192", "Right arrow"),
    "left": (0x50, "\u2190", "Left arrow"),
    "down": (0x51, "\u2193", "Down arrow"),
    "up": (0x52, "\u2191", "Up arrow"),
    "numlock": (0x53, "Num", "Num Lock"),
    "kpslash": (0x54, "/", "Keypad /"),
    "kpstar": (0x55, "*", "Keypad *"),
    "kpminus": (0x56, "-", "Keypad -"),
    "kpplus": (0x57, "+", "Keypad +"),
    "kpenter": (0x58, "Enter", "Keypad Enter"),
    "kp0": (0x62, "0", "Keypad 0"),
    "kpdot": (0x63, ".", "Keypad ."),
    "knob": (0xFF, "Knob", "Rotary knob"),
}
for i, letter in enumerate("abcdefghijklmnopqrstuvwxyz"):
    KEYS[letter] = (0x04 + i, letter.upper(), letter.upper())
for i, digit in enumerate("1234567890"):
    KEYS[digit] = (0x1E + i, digit, digit)
for i in range(12):
    KEYS[f"f{i + 1}"] = (0x3A + i, f"F{i + 1}", f"F{i + 1}")
for i in range(9):
    KEYS[f"kp{i + 1}"] = (0x59 + i, str(i + 1), f"Keypad {i + 1}")

# Keys that take no Fn-layer assignment of their own.
NO_LAYER_ASSIGNMENT = {"fn", "knob"}

FULL_SIZE_ROWS = [
    (0.0, "esc _1 f1 f2 f3 f4 _0.5 f5 f6 f7 f8 _0.5 f9 f10 f11 f12 _0.25 prtsc scrlk pause"
          " @21.5 knob"),
    (1.5, "grave 1 2 3 4 5 6 7 8 9 0 minus equal bksp:2 _0.25 ins home pgup"
          " _0.25 numlock kpslash kpstar kpminus"),
    (2.5, "tab:1.5 q w e r t y u i o p lbracket rbracket backslash:1.5 _0.25 del end pgdn"
          " _0.25 kp7 kp8 kp9 kpplus:1x2"),
    (3.5, "caps:1.75 a s d f g h j k l semicolon quote enter:2.25 @18.5 kp4 kp5 kp6"),
    (4.5, "lshift:2.25 z x c v b n m comma period slash rshift:2.75 _1.25 up"
          " _1.25 kp1 kp2 kp3 kpenter:1x2"),
    (5.5, "lctrl:1.25 lwin:1.25 lalt:1.25 space:6.25 ralt rwin fn menu rctrl"
          " _0.25 left down right _0.25 kp0:2 kpdot"),
]


def seventy_five_rows(top_right):
    """The 75 % board; `top_right` is the key in the top right corner."""
    return [
        (0.0, f"esc _0.25 f1 f2 f3 f4 _0.25 f5 f6 f7 f8 _0.25 f9 f10 f11 f12 _0.25 del {top_right}"),
        (1.25, "grave 1 2 3 4 5 6 7 8 9 0 minus equal bksp:2 ins"),
        (2.25, "tab:1.5 q w e r t y u i o p lbracket rbracket backslash:1.5 pgup"),
        (3.25, "caps:1.75 a s d f g h j k l semicolon quote enter:2.25 pgdn"),
        (4.25, "lshift:2.25 z x c v b n m comma period slash rshift:1.75 up end"),
        (5.25, "lctrl:1.25 lwin:1.25 lalt:1.25 space:6.25 ralt fn rctrl left down right"),
    ]


KEYPAD_ROWS = [
    (0.0, "esc tab bksp fn"),
    (1.25, "numlock kpslash kpstar kpminus"),
    (2.25, "kp7 kp8 kp9 kpplus:1x2"),
    (3.25, "kp4 kp5 kp6"),
    (4.25, "kp1 kp2 kp3 kpenter:1x2"),
    (5.25, "kp0:2 kpdot"),
]

SCREEN_ASPECT = 240 / 136  # the keyboard's colour screen


@dataclass
class Decoration:
    kind: str  # "screen", "matrix" or "light_bar"
    x: float  # units, from the top left key cell
    y: float
    width: float
    height: float


@dataclass
class Model:
    layout: str
    rows: list
    extra_width: float = 0.0  # units right of the keys (panels)
    decorations: list = field(default_factory=list)
    side_light_bars: bool = False
    top_light_bar: bool = False
    accent: str = "7C5CFF"  # RGB of the light accents in the picture


MODELS = [
    Model("tarvo_k9", FULL_SIZE_ROWS,
          decorations=[Decoration("screen", 19.05, 0.02, 0.96 * SCREEN_ASPECT, 0.96)],
          side_light_bars=True, top_light_bar=True),
    Model("tarvo_m7", seventy_five_rows("home"), extra_width=4.25,
          decorations=[Decoration("screen", 16.75, 0.0, 3.5, 3.5 / SCREEN_ASPECT),
                       Decoration("matrix", 16.75, 2.5, 3.5, 3.5)],
          accent="3CC8FF"),
    Model("tarvo_k75", seventy_five_rows("knob"), accent="FF8A3C"),
    Model("tarvo_pad", KEYPAD_ROWS, accent="3CFF9A"),
]


@dataclass
class Key:
    token: str
    x: float
    y: float
    width: float
    height: float
    row: int


def parse_rows(rows):
    keys = []
    for row, (y, description) in enumerate(rows):
        x = 0.0
        for token in description.split():
            if token.startswith("_"):
                x += float(token[1:])
            elif token.startswith("@"):
                x = float(token[1:])
            else:
                name, _, size = token.partition(":")
                width, _, height = size.partition("x")
                key = Key(name, x, y, float(width or 1), float(height or 1), row)
                if name not in KEYS:
                    raise SystemExit(f"unknown key {name!r}")
                keys.append(key)
                x += key.width
    return keys


def key_indices(count):
    indices = [i for i in range(MAX_INDEX + 1) if i not in RESERVED_KEY_INDICES]
    if count > len(indices):
        raise SystemExit("too many keys for the key map")
    return indices[:count]


def light_indices(keys):
    """LEDs are chained row by row, left to right on even rows and back on odd rows."""
    order = sorted(range(len(keys)),
                   key=lambda i: (keys[i].row, keys[i].x if keys[i].row % 2 == 0 else -keys[i].x))
    result = [0] * len(keys)
    for light, i in enumerate(order):
        result[i] = light
    return result


def px(units):
    return round(MARGIN + units * UNIT)


def layout_xml(model, keys, size):
    width, height = size
    rows = max(k.row for k in keys) + 1
    columns = max(int(k.x + k.width / 2) for k in keys) + 1
    if rows > MAX_ROWS or columns > MAX_COLUMNS:
        raise SystemExit(f"{model.layout}: grid {rows} x {columns} is too large")
    xpos, ypos = VIEW_CENTRE_X - width // 2, VIEW_TOP
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', "<device.info>"]
    lines.append(f'  <Keyboard bk_color="{BACKGROUND}" xpos="{xpos}" ypos="{ypos}" '
                 f'width="{width}" height="{height}" image="{model.layout}.png" '
                 f'row_count="{rows}" col_count="{columns}">')
    lines.append("    <KeyItems>")
    for key, key_index, light_index in zip(keys, key_indices(len(keys)), light_indices(keys)):
        code, name, desc = KEYS[key.token]
        left, top = px(key.x) + CAP_GAP, px(key.y) + CAP_GAP
        right, bottom = px(key.x + key.width) - CAP_GAP, px(key.y + key.height) - CAP_GAP
        column = int(key.x + key.width / 2)
        disable = "1" if key.token in NO_LAYER_ASSIGNMENT else "0"
        lines.append(
            f'      <key code="{code:02X}" name={quoteattr(name)} desc={quoteattr(desc)} '
            f'key_index="{key_index}" light_index="{light_index}" icon="" '
            f'fnlayer_disable="{disable}" rect_left="{left}" rect_top="{top}" '
            f'rect_width="{right - left}" rect_height="{bottom - top}" '
            f'row_col="{key.row}_{column}"/>')
    lines += ["    </KeyItems>", "  </Keyboard>", "</device.info>", ""]
    return "\n".join(lines)


def decorations_xml(pictures):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             "<!-- Written by make_layouts.py: the parts of each keyboard picture that are not"
             " keys, in pixels of the picture. -->",
             "<pictures>"]
    for model, size in pictures:
        lines.append(f'  <picture layout="{model.layout}" accent="{model.accent}">')
        parts = list(model.decorations)
        width, height = size
        if model.top_light_bar:
            lines.append(f'    <light_bar x="{MARGIN + UNIT}" y="4" width="{width - 2 * (MARGIN + UNIT)}"'
                         f' height="5"/>')
        if model.side_light_bars:
            bar = height - 2 * MARGIN - UNIT
            lines.append(f'    <light_bar x="4" y="{MARGIN + UNIT // 2}" width="5" height="{bar}"/>')
            lines.append(f'    <light_bar x="{width - 9}" y="{MARGIN + UNIT // 2}" width="5"'
                         f' height="{bar}"/>')
        for part in parts:
            x, y = px(part.x), px(part.y)
            w, h = round(part.width * UNIT), round(part.height * UNIT)
            extra = ' rows="7" columns="7"' if part.kind == "matrix" else ""
            lines.append(f'    <{part.kind} x="{x}" y="{y}" width="{w}" height="{h}"{extra}/>')
        lines.append("  </picture>")
    lines += ["</pictures>", ""]
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description="Write the Tarvo keyboard layout files.")
    parser.add_argument("--output", type=Path, default=Path(__file__).resolve().parents[2],
                        help="folder that receives data/layouts and tools/render-layout")
    root = parser.parse_args().output
    layouts = root / "data" / "layouts"
    layouts.mkdir(parents=True, exist_ok=True)
    pictures = []
    for model in MODELS:
        keys = parse_rows(model.rows)
        keys_width = max(k.x + k.width for k in keys) + model.extra_width
        keys_height = max(k.y + k.height for k in keys)
        size = (round(2 * MARGIN + keys_width * UNIT), round(2 * MARGIN + keys_height * UNIT))
        (layouts / f"{model.layout}.xml").write_text(layout_xml(model, keys, size), encoding="utf-8")
        pictures.append((model, size))
        print(f"{model.layout}: {len(keys)} keys, picture {size[0]} x {size[1]}")
    (root / "tools" / "render-layout").mkdir(parents=True, exist_ok=True)
    (root / "tools" / "render-layout" / "decorations.xml").write_text(
        decorations_xml(pictures), encoding="utf-8")


if __name__ == "__main__":
    main()
