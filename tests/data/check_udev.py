"""70-tarvo.rules: well-formed rules that grant access to the command interfaces of exactly the
catalogue's devices and to the screen channel, each told apart by the opening bytes of its report
descriptor, after the gates that keep the typing interfaces closed."""

import re
import unittest

import tarvo_data as td

ITEM = re.compile(r'^([A-Z]+)(\{[A-Za-z_]+\})?(==|!=|\+=|-=|:=|=)(e?)"([^"]*)"$')
COMMAND_USAGE = (0xFF60, 0x61)
SCREEN_USAGE = (0x00FF, 0x01)
UACCESS = ("TAG", None, "+=", "uaccess")


def rules():
    """[(line number, [(key, attribute, operator, value)])] of the rule lines; values of e"..."
    strings are unescaped to bytes."""
    path = td.data_folder() / "udev" / "70-tarvo.rules"
    parsed = []
    for number, line in enumerate(path.read_text(encoding="ascii").splitlines(), 1):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        items = []
        for item in line.split(", "):
            match = ITEM.match(item)
            if not match:
                raise AssertionError(f"line {number}: cannot read {item!r}")
            key, attribute, operator, escaped, value = match.groups()
            if escaped:
                value = unescape(value, number)
            items.append((key, attribute, operator, value))
        parsed.append((number, items))
    return parsed


def unescape(text, number):
    r"""The bytes of an e"..." string, which may only use \xHH escapes."""
    out, i = bytearray(), 0
    while i < len(text):
        if text[i] != "\\":
            out.append(ord(text[i]))
            i += 1
        elif re.fullmatch(r"x[0-9a-f]{2}", text[i + 1:i + 4]):
            out.append(int(text[i + 2:i + 4], 16))
            i += 4
        else:
            raise AssertionError(f"line {number}: unexpected escape in {text!r}")
    return bytes(out)


def descriptor_start(pattern):
    """What every descriptor the pattern matches begins with. udev's text of the attribute ends at
    the first zero byte: a pattern without "*" therefore matches its bytes and then a zero byte."""
    body = pattern[:-1] if pattern.endswith(b"*") else pattern + b"\x00"
    for glob in b"*?[|":
        assert glob not in body, f"{pattern!r}: {chr(glob)!r} would widen the match"
    return body


def first_usage(start):
    """(usage page, usage) of the opening Usage Page and Usage items of a descriptor start; the
    usage is None when the start ends before it."""
    items, i = [], 0
    while i < len(start):
        size = (0, 1, 2, 4)[start[i] & 3]
        if i + 1 + size > len(start):
            break
        items.append((start[i] & 0xFC, int.from_bytes(start[i + 1:i + 1 + size], "little")))
        i += 1 + size
    assert items and items[0][0] == 0x04, f"{start!r} opens with no usage page"
    if len(items) < 2:
        return items[0][1], None
    assert items[1][0] == 0x08, f"{start!r}: no usage after the usage page"
    return items[0][1], items[1][1]


class UdevRulesTest(unittest.TestCase):
    def test_labels_and_jumps(self):
        labels = [v for _, items in rules() for k, _, _, v in items if k == "LABEL"]
        jumps = {v for _, items in rules() for k, _, _, v in items if k == "GOTO"}
        self.assertEqual(labels, ["tarvo_end"])
        self.assertEqual(jumps, {"tarvo_end"})

    def test_grants_exactly_the_command_interfaces_and_the_screen_channel(self):
        expected = {(f"{td.VENDOR_ID:04X}", mode.get("pid").upper(), COMMAND_USAGE[0])
                    for _, _, modes in td.catalogue() for mode in modes}
        screen = tuple(f"{i:04X}" for i in td.SCREEN_CHANNEL)
        expected.add((*screen, SCREEN_USAGE[0]))
        granted = set()
        for number, items in rules():
            if UACCESS not in items:
                continue
            matches = {(k, a): (op, v) for k, a, op, v in items if (k, a, op, v) != UACCESS}
            self.assertEqual(set(matches), {("SUBSYSTEMS", None), ("KERNELS", None),
                                            ("ATTRS", "{report_descriptor}")}, f"line {number}")
            self.assertEqual({op for op, _ in matches.values()}, {"=="}, f"line {number}")
            self.assertEqual(matches[("SUBSYSTEMS", None)][1], "hid", f"line {number}")
            kernel = re.fullmatch(r"0003:([0-9A-F]{4}):([0-9A-F]{4})\.\*",
                                  matches[("KERNELS", None)][1])
            self.assertTrue(kernel, f"line {number}: a USB HID device in upper-case hexadecimal")
            pattern = matches[("ATTRS", "{report_descriptor}")][1]
            self.assertIsInstance(pattern, bytes, f"line {number}: an e\"...\" string")
            page, usage = first_usage(descriptor_start(pattern))
            # Where the pattern reaches the usage it must be the right one; the command
            # interfaces' patterns must reach it.
            wanted = SCREEN_USAGE if kernel.groups() == screen else COMMAND_USAGE
            self.assertIn(usage, (wanted[1], None) if wanted == SCREEN_USAGE else (wanted[1],),
                          f"line {number}")
            granted.add((*kernel.groups(), page))
        self.assertEqual(granted, expected)

    def test_a_descriptor_start_reads_as_its_usage(self):
        # The reading of the patterns must be able to fail.
        self.assertEqual(first_usage(descriptor_start(b"\x06\x60\xff\x09\x61*")), COMMAND_USAGE)
        self.assertEqual(first_usage(descriptor_start(b"\x06\xff")), (SCREEN_USAGE[0], None))
        self.assertNotEqual(first_usage(descriptor_start(b"\x05\x01\x09\x06*")), COMMAND_USAGE)
        with self.assertRaises(AssertionError):
            descriptor_start(b"\x06\x60\xff*\x09\x61*")

    def test_every_grant_comes_after_the_gates(self):
        gates = [("SUBSYSTEM", None, "!=", "hidraw"),
                 ("ATTRS", "{bInterfaceProtocol}", "==", "01"),
                 ("ATTRS", "{bInterfaceProtocol}", "==", "02")]
        lines = rules()
        gate_lines = {}
        for number, items in lines:
            for gate in gates:
                if gate in items and ("GOTO", None, "=", "tarvo_end") in items:
                    gate_lines[gate] = number
        self.assertEqual(set(gate_lines), set(gates))
        first_grant = min(n for n, items in lines if UACCESS in items)
        self.assertLess(max(gate_lines.values()), first_grant)


if __name__ == "__main__":
    td.main()
