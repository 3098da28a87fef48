#!/usr/bin/env bash
# run.sh RELEASE_DIR BIN_DIR: every release test. RELEASE_DIR is what
# scripts/release.sh wrote; BIN_DIR the bin folder of the 32-bit build it
# packaged (with the test tools wait_window.exe and shortcut_target.exe).
#
# The installer tests run the shipped 32-bit installer under the 32-bit Wine
# that tests/wine/env.sh picks. Where that Wine runs no 32-bit program (a
# kernel without 32-bit code segments stops even Wine's WoW64 mode), they run
# the same installer script made for the 64-bit build under 64-bit Wine
# instead, and say so; the shipped files are still checked as files. The same
# happens where 32-bit programs run only through qemu-user's emulation, and
# with VANTREL_RELEASE_TESTS_ARCH=win64 (win32 forces the 32-bit run).
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${VANTREL_BUILD_ROOT:-$root/build}
release=$(cd "${1:?usage: run.sh RELEASE_DIR BIN_DIR}" && pwd)
bin=$(cd "${2:?usage: run.sh RELEASE_DIR BIN_DIR}" && pwd)
version=$(sed -n 's/^project(Vantrel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
status=0

echo "--- release files"
"$here/check_files.sh" "$release" "$bin" || status=1

# 32-bit programs that run only through an emulator (qemu-user's binfmt
# handler for i386) make Wine far too slow for a test run.
arch=${VANTREL_RELEASE_TESTS_ARCH:-}
if [ -z "$arch" ]; then
  arch=win32
  if grep -qsx enabled /proc/sys/fs/binfmt_misc/qemu-i386; then arch=win64; fi
fi
rc=77
if [ "$arch" = win32 ]; then
  echo "--- the shipped installer under 32-bit Wine"
  files=$build/release-tests-files/win32
  rm -rf "$files"; mkdir -p "$files"
  cp "$release/Vantrel-$version-setup.exe" "$files/setup.exe"
  cp "$bin/wait_window.exe" "$bin/shortcut_target.exe" "$files/"
  python3 -c 'import sys, zipfile; open(sys.argv[2], "wb").write(zipfile.ZipFile(sys.argv[1]).read("Vantrel.exe"))' \
    "$release/Vantrel-$version.zip" "$files/Vantrel.exe"
  # The same installer whose silent uninstaller answers Yes to its questions.
  makensis -V1 -WX -INPUTCHARSET UTF8 -DVERSION="$version" -DBIN_DIR="$bin" -DSILENT_ANSWER=IDYES \
    -DOUT_FILE="$files/setup-yes.exe" "$root/installer/vantrel.nsi" || exit 1
  "$here/installer_tests.sh" win32 "$files"
  rc=$?
else
  echo "--- 32-bit programs run here only through qemu's emulation: the shipped installer is checked as a file"
fi
if [ $rc = 77 ]; then
  echo "--- the installer made for the 64-bit build under 64-bit Wine (32-bit programs do not run here)"
  dir=$build/win64
  launcher=()
  command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null || exit 1
  fi
  cmake --build "$dir" -j "${VANTREL_JOBS:-$(nproc)}" --target Vantrel wait_window shortcut_target >/dev/null || exit 1
  files=$build/release-tests-files/win64
  rm -rf "$files"; mkdir -p "$files"
  makensis -V1 -INPUTCHARSET UTF8 -DVERSION="$version" -DBIN_DIR="$dir/bin" -DTARGET=amd64-unicode \
    -DOUT_FILE="$files/setup.exe" "$root/installer/vantrel.nsi" || exit 1
  makensis -V1 -INPUTCHARSET UTF8 -DVERSION="$version" -DBIN_DIR="$dir/bin" -DTARGET=amd64-unicode \
    -DSILENT_ANSWER=IDYES -DOUT_FILE="$files/setup-yes.exe" "$root/installer/vantrel.nsi" || exit 1
  cp "$dir/bin/Vantrel.exe" "$dir/bin/wait_window.exe" "$dir/bin/shortcut_target.exe" "$files/"
  "$here/installer_tests.sh" win64 "$files"
  rc=$?
fi
[ $rc = 0 ] || status=1
exit $status
