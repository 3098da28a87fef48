#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (run as root; does
# nothing when everything is there already).
set -eu
need=()
have() { command -v "$1" >/dev/null 2>&1; }
have cmake || need+=(cmake)
have ninja || need+=(ninja-build)
have g++ || need+=(g++)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -f /usr/src/googletest/googletest/src/gtest-all.cc ] || need+=(googletest)
have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686-posix)
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix)
[ -x /usr/lib/wine/wine64 ] || need+=(wine wine64)
have Xvfb || need+=(xvfb xauth)
[ -x /usr/bin/import ] || need+=(imagemagick)
have xwd || need+=(x11-apps)
have python3 || need+=(python3)
have makensis || need+=(nsis)
have localedef || need+=(locales)
[ -d /usr/share/wine/fonts ] || need+=(fonts-wine)
[ -d /usr/share/fonts/truetype/nanum ] || need+=(fonts-nanum)
[ -f /usr/share/i18n/locales/ko_KR ] || need+=(locales)
have clang++-14 || need+=(clang-14)
[ -d /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux ] || need+=(libclang-rt-14-dev)

# True when the kernel starts 32-bit x86 programs: a 93-byte i386 program
# that only exits with code 42. Without that support 32-bit Wine cannot start;
# the tests then use Wine 10 from a root folder of its own (tests/wine/env.sh).
kernel_runs_32bit() {
  local probe rc
  probe=$(mktemp) || return 1
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08'\
'\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00'\
'\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'\
'\x31\xdb\xb3\x2a\x31\xc0\x40\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null; rc=$?
  rm -f "$probe"
  [ $rc = 42 ]
}
# The 32-bit suite runs under the machine's 32-bit Wine wherever it can.
if kernel_runs_32bit && ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "ok installed"; then
  need+=(wine32:i386)
fi

if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
