"""compress.py IN OUT: OUT is IN compressed as Debian wants its documentation and manuals: gzip
at the highest level, with no name and no time stamp inside, so a build is repeatable."""

import gzip
import sys


def main():
    source, target = sys.argv[1:3]
    with open(source, "rb") as text:
        data = text.read()
    with open(target, "wb") as out:
        with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=out, mtime=0) as z:
            z.write(data)


if __name__ == "__main__":
    main()
