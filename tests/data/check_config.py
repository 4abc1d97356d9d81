"""config.xml: the agreed models, modes and ids, the order the catalogue reader relies on, and
interface patterns that pick exactly their own device."""

import re
import unittest

import tarvo_data as td


class ConfigTest(unittest.TestCase):
    def setUp(self):
        self.root = td.config_root()

    def test_elements_come_in_reading_order(self):
        # The reader only searches forward: device.info, then language.info, then software.
        self.assertEqual(self.root.tag, "config")
        self.assertEqual([child.tag for child in self.root],
                         ["device.info", "language.info", "software"])
        software = self.root.find("software")
        self.assertEqual([child.tag for child in software],
                         ["website", "feedback", "faqs", "store", "upgrade"])

    def test_software_and_languages(self):
        software = self.root.find("software")
        self.assertEqual(software.get("name"), "Tarvo")
        self.assertEqual(software.get("version"), "1.0.2.0")
        for child in software:
            self.assertRegex(child.get("url"), r"^https://[a-z0-9.-]+/\S*$", child.tag)
        # The update check appends "version" to the address.
        self.assertTrue(software.find("upgrade").get("url").endswith("/"))
        languages = self.root.find("language.info")
        self.assertEqual([lan.get("value") for lan in languages.findall("lan")],
                         ["2052", "1033", "1028"])
        self.assertEqual(languages.get("default_lan"), "1033")

    def test_agreed_models_modes_and_ids(self):
        found = {}
        for model_id, keyboard, modes in td.catalogue():
            self.assertNotIn(model_id, found, "model ids are unique")
            products = {}
            for mode in modes:
                self.assertRegex(mode.get("vid"), r"^[0-9A-F]{4}$")
                self.assertRegex(mode.get("pid"), r"^[0-9A-F]{4}$")
                self.assertEqual(int(mode.get("vid"), 16), td.VENDOR_ID)
                self.assertEqual(mode.get("product_name"), "")
                self.assertTrue(mode.get("desc"))
                products[int(mode.get("value"))] = int(mode.get("pid"), 16)
            found[model_id] = (keyboard.get("name"), keyboard.get("device_info"), products)
        self.assertEqual(found, td.AGREED_MODELS)
        self.assertTrue(any(150 <= model_id <= 180 for model_id in found), "a keypad model")

    def test_each_pattern_matches_only_its_own_interface(self):
        # The hot-plug layer takes the first mode whose pattern occurs in the upper-case path.
        modes = [mode for _, _, model_modes in td.catalogue() for mode in model_modes]
        for mode in modes:
            pattern = mode.get("hid_interface")
            self.assertEqual(pattern, pattern.upper())
            vendor, product = int(mode.get("vid"), 16), int(mode.get("pid"), 16)
            for interface in (0, 1, 2):
                path = td.interface_path(vendor, product, interface)
                matches = [m for m in modes if m.get("hid_interface") in path]
                self.assertEqual(matches, [mode], path)
        screen = td.interface_path(*td.SCREEN_CHANNEL, 0)
        self.assertFalse([m for m in modes if m.get("hid_interface") in screen])

    def test_layouts_and_pictures_exist(self):
        data = td.data_folder()
        for _, keyboard, _ in td.catalogue():
            self.assertTrue((data / "layouts" / f"{keyboard.get('device_info')}.xml").is_file())
            for picture in ("img_connected", "img_disconnected"):
                path = data / "device" / keyboard.get(picture)
                self.assertTrue(path.is_file(), path)
                td.png_size(path)
            self.assertRegex(keyboard.get("name"), r"^[A-Za-z0-9 ]+$", "names a database file")


if __name__ == "__main__":
    td.main()
