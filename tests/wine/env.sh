# Wine environment of the Windows tests; sourced by run-under-wine and scripts/*.sh.
# Everything lives below the build folder: the prefix, a scratch HOME, the
# session file of the Xvfb display and the private Korean locale.
#
# Which Wine runs a build:
#   64-bit build   the machine's 64-bit Wine (/usr/lib/wine/wine64).
#   32-bit build   the machine's 32-bit Wine (/usr/lib/wine/wine) where the
#                  kernel runs 32-bit programs; elsewhere - or with
#                  VANTREL_FORCE_WINE_ROOT=1 - Wine 10 from Debian unstable in
#                  a root folder of its own (tests/wine/make-wine-root, kept in
#                  VANTREL_WINE_ROOT), whose WoW64 mode runs 32-bit Windows
#                  programs inside 64-bit processes.
# Either way the prefix is 64-bit: a 32-bit program sees the registry views of
# 64-bit Windows.

VANTREL_WINE_ROOT=${VANTREL_WINE_ROOT:-/var/cache/vantrel/wine-root}
vantrel_wine_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

vantrel_wine_env() {  # BUILD_DIR [win32|win64]
  local build arch=${2:-}
  build=$(realpath -m "$1")
  export VANTREL_BUILD_DIR=$build
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
  export HOME=$build/wine-home
  export XDG_DATA_HOME=$HOME/.local/share XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache
  export XDG_RUNTIME_DIR=$HOME/runtime
  unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY ftp_proxy all_proxy
  mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  # Wine takes the user-interface language and the ANSI code page from the
  # locale: the tests run in a UTF-8 English one (code page 1252) whatever
  # the caller's environment holds; a Korean run names its own.
  export LC_ALL=${VANTREL_WINE_LC_ALL:-C.UTF-8} LANG=C.UTF-8
  unset LANGUAGE
  export PATH=/usr/lib/wine:$PATH
  if [ -z "$arch" ]; then
    arch=win64
    grep -qs '^CMAKE_TOOLCHAIN_FILE.*mingw-i686' "$build/CMakeCache.txt" && arch=win32
  fi
  VANTREL_WINE_ARCH=$arch
  if [ "$arch" = win64 ]; then
    vantrel_wine_use machine64
  elif [ "${VANTREL_FORCE_WINE_ROOT:-0}" != 0 ] || ! vantrel_machine_wine32_runs; then
    vantrel_wine_use root
  else
    vantrel_wine_use machine32
  fi
}

# The kernel runs the machine's 32-bit Wine loader (an i386 program).
vantrel_machine_wine32_runs() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Sets VANTREL_WINE (the program that runs a Windows program), VANTREL_WINESERVER,
# the prefix and a one-line description for the output.
vantrel_wine_use() {  # machine64 | machine32 | root
  VANTREL_WINE_KIND=$1
  case $1 in
    machine64|machine32)
      [ "$1" = machine64 ] && VANTREL_WINE=/usr/lib/wine/wine64 || VANTREL_WINE=/usr/lib/wine/wine
      VANTREL_WINESERVER=/usr/lib/wine/wineserver
      export WINEPREFIX=$VANTREL_BUILD_DIR/wine-prefix
      VANTREL_WINE_DESC="the machine's $("$VANTREL_WINE" --version 2>/dev/null) ($VANTREL_WINE, ${1#machine}-bit loader)"
      ;;
    root)
      VANTREL_WINE=$vantrel_wine_scripts/root-wine VANTREL_WINESERVER=$vantrel_wine_scripts/root-wineserver
      # Another Wine version: a prefix of its own.
      export WINEPREFIX=$VANTREL_BUILD_DIR/wine-prefix-root
      VANTREL_WINE_DESC="$(cat "$VANTREL_WINE_ROOT/.vantrel-wine-version" 2>/dev/null || echo Wine) in WoW64 mode from the root folder $VANTREL_WINE_ROOT"
      ;;
  esac
  export VANTREL_WINE VANTREL_WINESERVER VANTREL_WINE_KIND VANTREL_WINE_DESC VANTREL_WINE_ROOT
}

# Makes the Wine root when the chosen Wine needs it (about two minutes, once).
vantrel_wine_root_ready() {
  [ "$VANTREL_WINE_KIND" = root ] || return 0
  [ -f "$VANTREL_WINE_ROOT/.vantrel-ready" ] || "$vantrel_wine_scripts/make-wine-root" "$VANTREL_WINE_ROOT" || return 1
  if [ ! -s "$VANTREL_WINE_ROOT/.vantrel-wine-version" ]; then
    "$VANTREL_WINE" --version >"$VANTREL_WINE_ROOT/.vantrel-wine-version" 2>/dev/null || true
  fi
  vantrel_wine_use root
}

vantrel_wine_session_file() { echo "$VANTREL_BUILD_DIR/wine-session.env"; }

# A session of this build folder is up: its display and its Wine are used.
vantrel_wine_session_active() {
  local f; f=$(vantrel_wine_session_file)
  [ -f "$f" ] || return 1
  # shellcheck disable=SC1090
  . "$f"
  [ -n "${VANTREL_XVFB_PID:-}" ] && kill -0 "$VANTREL_XVFB_PID" 2>/dev/null || return 1
  vantrel_wine_use "$VANTREL_SESSION_WINE"
}

