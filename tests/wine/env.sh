# Wine environment of the Windows tests; sourced by run-under-wine and scripts/*.sh.
# Everything lives below the build folder: the prefix, a scratch HOME, the
# session file of the Xvfb display and the private Korean locale.

vantrel_wine_env() {  # BUILD_DIR
  local build=$1
  export VANTREL_BUILD_DIR=$build
  export WINEPREFIX=$build/wine-prefix
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
  export HOME=$build/wine-home
  export XDG_DATA_HOME=$HOME/.local/share XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache
  unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY ftp_proxy all_proxy
  mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
  # This machine's kernel may refuse 32-bit programs; 64-bit Wine runs the
  # 64-bit test build. Where 32-bit Wine works it can run the 32-bit build too.
  VANTREL_WINE=/usr/lib/wine/wine64
  export VANTREL_WINE
  export PATH=/usr/lib/wine:$PATH
}

vantrel_wine_session_file() { echo "$VANTREL_BUILD_DIR/wine-session.env"; }

vantrel_wine_session_active() {
  local f; f=$(vantrel_wine_session_file)
  [ -f "$f" ] || return 1
  # shellcheck disable=SC1090
  . "$f"
  [ -n "${VANTREL_XVFB_PID:-}" ] && kill -0 "$VANTREL_XVFB_PID" 2>/dev/null
}

vantrel_wine_prefix_init() {
  [ -f "$WINEPREFIX/.vantrel-ready" ] && return 0
  mkdir -p "$VANTREL_BUILD_DIR"
  (
    flock 9
    [ -f "$WINEPREFIX/.vantrel-ready" ] && exit 0
    rm -rf "$WINEPREFIX"
    "$VANTREL_WINE" wineboot -i >/dev/null 2>&1
    wineserver -w
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
    wineserver -w
    touch "$WINEPREFIX/.vantrel-ready"
  ) 9>"$VANTREL_BUILD_DIR/wine-prefix.lock"
}

# Starts Xvfb (before any wine command: a wineserver begun without a display
# keeps a display-less desktop), prepares the prefix and keeps wineserver up.
vantrel_wine_up() {
  local f dfile pid num
  f=$(vantrel_wine_session_file)
  dfile=$(mktemp)
  if [ -n "${VANTREL_USE_DISPLAY:-}" ]; then
    export DISPLAY=$VANTREL_USE_DISPLAY; pid=$$
  else
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dfile" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 100); do [ -s "$dfile" ] && break; sleep 0.1; done
    num=$(head -1 "$dfile"); rm -f "$dfile"
    if [ -z "$num" ]; then echo "run-under-wine: Xvfb did not start" >&2; return 1; fi
    export DISPLAY=:$num
  fi
  printf 'export DISPLAY=%s\nVANTREL_XVFB_PID=%s\n' "$DISPLAY" "$pid" > "$f"
  vantrel_wine_prefix_init
  wineserver -p
  # Wine's service processes start with the first program and live as long as
  # the server: start them here, detached from any caller's output pipes
  # (ctest would otherwise wait for them to close the test's stdout).
  "$VANTREL_WINE" cmd /c exit </dev/null >/dev/null 2>&1
}

vantrel_wine_down() {
  local f; f=$(vantrel_wine_session_file)
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  if [ -f "$f" ]; then
    # shellcheck disable=SC1090
    . "$f"
    if [ -n "${VANTREL_XVFB_PID:-}" ] && [ "$VANTREL_XVFB_PID" != "$$" ]; then
      kill "$VANTREL_XVFB_PID" 2>/dev/null
    fi
    rm -f "$f"
  fi
}

# A private Korean locale (no system change): LOCPATH=<dir> LC_ALL=ko_KR.UTF-8.
vantrel_korean_locale() {
  local dir=$VANTREL_BUILD_DIR/locale
  [ -d "$dir/ko_KR.UTF-8" ] || { mkdir -p "$dir"; localedef -i ko_KR -f UTF-8 "$dir/ko_KR.UTF-8" >/dev/null 2>&1 || true; }
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
