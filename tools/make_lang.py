#!/usr/bin/env python3
"""Encode a language table: UTF-8 source -> CR LF lines in the given code page.

Usage: make_lang.py SOURCE TARGET ENCODING   (ENCODING: cp949 or ascii)
Fails on a character the code page cannot hold, so a table never ships with
'?' in place of a letter.
"""
import sys


def main() -> int:
    src, dst, encoding = sys.argv[1], sys.argv[2], sys.argv[3]
    with open(src, encoding="utf-8-sig") as f:
        lines = f.read().splitlines()
    data = ("\r\n".join(lines) + "\r\n").encode(encoding, errors="strict")
    with open(dst, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
