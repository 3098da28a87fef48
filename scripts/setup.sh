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
have localedef || need+=(locales)
[ -d /usr/share/wine/fonts ] || need+=(fonts-wine)
[ -d /usr/share/fonts/truetype/nanum ] || need+=(fonts-nanum)
[ -f /usr/share/i18n/locales/ko_KR ] || need+=(locales)
if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # 32-bit Wine goes along where the machine can run it; the tests need only 64-bit Wine.
  dpkg --add-architecture i386 || true
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
  apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null 2>&1 || true
fi
