"""Writes the manual page of one of our programs from what its --help prints, completed by a
text file of its own (packaging/man/<program>.extra), as gzip-compressed troff.

  make_manual.py --program PATH --name NAME --version V --date YYYY-MM-DD --extra FILE --output F

The --help text reads as: "Usage: NAME ..." on the first line, a description up to the first
empty line, then entries ("  TERM   what it does", longer texts on lines indented further) under
headings ("Commands:"; "Exit status: text" is a heading with its text). Entries before the first
heading are the options. An entry without a text is shown as it is written (examples).

The extra file: "[SECTION]" starts a section; a line followed by indented lines is a term and its
text; other lines make paragraphs; lines starting with "#" are comments. Its NAME section is the
one-line summary, its DESCRIPTION follows the one of --help, its other sections come last."""

import argparse
import gzip
import os
import re
import subprocess
import sys


class Section:
    def __init__(self, title):
        self.title = title
        self.blocks = []  # ("para", [lines]) | ("entry", term, [lines]) | ("literal", [lines])

    def paragraph(self, line):
        if self.blocks and self.blocks[-1][0] == "para":
            self.blocks[-1][1].append(line)
        else:
            self.blocks.append(("para", [line]))

    def entry(self, term, text):
        self.blocks.append(("entry", term, [text] if text else []))

    def more(self, text):
        if self.blocks and self.blocks[-1][0] == "entry":
            self.blocks[-1][2].append(text)
        else:
            self.paragraph(text)

    def end_paragraph(self):
        self.blocks.append(("break",))


def read_help(program):
    """What `program --help` prints; the program runs without a display or diagnostics."""
    env = dict(os.environ)
    env.pop("TARVO_DEBUG", None)
    env.pop("TARVO_APP_DIR", None)
    env["QT_QPA_PLATFORM"] = "offscreen"
    # A sanitizer build must not fail the manual for what it finds at exit.
    env["ASAN_OPTIONS"] = "detect_leaks=0"
    result = subprocess.run([program, "--help"], env=env, capture_output=True, text=True,
                            timeout=60, check=False)
    if result.returncode != 0:
        sys.exit(f"{program} --help ended with {result.returncode}: {result.stderr.strip()}")
    return result.stdout


def parse_help(text, name):
    lines = text.splitlines()
    if not lines or not lines[0].startswith("Usage: " + name):
        sys.exit(f"the help of {name} does not begin with 'Usage: {name}'")
    synopsis = lines[0][len("Usage: "):].strip()
    description = []
    index = 1
    while index < len(lines) and lines[index].strip():
        description.append(lines[index].strip())
        index += 1
    sections = []
    current = None
    for line in lines[index:]:
        if not line.strip():
            if current is not None:
                current.end_paragraph()
            continue
        if not line.startswith(" "):
            heading = re.match(r"^([A-Z][A-Za-z ]*):\s*(.*)$", line)
            if heading:
                current = Section(heading.group(1).upper())
                sections.append(current)
                if heading.group(2):
                    current.paragraph(heading.group(2))
                continue
        if current is None:
            current = Section("OPTIONS")
            sections.append(current)
        indent = len(line) - len(line.lstrip(" "))
        body = line.strip()
        if indent == 0:
            current.paragraph(body)
        elif indent <= 2:
            parts = re.split(r"\s{2,}", body, maxsplit=1)
            current.entry(parts[0], parts[1] if len(parts) > 1 else "")
        else:
            current.more(body)
    return synopsis, description, sections


def parse_extra(path):
    sections = []
    current = None
    with open(path, encoding="utf-8") as extra:
        lines = [line.rstrip("\n") for line in extra if not line.startswith("#")]
    for number, line in enumerate(lines):
        heading = re.match(r"^\[([A-Z ]+)\]$", line)
        if heading:
            current = Section(heading.group(1))
            sections.append(current)
        elif current is None:
            if line.strip():
                sys.exit(f"{path}:{number + 1}: text before the first section")
        elif not line.strip():
            current.end_paragraph()
        elif line.startswith(" "):
            current.more(line.strip())
        elif number + 1 < len(lines) and lines[number + 1].startswith(" "):
            current.entry(line, "")
        else:
            current.paragraph(line)
    return sections


def escape(text):
    """Text as troff shows it literally: backslashes and minus signs escaped, and no line that
    starts with a control character."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    if text.startswith((".", "'")):
        text = "\\&" + text
    return text


def render_blocks(section):
    out = []
    blocks = section.blocks
    for position, block in enumerate(blocks):
        kind = block[0]
        if kind == "break":
            continue
        if kind == "para":
            out.append(".PP")
            out.extend(escape(line) for line in block[1])
        elif kind == "entry" and not block[2]:
            # An entry without a text is a literal line; neighbours of its kind form one block.
            previous = blocks[position - 1] if position > 0 else None
            if not (previous and previous[0] == "entry" and not previous[2]):
                out.extend([".PP", ".RS 4", ".nf"])
            out.append(escape(block[1]))
            following = blocks[position + 1] if position + 1 < len(blocks) else None
            if not (following and following[0] == "entry" and not following[2]):
                out.extend([".fi", ".RE"])
        else:
            out.extend([".TP", ".B " + escape(block[1])])
            out.extend(escape(line) for line in block[2])
    return out


def render(name, version, date, synopsis, description, help_sections, extra_sections):
    extra = {section.title: section for section in extra_sections}
    if "NAME" not in extra or not extra["NAME"].blocks:
        sys.exit(f"the extra text of {name} has no NAME section")
    summary = " ".join(extra["NAME"].blocks[0][1])
    out = [f'.TH {name.upper()} 1 "{date}" "Tarvo {version}" "User Commands"',
           ".SH NAME", f"{escape(name)} \\- {escape(summary)}",
           ".SH SYNOPSIS", f".B {escape(name)}",
           escape(synopsis[len(name):].strip()),
           ".SH DESCRIPTION"]
    out.extend(escape(line) for line in description)
    if "DESCRIPTION" in extra:
        out.extend(render_blocks(extra["DESCRIPTION"]))
    for section in help_sections + [s for s in extra_sections
                                    if s.title not in ("NAME", "DESCRIPTION")]:
        out.append(f'.SH "{section.title}"' if " " in section.title else f".SH {section.title}")
        out.extend(render_blocks(section))
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("program", "name", "version", "date", "extra", "output"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    synopsis, description, help_sections = parse_help(read_help(args.program), args.name)
    page = render(args.name, args.version, args.date, synopsis, description, help_sections,
                  parse_extra(args.extra))
    temporary = args.output + ".part"
    with open(temporary, "wb") as out:
        with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=out, mtime=0) as z:
            z.write(page.encode("utf-8"))
    os.replace(temporary, args.output)


if __name__ == "__main__":
    main()
