"""Helpers of the shipped-data checks: the repository root, config.xml read with an XML parser
of its own (xml.etree), PNG sizes, and the facts agreed with the keyboard simulator."""

import struct
import sys
import unittest
import xml.etree.ElementTree as ElementTree
from pathlib import Path

VENDOR_ID = 0x36B0
SCREEN_CHANNEL = (0x1919, 0x1919)

# Model id: (name, layout, {connection mode: product id}). Agreed with the keyboard simulator.
AGREED_MODELS = {
    101: ("Tarvo K9", "tarvo_k9", {0: 0x3001, 1: 0x3011}),
    102: ("Tarvo M7", "tarvo_m7", {0: 0x3002, 1: 0x3012}),
    103: ("Tarvo K75", "tarvo_k75", {0: 0x3003}),
    160: ("Tarvo Pad", "tarvo_pad", {0: 0x3060}),
}
MODELS_WITH_KNOB = {101, 103}

ROOT = Path(__file__).resolve().parents[2]


def main():
    """Runs the test cases of the calling module; an optional argument names the repository."""
    global ROOT
    if len(sys.argv) > 1:
        ROOT = Path(sys.argv.pop(1)).resolve()
    unittest.main(verbosity=2)


def data_folder():
    return ROOT / "data"


def config_root():
    return ElementTree.parse(data_folder() / "config.xml").getroot()


def catalogue():
    """[(model id, keyboard element, [mode elements])] in file order."""
    device_info = config_root().find("device.info")
    return [(int(k.get("device_type")), k, k.findall("mode")) for k in device_info.findall("keyboard")]


def png_size(path):
    with open(path, "rb") as file:
        header = file.read(24)
    if header[:8] != b"\x89PNG\r\n\x1a\n" or header[12:16] != b"IHDR":
        raise ValueError(f"{path} is not a PNG file")
    return struct.unpack(">II", header[16:24])


def interface_path(vendor, product, interface=1):
    """The interface path the hot-plug layer builds for a hidraw node."""
    return f"HID#VID_{vendor:04X}&PID_{product:04X}&MI_{interface:02X}#7&2F1A3C4D&0&0000"