vantrel_wine_prefix_init() {
  [ -f "$WINEPREFIX/.vantrel-ready" ] && return 0
  mkdir -p "$VANTREL_BUILD_DIR"
  (
    flock 9
    [ -f "$WINEPREFIX/.vantrel-ready" ] && exit 0
    rm -rf "$WINEPREFIX"
    "$VANTREL_WINE" wineboot -i >/dev/null 2>&1
    "$VANTREL_WINESERVER" -w
    # Real folders instead of links into $HOME.
    for d in "$WINEPREFIX"/drive_c/users/*/{Desktop,Documents,Downloads,Music,Pictures,Videos}; do
      if [ -L "$d" ]; then rm -f "$d"; mkdir -p "$d"; fi
    done
    local reg="$VANTREL_WINE reg add"
    $reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    $reg 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    $reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    # The toggle button is designed in Gulim; a Korean font stands in for it.
    $reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v Gulim /d NanumGothic /f >/dev/null 2>&1
    "$VANTREL_WINESERVER" -w
    touch "$WINEPREFIX/.vantrel-ready"
  ) 9>"$VANTREL_BUILD_DIR/wine-prefix.lock"
}

# Starts Xvfb (before any wine command: a wineserver begun without a display
# keeps a display-less desktop), prepares the prefix and keeps wineserver up.
# A 32-bit build whose machine Wine cannot start a program goes over to the
# Wine root.
vantrel_wine_up() {
  local f dfile pid num
  f=$(vantrel_wine_session_file)
  vantrel_wine_root_ready || return 1
  dfile=$(mktemp)
  if [ -n "${VANTREL_USE_DISPLAY:-}" ]; then
    export DISPLAY=$VANTREL_USE_DISPLAY; pid=$$
  else
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dfile" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 100); do [ -s "$dfile" ] && break; sleep 0.1; done
    num=$(head -1 "$dfile")
    if [ -z "$num" ]; then rm -f "$dfile"; echo "run-under-wine: Xvfb did not start" >&2; return 1; fi
    export DISPLAY=:$num
  fi
  rm -f "$dfile"
  printf 'export DISPLAY=%s\nVANTREL_XVFB_PID=%s\nVANTREL_SESSION_WINE=%s\n' "$DISPLAY" "$pid" "$VANTREL_WINE_KIND" > "$f"
  vantrel_wine_prefix_init
  "$VANTREL_WINESERVER" -p
  # Wine's service processes start with the first program and live as long as
  # the server: start them here, detached from any caller's output pipes
  # (ctest would otherwise wait for them to close the test's stdout).
  if ! "$VANTREL_WINE" cmd /c exit </dev/null >/dev/null 2>&1; then
    if [ "$VANTREL_WINE_KIND" = machine32 ]; then
      echo "run-under-wine: the machine's 32-bit Wine cannot start a program; using the Wine root" >&2
      vantrel_wine_down
      vantrel_wine_use root
      vantrel_wine_up
      return
    fi
    echo "run-under-wine: $VANTREL_WINE_DESC cannot start a program" >&2
    vantrel_wine_down
    return 1
  fi
  # Where the kernel runs no 32-bit code at all, neither the 32-bit Wine nor
  # WoW64 mode (which needs the kernel's 32-bit code segment) can start a
  # 32-bit program: status 3 tells the caller so.
  if [ "$VANTREL_WINE_ARCH" = win32 ] && [ -f "$VANTREL_BUILD_DIR/bin/wine_probe.exe" ]; then
    ("$VANTREL_WINE" "$VANTREL_BUILD_DIR/bin/wine_probe.exe" </dev/null >/dev/null 2>&1) 2>/dev/null
    if [ $? != 42 ]; then
      echo "run-under-wine: $VANTREL_WINE_DESC cannot start a 32-bit Windows program on this machine (its kernel runs no 32-bit code)" >&2
      vantrel_wine_down
      return 3
    fi
  fi
}

vantrel_wine_down() {
  local f; f=$(vantrel_wine_session_file)
  if [ -f "$f" ]; then
    # shellcheck disable=SC1090
    . "$f"
    [ -n "${VANTREL_SESSION_WINE:-}" ] && vantrel_wine_use "$VANTREL_SESSION_WINE"
  fi
  "$VANTREL_WINESERVER" -k 2>/dev/null; "$VANTREL_WINESERVER" -w 2>/dev/null
  if [ -f "$f" ]; then
    if [ -n "${VANTREL_XVFB_PID:-}" ] && [ "$VANTREL_XVFB_PID" != "$$" ]; then
      kill "$VANTREL_XVFB_PID" 2>/dev/null
    fi
    rm -f "$f"
  fi
}

# A private Korean locale (no system change): LOCPATH=<dir> LC_ALL=ko_KR.UTF-8.
# Made by the C library that reads it: the machine's, or the Wine root's.
vantrel_korean_locale() {
  local dir=$VANTREL_BUILD_DIR/locale make=()
  if [ "${VANTREL_WINE_KIND:-}" = root ]; then
    dir=$VANTREL_BUILD_DIR/locale-root
    make=("$vantrel_wine_scripts/in-wine-root")
  fi
  [ -d "$dir/ko_KR.UTF-8" ] || { mkdir -p "$dir"; "${make[@]}" localedef -i ko_KR -f UTF-8 "$dir/ko_KR.UTF-8" >/dev/null 2>&1 || true; }
  echo "$dir"
}

# Waits (60 s at most) for the main window of a Vantrel started in the
# background, saves a screenshot of the 1024 x 768 Wine desktop to OUT and
# closes the program. Fails when the window does not appear.
vantrel_shoot_main_window() {  # OUT BIN_DIR
  local out=$1 bin=$2
  "$VANTREL_WINE" "$bin/wait_window.exe" TVantrelMainForm 60000 >/dev/null 2>&1 || return 1
  sleep 2
  import -display "$DISPLAY" -window root -crop 1024x768+0+0 +repage "$out"
  "$VANTREL_WINE" "$bin/wait_window.exe" TVantrelMainForm 10000 --close >/dev/null 2>&1
  return 0
}
