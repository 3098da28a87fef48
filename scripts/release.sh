#!/usr/bin/env bash
# Builds the release of Vantrel and writes it to build/release/:
#   Vantrel-<version>.zip          Vantrel.exe and ReadMe.txt
#   Vantrel-<version>-setup.exe    the installer (NSIS; installer/vantrel.nsi)
#   SHA256SUMS                     the checksums of both, as sha256sum writes them
# The deliverables are built in the release configuration (32-bit, Release,
# no tests) in build/release-win32. The vendor's web servers are CMake
# settings; give the real ones in the environment:
#   VANTREL_WEB_KR, VANTREL_WEB_INTL, VANTREL_HOME_KR, VANTREL_HOME_INTL
# (unset ones keep the CMake defaults, the reserved example hosts).
# VANTREL_RELEASE_BIN=DIR packages the deliverables already built in DIR
# instead (scripts/test.sh uses its 32-bit build folder).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTREL_BUILD_ROOT:-$root/build}
out=$build/release
"$root/scripts/setup.sh"

version=$(sed -n 's/^project(Vantrel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt" >&2; exit 1; }

if [ -n "${VANTREL_RELEASE_BIN:-}" ]; then
  bin=$(cd "$VANTREL_RELEASE_BIN" && pwd)
  [ -f "$bin/Vantrel.exe" ] || { echo "release: no Vantrel.exe in $bin" >&2; exit 1; }
else
  dir=$build/release-win32
  hosts=()
  for v in VANTREL_WEB_KR VANTREL_WEB_INTL VANTREL_HOME_KR VANTREL_HOME_INTL; do
    [ -n "${!v:-}" ] && hosts+=("-D$v=${!v}")
  done
  launcher=()
  command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DVANTREL_BUILD_TESTS=OFF "${hosts[@]}" >/dev/null
  # With the two small test tools of tests/release (not shipped).
  cmake --build "$dir" -j "${VANTREL_JOBS:-$(nproc)}" --target Vantrel wait_window shortcut_target
  bin=$dir/bin
  for v in VANTREL_WEB_KR VANTREL_WEB_INTL; do
    host=$(sed -n "s/^$v:STRING=//p" "$dir/CMakeCache.txt")
    case $host in *.example) echo "release: note: $v is the example host $host" >&2 ;; esac
  done
fi
python3 "$root/tools/check_deliverables.py" "$bin" i686 >/dev/null ||
  { python3 "$root/tools/check_deliverables.py" "$bin" i686; exit 1; }

rm -rf "$out"
mkdir -p "$out"
zip=Vantrel-$version.zip
setup=Vantrel-$version-setup.exe
# Same input, same bytes: the entries carry the time of the last commit.
stamp=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 1262304000)
python3 - "$out/$zip" "$bin/Vantrel.exe" "$root/installer/ReadMe.txt" "$version" "$stamp" <<'PY'
import sys, time, zipfile
zip_path, exe, readme, version, stamp = sys.argv[1:6]
when = time.gmtime(max(int(stamp), 315532800))[:6]
text = open(readme, encoding="utf-8").read().replace("@VERSION@", version)
# CR LF line ends and a byte-order mark: Notepad shows the Korean part on any system.
data = b"\xef\xbb\xbf" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")
with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as z:
    for name, payload in (("Vantrel.exe", open(exe, "rb").read()), ("ReadMe.txt", data)):
        info = zipfile.ZipInfo(name, when)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        z.writestr(info, payload)
PY

makensis -V2 -WX -INPUTCHARSET UTF8 -DVERSION="$version" -DBIN_DIR="$bin" \
  -DOUT_FILE="$out/$setup" "$root/installer/vantrel.nsi"

(cd "$out" && sha256sum "$zip" "$setup" > SHA256SUMS)
python3 "$root/tools/check_release.py" "$out" "$version" "$bin" >/dev/null ||
  { python3 "$root/tools/check_release.py" "$out" "$version" "$bin"; exit 1; }
echo "release $version in $out:"
(cd "$out" && ls -l "$zip" "$setup" SHA256SUMS)
