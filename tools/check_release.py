#!/usr/bin/env python3
"""Checks the release folder that scripts/release.sh writes (no Wine needed).

check_release.py RELEASE_DIR VERSION [BIN_DIR]

Checks: the folder holds exactly Vantrel-VERSION.zip, Vantrel-VERSION-setup.exe
and SHA256SUMS; SHA256SUMS names both files once, in sha256sum's format, with
their true checksums; the zip is intact and holds exactly Vantrel.exe and
ReadMe.txt; that Vantrel.exe is a 32-bit program with version VERSION (fixed and
text; with BIN_DIR: the same bytes as BIN_DIR/Vantrel.exe); the read-me is text
with a byte-order mark, CR LF line ends and the version in it; the installer is
a 32-bit program whose version block carries VERSION. Prints 'N passed, N failed'.
"""
import hashlib
import re
import struct
import sys
import tempfile
import zipfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from check_deliverables import PE, RT_VERSION  # noqa: E402

results = []


def check(name, ok, detail=""):
    results.append(bool(ok))
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else f"  ({detail})"))


def version_block(data):
    """(fixed file version, fixed product version, {key: text}) of a PE image's version resource."""
    with tempfile.TemporaryDirectory() as tmp:
        image = Path(tmp) / "image"
        image.write_bytes(data)
        pe = PE(image)
    ver = next((v for (t, _), v in pe.resources().items() if t == RT_VERSION), b"")
    fixed = ver.find(struct.pack("<I", 0xFEEF04BD))
    if fixed < 0:
        return None, None, {}
    fv = struct.unpack_from("<II", ver, fixed + 8)
    pv = struct.unpack_from("<II", ver, fixed + 16)
    text = ver.decode("utf-16-le", errors="replace")
    keys = r"(FileVersion|ProductVersion|ProductName|CompanyName)"
    return fv, pv, dict(re.findall(keys + r"\x00+([^\x00]+)", text))


def packed(version):
    a, b, c, d = (int(x) for x in version.split("."))
    return ((a << 16) | b, (c << 16) | d)


def check_version(name, data, version):
    try:
        fv, pv, strings = version_block(data)
    except (AssertionError, ValueError, struct.error) as e:
        check(f"{name}: a PE image with a version block", False, str(e))
        return
    want = packed(version)
    check(f"{name}: fixed file and product version {version}", fv == want and pv == want, f"{fv} {pv}")
    check(f"{name}: FileVersion and ProductVersion texts {version}",
          strings.get("FileVersion") == version and strings.get("ProductVersion") == version, repr(strings))


def main():
    if len(sys.argv) not in (3, 4):
        print(__doc__)
        return 2
    out, version = Path(sys.argv[1]), sys.argv[2]
    bindir = Path(sys.argv[3]) if len(sys.argv) == 4 else None
    zip_name, setup_name = f"Vantrel-{version}.zip", f"Vantrel-{version}-setup.exe"
    names = sorted(p.name for p in out.iterdir()) if out.is_dir() else []
    check("release folder: the zip, the installer and SHA256SUMS, nothing else",
          names == sorted([zip_name, setup_name, "SHA256SUMS"]), ", ".join(names))

    sums = out / "SHA256SUMS"
    lines = sums.read_text(encoding="ascii", errors="replace").splitlines() if sums.is_file() else []
    listed = {}
    for line in lines:
        m = re.fullmatch(r"([0-9a-f]{64}) [ *](\S.*)", line)
        if m:
            listed.setdefault(m.group(2), []).append(m.group(1))
    check("SHA256SUMS: one line in sha256sum's format for each of the two files",
          len(lines) == 2 and sorted(listed) == sorted([zip_name, setup_name]) and
          all(len(v) == 1 for v in listed.values()), repr(lines))
    for name in (zip_name, setup_name):
        path = out / name
        actual = hashlib.sha256(path.read_bytes()).hexdigest() if path.is_file() else None
        check(f"SHA256SUMS: checksum of {name}", actual is not None and listed.get(name) == [actual],
              f"listed {listed.get(name)}, file {actual}")

    zpath = out / zip_name
    try:
        with zipfile.ZipFile(zpath) as z:
            bad = z.testzip()
            entries = z.namelist()
            check("zip: intact (every entry's CRC)", bad is None, f"damaged entry {bad}")
            check("zip: exactly Vantrel.exe and ReadMe.txt, at its top", sorted(entries) == ["ReadMe.txt", "Vantrel.exe"],
                  ", ".join(entries))
            exe = z.read("Vantrel.exe") if "Vantrel.exe" in entries else b""
            readme = z.read("ReadMe.txt") if "ReadMe.txt" in entries else b""
    except (OSError, zipfile.BadZipFile) as e:
        check("zip: intact (every entry's CRC)", False, str(e))
        exe, readme = b"", b""
    if exe:
        check("zip: Vantrel.exe is a 32-bit program", exe[:2] == b"MZ" and struct.unpack_from(
            "<H", exe, struct.unpack_from("<I", exe, 0x3C)[0] + 4)[0] == 0x14C)
        check_version("zip: Vantrel.exe", exe, version)
        if bindir:
            check("zip: Vantrel.exe is the built one", exe == (bindir / "Vantrel.exe").read_bytes())
    text = readme[3:].decode("utf-8", errors="replace") if readme.startswith(b"\xef\xbb\xbf") else ""
    check("zip: ReadMe.txt is UTF-8 text with a byte-order mark", bool(text) and "\ufffd" not in text)
    check("zip: ReadMe.txt has CR LF line ends only", text and text.count("\n") == text.count("\r\n") > 0)
    check(f"zip: ReadMe.txt names version {version}", f"Vantrel {version}" in text and "@VERSION@" not in text)

    setup = (out / setup_name).read_bytes() if (out / setup_name).is_file() else b""
    check("installer: a 32-bit program", setup[:2] == b"MZ" and struct.unpack_from(
        "<H", setup, struct.unpack_from("<I", setup, 0x3C)[0] + 4)[0] == 0x14C if setup else False)
    if setup:
        check_version("installer", setup, version)

    failed = results.count(False)
    print(f"release {version}: {len(results) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
