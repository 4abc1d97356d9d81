"""Language tables: valid UTF-8, the same keys in every language, no key twice in a section
(the reader takes the first), and texts the reader hands out unchanged."""

import unittest

import tarvo_data as td

LANGUAGES = (1033, 2052, 1028)
SECTIONS = ["KB.DIALOG", "CAPTION"]
MAX_TEXT = 259  # code points the application reads of a text


def read_table(language):
    """{section: [(key, value, line number)]} of one table, read as the file stands."""
    raw = (td.data_folder() / "language" / f"{language}.lan").read_bytes()
    if raw.startswith(b"\xef\xbb\xbf"):
        raise AssertionError(f"{language}.lan starts with a byte-order mark")
    sections, current = {}, None
    for number, line in enumerate(raw.decode("utf-8").split("\n"), 1):
        if not line or line.startswith(";"):
            continue
        if line.startswith("["):
            current = sections.setdefault(line.strip("[]"), [])
        else:
            key, separator, value = line.partition("=")
            if current is None or not separator:
                raise AssertionError(f"{language}.lan line {number}: {line!r}")
            current.append((key, value, number))
    return sections


class LanguageTest(unittest.TestCase):
    def test_tables_carry_the_same_keys_once(self):
        tables = {language: read_table(language) for language in LANGUAGES}
        for language, sections in tables.items():
            with self.subTest(language=language):
                self.assertEqual(list(sections), SECTIONS)
                for section, entries in sections.items():
                    keys = [key for key, _, _ in entries]
                    self.assertEqual(len(keys), len(set(keys)), f"{section}: a key twice")
                    self.assertTrue(all(key.isdigit() and key == str(int(key)) for key in keys))
        reference = {s: {k for k, _, _ in e} for s, e in tables[1033].items()}
        for language in LANGUAGES[1:]:
            self.assertEqual({s: {k for k, _, _ in e} for s, e in tables[language].items()},
                             reference, f"keys of {language}.lan")

    def test_texts_are_read_back_unchanged(self):
        for language in LANGUAGES:
            for section, entries in read_table(language).items():
                for key, value, number in entries:
                    where = f"{language}.lan line {number}"
                    self.assertTrue(value, where)
                    self.assertEqual(value, value.strip(" \t\r"), f"{where}: blanks are dropped")
                    self.assertFalse(value.startswith('"') and value.endswith('"'), where)
                    self.assertLessEqual(len(value), MAX_TEXT, f"{where}: would be cut")
                    self.assertFalse(any(ord(c) < 0x20 for c in value), where)


if __name__ == "__main__":
    td.main()
