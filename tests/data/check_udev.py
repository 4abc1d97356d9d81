"""70-tarvo.rules: well-formed rules that grant access to exactly the catalogue's devices and the
screen channel, after the gates that keep the typing interfaces closed."""

import re
import unittest

import tarvo_data as td

ITEM = re.compile(r'^([A-Z]+)(\{[A-Za-z_]+\})?(==|!=|\+=|-=|:=|=)"([^"]*)"$')


def rules():
    """[(line number, [(key, attribute, operator, value)])] of the rule lines."""
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
            items.append(match.groups())
        parsed.append((number, items))
    return parsed


class UdevRulesTest(unittest.TestCase):
    def test_labels_and_jumps(self):
        labels = [v for _, items in rules() for k, _, _, v in items if k == "LABEL"]
        jumps = {v for _, items in rules() for k, _, _, v in items if k == "GOTO"}
        self.assertEqual(labels, ["tarvo_end"])
        self.assertEqual(jumps, {"tarvo_end"})

    def test_grants_exactly_the_catalogue_devices(self):
        expected = {(f"{td.VENDOR_ID:04x}", mode.get("pid").lower())
                    for _, _, modes in td.catalogue() for mode in modes}
        expected.add(tuple(f"{i:04x}" for i in td.SCREEN_CHANNEL))
        granted = set()
        for number, items in rules():
            if ("TAG", None, "+=", "uaccess") not in items:
                continue
            attributes = {a: (op, v) for k, a, op, v in items if k == "ATTRS"}
            self.assertEqual(set(attributes), {"{idVendor}", "{idProduct}"}, f"line {number}")
            vendor, product = attributes["{idVendor}"], attributes["{idProduct}"]
            self.assertEqual((vendor[0], product[0]), ("==", "=="))
            self.assertRegex(vendor[1] + product[1], r"^[0-9a-f]{8}$", "lower-case hexadecimal")
            granted.add((vendor[1], product[1]))
        self.assertEqual(granted, expected)

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
        first_grant = min(n for n, items in lines if ("TAG", None, "+=", "uaccess") in items)
        self.assertLess(max(gate_lines.values()), first_grant)


if __name__ == "__main__":
    td.main()
